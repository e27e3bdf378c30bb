// The per-table counters: reply lines, snapshots and how much each grew.

#include "app/shell/TableCounters.h"

#include <gtest/gtest.h>

namespace {

TTableCounter counter(int kind, int relation, qint64 count)
{
    return {kind, relation, count};
}

TEST(TableCounters, CounterLinesSplitAtBlanksEqualsAndLineEnds)
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

TEST(TableCounters, BarsAreTheGrowthInAfterOrder)
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

} // namespace
