#include "access/QvDataSet.h"

#include "access/QvTransactionScope.h"
#include "access/QvValue.h"
#include "platform/RawBytes.h"
#include "platform/ScopeExit.h"
#include "platform/WaitCursor.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/ValueText.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

// Record header: status, update kind, saved-copy number, then one null flag
// per column; the values follow.
constexpr int statusOffset = 0;
constexpr int kindOffset = 1;
constexpr int savedOffset = 4;
constexpr int nullsOffset = 8;

enum RecordKind : unsigned char { kindNone = 0, kindModified = 1, kindInserted = 2, kindDeleted = 3 };

// Rows a search asks for at a time when it runs past the records at hand.
constexpr int locateFetchChunk = 64;

int alignUp(int value, int alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

qint64 powerOfTen(int exponent)
{
    qint64 result = 1;
    while (exponent-- > 0)
        result *= 10;
    return result;
}

// A scaled integer moved from one scale to another, exactly; none when it
// does not fit or a digit would be lost.
std::optional<qint64> rescaled(qint64 value, int from, int to)
{
    if (from == to)
        return value;
    if (from > to) {
        const int places = from - to;
        if (places > 18)
            return value == 0 ? std::optional<qint64>(0) : std::nullopt;
        const qint64 factor = powerOfTen(places);
        if (value > std::numeric_limits<qint64>::max() / factor || value < std::numeric_limits<qint64>::min() / factor)
            return std::nullopt;
        return value * factor;
    }
    return std::nullopt;
}

bool isUtf8Set(int characterSet)
{
    return characterSet == 3 || characterSet == 4;
}

// The first `count` characters of a text, surrogate pairs kept whole.
QString leftCharacters(const QString& text, int count)
{
    qsizetype end = 0;
    for (int n = 0; n < count && end < text.size(); ++n)
        end += text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
    return text.left(end);
}

// Cuts bytes to `limit`, moving back to the lead byte of a UTF-8 sequence
// the limit falls into.
void cutUtf8(QByteArray& bytes, int limit)
{
    int end = limit;
    while (end > 0 && (static_cast<unsigned char>(bytes.at(end)) & 0xC0) == 0x80)
        --end;
    bytes.truncate(end);
}

// The text as the column stores it: no more characters than the column
// holds, no more than `limit` bytes, and never part of a character.
QByteArray fitText(const QvTextCodec& codec, int characterSet, const QString& text, int limit,
                   const QString& holder)
{
    // Refused, never changed: text the connection cannot carry never becomes "?".
    if (codec.firstUncarried(text) >= 0)
        codec.encodeStrict(text, holder);
    // Through a connection without a character set the text's characters
    // are the column's bytes.
    const bool rawBytes = codec.kind() == QvTextCodec::Latin1;
    const QString kept = rawBytes ? text : leftCharacters(text, std::max(1, limit / QvTextCodec::bytesPerCharacter(characterSet)));
    QByteArray bytes = codec.encode(kept);
    if (bytes.size() <= limit)
        return bytes;
    switch (codec.kind()) {
    case QvTextCodec::Latin1:
        if (isUtf8Set(characterSet))
            cutUtf8(bytes, limit);
        else
            bytes.truncate(limit);
        return bytes;
    case QvTextCodec::Utf8:
        cutUtf8(bytes, limit);
        return bytes;
    case QvTextCodec::Named:
        break;
    }
    // Any other set: the longest run of whole characters that fits.
    int low = 0;
    int high = int(kept.size());
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (codec.encode(leftCharacters(kept, middle)).size() <= limit)
            low = middle;
        else
            high = middle - 1;
    }
    return codec.encode(leftCharacters(kept, low));
}

bool isSelect(int sqlType)
{
    return sqlType == isc_info_sql_stmt_select || sqlType == isc_info_sql_stmt_select_for_upd;
}

TBookmark bookmarkOf(int index)
{
    TBookmark bookmark(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(index, bookmark.data());
    return bookmark;
}

int indexOfBookmark(const TBookmark& bookmark)
{
    return bookmark.size() == 4 ? qFromLittleEndian<qint32>(bookmark.constData()) : -1;
}

class ControlsPause
{
public:
    explicit ControlsPause(TDataSet& dataSet)
        : m_dataSet(dataSet)
    {
        m_dataSet.DisableControls();
    }
    ~ControlsPause()
    {
        try {
            m_dataSet.EnableControls();
        } catch (const std::exception& error) {
            qWarning("Enabling controls: %s", error.what());
        }
    }
    ControlsPause(const ControlsPause&) = delete;
    ControlsPause& operator=(const ControlsPause&) = delete;

private:
    TDataSet& m_dataSet;
};

} // namespace

// ---------------------------------------------------------------- pieces

// One column of the select, as the record stores it: text with its length,
// a 32-bit integer or a double (the old types, as their fields hold them),
// the server's own form of the newer number, date, time and boolean types
// (Scalar, sent back byte for byte), or a blob id.
struct TQvCustomDataSet::Column
{
    enum Stored { None, Text, Integer, Double, Scalar, Quad, Null };

    QString name;
    int sqlType = 0;
    int scale = 0;
    int length = 0; // sqllen: bytes of text
    int characterSet = 0;
    Stored stored = None;
    int size = 0;   // bytes of a Scalar
    int offset = 0;
    const QvTextCodec* codec = nullptr;

    QString Holder() const { return QStringLiteral("Column \"") + name + QLatin1Char('"'); }
};

// Fixed-size records in chunks of BufferChunks records: growing never moves
// a record, and a long result set is never copied as a whole.
class TQvCustomDataSet::RecordStore
{
public:
    RecordStore(int recordSize, int chunkRecords)
        : m_recordSize(recordSize)
        , m_chunkRecords(std::max(chunkRecords, 1))
    {
    }

    char* At(int slot) const
    {
        return m_chunks[std::size_t(slot / m_chunkRecords)].get() + std::size_t(slot % m_chunkRecords) * m_recordSize;
    }
    void Reserve(int count)
    {
        while (m_capacity < count) {
            m_chunks.push_back(std::unique_ptr<char[]>(new char[std::size_t(m_chunkRecords) * m_recordSize]));
            m_capacity += m_chunkRecords;
        }
    }
    qint64 Bytes() const
    {
        return qint64(m_chunks.size()) * m_chunkRecords * m_recordSize
               + qint64(m_chunks.capacity() * sizeof(std::unique_ptr<char[]>));
    }

private:
    std::size_t m_recordSize;
    int m_chunkRecords;
    int m_capacity = 0;
    std::vector<std::unique_ptr<char[]>> m_chunks;
};

class TQvCustomDataSet::RecordBuffer : public TRecordBuffer
{
public:
    RecordBuffer(int size, std::size_t blobColumns)
        : data(std::make_unique<char[]>(std::size_t(size)))
        , size(size)
        , blobs(blobColumns)
    {
    }

    std::unique_ptr<char[]> data;
    int size;
    // The cached record this buffer holds (or, while inserting, the one the
    // new record goes before); -1 for none.
    int recordIndex = -1;
    std::vector<std::shared_ptr<TQvBlobStream>> blobs;
};

TQvUpdateRecordTypes::TQvUpdateRecordTypes(std::initializer_list<TCachedUpdateStatus> statuses)
{
    for (TCachedUpdateStatus status : statuses)
        Insert(status);
}

// ---------------------------------------------------------------- TQvStringField

TQvStringField::TQvStringField(const QString& fieldName, int size)
    : TStringField(fieldName, size)
{
}

void TQvStringField::SetAsString(const QString& value)
{
    // The dataset cuts the text to the column's bytes.
    SetData(value.isEmpty() ? QVariant() : QVariant(value));
}

// ---------------------------------------------------------------- TQvDateTimeField

TQvDateTimeField::TQvDateTimeField(const QString& fieldName, TFieldType dataType)
    : TDateTimeField(fieldName, dataType)
{
}

QString TQvDateTimeField::AsString() const
{
    QString text;
    const auto* dataSet = qobject_cast<const TQvCustomDataSet*>(DataSet());
    if (dataSet && dataSet->ScalarText(*this, text))
        return text;
    return TDateTimeField::AsString();
}

int TQvDateTimeField::DefaultWidth() const
{
    // Room for a fraction down to the ten-thousandth of a second.
    switch (DataType()) {
    case ftDate: return 10;
    case ftTime: return 13;
    default: return 24;
    }
}

// ---------------------------------------------------------------- TQvFloatField

TQvFloatField::TQvFloatField(const QString& fieldName)
    : TFloatField(fieldName, ftFloat)
{
}

