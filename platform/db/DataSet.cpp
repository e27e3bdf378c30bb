#include "platform/db/DataSet.h"

#include "platform/ScopeExit.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <algorithm>

namespace {

// Rows Locate asks for at a time when it runs past the records at hand.
constexpr int LocateFetchChunk = 64;

QString Message(const char* text)
{
    return QString::fromLatin1(text);
}

} // namespace

TDataSet::TDataSet(QObject* parent)
    : QObject(parent)
{
}

TDataSet::~TDataSet()
{
    // The concrete dataset is gone already; only the links can still be told.
    if (m_state != dsInactive) {
        m_state = dsInactive;
        m_hasRecord = false;
        m_disableCount = 0;
        NotifyQuietly(deUpdateState);
    }
    const auto sources = m_dataSources;
    for (TDataSource* source : sources) {
        try {
            source->SetDataSet(nullptr);
        } catch (...) {
            // A link's handler failed while its dataset went away: nothing
            // left to keep consistent.
        }
    }
    m_active.reset();
    m_spare.reset();
    m_fields.clear();
}

// ---------------------------------------------------------------- opening

void TDataSet::SetActive(bool active)
{
    if (Active() == active)
        return;
    if (active) {
        Fire(BeforeOpen);
        OpenCursor();
        SetState(dsBrowse);
        Fire(AfterOpen);
        if (!IsEmpty())
            Fire(AfterScroll);
    } else {
        Fire(BeforeClose);
        SetState(dsInactive);
        CloseCursor();
        Fire(AfterClose);
    }
}

void TDataSet::OpenCursor()
{
    m_defaultFields = m_fields.empty();
    m_fieldsReady = false;
    try {
        InternalOpen();
        InitFields();
        m_active = AllocateBuffer();
        m_spare = AllocateBuffer();
        ++m_openSerial;
        ClearBuffers();
        GetNextRecord();
        m_bof = true;
    } catch (...) {
        m_state = dsInactive;
        try {
            CloseCursor();
        } catch (...) {
            // The open's own error is the one to report.
        }
        throw;
    }
}

void TDataSet::CloseCursor()
{
    ClearBuffers();
    m_insertRow = -1;
    m_active.reset();
    m_spare.reset();
    std::exception_ptr failure;
    try {
        InternalClose();
    } catch (...) {
        failure = std::current_exception();
    }
    DestroyDefaultFields();
    if (failure)
        std::rethrow_exception(failure);
}

void TDataSet::InitFields()
{
    if (m_fieldsReady)
        return;
    if (m_defaultFields && m_fields.empty()) {
        for (const TFieldDef& def : m_fieldDefs) {
            std::unique_ptr<TField> field = CreateFieldForDef(def);
            if (!field)
                continue; // a column of a type no field can show
            field->m_dataSet = this;
            field->m_index = FieldCount();
            m_fields.push_back(std::move(field));
        }
    }
    BindFields();
    m_fieldsReady = true;
}

void TDataSet::BindFields()
{
    m_calcFieldCount = 0;
    for (const auto& field : m_fields) {
        if (field->Calculated()) {
            field->m_fieldNo = 0;
            field->m_calcIndex = m_calcFieldCount++;
            continue;
        }
        const TFieldDef* def = m_fieldDefs.FindDef(field->FieldName());
        if (!def)
            DatabaseError(Message(DbMessages::FieldNotFound).arg(field->DisplayName()));
        if (def->DataType() != field->DataType())
            DatabaseError(Message(DbMessages::FieldTypeMismatch)
                              .arg(field->DisplayName(), QLatin1String(FieldTypeName(field->DataType())),
                                   QLatin1String(FieldTypeName(def->DataType()))));
        field->m_fieldNo = def->FieldNo();
        field->m_calcIndex = -1;
    }
}

void TDataSet::DestroyDefaultFields()
{
    if (m_defaultFields) {
        m_fields.clear();
        m_defaultFields = false;
    } else {
        for (const auto& field : m_fields) {
            field->m_fieldNo = 0;
            field->m_calcIndex = -1;
        }
    }
    m_calcFieldCount = 0;
    m_fieldsReady = false;
}

