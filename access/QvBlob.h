#pragma once

// Streams over one blob. A blob is read whole into memory the first time its
// stream is used; a written blob is created whole on the server, with a new
// id, when the stream is finalised.

#include "access/QvDatabase.h"
#include "platform/db/DbTypes.h"
#include "platform/db/Stream.h"

#include <QByteArray>
#include <QPointer>

#include <memory>
#include <vector>

class TField;
class TQvCustomDataSet;

// Bytes the client library moves per segment call.
constexpr int QvBlobSegmentSize = 16384;

bool IsNullBlobID(const ISC_QUAD& id);

// One blob as a stream in memory.
class TQvBlobStream : public TStream
{
public:
    TQvBlobStream();
    ~TQvBlobStream() override;

    TQvDatabase* Database() const { return m_base.Database(); }
    void SetDatabase(TQvDatabase* database);
    TQvTransaction* Transaction() const { return m_base.Transaction(); }
    void SetTransaction(TQvTransaction* transaction);

    // All zero: no blob yet.
    const ISC_QUAD& BlobID() const { return m_blobID; }
    void SetBlobID(const ISC_QUAD& id);
    TBlobStreamMode Mode() const { return m_mode; }
    void SetMode(TBlobStreamMode mode);

    // As the server described the blob when it was read.
    int BlobMaxSegmentSize() const { return m_maxSegmentSize; }
    int BlobNumSegments() const { return m_numSegments; }
    int BlobType() const { return m_blobType; }
    qint64 BlobSize() const { return m_buffer.size(); }
    // Written since the last finalisation.
    bool Modified() const { return m_modified; }
    bool Initialized() const { return m_initialized; }

    qint64 Read(void* buffer, qint64 count) override;
    qint64 Write(const void* buffer, qint64 count) override;
    qint64 Seek(qint64 offset, TSeekOrigin origin) override;
    void SetSize(qint64 newSize) override;
    qint64 Size() override;
    void Truncate() { SetSize(0); }
    // Replaces the contents with the whole of `stream`, read from its start.
    void LoadFromStream(TStream& stream);

    // Reads the blob (or starts an empty one) unless that was done for the
    // present id, mode, database and transaction.
    void Initialize();
    // Creates a modified blob on the server; BlobID() is then its new id.
    void Finalize();

    // Client error 34 in write mode / 35 in read mode.
    void CheckReadable() const;
    void CheckWritable() const;

    // The byte counts asked of the server by the last read, and the segments
    // the last Finalize wrote.
    const std::vector<int>& LastReadRequests() const { return m_readRequests; }
    const std::vector<int>& LastWriteSegments() const { return m_writeSegments; }

private:
    void ReadBlob();
    void Reset();
    TQvTransaction& CheckedTransaction() const;

    TQvBase m_base;
    ISC_QUAD m_blobID{0, 0};
    int m_maxSegmentSize = 0;
    int m_numSegments = 0;
    int m_blobType = 0;
    QByteArray m_buffer;
    bool m_initialized = false;
    TBlobStreamMode m_mode = bmRead;
    bool m_modified = false;
    qint64 m_position = 0;
    std::vector<int> m_readRequests;
    std::vector<int> m_writeSegments;
};

// The stream a dataset hands a blob field: the record's blob stream, with
// writes allowed only while the dataset edits or inserts.
class TQvDSBlobStream : public TStream
{
public:
    TQvDSBlobStream(TField& field, std::shared_ptr<TQvBlobStream> blobStream, TBlobStreamMode mode);
    ~TQvDSBlobStream() override;

    qint64 Read(void* buffer, qint64 count) override;
    // Client error 41 unless the dataset is in edit or insert state.
    qint64 Write(const void* buffer, qint64 count) override;
    qint64 Seek(qint64 offset, TSeekOrigin origin) override;
    void SetSize(qint64 newSize) override;
    qint64 Size() override;

    TQvBlobStream& BlobStream() const { return *m_blobStream; }

private:
    void CheckEditing() const;
    void Changed();

    TField& m_field;
    QPointer<TQvCustomDataSet> m_dataSet;
    std::shared_ptr<TQvBlobStream> m_blobStream;
    TBlobStreamMode m_mode;
    // The open of the dataset the field belongs to; a change is reported only
    // while that open lasts (the field goes with it).
    quint64 m_openSerial = 0;
    // Truncated on creation but not written since: still a change to report.
    bool m_unreported = false;
};
