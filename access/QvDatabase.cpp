#include "access/QvDatabase.h"

#include "access/QvSQLMonitor.h"
#include "access/QvSqlText.h"
#include "platform/Dialogs.h"
#include "platform/TerminationSignals.h"
#include "platform/Timer.h"

#include <QRegularExpression>
#include <QSet>

#include <array>
#include <cstring>
#include <exception>
#include <functional>
#include <limits>

namespace {

// isc_dpb_<name> for the constants 1 to 62, in ibase.h's order.
const std::array<const char*, 62> dpbNames = {
    "cdd_pathname", "allocation", "journal", "page_size", "num_buffers", "buffer_length",
    "debug", "garbage_collect", "verify", "sweep", "enable_journal", "disable_journal",
    "dbkey_scope", "number_of_users", "trace", "no_garbage_collect", "damaged", "license",
    "sys_user_name", "encrypt_key", "activate_shadow", "sweep_interval", "delete_shadow",
    "force_write", "begin_log", "quit_log", "no_reserve", "user_name", "password",
    "password_enc", "sys_user_name_enc", "interp", "online_dump", "old_file_size",
    "old_num_files", "old_file", "old_start_page", "old_start_seqno", "old_start_file",
    "drop_walfile", "old_dump_id", "wal_backup_dir", "wal_chkptlen", "wal_numbufs",
    "wal_bufsize", "wal_grp_cmt_wait", "lc_messages", "lc_ctype", "cache_manager", "shutdown",
    "online", "shutdown_delay", "reserved", "overwrite", "sec_attach", "disable_wal",
    "connect_timeout", "dummy_packet_interval", "gbak_attach", "sql_role_name",
    "set_page_buffers", "working_directory",
};

int dpbConstant(const QString& name)
{
    for (std::size_t i = 0; i < dpbNames.size(); ++i)
        if (name == QLatin1String(dpbNames[i]))
            return int(i) + 1;
    return 0;
}

// Decimal value of a parameter line; text that is no number cannot be coded.
int decimalValue(const QString& value)
{
    bool ok = false;
    const int number = value.trimmed().toInt(&ok);
    if (!ok)
        QvError(qveInvalidDataConversion);
    return number;
}

TQvLoginDialog& loginDialog()
{
    static TQvLoginDialog dialog = &qv::loginDialog;
    return dialog;
}

QString valueOfLine(const QString& line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.mid(equals + 1);
}

struct OperationCount
{
    int relation;
    qint64 count;
};

// The server writes each count in 4 bytes when it fits 32 bits and in 8 bytes
// otherwise, with no mark between entries; relations come in ascending order.
// Finds the one reading of the reply that fits those rules.
bool decodeCounts(const unsigned char* data, int length, int position, int previousRelation,
                  QList<OperationCount>& entries, QSet<qint64>& dead)
{
    if (position == length)
        return true;
    if (length - position < 6)
        return false;
    const qint64 state = (qint64(position) << 17) | (previousRelation + 1);
    if (dead.contains(state))
        return false;
    const int relation = data[position] | (data[position + 1] << 8);
    if (relation > previousRelation) {
        entries.append({relation, isc_portable_integer(data + position + 2, 4)});
        if (decodeCounts(data, length, position + 6, relation, entries, dead))
            return true;
        entries.removeLast();
        if (length - position >= 10) {
            const qint64 wide = isc_portable_integer(data + position + 2, 8);
            if (wide < std::numeric_limits<qint32>::min() || wide > std::numeric_limits<qint32>::max()) {
                entries.append({relation, wide});
                if (decodeCounts(data, length, position + 10, relation, entries, dead))
                    return true;
                entries.removeLast();
            }
        }
    }
    dead.insert(state);
    return false;
}

} // namespace

TQvLoginDialog SetQvLoginDialog(TQvLoginDialog dialog)
{
    TQvLoginDialog previous = std::move(loginDialog());
    loginDialog() = std::move(dialog);
    return previous;
}

TQvDatabase::TQvDatabase(QObject* parent)
    : QObject(parent)
    , m_timer(new qv::Timer(this))
{
    m_timer->setInterval(0);
    connect(m_timer, &qv::Timer::timeout, this, &TQvDatabase::TimeoutConnection);
}

