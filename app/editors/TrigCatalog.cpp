#include "app/editors/TrigCatalog.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/editors/DebugVars.h"
#include "app/editors/OwnStatement.h"
#include "app/shell/CatalogQuery.h"
#include "platform/db/DatabaseError.h"

QStringList TriggerTableNames(TQvDatabase& database)
{
    TOwnStatement statement(database);
    TQvTransactionScope scope(statement.transaction);
    QStringList names;
    {
        // Firebird 3 marks its MON$ and SEC$ relations as system relations,
        // and a part of a name never makes one (a user's T_RDB$X is the
        // user's); views made on no table at all have no row in
        // rdb$view_relations.
        TCatalogQuery tables(statement.query, &database,
                             QStringLiteral("select t.rdb$DBkey_length,t.RDB$RELATION_NAME from rdb$relations t "
                                            "where rdb$relation_name not in (select rdb$view_name from "
                                            "rdb$view_relations) and coalesce(t.rdb$system_flag,0)=0 "
                                            "and t.rdb$view_blr is null order by rdb$relation_name"));
        const int column = tables.Column(QStringLiteral("RDB$RELATION_NAME"));
        for (; !tables.Eof(); tables.Next())
            names << tables.Name(column);
    }
    scope.Commit();
    return names;
}

TTriggerRecord LoadTriggerRecord(TQvDatabase& database, const QString& name)
{
    TOwnStatement statement(database);
    TQvTransactionScope scope(statement.transaction);
    TTriggerRecord record;
    {
        TCatalogQuery trigger(statement.query, &database,
                              QStringLiteral("select * from rdb$triggers where rdb$trigger_name=")
                                  + QvSql::SingleQuoted(name));
        if (trigger.Eof())
            throw EDatabaseError(QStringLiteral("Trigger %1 not found").arg(name));
        record.Name = trigger.Name(trigger.Column(QStringLiteral("RDB$TRIGGER_NAME")));
        record.Relation = trigger.Name(trigger.Column(QStringLiteral("RDB$RELATION_NAME")));
        // A big integer in Firebird 3: DDL triggers use bits beyond 32.
        record.Type = trigger.Text(QStringLiteral("RDB$TRIGGER_TYPE")).trimmed().toLongLong();
        record.Sequence = trigger.Integer(QStringLiteral("RDB$TRIGGER_SEQUENCE"));
        record.Inactive = trigger.Integer(QStringLiteral("RDB$TRIGGER_INACTIVE")) != 0;
        const int source = trigger.Column(QStringLiteral("RDB$TRIGGER_SOURCE"));
        record.SourceIsNull = trigger.IsNull(source);
        record.Source = trigger.Text(source);
        const int systemFlag = trigger.Column(QStringLiteral("RDB$SYSTEM_FLAG"));
        record.System = !trigger.IsNull(systemFlag) && trigger.Integer(systemFlag) != 0;
        const int engine = trigger.Column(QStringLiteral("RDB$ENGINE_NAME"));
        record.External = engine >= 0 && !trigger.IsNull(engine);
    }
    scope.Commit();
    return record;
}

void GatherTriggerDebugVars(TInOutVar& vars, TQvDatabase& database, const QString& tableName,
                            const TParamRows& locals)
{
    AddTriggerColumnVars(vars, database, tableName);
    for (const TParamRow& local : locals) {
        if (local.Name.isEmpty())
            break;
        vars.AddVar(local.Name, local.Type, vkLocal);
    }
}
