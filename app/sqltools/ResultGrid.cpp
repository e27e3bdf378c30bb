#include "app/sqltools/ResultGrid.h"

#include "platform/db/DataSetModel.h"
#include "platform/db/Field.h"

#include <QHeaderView>
#include <QKeyEvent>

TResultGrid::TResultGrid(QWidget* parent)
    : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setAlternatingRowColors(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumWidth(14);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
}

void TResultGrid::setResultModel(TDataSetModel* model)
{
    m_model = model;
    setModel(model);
    connect(model, &TDataSetModel::currentRowChanged, this, &TResultGrid::followDataSet);
    connect(model, &QAbstractItemModel::modelReset, this, &TResultGrid::sizeColumns);
}

void TResultGrid::sizeColumns()
{
    constexpr int widestField = 64;   // characters; longer texts are cut in the cell
    const QFontMetrics cell(font());
    const QFontMetrics title(horizontalHeader()->font());
    const int padding = 2 * cell.horizontalAdvance(QLatin1Char(' ')) + 4;
    // Numbers and dates are digits, wider than the average character of a
    // proportional font: a column sized by the average cuts them.
    const int character = qMax(cell.averageCharWidth(), cell.horizontalAdvance(QLatin1Char('0')));
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const TField* field = m_model->fieldAt(column);
        const int characters = field ? qBound(1, field->DisplayWidth(), widestField) : 10;
        const int width = qMax(character * characters,
                               title.horizontalAdvance(m_model->headerData(column, Qt::Horizontal).toString()));
        setColumnWidth(column, width + padding);
    }
}

void TResultGrid::followDataSet(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    if (column >= m_model->columnCount())
        return;
    m_following = true;
    setCurrentIndex(m_model->index(row, column));
    m_following = false;
    scrollTo(currentIndex());
}

void TResultGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!m_following && m_model && current.isValid() && current.row() != previous.row())
        m_model->setCurrentRow(current.row());
}

void TResultGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() == Qt::Key_End && OnLast) {
            OnLast();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Home && OnFirst) {
            OnFirst();
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}