std::unique_ptr<TField> TDataSet::CreateFieldForDef(const TFieldDef& def)
{
    std::unique_ptr<TField> field = CreateFieldOfType(def.DataType(), def.Name(), def.Size());
    if (field)
        field->SetRequired(def.Required());
    return field;
}

bool TDataSet::CanModify()
{
    return GetCanModify();
}

void TDataSet::CheckActive() const
{
    if (!Active())
        DatabaseError(Message(DbMessages::DataSetClosed));
}

void TDataSet::CheckInactive() const
{
    if (Active())
        DatabaseError(Message(DbMessages::DataSetOpen));
}

void TDataSet::CheckCanModify()
{
    if (!CanModify())
        DatabaseError(Message(DbMessages::DataSetReadOnly));
}

// ---------------------------------------------------------------- fields

TField& TDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        DatabaseError(Message(DbMessages::FieldIndexOutOfRange).arg(index));
    return *m_fields[size_t(index)];
}

TField* TDataSet::FindField(const QString& name) const
{
    for (const auto& field : m_fields)
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

TField& TDataSet::FieldByName(const QString& name) const
{
    TField* field = FindField(name);
    if (!field)
        DatabaseError(Message(DbMessages::FieldNotFound).arg(name));
    return *field;
}

QList<TField*> TDataSet::GetFieldList(const QString& names) const
{
    QList<TField*> fields;
    for (const QString& part : names.split(QLatin1Char(';'))) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            fields.append(&FieldByName(name));
    }
    return fields;
}

TField& TDataSet::AddField(std::unique_ptr<TField> field)
{
    CheckInactive();
    if (field->m_dataSet)
        DatabaseError(Message(DbMessages::FieldAlreadyInDataSet).arg(field->FieldName()));
    if (FindField(field->FieldName()))
        DatabaseError(Message(DbMessages::DuplicateFieldName).arg(field->FieldName()));
    if (m_defaultFields) {
        // The fields of the last open were made from its definitions; a
        // persistent field replaces them all.
        m_fields.clear();
        m_defaultFields = false;
    }
    field->m_dataSet = this;
    field->m_index = FieldCount();
    m_fields.push_back(std::move(field));
    return *m_fields.back();
}

bool TDataSet::GetFieldValue(const TField& field, QVariant& value)
{
    value = QVariant();
    const TRecordBuffer* buffer = GetActiveRecordBuffer();
    if (!buffer)
        return false;
    if (field.Calculated()) {
        if (field.m_calcIndex < 0 || size_t(field.m_calcIndex) >= buffer->CalcValues.size())
            return false;
        value = buffer->CalcValues[size_t(field.m_calcIndex)];
        return value.isValid();
    }
    if (field.m_fieldNo <= 0)
        return false;
    if (!GetFieldData(field, *buffer, value)) {
        value = QVariant();
        return false;
    }
    return true;
}

void TDataSet::SetFieldValue(TField& field, const QVariant& value)
{
    if (field.Calculated()) {
        if (m_state != dsCalcFields || !m_calcBuffer || field.m_calcIndex < 0
            || size_t(field.m_calcIndex) >= m_calcBuffer->CalcValues.size())
            DatabaseError(Message(DbMessages::NotEditing));
        m_calcBuffer->CalcValues[size_t(field.m_calcIndex)] = value;
        return;
    }
    if ((m_state != dsEdit && m_state != dsInsert && m_state != dsNewValue) || !m_hasRecord)
        DatabaseError(Message(DbMessages::NotEditing));
    if (field.ReadOnly())
        DatabaseError(Message(DbMessages::FieldReadOnly).arg(field.DisplayName()));
    SetFieldData(field, *m_active, value);
    if (m_state != dsNewValue)
        DataEvent(deFieldChange, &field);
}

TRecordBuffer* TDataSet::GetActiveRecordBuffer() const
{
    switch (m_state) {
    case dsInactive: return nullptr;
    case dsCalcFields: return m_calcBuffer;
    case dsFilter: return m_filterBuffer;
    default: break;
    }
    if (m_rowBuffer)
        return m_rowBuffer;
    return m_hasRecord ? m_active.get() : nullptr;
}

void TDataSet::FreeFieldBuffers()
{
    for (const auto& field : m_fields)
        field->FreeBuffers();
}

// ---------------------------------------------------------------- buffers

