// Every Firebird 3 column type through statements and the buffered dataset,
// in a dialect-3 database: read, shown and written back exactly, the
// dialect followed, and text the connection cannot carry refused before
// anything is sent.

#include "AccessTest_support.h"
#include "access/QvDataSet.h"
#include "access/QvQuery.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

using qvaccess::connectParams;

const QString createAllTypes = QStringLiteral(
    "create table ALL_TYPES (ID bigint not null primary key, SI smallint, I integer, N41 numeric(4,1), "
    "N92 numeric(9,2), N184 numeric(18,4), D182 decimal(18,2), F float, DP double precision, D date, T time, "
    "TS timestamp, B boolean, C char(5), V varchar(20), M blob sub_type text, A char(5) [1:4])");
const QString firstRow = QStringLiteral(
    "insert into ALL_TYPES (ID, SI, I, N41, N92, N184, D182, F, DP, D, T, TS, B, C, V, M) values "
    "(9007199254740993, -32768, 2147483647, -123.4, 1234567.89, 12345678901234.5678, -92233720368547758.07, "
    "0.1, 0.1, '2024-02-29', '13:45:30.1234', '2024-02-29 23:59:59.9999', true, 'ab', 'line1' || ascii_char(10) "
    "|| 'line2', 'memo')");
// The columns with their texts in the first row, as a statement and the dataset both show them.
const QStringList columns{"ID", "SI", "I", "N41", "N92", "N184", "D182", "F", "DP", "D", "T", "TS", "B", "C", "V"};
const QStringList firstTexts{"9007199254740993",
                             "-32768",
                             "2147483647",
                             "-123.4",
                             "1234567.89",
                             "12345678901234.5678",
                             "-92233720368547758.07",
                             "0.1",
                             "0.1",
                             "2024-02-29",
                             "13:45:30.1234",
                             "2024-02-29 23:59:59.9999",
                             "True",
                             "ab   ",
                             "line1\nline2"};

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

class ColumnTypes : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        open(QStringLiteral("NONE"));
    }

    void TearDown() override
    {
        if (!database)
            return;
        if (transaction->Active())
            transaction->Rollback();
        database->DropDatabase();
    }

    // A new dialect-3 database with the connection's character set as its own.
    void open(const QString& characterSet)
    {
        database = qvaccess::createDialect3Database(GetParam(), dir, QStringLiteral("types.fdb"), characterSet);
        transaction = std::make_unique<TQvTransaction>();
        database->SetDefaultTransaction(transaction.get());
        transaction->StartTransaction();
    }

    std::unique_ptr<TQvQuery> query(const QString& sql, bool paramCheck = true)
    {
        auto q = std::make_unique<TQvQuery>();
        q->SetDatabase(database.get());
        q->SetTransaction(transaction.get());
        q->SetParamCheck(paramCheck);
        q->SetSQLText(sql);
        return q;
    }

    // Array bounds ("[1:4]") are no parameters.
    void run(const QString& sql)
    {
        query(sql, false)->ExecQuery();
    }

    void commit()
    {
        transaction->Commit();
        transaction->StartTransaction();
    }

    // What another attachment reads, converted to text by the server itself.
    QStringList serverRow(const QString& sql)
    {
        TQvDatabase other;
        TQvTransaction otherTransaction;
        other.SetDBName(database->DBName());
        other.SetDBParams(connectParams(GetParam(), database->TextCodec().characterSet()));
        other.Open();
        otherTransaction.SetDefaultDatabase(&other);
        otherTransaction.StartTransaction();
        TQvQuery q;
        q.SetDatabase(&other);
        q.SetTransaction(&otherTransaction);
        q.SetSQLText(sql);
        q.ExecQuery();
        QStringList row;
        for (int i = 0; !q.Eof() && i < q.Current().Count(); ++i)
            row << (q.Fields(i).IsNull() ? QStringLiteral("<null>") : q.Fields(i).AsString());
        return row;
    }

    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
    std::unique_ptr<TQvTransaction> transaction;
};

