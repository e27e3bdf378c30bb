#pragma once

// Letting pending messages through during long work, without letting the
// work be started again or its window be closed under it.

class QObject;

namespace qv {

// Runs the pending events once. A call made while one is already running
// (from a handler it dispatched) returns at once.
void processMessages();

// Marks an object (usually a window) busy while alive. A second guard on the
// same object is not acquired: its handler should return at once. Close
// handlers refuse to close while BusyGuard::isBusy(this).
class BusyGuard
{
public:
    explicit BusyGuard(const QObject* owner);
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    bool acquired() const { return m_acquired; }
    static bool isBusy(const QObject* owner);

private:
    const QObject* m_owner;
    bool m_acquired;
};

} // namespace qv
