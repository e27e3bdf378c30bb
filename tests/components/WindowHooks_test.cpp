#include "components/WindowHooks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPlatformSurfaceEvent>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QEvent::Type kProbe = static_cast<QEvent::Type>(QEvent::User + 17);

// A widget that counts the probe events its own handler gets.
class CountingWidget : public QWidget
{
public:
    int probes = 0;
    int surfaceNotices = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == kProbe) {
            ++probes;
            return true;
        }
        if (event->type() == QEvent::PlatformSurface)
            ++surfaceNotices;
        return QWidget::event(event);
    }
};

// Another party's filter, installed independently of the hooks.
class CountingFilter : public QObject
{
public:
    int probes = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == kProbe)
            ++probes;
        return false;
    }
};

void sendProbe(QWidget& widget)
{
    QEvent probe(kProbe);
    QCoreApplication::sendEvent(&widget, &probe);
}

THookMessageEvent recordProbe(QStringList& log, const QString& name, bool handle = false)
{
    return [&log, name, handle](TQcWindowHook&, THookMessage& message, bool& handled) {
        if (message.event->type() != kProbe)
            return;
        log << name;
        handled = handle;
    };
}

bool mustCount(const QEvent* event)
{
    return event->type() == QEvent::PlatformSurface
           && static_cast<const QPlatformSurfaceEvent*>(event)->surfaceEventType()
                  == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed;
}

} // namespace

TEST(WindowHookOrder, LastRegisteredSeesEventsFirst)
{
    CountingWidget widget;
    QStringList log;
    TQcWindowHook first;
    first.SetBeforeMessage(recordProbe(log, "first"));
    first.SetWinControl(&widget);
    TQcWindowHook second;
    second.SetBeforeMessage(recordProbe(log, "second"));
    second.SetWinControl(&widget);

    sendProbe(widget);

    EXPECT_EQ(log, (QStringList{"second", "first"}));
    EXPECT_EQ(widget.probes, 1);
    EXPECT_EQ(TControlHook::find(&widget)->hookCount(), 2);
}

TEST(WindowHookOrder, HandledEventReachesNeitherOlderHookNorWidget)
{
    CountingWidget widget;
    QStringList log;
    TQcWindowHook first;
    first.SetBeforeMessage(recordProbe(log, "first"));
    first.SetWinControl(&widget);
    TQcWindowHook second;
    second.SetBeforeMessage(recordProbe(log, "second", true));
    second.SetWinControl(&widget);

    sendProbe(widget);

    EXPECT_EQ(log, QStringList{"second"});
    EXPECT_EQ(widget.probes, 0);
}

TEST(WindowHookOrder, NativeWindowDestructionAlwaysReachesWidget)
{
    CountingWidget widget;
    TQcWindowHook hook;
    int seen = 0;
    hook.SetBeforeMessage([&seen](TQcWindowHook&, THookMessage& message, bool& handled) {
        if (message.event->type() == QEvent::PlatformSurface) {
            ++seen;
            handled = true;
        }
    });
    hook.SetWinControl(&widget);

    QPlatformSurfaceEvent notice(QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed);
    QCoreApplication::sendEvent(&widget, &notice);
    QPlatformSurfaceEvent created(QPlatformSurfaceEvent::SurfaceCreated);
    QCoreApplication::sendEvent(&widget, &created);

    EXPECT_EQ(seen, 2);
    EXPECT_EQ(widget.surfaceNotices, 1);  // only the destruction notice got through
}

TEST(WindowHookAfter, AfterHandlersSeeTheWidgetsAnswerNewestFirst)
{
    CountingWidget widget;
    QStringList log;
    TQcWindowHook first;
    first.SetAfterMessage([&](TQcWindowHook&, THookMessage& message, bool&) {
        if (message.event->type() == kProbe)
            log << QStringLiteral("first after %1 %2").arg(widget.probes).arg(int(message.result));
    });
    first.SetWinControl(&widget);
    TQcWindowHook second;
    second.SetBeforeMessage([&](TQcWindowHook&, THookMessage& message, bool&) {
        if (message.event->type() == kProbe)
            log << QStringLiteral("second before %1").arg(widget.probes);
    });
    second.SetAfterMessage([&](TQcWindowHook&, THookMessage& message, bool& handled) {
        if (message.event->type() == kProbe) {
            log << QStringLiteral("second after %1").arg(widget.probes);
            handled = true;
        }
    });
    second.SetWinControl(&widget);

    sendProbe(widget);

    EXPECT_EQ(log, (QStringList{"second before 0", "second after 1"}));
    EXPECT_EQ(widget.probes, 1);

    second.SetActive(false);
    log.clear();
    sendProbe(widget);
    EXPECT_EQ(log, QStringList{"first after 2 1"});
    EXPECT_EQ(widget.probes, 2);
}

