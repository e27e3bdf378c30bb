// A SQL monitor reader for the trace tests, run as a separate process:
//
//   qv_monitor_reader PREFIX read N     registers, prints "READY", copies N
//                                       chunks and prints each as
//                                       "CHUNK <length>" + a line break + the
//                                       bytes + a line break, then unregisters
//   qv_monitor_reader PREFIX register   registers and exits without
//                                       unregistering (a reader that died)
//   qv_monitor_reader PREFIX hold       takes the mutex and exits holding it
//   qv_monitor_reader PREFIX counters   prints "COUNTERS <chunk length>
//                                       <readers to finish> <registered>"
//
// Every wait is bounded (10 s), so a broken writer fails the test instead of
// hanging it; exit code 2 means a wait ran out.

#include "access/QvSQLMonitorShared.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

constexpr int readerWait = 10000;

void print(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

bool changeRegistration(QvMonitorChannel& channel, int delta)
{
    if (!channel.mutex().lock(readerWait))
        return false;
    if (delta > 0)
        QvMonitorChannel::increment(channel.registeredReaders());
    else
        QvMonitorChannel::decrement(channel.registeredReaders());
    channel.mutex().unlock();
    return true;
}

// Waits for the previous chunk to be finished, counts itself in, tells the
// writer when every registered reader is in, and waits for the chunk.
bool beginRead(QvMonitorChannel& channel, bool announce)
{
    if (!channel.writeFinishedEvent().wait(readerWait))
        return false;
    const std::int32_t ready = QvMonitorChannel::increment(channel.readersToFinish());
    if (ready == QvMonitorChannel::load(channel.registeredReaders()))
        channel.readEvent().set();
    if (announce)
        print("READY\n");
    return channel.writeEvent().wait(readerWait);
}

// The last reader out re-arms "ReadEvent" and lets the writer go on.
void endRead(QvMonitorChannel& channel)
{
    if (QvMonitorChannel::decrement(channel.readersToFinish()) == 0) {
        channel.readEvent().reset();
        channel.readFinishedEvent().set();
    }
}

int readChunks(QvMonitorChannel& channel, int count)
{
    if (!changeRegistration(channel, +1))
        return 2;
    for (int i = 0; i < count; ++i) {
        if (!beginRead(channel, i == 0)) {
            changeRegistration(channel, -1);
            return 2;
        }
        const std::int32_t length = QvMonitorChannel::load(channel.chunkLength());
        const QByteArray chunk(channel.text(), length);
        endRead(channel);
        print("CHUNK " + QByteArray::number(length) + '\n' + chunk + '\n');
    }
    changeRegistration(channel, -1);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: qv_monitor_reader PREFIX read N | register | hold | counters\n");
        return 1;
    }
    try {
        QvMonitorChannel channel(QString::fromUtf8(argv[1]));
        const QByteArray mode = argv[2];
        if (mode == "read" && argc > 3)
            return readChunks(channel, std::atoi(argv[3]));
        if (mode == "register")
            return changeRegistration(channel, +1) ? 0 : 2;
        if (mode == "hold") {
            // Ends as a crash would: nothing is released or unmapped.
            std::_Exit(channel.mutex().lock(readerWait) ? 0 : 2);
        }
        if (mode == "counters") {
            print("COUNTERS " + QByteArray::number(QvMonitorChannel::load(channel.chunkLength())) + ' '
                  + QByteArray::number(QvMonitorChannel::load(channel.readersToFinish())) + ' '
                  + QByteArray::number(QvMonitorChannel::load(channel.registeredReaders())) + '\n');
            return 0;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 3;
    }
    std::fprintf(stderr, "unknown mode\n");
    return 1;
}
