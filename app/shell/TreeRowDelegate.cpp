#include "app/shell/TreeRowDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace {

QPalette::ColorGroup colorGroup(const QStyleOptionViewItem& row)
{
    if (!(row.state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return (row.state & QStyle::State_Active) ? QPalette::Normal : QPalette::Inactive;
}

} // namespace

void TTreeRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    const QWidget* widget = row.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const bool selected = row.state & QStyle::State_Selected;
    // A row neither selected nor coloured has no background of its own: the
    // view's is already there, and the style would draw nothing but compute
    // its colours all the same.
    if (selected || row.backgroundBrush.style() != Qt::NoBrush)
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, widget);

    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    QRect rest = row.rect.adjusted(margin, 0, -margin, 0);
    if (row.features & QStyleOptionViewItem::HasDecoration) {
        const QSize size = row.decorationSize;
        const QRect iconRect(rest.left(), rest.top() + (rest.height() - size.height()) / 2, size.width(),
                             size.height());
        const QIcon::Mode mode = !(row.state & QStyle::State_Enabled) ? QIcon::Disabled
                                 : selected                          ? QIcon::Selected
                                                                     : QIcon::Normal;
        row.icon.paint(painter, iconRect, Qt::AlignCenter, mode,
                       (row.state & QStyle::State_Open) ? QIcon::On : QIcon::Off);
        rest.setLeft(iconRect.right() + 1 + 2 * margin);
    }
    if (!row.text.isEmpty() && rest.width() > 0) {
        const QFontMetrics& metrics = row.fontMetrics;
        // A caption its length in the widest characters would fit is not measured.
        const bool fits = row.text.size() * qint64(metrics.maxWidth()) <= rest.width();
        const QString shown = fits ? row.text : metrics.elidedText(row.text, row.textElideMode, rest.width());
        painter->save();
        painter->setFont(row.font);
        painter->setPen(row.palette.color(colorGroup(row), selected ? QPalette::HighlightedText : QPalette::Text));
        const int baseline = rest.top() + (rest.height() - metrics.height()) / 2 + metrics.ascent();
        painter->drawText(QPoint(rest.left(), baseline), shown);
        painter->restore();
    }
    if (row.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(row);
        focus.rect = row.rect;
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor =
            row.palette.color(colorGroup(row), selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}
