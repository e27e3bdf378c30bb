#include "access/QvDatabase.h"

#include "access/QvSQLMonitor.h"
#include "platform/Timer.h"


#include <array>
#include <cstring>
#include <exception>
#include <vector>

namespace {

struct TpbName
{
    const char* name;
    bool accepted;
};

// isc_tpb_<name> for the constants 1 to 20.
const std::array<TpbName, 20> tpbNames = {{
    {"consistency", true},     {"concurrency", true},   {"shared", true},
    {"protected", false},      {"exclusive", true},     {"wait", true},
    {"nowait", true},          {"read", true},          {"write", true},
    {"lock_read", true},       {"lock_write", true},    {"verb_time", false},
    {"commit_time", false},    {"ignore_limbo", true},  {"read_committed", true},
    {"autocommit", false},     {"rec_version", true},   {"no_rec_version", true},
    {"restart_requests", false}, {"no_auto_undo", false},
}};

// One element of isc_start_multiple's array, in the client library's own
// layout on this platform (pointer, int, pointer with native alignment).
struct TransactionElement
{
    isc_db_handle* database;
    int tpbLength;
    const char* tpb;
};

} // namespace

TQvTransaction::TQvTransaction(QObject* parent)
    : QObject(parent)
    , m_timer(new qv::Timer(this))
{
    m_timer->setInterval(0);
    connect(m_timer, &qv::Timer::timeout, this, &TQvTransaction::TimeoutTransaction);
}

TQvTransaction::~TQvTransaction()
{
    m_timer->stop();
    try {
        if (Active())
            EndTransaction(m_timeoutAction, true);
    } catch (const std::exception& error) {
        qWarning("Ending transaction %s: %s", qPrintable(objectName()), error.what());
    }
    m_sqlObjects.ForEach([this](TQvBase* link) {
        try {
            link->DoTransactionFree();
        } catch (const std::exception& error) {
            qWarning("Releasing transaction %s: %s", qPrintable(objectName()), error.what());
        }
    });
    RemoveSQLObjects();
    RemoveDatabases();
}

QByteArray TQvTransaction::GenerateTPB(const QStringList& lines)
{
    if (lines.isEmpty())
        return {};
    QByteArray tpb(1, char(isc_tpb_version3));
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        QString name = (equals < 0 ? line : line.left(equals)).toLower();
        const QString value = equals < 0 ? QString() : line.mid(equals + 1);
        if (name.startsWith(QLatin1String("isc_tpb_")))
            name.remove(0, 8);
        int constant = 0;
        for (std::size_t i = 0; i < tpbNames.size(); ++i)
            if (name == QLatin1String(tpbNames[i].name))
                constant = int(i) + 1;
        if (constant == 0)
            QvError(qveTPBConstantUnknown, {0});
        if (!tpbNames[std::size_t(constant - 1)].accepted)
            QvError(qveTPBConstantNotSupported, {name});
        tpb += char(constant);
        if (constant == isc_tpb_lock_read || constant == isc_tpb_lock_write) {
            const QByteArray table = value.toUtf8();
            // The length travels in one byte.
            if (table.size() > 255)
                throw EQvClientError(qveInvalidDataConversion,
                                     QStringLiteral("TPB value of isc_tpb_%1 is longer than 255 bytes.")
                                         .arg(name));
            tpb += char(table.size());
            tpb += table;
        }
    }
    if (tpb.size() > 32767)
        QvError(qveInvalidDataConversion);
    return tpb;
}

void TQvTransaction::CheckInTransaction() const
{
    if (!m_handle)
        QvError(qveNotInTransaction);
}

void TQvTransaction::CheckNotInTransaction() const
{
    if (m_handle)
        QvError(qveInTransaction);
}

void TQvTransaction::CheckDatabasesInList() const
{
    if (DatabaseCount() == 0)
        QvError(qveNoDatabasesInTransaction);
}

bool TQvTransaction::Call(ISC_STATUS code, bool raise)
{
    m_idle = false;
    m_databases.ForEach([](TQvDatabase* database) { database->ResetIdle(); });
    if (code > 0 && QvConnectionLostStatus(StatusVector())) {
        // One database: it is the one. Several: each is asked.
        if (DatabaseCount() == 1)
            m_databases.ForEach([](TQvDatabase* database) { database->NoteConnectionLost(); });
        else
            m_databases.ForEach([](TQvDatabase* database) { database->CheckConnection(); });
    }
    if (raise && code > 0)
        IBDataBaseError();
    return code == 0;
}

void TQvTransaction::StartTransaction()
{
    CheckNotInTransaction();
    CheckDatabasesInList();
    if (m_tpbChanged) {
        const QByteArray tpb = GenerateTPB(m_trParams);
        m_tpb.resize(std::size_t(tpb.size()));
        if (!tpb.isEmpty())
            std::memcpy(m_tpb.data(), tpb.constData(), std::size_t(tpb.size()));
        m_tpbLength = short(tpb.size());
        m_tpbChanged = false;
    }
    std::vector<TransactionElement> elements;
    m_databases.ForEach([&](TQvDatabase* database) {
        elements.push_back({database->Handle(), m_tpbLength, m_tpb.data()});
    });
    const ISC_STATUS code =
        isc_start_multiple(StatusVector(), &m_handle, short(elements.size()), elements.data());
    if (code) {
        m_handle = 0;
        Call(code, true);
    }
    Call(code, false);
    MonitorHook()->TRStart(this);
}

