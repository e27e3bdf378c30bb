// The CREATE texts rebuilt from the system tables, and the shared
// transaction that every such handler starts and ends.

#include "ShellTest_support.h"

#include "access/QvDataSet.h"
#include "access/QvQuery.h"
#include "access/QvScript.h"
#include "access/QvSqlText.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/DataM.h"
#include "app/shell/ObjectDDL.h"
#include "app/shell/ProcPreview.h"
#include "access/QvTransactionScope.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"

#include <QDialog>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace qvshell;

namespace {

class ObjectDDLTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(target());
        m_dm = std::make_unique<TDM>();
        DM = m_dm.get();
    }
    void TearDown() override
    {
        m_connection.reset();
        DM = nullptr;
        m_dm.reset();
    }
    const qvtest::Target& target() const { return GetParam(); }

    TQvDatabase* open(const QStringList& schema, int dialect = 1, const QString& characterSet = QString())
    {
        const QString path = dialect == 3
            ? qvtest::createDialect3Database(target(), m_dir, QStringLiteral("ddl.fdb"), schema, characterSet)
            : createDatabase(target(), m_dir, QStringLiteral("ddl.fdb"), schema);
        m_connection = std::make_unique<TQvDatabase>();
        m_connection->SetDBName(path);
        m_connection->SetDBParams({QStringLiteral("isc_dpb_user_name=") + target().user,
                                   QStringLiteral("isc_dpb_password=") + target().password});
        m_connection->Open();
        DM->IBTran()->AddDatabase(m_connection.get());
        return m_connection.get();
    }

    qvtest::TempDir m_dir;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TQvDatabase> m_connection;
};

// Runs a script through isql-fb; its output, empty on success.
QString runIsql(const qvtest::TempDir& dir, const QString& script)
{
    const QString file = dir.filePath(QStringLiteral("isql.sql"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write ") + file;
    out.write(script.toUtf8());
    out.close();
    QProcess isql;
    isql.setProcessChannelMode(QProcess::MergedChannels);
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-i"), file});
    if (!isql.waitForFinished(120000))
        return QStringLiteral("isql-fb did not finish");
    return QString::fromUtf8(isql.readAll()).trimmed();
}

// What the system tables say of a table's columns and keys: enough to tell
// whether two tables are the same.
QStringList tableFacts(const qvtest::Target& target, const QString& path, const QString& table)
{
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams(qvtest::connectParams(target));
    database.Open();
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    TQvTransactionScope scope(transaction);
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLDialect(1);
    const QString literal = QvSql::SingleQuoted(table);
    QStringList facts;
    for (const QString& sql : {
             QStringLiteral("select r.rdb$field_name, r.rdb$field_position, r.rdb$null_flag, "
                            "cast(r.rdb$default_source as varchar(200)), "
                            "iif(r.rdb$field_source starting with 'RDB$', '', r.rdb$field_source), f.rdb$field_type, "
                            "f.rdb$field_sub_type, f.rdb$field_length, f.rdb$field_scale, f.rdb$character_set_id, "
                            "f.rdb$character_length, f.rdb$dimensions, cast(f.rdb$computed_source as varchar(200)) "
                            "from rdb$relation_fields r "
                            "join rdb$fields f on f.rdb$field_name = r.rdb$field_source where r.rdb$relation_name = ")
                 + literal + QStringLiteral(" order by r.rdb$field_position"),
             QStringLiteral("select r.rdb$field_name, d.rdb$dimension, d.rdb$lower_bound, d.rdb$upper_bound from "
                            "rdb$relation_fields r join rdb$field_dimensions d on d.rdb$field_name = r.rdb$field_source "
                            "where r.rdb$relation_name = ")
                 + literal + QStringLiteral(" order by 1, 2"),
             QStringLiteral("select c.rdb$constraint_type, iif(c.rdb$constraint_name starting with 'INTEG_', '', "
                            "c.rdb$constraint_name), s.rdb$field_name, s.rdb$field_position from rdb$relation_constraints c "
                            "join rdb$index_segments s on s.rdb$index_name = c.rdb$index_name where c.rdb$relation_name = ")
                 + literal + QStringLiteral(" order by 1, 3")}) {
        query.SetSQLText(sql);
        query.ExecQuery();
        for (; !query.Eof(); query.Next()) {
            QStringList row;
            for (int i = 0; i < query.Current().Count(); ++i)
                row << (query.Fields(i).IsNull() ? QStringLiteral("<null>")
                                                 : query.Fields(i).SQLType() == SQL_BLOB
                                                     ? QStringLiteral("<blob>")
                                                     : query.Fields(i).AsString().trimmed());
            facts << row.join(QLatin1Char('|'));
        }
        query.Close();
    }
    scope.Commit();
    return facts;
}

} // namespace

TEST_P(ObjectDDLTest, ATableWithANamedPrimaryKeyReadsAsItsCreateText)
{
    TQvDatabase* database = open({
        QStringLiteral("CREATE DOMAIN D_NAME AS VARCHAR(30)"),
        QStringLiteral("CREATE TABLE CUSTOMER (CUST_ID INTEGER NOT NULL, NAME D_NAME, "
                       "CITY VARCHAR(20) DEFAULT 'Paris' NOT NULL, CREDIT NUMERIC(9,2), RATE DOUBLE PRECISION, "
                       "BORN DATE, NOTE BLOB, TAG CHAR(3), DOUBLED COMPUTED BY (CUST_ID * 2), "
                       "CONSTRAINT PK_CUSTOMER PRIMARY KEY (CUST_ID))"),
        QStringLiteral("COMMENT ON TABLE CUSTOMER IS 'People /*who*/ buy'"),
    });
    const QString expected = QStringLiteral(
        // A comment mark in a description can never end its comment.
        "/* People /*who* / buy  */\r\n"
        "CREATE TABLE customer (\r\n"
        "       CUST_ID Integer NOT NULL,\r\n"
        "       NAME D_NAME,\r\n"
        "       CITY Varchar(20) DEFAULT 'Paris' NOT NULL,\r\n"
        "       CREDIT Numeric(9,2),\r\n"
        "       RATE Double precision,\r\n"
        "       BORN Date,\r\n"
        "       NOTE Blob,\r\n"
        "       TAG Char(3),\r\n"
        "       DOUBLED COMPUTED BY (CUST_ID * 2),\r\n"
        "      CONSTRAINT PK_CUSTOMER PRIMARY KEY (CUST_ID)\r\n"
        ");");
    // A lower-case link word still finds the columns and the key.
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("customer"), database, 1), expected);
    EXPECT_FALSE(DM->IBTran()->Active());
}

