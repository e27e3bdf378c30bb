#include "app/sqltools/ScriptEcho.h"

#include <chrono>

TScriptEcho::TClock TScriptEcho::SteadyClock()
{
    return [] {
        using namespace std::chrono;
        return qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
}

TScriptEcho::TScriptEcho(TClock clock, qint64 intervalMs)
    : m_clock(std::move(clock))
    , m_interval(intervalMs)
{
}

void TScriptEcho::Start()
{
    m_pending.clear();
    m_hasPending = false;
    m_lines = 0;
    m_batches = 0;
    m_pumps = 0;
    m_last = m_clock();
}

void TScriptEcho::Add(const QString& line)
{
    if (m_hasPending)
        m_pending += QLatin1Char('\n');
    m_pending += line;
    m_hasPending = true;
    ++m_lines;
    if (m_clock() - m_last < m_interval)
        return;
    Flush();
    ++m_pumps;
    if (Pump)
        Pump();
    // The time the events took does not count against the next batch.
    m_last = m_clock();
}

void TScriptEcho::Flush()
{
    if (!m_hasPending)
        return;
    // Taken first: the output may let events through that add more.
    const QString batch = std::move(m_pending);
    m_pending.clear();
    m_hasPending = false;
    ++m_batches;
    if (Output)
        Output(batch);
}
