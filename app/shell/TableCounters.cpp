#include "app/shell/TableCounters.h"

#include "access/QvDatabase.h"
#include "components/StrUtils.h"

#include <QHash>

#include <array>

QString TTableCounter::Key() const
{
    return QString::number(Kind) + QLatin1Char('-') + QString::number(RelationId);
}

bool ParseCounterLine(const QString& line, int& relationId, qint64& count)
{
    static const TCharSet delimiters{u'\0', u'\n', u'\r', u' ', u'='};
    bool idOk = false;
    bool countOk = false;
    const int id = ExtractWordN(1, line, delimiters).toInt(&idOk);
    const qint64 value = ExtractWordN(2, line, delimiters).toLongLong(&countOk);
    if (!idOk || !countOk)
        return false;
    relationId = id;
    count = value;
    return true;
}

void TStatSnapshot::Take(TQvDatabase& database)
{
    Clear();
    const std::array<QStringList (TQvDatabase::*)(), StatKindCount> lists{
        &TQvDatabase::ReadSeqCount, &TQvDatabase::ReadIdxCount, &TQvDatabase::InsertCount,
        &TQvDatabase::UpdateCount, &TQvDatabase::DeleteCount};
    for (int kind = 0; kind < StatKindCount; ++kind) {
        const QStringList lines = (database.*lists[kind])();
        for (const QString& line : lines) {
            TTableCounter counter;
            counter.Kind = kind;
            if (ParseCounterLine(line, counter.RelationId, counter.Count))
                m_counters.append(counter);
        }
    }
    Reads = database.Reads();
    Writes = database.Writes();
    Fetches = database.Fetches();
    Marks = database.Marks();
}

void TStatSnapshot::Clear()
{
    m_counters.clear();
    Reads = Writes = Fetches = Marks = 0;
}

const TTableCounter* TStatSnapshot::Find(int kind, int relationId) const
{
    for (const TTableCounter& counter : m_counters)
        if (counter.Kind == kind && counter.RelationId == relationId)
            return &counter;
    return nullptr;
}

QList<TStatBar> StatBars(const TStatSnapshot& before, const TStatSnapshot& after)
{
    // Keyed once, so a run over many tables stays linear.
    QHash<QPair<int, int>, qint64> earlier;
    for (const TTableCounter& counter : before.Counters())
        earlier.insert({counter.Kind, counter.RelationId}, counter.Count);
    QList<TStatBar> bars;
    for (const TTableCounter& counter : after.Counters()) {
        const auto found = earlier.constFind({counter.Kind, counter.RelationId});
        qint64 value = counter.Count;
        if (found != earlier.constEnd()) {
            if (found.value() == counter.Count)
                continue;
            value = counter.Count - found.value();
        }
        bars.append({counter.Kind, counter.RelationId, value});
    }
    return bars;
}

void TExecStatistics::TakeBefore(TQvDatabase& database)
{
    m_before.Take(database);
    m_elapsedMs = 0;
    m_clock.start();
}

void TExecStatistics::TakeAfter(TQvDatabase& database)
{
    m_elapsedMs = m_clock.isValid() ? m_clock.elapsed() : 0;
    m_after.Take(database);
}
