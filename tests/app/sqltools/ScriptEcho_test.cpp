// The echo of a running script on a clock the test drives: lines go out in
// order, in batches, and the events get their turn once per interval, never
// once per line.

#include "app/sqltools/ScriptEcho.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct Recorder
{
    explicit Recorder(TScriptEcho& echo)
    {
        echo.Output = [this](const QString& lines) {
            batches << lines;
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + lines;
        };
        echo.Pump = [this] { pumpedAfter << batches.size(); };
    }
    QStringList batches;
    QString text;
    QList<int> pumpedAfter;
};

QString numbered(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("line %1").arg(i);
    return lines.join(QLatin1Char('\n'));
}

TEST(ScriptEcho, AStillClockGivesOneBatchAndNoPump)
{
    qint64 now = 1000;
    TScriptEcho echo([&now] { return now; });
    Recorder recorder(echo);
    echo.Start();
    for (int i = 1; i <= 5000; ++i)
        echo.Add(QStringLiteral("line %1").arg(i));
    EXPECT_TRUE(recorder.batches.isEmpty());
    echo.Flush();
    echo.Flush();
    EXPECT_EQ(recorder.batches.size(), 1);
    EXPECT_TRUE(recorder.pumpedAfter.isEmpty());
    EXPECT_EQ(recorder.text, numbered(5000));
    EXPECT_EQ(echo.Lines(), 5000);
}

TEST(ScriptEcho, BatchesAndPumpsFollowTheInterval)
{
    // Each reading of the clock moves it on by 1 ms: a line costs 1 ms, a
    // pump 1 ms more.
    qint64 now = 0;
    TScriptEcho echo([&now] { return now++; }, 40);
    Recorder recorder(echo);
    echo.Start();
    for (int i = 1; i <= 1000; ++i)
        echo.Add(QStringLiteral("line %1").arg(i));
    echo.Flush();
    EXPECT_EQ(recorder.text, numbered(1000));
    // About one pump per 40 lines, each right after its batch went out.
    EXPECT_GE(echo.Pumps(), 1000 / 41 - 1);
    EXPECT_LE(echo.Pumps(), 1000 / 40);
    EXPECT_GE(echo.Batches(), echo.Pumps());
    EXPECT_LE(echo.Batches(), echo.Pumps() + 1);
    for (int i = 0; i < recorder.pumpedAfter.size(); ++i)
        EXPECT_EQ(recorder.pumpedAfter[i], i + 1);
    for (int i = 0; i + 1 < recorder.batches.size(); ++i)
        EXPECT_GE(recorder.batches[i].count(QLatin1Char('\n')) + 1, 39) << "batch " << i;

    // A slow pump does not make every following line pump.
    Recorder again(echo);
    echo.Pump = [&] {
        now += 500;
        again.pumpedAfter << again.batches.size();
    };
    echo.Start();
    for (int i = 1; i <= 200; ++i)
        echo.Add(QStringLiteral("line %1").arg(i));
    echo.Flush();
    EXPECT_LE(echo.Pumps(), 200 / 40);
    EXPECT_EQ(again.text, numbered(200));
}

TEST(ScriptEcho, ALineAddedWhileABatchGoesOutFollowsIt)
{
    qint64 now = 0;
    TScriptEcho echo([&now] { return now += 100; }, 40);
    QStringList out;
    bool inside = false;
    echo.Output = [&](const QString& lines) {
        out << lines;
        if (!inside) {
            inside = true;
            echo.Add(QStringLiteral("late"));
            inside = false;
        }
    };
    echo.Start();
    echo.Add(QStringLiteral("first"));
    echo.Flush();
    EXPECT_EQ(out.join(QLatin1Char('|')), QStringLiteral("first|late"));
}

} // namespace