std::unique_ptr<TRecordBuffer> TDataSet::AllocateBuffer()
{
    std::unique_ptr<TRecordBuffer> buffer = AllocRecordBuffer();
    buffer->CalcValues.assign(size_t(m_calcFieldCount), QVariant());
    return buffer;
}

void TDataSet::ClearBuffers()
{
    m_hasRecord = false;
    m_bof = true;
    m_eof = true;
    m_cursorSynced = false;
}

void TDataSet::ClearCalcFields(TRecordBuffer& buffer)
{
    std::fill(buffer.CalcValues.begin(), buffer.CalcValues.end(), QVariant());
}

void TDataSet::InitRecord(TRecordBuffer& buffer)
{
    InternalInitRecord(buffer);
    ClearCalcFields(buffer);
    SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::InternalSetToRecord(TRecordBuffer& buffer)
{
    InternalGotoBookmark(GetBookmarkData(buffer));
}

TGetResult TDataSet::Fetch(TRecordBuffer& buffer, TGetMode mode, bool doCheck)
{
    const TGetResult result = GetRecord(buffer, mode, doCheck);
    if (result == grOK)
        GetCalcFields(buffer);
    return result;
}

bool TDataSet::GetNextRecord()
{
    return StepRecord(gmNext);
}

bool TDataSet::GetPriorRecord()
{
    return StepRecord(gmPrior);
}

bool TDataSet::StepRecord(TGetMode mode)
{
    if (m_hasRecord)
        UpdateCursorPos();
    if (Fetch(*m_spare, mode, true) != grOK) {
        CursorPosChanged();
        return false;
    }
    std::swap(m_active, m_spare);
    if (!m_hasRecord) {
        m_hasRecord = true;
        m_bof = m_eof = false;
    }
    m_cursorSynced = true;
    return true;
}

void TDataSet::UpdateCursorPos()
{
    if (m_cursorSynced || !m_hasRecord)
        return;
    switch (GetBookmarkFlag(*m_active)) {
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
    default: InternalSetToRecord(*m_active); break;
    }
    m_cursorSynced = true;
}

void TDataSet::Resync(bool exact)
{
    if (exact) {
        if (Fetch(*m_spare, gmCurrent, true) != grOK)
            DatabaseError(Message(DbMessages::RecordNotFound));
    } else if (Fetch(*m_spare, gmCurrent, false) != grOK && Fetch(*m_spare, gmNext, false) != grOK
               && Fetch(*m_spare, gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange);
        return;
    }
    std::swap(m_active, m_spare);
    m_hasRecord = true;
    m_bof = m_eof = false;
    m_cursorSynced = true;
    DataEvent(deDataSetChange);
}

void TDataSet::GetCalcFields(TRecordBuffer& buffer)
{
    if (m_calcFieldCount == 0)
        return;
    TRecordBuffer* const previous = m_calcBuffer;
    const TDataSetState saved = SetTempState(dsCalcFields);
    m_calcBuffer = &buffer;
    const ScopeExit restore([&] {
        m_calcBuffer = previous;
        RestoreState(saved);
    });
    ClearCalcFields(buffer);
    CalculateFields(buffer);
}

void TDataSet::CalculateFields(TRecordBuffer& /*buffer*/)
{
    Fire(OnCalcFields);
}

bool TDataSet::FilterRecord(TRecordBuffer& buffer)
{
    if (!m_onFilterRecord)
        return true;
    TRecordBuffer* const previous = m_filterBuffer;
    const TDataSetState saved = SetTempState(dsFilter);
    m_filterBuffer = &buffer;
    const ScopeExit restore([&] {
        m_filterBuffer = previous;
        RestoreState(saved);
    });
    bool accept = true;
    m_onFilterRecord(*this, accept);
    return accept;
}

TDataSetState TDataSet::SetTempState(TDataSetState state)
{
    const TDataSetState previous = m_state;
    m_state = state;
    ++m_disableCount;
    return previous;
}

void TDataSet::RestoreState(TDataSetState state)
{
    m_state = state;
    --m_disableCount;
}

void TDataSet::SetState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    m_modified = false;
    DataEvent(deUpdateState);
}

// ---------------------------------------------------------------- navigation

