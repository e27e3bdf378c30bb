// The script writers against real databases: the exact texts of the
// header, the sections and the rows, and what a dialect-3 database, quotes,
// every type, key and trigger kind and oversized values give.

#include "ExtractTest_support.h"

#include "access/Qv.h"
#include "app/sqltools/ExtractOrder.h"
#include "app/sqltools/ExtractWriters.h"
#include "app/sqltools/ScriptFile.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using qvtest::ExtractSource;

qsizetype indexOf(const QStringList& lines, const QString& line, qsizetype from = 0)
{
    return lines.indexOf(line, from);
}

bool containsLineStartingWith(const QStringList& lines, const QString& start)
{
    for (const QString& line : lines)
        if (line.startsWith(start))
            return true;
    return false;
}

class ExtractWriters : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override { QV_SKIP_UNLESS_REACHABLE(GetParam()); }

    // A dialect-1 database with one object of each small kind: a domain, a
    // table using it with a row, and a procedure.
    QString smallDatabase()
    {
        return qvtest::createDatabase(GetParam(), dir, QStringLiteral("small.fdb"),
            {QStringLiteral("create domain DNAME as varchar(20)"),
             QStringLiteral("create table T (ID integer not null, NAME DNAME, primary key (ID))"),
             QStringLiteral("create procedure P as begin exit; end"),
             QStringLiteral("insert into T values (1, 'abc')")});
    }

    qvtest::TempDir dir;
};

TEST_P(ExtractWriters, HeaderNamesThePathAndOnlyWhatIsAsked)
{
    const QString path = smallDatabase();
    {
        ExtractSource source(GetParam(), path);
        const QStringList lines = source.Extract(efMetadataOnly, QStringLiteral("/p/db.fdb")).lines;
        ASSERT_GE(lines.size(), 5);
        // The dialect first: a reader would take the script as dialect 3.
        EXPECT_EQ(lines.at(0), QStringLiteral("SET SQL DIALECT 1;"));
        EXPECT_EQ(lines.at(1), QString());
        // The script's character set, which its bytes are in, always.
        EXPECT_EQ(lines.at(2), QStringLiteral("SET NAMES NONE;"));
        EXPECT_EQ(lines.at(3), QStringLiteral("/* Create database : NAME       */"));
        EXPECT_EQ(lines.at(4), QStringLiteral("CONNECT \"/p/db.fdb\" ;"));
        EXPECT_EQ(lines.at(5), QString());
    }
    {
        // The connection's character set comes from SET NAMES, which
        // isql-fb reads: it has no such clause to CONNECT.
        ExtractSource source(GetParam(), path, QStringLiteral("WIN1252"));
        const QStringList lines = source.Extract(efDataOnly, QStringLiteral("/p/db.fdb")).lines;
        EXPECT_EQ(lines.at(2), QStringLiteral("SET NAMES WIN1252;"));
        EXPECT_EQ(lines.at(4), QStringLiteral("CONNECT \"/p/db.fdb\" ;"));
        // Data only still has the header, and no section of the metadata.
        EXPECT_EQ(lines.indexOf(QStringLiteral("SET TERM ^ ;")), -1);
        EXPECT_NE(lines.indexOf(QStringLiteral("INSERT INTO T(ID,NAME) VALUES(1,\"abc\");")), -1);
    }
    {
        ExtractSource source(GetParam(), path);
        const QStringList lines =
            source.Extract(efMetadataOnly | efCreateDatabase | efUserPassword, QStringLiteral("/p/db.fdb")).lines;
        EXPECT_EQ(lines.at(4), QStringLiteral("CREATE DATABASE \"/p/db.fdb\" USER \"%1\" PASSWORD \"%2\" PAGE_SIZE %3;")
                                   .arg(GetParam().user, GetParam().password)
                                   .arg(source.Database().PageSize()));
    }
}

