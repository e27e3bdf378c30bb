#include "components/MemoryData.h"

#include "components/DataSetUtils.h"

#include "platform/RawBytes.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/Stream.h"

#include <QDateTime>
#include <QPointer>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr qint32 NoID = std::numeric_limits<qint32>::min();

const char* const NoFieldsDefined = "No fields defined";
const char* const UnknownFieldType = "Field '%1' is of an unknown type";
const char* const NoDataFound = "No data found";
const char* const TooManyRecords = "Too many records";

// A text without a size limit, or a blob, is kept beside the record.
bool OutOfLine(TFieldType type, int size)
{
    return IsBlobFieldType(type) || (type == ftString && size <= 0);
}

qint32 IdOf(const TBookmark& bookmark)
{
    return bookmark.size() == int(sizeof(qint32)) ? LoadRaw<qint32>(bookmark.constData()) : NoID;
}

[[noreturn]] void Raise(const char* message)
{
    DatabaseError(QString::fromLatin1(message));
}

} // namespace

// ---------------------------------------------------------------- buffers and records

class TQcMemoryData::Buffer : public TRecordBuffer
{
public:
    Buffer(qint64 dataSize, int blobCount)
        : data(new char[size_t(std::max<qint64>(dataSize, 1))]())
        , blobs(size_t(blobCount))
    {
    }

    std::unique_ptr<char[]> data;
    std::vector<QByteArray> blobs;
    qint32 id = NoID;
};

TMemoryRecord::TMemoryRecord(TQcMemoryData& owner, qint32 id, std::size_t dataSize, int blobCount)
    : m_owner(&owner)
    , m_id(id)
    , m_data(new char[std::max<std::size_t>(dataSize, 1)]())
    , m_blobs(blobCount > 0 ? new QByteArray[size_t(blobCount)] : nullptr)
{
}

int TMemoryRecord::Index() const
{
    const auto& records = m_owner->m_records;
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].get() == this)
            return int(i);
    return -1;
}

void TMemoryRecord::SetIndex(int index)
{
    auto& records = m_owner->m_records;
    const int current = Index();
    if (current < 0)
        return;
    index = std::clamp(index, 0, int(records.size()) - 1);
    if (index == current)
        return;
    std::unique_ptr<TMemoryRecord> self = std::move(records[size_t(current)]);
    records.erase(records.begin() + current);
    records.insert(records.begin() + index, std::move(self));
}

// ---------------------------------------------------------------- TQcMemoryData

TQcMemoryData::TQcMemoryData(QObject* parent)
    : TDataSet(parent)
    , m_lastID(NoID)
{
}

TQcMemoryData::~TQcMemoryData()
{
    try {
        Close();
    } catch (const std::exception& error) {
        qWarning("Closing a memory dataset: %s", error.what());
    }
}

void TQcMemoryData::SetCapacity(int capacity)
{
    m_capacity = std::max(capacity, 0);
    m_records.reserve(size_t(m_capacity));
}

const TMemoryRecord* TQcMemoryData::Records(int index) const
{
    return index >= 0 && index < StoredCount() ? m_records[size_t(index)].get() : nullptr;
}

qint64 TQcMemoryData::CalcFieldLen(TFieldType dataType, int size)
{
    switch (dataType) {
    case ftString: return size > 0 ? 4 + 2 * qint64(size) : 0;
    case ftSmallint:
    case ftWord:
    case ftBoolean: return 2;
    case ftInteger:
    case ftDate:
    case ftTime:
    case ftAutoInc: return 4;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDateTime: return 8;
    case ftBytes: return std::max(size, 0);
    case ftVarBytes: return 4 + qint64(std::max(size, 0));
    default: return IsBlobFieldType(dataType) ? 0 : -1;
    }
}

qint64 TQcMemoryData::FieldOffset(int fieldNo) const
{
    return fieldNo >= 1 && fieldNo <= int(m_slots.size()) ? m_slots[size_t(fieldNo - 1)].offset : -1;
}