TQvDatabase::~TQvDatabase()
{
    m_timer->stop();
    DropLostConnection();
    try {
        if (Connected())
            ForceClose();
    } catch (const std::exception& error) {
        qWarning("Closing database %s: %s", qPrintable(m_dbName), error.what());
    }
    m_sqlObjects.ForEach([this](TQvBase* link) {
        try {
            link->DoDatabaseFree();
        } catch (const std::exception& error) {
            qWarning("Releasing database %s: %s", qPrintable(m_dbName), error.what());
        }
    });
    RemoveSQLObjects();
    RemoveTransactions();
}

QByteArray TQvDatabase::GenerateDPB(const QStringList& lines)
{
    QByteArray dpb(1, char(isc_dpb_version1));
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        QString name = equals < 0 ? QString() : line.left(equals).toLower();
        const QString value = equals < 0 ? line : line.mid(equals + 1);
        if (name.startsWith(QLatin1String("isc_dpb_")))
            name.remove(0, 8);
        const int constant = dpbConstant(name);
        switch (constant) {
        case isc_dpb_license:
        case isc_dpb_sys_user_name:
        case isc_dpb_encrypt_key:
        case isc_dpb_user_name:
        case isc_dpb_password:
        case isc_dpb_password_enc:
        case isc_dpb_lc_messages:
        case isc_dpb_lc_ctype:
        case isc_dpb_sql_role_name: {
            const QByteArray bytes = value.toUtf8();
            // The length travels in one byte.
            if (bytes.size() > 255)
                throw EQvClientError(qveInvalidDataConversion,
                                     QStringLiteral("DPB value of isc_dpb_%1 is longer than 255 bytes.")
                                         .arg(name));
            dpb += char(constant);
            dpb += char(bytes.size());
            dpb += bytes;
            break;
        }
        case isc_dpb_num_buffers:
        case isc_dpb_verify:
        case isc_dpb_dbkey_scope:
        case isc_dpb_damaged:
        case isc_dpb_force_write:
        case isc_dpb_no_reserve:
            dpb += char(constant);
            dpb += char(1);
            dpb += char(decimalValue(value) & 0xff);
            break;
        case isc_dpb_sweep:
            dpb += char(constant);
            dpb += char(1);
            dpb += char(isc_dpb_records);
            break;
        case isc_dpb_sweep_interval: {
            const quint32 number = quint32(decimalValue(value));
            dpb += char(constant);
            dpb += char(4);
            for (int shift = 0; shift < 32; shift += 8)
                dpb += char((number >> shift) & 0xff);
            break;
        }
        case isc_dpb_activate_shadow:
        case isc_dpb_delete_shadow:
        case isc_dpb_begin_log:
        case isc_dpb_quit_log:
            dpb += char(constant);
            dpb += char(1);
            dpb += char(0);
            break;
        case 0:
            QvError(qveDPBConstantUnknown, {0});
        default:
            QvError(qveDPBConstantNotSupported, {QString::fromLatin1(dpbNames[std::size_t(constant - 1)])});
        }
    }
    if (dpb.size() > 32767)
        QvError(qveInvalidDataConversion);
    return dpb;
}

void TQvDatabase::CheckActive() const
{
    if (!m_handle)
        QvError(qveDatabaseClosed);
}

void TQvDatabase::CheckInactive() const
{
    if (m_handle)
        QvError(qveDatabaseOpen);
}

bool TQvDatabase::Call(ISC_STATUS code, bool raise)
{
    m_idle = false;
    if (code > 0 && QvConnectionLostStatus(StatusVector()))
        NoteConnectionLost();
    if (raise && code > 0)
        IBDataBaseError();
    return code == 0;
}

void TQvDatabase::NoteConnectionLost()
{
    if (m_lost || m_dropping || !m_handle)
        return;
    m_lost = true;
    // Not here and now: the call that found it may be deep inside a
    // statement or dataset that the drop closes.
    QMetaObject::invokeMethod(this, [this] { DropLostConnection(); }, Qt::QueuedConnection);
}

