#include "VectorDataSet_support.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/Stream.h"

#include <QtEndian>

class TVectorDataSet::Buffer : public TRecordBuffer
{
public:
    QVariantList values;
};

// A blob of the active record as bytes in memory; written back into the
// record buffer, and the change reported, when the stream goes.
class TVectorDataSet::BlobStream : public TMemoryStream
{
public:
    BlobStream(TVectorDataSet& dataSet, TField& field, Buffer* buffer, TBlobStreamMode mode)
        : m_dataSet(dataSet)
        , m_field(field)
        , m_buffer(buffer)
        , m_mode(mode)
    {
        if (buffer && mode != bmWrite)
            SetBytes(buffer->values.value(field.FieldNo() - 1).toByteArray());
        m_written = false;
    }

    ~BlobStream() override
    {
        if (!m_written || !m_buffer)
            return;
        m_buffer->values[m_field.FieldNo() - 1] = Bytes().isEmpty() ? QVariant() : QVariant(Bytes());
        if (auto* blob = dynamic_cast<TBlobField*>(&m_field))
            blob->SetModified(true);
        try {
            m_dataSet.DataEvent(deFieldChange, &m_field);
        } catch (...) {
            // No exception leaves a destructor.
        }
    }

    qint64 Write(const void* buffer, qint64 count) override
    {
        if (m_mode == bmRead)
            throw EDatabaseError("Blob stream cannot be written.");
        return TMemoryStream::Write(buffer, count);
    }

protected:
    void Changed() override { m_written = true; }

private:
    TVectorDataSet& m_dataSet;
    TField& m_field;
    Buffer* m_buffer;
    TBlobStreamMode m_mode;
    bool m_written = false;
};

