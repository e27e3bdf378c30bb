#pragma once

// TQcMemoryData: a dataset whose records live in memory only, for lists a
// window fills itself (a procedure editor's parameter pick list) and shows
// through the data-aware controls and TDataSetModel like any other dataset.
//
// Its fields are made by the caller (AddField) before it opens; each one
// becomes a field definition of the same name, type and size. Records are
// added with Append/Insert and Post, changed with Edit and Post, removed
// with Delete; closing drops them all.
//
// Every record gets an ID when it is made: one above the last, starting at
// the smallest 32-bit integer plus one; IDs are never reused until the
// dataset closes or loses its last record. A bookmark is the record's ID.
//
// Record layout: for each non-blob field, in definition order, one null-flag
// byte (0 = null) followed by the value (see CalcFieldLen). Texts are kept in
// UTF-16 with their length, so any text of at most Size characters comes
// back as it went in; a longer one is cut to Size characters. Blob contents
// are kept beside the record, one byte array per blob field.

#include "platform/db/DataSet.h"
#include "platform/db/Stream.h"

#include <QByteArray>
#include <QPointer>

#include <memory>
#include <vector>

class TQcMemoryData;

// One record of a memory dataset.
class TMemoryRecord
{
public:
    TMemoryRecord(const TMemoryRecord&) = delete;
    TMemoryRecord& operator=(const TMemoryRecord&) = delete;

    qint32 ID() const { return m_id; }
    TQcMemoryData& Owner() const { return *m_owner; }
    // Position in the owner's record list; moving it there on write.
    int Index() const;
    void SetIndex(int index);

    const char* Data() const { return m_data.get(); }
    const QByteArray& Blob(int blobIndex) const { return m_blobs[size_t(blobIndex)]; }

private:
    friend class TQcMemoryData;
    TMemoryRecord(TQcMemoryData& owner, qint32 id, std::size_t dataSize, int blobCount);

    TQcMemoryData* m_owner;
    qint32 m_id;
    std::unique_ptr<char[]> m_data;
    std::unique_ptr<QByteArray[]> m_blobs;
};

class TQcMemoryData : public TDataSet
{
    Q_OBJECT

public:
    explicit TQcMemoryData(QObject* parent = nullptr);
    ~TQcMemoryData() override;

    // Room reserved in the record list.
    int Capacity() const { return m_capacity; }
    void SetCapacity(int capacity);

    // The stored records in list order (filtering aside).
    int StoredCount() const { return int(m_records.size()); }
    const TMemoryRecord* Records(int index) const;

    // Bytes a value takes in a record: texts 4 + 2 x size, small integers,
    // words and Booleans 2, integers, dates, times and auto-increments 4,
    // floats, currencies, BCDs and date-times 8, bytes size, varying bytes
    // 4 + size, blobs none (their content is kept beside the record);
    // 0 for a type the dataset cannot hold.
    static qint64 CalcFieldLen(TFieldType dataType, int size);
    // The record data's size, and where a field definition's null flag lies
    // in it (its value follows); -1 for a blob.
    qint64 RecordSize() const { return m_recordSize; }
    qint64 FieldOffset(int fieldNo) const;

    // The next value an auto-increment field gets on insert.
    qint32 AutoIncValue() const { return m_autoInc; }

    bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) override;
    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
    std::unique_ptr<TStream> CreateBlobStream(TField& field, TBlobStreamMode mode) override;
    // A change while open returns to browse mode first and moves to the
    // first record.
    void SetFiltered(bool filtered) override;
    void SetOnFilterRecord(TFilterRecordEvent handler) override;

protected:
    std::unique_ptr<TRecordBuffer> AllocRecordBuffer() override;
    void InternalInitRecord(TRecordBuffer& buffer) override;
    TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode, bool doCheck) override;
    void InternalOpen() override;
    void InternalClose() override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    void InternalSetToRecord(TRecordBuffer& buffer) override;
    void InternalPost() override;
    void InternalDelete() override;
    bool GetFieldData(const TField& field, const TRecordBuffer& buffer, QVariant& value) override;
    void SetFieldData(TField& field, TRecordBuffer& buffer, const QVariant& value) override;
    int GetRecordCount() override;
    int GetRecNo() override;
    bool InternalSetRecNo(int recNo) override;
    bool GetRowRecord(int row, TRecordBuffer& buffer) override;
    bool GetCanModify() override;
    TBookmark GetBookmarkData(const TRecordBuffer& buffer) const override;
    void SetBookmarkData(TRecordBuffer& buffer, const TBookmark& bookmark) override;

private:
    friend class TMemoryRecord;
    friend class TMemBlobStream;
    class Buffer;

    struct Slot
    {
        qint64 offset = -1; // of the null flag; -1 for a blob
        int blobIndex = -1;
        int size = 0;       // declared size (texts, bytes)
        TFieldType type = ftUnknown;
    };

    void InitFieldDefsFromFields();
    void ComputeLayout();
    const Slot& SlotOf(const TField& field) const;
    std::unique_ptr<TMemoryRecord> NewRecord();
    void CopyToBuffer(int index, Buffer& buffer) const;
    void CopyFromBuffer(const Buffer& buffer, TMemoryRecord& record) const;
    bool Accepts(int index);
    int IndexOfID(qint32 id) const;
    void BlobChanged(TField& field);

    std::vector<std::unique_ptr<TMemoryRecord>> m_records;
    std::vector<Slot> m_slots; // one per field definition
    qint64 m_recordSize = 0;
    int m_blobCount = 0;
    int m_recordPos = -1;
    int m_capacity = 0;
    qint32 m_lastID;
    qint32 m_autoInc = 1;
    std::unique_ptr<TRecordBuffer> m_filterBuffer;
};

// The stream over a blob field of a memory dataset's record: reading takes
// the content the record (or the row being read) holds; writing needs edit
// or insert state and writes into the record being edited.
class TMemBlobStream : public TStream
{
public:
    TMemBlobStream(TField& field, TBlobStreamMode mode);
    ~TMemBlobStream() override;

    qint64 Read(void* buffer, qint64 count) override;
    qint64 Write(const void* buffer, qint64 count) override;
    qint64 Seek(qint64 offset, TSeekOrigin origin) override;
    void SetSize(qint64 newSize) override;
    qint64 Size() override;

private:
    QByteArray& Target();
    void Changed();

    TField& m_field;
    QPointer<TQcMemoryData> m_dataSet;
    TBlobStreamMode m_mode;
    QByteArray m_readData;
    TRecordBuffer* m_buffer = nullptr; // written to (edit or insert)
    quint64 m_openSerial = 0;
    qint64 m_position = 0;
    bool m_modified = false;
};
