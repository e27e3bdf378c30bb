#include "components/SystemUtils.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

class EventCounter : public QObject
{
public:
    int user = 0;
    int quit = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            ++user;
        else if (e->type() == QEvent::Quit)
            ++quit;
        return QObject::event(e);
    }
};

TEST(PendingEvents, DiscardedEventsAreNeverDelivered)
{
    EventCounter receiver;
    EventCounter other;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&other, new QEvent(QEvent::User));
    DiscardPendingMessage(&receiver, QEvent::User);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(receiver.user, 0);
    EXPECT_EQ(other.user, 1);
}

TEST(PendingEvents, QuitIsKept)
{
    EventCounter receiver;
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::Quit));
    DiscardPendingMessage(&receiver, QEvent::Quit);
    QCoreApplication::sendPostedEvents(&receiver, QEvent::Quit);
    EXPECT_EQ(receiver.quit, 1);
    DiscardPendingMessage(nullptr, QEvent::User); // no receiver: nothing happens
}

TEST(ActiveWindow, BelongsToTheGuiThreadOnly)
{
    QWidget window;
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_EQ(QApplication::activeWindow(), &window);
    EXPECT_TRUE(ActiveWindowInThisThread());

    bool inWorker = true;
    std::thread worker([&] { inWorker = ActiveWindowInThisThread(); });
    worker.join();
    EXPECT_FALSE(inWorker);

    window.close();
    QApplication::setActiveWindow(nullptr);
    EXPECT_FALSE(ActiveWindowInThisThread());
}

TEST(GlobalBlocks, ZeroFilledAndFreedOnce)
{
    TGlobalBlock block = AllocGlobalBlock(64);
    ASSERT_TRUE(block);
    EXPECT_TRUE(std::all_of(block.get(), block.get() + 64, [](std::byte b) { return b == std::byte{0}; }));
    FreeGlobalBlock(block);
    EXPECT_FALSE(block);
    FreeGlobalBlock(block);
    EXPECT_FALSE(block);
    EXPECT_FALSE(AllocGlobalBlock(0));
    EXPECT_FALSE(AllocGlobalBlock(-8));
}

} // namespace
