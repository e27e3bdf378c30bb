// The trigger editor's reads and generated DDL on real databases, in both
// dialects: the tables offered, a trigger created from the generated text
// and read back, triggers the editor cannot express, and the variables the
// debugger gets for a trigger, stepped on the server.

#include "DebugTest_support.h"

#include "access/QvQuery.h"
#include "access/QvTransactionScope.h"
#include "app/editors/Debugger.h"
#include "app/editors/TrigCatalog.h"
#include "app/editors/ProcSource.h"
#include "platform/db/DatabaseError.h"

#include <gtest/gtest.h>

namespace {

class TriggerCatalog : public ::testing::TestWithParam<qvdebug::TargetDialect>
{
protected:
    void SetUp() override
    {
        std::tie(target, dialect) = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
    }

    // Runs a statement in the database's dialect, as the editor sends its DDL.
    void run(const QString& sql)
    {
        TQvTransaction transaction;
        transaction.AddDatabase(database.get());
        TQvQuery query;
        query.SetDatabase(database.get());
        query.SetTransaction(&transaction);
        query.SetParamCheck(false);
        TQvTransactionScope scope(transaction);
        query.SetSQLText(sql);
        query.ExecQuery();
        scope.Commit();
    }

    // Type, position and inactive flag as a second connection reads them.
    QString stored(const char* name) const
    {
        return qvdebug::column(target, database->DBName(),
                               QStringLiteral("select rdb$trigger_type||','||rdb$trigger_sequence||','||"
                                              "coalesce(rdb$trigger_inactive,0) from rdb$triggers "
                                              "where rdb$trigger_name='%1'")
                                   .arg(QLatin1String(name)))
            .value(0);
    }

    static QString bodyOf(const TTriggerRecord& trigger)
    {
        QString rest;
        EXPECT_TRUE(StripTriggerAs(trigger.Source, rest)) << trigger.Source.toStdString();
        const QStringList lines = BodyText(SplitSource(rest).Body, false);
        return lines.isEmpty() ? QString() : lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    }

    qvtest::Target target;
    int dialect = 1;
    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
};

} // namespace