TEST_P(ColumnTypes, EveryTypeReadsAsTheExactValueItHolds)
{
    run(createAllTypes);
    commit();
    run(firstRow);
    run(QStringLiteral("insert into ALL_TYPES (ID) values (-9223372036854775807 - 1)"));
    const auto select = query(QStringLiteral("select * from ALL_TYPES order by ID desc"));
    select->ExecQuery();
    for (int i = 0; i < columns.size(); ++i)
        EXPECT_EQ(select->FieldByName(columns[i]).AsString(), firstTexts[i]) << qPrintable(columns[i]);
    EXPECT_EQ(select->FieldByName(QStringLiteral("M")).AsString(), QStringLiteral("(Blob)"));
    EXPECT_TRUE(select->FieldByName(QStringLiteral("A")).IsNull());

    // Typed reads keep their rules: 32 bits, or "Invalid data conversion.".
    const TQvXSQLVAR& id = select->FieldByName(QStringLiteral("ID"));
    EXPECT_EQ(id.AsInt64(), Q_INT64_C(9007199254740993));
    EXPECT_EQ(clientErrorOf([&] { id.AsLong(); }).Message(), QStringLiteral("Invalid data conversion."));
    EXPECT_EQ(select->FieldByName(QStringLiteral("N92")).AsLong(), 1234567);
    EXPECT_EQ(select->FieldByName(QStringLiteral("N184")).AsInt64(), Q_INT64_C(12345678901234));
    EXPECT_EQ(clientErrorOf([&] { select->FieldByName(QStringLiteral("N184")).AsLong(); }).SQLCode(), 32);
    EXPECT_DOUBLE_EQ(select->FieldByName(QStringLiteral("D182")).AsDouble(), -92233720368547758.07);
    EXPECT_EQ(select->FieldByName(QStringLiteral("D")).AsDateTime(),
              QDateTime(QDate(2024, 2, 29), QTime(0, 0), QTimeZone::utc()));
    EXPECT_EQ(select->FieldByName(QStringLiteral("T")).AsDateTime().time(), QTime(13, 45, 30, 123));
    EXPECT_EQ(select->FieldByName(QStringLiteral("TS")).AsDateTime(),
              QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59, 999), QTimeZone::utc()));
    EXPECT_TRUE(select->FieldByName(QStringLiteral("B")).AsBoolean());
    for (const char* name : {"D", "T", "TS", "B"})
        EXPECT_EQ(clientErrorOf([&] { select->FieldByName(QString::fromLatin1(name)).AsLong(); }).SQLCode(), 32)
            << name;
    EXPECT_EQ(clientErrorOf([&] { select->FieldByName(QStringLiteral("I")).AsDateTime(); }).SQLCode(), 32);

    ASSERT_NE(select->Next(), nullptr);
    EXPECT_EQ(id.AsString(), QStringLiteral("-9223372036854775808"));
    for (int i = 1; i < columns.size(); ++i) {
        EXPECT_TRUE(select->FieldByName(columns[i]).IsNull()) << qPrintable(columns[i]);
        EXPECT_EQ(select->FieldByName(columns[i]).AsString(), QString());
    }
}

