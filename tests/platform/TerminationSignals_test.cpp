// SIGTERM and SIGINT as an event: the handler only writes into a pipe, the
// program hears of it in its event loop, and handlers another library put
// in their place are taken back.

#include "platform/TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {

void takeOver(int signal)
{
    struct sigaction other = {};
    other.sa_handler = SIG_IGN;
    sigemptyset(&other.sa_mask);
    ::sigaction(signal, &other, nullptr);
}

} // namespace

TEST(TerminationSignals, ASignalArrivesAsAnEventAndTakenHandlersAreReclaimed)
{
    struct sigaction before = {};
    ::sigaction(SIGTERM, nullptr, &before);
    {
        qv::TerminationSignals termination;
        QSignalSpy received(&termination, &qv::TerminationSignals::Received);
        EXPECT_TRUE(qv::TerminationSignals::Installed());

        // As the database client does on its first attachment.
        takeOver(SIGTERM);
        EXPECT_FALSE(qv::TerminationSignals::Installed());
        qv::TerminationSignals::Reclaim();
        EXPECT_TRUE(qv::TerminationSignals::Installed());
        takeOver(SIGINT);
        qv::TerminationSignals::Reclaim();
        EXPECT_TRUE(qv::TerminationSignals::Installed());

        ASSERT_EQ(::raise(SIGTERM), 0);
        EXPECT_TRUE(received.isEmpty()) << "nothing runs inside the handler";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 60000));
        ASSERT_EQ(received.size(), 1);
        EXPECT_EQ(received.first().first().toInt(), SIGTERM);
        // Once one has come, a second ends the program the default way, and
        // nothing takes the handlers back any more.
        struct sigaction now = {};
        ::sigaction(SIGTERM, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL);
        qv::TerminationSignals::Reclaim();
        EXPECT_FALSE(qv::TerminationSignals::Installed());
    }
    // Gone, it leaves the handlers as it found them.
    struct sigaction after = {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    EXPECT_FALSE(qv::TerminationSignals::Installed());
    qv::TerminationSignals::Reclaim();
    EXPECT_FALSE(qv::TerminationSignals::Installed()) << "no instance, nothing to reclaim";
}