void TQvDatabase::CheckConnection()
{
    if (m_lost || m_dropping || !m_handle)
        return;
    const QvScratchStatus scratch;
    const char items[] = {char(isc_info_db_sql_dialect), char(isc_info_end)};
    char reply[32];
    if (isc_database_info(StatusVector(), &m_handle, short(sizeof items), items, short(sizeof reply), reply)
        && QvConnectionLostStatus(StatusVector()))
        NoteConnectionLost();
}

void TQvDatabase::DropLostConnection() noexcept
{
    if (!m_lost || m_dropping)
        return;
    m_dropping = true;
    {
        // The error that revealed the loss may still be on its way to the user.
        const QvScratchStatus scratch;
        auto quietly = [this](const char* what, const std::function<void()>& step) {
            try {
                step();
            } catch (const std::exception& error) {
                qWarning("Dropping the lost connection to %s, %s: %s", qPrintable(m_dbName), what, error.what());
            } catch (...) {
                qWarning("Dropping the lost connection to %s, %s", qPrintable(m_dbName), what);
            }
        };
        // Rolled back before the detach: the embedded engine must not lose an
        // attachment under an open transaction.
        m_transactions.ForEach([&](TQvTransaction* transaction) {
            if (transaction->Active())
                quietly("ending a transaction", [&] { transaction->EndTransaction(TARollback, true); });
        });
        m_sqlObjects.ForEach([&](TQvBase* link) {
            quietly("closing a statement", [&] { link->DoDatabaseDisconnecting(); });
        });
        if (m_handle)
            isc_detach_database(StatusVector(), &m_handle);
        m_handle = 0;
        quietly("tracing", [&] { MonitorHook()->DBDisconnect(this); });
        m_sqlObjects.ForEach([&](TQvBase* link) {
            quietly("closing a statement", [&] { link->DoDatabaseDisconnected(); });
        });
    }
    m_lost = false;
    m_dropping = false;
    try {
        emit OnConnectionLost();
    } catch (const std::exception& error) {
        qWarning("Telling of the lost connection to %s: %s", qPrintable(m_dbName), error.what());
    } catch (...) {
        qWarning("Telling of the lost connection to %s", qPrintable(m_dbName));
    }
}

QString TQvDatabase::ConnectionCharacterSet() const
{
    const int line = IndexOfDBConst(QStringLiteral("lc_ctype"));
    return line < 0 ? QStringLiteral("NONE") : valueOfLine(m_dbParams.at(line));
}

void TQvDatabase::Open()
{
    DropLostConnection();
    CheckInactive();
    if (m_dbName.isEmpty())
        QvError(qveDatabaseNameMissing);
    if (m_useLoginPrompt && !Login())
        QvError(qveOperationCancelled);
    if (m_dpbChanged) {
        // A failed build keeps the flag, so the next attempt builds again.
        const QByteArray dpb = GenerateDPB(m_dbParams);
        m_dpb.resize(std::size_t(dpb.size()));
        std::memcpy(m_dpb.data(), dpb.constData(), std::size_t(dpb.size()));
        m_dpbLength = short(dpb.size());
        m_dpbChanged = false;
    }
    const QByteArray name = m_dbName.toUtf8();
    const ISC_STATUS code =
        isc_attach_database(StatusVector(), 0, name.constData(), &m_handle, m_dpbLength, m_dpb.data());
    // The client library takes SIGTERM and SIGINT on its first attachment.
    qv::TerminationSignals::Reclaim();
    if (code) {
        m_handle = 0;
        Call(code, true);
    }
    m_codec = QvTextCodec(ConnectionCharacterSet());
    ReadSQLDialect();
    m_idle = false;
    emit OnConnect();
    MonitorHook()->DBConnect(this);
}

