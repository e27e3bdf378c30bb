#include "app/editors/DebugSession.h"

#include "access/QvTransactionScope.h"
#include "app/editors/DebugWords.h"
#include "app/editors/OwnStatement.h"
#include "components/ConvertError.h"
#include "platform/db/DatabaseError.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>

namespace {

// The temporary procedures of this process's running sessions, upper-cased:
// a session that starts must not drop them.
std::mutex& liveNamesMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::set<QString>& liveNames()
{
    static std::set<QString> names;
    return names;
}

void setLive(const QString& name, bool live)
{
    if (name.isEmpty())
        return;
    const std::lock_guard<std::mutex> lock(liveNamesMutex());
    if (live)
        liveNames().insert(name.toUpper());
    else
        liveNames().erase(name.toUpper());
}

bool isLive(const QString& name)
{
    const std::lock_guard<std::mutex> lock(liveNamesMutex());
    return liveNames().count(name.toUpper()) > 0;
}

int nextSessionNumber()
{
    static std::atomic<int> counter{0};
    return ++counter;
}

// The first column of every row of a catalog query, trailing blanks removed,
// read in a transaction of its own.
QStringList catalogColumn(TQvDatabase& database, const QString& sql)
{
    TOwnStatement statement(database);
    TQvQuery& query = statement.query;
    // The catalog text is written in dialect 1.
    query.SetSQLDialect(1);
    query.SetSQLText(sql);
    TQvTransactionScope scope(statement.transaction);
    query.ExecQuery();
    QStringList values;
    for (TQvXSQLDA* row = query.Eof() ? nullptr : &query.Current(); row; row = query.Next())
        values << row->Vars(0).AsString().trimmed();
    query.Close();
    scope.Commit();
    return values;
}

QString messageOf(const std::exception& error)
{
    if (const auto* debug = dynamic_cast<const EDebugError*>(&error))
        return debug->Message();
    if (const auto* conversion = dynamic_cast<const EConvertError*>(&error))
        return conversion->message();
    return ErrorText(error);
}

} // namespace

// Drops the temporary procedure when a run leaves, whichever way it leaves.
class TStatementRunner::TDropGuard
{
public:
    TDropGuard(TStatementRunner& runner, TExecOutcome& outcome) : m_runner(runner), m_outcome(outcome) {}
    ~TDropGuard()
    {
        QString error;
        if (!m_runner.DropTemporary(&error))
            m_outcome.Messages << error;
    }
    TDropGuard(const TDropGuard&) = delete;
    TDropGuard& operator=(const TDropGuard&) = delete;

private:
    TStatementRunner& m_runner;
    TExecOutcome& m_outcome;
};

TStatementRunner::TStatementRunner(TQvDatabase* database) : m_database(database)
{
    m_forTran.SetTRParams({QStringLiteral("read"), QStringLiteral("read_committed"), QStringLiteral("rec_version")});
    m_forTran.SetTimeoutAction(TARollback);
    if (database) {
        m_tran.AddDatabase(database);
        m_forTran.AddDatabase(database);
    }
    m_proc.SetDatabase(database);
    m_proc.SetTransaction(&m_tran);
    m_proc.SetParamCheck(false);
    m_exec.SetDatabase(database);
    m_exec.SetTransaction(&m_tran);
}

TStatementRunner::~TStatementRunner()
{
    OnSend = nullptr;
    EndSession();
    setLive(m_tempName, false);
}

void TStatementRunner::CheckDatabase() const
{
    if (!m_database)
        QvError(qveDatabaseNotAssigned);
    m_database->CheckActive();
}

TWrapperContext TStatementRunner::Context() const
{
    return {m_tempName, m_tag, m_dialect, m_mode};
}

void TStatementRunner::Send(TQvQuery& query, const QString& text)
{
    query.SetSQLText(text);
    if (OnSend)
        OnSend(text);
}

void TStatementRunner::BeginSession()
{
    if (m_inSession)
        return;
    CheckDatabase();
    m_dialect = m_database->SQLDialect();
    m_proc.SetSQLDialect(m_dialect);
    m_exec.SetSQLDialect(m_dialect);
    m_attachment = catalogColumn(*m_database,
                                 QStringLiteral("select cast(current_connection as varchar(20)) from rdb$database"))
                       .value(0)
                       .toLongLong();
    DropLeftovers(m_attachment);
    m_systemRelations.clear();
    const QStringList system = catalogColumn(
        *m_database, QStringLiteral("select rdb$relation_id from rdb$relations where rdb$system_flag <> 0"));
    for (const QString& id : system)
        m_systemRelations.insert(id.toInt());
    NewTemporaryName();
    m_forTran.StartTransaction();
    m_inSession = true;
}

