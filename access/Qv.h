#pragma once

// The bottom of the access layer: the client library's status vector, the
// exceptions every failure turns into, and the small buffer, random and
// information-reply routines the rest of the layer shares.

#include "platform/db/DatabaseError.h"

#include <ibase.h>

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <functional>
#include <initializer_list>

// The status vector every client call takes first: one per thread, zero-filled
// before the thread's first call.
using TStatusVector = ISC_STATUS_ARRAY;
ISC_STATUS* StatusVector();

// While alive, the calling thread's client calls fill a status vector of
// their own: clean-up work done between a failed call and the report of its
// error leaves that error as it was.
class QvScratchStatus
{
public:
    QvScratchStatus();
    ~QvScratchStatus();
    QvScratchStatus(const QvScratchStatus&) = delete;
    QvScratchStatus& operator=(const QvScratchStatus&) = delete;

private:
    TStatusVector m_status;
    ISC_STATUS* m_previous;
};

// True when a status vector says the attachment is gone: the server shut it
// down (its MON$ATTACHMENTS row deleted, the database shut down), the network
// failed, or the client library no longer knows the handle.
bool QvConnectionLostStatus(const ISC_STATUS* status);

// Which parts an error message built from the status vector consists of.
enum TQvErrorOption : unsigned char {
    qvShowSQLCode = 1,    // a first line "SQLCODE: <code>"
    qvShowIBMessage = 2,  // the server's message lines
    qvShowSQLMessage = 4, // the text of the SQL code
};
unsigned char QvErrorOptions();
void SetQvErrorOptions(unsigned char options);

// Codes of the client error table; the numbering is fixed.
enum TQvClientError : int {
    qveUnknownError = 0,
    qveUnsupportedFeature = 1,
    qveNotPermitted = 2,
    qveFileAccessError = 3,
    qveConnectionTimeout = 4,
    qveCannotSetDatabase = 5,
    qveCannotSetTransaction = 6,
    qveOperationCancelled = 7,
    qveDPBConstantNotSupported = 8,
    qveDPBConstantUnknown = 9,
    qveTPBConstantNotSupported = 10,
    qveTPBConstantUnknown = 11,
    qveDatabaseClosed = 12,
    qveDatabaseOpen = 13,
    qveDatabaseNameMissing = 14,
    qveNotInTransaction = 15,
    qveInTransaction = 16,
    qveTimeoutNegative = 17,
    qveNoDatabasesInTransaction = 18,
    qveUpdateWrongDB = 19,
    qveDatabaseNotAssigned = 20,
    qveTransactionNotAssigned = 21,
    qveXSQLDAIndexOutOfRange = 22,
    qveXSQLDANameDoesNotExist = 23,
    qveEOF = 24,
    qveBOF = 25,
    qveInvalidStatementHandle = 26,
    qveDatasetOpen = 27,
    qveDatasetClosed = 28,
    qveUnknownSQLDataType = 29,
    qveInvalidColumnIndex = 30,
    qveInvalidParamColumnIndex = 31,
    qveInvalidDataConversion = 32,
    qveColumnIsNotNullable = 33,
    qveBlobCannotBeRead = 34,
    qveBlobCannotBeWritten = 35,
    qveEmptyQuery = 36,
    qveCannotOpenNonSQLSelect = 37,
    qveNoFieldAccess = 38,
    qveFieldReadOnly = 39,
    qveFieldNotFound = 40,
    qveNotEditing = 41,
    qveCannotInsert = 42,
    qveCannotPost = 43,
    qveCannotUpdate = 44,
    qveCannotDelete = 45,
    qveCannotRefresh = 46,
    qveBufferNotSet = 47,
    qveCircularReference = 48,
    qveSQLParseError = 49,
    qveUserAbort = 50,
    qveDataSetUniDirectional = 51,
    qveCannotCreateSharedResource = 52,
    qveWindowsAPIError = 53,
    qveColumnListsDontMatch = 54,
    qveColumnTypesDontMatch = 55,
    qveCantEndSharedTransaction = 56,
};
constexpr int QvClientErrorCount = 57;

