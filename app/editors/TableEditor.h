#pragma once

// The table editor: a new table or the changes of an existing one, edited
// as a grid of columns, the primary key and four constraint lists, and sent
// to the server only when saved. The definition lives in a TTableDefinition;
// the window shows it and turns the user's actions into changes of it.

#include "app/editors/TableCatalog.h"
#include "app/editors/TableDDL.h"
#include "app/shell/CloseQuery.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidgetItem;
class TFieldParam;
class TQvDatabase;
class TTypedGrid;

// The progress window of a save.
class TAlterProcess : public QDialog
{
    Q_OBJECT
public:
    explicit TAlterProcess(QWidget* parent = nullptr);
    QLineEdit* AlterText;
};

// The failed step of a save and the server's message.
class TMyError : public QDialog
{
    Q_OBJECT
public:
    TMyError(const QString& step, const QString& serverMessage, QWidget* parent = nullptr);
    QLabel* ErrMsg;
    QPlainTextEdit* IBMsg;
};

class TNewTable : public QDialog, public TCloseQuery
{
    Q_OBJECT
public:
    // Grid columns.
    enum { fcState = 0, fcName, fcType, fcSize, fcNull, fcDefault, fcComputed, fcDescription, fcOldName, fcCount };

    explicit TNewTable(TQvDatabase* database, QWidget* parent = nullptr);
    ~TNewTable() override;

    // A new table: empty name, one empty row, constraint buttons off until
    // the first column is stored.
    void NewTable();
    // An existing table, read from the database; false when the read failed (shown).
    bool LoadTable(const QString& name);

    const TTableDefinition& Definition() const { return m_table; }
    bool IsNew() const { return m_table.IsNew; }
    bool Modified() const { return m_modified; }
    void SetModified();

    // Runs after the save that created a new table was committed.
    std::function<void(const QString& name)> OnTableCreated;

    // The column dialog for a grid row (1-based); a row below the last
    // column is a new one.
    void LoadFieldParam(int row);
    // The dialog's content into the row; newRow for a row below the last column.
    void StoreFieldRow(int row, bool newRow);
    void DeleteFieldRow(int row);
    // Whether a type name is one of the database's domains.
    bool IsDomain(const QString& type) const;

    // Primary key: the current grid row's column in or out of the key.
    void AddPKField();
    void RemovePKField();
    void MovePKField(int by);

    void AddConstraint(TConstraintKind kind);
    void EditConstraint(TConstraintKind kind);
    void DropConstraint(TConstraintKind kind);

    void EditDescriptions();
    // With the option on, the description of the row's column beside the grid.
    void ShowDescriptionHint(int row);
    // Saves; true when everything was written (the window then closes).
    bool SaveChanges();
    void ShowAlterError(const QString& step, const QString& serverMessage);
    void EnableConstraintButtons();
    void DisableConstraintButtons();
    // Closing: asks "Save changes ?" when modified; false keeps the window.
    bool FormCloseQuery();
    bool QueryClose() override { return FormCloseQuery(); }

    QLineEdit* TableName;
    TTypedGrid* FieldList;
    QPlainTextEdit* SQLText;
    QLineEdit* PKName;
    QListWidget* PKFieldList;
    QPushButton* AddPKBtn;
    QPushButton* RemovePKBtn;
    QPushButton* PKUpBtn;
    QPushButton* PKDownBtn;
    QListWidget* FKList;
    QListWidget* IndexList;
    QListWidget* CheckList;
    QListWidget* UCList;
    QPushButton* AddFieldBtn;
    QPushButton* EditFieldBtn;
    QPushButton* DeleteFieldBtn;
    QPushButton* MoreBtn;
    QPushButton* SaveBtn;
    QPushButton* CancelBtn;
    // Made when first needed.
    TFieldParam* FieldParam = nullptr;
    TAlterProcess* AlterProcess = nullptr;
    QLabel* DescriptionHint = nullptr;

    QListWidget* List(TConstraintKind kind) const;
    QPushButton* AddButton(TConstraintKind kind) const { return m_buttons[int(kind)][0]; }
    QPushButton* EditButton(TConstraintKind kind) const { return m_buttons[int(kind)][1]; }
    QPushButton* DropButton(TConstraintKind kind) const { return m_buttons[int(kind)][2]; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* MakeConstraintPage(TConstraintKind kind, const QString& name);
    void ShowColumns();
    void ShowRow(int row);
    void ShowPrimaryKey();
    void ShowItems(TConstraintKind kind);
    void ShowAll();
    void UpdateItemButtons(TConstraintKind kind);
    void UpdateStatementText();
    void TableNameExit();
    bool GridKey(int key);
    TFieldParam* ColumnDialog();
    int ColumnCount() const { return int(m_table.Columns.size()); }
    QStringList ColumnNames() const;
    // Runs a constraint dialog for an item (none for a new one); true on OK with item set.
    bool RunConstraintDialog(TConstraintKind kind, TConstraintItem& item, bool isNewItem);

    TQvDatabase* m_database;
    TTableDefinition m_table;
    std::unique_ptr<TTableCatalog> m_catalog;
    std::vector<TDomainInfo> m_domains;
    bool m_domainsLoaded = false;
    bool m_modified = false;
    bool m_closing = false;
    // A row below the last column the user is filling in.
    bool m_blankRow = false;
    QPushButton* m_buttons[4][3] = {};
};

// Opens the editor for a new table (empty name) or an existing one of a
// connected database, modally. categoryNode, when given, gets the new
// table's node once the table exists.
void OpenTableEditor(quint64 dbId, TQvDatabase* database, const QString& name, QTreeWidgetItem* categoryNode);

// Registers the New and Edit commands of the tree's "Tables".
void InstallTableEditor();