TEST_P(ObjectDDLTest, GeneratedKeyNamesAndUniqueConstraintsInAStableOrder)
{
    TQvDatabase* database = open({
        QStringLiteral("CREATE TABLE T (A INTEGER NOT NULL PRIMARY KEY, B INTEGER NOT NULL, C INTEGER NOT NULL, "
                       "D INTEGER NOT NULL, CONSTRAINT UQ_D UNIQUE (D), UNIQUE (C, B))"),
        QStringLiteral("CREATE TABLE ONLYKEY (K INTEGER NOT NULL PRIMARY KEY)"),
    });
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("T"), database, 1),
              QStringLiteral("CREATE TABLE T (\r\n"
                             "       A Integer NOT NULL,\r\n"
                             "       B Integer NOT NULL,\r\n"
                             "       C Integer NOT NULL,\r\n"
                             "       D Integer NOT NULL,\r\n"
                             "      PRIMARY KEY (A),\r\n"
                             "      UNIQUE (C,B),\r\n"
                             "      CONSTRAINT UQ_D UNIQUE (D)\r\n"
                             ");"));
    // The key line ends the text without a comma.
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("ONLYKEY"), database, 1),
              QStringLiteral("CREATE TABLE ONLYKEY (\r\n"
                             "       K Integer NOT NULL,\r\n"
                             "      PRIMARY KEY (K)\r\n"
                             ");"));
}

TEST_P(ObjectDDLTest, ADialect1TableNamesArraysTextBlobsAndCharacterSetsAsTheyAre)
{
    TQvDatabase* database = open({
        QStringLiteral("CREATE TABLE T (A CHAR(5) [1:4], B INTEGER [0:2, 1:3], M BLOB SUB_TYPE 1, "
                       "U VARCHAR(10) CHARACTER SET UTF8, D DATE)"),
    });
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("T"), database, 1),
              QStringLiteral("CREATE TABLE T (\r\n"
                             "       A Char(5) [1:4],\r\n"
                             "       B Integer [0:2, 1:3],\r\n"
                             "       M Blob sub_type 1,\r\n"
                             "       U Varchar(10) CHARACTER SET UTF8,\r\n"
                             "       D Date\r\n"
                             ");"));
}

