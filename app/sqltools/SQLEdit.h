#pragma once

// The SQL editor: an MDI child window in which the user types one statement
// and runs it against one registered database. A select opens as a read-only
// result set on the result page; any other statement is executed in the
// window's own transaction, which stays open until the user commits, rolls
// back or closes the window. Every run is measured (elapsed time, page and
// buffer counters, per-table counters as bar charts) and kept in a history.

#include "access/QvDatabase.h"
#include "app/shell/CloseQuery.h"
#include "app/shell/TextExport.h"
#include "app/sqltools/ExecStatistics.h"
#include "platform/Dialogs.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QAction;
class QBarSet;
class QChart;
class QChartView;
class QHorizontalBarSeries;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QToolBar;
class TDataSetModel;
class TDataSource;
class TEntryConnection;
class TFormStorage;
class TQcSpeedButton;
class TQcSplitter;
class TQvDataSet;
class TQvQuery;
class TQvTransaction;
class TResultGrid;
class TqeCustomEdit;
class TqeGeneralSyn;

class TSQLEditor : public QWidget, public TResultWindow, public TCloseQuery
{
    Q_OBJECT
    // The shell finds the windows of a database through these.
    Q_PROPERTY(int DBNumber READ DBNumber)
    Q_PROPERTY(quint64 DBId READ DBId)

public:
    // Binds the window to the registered database with that identity
    // (TDBList::GetId), which must be connected.
    explicit TSQLEditor(quint64 dbId, QWidget* parent = nullptr);
    ~TSQLEditor() override;

    // 1-based number of the window's database in DBList now; 0 once the
    // registration is gone.
    int DBNumber() const;
    quint64 DBId() const { return m_dbId; }
    // The connection the window was bound to, while it exists.
    TQvDatabase* Database() const { return m_database.data(); }

    // The editor's text without the line break after its last line.
    QString StatementText() const;
    // "SQL Editor - (...)" for a statement text.
    static QString CaptionFor(const QString& text);

    const QStringList& History() const { return m_history; }
    int HistoryIndex() const { return m_historyIndex; }
    const TExecStatistics& Statistics() const { return m_statistics; }
    // The last text the window put on the main window's status line.
    const QString& StatusText() const { return m_statusText; }
    // Asks "Commit Work ?" about an active transaction and keeps the answer.
    bool QueryClose() override;
    // True while a statement runs or the result is being fetched.
    bool Busy() const;
    // The result set while it is open ("Save to File" writes it).
    TDataSet* ResultDataSet() const override;

    // Handlers.
    void RunBtnClick();
    void ShowPlanBtnClick();
    void PrevQueryBtnClick();
    void NextQueryBtnClick();
    void CommitBtnClick();
    void RollbackBtnClick();
    void CutBtnClick();
    void CopyBtnClick();
    void PasteBtnClick();
    void SQLTextHyperLinkClick(const QString& word);
    void PagesChange();
    // Fetches the rest of the result, letting events through between
    // chunks, and makes the last row current (Ctrl+End in the grid).
    void FetchAllRows();
    // The first row of the result (Ctrl+Home in the grid).
    void FirstRow();

    // Components, under the names the other windows use.
    QToolBar* ToolBar1;
    QAction* RunBtn;
    QAction* CutBtn;
    QAction* CopyBtn;
    QAction* PasteBtn;
    QAction* ShowPlanBtn;
    QAction* PrevQueryBtn;
    QAction* NextQueryBtn;
    QAction* SQLFavBtn;
    QAction* AddToFavorites;
    TQcSpeedButton* CommitBtn;
    TQcSpeedButton* RollbackBtn;
    QTabWidget* Pages;
    QWidget* TabSQL;
    QWidget* TabResult;
    QWidget* TabStat;
    TqeCustomEdit* SQLText;
    TqeGeneralSyn* Syntax;
    QPlainTextEdit* PlanView;
    TQcSplitter* Split1;
    TResultGrid* ResultGrid;
    TDataSetModel* ResultModel;
    QLabel* Numrec;
    QChartView* SelectChart;
    QChartView* InsertChart;
    QChartView* UpdateChart;
    QChartView* DeleteChart;
    QWidget* PanelStat1;
    QLabel* ExTime;
    QLabel* PageReads;
    QLabel* PageWrites;
    QLabel* MemReads;
    QLabel* MemWrites;
    TQvQuery* RunQ;
    TQvTransaction* RunT;
    TQvDataSet* DS;
    TDataSource* DataSource1;
    TFormStorage* FormStorage1;

    // The bar series of a chart (one bar set holding every bar).
    static QHorizontalBarSeries* SeriesOf(const QChartView* chart);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateToolBar();
    void CreateSQLPage();
    void CreateResultPage();
    void CreateStatisticsPage();
    QChartView* CreateChart(const char* name, int number, const QString& title, QWidget* parent);
    void BindDatabase();
    void FormShow();

    // Running.
    bool DatabaseAvailable() const;
    void RunSelect(const QString& text);
    void RunStatement(const QString& text);
    void RunFailed(const std::exception& error);
    void TakeStatisticsBefore(TQvDatabase* database);
    void TakeStatisticsAfter(TQvDatabase* database);
    void ShowStatistics(TQvDatabase* database);
    void ClearCharts();
    void AddToHistory(const QString& text);
    void ShowHistoryEntry();
    void UpdateTransactionButtons();
    // The Commit and Rollback buttons: ends the transaction the statements run in.
    void EndTransaction(bool commit);
    void ShowRecordCount();
    void SetStatus(const QString& text);
    // A later statement that succeeds takes "Error in query !" off the line.
    void ClearErrorStatus();
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Ends an active transaction as the user answered "Commit Work ?" (asked
    // now unless the quit asked already); false keeps the window open.
    bool FormCloseQuery();
    bool AskCommit();
    // The answer kept for the close: Yes commits, No rolls back.
    qv::ModalResult m_closeAnswer = qv::mrNone;

    quint64 m_dbId;
    QPointer<TQvDatabase> m_database;
    TEntryConnection* m_connection;
    QStringList m_history;
    int m_historyIndex = -1;
    TExecStatistics m_statistics;
    QString m_statusText;
    bool m_shown = false;
    bool m_active = false;
};

// The main window's "Execute SQL": a new SQL editor, shown as a child window,
// on the database of the tree's selected node, which is connected first as
// expanding it does when it is not yet. Returns the window, or none (nothing
// selected, the top node, or the connection refused or given up).
TSQLEditor* ExecuteSQLBtnClick();
// Hooks the SQL editor into the main window: its "Execute SQL" item and tool
// button (Ctrl+S) run ExecuteSQLBtnClick.
void InstallSQLEditorCommand();