TEST_P(ColumnTypes, ParametersWriteEveryTypeExactly)
{
    run(createAllTypes);
    commit();
    const auto insert = query(QStringLiteral("insert into ALL_TYPES (ID, N184, D182, N92, F, D, T, TS, B, V) "
                                             "values (:ID, :N184, :D182, :N92, :F, :D, :T, :TS, :B, :V)"));
    TQvXSQLDA& params = insert->Params();
    EXPECT_EQ(params[0].SQLType(), SQL_INT64);
    EXPECT_EQ(params[6].SQLType(), SQL_TYPE_TIME);
    EXPECT_EQ(params[8].SQLType(), SQL_BOOLEAN);
    params[0].SetAsInt64(Q_INT64_C(9007199254740993));
    params[1].SetAsString(QStringLiteral("12345678901234.5678"));
    params[2].SetAsInt64(Q_INT64_C(-9223372036854775807), -2);
    params[3].SetAsInt64(123456789, -2);
    params[4].SetAsDouble(0.1);
    params[5].SetAsDate(QDate(1, 1, 1));
    params[6].SetAsTime(QTime(23, 59, 59, 999));
    params[7].SetAsDateTime(QDateTime(QDate(9999, 12, 31), QTime(12, 0, 0, 1), QTimeZone::utc()));
    params[8].SetAsBoolean(false);
    params[9].SetAsString(QStringLiteral("two\r\nlines"));
    insert->ExecQuery();
    params[0].SetAsString(QStringLiteral("-12345678901"));
    params[1].SetAsInt64(Q_INT64_C(123456789012345678), -4);
    for (int i = 2; i < params.Count(); ++i)
        params[i].SetIsNull(true);
    insert->ExecQuery();
    commit();
    // The server's own texts, read by another attachment.
    const QString casts = QStringLiteral(
        "select cast(ID as varchar(30)), cast(N184 as varchar(30)), cast(D182 as varchar(30)), "
        "cast(N92 as varchar(20)), iif(F = cast(0.1 as float), 'float 0.1', 'other'), cast(D as varchar(12)), "
        "cast(T as varchar(16)), cast(TS as varchar(30)), cast(B as varchar(5)), V from ALL_TYPES where ID = ");
    EXPECT_EQ(serverRow(casts + QStringLiteral("9007199254740993")),
              (QStringList{"9007199254740993", "12345678901234.5678", "-92233720368547758.07", "1234567.89",
                           "float 0.1", "0001-01-01", "23:59:59.9990", "9999-12-31 12:00:00.0010", "FALSE",
                           "two\r\nlines"}));
    EXPECT_EQ(serverRow(casts + QStringLiteral("-12345678901")).mid(0, 3),
              (QStringList{"-12345678901", "12345678901234.5678", "<null>"}));
    // A value beyond the column's range is the server's error.
    params[0].SetAsInt64(1);
    params[3].SetAsString(QStringLiteral("99999999999"));
    try {
        insert->ExecQuery();
        ADD_FAILURE() << "an overflow was stored";
    } catch (const EQvInterBaseError& error) {
        EXPECT_NE(error.SQLCode(), 0);
    }
}