TEST_P(ExtractWriters, TablesOnlyKeepTheTerminatorLinesAndTheFiveLineTable)
{
    ExtractSource source(GetParam(), smallDatabase());
    const QStringList lines =
        source.Extract(efMetadataOnly | efKeys, QStringLiteral("/p/db.fdb"), {{QStringLiteral("T"), ekTable}}).lines;
    const qsizetype banner = indexOf(lines, QStringLiteral("/*              Tables             */"));
    ASSERT_GT(banner, 0);
    EXPECT_EQ(lines.at(banner - 1), QStringLiteral("/***********************************/"));
    const qsizetype create = indexOf(lines, QStringLiteral("CREATE TABLE T ("));
    ASSERT_GT(create, banner);
    EXPECT_EQ(lines.mid(create + 1, 4),
              (QStringList{QStringLiteral("       ID Integer NOT NULL,"), QStringLiteral("       NAME DNAME,"),
                           QStringLiteral("      PRIMARY KEY (ID)"), QStringLiteral(");")}));
    const qsizetype commit = indexOf(lines, QStringLiteral("COMMIT WORK;"), create);
    ASSERT_GT(commit, create);
    EXPECT_EQ(lines.mid(commit, 4), (QStringList{QStringLiteral("COMMIT WORK;"), QStringLiteral("SET TERM ^ ;"),
                                                 QStringLiteral("COMMIT WORK ^"), QStringLiteral("SET TERM ; ^")}));
    // The domain is not selected: not written.
    EXPECT_FALSE(containsLineStartingWith(lines, QStringLiteral("CREATE DOMAIN")));
}

TEST_P(ExtractWriters, ProcedureComesInTwoPasses)
{
    ExtractSource source(GetParam(), smallDatabase());
    const QStringList lines =
        source.Extract(efMetadataOnly, QStringLiteral("/p/db.fdb"), {{QStringLiteral("P"), ekProcedure}}).lines;
    const qsizetype header = indexOf(lines, QStringLiteral("CREATE PROCEDURE P AS BEGIN EXIT; END ^"));
    ASSERT_GT(header, indexOf(lines, QStringLiteral("SET TERM ^ ;")));
    const qsizetype alter = indexOf(lines, QStringLiteral("ALTER PROCEDURE P"));
    ASSERT_GT(alter, header);
    EXPECT_EQ(lines.at(alter - 1), QStringLiteral("/* Procedure: P  */"));
    EXPECT_EQ(lines.mid(alter + 1, 3),
              (QStringList{QStringLiteral("AS"), QStringLiteral("begin exit; end"), QStringLiteral(" ^ ")}));
}

TEST_P(ExtractWriters, DialectThreeScriptsSayTheirDialectAndQuoteSingly)
{
    const QString path = qvtest::createDialect3Database(GetParam(), dir, QStringLiteral("d3.fdb"),
        {QStringLiteral("create table \"Mixed\" (ID integer, \"name\" varchar(20), D date, TM time, B boolean, "
                        "N numeric(4,2), BIG bigint)"),
         QStringLiteral("create exception E_Q 'It''s \"bad\"'"),
         QStringLiteral("insert into \"Mixed\" values (1, 'it''s', date '2020-02-29', time '10:11:12.3456', true, "
                        "-1.25, 9223372036854775807)")});
    ExtractSource source(GetParam(), path);
    const QStringList lines = source.Extract(efMetadataAndData, QStringLiteral("/p/o'k.fdb")).lines;
    EXPECT_EQ(lines.at(0), QStringLiteral("SET SQL DIALECT 3;"));
    EXPECT_EQ(lines.at(4), QStringLiteral("CONNECT '/p/o''k.fdb' ;"));
    EXPECT_NE(lines.indexOf(QStringLiteral("CREATE EXCEPTION E_Q 'It''s \"bad\"';")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("CREATE TABLE \"Mixed\" (")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("       \"name\" Varchar(20),")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("       N Numeric(4,2),")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("       BIG Bigint")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("INSERT INTO \"Mixed\"(ID,\"name\",D,TM,B,N,BIG) VALUES(1,'it''s',"
                                           "'2020-02-29','10:11:12.3456',TRUE,-1.25,9223372036854775807);")),
              -1)
        << ScriptText(lines).toStdString();
}

