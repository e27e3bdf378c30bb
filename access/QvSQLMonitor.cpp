#include "access/QvSQLMonitor.h"

#include "access/QvQuery.h"
#include "access/QvSQLMonitorShared.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>

namespace {

const QString lineBreak = QStringLiteral("\r\n");

// The process-wide state of the trace. Kept in storage that is never
// destroyed, so a trace call made while static objects are being destroyed at
// exit still finds it; the hook itself is freed at exit.
struct HookState
{
    std::mutex guard;
    std::unique_ptr<TQvSQLMonitorHook> hook;
    std::unique_ptr<TQvSQLMonitorHook> inert;
    QString prefix = QvMonitorDefaultPrefix;
    bool enabled = true;
    bool shuttingDown = false;
    bool exitHandlerInstalled = false;
};

HookState& state()
{
    alignas(HookState) static unsigned char storage[sizeof(HookState)];
    static HookState* const instance = new (storage) HookState;
    return *instance;
}

void freeHookAtExit()
{
    HookState& s = state();
    std::unique_ptr<TQvSQLMonitorHook> hook;
    {
        const std::lock_guard<std::mutex> lock(s.guard);
        s.shuttingDown = true;
        hook = std::move(s.hook);
    }
}

void switchOff(const char* reason)
{
    HookState& s = state();
    {
        const std::lock_guard<std::mutex> lock(s.guard);
        if (!s.enabled)
            return;
        s.enabled = false;
    }
    qWarning("SQL monitor trace switched off: %s", reason);
}

QString statementOwnerName(const TQvQuery* query)
{
    // A dataset's statements trace under the dataset's name.
    const QObject* owner = query->parent();
    if (owner && owner->inherits("TQvCustomDataSet"))
        return owner->objectName();
    return query->objectName();
}

QString applicationTitle()
{
    return QCoreApplication::applicationName();
}

} // namespace

TQvSQLMonitorHook::TQvSQLMonitorHook(const QString& prefix)
    : m_channel(std::make_unique<QvMonitorChannel>(prefix))
{
}

TQvSQLMonitorHook::TQvSQLMonitorHook(Inert)
{
}

TQvSQLMonitorHook::~TQvSQLMonitorHook() = default;

int TQvSQLMonitorHook::GetMonitorCount()
{
    Lock();
    std::int32_t* registered = m_channel->registeredReaders();
    int count = QvMonitorChannel::load(registered);
    // A reader dropped for being slow still unregisters when it leaves; the
    // count it takes below zero would hide every later reader.
    if (count < 0) {
        QvMonitorChannel::store(registered, 0);
        count = 0;
    }
    Unlock();
    return count;
}

void TQvSQLMonitorHook::Lock()
{
    if (!m_channel->mutex().lock(QvMonitorLockTimeout))
        QvError(qveWindowsAPIError, {ETIMEDOUT, ETIMEDOUT});
}

void TQvSQLMonitorHook::Unlock()
{
    m_channel->mutex().unlock();
}

void TQvSQLMonitorHook::BeginWrite()
{
    Lock();
}

void TQvSQLMonitorHook::EndWrite()
{
    QvMonitorChannel& channel = *m_channel;
    std::int32_t* registered = channel.registeredReaders();
    std::int32_t* readersToFinish = channel.readersToFinish();
    // Every registered reader says it is ready; one that does not answer
    // within a period is taken to be gone. Once the readers still counted are
    // all ready the chunk goes to them: waiting for one more would drop a
    // reader that is alive.
    while (!channel.readEvent().wait(QvMonitorWaitPeriod)) {
        if (QvMonitorChannel::load(registered) > 0)
            QvMonitorChannel::decrement(registered);
        if (QvMonitorChannel::load(registered) <= QvMonitorChannel::load(readersToFinish))
            channel.readEvent().set();
    }
    channel.writeFinishedEvent().reset();
    channel.readFinishedEvent().reset();
    channel.writeEvent().set();
    while (!channel.readFinishedEvent().wait(QvMonitorWaitPeriod)) {
        if (QvMonitorChannel::load(readersToFinish) == 0
            || QvMonitorChannel::decrement(readersToFinish) == 0)
            channel.readFinishedEvent().set();
    }
    channel.writeEvent().reset();
    channel.writeFinishedEvent().set();
    Unlock();
}

void TQvSQLMonitorHook::WriteSQLData(const QString& text)
{
    const QByteArray record =
        (QStringLiteral("[Application: ") + applicationTitle() + QLatin1Char(']') + lineBreak + lineBreak + text)
            .toUtf8();
    Lock();
    struct Unlocker
    {
        TQvSQLMonitorHook* hook;
        ~Unlocker() { hook->Unlock(); }
    } unlocker{this};
    for (qsizetype position = 0; position < record.size();) {
        const qsizetype length = std::min<qsizetype>(record.size() - position, QvMonitorTextSize);
        BeginWrite();
        try {
            QvMonitorChannel::store(m_channel->chunkLength(), std::int32_t(length));
            std::memcpy(m_channel->text(), record.constData() + position, std::size_t(length));
            EndWrite();
        } catch (...) {
            // EndWrite releases its hold only when the handshake completes.
            Unlock();
            throw;
        }
        position += length;
    }
}

