#pragma once

// The dialogs that fill one item of the table editor's constraint lists:
// foreign key, index, check constraint and unique constraint. They only read
// the system tables (the referenced table's key); the table editor turns the
// item into statements when it saves.

#include "app/editors/TableDDL.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TTableCatalog;

// A check list of the table's columns and the list of the chosen ones in
// the order they were checked; the up and down buttons move the selected
// chosen column.
class TFieldPicker : public QObject
{
    Q_OBJECT
public:
    TFieldPicker(QListWidget* columns, QListWidget* chosen, QPushButton* up, QPushButton* down);

    void SetColumns(const QStringList& columns);
    // Checks the columns in this order; names not in the table are skipped.
    void Choose(const QStringList& columns);
    QStringList Chosen() const;
    void MoveUp();
    void MoveDown();

private:
    void ItemChanged();
    void Move(int by);

    QListWidget* m_columns;
    QListWidget* m_chosen;
};

// What every dialog shares: the name edit (upper case unless quoted, the
// one name rule), OK and Cancel, IsNew and Filled.
class TConstraintDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TConstraintDialog(QWidget* parent);

    bool IsNew = true;
    bool Filled = false;
    // Of the database: what the typed name means.
    int Dialect = 3;

    // OK: validates, then closes with OK; a refusal keeps the dialog open.
    void OkBtnClick();

    QPushButton* OkBtn;
    QPushButton* CancelBtn;

protected:
    QLineEdit* MakeNameEdit(const QString& objectName);
    // The item's name as the server keeps what the name edit holds, and a
    // stored name shown as it is typed.
    QString ItemName() const;
    void ShowItemName(const QString& stored);
    // OK and Cancel at the right.
    QHBoxLayout* ButtonRow() const;
    // What F1 shows.
    void SetHelpTopic(const QString& topic);
    // The validation message, or "" when the item can be taken.
    virtual QString Refusal() const = 0;
    virtual QLineEdit* NameEdit() const = 0;

    // Opens with the name edit focused, so what the user types names the item.
    void showEvent(QShowEvent* event) override;
};

// A constraint over a list of the table's columns: the picker and its move buttons.
class TColumnsConstraintDialog : public TConstraintDialog
{
    Q_OBJECT
public:
    using TConstraintDialog::TConstraintDialog;

    QPushButton* UpBtn = nullptr;
    QPushButton* DownBtn = nullptr;
    TFieldPicker* Picker = nullptr;

protected:
    // Makes the move buttons and the picker over the column check list and
    // the chosen list.
    void MakePicker(QListWidget* columns, QListWidget* chosen);
    // The two lists side by side with the move buttons between them.
    QHBoxLayout* PickerRow(QListWidget* columns, QListWidget* chosen) const;
};

class TNewFK : public TColumnsConstraintDialog
{
    Q_OBJECT
public:
    // The table's columns come from the editor's grid; the catalog reads
    // the tables with a primary key and their keys.
    TNewFK(const QStringList& tableColumns, TTableCatalog* catalog, QWidget* parent = nullptr);

    // Fills the lists; false when the server refused a read (shown).
    bool FormShow();
    // Takes an item's definition (sets Filled); a stored foreign key (one
    // with a StoredName) keeps its referenced table.
    void LoadItem(const TConstraintItem& item);
    TConstraintItem Item() const;
    // The referenced table was chosen: shows its primary key.
    bool RefTablesChange();

    QLineEdit* FKName;
    QListWidget* TableFields;
    QListWidget* FKFields;
    QComboBox* RefTables;
    QLineEdit* RefPKName;
    QListWidget* RefPKFields;
    QComboBox* OnDelAction;
    QComboBox* OnUpdateAction;

protected:
    QString Refusal() const override;
    QLineEdit* NameEdit() const override { return FKName; }

private:
    QStringList m_tableColumns;
    TTableCatalog* m_catalog;
};

class TNewIndex : public TColumnsConstraintDialog
{
    Q_OBJECT
public:
    explicit TNewIndex(const QStringList& tableColumns, QWidget* parent = nullptr);
    void LoadItem(const TConstraintItem& item);
    TConstraintItem Item() const;

    QLineEdit* IName;
    QListWidget* TableList;
    QListWidget* IfList;
    QCheckBox* IUnique;
    QCheckBox* DescIDX;
    QCheckBox* ActiveIDX;

protected:
    QString Refusal() const override;
    QLineEdit* NameEdit() const override { return IName; }
};

class TNewCheck : public TConstraintDialog
{
    Q_OBJECT
public:
    explicit TNewCheck(QWidget* parent = nullptr);
    void LoadItem(const TConstraintItem& item);
    TConstraintItem Item() const;

    QLineEdit* CheckName;
    QPlainTextEdit* CheckExpr;

protected:
    QString Refusal() const override;
    QLineEdit* NameEdit() const override { return CheckName; }
};

class TNewUC : public TColumnsConstraintDialog
{
    Q_OBJECT
public:
    explicit TNewUC(const QStringList& tableColumns, QWidget* parent = nullptr);
    void LoadItem(const TConstraintItem& item);
    TConstraintItem Item() const;

    QLineEdit* CName;
    QListWidget* TableList;
    QListWidget* UCList;

protected:
    QString Refusal() const override;
    QLineEdit* NameEdit() const override { return CName; }
};
