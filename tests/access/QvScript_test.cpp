// The script executor: statements split at the terminator outside strings and
// comments, the script-only statements, DDL and other statements in separate
// transactions, and failures reported once while the run goes on. Every
// script runs against a real database.

#include "AccessTest_support.h"
#include "access/QvScript.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cstdlib>

using qvaccess::connectParams;

namespace {

struct Report
{
    QString text;
    int lineNo;
    int numLines;
};

// Sets an environment variable for one test and puts the old value back.
class EnvironmentGuard
{
public:
    EnvironmentGuard(const char* name, const QString& value) : m_name(name)
    {
        m_wasSet = qEnvironmentVariableIsSet(name);
        m_old = qgetenv(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toUtf8());
    }
    ~EnvironmentGuard()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_old;
};

TEST(ScriptTokens, CommentsGoAndQuotedValuesStayWhole)
{
    EXPECT_EQ(ScriptTokens({QStringLiteral("  CONNECT  '/tmp/my db.fdb' /* who */ USER"),
                            QStringLiteral("'SYS''DBA' -- the rest; ignored"), QStringLiteral("PASSWORD \"x y\"")}),
              (QStringList{QStringLiteral("CONNECT"), QStringLiteral("'/tmp/my db.fdb'"), QStringLiteral("USER"),
                           QStringLiteral("'SYS''DBA'"), QStringLiteral("PASSWORD"), QStringLiteral("\"x y\"")}));
    EXPECT_EQ(ScriptTokens({QStringLiteral("a/*x*/b"), QStringLiteral("/* only"), QStringLiteral("comment */")}),
              (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(ScriptTokens({QStringLiteral("'a /* not */ -- kept'")}),
              QStringList{QStringLiteral("'a /* not */ -- kept'")});
    EXPECT_TRUE(ScriptTokens({QStringLiteral("-- nothing"), QString(), QStringLiteral("/* here */")}).isEmpty());
}

TEST(ScriptTokens, UnpairedCommentMarks)
{
    EXPECT_THROW(ScriptTokens({QStringLiteral("select 1 /* open")}), EScriptCommentError);
    EXPECT_THROW(ScriptTokens({QStringLiteral("select 1 */ from x")}), EScriptCommentError);
    try {
        ScriptTokens({QStringLiteral("/*")});
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "Error parsing comments");
    }
    EXPECT_NO_THROW(ScriptTokens({QStringLiteral("select '*/' from x")}));
}

TEST(ScriptTokens, LimitKeepsTheFirstWordsAndStillChecksTheComments)
{
    EXPECT_EQ(ScriptTokens({QStringLiteral("INSERT INTO T"), QStringLiteral("VALUES (1, 'a b')")}, 2),
              (QStringList{QStringLiteral("INSERT"), QStringLiteral("INTO")}));
    EXPECT_EQ(ScriptTokens({QStringLiteral("SET TERM ^ x y")}, 4).size(), 4);
    EXPECT_THROW(ScriptTokens({QStringLiteral("INSERT INTO T /* open")}, 1), EScriptCommentError);
    EXPECT_THROW(ScriptTokens({QStringLiteral("INSERT"), QStringLiteral("INTO T */")}, 1), EScriptCommentError);
}

class ScriptOnTarget : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        transaction.SetDefaultDatabase(&database);
        script.SetDatabase(&database);
        script.SetTransaction(&transaction);
        script.SetParamCheck(false);
        QObject::connect(&script, &TQvScript::OnError, [this](const QString& text, int lineNo, int numLines) {
            errors.append({text, lineNo, numLines});
        });
        QObject::connect(&script, &TQvScript::OnProcessLine, [this](const QString& text, int lineNo, int numLines) {
            processed.append({text, lineNo, numLines});
        });
        QObject::connect(&script, &TQvScript::OnExecuteSQL, [this] { executed.append(script.SQLText()); });
    }

    QString path(const QString& file = QStringLiteral("script.fdb")) const
    {
        return GetParam().databasePath(dir, file);
    }
    QString passwordClause() const
    {
        return GetParam().isServer() ? QStringLiteral(" PASSWORD '%1'").arg(GetParam().password) : QString();
    }
    QString createStatement(const QString& file = QStringLiteral("script.fdb")) const
    {
        return QStringLiteral("CREATE DATABASE '%1' USER '%2'%3 PAGE_SIZE 4096 DEFAULT CHARACTER SET NONE;")
            .arg(path(file), GetParam().user, passwordClause());
    }
    QString connectStatement(const QString& file = QStringLiteral("script.fdb")) const
    {
        return QStringLiteral("CONNECT '%1' USER '%2'%3;").arg(path(file), GetParam().user, passwordClause());
    }