TEST_P(ColumnTypes, TheDatasetShowsAndSendsBackEveryTypeExactly)
{
    run(createAllTypes);
    commit();
    run(firstRow);
    commit();
    TQvDataSet ds;
    ds.SetDatabase(database.get());
    ds.SetTransaction(transaction.get());
    ds.SetSelectSQLText(QStringLiteral("select * from ALL_TYPES order by ID"));
    // The old values of a 64-bit key and of a time stamp with a ten-thousandth
    // find the row only when they go back byte for byte.
    ds.SetUpdateSQLText(QStringLiteral(
        "update ALL_TYPES set ID=?ID, SI=?SI, I=?I, N41=?N41, N92=?N92, N184=?N184, D182=?D182, F=?F, DP=?DP, "
        "D=?D, T=?T, TS=?TS, B=?B, C=?C, V=?V, M=?M where ID=?OLD_ID and TS=?OLD_TS and T=?OLD_T"));
    ds.SetInsertSQLText(QStringLiteral(
        "insert into ALL_TYPES (ID, N184, D, T, TS, B, F) values (?ID, ?N184, ?D, ?T, ?TS, ?B, ?F)"));
    ds.SetDeleteSQLText(QStringLiteral("delete from ALL_TYPES where ID=?OLD_ID"));
    ds.SetRefreshSQLText(QStringLiteral("select * from ALL_TYPES where ID=?ID"));
    ds.Open();

    const struct
    {
        const char* name;
        TFieldType type;
    } expectedTypes[] = {{"ID", ftLargeint}, {"SI", ftInteger},  {"N41", ftFloat},   {"N92", ftFloat},
                         {"N184", ftFMTBcd}, {"D182", ftFMTBcd}, {"F", ftFloat},     {"D", ftDate},
                         {"T", ftTime},      {"TS", ftDateTime}, {"B", ftBoolean},   {"M", ftMemo}};
    for (const auto& [name, type] : expectedTypes)
        EXPECT_EQ(ds.FieldByName(QString::fromLatin1(name)).DataType(), type) << name;
    EXPECT_EQ(ds.FieldByName("N184").Size(), 4);
    EXPECT_EQ(ds.FindField(QStringLiteral("A")), nullptr); // arrays have no field
    // The grid's text of every field is the statement's text of the column.
    for (int i = 0; i < columns.size(); ++i)
        EXPECT_EQ(ds.FieldByName(columns[i]).DisplayText(), firstTexts[i]) << qPrintable(columns[i]);
    EXPECT_EQ(ds.FieldByName("N184").AsVariant(), QVariant(QStringLiteral("12345678901234.5678")));
    EXPECT_EQ(ds.FieldByName("M").AsString(), QStringLiteral("memo"));

    ds.Edit();
    ds.FieldByName("ID").SetAsString(QStringLiteral("9007199254740995"));
    ds.FieldByName("N184").SetAsString(QStringLiteral("-98765432109876.5432"));
    ds.FieldByName("D182").SetAsString(QStringLiteral("92233720368547758.07"));
    ds.FieldByName("F").SetAsString(QStringLiteral("2.5"));
    ds.FieldByName("D").SetAsString(QStringLiteral("2000-01-01"));
    ds.FieldByName("B").SetAsBoolean(false);
    ds.FieldByName("V").SetAsString(QStringLiteral("edited"));
    ds.Post();
    commit();
    EXPECT_EQ(serverRow(QStringLiteral("select cast(ID as varchar(30)), cast(N184 as varchar(30)), "
                                       "cast(D182 as varchar(30)), cast(F as double precision), cast(D as varchar(12)), "
                                       "cast(T as varchar(16)), cast(TS as varchar(30)), cast(B as varchar(5)), V, "
                                       "cast(N41 as varchar(10)), cast(SI as varchar(10)) from ALL_TYPES")),
              (QStringList{"9007199254740995", "-98765432109876.5432", "92233720368547758.07", "2.5", "2000-01-01",
                           "13:45:30.1234", "2024-02-29 23:59:59.9999", "FALSE", "edited", "-123.4", "-32768"}));

    // The commit closed the dataset, as the end of its transaction does.
    ds.Open();
    ds.Append();
    ds.FieldByName("ID").SetAsString(QStringLiteral("-1"));
    ds.FieldByName("N184").SetAsString(QStringLiteral("0.0001"));
    ds.FieldByName("D").SetAsVariant(QDate(1858, 11, 17));
    ds.FieldByName("T").SetAsString(QStringLiteral("00:00:01.5"));
    ds.FieldByName("TS").SetAsString(QStringLiteral("2024-01-02 03:04:05.678"));
    ds.FieldByName("B").SetAsString(QStringLiteral("t"));
    ds.FieldByName("F").SetAsFloat(0.1);
    ds.Post();
    EXPECT_EQ(ds.FieldByName("F").DisplayText(), QStringLiteral("0.1"));
    ds.Refresh();
    EXPECT_EQ(ds.FieldByName("N184").DisplayText(), QStringLiteral("0.0001"));
    EXPECT_EQ(ds.FieldByName("T").DisplayText(), QStringLiteral("00:00:01.500"));
    EXPECT_EQ(ds.FieldByName("TS").DisplayText(), QStringLiteral("2024-01-02 03:04:05.678"));
    EXPECT_EQ(ds.FieldByName("D").DisplayText(), QStringLiteral("1858-11-17"));
    EXPECT_EQ(ds.FieldByName("B").DisplayText(), QStringLiteral("True"));
    EXPECT_EQ(ds.FieldByName("F").DisplayText(), QStringLiteral("0.1"));
    EXPECT_TRUE(ds.Locate(QStringLiteral("ID"), QStringLiteral("9007199254740995"), {}));
    EXPECT_EQ(ds.FieldByName("V").AsString(), QStringLiteral("edited"));
    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), 1);
    commit();
    EXPECT_EQ(serverRow(QStringLiteral("select count(*), min(ID) from ALL_TYPES")),
              (QStringList{QStringLiteral("1"), QStringLiteral("-1")}));
}

