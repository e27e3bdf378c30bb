#pragma once

// The debugger window: a stored procedure or trigger run statement by
// statement on the server. The procedure and trigger editors create it,
// hand it the variables and the body, and run its set-up (or call
// OpenDebugger, which does all of that). The window shows the body with the
// execution point and the breakpoints, the variables, the initial values of
// the inputs (kept in the registry per database and object) and what each
// statement cost; the stepping itself is TDebugger's.

#include "app/editors/Debugger.h"
#include "app/shell/CloseQuery.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class QAction;
class QGridLayout;
class QMenu;
class QMenuBar;
class QScrollArea;
class QTabWidget;
class QTableWidget;
class TFormStorage;
class TInitialValueRow;
class TQcSplitter;
class TqeCustomEdit;
class TqeGeneralSyn;
class TqeImageList;

class Ts_debug : public QWidget, public TCloseQuery
{
    Q_OBJECT
    // The shell finds the windows of a database through these.
    Q_PROPERTY(int DBNumber READ DBNumber)
    Q_PROPERTY(quint64 DBId READ DBId)

public:
    // Gutter images of the breakpoint and of the execution point.
    static constexpr int kBreakpointImage = 10;
    static constexpr int kExecutionPointImage = 11;

    // Bound to the registered database with that identity (TDBList::GetId).
    explicit Ts_debug(quint64 dbId, QWidget* parent = nullptr);
    ~Ts_debug() override;

    // The open debugger of an object of a database, or none.
    static Ts_debug* Find(quint64 dbId, const QString& objectName);

    int DBNumber() const;
    quint64 DBId() const { return m_dbId; }
    TDebugger& Debugger() { return *m_debugger; }
    const TDebugger& Debugger() const { return *m_debugger; }

    // --- filled by the editor that opens the window, in this order ---
    void AddVar(const QString& name, const QString& type, int kind);
    TInOutVar& Vars() { return m_debugger->Vars(); }
    // The variable grid and the editor's value hints.
    void RefreshVarGrid();
    TDebugMode Mode() const { return m_debugger->Mode(); }
    void SetMode(TDebugMode mode) { m_debugger->SetMode(mode); }
    const QString& ObjectName() const { return m_objectName; }
    void SetObjectName(const QString& name);
    const QString& TableName() const { return m_tableName; }
    void SetTableName(const QString& name) { m_tableName = name; }
    // The body (without its outer begin and end) into ProcText.
    void SetBodyLines(const QStringList& lines);
    // One row per input variable, showing what the registry keeps for it.
    void BuildInitialValuePage();
    // Cuts the body into statements; a failure is shown and leaves the
    // run commands disabled. True when it parsed.
    bool ParseProcText();
    // Binds the database, sets the caption and the editor's options and
    // link words.
    void FormShow();

    // --- commands ---
    void RunClick();
    void StepOverClick();
    void RunToCursorClick();
    void ResetClick();
    void ToggleBreakpointClick();
    void ModifyValueClick();
    void SaveInitialValueClick();
    void FontClick();

    // Toggles the breakpoint of the statement on that 0-based line.
    void ToggleBreakpoint(int line);
    // The variables made as the initial-value page says.
    void LoadInitialValues();
    void RefreshStatGrid();
    bool Running() const { return m_debugger->Running(); }
    const std::vector<std::unique_ptr<TInitialValueRow>>& InitialValueRows() const { return m_rows; }
    // "SQL Debugger - <object>"
    QString BaseCaption() const;

    // Components, under their names.
    QMenuBar* MainMenu;
    QMenu* RunMenu;
    QAction* RunItem;
    QAction* StepOverItem;
    QAction* RunToCursorItem;
    QAction* ResetItem;
    QMenu* ParametersMenu;
    QAction* SaveInitialValueItem;
    QAction* FontItem;
    QTabWidget* Pages;
    QWidget* InitialPage;
    QScrollArea* InitialScroll;
    QWidget* DebugPage;
    QWidget* StatPage;
    TqeCustomEdit* ProcText;
    TqeGeneralSyn* Syntax;
    TqeImageList* ImageList1;
    QMenu* ProcTextMenu;
    QAction* ToggleBreakpointItem;
    TQcSplitter* Splitter1;
    QTableWidget* VarGrid;
    QMenu* VarGridMenu;
    QAction* ModifyValueItem;
    QTableWidget* StGrid;
    TFormStorage* FormStorage1;

    // Asks about a session in progress; it ends only when the window goes.
    bool QueryClose() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    void CreateInitialPage();
    void CreateDebugPage();
    void CreateStatPage();
    void MakeImages();
    // The execution point, breakpoints and their gutter marks as the
    // debugger has them now.
    void ShowMarks();
    void ShowStepResult(const TStepResult& result);
    // After a command: caption, marks, grids, command states.
    void ShowState(bool wasReset);
    // Run (F9) or Run to cursor (F4).
    void RunSession(bool toCursor);
    void UpdateCommands();
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // F9, F8, F4, F5, Ctrl+F2 and Esc: the keys the window takes itself.
    static bool IsOwnKey(int key, Qt::KeyboardModifiers modifiers);
    // Whether the window may close now (asks while a session runs).
    bool FormCloseQuery();
    // "Debug Session in progress. Terminate and close window?" answered Yes.
    bool UserEndsSession() const;
    void EndSession();
    QString DatabaseName() const;

    quint64 m_dbId;
    std::unique_ptr<TDebugger> m_debugger;
    std::vector<std::unique_ptr<TInitialValueRow>> m_rows;
    QWidget* m_rowPanel = nullptr;
    QString m_objectName;
    QString m_tableName;
    bool m_parsed = false;
    bool m_shown = false;
    // A run is in progress: the window lets events through meanwhile.
    bool m_inRun = false;
    // The user closed the window while a run let events through: it
    // closes once the run has stopped.
    bool m_closeAfterRun = false;
};

// What the procedure and trigger editors hand the debugger.
struct TDebugRequest
{
    quint64 DBId = 0;
    TDebugMode Mode = dmProcedure;
    QString ObjectName;
    // Trigger mode: the trigger's table. Unless Vars holds them already
    // (ReadTableColumns false), its columns become the input variables
    // "old.X" and "new.X" ahead of Vars.
    QString TableName;
    bool ReadTableColumns = true;
    std::vector<TSQLVar> Vars;         // name, type, kind, in order (a trigger's locals)
    QStringList Lines;                 // the body without its outer begin and end
};

// Brings the debugger of the object forward when one is open; otherwise
// makes one as the editors do (variables, grid, mode, names, lines, initial
// values, parse, set-up) and shows it as a child of the main window.
Ts_debug* OpenDebugger(const TDebugRequest& request);

// Plugs the debugger into the procedure editor's Debug command.
void InstallDebugger();
