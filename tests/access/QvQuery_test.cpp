// Statements: parameter marks, prepare, execute, fetch, names, plans, and the
// typed values of parameters and columns.

#include "AccessTest_support.h"
#include "access/QvQuery.h"

#include <QLocale>
#include <QTimeZone>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using qvaccess::connectParams;
using qvaccess::createDatabase;

namespace {

template <typename Body>
EQvClientError clientErrorOf(Body body)
{
    try {
        body();
    } catch (const EQvClientError& error) {
        return error;
    }
    ADD_FAILURE() << "no client error raised";
    return EQvClientError(-1, QString());
}

QString parseErrorOf(const QString& sql)
{
    QStringList names;
    const EQvClientError error = clientErrorOf([&] { PreprocessSQL(sql, names); });
    EXPECT_EQ(error.SQLCode(), 49);
    return error.Message();
}

TEST(PreprocessSQL, NamedMarksBecomeQuestionMarks)
{
    QStringList names;
    EXPECT_EQ(PreprocessSQL(QStringLiteral("select * from t where a = :a and b = 'x:y'\r\n"), names),
              QStringLiteral("select * from t where a = ? and b = 'x:y'\r\n"));
    EXPECT_EQ(names, QStringList{QStringLiteral("a")});
    names.clear();
    EXPECT_EQ(PreprocessSQL(QStringLiteral("update t set a = ?new_a where id = :OLD_ID /* :c */\n"), names),
              QStringLiteral("update t set a = ? where id = ? /* :c */\n"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("new_a"), QStringLiteral("OLD_ID")}));
}

TEST(PreprocessSQL, StringsAndCommentsAreCopiedUnchanged)
{
    QStringList names;
    const QString sql = QStringLiteral("select 'it''s :x', \"q:\"\"\" from t /* a ' b */ -- don't :y\n"
                                       "where c = :c\n");
    EXPECT_EQ(PreprocessSQL(sql, names),
              QStringLiteral("select 'it''s :x', \"q:\"\"\" from t /* a ' b */ -- don't :y\nwhere c = ?\n"));
    EXPECT_EQ(names, QStringList{QStringLiteral("c")});
    names.clear();
    EXPECT_EQ(PreprocessSQL(QStringLiteral("select q'{it's :x}', Q'#a\n:b#' from t where c = :c\n"), names),
              QStringLiteral("select q'{it's :x}', Q'#a\n:b#' from t where c = ?\n"));
    EXPECT_EQ(names, QStringList{QStringLiteral("c")});
}

TEST(PreprocessSQL, CommentOrStringRightAfterANameIsSeen)
{
    QStringList names;
    EXPECT_EQ(PreprocessSQL(QStringLiteral("where a = :a/* :b */ and c = :c'x:y' || :d-- :e\n"), names),
              QStringLiteral("where a = ?/* :b */ and c = ?'x:y' || ?-- :e\n"));
    EXPECT_EQ(names, (QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("d")}));
}

TEST(PreprocessSQL, ParseErrors)
{
    const QString expected = QStringLiteral("SQL Parse Error:\r\n\r\n%1");
    EXPECT_EQ(parseErrorOf(QStringLiteral("select : from t\n")), expected.arg("Parameter name expected"));
    EXPECT_EQ(parseErrorOf(QStringLiteral("select ? from t\n")), expected.arg("Parameter name expected"));
    EXPECT_EQ(parseErrorOf(QStringLiteral("select 1 /* open\n")), expected.arg("EOF in comment detected"));
    EXPECT_EQ(parseErrorOf(QStringLiteral("select 'open\n")), expected.arg("EOF in string detected"));
    EXPECT_EQ(parseErrorOf(QStringLiteral("select :")), expected.arg("Parameter name expected"));
    QStringList names;
    EXPECT_NO_THROW(PreprocessSQL(QStringLiteral("select 1 from t -- don't\n"), names));
}

