// The debugger on real databases: statements run as temporary procedures,
// loops over cursors, failures, resets and breakpoints, and what reached the
// database, read back through a connection of its own.

#include "DebugTest_support.h"

#include "access/QvQuery.h"
#include "app/editors/Debugger.h"

#include <QRegularExpression>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

class DebuggerOnDatabase : public ::testing::TestWithParam<qvdebug::TargetDialect>
{
protected:
    void SetUp() override
    {
        std::tie(target, dialect) = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
    }

    // The database with the statements run in it, and a debugger on it
    // whose statement texts are logged.
    void open(const QStringList& statements = {})
    {
        database = qvdebug::createDatabase(target, dir, dialect, statements);
        path = database->DBName();
        debugger = std::make_unique<TDebugger>(database.get());
        debugger->SetTag(QStringLiteral("abcd"));
        debugger->OnSend = [this](const QString& text) { sent << text; };
    }

    void parse(const QStringList& lines)
    {
        const TParseResult result = debugger->ParseProcText(lines);
        ASSERT_TRUE(result.Ok) << result.Error.toStdString();
    }

    void addVar(const char* name, const char* type, int kind = vkLocal)
    {
        debugger->Vars().AddVar(QString::fromLatin1(name), QString::fromLatin1(type), kind);
    }

    QString value(const char* name) const
    {
        const TSQLVar* var = debugger->Vars().FindVar(QString::fromLatin1(name));
        return var && !var->IsNull ? var->Value : QStringLiteral("<null>");
    }

    // Steps until the session ends, answering the line of every statement run.
    std::vector<int> stepToTheEnd()
    {
        std::vector<int> lines;
        for (int step = 0; step < 100; ++step) {
            lines.push_back(debugger->Statements().Find(debugger->CurrentID())->Line);
            const TStepResult result = debugger->StepOver();
            EXPECT_FALSE(result.Failed) << result.Messages.join(QLatin1Char('\n')).toStdString();
            if (result.SessionEnded || result.Failed)
                break;
            EXPECT_TRUE(debugger->Running());
            EXPECT_EQ(debugger->CurrentLine(), debugger->Statements().Find(debugger->CurrentID())->Line);
        }
        return lines;
    }

    int procedures() const { return qvdebug::temporaryProcedures(target, path); }

    qvtest::Target target;
    int dialect = 1;
    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
    QString path;
    std::unique_ptr<TDebugger> debugger;
    QStringList sent;
};

TEST_P(DebuggerOnDatabase, AssignmentRunsInATemporaryProcedureThatIsDroppedAgain)
{
    open();
    addVar("X", "Integer", vkInput);
    parse({QStringLiteral("x = x + 1;")});
    debugger->OnSessionStart = [this] { debugger->ModifyValue(QStringLiteral("x"), QStringLiteral("1")); };

    const TStepResult result = debugger->StepOver();
    EXPECT_TRUE(result.Messages.isEmpty()) << result.Messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(result.SessionEnded);
    EXPECT_FALSE(debugger->Running());
    EXPECT_EQ(value("X"), QStringLiteral("2"));

    ASSERT_EQ(sent.size(), 3);
    static const QRegularExpression header(
        QStringLiteral("^create procedure (mmm\\$\\d+_\\d+_\\d+)\r\n\\(x Integer\r\n\\)"));
    const QRegularExpressionMatch created = header.match(sent[0]);
    ASSERT_TRUE(created.hasMatch()) << sent[0].toStdString();
    const QString name = created.captured(1);
    EXPECT_EQ(name, debugger->TempName());
    EXPECT_TRUE(sent[0].endsWith(
        QStringLiteral("returns (xabcd Integer\r\n)\r\nas\r\nbegin\r\nx = x + 1;\r\nxabcd=x;\r\nend")));
    EXPECT_EQ(sent[1], QStringLiteral("execute procedure ") + name + QStringLiteral(" (?x)"));
    EXPECT_EQ(sent[2], QStringLiteral("drop procedure ") + name);
    EXPECT_EQ(procedures(), 0);
    EXPECT_EQ(debugger->Statements().Items()[0].Count, 1);
}