void TDataSet::First()
{
    CheckBrowseMode();
    Fire(BeforeScroll);
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
    } catch (...) {
        m_bof = true;
        NotifyQuietly(deDataSetChange);
        throw;
    }
    m_bof = true;
    DataEvent(deDataSetChange);
    Fire(AfterScroll);
}

void TDataSet::Last()
{
    CheckBrowseMode();
    Fire(BeforeScroll);
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
    } catch (...) {
        m_eof = true;
        NotifyQuietly(deDataSetChange);
        throw;
    }
    m_eof = true;
    DataEvent(deDataSetChange);
    Fire(AfterScroll);
}

int TDataSet::MoveBy(int distance)
{
    CheckBrowseMode();
    Fire(BeforeScroll);
    int moved = 0;
    if ((distance > 0 && !m_eof) || (distance < 0 && !m_bof)) {
        m_bof = m_eof = false;
        try {
            for (; distance > 0; --distance, ++moved)
                if (!GetNextRecord()) {
                    m_eof = true;
                    break;
                }
            for (; distance < 0; ++distance, --moved)
                if (!GetPriorRecord()) {
                    m_bof = true;
                    break;
                }
        } catch (...) {
            NotifyQuietly(deDataSetScroll, moved);
            throw;
        }
        DataEvent(deDataSetScroll, nullptr, moved);
        Fire(AfterScroll);
    }
    return moved;
}

int TDataSet::RecordCount()
{
    CheckActive();
    return GetRecordCount();
}

int TDataSet::RecNo()
{
    if (!Active())
        return -1;
    UpdateCursorPos();
    return GetRecNo();
}

void TDataSet::SetRecNo(int recNo)
{
    CheckBrowseMode();
    if (recNo == RecNo())
        return;
    Fire(BeforeScroll);
    if (!InternalSetRecNo(recNo))
        return;
    Resync(false);
    Fire(AfterScroll);
}

// ---------------------------------------------------------------- bookmarks

TBookmark TDataSet::GetBookmark()
{
    if (!m_hasRecord || (m_state != dsBrowse && m_state != dsEdit && m_state != dsInsert))
        return {};
    if (GetBookmarkFlag(*m_active) != bfCurrent)
        return {};
    return GetBookmarkData(*m_active);
}

void TDataSet::GotoBookmark(const TBookmark& bookmark)
{
    if (bookmark.isEmpty())
        return;
    CheckBrowseMode();
    Fire(BeforeScroll);
    try {
        InternalGotoBookmark(bookmark);
        Resync(true);
    } catch (...) {
        CursorPosChanged();
        throw;
    }
    Fire(AfterScroll);
}

// ---------------------------------------------------------------- editing

bool TDataSet::CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& errorEvent)
{
    for (;;) {
        try {
            UpdateCursorPos();
            operation();
            return true;
        } catch (EDatabaseError& error) {
            TDataAction action = daFail;
            if (errorEvent)
                errorEvent(*this, error, action);
            if (action == daFail)
                throw;
            if (action == daAbort)
                return false;
        }
    }
}

void TDataSet::Edit()
{
    if (m_state == dsEdit || m_state == dsInsert)
        return;
    CheckActive();
    if (!m_hasRecord) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeEdit);
    if (!CheckOperation([this] { InternalEdit(); }, OnEditError))
        return;
    GetCalcFields(*m_active);
    SetState(dsEdit);
    DataEvent(deRecordChange);
    Fire(AfterEdit);
}

void TDataSet::BeginInsertAppend()
{
    CheckBrowseMode();
    CheckCanModify();
    Fire(BeforeInsert);
    Fire(BeforeScroll);
}

void TDataSet::AbandonInsert()
{
    m_insertRow = -1;
    try {
        Resync(false);
    } catch (...) {
        // The records cannot be read again: better none than stale ones.
        ClearBuffers();
    }
}

void TDataSet::Insert()
{
    BeginInsertAppend();
    const bool hadRecord = m_hasRecord;
    const int row = hadRecord ? std::max(RecNo() - 1, 0) : 0;
    try {
        UpdateCursorPos();
        const TBookmark before = hadRecord ? GetBookmarkData(*m_active) : TBookmark();
        InitRecord(*m_active);
        if (hadRecord)
            SetBookmarkData(*m_active, before);
        else
            SetBookmarkFlag(*m_active, bfBOF);
        m_hasRecord = true;
        m_insertRow = row;
        InternalInsert();
    } catch (...) {
        AbandonInsert();
        throw;
    }
    EndInsertAppend();
}