TEST(XSQLDA, OutputNamesAreMadeUnique)
{
    TQvQuery query;
    TQvXSQLDA& output = query.Current();
    output.SetCount(5);
    const char* aliases[] = {"ID", "id", "", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"};
    for (int i = 0; i < 5; ++i) {
        XSQLVAR& var = output.AsXSQLDA()->sqlvar[i];
        var.sqltype = SQL_LONG + 1;
        var.sqllen = 4;
        var.aliasname_length = short(std::strlen(aliases[i]));
        std::memcpy(var.aliasname, aliases[i], std::strlen(aliases[i]));
    }
    output.AsXSQLDA()->sqlvar[4].sqltype = SQL_LONG;
    output.Initialize();
    EXPECT_EQ(output.Names(), (QStringList{QStringLiteral("ID"), QStringLiteral("ID1"), QStringLiteral("F_1"),
                                           QStringLiteral("F_2"),
                                           QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ01234")}));
    EXPECT_EQ(output.ByName(QStringLiteral("id1")), &output.Vars(1));
    EXPECT_EQ(output.Vars(3).Name(), QStringLiteral("F_2"));
    // Values and indicators lie in one buffer; only nullable ones have an indicator.
    EXPECT_NE(output.Vars(0).Data()->sqlind, nullptr);
    EXPECT_EQ(output.Vars(4).Data()->sqlind, nullptr);
    EXPECT_EQ(clientErrorOf([&] { output.Vars(5); }).Message(), QStringLiteral("XSQLDA index out of range."));
    EXPECT_EQ(clientErrorOf([&] { output.Vars(-1); }).SQLCode(), 22);

    // A taken name with a number cut to stay within 31 characters.
    output.SetCount(2);
    for (int i = 0; i < 2; ++i) {
        XSQLVAR& var = output.AsXSQLDA()->sqlvar[i];
        var.aliasname_length = 31;
        std::memcpy(var.aliasname, aliases[4], 31);
    }
    output.Initialize();
    EXPECT_EQ(output.Names().at(1), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ01231"));
}

TEST(XSQLDA, UnlistedTypesGetTheRoomTheyAskFor)
{
    TQvQuery query;
    TQvXSQLDA& output = query.Current();
    const struct
    {
        short type;
        short length;
    } described[] = {{SQL_INT64 + 1, 8}, {SQL_BOOLEAN, 1}, {SQL_NULL + 1, 0}, {SQL_TYPE_DATE + 1, 4},
                     {SQL_TYPE_TIME, 4}, {SQL_VARYING + 1, 5}, {SQL_LONG + 1, 4}};
    const int count = int(std::size(described));
    output.SetCount(count);
    for (int i = 0; i < count; ++i) {
        output.AsXSQLDA()->sqlvar[i].sqltype = described[i].type;
        output.AsXSQLDA()->sqlvar[i].sqllen = described[i].length;
    }
    output.Initialize();
    // No value overlaps the next one, and only nullable ones have an indicator.
    for (int i = 0; i < count; ++i) {
        const XSQLVAR* var = output.Vars(i).Data();
        ASSERT_NE(var->sqldata, nullptr);
        EXPECT_EQ(var->sqlind != nullptr, (described[i].type & 1) != 0) << i;
        if (i + 1 < count) {
            const std::ptrdiff_t room = output.Vars(i + 1).Data()->sqldata - var->sqldata;
            const std::ptrdiff_t needed = var->sqllen + ((var->sqltype & ~1) == SQL_VARYING ? 2 : 0);
            EXPECT_GE(room, std::max<std::ptrdiff_t>(needed, 1)) << i;
        }
    }
    // Every one reads as text (the zero-filled values: 0, False, nothing,
    // the server's day zero, midnight); the conversions that make no sense
    // are refused.
    const QStringList texts{QStringLiteral("0"), QStringLiteral("False"), QString(), QStringLiteral("1858-11-17"),
                            QStringLiteral("00:00:00")};
    for (int i = 0; i < 5; ++i) {
        const TQvXSQLVAR& var = output.Vars(i);
        EXPECT_FALSE(var.IsNull()) << i;
        EXPECT_EQ(var.AsString(), texts[i]) << i;
        EXPECT_EQ(clientErrorOf([&] { var.AsQuad(); }).SQLCode(), 32) << i;
    }
    EXPECT_EQ(output.Vars(0).AsLong(), 0);
    for (int i : {1, 2, 3, 4}) {
        EXPECT_EQ(clientErrorOf([&] { output.Vars(i).AsLong(); }).Message(), QStringLiteral("Invalid data conversion."))
            << i;
        EXPECT_EQ(clientErrorOf([&] { output.Vars(i).AsDouble(); }).SQLCode(), 32) << i;
    }
    EXPECT_EQ(output.Vars(3).AsDateTime(), QDateTime(QDate(1858, 11, 17), QTime(0, 0), QTimeZone::utc()));
    EXPECT_EQ(clientErrorOf([&] { output.Vars(0).AsDateTime(); }).SQLCode(), 32);
    EXPECT_EQ(clientErrorOf([&] { output.Vars(0).AsBoolean(); }).SQLCode(), 32);
    // NULL is NULL whatever the type.
    *output.Vars(0).Data()->sqlind = -1;
    EXPECT_TRUE(output.Vars(0).IsNull());
    EXPECT_EQ(output.Vars(0).AsString(), QString());
    EXPECT_EQ(output.Vars(0).AsLong(), 0);
}

TEST(QueryChecks, WithoutDatabaseOrStatement)
{
    TQvQuery query;
    query.SetSQLText(QStringLiteral("select 1 from rdb$database"));
    EXPECT_EQ(clientErrorOf([&] { query.Prepare(); }).Message(), QStringLiteral("Database not assigned."));
    EXPECT_EQ(clientErrorOf([&] { query.Next(); }).Message(), QStringLiteral("Dataset closed."));
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(clientErrorOf([&] { query.FieldByName(QStringLiteral("X")); }).Message(),
              QStringLiteral("Field \"X\" not found."));
    EXPECT_EQ(clientErrorOf([&] { query.Fields(5); }).Message(), QStringLiteral("Field \"Field No: 5\" not found."));
    EXPECT_TRUE(query.Plan().isEmpty());
    EXPECT_EQ(query.CursorName().size(), 8);
}

class QueryOnTarget : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        database = createDatabase(GetParam(), dir);
        transaction = std::make_unique<TQvTransaction>();
        database->SetDefaultTransaction(transaction.get());
        transaction->StartTransaction();
    }

    void TearDown() override
    {
        if (!database)
            return;
        queries.clear();
        transaction.reset();
        database->DropDatabase();
    }

    // Reconnects with a connection character set, in a fresh transaction.
    void reconnect(const QString& lcCtype)
    {
        queries.clear();
        transaction->Commit();
        database->Close();
        database->SetDBParams(connectParams(GetParam(), lcCtype));
        database->Open();
        transaction->StartTransaction();
    }

    TQvQuery& query(const QString& sql)
    {
        queries.push_back(std::make_unique<TQvQuery>());
        TQvQuery& q = *queries.back();
        q.SetDatabase(database.get());
        q.SetSQLText(sql);
        return q;
    }

    void run(const QString& sql)
    {
        TQvQuery& q = query(sql);
        q.ExecQuery();
    }

    // One row's one column, fetched by a select.
    TQvXSQLVAR& value(const QString& sql)
    {
        TQvQuery& q = query(sql);
        q.ExecQuery();
        EXPECT_FALSE(q.Eof()) << qPrintable(sql);
        return q.Fields(0);
    }

    void ddl(const QString& sql)
    {
        run(sql);
        transaction->Commit();
        transaction->StartTransaction();
    }

    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
    std::unique_ptr<TQvTransaction> transaction;
    std::vector<std::unique_ptr<TQvQuery>> queries;
};

TEST_P(QueryOnTarget, PlanOfASelect)
{
    TQvQuery& q = query(QStringLiteral("select * from rdb$database"));
    q.Prepare();
    EXPECT_EQ(q.SQLType(), isc_info_sql_stmt_select);
    EXPECT_EQ(q.Plan(), QStringLiteral("PLAN (RDB$DATABASE NATURAL)"));
    TQvQuery& create = query(QStringLiteral("create table T (A integer)"));
    create.Prepare();
    EXPECT_EQ(create.SQLType(), isc_info_sql_stmt_ddl);
    EXPECT_TRUE(create.Plan().isEmpty());
}

TEST_P(QueryOnTarget, SyntaxErrorHasMessageLayout)
{
    TQvQuery& q = query(QStringLiteral("selec 1 from rdb$database"));
    try {
        q.Prepare();
        FAIL() << "a misspelt statement was prepared";
    } catch (const EQvInterBaseError& error) {
        EXPECT_EQ(error.SQLCode(), -104);
        const QStringList lines = error.Message().split(QStringLiteral("\r\n"));
        ASSERT_GE(lines.size(), 4) << qPrintable(error.Message());
        EXPECT_TRUE(lines.last().isEmpty());
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            EXPECT_TRUE(lines.at(i).endsWith(QLatin1Char('.'))) << qPrintable(lines.at(i));
        EXPECT_TRUE(error.Message().contains(QLatin1String("selec")));
    }
    EXPECT_FALSE(q.Prepared());
    EXPECT_EQ(q.Handle(), 0u);
}

TEST_P(QueryOnTarget, FetchRowsToTheEnd)
{
    ddl(QStringLiteral("create table T (ID integer, NAME varchar(20))"));
    for (int i = 1; i <= 3; ++i)
        run(QStringLiteral("insert into T values (%1, 'row %1')").arg(i));
    TQvQuery& q = query(QStringLiteral("select ID, NAME from T order by ID"));
    q.SetGoToFirstRecordOnExecute(false);
    q.ExecQuery();
    EXPECT_TRUE(q.Open());
    EXPECT_TRUE(q.Bof());
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.RecordCount(), 0);
    QStringList seen;
    while (TQvXSQLDA* row = q.Next())
        seen << (*row)[0].AsString() + QLatin1Char('=') + row->ByName(QStringLiteral("name"))->AsString();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("1=row 1"), QStringLiteral("2=row 2"), QStringLiteral("3=row 3")}));
    EXPECT_TRUE(q.Eof());
    EXPECT_FALSE(q.Bof());
    EXPECT_EQ(q.RecordCount(), 3);
    EXPECT_EQ(q.Next(), nullptr);
    EXPECT_EQ(q.FieldIndex(QStringLiteral("NAME")), 1);
    EXPECT_EQ(clientErrorOf([&] { q.FieldByName(QStringLiteral("X")); }).Message(),
              QStringLiteral("Field \"X\" not found."));
    EXPECT_EQ(clientErrorOf([&] { q.SetSQLText(QStringLiteral("select 1 from rdb$database")); }).Message(),
              QStringLiteral("Dataset open."));
    q.Close();
    EXPECT_FALSE(q.Open());
    EXPECT_EQ(q.RecordCount(), 0);
    q.Close();
    // Run again on the same prepared statement.
    q.SetGoToFirstRecordOnExecute(true);
    q.ExecQuery();
    EXPECT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.Fields(0).AsLong(), 1);
}

