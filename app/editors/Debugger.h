#pragma once

// The procedure debugger without its window: the variables, the parsed
// body, the breakpoints and a session that steps, runs, runs to a line and
// resets. The window shows what this holds and calls it from its commands;
// everything that talks to the server or decides where execution goes is
// here.

#include "app/editors/DebugParser.h"
#include "app/editors/DebugSession.h"
#include "app/editors/DebugVars.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class TQvDatabase;

// A breakpoint: the statement and the editor line it starts on.
struct TBPoint
{
    int Line = 0;
    int StatementID = 0;
};

class TBreakPoint
{
public:
    bool HasStatement(int statementID) const;
    bool HasLine(int line) const;
    void Add(const TBPoint& point) { m_points.push_back(point); }
    bool RemoveLine(int line);
    void Clear() { m_points.clear(); }
    const std::vector<TBPoint>& Items() const { return m_points; }

private:
    std::vector<TBPoint> m_points;
};

// What a step or a run came to.
struct TStepResult
{
    // Server errors, refused values, unknown variables, in order: each one
    // is shown to the user.
    QStringList Messages;
    // The statement failed; it is still the one to run next.
    bool Failed = false;
    // Execution went past the last statement: the session is over.
    bool SessionEnded = false;
};

class TDebugger
{
public:
    explicit TDebugger(TQvDatabase* database);
    // Ends a running session; never throws.
    ~TDebugger();
    TDebugger(const TDebugger&) = delete;
    TDebugger& operator=(const TDebugger&) = delete;

    // Set up by the editor that opens the debugger.
    TInOutVar& Vars() { return m_vars; }
    const TInOutVar& Vars() const { return m_vars; }
    TDebugMode Mode() const { return m_mode; }
    void SetMode(TDebugMode mode);
    // Parses the body; ends a running session first. After an error there
    // are no statements and nothing can run.
    TParseResult ParseProcText(const QStringList& lines);
    const TSQLText& Statements() const { return m_statements; }
    bool CanRun() const { return m_statements.LastID >= 0; }

    // The session tag, drawn the first time it is needed; cleared when the
    // window is hidden, so the next session draws another.
    QString Tag();
    void ClearTag() { m_tag.clear(); }
    void SetTag(const QString& tag) { m_tag = tag; }

    // Called when a session starts, after the statistics were cleared and
    // every variable made null: the window sets the initial values here.
    std::function<void()> OnSessionStart;
    // Let pending window messages through between the statements of a run.
    std::function<void()> OnBetweenStatements;
    // Every statement text sent to the server.
    std::function<void(const QString&)> OnSend;

    bool Running() const { return m_running; }
    // The statement to run next (0 while idle) and its editor line (-1 while idle).
    int CurrentID() const { return m_statements.CurrentID; }
    int CurrentLine() const;

    // Runs the current statement and moves to the next one with text.
    TStepResult StepOver();
    // Runs until the end, a breakpoint, a failure or Reset.
    TStepResult Run();
    // As Run, stopping also before the statement of that editor line.
    TStepResult RunToLine(int line);
    // Ends a running session: cursors closed, the cursor transaction
    // committed, no temporary procedure left.
    QStringList Reset();

    TBreakPoint& Breakpoints() { return m_breakpoints; }
    const TBreakPoint& Breakpoints() const { return m_breakpoints; }
    // Toggles the breakpoint of the statement containing the line; answers
    // the line of that statement (where the mark goes), -1 when none.
    int ToggleBreakpoint(int line);

    // The value typed for a variable; "null" in any case makes it null.
    bool ModifyValue(const QString& name, const QString& text);

    int OpenCursorCount() const { return m_runner.OpenCursorCount(); }
    QString TempName() const { return m_runner.TempName(); }

private:
    class TCommandScope;
    bool StartSession(TStepResult& result);
    void EndSession(TStepResult& result);
    int SkipStructural(int id) const;
    TStepResult RunUntil(int target);

    TInOutVar m_vars;
    TSQLText m_statements;
    TBreakPoint m_breakpoints;
    TStatementRunner m_runner;
    TDebugMode m_mode = dmProcedure;
    QString m_tag;
    bool m_running = false;
    // Shared with a command in progress: a run stops at once when the
    // debugger is destroyed from a handler it let through, and a command
    // let through in the middle of another does nothing.
    struct TLifeState
    {
        bool Alive = true;
        bool Busy = false;
    };
    std::shared_ptr<TLifeState> m_state = std::make_shared<TLifeState>();
};