QString TQvFloatField::AsString() const
{
    QString text;
    const auto* dataSet = qobject_cast<const TQvCustomDataSet*>(DataSet());
    if (dataSet && dataSet->ScalarText(*this, text))
        return text;
    return TFloatField::AsString();
}

QString TQvFloatField::GetText(bool /*displayText*/) const
{
    return AsString();
}

// ---------------------------------------------------------------- TQvMemoField

TQvMemoField::TQvMemoField(const QString& fieldName)
    : TMemoField(fieldName, ftMemo)
{
}

void TQvMemoField::SetAsString(const QString& value)
{
    const auto* dataSet = qobject_cast<const TQvCustomDataSet*>(DataSet());
    if (!dataSet) {
        TMemoField::SetAsString(value);
        return;
    }
    const QvTextCodec& codec = dataSet->Database() ? dataSet->Database()->TextCodec() : QvTextCodec::binary();
    SetAsBytes(codec.encodeStrict(value, QStringLiteral("Column \"") + FieldName() + QLatin1Char('"')));
}

// ---------------------------------------------------------------- TQvDataLink

TQvDataLink::TQvDataLink(TQvCustomDataSet& dataSet)
    : m_dataSet(dataSet)
{
}

void TQvDataLink::ActiveChanged()
{
    m_dataSet.MasterChanged();
}

void TQvDataLink::RecordChanged(TField* field)
{
    if (!field)
        m_dataSet.MasterChanged();
}

// ---------------------------------------------------------------- construction

TQvCustomDataSet::TQvCustomDataSet(QObject* parent)
    : TDataSet(parent)
    , m_base(this)
    , m_dataLink(*this)
    , m_deleteQuery(new TQvQuery(this))
    , m_insertQuery(new TQvQuery(this))
    , m_refreshQuery(new TQvQuery(this))
    , m_selectQuery(new TQvQuery(this))
    , m_updateQuery(new TQvQuery(this))
{
    for (TQvQuery* query : {m_deleteQuery, m_insertQuery, m_refreshQuery, m_selectQuery, m_updateQuery})
        query->SetGoToFirstRecordOnExecute(false);
    m_base.OnTransactionEnding = [this] { BeforeTransactionEnd(); };
    m_base.OnDatabaseDisconnecting = [this] { BeforeTransactionEnd(); };
    // The select's own link closes its cursor; whichever link hears first,
    // the dataset acts before the cursor is gone.
    TQvBase& select = m_selectQuery->Base();
    auto selectEnding = select.OnTransactionEnding;
    select.OnTransactionEnding = [this, selectEnding] {
        BeforeTransactionEnd();
        if (selectEnding)
            selectEnding();
    };
    auto selectDisconnecting = select.OnDatabaseDisconnecting;
    select.OnDatabaseDisconnecting = [this, selectDisconnecting] {
        BeforeTransactionEnd();
        if (selectDisconnecting)
            selectDisconnecting();
    };
}

TQvCustomDataSet::~TQvCustomDataSet()
{
    try {
        Close();
    } catch (const std::exception& error) {
        qWarning("Closing dataset %s: %s", qPrintable(objectName()), error.what());
    }
    m_base.OnTransactionEnding = nullptr;
    m_base.OnDatabaseDisconnecting = nullptr;
    for (TQvQuery* query : {m_deleteQuery, m_insertQuery, m_refreshQuery, m_selectQuery, m_updateQuery})
        delete query;
}

TQvDataSet::TQvDataSet(QObject* parent)
    : TQvCustomDataSet(parent)
{
}

TQvDataSet::~TQvDataSet()
{
    try {
        Close();
    } catch (const std::exception& error) {
        qWarning("Closing dataset %s: %s", qPrintable(objectName()), error.what());
    }
}

// ---------------------------------------------------------------- properties

void TQvCustomDataSet::SetDatabase(TQvDatabase* database)
{
    if (database == m_base.Database())
        return;
    if (Active())
        QvError(qveDatasetOpen);
    m_base.SetDatabase(database);
    for (TQvQuery* query : {m_deleteQuery, m_insertQuery, m_refreshQuery, m_selectQuery, m_updateQuery})
        query->SetDatabase(database);
}

void TQvCustomDataSet::SetTransaction(TQvTransaction* transaction)
{
    if (transaction == m_base.Transaction())
        return;
    if (Active())
        QvError(qveDatasetOpen);
    m_base.SetTransaction(transaction);
    for (TQvQuery* query : {m_deleteQuery, m_insertQuery, m_refreshQuery, m_selectQuery, m_updateQuery})
        query->SetTransaction(transaction);
}

const QStringList& TQvCustomDataSet::SelectSQL() const
{
    return m_selectQuery->SQL();
}

void TQvCustomDataSet::SetSelectSQL(const QStringList& lines)
{
    if (Active())
        QvError(qveDatasetOpen);
    m_selectQuery->SetSQL(lines);
}

void TQvCustomDataSet::SetSelectSQLText(const QString& text)
{
    if (Active())
        QvError(qveDatasetOpen);
    m_selectQuery->SetSQLText(text);
}

const QStringList& TQvCustomDataSet::InsertSQL() const
{
    return m_insertQuery->SQL();
}

void TQvCustomDataSet::SetInsertSQL(const QStringList& lines)
{
    m_insertQuery->SetSQL(lines);
    SourcesOf(*m_insertQuery).clear();
}

void TQvCustomDataSet::SetInsertSQLText(const QString& text)
{
    m_insertQuery->SetSQLText(text);
    SourcesOf(*m_insertQuery).clear();
}

const QStringList& TQvCustomDataSet::UpdateSQL() const
{
    return m_updateQuery->SQL();
}

void TQvCustomDataSet::SetUpdateSQL(const QStringList& lines)
{
    m_updateQuery->SetSQL(lines);
    SourcesOf(*m_updateQuery).clear();
}

void TQvCustomDataSet::SetUpdateSQLText(const QString& text)
{
    m_updateQuery->SetSQLText(text);
    SourcesOf(*m_updateQuery).clear();
}

const QStringList& TQvCustomDataSet::DeleteSQL() const
{
    return m_deleteQuery->SQL();
}

void TQvCustomDataSet::SetDeleteSQL(const QStringList& lines)
{
    m_deleteQuery->SetSQL(lines);
    SourcesOf(*m_deleteQuery).clear();
}

void TQvCustomDataSet::SetDeleteSQLText(const QString& text)
{
    m_deleteQuery->SetSQLText(text);
    SourcesOf(*m_deleteQuery).clear();
}

const QStringList& TQvCustomDataSet::RefreshSQL() const
{
    return m_refreshQuery->SQL();
}

void TQvCustomDataSet::SetRefreshSQL(const QStringList& lines)
{
    m_refreshQuery->SetSQL(lines);
    SourcesOf(*m_refreshQuery).clear();
}

void TQvCustomDataSet::SetRefreshSQLText(const QString& text)
{
    m_refreshQuery->SetSQLText(text);
    SourcesOf(*m_refreshQuery).clear();
}

void TQvCustomDataSet::SetParamSources(TQvModifyStatement statement, TQvParamSources sources)
{
    m_paramSources[int(statement)] = std::move(sources);
}

TQvParamSources& TQvCustomDataSet::SourcesOf(const TQvQuery& query)
{
    const TQvModifyStatement statement = &query == m_insertQuery   ? TQvModifyStatement::Insert
                                         : &query == m_updateQuery ? TQvModifyStatement::Update
                                         : &query == m_deleteQuery ? TQvModifyStatement::Delete
                                                                   : TQvModifyStatement::Refresh;
    return m_paramSources[int(statement)];
}

void TQvCustomDataSet::SetBufferChunks(int records)
{
    m_bufferChunks = records <= 0 ? 32 : records;
}

void TQvCustomDataSet::SetCachedUpdates(bool cached)
{
    if (cached == m_cachedUpdates)
        return;
    if (cached && Active())
        QvError(qveDatasetOpen);
    if (!cached && Active())
        CancelUpdates();
    m_cachedUpdates = cached;
}

void TQvCustomDataSet::SetUniDirectional(bool uniDirectional)
{
    if (uniDirectional == m_uniDirectional)
        return;
    if (Active())
        QvError(qveDatasetOpen);
    m_uniDirectional = uniDirectional;
}

void TQvCustomDataSet::SetUpdateRecordTypes(const TQvUpdateRecordTypes& types)
{
    if (types == m_updateRecordTypes)
        return;
    m_updateRecordTypes = types;
    if (Active()) {
        RebuildRows();
        First();
    }
}

