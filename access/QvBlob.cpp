#include "access/QvBlob.h"

#include "access/QvDataSet.h"
#include "access/QvQuery.h"
#include "platform/db/Field.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The largest blob held in one buffer.
constexpr qint64 maxBlobBytes = std::numeric_limits<int>::max() - 64;

qint64 clampedSum(qint64 a, qint64 b)
{
    if (b > 0 && a > std::numeric_limits<qint64>::max() - b)
        return std::numeric_limits<qint64>::max();
    if (b < 0 && a < std::numeric_limits<qint64>::min() - b)
        return std::numeric_limits<qint64>::min();
    return a + b;
}

// A blob handle opened for one read or one write. Left open by a failure,
// it is closed (read) or cancelled (write) without raising: the first error
// is the one to report.
class BlobHandle
{
public:
    enum Kind { Reading, Writing };
    explicit BlobHandle(Kind kind)
        : m_kind(kind)
    {
    }
    ~BlobHandle()
    {
        if (!m_handle)
            return;
        ISC_STATUS_ARRAY status;
        if (m_kind == Reading)
            isc_close_blob(status, &m_handle);
        else
            isc_cancel_blob(status, &m_handle);
    }
    BlobHandle(const BlobHandle&) = delete;
    BlobHandle& operator=(const BlobHandle&) = delete;

    isc_blob_handle* operator&() { return &m_handle; }
    // Closes the blob; the handle is zero afterwards whatever the answer.
    ISC_STATUS Close()
    {
        const ISC_STATUS code = isc_close_blob(StatusVector(), &m_handle);
        if (code && m_kind == Writing) {
            // A blob that could not be closed is not kept.
            ISC_STATUS_ARRAY status;
            isc_cancel_blob(status, &m_handle);
        }
        m_handle = 0;
        return code;
    }

private:
    Kind m_kind;
    isc_blob_handle m_handle = 0;
};

} // namespace

bool IsNullBlobID(const ISC_QUAD& id)
{
    return id.gds_quad_high == 0 && id.gds_quad_low == 0;
}

// ---------------------------------------------------------------- TQvBlobStream

TQvBlobStream::TQvBlobStream()
    : m_base(nullptr)
{
}

// Handles live only inside one read or write, so nothing is left to close.
TQvBlobStream::~TQvBlobStream() = default;

void TQvBlobStream::SetDatabase(TQvDatabase* database)
{
    if (database == m_base.Database())
        return;
    m_base.SetDatabase(database);
    m_initialized = false;
}

void TQvBlobStream::SetTransaction(TQvTransaction* transaction)
{
    if (transaction == m_base.Transaction())
        return;
    m_base.SetTransaction(transaction);
    m_initialized = false;
}

void TQvBlobStream::SetBlobID(const ISC_QUAD& id)
{
    m_blobID = id;
    m_initialized = false;
}

void TQvBlobStream::SetMode(TBlobStreamMode mode)
{
    m_mode = mode;
    m_initialized = false;
}

void TQvBlobStream::CheckReadable() const
{
    if (m_mode == bmWrite)
        QvError(qveBlobCannotBeRead);
}

void TQvBlobStream::CheckWritable() const
{
    if (m_mode == bmRead)
        QvError(qveBlobCannotBeWritten);
}

TQvTransaction& TQvBlobStream::CheckedTransaction() const
{
    m_base.CheckDatabase();
    m_base.CheckTransaction();
    return *m_base.Transaction();
}

void TQvBlobStream::Reset()
{
    m_buffer.clear();
    m_maxSegmentSize = 0;
    m_numSegments = 0;
    m_blobType = 0;
    m_position = 0;
    m_modified = false;
}

void TQvBlobStream::Initialize()
{
    if (m_initialized)
        return;
    if (m_mode == bmWrite || (m_mode == bmReadWrite && IsNullBlobID(m_blobID))) {
        CheckWritable();
        m_blobID = ISC_QUAD{0, 0};
        Reset();
    } else {
        CheckReadable();
        ReadBlob();
    }
    m_initialized = true;
}

