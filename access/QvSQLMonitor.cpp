#include "access/QvSQLMonitor.h"

// No reader can register yet: the shared block that readers register in is not
// made by this process, so every record has no one to go to.

void TQvSQLMonitorHook::SQLPrepare(TQvQuery*) {}
void TQvSQLMonitorHook::SQLExecute(TQvQuery*) {}
void TQvSQLMonitorHook::SQLFetch(TQvQuery*) {}
void TQvSQLMonitorHook::DBConnect(TQvDatabase*) {}
void TQvSQLMonitorHook::DBDisconnect(TQvDatabase*) {}
void TQvSQLMonitorHook::TRStart(TQvTransaction*) {}
void TQvSQLMonitorHook::TRCommit(TQvTransaction*) {}
void TQvSQLMonitorHook::TRCommitRetaining(TQvTransaction*) {}
void TQvSQLMonitorHook::TRRollback(TQvTransaction*) {}

TQvSQLMonitorHook* MonitorHook()
{
    static TQvSQLMonitorHook hook;
    return &hook;
}
