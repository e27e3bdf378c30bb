// The timer with a clock tests can take over: on the test clock timers fire
// only when it is advanced, in deadline order, as often as they fall due;
// without it they run on the wall clock as QTimer does.

#include "platform/Timer.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

TEST(ManualClock, TimersFireInDeadlineOrderAsOftenAsTheyFallDue)
{
    qv::ManualClock clock;
    QStringList fired;
    qv::Timer fast;
    qv::Timer slow;
    qv::Timer once;
    once.setSingleShot(true);
    QObject::connect(&fast, &qv::Timer::timeout, [&] { fired << QStringLiteral("fast@%1").arg(clock.now()); });
    QObject::connect(&slow, &qv::Timer::timeout, [&] { fired << QStringLiteral("slow@%1").arg(clock.now()); });
    QObject::connect(&once, &qv::Timer::timeout, [&] { fired << QStringLiteral("once@%1").arg(clock.now()); });
    fast.start(30);
    slow.start(70);
    once.start(45);
    EXPECT_EQ(clock.activeTimers(), 3);

    clock.advance(29);
    EXPECT_TRUE(fired.isEmpty());
    clock.advance(71);
    EXPECT_EQ(fired, (QStringList{"fast@30", "once@45", "fast@60", "slow@70", "fast@90"}));
    EXPECT_EQ(clock.now(), 100);
    EXPECT_FALSE(once.isActive());
    EXPECT_TRUE(fast.isActive());

    fired.clear();
    fast.stop();
    clock.advance(110);
    EXPECT_EQ(fired, (QStringList{"slow@140", "slow@210"}));
}

TEST(ManualClock, HandlersMayRestartStopAndDestroyTimers)
{
    qv::ManualClock clock;
    QList<qint64> ticks;
    auto pause = std::make_unique<qv::Timer>();
    qv::Timer* timer = pause.get();
    // A first pause, then a shorter repeat, as a held button does.
    QObject::connect(timer, &qv::Timer::timeout, [&] {
        ticks << clock.now();
        timer->setInterval(100);
        if (ticks.size() == 4)
            timer->stop();
    });
    timer->start(500);
    clock.advance(1000);
    EXPECT_EQ(ticks, (QList<qint64>{500, 600, 700, 800}));
    EXPECT_EQ(clock.activeTimers(), 0);

    // A timer destroyed while running leaves the clock.
    timer->start(10);
    EXPECT_EQ(clock.activeTimers(), 1);
    pause.reset();
    EXPECT_EQ(clock.activeTimers(), 0);
    clock.advance(100);
    EXPECT_EQ(ticks.size(), 4);

    // What a handler starts fires within the same step.
    qv::Timer first;
    qv::Timer second;
    first.setSingleShot(true);
    second.setSingleShot(true);
    QObject::connect(&first, &qv::Timer::timeout, [&] { second.start(5); });
    QObject::connect(&second, &qv::Timer::timeout, [&] { ticks << clock.now(); });
    first.start(10);
    clock.advance(20);
    EXPECT_EQ(ticks.last(), clock.now() - 5);
}

TEST(ManualClock, TimersOutliveTheClockStopped)
{
    qv::Timer timer;
    {
        qv::ManualClock clock;
        timer.start(10);
        EXPECT_TRUE(timer.isActive());
    }
    EXPECT_FALSE(timer.isActive());
}

TEST(Timer, WithoutATestClockItRunsOnTheWallClock)
{
    ASSERT_EQ(qv::ManualClock::current(), nullptr);
    qv::Timer timer;
    timer.setSingleShot(true);
    int fired = 0;
    QObject::connect(&timer, &qv::Timer::timeout, [&] { ++fired; });
    timer.start(1);
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired == 1; }, 60000));
    EXPECT_FALSE(timer.isActive());
}
