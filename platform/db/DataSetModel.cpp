#include "platform/db/DataSetModel.h"

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

// The model's ears on the data source.
class TDataSetModel::Link : public TDataLink
{
public:
    explicit Link(TDataSetModel& model)
        : m_model(model)
    {
    }

protected:
    void ActiveChanged() override { m_model.reset(); }
    void LayoutChanged() override { m_model.reset(); }
    void DataSetChanged() override { m_model.rowsChanged(); }
    void DataSetScrolled(int /*distance*/) override
    {
        m_model.syncRowCount();
        m_model.syncCurrentRow(false);
    }
    // Entering insert adds the new record's row, leaving it removes it.
    void EditingChanged() override
    {
        m_model.syncRowCount();
        m_model.syncCurrentRow(false);
    }
    void RecordChanged(TField* field) override { m_model.recordChanged(field); }

private:
    TDataSetModel& m_model;
};

TDataSetModel::TDataSetModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_link(std::make_unique<Link>(*this))
{
}

TDataSetModel::~TDataSetModel()
{
    m_link.reset();
}

TDataSource* TDataSetModel::dataSource() const
{
    return m_link->DataSource();
}

void TDataSetModel::setDataSource(TDataSource* source)
{
    m_link->SetDataSource(source);
    reset();
}

TDataSet* TDataSetModel::dataSet() const
{
    return m_link->DataSet();
}

bool TDataSetModel::isLive() const
{
    const TDataSet* ds = dataSet();
    return ds && m_link->Active() && ds->Active() && ds->OpenSerial() == m_openSerial;
}

TField* TDataSetModel::fieldAt(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns[column] : nullptr;
}

int TDataSetModel::columnOf(const TField* field) const
{
    return int(m_columns.indexOf(const_cast<TField*>(field)));
}

// ---------------------------------------------------------------- keeping up

namespace {

class Announcing
{
public:
    explicit Announcing(int& depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~Announcing() { --m_depth; }
    Announcing(const Announcing&) = delete;
    Announcing& operator=(const Announcing&) = delete;

private:
    int& m_depth;
};

} // namespace

void TDataSetModel::reset()
{
    const Announcing announcing(m_announcing);
    beginResetModel();
    m_lastReadError.clear();
    m_columns.clear();
    m_rowBuffer.reset();
    m_bufferRow = -1;
    m_rowCount = 0;
    m_currentRow = -1;
    TDataSet* ds = dataSet();
    if (ds && m_link->Active() && ds->Active()) {
        m_openSerial = ds->OpenSerial();
        for (int i = 0; i < ds->FieldCount(); ++i)
            if (ds->Fields(i).Visible())
                m_columns.append(&ds->Fields(i));
        m_rowCount = liveRowCount();
        try {
            m_currentRow = ds->ActiveRow();
        } catch (const std::exception& error) {
            reportError(error);
        }
    }
    endResetModel();
    emit currentRowChanged(m_currentRow);
}

int TDataSetModel::liveRowCount() const
{
    if (!isLive())
        return 0;
    TDataSet* ds = dataSet();
    try {
        return ds->RowCount() + (ds->State() == dsInsert ? 1 : 0);
    } catch (const std::exception& error) {
        reportError(error);
        return m_rowCount;
    }
}

void TDataSetModel::syncRowCount()
{
    m_bufferRow = -1;
    if (!isLive()) {
        reset();
        return;
    }
    const int count = liveRowCount();
    const Announcing announcing(m_announcing);
    if (count > m_rowCount) {
        beginInsertRows({}, m_rowCount, count - 1);
        m_rowCount = count;
        endInsertRows();
    } else if (count < m_rowCount) {
        beginRemoveRows({}, count, m_rowCount - 1);
        m_rowCount = count;
        endRemoveRows();
    }
}

void TDataSetModel::syncCurrentRow(bool always)
{
    int row = -1;
    if (isLive()) {
        try {
            row = dataSet()->ActiveRow();
        } catch (const std::exception& error) {
            reportError(error);
            row = m_currentRow;
        }
    }
    if (always || row != m_currentRow) {
        m_currentRow = row;
        emit currentRowChanged(row);
    }
}

void TDataSetModel::rowsChanged()
{
    if (!isLive()) {
        reset();
        return;
    }
    syncRowCount();
    m_lastReadError.clear();
    if (m_rowCount > 0 && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(m_rowCount - 1, int(m_columns.size()) - 1));
    syncCurrentRow(false);
}

void TDataSetModel::recordChanged(TField* field)
{
    if (!isLive()) {
        reset();
        return;
    }
    syncRowCount();
    int row = -1;
    try {
        row = dataSet()->ActiveRow();
    } catch (const std::exception& error) {
        reportError(error);
    }
    if (row < 0 || row >= m_rowCount || m_columns.isEmpty())
        return;
    const int column = field ? columnOf(field) : -1;
    if (field && column < 0)
        return;
    if (column >= 0)
        emit dataChanged(index(row, column), index(row, column));
    else
        emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

// ---------------------------------------------------------------- reading

int TDataSetModel::datasetRow(int row) const
{
    TDataSet* ds = dataSet();
    const int active = ds->ActiveRow();
    if (row == active)
        return -1;
    if (ds->State() == dsInsert && active >= 0 && row > active)
        return row - 1;
    return row;
}

bool TDataSetModel::loadRow(int datasetRow) const
{
    if (m_rowBuffer && m_bufferRow == datasetRow)
        return true;
    TDataSet* ds = dataSet();
    if (!m_rowBuffer)
        m_rowBuffer = ds->AllocateBuffer();
    m_bufferRow = -1;
    if (!ds->ReadRow(datasetRow, *m_rowBuffer))
        return false;
    m_bufferRow = datasetRow;
    return true;
}

int TDataSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int TDataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TDataSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount || index.column() >= m_columns.size())
        return {};
    const TField* field = m_columns[index.column()];
    if (role == Qt::TextAlignmentRole)
        return int(field->Alignment());
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !isLive())
        return {};
    try {
        const bool display = role == Qt::DisplayRole;
        const int row = datasetRow(index.row());
        if (row < 0)
            return display ? field->DisplayText() : field->Text();
        if (!loadRow(row))
            return {};
        const TDataSet::RowReadScope scope(*dataSet(), *m_rowBuffer);
        return display ? field->DisplayText() : field->Text();
    } catch (const std::exception& error) {
        reportReadError(error);
        return {};
    }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < m_columns.size()) {
        if (role == Qt::DisplayRole)
            return m_columns[section]->DisplayName();
        if (role == Qt::TextAlignmentRole)
            return int(m_columns[section]->Alignment());
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    const TField* field = index.isValid() ? fieldAt(index.column()) : nullptr;
    if (!field || !isLive())
        return result;
    try {
        // Blob contents are not edited as a cell's text.
        if (!field->IsBlob() && field->CanModify())
            result |= Qt::ItemIsEditable;
    } catch (const std::exception& error) {
        reportError(error);
    }
    return result;
}

