#include "platform/EventPump.h"

#include <QCoreApplication>

#include <set>

namespace qv {

namespace {

bool g_pumping = false;

std::set<const QObject*>& busyObjects()
{
    static std::set<const QObject*> objects;
    return objects;
}

} // namespace

void processMessages()
{
    if (g_pumping)
        return;
    g_pumping = true;
    struct Reset
    {
        ~Reset() { g_pumping = false; }
    } reset;
    QCoreApplication::processEvents();
}

BusyGuard::BusyGuard(const QObject* owner)
    : m_owner(owner), m_acquired(busyObjects().insert(owner).second)
{
}

BusyGuard::~BusyGuard()
{
    if (m_acquired)
        busyObjects().erase(m_owner);
}

bool BusyGuard::isBusy(const QObject* owner)
{
    return busyObjects().count(owner) != 0;
}

} // namespace qv
