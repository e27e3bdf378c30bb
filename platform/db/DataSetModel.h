#pragma once

#include "platform/db/DbTypes.h"

#include <QAbstractTableModel>
#include <QPointer>

#include <exception>
#include <functional>
#include <memory>

class TDataSource;
class TRecordBuffer;

// Shows the dataset of a data source in a Qt view: one column per visible
// field, one row per record the dataset has at hand, more fetched as the view
// scrolls (canFetchMore/fetchMore). A record being inserted shows as a row of
// its own. Cells are edited through the dataset: setData moves to the row,
// puts the dataset into edit and sets the field's text; the record is posted
// when the dataset leaves it (or on submit) and dropped on revert. The view's
// current row follows the dataset's active record (currentRowChanged), and
// setCurrentRow moves the dataset.
//
// Nothing thrown by the dataset leaves the model: a failure is reported
// through errorOccurred, delivered from the event loop, so a message box is
// never opened from inside a paint or an editor's focus change.
class TDataSetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TDataSetModel(QObject* parent = nullptr);
    ~TDataSetModel() override;

    TDataSource* dataSource() const;
    void setDataSource(TDataSource* source);

    // The field shown in a column; nullptr outside the columns.
    TField* fieldAt(int column) const;
    int columnOf(const TField* field) const;
    // The row of the dataset's active record; -1 for none.
    int currentRow() const { return m_currentRow; }
    // Moves the dataset to the row (posting a pending edit first); false
    // when that failed.
    bool setCurrentRow(int row);
    // Rows asked of the dataset per fetchMore.
    int fetchChunk() const { return m_fetchChunk; }
    void setFetchChunk(int rows) { m_fetchChunk = rows > 0 ? rows : 1; }
    // A failure its owner handles itself (true) instead of its being
    // reported: called at once, from wherever it was found (a paint too),
    // so it must not open a window there.
    using ErrorTaker = std::function<bool(const std::exception&)>;
    void setErrorTaker(ErrorTaker taker);
    // Whether the owner took the failure; an untaken one is the caller's to show.
    bool taken(const std::exception& error) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

public slots:
    bool submit() override;
    void revert() override;

signals:
    void currentRowChanged(int row);
    void errorOccurred(const QString& message);

private:
    class Link;
    friend class Link;

    TDataSet* dataSet() const;
    bool isLive() const;
    int liveRowCount() const;
    // The dataset row a view row shows; -1 for the active record.
    int datasetRow(int row) const;
    // Reads a view row for display; false when it is not there.
    bool loadRow(int datasetRow) const;
    bool moveTo(int row);
    void reportError(const std::exception& error) const;
    void reportReadError(const std::exception& error) const;
    void reportError(const QString& message) const;
    // The same failure while painting is reported once, not on every repaint.
    void reportReadError(const QString& message) const;

    void reset();
    void syncRowCount();
    void syncCurrentRow(bool always);
    void rowsChanged();
    void recordChanged(TField* field);

    std::unique_ptr<Link> m_link;
    QList<TField*> m_columns;
    quint64 m_openSerial = 0;
    int m_rowCount = 0;
    int m_currentRow = -1;
    int m_fetchChunk = 64;
    mutable std::unique_ptr<TRecordBuffer> m_rowBuffer;
    mutable int m_bufferRow = -1;
    mutable QString m_lastReadError;
    ErrorTaker m_errorTaker;
    // Inside a change announcement of this model: a fetch asked for by a
    // slot of that announcement is skipped (the view asks again later).
    int m_announcing = 0;
};