void TQcMemoryData::InitFieldDefsFromFields()
{
    FieldDefs().Clear();
    for (int i = 0; i < FieldCount(); ++i) {
        const TField& field = Fields(i);
        if (field.Calculated())
            continue;
        if (CalcFieldLen(field.DataType(), field.Size()) < 0)
            DatabaseError(QString::fromLatin1(UnknownFieldType).arg(field.DisplayName()));
        FieldDefs().Add(field.FieldName(), field.DataType(), field.Size(), field.Required());
    }
}

void TQcMemoryData::ComputeLayout()
{
    m_slots.clear();
    m_recordSize = 0;
    m_blobCount = 0;
    for (const TFieldDef& def : FieldDefs()) {
        Slot slot;
        slot.type = def.DataType();
        slot.size = def.Size();
        const qint64 length = CalcFieldLen(def.DataType(), def.Size());
        if (length < 0)
            DatabaseError(QString::fromLatin1(UnknownFieldType).arg(def.Name()));
        if (OutOfLine(def.DataType(), def.Size())) {
            slot.blobIndex = m_blobCount++;
        } else {
            slot.offset = m_recordSize;
            m_recordSize += 1 + length;
        }
        m_slots.push_back(slot);
    }
}

const TQcMemoryData::Slot& TQcMemoryData::SlotOf(const TField& field) const
{
    const int fieldNo = field.FieldNo();
    if (fieldNo < 1 || fieldNo > int(m_slots.size()))
        DatabaseError(QString::fromLatin1(DbMessages::FieldNotFound).arg(field.DisplayName()));
    return m_slots[size_t(fieldNo - 1)];
}

std::unique_ptr<TMemoryRecord> TQcMemoryData::NewRecord()
{
    if (m_lastID == std::numeric_limits<qint32>::max())
        Raise(TooManyRecords);
    ++m_lastID;
    return std::unique_ptr<TMemoryRecord>(new TMemoryRecord(*this, m_lastID, size_t(m_recordSize), m_blobCount));
}

void TQcMemoryData::CopyToBuffer(int index, Buffer& buffer) const
{
    const TMemoryRecord& record = *m_records[size_t(index)];
    std::memcpy(buffer.data.get(), record.m_data.get(), size_t(m_recordSize));
    for (int i = 0; i < m_blobCount; ++i)
        buffer.blobs[size_t(i)] = record.m_blobs[size_t(i)];
    buffer.id = record.m_id;
    buffer.BookmarkFlag = bfCurrent;
}

void TQcMemoryData::CopyFromBuffer(const Buffer& buffer, TMemoryRecord& record) const
{
    std::memcpy(record.m_data.get(), buffer.data.get(), size_t(m_recordSize));
    for (int i = 0; i < m_blobCount; ++i)
        record.m_blobs[size_t(i)] = buffer.blobs[size_t(i)];
}

bool TQcMemoryData::Accepts(int index)
{
    if (!Filtered() || !OnFilterRecord())
        return true;
    if (!m_filterBuffer)
        m_filterBuffer = AllocateBuffer();
    CopyToBuffer(index, static_cast<Buffer&>(*m_filterBuffer));
    return FilterRecord(*m_filterBuffer);
}

int TQcMemoryData::IndexOfID(qint32 id) const
{
    if (m_recordPos >= 0 && m_recordPos < StoredCount() && m_records[size_t(m_recordPos)]->m_id == id)
        return m_recordPos;
    for (size_t i = 0; i < m_records.size(); ++i)
        if (m_records[i]->m_id == id)
            return int(i);
    return -1;
}

// ---------------------------------------------------------------- opening

void TQcMemoryData::InternalOpen()
{
    if (FieldCount() == 0)
        Raise(NoFieldsDefined);
    InitFieldDefsFromFields();
    ComputeLayout();
    m_records.reserve(size_t(m_capacity));
    m_recordPos = -1;
    m_lastID = NoID;
    m_autoInc = 1;
}

void TQcMemoryData::InternalClose()
{
    m_records.clear();
    m_filterBuffer.reset();
    m_lastID = NoID;
    m_recordPos = -1;
    m_autoInc = 1;
}

std::unique_ptr<TRecordBuffer> TQcMemoryData::AllocRecordBuffer()
{
    return std::make_unique<Buffer>(m_recordSize, m_blobCount);
}