TEST_P(ExtractWriters, DataIsExactAndNothingIsDroppedSilently)
{
    const QString path = qvtest::createDialect3Database(GetParam(), dir, QStringLiteral("data.fdb"),
        {QStringLiteral("create table NUMS (D double precision, F float, N numeric(18,4), S numeric(4,1))"),
         QStringLiteral("create table BLOBS (T blob sub_type 1, B blob)"),
         QStringLiteral("create table ARR (ID integer, A integer [1:3])"),
         QStringLiteral("create sequence G_ID"),
         QStringLiteral("alter sequence G_ID restart with 42"),
         QStringLiteral("insert into NUMS values (0.1, 0.5, -123456789012345.6789, 999.9)"),
         QStringLiteral("insert into BLOBS values ('a''b' || ascii_char(10) || 'c', x'00FF')"),
         QStringLiteral("insert into BLOBS (T) values (cast(lpad('', 30000, 'x') as blob sub_type 1) || "
                        "lpad('', 30000, 'x') || lpad('', 10000, 'x'))"),
         QStringLiteral("insert into ARR (ID) values (7)")});
    ExtractSource source(GetParam(), path);
    const TExtractResult result = source.Extract(efDataOnly, QStringLiteral("/p/db.fdb"));
    const QStringList& lines = result.lines;
    // The shortest text that reads back as the same double; a line break
    // in a text goes as ASCII_CHAR, so no reader takes it for a line end.
    EXPECT_NE(lines.indexOf(QStringLiteral("INSERT INTO NUMS(D,F,N,S) VALUES(0.1,0.5,"
                                           "-123456789012345.6789,999.9);")),
              -1)
        << ScriptText(lines).toStdString();
    EXPECT_NE(lines.indexOf(QStringLiteral("INSERT INTO BLOBS(T,B) VALUES('a''b' || ASCII_CHAR(10) || 'c',X'00FF');")),
              -1);
    // The value too long for one statement goes ahead of its row in pieces
    // of a temporary table, and the row's INSERT takes it whole from them.
    const qsizetype insert = lines.indexOf(QStringLiteral(
        "INSERT INTO BLOBS(T,B) VALUES((SELECT LIST(P, '') FROM (SELECT P FROM QV$LONG_VALUE_PIECES "
        "WHERE V = 1 ORDER BY V, N)),NULL);"));
    ASSERT_GT(insert, 0) << ScriptText(lines).toStdString();
    const qsizetype made = lines.indexOf(QStringLiteral(
        "RECREATE GLOBAL TEMPORARY TABLE QV$LONG_VALUE_PIECES (V INTEGER NOT NULL, N INTEGER NOT NULL, "
        "P VARCHAR(16000) CHARACTER SET NONE, B VARCHAR(16000) CHARACTER SET OCTETS, PRIMARY KEY (V, N)) "
        "ON COMMIT DELETE ROWS;"));
    ASSERT_GT(made, 0);
    QString appended;
    int piece = 0;
    for (qsizetype next = made + 2; next < insert; ++next) {
        const QString head = QStringLiteral("INSERT INTO QV$LONG_VALUE_PIECES(V,N,P) VALUES(1,%1,'").arg(++piece);
        ASSERT_TRUE(lines.at(next).startsWith(head)) << lines.at(next).left(100).toStdString();
        ASSERT_TRUE(lines.at(next).endsWith(QLatin1String("');")));
        EXPECT_LT(lines.at(next).size(), 32000);
        appended += lines.at(next).mid(head.size(), lines.at(next).size() - head.size() - 3);
    }
    EXPECT_EQ(appended, QString(70000, QLatin1Char('x')));
    EXPECT_FALSE(containsLineStartingWith(lines, QStringLiteral("UPDATE ")));
    EXPECT_NE(lines.indexOf(QStringLiteral("DROP TABLE QV$LONG_VALUE_PIECES;"), insert), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("INSERT INTO ARR(ID) VALUES(7);")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("SET GENERATOR G_ID TO 42;")), -1);
    // The array column holds nothing, so nothing of it is lost.
    EXPECT_TRUE(result.reports.isEmpty()) << result.reports.join(QLatin1Char('\n')).toStdString();
}