TEST_P(QueryOnTarget, SameAliasTwiceGetsANumber)
{
    TQvQuery& q = query(QStringLiteral("select 1 as ID, 2 as ID, 3 as id from rdb$database"));
    q.ExecQuery();
    EXPECT_EQ(q.Current().Names(), (QStringList{QStringLiteral("ID"), QStringLiteral("ID1"), QStringLiteral("ID2")}));
    EXPECT_EQ(q.FieldByName(QStringLiteral("ID1")).AsLong(), 2);
    EXPECT_EQ(q.FieldByName(QStringLiteral("id")).AsLong(), 1);
}

TEST_P(QueryOnTarget, NamedParameters)
{
    ddl(QStringLiteral("create table T (ID integer, NAME varchar(10))"));
    TQvQuery& insert = query(QStringLiteral("insert into T values (:id, :name)"));
    QSignalSpy changing(&insert, &TQvQuery::OnSQLChanging);
    EXPECT_EQ(insert.Params().Count(), 2);
    EXPECT_TRUE(insert.Prepared());
    EXPECT_EQ(insert.Params().Names(), (QStringList{QStringLiteral("ID"), QStringLiteral("NAME")}));
    for (int i = 1; i <= 2; ++i) {
        insert.Params().ByName(QStringLiteral("id"))->SetAsLong(i);
        insert.Params().ByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("n%1").arg(i));
        EXPECT_TRUE(insert.Params()[1].Modified());
        insert.ExecQuery();
    }
    insert.SetSQLText(QStringLiteral("insert into T values (:id, :id)"));
    EXPECT_EQ(changing.count(), 1);
    EXPECT_FALSE(insert.Prepared());
    // The same name twice: two positions, the first reachable by name.
    EXPECT_EQ(insert.Params().Count(), 2);
    EXPECT_EQ(insert.Params().Names(), (QStringList{QStringLiteral("ID"), QString()}));
    insert.Params().ByName(QStringLiteral("ID"))->SetAsLong(3);
    insert.Params()[1].SetAsString(QStringLiteral("3"));
    insert.ExecQuery();

    TQvQuery& select = query(QStringLiteral("select NAME from T where ID >= :low order by ID"));
    select.Params()[0].SetAsLong(2);
    select.ExecQuery();
    EXPECT_EQ(select.Fields(0).AsString(), QStringLiteral("n2"));
    ASSERT_NE(select.Next(), nullptr);
    EXPECT_EQ(select.Fields(0).AsString(), QStringLiteral("3"));

    // Without the check, marks reach the server as they are.
    TQvQuery& plain = query(QStringLiteral("select count(*) from T where ID > ?"));
    plain.SetParamCheck(false);
    plain.Params()[0].SetAsLong(1);
    plain.ExecQuery();
    EXPECT_EQ(plain.Fields(0).AsLong(), 2);
}

TEST_P(QueryOnTarget, NullFlags)
{
    ddl(QStringLiteral("create table T (ID integer not null, A integer, S varchar(5))"));
    TQvQuery& insert = query(QStringLiteral("insert into T values (:id, :a, :s)"));
    insert.Params()[0].SetAsLong(1);
    insert.Params()[1].SetIsNull(true);
    insert.Params()[2].SetAsString(QStringLiteral("x"));
    insert.Params()[2].SetIsNull(true);
    EXPECT_TRUE(insert.Params()[2].IsNull());
    insert.ExecQuery();
    insert.Params()[0].SetAsLong(2);
    insert.Params()[1].SetAsLong(7); // clears NULL
    insert.Params()[2].SetIsNull(false);
    insert.ExecQuery();

    TQvQuery& select = query(QStringLiteral("select A, S, ID from T order by ID"));
    select.ExecQuery();
    EXPECT_TRUE(select.Fields(0).IsNull());
    EXPECT_TRUE(select.Fields(1).IsNull());
    EXPECT_EQ(select.Fields(0).AsString(), QString());
    EXPECT_EQ(select.Fields(0).AsLong(), 0);
    EXPECT_EQ(select.Fields(0).AsDouble(), 0.0);
    EXPECT_FALSE(select.Fields(2).IsNullable());
    EXPECT_FALSE(select.Fields(2).IsNull());
    select.Next();
    EXPECT_EQ(select.Fields(0).AsLong(), 7);
    EXPECT_EQ(select.Fields(1).AsString(), QStringLiteral("x"));
}

TEST_P(QueryOnTarget, ScaledNumbersInDialectOne)
{
    TQvQuery& q = query(QStringLiteral("select cast(12.34 as numeric(9,2)), cast(12.34 as numeric(15,2)),"
                                       " cast(-0.05 as numeric(4,2)), cast(12.30 as numeric(9,2)),"
                                       " cast(1234 as integer), cast(2.9 as double precision),"
                                       " cast(-2.9 as double precision), cast(1.5 as float)"
                                       " from rdb$database"));
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0).SQLType(), SQL_LONG);
    EXPECT_EQ(q.Fields(0).SQLScale(), -2);
    EXPECT_EQ(q.Fields(0).AsString(), QStringLiteral("12.34"));
    EXPECT_EQ(q.Fields(0).AsLong(), 12);
    EXPECT_DOUBLE_EQ(q.Fields(0).AsDouble(), 12.34);
    EXPECT_EQ(q.Fields(1).SQLType(), SQL_DOUBLE);
    EXPECT_DOUBLE_EQ(q.Fields(1).AsDouble(), 12.34);
    EXPECT_EQ(q.Fields(1).AsString(), QStringLiteral("12.34"));
    EXPECT_EQ(q.Fields(2).SQLType(), SQL_SHORT);
    EXPECT_EQ(q.Fields(2).AsString(), QStringLiteral("-0.05"));
    EXPECT_EQ(q.Fields(2).AsLong(), 0);
    EXPECT_EQ(q.Fields(3).AsString(), QStringLiteral("12.3"));
    EXPECT_EQ(q.Fields(4).AsString(), QStringLiteral("1234"));
    EXPECT_EQ(q.Fields(5).AsLong(), 2);
    EXPECT_EQ(q.Fields(5).AsString(), QStringLiteral("2.9"));
    EXPECT_EQ(q.Fields(6).AsLong(), -2);
    EXPECT_EQ(q.Fields(7).AsString(), QStringLiteral("1.5"));
    EXPECT_EQ(clientErrorOf([&] { q.Fields(4).AsDateTime(); }).Message(), QStringLiteral("Invalid data conversion."));
}