void TQvCustomDataSet::SetDataSource(TDataSource* source)
{
    for (TDataSource* link = source; link;) {
        TDataSet* master = link->DataSet();
        if (master == this)
            QvError(qveCircularReference);
        auto* qvMaster = qobject_cast<TQvCustomDataSet*>(master);
        link = qvMaster ? qvMaster->DataSource() : nullptr;
    }
    m_dataLink.SetDataSource(source);
}

bool TQvCustomDataSet::HasText(const TQvQuery& query)
{
    for (const QString& line : query.SQL())
        if (!line.trimmed().isEmpty())
            return true;
    return false;
}

bool TQvCustomDataSet::GetCanModify()
{
    return HasText(*m_insertQuery) || HasText(*m_updateQuery);
}

std::unique_ptr<TField> TQvCustomDataSet::CreateFieldForDef(const TFieldDef& def)
{
    std::unique_ptr<TField> field;
    switch (def.DataType()) {
    case ftString:
        field = std::make_unique<TQvStringField>(def.Name(), def.Size());
        break;
    case ftDate:
    case ftTime:
    case ftDateTime:
        field = std::make_unique<TQvDateTimeField>(def.Name(), def.DataType());
        break;
    case ftFloat:
        field = std::make_unique<TQvFloatField>(def.Name());
        break;
    case ftMemo:
        field = std::make_unique<TQvMemoField>(def.Name());
        break;
    default:
        return TDataSet::CreateFieldForDef(def);
    }
    field->SetRequired(def.Required());
    return field;
}

int TQvCustomDataSet::SQLDialect() const
{
    return m_selectQuery->SQLDialect();
}

void TQvCustomDataSet::SetSQLDialect(int dialect)
{
    if (dialect == SQLDialect())
        return;
    if (Active())
        QvError(qveDatasetOpen);
    for (TQvQuery* query : {m_deleteQuery, m_insertQuery, m_refreshQuery, m_selectQuery, m_updateQuery})
        query->SetSQLDialect(dialect);
}

qint64 TQvCustomDataSet::CacheBytes() const
{
    qint64 bytes = 0;
    if (m_records)
        bytes += m_records->Bytes();
    if (m_savedCopies)
        bytes += m_savedCopies->Bytes();
    bytes += qint64(m_rows.capacity() * sizeof(int));
    return bytes;
}

// ---------------------------------------------------------------- opening

void TQvCustomDataSet::PrepareStatements()
{
    m_selectQuery->Prepare();
    for (TQvQuery* query : {m_deleteQuery, m_insertQuery, m_refreshQuery, m_updateQuery})
        if (HasText(*query))
            query->Prepare();
}

void TQvCustomDataSet::ApplyMasterParams()
{
    TDataSet* master = m_dataLink.DataSet();
    if (!master || !master->Active())
        return;
    TQvXSQLDA& params = m_selectQuery->Params();
    for (int i = 0; i < params.Count(); ++i) {
        const QString& name = params.Names().at(i);
        TField* field = name.isEmpty() ? nullptr : master->FindField(name);
        if (!field)
            continue;
        TQvXSQLVAR& param = params.Vars(i);
        // The types the old fields knew go as the platform passed them (a
        // NULL text as an empty one); the others as NULL.
        switch (field->DataType()) {
        case ftLargeint:
        case ftFMTBcd:
        case ftBoolean:
        case ftDate:
        case ftTime:
        case ftDateTime:
            if (field->IsNull()) {
                param.SetIsNull(true);
                continue;
            }
            break;
        default:
            break;
        }
        switch (field->DataType()) {
        case ftLargeint:
            param.SetAsInt64(static_cast<TLargeintField*>(field)->AsLargeInt());
            break;
        case ftFMTBcd:
            param.SetAsInt64(static_cast<TFMTBCDField*>(field)->AsScaled(), -field->Size());
            break;
        case ftBoolean:
            param.SetAsBoolean(field->AsBoolean());
            break;
        case ftString:
            param.SetAsString(field->AsString());
            break;
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
            param.SetAsLong(field->AsInteger());
            break;
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            param.SetAsDouble(field->AsFloat());
            break;
        case ftDate:
            param.SetAsDate(field->AsVariant().toDate());
            break;
        case ftTime:
            param.SetAsTime(field->AsVariant().toTime());
            break;
        case ftDateTime:
            param.SetAsDateTime(field->AsDateTime());
            break;
        default:
            if (auto* blob = dynamic_cast<TBlobField*>(field)) {
                if (blob->IsNull()) {
                    param.SetIsNull(true);
                } else {
                    TMemoryStream contents(blob->AsBytes());
                    param.LoadFromStream(contents);
                }
                break;
            }
            QvError(qveUnsupportedFeature);
        }
    }
}

void TQvCustomDataSet::BuildLayout()
{
    const TQvXSQLDA& output = m_selectQuery->Current();
    const QvTextCodec& connectionCodec = Database() ? Database()->TextCodec() : QvTextCodec::binary();
    m_columns.assign(std::size_t(output.Count()), Column());
    m_fieldColumns.clear();
    m_hasBlobColumns = false;
    FieldDefs().Clear();
    int offset = nullsOffset + output.Count();
    for (int i = 0; i < output.Count(); ++i) {
        const TQvXSQLVAR& var = output.Vars(i);
        const XSQLVAR& raw = *var.Data();
        Column& column = m_columns[std::size_t(i)];
        column.name = var.Name();
        column.sqlType = var.SQLType();
        column.scale = raw.sqlscale;
        column.length = std::max<short>(raw.sqllen, 0);
        TFieldType fieldType = ftUnknown;
        int size = 0;
        switch (column.sqlType) {
        case SQL_TEXT:
        case SQL_VARYING:
            column.stored = Column::Text;
            column.characterSet = raw.sqlsubtype & 0xff;
            column.codec = column.characterSet == 1 ? &QvTextCodec::binary() : &connectionCodec;
            fieldType = ftString;
            size = column.length;
            break;
        case SQL_SHORT:
        case SQL_LONG:
            column.stored = column.scale < 0 ? Column::Double : Column::Integer;
            fieldType = column.scale < 0 ? ftFloat : ftInteger;
            break;
        case SQL_INT64:
            // Exact: BIGINT as a 64-bit integer, NUMERIC(18,x) as a decimal.
            column.stored = Column::Scalar;
            fieldType = column.scale < 0 ? ftFMTBcd : ftLargeint;
            size = column.scale < 0 ? -column.scale : 0;
            break;
        case SQL_FLOAT:
            column.stored = Column::Scalar;
            fieldType = ftFloat;
            break;
        case SQL_DOUBLE:
            column.stored = Column::Double;
            fieldType = ftFloat;
            break;
        case SQL_D_FLOAT:
            column.stored = Column::Double;
            break;
        case SQL_TIMESTAMP:
            column.stored = Column::Scalar;
            fieldType = ftDateTime;
            break;
        case SQL_TYPE_DATE:
            column.stored = Column::Scalar;
            fieldType = ftDate;
            break;
        case SQL_TYPE_TIME:
            column.stored = Column::Scalar;
            fieldType = ftTime;
            break;
        case SQL_BOOLEAN:
            column.stored = Column::Scalar;
            fieldType = ftBoolean;
            break;
        case SQL_NULL:
            // Nothing but NULL: a text field that is always empty.
            column.stored = Column::Null;
            fieldType = ftString;
            size = 1;
            break;
        case SQL_BLOB:
            column.stored = Column::Quad;
            // Text blobs read and write text in the connection's character set.
            fieldType = raw.sqlsubtype == 1 ? ftMemo : ftBlob;
            size = 8;
            m_hasBlobColumns = true;
            break;
        case SQL_ARRAY:
        case SQL_QUAD:
            column.stored = Column::Quad;
            break;
        default:
            break;
        }
        switch (column.stored) {
        case Column::Text:
            offset = alignUp(offset, 2);
            column.offset = offset;
            offset += 2 + column.length;
            break;
        case Column::Integer:
            offset = alignUp(offset, 4);
            column.offset = offset;
            offset += 4;
            break;
        case Column::Scalar:
            column.size = QvValue::ScalarSize(column.sqlType);
            offset = alignUp(offset, std::min(column.size, 8));
            column.offset = offset;
            offset += column.size;
            break;
        case Column::Double:
        case Column::Quad:
            offset = alignUp(offset, 8);
            column.offset = offset;
            offset += 8;
            break;
        case Column::None:
        case Column::Null:
            break;
        }
        if (fieldType != ftUnknown) {
            FieldDefs().Add(column.name, fieldType, size, false);
            m_fieldColumns.push_back(i);
        }
    }
    m_recordSize = alignUp(std::max(offset, nullsOffset), 8);
}

