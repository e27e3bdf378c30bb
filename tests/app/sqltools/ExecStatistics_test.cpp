// The statistics of a run as the SQL editor shows them: labels, relation
// names, and the snapshots around real statements.

#include "SQLEditTest_support.h"

#include "access/QvQuery.h"
#include "app/sqltools/ExecStatistics.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

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
    QElapsedTimer wall;
    wall.start();
    statistics.TakeBefore(database);
    query.SetSQLText(QStringLiteral("insert into T values (20, 'twenty')"));
    query.ExecQuery();
    query.SetSQLText(QStringLiteral("delete from T where ID <= 2"));
    query.ExecQuery();
    statistics.TakeAfter(database);
    const qint64 wallMs = wall.elapsed();
    transaction.Rollback();

    EXPECT_LE(statistics.ElapsedMs(), wallMs);
    EXPECT_GT(statistics.MemReads(), 0);
    // A page read from disk is fetched as well; the insert and delete changed pages.
    EXPECT_LE(statistics.PageReads(), statistics.MemReads());
    EXPECT_GT(statistics.MemWrites(), 0);
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
