#pragma once

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/DbTypes.h"

#include <QStringList>
#include <QVariantList>
#include <functional>
#include <vector>

struct TestColumn
{
    QString name;
    TFieldType type;
    int size = 0;
};

// The smallest real dataset: rows in a vector, reached through a cursor the
// way the buffered dataset reaches a select's rows. With SetLazy the cursor
// "fetches" a row only when it moves past the rows already seen, so the
// engine's and the model's handling of rows still to come can be watched.
class TVectorDataSet : public TDataSet
{
public:
    explicit TVectorDataSet(QObject* parent = nullptr);
    ~TVectorDataSet() override;

    void SetColumns(std::vector<TestColumn> columns) { m_columns = std::move(columns); }
    void AddRow(const QVariantList& values);
    // The stored rows, as posting left them.
    QVariantList StoredRow(int index) const;
    // Changes a stored row behind the dataset's back, as another user would.
    void SetStoredValue(int index, int column, const QVariant& value);
    int StoredCount() const { return int(m_rows.size()); }
    int FetchedCount() const { return m_fetched; }

    void SetLazy(bool lazy) { m_lazy = lazy; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Runs before every post, delete and open; a test throws from it.
    std::function<void(const char* step)> FailureHook;

    int InternalCloseCount = 0;
    int FetchCount = 0; // rows the cursor brought in

protected:
    std::unique_ptr<TRecordBuffer> AllocRecordBuffer() override;
    void InternalInitRecord(TRecordBuffer& buffer) override;
    TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode, bool doCheck) override;
    void InternalOpen() override;
    void InternalClose() override;
    void InternalFirst() override { m_pos = -1; }
    void InternalLast() override;
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    void InternalPost() override;
    void InternalDelete() override;
    bool GetFieldData(const TField& field, const TRecordBuffer& buffer, QVariant& value) override;
    void SetFieldData(TField& field, TRecordBuffer& buffer, const QVariant& value) override;
    int GetRecordCount() override { return m_fetched; }
    int GetRecNo() override;
    bool InternalSetRecNo(int recNo) override;
    bool GetRowRecord(int row, TRecordBuffer& buffer) override;
    bool GetCanModify() override { return !m_readOnly; }
    bool CanFetchMoreRows() override { return m_fetched < StoredCount(); }
    int FetchMoreRows(int maxRows) override;

public:
    bool BookmarkValid(const TBookmark& bookmark) override;
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
    std::unique_ptr<TStream> CreateBlobStream(TField& field, TBlobStreamMode mode) override;

private:
    struct Row
    {
        int id;
        QVariantList values;
    };
    class Buffer;
    class BlobStream;

    bool FetchOne();
    int IndexOfId(int id) const;
    void CopyRow(int index, TRecordBuffer& buffer) const;
    void Hook(const char* step);

    std::vector<TestColumn> m_columns;
    std::vector<Row> m_rows;
    int m_fetched = 0;
    int m_pos = -1;
    int m_nextId = 1;
    bool m_lazy = false;
    bool m_readOnly = false;
};

// Records a dataset's events and a data link's notices as short texts, in order.
class TEventTrace
{
public:
    explicit TEventTrace(TDataSet& dataSet);
    // Unhooks itself: the dataset may outlive the trace.
    ~TEventTrace();
    TEventTrace(const TEventTrace&) = delete;
    TEventTrace& operator=(const TEventTrace&) = delete;
    QStringList Take();
    void Add(const QString& entry) { m_entries.append(entry); }

private:
    std::vector<TDataSetNotifyEvent*> Events();

    TDataSet& m_dataSet;
    QStringList m_entries;
};

class TRecordingLink : public TDataLink
{
public:
    explicit TRecordingLink(QStringList& log)
        : m_log(log)
    {
    }

protected:
    void ActiveChanged() override { m_log.append(Active() ? "link:active" : "link:inactive"); }
    void DataSetChanged() override { m_log.append("link:changed"); }
    void DataSetScrolled(int distance) override { m_log.append(QString("link:scrolled %1").arg(distance)); }
    void EditingChanged() override { m_log.append(Editing() ? "link:editing" : "link:browsing"); }
    void LayoutChanged() override { m_log.append("link:layout"); }
    void RecordChanged(TField* field) override;
    void UpdateData() override { m_log.append("link:updatedata"); }
    void CheckBrowseMode() override { m_log.append("link:checkbrowse"); }

private:
    QStringList& m_log;
};

// Three columns ID (integer), NAME (string 20), PRICE (float) and the rows
// given as (id, name, price).
void FillProducts(TVectorDataSet& dataSet, const std::vector<std::tuple<int, QString, double>>& rows);
// A products dataset with five rows: 1 Apple 1.5, 2 Banana 0.25, 3 cherry 12,
// 4 Date 3.75, 5 apricot 2.
void FillFiveProducts(TVectorDataSet& dataSet);
