#pragma once

#include "platform/db/DbTypes.h"
#include "platform/db/FieldDefs.h"

#include <QList>
#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class EDatabaseError;
class TDataSource;
class TField;
class TStream;

// One record as a dataset holds it. A concrete dataset derives its own buffer
// from this and keeps the record's values there; the base keeps the bookmark,
// its flag and the values of calculated fields beside them.
class TRecordBuffer
{
public:
    TRecordBuffer() = default;
    TRecordBuffer(const TRecordBuffer&) = delete;
    TRecordBuffer& operator=(const TRecordBuffer&) = delete;
    virtual ~TRecordBuffer() = default;

    TBookmark Bookmark;
    TBookmarkFlag BookmarkFlag = bfCurrent;
    std::vector<QVariant> CalcValues;
};

using TDataSetNotifyEvent = std::function<void(TDataSet&)>;
using TDataSetErrorEvent = std::function<void(TDataSet&, EDatabaseError&, TDataAction&)>;
using TFilterRecordEvent = std::function<void(TDataSet&, bool& accept)>;

// The dataset engine: states, fields, one active record buffer, navigation
// with Bof/Eof, bookmarks, edit/insert/post/cancel/delete with their events,
// data sources with DisableControls, Locate and calculated fields. A concrete
// dataset supplies the records through the hooks in the protected section;
// the engine decides when to call them.
//
// A concrete dataset keeps a cursor of its own. GetRecord moves it; the engine
// puts it back on the active record (InternalSetToRecord) before it relies on
// it, and after InternalPost, InternalDelete and InternalCancel it reads the
// record the cursor is left on (GetRecord with gmCurrent, then gmNext, then
// gmPrior).
//
// Rows: for views and Locate the records are also numbered 0..RowCount()-1 in
// cursor order (the records already at hand; CanFetchMoreRows/FetchMoreRows
// bring more), and GetRowRecord reads any of them without moving the cursor.
// RecNo is the 1-based row of the active record.
//
// A concrete dataset must call Close() in its own destructor: the engine's
// destructor can no longer reach the concrete hooks.
class TDataSet : public QObject
{
    Q_OBJECT

public:
    explicit TDataSet(QObject* parent = nullptr);
    ~TDataSet() override;

    // --- Opening and state ---
    bool Active() const { return m_state != dsInactive; }
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return m_state; }
    // A field of the record in edit or insert was written.
    bool Modified() const { return m_modified; }
    bool CanModify();
    // Changes with every open: a view keeping fields or buffers of an
    // earlier open knows they are gone.
    quint64 OpenSerial() const { return m_openSerial; }

    // --- Fields ---
    TFieldDefs& FieldDefs() { return m_fieldDefs; }
    const TFieldDefs& FieldDefs() const { return m_fieldDefs; }
    int FieldCount() const { return int(m_fields.size()); }
    TField& Fields(int index) const;
    TField* FindField(const QString& name) const;
    TField& FieldByName(const QString& name) const;
    // The fields named in a ";"-separated list, in its order.
    QList<TField*> GetFieldList(const QString& names) const;
    // Adds a field of the caller's making (a persistent field); only while
    // the dataset is closed.
    TField& AddField(std::unique_ptr<TField> field);
    // True while the fields were made from the field definitions at open;
    // they are destroyed at close.
    bool DefaultFields() const { return m_defaultFields; }
    bool AutoCalcFields() const { return m_autoCalcFields; }
    void SetAutoCalcFields(bool autoCalc) { m_autoCalcFields = autoCalc; }

    // --- Navigation ---
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to distance records; returns how far it got (negative backwards).
    int MoveBy(int distance);
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    // No active record (an open dataset without records, or a closed one).
    bool IsEmpty() const { return !m_hasRecord; }
    int RecordCount();
    // 1-based position of the active record; -1 when closed.
    int RecNo();
    // Moves to the record at that position; values the dataset does not know
    // are ignored.
    void SetRecNo(int recNo);

    // --- Bookmarks ---
    // The active record's bookmark; empty when there is no fetched record.
    TBookmark GetBookmark();
    void GotoBookmark(const TBookmark& bookmark);
    virtual bool BookmarkValid(const TBookmark& bookmark) = 0;
    // Orders two bookmarks; an empty one comes first.
    virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b) = 0;

    // --- Editing ---
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Posts a modified record in edit or insert, cancels an untouched one.
    void CheckBrowseMode();
    // Asks the controls to write what they hold into the record.
    void UpdateRecord();
    // Reads the records again from the source.
    void Refresh();

    // --- Data sources and controls ---
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }
    void DataEvent(TDataEvent event, TField* field = nullptr, int distance = 0);

    // --- Search and blobs ---
    // Goes to the first record whose key fields (";"-separated names) equal
    // the key values (one value, or a QVariantList with one per field).
    // The active record is tried first; a failed search leaves the dataset
    // where it was.
    virtual bool Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options);
    // A stream over a blob field of the record fields read from
    // (GetActiveRecordBuffer). Writing needs edit or insert state; the stream
    // reports its change when written or destroyed.
    virtual std::unique_ptr<TStream> CreateBlobStream(TField& field, TBlobStreamMode mode) = 0;
    // How a text blob's bytes become text and back; UTF-8 unless a dataset
    // knows better.
    virtual QString BlobToText(const QByteArray& bytes) const;
    virtual QByteArray TextToBlob(const QString& text) const;

    // --- Filtering (applied by the concrete dataset) ---
    bool Filtered() const { return m_filtered; }
    virtual void SetFiltered(bool filtered) { m_filtered = filtered; }
    const TFilterRecordEvent& OnFilterRecord() const { return m_onFilterRecord; }
    virtual void SetOnFilterRecord(TFilterRecordEvent handler) { m_onFilterRecord = std::move(handler); }

    // --- Rows, for views ---
    int RowCount();
    bool CanFetchMore();
    // Brings up to maxRows further records; returns how many came.
    int FetchMore(int maxRows);
    // Row of the active record (the record being inserted included); -1 for none.
    int ActiveRow();
    // A buffer of this open's layout, and a row read into it (calculated
    // fields included) without moving the cursor.
    std::unique_ptr<TRecordBuffer> AllocateBuffer();
    bool ReadRow(int row, TRecordBuffer& buffer);
    TBookmark BookmarkOf(const TRecordBuffer& buffer) { return GetBookmarkData(buffer); }

    // While alive, fields read the given buffer instead of the active record.
    class RowReadScope
    {
    public:
        RowReadScope(TDataSet& dataSet, TRecordBuffer& buffer);
        ~RowReadScope();
        RowReadScope(const RowReadScope&) = delete;
        RowReadScope& operator=(const RowReadScope&) = delete;

    private:
        TDataSet& m_dataSet;
        TRecordBuffer* m_previous;
    };

    // --- Events ---
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    // Given the error of an edit, post or delete: daFail (the default) lets
    // it pass on, daAbort drops it and abandons the operation, daRetry runs
    // the operation again.
    TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;