TEST_P(ObjectDDLTest, QuotesInANameStayInsideTheLiteral)
{
    TQvDatabase* database = open({QStringLiteral("CREATE TABLE T (A INTEGER)")});
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("T' OR ''='"), database, 1),
              QStringLiteral("CREATE TABLE T' OR ''=' (\r\n);"));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("x'y"), database, 3), QStringLiteral("CREATE PROCEDURE x'y\r\n AS \r\n"));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("T"), database, 4), QString());
}

TEST_P(ObjectDDLTest, ViewsAndProcedures)
{
    TQvDatabase* database = open({
        QStringLiteral("CREATE TABLE T (A INTEGER, B VARCHAR(5))"),
        QStringLiteral("CREATE VIEW V (X, Y) AS SELECT A, B\nFROM T"),
        QStringLiteral("CREATE PROCEDURE P (IN_A INTEGER, IN_B VARCHAR(10)) RETURNS (OUT_X NUMERIC(15,2), OUT_Y DATE) "
                       "AS BEGIN SUSPEND; END"),
        QStringLiteral("COMMENT ON PARAMETER P.IN_B IS 'the b'"),
        QStringLiteral("CREATE PROCEDURE BARE AS BEGIN EXIT; END"),
    });
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("V"), database, 2),
              QStringLiteral("CREATE VIEW V(X,Y)\r\nAS\r\nSELECT A, B\r\nFROM T"));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("p"), database, 3),
              QStringLiteral("CREATE PROCEDURE p(IN_A Integer,\r\n"
                             "                   IN_B Varchar(10) /*the b*/)\r\n"
                             "RETURNS (OUT_X Numeric(15,2),\r\n"
                             "         OUT_Y Date)\r\n"
                             " AS \r\n"
                             "BEGIN SUSPEND; END"));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("BARE"), database, 3),
              QStringLiteral("CREATE PROCEDURE BARE\r\n AS \r\nBEGIN EXIT; END"));
}

TEST_P(ObjectDDLTest, ThePreviewShowsTheTextModally)
{
    const qvtest::TempDir registryDir;
    IsolatedUser user;
    TQvDatabase* database = open({QStringLiteral("CREATE TABLE T (A INTEGER NOT NULL PRIMARY KEY)")});
    TDBListScope list;
    const int index = DBList->Add(QStringLiteral("Db"));
    DBList->SetDatabase(index, database);
    qv::DialogScript script;
    QString caption;
    QString text;
    script.onModal([&](QDialog& dialog) {
        caption = dialog.windowTitle();
        text = static_cast<TProcPreview&>(dialog).Memo()->Text();
        EXPECT_EQ(ProcPreview.data(), &dialog);
        dialog.accept();
    });
    ShowObjectDDL(QStringLiteral("T"), index + 1, 1);
    EXPECT_EQ(caption, QStringLiteral("Object view"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("CREATE TABLE T (\r\n       A Integer NOT NULL,\r\n      PRIMARY KEY (A)\r\n);")))
        << text.toStdString();
    DBList->SetDatabase(index, nullptr);
}

