#pragma once

// Paints a row of the metadata tree: its picture and its caption, on the
// background and selection the style gives a row. A refreshed category
// repaints every row in view, and the general delegate lays each caption out
// three times over (its size, its elision, its drawing); this one measures a
// caption only when it might not fit and draws it once.

#include <QStyledItemDelegate>

class TTreeRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
