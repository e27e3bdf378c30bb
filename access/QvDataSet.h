#pragma once

// The buffered dataset: a select statement browsed as a bidirectional
// dataset. Rows are fetched only as far as the user moves and stay in a
// record cache; inserting, editing, deleting and refreshing run the
// statements the user of the dataset supplies, whose parameters named after
// the columns (optionally prefixed "OLD_" or "NEW_") are filled from the
// record.

#include "access/QvBlob.h"
#include "access/QvQuery.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"

#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <vector>

// Where a cached record stands with regard to changes not yet sent.
enum TCachedUpdateStatus {
    cusUnmodified = 0,
    cusModified = 1,
    cusInserted = 2,
    cusDeleted = 3,
    cusUninserted = 4,
};

// The statuses whose records a dataset shows.
class TQvUpdateRecordTypes
{
public:
    constexpr TQvUpdateRecordTypes() = default;
    TQvUpdateRecordTypes(std::initializer_list<TCachedUpdateStatus> statuses);
    bool Contains(TCachedUpdateStatus status) const { return (m_bits >> int(status)) & 1u; }
    void Insert(TCachedUpdateStatus status) { m_bits |= 1u << int(status); }
    void Remove(TCachedUpdateStatus status) { m_bits &= ~(1u << int(status)); }
    bool operator==(const TQvUpdateRecordTypes&) const = default;

private:
    unsigned m_bits = 0;
};

enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TQvUpdateAction { uaFail, uaAbort, uaSkip, uaRetry, uaApply, uaApplied };
// Handlers a caller may set; nothing sends cached changes, so they never fire.
using TQvUpdateErrorEvent = std::function<void(TDataSet&, EDatabaseError&, TUpdateKind, TQvUpdateAction&)>;
using TQvUpdateRecordEvent = std::function<void(TDataSet&, TUpdateKind, TQvUpdateAction&)>;

// The string field of the buffered dataset: any size; an empty text is
// stored as NULL. Text goes through the connection's character set, and a
// value longer than the column is cut at a whole character.
class TQvStringField : public TStringField
{
public:
    explicit TQvStringField(const QString& fieldName, int size = 20);
    void SetAsString(const QString& value) override;
};

// The date, time and time-stamp fields of the buffered dataset: their text
// is made straight from the value as the server sent it, the same text a
// statement's column gives (a time stamp at midnight is its date alone).
class TQvDateTimeField : public TDateTimeField
{
public:
    explicit TQvDateTimeField(const QString& fieldName, TFieldType dataType = ftDateTime);
    QString AsString() const override;

protected:
    int DefaultWidth() const override;
};

// The float field of the buffered dataset: a single-precision column shows
// the digits it holds (0.1, not 0.100000001490116).
class TQvFloatField : public TFloatField
{
public:
    explicit TQvFloatField(const QString& fieldName);
    QString AsString() const override;

protected:
    QString GetText(bool displayText) const override;
};

// The text-blob field of the buffered dataset: text the connection's
// character set cannot carry is refused, naming the column.
class TQvMemoField : public TMemoField
{
public:
    explicit TQvMemoField(const QString& fieldName);
    void SetAsString(const QString& value) override;
};

class TQvCustomDataSet;

// The statements that change or re-read the dataset's rows.
enum class TQvModifyStatement { Insert, Update, Delete, Refresh };

// Where a parameter of such a statement takes its value: the select's column
// at `Column` (counting from 0), from the record as edited or, with `Old`,
// as it was read.
struct TQvParamSource
{
    int Column = -1;
    bool Old = false;
};
using TQvParamSources = std::vector<TQvParamSource>;

// The link of a detail dataset to its master's data source: a new master
// record reopens the detail with the master's values as parameters.
class TQvDataLink : public TDataLink
{
public:
    explicit TQvDataLink(TQvCustomDataSet& dataSet);

protected:
    void ActiveChanged() override;
    void RecordChanged(TField* field) override;

private:
    TQvCustomDataSet& m_dataSet;
};

class TQvCustomDataSet : public TDataSet
{
    Q_OBJECT

public:
    explicit TQvCustomDataSet(QObject* parent = nullptr);
    ~TQvCustomDataSet() override;

    // Client error 27 while the dataset is open.
    TQvDatabase* Database() const { return m_base.Database(); }
    void SetDatabase(TQvDatabase* database);
    TQvTransaction* Transaction() const { return m_base.Transaction(); }
    void SetTransaction(TQvTransaction* transaction);
    TQvBase& Base() { return m_base; }