TEST_P(ExtractWriters, KeysIndicesTriggersAndOrder)
{
    const QString path = qvtest::createDialect3Database(GetParam(), dir, QStringLiteral("keys.fdb"),
        {QStringLiteral("create table PARENT (ID integer not null, CODE char(3) not null, "
                        "constraint PK_PARENT primary key (ID), constraint UQ_CODE unique (CODE))"),
         QStringLiteral("create table CHILD (ID integer not null primary key, PARENT_ID integer, "
                        "constraint FK_CHILD foreign key (PARENT_ID) references PARENT (ID) "
                        "on delete cascade on update set null)"),
         QStringLiteral("create index IX_CODE on PARENT (CODE, ID)"),
         QStringLiteral("create view V_B (ID) as select ID from PARENT"),
         QStringLiteral("create view V_A (ID) as select ID from V_B"),
         QStringLiteral("create procedure P_LIST returns (ID integer) as begin suspend; end"),
         QStringLiteral("create view A_ON_PROC (ID) as select ID from P_LIST"),
         QStringLiteral("create trigger T_MULTI for PARENT active before insert or update position 5 as begin end"),
         QStringLiteral("create trigger T_CONNECT active on connect position 0 as begin end"),
         QStringLiteral("create function F_B returns integer as begin return 1; end"),
         QStringLiteral("create function F_A returns integer as begin return F_B() + 1; end"),
         QStringLiteral("create package PK as begin function G returns integer; end"),
         QStringLiteral("create package body PK as begin function G returns integer as begin return F_A(); end end"),
         QStringLiteral("create collation C_PT for win1252 from WIN_PTBR case insensitive"),
         QStringLiteral("create role R_READ")});
    ExtractSource source(GetParam(), path);
    const QStringList lines =
        source.Extract(efMetadataAndData | efKeys | efIndices | efDropObjects, QStringLiteral("/p/db.fdb")).lines;
    // A key's own index comes with its constraint, never on its own.
    EXPECT_FALSE(containsLineStartingWith(lines, QStringLiteral("CREATE INDEX PK_")));
    EXPECT_FALSE(containsLineStartingWith(lines, QStringLiteral("CREATE UNIQUE INDEX UQ_CODE")));
    EXPECT_FALSE(containsLineStartingWith(lines, QStringLiteral("CREATE INDEX FK_CHILD")));
    EXPECT_NE(lines.indexOf(QStringLiteral("CREATE INDEX IX_CODE on PARENT(CODE, ID);")), -1);
    const qsizetype foreignKey = lines.indexOf(QStringLiteral("ALTER TABLE CHILD ADD CONSTRAINT FK_CHILD FOREIGN KEY "
                                                              "(PARENT_ID) REFERENCES PARENT(ID) ON UPDATE SET NULL "
                                                              "ON DELETE CASCADE;"));
    EXPECT_NE(foreignKey, -1);
    // With the data, after the rows; the parents' rows before the children's.
    const qsizetype parentRows = lines.indexOf(QStringLiteral("/*  Table Data: PARENT    */"));
    const qsizetype childRows = lines.indexOf(QStringLiteral("/*  Table Data: CHILD    */"));
    EXPECT_TRUE(parentRows > 0 && parentRows < childRows && childRows < foreignKey)
        << parentRows << " " << childRows << " " << foreignKey;
    EXPECT_NE(lines.indexOf(QStringLiteral("ACTIVE BEFORE INSERT OR UPDATE POSITION 5")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("CREATE TRIGGER T_CONNECT")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("ACTIVE ON CONNECT POSITION 0")), -1);
    // Views after what they read; the view on a procedure after its header
    // (which suspends, as the procedure does) and its body.
    const qsizetype viewB = lines.indexOf(QStringLiteral("CREATE VIEW V_B (ID)"));
    const qsizetype viewA = lines.indexOf(QStringLiteral("CREATE VIEW V_A (ID)"));
    const qsizetype header = lines.indexOf(QStringLiteral("CREATE PROCEDURE P_LIST RETURNS (ID Integer) AS BEGIN SUSPEND; END ^"));
    const qsizetype onProcedure = lines.indexOf(QStringLiteral("CREATE VIEW A_ON_PROC (ID)"));
    const qsizetype body = lines.indexOf(QStringLiteral("ALTER PROCEDURE P_LIST"));
    EXPECT_TRUE(viewB > 0 && viewB < viewA) << viewB << " " << viewA;
    EXPECT_TRUE(header > 0 && header < body && body < onProcedure) << header << " " << body << " " << onProcedure;
    EXPECT_EQ(lines.at(onProcedure + 2), QStringLiteral("select ID from P_LIST ^"));
    // Drops first, what depends before what it needs.
    const qsizetype dropChild = lines.indexOf(QStringLiteral("DROP TABLE CHILD;"));
    const qsizetype dropParent = lines.indexOf(QStringLiteral("DROP TABLE PARENT;"));
    EXPECT_TRUE(dropChild > 0 && dropChild < dropParent);
    EXPECT_LT(lines.indexOf(QStringLiteral("DROP VIEW V_A;")), lines.indexOf(QStringLiteral("DROP VIEW V_B;")));
    EXPECT_LT(dropParent, lines.indexOf(QStringLiteral("/*              Tables             */")));
    // A package before the functions it calls, a function before the one it calls.
    const qsizetype dropPackage = lines.indexOf(QStringLiteral("DROP PACKAGE PK;"));
    const qsizetype dropCaller = lines.indexOf(QStringLiteral("DROP FUNCTION F_A;"));
    const qsizetype dropCalled = lines.indexOf(QStringLiteral("DROP FUNCTION F_B;"));
    EXPECT_TRUE(dropPackage > 0 && dropPackage < dropCaller && dropCaller < dropCalled)
        << dropPackage << " " << dropCaller << " " << dropCalled;
    EXPECT_NE(lines.indexOf(QStringLiteral("DROP COLLATION C_PT;")), -1);
    // A role is dropped before it is made again.
    const qsizetype dropRole = lines.indexOf(QStringLiteral("DROP ROLE R_READ;"));
    EXPECT_TRUE(dropRole > 0 && dropRole < lines.indexOf(QStringLiteral("CREATE ROLE R_READ;"))) << dropRole;
}