void TDataSet::Append()
{
    BeginInsertAppend();
    try {
        ClearBuffers();
        InternalLast();
        m_insertRow = GetRowCount();
        InitRecord(*m_active);
        SetBookmarkFlag(*m_active, bfEOF);
        m_hasRecord = true;
        m_bof = false;
        m_eof = true;
        m_cursorSynced = true;
        InternalInsert();
    } catch (...) {
        AbandonInsert();
        throw;
    }
    EndInsertAppend();
}

void TDataSet::EndInsertAppend()
{
    SetState(dsInsert);
    try {
        Fire(OnNewRecord);
    } catch (...) {
        m_insertRow = -1;
        try {
            UpdateCursorPos();
            FreeFieldBuffers();
            SetState(dsBrowse);
            Resync(false);
        } catch (...) {
            ClearBuffers();
        }
        throw;
    }
    m_modified = false;
    DataEvent(deDataSetChange);
    Fire(AfterInsert);
    Fire(AfterScroll);
}

void TDataSet::UpdateRecord()
{
    if (m_state != dsEdit && m_state != dsInsert && m_state != dsSetKey)
        DatabaseError(Message(DbMessages::NotEditing));
    DataEvent(deUpdateRecord);
}

void TDataSet::Post()
{
    UpdateRecord();
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforePost);
    if (!CheckOperation([this] { InternalPost(); }, OnPostError))
        return;
    FreeFieldBuffers();
    m_insertRow = -1;
    SetState(dsBrowse);
    Resync(false);
    Fire(AfterPost);
}

void TDataSet::Cancel()
{
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    const bool wasInsert = m_state == dsInsert;
    DataEvent(deCheckBrowseMode);
    Fire(BeforeCancel);
    if (wasInsert)
        Fire(BeforeScroll);
    UpdateCursorPos();
    InternalCancel();
    FreeFieldBuffers();
    m_insertRow = -1;
    SetState(dsBrowse);
    Resync(false);
    Fire(AfterCancel);
    if (wasInsert)
        Fire(AfterScroll);
}