    // The lines of the five statements; changing the select while the
    // dataset is open raises client error 27.
    const QStringList& SelectSQL() const;
    void SetSelectSQL(const QStringList& lines);
    void SetSelectSQLText(const QString& text);
    const QStringList& InsertSQL() const;
    void SetInsertSQL(const QStringList& lines);
    void SetInsertSQLText(const QString& text);
    const QStringList& UpdateSQL() const;
    void SetUpdateSQL(const QStringList& lines);
    void SetUpdateSQLText(const QString& text);
    const QStringList& DeleteSQL() const;
    void SetDeleteSQL(const QStringList& lines);
    void SetDeleteSQLText(const QString& text);
    const QStringList& RefreshSQL() const;
    void SetRefreshSQL(const QStringList& lines);
    void SetRefreshSQLText(const QString& text);
    // Binds a statement's parameters by position: the n-th parameter takes
    // the n-th source, whatever its name, so that no column's value can go
    // to another column's parameter. Without sources, and again after the
    // statement's text changes, parameters are bound by their names.
    void SetParamSources(TQvModifyStatement statement, TQvParamSources sources);

    // Records by which the cache grows; 0 or less gives 32. Takes effect at
    // the next open.
    int BufferChunks() const { return m_bufferChunks; }
    void SetBufferChunks(int records);
    // Changes stay in the cache, never sent. Switching it on needs a closed
    // dataset; switching it off drops the pending changes.
    bool CachedUpdates() const { return m_cachedUpdates; }
    void SetCachedUpdates(bool cached);
    // Only the last two records are kept. Needs a closed dataset.
    bool UniDirectional() const { return m_uniDirectional; }
    void SetUniDirectional(bool uniDirectional);
    // Each insert, update and delete sent runs under a savepoint and must
    // change exactly one row: statements that match rows by their old values
    // match none when a value was NULL and several when rows are identical.
    // Otherwise the savepoint is rolled back and the change refused, saying
    // why; the record stays as it was (in edit for a post). Off by default.
    bool SingleRowChanges() const { return m_singleRowChanges; }
    void SetSingleRowChanges(bool single) { m_singleRowChanges = single; }
    const TQvUpdateRecordTypes& UpdateRecordTypes() const { return m_updateRecordTypes; }
    void SetUpdateRecordTypes(const TQvUpdateRecordTypes& types);
    bool UpdatesPending() const { return m_updatesPending; }
    // The master's data source; client error 48 when it would lead back here.
    TDataSource* DataSource() const { return m_dataLink.DataSource(); }
    void SetDataSource(TDataSource* source);

    // The SQL dialect of the five statements (see TQvQuery::SQLDialect):
    // the database's unless set.
    int SQLDialect() const;
    void SetSQLDialect(int dialect);

    // Prepares the statements ahead of the open, which then only executes
    // (for measuring what the open alone costs on the server).
    void Prepare() { PrepareStatements(); }
    // Reverts every cached change (an edit or insert in progress is posted first).
    void CancelUpdates();
    // Reads the current record again through RefreshSQL.
    void InternalRefreshRow();
    // The first record, from the start, whose key fields match; it becomes
    // current. False leaves the dataset where it was.
    bool InternalLocate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options);
    bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options) override;
    // The values of the result fields (";"-separated; a QVariantList for
    // more than one) in the first matching record, without moving; an
    // invalid QVariant when none matches.
    QVariant Lookup(const QString& keyFields, const QVariant& keyValues, const QString& resultFields);

    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
    std::unique_ptr<TStream> CreateBlobStream(TField& field, TBlobStreamMode mode) override;
    QString BlobToText(const QByteArray& bytes) const override;
    QByteArray TextToBlob(const QString& text) const override;

    // Bytes the record caches take, bookkeeping included.
    qint64 CacheBytes() const;

    TQvUpdateErrorEvent OnUpdateError;
    TQvUpdateRecordEvent OnUpdateRecord;

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
    void InternalEdit() override;
    void InternalInsert() override;
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalRefresh() override;
    bool GetFieldData(const TField& field, const TRecordBuffer& buffer, QVariant& value) override;
    void SetFieldData(TField& field, TRecordBuffer& buffer, const QVariant& value) override;
    int GetRecordCount() override;
    int GetRecNo() override;
    bool InternalSetRecNo(int recNo) override;
    bool GetRowRecord(int row, TRecordBuffer& buffer) override;
    bool GetCanModify() override;
    // Edit and insert raise the dataset's own errors (44, 42) instead.
    void CheckCanModify() override { m_currentBeforeModify = m_current; }
    TBookmark GetBookmarkData(const TRecordBuffer& buffer) const override;
    void SetBookmarkData(TRecordBuffer& buffer, const TBookmark& bookmark) override;
    int GetRowCount() override;
    bool CanFetchMoreRows() override;
    int FetchMoreRows(int maxRows) override;
    std::unique_ptr<TField> CreateFieldForDef(const TFieldDef& def) override;