TEST(WindowHookAfter, OlderFiltersStillSeeRedeliveredEventsOnce)
{
    CountingWidget widget;
    CountingFilter older;
    widget.installEventFilter(&older);
    TQcWindowHook hook;
    int after = 0;
    hook.SetAfterMessage([&after](TQcWindowHook&, THookMessage& message, bool&) {
        if (message.event->type() == kProbe)
            ++after;
    });
    hook.SetWinControl(&widget);

    sendProbe(widget);

    EXPECT_EQ(older.probes, 1);
    EXPECT_EQ(widget.probes, 1);
    EXPECT_EQ(after, 1);
}

TEST(WindowHookLifetime, RecreatedNativeWindowKeepsHooks)
{
    CountingWidget widget;
    QStringList log;
    TQcWindowHook hook;
    int surfacesLost = 0;
    hook.SetBeforeMessage([&](TQcWindowHook& sender, THookMessage& message, bool& handled) {
        if (mustCount(message.event))
            ++surfacesLost;
        recordProbe(log, "hook")(sender, message, handled);
    });
    hook.SetWinControl(&widget);
    widget.show();
    ASSERT_NE(widget.winId(), WId(0));

    // Docking into another window and back destroys and re-creates the native window.
    QWidget dock;
    widget.setParent(&dock);
    widget.setParent(nullptr);
    widget.show();
    EXPECT_NE(widget.winId(), WId(0));
    sendProbe(widget);

    EXPECT_EQ(surfacesLost, 1);
    EXPECT_EQ(log, QStringList{"hook"});
    EXPECT_TRUE(hook.IsRegistered());
}

TEST(WindowHookLifetime, LaterFilterKeepsWorkingWhenHookLeaves)
{
    CountingWidget widget;
    QStringList log;
    TQcWindowHook hook;
    hook.SetBeforeMessage(recordProbe(log, "hook"));
    hook.SetWinControl(&widget);
    CountingFilter later;
    widget.installEventFilter(&later);

    hook.SetActive(false);
    sendProbe(widget);

    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(later.probes, 1);
    EXPECT_EQ(widget.probes, 1);
    EXPECT_FALSE(hook.IsRegistered());
    EXPECT_EQ(TControlHook::find(&widget), nullptr);
}

TEST(WindowHookLifetime, HookLeavingFromItsOwnHandlerIsSafe)
{
    CountingWidget widget;
    TQcWindowHook hook;
    int seen = 0;
    hook.SetBeforeMessage([&seen](TQcWindowHook& sender, THookMessage& message, bool&) {
        if (message.event->type() != kProbe)
            return;
        ++seen;
        sender.SetWinControl(nullptr);
    });
    hook.SetWinControl(&widget);

    sendProbe(widget);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    sendProbe(widget);

    EXPECT_EQ(seen, 1);
    EXPECT_EQ(widget.probes, 2);
}

TEST(WindowHookLifetime, DestroyedControlClearsWinControl)
{
    TQcWindowHook hook;
    auto widget = std::make_unique<CountingWidget>();
    hook.SetWinControl(widget.get());
    ASSERT_TRUE(hook.IsRegistered());

    widget.reset();

    EXPECT_EQ(hook.WinControl(), nullptr);
    EXPECT_FALSE(hook.IsRegistered());
    hook.SetActive(false);
    hook.SetActive(true);  // nothing to register with, nothing to crash on
}

TEST(WindowHookLifetime, DestroyedHookLeavesWidgetWorking)
{
    CountingWidget widget;
    {
        TQcWindowHook hook;
        hook.SetBeforeMessage([](TQcWindowHook&, THookMessage&, bool& handled) { handled = true; });
        hook.SetWinControl(&widget);
    }
    sendProbe(widget);
    EXPECT_EQ(widget.probes, 1);
}

TEST(WindowHookLifetime, ChangingControlMovesTheHook)
{
    CountingWidget first;
    CountingWidget second;
    QStringList log;
    TQcWindowHook hook;
    hook.SetBeforeMessage(recordProbe(log, "hook", true));
    hook.SetWinControl(&first);
    hook.SetWinControl(&second);

    sendProbe(first);
    sendProbe(second);

    EXPECT_EQ(log, QStringList{"hook"});
    EXPECT_EQ(first.probes, 1);
    EXPECT_EQ(second.probes, 0);
    EXPECT_EQ(TControlHook::find(&first), nullptr);
}

TEST(WindowHookLifetime, InactiveHookRegistersWhenSwitchedOn)
{
    CountingWidget widget;
    QStringList log;
    TQcWindowHook hook;
    hook.SetActive(false);
    hook.SetBeforeMessage(recordProbe(log, "hook"));
    hook.SetWinControl(&widget);
    sendProbe(widget);
    EXPECT_TRUE(log.isEmpty());

    hook.SetActive(true);
    sendProbe(widget);
    EXPECT_EQ(log, QStringList{"hook"});
}