void TQcMemoryData::InternalInitRecord(TRecordBuffer& buffer)
{
    Buffer& b = static_cast<Buffer&>(buffer);
    std::memset(b.data.get(), 0, size_t(m_recordSize));
    for (QByteArray& blob : b.blobs)
        blob.clear();
    b.id = NoID;
    b.BookmarkFlag = bfInserted;
}

// ---------------------------------------------------------------- navigation

TGetResult TQcMemoryData::GetRecord(TRecordBuffer& buffer, TGetMode mode, bool doCheck)
{
    const int count = StoredCount();
    TGetResult result = grOK;
    switch (mode) {
    case gmCurrent:
        if (m_recordPos < 0 || m_recordPos >= count || !Accepts(m_recordPos))
            result = grError;
        break;
    case gmNext:
        for (;;) {
            if (m_recordPos >= count - 1) {
                m_recordPos = count - 1;
                result = grEOF;
                break;
            }
            ++m_recordPos;
            if (Accepts(m_recordPos))
                break;
        }
        break;
    case gmPrior:
        for (;;) {
            if (m_recordPos <= 0) {
                m_recordPos = -1;
                result = grBOF;
                break;
            }
            --m_recordPos;
            if (Accepts(m_recordPos))
                break;
        }
        break;
    }
    if (result == grError && doCheck)
        Raise(NoDataFound);
    if (result == grOK)
        CopyToBuffer(m_recordPos, static_cast<Buffer&>(buffer));
    return result;
}

void TQcMemoryData::InternalFirst()
{
    m_recordPos = -1;
}

void TQcMemoryData::InternalLast()
{
    m_recordPos = StoredCount();
}

void TQcMemoryData::InternalGotoBookmark(const TBookmark& bookmark)
{
    const int index = IndexOfID(IdOf(bookmark));
    if (index < 0)
        DatabaseError(QString::fromLatin1(DbMessages::RecordNotFound));
    // A record the filter hides is not gone to.
    if (Filtered() && !Accepts(index))
        return;
    m_recordPos = index;
}

void TQcMemoryData::InternalSetToRecord(TRecordBuffer& buffer)
{
    const int index = IndexOfID(static_cast<Buffer&>(buffer).id);
    if (index < 0)
        DatabaseError(QString::fromLatin1(DbMessages::RecordNotFound));
    m_recordPos = index;
}

int TQcMemoryData::GetRecordCount()
{
    return StoredCount();
}

int TQcMemoryData::GetRecNo()
{
    const int count = StoredCount();
    if (m_recordPos < 0)
        return count > 0 ? 1 : 0;
    return std::min(m_recordPos, count - 1) + 1;
}

bool TQcMemoryData::InternalSetRecNo(int recNo)
{
    if (recNo < 1 || recNo > StoredCount())
        return false;
    m_recordPos = recNo - 1;
    return true;
}

bool TQcMemoryData::GetRowRecord(int row, TRecordBuffer& buffer)
{
    if (row < 0 || row >= StoredCount())
        return false;
    CopyToBuffer(row, static_cast<Buffer&>(buffer));
    return true;
}

// ---------------------------------------------------------------- editing

bool TQcMemoryData::GetCanModify()
{
    return !Filtered();
}

void TQcMemoryData::InternalPost()
{
    Buffer& buffer = static_cast<Buffer&>(*ActiveBuffer());
    if (State() == dsEdit) {
        if (m_recordPos < 0 || m_recordPos >= StoredCount())
            Raise(NoDataFound);
        CopyFromBuffer(buffer, *m_records[size_t(m_recordPos)]);
        return;
    }
    bool hasAutoInc = false;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const Slot& slot = m_slots[i];
        if (slot.type != ftAutoInc)
            continue;
        char* p = buffer.data.get() + slot.offset;
        p[0] = 1;
        StoreRaw<qint32>(p + 1, m_autoInc);
        hasAutoInc = true;
    }
    if (hasAutoInc && m_autoInc < std::numeric_limits<qint32>::max())
        ++m_autoInc;
    std::unique_ptr<TMemoryRecord> record = NewRecord();
    CopyFromBuffer(buffer, *record);
    const int count = StoredCount();
    int index = m_recordPos < 0 ? 0 : m_recordPos;
    if (GetBookmarkFlag(buffer) == bfEOF || index >= count)
        index = count;
    m_records.insert(m_records.begin() + index, std::move(record));
    m_recordPos = index;
}