TEST_P(DebuggerOnDatabase, SteppingFollowsIfWhileAndForSelect)
{
    open({QStringLiteral("create table T (ID integer not null primary key)"),
          QStringLiteral("create table LOG_ROWS (V integer)"), QStringLiteral("insert into T values (1)"),
          QStringLiteral("insert into T values (2)"), QStringLiteral("insert into T values (3)")});
    addVar("n", "Integer");
    addVar("s", "Varchar(10)");
    addVar("x", "Integer");
    addVar("total", "Integer");
    parse({QStringLiteral("n = 0;"), QStringLiteral("if (n = 0) then"), QStringLiteral("  s = 'zero';"),
           QStringLiteral("else"), QStringLiteral("  s = 'other';"), QStringLiteral("while (n < 2) do"),
           QStringLiteral("begin"), QStringLiteral("  n = n + 1;"), QStringLiteral("end"),
           QStringLiteral("for select id from t order by id into :x do"), QStringLiteral("  total = total + x;"),
           QStringLiteral("insert into log_rows values (:total);"), QStringLiteral("exit;"),
           QStringLiteral("s = 'never';")});
    debugger->OnSessionStart = [this] { debugger->ModifyValue(QStringLiteral("total"), QStringLiteral("0")); };

    EXPECT_EQ(stepToTheEnd(), (std::vector<int>{0, 1, 2, 5, 7, 5, 7, 5, 9, 10, 9, 10, 9, 10, 9, 11, 12}));
    EXPECT_FALSE(debugger->Running());
    EXPECT_EQ(debugger->CurrentID(), 0);
    EXPECT_EQ(debugger->CurrentLine(), -1);
    EXPECT_EQ(value("n"), QStringLiteral("2"));
    EXPECT_EQ(value("s"), QStringLiteral("zero"));
    EXPECT_EQ(value("x"), QStringLiteral("3"));
    EXPECT_EQ(value("total"), QStringLiteral("6"));
    EXPECT_EQ(qvdebug::column(target, path, QStringLiteral("select V from LOG_ROWS")),
              QStringList{QStringLiteral("6")});
    EXPECT_EQ(debugger->OpenCursorCount(), 0);
    EXPECT_EQ(procedures(), 0);

    // What each statement cost: the loop's open and three fetches read the
    // three rows of T and nothing else counts; the insert inserted one row.
    const auto& items = debugger->Statements().Items();
    const TSQLString& loop = items[8];
    ASSERT_TRUE(loop.Text.startsWith(QStringLiteral("for select")));
    EXPECT_EQ(loop.Count, 4);
    EXPECT_EQ(loop.Select, 3);
    const TSQLString& insert = items[11];
    ASSERT_TRUE(insert.Text.startsWith(QStringLiteral("insert")));
    EXPECT_EQ(insert.Count, 1);
    EXPECT_EQ(insert.Insert, 1);
    EXPECT_EQ(items[0].Select, 0);
    EXPECT_EQ(items[5].Count, 3);
    EXPECT_EQ(items[13].Count, 0);
    // Statements never reached cost nothing, and nothing but the loop read rows.
    int rowsRead = 0;
    for (const TSQLString& item : items) {
        rowsRead += item.Select;
        if (item.Count == 0) {
            EXPECT_EQ(item.Select, 0) << item.Text.toStdString();
            EXPECT_EQ(item.Time, 0) << item.Text.toStdString();
        }
    }
    EXPECT_EQ(rowsRead, 3);
}

// A block right after a one-statement then-branch runs whatever the
// condition: stepping the body ends with what the server's own run gives.
TEST_P(DebuggerOnDatabase, SteppingEndsWhereTheServersRunEnds)
{
    const QStringList body{
        QStringLiteral("r = 0;"),
        QStringLiteral("if (a = 1) then"),
        QStringLiteral("  r = r + 1;"),
        QStringLiteral("begin"),
        QStringLiteral("  r = r + 10;"),
        QStringLiteral("end"),
        QStringLiteral("n = 0;"),
        QStringLiteral("while (n < 2) do"),
        QStringLiteral("begin"),
        QStringLiteral("  n = n + 1;"),
        QStringLiteral("  if (n = 1) then r = r + 100;"),
        QStringLiteral("  begin"),
        QStringLiteral("    r = r + 5;"),
        QStringLiteral("  end"),
        QStringLiteral("end"),
    };
    open({QStringLiteral("create procedure P (a integer) returns (r integer) as\n"
                         "declare variable n integer;\nbegin\n")
          + body.join(QLatin1Char('\n')) + QStringLiteral("\nsuspend;\nend")});
    for (const int a : {0, 1}) {
        SCOPED_TRACE(a);
        const QStringList direct = qvdebug::column(target, path, QStringLiteral("select r from P(%1)").arg(a));
        ASSERT_EQ(direct.size(), 1);
        debugger->Vars().Clear();
        addVar("a", "Integer", vkInput);
        addVar("r", "Integer", vkOutput);
        addVar("n", "Integer");
        parse(body);
        debugger->OnSessionStart = [this, a] { debugger->ModifyValue(QStringLiteral("a"), QString::number(a)); };
        const std::vector<int> lines = stepToTheEnd();
        EXPECT_FALSE(debugger->Running());
        EXPECT_EQ(value("r"), direct.at(0));
        // The block after the if is visited on either branch.
        EXPECT_EQ(std::count(lines.begin(), lines.end(), 4), 1);
    }
    EXPECT_EQ(procedures(), 0);
}

