#include "platform/db/DataSource.h"

#include "platform/db/DataSet.h"
#include "platform/db/Field.h"

#include <algorithm>

// ---------------------------------------------------------------- TDataSource

TDataSource::TDataSource(QObject* parent)
    : QObject(parent)
{
}

TDataSource::~TDataSource()
{
    m_destroying = true;
    try {
        SetDataSet(nullptr);
    } catch (...) {
        // A link's handler failed while its source went away.
    }
    while (!m_links.empty()) {
        TDataLink* link = m_links.back();
        m_links.pop_back();
        link->m_dataSource = nullptr;
        try {
            link->UpdateState();
        } catch (...) {
        }
    }
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        m_dataSet->RemoveDataSource(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->AddDataSource(this);
    UpdateState();
}

void TDataSource::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    UpdateState();
}

void TDataSource::Edit()
{
    if (m_autoEdit && m_state == dsBrowse && m_dataSet)
        m_dataSet->Edit();
}

void TDataSource::UpdateState()
{
    SetState(m_enabled && m_dataSet ? m_dataSet->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState state)
{
    if (m_state == state)
        return;
    const TDataSetState prior = m_state;
    m_state = state;
    NotifyLinks(deUpdateState, nullptr, 0);
    if (m_destroying)
        return;
    if (OnStateChange)
        OnStateChange(*this);
    if (prior == dsInactive && OnDataChange)
        OnDataChange(*this, nullptr);
}

void TDataSource::DataEvent(TDataEvent event, TField* field, int distance)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (m_state == dsInactive)
        return;
    NotifyLinks(event, field, distance);
    switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(*this, event == deFieldChange ? field : nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(*this);
        break;
    default:
        break;
    }
}

void TDataSource::NotifyLinks(TDataEvent event, TField* field, int distance)
{
    // A link may leave, or destroy another, while the others are told.
    const auto links = m_links;
    for (TDataLink* link : links)
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            link->DataEvent(event, field, distance);
}

void TDataSource::AddLink(TDataLink* link)
{
    m_links.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link)
{
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
}

// ---------------------------------------------------------------- TDataLink

TDataLink::~TDataLink()
{
    // No notices to a link half destroyed.
    m_active = false;
    m_editing = false;
    if (m_dataSource)
        m_dataSource->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source)
{
    if (m_dataSource == source)
        return;
    if (m_dataSource)
        m_dataSource->RemoveLink(this);
    m_dataSource = source;
    if (m_dataSource)
        m_dataSource->AddLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const
{
    return m_dataSource ? m_dataSource->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool readOnly)
{
    if (m_readOnly == readOnly)
        return;
    m_readOnly = readOnly;
    UpdateState();
}

bool TDataLink::Edit()
{
    if (!m_readOnly && m_dataSource)
        m_dataSource->Edit();
    return m_editing;
}

void TDataLink::UpdateRecord()
{
    m_updating = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_updating};
    UpdateData();
}

void TDataLink::UpdateState()
{
    const TDataSetState state = m_dataSource ? m_dataSource->State() : dsInactive;
    const bool active = state != dsInactive;
    if (m_active != active) {
        m_active = active;
        ActiveChanged();
    }
    const bool editing = (state == dsEdit || state == dsInsert || state == dsSetKey) && !m_readOnly;
    if (m_editing != editing) {
        m_editing = editing;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent event, TField* field, int distance)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!m_active)
        return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!m_updating)
            RecordChanged(field);
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(distance);
        break;
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deUpdateState:
        break;
    }
}

// ---------------------------------------------------------------- TFieldDataLink

void TFieldDataLink::SetFieldName(const QString& name)
{
    if (m_fieldName == name)
        return;
    m_fieldName = name;
    UpdateField();
}

bool TFieldDataLink::CanModify() const
{
    return !ReadOnly() && m_field && m_field->CanModify();
}

void TFieldDataLink::Reset()
{
    RecordChanged(nullptr);
}

void TFieldDataLink::UpdateField()
{
    TDataSet* dataSet = DataSet();
    TField* field = Active() && dataSet && !m_fieldName.isEmpty() ? &dataSet->FieldByName(m_fieldName) : nullptr;
    if (field != m_field) {
        m_field = field;
        m_modified = false;
    }
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::ActiveChanged()
{
    UpdateField();
    if (OnActiveChange)
        OnActiveChange();
}

void TFieldDataLink::EditingChanged()
{
    if (OnEditingChange)
        OnEditingChange();
}

void TFieldDataLink::LayoutChanged()
{
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* field)
{
    if (field && field != m_field)
        return;
    m_modified = false;
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::UpdateData()
{
    if (!m_modified)
        return;
    if (m_field && OnUpdateData)
        OnUpdateData();
    m_modified = false;
}
