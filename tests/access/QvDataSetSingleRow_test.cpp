// Changes that must reach exactly one row: the count the server reports for
// a statement, and the dataset refusing (under a savepoint) a change that
// would reach none or several. Also CHAR values of multi-byte character
// sets read through the dataset without their padding.

#include "DataSetTest_support.h"
#include "access/QvDataSet.h"
#include "access/QvQuery.h"

#include <gtest/gtest.h>

namespace {

class SingleRow : public qvdataset::DataSetDatabase
{
protected:
    void SetUp() override
    {
        DataSetDatabase::SetUp();
        if (IsSkipped())
            return;
        ddl(QStringLiteral("create table R (A integer, B varchar(10))"));
        ddl(QStringLiteral("create view RV as select A, B from R"));
        run(QStringLiteral("insert into R values (1, 'one')"));
        run(QStringLiteral("insert into R values (2, 'twin')"));
        run(QStringLiteral("insert into R values (2, 'twin')"));
        run(QStringLiteral("insert into R values (3, null)"));
        commit();
    }

    std::unique_ptr<TQvDataSet> rows(const QString& table = QStringLiteral("R"))
    {
        auto ds = dataSet(QStringLiteral("select A, B from %1 order by A").arg(table));
        ds->SetUpdateSQLText(QStringLiteral("update %1 set A=?A, B=?B where A=?old_A and B=?old_B").arg(table));
        ds->SetDeleteSQLText(QStringLiteral("delete from %1 where A=?old_A and B=?old_B").arg(table));
        ds->SetInsertSQLText(QStringLiteral("insert into %1 (A, B) values (?A, ?B)").arg(table));
        ds->SetSingleRowChanges(true);
        return ds;
    }

    QString postMessage(TQvDataSet& ds)
    {
        try {
            ds.Post();
        } catch (const EDatabaseError& error) {
            return error.Message();
        }
        return {};
    }

