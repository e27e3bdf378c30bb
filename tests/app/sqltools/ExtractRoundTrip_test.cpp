// Extract a database, run the script through the executor into a new one,
// extract that: both scripts and both isql-fb extracts must be identical.

#include "ExtractTest_support.h"

#include "access/QvScript.h"
#include "access/QvTransactionScope.h"
#include "app/shell/SampleDatabase.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Every object kind, every column type, views on views and on procedures,
// quotes and line breaks in data and descriptions, in a dialect-3 database.
const QStringList dialect3Objects{
    QStringLiteral("create domain D_NAME as varchar(20) character set WIN1252 default 'it''s' not null "
                   "check (value <> '') collate PXW_INTL"),
    QStringLiteral("create domain D_MONEY as numeric(15,2) default 0"),
    QStringLiteral("create domain D_SMALL as numeric(4,2)"),
    QStringLiteral("create domain D_FLAG as boolean"),
    QStringLiteral("create domain D_TEXT as blob sub_type 1 segment size 120"),
    QStringLiteral("create domain D_DEC as decimal(9,3)"),
    QStringLiteral("create sequence G_ID"),
    QStringLiteral("create sequence G_STEP start with 10 increment by 5"),
    QStringLiteral("create exception E_BAD 'It''s \"bad\"'"),
    QStringLiteral("create table PARENT (ID integer not null, CODE char(3) not null, NAME D_NAME, "
                   "constraint PK_PARENT primary key (ID), constraint UQ_CODE unique (CODE))"),
    QStringLiteral("create table \"Child\" (ID bigint not null primary key, PARENT_ID integer references PARENT (ID) "
                   "on delete cascade on update set null, \"lower\" varchar(10), AMOUNT D_MONEY, "
                   "SMALLNUM numeric(4,2), DECNUM decimal(9,3), BIG numeric(18,4), F float, D double precision, "
                   "DT date, TM time, TS timestamp, B boolean, U varchar(5) character set UTF8, "
                   "O char(4) character set OCTETS, MEMO blob sub_type 1, BIN blob sub_type 0 segment size 512, "
                   "W varchar(8) character set WIN1252 collate WIN_PTBR, SM smallint, NOTE D_TEXT, "
                   "TOTAL computed by (AMOUNT * 2), check (AMOUNT >= 0))"),
    QStringLiteral("alter table \"Child\" add constraint CK_ID check (ID > 0)"),
    QStringLiteral("create index IX_CHILD_DT on \"Child\" (DT, TM)"),
    QStringLiteral("create descending index IX_CHILD_AMOUNT on \"Child\" (AMOUNT)"),
    QStringLiteral("create index IX_UPPER on PARENT computed by (upper(NAME))"),
    QStringLiteral("create unique index IX_OFF on PARENT (NAME, ID)"),
    QStringLiteral("alter index IX_OFF inactive"),
    QStringLiteral("create table BLOBS_ONLY (T blob sub_type 1, B blob)"),
    QStringLiteral("create view V_PARENT (ID, NAME) as select ID, NAME from PARENT"),
    QStringLiteral("create view V_ON_VIEW (ID) as\nselect ID from V_PARENT\nwhere ID > 0"),
    QStringLiteral("create procedure P_LIST returns (ID integer) as\nbegin\n  for select ID from PARENT into :ID do\n"
                   "    suspend;\nend"),
    QStringLiteral("create view A_ON_PROC (ID) as select ID from P_LIST"),
    QStringLiteral("create procedure P_CALLS (N type of D_SMALL, X integer = 3) returns (Y integer) as\nbegin\n"
                   "  select count(*) from A_ON_PROC into :Y;\n  Y = Y + X;\n  suspend;\nend"),
    QStringLiteral("create trigger T_MULTI for PARENT active before insert or update position 5 as\nbegin\n"
                   "  new.NAME = upper(new.NAME);\nend"),
    QStringLiteral("create trigger T_OLD for \"Child\" inactive after delete position 1 as\nbegin\n"
                   "  exception E_BAD;\nend"),
    QStringLiteral("create trigger T_CONNECT active on connect position 0 as\nbegin\nend"),
    QStringLiteral("declare external function F_ABS double precision returns double precision by value "
                   "entry_point 'IB_UDF_abs' module_name 'ib_udf'"),
    QStringLiteral("comment on table PARENT is 'Parents: it''s /* not */ a comment\nsecond line'"),
    QStringLiteral("comment on column PARENT.NAME is 'the name'"),
    QStringLiteral("comment on procedure P_LIST is 'lists'"),
    QStringLiteral("comment on parameter P_LIST.ID is 'an id'"),
    QStringLiteral("comment on view V_PARENT is 'a view'"),
    QStringLiteral("comment on domain D_NAME is 'names'"),
    QStringLiteral("comment on trigger T_MULTI is 'upper'"),
    QStringLiteral("comment on exception E_BAD is 'bad'"),
    QStringLiteral("grant all on PARENT to public with grant option"),
    QStringLiteral("grant update (NAME), references (CODE) on PARENT to \"user One\""),
    QStringLiteral("grant execute on procedure P_LIST to public"),
    QStringLiteral("grant select on PARENT to procedure P_CALLS"),
    QStringLiteral("insert into PARENT values (1, 'ABC', 'it''s \"quoted\"')"),
    QStringLiteral("insert into PARENT values (2, 'DEF', 'two' || ascii_char(10) || 'lines' || ascii_char(13) || "
                   "ascii_char(10) || 'crlf')"),
    QStringLiteral("insert into \"Child\" (ID, PARENT_ID, \"lower\", AMOUNT, SMALLNUM, DECNUM, BIG, F, D, DT, TM, TS, "
                   "B, U, O, MEMO, BIN, W, SM, NOTE) values (10, 1, 'x', 12.34, 1.25, 123456.789, "
                   "12345678901234.5678, 1.5, 0.1, date '2020-02-29', time '13:14:15.1234', "
                   "timestamp '1999-12-31 23:59:59.9999', true, '\u00e4\u00f6\u20ac', x'00FF10', "
                   "'memo with ''quote'' and ; and ^ and /* and --', x'DEADBEEF', 'vov\u00f4', -32768, 'n')"),
    QStringLiteral("insert into \"Child\" (ID) values (11)"),
    QStringLiteral("insert into BLOBS_ONLY values ('text', x'0102')"),
    QStringLiteral("insert into BLOBS_ONLY values (null, null)"),
    QStringLiteral("alter sequence G_ID restart with 42"),
    QStringLiteral("create table NUMBERED (ID integer generated by default as identity (start with 100) primary key, "
                   "NAME varchar(10))"),
    QStringLiteral("create table UNNUMBERED (ID bigint generated by default as identity, NAME varchar(10))"),
    QStringLiteral("insert into NUMBERED (NAME) values ('one')"),
    QStringLiteral("insert into NUMBERED (NAME) values ('two')"),
    QStringLiteral("insert into UNNUMBERED (ID, NAME) values (5, 'given')"),
    QStringLiteral("create trigger T_DDL after create table or drop view or alter mapping position 3 as\nbegin\nend"),
    QStringLiteral("create trigger T_ANY_DDL inactive before any ddl statement as\nbegin\nend"),
};

