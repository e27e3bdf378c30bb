#include "access/Qv.h"

#include <iberror.h>

#include <QRandomGenerator>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

const QString lineBreak = QStringLiteral("\r\n");

const std::array<const char*, QvClientErrorCount> clientMessages = {
    "Unknown error.",
    "Unsupported feature.",
    "Not permitted.",
    "Temporary file access error.",
    "Database connection timed out.",
    "Cannot set database.",
    "Cannot set transaction.",
    "Operation cancelled at user's request.",
    "DPB Constant (isc_dpb_%s) is unsupported.",
    "DPB Constant (%d) is unknown.",
    "TPB Constant (isc_tpb_%s) is unsupported.",
    "TPB Constant (%d) is unknown.",
    "Cannot perform operation -- DB is not open.",
    "Cannot perform operation -- DB is currently open.",
    "Database name is missing.",
    "Transaction is not active.",
    "Transaction is active.",
    "Timeout values cannot be negative.",
    "No databases are listed in transaction component.",
    "Updating wrong database.",
    "Database not assigned.",
    "Transaction not assigned.",
    "XSQLDA index out of range.",
    "XSQLDA name does not exist (%s).",
    "End of file.",
    "Beginning of file.",
    "Invalid statement handle.",
    "Dataset open.",
    "Dataset closed.",
    "Unknown SQL Data type (%d).",
    "Invalid column index (index exceeds permitted range).",
    "Invalid parameter index (index exceeds permitted range).",
    "Invalid data conversion.",
    "Column cannot be set to null (%s)",
    "Blob stream cannot be read.",
    "Blob stream cannot be written.",
    "Empty query.",
    "Cannot \"open\" a non-select statement. Use ExecQuery.",
    "No access to field \"%s\".",
    "Field \"%s\" is read-only.",
    "Field \"%s\" not found.",
    "Not editing.",
    "Cannot insert into dataset. (No insert query).",
    "Cannot post. (No update/insert query).",
    "Cannot update. (No update query).",
    "Cannot delete from dataset. (No delete query).",
    "Cannot refresh row. (No refresh query).",
    "Buffer not set.",
    "Circular references not permitted.",
    "SQL Parse Error:\r\n\r\n%s",
    "User abort.",
    "Data set is uni-directional.",
    "Cannot create shared resource. (Windows error %d)",
    "Windows API error. (Windows error %d [$%.8x])",
    "Column lists do not match.",
    "Column types don't match. (From index: %d, To index: %d)",
    "Can't end a shared transaction unless it is forced and equal to the transaction's "
    "TimeoutAction.",
};

std::mutex optionsMutex;
unsigned char errorOptions = qvShowIBMessage | qvShowSQLMessage;

// Server texts are ASCII but may quote names; take UTF-8 where it is valid.
QString decodeMessage(const char* text)
{
    const QByteArray bytes(text);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString result = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return result;
}

int normalisedClientCode(int code)
{
    return ((code % 128) + 128) % 128;
}

} // namespace

namespace {

// The vector the thread's calls use while a QvScratchStatus is alive.
thread_local ISC_STATUS* t_scratchStatus = nullptr;

} // namespace

ISC_STATUS* StatusVector()
{
    thread_local TStatusVector status = {};
    return t_scratchStatus ? t_scratchStatus : status;
}

QvScratchStatus::QvScratchStatus()
    : m_status{}
    , m_previous(t_scratchStatus)
{
    t_scratchStatus = m_status;
}

QvScratchStatus::~QvScratchStatus()
{
    t_scratchStatus = m_previous;
}

bool QvConnectionLostStatus(const ISC_STATUS* status)
{
    return CheckStatusVector(status, {isc_att_shutdown, isc_shutdown, isc_network_error, isc_net_read_err,
                                      isc_net_write_err, isc_lost_db_connection, isc_conn_lost,
                                      isc_bad_db_handle});
}

unsigned char QvErrorOptions()
{
    std::lock_guard lock(optionsMutex);
    return errorOptions;
}

