#pragma once

// Running the statements of a body on the server, one at a time. Ordinary
// statements and conditions run as a temporary procedure that is created,
// executed and dropped, each step in a transaction of its own; a for-select
// keeps its cursor open across visits in the session's cursor transaction
// and hands one row to the variables per visit. Each run adds what it cost
// (time, rows read from the user's tables, inserted, updated, deleted) to
// its statement.
//
// The temporary procedure is named "mmm$<process>_<attachment>_<n>", unique
// among the sessions of every process attached to the database; a session
// that starts drops what sessions that died left behind.

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "app/editors/DebugParser.h"
#include "app/editors/DebugWrapper.h"
#include "app/shell/TableCounters.h"

#include <QPointer>
#include <QSet>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

// What running one statement came to.
struct TExecOutcome
{
    // The statement to run next; meaningful when Completed.
    int NextID = -1;
    // False when the statement failed: it stays the one to run next.
    bool Completed = false;
    // What to tell the user, in order (server errors, refused values,
    // unknown variables).
    QStringList Messages;
};

class TStatementRunner
{
public:
    explicit TStatementRunner(TQvDatabase* database);
    // Ends a session still running; never throws.
    ~TStatementRunner();
    TStatementRunner(const TStatementRunner&) = delete;
    TStatementRunner& operator=(const TStatementRunner&) = delete;

    TQvDatabase* Database() const { return m_database; }
    void SetMode(TDebugMode mode) { m_mode = mode; }
    void SetTag(const QString& tag) { m_tag = tag; }

    // Drops the leftovers of sessions that died, learns which relations are
    // the system's, names this session's temporary procedure and starts the
    // cursor transaction. Raises the server's errors.
    void BeginSession();
    // Closes every cursor, commits the cursor transaction and drops a
    // temporary procedure still there. Never throws; answers what failed.
    QStringList EndSession();
    bool InSession() const { return m_inSession; }

    // Runs the statement with that ID and tells which one comes next.
    TExecOutcome ExecuteStatement(TSQLText& statements, int id, TInOutVar& vars);

    int OpenCursorCount() const { return int(m_cursors.size()); }
    const QString& TempName() const { return m_tempName; }
    // Every statement text as it is sent (create, execute, drop, select).
    std::function<void(const QString&)> OnSend;

private:
    class TDropGuard;

    void CheckDatabase() const;
    TWrapperContext Context() const;
    void Send(TQvQuery& query, const QString& text);
    void RunWrapped(TSQLString& statement, TInOutVar& vars, TExecOutcome& outcome);
    void RunForSelect(TSQLString& statement, TInOutVar& vars, TExecOutcome& outcome);
    // The first visit of a loop: opens its select on the first row; false
    // when there is none. Later visits fetch the next row.
    bool OpenCursor(TSQLString& statement, const TForSelect& loop, const std::vector<const TSQLVar*>& params);
    bool FetchNext(TSQLString& statement);
    void CreateTemporary(const QString& text);
    // Frees the executed statement, then drops the procedure; false when the
    // drop failed (the procedure is then dropped again before the next create).
    bool DropTemporary(QString* error);
    void NewTemporaryName();
    void Accumulate(TSQLString& statement) const;
    void DropLeftovers(qint64 attachment);

    QPointer<TQvDatabase> m_database;
    TQvTransaction m_tran;
    TQvTransaction m_forTran;
    TQvQuery m_proc;
    TQvQuery m_exec;
    std::map<int, std::unique_ptr<TQvQuery>> m_cursors;
    TExecStatistics m_stats;
    QSet<int> m_systemRelations;
    TDebugMode m_mode = dmProcedure;
    QString m_tag;
    int m_dialect = 1;
    qint64 m_attachment = 0;
    QString m_tempName;
    bool m_tempExists = false;
    bool m_inSession = false;
};
