// The statistics of a run: counter lines, differences, labels and the clock.

#include "SQLEditTest_support.h"

#include "access/QvQuery.h"
#include "app/sqltools/ExecStatistics.h"

#include <gtest/gtest.h>

namespace {

TTableCounter counter(int kind, int relation, qint64 count)
{
    return {kind, relation, count};
}

TEST(ExecStatistics, CounterLinesSplitAtBlanksEqualsAndLineEnds)
{
    int relation = 0;
    qint64 count = 0;
    ASSERT_TRUE(ParseCounterLine(QStringLiteral("128=10"), relation, count));
    EXPECT_EQ(relation, 128);
    EXPECT_EQ(count, 10);
    ASSERT_TRUE(ParseCounterLine(QStringLiteral(" 6 = 4000000000\r\n"), relation, count));
    EXPECT_EQ(relation, 6);
    EXPECT_EQ(count, 4000000000LL);
    EXPECT_FALSE(ParseCounterLine(QStringLiteral("128="), relation, count));
    EXPECT_FALSE(ParseCounterLine(QStringLiteral("x=1"), relation, count));
    EXPECT_EQ(counter(3, 130, 1).Key(), QStringLiteral("3-130"));
}

TEST(ExecStatistics, BarsAreTheGrowthInAfterOrder)
{
    TStatSnapshot before;
    before.Add(counter(skSeqReads, 128, 10));
    before.Add(counter(skIdxReads, 128, 4));
    before.Add(counter(skSeqReads, 129, 7));
    TStatSnapshot after;
    after.Add(counter(skSeqReads, 128, 20));   // grew by 10
    after.Add(counter(skSeqReads, 129, 7));    // unchanged: no bar
    after.Add(counter(skIdxReads, 128, 4));    // unchanged
    after.Add(counter(skInserts, 130, 3));     // new: whole count
    const QList<TStatBar> bars = StatBars(before, after);
    ASSERT_EQ(bars.size(), 2);
    EXPECT_EQ(bars[0], (TStatBar{skSeqReads, 128, 10}));
    EXPECT_EQ(bars[1], (TStatBar{skInserts, 130, 3}));
    EXPECT_TRUE(StatBars(after, after).isEmpty());
    EXPECT_NE(after.Find(skInserts, 130), nullptr);
    EXPECT_EQ(after.Find(skDeletes, 130), nullptr);
}

TEST(ExecStatistics, LabelsOfOneChartAreUnique)
{
    const QList<TStatBar> bars{{skSeqReads, 128, 10}, {skSeqReads, 1, 1}, {skIdxReads, 128, 1}};
    const QStringList labels = UniqueBarLabels(bars, {QStringLiteral("T"), QStringLiteral("RDB$DATABASE"),
                                                      QStringLiteral("T")});
    EXPECT_EQ(labels, (QStringList{QStringLiteral("T (non-indexed)"), QStringLiteral("RDB$DATABASE"),
                                   QStringLiteral("T (indexed)")}));
    EXPECT_EQ(UniqueBarLabels({{skUpdates, 128, 1}}, {QStringLiteral("T")}), QStringList{QStringLiteral("T")});
}

class StatisticsOnTarget : public ::testing::TestWithParam<qvtest::Target>
{
};

TEST_P(StatisticsOnTarget, SnapshotsAroundStatementsMeasureTheirWork)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    const QString path = qvsql::createDatabase(target, dir, QStringLiteral("stat.fdb"), qvsql::tableStatements(10));
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams(qvsql::connectParams(target));
    database.Open();
    const int relation = qvsql::scalar(target, path,
                                       QStringLiteral("select rdb$relation_id from rdb$relations where rdb$relation_name = 'T'"))
                             .toInt();
    ASSERT_GT(relation, 0);
    EXPECT_EQ(RelationName(database, relation), QStringLiteral("T"));

    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    transaction.StartTransaction();
    TExecStatistics statistics;
    EXPECT_EQ(statistics.ElapsedMs(), 0);
    statistics.TakeBefore(database);
    query.SetSQLText(QStringLiteral("insert into T values (20, 'twenty')"));
    query.ExecQuery();
    query.SetSQLText(QStringLiteral("delete from T where ID <= 2"));
    query.ExecQuery();
    statistics.TakeAfter(database);
    transaction.Rollback();

    EXPECT_GE(statistics.ElapsedMs(), 0);
    EXPECT_GE(statistics.PageReads(), 0);
    EXPECT_GT(statistics.MemReads(), 0);
    const QList<TStatBar> bars = statistics.Bars();
    EXPECT_TRUE(bars.contains(TStatBar{skInserts, relation, 1}));
    EXPECT_TRUE(bars.contains(TStatBar{skDeletes, relation, 2}));
    // Both snapshots list the attachment's counters table by table.
    EXPECT_NE(statistics.After().Find(skInserts, relation), nullptr);
    database.Close();
}

INSTANTIATE_TEST_SUITE_P(Targets, StatisticsOnTarget, ::testing::ValuesIn(qvtest::allTargets()),
                         qvtest::targetName);

} // namespace
