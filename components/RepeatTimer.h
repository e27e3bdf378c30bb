#pragma once

// The timer that repeats a held button: started with a first pause, then
// re-armed with a shorter interval by its owner on each tick. Buttons take
// it from a factory, so a test can replace it with one it ticks by hand and
// never waits for the clock.

#include <functional>
#include <memory>

class QObject;

class TRepeatTimer
{
public:
    virtual ~TRepeatTimer() = default;

    virtual void Start(int ms) = 0;
    // The interval from the next tick on; a running timer keeps running.
    virtual void SetInterval(int ms) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
    virtual int Interval() const = 0;

    // Called on each tick, on the GUI thread.
    std::function<void()> OnTimer;
};

using TRepeatTimerFactory = std::function<std::unique_ptr<TRepeatTimer>()>;

// The real one: a precise timer on the GUI thread (platform/Timer.h), which a
// test's qv::ManualClock drives as well.
std::unique_ptr<TRepeatTimer> MakeRepeatTimer();