void TQvTransaction::Commit()
{
    EndTransaction(TACommit, false);
}

void TQvTransaction::CommitRetaining()
{
    EndTransaction(TACommitRetaining, false);
}

void TQvTransaction::Rollback()
{
    EndTransaction(TARollback, false);
}

void TQvTransaction::NotifyLinks(void (TQvBase::*notification)())
{
    m_sqlObjects.ForEach([notification](TQvBase* link) { (link->*notification)(); });
}

void TQvTransaction::EndTransaction(TTransactionAction action, bool force)
{
    CheckInTransaction();
    // A forced end must leave no transaction behind: the server refuses to
    // detach while one is open, so a retaining commit becomes a hard one.
    if (force && action == TACommitRetaining)
        action = TACommit;
    if (action == TACommitRetaining) {
        Call(isc_commit_retaining(StatusVector(), &m_handle), true);
        MonitorHook()->TRCommitRetaining(this);
        return;
    }
    std::exception_ptr linkFailure;
    try {
        NotifyLinks(&TQvBase::DoTransactionEnding);
    } catch (...) {
        if (!force)
            throw;
        linkFailure = std::current_exception();
    }
    const ISC_STATUS code = action == TACommit ? isc_commit_transaction(StatusVector(), &m_handle)
                                               : isc_rollback_transaction(StatusVector(), &m_handle);
    const bool ended = Call(code, false);
    if (!ended) {
        if (!force)
            IBDataBaseError();
        Call(isc_rollback_transaction(StatusVector(), &m_handle), false);
    }
    m_handle = 0;
    try {
        NotifyLinks(&TQvBase::DoTransactionEnded);
    } catch (...) {
        if (!force)
            throw;
        if (!linkFailure)
            linkFailure = std::current_exception();
    }
    if (action == TACommit)
        MonitorHook()->TRCommit(this);
    else
        MonitorHook()->TRRollback(this);
    if (linkFailure)
        std::rethrow_exception(linkFailure);
}

void TQvTransaction::EndedByStatement(TTransactionAction action)
{
    m_handle = 0;
    for (auto notification : {&TQvBase::DoTransactionEnding, &TQvBase::DoTransactionEnded}) {
        m_sqlObjects.ForEach([this, notification](TQvBase* link) {
            try {
                (link->*notification)();
            } catch (const std::exception& error) {
                qWarning("Ending transaction %s: %s", qPrintable(objectName()), error.what());
            }
        });
    }
    if (action == TACommit)
        MonitorHook()->TRCommit(this);
    else
        MonitorHook()->TRRollback(this);
}

void TQvTransaction::SetActive(bool active)
{
    if (active && !Active())
        StartTransaction();
    else if (!active && Active())
        Rollback();
}

void TQvTransaction::SetDefaultDatabase(TQvDatabase* database)
{
    if (database)
        AddDatabase(database);
    m_defaultDatabase = database;
}

void TQvTransaction::SetTRParams(const QStringList& lines)
{
    m_trParams = lines;
    m_tpbChanged = true;
}

int TQvTransaction::Timeout() const
{
    return m_timer->interval();
}

void TQvTransaction::SetTimeout(int milliseconds)
{
    if (milliseconds < 0)
        QvError(qveTimeoutNegative);
    if (milliseconds == 0) {
        m_timer->stop();
        m_timer->setInterval(0);
    } else {
        m_timer->setInterval(milliseconds);
        m_timer->start();
    }
}

void TQvTransaction::TimeoutTransaction()
{
    if (!Active())
        return;
    if (!m_idle) {
        m_idle = true;
        return;
    }
    try {
        EndTransaction(m_timeoutAction, true);
    } catch (const std::exception& error) {
        qWarning("Ending idle transaction %s: %s", qPrintable(objectName()), error.what());
    }
    emit OnTimeout();
}

int TQvTransaction::AddDatabase(TQvDatabase* database)
{
    if (!database)
        return -1;
    const int existing = FindDatabase(database);
    if (existing >= 0)
        return existing;
    const int index = m_databases.Add(database);
    database->AddTransaction(this);
    return index;
}

int TQvTransaction::FindDatabase(const TQvDatabase* database) const
{
    return m_databases.Find(database);
}

TQvDatabase* TQvTransaction::Databases(int index) const
{
    return m_databases.At(index);
}

int TQvTransaction::DatabaseCount() const
{
    return m_databases.Count();
}

void TQvTransaction::RemoveDatabase(int index)
{
    TQvDatabase* database = m_databases.Take(index);
    if (!database)
        return;
    if (m_defaultDatabase == database)
        m_defaultDatabase = nullptr;
    const int other = database->FindTransaction(this);
    if (other >= 0)
        database->RemoveTransaction(other);
}

void TQvTransaction::RemoveDatabases()
{
    for (int i = 0; i < m_databases.SlotCount(); ++i)
        RemoveDatabase(i);
}

int TQvTransaction::AddSQLObject(TQvBase* link)
{
    return m_sqlObjects.Add(link);
}

void TQvTransaction::RemoveSQLObject(int index)
{
    TQvBase* link = m_sqlObjects.Take(index);
    if (link && link->m_transaction == this) {
        link->m_transaction = nullptr;
        link->m_indexInTransaction = -1;
    }
}

void TQvTransaction::RemoveSQLObjects()
{
    for (int i = 0; i < m_sqlObjects.SlotCount(); ++i)
        RemoveSQLObject(i);
}