TEST_P(ExtractWriters, QuotesAndCommentMarksInTextsAreMadeHarmless)
{
    const QString path = qvtest::createDatabase(GetParam(), dir, QStringLiteral("quotes.fdb"),
        {QStringLiteral("create exception E1 'Can''t do'"),
         QStringLiteral("create table T (ID integer)"),
         QStringLiteral("comment on table T is 'it''s /* not */ the end'"),
         QStringLiteral("declare external function F_ABS double precision returns double precision by value "
                        "entry_point 'ab''s' module_name 'ib''udf'"),
         QStringLiteral("insert into T values (1)")});
    qvtest::execute(GetParam(), path,
                    {QStringLiteral("create function F_PSQL returns integer as begin return 1; end")});
    ExtractSource source(GetParam(), path);
    const TExtractResult result = source.Extract(efMetadataOnly, QStringLiteral("/p/db.fdb"));
    const QStringList& lines = result.lines;
    // A PSQL function is written as procedures are: a stub, then its body.
    EXPECT_TRUE(result.reports.isEmpty()) << result.reports.join(QLatin1Char('\n')).toStdString();
    EXPECT_NE(lines.indexOf(QStringLiteral("CREATE FUNCTION F_PSQL RETURNS Integer AS BEGIN END ^")), -1)
        << ScriptText(lines).toStdString();
    EXPECT_NE(lines.indexOf(QStringLiteral("ALTER FUNCTION F_PSQL")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("CREATE EXCEPTION E1 'Can''t do';")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("/* it's /* not * / the end  */")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("COMMENT ON TABLE T IS 'it''s /* not */ the end';")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("   ENTRY_POINT 'ab''s'")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("   MODULE_NAME 'ib''udf';")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("   RETURNS Double precision BY VALUE")), -1);
}

