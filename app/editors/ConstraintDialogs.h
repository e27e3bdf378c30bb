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

// What every dialog shares: the name edit (upper case, at most 31
// characters), OK and Cancel, IsNew and Filled.
class TConstraintDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TConstraintDialog(QWidget* parent);

    bool IsNew = true;
    bool Filled = false;

    // OK: validates, then closes with OK; a refusal keeps the dialog open.
    void OkBtnClick();

    QPushButton* OkBtn;
    QPushButton* CancelBtn;

protected:
    QLineEdit* MakeNameEdit(const QString& objectName);
    // The validation message, or "" when the item can be taken.
    virtual QString Refusal() const = 0;
    virtual QLineEdit* NameEdit() const = 0;
};

class TNewFK : public TConstraintDialog
{
    Q_OBJECT
public:
    // The table's columns come from the editor's grid; the catalog reads
    // the tables with a primary key and their keys.
    TNewFK(const QStringList& tableColumns, TTableCatalog* catalog, QWidget* parent = nullptr);

    // Fills the lists; false when the server refused a read (shown).
    bool FormShow();
    // Takes an item's definition (sets Filled); a stored foreign key keeps its referenced table.
    void LoadItem(const TConstraintItem& item, bool stored);
    TConstraintItem Item() const;
    // The referenced table was chosen: shows its primary key.
    bool RefTablesChange();

    QLineEdit* FKName;
    QListWidget* TableFields;
    QListWidget* FKFields;
    QPushButton* UpBtn;
    QPushButton* DownBtn;
    QComboBox* RefTables;
    QLineEdit* RefPKName;
    QListWidget* RefPKFields;
    QComboBox* OnDelAction;
    QComboBox* OnUpdateAction;
    TFieldPicker* Picker;

protected:
    QString Refusal() const override;
    QLineEdit* NameEdit() const override { return FKName; }

private:
    QStringList m_tableColumns;
    TTableCatalog* m_catalog;
};

class TNewIndex : public TConstraintDialog
{
    Q_OBJECT
public:
    explicit TNewIndex(const QStringList& tableColumns, QWidget* parent = nullptr);
    void LoadItem(const TConstraintItem& item);
    TConstraintItem Item() const;

    QLineEdit* IName;
    QListWidget* TableList;
    QListWidget* IfList;
    QPushButton* UpBtn;
    QPushButton* DownBtn;
    QCheckBox* IUnique;
    QCheckBox* DescIDX;
    QCheckBox* ActiveIDX;
    TFieldPicker* Picker;

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

class TNewUC : public TConstraintDialog
{
    Q_OBJECT
public:
    explicit TNewUC(const QStringList& tableColumns, QWidget* parent = nullptr);
    void LoadItem(const TConstraintItem& item);
    TConstraintItem Item() const;

    QLineEdit* CName;
    QListWidget* TableList;
    QListWidget* UCList;
    QPushButton* UpBtn;
    QPushButton* DownBtn;
    TFieldPicker* Picker;

protected:
    QString Refusal() const override;
    QLineEdit* NameEdit() const override { return CName; }
};