void TStatementRunner::DropLeftovers(qint64 attachment)
{
    static const QRegularExpression ours(QStringLiteral("^MMM\\$(\\d+)_(\\d+)_(\\d+)$"));
    const QStringList procedures = catalogColumn(
        *m_database,
        QStringLiteral("select rdb$procedure_name from rdb$procedures where rdb$procedure_name starting with 'MMM$'"));
    if (procedures.isEmpty())
        return;
    QSet<qint64> attached;
    const QStringList ids = catalogColumn(
        *m_database, QStringLiteral("select cast(mon$attachment_id as varchar(20)) from mon$attachments"));
    for (const QString& id : ids)
        attached.insert(id.toLongLong());
    for (const QString& name : procedures) {
        const QRegularExpressionMatch match = ours.match(name);
        if (!match.hasMatch())
            continue;  // not one of ours: a procedure of the user's
        const qint64 owner = match.captured(2).toLongLong();
        const bool dead = !attached.contains(owner) || (owner == attachment && !isLive(name));
        if (!dead)
            continue;
        try {
            TQvTransactionScope scope(m_tran);
            Send(m_proc, QStringLiteral("drop procedure ") + name);
            m_proc.ExecQuery();
            scope.Commit();
        } catch (const EQvError& error) {
            // Still in use, or another user's: its own session drops it.
            qWarning("Dropping %s: %s", qPrintable(name), error.what());
        }
        m_proc.FreeHandle();
    }
}

void TStatementRunner::NewTemporaryName()
{
    setLive(m_tempName, false);
    m_tempName = QStringLiteral("mmm$%1_%2_%3")
                     .arg(QCoreApplication::applicationPid())
                     .arg(m_attachment)
                     .arg(nextSessionNumber());
    setLive(m_tempName, true);
    m_tempExists = false;
}

QStringList TStatementRunner::EndSession()
{
    QStringList failures;
    // Closing a cursor never throws; each reports its own failure.
    m_cursors.clear();
    if (m_forTran.Active()) {
        try {
            m_forTran.Commit();
        } catch (const std::exception& error) {
            failures << messageOf(error);
            try {
                m_forTran.EndTransaction(TARollback, true);
            } catch (...) {
                // Forced: the handle is gone either way.
            }
        }
    }
    QString error;
    if (!DropTemporary(&error))
        failures << error;
    m_inSession = false;
    return failures;
}

TExecOutcome TStatementRunner::ExecuteStatement(TSQLText& statements, int id, TInOutVar& vars)
{
    TExecOutcome outcome;
    TSQLString* statement = statements.Find(id);
    if (!statement || id > statements.LastID) {
        outcome.NextID = id;
        return outcome;
    }
    if (statement->IsStructural()) {
        outcome.NextID = statement->Next;
        outcome.Completed = true;
        return outcome;
    }
    const QString first = FirstWordOfStatement(statement->Text);
    if (first == u"exit") {
        // Leaves the body: past the last statement, so the session ends.
        outcome.NextID = statements.LastID + 1;
        outcome.Completed = true;
        return outcome;
    }
    if (first == u"when") {
        // Handlers run only when their error happens, never in the normal flow.
        outcome.NextID = statement->Jump;
        outcome.Completed = true;
        return outcome;
    }
    try {
        CheckDatabase();
        if (!m_inSession)
            BeginSession();
        if (first == u"for")
            RunForSelect(*statement, vars, outcome);
        else
            RunWrapped(*statement, vars, outcome);
    } catch (const std::exception& error) {
        // First the failure, then whatever cleaning up after it reported.
        outcome.Messages.prepend(messageOf(error));
        outcome.NextID = id;
        outcome.Completed = false;
    }
    return outcome;
}

void TStatementRunner::RunWrapped(TSQLString& statement, TInOutVar& vars, TExecOutcome& outcome)
{
    const std::vector<TSQLVar> used = vars.CollectUsedVars(statement.Text);
    // Nothing is sent before every value is known to convert.
    for (const TSQLVar& var : used)
        CheckVariableValue(var);
    if (m_tempExists) {
        QString error;
        if (!DropTemporary(&error))
            NewTemporaryName();
    }
    const TWrappedStatement wrapped = BuildWrapper(statement.Text, used, Context());
    CreateTemporary(wrapped.CreateText);

    const TDropGuard drop(*this, outcome);
    std::vector<TSQLVar> results = used;
    int condition = 0;
    {
        TQvTransactionScope scope(m_tran);
        Send(m_exec, wrapped.ExecuteText);
        TQvXSQLDA& params = m_exec.Params();
        for (std::size_t i = 0; i < used.size(); ++i)
            BindVariable(params.Vars(int(i)), used[i]);
        m_stats.TakeBefore(*m_database);
        m_exec.ExecQuery();
        m_stats.TakeAfter(*m_database);
        TQvXSQLDA& row = m_exec.Current();
        for (std::size_t i = 0; i < results.size(); ++i)
            ReadVariable(row.Vars(int(i)), results[i]);
        if (wrapped.IsCondition)
            condition = row.Vars(int(used.size())).AsLong();
        scope.Commit();
    }
    // The values change only once the statement has committed.
    for (const TSQLVar& result : results)
        vars.SetVar(result.Name, result.Value, result.IsNull);
    Accumulate(statement);
    outcome.Completed = true;
    outcome.NextID = wrapped.IsCondition && condition != 0 ? statement.Jump : statement.Next;
}

void TStatementRunner::CreateTemporary(const QString& text)
{
    TQvTransactionScope scope(m_tran);
    Send(m_proc, text);
    m_proc.ExecQuery();
    scope.Commit();
    m_tempExists = true;
}