protected:
    // --- Hooks every concrete dataset implements ---
    virtual std::unique_ptr<TRecordBuffer> AllocRecordBuffer() = 0;
    // Empties a buffer for a new record.
    virtual void InternalInitRecord(TRecordBuffer& buffer) = 0;
    // Moves the cursor (gmNext, gmPrior) or stays (gmCurrent) and copies the
    // record there into the buffer, bookmark included. At the ends: grEOF /
    // grBOF; no record at the cursor for gmCurrent: grError, and with doCheck
    // an error is raised instead.
    virtual TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode, bool doCheck) = 0;
    // Opens the source and fills FieldDefs. The engine then makes the fields
    // (unless persistent ones exist) and binds them; a dataset that needs
    // them bound earlier calls InitFields() itself. The cursor starts before
    // the first record.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    // Cursor to the crack before the first / after the last record.
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    // Cursor onto the bookmarked record; an unknown one raises.
    virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
    // Cursor onto the record a buffer holds; by default its bookmark.
    virtual void InternalSetToRecord(TRecordBuffer& buffer);
    virtual void InternalEdit() {}
    // The active buffer was made ready for a new record: flag bfInserted with
    // the bookmark of the record it goes before, bfBOF for an empty dataset,
    // bfEOF when appended.
    virtual void InternalInsert() {}
    // Stores the active buffer: the record at the cursor (edit), or a new one
    // placed by the buffer's bookmark flag (insert). The cursor is left on
    // the stored record.
    virtual void InternalPost() = 0;
    virtual void InternalCancel() {}
    // Removes the record at the cursor and leaves the cursor on its follower
    // (or the new last record).
    virtual void InternalDelete() = 0;
    virtual void InternalRefresh() {}
    // The value of a data field in a buffer; false for null.
    virtual bool GetFieldData(const TField& field, const TRecordBuffer& buffer, QVariant& value) = 0;
    // Stores a value (already converted to the field's type, invalid for
    // null) into a buffer. The engine has checked the state and the field's
    // read-only flag, and reports the change afterwards.
    virtual void SetFieldData(TField& field, TRecordBuffer& buffer, const QVariant& value) = 0;
    virtual int GetRecordCount() = 0;
    virtual int GetRecNo() = 0;
    // Cursor onto the record at a 1-based position; false, without moving,
    // for a position that does not exist.
    virtual bool InternalSetRecNo(int recNo) = 0;
    // Copies the record at a row into the buffer without moving the cursor.
    virtual bool GetRowRecord(int row, TRecordBuffer& buffer) = 0;

    // --- Hooks with a default ---
    virtual bool GetCanModify() { return true; }
    // Raises unless the dataset can be modified; called by Edit, Insert, Append.
    virtual void CheckCanModify();
    virtual TBookmark GetBookmarkData(const TRecordBuffer& buffer) const { return buffer.Bookmark; }
    virtual void SetBookmarkData(TRecordBuffer& buffer, const TBookmark& bookmark) { buffer.Bookmark = bookmark; }
    virtual TBookmarkFlag GetBookmarkFlag(const TRecordBuffer& buffer) const { return buffer.BookmarkFlag; }
    virtual void SetBookmarkFlag(TRecordBuffer& buffer, TBookmarkFlag flag) { buffer.BookmarkFlag = flag; }
    virtual int GetRowCount() { return GetRecordCount(); }
    virtual bool CanFetchMoreRows() { return false; }
    virtual int FetchMoreRows(int /*maxRows*/) { return 0; }
    // Fills the calculated fields of the calculation buffer; by default OnCalcFields.
    virtual void CalculateFields(TRecordBuffer& buffer);
    // Makes the field for a definition when the dataset has no persistent fields.
    virtual std::unique_ptr<TField> CreateFieldForDef(const TFieldDef& def);

    // --- For concrete datasets ---
    // The active record's buffer (the record being edited or inserted
    // included); none while the dataset is empty or closed.
    TRecordBuffer* ActiveBuffer() const { return m_hasRecord ? m_active.get() : nullptr; }
    // The buffer fields read and write in the present state: the calculation
    // buffer while calculating, the filter candidate while filtering, a row
    // being read for a view, else the active record (none while empty).
    TRecordBuffer* GetActiveRecordBuffer() const;
    // Makes the default fields (when there are no persistent ones) and binds
    // every data field to its definition; done once per open.
    void InitFields();
    void CheckActive() const;
    void CheckInactive() const;
    // Whether a record passes OnFilterRecord (which sees it in dsFilter state).
    bool FilterRecord(TRecordBuffer& buffer);
    // Runs OnCalcFields for a buffer when there are calculated fields.
    void GetCalcFields(TRecordBuffer& buffer);
    // State changes that tell nobody, for the short calculating and
    // filtering passes.
    TDataSetState SetTempState(TDataSetState state);
    void RestoreState(TDataSetState state);
    // The cursor may no longer be on the active record.
    void CursorPosChanged() { m_cursorSynced = false; }
    // Puts the cursor back on the active record when it may have left it.
    void UpdateCursorPos();
    // Reads the active record again from the cursor; exact: it must be there.
    void Resync(bool exact);
    // Runs one of the dataset's events when a handler is set.
    void Fire(const TDataSetNotifyEvent& event)
    {
        if (event)
            event(*this);
    }

