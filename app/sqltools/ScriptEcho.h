#pragma once

// The echo of a running script. A long script reads thousands of lines a
// second; handing each one to a text control, and letting the events through
// after each, would cost more than running the script. The echo collects the
// lines and hands them on in batches, and lets the events through, at most
// once per interval of its clock.

#include <QString>

#include <functional>

class TScriptEcho
{
public:
    // Milliseconds, never going back. Tests pass a clock of their own.
    using TClock = std::function<qint64()>;
    static constexpr qint64 kDefaultInterval = 40;

    // The monotonic clock of the system.
    static TClock SteadyClock();

    explicit TScriptEcho(TClock clock = SteadyClock(), qint64 intervalMs = kDefaultInterval);

    void SetClock(TClock clock) { m_clock = std::move(clock); }
    qint64 Interval() const { return m_interval; }

    // Receives each batch: its lines joined by line feeds.
    std::function<void(const QString& lines)> Output;
    // Lets the pending events through, after the batch went out.
    std::function<void()> Pump;

    // A run begins: the first interval counts from now.
    void Start();
    void Add(const QString& line);
    // Hands on the lines still waiting.
    void Flush();

    // For tests and benchmarks.
    qint64 Lines() const { return m_lines; }
    int Batches() const { return m_batches; }
    int Pumps() const { return m_pumps; }

private:
    TClock m_clock;
    qint64 m_interval;
    qint64 m_last = 0;
    QString m_pending;
    bool m_hasPending = false;
    qint64 m_lines = 0;
    int m_batches = 0;
    int m_pumps = 0;
};