TEST_P(ColumnTypes, StatementsFollowTheDatabasesDialect)
{
    EXPECT_EQ(database->SQLDialect(), 3);
    run(QStringLiteral("create table \"Name\" (\"Col\" integer, UPPER_COL varchar(5))"));
    commit();
    run(QStringLiteral("insert into \"Name\" values (1, 'x''y')"));
    const auto quoted = query(QStringLiteral("select \"Col\", UPPER_COL, 'x' from \"Name\""));
    EXPECT_EQ(quoted->EffectiveSQLDialect(), 3);
    quoted->ExecQuery();
    EXPECT_EQ(quoted->Fields(0).AsLong(), 1);
    EXPECT_EQ(quoted->Fields(1).AsString(), QStringLiteral("x'y"));
    EXPECT_EQ(quoted->Fields(2).AsString(), QStringLiteral("x"));
    quoted->Close();

    // The system's own texts ask for dialect 1: a double-quoted text is a string there.
    const auto catalog = query(QStringLiteral("select rdb$relation_name from rdb$relations "
                                              "where rdb$relation_name = \"Name\""));
    catalog->SetSQLDialect(1);
    catalog->ExecQuery();
    ASSERT_FALSE(catalog->Eof());
    EXPECT_EQ(catalog->Fields(0).AsString().trimmed(), QStringLiteral("Name"));
    catalog->Close();
    EXPECT_THROW(catalog->SetSQLDialect(2), EQvClientError);

    // A dataset and its modify statements in the database's dialect.
    TQvDataSet ds;
    ds.SetDatabase(database.get());
    ds.SetTransaction(transaction.get());
    ds.SetSelectSQLText(QStringLiteral("select \"Col\", UPPER_COL from \"Name\""));
    ds.SetUpdateSQLText(QStringLiteral("update \"Name\" set UPPER_COL = ?UPPER_COL where \"Col\" = ?OLD_Col"));
    ds.Open();
    ds.Edit();
    ds.FieldByName("UPPER_COL").SetAsString(QStringLiteral("'q'"));
    ds.Post();
    commit();
    EXPECT_EQ(serverRow(QStringLiteral("select UPPER_COL from \"Name\"")), QStringList{QStringLiteral("'q'")});

    // A dialect-1 database reads double quotes as a string.
    qvtest::TempDir otherDir;
    const auto dialect1 = qvaccess::createDatabase(GetParam(), otherDir);
    EXPECT_EQ(dialect1->SQLDialect(), 1);
    TQvTransaction work;
    work.SetDefaultDatabase(dialect1.get());
    work.StartTransaction();
    TQvQuery text;
    text.SetDatabase(dialect1.get());
    text.SetTransaction(&work);
    text.SetSQLText(QStringLiteral("select \"x\" from rdb$database"));
    text.ExecQuery();
    EXPECT_EQ(text.Fields(0).AsString(), QStringLiteral("x"));
    text.Close();
    work.Commit();
    dialect1->DropDatabase();
}

