#include "app/sqltools/ResultGrid.h"

#include "components/DBGrid.h"
#include "platform/db/DataSetModel.h"

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
    SizeColumnsToFields(*this, *m_model);
}

void TResultGrid::followDataSet(int row)
{
    if (m_model)
        FollowDataSetRow(*this, *m_model, row, m_following);
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