TEST_P(DebuggerOnDatabase, AFailedStatementStaysCurrentAndLeavesNoProcedure)
{
    open();
    addVar("n", "Integer");
    parse({QStringLiteral("n = 1;"), QStringLiteral("n = n / 0;"), QStringLiteral("n = 5;")});
    EXPECT_FALSE(debugger->StepOver().Failed);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const TStepResult failed = debugger->StepOver();
        EXPECT_TRUE(failed.Failed);
        ASSERT_FALSE(failed.Messages.isEmpty());
        EXPECT_FALSE(failed.SessionEnded);
        EXPECT_TRUE(debugger->Running());
        EXPECT_EQ(debugger->CurrentID(), 1);
        EXPECT_EQ(value("n"), QStringLiteral("1"));
        EXPECT_EQ(procedures(), 0);
    }
    // A value that does not convert fails before anything is sent.
    debugger->ModifyValue(QStringLiteral("n"), QStringLiteral("abc"));
    sent.clear();
    const TStepResult refused = debugger->StepOver();
    EXPECT_TRUE(refused.Failed);
    EXPECT_EQ(refused.Messages, QStringList{QStringLiteral("'abc' is not a valid integer value for variable n")});
    EXPECT_TRUE(sent.isEmpty());
    EXPECT_EQ(debugger->CurrentID(), 1);

    EXPECT_TRUE(debugger->Reset().isEmpty());
    EXPECT_FALSE(debugger->Running());
    EXPECT_EQ(debugger->CurrentID(), 0);
    EXPECT_EQ(procedures(), 0);
}

TEST_P(DebuggerOnDatabase, ResetAndTheEndOfASessionCloseTheCursors)
{
    open({QStringLiteral("create table T (ID integer)"), QStringLiteral("insert into T values (1)"),
          QStringLiteral("insert into T values (2)")});
    addVar("x", "Integer");
    addVar("y", "Integer");
    parse({QStringLiteral("for select id from t into :x do"), QStringLiteral("  y = x;")});
    EXPECT_FALSE(debugger->StepOver().Failed);
    EXPECT_EQ(debugger->OpenCursorCount(), 1);
    EXPECT_EQ(value("x"), QStringLiteral("1"));
    EXPECT_EQ(debugger->CurrentLine(), 1);
    debugger->Reset();
    EXPECT_EQ(debugger->OpenCursorCount(), 0);
    EXPECT_FALSE(debugger->Running());

    // The next session opens the loop afresh.
    EXPECT_FALSE(debugger->StepOver().Failed);
    EXPECT_EQ(value("x"), QStringLiteral("1"));
    EXPECT_EQ(debugger->OpenCursorCount(), 1);
    const TStepResult run = debugger->Run();
    EXPECT_TRUE(run.SessionEnded);
    EXPECT_EQ(value("y"), QStringLiteral("2"));
    EXPECT_EQ(debugger->OpenCursorCount(), 0);

    // A loop over no rows runs once, closes its cursor and goes on after it.
    parse({QStringLiteral("for select id from t where id > 10 into :x do"), QStringLiteral("  y = 0;"),
           QStringLiteral("x = 9;")});
    EXPECT_FALSE(debugger->StepOver().Failed);
    EXPECT_EQ(debugger->CurrentLine(), 2);
    EXPECT_EQ(debugger->OpenCursorCount(), 0);
    EXPECT_EQ(debugger->Statements().Items()[0].Count, 1);
    EXPECT_TRUE(debugger->StepOver().SessionEnded);
    EXPECT_EQ(value("x"), QStringLiteral("9"));
    EXPECT_EQ(value("y"), QStringLiteral("<null>"));

    // Destroyed in the middle of a loop: the session is ended all the same.
    parse({QStringLiteral("for select id from t into :x do"), QStringLiteral("  y = x;")});
    EXPECT_FALSE(debugger->StepOver().Failed);
    EXPECT_EQ(debugger->OpenCursorCount(), 1);
    debugger.reset();
    EXPECT_EQ(procedures(), 0);
}