void TQvCustomDataSet::InternalOpen()
{
    const qv::WaitCursor wait;
    if (!HasText(*m_selectQuery))
        QvError(qveEmptyQuery);
    PrepareStatements();
    ApplyMasterParams();

    m_columns.clear();
    m_fieldColumns.clear();
    FieldDefs().Clear();
    m_recordCount = 0;
    m_savedCount = 0;
    m_current = -1;
    m_deletedCount = 0;
    m_updatesPending = false;
    m_rowsIdentity = true;
    m_rows.clear();
    m_recordBlobs.clear();
    m_hasBlobColumns = false;
    m_recordSize = nullsOffset;
    m_uniOpen = m_uniDirectional;

    if (isSelect(m_selectQuery->SQLType()))
        BuildLayout();
    m_records = std::make_unique<RecordStore>(m_recordSize, m_uniOpen ? 2 : m_bufferChunks);
    m_savedCopies = std::make_unique<RecordStore>(m_recordSize, m_bufferChunks);
    m_selectQuery->ExecQuery();
}

void TQvCustomDataSet::InternalClose()
{
    m_recordBlobs.clear();
    m_records.reset();
    m_savedCopies.reset();
    m_recordCount = 0;
    m_savedCount = 0;
    m_current = -1;
    m_deletedCount = 0;
    m_updatesPending = false;
    m_rowsIdentity = true;
    m_rows.clear();
    m_rows.shrink_to_fit();
    if (m_selectQuery->Open())
        m_selectQuery->Close();
}

void TQvCustomDataSet::BeforeTransactionEnd()
{
    if (!Active() || m_endingTransaction)
        return;
    m_endingTransaction = true;
    const ScopeExit done([this] { m_endingTransaction = false; });
    try {
        if (m_cachedUpdates) {
            // The records stay available; the cursor cannot.
            const ControlsPause disabled(*this);
            FetchAll();
        } else {
            Close();
        }
    } catch (const std::exception& error) {
        qWarning("Dataset %s before its transaction ends: %s", qPrintable(objectName()), error.what());
    }
}

void TQvCustomDataSet::MasterChanged()
{
    if (m_reopeningForMaster || !Active())
        return;
    TDataSet* master = m_dataLink.DataSet();
    if (!master || !master->Active() || master->State() == dsSetKey)
        return;
    if (m_selectQuery->Params().Count() == 0)
        return;
    m_reopeningForMaster = true;
    const ScopeExit done([this] { m_reopeningForMaster = false; });
    const ControlsPause disabled(*this);
    Close();
    Open();
}

// ---------------------------------------------------------------- records

bool TQvCustomDataSet::Retained(int index) const
{
    return index >= 0 && index < m_recordCount && (!m_uniOpen || index >= m_recordCount - 2);
}

char* TQvCustomDataSet::RecordAt(int index) const
{
    return m_records->At(m_uniOpen ? index % 2 : index);
}

char* TQvCustomDataSet::OldRecord(int index) const
{
    char* record = RecordAt(index);
    const qint32 saved = LoadRaw<qint32>(record + savedOffset);
    return saved >= 0 ? m_savedCopies->At(saved) : record;
}

bool TQvCustomDataSet::Visible(int index) const
{
    const char* record = RecordAt(index);
    const auto status = static_cast<TCachedUpdateStatus>(static_cast<unsigned char>(record[statusOffset]));
    if (record[kindOffset] == kindDeleted && status == cusUnmodified)
        return false; // deleted without cached updates
    return m_updateRecordTypes.Contains(status);
}

void TQvCustomDataSet::StoreVar(const Column& column, const TQvXSQLVAR& var, char* record) const
{
    const XSQLVAR& raw = *var.Data();
    const int index = int(&column - m_columns.data());
    const bool null = (raw.sqltype & 1) && raw.sqlind && *raw.sqlind == -1;
    record[nullsOffset + index] = null || column.stored == Column::Null ? 1 : 0;
    if (null || column.stored == Column::None || column.stored == Column::Null)
        return;
    char* value = record + column.offset;
    const char* data = raw.sqldata;
    const int type = raw.sqltype & ~1;
    if (type != column.sqlType || raw.sqlscale != column.scale) {
        // A row of another statement (a refresh): convert through the value.
        switch (column.stored) {
        case Column::Text: StoreValue(column, var.AsString(), record); break;
        case Column::Integer: StoreRaw<qint32>(value, var.AsLong()); break;
        case Column::Double: StoreRaw<double>(value, var.AsDouble()); break;
        case Column::Scalar: StoreScalar(column, var, value); break;
        case Column::Quad: StoreRaw<ISC_QUAD>(value, var.AsQuad()); break;
        case Column::None:
        case Column::Null: break;
        }
        return;
    }
    switch (column.stored) {
    case Column::Text: {
        int length = column.length;
        if (type == SQL_VARYING) {
            length = std::clamp<int>(LoadRaw<short>(data), 0, column.length);
            data += 2;
        }
        StoreRaw<quint16>(value, quint16(length));
        std::memcpy(value + 2, data, std::size_t(length));
        break;
    }
    case Column::Integer: {
        const qint64 number = type == SQL_SHORT ? LoadRaw<short>(data) : LoadRaw<ISC_LONG>(data);
        const qint64 scaled = column.scale > 0 ? number * powerOfTen(std::min(column.scale, 9)) : number;
        StoreRaw<qint32>(value, qint32(std::clamp<qint64>(scaled, std::numeric_limits<qint32>::min(),
                                                       std::numeric_limits<qint32>::max())));
        break;
    }
    case Column::Double: {
        double number = 0;
        if (type == SQL_SHORT || type == SQL_LONG) {
            const qint64 integer = type == SQL_SHORT ? LoadRaw<short>(data) : LoadRaw<ISC_LONG>(data);
            number = double(integer) / double(powerOfTen(-column.scale));
        } else {
            number = LoadRaw<double>(data);
        }
        StoreRaw<double>(value, number);
        break;
    }
    case Column::Scalar:
        std::memcpy(value, data, std::size_t(column.size));
        break;
    case Column::Quad:
        std::memcpy(value, data, 8);
        break;
    case Column::None:
    case Column::Null:
        break;
    }
}

void TQvCustomDataSet::StoreScalar(const Column& column, const TQvXSQLVAR& var, char* value) const
{
    switch (column.sqlType) {
    case SQL_INT64: {
        // Exactly, from the other integer or from the text of anything else.
        const int from = var.SQLType();
        std::optional<qint64> scaled;
        if (from == SQL_SHORT || from == SQL_LONG || from == SQL_INT64) {
            const char* data = var.Data()->sqldata;
            const qint64 integer = from == SQL_SHORT ? LoadRaw<short>(data)
                                   : from == SQL_LONG ? qint64(LoadRaw<ISC_LONG>(data))
                                                      : LoadRaw<ISC_INT64>(data);
            scaled = rescaled(integer, var.SQLScale(), column.scale);
        }
        if (!scaled)
            scaled = ValueText::ToScaled(var.AsString(), column.scale);
        if (!scaled)
            QvError(qveInvalidDataConversion);
        StoreRaw<ISC_INT64>(value, *scaled);
        break;
    }
    case SQL_FLOAT:
        StoreRaw<float>(value, float(var.AsDouble()));
        break;
    case SQL_TIMESTAMP:
        StoreRaw<ISC_TIMESTAMP>(value, QvValue::IscTimestamp(var.AsDateTime()));
        break;
    case SQL_TYPE_DATE:
        StoreRaw<ISC_DATE>(value, QvValue::IscDate(var.AsDateTime().date()));
        break;
    case SQL_TYPE_TIME:
        StoreRaw<ISC_TIME>(value, QvValue::IscTime(var.AsDateTime().time()));
        break;
    case SQL_BOOLEAN:
        *value = var.AsBoolean() ? 1 : 0;
        break;
    default:
        QvError(qveInvalidDataConversion);
    }
}

void TQvCustomDataSet::StoreRow(const TQvXSQLDA& row, char* record) const
{
    const bool samePositions = row.Count() == int(m_columns.size());
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const Column& column = m_columns[i];
        int source = row.IndexOfName(column.name);
        if (source < 0 && samePositions)
            source = int(i);
        if (source >= 0)
            StoreVar(column, row.Vars(source), record);
    }
}

