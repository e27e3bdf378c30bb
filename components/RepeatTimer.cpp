#include "components/RepeatTimer.h"

#include "platform/Timer.h"

namespace {

// On the program's timer, which a test's clock (qv::ManualClock) drives as well.
class QtRepeatTimer : public TRepeatTimer
{
public:
    QtRepeatTimer()
    {
        QObject::connect(&m_timer, &qv::Timer::timeout, &m_timer, [this] {
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
    qv::Timer m_timer;
};

} // namespace

std::unique_ptr<TRepeatTimer> MakeRepeatTimer()
{
    return std::make_unique<QtRepeatTimer>();
}