TEST_P(DebuggerOnDatabase, ModifiedNullAndConditionsOnNull)
{
    open();
    addVar("x", "Integer");
    addVar("y", "Integer");
    parse({QStringLiteral("x = 5;"), QStringLiteral("if (x > 0) then"), QStringLiteral("  y = 1;"),
           QStringLiteral("else"), QStringLiteral("  y = 2;"), QStringLiteral("x = coalesce(x, 7);")});
    EXPECT_FALSE(debugger->StepOver().Failed);
    EXPECT_EQ(value("x"), QStringLiteral("5"));
    EXPECT_TRUE(debugger->ModifyValue(QStringLiteral("X"), QStringLiteral("NuLL")));
    EXPECT_TRUE(debugger->Vars().FindVar(QStringLiteral("x"))->IsNull);
    EXPECT_FALSE(debugger->ModifyValue(QStringLiteral("z"), QStringLiteral("1")));
    EXPECT_FALSE(debugger->StepOver().Failed);  // x null: the condition fails
    EXPECT_EQ(debugger->CurrentLine(), 4);
    EXPECT_FALSE(debugger->StepOver().Failed);
    EXPECT_TRUE(debugger->StepOver().SessionEnded);
    EXPECT_EQ(value("y"), QStringLiteral("2"));
    EXPECT_EQ(value("x"), QStringLiteral("7"));
}

TEST_P(DebuggerOnDatabase, NumbersDatesAndTextAreBoundExactly)
{
    const QString numeric = dialect == 3 ? QStringLiteral("Numeric(18,4)") : QStringLiteral("Numeric(9,4)");
    const QString number = dialect == 3 ? QStringLiteral("12345678901234.5678") : QStringLiteral("-12345.6789");
    const QString text = QStringLiteral("it's \"q\"; --");
    open({QStringLiteral("create table V (N %1, D date, S varchar(20))").arg(numeric)});
    {
        TQvTransaction transaction;
        transaction.AddDatabase(database.get());
        TQvQuery insert;
        insert.SetDatabase(database.get());
        insert.SetTransaction(&transaction);
        insert.SetSQLDialect(dialect);
        insert.SetSQLText(QStringLiteral("insert into V values (?n, ?d, ?s)"));
        transaction.StartTransaction();
        TSQLVar n{QStringLiteral("n"), numeric, number, vkInput, false};
        TSQLVar d{QStringLiteral("d"), QStringLiteral("Date"), QStringLiteral("2024-02-29"), vkInput, false};
        TSQLVar s{QStringLiteral("s"), QStringLiteral("Varchar(20)"), text, vkInput, false};
        BindVariable(insert.Params().Vars(0), n);
        BindVariable(insert.Params().Vars(1), d);
        BindVariable(insert.Params().Vars(2), s);
        insert.ExecQuery();
        transaction.Commit();
    }
    EXPECT_EQ(qvdebug::column(target, path, QStringLiteral("select cast(N as varchar(30)) from V")),
              QStringList{number});
    EXPECT_EQ(qvdebug::column(target, path,
                              QStringLiteral("select cast(count(*) as integer) from V where D = '2024-02-29'")),
              QStringList{QStringLiteral("1")});
    EXPECT_EQ(qvdebug::column(target, path, QStringLiteral("select S from V")), QStringList{text});
}

TEST_P(DebuggerOnDatabase, AQLiteralIsOneLiteralOfItsStatement)
{
    open();
    addVar("S", "Varchar(30)");
    parse({QStringLiteral("s = q'[x;y]';"), QStringLiteral("s = s || q'{ s'; end}';")});
    ASSERT_EQ(debugger->Statements().Count(), 2);
    EXPECT_EQ(stepToTheEnd(), (std::vector<int>{0, 1}));
    EXPECT_EQ(value("S"), QStringLiteral("x;y s'; end"));
}

