#pragma once

#include "platform/db/DbTypes.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class TDataLink;

// Connects a dataset to the controls that show it: passes the dataset's data
// events on to its data links while it is enabled, and tells its own handlers
// of state and data changes.
class TDataSource : public QObject
{
    Q_OBJECT

public:
    explicit TDataSource(QObject* parent = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet* dataSet);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    // A control that starts typing puts a browsing dataset into edit.
    bool AutoEdit() const { return m_autoEdit; }
    void SetAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }
    // The dataset's state as the links see it (dsInactive while disabled).
    TDataSetState State() const { return m_state; }
    // Edit on behalf of a control, when AutoEdit allows it.
    void Edit();

    std::function<void(TDataSource&)> OnStateChange;
    // The record or one field of it (nullptr for the whole record) changed.
    std::function<void(TDataSource&, TField*)> OnDataChange;
    std::function<void(TDataSource&)> OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;

    void DataEvent(TDataEvent event, TField* field, int distance);
    void UpdateState();
    void SetState(TDataSetState state);
    void NotifyLinks(TDataEvent event, TField* field, int distance);
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);

    TDataSet* m_dataSet = nullptr;
    std::vector<TDataLink*> m_links;
    TDataSetState m_state = dsInactive;
    bool m_enabled = true;
    bool m_autoEdit = true;
    bool m_destroying = false;
};

// What a control (or a detail dataset) hooks into a data source: it hears
// when the dataset opens or closes, moves, changes its records or fields,
// enters or leaves edit, and when it must write its pending value.
class TDataLink
{
public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    virtual ~TDataLink();

    TDataSource* DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    // The data source's dataset is open.
    bool Active() const { return m_active; }
    // The dataset is in edit or insert and the link is not read-only.
    bool Editing() const { return m_editing; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    // Puts the dataset into edit when the source allows; true when editing.
    bool Edit();
    // Writes the control's pending value now.
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* /*field*/) {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;

    void DataEvent(TDataEvent event, TField* field, int distance);
    void UpdateState();

    TDataSource* m_dataSource = nullptr;
    bool m_active = false;
    bool m_editing = false;
    bool m_readOnly = false;
    bool m_updating = false;
};

// The link of a control that shows one field of the active record.
class TFieldDataLink : public TDataLink
{
public:
    QString FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& name);
    // The field, while the dataset is open and has it.
    TField* Field() const { return m_field; }
    bool CanModify() const;
    // The control's value differs from the field's; written on UpdateRecord.
    void Modified() { m_modified = true; }
    bool IsModified() const { return m_modified; }
    // Drops the control's changes: it shows the field's value again.
    void Reset();

    std::function<void()> OnDataChange;
    std::function<void()> OnUpdateData;
    std::function<void()> OnEditingChange;
    std::function<void()> OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateField();

    QString m_fieldName;
    TField* m_field = nullptr;
    bool m_modified = false;
};
