#pragma once

// The trace records for an outside SQL monitor. Every trace point of the access
// layer calls the process's single hook; while no monitor reader is registered
// a call writes nothing and returns at once.

class TQvDatabase;
class TQvQuery;
class TQvTransaction;

class TQvSQLMonitorHook
{
public:
    TQvSQLMonitorHook() = default;
    virtual ~TQvSQLMonitorHook() = default;
    TQvSQLMonitorHook(const TQvSQLMonitorHook&) = delete;
    TQvSQLMonitorHook& operator=(const TQvSQLMonitorHook&) = delete;

    virtual void SQLPrepare(TQvQuery* query);
    virtual void SQLExecute(TQvQuery* query);
    virtual void SQLFetch(TQvQuery* query);
    virtual void DBConnect(TQvDatabase* database);
    virtual void DBDisconnect(TQvDatabase* database);
    virtual void TRStart(TQvTransaction* transaction);
    virtual void TRCommit(TQvTransaction* transaction);
    virtual void TRCommitRetaining(TQvTransaction* transaction);
    virtual void TRRollback(TQvTransaction* transaction);
};

// The process's hook, made on first use.
TQvSQLMonitorHook* MonitorHook();
