// The data view's statements, made without a window, in both dialects.

#include "app/sqltools/DataViewSQL.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

const QList<TDataViewColumn> twoColumns{{QStringLiteral("A"), true}, {QStringLiteral("B"), true}};

TEST(DataViewStatements, TwoColumnsGiveTheFiveStatementsInEitherDialect)
{
    for (const int dialect : {1, 3}) {
        const TDataViewStatements s = DataViewStatements(QStringLiteral("T"), twoColumns, {}, false, dialect);
        EXPECT_EQ(s.Insert, QStringLiteral("INSERT INTO T(A,B) VALUES (?A,?B)")) << dialect;
        EXPECT_EQ(s.Update, QStringLiteral("UPDATE T SET A=?A,B=?B WHERE A=?old_A and B=?old_B")) << dialect;
        EXPECT_EQ(s.Delete, QStringLiteral("DELETE FROM T WHERE A=?old_A and B=?old_B")) << dialect;
        EXPECT_EQ(s.Refresh, QStringLiteral("SELECT * from T WHERE A=?A and B=?B")) << dialect;
        EXPECT_EQ(s.Select, QStringLiteral("SELECT * FROM T")) << dialect;
        EXPECT_EQ(s.OrderText, QString());
        EXPECT_EQ(DataViewOrderLabel(s.OrderText), QStringLiteral("ORDER BY:"));
    }
}

TEST(DataViewStatements, OneColumnHasNoAndAndReadOnlyHasNoModifyStatements)
{
    const TDataViewStatements one =
        DataViewStatements(QStringLiteral("T"), {{QStringLiteral("A"), true}}, {}, false, 1);
    EXPECT_EQ(one.Update, QStringLiteral("UPDATE T SET A=?A WHERE A=?old_A"));
    EXPECT_EQ(one.Delete, QStringLiteral("DELETE FROM T WHERE A=?old_A"));
    EXPECT_EQ(one.Refresh, QStringLiteral("SELECT * from T WHERE A=?A"));

    const TDataViewStatements readOnly = DataViewStatements(QStringLiteral("V"), twoColumns, {}, true, 3);
    EXPECT_TRUE(readOnly.Insert.isEmpty());
    EXPECT_TRUE(readOnly.Update.isEmpty());
    EXPECT_TRUE(readOnly.Delete.isEmpty());
    EXPECT_EQ(readOnly.Refresh, QStringLiteral("SELECT * from V WHERE A=?A and B=?B"));
    EXPECT_EQ(readOnly.Select, QStringLiteral("SELECT * FROM V"));
}

TEST(DataViewStatements, OrderAccumulatesWithDirectionsAndLabel)
{
    const QList<TDataViewSortField> order{{QStringLiteral("A"), false}, {QStringLiteral("B"), true}};
    const TDataViewStatements s = DataViewStatements(QStringLiteral("T"), twoColumns, order, false, 1);
    EXPECT_EQ(s.Select, QStringLiteral("SELECT * FROM T ORDER BY A,B DESCENDING"));
    EXPECT_EQ(DataViewOrderLabel(s.OrderText), QStringLiteral(" ORDER BY A,B DESCENDING"));
    // The same column may be chosen twice.
    const TDataViewStatements twice = DataViewStatements(
        QStringLiteral("T"), twoColumns, {{QStringLiteral("A"), false}, {QStringLiteral("A"), true}}, false, 1);
    EXPECT_EQ(twice.Select, QStringLiteral("SELECT * FROM T ORDER BY A,A DESCENDING"));
}

TEST(DataViewStatements, DialectThreeQuotesNamesThatAreNotPlain)
{
    const QList<TDataViewColumn> columns{{QStringLiteral("Col"), true}, {QStringLiteral("ID"), true}};
    const QList<TDataViewSortField> order{{QStringLiteral("Col"), true}};
    const TDataViewStatements s = DataViewStatements(QStringLiteral("Name"), columns, order, false, 3);
    EXPECT_EQ(s.Insert, QStringLiteral("INSERT INTO \"Name\"(\"Col\",ID) VALUES (?Col,?ID)"));
    EXPECT_EQ(s.Update, QStringLiteral("UPDATE \"Name\" SET \"Col\"=?Col,ID=?ID WHERE \"Col\"=?old_Col and ID=?old_ID"));
    EXPECT_EQ(s.Delete, QStringLiteral("DELETE FROM \"Name\" WHERE \"Col\"=?old_Col and ID=?old_ID"));
    EXPECT_EQ(s.Select, QStringLiteral("SELECT * FROM \"Name\" ORDER BY \"Col\" DESCENDING"));
    // A reserved word is quoted in dialect 3 and left as written in dialect 1.
    const TDataViewStatements reserved =
        DataViewStatements(QStringLiteral("T"), {{QStringLiteral("VALUE"), true}}, {}, false, 3);
    EXPECT_EQ(reserved.Update, QStringLiteral("UPDATE T SET \"VALUE\"=?VALUE WHERE \"VALUE\"=?old_VALUE"));
}