INSTANTIATE_TEST_SUITE_P(Targets, ExtractWriters, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

TEST(ExtractOrder, DependenciesFirstThenNameOrder)
{
    const QHash<QString, QSet<QString>> dependsOn{
        {QStringLiteral("A"), {QStringLiteral("C")}},
        {QStringLiteral("C"), {QStringLiteral("D"), QStringLiteral("C"), QStringLiteral("ELSEWHERE")}},
        {QStringLiteral("X"), {QStringLiteral("Y")}},
        {QStringLiteral("Y"), {QStringLiteral("X")}},
    };
    EXPECT_EQ(DependencyOrder({QStringLiteral("Y"), QStringLiteral("A"), QStringLiteral("X"), QStringLiteral("D"),
                               QStringLiteral("C"), QStringLiteral("B")},
                              dependsOn),
              (QStringList{QStringLiteral("B"), QStringLiteral("D"), QStringLiteral("C"), QStringLiteral("A"),
                           QStringLiteral("X"), QStringLiteral("Y")}));
}

// The preferred order stands where it already puts each name after what it
// needs; a name waits only as long as it must; a cycle is reported.
TEST(ExtractOrder, PreferredOrderMovesOnlyWhatMust)
{
    const QStringList made{QStringLiteral("V3"), QStringLiteral("V1"), QStringLiteral("V2")};
    bool complete = false;
    EXPECT_EQ(PreferredDependencyOrder(made, {{QStringLiteral("V2"), {QStringLiteral("V1")}}}, &complete), made);
    EXPECT_TRUE(complete);
    EXPECT_EQ(PreferredDependencyOrder(made, {{QStringLiteral("V3"), {QStringLiteral("V2")}}}, &complete),
              (QStringList{QStringLiteral("V1"), QStringLiteral("V2"), QStringLiteral("V3")}));
    EXPECT_TRUE(complete);
    EXPECT_EQ(PreferredDependencyOrder(made, {{QStringLiteral("V3"), {QStringLiteral("V1")}},
                                              {QStringLiteral("V1"), {QStringLiteral("V3")}}},
                                       &complete),
              (QStringList{QStringLiteral("V2"), QStringLiteral("V3"), QStringLiteral("V1")}));
    EXPECT_FALSE(complete);
}

TEST(ExtractOrder, NumbersInNamesCompareByValue)
{
    EXPECT_TRUE(NaturalLess(QStringLiteral("INTEG_9"), QStringLiteral("INTEG_10")));
    EXPECT_FALSE(NaturalLess(QStringLiteral("INTEG_10"), QStringLiteral("INTEG_9")));
    EXPECT_TRUE(NaturalLess(QStringLiteral("INTEG_10"), QStringLiteral("INTEG_10A")));
    EXPECT_TRUE(NaturalLess(QStringLiteral("A"), QStringLiteral("B")));
    EXPECT_FALSE(NaturalLess(QStringLiteral("A1"), QStringLiteral("A01")));
    EXPECT_FALSE(NaturalLess(QStringLiteral("A"), QStringLiteral("A")));
}

// The saved file holds the bytes of the joined text, whatever falls on the
// boundaries of the blocks it is written in; a file that cannot be made
// leaves the old one as it was.
TEST(ExtractSave, FileHoldsTheJoinedTextInTheSetItsSetNamesNames)
{
    qvtest::TempDir dir;
    QStringList lines{QStringLiteral("/* Create database : NAME       */"), QString(),
                      QStringLiteral("INSERT INTO T(ID,NAME) VALUES(1,'Gr\u00fc\u00dfe \u20ac');")};
    // Lines long enough to cross the blocks at different offsets, with
    // characters of two, three and four bytes and a line break inside a value.
    const QString pair = QString::fromUcs4(U"\U0001F600");
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("INSERT INTO T(ID,NAME) VALUES(%1,'").arg(i)
                     + QString(70000 + 7 * i, QChar(i % 3 == 0 ? u'\u00e9' : (i % 3 == 1 ? u'\u20ac' : u'x')))
                     + pair + QStringLiteral("\nend');");
    lines << QString(3 << 20, QLatin1Char('y')) << QString() << QStringLiteral("end");
    const QString file = dir.filePath(QStringLiteral("out.sql"));
    ASSERT_TRUE(SaveScript(file, lines));
    QFile saved(file);
    const auto bytes = [&saved] {
        saved.open(QIODevice::ReadOnly);
        const QByteArray all = saved.readAll();
        saved.close();
        return all;
    };
    // Without SET NAMES: UTF-8.
    EXPECT_TRUE(bytes() == ScriptText(lines).toUtf8());

    // After SET NAMES, in the set it names, as isql-fb reads it; the text
    // before stays UTF-8. Both savers agree, and the reader reads it back.
    const QStringList named{QStringLiteral("/* \u00e9 */"), QStringLiteral("SET NAMES WIN1252;"),
                            QStringLiteral("INSERT INTO T VALUES('f\u00fcr \u20ac');"), QStringLiteral("set names"),
                            QStringLiteral("\"NONE\"; /* \u00ff */")};
    const QByteArray expected = QByteArray("/* \xc3\xa9 */\r\nSET NAMES WIN1252;\r\nINSERT INTO T VALUES('f\xfcr \x80');"
                                           "\r\nset names\r\n\"NONE\"; /* \xff */");
    ASSERT_TRUE(SaveScript(file, named));
    EXPECT_EQ(bytes(), expected);
    ASSERT_TRUE(SaveScript(file, ScriptText(named)));
    EXPECT_EQ(bytes(), expected);
    EXPECT_EQ(ReadScriptFile(file), named);

    // A character the set cannot carry is refused, and the file is kept.
    ASSERT_TRUE(SaveScript(file, QStringList{QStringLiteral("kept")}));
    EXPECT_THROW(SaveScript(file, QStringList{QStringLiteral("SET NAMES WIN1252;"), QStringLiteral("'\u0416'")}),
                 EQvClientError);
    EXPECT_THROW(SaveScript(file, QStringLiteral("end") + QChar(0xd800)), EQvClientError);
    EXPECT_EQ(bytes(), QByteArray("kept"));

    ASSERT_TRUE(SaveScript(file, QStringList{}));
    EXPECT_TRUE(bytes().isEmpty());

    ASSERT_TRUE(SaveScript(file, QStringList{QStringLiteral("kept")}));
    EXPECT_FALSE(SaveScript(dir.filePath(QStringLiteral("missing/out.sql")), lines));
    EXPECT_EQ(bytes(), QByteArray("kept"));
}

TEST(ExtractSave, AScriptWithThePasswordIsTheOwnersAlone)
{
    qvtest::TempDir dir;
    const QString file = dir.filePath(QStringLiteral("out.sql"));
    const QStringList lines{QStringLiteral("CONNECT 'x' USER 'SYSDBA' PASSWORD 'secret';")};
    // The owner's, group's and others' rights (not the "user's", which
    // repeat the owner's for the one who asks).
    const auto mode = [&file] {
        return QFileInfo(file).permissions()
            & ~QFileDevice::Permissions(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    };
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    ASSERT_TRUE(SaveScript(file, lines));
    ASSERT_NE(mode(), ownerOnly);
    // Replacing a file anyone may read as well.
    ASSERT_TRUE(SaveScript(file, lines, true));
    EXPECT_EQ(mode(), ownerOnly);
    ASSERT_TRUE(SaveScript(file, ScriptText(lines), false));
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(SaveScript(file, ScriptText(lines), true));
    EXPECT_EQ(mode(), ownerOnly);
}

} // namespace