// A stored name keeps its leading blanks: " X" is another table than X, and
// " PK" another constraint than PK.
TEST_P(ObjectDDLTest, ThePreviewOfANameWithLeadingBlanksShowsThatName)
{
    const qvtest::TempDir registryDir;
    IsolatedUser user;
    TQvDatabase* database = open({QStringLiteral("CREATE TABLE X (ID INTEGER)"),
                                  QStringLiteral("CREATE TABLE \" X\" (\" C\" INTEGER NOT NULL, \" D\" INTEGER, "
                                                 "CONSTRAINT \" PK\" PRIMARY KEY (\" C\"), "
                                                 "CONSTRAINT \" U\" UNIQUE (\" D\"))")},
                                 3, QStringLiteral("UTF8"));
    TDBListScope list;
    const int index = DBList->Add(QStringLiteral("Db"));
    DBList->SetDatabase(index, database);
    qv::DialogScript script;
    QString text;
    script.onModal([&](QDialog& dialog) {
        text = static_cast<TProcPreview&>(dialog).Memo()->Text();
        dialog.accept();
    });
    ShowObjectDDL(QStringLiteral(" X"), index + 1, 1);
    DBList->SetDatabase(index, nullptr);
    EXPECT_TRUE(text.startsWith(QStringLiteral("CREATE TABLE \" X\" (\r\n       \" C\" Integer NOT NULL,")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("CONSTRAINT \" PK\" PRIMARY KEY (\" C\")"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("CONSTRAINT \" U\" UNIQUE (\" D\")"))) << text.toStdString();

    // Run as a script, it makes that table with those constraints.
    const QString copy = qvtest::createDialect3Database(target(), m_dir, QStringLiteral("copy.fdb"),
                                                        {QStringLiteral("CREATE TABLE X (ID INTEGER)")},
                                                        QStringLiteral("UTF8"));
    const QString lines = QStringLiteral("CONNECT %1 USER %2 PASSWORD %3;\r\n")
                              .arg(QvSql::SingleQuoted(copy), QvSql::SingleQuoted(target().user),
                                   QvSql::SingleQuoted(target().password))
        + text + QStringLiteral("\r\n");
    const QStringList failures = qvtest::RunScript(ScriptLines(lines));
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    const QString constraints = QStringLiteral(
        "select '[' || trim(trailing from rdb$constraint_name) || ']' from rdb$relation_constraints "
        "where rdb$relation_name = ' X' and rdb$constraint_type in ('PRIMARY KEY', 'UNIQUE') order by 1");
    EXPECT_EQ(qvtest::column(target(), copy, constraints), (QStringList{QStringLiteral("[ PK]"), QStringLiteral("[ U]")}));
    EXPECT_EQ(qvtest::column(target(), copy, constraints),
              qvtest::column(target(), m_connection->DBName(), constraints));
}

TEST_P(ObjectDDLTest, AFailingHandlerRollsTheSharedTransactionBack)
{
    TQvDatabase* database = open({QStringLiteral("CREATE TABLE T (A INTEGER)")});
    TQvTransaction* shared = DM->IBTran();
    DM->Query()->SetDatabase(database);
    try {
        TQvTransactionScope transaction(shared);
        DM->Query()->SetSQLText(QStringLiteral("insert into T values (1)"));
        DM->Query()->ExecQuery();
        TCatalogQuery broken(*DM->Query(), database, QStringLiteral("select no_such_column from T"));
        FAIL() << "the select should fail";
    } catch (const EQvError& error) {
        EXPECT_NE(error.SQLCode(), 0);
    }
    EXPECT_FALSE(shared->Active());
    {
        TQvTransactionScope transaction(shared);
        TCatalogQuery count(*DM->Query(), database, QStringLiteral("select count(*) as N from T"));
        EXPECT_EQ(count.Integer(QStringLiteral("N")), 0);
        transaction.Commit();
    }
    EXPECT_FALSE(shared->Active());
}

TEST_P(ObjectDDLTest, ADialect3TableReadsAsTextThatRecreatesIt)
{
    const QStringList schema{
        QStringLiteral("CREATE DOMAIN D_MONEY AS NUMERIC(18,2) DEFAULT 0"),
        QStringLiteral(
            "CREATE TABLE \"Every Type\" (ID BIGINT NOT NULL, SI SMALLINT, I INTEGER, N41 NUMERIC(4,1), "
            "N92 NUMERIC(9,2), N184 NUMERIC(18,4), F FLOAT, DP DOUBLE PRECISION, D DATE DEFAULT '2000-01-01', T TIME, "
            "TS TIMESTAMP DEFAULT CURRENT_TIMESTAMP, B BOOLEAN DEFAULT TRUE NOT NULL, C CHAR(5), "
            "V VARCHAR(20) CHARACTER SET WIN1252, \"lower\" VARCHAR(10), M BLOB SUB_TYPE TEXT, BIN BLOB SUB_TYPE BINARY, "
            "A CHAR(5) [1:4], A2 INTEGER [0:2, 1:3], MONEY D_MONEY, \"Select\" INTEGER, DBL COMPUTED BY (I * 2), "
            "CONSTRAINT \"Pk Every\" PRIMARY KEY (ID), UNIQUE (I, SI))"),
    };
    TQvDatabase* database = open(schema, 3, QStringLiteral("UTF8"));
    const QString text = BuildObjectDDL(QStringLiteral("Every Type"), database, 1);
    EXPECT_EQ(text, QStringLiteral("CREATE TABLE \"Every Type\" (\r\n"
                                   "       ID Bigint NOT NULL,\r\n"
                                   "       SI Smallint,\r\n"
                                   "       I Integer,\r\n"
                                   "       N41 Numeric(4,1),\r\n"
                                   "       N92 Numeric(9,2),\r\n"
                                   "       N184 Numeric(18,4),\r\n"
                                   "       F Float,\r\n"
                                   "       DP Double precision,\r\n"
                                   "       D Date DEFAULT '2000-01-01',\r\n"
                                   "       T Time,\r\n"
                                   "       TS Timestamp DEFAULT CURRENT_TIMESTAMP,\r\n"
                                   "       B Boolean DEFAULT TRUE NOT NULL,\r\n"
                                   "       C Char(5),\r\n"
                                   "       V Varchar(20) CHARACTER SET WIN1252,\r\n"
                                   "       \"lower\" Varchar(10),\r\n"
                                   "       M Blob sub_type 1,\r\n"
                                   "       BIN Blob,\r\n"
                                   "       A Char(5) [1:4],\r\n"
                                   "       A2 Integer [0:2, 1:3],\r\n"
                                   "       MONEY D_MONEY,\r\n"
                                   "       \"Select\" Integer,\r\n"
                                   "       DBL COMPUTED BY (I * 2),\r\n"
                                   "      CONSTRAINT \"Pk Every\" PRIMARY KEY (ID),\r\n"
                                   "      UNIQUE (I,SI)\r\n"
                                   ");"));
    EXPECT_FALSE(DM->IBTran()->Active());
    // The catalog statements went back to the database's dialect afterwards.
    EXPECT_EQ(DM->Query()->SQLDialect(), 0);
    EXPECT_EQ(DM->IBDs()->SQLDialect(), 0);

    // Run unchanged by isql on a new dialect-3 database, it makes the same table.
    if (!QFile::exists(QStringLiteral("/usr/bin/isql-fb")))
        GTEST_SKIP() << "isql-fb is not installed; the round trip through it is skipped";
    const QString copy = target().databasePath(m_dir, QStringLiteral("copy.fdb"));
    const QString password = target().isServer() ? QStringLiteral(" PASSWORD '%1'").arg(target().password) : QString();
    const QString output = runIsql(m_dir, QStringLiteral("SET SQL DIALECT 3;\n"
                                                         "CREATE DATABASE '%1' USER '%2'%3 DEFAULT CHARACTER SET UTF8;\n"
                                                         "%4;\n%5\nCOMMIT;\n")
                                              .arg(copy, target().user, password, schema[0], text));
    ASSERT_TRUE(output.isEmpty()) << qPrintable(output);
    const QStringList original = tableFacts(target(), m_connection->DBName(), QStringLiteral("Every Type"));
    EXPECT_EQ(original.size(), 22 + 3 + 3); // columns, array dimensions, key segments
    EXPECT_EQ(tableFacts(target(), copy, QStringLiteral("Every Type")), original);
}

TEST_P(ObjectDDLTest, Dialect3ViewsAndProceduresNameTheirTypesAsFirebirdDoes)
{
    TQvDatabase* database = open(
        {
            QStringLiteral("CREATE TABLE \"t\" (\"a\" BIGINT, B DATE)"),
            QStringLiteral("CREATE VIEW \"My View\" (\"x\", Y) AS SELECT \"a\", B FROM \"t\""),
            QStringLiteral("CREATE PROCEDURE P (IN_A BIGINT, IN_B VARCHAR(10), \"in\" NUMERIC(18,2)) "
                           "RETURNS (OUT_D DATE, OUT_T TIMESTAMP, OUT_F BOOLEAN) AS BEGIN SUSPEND; END"),
        },
        3, QStringLiteral("UTF8"));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("My View"), database, 2),
              QStringLiteral("CREATE VIEW \"My View\"(\"x\",Y)\r\nAS\r\nSELECT \"a\", B FROM \"t\""));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("p"), database, 3),
              QStringLiteral("CREATE PROCEDURE P(IN_A Bigint,\r\n"
                             "                   IN_B Varchar(10),\r\n"
                             "                   \"in\" Numeric(18,2))\r\n"
                             "RETURNS (OUT_D Date,\r\n"
                             "         OUT_T Timestamp,\r\n"
                             "         OUT_F Boolean)\r\n"
                             " AS \r\n"
                             "BEGIN SUSPEND; END"));
}