    QString count(const QString& where) { return scalar(QStringLiteral("select count(*) from R where ") + where); }
};

TEST_P(SingleRow, RowsAffectedCountsTheStatementsOwnKind)
{
    TQvQuery query;
    query.SetDatabase(database.get());
    query.SetTransaction(transaction.get());
    query.SetSQLText(QStringLiteral("update R set B = 'x' where A = 2"));
    query.ExecQuery();
    EXPECT_EQ(query.RowsAffected(), 2);
    query.SetSQLText(QStringLiteral("delete from R where A = 9"));
    query.ExecQuery();
    EXPECT_EQ(query.RowsAffected(), 0);
    query.SetSQLText(QStringLiteral("insert into R values (5, 'five')"));
    query.ExecQuery();
    EXPECT_EQ(query.RowsAffected(), 1);
    query.SetSQLText(QStringLiteral("update RV set B = 'v' where A = 1"));
    query.ExecQuery();
    EXPECT_EQ(query.RowsAffected(), 1);
    query.SetSQLText(QStringLiteral("select A from R"));
    query.ExecQuery();
    EXPECT_EQ(query.RowsAffected(), -1);
    query.Close();
}

TEST_P(SingleRow, OneRowIsChangedTwinsAndNullsAreRefusedAndEarlierWorkStays)
{
    auto ds = rows();
    ds->Open();
    // Row 1: an ordinary change.
    ds->Edit();
    ds->FieldByName("B").SetAsString(QStringLiteral("uno"));
    EXPECT_EQ(postMessage(*ds), QString());
    EXPECT_EQ(ds->State(), dsBrowse);

    // Row 2 has a twin: nothing changes, the record stays in edit.
    ds->Next();
    ds->Edit();
    ds->FieldByName("B").SetAsString(QStringLiteral("changed"));
    const QString twins = postMessage(*ds);
    EXPECT_TRUE(twins.startsWith(QStringLiteral("The record was not saved: 2 rows"))) << twins.toStdString();
    EXPECT_EQ(ds->State(), dsEdit);
    ds->Cancel();
    EXPECT_EQ(count(QStringLiteral("B = 'twin'")), QStringLiteral("2"));
    EXPECT_EQ(count(QStringLiteral("B = 'changed'")), QStringLiteral("0"));

    // Deleting one twin is refused the same way; the record stays.
    QString deleted;
    try {
        ds->Delete();
    } catch (const EDatabaseError& error) {
        deleted = error.Message();
    }
    EXPECT_TRUE(deleted.startsWith(QStringLiteral("The record was not deleted: 2 rows"))) << deleted.toStdString();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_EQ(ds->FieldByName("B").AsString(), QStringLiteral("twin"));
    EXPECT_EQ(count(QStringLiteral("A = 2")), QStringLiteral("2"));

    // A NULL old value matches no row.
    ds->Last();
    ds->Edit();
    ds->FieldByName("A").SetAsInteger(30);
    const QString nulls = postMessage(*ds);
    EXPECT_TRUE(nulls.contains(QStringLiteral("NULL"))) << nulls.toStdString();
    ds->Cancel();
    EXPECT_EQ(count(QStringLiteral("A = 30")), QStringLiteral("0"));

    // The refusals rolled back only themselves: the first change commits.
    commit();
    EXPECT_EQ(scalar(QStringLiteral("select B from R where A = 1")), QStringLiteral("uno"));
}

TEST_P(SingleRow, ThroughAViewAndOnInsertOneRowCounts)
{
    auto ds = rows(QStringLiteral("RV"));
    ds->Open();
    ds->Edit();
    ds->FieldByName("B").SetAsString(QStringLiteral("via view"));
    EXPECT_EQ(postMessage(*ds), QString());
    ds->Append();
    ds->FieldByName("A").SetAsInteger(7);
    ds->FieldByName("B").SetAsString(QStringLiteral("seven"));
    EXPECT_EQ(postMessage(*ds), QString());
    commit();
    EXPECT_EQ(scalar(QStringLiteral("select B from R where A = 1")), QStringLiteral("via view"));
    EXPECT_EQ(count(QStringLiteral("A = 7")), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(Targets, SingleRow, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

class CharPaddingUtf8 : public qvdataset::DataSetDatabase
{
protected:
    QString characterSet() const override { return QStringLiteral("UTF8"); }
};

TEST_P(CharPaddingUtf8, CharValuesReadAsTheStatementReadsThem)
{
    ddl(QStringLiteral("create table C3 (ID integer not null primary key, C char(3))"));
    run(QStringLiteral("insert into C3 values (1, '\u20ac')"));
    run(QStringLiteral("insert into C3 values (2, 'a\u20acb')"));
    commit();
    auto ds = dataSet(QStringLiteral("select ID, C from C3 order by ID"));
    ds->SetUpdateSQLText(QStringLiteral("update C3 set C=?C where ID=?old_ID and C=?old_C"));
    ds->SetSingleRowChanges(true);
    ds->Open();
    // CHAR(3) keeps its three characters: the euro and two blanks.
    EXPECT_EQ(ds->FieldByName("C").AsString(), QStringLiteral("\u20ac  "));
    EXPECT_EQ(ds->FieldByName("C").AsString(), scalar(QStringLiteral("select C from C3 where ID = 1")));
    ds->Next();
    EXPECT_EQ(ds->FieldByName("C").AsString(), QStringLiteral("a\u20acb"));
    // The old value still finds its row.
    ds->Edit();
    ds->FieldByName("C").SetAsString(QStringLiteral("\u00e4"));
    ds->Post();
    commit();
    EXPECT_EQ(scalar(QStringLiteral("select trim(C) from C3 where ID = 2")), QStringLiteral("\u00e4"));
}

INSTANTIATE_TEST_SUITE_P(Targets, CharPaddingUtf8, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