TEST_P(QueryOnTarget, WritersRoundTripEveryType)
{
    ddl(QStringLiteral("create table T (I integer, S smallint, N numeric(9,2), D double precision,"
                       " F float, TS timestamp, C char(4), V varchar(8))"));
    TQvQuery& insert = query(QStringLiteral("insert into T values (:i, :s, :n, :d, :f, :ts, :c, :v)"));
    TQvXSQLDA& p = insert.Params();
    p[0].SetAsString(QStringLiteral("42"));
    p[1].SetAsLong(-7);
    p[2].SetAsLong(5); // five, not 0.05: the writer's own scale is 0
    p[3].SetAsDouble(0.1);
    p[4].SetAsString(QStringLiteral("2.5"));
    p[5].SetAsDateTime(QDateTime(QDate(2024, 2, 29), QTime(13, 45, 30, 250)));
    p[6].SetAsString(QStringLiteral("ab"));
    p[7].SetAsLong(325);
    EXPECT_EQ(p[0].SQLType(), SQL_TEXT);
    EXPECT_EQ(p[1].SQLType(), SQL_LONG);
    EXPECT_EQ(p[3].SQLType(), SQL_DOUBLE);
    EXPECT_EQ(p[5].SQLType(), SQL_TIMESTAMP);
    insert.ExecQuery();

    TQvQuery& select = query(QStringLiteral("select * from T"));
    select.ExecQuery();
    EXPECT_EQ(select.FieldByName(QStringLiteral("I")).AsLong(), 42);
    EXPECT_EQ(select.FieldByName(QStringLiteral("S")).AsString(), QStringLiteral("-7"));
    EXPECT_EQ(select.FieldByName(QStringLiteral("N")).AsString(), QStringLiteral("5"));
    EXPECT_EQ(select.FieldByName(QStringLiteral("D")).AsString(), QStringLiteral("0.1"));
    EXPECT_DOUBLE_EQ(select.FieldByName(QStringLiteral("F")).AsDouble(), 2.5);
    const TQvXSQLVAR& ts = select.FieldByName(QStringLiteral("TS"));
    EXPECT_EQ(ts.AsDateTime().date(), QDate(2024, 2, 29));
    EXPECT_EQ(ts.AsDateTime().time(), QTime(13, 45, 30, 250));
    EXPECT_EQ(ts.AsString(), QStringLiteral("2024-02-29 13:45:30.250"));
    EXPECT_EQ(select.FieldByName(QStringLiteral("C")).AsString(), QStringLiteral("ab  "));
    EXPECT_EQ(select.FieldByName(QStringLiteral("V")).AsString(), QStringLiteral("325"));
    EXPECT_EQ(select.FieldByName(QStringLiteral("V")).AsDouble(), 325.0);
    EXPECT_EQ(select.FieldByName(QStringLiteral("C")).AsString().trimmed(), QStringLiteral("ab"));
    EXPECT_EQ(clientErrorOf([&] { select.FieldByName(QStringLiteral("C")).AsLong(); }).SQLCode(), 32);
    EXPECT_EQ(clientErrorOf([&] { select.FieldByName(QStringLiteral("TS")).AsLong(); }).SQLCode(), 32);
    EXPECT_EQ(clientErrorOf([&] { select.FieldByName(QStringLiteral("TS")).AsDouble(); }).SQLCode(), 32);
    EXPECT_EQ(clientErrorOf([&] { select.FieldByName(QStringLiteral("I")).AsQuad(); }).SQLCode(), 32);
}

TEST_P(QueryOnTarget, TextOfNumbersAndDatesIgnoresTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ddl(QStringLiteral("create table T (D double precision, TS timestamp, DT timestamp)"));
    TQvQuery& insert = query(QStringLiteral("insert into T values (:d, :ts, :dt)"));
    insert.Params()[0].SetAsDouble(1234.5);
    insert.Params()[1].SetAsDateTime(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58)));
    insert.Params()[2].SetAsDateTime(QDateTime(QDate(2001, 1, 2), QTime(0, 0)));
    insert.ExecQuery();
    TQvQuery& select = query(QStringLiteral("select D, TS, DT from T"));
    select.ExecQuery();
    const QString number = select.Fields(0).AsString();
    const QString stamp = select.Fields(1).AsString();
    const QString date = select.Fields(2).AsString();
    EXPECT_EQ(number, QStringLiteral("1234.5"));
    EXPECT_EQ(stamp, QStringLiteral("1999-12-31 23:59:58"));
    EXPECT_EQ(date, QStringLiteral("2001-01-02"));
    // The texts read back on the server as written.
    TQvQuery& back = query(QStringLiteral("select count(*) from T where D = %1 and TS = '%2' and DT = '%3'")
                               .arg(number, stamp, date));
    back.ExecQuery();
    EXPECT_EQ(back.Fields(0).AsLong(), 1);
    // And through text parameters.
    TQvQuery& typed = query(QStringLiteral("select count(*) from T where D = :d and TS = :ts"));
    typed.Params()[0].SetAsString(number);
    typed.Params()[1].SetAsString(stamp);
    typed.ExecQuery();
    EXPECT_EQ(typed.Fields(0).AsLong(), 1);
    EXPECT_EQ(select.Fields(1).AsDateTime(), QDateTime::fromString(QStringLiteral("1999-12-31T23:59:58Z"), Qt::ISODate));
    QLocale::setDefault(saved);
}

TEST_P(QueryOnTarget, TextToDateTimeAndNumbers)
{
    TQvQuery& q = query(QStringLiteral("select '2020-05-06 07:08:09', '2020-05-06', 'no date', ' 17 ', '2.5e3'"
                                       " from rdb$database"));
    q.ExecQuery();
    EXPECT_EQ(q.Fields(0).AsDateTime().time(), QTime(7, 8, 9));
    EXPECT_EQ(q.Fields(1).AsDateTime().date(), QDate(2020, 5, 6));
    EXPECT_EQ(clientErrorOf([&] { q.Fields(2).AsDateTime(); }).SQLCode(), 32);
    EXPECT_EQ(clientErrorOf([&] { q.Fields(2).AsLong(); }).SQLCode(), 32);
    EXPECT_EQ(q.Fields(3).AsLong(), 17);
    EXPECT_EQ(q.Fields(4).AsDouble(), 2500.0);
}

TEST_P(QueryOnTarget, StringLongerThanTheColumnIsRefused)
{
    ddl(QStringLiteral("create table T (V varchar(5), I integer)"));
    TQvQuery& insert = query(QStringLiteral("insert into T values (:v, :i)"));
    EXPECT_EQ(clientErrorOf([&] { insert.Params()[0].SetAsString(QStringLiteral("123456")); }).Message(),
              QStringLiteral("Invalid data conversion."));
    EXPECT_EQ(clientErrorOf([&] { insert.Params()[1].SetAsString(QString(40000, QLatin1Char('1'))); }).SQLCode(), 32);
    insert.Params()[0].SetAsString(QStringLiteral("12345"));
    insert.Params()[1].SetAsString(QString(32767, QLatin1Char(' ')) .replace(0, 2, QStringLiteral("12")));
    insert.ExecQuery();
    TQvQuery& select = query(QStringLiteral("select V, I from T"));
    select.ExecQuery();
    EXPECT_EQ(select.Fields(0).AsString(), QStringLiteral("12345"));
    EXPECT_EQ(select.Fields(1).AsLong(), 12);
}

// The value of a 64-bit column as the server put it into the row.
qint64 rawInt64(const TQvXSQLVAR& var)
{
    EXPECT_EQ(var.SQLType(), SQL_INT64);
    qint64 value = 0;
    std::memcpy(&value, var.Data()->sqldata, sizeof value);
    return value;
}