void TQvBlobStream::ReadBlob()
{
    TQvTransaction& transaction = CheckedTransaction();
    m_readRequests.clear();
    BlobHandle handle(BlobHandle::Reading);
    ISC_QUAD id = m_blobID;
    transaction.Call(isc_open_blob2(StatusVector(), m_base.GetDBHandle(), m_base.GetTRHandle(), &handle, &id, 0,
                                    nullptr),
                     true);

    const char items[] = {isc_info_blob_num_segments, isc_info_blob_max_segment, isc_info_blob_total_length,
                          isc_info_blob_type};
    QByteArray reply(100, '\0');
    transaction.Call(isc_blob_info(StatusVector(), &handle, sizeof items, items, short(reply.size()), reply.data()),
                     true);
    auto item = [&reply](unsigned char code) {
        QvInfoValue value;
        return QvFindInfoItem(reply, code, value) ? value.integer() : qint64(0);
    };
    const qint64 numSegments = item(isc_info_blob_num_segments);
    const qint64 maxSegment = item(isc_info_blob_max_segment);
    const qint64 totalLength = item(isc_info_blob_total_length);
    const qint64 blobType = item(isc_info_blob_type);
    if (totalLength < 0 || totalLength > maxBlobBytes)
        QvError(qveBlobCannotBeRead);

    QByteArray data(qsizetype(totalLength), Qt::Uninitialized);
    qint64 total = 0;
    // Empty segments bring nothing; more of them in a row than the blob has
    // segments means the server is not moving on.
    qint64 idleCalls = 0;
    while (total < totalLength) {
        const auto request = static_cast<unsigned short>(std::min<qint64>(QvBlobSegmentSize, totalLength - total));
        unsigned short received = 0;
        const ISC_STATUS code = isc_get_segment(StatusVector(), &handle, &received, request, data.data() + total);
        m_readRequests.push_back(request);
        if (code == isc_segstr_eof)
            break;
        // A segment longer than the request arrives in parts.
        if (code != 0 && code != isc_segment)
            transaction.Call(code, true);
        transaction.Call(0, false);
        received = std::min(received, request);
        total += received;
        if (received > 0)
            idleCalls = 0;
        else if (++idleCalls > std::max<qint64>(numSegments, 1))
            QvError(qveBlobCannotBeRead);
    }
    // The server's length was a promise the contents did not keep.
    data.truncate(qsizetype(total));
    transaction.Call(handle.Close(), true);

    m_buffer = std::move(data);
    m_numSegments = int(numSegments);
    m_maxSegmentSize = int(maxSegment);
    m_blobType = int(blobType);
    m_position = 0;
    m_modified = false;
}

void TQvBlobStream::Finalize()
{
    if (!m_initialized || m_mode == bmRead || !m_modified)
        return;
    TQvTransaction& transaction = CheckedTransaction();
    m_writeSegments.clear();
    BlobHandle handle(BlobHandle::Writing);
    ISC_QUAD id{0, 0};
    transaction.Call(isc_create_blob2(StatusVector(), m_base.GetDBHandle(), m_base.GetTRHandle(), &handle, &id, 0,
                                      nullptr),
                     true);
    const qint64 size = m_buffer.size();
    for (qint64 offset = 0; offset < size; offset += QvBlobSegmentSize) {
        const auto length = static_cast<unsigned short>(std::min<qint64>(QvBlobSegmentSize, size - offset));
        transaction.Call(isc_put_segment(StatusVector(), &handle, length, m_buffer.constData() + offset), true);
        m_writeSegments.push_back(length);
    }
    transaction.Call(handle.Close(), true);
    m_blobID = id;
    m_modified = false;
}

qint64 TQvBlobStream::Read(void* buffer, qint64 count)
{
    CheckReadable();
    Initialize();
    const qint64 size = m_buffer.size();
    if (count <= 0 || m_position < 0 || m_position >= size)
        return 0;
    const qint64 n = std::min(count, size - m_position);
    std::memcpy(buffer, m_buffer.constData() + m_position, std::size_t(n));
    m_position += n;
    return n;
}

qint64 TQvBlobStream::Write(const void* buffer, qint64 count)
{
    CheckWritable();
    Initialize();
    if (count <= 0 || m_position < 0 || count > maxBlobBytes || m_position > maxBlobBytes - count)
        return 0;
    const qint64 end = m_position + count;
    const qint64 oldSize = m_buffer.size();
    if (end > oldSize) {
        m_buffer.resize(qsizetype(end));
        // A write beyond the end leaves no stale bytes in the gap.
        if (m_position > oldSize)
            std::memset(m_buffer.data() + oldSize, 0, std::size_t(m_position - oldSize));
    }
    std::memcpy(m_buffer.data() + m_position, buffer, std::size_t(count));
    m_position = end;
    m_modified = true;
    return count;
}