void TQvCustomDataSet::StoreValue(const Column& column, const QVariant& value, char* record) const
{
    const int index = int(&column - m_columns.data());
    const bool null = !value.isValid() || column.stored == Column::None || column.stored == Column::Null;
    if (null) {
        record[nullsOffset + index] = 1;
        return;
    }
    char* data = record + column.offset;
    switch (column.stored) {
    case Column::Text: {
        const QByteArray bytes =
            fitText(*column.codec, column.characterSet, value.toString(), column.length, column.Holder());
        StoreRaw<quint16>(data, quint16(bytes.size()));
        std::memcpy(data + 2, bytes.constData(), std::size_t(bytes.size()));
        break;
    }
    case Column::Integer:
        StoreRaw<qint32>(data, value.toInt());
        break;
    case Column::Double:
        StoreRaw<double>(data, value.toDouble());
        break;
    case Column::Scalar:
        switch (column.sqlType) {
        case SQL_INT64: {
            // The field's own units are the column's, except for a positive scale.
            const qint64 number = value.toLongLong();
            StoreRaw<ISC_INT64>(data, column.scale > 0 ? number / powerOfTen(std::min(column.scale, 18)) : number);
            break;
        }
        case SQL_FLOAT:
            StoreRaw<float>(data, float(value.toDouble()));
            break;
        case SQL_TIMESTAMP: {
            const QDateTime dateTime = value.toDateTime();
            if (!dateTime.isValid()) {
                record[nullsOffset + index] = 1;
                return;
            }
            StoreRaw<ISC_TIMESTAMP>(data, QvValue::IscTimestamp(dateTime));
            break;
        }
        case SQL_TYPE_DATE: {
            const QDate date = value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
            if (!date.isValid()) {
                record[nullsOffset + index] = 1;
                return;
            }
            StoreRaw<ISC_DATE>(data, QvValue::IscDate(date));
            break;
        }
        case SQL_TYPE_TIME: {
            const QTime time = value.typeId() == QMetaType::QDateTime ? value.toDateTime().time() : value.toTime();
            if (!time.isValid()) {
                record[nullsOffset + index] = 1;
                return;
            }
            StoreRaw<ISC_TIME>(data, QvValue::IscTime(time));
            break;
        }
        case SQL_BOOLEAN:
            *data = value.toBool() ? 1 : 0;
            break;
        default:
            break;
        }
        break;
    case Column::Quad: {
        const QByteArray id = value.toByteArray();
        if (id.size() == 8)
            std::memcpy(data, id.constData(), 8);
        break;
    }
    case Column::None:
    case Column::Null:
        break;
    }
    record[nullsOffset + index] = 0;
}

QVariant TQvCustomDataSet::ReadValue(const Column& column, const char* record) const
{
    const int index = int(&column - m_columns.data());
    if (record[nullsOffset + index])
        return {};
    const char* data = record + column.offset;
    switch (column.stored) {
    case Column::Text: {
        const QString text = column.codec->decode(data + 2, LoadRaw<quint16>(data));
        if (column.sqlType != SQL_TEXT)
            return text;
        return QvTextCodec::withoutCharPadding(text, column.characterSet, column.length);
    }
    case Column::Integer:
        return LoadRaw<qint32>(data);
    case Column::Double:
        return LoadRaw<double>(data);
    case Column::Scalar:
        switch (column.sqlType) {
        case SQL_INT64: {
            const qint64 number = LoadRaw<ISC_INT64>(data);
            if (column.scale <= 0)
                return number;
            const auto whole = rescaled(number, column.scale, 0);
            return whole ? QVariant(*whole) : QVariant();
        }
        case SQL_FLOAT:
            return double(LoadRaw<float>(data));
        case SQL_TIMESTAMP:
            return QvValue::DateTimeOf(LoadRaw<ISC_TIMESTAMP>(data));
        case SQL_TYPE_DATE:
            return QvValue::DateOf(LoadRaw<ISC_DATE>(data));
        case SQL_TYPE_TIME:
            return QvValue::TimeOf(LoadRaw<ISC_TIME>(data));
        case SQL_BOOLEAN:
            return *data != 0;
        default:
            return {};
        }
    case Column::Quad:
        return QByteArray(data, 8);
    case Column::None:
    case Column::Null:
        break;
    }
    return {};
}

const TQvCustomDataSet::Column& TQvCustomDataSet::ColumnOf(const TField& field) const
{
    const int fieldNo = field.FieldNo();
    if (fieldNo <= 0 || fieldNo > int(m_fieldColumns.size()))
        DatabaseError(QString::fromLatin1(DbMessages::FieldNotFound).arg(field.FieldName()));
    return m_columns[std::size_t(m_fieldColumns[std::size_t(fieldNo - 1)])];
}

void TQvCustomDataSet::CopyRecord(int index, RecordBuffer& buffer) const
{
    if (buffer.size != m_recordSize) {
        buffer.data = std::make_unique<char[]>(std::size_t(m_recordSize));
        buffer.size = m_recordSize;
    }
    std::memcpy(buffer.data.get(), RecordAt(index), std::size_t(m_recordSize));
    buffer.recordIndex = index;
    buffer.BookmarkFlag = bfCurrent;
    if (m_hasBlobColumns) {
        buffer.blobs.assign(m_columns.size(), nullptr);
        const auto found = m_recordBlobs.find(index);
        if (found != m_recordBlobs.end())
            buffer.blobs = found->second;
    }
}

bool TQvCustomDataSet::FetchOne()
{
    if (!m_records || !m_selectQuery->Open() || m_selectQuery->Eof())
        return false;
    const TQvXSQLDA* row = m_selectQuery->Next();
    if (!row)
        return false;
    const int index = m_recordCount;
    if (!m_uniOpen)
        m_records->Reserve(index + 1);
    else
        m_records->Reserve(2);
    char* record = RecordAt(index);
    record[statusOffset] = char(cusUnmodified);
    record[kindOffset] = char(kindNone);
    StoreRaw<qint32>(record + savedOffset, -1);
    for (const Column& column : m_columns) {
        const int i = int(&column - m_columns.data());
        StoreVar(column, row->Vars(i), record);
    }
    if (m_uniOpen && m_hasBlobColumns)
        m_recordBlobs.erase(index - 2);
    ++m_recordCount;
    NoteAppended(index);
    return true;
}

void TQvCustomDataSet::FetchAll()
{
    while (FetchOne()) {
    }
}

void TQvCustomDataSet::SaveCopy(int index)
{
    char* record = RecordAt(index);
    if (LoadRaw<qint32>(record + savedOffset) >= 0)
        return;
    const int saved = m_savedCount;
    m_savedCopies->Reserve(saved + 1);
    std::memcpy(m_savedCopies->At(saved), record, std::size_t(m_recordSize));
    StoreRaw<qint32>(m_savedCopies->At(saved) + savedOffset, -1);
    ++m_savedCount;
    StoreRaw<qint32>(record + savedOffset, saved);
}

std::unique_ptr<TRecordBuffer> TQvCustomDataSet::AllocRecordBuffer()
{
    return std::make_unique<RecordBuffer>(m_recordSize, m_hasBlobColumns ? m_columns.size() : 0);
}

void TQvCustomDataSet::InternalInitRecord(TRecordBuffer& buffer)
{
    auto& record = static_cast<RecordBuffer&>(buffer);
    if (record.size != m_recordSize) {
        record.data = std::make_unique<char[]>(std::size_t(m_recordSize));
        record.size = m_recordSize;
    }
    std::memset(record.data.get(), 0, std::size_t(m_recordSize));
    record.data[statusOffset] = char(cusInserted);
    StoreRaw<qint32>(record.data.get() + savedOffset, -1);
    std::memset(record.data.get() + nullsOffset, 1, m_columns.size());
    record.recordIndex = -1;
    record.blobs.assign(m_hasBlobColumns ? m_columns.size() : 0, nullptr);
}

TBookmark TQvCustomDataSet::GetBookmarkData(const TRecordBuffer& buffer) const
{
    const int index = static_cast<const RecordBuffer&>(buffer).recordIndex;
    return index >= 0 ? bookmarkOf(index) : TBookmark();
}

void TQvCustomDataSet::SetBookmarkData(TRecordBuffer& buffer, const TBookmark& bookmark)
{
    static_cast<RecordBuffer&>(buffer).recordIndex = indexOfBookmark(bookmark);
}

