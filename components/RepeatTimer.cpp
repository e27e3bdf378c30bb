#include "components/RepeatTimer.h"

#include <QTimer>

namespace {

class QtRepeatTimer : public TRepeatTimer
{
public:
    QtRepeatTimer()
    {
        // A coarse timer may fire up to 5 % early.
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (OnTimer)
                OnTimer();
        });
    }

    void Start(int ms) override { m_timer.start(ms); }
    void SetInterval(int ms) override { m_timer.setInterval(ms); }
    void Stop() override { m_timer.stop(); }
    bool Active() const override { return m_timer.isActive(); }
    int Interval() const override { return m_timer.interval(); }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<TRepeatTimer> MakeRepeatTimer()
{
    return std::make_unique<QtRepeatTimer>();
}