bool TQvDatabase::Login()
{
    const int userLine = IndexOfDBConst(QStringLiteral("user_name"));
    const int passwordLine = IndexOfDBConst(QStringLiteral("password"));
    QString user = userLine < 0 ? QString() : valueOfLine(m_dbParams.at(userLine));
    QString password = passwordLine < 0 ? QString() : valueOfLine(m_dbParams.at(passwordLine));
    const TQvLoginDialog& dialog = loginDialog();
    if (!dialog || !dialog(m_dbName, user, password))
        return false;
    QStringList lines = m_dbParams;
    const QString userText = QStringLiteral("user_name=") + user;
    const QString passwordText = QStringLiteral("password=") + password;
    if (userLine < 0)
        lines.append(userText);
    else
        lines[userLine] = userText;
    if (passwordLine < 0)
        lines.append(passwordText);
    else
        lines[passwordLine] = passwordText;
    SetDBParams(lines);
    return true;
}

void TQvDatabase::Close()
{
    InternalClose(false);
}

void TQvDatabase::ForceClose()
{
    InternalClose(true);
}

void TQvDatabase::NotifyLinks(void (TQvBase::*notification)())
{
    m_sqlObjects.ForEach([notification](TQvBase* link) { (link->*notification)(); });
}

void TQvDatabase::EndTransactionsAndNotify()
{
    m_transactions.ForEach([](TQvTransaction* transaction) {
        if (transaction->Active())
            transaction->EndTransaction(transaction->TimeoutAction(), true);
    });
    NotifyLinks(&TQvBase::DoDatabaseDisconnecting);
}

void TQvDatabase::InternalClose(bool force)
{
    // A lost attachment is closed by dropping it.
    if (m_lost) {
        DropLostConnection();
        return;
    }
    CheckActive();
    std::exception_ptr firstFailure;
    try {
        EndTransactionsAndNotify();
    } catch (...) {
        if (!force)
            throw;
        firstFailure = std::current_exception();
    }
    const ISC_STATUS code = isc_detach_database(StatusVector(), &m_handle);
    if (code && !force)
        Call(code, true);
    m_handle = 0;
    try {
        MonitorHook()->DBDisconnect(this);
    } catch (...) {
        if (!firstFailure)
            firstFailure = std::current_exception();
    }
    NotifyLinks(&TQvBase::DoDatabaseDisconnected);
    if (firstFailure)
        std::rethrow_exception(firstFailure);
}

void TQvDatabase::SetConnected(bool connected)
{
    if (connected && !Connected())
        Open();
    else if (!connected && Connected())
        Close();
}

void TQvDatabase::ReadSQLDialect()
{
    try {
        m_sqlDialect = int(InfoInteger(isc_info_db_sql_dialect));
    } catch (...) {
        // A connection that cannot answer this is of no use: leave nothing attached.
        ISC_STATUS_ARRAY status;
        isc_detach_database(status, &m_handle);
        m_handle = 0;
        throw;
    }
}

void TQvDatabase::SetCreateSQLDialect(int dialect)
{
    if (dialect != 1 && dialect != 3)
        throw EQvClientError(qveInvalidDataConversion,
                             QStringLiteral("SQL dialect %1 is not supported (1 or 3).").arg(dialect));
    m_createDialect = dialect;
}