TGetResult TQvCustomDataSet::GetRecord(TRecordBuffer& buffer, TGetMode mode, bool doCheck)
{
    auto& record = static_cast<RecordBuffer&>(buffer);
    switch (mode) {
    case gmNext: {
        int index = std::min(std::max(m_current, -1) + 1, m_recordCount);
        for (;;) {
            if (index >= m_recordCount) {
                if (!FetchOne()) {
                    m_current = m_recordCount;
                    return grEOF;
                }
                index = m_recordCount - 1;
            }
            if (Retained(index) && Visible(index)) {
                m_current = index;
                CopyRecord(index, record);
                return grOK;
            }
            ++index;
        }
    }
    case gmPrior: {
        int index = std::min(m_current, m_recordCount) - 1;
        for (;;) {
            if (!Retained(index)) {
                m_current = -1;
                return grBOF;
            }
            if (Visible(index)) {
                m_current = index;
                CopyRecord(index, record);
                return grOK;
            }
            --index;
        }
    }
    case gmCurrent:
        break;
    }
    while (m_current >= m_recordCount && FetchOne()) {
    }
    if (Retained(m_current) && Visible(m_current)) {
        CopyRecord(m_current, record);
        return grOK;
    }
    if (doCheck)
        DatabaseError(QString::fromLatin1(DbMessages::RecordNotFound));
    return grError;
}

void TQvCustomDataSet::InternalFirst()
{
    m_current = -1;
}

void TQvCustomDataSet::InternalLast()
{
    FetchAll();
    m_current = m_recordCount;
}

void TQvCustomDataSet::InternalGotoBookmark(const TBookmark& bookmark)
{
    const int index = indexOfBookmark(bookmark);
    if (!Retained(index) || !Visible(index))
        DatabaseError(QString::fromLatin1(DbMessages::RecordNotFound));
    m_current = index;
}

void TQvCustomDataSet::InternalSetToRecord(TRecordBuffer& buffer)
{
    const int index = static_cast<RecordBuffer&>(buffer).recordIndex;
    if (index >= 0)
        m_current = index;
}

bool TQvCustomDataSet::BookmarkValid(const TBookmark& bookmark)
{
    const int index = indexOfBookmark(bookmark);
    return Active() && Retained(index) && Visible(index);
}

int TQvCustomDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b)
{
    const int ia = a.isEmpty() ? -1 : indexOfBookmark(a);
    const int ib = b.isEmpty() ? -1 : indexOfBookmark(b);
    return ia < ib ? -1 : ia > ib ? 1 : 0;
}

// ---------------------------------------------------------------- rows

void TQvCustomDataSet::RebuildRows()
{
    m_rows.clear();
    m_rowsIdentity = true;
    if (m_uniOpen || !m_records)
        return;
    for (int i = 0; i < m_recordCount; ++i)
        if (!Visible(i)) {
            m_rowsIdentity = false;
            break;
        }
    if (m_rowsIdentity) {
        m_rows.shrink_to_fit();
        return;
    }
    for (int i = 0; i < m_recordCount; ++i)
        if (Visible(i))
            m_rows.push_back(i);
}

void TQvCustomDataSet::NoteAppended(int index)
{
    if (m_uniOpen)
        return;
    if (m_rowsIdentity) {
        if (!Visible(index))
            RebuildRows();
    } else if (Visible(index)) {
        m_rows.push_back(index);
    }
}

int TQvCustomDataSet::RowOfIndex(int index) const
{
    if (m_rowsIdentity)
        return index;
    const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), index);
    return found != m_rows.end() && *found == index ? int(found - m_rows.begin()) : -1;
}

int TQvCustomDataSet::IndexOfRow(int row) const
{
    return m_rowsIdentity ? row : m_rows[std::size_t(row)];
}

int TQvCustomDataSet::GetRowCount()
{
    return m_rowsIdentity ? m_recordCount : int(m_rows.size());
}

bool TQvCustomDataSet::CanFetchMoreRows()
{
    return m_records && m_selectQuery->Open() && !m_selectQuery->Eof();
}

int TQvCustomDataSet::FetchMoreRows(int maxRows)
{
    int fetched = 0;
    while (fetched < maxRows && FetchOne())
        ++fetched;
    return fetched;
}

bool TQvCustomDataSet::GetRowRecord(int row, TRecordBuffer& buffer)
{
    if (row < 0 || row >= GetRowCount())
        return false;
    const int index = IndexOfRow(row);
    if (!Retained(index))
        return false;
    CopyRecord(index, static_cast<RecordBuffer&>(buffer));
    return true;
}

int TQvCustomDataSet::GetRecordCount()
{
    return m_recordCount - m_deletedCount;
}

int TQvCustomDataSet::GetRecNo()
{
    if (!Retained(m_current) || !Visible(m_current))
        return 0;
    return RowOfIndex(m_current) + 1;
}

bool TQvCustomDataSet::InternalSetRecNo(int recNo)
{
    if (recNo < 1)
        return false;
    while (GetRowCount() < recNo && FetchOne()) {
    }
    if (recNo > GetRowCount())
        return false;
    const int index = IndexOfRow(recNo - 1);
    if (!Retained(index))
        return false;
    m_current = index;
    return true;
}

// ---------------------------------------------------------------- fields

bool TQvCustomDataSet::GetFieldData(const TField& field, const TRecordBuffer& buffer, QVariant& value)
{
    const auto& record = static_cast<const RecordBuffer&>(buffer);
    if (record.size != m_recordSize)
        return false;
    value = ReadValue(ColumnOf(field), record.data.get());
    return value.isValid();
}

bool TQvCustomDataSet::ScalarText(const TField& field, QString& text) const
{
    const auto* record = static_cast<const RecordBuffer*>(GetActiveRecordBuffer());
    if (!record || record->size != m_recordSize || field.FieldNo() <= 0)
        return false;
    const Column& column = ColumnOf(field);
    if (column.stored != Column::Scalar)
        return false;
    if (record->data[nullsOffset + int(&column - m_columns.data())]) {
        text.clear();
        return true;
    }
    return QvValue::ScalarText(column.sqlType, column.scale, record->data.get() + column.offset, text);
}

void TQvCustomDataSet::SetFieldData(TField& field, TRecordBuffer& buffer, const QVariant& value)
{
    if ((State() == dsEdit && !HasText(*m_updateQuery)) || (State() == dsInsert && !HasText(*m_insertQuery)))
        QvError(qveCannotPost);
    const Column& column = ColumnOf(field);
    auto& record = static_cast<RecordBuffer&>(buffer);
    const bool emptyText = column.stored == Column::Text && value.typeId() == QMetaType::QString
                           && value.toString().isEmpty() && dynamic_cast<const TQvStringField*>(&field);
    StoreValue(column, emptyText ? QVariant() : value, record.data.get());
}

// ---------------------------------------------------------------- parameters

void TQvCustomDataSet::SetParam(TQvXSQLVAR& param, const Column& column, const char* record) const
{
    const int index = int(&column - m_columns.data());
    if (record[nullsOffset + index]) {
        param.SetIsNull(true);
        return;
    }
    // The record holds no value of a type the dataset does not know: sending
    // NULL or a stale value would overwrite the row's real one.
    if (column.stored == Column::None)
        QvError(qveUnknownSQLDataType, {column.sqlType});
    const char* data = record + column.offset;
    switch (column.stored) {
    case Column::Text:
        param.SetAsString(column.codec->decode(data + 2, LoadRaw<quint16>(data)));
        break;
    case Column::Integer:
        param.SetAsLong(LoadRaw<qint32>(data));
        break;
    case Column::Double:
        param.SetAsDouble(LoadRaw<double>(data));
        break;
    case Column::Scalar:
        // Byte for byte as it was read: the row's old key always matches.
        param.SetAsScalar(column.sqlType, column.scale, data);
        break;
    case Column::Quad:
        param.SetAsQuad(LoadRaw<ISC_QUAD>(data));
        break;
    case Column::None:
    case Column::Null:
        break;
    }
}

void TQvCustomDataSet::FillParams(TQvQuery& query, const char* current, const char* old)
{
    if (!current)
        QvError(qveBufferNotSet);
    if (!old)
        old = current;
    TQvXSQLDA& params = query.Params();
    const TQvParamSources& sources = SourcesOf(query);
    if (!sources.empty()) {
        // A statement and sources that disagree would write values into the
        // wrong columns: nothing is sent.
        if (std::size_t(params.Count()) != sources.size())
            DatabaseError(QStringLiteral("The statement has %1 parameters, but %2 columns are bound to them.")
                              .arg(params.Count())
                              .arg(sources.size()));
        for (int i = 0; i < params.Count(); ++i) {
            const TQvParamSource& source = sources[std::size_t(i)];
            if (source.Column < 0 || source.Column >= int(m_columns.size()))
                DatabaseError(QStringLiteral("Parameter %1 is bound to column %2, which the select does not have.")
                                  .arg(i + 1)
                                  .arg(source.Column + 1));
            SetParam(params.Vars(i), m_columns[std::size_t(source.Column)], source.Old ? old : current);
        }
        return;
    }
    for (int i = 0; i < params.Count(); ++i) {
        QString name = params.Names().at(i);
        if (name.isEmpty())
            continue;
        const char* record = current;
        if (name.startsWith(QLatin1String("OLD_"))) {
            name.remove(0, 4);
            record = old;
        } else if (name.startsWith(QLatin1String("NEW_"))) {
            name.remove(0, 4);
        }
        const int column = m_selectQuery->FieldIndex(name);
        if (column < 0 || column >= int(m_columns.size()))
            continue;
        SetParam(params.Vars(i), m_columns[std::size_t(column)], record);
    }
}

