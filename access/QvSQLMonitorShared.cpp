#include "access/QvSQLMonitorShared.h"

#include "access/Qv.h"

#include <cerrno>
#include <climits>
#include <ctime>

#include <fcntl.h>
#include <linux/futex.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

const QString QvMonitorDefaultPrefix = QStringLiteral("Qv.SQL.MONITOR.");

namespace {

// Marks an object whose maker finished initialising it; a maker that died
// half-way leaves it unmarked and the next opener initialises it again.
constexpr std::uint32_t readyMark = 0x51764D4Fu;

[[noreturn]] void creationFailed(int error)
{
    QvError(qveCannotCreateSharedResource, {error});
}

[[noreturn]] void operationFailed(int error)
{
    QvError(qveWindowsAPIError, {error, error});
}

timespec deadlineAfter(int timeoutMs)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    long long nanoseconds = now.tv_nsec + (long long)(timeoutMs % 1000) * 1000000LL;
    timespec deadline{};
    deadline.tv_sec = now.tv_sec + timeoutMs / 1000 + time_t(nanoseconds / 1000000000LL);
    deadline.tv_nsec = long(nanoseconds % 1000000000LL);
    return deadline;
}

// Time left until the deadline; false once it has passed.
bool remainingUntil(const timespec& deadline, timespec& remaining)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    long long nanoseconds = (long long)(deadline.tv_sec - now.tv_sec) * 1000000000LL
                            + (deadline.tv_nsec - now.tv_nsec);
    if (nanoseconds <= 0)
        return false;
    remaining.tv_sec = time_t(nanoseconds / 1000000000LL);
    remaining.tv_nsec = long(nanoseconds % 1000000000LL);
    return true;
}

// Holds the creation lock of a shared memory object; the kernel drops it when
// the holder dies, so a crashed maker never blocks anyone.
class CreationLock
{
public:
    explicit CreationLock(int fd) : m_fd(fd)
    {
        int result;
        do
            result = flock(m_fd, LOCK_EX);
        while (result != 0 && errno == EINTR);
        if (result != 0)
            creationFailed(errno);
    }
    ~CreationLock() { flock(m_fd, LOCK_UN); }
    CreationLock(const CreationLock&) = delete;
    CreationLock& operator=(const CreationLock&) = delete;

private:
    int m_fd;
};

struct MutexObject
{
    std::uint32_t ready;
    pthread_mutex_t mutex;
};

struct EventObject
{
    std::uint32_t ready;
    std::uint32_t state;
};

void initializeMutex(pthread_mutex_t* mutex)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    const int result = pthread_mutex_init(mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    if (result != 0)
        creationFailed(result);
}

long futex(std::uint32_t* word, int operation, std::uint32_t value, const timespec* timeout)
{
    return syscall(SYS_futex, word, operation, value, timeout, nullptr, 0);
}

} // namespace