// A user saves the preview and runs it as a script in another database: it
// makes that object and nothing else, whatever its descriptions say, and
// the object is the original again.
TEST_P(ObjectDDLTest, APreviewRunAsAScriptMakesThatObjectAndNothingElse)
{
    const QString hostile = QStringLiteral("**//; DROP TABLE X; /*");
    const QString is = QStringLiteral(" IS ") + QvSql::SingleQuoted(hostile);
    TQvDatabase* database = open(
        {
            // Stored defaults and computed sources keep a "--" comment that ends them.
            QStringLiteral("CREATE TABLE \"Odd T\" (A INTEGER NOT NULL PRIMARY KEY, B VARCHAR(10) DEFAULT 'x' -- why\n"
                           " NOT NULL, C COMPUTED BY (A + 1) -- how\n, \"d e\" NUMERIC(9,2), RDB$KEY INTEGER)"),
            QStringLiteral("COMMENT ON TABLE \"Odd T\"") + is,
            QStringLiteral("COMMENT ON COLUMN \"Odd T\".A") + is,
            QStringLiteral("COMMENT ON COLUMN \"Odd T\".\"d e\"") + is,
            QStringLiteral("CREATE PROCEDURE P (IN_A INTEGER, IN_B VARCHAR(5)) RETURNS (R VARCHAR(20)) "
                           "AS BEGIN R = IN_B || '*/'; SUSPEND; END"),
            QStringLiteral("COMMENT ON PROCEDURE P") + is,
            QStringLiteral("COMMENT ON PARAMETER P.IN_A") + is,
            QStringLiteral("COMMENT ON PARAMETER P.R") + is,
        },
        3, QStringLiteral("UTF8"));
    const QString table = BuildObjectDDL(QStringLiteral("Odd T"), database, 1);
    const QString procedure = BuildObjectDDL(QStringLiteral("P"), database, 3);

    const QString copy = qvtest::createDialect3Database(target(), m_dir, QStringLiteral("copy.fdb"),
                                                        {QStringLiteral("CREATE TABLE X (ID INTEGER)")},
                                                        QStringLiteral("UTF8"));
    const QString text = QStringLiteral("CONNECT %1 USER %2 PASSWORD %3;\r\n")
                             .arg(QvSql::SingleQuoted(copy), QvSql::SingleQuoted(target().user),
                                  QvSql::SingleQuoted(target().password))
        + table + QStringLiteral("\r\nSET TERM ^ ;\r\n") + procedure + QStringLiteral("^\r\nSET TERM ; ^\r\n");
    const QStringList failures = qvtest::RunScript(ScriptLines(text));
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString() << "\n--- script:\n"
                                    << text.toStdString();

    EXPECT_EQ(qvtest::column(target(), copy,
                             QStringLiteral("select rdb$relation_name from rdb$relations where rdb$system_flag = 0 "
                                            "union all select rdb$procedure_name from rdb$procedures "
                                            "where rdb$system_flag = 0 order by 1")),
              (QStringList{QStringLiteral("Odd T"), QStringLiteral("P"), QStringLiteral("X")}));
    TQvDatabase check;
    check.SetDBName(copy);
    check.SetDBParams(qvtest::connectParams(target()));
    check.Open();
    // Without its descriptions, the copy reads as the original does.
    execute(target(), m_connection->DBName(),
            {QStringLiteral("COMMENT ON TABLE \"Odd T\" IS NULL"), QStringLiteral("COMMENT ON COLUMN \"Odd T\".A IS NULL"),
             QStringLiteral("COMMENT ON COLUMN \"Odd T\".\"d e\" IS NULL"), QStringLiteral("COMMENT ON PROCEDURE P IS NULL"),
             QStringLiteral("COMMENT ON PARAMETER P.IN_A IS NULL"), QStringLiteral("COMMENT ON PARAMETER P.R IS NULL")});
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("Odd T"), &check, 1),
              BuildObjectDDL(QStringLiteral("Odd T"), database, 1));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("P"), &check, 3), BuildObjectDDL(QStringLiteral("P"), database, 3));
    EXPECT_EQ(tableFacts(target(), copy, QStringLiteral("Odd T")),
              tableFacts(target(), m_connection->DBName(), QStringLiteral("Odd T")));
}

INSTANTIATE_TEST_SUITE_P(Targets, ObjectDDLTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);