TEST_P(QueryOnTarget, SelectStarOnTriggersFetchesEveryRow)
{
    ddl(QStringLiteral("create table T (ID integer)"));
    ddl(QStringLiteral("create trigger T_BU for T before update as begin new.ID = old.ID + 1; end"));
    // RDB$TRIGGER_TYPE is BIGINT: the row holds it and every reader that fits reads it.
    TQvQuery& all = query(QStringLiteral("select * from rdb$triggers order by rdb$trigger_name"));
    TQvQuery& listed = query(QStringLiteral("select rdb$trigger_name, rdb$relation_name, rdb$trigger_sequence,"
                                            " rdb$system_flag, rdb$trigger_inactive,"
                                            " cast(rdb$trigger_type as integer)"
                                            " from rdb$triggers order by rdb$trigger_name"));
    all.ExecQuery();
    listed.ExecQuery();
    const TQvXSQLVAR& type = all.FieldByName(QStringLiteral("RDB$TRIGGER_TYPE"));
    int rows = 0;
    bool sawOwn = false;
    for (; !all.Eof(); all.Next(), listed.Next(), ++rows) {
        ASSERT_FALSE(listed.Eof());
        const QString name = all.FieldByName(QStringLiteral("RDB$TRIGGER_NAME")).AsString();
        EXPECT_EQ(name, listed.Fields(0).AsString());
        EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$RELATION_NAME")).AsString(), listed.Fields(1).AsString());
        EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$TRIGGER_SEQUENCE")).AsLong(), listed.Fields(2).AsLong());
        EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$SYSTEM_FLAG")).AsLong(), listed.Fields(3).AsLong());
        EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$TRIGGER_INACTIVE")).IsNull(), listed.Fields(4).IsNull());
        EXPECT_FALSE(type.IsNull());
        EXPECT_EQ(rawInt64(type), listed.Fields(5).AsLong()) << qPrintable(name);
        EXPECT_EQ(type.AsLong(), listed.Fields(5).AsLong());
        EXPECT_EQ(type.AsString(), listed.Fields(5).AsString());
        if (name.trimmed() == QLatin1String("T_BU")) {
            sawOwn = true;
            EXPECT_EQ(rawInt64(type), 3); // before update
            EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$TRIGGER_SOURCE")).AsString(), QStringLiteral("(Blob)"));
            EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$RELATION_NAME")).AsString().trimmed(), QStringLiteral("T"));
        }
    }
    EXPECT_TRUE(listed.Eof());
    EXPECT_TRUE(sawOwn);
    EXPECT_EQ(all.RecordCount(), rows);
    TQvQuery& count = query(QStringLiteral("select count(*) from rdb$triggers"));
    count.ExecQuery();
    EXPECT_EQ(rows, count.Fields(0).AsLong());
    EXPECT_GT(rows, 1);

    all.Close();
    all.ExecQuery();
    EXPECT_EQ(clientErrorOf([&] { all.FieldByName(QStringLiteral("RDB$TRIGGER_TYPE")).AsDateTime(); }).SQLCode(), 32);
    EXPECT_EQ(clientErrorOf([&] { all.FieldByName(QStringLiteral("RDB$TRIGGER_TYPE")).AsQuad(); }).SQLCode(), 32);
}

TEST_P(QueryOnTarget, SelectStarOnGeneratorsFetchesEveryRow)
{
    ddl(QStringLiteral("create sequence G_TEST start with 7 increment by 3"));
    TQvQuery& all = query(QStringLiteral("select * from rdb$generators order by rdb$generator_name"));
    TQvQuery& listed = query(QStringLiteral("select rdb$generator_name, rdb$generator_id, rdb$system_flag,"
                                            " rdb$generator_increment, cast(rdb$initial_value as integer)"
                                            " from rdb$generators order by rdb$generator_name"));
    all.ExecQuery();
    listed.ExecQuery();
    const TQvXSQLVAR& initial = all.FieldByName(QStringLiteral("RDB$INITIAL_VALUE"));
    int rows = 0;
    bool sawOwn = false;
    for (; !all.Eof(); all.Next(), listed.Next(), ++rows) {
        ASSERT_FALSE(listed.Eof());
        const QString name = all.FieldByName(QStringLiteral("RDB$GENERATOR_NAME")).AsString();
        EXPECT_EQ(name, listed.Fields(0).AsString());
        EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$GENERATOR_ID")).AsLong(), listed.Fields(1).AsLong());
        EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$SYSTEM_FLAG")).AsLong(), listed.Fields(2).AsLong());
        EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$GENERATOR_INCREMENT")).AsLong(), listed.Fields(3).AsLong());
        EXPECT_EQ(rawInt64(initial), listed.Fields(4).AsLong()) << qPrintable(name);
        if (name.trimmed() == QLatin1String("G_TEST")) {
            sawOwn = true;
            EXPECT_EQ(rawInt64(initial), 7);
            EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$GENERATOR_INCREMENT")).AsLong(), 3);
            EXPECT_EQ(all.FieldByName(QStringLiteral("RDB$SYSTEM_FLAG")).AsLong(), 0);
            EXPECT_EQ(initial.AsString(), QStringLiteral("7"));
            EXPECT_EQ(initial.AsLong(), 7);
            EXPECT_EQ(initial.AsInt64(), 7);
        }
    }
    EXPECT_TRUE(listed.Eof());
    EXPECT_TRUE(sawOwn);
    TQvQuery& count = query(QStringLiteral("select count(*) from rdb$generators"));
    count.ExecQuery();
    EXPECT_EQ(rows, count.Fields(0).AsLong());
}

