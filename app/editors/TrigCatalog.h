#pragma once

// What the trigger editor reads from the system tables: the tables a
// trigger can be made for, a stored trigger, and the variables the
// debugger gets for a trigger.

#include "app/editors/ProcSource.h"
#include "app/editors/TrigText.h"

#include <QString>
#include <QStringList>

class TInOutVar;
class TQvDatabase;

// The user's tables, by name: no views and no system relations (RDB$,
// MON$, SEC$ and any other with rdb$system_flag set); a user's table is
// the user's whatever its name holds.
QStringList TriggerTableNames(TQvDatabase& database);

// The stored trigger of that exact name. Raises EDatabaseError
// "Trigger <name> not found" when there is none.
TTriggerRecord LoadTriggerRecord(TQvDatabase& database, const QString& name);

// The debugger's variables of a trigger: each column of its table as
// "old." and "new." (kind input), in column order, then the local
// variables up to the first one without a name (kind local).
void GatherTriggerDebugVars(TInOutVar& vars, TQvDatabase& database, const QString& tableName,
                            const TParamRows& locals);