const QStringList dialect1Objects{
    QStringLiteral("create domain DNAME as varchar(20) default \"it's\""),
    QStringLiteral("create domain D_NUM as numeric(15,2) not null"),
    QStringLiteral("create generator G1"),
    QStringLiteral("set generator G1 to 7"),
    QStringLiteral("create exception E1 'Can''t'"),
    QStringLiteral("create table T (ID integer not null, NAME DNAME, PRICE numeric(9,2), QTY numeric(4,1), "
                   "W double precision, D date, C char(5), NOTE blob sub_type 1, N D_NUM, "
                   "primary key (ID))"),
    QStringLiteral("create table U (ID integer not null, T_ID integer, constraint PK_U primary key (ID), "
                   "constraint FK_U_T foreign key (T_ID) references T (ID) on delete cascade)"),
    QStringLiteral("create index IX_T_NAME on T (NAME)"),
    QStringLiteral("create view V1 (ID, NAME) as select ID, NAME from T"),
    QStringLiteral("create view V2 (ID) as select ID from V1"),
    QStringLiteral("create procedure P as begin exit; end"),
    QStringLiteral("create procedure P2 (A integer) returns (B integer) as\nbegin\n  B = A * 2;\n  suspend;\nend"),
    QStringLiteral("create trigger TR1 for T active before insert position 0 as\nbegin\n"
                   "  new.NAME = upper(new.NAME);\nend"),
    QStringLiteral("create table LOG (ID integer, NOTE varchar(10))"),
    QStringLiteral("create trigger TR_LOG for U active after insert position 0 as\nbegin\n"
                   "  insert into LOG values (new.ID, 'added');\nend"),
    QStringLiteral("comment on table T is 'a \"quoted\" table'"),
    QStringLiteral("insert into T values (1, 'abc', 12.5, 1.5, 0.1, '2001-02-03 04:05:06', 'x\"y', 'memo', 3.25)"),
    QStringLiteral("insert into U values (1, 1)"),
};