// ---------------------------------------------------------------- editing

bool TDataSetModel::moveTo(int row)
{
    TDataSet* ds = dataSet();
    if (row == ds->ActiveRow())
        return true;
    const int target = datasetRow(row);
    if (target < 0 || !loadRow(target))
        return false;
    // By bookmark: posting a pending insert may renumber the rows.
    const TBookmark bookmark = ds->BookmarkOf(*m_rowBuffer);
    if (bookmark.isEmpty())
        return false;
    ds->GotoBookmark(bookmark);
    return true;
}

bool TDataSetModel::setCurrentRow(int row)
{
    if (!isLive() || row < 0 || row >= m_rowCount)
        return false;
    try {
        return moveTo(row);
    } catch (const std::exception& error) {
        reportError(error);
        return false;
    }
}

bool TDataSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= m_rowCount
        || !(flags(index) & Qt::ItemIsEditable))
        return false;
    TField* field = m_columns[index.column()];
    TDataSet* ds = dataSet();
    try {
        if (!moveTo(index.row()))
            return false;
        ds->Edit();
        if (value.typeId() == QMetaType::QString)
            field->SetText(value.toString());
        else
            field->SetAsVariant(value);
    } catch (const std::exception& error) {
        reportError(error);
        return false;
    }
    if (ds->ControlsDisabled()) // the link hears of the change only later
        emit dataChanged(index, index);
    return true;
}

bool TDataSetModel::submit()
{
    if (!isLive())
        return true;
    TDataSet* ds = dataSet();
    if (ds->State() != dsEdit && ds->State() != dsInsert)
        return true;
    try {
        ds->Post();
        return true;
    } catch (const std::exception& error) {
        reportError(error);
        return false;
    }
}

void TDataSetModel::revert()
{
    if (!isLive())
        return;
    try {
        dataSet()->Cancel();
    } catch (const std::exception& error) {
        reportError(error);
    }
}

bool TDataSetModel::canFetchMore(const QModelIndex& parent) const
{
    if (parent.isValid() || !isLive())
        return false;
    try {
        return dataSet()->CanFetchMore();
    } catch (const std::exception& error) {
        reportError(error);
        return false;
    }
}

void TDataSetModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || !isLive() || m_announcing > 0)
        return;
    try {
        dataSet()->FetchMore(m_fetchChunk);
    } catch (const std::exception& error) {
        reportError(error);
    }
    syncRowCount();
}

void TDataSetModel::setErrorTaker(ErrorTaker taker)
{
    m_errorTaker = std::move(taker);
}

bool TDataSetModel::taken(const std::exception& error) const
{
    return m_errorTaker && m_errorTaker(error);
}

void TDataSetModel::reportError(const std::exception& error) const
{
    if (!taken(error))
        reportError(ErrorText(error));
}

void TDataSetModel::reportReadError(const std::exception& error) const
{
    if (!taken(error))
        reportReadError(ErrorText(error));
}

void TDataSetModel::reportError(const QString& message) const
{
    auto* self = const_cast<TDataSetModel*>(this);
    QMetaObject::invokeMethod(
        self, [self, message] { emit self->errorOccurred(message); }, Qt::QueuedConnection);
}

void TDataSetModel::reportReadError(const QString& message) const
{
    if (message == m_lastReadError)
        return;
    m_lastReadError = message;
    reportError(message);
}