TEST_P(DebuggerOnDatabase, VariablesComeBackFromTheServer)
{
    open({QStringLiteral("create table V (N integer, D date, S varchar(20), F double precision)")});
    addVar("n", "Integer");
    addVar("d", dialect == 3 ? "Timestamp" : "Date");
    addVar("s", "Varchar(20)");
    addVar("f", "Double precision");
    parse({QStringLiteral("n = -2147483648;"), QStringLiteral("d = cast('2024-02-29 10:30:00' as timestamp) + 1;"),
           QStringLiteral("s = 'it''s ' || n;"), QStringLiteral("f = 1.5e-3;"),
           QStringLiteral("insert into v values (:n, :d, :s, :f);")});
    const TStepResult run = debugger->Run();
    EXPECT_TRUE(run.SessionEnded) << run.Messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(value("n"), QStringLiteral("-2147483648"));
    EXPECT_EQ(value("d"), QStringLiteral("2024-03-01 10:30:00"));
    EXPECT_EQ(value("s"), QStringLiteral("it's -2147483648"));
    EXPECT_EQ(value("f"), QStringLiteral("0.0015"));
    EXPECT_EQ(qvdebug::column(target, path, QStringLiteral("select S from V")),
              QStringList{QStringLiteral("it's -2147483648")});

    if (dialect == 3) {
        // Quoted names and single-quoted strings as the user wrote them.
        addVar("c", "Integer");
        parse({QStringLiteral("select count(*) from \"V\" where \"S\" = 'it''s -2147483648' into :c;"),
               QStringLiteral("s = 'a' || 'b';")});
        const TStepResult quoted = debugger->Run();
        EXPECT_TRUE(quoted.SessionEnded) << quoted.Messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(value("c"), QStringLiteral("1"));
        EXPECT_EQ(value("s"), QStringLiteral("ab"));
    }
    EXPECT_EQ(procedures(), 0);
}

TEST_P(DebuggerOnDatabase, TriggerColumnsRunAsTaggedParameters)
{
    open({QStringLiteral("create table T (ID integer, NAME varchar(20))")});
    AddTriggerColumnVars(debugger->Vars(), *database, QStringLiteral("T"));
    ASSERT_EQ(debugger->Vars().Count(), 4);
    const auto& vars = debugger->Vars().Items();
    EXPECT_EQ(vars[0].Name, QStringLiteral("old.ID"));
    EXPECT_EQ(vars[1].Name, QStringLiteral("new.ID"));
    EXPECT_EQ(vars[1].Type, QStringLiteral("Integer"));
    EXPECT_EQ(vars[3].Name, QStringLiteral("new.NAME"));
    EXPECT_EQ(vars[3].Type, QStringLiteral("Varchar(20)"));
    debugger->SetMode(dmTrigger);
    parse({QStringLiteral("new.NAME = 'row ' || new.ID;")});
    debugger->OnSessionStart = [this] { debugger->ModifyValue(QStringLiteral("new.id"), QStringLiteral("5")); };
    const TStepResult result = debugger->StepOver();
    EXPECT_TRUE(result.SessionEnded) << result.Messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(value("new.NAME"), QStringLiteral("row 5"));
    ASSERT_FALSE(sent.isEmpty());
    EXPECT_TRUE(sent[0].contains(QStringLiteral(":abcd1NAME = 'row ' || :abcd1ID;"))) << sent[0].toStdString();
    EXPECT_TRUE(sent[1].endsWith(QStringLiteral("(?abcd1id,?abcd1name)"))) << sent[1].toStdString();
}

