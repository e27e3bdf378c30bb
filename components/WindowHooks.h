#pragma once

// Watching every event of a widget before and after the widget's own handling,
// without the widget's cooperation. Hooks are event filters: the one registered
// last sees an event first, and a hook that marks an event handled keeps it from
// the other hooks and from the widget itself.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class QEvent;
class TQcWindowHook;

// One event as the hooks see it. result holds the watched widget's own answer
// (true: the event was consumed) once it has handled the event.
struct THookMessage
{
    QEvent* event = nullptr;
    bool result = false;
};

using THookMessageEvent =
    std::function<void(TQcWindowHook& sender, THookMessage& message, bool& handled)>;

// The one filter per watched widget shared by all hooks of that widget.
// It lives as a child of the widget, so it never outlives it.
class TControlHook : public QObject
{
    Q_OBJECT
public:
    // The control hook of a widget, made and installed when there is none.
    static TControlHook* forControl(QWidget* control);
    // The live control hook of a widget, or none.
    static TControlHook* find(const QWidget* control);

    void addHook(TQcWindowHook* hook);
    void removeHook(TQcWindowHook* hook);
    int hookCount() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TControlHook(QWidget* control);
    QList<QPointer<TQcWindowHook>> liveHooks() const;
    void release();

    QPointer<QWidget> m_control;
    QList<QPointer<TQcWindowHook>> m_hooks;
    QList<const QEvent*> m_redelivering;
    bool m_released = false;
};

class TQcWindowHook : public QObject
{
    Q_OBJECT
public:
    explicit TQcWindowHook(QObject* owner = nullptr);
    ~TQcWindowHook() override;

    bool Active() const { return m_active; }
    void SetActive(bool active);

    // The watched widget; cleared when that widget is destroyed.
    QWidget* WinControl() const { return m_control; }
    void SetWinControl(QWidget* control);

    // Run for every event before the widget sees it, newest hook first, until
    // one sets handled. A handled event reaches neither older hooks nor the
    // widget, except the native window's destruction notice, which always does.
    void SetBeforeMessage(THookMessageEvent handler) { m_beforeMessage = std::move(handler); }
    // Run after the widget handled an event, in the same order and with the
    // same stop rule. While any hook of a widget has one, that widget's events
    // are delivered by the hook itself so it can see the answer: filters
    // installed after the hook then see such an event twice.
    void SetAfterMessage(THookMessageEvent handler) { m_afterMessage = std::move(handler); }

    const THookMessageEvent& BeforeMessage() const { return m_beforeMessage; }
    const THookMessageEvent& AfterMessage() const { return m_afterMessage; }

    // True while the hook is in its widget's hook chain.
    bool IsRegistered() const;

private:
    void registerHook();
    void unregisterHook();

    bool m_active = true;
    QPointer<QWidget> m_control;
    QPointer<TControlHook> m_controlHook;
    QMetaObject::Connection m_controlDestroyed;
    THookMessageEvent m_beforeMessage;
    THookMessageEvent m_afterMessage;
};
