#include "platform/Timer.h"

#include <QTimer>


namespace qv {

namespace {

ManualClock* g_clock = nullptr;

} // namespace

class Timer::Real : public QTimer
{
public:
    explicit Real(Timer* owner) : QTimer(owner)
    {
        // A coarse timer may fire up to 5 % early.
        setTimerType(Qt::PreciseTimer);
        connect(this, &QTimer::timeout, owner, &Timer::Fire);
    }
};

Timer::Timer(QObject* parent) : QObject(parent) {}

Timer::~Timer()
{
    if (m_clock)
        m_clock->Remove(this);
}

void Timer::setInterval(int milliseconds)
{
    m_interval = milliseconds < 0 ? 0 : milliseconds;
    if (m_real)
        m_real->setInterval(m_interval);
    if (m_clock)
        m_deadline = m_clock->now() + m_interval;
}

void Timer::setSingleShot(bool singleShot)
{
    m_singleShot = singleShot;
    if (m_real)
        m_real->setSingleShot(singleShot);
}

bool Timer::isActive() const
{
    return m_clock || (m_real && m_real->isActive());
}

void Timer::start(int milliseconds)
{
    setInterval(milliseconds);
    start();
}

void Timer::start()
{
    stop();
    if (ManualClock* clock = ManualClock::current()) {
        m_deadline = clock->now() + m_interval;
        clock->Add(this);
        return;
    }
    if (!m_real) {
        m_real = new Real(this);
        m_real->setSingleShot(m_singleShot);
    }
    m_real->start(m_interval);
}

void Timer::stop()
{
    if (m_clock)
        m_clock->Remove(this);
    if (m_real)
        m_real->stop();
}

void Timer::Fire()
{
    emit timeout();
}

ManualClock::ManualClock()
{
    Q_ASSERT(!g_clock);
    g_clock = this;
}

ManualClock::~ManualClock()
{
    for (Timer* timer : std::as_const(m_timers))
        timer->m_clock = nullptr;
    if (g_clock == this)
        g_clock = nullptr;
}

ManualClock* ManualClock::current()
{
    return g_clock;
}

int ManualClock::activeTimers() const
{
    return int(m_timers.size());
}

void ManualClock::Add(Timer* timer)
{
    timer->m_clock = this;
    if (!m_timers.contains(timer))
        m_timers.append(timer);
}

void ManualClock::Remove(Timer* timer)
{
    timer->m_clock = nullptr;
    m_timers.removeAll(timer);
}

void ManualClock::advance(int milliseconds)
{
    const qint64 target = m_now + (milliseconds < 0 ? 0 : milliseconds);
    for (;;) {
        // The earliest deadline within the step; among equal ones the timer
        // started first, as the event loop would have it.
        Timer* due = nullptr;
        for (Timer* timer : std::as_const(m_timers))
            if (timer->m_deadline <= target && (!due || timer->m_deadline < due->m_deadline))
                due = timer;
        if (!due)
            break;
        m_now = std::max(m_now, due->m_deadline);
        if (due->m_singleShot) {
            Remove(due);
        } else {
            // A zero interval would fire forever within one step: once per millisecond instead.
            due->m_deadline = m_now + std::max(due->m_interval, 1);
        }
        due->Fire();
    }
    m_now = target;
}

} // namespace qv