void TQcMemoryData::InternalDelete()
{
    if (m_recordPos < 0 || m_recordPos >= StoredCount())
        Raise(NoDataFound);
    m_records.erase(m_records.begin() + m_recordPos);
    if (m_recordPos >= StoredCount())
        m_recordPos = StoredCount() - 1;
    if (Filtered())
        while (m_recordPos >= 0 && !Accepts(m_recordPos))
            --m_recordPos;
    if (m_records.empty()) {
        m_lastID = NoID;
        m_recordPos = -1;
    }
}

// ---------------------------------------------------------------- field data

bool TQcMemoryData::GetFieldData(const TField& field, const TRecordBuffer& buffer, QVariant& value)
{
    const Slot& slot = SlotOf(field);
    const Buffer& b = static_cast<const Buffer&>(buffer);
    if (slot.blobIndex >= 0) {
        const QByteArray& bytes = b.blobs[size_t(slot.blobIndex)];
        if (bytes.isEmpty())
            return false;
        if (slot.type == ftString)
            value = QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
        else
            value = bytes;
        return true;
    }
    const char* p = b.data.get() + slot.offset;
    if (p[0] == 0)
        return false;
    const char* v = p + 1;
    switch (slot.type) {
    case ftString: {
        const quint32 length = LoadRaw<quint32>(v);
        if (length == 0)
            return false;
        QString text(qsizetype(length), Qt::Uninitialized);
        std::memcpy(text.data(), v + 4, size_t(length) * 2);
        value = text;
        return true;
    }
    case ftSmallint: value = int(LoadRaw<qint16>(v)); break;
    case ftWord: value = int(LoadRaw<quint16>(v)); break;
    case ftBoolean: value = LoadRaw<qint16>(v) != 0; break;
    case ftInteger:
    case ftAutoInc: value = LoadRaw<qint32>(v); break;
    case ftDate: value = QDate::fromJulianDay(LoadRaw<qint32>(v)); break;
    case ftTime: value = QTime::fromMSecsSinceStartOfDay(LoadRaw<qint32>(v)); break;
    case ftFloat:
    case ftCurrency:
    case ftBCD: value = LoadRaw<double>(v); break;
    case ftDateTime: value = QDateTime::fromMSecsSinceEpoch(LoadRaw<qint64>(v), Qt::UTC); break;
    case ftBytes: value = QByteArray(v, slot.size); break;
    case ftVarBytes: {
        const quint32 length = std::min<quint32>(LoadRaw<quint32>(v), quint32(std::max(slot.size, 0)));
        value = QByteArray(v + 4, qsizetype(length));
        break;
    }
    default: return false;
    }
    return true;
}

void TQcMemoryData::SetFieldData(TField& field, TRecordBuffer& buffer, const QVariant& value)
{
    const Slot& slot = SlotOf(field);
    Buffer& b = static_cast<Buffer&>(buffer);
    if (slot.blobIndex >= 0) {
        QByteArray& target = b.blobs[size_t(slot.blobIndex)];
        if (!value.isValid())
            target.clear();
        else if (slot.type == ftString) {
            const QString text = value.toString();
            target = QByteArray(reinterpret_cast<const char*>(text.constData()), text.size() * 2);
        } else {
            target = value.toByteArray();
        }
        return;
    }
    char* p = b.data.get() + slot.offset;
    const qint64 length = CalcFieldLen(slot.type, slot.size);
    std::memset(p, 0, size_t(1 + length));
    if (!value.isValid())
        return;
    p[0] = 1;
    char* v = p + 1;
    switch (slot.type) {
    case ftString: {
        QString text = value.toString();
        // A longer text is cut to the field's size, never written past it,
        // and never in the middle of a character.
        if (text.size() > slot.size) {
            qsizetype cut = slot.size;
            if (cut > 0 && text.at(cut - 1).isHighSurrogate())
                --cut;
            text.truncate(cut);
        }
        StoreRaw<quint32>(v, quint32(text.size()));
        std::memcpy(v + 4, text.constData(), size_t(text.size()) * 2);
        break;
    }
    case ftSmallint: StoreRaw<qint16>(v, qint16(value.toInt())); break;
    case ftWord: StoreRaw<quint16>(v, quint16(value.toUInt())); break;
    case ftBoolean: StoreRaw<qint16>(v, value.toBool() ? 1 : 0); break;
    case ftInteger:
    case ftAutoInc: StoreRaw<qint32>(v, qint32(value.toInt())); break;
    case ftDate: StoreRaw<qint32>(v, qint32(value.toDate().toJulianDay())); break;
    case ftTime: StoreRaw<qint32>(v, value.toTime().msecsSinceStartOfDay()); break;
    case ftFloat:
    case ftCurrency:
    case ftBCD: StoreRaw<double>(v, value.toDouble()); break;
    case ftDateTime: {
        const QDateTime stamp = value.toDateTime();
        StoreRaw<qint64>(v, QDateTime(stamp.date(), stamp.time(), Qt::UTC).toMSecsSinceEpoch());
        break;
    }
    case ftBytes: {
        const QByteArray bytes = value.toByteArray().left(slot.size);
        std::memcpy(v, bytes.constData(), size_t(bytes.size()));
        break;
    }
    case ftVarBytes: {
        const QByteArray bytes = value.toByteArray().left(slot.size);
        StoreRaw<quint32>(v, quint32(bytes.size()));
        std::memcpy(v + 4, bytes.constData(), size_t(bytes.size()));
        break;
    }
    default: p[0] = 0; break;
    }
}

