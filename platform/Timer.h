#pragma once

// A timer on the GUI thread, as QTimer, whose clock a test can take over.
// While a ManualClock exists, every timer started meanwhile runs on that
// clock instead of the wall clock and fires only when the test advances it,
// so a test of a repeat or idle interval never depends on how busy the
// machine is.

#include <QObject>

namespace qv {

class ManualClock;

class Timer : public QObject
{
    Q_OBJECT

public:
    explicit Timer(QObject* parent = nullptr);
    ~Timer() override;

    int interval() const { return m_interval; }
    // A running timer starts over with the new interval, as QTimer does.
    void setInterval(int milliseconds);
    bool isSingleShot() const { return m_singleShot; }
    void setSingleShot(bool singleShot);
    bool isActive() const;

    // (Re)starts with the interval; start(ms) sets the interval first.
    void start();
    void start(int milliseconds);
    void stop();

signals:
    void timeout();

private:
    friend class ManualClock;

    void Fire();

    class Real;
    Real* m_real = nullptr;        // the wall-clock timer, made on first use
    ManualClock* m_clock = nullptr; // the test clock this runs on, while it does
    qint64 m_deadline = 0;
    int m_interval = 0;
    bool m_singleShot = false;
};

// The test clock. One at a time; timers started while it exists run on it.
class ManualClock
{
public:
    ManualClock();
    // Timers still on it stop.
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    // Milliseconds since the clock was made.
    qint64 now() const { return m_now; }
    // Moves time on, firing every timer whose deadline falls within the step,
    // earliest first and each as often as it falls due; a handler may start
    // and stop timers, and what it starts fires within the step too.
    void advance(int milliseconds);
    // The clock while one exists, else none.
    static ManualClock* current();
    // Timers running on it.
    int activeTimers() const;

private:
    friend class Timer;

    void Add(Timer* timer);
    void Remove(Timer* timer);

    qint64 m_now = 0;
    QList<Timer*> m_timers;
};

} // namespace qv