class ExtractRoundTrip : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override { QV_SKIP_UNLESS_REACHABLE(GetParam()); }

    QString copyPath() const { return GetParam().databasePath(dir, QStringLiteral("copy.fdb")); }

    qvtest::TempDir dir;
};

TEST_P(ExtractRoundTrip, DialectThreeDatabaseWithEveryKind)
{
    const QString path =
        qvtest::createDialect3Database(GetParam(), dir, QStringLiteral("all3.fdb"), {}, QStringLiteral("UTF8"));
    {
        // Text beyond Latin-1 needs a connection that carries it.
        TQvDatabase database;
        database.SetDBName(path);
        database.SetDBParams(qvtest::connectParams(GetParam()) << QStringLiteral("isc_dpb_lc_ctype=UTF8"));
        database.Open();
        qvtest::runStatements(database, dialect3Objects);
        database.Close();
    }
    const QStringList lines = qvtest::ExpectExactRoundTrip(GetParam(), path, copyPath(), QStringLiteral("UTF8"));
    // The data really went through: the row with its line breaks.
    EXPECT_NE(lines.indexOf(QStringLiteral("INSERT INTO PARENT(ID,CODE,NAME) VALUES(2,'DEF','TWO' || ASCII_CHAR(10) || "
                                           "'LINES' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'CRLF');")),
              -1)
        << ScriptText(lines).toStdString();
    // Identities keep their start, and the copy's go on from where the
    // original's were, not from values its rows already hold. The key
    // declared with the table makes the column NOT NULL: a NOT NULL of its
    // own would add a constraint the original has not.
    EXPECT_TRUE(ScriptText(lines).contains(
        QStringLiteral("CREATE TABLE NUMBERED (\r\n       ID Integer GENERATED BY DEFAULT AS IDENTITY (START WITH 100),")))
        << ScriptText(lines).toStdString();
    EXPECT_NE(lines.indexOf(QStringLiteral("ALTER TABLE NUMBERED ALTER COLUMN ID RESTART WITH 102;")), -1);
    EXPECT_FALSE(ScriptText(lines).contains(QStringLiteral("UNNUMBERED ALTER COLUMN")));
    EXPECT_NE(lines.indexOf(QStringLiteral("ACTIVE AFTER CREATE TABLE OR DROP VIEW OR ALTER MAPPING POSITION 3")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("INACTIVE BEFORE ANY DDL STATEMENT POSITION 0")), -1);
    qvtest::ExtractSource copy(GetParam(), copyPath());
    TQvTransactionScope scope(copy.Transaction());
    TQvQuery query;
    query.SetDatabase(&copy.Database());
    query.SetTransaction(&copy.Transaction());
    query.SetSQLText(QStringLiteral("insert into NUMBERED (NAME) values ('three') returning ID"));
    query.ExecQuery();
    EXPECT_EQ(query.Fields(0).AsString(), QStringLiteral("103"));
}

TEST_P(ExtractRoundTrip, DialectOneDatabaseWithEveryKind)
{
    const QString path = qvtest::createDatabase(GetParam(), dir, QStringLiteral("all1.fdb"), dialect1Objects);
    const QStringList lines = qvtest::ExpectExactRoundTrip(GetParam(), path, copyPath());
    EXPECT_EQ(lines.indexOf(QStringLiteral("SET SQL DIALECT 3;")), -1);
    EXPECT_EQ(lines.at(0), QStringLiteral("SET SQL DIALECT 1;"));
    // The rows load with the triggers silent, so the log gets no second row.
    const qsizetype off = lines.indexOf(QStringLiteral("ALTER TRIGGER TR_LOG INACTIVE;"));
    const qsizetype on = lines.indexOf(QStringLiteral("ALTER TRIGGER TR_LOG ACTIVE;"));
    EXPECT_NE(off, -1);
    EXPECT_LT(off, lines.indexOf(QStringLiteral("INSERT INTO U(ID,T_ID) VALUES(1,1);")));
    EXPECT_GT(on, lines.indexOf(QStringLiteral("INSERT INTO U(ID,T_ID) VALUES(1,1);")));
    EXPECT_NE(lines.indexOf(QStringLiteral("ALTER TRIGGER TR1 INACTIVE;")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("INSERT INTO T(ID,NAME,PRICE,QTY,W,D,C,NOTE,N) VALUES(1,\"ABC\",12.5,1.5,"
                                           "0.1,\"2001-02-03 04:05:06\",\"x\"\"y  \",\"memo\",3.25);")),
              -1)
        << ScriptText(lines).toStdString();
}