bool TStatementRunner::DropTemporary(QString* error)
{
    // The prepared execute statement holds the procedure: it goes first.
    try {
        m_exec.FreeHandle();
    } catch (const std::exception& failure) {
        qWarning("Freeing statement: %s", failure.what());
    }
    if (!m_tempExists)
        return true;
    try {
        TQvTransactionScope scope(m_tran);
        Send(m_proc, QStringLiteral("drop procedure ") + m_tempName);
        m_proc.ExecQuery();
        scope.Commit();
        m_proc.FreeHandle();
        m_tempExists = false;
        return true;
    } catch (const std::exception& failure) {
        if (error)
            *error = messageOf(failure);
        return false;
    }
}

void TStatementRunner::RunForSelect(TSQLString& statement, TInOutVar& vars, TExecOutcome& outcome)
{
    outcome.Completed = true;
    outcome.NextID = statement.Jump;  // past the loop, unless a row comes
    TForSelect loop;
    try {
        loop = ParseForSelect(statement.Text, Context());
    } catch (const EDebugError& error) {
        outcome.Messages << error.Message();
        return;
    }
    const bool opening = m_cursors.count(statement.ID) == 0;
    std::vector<const TSQLVar*> params;
    if (opening) {
        QStringList names;
        try {
            PreprocessSQL(loop.Select, names);
        } catch (const std::exception& error) {
            outcome.Messages << messageOf(error);
            return;
        }
        const TWrapperContext context = Context();
        for (const QString& name : names) {
            const QString varName = VariableOfParam(loop.QuotedParams.value(name, name), context);
            const TSQLVar* var = vars.FindVar(varName);
            if (!var)
                outcome.Messages << VariableNotFoundText(varName);
            else
                CheckVariableValue(*var);  // a refusal leaves the loop current, nothing sent
            params.push_back(var);
        }
    }
    try {
        const bool row = opening ? OpenCursor(statement, loop, params) : FetchNext(statement);
        if (!row) {
            m_cursors.erase(statement.ID);
            return;
        }
    } catch (const std::exception& error) {
        // A loop whose select fails is skipped.
        m_cursors.erase(statement.ID);
        outcome.Messages << messageOf(error);
        return;
    }

    const TQvXSQLDA& row = m_cursors.at(statement.ID)->Current();
    for (int i = 0; i < loop.Into.size() && i < row.Count(); ++i) {
        TSQLVar* var = vars.FindVar(loop.Into.at(i));
        if (!var) {
            outcome.Messages << VariableNotFoundText(loop.Into.at(i));
            continue;
        }
        ReadVariable(row.Vars(i), *var);
    }
    outcome.NextID = statement.Next;
    return;
}

bool TStatementRunner::FetchNext(TSQLString& statement)
{
    TQvQuery& cursor = *m_cursors.at(statement.ID);
    m_stats.TakeBefore(*m_database);
    const bool row = cursor.Next() != nullptr;
    m_stats.TakeAfter(*m_database);
    Accumulate(statement);
    return row;
}

bool TStatementRunner::OpenCursor(TSQLString& statement, const TForSelect& loop,
                                  const std::vector<const TSQLVar*>& params)
{
    auto cursor = std::make_unique<TQvQuery>();
    cursor->SetDatabase(m_database);
    cursor->SetTransaction(&m_forTran);
    cursor->SetSQLDialect(m_dialect);
    Send(*cursor, loop.Select);
    // Bound by position: a variable named twice is bound at both places.
    TQvXSQLDA& bound = cursor->Params();
    for (int i = 0; i < bound.Count() && i < int(params.size()); ++i) {
        if (params[std::size_t(i)])
            BindVariable(bound.Vars(i), *params[std::size_t(i)]);
        else
            bound.Vars(i).SetIsNull(true);
    }
    m_stats.TakeBefore(*m_database);
    cursor->ExecQuery();
    m_stats.TakeAfter(*m_database);
    Accumulate(statement);
    if (cursor->Eof())
        return false;
    if (cursor->Current().Count() != loop.Into.size())
        throw EDebugError(QStringLiteral("The select returns %1 columns for %2 variables")
                              .arg(cursor->Current().Count())
                              .arg(loop.Into.size()));
    m_cursors[statement.ID] = std::move(cursor);
    return true;
}

void TStatementRunner::Accumulate(TSQLString& statement) const
{
    ++statement.Count;
    statement.Time += m_stats.ElapsedMs();
    qint64 reads = 0;
    for (const TStatBar& bar : m_stats.Bars()) {
        switch (bar.Kind) {
        case skSeqReads:
        case skIdxReads:
            // The server's own catalog reads are not the statement's.
            if (!m_systemRelations.contains(bar.RelationId))
                reads += bar.Value;
            break;
        case skInserts:
            statement.Insert += bar.Value;
            break;
        case skUpdates:
            statement.Update += bar.Value;
            break;
        case skDeletes:
            statement.Delete += bar.Value;
            break;
        }
    }
    statement.Select += std::max<qint64>(reads, 0);
}