qint64 TQvBlobStream::Seek(qint64 offset, TSeekOrigin origin)
{
    Initialize();
    switch (origin) {
    case soBeginning: m_position = offset; break;
    case soCurrent: m_position = clampedSum(m_position, offset); break;
    case soEnd: m_position = clampedSum(m_buffer.size(), offset); break;
    }
    return m_position;
}

void TQvBlobStream::SetSize(qint64 newSize)
{
    CheckWritable();
    newSize = std::clamp<qint64>(newSize, 0, maxBlobBytes);
    if (newSize == 0 && !m_initialized) {
        // Emptying a blob never needs its old contents.
        Reset();
        m_initialized = true;
    } else {
        Initialize();
    }
    const qint64 oldSize = m_buffer.size();
    if (newSize == 0)
        m_buffer = QByteArray();
    else
        m_buffer.resize(qsizetype(newSize));
    if (newSize > oldSize)
        std::memset(m_buffer.data() + oldSize, 0, std::size_t(newSize - oldSize));
    m_modified = true;
}

qint64 TQvBlobStream::Size()
{
    Initialize();
    return m_buffer.size();
}

void TQvBlobStream::LoadFromStream(TStream& stream)
{
    CheckWritable();
    Initialize();
    stream.SetPosition(0);
    QByteArray bytes = stream.ReadAll();
    if (bytes.size() > maxBlobBytes)
        QvError(qveBlobCannotBeWritten);
    m_buffer = std::move(bytes);
    m_modified = true;
}

// ---------------------------------------------------------------- parameters

void TQvXSQLVAR::LoadFromStream(TStream& stream)
{
    const TQvQuery* query = m_parent->Query();
    TQvBlobStream blob;
    blob.SetDatabase(query->Database());
    blob.SetTransaction(query->Transaction());
    blob.SetMode(bmWrite);
    blob.LoadFromStream(stream);
    blob.Finalize();
    SetAsQuad(blob.BlobID());
}

// ---------------------------------------------------------------- TQvDSBlobStream

TQvDSBlobStream::TQvDSBlobStream(TField& field, std::shared_ptr<TQvBlobStream> blobStream, TBlobStreamMode mode)
    : m_field(field)
    , m_dataSet(qobject_cast<TQvCustomDataSet*>(field.DataSet()))
    , m_blobStream(std::move(blobStream))
    , m_mode(mode)
    , m_openSerial(m_dataSet ? m_dataSet->OpenSerial() : 0)
{
    if (mode == bmWrite) {
        CheckEditing();
        // Emptied before it is read: nothing of the old contents is needed.
        m_blobStream->Truncate();
        m_unreported = true;
    }
    m_blobStream->Seek(0, soBeginning);
}

TQvDSBlobStream::~TQvDSBlobStream()
{
    if (!m_unreported)
        return;
    try {
        Changed();
    } catch (const std::exception& error) {
        qWarning("Blob field %s: %s", qPrintable(m_field.FieldName()), error.what());
    }
}

void TQvDSBlobStream::CheckEditing() const
{
    const TDataSetState state = m_dataSet ? m_dataSet->State() : dsInactive;
    if (state != dsEdit && state != dsInsert)
        QvError(qveNotEditing);
}

void TQvDSBlobStream::Changed()
{
    m_unreported = false;
    if (m_dataSet && m_dataSet->Active() && m_dataSet->OpenSerial() == m_openSerial)
        m_dataSet->BlobFieldChanged(m_field);
}

qint64 TQvDSBlobStream::Read(void* buffer, qint64 count)
{
    return m_blobStream->Read(buffer, count);
}

qint64 TQvDSBlobStream::Write(const void* buffer, qint64 count)
{
    if (m_mode == bmRead)
        QvError(qveBlobCannotBeWritten);
    CheckEditing();
    const qint64 written = m_blobStream->Write(buffer, count);
    Changed();
    return written;
}

qint64 TQvDSBlobStream::Seek(qint64 offset, TSeekOrigin origin)
{
    return m_blobStream->Seek(offset, origin);
}

void TQvDSBlobStream::SetSize(qint64 newSize)
{
    if (m_mode == bmRead)
        QvError(qveBlobCannotBeWritten);
    CheckEditing();
    m_blobStream->SetSize(newSize);
    Changed();
}

qint64 TQvDSBlobStream::Size()
{
    return m_blobStream->Size();
}
