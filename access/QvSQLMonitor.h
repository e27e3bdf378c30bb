#pragma once

// The trace records for an outside SQL monitor. Every trace point of the access
// layer calls the process's single hook; while no monitor reader is registered
// a call writes nothing and returns at once. A trace never fails the work it
// describes: when writing one fails, tracing is switched off for the process.

#include <QString>

#include <memory>

class QvMonitorChannel;
class TQvDatabase;
class TQvQuery;
class TQvTransaction;

class TQvSQLMonitorHook
{
public:
    // Creates or opens the shared objects named with `prefix`; raises client
    // error 52 when one of them cannot be had.
    explicit TQvSQLMonitorHook(const QString& prefix);
    virtual ~TQvSQLMonitorHook();
    TQvSQLMonitorHook(const TQvSQLMonitorHook&) = delete;
    TQvSQLMonitorHook& operator=(const TQvSQLMonitorHook&) = delete;

    virtual void SQLPrepare(TQvQuery* query) noexcept;
    virtual void SQLExecute(TQvQuery* query) noexcept;
    virtual void SQLFetch(TQvQuery* query) noexcept;
    virtual void DBConnect(TQvDatabase* database) noexcept;
    virtual void DBDisconnect(TQvDatabase* database) noexcept;
    virtual void TRStart(TQvTransaction* transaction) noexcept;
    virtual void TRCommit(TQvTransaction* transaction) noexcept;
    virtual void TRCommitRetaining(TQvTransaction* transaction) noexcept;
    virtual void TRRollback(TQvTransaction* transaction) noexcept;

    // Registered readers, read under the mutex.
    int GetMonitorCount();
    // The mutex is waited for at most QvMonitorLockTimeout; a longer wait
    // raises client error 53.
    void Lock();
    void Unlock();
    // Sends one record, prefixed with the application's title, in chunks of at
    // most 1012 bytes, each handed to the registered readers in turn.
    void WriteSQLData(const QString& text);

    // The record texts, without the application prefix.
    static QString PrepareRecord(TQvQuery* query);
    static QString ExecuteRecord(TQvQuery* query);
    static QString FetchRecord(TQvQuery* query);

private:
    friend TQvSQLMonitorHook* MonitorHook();
    struct Inert {};
    // A hook without shared objects, for a process that cannot trace.
    explicit TQvSQLMonitorHook(Inert);

    template <typename MakeRecord>
    void Trace(MakeRecord makeRecord) noexcept;
    void BeginWrite();
    void EndWrite();

    std::unique_ptr<QvMonitorChannel> m_channel;
};

// The process's hook, made on the first trace call. When the shared objects
// cannot be had, tracing is switched off and an inert hook is given.
TQvSQLMonitorHook* MonitorHook();

// Whether traces are written: on from start-up, off after a trace failed.
bool MonitoringEnabled();

// The names' prefix of the shared objects, "Qv.SQL.MONITOR." by default.
QString MonitorObjectPrefix();
// Frees the process's hook and switches tracing on again; the next trace
// makes a hook over the objects named with `prefix`. Lets a test process
// trace into objects of its own.
void SetMonitorObjectPrefix(const QString& prefix);
