#include "app/editors/Debugger.h"

#include "platform/db/DatabaseError.h"

#include <algorithm>

bool TBreakPoint::HasStatement(int statementID) const
{
    return std::any_of(m_points.begin(), m_points.end(),
                       [&](const TBPoint& point) { return point.StatementID == statementID; });
}

bool TBreakPoint::HasLine(int line) const
{
    return std::any_of(m_points.begin(), m_points.end(), [&](const TBPoint& point) { return point.Line == line; });
}

bool TBreakPoint::RemoveLine(int line)
{
    const auto removed = std::remove_if(m_points.begin(), m_points.end(),
                                        [&](const TBPoint& point) { return point.Line == line; });
    const bool any = removed != m_points.end();
    m_points.erase(removed, m_points.end());
    return any;
}

// Marks the debugger busy for one command. It keeps the shared state, so
// ending a command after the debugger was destroyed touches nothing freed.
class TDebugger::TCommandScope
{
public:
    explicit TCommandScope(std::shared_ptr<TLifeState> state)
        : m_state(std::move(state)), m_acquired(!m_state->Busy)
    {
        m_state->Busy = true;
    }
    ~TCommandScope()
    {
        if (m_acquired)
            m_state->Busy = false;
    }
    TCommandScope(const TCommandScope&) = delete;
    TCommandScope& operator=(const TCommandScope&) = delete;
    bool Acquired() const { return m_acquired; }

private:
    std::shared_ptr<TLifeState> m_state;
    bool m_acquired;
};

TDebugger::TDebugger(TQvDatabase* database) : m_runner(database) {}

TDebugger::~TDebugger()
{
    m_state->Alive = false;
    // The handlers may belong to a window that is being destroyed.
    OnSend = nullptr;
    m_runner.OnSend = nullptr;
    for (const QString& message : m_runner.EndSession())
        qWarning("Ending the debug session: %s", qPrintable(message));
}

void TDebugger::SetMode(TDebugMode mode)
{
    m_mode = mode;
    m_runner.SetMode(mode);
}

TParseResult TDebugger::ParseProcText(const QStringList& lines)
{
    Reset();
    m_breakpoints.Clear();
    return ::ParseProcText(lines, m_statements);
}

QString TDebugger::Tag()
{
    if (m_tag.isEmpty())
        m_tag = DrawSessionTag(m_vars);
    return m_tag;
}

int TDebugger::CurrentLine() const
{
    if (!m_running)
        return -1;
    const TSQLString* statement = m_statements.Find(m_statements.CurrentID);
    return statement ? statement->Line : -1;
}

bool TDebugger::StartSession(TStepResult& result)
{
    if (m_running)
        return true;
    m_statements.ClearStatistics();
    m_statements.CurrentID = 0;
    m_vars.SetAllNull();
    if (OnSessionStart)
        OnSessionStart();
    m_runner.SetMode(m_mode);
    m_runner.SetTag(Tag());
    m_runner.OnSend = OnSend;
    try {
        m_runner.BeginSession();
    } catch (const std::exception& error) {
        result.Messages << m_runner.EndSession();
        result.Messages.prepend(ErrorText(error));
        result.Failed = true;
        return false;
    }
    m_running = true;
    return true;
}

void TDebugger::EndSession(TStepResult& result)
{
    result.Messages << m_runner.EndSession();
    m_running = false;
    m_statements.CurrentID = 0;
    result.SessionEnded = true;
}

int TDebugger::SkipStructural(int id) const
{
    // Structural items only pass on; the bound guards against a cycle.
    for (int steps = 0; steps <= m_statements.Count(); ++steps) {
        const TSQLString* statement = m_statements.Find(id);
        if (!statement || id > m_statements.LastID || !statement->IsStructural())
            return id;
        id = statement->Next;
    }
    return m_statements.LastID + 1;
}

TStepResult TDebugger::StepOver()
{
    TStepResult result;
    const TCommandScope command(m_state);
    if (!command.Acquired() || !CanRun() || !StartSession(result))
        return result;
    const int current = m_statements.CurrentID;
    if (current < 0 || current > m_statements.LastID) {
        EndSession(result);
        return result;
    }
    const TExecOutcome outcome = m_runner.ExecuteStatement(m_statements, current, m_vars);
    result.Messages << outcome.Messages;
    if (!outcome.Completed) {
        result.Failed = true;
        return result;
    }
    const int next = SkipStructural(outcome.NextID);
    if (next < 0 || next > m_statements.LastID)
        EndSession(result);
    else
        m_statements.CurrentID = next;
    return result;
}

TStepResult TDebugger::Run()
{
    return RunUntil(-1);
}

TStepResult TDebugger::RunToLine(int line)
{
    return RunUntil(m_statements.StatementAtLine(line));
}

TStepResult TDebugger::RunUntil(int target)
{
    TStepResult result;
    const TCommandScope command(m_state);
    if (!command.Acquired() || !CanRun() || !StartSession(result))
        return result;
    const std::shared_ptr<TLifeState> state = m_state;
    // False when the debugger was destroyed or reset meanwhile. The handler
    // is copied first: it may destroy the debugger that holds it.
    const auto letMessagesThrough = [&] {
        if (const std::function<void()> between = OnBetweenStatements)
            between();
        return state->Alive && m_running;
    };
    for (;;) {
        const int current = m_statements.CurrentID;
        if (current < 0 || current > m_statements.LastID) {
            EndSession(result);
            return result;
        }
        if (!letMessagesThrough())
            return result;
        const TExecOutcome outcome = m_runner.ExecuteStatement(m_statements, current, m_vars);
        result.Messages << outcome.Messages;
        if (!outcome.Completed) {
            result.Failed = true;
            break;
        }
        if (!letMessagesThrough())
            return result;
        const int next = outcome.NextID;
        if (next < 0 || next > m_statements.LastID) {
            EndSession(result);
            return result;
        }
        m_statements.CurrentID = next;
        if (m_breakpoints.HasStatement(next) || next == target)
            break;
    }
    const int shown = SkipStructural(m_statements.CurrentID);
    if (shown > m_statements.LastID)
        EndSession(result);
    else
        m_statements.CurrentID = shown;
    return result;
}

QStringList TDebugger::Reset()
{
    if (!m_running)
        return {};
    const QStringList messages = m_runner.EndSession();
    m_running = false;
    m_statements.CurrentID = 0;
    return messages;
}

int TDebugger::ToggleBreakpoint(int line)
{
    const TSQLString* statement = m_statements.Find(m_statements.StatementAtLine(line));
    if (!statement)
        return -1;
    if (!m_breakpoints.RemoveLine(statement->Line))
        m_breakpoints.Add({statement->Line, statement->ID});
    return statement->Line;
}

bool TDebugger::ModifyValue(const QString& name, const QString& text)
{
    const bool isNull = IsNullText(text);
    return m_vars.SetVar(name, isNull ? QString() : text, isNull);
}