// ---------------------------------------------------------------- bookmarks

TBookmark TQcMemoryData::GetBookmarkData(const TRecordBuffer& buffer) const
{
    const qint32 id = static_cast<const Buffer&>(buffer).id;
    return TBookmark(reinterpret_cast<const char*>(&id), sizeof id);
}

void TQcMemoryData::SetBookmarkData(TRecordBuffer& buffer, const TBookmark& bookmark)
{
    static_cast<Buffer&>(buffer).id = IdOf(bookmark);
}

bool TQcMemoryData::BookmarkValid(const TBookmark& bookmark)
{
    const qint32 id = IdOf(bookmark);
    // The record must still be there, or going to it would fail.
    return Active() && id != NoID && id <= m_lastID && IndexOfID(id) >= 0;
}

int TQcMemoryData::CompareBookmarks(const TBookmark& a, const TBookmark& b)
{
    const qint32 left = IdOf(a);
    const qint32 right = IdOf(b);
    return left < right ? -1 : (left > right ? 1 : 0);
}

// ---------------------------------------------------------------- search and filter

bool TQcMemoryData::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options)
{
    const bool found = DataSetLocateScan(*this, keyFields, keyValues, options);
    if (found) {
        DataEvent(deDataSetChange);
        Fire(AfterScroll);
    }
    return found;
}

void TQcMemoryData::SetFiltered(bool filtered)
{
    if (!Active()) {
        TDataSet::SetFiltered(filtered);
        return;
    }
    CheckBrowseMode();
    if (filtered == Filtered())
        return;
    TDataSet::SetFiltered(filtered);
    First();
}

void TQcMemoryData::SetOnFilterRecord(TFilterRecordEvent handler)
{
    if (!Active()) {
        TDataSet::SetOnFilterRecord(std::move(handler));
        return;
    }
    CheckBrowseMode();
    TDataSet::SetOnFilterRecord(std::move(handler));
    if (Filtered())
        First();
}

// ---------------------------------------------------------------- blobs

std::unique_ptr<TStream> TQcMemoryData::CreateBlobStream(TField& field, TBlobStreamMode mode)
{
    CheckActive();
    return std::make_unique<TMemBlobStream>(field, mode);
}

void TQcMemoryData::BlobChanged(TField& field)
{
    if (auto* blob = dynamic_cast<TBlobField*>(&field))
        blob->SetModified(true);
    DataEvent(deFieldChange, &field);
}