TEST_P(ColumnTypes, TextTheConnectionCannotCarryIsRefusedBeforeAnythingIsSent)
{
    run(QStringLiteral("create table W (ID integer not null primary key, V varchar(10), M blob sub_type text)"));
    commit();
    run(QStringLiteral("insert into W values (1, 'old', 'old')"));
    commit();
    const auto insert = query(QStringLiteral("insert into W (ID, V) values (:ID, :V)"));
    insert->Params()[0].SetAsLong(2);
    const EQvClientError refused = clientErrorOf([&] { insert->Params()[1].SetAsString(QStringLiteral("a\u20acb")); });
    EXPECT_EQ(refused.SQLCode(), 32);
    EXPECT_EQ(refused.Message(), QStringLiteral("Parameter \"V\": the connection's character set NONE cannot carry "
                                                "the character \"\u20ac\" (U+20AC)."));
    EXPECT_EQ(clientErrorOf([&] { query(QStringLiteral("select '\u20ac' from rdb$database"))->Prepare(); })
                  .Message()
                  .left(14),
              QStringLiteral("The statement:"));

    TQvDataSet ds;
    ds.SetDatabase(database.get());
    ds.SetTransaction(transaction.get());
    ds.SetSelectSQLText(QStringLiteral("select * from W"));
    ds.SetUpdateSQLText(QStringLiteral("update W set V=?V, M=?M where ID=?OLD_ID"));
    ds.Open();
    ds.Edit();
    EXPECT_TRUE(clientErrorOf([&] { ds.FieldByName("V").SetAsString(QStringLiteral("a\u20acb")); })
                    .Message()
                    .startsWith(QStringLiteral("Column \"V\": ")));
    EXPECT_TRUE(clientErrorOf([&] { ds.FieldByName("M").SetAsString(QStringLiteral("\u20ac")); })
                    .Message()
                    .startsWith(QStringLiteral("Column \"M\": ")));
    EXPECT_EQ(ds.FieldByName("V").AsString(), QStringLiteral("old"));
    ds.Post();
    commit();
    // Nothing was changed into "?": the row is as it was.
    EXPECT_EQ(serverRow(QStringLiteral("select count(*), max(V), (select first 1 cast(M as varchar(10)) from W) "
                                       "from W")),
              (QStringList{QStringLiteral("1"), QStringLiteral("old"), QStringLiteral("old")}));
}

TEST_P(ColumnTypes, EachConnectionCharacterSetRefusesWhatItCannotCarry)
{
    database->DropDatabase();
    database.reset();
    open(QStringLiteral("UTF8"));
    run(QStringLiteral("create table W (ID integer, V varchar(10))"));
    commit();
    const auto insert = query(QStringLiteral("insert into W values (:ID, :V)"));
    insert->Params()[0].SetAsLong(1);
    insert->Params()[1].SetAsString(QStringLiteral("a\u20acb\U0001F600"));
    insert->ExecQuery();
    const QString lone = QStringLiteral("a") + QChar(0xd83d) + QStringLiteral("b");
    EXPECT_TRUE(clientErrorOf([&] { insert->Params()[1].SetAsString(lone); }).Message().contains("U+D83D"));
    commit();
    EXPECT_EQ(serverRow(QStringLiteral("select V from W")), QStringList{QStringLiteral("a\u20acb\U0001F600")});
    transaction->Commit();
    database->Close();
    // A one-byte set carries its own characters and refuses the others.
    database->SetDBParams(connectParams(GetParam(), QStringLiteral("WIN1252")));
    database->Open();
    transaction->StartTransaction();
    const auto win = query(QStringLiteral("insert into W values (:ID, :V)"));
    win->Params()[0].SetAsLong(2);
    win->Params()[1].SetAsString(QStringLiteral("\u20ac\u00e9"));
    win->ExecQuery();
    EXPECT_TRUE(clientErrorOf([&] { win->Params()[1].SetAsString(QStringLiteral("\u0105")); })
                    .Message()
                    .contains(QStringLiteral("WIN1252")));
    commit();
    EXPECT_EQ(serverRow(QStringLiteral("select V from W where ID = 2")), QStringList{QStringLiteral("\u20ac\u00e9")});
}

INSTANTIATE_TEST_SUITE_P(Targets, ColumnTypes, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