TEST_P(QueryOnTarget, BigintAndBooleanColumnsFetchAndKeepTheirNulls)
{
    // Dialect 1 declares no BIGINT, but a column may take the server's own domain.
    ddl(QStringLiteral("create table T (ID integer, B RDB$GENERATOR_VALUE, F boolean, S varchar(10))"));
    run(QStringLiteral("insert into T values (1, 12345678901, true, 'one')"));
    run(QStringLiteral("insert into T values (2, null, null, 'two')"));
    TQvQuery& q = query(QStringLiteral("select * from T order by ID"));
    q.ExecQuery();
    ASSERT_EQ(q.Current().Count(), 4);
    const TQvXSQLVAR& b = q.FieldByName(QStringLiteral("B"));
    const TQvXSQLVAR& f = q.FieldByName(QStringLiteral("F"));
    EXPECT_EQ(f.SQLType(), SQL_BOOLEAN);
    EXPECT_EQ(q.Fields(0).AsLong(), 1);
    EXPECT_EQ(rawInt64(b), Q_INT64_C(12345678901));
    EXPECT_EQ(*f.Data()->sqldata, 1);
    EXPECT_EQ(q.Fields(3).AsString(), QStringLiteral("one"));
    EXPECT_FALSE(b.IsNull());
    EXPECT_FALSE(f.IsNull());
    // Exact, and 32-bit reads refused beyond 32 bits.
    EXPECT_EQ(b.AsString(), QStringLiteral("12345678901"));
    EXPECT_EQ(b.AsInt64(), Q_INT64_C(12345678901));
    EXPECT_EQ(clientErrorOf([&] { b.AsLong(); }).Message(), QStringLiteral("Invalid data conversion."));
    EXPECT_EQ(b.AsDouble(), 12345678901.0);
    EXPECT_EQ(f.AsString(), QStringLiteral("True"));
    EXPECT_TRUE(f.AsBoolean());
    for (const auto& read : {std::function<void()>([&] { f.AsLong(); }), std::function<void()>([&] { f.AsDouble(); }),
                             std::function<void()>([&] { f.AsDateTime(); }), std::function<void()>([&] { b.AsBoolean(); })})
        EXPECT_EQ(clientErrorOf(read).SQLCode(), 32);
    ASSERT_NE(q.Next(), nullptr);
    EXPECT_EQ(q.Fields(0).AsLong(), 2);
    EXPECT_TRUE(b.IsNull());
    EXPECT_TRUE(f.IsNull());
    EXPECT_EQ(b.AsString(), QString()); // a NULL reads as nothing whatever its type
    EXPECT_EQ(q.Fields(3).AsString(), QStringLiteral("two"));
    EXPECT_EQ(q.Next(), nullptr);

    TQvQuery& constants = query(QStringLiteral("select true, false, 5 from rdb$database"));
    constants.ExecQuery();
    EXPECT_EQ(constants.Fields(0).AsString(), QStringLiteral("True"));
    EXPECT_EQ(constants.Fields(1).AsString(), QStringLiteral("False"));
    EXPECT_FALSE(constants.Fields(1).AsBoolean());
    EXPECT_EQ(constants.Fields(2).AsLong(), 5);

    // Dialect 1 itself refuses some of them in expressions.
    for (const QString& sql : {QStringLiteral("select cast(1 as bigint) from rdb$database"),
                              QStringLiteral("select current_time from rdb$database"),
                              QStringLiteral("select current_date from rdb$database")}) {
        TQvQuery& refused = query(sql);
        try {
            refused.Prepare();
            ADD_FAILURE() << qPrintable(sql);
        } catch (const EQvInterBaseError& error) {
            EXPECT_EQ(error.SQLCode(), -104);
        }
    }
}

TEST_P(QueryOnTarget, ParametersOfUnlistedTypes)
{
    // "? is null": the server describes the parameter as its NULL type.
    TQvQuery& isNull = query(QStringLiteral("select count(*) from rdb$database where :p is null"));
    ASSERT_EQ(isNull.Params().Count(), 1);
    TQvXSQLVAR& p = isNull.Params()[0];
    EXPECT_EQ(p.SQLType(), SQL_NULL);
    auto countOf = [&isNull] {
        isNull.ExecQuery();
        const int result = isNull.Fields(0).AsLong();
        isNull.Close();
        return result;
    };
    p.SetIsNull(true);
    EXPECT_EQ(countOf(), 1);
    p.SetIsNull(false);
    EXPECT_EQ(countOf(), 0);
    p.SetAsLong(5);
    EXPECT_EQ(countOf(), 0);
    p.SetIsNull(true);
    EXPECT_EQ(countOf(), 1);

    // The writer's own type goes and the server converts exactly, beyond 32 bits too.
    ddl(QStringLiteral("create table T (ID integer, B RDB$GENERATOR_VALUE, F boolean)"));
    TQvQuery& insert = query(QStringLiteral("insert into T values (:id, :b, :f)"));
    TQvXSQLDA& params = insert.Params();
    EXPECT_EQ(params[1].SQLType(), SQL_INT64);
    EXPECT_EQ(params[2].SQLType(), SQL_BOOLEAN);
    EXPECT_EQ(clientErrorOf([&] { params[1].SetAsQuad(ISC_QUAD{0, 1}); }).SQLCode(), 32);
    params[0].SetAsLong(1);
    params[1].SetAsString(QStringLiteral("12345678901"));
    params[2].SetAsString(QStringLiteral("true"));
    insert.ExecQuery();
    params[0].SetAsLong(2);
    params[1].SetAsLong(-7);
    params[2].SetIsNull(true);
    insert.ExecQuery();
    params[0].SetAsLong(3);
    params[1].SetIsNull(true);
    params[2].SetAsString(QStringLiteral("false"));
    insert.ExecQuery();
    // A value the server cannot convert is its error, and nothing is written.
    params[0].SetAsLong(4);
    params[1].SetAsLong(1);
    params[2].SetAsLong(1);
    try {
        insert.ExecQuery();
        ADD_FAILURE() << "a number was taken for a boolean";
    } catch (const EQvInterBaseError& error) {
        EXPECT_EQ(error.SQLCode(), -303);
    }
    TQvQuery& select = query(QStringLiteral("select ID, cast(B as varchar(20)), cast(F as varchar(5)) from T"
                                            " order by ID"));
    select.ExecQuery();
    QStringList rows;
    for (; !select.Eof(); select.Next())
        rows << QStringLiteral("%1|%2|%3").arg(select.Fields(0).AsString(),
                                             select.Fields(1).IsNull() ? QStringLiteral("null") : select.Fields(1).AsString(),
                                             select.Fields(2).IsNull() ? QStringLiteral("null") : select.Fields(2).AsString());
    EXPECT_EQ(rows, (QStringList{QStringLiteral("1|12345678901|TRUE"), QStringLiteral("2|-7|null"),
                                 QStringLiteral("3|null|FALSE")}));
}

