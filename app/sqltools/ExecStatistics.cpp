#include "app/sqltools/ExecStatistics.h"

#include "access/QvQuery.h"
#include "components/StrUtils.h"

#include <QHash>

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

QString StatKindText(int kind)
{
    switch (kind) {
    case skSeqReads:
        return QStringLiteral("non-indexed");
    case skIdxReads:
        return QStringLiteral("indexed");
    case skInserts:
        return QStringLiteral("inserts");
    case skUpdates:
        return QStringLiteral("updates");
    case skDeletes:
        return QStringLiteral("deletes");
    }
    return QString::number(kind);
}

QStringList UniqueBarLabels(const QList<TStatBar>& bars, const QStringList& names)
{
    QHash<QString, int> uses;
    for (const QString& name : names)
        ++uses[name];
    QStringList labels;
    labels.reserve(names.size());
    for (int i = 0; i < names.size(); ++i) {
        QString label = names.at(i);
        if (uses.value(label) > 1 && i < bars.size())
            label += QStringLiteral(" (") + StatKindText(bars.at(i).Kind) + QLatin1Char(')');
        labels.append(label);
    }
    // Two different tables never share a name, but keep the axis sound even so.
    QHash<QString, int> seen;
    for (QString& label : labels) {
        const int n = seen[label]++;
        if (n > 0)
            label += QStringLiteral(" #") + QString::number(n + 1);
    }
    return labels;
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

QString RelationName(TQvDatabase& database, int relationId)
{
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetParamCheck(false);
    query.SetSQLText(QStringLiteral("select rdb$relation_name from rdb$relations where rdb$relation_id=")
                     + QString::number(relationId));
    transaction.StartTransaction();
    try {
        query.ExecQuery();
        QString name;
        if (!query.Eof())
            name = StrTrimTrailingSpaces(query.FieldByName(QStringLiteral("rdb$relation_name")).AsString());
        query.Close();
        transaction.Commit();
        return name.isEmpty() ? QStringLiteral("#") + QString::number(relationId) : name;
    } catch (...) {
        try {
            transaction.Rollback();
        } catch (...) {
        }
        throw;
    }
}