    void run(const QStringList& lines)
    {
        errors.clear();
        processed.clear();
        executed.clear();
        script.SetScript(lines);
        script.ExecuteScript();
    }
    QStringList errorTexts() const
    {
        QStringList texts;
        for (const Report& report : errors)
            texts << report.text;
        return texts;
    }

    // Reads the result of a query in a connection of its own.
    QStringList rows(const QString& sql, const QString& file = QStringLiteral("script.fdb"),
                     const QString& lcCtype = QString())
    {
        TQvDatabase check;
        TQvTransaction checkTransaction;
        check.SetDBName(path(file));
        check.SetDBParams(connectParams(GetParam(), lcCtype));
        checkTransaction.SetDefaultDatabase(&check);
        check.Open();
        checkTransaction.StartTransaction();
        TQvQuery query;
        query.SetDatabase(&check);
        query.SetTransaction(&checkTransaction);
        query.SetSQLText(sql);
        query.ExecQuery();
        QStringList result;
        for (; !query.Eof(); query.Next()) {
            QStringList fields;
            for (int i = 0; i < query.Current().Count(); ++i)
                fields << (query.Fields(i).IsNull() ? QStringLiteral("<null>") : query.Fields(i).AsString());
            result << fields.join(QLatin1Char('|'));
        }
        return result;
    }

    int dialectOf(const QString& file = QStringLiteral("script.fdb"))
    {
        TQvDatabase check;
        check.SetDBName(path(file));
        check.SetDBParams(connectParams(GetParam()));
        check.Open();
        return check.SQLDialect();
    }

    qvtest::TempDir dir;
    TQvDatabase database;
    TQvTransaction transaction;
    TQvScript script;
    QList<Report> errors;
    QList<Report> processed;
    QStringList executed;
};