TEST_P(QueryOnTarget, DateTimeAndExactNumbersOfADialect3Database)
{
    using qvaccess::executeImmediate;
    const std::unique_ptr<TQvDatabase> other = qvaccess::createDialect3Database(GetParam(), dir);
    {
        TQvTransaction work;
        other->SetDefaultTransaction(&work);
        work.StartTransaction();
        executeImmediate(*other, work,
                         QStringLiteral("create table T3 (ID integer, B bigint, D date, T time, F boolean,"
                                        " TS timestamp, N numeric(18,2), I integer)"),
                         3);
        work.Commit();
        work.StartTransaction();
        executeImmediate(*other, work,
                         QStringLiteral("insert into T3 values (1, 12345678901, '2024-02-29', '13:45:30.5', true,"
                                        " '2024-01-02 03:04:05', 12.34, 7)"),
                         3);
        executeImmediate(*other, work,
                         QStringLiteral("insert into T3 values (2, null, null, null, null, null, null, null)"), 3);
        work.Commit();
        work.StartTransaction();

        TQvQuery q;
        q.SetDatabase(other.get());
        q.SetSQLText(QStringLiteral("select * from T3 order by ID"));
        q.ExecQuery();
        const TQvXSQLDA& row = q.Current();
        ASSERT_EQ(row.Count(), 8);
        EXPECT_EQ(row[2].SQLType(), SQL_TYPE_DATE);
        EXPECT_EQ(row[3].SQLType(), SQL_TYPE_TIME);
        EXPECT_EQ(row[6].SQLType(), SQL_INT64);
        EXPECT_EQ(row[6].SQLScale(), -2);
        EXPECT_EQ(row[0].AsLong(), 1);
        EXPECT_EQ(rawInt64(row[1]), Q_INT64_C(12345678901));
        EXPECT_EQ(rawInt64(row[6]), 1234);
        EXPECT_EQ(row[5].AsString(), QStringLiteral("2024-01-02 03:04:05"));
        EXPECT_EQ(row[7].AsLong(), 7);
        EXPECT_EQ(row[1].AsString(), QStringLiteral("12345678901"));
        EXPECT_EQ(row[2].AsString(), QStringLiteral("2024-02-29"));
        EXPECT_EQ(row[2].AsDateTime(), QDateTime(QDate(2024, 2, 29), QTime(0, 0), QTimeZone::utc()));
        EXPECT_EQ(row[3].AsString(), QStringLiteral("13:45:30.500"));
        EXPECT_EQ(row[3].AsDateTime().time(), QTime(13, 45, 30, 500));
        EXPECT_EQ(row[4].AsString(), QStringLiteral("True"));
        EXPECT_EQ(row[6].AsString(), QStringLiteral("12.34"));
        EXPECT_DOUBLE_EQ(row[6].AsDouble(), 12.34);
        EXPECT_EQ(row[6].AsLong(), 12);
        for (int i : {2, 3, 4})
            EXPECT_EQ(clientErrorOf([&] { row[i].AsLong(); }).SQLCode(), 32) << i;
        ASSERT_NE(q.Next(), nullptr);
        EXPECT_EQ(row[0].AsLong(), 2);
        for (int i = 1; i < 8; ++i)
            EXPECT_TRUE(row[i].IsNull()) << i;
        EXPECT_EQ(q.Next(), nullptr);
        q.Close();

        // Parameters of those types take text and time stamps the server converts.
        TQvQuery find;
        find.SetDatabase(other.get());
        find.SetSQLText(QStringLiteral("select ID from T3 where D = :d and T = :t and N = :n and B = :b"));
        TQvXSQLDA& params = find.Params();
        EXPECT_EQ(params[0].SQLType(), SQL_TYPE_DATE);
        EXPECT_EQ(params[1].SQLType(), SQL_TYPE_TIME);
        params[0].SetAsDateTime(QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
        params[1].SetAsString(QStringLiteral("13:45:30.5"));
        params[2].SetAsDouble(12.34);
        params[3].SetAsString(QStringLiteral("12345678901"));
        find.ExecQuery();
        ASSERT_FALSE(find.Eof());
        EXPECT_EQ(find.Fields(0).AsLong(), 1);
        find.Close();
        params[3].SetAsString(QStringLiteral("12345678902"));
        find.ExecQuery();
        EXPECT_TRUE(find.Eof());
        find.Close();
        work.Commit();
    }
    other->DropDatabase();
}

TEST_P(QueryOnTarget, TextIsPreparedInTheDialectAsked)
{
    const std::unique_ptr<TQvDatabase> other = qvaccess::createDialect3Database(GetParam(), dir);
    EXPECT_EQ(other->SQLDialect(), 3);
    {
        TQvTransaction work;
        other->SetDefaultTransaction(&work);
        work.StartTransaction();
        TQvQuery q;
        q.SetDatabase(other.get());
        // By default a statement follows its database; asked for, dialect 1.
        EXPECT_EQ(q.SQLDialect(), 0);
        EXPECT_EQ(q.EffectiveSQLDialect(), 3);
        q.SetSQLDialect(1);
        // Dialect 1 divides into a double (1.5 rounds to 2) and reads "..." as a string.
        q.SetSQLText(QStringLiteral("select cast(3/2 as integer), \"x\" from rdb$database"));
        q.ExecQuery();
        EXPECT_EQ(q.Fields(0).AsLong(), 2);
        EXPECT_EQ(q.Fields(1).AsString(), QStringLiteral("x"));
        q.Close();
        // Dialect 3 divides integers exactly and reads "..." as a name; the
        // statement prepared before is prepared again.
        q.SetSQLDialect(3);
        EXPECT_FALSE(q.Prepared());
        EXPECT_THROW(q.ExecQuery(), EQvInterBaseError);
        q.SetSQLText(QStringLiteral("select cast(3/2 as integer), 'x' from rdb$database"
                                    " where \"RDB$RELATION_ID\" is not null"));
        q.ExecQuery();
        EXPECT_EQ(q.Fields(0).AsLong(), 1);
        EXPECT_EQ(q.Fields(1).AsString(), QStringLiteral("x"));
        q.Close();
        work.Commit();
    }
    other->DropDatabase();
}

TEST_P(QueryOnTarget, RefusedAndEmptyStatements)
{
    TQvQuery& set = query(QStringLiteral("set transaction"));
    EXPECT_EQ(clientErrorOf([&] { set.Prepare(); }).Message(), QStringLiteral("Not permitted."));
    EXPECT_EQ(set.Handle(), 0u);
    EXPECT_FALSE(set.Prepared());
    TQvQuery& empty = query(QString());
    EXPECT_EQ(clientErrorOf([&] { empty.ExecQuery(); }).Message(), QStringLiteral("Empty query."));
    TQvQuery& blank = query(QStringLiteral("  \n"));
    EXPECT_EQ(clientErrorOf([&] { blank.Prepare(); }).SQLCode(), 36);
    TQvQuery& unbound = query(QStringLiteral("select 1 from rdb$database"));
    unbound.SetTransaction(nullptr);
    unbound.SetDatabase(nullptr);
    EXPECT_EQ(clientErrorOf([&] { unbound.Prepare(); }).SQLCode(), 20);
    transaction->Commit();
    TQvQuery& inactive = query(QStringLiteral("select 1 from rdb$database"));
    EXPECT_EQ(clientErrorOf([&] { inactive.Prepare(); }).Message(), QStringLiteral("Transaction is not active."));
    transaction->StartTransaction();
}

TEST_P(QueryOnTarget, ExecuteProcedureFillsCurrent)
{
    ddl(QStringLiteral("create procedure TWICE (A integer) returns (B integer) as begin B = A * 2; end"));
    TQvQuery& q = query(QStringLiteral("execute procedure TWICE :a"));
    q.Params()[0].SetAsLong(21);
    q.ExecQuery();
    EXPECT_EQ(q.SQLType(), isc_info_sql_stmt_exec_procedure);
    EXPECT_FALSE(q.Open());
    EXPECT_EQ(q.FieldByName(QStringLiteral("B")).AsLong(), 42);
}

TEST_P(QueryOnTarget, CursorNameServesPositionedUpdate)
{
    ddl(QStringLiteral("create table T (ID integer, A integer)"));
    run(QStringLiteral("insert into T values (1, 0)"));
    run(QStringLiteral("insert into T values (2, 0)"));
    TQvQuery& cursor = query(QStringLiteral("select ID, A from T where ID = 2 for update"));
    cursor.setObjectName(QStringLiteral("Positioned"));
    EXPECT_TRUE(cursor.CursorName().startsWith(QLatin1String("Positioned")));
    cursor.ExecQuery();
    ASSERT_FALSE(cursor.Eof());
    EXPECT_EQ(cursor.SQLType(), isc_info_sql_stmt_select_for_upd);
    run(QStringLiteral("update T set A = 9 where current of ") + cursor.CursorName());
    cursor.Close();
    TQvXSQLVAR& changed = value(QStringLiteral("select sum(A) from T where ID = 2"));
    EXPECT_EQ(changed.AsLong(), 9);
}

TEST_P(QueryOnTarget, DBKeyAndQuadValues)
{
    ddl(QStringLiteral("create table T (ID integer, B blob sub_type 1)"));
    run(QStringLiteral("insert into T values (1, 'blob text')"));
    TQvQuery& select = query(QStringLiteral("select rdb$db_key, B, ID from T"));
    select.ExecQuery();
    TQvXSQLVAR& key = select.Fields(0);
    EXPECT_EQ(key.Name(), QStringLiteral("DB_KEY"));
    const QString raw = key.AsString();
    EXPECT_EQ(raw.size(), 8);
    EXPECT_EQ(select.Fields(1).AsString(), QStringLiteral("(Blob)"));
    const ISC_QUAD blob = select.Fields(1).AsQuad();
    EXPECT_TRUE(blob.gds_quad_high != 0 || blob.gds_quad_low != 0);

    // The key, as text, finds its row again.
    TQvQuery& byKey = query(QStringLiteral("select ID from T where rdb$db_key = :k"));
    byKey.Params()[0].SetAsString(raw);
    byKey.ExecQuery();
    ASSERT_FALSE(byKey.Eof());
    EXPECT_EQ(byKey.Fields(0).AsLong(), 1);

    // A blob id given to another row shares the text.
    TQvQuery& insert = query(QStringLiteral("insert into T values (2, :b)"));
    insert.Params()[0].SetAsQuad(blob);
    insert.ExecQuery();
    EXPECT_EQ(clientErrorOf([&] { select.Fields(2).AsQuad(); }).SQLCode(), 32);
    TQvQuery& wrong = query(QStringLiteral("insert into T (ID) values (:id)"));
    EXPECT_EQ(clientErrorOf([&] { wrong.Params()[0].SetAsQuad(blob); }).SQLCode(), 32);
    TQvXSQLVAR& same = value(QStringLiteral("select count(*) from T where cast(B as varchar(20)) = 'blob text'"));
    EXPECT_EQ(same.AsLong(), 2);

    // A short key fills the start of the buffer and zeroes the rest.
    key.SetAsString(QStringLiteral("ab"));
    EXPECT_EQ(key.SQLType(), SQL_TEXT);
    EXPECT_EQ(key.Data()->sqllen, 8);
    EXPECT_EQ(QByteArray(key.Data()->sqldata, 8), QByteArray("ab\0\0\0\0\0\0", 8));
    key.SetAsString(QStringLiteral("0123456789"));
    EXPECT_EQ(QByteArray(key.Data()->sqldata, 8), QByteArray("01234567"));
}

TEST_P(QueryOnTarget, CharacterSetNoneKeepsBytes)
{
    ddl(QStringLiteral("create table T (V varchar(10))"));
    TQvQuery& insert = query(QStringLiteral("insert into T values (:v)"));
    insert.Params()[0].SetAsString(QStringLiteral("caf\u00e9"));
    insert.ExecQuery();
    TQvQuery& select = query(QStringLiteral("select V, octet_length(V) from T"));
    select.ExecQuery();
    EXPECT_EQ(select.Fields(0).AsString(), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(select.Fields(1).AsLong(), 4);
}

TEST_P(QueryOnTarget, CharacterSetUtf8)
{
    ddl(QStringLiteral("create table T (V varchar(4) character set UTF8, W varchar(4) character set WIN1252)"));
    reconnect(QStringLiteral("UTF8"));
    EXPECT_EQ(database->TextCodec().characterSet(), QStringLiteral("UTF8"));
    const QString text = QStringLiteral("\u00fc\u20ac\u00df!");
    TQvQuery& insert = query(QStringLiteral("insert into T values (:v, :w)"));
    insert.Params()[0].SetAsString(text);
    insert.Params()[1].SetAsString(text);
    insert.ExecQuery();
    // Five characters do not fit four: within the column's bytes the server refuses them.
    insert.Params()[0].SetAsString(text + QStringLiteral("x"));
    EXPECT_THROW(insert.ExecQuery(), EQvInterBaseError);
    // More bytes than the column can ever hold never reach the server.
    EXPECT_EQ(clientErrorOf([&] { insert.Params()[0].SetAsString(QString(5, QChar(0x20ac)) + text); }).SQLCode(), 32);
    TQvQuery& select = query(QStringLiteral("select V, W, octet_length(V), octet_length(W) from T"));
    select.ExecQuery();
    EXPECT_EQ(select.Fields(0).AsString(), text);
    EXPECT_EQ(select.Fields(1).AsString(), text);
    EXPECT_EQ(select.Fields(2).AsLong(), 8);
    EXPECT_EQ(select.Fields(3).AsLong(), 4);
    TQvQuery& literal = query(QStringLiteral("select count(*) from T where V = '%1'").arg(text));
    literal.ExecQuery();
    EXPECT_EQ(literal.Fields(0).AsLong(), 1);
}

TEST_P(QueryOnTarget, CharacterSetByName)
{
    ddl(QStringLiteral("create table T (V varchar(6) character set WIN1251)"));
    reconnect(QStringLiteral("WIN1251"));
    const QString text = QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442");
    TQvQuery& insert = query(QStringLiteral("insert into T values (:v)"));
    insert.Params()[0].SetAsString(text);
    insert.ExecQuery();
    TQvQuery& select = query(QStringLiteral("select V, octet_length(V) from T"));
    select.ExecQuery();
    EXPECT_EQ(select.Fields(0).AsString(), text);
    EXPECT_EQ(select.Fields(1).AsLong(), 6);
}

TEST_P(QueryOnTarget, ALiteralHoldingANulReachesTheServerWhole)
{
    // The client library would read a statement only up to its first NUL:
    // the literal would stay open and the statement fail.
    ddl(QStringLiteral("create table T (V varchar(10))"));
    const QString value = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    run(QStringLiteral("insert into T values ('%1')").arg(value));
    TQvQuery& immediate = query(QStringLiteral("insert into T values ('%1' || 'c')").arg(value));
    immediate.ExecImmediate();
    TQvQuery& select = query(QStringLiteral("select V, octet_length(V) from T order by 2"));
    select.ExecQuery();
    EXPECT_EQ(select.Fields(0).AsString(), value);
    EXPECT_EQ(select.Fields(1).AsLong(), 3);
    select.Next();
    EXPECT_EQ(select.Fields(0).AsString(), value + QStringLiteral("c"));
}

TEST_P(QueryOnTarget, CloseAfterTheServerClosedTheCursor)
{
    TQvQuery& q = query(QStringLiteral("select * from rdb$relations"));
    q.ExecQuery();
    ASSERT_TRUE(q.Open());
    // The transaction ends behind the query's back; its cursor goes with it.
    isc_tr_handle handle = *transaction->Handle();
    ASSERT_EQ(isc_commit_transaction(StatusVector(), &handle), 0);
    EXPECT_NO_THROW(q.Close());
    EXPECT_FALSE(q.Open());
    *transaction->Handle() = 0;
    transaction->StartTransaction();
}

TEST_P(QueryOnTarget, DisconnectFreesStatements)
{
    TQvQuery& q = query(QStringLiteral("select * from rdb$database"));
    q.ExecQuery();
    EXPECT_TRUE(q.Open());
    database->Close();
    EXPECT_FALSE(q.Open());
    EXPECT_FALSE(q.Prepared());
    EXPECT_EQ(q.Handle(), 0u);
    database->SetDBParams(connectParams(GetParam()));
    database->Open();
    transaction->StartTransaction();
    q.ExecQuery();
    EXPECT_FALSE(q.Eof());
}

INSTANTIATE_TEST_SUITE_P(Targets, QueryOnTarget, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