// ---------------------------------------------------------------- editing

void TQvCustomDataSet::InternalEdit()
{
    if (!HasText(*m_updateQuery))
        QvError(qveCannotUpdate);
}

void TQvCustomDataSet::InternalInsert()
{
    if (!HasText(*m_insertQuery)) {
        // An append has moved to the end already; a refused one stays put.
        m_current = m_currentBeforeModify;
        QvError(qveCannotInsert);
    }
}

void TQvCustomDataSet::FinalizeBlobs(RecordBuffer& buffer)
{
    for (std::size_t i = 0; i < buffer.blobs.size(); ++i) {
        TQvBlobStream* stream = buffer.blobs[i].get();
        if (!stream || !stream->Modified() || m_columns[i].stored != Column::Quad)
            continue;
        stream->Finalize();
        // The statement sends the new id; without it the written blob is lost.
        char* record = buffer.data.get();
        StoreRaw<ISC_QUAD>(record + m_columns[i].offset, stream->BlobID());
        record[nullsOffset + int(i)] = 0;
    }
}

void TQvCustomDataSet::ExecModify(TQvQuery& query)
{
    if (!m_singleRowChanges) {
        query.ExecQuery();
        return;
    }
    TQvQuery savepoint;
    savepoint.SetDatabase(query.Database());
    savepoint.SetTransaction(query.Transaction());
    const auto run = [&savepoint](const char* text) {
        savepoint.SetSQLText(QString::fromLatin1(text));
        savepoint.ExecImmediate();
    };
    run("SAVEPOINT QV_SINGLE_ROW");
    qint64 rows = -1;
    try {
        query.ExecQuery();
        rows = query.RowsAffected();
    } catch (...) {
        try {
            run("ROLLBACK TO SAVEPOINT QV_SINGLE_ROW");
        } catch (const std::exception& error) {
            qWarning("Rolling back to the savepoint: %s", error.what());
        }
        throw;
    }
    if (rows == 1) {
        run("RELEASE SAVEPOINT QV_SINGLE_ROW ONLY");
        return;
    }
    run("ROLLBACK TO SAVEPOINT QV_SINGLE_ROW");
    run("RELEASE SAVEPOINT QV_SINGLE_ROW ONLY");
    const bool deleting = query.SQLType() == isc_info_sql_stmt_delete;
    const QString change = deleting ? QStringLiteral("The record was not deleted")
                                    : QStringLiteral("The record was not saved");
    if (query.SQLType() == isc_info_sql_stmt_insert)
        DatabaseError(change + QStringLiteral(": the insert added %1 rows, not one. Nothing was changed.").arg(rows));
    if (rows == 0)
        DatabaseError(change
                      + QStringLiteral(": no row of the table holds the record's old values any more. "
                                       "A column that holds NULL matches no row; another user may also "
                                       "have changed or deleted the row."));
    if (rows > 1)
        DatabaseError(change
                      + QStringLiteral(": %1 rows of the table hold the record's values, and the change "
                                       "would have reached every one of them. Nothing was changed.")
                            .arg(rows));
    DatabaseError(change + QStringLiteral(": the server did not say how many rows the statement changed."));
}

void TQvCustomDataSet::InternalPost()
{
    const qv::WaitCursor wait;
    auto& buffer = *static_cast<RecordBuffer*>(ActiveBuffer());
    const bool inserting = State() == dsInsert;
    if ((!inserting && !HasText(*m_updateQuery)) || (inserting && !HasText(*m_insertQuery)))
        QvError(qveCannotPost);
    if (!inserting && !Retained(m_current))
        QvError(qveBufferNotSet);

    if (!m_cachedUpdates) {
        FinalizeBlobs(buffer);
        TQvQuery& query = inserting ? *m_insertQuery : *m_updateQuery;
        FillParams(query, buffer.data.get(), inserting ? buffer.data.get() : OldRecord(m_current));
        ExecModify(query);
    }

    const std::size_t valueBytes = std::size_t(m_recordSize - nullsOffset);
    if (inserting) {
        const int index = m_recordCount;
        m_records->Reserve(m_uniOpen ? 2 : index + 1);
        char* record = RecordAt(index);
        std::memcpy(record + nullsOffset, buffer.data.get() + nullsOffset, valueBytes);
        record[statusOffset] = char(cusInserted);
        record[kindOffset] = char(kindInserted);
        StoreRaw<qint32>(record + savedOffset, -1);
        if (m_hasBlobColumns) {
            if (m_uniOpen)
                m_recordBlobs.erase(index - 2);
            m_recordBlobs[index] = buffer.blobs;
        }
        ++m_recordCount;
        NoteAppended(index);
        m_current = index;
    } else {
        if (m_cachedUpdates)
            SaveCopy(m_current);
        char* record = RecordAt(m_current);
        const bool wasVisible = Visible(m_current);
        std::memcpy(record + nullsOffset, buffer.data.get() + nullsOffset, valueBytes);
        const auto status = static_cast<TCachedUpdateStatus>(static_cast<unsigned char>(record[statusOffset]));
        if (status == cusUnmodified) {
            record[statusOffset] = char(cusModified);
            record[kindOffset] = char(kindModified);
        } else if (status == cusUninserted) {
            record[statusOffset] = char(cusInserted);
            record[kindOffset] = char(kindInserted);
            --m_deletedCount;
        }
        if (m_hasBlobColumns)
            m_recordBlobs[m_current] = buffer.blobs;
        if (Visible(m_current) != wasVisible)
            RebuildRows();
    }
    if (m_cachedUpdates)
        m_updatesPending = true;
}

void TQvCustomDataSet::InternalCancel()
{
    auto* buffer = static_cast<RecordBuffer*>(ActiveBuffer());
    if (!buffer || !m_hasBlobColumns)
        return;
    // Blob contents written in the abandoned edit must not outlive it.
    const bool editing = State() == dsEdit && Retained(buffer->recordIndex);
    const char* cached = editing ? RecordAt(buffer->recordIndex) : nullptr;
    for (std::size_t i = 0; i < buffer->blobs.size(); ++i) {
        const std::shared_ptr<TQvBlobStream>& stream = buffer->blobs[i];
        if (!stream)
            continue;
        bool keep = false;
        if (cached && !stream->Modified()) {
            const ISC_QUAD id = cached[nullsOffset + int(i)] ? ISC_QUAD{0, 0}
                                                              : LoadRaw<ISC_QUAD>(cached + m_columns[i].offset);
            keep = std::memcmp(&id, &stream->BlobID(), sizeof id) == 0;
        }
        if (keep)
            continue;
        if (editing) {
            const auto found = m_recordBlobs.find(buffer->recordIndex);
            if (found != m_recordBlobs.end() && found->second.size() > i && found->second[i] == stream)
                found->second[i] = nullptr;
        }
        buffer->blobs[i] = nullptr;
    }
}

void TQvCustomDataSet::InternalDelete()
{
    const qv::WaitCursor wait;
    if (!HasText(*m_deleteQuery))
        QvError(qveCannotDelete);
    if (!Retained(m_current))
        QvError(qveBufferNotSet);
    char* record = RecordAt(m_current);
    if (m_cachedUpdates) {
        SaveCopy(m_current);
        const auto status = static_cast<TCachedUpdateStatus>(static_cast<unsigned char>(record[statusOffset]));
        record[statusOffset] = char(status == cusInserted ? cusUninserted : cusDeleted);
    } else {
        FillParams(*m_deleteQuery, record, OldRecord(m_current));
        ExecModify(*m_deleteQuery);
        record[statusOffset] = char(cusUnmodified);
    }
    record[kindOffset] = char(kindDeleted);
    ++m_deletedCount;
    m_updatesPending = true;
    RebuildRows();
}

void TQvCustomDataSet::DropBlobStreams(int index)
{
    m_recordBlobs.erase(index);
}

void TQvCustomDataSet::InternalRefresh()
{
    InternalRefreshRow();
}

