// The in-memory dataset: 1,000,000 records (an integer, a 32-character text,
// a double) appended and the last one found with Locate, against the same
// rows in a QStandardItemModel and its match().
//   BENCH memdataset_append_1m ours=<s>s ref=<s>s ratio=<r>
//   BENCH memdataset_append_1m_memory ours=<MB>MB ref=<MB>MB ratio=<r>
// The texts are made before the clock starts, the heap is measured with the
// clock stopped, and each turn starts on a trimmed heap: both sides time
// their records alone.
// QV_BENCH_SCALE multiplies the records.

#include "bench/BenchSupport.h"
#include "components/MemoryData.h"
#include "platform/db/Field.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

namespace {

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks) + qint64(info.hblkhd);
}

QString nameOf(int i)
{
    return QStringLiteral("record number %1").arg(i).leftJustified(32, QLatin1Char('.'));
}

struct Run
{
    double seconds = 0;
    qint64 heapBytes = 0;
    bool found = false;
};

// The time of everything the work does but the heap measurement.
class Clock
{
public:
    Clock() { m_timer.start(); }
    void Pause() { m_elapsed += m_timer.nsecsElapsed(); }
    void Resume() { m_timer.start(); }
    double Seconds() const { return m_elapsed / 1e9; }

private:
    QElapsedTimer m_timer;
    qint64 m_elapsed = 0;
};

Run appendOurs(const QStringList& names)
{
    Run run;
    const int records = int(names.size());
    malloc_trim(0);
    const qint64 before = heapInUse();
    Clock clock;
    {
        TQcMemoryData data;
        auto& id = static_cast<TIntegerField&>(data.AddField(std::make_unique<TIntegerField>("ID")));
        auto& name = static_cast<TStringField&>(data.AddField(std::make_unique<TStringField>("NAME", 32)));
        auto& value = static_cast<TFloatField&>(data.AddField(std::make_unique<TFloatField>("VALUE")));
        data.SetCapacity(records);
        data.Open();
        for (int i = 0; i < records; ++i) {
            data.Append();
            id.SetAsInteger(i);
            name.SetAsString(names[i]);
            value.SetAsFloat(i * 0.5);
            data.Post();
        }
        data.First();
        run.found = data.Locate("ID", records - 1, {}) && name.AsString() == names.last();
        clock.Pause();
        run.heapBytes = heapInUse() - before;
        clock.Resume();
    }
    clock.Pause();
    run.seconds = clock.Seconds();
    return run;
}

Run appendReference(const QStringList& names)
{
    Run run;
    const int records = int(names.size());
    malloc_trim(0);
    const qint64 before = heapInUse();
    Clock clock;
    {
        QStandardItemModel model(0, 3);
        for (int i = 0; i < records; ++i) {
            auto* id = new QStandardItem;
            id->setData(i, Qt::DisplayRole);
            auto* value = new QStandardItem;
            value->setData(i * 0.5, Qt::DisplayRole);
            model.appendRow({id, new QStandardItem(names[i]), value});
        }
        const QModelIndexList hits =
            model.match(model.index(0, 0), Qt::DisplayRole, records - 1, 1, Qt::MatchExactly);
        run.found = hits.size() == 1 && model.item(hits.first().row(), 1)->text() == names.last();
        clock.Pause();
        run.heapBytes = heapInUse() - before;
        clock.Resume();
    }
    clock.Pause();
    run.seconds = clock.Seconds();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int records = int(qvbench::scaled(1000000));
    QStringList names;
    names.reserve(records);
    for (int i = 0; i < records; ++i)
        names.append(nameOf(i));
    Run ours;
    Run ref;
    qint64 ourHeap = std::numeric_limits<qint64>::max();
    qint64 refHeap = std::numeric_limits<qint64>::max();
    qvbench::BestTimes best;
    qvbench::bestOfTurns(
        3,
        [&] {
            ref = appendReference(names);
            refHeap = std::min(refHeap, ref.heapBytes);
            best.ref = std::min(best.ref, ref.seconds);
        },
        [&] {
            ours = appendOurs(names);
            ourHeap = std::min(ourHeap, ours.heapBytes);
            best.ours = std::min(best.ours, ours.seconds);
        });
    if (!ours.found || !ref.found) {
        std::fprintf(stderr, "the last record was not found\n");
        return 1;
    }
    qvbench::printBench("memdataset_append_1m", best.ours, best.ref, "s", 3);
    qvbench::printBench("memdataset_append_1m_memory", ourHeap / 1e6, refHeap / 1e6, "MB", 1);
    std::printf("# %d records\n", records);
    return 0;
}