TEST(DataViewStatements, ComputedColumnsAreNeitherWrittenNorMatched)
{
    const QList<TDataViewColumn> columns{
        {QStringLiteral("A"), true}, {QStringLiteral("TWICE"), false}, {QStringLiteral("B"), true}};
    const TDataViewStatements s = DataViewStatements(QStringLiteral("T"), columns, {}, false, 1);
    EXPECT_EQ(s.Insert, QStringLiteral("INSERT INTO T(A,B) VALUES (?A,?B)"));
    EXPECT_EQ(s.Update, QStringLiteral("UPDATE T SET A=?A,B=?B WHERE A=?old_A and B=?old_B"));
    // A view of nothing but expressions can only be read.
    const TDataViewStatements computed = DataViewStatements(
        QStringLiteral("V"), {{QStringLiteral("A"), false}, {QStringLiteral("N"), false}}, {}, false, 1);
    EXPECT_TRUE(computed.Insert.isEmpty());
    EXPECT_TRUE(computed.Update.isEmpty());
    EXPECT_TRUE(computed.Delete.isEmpty());
    EXPECT_TRUE(computed.Refresh.isEmpty());
    EXPECT_EQ(computed.Select, QStringLiteral("SELECT * FROM V"));
}

// Parameters are bound by position, so no column is ever taken for another:
// not OLD_A for A's old value, not "a" for A, and names that a parameter
// cannot carry still get one.
TEST(DataViewStatements, EveryParameterIsBoundToItsOwnColumn)
{
    const QList<TDataViewColumn> columns{{QStringLiteral("OLD_A"), true, 0}, {QStringLiteral("A"), true, 1},
                                         {QStringLiteral("LIST"), false, 2},  {QStringLiteral("my col"), true, 4},
                                         {QStringLiteral("a"), true, 5}};
    const TDataViewStatements s = DataViewStatements(QStringLiteral("T"), columns, {}, false, 3);
    EXPECT_EQ(s.Insert, QStringLiteral("INSERT INTO T(OLD_A,A,\"my col\",\"a\") VALUES (?OLD_A,?A,?COLUMN_5,?a)"));
    EXPECT_EQ(s.Delete, QStringLiteral("DELETE FROM T WHERE OLD_A=?old_OLD_A and A=?old_A and "
                                       "\"my col\"=?old_COLUMN_5 and \"a\"=?old_a"));
    EXPECT_EQ(s.Refresh, QStringLiteral("SELECT * from T WHERE OLD_A=?OLD_A and A=?A and \"my col\"=?COLUMN_5 and "
                                        "\"a\"=?a"));
    const auto fields = [](const TQvParamSources& sources) {
        QStringList list;
        for (const TQvParamSource& source : sources)
            list << QString::number(source.Column) + (source.Old ? QStringLiteral("old") : QString());
        return list.join(QLatin1Char(' '));
    };
    EXPECT_EQ(fields(s.InsertSources), QStringLiteral("0 1 4 5"));
    EXPECT_EQ(fields(s.UpdateSources), QStringLiteral("0 1 4 5 0old 1old 4old 5old"));
    EXPECT_EQ(fields(s.DeleteSources), QStringLiteral("0old 1old 4old 5old"));
    EXPECT_EQ(fields(s.RefreshSources), QStringLiteral("0 1 4 5"));
    // A read-only view binds nothing it does not run.
    const TDataViewStatements readOnly = DataViewStatements(QStringLiteral("T"), columns, {}, true, 3);
    EXPECT_TRUE(readOnly.UpdateSources.empty());
    EXPECT_EQ(fields(readOnly.RefreshSources), QStringLiteral("0 1 4 5"));
}

} // namespace