void TQvDatabase::CreateDatabase()
{
    CheckInactive();
    QString statement = QStringLiteral("CREATE DATABASE ") + QvSql::Literal(m_dbName, m_createDialect)
        + QLatin1Char(' ');
    for (const QString& line : std::as_const(m_dbParams))
        statement += line + QStringLiteral("\r\n");
    const QByteArray text = statement.toUtf8();
    isc_tr_handle transaction = 0;
    const ISC_STATUS code = isc_dsql_execute_immediate(StatusVector(), &m_handle, &transaction, 0,
                                                       text.constData(),
                                                       static_cast<unsigned short>(m_createDialect), nullptr);
    qv::TerminationSignals::Reclaim();
    if (code) {
        m_handle = 0;
        Call(code, true);
    }
    // The client library takes SET NAMES among the options as the new
    // connection's character set.
    static const QRegularExpression names(QStringLiteral("\\bSET\\s+NAMES\\s+['\"]?([A-Za-z0-9_$]+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = names.match(m_dbParams.join(QLatin1Char(' ')));
    m_codec = QvTextCodec(match.hasMatch() ? match.captured(1) : QStringLiteral("NONE"));
    ReadSQLDialect();
    m_idle = false;
}

void TQvDatabase::DropDatabase()
{
    CheckActive();
    EndTransactionsAndNotify();
    Call(isc_drop_database(StatusVector(), &m_handle), true);
    m_handle = 0;
    MonitorHook()->DBDisconnect(this);
    NotifyLinks(&TQvBase::DoDatabaseDisconnected);
}

void TQvDatabase::SetDBName(const QString& name)
{
    CheckInactive();
    m_dbName = name;
}

void TQvDatabase::SetDBParams(const QStringList& lines)
{
    if (lines == m_dbParams)
        return;
    CheckInactive();
    m_dbParams = lines;
    m_dpbChanged = true;
}

void TQvDatabase::SetDefaultTransaction(TQvTransaction* transaction)
{
    if (transaction)
        AddTransaction(transaction);
    m_defaultTransaction = transaction;
}

int TQvDatabase::Timeout() const
{
    return m_timer->interval();
}

void TQvDatabase::SetTimeout(int milliseconds)
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

void TQvDatabase::TimeoutConnection()
{
    if (!Connected())
        return;
    if (!m_idle) {
        m_idle = true;
        return;
    }
    try {
        ForceClose();
    } catch (const std::exception& error) {
        qWarning("Closing idle database %s: %s", qPrintable(m_dbName), error.what());
    }
    emit OnTimeout();
}

int TQvDatabase::AddTransaction(TQvTransaction* transaction)
{
    if (!transaction)
        return -1;
    const int existing = FindTransaction(transaction);
    if (existing >= 0)
        return existing;
    const int index = m_transactions.Add(transaction);
    transaction->AddDatabase(this);
    return index;
}

int TQvDatabase::FindTransaction(const TQvTransaction* transaction) const
{
    return m_transactions.Find(transaction);
}

TQvTransaction* TQvDatabase::Transactions(int index) const
{
    return m_transactions.At(index);
}

QList<TQvTransaction*> TQvDatabase::TransactionList() const
{
    QList<TQvTransaction*> list;
    m_transactions.ForEach([&list](TQvTransaction* transaction) { list.append(transaction); });
    return list;
}

int TQvDatabase::TransactionCount() const
{
    return m_transactions.Count();
}

void TQvDatabase::RemoveTransaction(int index)
{
    TQvTransaction* transaction = m_transactions.Take(index);
    if (!transaction)
        return;
    if (m_defaultTransaction == transaction)
        m_defaultTransaction = nullptr;
    const int other = transaction->FindDatabase(this);
    if (other >= 0)
        transaction->RemoveDatabase(other);
}

void TQvDatabase::RemoveTransactions()
{
    for (int i = 0; i < m_transactions.SlotCount(); ++i)
        RemoveTransaction(i);
}

int TQvDatabase::AddSQLObject(TQvBase* link)
{
    return m_sqlObjects.Add(link);
}

void TQvDatabase::RemoveSQLObject(int index)
{
    TQvBase* link = m_sqlObjects.Take(index);
    if (link && link->m_database == this) {
        link->m_database = nullptr;
        link->m_indexInDatabase = -1;
    }
}

void TQvDatabase::RemoveSQLObjects()
{
    for (int i = 0; i < m_sqlObjects.SlotCount(); ++i)
        RemoveSQLObject(i);
}

int TQvDatabase::IndexOfDBConst(const QString& name) const
{
    const QString wanted = name.toLower();
    for (int i = 0; i < m_dbParams.size(); ++i) {
        const qsizetype at = m_dbParams.at(i).toLower().indexOf(wanted);
        if (at == 0 || at == 8)
            return i;
    }
    return -1;
}

QvInfoValue TQvDatabase::InfoValue(unsigned char item, int bufferSize, QByteArray& reply)
{
    CheckActive();
    const char items[] = {char(item)};
    reply = QvRequestInfo(bufferSize, [&](char* buffer, short length) {
        Call(isc_database_info(StatusVector(), &m_handle, short(sizeof items), items, length, buffer), true);
    });
    QvInfoValue value;
    if (!QvFindInfoItem(reply, item, value))
        QvError(qveUnknownError);
    return value;
}

qint64 TQvDatabase::InfoInteger(unsigned char item)
{
    QByteArray reply;
    return InfoValue(item, 512, reply).integer();
}

QString TQvDatabase::InfoFirstString(unsigned char item, int bufferSize)
{
    QByteArray reply;
    const QvInfoValue value = InfoValue(item, bufferSize, reply);
    // A count of strings, then each as a length byte and its characters.
    if (value.length < 2 || static_cast<unsigned char>(value.data[0]) == 0)
        return {};
    const int length = IntMin(static_cast<unsigned char>(value.data[1]), value.length - 2);
    return QString::fromUtf8(value.data + 2, length);
}

qint64 TQvDatabase::Allocation() { return InfoInteger(isc_info_allocation); }

int TQvDatabase::BaseLevel()
{
    QByteArray reply;
    const QvInfoValue value = InfoValue(isc_info_base_level, 512, reply);
    return value.length >= 2 ? static_cast<unsigned char>(value.data[1]) : 0;
}

QString TQvDatabase::DBFileName() { return InfoFirstString(isc_info_db_id, 512); }
qint64 TQvDatabase::ODSMinorVersion() { return InfoInteger(isc_info_ods_minor_version); }
qint64 TQvDatabase::ODSMajorVersion() { return InfoInteger(isc_info_ods_version); }
qint64 TQvDatabase::PageSize() { return InfoInteger(isc_info_page_size); }
QString TQvDatabase::Version() { return InfoFirstString(isc_info_version, 1024); }
qint64 TQvDatabase::CurrentMemory() { return InfoInteger(isc_info_current_memory); }
qint64 TQvDatabase::ForcedWrites() { return InfoInteger(isc_info_forced_writes); }
qint64 TQvDatabase::MaxMemory() { return InfoInteger(isc_info_max_memory); }
qint64 TQvDatabase::NumBuffers() { return InfoInteger(isc_info_num_buffers); }
qint64 TQvDatabase::SweepInterval() { return InfoInteger(isc_info_sweep_interval); }
qint64 TQvDatabase::Fetches() { return InfoInteger(isc_info_fetches); }
qint64 TQvDatabase::Marks() { return InfoInteger(isc_info_marks); }
qint64 TQvDatabase::Reads() { return InfoInteger(isc_info_reads); }
qint64 TQvDatabase::Writes() { return InfoInteger(isc_info_writes); }
QStringList TQvDatabase::ReadSeqCount() { return GetOperationCounts(isc_info_read_seq_count); }
QStringList TQvDatabase::ReadIdxCount() { return GetOperationCounts(isc_info_read_idx_count); }
QStringList TQvDatabase::InsertCount() { return GetOperationCounts(isc_info_insert_count); }
QStringList TQvDatabase::UpdateCount() { return GetOperationCounts(isc_info_update_count); }
QStringList TQvDatabase::DeleteCount() { return GetOperationCounts(isc_info_delete_count); }

QStringList TQvDatabase::GetOperationCounts(unsigned char item)
{
    QByteArray reply;
    const QvInfoValue value = InfoValue(item, 20480, reply);
    return DecodeOperationCounts(QByteArray(value.data, value.length));
}

QStringList TQvDatabase::DecodeOperationCounts(const QByteArray& value)
{
    const auto* data = reinterpret_cast<const unsigned char*>(value.constData());
    const int length = int(value.size());
    QList<OperationCount> entries;
    QSet<qint64> dead;
    if (!decodeCounts(data, length, 0, -1, entries, dead)) {
        // Not a reply this server writes: read it as one width throughout.
        entries.clear();
        const int width = length % 6 != 0 && length % 10 == 0 ? 10 : 6;
        for (int at = 0; at + width <= length; at += width)
            entries.append({data[at] | (data[at + 1] << 8),
                            isc_portable_integer(data + at + 2, short(width - 2))});
    }
    QStringList lines;
    lines.reserve(entries.size());
    for (const OperationCount& entry : std::as_const(entries))
        lines.append(QString::number(entry.relation) + QLatin1Char('=') + QString::number(entry.count));
    return lines;
}
