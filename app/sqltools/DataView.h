#pragma once

// The data view: browses and edits the rows of one table or view in a grid
// or one record at a time in a form, in a transaction of its own that the
// user commits or rolls back. Its dataset's statements are made from the
// table's columns before every open; a table that cannot be opened for
// editing is browsed read-only.

#include "app/shell/CloseQuery.h"
#include "app/shell/TextExport.h"
#include "app/sqltools/DataViewSQL.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QToolBar;
class TDataSource;
class TEntryConnection;
class TQcDBGrid;
class TQvDataSet;
class TQvDatabase;
class TQvTransaction;

class TFDataView : public QWidget, public TResultWindow, public TCloseQuery
{
    Q_OBJECT
public:
    TFDataView(quint64 dbId, const QString& tableName, QWidget* parent = nullptr);
    ~TFDataView() override;

    // Binds the dataset to the database, starts the transaction and opens
    // the rows; when that fails, opens them read-only; when that fails too,
    // shows why and rolls back. False when nothing could be opened.
    bool OpenOn(TQvDatabase* database);

    TDataSet* ResultDataSet() const override;
    // Nothing to ask: the window commits when it closes.
    bool QueryClose() override;

    // Handlers.
    void CommitBtnClick();
    void RollbackBtnClick();
    void RecCountBtnClick();
    void SortBtnClick();
    void NoSortBtnClick();
    void NoSortMenuClick();
    // Orders the rows by the grid's current column, after the order so far.
    void SortMenuClick(bool ascending);
    void PagesChange();
    // Sets the popup's check marks for the grid's current column.
    void UpdatePopupChecks();
    // Ctrl+C and Ctrl+Insert in the grid: the selected cell's text to the clipboard.
    void CopyCellText();
    void BuildFormView();
    // The window's keys; true when one was used.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    QString TableName;
    quint64 DBId = 0;
    bool ReadOnlyView = false;
    QList<TDataViewSortField> OrderFields;
    QString SortField;
    bool SortAscending = true;
    bool FormViewPending = true;

    QWidget* Panel1;
    QToolBar* DBNavigator1;
    QAction* NavFirst;
    QAction* NavPrior;
    QAction* NavNext;
    QAction* NavLast;
    QAction* NavInsert;
    QAction* NavDelete;
    QAction* NavEdit;
    QAction* NavPost;
    QAction* NavCancel;
    QAction* NavRefresh;
    QPushButton* CommitBtn;
    QPushButton* RollbackBtn;
    QTabWidget* Pages;
    QWidget* TablePage;
    QWidget* FormSheet;
    TQcDBGrid* TableViewGrid;
    QWidget* Panel5;
    QPushButton* RecCountBtn;
    QLabel* RCount;
    QPushButton* SortBtn;
    QPushButton* NoSortBtn;
    QLabel* Orderby;
    QLineEdit* TempE;
    QScrollArea* SB1;
    TQvDataSet* DS;
    TQvTransaction* Tran;
    TDataSource* DSrc;
    QMenu* Popup1;
    QAction* NoSortMenu;
    QAction* AscSortMenu;
    QAction* DescSortMenu;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void DSBeforeOpen();
    void EnableTransactionButtons(bool enabled);
    void UpdateNavigator();
    void NavigatorClick(QAction* action);
    // Refresh: the rows again, opened anew when a lost connection took them.
    void RefreshData();
    // Closes the dataset (posting a pending change first), runs the change
    // of order and opens it again.
    void Reopen(const std::function<void()>& changeOrder);
    void ShowError(const std::exception& error);
    // Runs a command that goes to the server, on a connection the server
    // still holds: one it dropped is said once and connected again first.
    // A loss the command itself finds is said once too; with retry the
    // command then runs once more on a new connection, else it is left to
    // the next command. Other failures are shown.
    void ServerCommand(const std::function<void()>& command, bool retryAfterLoss);
    // The connection, connected again when the server dropped it (the rows
    // and the transaction went with it: both are opened anew); false when it
    // could not be connected.
    bool Connected();
    // The grid found the connection lost: said once, unless a command
    // already did and connected again.
    void GridFoundLoss();

    QPointer<TQvDatabase> m_database;
    TEntryConnection* m_connection = nullptr;
    // The server dropped the connection, and the transaction with it.
    bool m_transactionLost = false;
    bool m_lossQueued = false; // a lost connection the grid found waits to be said
    // The lost transaction held changes the user had not committed.
    bool m_changesLost = false;
    // The record the user was on (1-based), found again when the rows are
    // read anew after a lost connection.
    int m_recNo = 0;
    // The columns of the last open, as the server described them.
    QList<TDataViewColumn> m_columns;
    bool m_readOnlyCaption = false;
};

// The Data view command of the tree and the main window: brings the open
// data view of the object forward or opens one.
TFDataView* OpenDataView(quint64 dbId, const QString& tableName);
void InstallDataView();