private:
    friend class TField;
    friend class TDataSource;

    bool GetFieldValue(const TField& field, QVariant& value);
    void SetFieldValue(TField& field, const QVariant& value);

    void OpenCursor();
    void CloseCursor();
    void BindFields();
    void DestroyDefaultFields();
    void ClearBuffers();
    void ClearCalcFields(TRecordBuffer& buffer);
    void InitRecord(TRecordBuffer& buffer);
    TGetResult Fetch(TRecordBuffer& buffer, TGetMode mode, bool doCheck);
    bool GetNextRecord();
    bool GetPriorRecord();
    // One record on in the given direction: the shared body of the two above.
    bool StepRecord(TGetMode mode);
    void SetState(TDataSetState state);
    void BeginInsertAppend();
    void EndInsertAppend();
    // After a failed Insert or Append: no row is being inserted, the records
    // are read again.
    void AbandonInsert();
    // Runs an edit, post or delete step through its error event; false when
    // the event chose daAbort.
    bool CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& errorEvent);
    void FreeFieldBuffers();
    void Notify(TDataEvent event, TField* field, int distance);
    void NotifyQuietly(TDataEvent event, int distance = 0) noexcept;
    bool RecordMatches(const QList<TField*>& fields, const QVariantList& keys, TLocateOptions options) const;

    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);

    TDataSetState m_state = dsInactive;
    TFieldDefs m_fieldDefs;
    std::vector<std::unique_ptr<TField>> m_fields;
    std::vector<TDataSource*> m_dataSources;
    std::unique_ptr<TRecordBuffer> m_active;
    std::unique_ptr<TRecordBuffer> m_spare;
    TRecordBuffer* m_calcBuffer = nullptr;
    TRecordBuffer* m_filterBuffer = nullptr;
    TRecordBuffer* m_rowBuffer = nullptr;
    TFilterRecordEvent m_onFilterRecord;
    quint64 m_openSerial = 0;
    int m_calcFieldCount = 0;
    int m_insertRow = -1;
    int m_disableCount = 0;
    TDataSetState m_disableState = dsInactive;
    TDataEvent m_enableEvent = deDataSetChange;
    bool m_hasRecord = false;
    bool m_bof = true;
    bool m_eof = true;
    bool m_cursorSynced = false;
    bool m_modified = false;
    bool m_defaultFields = false;
    bool m_fieldsReady = false;
    bool m_autoCalcFields = true;
    bool m_filtered = false;
};