private:
    friend class TQvDSBlobStream;
    friend class TQvDataLink;
    friend class TQvDateTimeField;
    friend class TQvFloatField;
    struct Column;
    class RecordStore;
    class RecordBuffer;

    // --- statements
    static bool HasText(const TQvQuery& query);
    void PrepareStatements();
    void ApplyMasterParams();
    void MasterChanged();
    void BeforeTransactionEnd();
    void FillParams(TQvQuery& query, const char* current, const char* old);
    TQvParamSources& SourcesOf(const TQvQuery& query);
    void SetParam(TQvXSQLVAR& param, const Column& column, const char* record) const;
    // Runs an insert, update or delete (see SingleRowChanges).
    void ExecModify(TQvQuery& query);

    // --- layout and records
    void BuildLayout();
    void StoreVar(const Column& column, const TQvXSQLVAR& var, char* record) const;
    // A value of another statement's type converted into a Scalar column.
    void StoreScalar(const Column& column, const TQvXSQLVAR& var, char* value) const;
    void StoreRow(const TQvXSQLDA& row, char* record) const;
    void StoreValue(const Column& column, const QVariant& value, char* record) const;
    QVariant ReadValue(const Column& column, const char* record) const;
    const Column& ColumnOf(const TField& field) const;
    bool Retained(int index) const;
    char* RecordAt(int index) const;
    char* OldRecord(int index) const;
    bool Visible(int index) const;
    void CopyRecord(int index, RecordBuffer& buffer) const;
    bool FetchOne();
    void FetchAll();
    void SaveCopy(int index);

    // --- rows (the visible records, for views and RecNo)
    void RebuildRows();
    void NoteAppended(int index);
    int RowOfIndex(int index) const;
    int IndexOfRow(int row) const;
    int FindRow(const QString& keyFields, const QVariant& keyValues, TLocateOptions options);

    // The text of a field whose column holds the server's own form of its
    // value (see Column), from those bytes; false for other columns and
    // when there is no record.
    bool ScalarText(const TField& field, QString& text) const;

    // --- blobs
    void BlobFieldChanged(TField& field);
    void FinalizeBlobs(RecordBuffer& buffer);
    void DropBlobStreams(int index);
    void ReadBlobAtOnce(TQvBlobStream& stream);

    TQvBase m_base;
    TQvDataLink m_dataLink;
    TQvQuery* m_deleteQuery;
    TQvQuery* m_insertQuery;
    TQvQuery* m_refreshQuery;
    TQvQuery* m_selectQuery;
    TQvQuery* m_updateQuery;
    // By TQvModifyStatement.
    TQvParamSources m_paramSources[4];
    int m_bufferChunks = 32;
    bool m_cachedUpdates = false;
    bool m_uniDirectional = false;
    bool m_singleRowChanges = false;
    TQvUpdateRecordTypes m_updateRecordTypes{cusUnmodified, cusModified, cusInserted};

    // Layout of this open.
    std::vector<Column> m_columns;
    std::vector<int> m_fieldColumns; // field definition number - 1 -> column
    int m_recordSize = 0;
    bool m_hasBlobColumns = false;
    bool m_uniOpen = false;

    std::unique_ptr<RecordStore> m_records;
    std::unique_ptr<RecordStore> m_savedCopies;
    int m_recordCount = 0;
    int m_savedCount = 0;
    int m_current = -1;
    int m_currentBeforeModify = -1;
    int m_deletedCount = 0;
    bool m_updatesPending = false;
    // Every cached record is visible: row i is record i. Otherwise m_rows
    // lists the visible records' numbers in order.
    bool m_rowsIdentity = true;
    std::vector<int> m_rows;
    // Blob streams made for cached records, by record number and column.
    std::unordered_map<int, std::vector<std::shared_ptr<TQvBlobStream>>> m_recordBlobs;

    bool m_endingTransaction = false;
    bool m_reopeningForMaster = false;
};

// The buffered dataset as the windows use it.
class TQvDataSet : public TQvCustomDataSet
{
    Q_OBJECT
    Q_PROPERTY(QStringList SelectSQL READ SelectSQL WRITE SetSelectSQL)
    Q_PROPERTY(QStringList InsertSQL READ InsertSQL WRITE SetInsertSQL)
    Q_PROPERTY(QStringList UpdateSQL READ UpdateSQL WRITE SetUpdateSQL)
    Q_PROPERTY(QStringList DeleteSQL READ DeleteSQL WRITE SetDeleteSQL)
    Q_PROPERTY(QStringList RefreshSQL READ RefreshSQL WRITE SetRefreshSQL)
    Q_PROPERTY(int BufferChunks READ BufferChunks WRITE SetBufferChunks)
    Q_PROPERTY(bool CachedUpdates READ CachedUpdates WRITE SetCachedUpdates)
    Q_PROPERTY(bool UniDirectional READ UniDirectional WRITE SetUniDirectional)

public:
    explicit TQvDataSet(QObject* parent = nullptr);
    ~TQvDataSet() override;
};
