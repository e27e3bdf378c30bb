#include "platform/DialogScript.h"
#include "platform/EventPump.h"
#include "platform/Help.h"
#include "platform/Links.h"
#include "platform/WaitCursor.h"

#include <QApplication>
#include <QCursor>
#include <QMetaObject>
#include <QObject>

#include <gtest/gtest.h>

using namespace qv;

TEST(Help, RecordsTheRequestAndSaysThereIsNone)
{
    clearHelpRequests();
    DialogScript script;
    script.answerMessage(mrOk);
    script.answerMessage(mrOk);
    showHelpContext(17);
    showHelpTopic(QStringLiteral("Table editor"));
    ASSERT_EQ(helpRequests().size(), 2u);
    EXPECT_EQ(helpRequests()[0].context, 17);
    EXPECT_TRUE(helpRequests()[0].topic.isEmpty());
    EXPECT_EQ(helpRequests()[1].topic, QStringLiteral("Table editor"));
    EXPECT_EQ(script.messages(), (QStringList{QStringLiteral("No help available for this topic."),
                                              QStringLiteral("No help available for this topic.")}));
    clearHelpRequests();
    EXPECT_TRUE(helpRequests().empty());
}

TEST(Links, TheHookSeesTheLinkAndIsRestored)
{
    QList<QUrl> opened;
    {
        ScopedLinkOpener hook([&](const QUrl& url) {
            opened << url;
            return true;
        });
        EXPECT_TRUE(openLink(QUrl(QStringLiteral("mailto:someone@example.org"))));
        {
            ScopedLinkOpener refusing([](const QUrl&) { return false; });
            EXPECT_FALSE(openLink(QUrl(QStringLiteral("http://example.org/"))));
        }
        EXPECT_TRUE(openLink(QUrl(QStringLiteral("http://example.org/x"))));
    }
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(QStringLiteral("mailto:someone@example.org")),
                                   QUrl(QStringLiteral("http://example.org/x"))}));
    EXPECT_FALSE(setLinkOpener({}));   // the desktop's opener is back
}

TEST(WaitCursor, ShowsTheHourglassWhileAliveOnEveryPath)
{
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    try {
        WaitCursor outer;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            WaitCursor inner;
            EXPECT_EQ(WaitCursor::depth(), 2);
        }
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        throw std::runtime_error("statement failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(WaitCursor::depth(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(EventPump, NestedPumpingReturnsAtOnce)
{
    QObject context;
    QStringList order;
    QMetaObject::invokeMethod(&context, [&] {
        order << QStringLiteral("A starts");
        processMessages();   // inside a pump: must not run B here
        order << QStringLiteral("A ends");
    }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(&context, [&] { order << QStringLiteral("B"); }, Qt::QueuedConnection);
    processMessages();
    EXPECT_EQ(order, (QStringList{QStringLiteral("A starts"), QStringLiteral("A ends"),
                                  QStringLiteral("B")}));
}

TEST(EventPump, BusyGuardRefusesASecondEntry)
{
    QObject window;
    QObject other;
    {
        BusyGuard first(&window);
        EXPECT_TRUE(first.acquired());
        EXPECT_TRUE(BusyGuard::isBusy(&window));
        EXPECT_FALSE(BusyGuard::isBusy(&other));
        {
            BusyGuard second(&window);
            EXPECT_FALSE(second.acquired());
        }
        EXPECT_TRUE(BusyGuard::isBusy(&window));   // the failed second guard left it busy
    }
    EXPECT_FALSE(BusyGuard::isBusy(&window));
}