QvSharedMemory::QvSharedMemory(const QString& name, std::size_t size, const Preparer& prepare)
    : m_size(size)
{
    const QByteArray path = name.toUtf8();
    m_fd = shm_open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (m_fd < 0)
        creationFailed(errno);
    try {
        struct stat info{};
        if (fstat(m_fd, &info) != 0)
            creationFailed(errno);
        // An object someone else made, or opened up to others, is not ours to
        // trace into.
        if (info.st_uid != geteuid() || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
            creationFailed(EACCES);
        CreationLock lock(m_fd);
        if (fstat(m_fd, &info) != 0)
            creationFailed(errno);
        if (info.st_size == 0) {
            if (ftruncate(m_fd, off_t(size)) != 0)
                creationFailed(errno);
            m_created = true;
        } else if (std::size_t(info.st_size) != size) {
            creationFailed(EINVAL);
        }
        void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
        if (data == MAP_FAILED)
            creationFailed(errno);
        m_data = data;
        if (prepare)
            prepare(m_data, m_created);
    } catch (...) {
        release();
        throw;
    }
}

QvSharedMemory::~QvSharedMemory()
{
    release();
}

void QvSharedMemory::release()
{
    if (m_data)
        munmap(m_data, m_size);
    m_data = nullptr;
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

void QvSharedMemory::unlink(const QString& name)
{
    shm_unlink(name.toUtf8().constData());
}

QvNamedMutex::QvNamedMutex(const QString& name)
    : m_memory(name, sizeof(MutexObject), [](void* data, bool isNew) {
          auto* object = static_cast<MutexObject*>(data);
          if (isNew || __atomic_load_n(&object->ready, __ATOMIC_ACQUIRE) != readyMark) {
              initializeMutex(&object->mutex);
              __atomic_store_n(&object->ready, readyMark, __ATOMIC_RELEASE);
          }
      })
{
}

bool QvNamedMutex::lock(int timeoutMs)
{
    pthread_mutex_t* mutex = &static_cast<MutexObject*>(m_memory.data())->mutex;
    const timespec deadline = deadlineAfter(timeoutMs);
    const int result = pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, &deadline);
    if (result == 0)
        return true;
    if (result == ETIMEDOUT)
        return false;
    if (result == EOWNERDEAD) {
        // The owner died holding it: the counters it guards are plain numbers
        // that the time-out rules repair, so the mutex can be used on.
        pthread_mutex_consistent(mutex);
        return true;
    }
    operationFailed(result);
}

void QvNamedMutex::unlock()
{
    pthread_mutex_unlock(&static_cast<MutexObject*>(m_memory.data())->mutex);
}

QvNamedEvent::QvNamedEvent(const QString& name, bool initiallySet)
    : m_memory(name, sizeof(EventObject), [initiallySet](void* data, bool isNew) {
          auto* object = static_cast<EventObject*>(data);
          if (isNew || __atomic_load_n(&object->ready, __ATOMIC_ACQUIRE) != readyMark) {
              __atomic_store_n(&object->state, initiallySet ? 1u : 0u, __ATOMIC_SEQ_CST);
              __atomic_store_n(&object->ready, readyMark, __ATOMIC_RELEASE);
          }
      })
{
}

std::uint32_t* QvNamedEvent::state() const
{
    return &static_cast<EventObject*>(m_memory.data())->state;
}

void QvNamedEvent::set()
{
    __atomic_store_n(state(), 1u, __ATOMIC_SEQ_CST);
    futex(state(), FUTEX_WAKE, INT_MAX, nullptr);
}

void QvNamedEvent::reset()
{
    __atomic_store_n(state(), 0u, __ATOMIC_SEQ_CST);
}

bool QvNamedEvent::isSet() const
{
    return __atomic_load_n(state(), __ATOMIC_SEQ_CST) != 0;
}

bool QvNamedEvent::wait(int timeoutMs)
{
    const timespec deadline = deadlineAfter(timeoutMs);
    for (;;) {
        if (isSet())
            return true;
        timespec remaining{};
        if (!remainingUntil(deadline, remaining))
            return false;
        // Sleeps only while the word still reads "not signalled".
        if (futex(state(), FUTEX_WAIT, 0u, &remaining) != 0 && errno != EAGAIN && errno != EINTR
            && errno != ETIMEDOUT)
            operationFailed(errno);
    }
}

QString QvMonitorChannel::mutexName(const QString& prefix)
{
    return QLatin1Char('/') + prefix + QStringLiteral("Mutex");
}

QString QvMonitorChannel::sharedMemName(const QString& prefix)
{
    return QLatin1Char('/') + prefix + QStringLiteral("SharedMem");
}

QString QvMonitorChannel::writeEventName(const QString& prefix)
{
    return QLatin1Char('/') + prefix + QStringLiteral("WriteEvent");
}

QString QvMonitorChannel::writeFinishedEventName(const QString& prefix)
{
    return QLatin1Char('/') + prefix + QStringLiteral("WriteFinishedEvent");
}

QString QvMonitorChannel::readEventName(const QString& prefix)
{
    return QLatin1Char('/') + prefix + QStringLiteral("ReadEvent");
}

QString QvMonitorChannel::readFinishedEventName(const QString& prefix)
{
    return QLatin1Char('/') + prefix + QStringLiteral("ReadFinishedEvent");
}

void QvMonitorChannel::unlinkAll(const QString& prefix)
{
    for (const QString& name : {mutexName(prefix), sharedMemName(prefix), writeEventName(prefix),
                                writeFinishedEventName(prefix), readEventName(prefix),
                                readFinishedEventName(prefix)})
        QvSharedMemory::unlink(name);
}

QvMonitorChannel::QvMonitorChannel(const QString& prefix)
{
    m_mutex = std::make_unique<QvNamedMutex>(mutexName(prefix));
    if (!m_mutex->lock(QvMonitorLockTimeout))
        creationFailed(ETIMEDOUT);
    try {
        // The writer waits for ready readers to signal "ReadEvent" and resets
        // "ReadFinishedEvent" before every chunk: both start unsignalled.
        m_writeEvent = std::make_unique<QvNamedEvent>(writeEventName(prefix), false);
        m_writeFinishedEvent = std::make_unique<QvNamedEvent>(writeFinishedEventName(prefix), true);
        m_readEvent = std::make_unique<QvNamedEvent>(readEventName(prefix), false);
        m_readFinishedEvent = std::make_unique<QvNamedEvent>(readFinishedEventName(prefix), false);
        // A new object is zero-filled, so its counters start at 0; an existing
        // one keeps them.
        m_memory = std::make_unique<QvSharedMemory>(sharedMemName(prefix), std::size_t(QvMonitorBlockSize));
    } catch (...) {
        m_mutex->unlock();
        throw;
    }
    m_block = static_cast<char*>(m_memory->data());
    m_registeredReaders = reinterpret_cast<std::int32_t*>(m_block + QvMonitorRegisteredOffset);
    m_readersToFinish = reinterpret_cast<std::int32_t*>(m_block + QvMonitorReadersToFinishOffset);
    m_chunkLength = reinterpret_cast<std::int32_t*>(m_block + QvMonitorChunkLengthOffset);
    m_mutex->unlock();
}

QvMonitorChannel::~QvMonitorChannel()
{
    // Nothing here needs the mutex for long; a holder that hangs must not stop
    // this process from closing.
    bool locked = false;
    try {
        locked = m_mutex->lock(QvMonitorWaitPeriod);
    } catch (const EQvError&) {
    }
    m_memory.reset();
    m_writeEvent.reset();
    m_writeFinishedEvent.reset();
    m_readEvent.reset();
    m_readFinishedEvent.reset();
    if (locked)
        m_mutex->unlock();
}

std::int32_t QvMonitorChannel::load(const std::int32_t* counter)
{
    return __atomic_load_n(counter, __ATOMIC_SEQ_CST);
}

void QvMonitorChannel::store(std::int32_t* counter, std::int32_t value)
{
    __atomic_store_n(counter, value, __ATOMIC_SEQ_CST);
}

std::int32_t QvMonitorChannel::increment(std::int32_t* counter)
{
    return __atomic_add_fetch(counter, 1, __ATOMIC_SEQ_CST);
}

std::int32_t QvMonitorChannel::decrement(std::int32_t* counter)
{
    return __atomic_sub_fetch(counter, 1, __ATOMIC_SEQ_CST);
}
