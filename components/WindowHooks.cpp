#include "components/WindowHooks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPlatformSurfaceEvent>
#include <QWidget>

namespace {

// The native window's going away must reach the widget whatever a hook says,
// or the widget would keep a dangling native handle.
bool mustReachControl(const QEvent* event)
{
    if (event->type() != QEvent::PlatformSurface)
        return false;
    return static_cast<const QPlatformSurfaceEvent*>(event)->surfaceEventType()
           == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed;
}

} // namespace

TControlHook::TControlHook(QWidget* control)
    : QObject(control)
    , m_control(control)
{
}

TControlHook* TControlHook::find(const QWidget* control)
{
    if (!control)
        return nullptr;
    const auto candidates =
        control->findChildren<TControlHook*>(QString(), Qt::FindDirectChildrenOnly);
    for (TControlHook* hook : candidates) {
        if (!hook->m_released)
            return hook;
    }
    return nullptr;
}

TControlHook* TControlHook::forControl(QWidget* control)
{
    if (TControlHook* existing = find(control))
        return existing;
    auto* hook = new TControlHook(control);
    // Filters survive the re-creation of the native window, so installing once
    // for the widget's lifetime is enough.
    control->installEventFilter(hook);
    return hook;
}

void TControlHook::addHook(TQcWindowHook* hook)
{
    for (const auto& known : std::as_const(m_hooks)) {
        if (known == hook)
            return;
    }
    m_hooks.append(hook);
}

void TControlHook::removeHook(TQcWindowHook* hook)
{
    m_hooks.removeIf([hook](const QPointer<TQcWindowHook>& known) {
        return known.isNull() || known == hook;
    });
    if (m_hooks.isEmpty())
        release();
}

int TControlHook::hookCount() const
{
    int count = 0;
    for (const auto& hook : m_hooks) {
        if (hook)
            ++count;
    }
    return count;
}

void TControlHook::release()
{
    if (m_released)
        return;
    m_released = true;
    if (m_control)
        m_control->removeEventFilter(this);
    // A hook may be leaving from inside one of its own handlers: free the
    // filter only once the event that runs it is over.
    deleteLater();
}

QList<QPointer<TQcWindowHook>> TControlHook::liveHooks() const
{
    QList<QPointer<TQcWindowHook>> hooks;
    for (const auto& hook : m_hooks) {
        if (hook && hook->Active())
            hooks.append(hook);
    }
    return hooks;
}

bool TControlHook::eventFilter(QObject* watched, QEvent* event)
{
    if (m_released || watched != m_control || m_redelivering.contains(event))
        return false;

    // Handlers may add or remove hooks while they run: walk a snapshot and
    // skip hooks that went away or were switched off meanwhile.
    const QList<QPointer<TQcWindowHook>> hooks = liveHooks();
    THookMessage message{event, false};
    bool handled = false;
    if (event->type() != QEvent::Quit) {
        for (auto it = hooks.crbegin(); it != hooks.crend() && !handled; ++it) {
            TQcWindowHook* hook = *it;
            if (hook && hook->Active() && hook->BeforeMessage())
                hook->BeforeMessage()(*hook, message, handled);
        }
    }
    if (handled && !mustReachControl(event))
        return true;

    bool wantsAfter = false;
    for (const auto& hook : hooks) {
        if (hook && hook->Active() && hook->AfterMessage())
            wantsAfter = true;
    }
    if (!wantsAfter)
        return false;

    // Deliver the event down the rest of the chain now, so the answer is known
    // to the after-handlers; this filter lets that delivery pass.
    const QPointer<TControlHook> self(this);
    const QPointer<QWidget> control(m_control);
    m_redelivering.append(event);
    message.result = QCoreApplication::sendEvent(control, event);
    if (!self)
        return true;
    m_redelivering.removeOne(event);
    if (!control)
        return true;

    handled = false;
    for (auto it = hooks.crbegin(); it != hooks.crend() && !handled; ++it) {
        TQcWindowHook* hook = *it;
        if (hook && hook->Active() && hook->AfterMessage())
            hook->AfterMessage()(*hook, message, handled);
    }
    return true;
}

TQcWindowHook::TQcWindowHook(QObject* owner)
    : QObject(owner)
{
}

TQcWindowHook::~TQcWindowHook()
{
    unregisterHook();
    QObject::disconnect(m_controlDestroyed);
}

void TQcWindowHook::SetActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    if (m_active)
        registerHook();
    else
        unregisterHook();
}

void TQcWindowHook::SetWinControl(QWidget* control)
{
    if (m_control == control)
        return;
    unregisterHook();
    QObject::disconnect(m_controlDestroyed);
    m_control = control;
    if (m_control) {
        m_controlDestroyed = connect(m_control, &QObject::destroyed, this, [this] {
            m_controlHook.clear();
            m_control.clear();
        });
    }
    if (m_active)
        registerHook();
}

bool TQcWindowHook::IsRegistered() const
{
    return m_controlHook && m_control;
}

void TQcWindowHook::registerHook()
{
    if (!m_active || !m_control)
        return;
    TControlHook* controlHook = TControlHook::forControl(m_control);
    if (m_controlHook && m_controlHook != controlHook)
        m_controlHook->removeHook(this);
    controlHook->addHook(this);
    m_controlHook = controlHook;
}

void TQcWindowHook::unregisterHook()
{
    if (m_controlHook)
        m_controlHook->removeHook(this);
    m_controlHook.clear();
}