// The base exception of the access layer; a database error of the dataset
// framework, so a dataset's error handling sees it too.
class EQvError : public EDatabaseError
{
public:
    EQvError(int sqlCode, const QString& message);
    int SQLCode() const { return m_sqlCode; }

private:
    int m_sqlCode;
};

// An error the server or the client library reported in the status vector.
class EQvInterBaseError : public EQvError
{
public:
    EQvInterBaseError(int sqlCode, ISC_STATUS errorCode, const QString& message);
    // The engine's own code (the first isc_arg_gds of the vector), e.g. 335544344.
    ISC_STATUS IBErrorCode() const { return m_errorCode; }

private:
    ISC_STATUS m_errorCode;
};

// An error that means the attachment is gone (QvConnectionLostStatus): the
// connection is of no further use and is being dropped.
class EQvConnectionLost : public EQvInterBaseError
{
public:
    using EQvInterBaseError::EQvInterBaseError;
};

// An error the access layer found itself; SQLCode() is the client error code.
class EQvClientError : public EQvError
{
public:
    using EQvError::EQvError;
};

// The format text of a client error code (taken modulo 128); codes outside
// the table give a text that names the code.
QString QvClientErrorText(int code);
// Fills a format text in the manner of the message table: %s, %d, %x with
// optional width and precision (%.8x), %% for a percent sign.
QString QvFormat(const QString& format, const QVariantList& arguments);
// Raises EQvClientError with the code and its formatted text.
[[noreturn]] void QvError(int code, const QVariantList& arguments = {});
// Raises EQvInterBaseError (EQvConnectionLost for a lost attachment) from
// the calling thread's status vector.
[[noreturn]] void IBDataBaseError();
// True when the calling thread's status vector holds one of the codes, as an
// error code or as a number argument.
bool CheckStatusVector(std::initializer_list<ISC_STATUS> codes);
bool CheckStatusVector(const ISC_STATUS* status, std::initializer_list<ISC_STATUS> codes);

// Reallocates the buffer to newSize bytes, zero-filling the bytes from oldSize
// on; newSize 0 frees it. Returns the new buffer (nullptr for size 0).
void* QvAlloc(void* buffer, std::size_t oldSize, std::size_t newSize);

int IntMin(int a, int b);
// low + a uniformly drawn integer in 0 .. high - low - 1.
int RandomIntInRange(int low, int high);
QString MakeRandomDigitString(int length);

// Bytes of an XSQLDA with n variables.
std::size_t XSQLDALength(int n);

// Bytes owned through QvAlloc, released with the owner.
class QvBuffer
{
public:
    QvBuffer() = default;
    ~QvBuffer() { resize(0); }
    QvBuffer(const QvBuffer&) = delete;
    QvBuffer& operator=(const QvBuffer&) = delete;

    void resize(std::size_t size)
    {
        m_data = static_cast<char*>(QvAlloc(m_data, m_size, size));
        m_size = size;
    }
    char* data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    char* m_data = nullptr;
    std::size_t m_size = 0;
};

// One item of an information reply (isc_database_info, isc_dsql_sql_info):
// the bytes of its value inside the reply.
struct QvInfoValue
{
    const char* data = nullptr;
    int length = 0;
    qint64 integer() const; // little-endian, any width up to 8 bytes
};

// Walks a reply of `size` bytes item by item (item byte, 2-byte length, value)
// up to isc_info_end, never past the buffer. `truncated` is set when the reply
// says the buffer was too small.
bool QvFindInfoItem(const QByteArray& reply, unsigned char item, QvInfoValue& value,
                    bool* truncated = nullptr);

// Runs an information request, growing the buffer from `initialSize` up to
// the API's limit while the reply is truncated. `request` fills the buffer and
// raises on failure.
QByteArray QvRequestInfo(int initialSize, const std::function<void(char* buffer, short length)>& request);