void TDataSet::Delete()
{
    CheckActive();
    if (m_state == dsInsert || m_state == dsSetKey) {
        Cancel();
        return;
    }
    if (!m_hasRecord)
        DatabaseError(Message(DbMessages::DataSetEmpty));
    DataEvent(deCheckBrowseMode);
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    if (!CheckOperation([this] { InternalDelete(); }, OnDeleteError))
        return;
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(false);
    Fire(AfterDelete);
    Fire(AfterScroll);
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (m_state == dsEdit || m_state == dsInsert) {
        UpdateRecord();
        if (m_modified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::Refresh()
{
    Fire(BeforeRefresh);
    CheckBrowseMode();
    UpdateCursorPos();
    try {
        InternalRefresh();
    } catch (...) {
        CursorPosChanged();
        try {
            Resync(false);
        } catch (...) {
            ClearBuffers();
        }
        throw;
    }
    Resync(false);
    Fire(AfterRefresh);
}

// ---------------------------------------------------------------- data sources

void TDataSet::DisableControls()
{
    if (m_disableCount == 0) {
        m_disableState = m_state;
        m_enableEvent = deDataSetChange;
    }
    ++m_disableCount;
}

void TDataSet::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount > 0)
        return;
    if (m_disableState != m_state)
        DataEvent(deUpdateState);
    if (m_disableState != dsInactive && m_state != dsInactive)
        DataEvent(m_enableEvent);
}

void TDataSet::DataEvent(TDataEvent event, TField* field, int distance)
{
    if (event == deFieldChange) {
        if (field && !field->Calculated())
            m_modified = true;
        if (m_autoCalcFields && m_calcFieldCount > 0 && m_hasRecord && (m_state == dsEdit || m_state == dsInsert))
            GetCalcFields(*m_active);
    }
    if (m_disableCount == 0) {
        Notify(event, field, distance);
    } else if ((event == deUpdateState && m_state == dsInactive) || event == deLayoutChange) {
        m_enableEvent = deLayoutChange;
    }
}

void TDataSet::Notify(TDataEvent event, TField* field, int distance)
{
    // A handler may detach a data source while others are still to be told.
    const auto sources = m_dataSources;
    for (TDataSource* source : sources)
        if (std::find(m_dataSources.begin(), m_dataSources.end(), source) != m_dataSources.end())
            source->DataEvent(event, field, distance);
}

void TDataSet::NotifyQuietly(TDataEvent event, int distance) noexcept
{
    try {
        if (m_disableCount == 0)
            Notify(event, nullptr, distance);
    } catch (...) {
        // Already unwinding from the operation's own failure.
    }
}

void TDataSet::AddDataSource(TDataSource* source)
{
    if (std::find(m_dataSources.begin(), m_dataSources.end(), source) == m_dataSources.end())
        m_dataSources.push_back(source);
}

void TDataSet::RemoveDataSource(TDataSource* source)
{
    m_dataSources.erase(std::remove(m_dataSources.begin(), m_dataSources.end(), source), m_dataSources.end());
}

// ---------------------------------------------------------------- search

bool TDataSet::RecordMatches(const QList<TField*>& fields, const QVariantList& keys, TLocateOptions options) const
{
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (!fields[i]->MatchesKey(keys[i], options))
            return false;
    return true;
}

bool TDataSet::Locate(const QString& keyFields, const QVariant& keyValues, TLocateOptions options)
{
    CheckBrowseMode();
    if (IsEmpty())
        return false;
    const QList<TField*> fields = GetFieldList(keyFields);
    QVariantList keys;
    if (keyValues.typeId() == QMetaType::QVariantList && !(fields.size() == 1 && keyValues.toList().size() != 1))
        keys = keyValues.toList();
    else
        keys.append(keyValues);
    if (fields.isEmpty() || keys.size() != fields.size())
        DatabaseError(Message(DbMessages::KeyValueCount).arg(fields.size()).arg(keys.size()));

    if (RecordMatches(fields, keys, options))
        return true;

    const std::unique_ptr<TRecordBuffer> buffer = AllocateBuffer();
    bool found = false;
    for (int row = 0; !found; ++row) {
        if (row >= RowCount() && !(CanFetchMore() && FetchMore(LocateFetchChunk) > 0 && row < RowCount()))
            break;
        if (!ReadRow(row, *buffer))
            break;
        const RowReadScope scope(*this, *buffer);
        found = RecordMatches(fields, keys, options);
    }
    if (!found)
        return false;

    Fire(BeforeScroll);
    try {
        InternalGotoBookmark(GetBookmarkData(*buffer));
        Resync(true);
    } catch (...) {
        CursorPosChanged();
        throw;
    }
    Fire(AfterScroll);
    return true;
}

QString TDataSet::BlobToText(const QByteArray& bytes) const
{
    return QString::fromUtf8(bytes);
}

QByteArray TDataSet::TextToBlob(const QString& text) const
{
    return text.toUtf8();
}

// ---------------------------------------------------------------- rows

int TDataSet::RowCount()
{
    return Active() ? GetRowCount() : 0;
}

bool TDataSet::CanFetchMore()
{
    return Active() && CanFetchMoreRows();
}

int TDataSet::FetchMore(int maxRows)
{
    if (!Active() || maxRows <= 0)
        return 0;
    return FetchMoreRows(maxRows);
}

int TDataSet::ActiveRow()
{
    if (!Active() || !m_hasRecord)
        return -1;
    if (m_state == dsInsert)
        return m_insertRow;
    const int recNo = RecNo();
    return recNo > 0 ? recNo - 1 : -1;
}

bool TDataSet::ReadRow(int row, TRecordBuffer& buffer)
{
    CheckActive();
    if (row < 0 || row >= RowCount())
        return false;
    if (!GetRowRecord(row, buffer))
        return false;
    GetCalcFields(buffer);
    return true;
}

TDataSet::RowReadScope::RowReadScope(TDataSet& dataSet, TRecordBuffer& buffer)
    : m_dataSet(dataSet)
    , m_previous(dataSet.m_rowBuffer)
{
    dataSet.m_rowBuffer = &buffer;
}

TDataSet::RowReadScope::~RowReadScope()
{
    m_dataSet.m_rowBuffer = m_previous;
}