namespace {

TBookmark BookmarkOfId(int id)
{
    TBookmark bookmark(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(id, bookmark.data());
    return bookmark;
}

int IdOfBookmark(const TBookmark& bookmark)
{
    return bookmark.size() == 4 ? qFromLittleEndian<qint32>(bookmark.constData()) : 0;
}

} // namespace

TVectorDataSet::TVectorDataSet(QObject* parent)
    : TDataSet(parent)
{
}

TVectorDataSet::~TVectorDataSet()
{
    try {
        Close();
    } catch (...) {
    }
}

void TVectorDataSet::AddRow(const QVariantList& values)
{
    m_rows.push_back({m_nextId++, values});
    if (!m_lazy && Active())
        m_fetched = StoredCount();
}

QVariantList TVectorDataSet::StoredRow(int index) const
{
    return m_rows.at(size_t(index)).values;
}

void TVectorDataSet::SetStoredValue(int index, int column, const QVariant& value)
{
    m_rows.at(size_t(index)).values[column] = value;
}

void TVectorDataSet::Hook(const char* step)
{
    if (FailureHook)
        FailureHook(step);
}

std::unique_ptr<TRecordBuffer> TVectorDataSet::AllocRecordBuffer()
{
    auto buffer = std::make_unique<Buffer>();
    for (int i = 0; i < FieldDefs().Count(); ++i)
        buffer->values.append(QVariant());
    return buffer;
}

void TVectorDataSet::InternalInitRecord(TRecordBuffer& buffer)
{
    auto& values = static_cast<Buffer&>(buffer).values;
    for (QVariant& value : values)
        value = QVariant();
    buffer.Bookmark.clear();
}

void TVectorDataSet::InternalOpen()
{
    Hook("open");
    FieldDefs().Clear();
    for (const TestColumn& column : m_columns)
        FieldDefs().Add(column.name, column.type, column.size);
    m_pos = -1;
    m_fetched = m_lazy ? 0 : StoredCount();
}

void TVectorDataSet::InternalClose()
{
    ++InternalCloseCount;
    m_pos = -1;
    m_fetched = 0;
}

bool TVectorDataSet::FetchOne()
{
    if (m_fetched >= StoredCount())
        return false;
    ++m_fetched;
    ++FetchCount;
    return true;
}

void TVectorDataSet::InternalLast()
{
    while (FetchOne()) {
    }
    m_pos = m_fetched;
}

int TVectorDataSet::FetchMoreRows(int maxRows)
{
    int fetched = 0;
    while (fetched < maxRows && FetchOne())
        ++fetched;
    return fetched;
}

void TVectorDataSet::CopyRow(int index, TRecordBuffer& buffer) const
{
    const Row& row = m_rows[size_t(index)];
    static_cast<Buffer&>(buffer).values = row.values;
    buffer.Bookmark = BookmarkOfId(row.id);
    buffer.BookmarkFlag = bfCurrent;
}

TGetResult TVectorDataSet::GetRecord(TRecordBuffer& buffer, TGetMode mode, bool doCheck)
{
    // A filtered dataset skips the records its filter refuses, in the
    // direction of the move.
    auto passes = [&] {
        CopyRow(m_pos, buffer);
        return !Filtered() || FilterRecord(buffer);
    };
    switch (mode) {
    case gmNext:
        do {
            if (m_pos + 1 >= m_fetched && !FetchOne()) {
                m_pos = m_fetched;
                return grEOF;
            }
            ++m_pos;
        } while (!passes());
        return grOK;
    case gmPrior:
        do {
            if (m_pos - 1 < 0) {
                m_pos = -1;
                return grBOF;
            }
            m_pos = std::min(m_pos, m_fetched) - 1;
        } while (!passes());
        return grOK;
    case gmCurrent:
        break;
    }
    if (m_pos < 0 || m_pos >= m_fetched || !passes()) {
        if (doCheck)
            throw EDatabaseError("No current record");
        return grError;
    }
    return grOK;
}

int TVectorDataSet::IndexOfId(int id) const
{
    for (int i = 0; i < m_fetched; ++i)
        if (m_rows[size_t(i)].id == id)
            return i;
    return -1;
}

void TVectorDataSet::InternalGotoBookmark(const TBookmark& bookmark)
{
    const int index = IndexOfId(IdOfBookmark(bookmark));
    if (index < 0)
        throw EDatabaseError(DbMessages::RecordNotFound);
    m_pos = index;
}

bool TVectorDataSet::BookmarkValid(const TBookmark& bookmark)
{
    return Active() && IndexOfId(IdOfBookmark(bookmark)) >= 0;
}

int TVectorDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b)
{
    const int ia = a.isEmpty() ? -1 : IndexOfId(IdOfBookmark(a));
    const int ib = b.isEmpty() ? -1 : IndexOfId(IdOfBookmark(b));
    return ia < ib ? -1 : ia > ib ? 1 : 0;
}

void TVectorDataSet::InternalPost()
{
    Hook("post");
    const auto& values = static_cast<Buffer*>(ActiveBuffer())->values;
    if (State() == dsEdit) {
        m_rows[size_t(m_pos)].values = values;
        return;
    }
    int at = 0;
    switch (ActiveBuffer()->BookmarkFlag) {
    case bfEOF: at = m_fetched; break;
    case bfBOF: at = 0; break;
    default: at = std::clamp(m_pos, 0, m_fetched); break;
    }
    m_rows.insert(m_rows.begin() + at, Row{m_nextId++, values});
    ++m_fetched;
    m_pos = at;
}

void TVectorDataSet::InternalDelete()
{
    Hook("delete");
    m_rows.erase(m_rows.begin() + m_pos);
    --m_fetched;
    if (m_pos >= m_fetched && !FetchOne())
        m_pos = m_fetched - 1;
}

bool TVectorDataSet::GetFieldData(const TField& field, const TRecordBuffer& buffer, QVariant& value)
{
    value = static_cast<const Buffer&>(buffer).values.value(field.FieldNo() - 1);
    return value.isValid();
}