TEST_P(ScriptOnTarget, WholeScriptWithProcedureRunsWithoutErrors)
{
    run({createStatement(),
         QStringLiteral("CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(20));"),
         QStringLiteral("INSERT INTO T VALUES (1, 'one');"),
         QStringLiteral("INSERT INTO T VALUES (2, 'two');"),
         QStringLiteral("SET TERM ^ ;"),
         QStringLiteral("CREATE PROCEDURE DOUBLED (X INTEGER)"),
         QStringLiteral("RETURNS (Y INTEGER)"),
         QStringLiteral("AS"),
         QStringLiteral("BEGIN"),
         QStringLiteral("  Y = X * 2;"),
         QStringLiteral("  SUSPEND;"),
         QStringLiteral("END ^"),
         QStringLiteral("SET TERM ; ^"),
         QStringLiteral("INSERT INTO T VALUES (3, 'three');")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_FALSE(script.ErrorsOccurred());
    EXPECT_FALSE(database.Connected());
    EXPECT_FALSE(transaction.Active());
    EXPECT_EQ(script.Terminator(), QStringLiteral(";"));

    // The whole body went as one statement, without its terminator, as it
    // stands in the script: blanks and line breaks kept.
    ASSERT_EQ(executed.size(), 5);
    EXPECT_EQ(executed[3].toStdString(), "CREATE PROCEDURE DOUBLED (X INTEGER)\nRETURNS (Y INTEGER)\nAS\n"
                                         "BEGIN\n  Y = X * 2;\n  SUSPEND;\nEND\r\n");
    EXPECT_EQ(rows(QStringLiteral("select Y from DOUBLED(21)")), QStringList{QStringLiteral("42")});
    EXPECT_EQ(rows(QStringLiteral("select ID, NAME from T order by ID")),
              (QStringList{QStringLiteral("1|one"), QStringLiteral("2|two"), QStringLiteral("3|three")}));

    // Every line reached OnProcessLine with its number and the line count.
    ASSERT_EQ(processed.size(), 14);
    EXPECT_EQ(processed[9].text, QStringLiteral("  Y = X * 2;"));
    EXPECT_EQ(processed[9].lineNo, 10);
    EXPECT_EQ(processed[9].numLines, 14);
}

TEST_P(ScriptOnTarget, StringsAndCommentsNeverCutAStatement)
{
    run({createStatement(),
         QStringLiteral("CREATE TABLE T (ID INTEGER, V VARCHAR(100));"),
         QStringLiteral("INSERT INTO T VALUES (1, 'a;b /* c ; */ -- d; ''e''');"),
         QStringLiteral("INSERT INTO T /* one; */ VALUES (2, \"x;y\"); -- two; three"),
         QStringLiteral("INSERT INTO T VALUES (3, '  left blanks"),
         QString(),
         QStringLiteral("  ;right blanks  ');"),
         QStringLiteral("INSERT INTO T VALUES (5, 'windows\r"),
         QStringLiteral("line');\r"),
         QStringLiteral("/* a comment that spans;"),
         QStringLiteral("   lines; */ INSERT INTO T VALUES (4, 'after');")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select ID, V from T order by ID")),
              (QStringList{QStringLiteral("1|a;b /* c ; */ -- d; 'e'"), QStringLiteral("2|x;y"),
                           QStringLiteral("3|  left blanks\n\n  ;right blanks  "), QStringLiteral("4|after"),
                           QStringLiteral("5|windows\r\nline")}));
}

TEST_P(ScriptOnTarget, StatementsSharingALineAllRun)
{
    run({createStatement(),
         QStringLiteral("CREATE TABLE T (ID INTEGER);"),
         QStringLiteral("INSERT INTO T VALUES (1); INSERT INTO T VALUES (2);INSERT INTO T VALUES (3);"),
         QStringLiteral("INSERT INTO T VALUES (4); INSERT INTO T"),
         QStringLiteral("VALUES (5);   "),
         QStringLiteral("SET TERM ^ ; INSERT INTO T VALUES (6) ^ SET TERM ; ^ INSERT INTO T VALUES (7);")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select count(*), sum(ID) from T")), QStringList{QStringLiteral("7|28")});
}

TEST_P(ScriptOnTarget, FailureIsReportedOnceAndTheRunGoesOn)
{
    run({createStatement(),
         QStringLiteral("CREATE TABLE T (ID INTEGER);"),
         QStringLiteral("INSERT INTO T VALUES (1);"),
         QStringLiteral("INSERT INTO NO_SUCH_TABLE VALUES (2);"),
         QStringLiteral("INSERT INTO T VALUES (3);")});
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].text.startsWith(QStringLiteral("FAILED - "))) << qPrintable(errors[0].text);
    EXPECT_TRUE(errors[0].text.contains(QStringLiteral("SQL error code = -204"))) << qPrintable(errors[0].text);
    EXPECT_TRUE(errors[0].text.contains(QStringLiteral("NO_SUCH_TABLE")));
    EXPECT_EQ(errors[0].lineNo, 4);
    EXPECT_EQ(errors[0].numLines, 5);
    EXPECT_TRUE(script.ErrorsOccurred());
    EXPECT_EQ(rows(QStringLiteral("select ID from T order by ID")),
              (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
}

TEST_P(ScriptOnTarget, ScriptOnlyStatementErrors)
{
    run({createStatement(),
         QStringLiteral("CREATE TABLE T (ID INTEGER);"),
         QStringLiteral("DROP DATABASE NOW;"),
         QStringLiteral("SET TERM;"),
         QStringLiteral("CONNECT;"),
         QStringLiteral("CREATE DATABASE;"),
         QStringLiteral("INSERT INTO T VALUES (1);"),
         QStringLiteral("INSERT INTO T /* never closed;"),
         QStringLiteral("VALUES (2);")});
    EXPECT_EQ(errorTexts(), (QStringList{QStringLiteral("FAILED - Incorrect Drop Database"),
                                         QStringLiteral("FAILED - Incorrect Set Term"),
                                         QStringLiteral("FAILED - Too few paramters for connect"),
                                         QStringLiteral("FAILED - Too few paramters for create"),
                                         QStringLiteral("FAILED - Error parsing comments")}));
    EXPECT_EQ(errors.last().lineNo, 9);
    // The failures touched neither the database nor the good statement.
    EXPECT_EQ(rows(QStringLiteral("select ID from T")), QStringList{QStringLiteral("1")});
}

TEST_P(ScriptOnTarget, LastStatementNeedsNoTerminator)
{
    run({createStatement(), QStringLiteral("CREATE TABLE T (ID INTEGER);"), QStringLiteral("INSERT INTO T"),
         QStringLiteral("VALUES (9)")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select ID from T")), QStringList{QStringLiteral("9")});
}

TEST_P(ScriptOnTarget, CommentsAfterTheLastStatementAreNotAStatement)
{
    run({createStatement(), QStringLiteral("CREATE TABLE T (ID INTEGER); /* done */"), QStringLiteral("-- bye"),
         QString()});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(executed.size(), 1);
}

TEST_P(ScriptOnTarget, SlashTerminatorAndCommentMarks)
{
    run({createStatement(), QStringLiteral("CREATE TABLE T (ID INTEGER, V VARCHAR(10));"), QStringLiteral("SET TERM / ;"),
         QStringLiteral("/* a whole comment */ INSERT INTO T VALUES (1, '/') /"),
         QStringLiteral("INSERT INTO T VALUES (2, 'x')"), QStringLiteral("/"),
         QStringLiteral("SET TERM * /"), QStringLiteral("INSERT INTO T /* mark */ VALUES (3, '*')*")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select ID, V from T order by ID")),
              (QStringList{QStringLiteral("1|/"), QStringLiteral("2|x"), QStringLiteral("3|*")}));
}

TEST_P(ScriptOnTarget, DropDatabaseAndSetTermBeforeConnectReportNoFailure)
{
    run({QStringLiteral("SET TERM ^ ;"), createStatement().replace(QLatin1Char(';'), QLatin1Char('^')),
         QStringLiteral("CREATE TABLE T (ID INTEGER)^"), QStringLiteral("DROP DATABASE^")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_FALSE(script.ErrorsOccurred());
    EXPECT_FALSE(database.Connected());
    EXPECT_FALSE(transaction.Active());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("script.fdb"))));
}

TEST_P(ScriptOnTarget, ConnectTakesAnySubsetOfItsClauses)
{
    run({createStatement(), QStringLiteral("CREATE TABLE CS (NAME VARCHAR(31));")});
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));

    // User and password from the environment, as the server's tools take them.
    EnvironmentGuard user("ISC_USER", GetParam().user);
    EnvironmentGuard password("ISC_PASSWORD", GetParam().password);
    const QString recordCharacterSet = QStringLiteral(
        "INSERT INTO CS SELECT TRIM(C.RDB$CHARACTER_SET_NAME) FROM MON$ATTACHMENTS A JOIN RDB$CHARACTER_SETS C "
        "ON C.RDB$CHARACTER_SET_ID = A.MON$CHARACTER_SET_ID WHERE A.MON$ATTACHMENT_ID = CURRENT_CONNECTION;");
    run({QStringLiteral("CONNECT '%1';").arg(path()), recordCharacterSet,
         QStringLiteral("CONNECT '%1' USER '%2' DEFAULT CHARACTER SET UTF8;").arg(path(), GetParam().user),
         recordCharacterSet,
         QStringLiteral("CONNECT \"%1\" DEFAULT CHARACTER SET WIN1252 ROLE 'NOBODY';").arg(path()),
         recordCharacterSet});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select NAME from CS order by NAME")),
              (QStringList{QStringLiteral("NONE"), QStringLiteral("UTF8"), QStringLiteral("WIN1252")}));
    EXPECT_TRUE(database.DBParams().contains(QStringLiteral("isc_dpb_lc_ctype=WIN1252")));
    EXPECT_TRUE(database.DBParams().contains(QStringLiteral("isc_dpb_sql_role_name=NOBODY")));
    EXPECT_TRUE(database.DBParams().contains(QStringLiteral("isc_dpb_user_name=") + GetParam().user));
}

TEST_P(ScriptOnTarget, UnknownOrIncompleteClausesAreRefused)
{
    run({createStatement(), QStringLiteral("CREATE TABLE T (ID INTEGER);"),
         QStringLiteral("CONNECT '%1' CACHE 100;").arg(path()),
         QStringLiteral("CONNECT '%1' USER;").arg(path()),
         QStringLiteral("CONNECT '%1' DEFAULT COLLATION X;").arg(path()),
         QStringLiteral("CREATE DATABASE '%1' PAGESIZE 4096;").arg(path(QStringLiteral("other.fdb"))),
         QStringLiteral("CREATE DATABASE '%1' PAGE_SIZE;").arg(path(QStringLiteral("other.fdb"))),
         QStringLiteral("INSERT INTO T VALUES (1);")});
    EXPECT_EQ(errorTexts(), (QStringList{QStringLiteral("FAILED - Unknown clause for connect: CACHE"),
                                         QStringLiteral("FAILED - Too few paramters for connect"),
                                         QStringLiteral("FAILED - Unknown clause for connect: DEFAULT"),
                                         QStringLiteral("FAILED - Unknown clause for create: PAGESIZE"),
                                         QStringLiteral("FAILED - Too few paramters for create")}));
    // The refused statements left the first connection as it was.
    EXPECT_EQ(rows(QStringLiteral("select ID from T")), QStringList{QStringLiteral("1")});
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("other.fdb"))));
}

TEST_P(ScriptOnTarget, CreateDatabaseTakesAnySubsetOfItsClauses)
{
    EnvironmentGuard user("ISC_USER", GetParam().user);
    EnvironmentGuard password("ISC_PASSWORD", GetParam().password);
    script.SetShowParams(true);
    run({QStringLiteral("CREATE DATABASE '%1';").arg(path(QStringLiteral("a.fdb"))),
         QStringLiteral("CREATE DATABASE '%1' PAGE_SIZE=8192 DEFAULT CHARACTER SET UTF8 COLLATION UNICODE;")
             .arg(path(QStringLiteral("b.fdb")))});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select MON$PAGE_SIZE from MON$DATABASE"), QStringLiteral("b.fdb")),
              QStringList{QStringLiteral("8192")});
    EXPECT_EQ(rows(QStringLiteral("select trim(RDB$CHARACTER_SET_NAME) from RDB$DATABASE"), QStringLiteral("b.fdb")),
              QStringList{QStringLiteral("UTF8")});
    EXPECT_EQ(rows(QStringLiteral("select count(*) from RDB$DATABASE"), QStringLiteral("a.fdb")),
              QStringList{QStringLiteral("1")});
    // The options went to OnProcessLine, user and password first.
    QStringList shown;
    for (const Report& report : processed)
        if (report.lineNo == 2)
            shown << report.text;
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[1], QStringLiteral("USER '%1'").arg(GetParam().user));
    EXPECT_EQ(shown[3], QStringLiteral("PAGE_SIZE = 8192"));
    EXPECT_EQ(shown[4], QStringLiteral("DEFAULT CHARACTER SET UTF8 COLLATION UNICODE"));
}

