#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace qv {

namespace {

constexpr std::array<int, 2> kSignals = {SIGTERM, SIGINT};

TerminationSignals* g_instance = nullptr;
int g_pipe[2] = {-1, -1};
std::atomic<bool> g_received{false};
struct sigaction g_previous[2];

void onSignal(int signal)
{
    const int saved = errno;
    g_received.store(true);
    const char number = char(signal);
    // Nothing else is safe here; a full pipe means one is on its way already.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &number, 1);
    errno = saved;
}

void install()
{
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // A second signal, while the first is being handled, ends the program
    // the default way: a shutdown that hangs can still be stopped.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    Q_ASSERT(!g_instance);
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("SIGTERM and SIGINT stay as they are: no pipe for them (%d)", errno);
        return;
    }
    g_instance = this;
    g_received.store(false);
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], nullptr, &g_previous[i]);
    install();
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::ReadPipe);
}

TerminationSignals::~TerminationSignals()
{
    if (g_instance != this)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    g_instance = nullptr;
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::Reclaim()
{
    if (!g_instance || g_received.load() || Installed())
        return;
    install();
}

bool TerminationSignals::Installed()
{
    for (int signal : kSignals) {
        struct sigaction current;
        if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO)
            || current.sa_handler != onSignal)
            return false;
    }
    return true;
}

void TerminationSignals::ReadPipe()
{
    char numbers[16];
    ssize_t n;
    while ((n = ::read(g_pipe[0], numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            emit Received(int(numbers[i]));
}

} // namespace qv
