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

TEST(DataViewStatements, ColumnsThatCannotBeParametersAreNamed)
{
    QString reason;
    EXPECT_TRUE(ColumnsMakeParameters(twoColumns, &reason));
    EXPECT_FALSE(ColumnsMakeParameters({{QStringLiteral("my col"), true}}, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("\"my col\""))) << reason.toStdString();
    EXPECT_FALSE(ColumnsMakeParameters({{QStringLiteral("a"), true}, {QStringLiteral("A"), true}}, &reason));
    // A computed column is never a parameter.
    EXPECT_TRUE(ColumnsMakeParameters({{QStringLiteral("my col"), false}, {QStringLiteral("A"), true}}));
}

} // namespace