template <typename MakeRecord>
void TQvSQLMonitorHook::Trace(MakeRecord makeRecord) noexcept
{
    if (!m_channel || !MonitoringEnabled())
        return;
    try {
        if (GetMonitorCount() <= 0)
            return;
        WriteSQLData(makeRecord());
    } catch (const std::exception& error) {
        switchOff(error.what());
    } catch (...) {
        switchOff("unknown failure");
    }
}

QString TQvSQLMonitorHook::PrepareRecord(TQvQuery* query)
{
    QString plan;
    try {
        plan = query->Plan();
    } catch (const std::exception&) {
        plan = QStringLiteral("<Cannot print value>");
    }
    return statementOwnerName(query) + QStringLiteral(": [Prepare] ") + query->SQLText() + lineBreak
           + QStringLiteral("  Plan: ") + plan;
}

QString TQvSQLMonitorHook::ExecuteRecord(TQvQuery* query)
{
    QString record = statementOwnerName(query) + QStringLiteral(": [Execute] ") + query->SQLText();
    if (!query->Prepared())
        return record;
    const TQvXSQLDA& params = query->Params();
    for (int i = 0; i < params.Count(); ++i) {
        const TQvXSQLVAR& param = params.Vars(i);
        QString value;
        try {
            value = param.IsNull() ? QStringLiteral("<NULL>") : param.AsString();
        } catch (const std::exception&) {
            value = QStringLiteral("<Cannot print value>");
        }
        record += lineBreak + QStringLiteral("  ") + param.Name() + QStringLiteral(" = ") + value;
    }
    return record;
}

QString TQvSQLMonitorHook::FetchRecord(TQvQuery* query)
{
    QString record = statementOwnerName(query) + QStringLiteral(": [Fetch] ") + query->SQLText();
    if (query->Eof())
        record += QStringLiteral("  End of file reached") + lineBreak;
    return record;
}

void TQvSQLMonitorHook::SQLPrepare(TQvQuery* query) noexcept
{
    Trace([query] { return PrepareRecord(query); });
}

void TQvSQLMonitorHook::SQLExecute(TQvQuery* query) noexcept
{
    Trace([query] { return ExecuteRecord(query); });
}

void TQvSQLMonitorHook::SQLFetch(TQvQuery* query) noexcept
{
    Trace([query] { return FetchRecord(query); });
}

void TQvSQLMonitorHook::DBConnect(TQvDatabase* database) noexcept
{
    Trace([database] { return database->objectName() + QStringLiteral(": [Connect]"); });
}

void TQvSQLMonitorHook::DBDisconnect(TQvDatabase* database) noexcept
{
    Trace([database] { return database->objectName() + QStringLiteral(": [Disconnect]"); });
}

void TQvSQLMonitorHook::TRStart(TQvTransaction* transaction) noexcept
{
    Trace([transaction] { return transaction->objectName() + QStringLiteral(": [Start transaction]"); });
}

void TQvSQLMonitorHook::TRCommit(TQvTransaction* transaction) noexcept
{
    Trace([transaction] { return transaction->objectName() + QStringLiteral(": [Commit (Hard commit)]"); });
}

void TQvSQLMonitorHook::TRCommitRetaining(TQvTransaction* transaction) noexcept
{
    Trace([transaction] {
        return transaction->objectName() + QStringLiteral(": [Commit retaining (Soft commit)]");
    });
}

void TQvSQLMonitorHook::TRRollback(TQvTransaction* transaction) noexcept
{
    Trace([transaction] { return transaction->objectName() + QStringLiteral(": [Rollback]"); });
}

TQvSQLMonitorHook* MonitorHook()
{
    HookState& s = state();
    const std::lock_guard<std::mutex> lock(s.guard);
    if (s.hook)
        return s.hook.get();
    if (!s.inert)
        s.inert.reset(new TQvSQLMonitorHook(TQvSQLMonitorHook::Inert{}));
    if (s.shuttingDown || !s.enabled)
        return s.inert.get();
    try {
        s.hook = std::make_unique<TQvSQLMonitorHook>(s.prefix);
    } catch (const std::exception& error) {
        s.enabled = false;
        qWarning("SQL monitor trace switched off: %s", error.what());
        return s.inert.get();
    }
    if (!s.exitHandlerInstalled) {
        s.exitHandlerInstalled = true;
        std::atexit(freeHookAtExit);
    }
    return s.hook.get();
}

bool MonitoringEnabled()
{
    HookState& s = state();
    const std::lock_guard<std::mutex> lock(s.guard);
    return s.enabled;
}

QString MonitorObjectPrefix()
{
    HookState& s = state();
    const std::lock_guard<std::mutex> lock(s.guard);
    return s.prefix;
}

void SetMonitorObjectPrefix(const QString& prefix)
{
    HookState& s = state();
    std::unique_ptr<TQvSQLMonitorHook> old;
    {
        const std::lock_guard<std::mutex> lock(s.guard);
        old = std::move(s.hook);
        s.prefix = prefix;
        s.enabled = true;
    }
}