// A domain's check, a table's computed columns, check and index on an
// expression that use PSQL functions, a view and a table written after
// them: with the metadata alone each waits until what it uses is there.
TEST_P(ExtractRoundTrip, DefinitionsThatUseRoutinesWaitForThem)
{
    const QString path = qvtest::createDialect3Database(GetParam(), dir, QStringLiteral("uses.fdb"),
        {QStringLiteral("create table COUNTRIES (CODE char(2) not null primary key, NAME varchar(40))"),
         QStringLiteral("create table ZONES (ID integer)"),
         QStringLiteral("create function F_SEARCH (S varchar(80)) returns varchar(80) deterministic as\n"
                        "begin\n  return upper(replace(S, '-', ' '));\nend"),
         QStringLiteral("create function F_VALID (C char(2)) returns boolean as\n"
                        "begin\n  return exists(select 1 from COUNTRIES where CODE = :C);\nend"),
         QStringLiteral("create domain D_COUNTRY as char(2) check (F_VALID(value))"),
         QStringLiteral("create view V_COUNTRIES (CODE, NAME) as select CODE, F_SEARCH(NAME) from COUNTRIES"),
         QStringLiteral("create table ADDRESSES (ID integer not null, NAME varchar(80), COUNTRY D_COUNTRY, "
                        "SEARCH_NAME computed by (F_SEARCH(NAME)), "
                        "KNOWN computed by ((select count(*) from V_COUNTRIES)), "
                        "ZONES computed by ((select count(*) from ZONES)), "
                        "constraint CK_ADDRESSES_NAME check (F_SEARCH(NAME) <> ''))"),
         QStringLiteral("create index IX_ADDRESSES_SEARCH on ADDRESSES computed by (F_SEARCH(NAME))")});
    const QStringList lines =
        qvtest::ExpectExactRoundTrip(GetParam(), path, copyPath(), QString(), efMetadataOnly);
    const qsizetype body = lines.indexOf(QStringLiteral("ALTER FUNCTION F_SEARCH(S Varchar(80))"));
    const qsizetype index = lines.indexOf(QStringLiteral("CREATE INDEX IX_ADDRESSES_SEARCH on ADDRESSES COMPUTED BY "
                                                         "(F_SEARCH(NAME));"));
    EXPECT_TRUE(body > 0 && body < index) << ScriptText(lines).toStdString();
}

TEST_P(ExtractRoundTrip, SampleDatabase)
{
    const QString path = qvtest::createDialect3Database(GetParam(), dir, QStringLiteral("sample.fdb"));
    {
        qvtest::ExtractSource source(GetParam(), path);
        TQvScript script;
        script.SetDatabase(&source.Database());
        script.SetTransaction(&source.Transaction());
        script.SetParamCheck(false);
        QStringList failures;
        QObject::connect(&script, &TQvScript::OnError,
                         [&failures](const QString& line, int, int) { failures << line; });
        script.SetScript(SampleDatabaseScript());
        ASSERT_FALSE(script.Script().isEmpty());
        script.ExecuteScript();
        ASSERT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    }
    qvtest::ExpectExactRoundTrip(GetParam(), path, copyPath());
}

TEST_P(ExtractRoundTrip, EmployeeSample)
{
    QString script;
    for (const char* candidate : {"/usr/share/doc/firebird3.0-common-doc/examples/employee.sql.gz",
                                  "/usr/share/doc/firebird3.0-common/examples/empbuild/employee.sql.gz",
                                  "/usr/share/doc/firebird3.0-common/examples/employee.sql.gz"})
        if (QFile::exists(QLatin1String(candidate)))
            script = QLatin1String(candidate);
    if (script.isEmpty())
        GTEST_SKIP() << "Firebird's employee sample (employee.sql.gz, package firebird3.0-examples) is not installed";
    QProcess gunzip;
    gunzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), script});
    gunzip.waitForFinished(30000);
    QString text = QString::fromLatin1(gunzip.readAllStandardOutput());
    const QString path = GetParam().databasePath(dir, QStringLiteral("employee.fdb"));
    static const QRegularExpression create(QStringLiteral("create database '[^']*'"),
                                           QRegularExpression::CaseInsensitiveOption);
    text.replace(create, QStringLiteral("create database '%1'").arg(path));
    qputenv("ISC_USER", GetParam().user.toUtf8());
    qputenv("ISC_PASSWORD", GetParam().password.toUtf8());
    const QStringList failures = qvtest::RunScriptText(text, GetParam());
    qunsetenv("ISC_USER");
    qunsetenv("ISC_PASSWORD");
    ASSERT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    qvtest::ExpectExactRoundTrip(GetParam(), path, copyPath());
}

INSTANTIATE_TEST_SUITE_P(Targets, ExtractRoundTrip, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
