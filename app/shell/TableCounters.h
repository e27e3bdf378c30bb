#pragma once

// What a statement cost on the server, read from the attachment's per-table
// counters and its four database counters: snapshots taken before and after
// the statement, the time between them on a clock that only goes forward,
// and how much each counter grew.

#include <QElapsedTimer>
#include <QList>
#include <QString>

class TQvDatabase;

// The kinds of per-table counter, in the order they are read.
enum TStatKind : int {
    skSeqReads = 0,   // sequential (non-indexed) reads
    skIdxReads = 1,   // indexed reads
    skInserts = 2,
    skUpdates = 3,
    skDeletes = 4,
};
inline constexpr int StatKindCount = 5;

// One counter of one table.
struct TTableCounter
{
    int Kind = skSeqReads;
    int RelationId = 0;
    qint64 Count = 0;

    // "kind-relation id", the counter's key in a snapshot.
    QString Key() const;
    bool operator==(const TTableCounter&) const = default;
};

// Reads one "relation id=count" line of a counter reply; the words are split
// at NUL, LF, CR, blank and "=". False for a line without both numbers.
bool ParseCounterLine(const QString& line, int& relationId, qint64& count);

// Every counter of the attachment at one moment.
class TStatSnapshot
{
public:
    // Reads the five per-table lists (kinds in order) and then the reads,
    // writes, fetches and marks of the database.
    void Take(TQvDatabase& database);
    void Clear();

    const QList<TTableCounter>& Counters() const { return m_counters; }
    // The counter of that kind and table, or nullptr.
    const TTableCounter* Find(int kind, int relationId) const;

    qint64 Reads = 0;
    qint64 Writes = 0;
    qint64 Fetches = 0;
    qint64 Marks = 0;

    // For building snapshots by hand.
    void Add(const TTableCounter& counter) { m_counters.append(counter); }

private:
    QList<TTableCounter> m_counters;
};

// A bar of the charts: how much a counter grew during the run.
struct TStatBar
{
    int Kind = skSeqReads;
    int RelationId = 0;
    qint64 Value = 0;
    bool operator==(const TStatBar&) const = default;
};

// The growth of every counter, in the after snapshot's order: a counter
// missing before gives its whole count, one that changed its growth, one
// that stayed nothing.
QList<TStatBar> StatBars(const TStatSnapshot& before, const TStatSnapshot& after);

// The before and after snapshot of one run with the time between them. The
// time is taken after the before snapshot and before the after snapshot, so
// neither snapshot's own requests count, on a clock that only goes forward.
class TExecStatistics
{
public:
    void TakeBefore(TQvDatabase& database);
    void TakeAfter(TQvDatabase& database);

    const TStatSnapshot& Before() const { return m_before; }
    const TStatSnapshot& After() const { return m_after; }
    // Milliseconds from the end of the before snapshot to the start of the
    // after snapshot; 0 until both were taken.
    qint64 ElapsedMs() const { return m_elapsedMs; }
    QList<TStatBar> Bars() const { return StatBars(m_before, m_after); }

    qint64 PageReads() const { return m_after.Reads - m_before.Reads; }
    qint64 PageWrites() const { return m_after.Writes - m_before.Writes; }
    qint64 MemReads() const { return m_after.Fetches - m_before.Fetches; }
    qint64 MemWrites() const { return m_after.Marks - m_before.Marks; }

private:
    TStatSnapshot m_before;
    TStatSnapshot m_after;
    QElapsedTimer m_clock;
    qint64 m_elapsedMs = 0;
};