TEST_P(TriggerCatalog, TablesTriggersAndDebuggerVariablesRoundTrip)
{
    QStringList statements{
        QStringLiteral("create table ORDERS (ID integer, NAME varchar(20), TS timestamp)"),
        QStringLiteral("create table XRDB$LOG (ID integer)"),
        QStringLiteral("create view V_ORDERS as select ID from ORDERS"),
        QStringLiteral("create view V_NONE as select 1 as ONE from rdb$database"),
    };
    if (dialect == 3)
        statements << QStringLiteral("create table \"order lines\" (\"id\" integer)");
    database = qvdebug::createDatabase(target, dir, dialect, statements);

    // Only the user's tables, whatever their names hold: no views, no system relations.
    QStringList tables{QStringLiteral("ORDERS"), QStringLiteral("XRDB$LOG")};
    if (dialect == 3)
        tables << QStringLiteral("order lines");
    EXPECT_EQ(TriggerTableNames(*database), tables);

    // The example trigger, generated, sent and read back.
    TTriggerDefinition example;
    example.Name = QStringLiteral("T1");
    example.Table = QStringLiteral("ORDERS");
    example.StyleIndex = 1;
    example.Body = QStringLiteral("new.ID = 1;\r\n");
    example.Dialect = dialect;
    const QString create = BuildTriggerText(example);
    EXPECT_EQ(create, QStringLiteral("CREATE TRIGGER T1 FOR ORDERS ACTIVE after insert POSITION 0\r\nAS\r\n\r\n"
                                     "begin \r\nnew.ID = 1;\r\n\r\nend "));
    // Firebird 3 refuses to write new. columns after the insert: the
    // error comes back and nothing is stored.
    EXPECT_THROW(run(create), EDatabaseError);
    EXPECT_EQ(stored("T1"), QString());
    example.Body = QStringLiteral("post_event 'ORDERS';\r\n");
    run(BuildTriggerText(example));
    EXPECT_EQ(stored("T1"), QStringLiteral("2,0,0"));
    TTriggerRecord t1 = LoadTriggerRecord(*database, QStringLiteral("T1"));
    EXPECT_EQ(t1.Name, QStringLiteral("T1"));
    EXPECT_EQ(t1.Relation, QStringLiteral("ORDERS"));
    EXPECT_EQ(t1.Type, 2);
    EXPECT_EQ(TriggerNotEditableReason(t1), QString());
    EXPECT_EQ(bodyOf(t1), example.Body);

    // Changed elsewhere to an inactive after-delete trigger at position 3:
    // saving it unchanged sends exactly what is stored.
    run(QStringLiteral("alter trigger T1 inactive after delete position 3"));
    t1 = LoadTriggerRecord(*database, QStringLiteral("T1"));
    EXPECT_EQ(StyleIndexOfType(t1.Type), 5);
    EXPECT_TRUE(t1.Inactive);
    TTriggerDefinition edit;
    edit.IsNew = false;
    edit.Name = t1.Name;
    edit.StyleIndex = StyleIndexOfType(t1.Type);
    edit.Position = t1.Sequence;
    edit.Active = !t1.Inactive;
    edit.Body = bodyOf(t1);
    edit.Dialect = dialect;
    const QString alter = BuildTriggerText(edit);
    EXPECT_TRUE(alter.startsWith(QStringLiteral("ALTER TRIGGER T1 INACTIVE after delete POSITION 3\r\n")));
    run(alter);
    EXPECT_EQ(stored("T1"), QStringLiteral("6,3,1"));
    EXPECT_EQ(bodyOf(LoadTriggerRecord(*database, QStringLiteral("T1"))), example.Body);

    // Dialect 3: a table whose name needs quotes.
    if (dialect == 3) {
        TTriggerDefinition quoted = example;
        quoted.Name = QStringLiteral("T_LINES");
        quoted.Table = QStringLiteral("order lines");
        quoted.StyleIndex = 0;
        quoted.Body = QStringLiteral("new.\"id\" = 7;\r\n");
        run(BuildTriggerText(quoted));
        EXPECT_EQ(LoadTriggerRecord(*database, QStringLiteral("T_LINES")).Relation, QStringLiteral("order lines"));
    }

    // What the window cannot express opens read-only.
    run(QStringLiteral("create trigger TM for ORDERS before insert or update as begin new.NAME = upper(new.NAME); end"));
    run(QStringLiteral("create trigger TC on connect as begin end"));
    run(QStringLiteral("create trigger TD before any ddl statement as begin end"));
    const TTriggerRecord multi = LoadTriggerRecord(*database, QStringLiteral("TM"));
    EXPECT_EQ(multi.Type, 17);
    EXPECT_TRUE(TriggerNotEditableReason(multi).contains(QStringLiteral("before insert or update")));
    EXPECT_TRUE(TriggerNotEditableReason(LoadTriggerRecord(*database, QStringLiteral("TC")))
                    .contains(QStringLiteral("on connect")));
    const TTriggerRecord ddl = LoadTriggerRecord(*database, QStringLiteral("TD"));
    EXPECT_GT(ddl.Type, std::int64_t(0xFFFFFFFF)) << "the type is read in 64 bits";
    EXPECT_TRUE(TriggerNotEditableReason(ddl).contains(QStringLiteral("before DDL")));
    EXPECT_THROW(LoadTriggerRecord(*database, QStringLiteral("NO_SUCH")), EDatabaseError);

    // The debugger's variables: old. and new. per column in column order
    // with the dialect's type names, then the named locals.
    TDebugger debugger(database.get());
    GatherTriggerDebugVars(debugger.Vars(), *database, QStringLiteral("ORDERS"),
                           {{QStringLiteral("X"), QStringLiteral("Integer"), QString()},
                            {QString(), QString(), QString()},
                            {QStringLiteral("Y"), QStringLiteral("Integer"), QString()}});
    QStringList names;
    for (const TSQLVar& var : debugger.Vars().Items())
        names << var.Name + QLatin1Char(' ') + var.Type + QLatin1Char(' ') + QString::number(var.Kind);
    const QString timestamp = dialect == 3 ? QStringLiteral("Timestamp") : QStringLiteral("Date");
    EXPECT_EQ(names, (QStringList{QStringLiteral("old.ID Integer 0"), QStringLiteral("new.ID Integer 0"),
                                  QStringLiteral("old.NAME Varchar(20) 0"), QStringLiteral("new.NAME Varchar(20) 0"),
                                  QStringLiteral("old.TS ") + timestamp + QStringLiteral(" 0"),
                                  QStringLiteral("new.TS ") + timestamp + QStringLiteral(" 0"),
                                  QStringLiteral("X Integer 2")}));

    // Stepped on the server with new.ID set.
    debugger.SetMode(dmTrigger);
    ASSERT_TRUE(debugger.ParseProcText({QStringLiteral("X = new.ID + 1;"), QStringLiteral("new.ID = X * 2;"),
                                        QStringLiteral("new.TS = cast('2024-02-29 10:30:00' as timestamp);")})
                    .Ok);
    debugger.OnSessionStart = [&] { debugger.ModifyValue(QStringLiteral("new.ID"), QStringLiteral("20")); };
    TStepResult step = debugger.StepOver();
    EXPECT_FALSE(step.Failed) << step.Messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(debugger.Vars().FindVar(QStringLiteral("X"))->Value, QStringLiteral("21"));
    step = debugger.StepOver();
    EXPECT_EQ(debugger.Vars().FindVar(QStringLiteral("new.ID"))->Value, QStringLiteral("42"));
    step = debugger.StepOver();
    EXPECT_TRUE(step.SessionEnded) << step.Messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(debugger.Vars().FindVar(QStringLiteral("new.TS"))->Value, QStringLiteral("2024-02-29 10:30:00"))
        << "the time survives in a dialect-3 timestamp";
}

INSTANTIATE_TEST_SUITE_P(Targets, TriggerCatalog, ::testing::ValuesIn(qvdebug::allTargetDialects()),
                         qvdebug::targetDialectName);