void TVectorDataSet::SetFieldData(TField& field, TRecordBuffer& buffer, const QVariant& value)
{
    static_cast<Buffer&>(buffer).values[field.FieldNo() - 1] = value;
}

int TVectorDataSet::GetRecNo()
{
    return m_pos >= 0 && m_pos < m_fetched ? m_pos + 1 : 0;
}

bool TVectorDataSet::InternalSetRecNo(int recNo)
{
    while (recNo > m_fetched && FetchOne()) {
    }
    if (recNo < 1 || recNo > m_fetched)
        return false;
    m_pos = recNo - 1;
    return true;
}

bool TVectorDataSet::GetRowRecord(int row, TRecordBuffer& buffer)
{
    if (row < 0 || row >= m_fetched)
        return false;
    CopyRow(row, buffer);
    return true;
}

std::unique_ptr<TStream> TVectorDataSet::CreateBlobStream(TField& field, TBlobStreamMode mode)
{
    if (mode != bmRead && State() != dsEdit && State() != dsInsert)
        throw EDatabaseError(DbMessages::NotEditing);
    auto* buffer = static_cast<Buffer*>(mode == bmRead ? GetActiveRecordBuffer() : ActiveBuffer());
    return std::make_unique<BlobStream>(*this, field, buffer, mode);
}

// ---------------------------------------------------------------- tracing

TEventTrace::TEventTrace(TDataSet& ds)
    : m_dataSet(ds)
{
    static const char* const names[] = {"BeforeOpen",   "AfterOpen",   "BeforeClose",  "AfterClose",
                                        "BeforeInsert", "AfterInsert", "BeforeEdit",   "AfterEdit",
                                        "BeforePost",   "AfterPost",   "BeforeCancel", "AfterCancel",
                                        "BeforeDelete", "AfterDelete", "BeforeScroll", "AfterScroll",
                                        "BeforeRefresh", "AfterRefresh", "OnNewRecord"};
    const auto events = Events();
    for (size_t i = 0; i < events.size(); ++i) {
        const char* name = names[i];
        *events[i] = [this, name](TDataSet&) { m_entries.append(name); };
    }
}

TEventTrace::~TEventTrace()
{
    for (TDataSetNotifyEvent* event : Events())
        *event = nullptr;
}

std::vector<TDataSetNotifyEvent*> TEventTrace::Events()
{
    TDataSet& ds = m_dataSet;
    return {&ds.BeforeOpen,   &ds.AfterOpen,   &ds.BeforeClose,  &ds.AfterClose,  &ds.BeforeInsert,
            &ds.AfterInsert,  &ds.BeforeEdit,  &ds.AfterEdit,    &ds.BeforePost,  &ds.AfterPost,
            &ds.BeforeCancel, &ds.AfterCancel, &ds.BeforeDelete, &ds.AfterDelete, &ds.BeforeScroll,
            &ds.AfterScroll,  &ds.BeforeRefresh, &ds.AfterRefresh, &ds.OnNewRecord};
}

QStringList TEventTrace::Take()
{
    QStringList entries;
    entries.swap(m_entries);
    return entries;
}

void TRecordingLink::RecordChanged(TField* field)
{
    m_log.append(field ? "link:record " + field->FieldName() : QString("link:record"));
}

void FillProducts(TVectorDataSet& dataSet, const std::vector<std::tuple<int, QString, double>>& rows)
{
    dataSet.SetColumns({{"ID", ftInteger}, {"NAME", ftString, 20}, {"PRICE", ftFloat}});
    for (const auto& [id, name, price] : rows)
        dataSet.AddRow({id, name, price});
}

void FillFiveProducts(TVectorDataSet& dataSet)
{
    FillProducts(dataSet, {{1, "Apple", 1.5}, {2, "Banana", 0.25}, {3, "cherry", 12}, {4, "Date", 3.75},
                           {5, "apricot", 2}});
}