void TQvCustomDataSet::InternalRefreshRow()
{
    const qv::WaitCursor wait;
    if (!HasText(*m_refreshQuery) || !Active() || !Retained(m_current) || !Visible(m_current))
        QvError(qveCannotRefresh);
    char* record = RecordAt(m_current);
    FillParams(*m_refreshQuery, record, OldRecord(m_current));
    m_refreshQuery->ExecQuery();
    const ScopeExit close([this] {
        try {
            m_refreshQuery->Close();
        } catch (const std::exception& error) {
            qWarning("Closing refresh statement: %s", error.what());
        }
    });
    const TQvXSQLDA* row = nullptr;
    if (isSelect(m_refreshQuery->SQLType()))
        row = m_refreshQuery->Next();
    else if (m_refreshQuery->SQLType() == isc_info_sql_stmt_exec_procedure)
        row = &m_refreshQuery->Current();
    if (!row)
        return;
    StoreRow(*row, record);
    const qint32 saved = LoadRaw<qint32>(record + savedOffset);
    if (saved >= 0)
        StoreRow(*row, m_savedCopies->At(saved));
    DropBlobStreams(m_current);
}

void TQvCustomDataSet::CancelUpdates()
{
    if (State() == dsEdit || State() == dsInsert)
        Post();
    if (!m_cachedUpdates || !m_updatesPending || !Active())
        return;
    {
        const ControlsPause disabled(*this);
        for (int i = 0; i < m_recordCount; ++i) {
            if (!Retained(i))
                continue;
            char* record = RecordAt(i);
            const auto status = static_cast<TCachedUpdateStatus>(static_cast<unsigned char>(record[statusOffset]));
            const qint32 saved = LoadRaw<qint32>(record + savedOffset);
            switch (status) {
            case cusModified:
            case cusDeleted:
                if (saved >= 0)
                    std::memcpy(record + nullsOffset, m_savedCopies->At(saved) + nullsOffset,
                                std::size_t(m_recordSize - nullsOffset));
                record[statusOffset] = char(cusUnmodified);
                record[kindOffset] = char(kindNone);
                StoreRaw<qint32>(record + savedOffset, -1);
                if (status == cusDeleted)
                    --m_deletedCount;
                DropBlobStreams(i);
                break;
            case cusInserted:
                record[statusOffset] = char(cusUninserted);
                record[kindOffset] = char(kindDeleted);
                ++m_deletedCount;
                DropBlobStreams(i);
                break;
            case cusUnmodified:
            case cusUninserted:
                break;
            }
        }
        m_updatesPending = false;
        RebuildRows();
        First();
    }
}

// ---------------------------------------------------------------- search

int TQvCustomDataSet::FindRow(const QString& keyFields, const QVariant& keyValues, TLocateOptions options)
{
    const QList<TField*> fields = GetFieldList(keyFields);
    QVariantList keys;
    if (keyValues.typeId() == QMetaType::QVariantList && !(fields.size() == 1 && keyValues.toList().size() != 1))
        keys = keyValues.toList();
    else
        keys.append(keyValues);
    if (fields.isEmpty() || keys.size() != fields.size())
        DatabaseError(QString::fromLatin1(DbMessages::KeyValueCount).arg(fields.size()).arg(keys.size()));

    const ControlsPause disabled(*this);
    const std::unique_ptr<TRecordBuffer> buffer = AllocateBuffer();
    for (int row = 0;; ++row) {
        if (row >= GetRowCount() && !(FetchMoreRows(locateFetchChunk) > 0 && row < GetRowCount()))
            return -1;
        if (!ReadRow(row, *buffer))
            continue;
        const RowReadScope scope(*this, *buffer);
        bool matches = true;
        for (qsizetype i = 0; i < fields.size() && matches; ++i)
            matches = fields[i]->MatchesKey(keys[i], options);
        if (matches)
            return row;
    }
}

bool TQvCustomDataSet::InternalLocate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options)
{
    CheckBrowseMode();
    const int row = FindRow(keyFields, keyValues, options);
    if (row < 0) {
        CursorPosChanged();
        return false;
    }
    GotoBookmark(bookmarkOf(IndexOfRow(row)));
    return true;
}

bool TQvCustomDataSet::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options)
{
    return InternalLocate(keyFields, keyValues, options);
}

QVariant TQvCustomDataSet::Lookup(const QString& keyFields, const QVariant& keyValues, const QString& resultFields)
{
    CheckBrowseMode();
    const QList<TField*> results = GetFieldList(resultFields);
    const int row = FindRow(keyFields, keyValues, {});
    if (row < 0)
        return {};
    const std::unique_ptr<TRecordBuffer> buffer = AllocateBuffer();
    if (!ReadRow(row, *buffer))
        return {};
    const RowReadScope scope(*this, *buffer);
    if (results.size() == 1)
        return results.first()->AsVariant();
    QVariantList values;
    for (TField* field : results)
        values.append(field->AsVariant());
    return values;
}

// ---------------------------------------------------------------- blobs

void TQvCustomDataSet::ReadBlobAtOnce(TQvBlobStream& stream)
{
    TQvDatabase* database = Database();
    TQvTransaction* transaction = Transaction();
    // What this read opens, it closes again, on every path.
    bool openedDatabase = false;
    const ScopeExit closeDatabase([&] {
        if (!openedDatabase || !database->Connected())
            return;
        try {
            database->Close();
        } catch (const std::exception& error) {
            qWarning("Closing after a blob read: %s", error.what());
            try {
                database->ForceClose();
            } catch (const std::exception&) {
                // Forced: the handle is gone either way.
            }
        }
    });
    if (database && !database->Connected()) {
        database->Open();
        openedDatabase = true;
    }
    if (transaction && !transaction->Active()) {
        TQvTransactionScope scope(transaction);
        stream.Initialize();
        scope.Commit();
    } else {
        stream.Initialize();
    }
}

std::unique_ptr<TStream> TQvCustomDataSet::CreateBlobStream(TField& field, TBlobStreamMode mode)
{
    CheckActive();
    const bool editing = State() == dsEdit || State() == dsInsert;
    // A write-only stream empties the blob at once; read-write ones check each write.
    if (mode == bmWrite && !editing)
        QvError(qveNotEditing);
    const Column& column = ColumnOf(field);
    if (column.stored != Column::Quad)
        QvError(qveInvalidDataConversion);
    auto* buffer = static_cast<RecordBuffer*>(mode != bmRead && editing ? ActiveBuffer() : GetActiveRecordBuffer());
    if (!buffer)
        QvError(qveBufferNotSet);
    const std::size_t index = std::size_t(&column - m_columns.data());
    if (buffer->blobs.size() != m_columns.size())
        buffer->blobs.resize(m_columns.size());
    std::shared_ptr<TQvBlobStream>& stream = buffer->blobs[index];
    if (!stream) {
        auto made = std::make_shared<TQvBlobStream>();
        made->SetDatabase(Database());
        made->SetTransaction(Transaction());
        made->SetMode(bmReadWrite);
        const char* record = buffer->data.get();
        made->SetBlobID(record[nullsOffset + int(index)] ? ISC_QUAD{0, 0}
                                                         : LoadRaw<ISC_QUAD>(record + column.offset));
        if (m_cachedUpdates && !IsNullBlobID(made->BlobID()) && mode != bmWrite)
            ReadBlobAtOnce(*made);
        stream = made;
        // The stream belongs to the cached record from now on.
        if (buffer->BookmarkFlag == bfCurrent && Retained(buffer->recordIndex)) {
            std::vector<std::shared_ptr<TQvBlobStream>>& streams = m_recordBlobs[buffer->recordIndex];
            streams.resize(m_columns.size());
            streams[index] = made;
        }
    }
    return std::make_unique<TQvDSBlobStream>(field, stream, mode);
}

void TQvCustomDataSet::BlobFieldChanged(TField& field)
{
    if (auto* buffer = static_cast<RecordBuffer*>(ActiveBuffer())) {
        const Column& column = ColumnOf(field);
        buffer->data[nullsOffset + int(&column - m_columns.data())] = 0;
    }
    if (auto* blob = dynamic_cast<TBlobField*>(&field))
        blob->SetModified(true);
    DataEvent(deFieldChange, &field);
}

QString TQvCustomDataSet::BlobToText(const QByteArray& bytes) const
{
    const QvTextCodec& codec = Database() ? Database()->TextCodec() : QvTextCodec::binary();
    return codec.decode(bytes.constData(), bytes.size());
}

QByteArray TQvCustomDataSet::TextToBlob(const QString& text) const
{
    const QvTextCodec& codec = Database() ? Database()->TextCodec() : QvTextCodec::binary();
    return codec.encode(text);
}