TEST_P(DebuggerOnDatabase, LeftoversOfSessionsThatDiedAreDropped)
{
    open();
    // The debugger's own connection and a second, live one.
    TQvDatabase other;
    other.SetDBName(path);
    other.SetDBParams(database->DBParams());
    other.Open();
    const auto attachmentOf = [](TQvDatabase& connection) {
        TQvTransaction transaction;
        transaction.AddDatabase(&connection);
        TQvQuery query;
        query.SetDatabase(&connection);
        query.SetTransaction(&transaction);
        query.SetSQLText(QStringLiteral("select cast(current_connection as varchar(20)) from rdb$database"));
        transaction.StartTransaction();
        query.ExecQuery();
        const QString id = query.Fields(0).AsString().trimmed();
        query.Close();
        transaction.Commit();
        return id;
    };
    const QString mine = attachmentOf(*database);
    const QString alive = attachmentOf(other);
    const QStringList names{QStringLiteral("MMM$999_999999_1"), QStringLiteral("MMM$1_") + mine + QStringLiteral("_77"),
                            QStringLiteral("MMM$1_") + alive + QStringLiteral("_5"), QStringLiteral("MMM$KEEP")};
    QStringList statements;
    for (const QString& name : names)
        statements << QStringLiteral("create procedure ") + name + QStringLiteral(" as begin end");
    {
        TQvTransaction transaction;
        transaction.AddDatabase(&other);
        TQvQuery query;
        query.SetDatabase(&other);
        query.SetTransaction(&transaction);
        for (const QString& sql : statements) {
            transaction.StartTransaction();
            query.SetSQLText(sql);
            query.ExecQuery();
            transaction.Commit();
        }
    }
    ASSERT_EQ(procedures(), 4);

    addVar("x", "Integer");
    parse({QStringLiteral("x = 1;")});
    EXPECT_TRUE(debugger->StepOver().SessionEnded);
    QStringList left = qvdebug::column(target, path,
                                       QStringLiteral("select rdb$procedure_name from rdb$procedures "
                                                      "where rdb$procedure_name starting with 'MMM$'"));
    left.sort();
    EXPECT_EQ(left, (QStringList{names[2], names[3]}));
    other.Close();
}

TEST_P(DebuggerOnDatabase, RunStopsBeforeBreakpointsAndTheCursorLine)
{
    open();
    for (const char* name : {"a", "b", "c", "d", "e"})
        addVar(name, "Integer");
    parse({QStringLiteral("a = 1;"), QStringLiteral("b = 2;"), QStringLiteral("c ="), QStringLiteral("  3;"),
           QStringLiteral("d = 4;"), QStringLiteral("e = 5;")});
    // A breakpoint on a statement's second line belongs to the statement.
    EXPECT_EQ(debugger->ToggleBreakpoint(3), 2);
    EXPECT_TRUE(debugger->Breakpoints().HasStatement(2));
    EXPECT_TRUE(debugger->Breakpoints().HasLine(2));

    TStepResult run = debugger->Run();
    EXPECT_FALSE(run.SessionEnded);
    EXPECT_EQ(debugger->CurrentLine(), 2);
    EXPECT_EQ(value("b"), QStringLiteral("2"));
    EXPECT_EQ(value("c"), QStringLiteral("<null>"));

    // Run again runs the statement at the breakpoint first; then the cursor line.
    run = debugger->RunToLine(5);
    EXPECT_FALSE(run.SessionEnded);
    EXPECT_EQ(debugger->CurrentLine(), 5);
    EXPECT_EQ(value("d"), QStringLiteral("4"));
    EXPECT_EQ(value("e"), QStringLiteral("<null>"));
    run = debugger->Run();
    EXPECT_TRUE(run.SessionEnded);
    EXPECT_EQ(value("e"), QStringLiteral("5"));

    EXPECT_EQ(debugger->ToggleBreakpoint(2), 2);
    EXPECT_TRUE(debugger->Breakpoints().Items().empty());
    EXPECT_EQ(debugger->ToggleBreakpoint(-1), -1);

    // Run lets messages through between statements; Reset there stops it,
    // and destroying the debugger there stops it too.
    int calls = 0;
    debugger->OnBetweenStatements = [&] {
        if (++calls == 3)
            debugger->Reset();
    };
    run = debugger->Run();
    EXPECT_FALSE(debugger->Running());
    EXPECT_EQ(value("b"), QStringLiteral("<null>"));
    calls = 0;
    debugger->OnBetweenStatements = [&] {
        if (++calls == 4)
            debugger.reset();
    };
    TDebugger* running = debugger.get();
    run = running->Run();
    EXPECT_EQ(debugger, nullptr);
    EXPECT_EQ(procedures(), 0);
}

TEST_P(DebuggerOnDatabase, NothingRunsAfterAParseError)
{
    open();
    addVar("x", "Integer");
    parse({QStringLiteral("x = 1;")});
    EXPECT_TRUE(debugger->CanRun());
    const TParseResult result = debugger->ParseProcText({QStringLiteral("while (x < 1) do;")});
    EXPECT_FALSE(result.Ok);
    EXPECT_FALSE(debugger->CanRun());
    const TStepResult step = debugger->StepOver();
    EXPECT_FALSE(step.Failed);
    EXPECT_FALSE(debugger->Running());
    EXPECT_TRUE(sent.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Targets, DebuggerOnDatabase, ::testing::ValuesIn(qvdebug::allTargetDialects()),
                         qvdebug::targetDialectName);

} // namespace