TEST_P(ScriptOnTarget, DDLAndOtherStatementsNeverShareATransaction)
{
    run({createStatement(), QStringLiteral("RECREATE TABLE T (ID INTEGER);"), QStringLiteral("INSERT INTO T VALUES (1);"),
         QStringLiteral("CREATE TABLE U (ID INTEGER);"), QStringLiteral("INSERT INTO U SELECT ID FROM T;")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select ID from U")), QStringList{QStringLiteral("1")});
}

TEST_P(ScriptOnTarget, FailedCommitAtASwitchIsReportedAndTheNextStatementRuns)
{
    run({createStatement(), QStringLiteral("CREATE TABLE T (ID INTEGER);"), QStringLiteral("CREATE TABLE D (A INTEGER);"),
         QStringLiteral("INSERT INTO D VALUES (1);"), QStringLiteral("INSERT INTO D VALUES (1);"),
         // The index is built when its creation commits, and the duplicates refuse it.
         QStringLiteral("CREATE UNIQUE INDEX D_A ON D (A);"), QStringLiteral("INSERT INTO T VALUES (5);")});
    ASSERT_EQ(errors.size(), 1) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_TRUE(errors[0].text.startsWith(QStringLiteral("FAILED - ")));
    EXPECT_EQ(errors[0].lineNo, 7);
    EXPECT_TRUE(script.ErrorsOccurred());
    EXPECT_EQ(rows(QStringLiteral("select ID from T")), QStringList{QStringLiteral("5")});
    EXPECT_EQ(rows(QStringLiteral("select count(*) from RDB$INDICES where RDB$INDEX_NAME = 'D_A'")),
              QStringList{QStringLiteral("0")});
}

TEST_P(ScriptOnTarget, ConnectingAgainLeavesTheFirstConnectionCommitted)
{
    run({createStatement(), QStringLiteral("CREATE TABLE T (ID INTEGER);"), QStringLiteral("INSERT INTO T VALUES (1);"),
         createStatement(QStringLiteral("second.fdb")), QStringLiteral("CREATE TABLE S (ID INTEGER);"),
         connectStatement(), QStringLiteral("INSERT INTO T VALUES (2);")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select ID from T order by ID")),
              (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(rows(QStringLiteral("select count(*) from S"), QStringLiteral("second.fdb")),
              QStringList{QStringLiteral("0")});
}

TEST_P(ScriptOnTarget, EachRunStartsWithTheSemicolon)
{
    run({createStatement(), QStringLiteral("CREATE TABLE T (ID INTEGER);"), QStringLiteral("SET TERM !! ;")});
    EXPECT_EQ(script.Terminator(), QStringLiteral("!!"));
    run({connectStatement(), QStringLiteral("INSERT INTO T VALUES (1); INSERT INTO T VALUES (2);")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select count(*) from T")), QStringList{QStringLiteral("2")});
}

TEST_P(ScriptOnTarget, StopEndsTheRunBeforeTheNextStatementAndRollsBack)
{
    // Stopped while line 5 is read: the committed table stays, the uncommitted
    // inserts go, and nothing after line 5 is read or run.
    const auto connection = QObject::connect(&script, &TQvScript::OnProcessLine, [this](const QString&, int lineNo, int) {
        if (lineNo == 5)
            script.Stop();
    });
    run({createStatement(), QStringLiteral("CREATE TABLE T (ID INTEGER);"), QStringLiteral("INSERT INTO T VALUES (1);"),
         QStringLiteral("INSERT INTO T VALUES (2); INSERT INTO T VALUES (3);"),
         QStringLiteral("INSERT INTO T VALUES (4);"), QStringLiteral("CREATE TABLE U (ID INTEGER);")});
    QObject::disconnect(connection);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(script.StoppedAtLine(), 5);
    EXPECT_EQ(processed.size(), 5);
    EXPECT_EQ(executed.size(), 4);
    EXPECT_FALSE(database.Connected());
    EXPECT_FALSE(transaction.Active());
    EXPECT_EQ(rows(QStringLiteral("select count(*) from T")), QStringList{QStringLiteral("0")});
    EXPECT_EQ(rows(QStringLiteral("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = 'U'")),
              QStringList{QStringLiteral("0")});

    // A stop asked for while a statement runs: it finishes, the next one on
    // the same line does not run. The next run starts afresh.
    const auto second = QObject::connect(&script, &TQvScript::OnExecuteSQL, [this] {
        if (script.SQLText().contains(QStringLiteral("(12)")))
            script.Stop();
    });
    run({connectStatement(), QStringLiteral("INSERT INTO T VALUES (11); INSERT INTO T VALUES (12); INSERT INTO T VALUES (13);"),
         QStringLiteral("INSERT INTO T VALUES (14);")});
    QObject::disconnect(second);
    EXPECT_EQ(script.StoppedAtLine(), 2);
    EXPECT_EQ(executed.size(), 2);
    EXPECT_EQ(processed.size(), 2);
    EXPECT_EQ(rows(QStringLiteral("select count(*) from T")), QStringList{QStringLiteral("0")});

    run({connectStatement(), QStringLiteral("INSERT INTO T VALUES (21);")});
    EXPECT_EQ(script.StoppedAtLine(), 0);
    EXPECT_EQ(rows(QStringLiteral("select ID from T")), QStringList{QStringLiteral("21")});
}

TEST_P(ScriptOnTarget, SetSqlDialectMakesADialect3DatabaseAndPreparesInIt)
{
    run({QStringLiteral("set sql dialect 3;"), createStatement(), QStringLiteral("CREATE DOMAIN D_BIG AS BIGINT;"),
         QStringLiteral("CREATE TABLE T (ID D_BIG, N NUMERIC(18,2), D DATE, \"Quoted\" VARCHAR(5));"),
         QStringLiteral("INSERT INTO T VALUES (9007199254740993, 105900.01, '2024-02-29', 'q');"),
         QStringLiteral("INSERT INTO T VALUES (2, 12345678901234.56, DATE '2000-01-01', 'it''s');")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(script.ScriptDialect(), 3);
    EXPECT_EQ(dialectOf(), 3);
    // Stored as 64-bit integers, to the cent.
    EXPECT_EQ(rows(QStringLiteral("select ID, N, D, \"Quoted\" from T order by ID")),
              (QStringList{QStringLiteral("2|12345678901234.56|2000-01-01|it's"),
                           QStringLiteral("9007199254740993|105900.01|2024-02-29|q")}));
    EXPECT_EQ(rows(QStringLiteral("select rdb$field_type, rdb$field_scale from rdb$fields f join rdb$relation_fields r "
                                  "on r.rdb$field_source = f.rdb$field_name where r.rdb$field_name = 'N'")),
              QStringList{QStringLiteral("16|-2")});

    // Each run starts without a dialect of its own: CREATE DATABASE makes a
    // dialect-1 database, as it always did.
    run({createStatement(QStringLiteral("old.fdb")), QStringLiteral("CREATE TABLE T (D DATE);")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(script.ScriptDialect(), 0);
    EXPECT_EQ(dialectOf(QStringLiteral("old.fdb")), 1);
    EXPECT_EQ(rows(QStringLiteral("select rdb$field_type from rdb$fields f join rdb$relation_fields r "
                                  "on r.rdb$field_source = f.rdb$field_name where r.rdb$relation_name = 'T'"),
                   QStringLiteral("old.fdb")),
              QStringList{QStringLiteral("35")});
}

TEST_P(ScriptOnTarget, ADialectSetLaterAppliesToEveryStatementAfterIt)
{
    run({QStringLiteral("SET SQL DIALECT 3;"), createStatement(), QStringLiteral("CREATE TABLE T (ID INTEGER, V VARCHAR(10));"),
         QStringLiteral("SET SQL DIALECT 1;"), QStringLiteral("INSERT INTO T VALUES (1, \"dq\");"),
         QStringLiteral("SET SQL DIALECT 3;"), QStringLiteral("INSERT INTO T VALUES (2, 'sq');"),
         QStringLiteral("INSERT INTO T VALUES (3, \"dq\");")});
    // In dialect 3 the double-quoted word names a column.
    ASSERT_EQ(errors.size(), 1) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(errors[0].lineNo, 8);
    EXPECT_EQ(rows(QStringLiteral("select ID, V from T order by ID")),
              (QStringList{QStringLiteral("1|dq"), QStringLiteral("2|sq")}));
}

TEST_P(ScriptOnTarget, SetSqlDialectTakesOneOrThree)
{
    run({createStatement(), QStringLiteral("SET SQL DIALECT 2;"), QStringLiteral("SET SQL DIALECT;"),
         QStringLiteral("SET SQL DIALECT 3 4;"), QStringLiteral("CREATE TABLE T (ID INTEGER);"),
         QStringLiteral("INSERT INTO T VALUES (1);")});
    EXPECT_EQ(errorTexts(), (QStringList{QStringLiteral("FAILED - Unsupported SQL dialect 2: a script can set dialect 1 or 3"),
                                         QStringLiteral("FAILED - Incorrect Set SQL Dialect"),
                                         QStringLiteral("FAILED - Incorrect Set SQL Dialect")}));
    EXPECT_EQ(script.ScriptDialect(), 0);
    EXPECT_EQ(rows(QStringLiteral("select ID from T")), QStringList{QStringLiteral("1")});
}

TEST_P(ScriptOnTarget, SetNamesIsTheCharacterSetOfTheNextConnection)
{
    QStringList connectionSets;
    QObject::connect(&script, &TQvScript::OnExecuteSQL,
                     [this, &connectionSets] { connectionSets << database.TextCodec().characterSet(); });
    script.SetShowParams(true);
    run({QStringLiteral("SET NAMES UTF8;"),
         QStringLiteral("CREATE DATABASE '%1' USER '%2'%3 DEFAULT CHARACTER SET UTF8;")
             .arg(path(), GetParam().user, passwordClause()),
         QStringLiteral("CREATE TABLE T (ID INTEGER, V VARCHAR(5));"),
         QStringLiteral("INSERT INTO T VALUES (1, '\u00e4\u00f6\u00fc\u20ac\U0001F600');")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(connectionSets, (QStringList{QStringLiteral("UTF8"), QStringLiteral("UTF8")}));
    EXPECT_EQ(script.Names(), QStringLiteral("UTF8"));

    processed.clear();
    run({QStringLiteral("SET NAMES 'WIN1252';"), connectStatement(),
         QStringLiteral("INSERT INTO T VALUES (2, '\u00e9\u20ac');")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    bool shown = false;
    for (const Report& report : processed)
        shown = shown || report.text == QStringLiteral("isc_dpb_lc_ctype=WIN1252");
    EXPECT_TRUE(shown);
    // Both went in their own character set and read back as written.
    EXPECT_EQ(rows(QStringLiteral("select V from T order by ID"), QStringLiteral("script.fdb"), QStringLiteral("UTF8")),
              (QStringList{QStringLiteral("\u00e4\u00f6\u00fc\u20ac\U0001F600"), QStringLiteral("\u00e9\u20ac")}));

    // A run without SET NAMES connects without a character set.
    run({connectStatement(), QStringLiteral("INSERT INTO T VALUES (3, 'x');")});
    EXPECT_TRUE(script.Names().isEmpty());
    EXPECT_EQ(connectionSets.last(), QStringLiteral("NONE"));
    run({QStringLiteral("SET NAMES;")});
    EXPECT_EQ(errorTexts(), QStringList{QStringLiteral("FAILED - Incorrect Set Names")});
}

// The server reads a statement's bytes in the connection's character set;
// the script is cut into statements as the server will read them.
TEST_P(ScriptOnTarget, AnAlternativeQuoteWithANonAsciiOpenerIsReadAsTheConnectionReadsIt)
{
    const QString statements = QStringLiteral("INSERT INTO T VALUES (1, q'\u00e9;\u00e9'); "
                                              "INSERT INTO T VALUES (2, q'\u00e9'); INSERT INTO T VALUES (3, '\u00e9');");
    // One byte per character: both q'...' literals are taken.
    run({QStringLiteral("SET NAMES WIN1252;"),
         QStringLiteral("CREATE DATABASE '%1' USER '%2'%3 DEFAULT CHARACTER SET WIN1252;")
             .arg(path(QStringLiteral("win.fdb")), GetParam().user, passwordClause()),
         QStringLiteral("CREATE TABLE T (ID INTEGER, V VARCHAR(40));"), statements});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(rows(QStringLiteral("select ID, V from T order by ID"), QStringLiteral("win.fdb"), QStringLiteral("UTF8")),
              (QStringList{QStringLiteral("1|;"), QStringLiteral("2|'); INSERT INTO T VALUES (3, '")}));

    // UTF8: "q" and a quote before a two-byte character are a name and a
    // string; each statement goes on its own, and only the server refuses
    // the two that hold such a name.
    run({QStringLiteral("SET NAMES UTF8;"),
         QStringLiteral("CREATE DATABASE '%1' USER '%2'%3 DEFAULT CHARACTER SET UTF8;")
             .arg(path(QStringLiteral("utf.fdb")), GetParam().user, passwordClause()),
         QStringLiteral("CREATE TABLE T (ID INTEGER, V VARCHAR(40));"), statements});
    ASSERT_EQ(errors.size(), 2) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    EXPECT_EQ(executed.size(), 4);
    for (const Report& report : errors)
        EXPECT_TRUE(report.text.contains(QStringLiteral("Token unknown"))) << qPrintable(report.text);
    EXPECT_EQ(rows(QStringLiteral("select ID, V from T order by ID"), QStringLiteral("utf.fdb"), QStringLiteral("UTF8")),
              QStringList{QStringLiteral("3|\u00e9")});
}

TEST_P(ScriptOnTarget, LineBreaksAndBlanksReachTheServerAsTheyStand)
{
    // Lines that end in a carriage return: it is part of the line (a text's
    // line ends are gone once ScriptLines split it), and reaches the server.
    const QStringList crlf{QStringLiteral("CREATE PROCEDURE P RETURNS (S VARCHAR(100)) AS\r"),
                           QStringLiteral("  DECLARE X INTEGER = 1;   \r"),
                           QStringLiteral("\r"),
                           QStringLiteral("BEGIN\r"),
                           QStringLiteral("\tS = 'a' || '\r"),
                           QStringLiteral("b';  -- a comment; with a semicolon\r"),
                           QStringLiteral("  SUSPEND;\r"),
                           QStringLiteral("END ^\r")};
    const QStringList lf{QStringLiteral("CREATE PROCEDURE Q RETURNS (S VARCHAR(100)) AS"), QStringLiteral("BEGIN"),
                         QString(), QStringLiteral("  S = 'c"), QStringLiteral("d';"), QStringLiteral("  SUSPEND;"),
                         QStringLiteral("END ^")};
    run(QStringList{createStatement(), QStringLiteral("SET TERM ^ ;")} + crlf + lf
        + QStringList{QStringLiteral("SET TERM ; ^")});
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errorTexts().join(QLatin1Char('\n')));
    // The statements as sent: their lines joined by line feeds.
    ASSERT_EQ(executed.size(), 2);
    QString crlfText = crlf.join(QLatin1Char('\n'));
    crlfText.chop(QStringLiteral(" ^\r").size());
    EXPECT_EQ(executed[0], crlfText + QStringLiteral("\r\n"));
    QString lfText = lf.join(QLatin1Char('\n'));
    lfText.chop(2);
    EXPECT_EQ(executed[1], lfText + QStringLiteral("\r\n"));
    // The sources the server keeps, and the text inside the strings.
    const QString source = QStringLiteral("select cast(rdb$procedure_source as varchar(1000)) from rdb$procedures "
                                          "where rdb$procedure_name = ");
    EXPECT_EQ(rows(source + QStringLiteral("'P'")),
              QStringList{QStringLiteral("DECLARE X INTEGER = 1;   \r\n\r\nBEGIN\r\n\tS = 'a' || '\r\nb';  "
                                         "-- a comment; with a semicolon\r\n  SUSPEND;\r\nEND")});
    EXPECT_EQ(rows(source + QStringLiteral("'Q'")),
              QStringList{QStringLiteral("BEGIN\n\n  S = 'c\nd';\n  SUSPEND;\nEND")});
    EXPECT_EQ(rows(QStringLiteral("select S from P")), QStringList{QStringLiteral("a\r\nb")});
    EXPECT_EQ(rows(QStringLiteral("select S from Q")), QStringList{QStringLiteral("c\nd")});
}

INSTANTIATE_TEST_SUITE_P(Targets, ScriptOnTarget, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
