#pragma once

// The named objects a SQL monitor reader shares with every writer: a 1024-byte
// block, a recursive mutex over it and four manual-reset events. Each is a
// POSIX shared memory object named "/" + prefix + kind, private to the user
// (mode 0600); the first process to open one sizes and initialises it, later
// ones take it as it is.

#include <QString>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

static_assert(std::endian::native == std::endian::little,
              "the monitor block's counters are little-endian 32-bit integers");

// Block layout: the chunk text, then three signed 32-bit counters.
constexpr int QvMonitorBlockSize = 1024;
constexpr int QvMonitorTextSize = 1012;
constexpr int QvMonitorChunkLengthOffset = 1012;
constexpr int QvMonitorReadersToFinishOffset = 1016;
constexpr int QvMonitorRegisteredOffset = 1020;
// One wait of the handshake; a reader that misses one is dropped.
constexpr int QvMonitorWaitPeriod = 2000;
// Longest wait for the mutex. A writer holding it waits at most a few periods
// per chunk for readers that stopped answering; longer means the holder hangs.
constexpr int QvMonitorLockTimeout = 10000;

// The names of the real objects: "/Qv.SQL.MONITOR.Mutex" and so on.
extern const QString QvMonitorDefaultPrefix;

// A shared memory object mapped read-write. `prepare` runs while the object is
// locked against every other opener, with `isNew` true when this process made
// it (its bytes are then all zero).
class QvSharedMemory
{
public:
    using Preparer = std::function<void(void* data, bool isNew)>;

    QvSharedMemory(const QString& name, std::size_t size, const Preparer& prepare = {});
    ~QvSharedMemory();
    QvSharedMemory(const QvSharedMemory&) = delete;
    QvSharedMemory& operator=(const QvSharedMemory&) = delete;

    void* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool created() const { return m_created; }

    // Removes the name; processes that have the object keep it.
    static void unlink(const QString& name);

private:
    void release();

    int m_fd = -1;
    void* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_created = false;
};

// A recursive, process-shared mutex that survives the death of its owner (the
// next locker takes it over).
class QvNamedMutex
{
public:
    explicit QvNamedMutex(const QString& name);

    // False when the mutex was not had within the time-out.
    bool lock(int timeoutMs);
    void unlock();

private:
    QvSharedMemory m_memory;
};

// A manual-reset event: stays signalled until reset, and signalling it wakes
// every waiter. Waiting is a futex on the state word, which keeps no record of
// its waiters, so a waiter that dies can never block a later signal.
class QvNamedEvent
{
public:
    // `initiallySet` applies only when this process makes the event.
    QvNamedEvent(const QString& name, bool initiallySet);

    void set();
    void reset();
    bool isSet() const;
    // True when the event was signalled within the time-out.
    bool wait(int timeoutMs);

private:
    std::uint32_t* state() const;

    QvSharedMemory m_memory;
};

// The six objects of the trace, opened or made in the order the writer takes
// them, with the block's counters. Raises client error 52 with the system's
// error code when one of them cannot be made or opened.
class QvMonitorChannel
{
public:
    explicit QvMonitorChannel(const QString& prefix = QvMonitorDefaultPrefix);
    ~QvMonitorChannel();
    QvMonitorChannel(const QvMonitorChannel&) = delete;
    QvMonitorChannel& operator=(const QvMonitorChannel&) = delete;

    static QString mutexName(const QString& prefix);
    static QString sharedMemName(const QString& prefix);
    static QString writeEventName(const QString& prefix);
    static QString writeFinishedEventName(const QString& prefix);
    static QString readEventName(const QString& prefix);
    static QString readFinishedEventName(const QString& prefix);
    // Removes all six names (tests clean up their private sets with it).
    static void unlinkAll(const QString& prefix);

    QvNamedMutex& mutex() { return *m_mutex; }
    QvNamedEvent& writeEvent() { return *m_writeEvent; }
    QvNamedEvent& writeFinishedEvent() { return *m_writeFinishedEvent; }
    QvNamedEvent& readEvent() { return *m_readEvent; }
    QvNamedEvent& readFinishedEvent() { return *m_readFinishedEvent; }
    bool blockCreated() const { return m_memory->created(); }

    char* text() const { return m_block; }
    // The three counters, changed by readers of other processes at any time.
    std::int32_t* chunkLength() const { return m_chunkLength; }
    std::int32_t* readersToFinish() const { return m_readersToFinish; }
    std::int32_t* registeredReaders() const { return m_registeredReaders; }

    static std::int32_t load(const std::int32_t* counter);
    static void store(std::int32_t* counter, std::int32_t value);
    // Both give the counter's new value.
    static std::int32_t increment(std::int32_t* counter);
    static std::int32_t decrement(std::int32_t* counter);

private:
    // Fields in the order the writer's handles are kept.
    std::unique_ptr<QvSharedMemory> m_memory;
    std::unique_ptr<QvNamedMutex> m_mutex;
    std::unique_ptr<QvNamedEvent> m_writeEvent;
    std::unique_ptr<QvNamedEvent> m_writeFinishedEvent;
    std::unique_ptr<QvNamedEvent> m_readEvent;
    std::unique_ptr<QvNamedEvent> m_readFinishedEvent;
    char* m_block = nullptr;
    std::int32_t* m_registeredReaders = nullptr;
    std::int32_t* m_readersToFinish = nullptr;
    std::int32_t* m_chunkLength = nullptr;
};