TMemBlobStream::TMemBlobStream(TField& field, TBlobStreamMode mode)
    : m_field(field)
    , m_dataSet(qobject_cast<TQcMemoryData*>(field.DataSet()))
    , m_mode(mode)
{
    if (!m_dataSet)
        DatabaseError(QString::fromLatin1(DbMessages::FieldNoDataSet).arg(field.DisplayName()));
    m_openSerial = m_dataSet->OpenSerial();
    const TQcMemoryData::Slot& slot = m_dataSet->SlotOf(field);
    if (slot.blobIndex < 0)
        DatabaseError(QString::fromLatin1(DbMessages::FieldAccessError).arg(field.DisplayName(), QStringLiteral("Blob")));
    if (mode != bmRead) {
        if (field.ReadOnly())
            DatabaseError(QString::fromLatin1(DbMessages::FieldReadOnly).arg(field.DisplayName()));
        const TDataSetState state = m_dataSet->State();
        if (state != dsEdit && state != dsInsert)
            DatabaseError(QString::fromLatin1(DbMessages::NotEditing));
        m_buffer = m_dataSet->ActiveBuffer();
        if (mode == bmWrite) {
            Target().clear();
            m_modified = true;
        }
        return;
    }
    // Reading: what the row being read holds; nothing when there is no row.
    if (const TRecordBuffer* buffer = m_dataSet->GetActiveRecordBuffer())
        m_readData = static_cast<const TQcMemoryData::Buffer*>(buffer)->blobs[size_t(slot.blobIndex)];
}

TMemBlobStream::~TMemBlobStream()
{
    if (!m_modified)
        return;
    try {
        Changed();
    } catch (const std::exception& error) {
        qWarning("Blob field %s: %s", qPrintable(m_field.FieldName()), error.what());
    }
}

QByteArray& TMemBlobStream::Target()
{
    // The stream writes into the record being edited; once the dataset has
    // left it (posted, cancelled, moved, closed) there is nothing to write to.
    const TDataSetState state = m_dataSet ? m_dataSet->State() : dsInactive;
    if (!m_buffer || m_dataSet->OpenSerial() != m_openSerial || (state != dsEdit && state != dsInsert)
        || m_dataSet->ActiveBuffer() != m_buffer)
        DatabaseError(QString::fromLatin1(DbMessages::NotEditing));
    const TQcMemoryData::Slot& slot = m_dataSet->SlotOf(m_field);
    return static_cast<TQcMemoryData::Buffer*>(m_buffer)->blobs[size_t(slot.blobIndex)];
}

void TMemBlobStream::Changed()
{
    m_modified = false;
    if (m_dataSet && m_dataSet->Active() && m_dataSet->OpenSerial() == m_openSerial)
        m_dataSet->BlobChanged(m_field);
}

qint64 TMemBlobStream::Read(void* buffer, qint64 count)
{
    const QByteArray& data = m_mode == bmRead ? m_readData : Target();
    if (count <= 0 || m_position < 0 || m_position >= data.size())
        return 0;
    const qint64 n = std::min<qint64>(count, data.size() - m_position);
    std::memcpy(buffer, data.constData() + m_position, size_t(n));
    m_position += n;
    return n;
}

qint64 TMemBlobStream::Write(const void* buffer, qint64 count)
{
    if (m_mode == bmRead || count <= 0 || m_position < 0)
        return 0;
    QByteArray& data = Target();
    const qint64 end = m_position + count;
    if (end > data.size()) {
        const qint64 oldSize = data.size();
        data.resize(qsizetype(end));
        if (m_position > oldSize)
            std::memset(data.data() + oldSize, 0, size_t(m_position - oldSize));
    }
    std::memcpy(data.data() + m_position, buffer, size_t(count));
    m_position = end;
    m_modified = true;
    return count;
}

qint64 TMemBlobStream::Seek(qint64 offset, TSeekOrigin origin)
{
    switch (origin) {
    case soBeginning: m_position = offset; break;
    case soCurrent: m_position += offset; break;
    case soEnd: m_position = Size() + offset; break;
    }
    return m_position;
}

void TMemBlobStream::SetSize(qint64 newSize)
{
    if (m_mode == bmRead)
        return;
    QByteArray& data = Target();
    const qint64 oldSize = data.size();
    newSize = std::max<qint64>(newSize, 0);
    data.resize(qsizetype(newSize));
    if (newSize > oldSize)
        std::memset(data.data() + oldSize, 0, size_t(newSize - oldSize));
    m_modified = true;
}

qint64 TMemBlobStream::Size()
{
    return m_mode == bmRead ? m_readData.size() : Target().size();
}