void SetQvErrorOptions(unsigned char options)
{
    std::lock_guard lock(optionsMutex);
    errorOptions = options;
}

EQvError::EQvError(int sqlCode, const QString& message)
    : EDatabaseError(message)
    , m_sqlCode(sqlCode)
{
}

EQvInterBaseError::EQvInterBaseError(int sqlCode, ISC_STATUS errorCode, const QString& message)
    : EQvError(sqlCode, message)
    , m_errorCode(errorCode)
{
}

QString QvClientErrorText(int code)
{
    const int index = normalisedClientCode(code);
    if (index >= QvClientErrorCount)
        return QStringLiteral("Unknown client error code (%1).").arg(code);
    return QString::fromLatin1(clientMessages[std::size_t(index)]);
}

QString QvFormat(const QString& format, const QVariantList& arguments)
{
    QString result;
    result.reserve(format.size() + 32);
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            result += c;
            continue;
        }
        if (format.at(i + 1) == QLatin1Char('%')) {
            result += c;
            ++i;
            continue;
        }
        // %[width][.precision]type
        qsizetype j = i + 1;
        int width = 0;
        while (j < format.size() && format.at(j).isDigit())
            width = width * 10 + format.at(j++).digitValue();
        int precision = -1;
        if (j < format.size() && format.at(j) == QLatin1Char('.')) {
            precision = 0;
            ++j;
            while (j < format.size() && format.at(j).isDigit())
                precision = precision * 10 + format.at(j++).digitValue();
        }
        if (j >= format.size()) {
            result += format.mid(i);
            break;
        }
        const QChar type = format.at(j).toLower();
        const QVariant argument = next < arguments.size() ? arguments.at(next++) : QVariant();
        QString text;
        if (type == QLatin1Char('d'))
            text = QString::number(argument.toLongLong());
        else if (type == QLatin1Char('x')) {
            text = QString::number(argument.toLongLong() & 0xffffffffLL, 16);
            if (format.at(j).isUpper())
                text = text.toUpper();
            if (precision > 0)
                text = text.rightJustified(precision, QLatin1Char('0'));
        } else
            text = argument.toString();
        if (type == QLatin1Char('s') && precision >= 0)
            text.truncate(precision);
        if (width > text.size())
            text = text.rightJustified(width, QLatin1Char(' '));
        result += text;
        i = j;
    }
    return result;
}

void QvError(int code, const QVariantList& arguments)
{
    const int index = normalisedClientCode(code);
    throw EQvClientError(index, QvFormat(QvClientErrorText(index), arguments));
}

void IBDataBaseError()
{
    const ISC_STATUS* status = StatusVector();
    const unsigned char options = QvErrorOptions();
    const int sqlCode = isc_sqlcode(status);
    QString message;
    if (options & qvShowSQLCode)
        message = QStringLiteral("SQLCODE: ") + QString::number(sqlCode);
    if (options & qvShowSQLMessage) {
        if (options & qvShowSQLCode)
            message += lineBreak;
        char text[512] = {};
        isc_sql_interprete(short(sqlCode), text, short(sizeof text));
        message += decodeMessage(text);
        if (!message.endsWith(QLatin1Char('.')))
            message += QLatin1Char('.');
    }
    if (options & qvShowIBMessage) {
        if (options & (qvShowSQLCode | qvShowSQLMessage))
            message += lineBreak;
        // fb_interpret walks cluster by cluster and stops at isc_arg_end.
        const ISC_STATUS* cursor = status;
        static thread_local char line[20480];
        while (fb_interpret(line, sizeof line, &cursor) > 0) {
            message += decodeMessage(line);
            if (!message.endsWith(QLatin1Char('.')))
                message += QLatin1Char('.');
            message += lineBreak;
        }
    }
    const ISC_STATUS errorCode = status[0] == isc_arg_gds ? status[1] : 0;
    if (QvConnectionLostStatus(status))
        throw EQvConnectionLost(sqlCode, errorCode, message);
    throw EQvInterBaseError(sqlCode, errorCode, message);
}

bool CheckStatusVector(const ISC_STATUS* status, std::initializer_list<ISC_STATUS> codes)
{
    int i = 0;
    while (i < ISC_STATUS_LENGTH) {
        const ISC_STATUS type = status[i];
        if (type == isc_arg_end)
            return false;
        if (type == isc_arg_gds || type == isc_arg_number) {
            if (i + 1 >= ISC_STATUS_LENGTH)
                return false;
            const ISC_STATUS value = status[i + 1];
            if (std::find(codes.begin(), codes.end(), value) != codes.end())
                return true;
            i += 2;
        } else if (type == isc_arg_cstring)
            i += 3;
        else
            i += 2;
    }
    return false;
}

bool CheckStatusVector(std::initializer_list<ISC_STATUS> codes)
{
    return CheckStatusVector(StatusVector(), codes);
}

void* QvAlloc(void* buffer, std::size_t oldSize, std::size_t newSize)
{
    if (newSize == 0) {
        std::free(buffer);
        return nullptr;
    }
    void* grown = std::realloc(buffer, newSize);
    if (!grown)
        throw std::bad_alloc();
    if (newSize > oldSize)
        std::memset(static_cast<char*>(grown) + oldSize, 0, newSize - oldSize);
    return grown;
}

int IntMin(int a, int b)
{
    return a < b ? a : b;
}

int RandomIntInRange(int low, int high)
{
    if (high <= low)
        return low;
    return low + int(QRandomGenerator::global()->bounded(qint64(high) - low));
}

QString MakeRandomDigitString(int length)
{
    QString digits;
    while (digits.size() < length)
        digits += QString::number(RandomIntInRange(0, 2147483647));
    digits.truncate(length);
    return digits;
}

std::size_t XSQLDALength(int n)
{
    return XSQLDA_LENGTH(std::size_t(n < 1 ? 1 : n));
}

qint64 QvInfoValue::integer() const
{
    if (!data || length <= 0)
        return 0;
    return isc_portable_integer(reinterpret_cast<const ISC_UCHAR*>(data),
                                short(std::min(length, 8)));
}

bool QvFindInfoItem(const QByteArray& reply, unsigned char item, QvInfoValue& value,
                    bool* truncated)
{
    if (truncated)
        *truncated = false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(reply.constData());
    const qsizetype size = reply.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char current = bytes[i];
        if (current == isc_info_end)
            return false;
        if (current == isc_info_truncated) {
            if (truncated)
                *truncated = true;
            return false;
        }
        if (i + 3 > size)
            return false;
        const int length = int(isc_portable_integer(bytes + i + 1, 2));
        if (length < 0 || i + 3 + length > size) {
            if (truncated)
                *truncated = true;
            return false;
        }
        if (current == item) {
            value.data = reply.constData() + i + 3;
            value.length = length;
            return true;
        }
        i += 3 + length;
    }
    return false;
}

QByteArray QvRequestInfo(int initialSize, const std::function<void(char* buffer, short length)>& request)
{
    constexpr int limit = 32767; // the API takes the buffer length as a short
    int size = std::clamp(initialSize, 16, limit);
    for (;;) {
        QByteArray reply(size, '\0');
        request(reply.data(), short(size));
        const auto* bytes = reinterpret_cast<const unsigned char*>(reply.constData());
        // Walk to the end mark; a truncation mark anywhere asks for more room.
        bool truncated = false;
        qsizetype i = 0;
        while (i < reply.size()) {
            if (bytes[i] == isc_info_end)
                break;
            if (bytes[i] == isc_info_truncated) {
                truncated = true;
                break;
            }
            if (i + 3 > reply.size())
                break;
            i += 3 + isc_portable_integer(bytes + i + 1, 2);
        }
        if (!truncated || size >= limit)
            return reply;
        size = std::min(limit, size * 2);
    }
}
