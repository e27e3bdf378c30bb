#include "components/ColorGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <array>

namespace {

constexpr int kColumns = 4;
constexpr int kRows = 4;
constexpr int kPreferredCell = 26;

// 0x00BBGGRR values in grid order.
constexpr std::array<TColor, kGridColorCount> kGridColors{
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

bool inGrid(int index)
{
    return index >= 0 && index < kGridColorCount;
}

// Text that stays readable on a cell of that colour.
QColor markerColor(const QColor& cell)
{
    return qGray(cell.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace

TColor GridColor(int index)
{
    return inGrid(index) ? kGridColors[std::size_t(index)] : clNone;
}

int ColorToGridIndex(TColor color)
{
    auto value = std::uint32_t(color);
    if ((value & 0xFF000000u) == 0x02000000u)
        value &= 0x00FFFFFFu;
    for (int i = 0; i < kGridColorCount; ++i)
        if (std::uint32_t(kGridColors[std::size_t(i)]) == value)
            return i;
    return -1;
}

TColorGrid::TColorGrid(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void TColorGrid::SetForegroundIndex(int index)
{
    if (!inGrid(index))
        index = -1;
    if (index == m_foreground)
        return;
    m_foreground = index;
    update();
    emit Changed();
}

void TColorGrid::SetBackgroundIndex(int index)
{
    if (!inGrid(index))
        index = -1;
    if (index == m_background)
        return;
    m_background = index;
    update();
    emit Changed();
}

QRect TColorGrid::CellRect(int index) const
{
    if (!inGrid(index))
        return {};
    const int column = index % kColumns;
    const int row = index / kColumns;
    const int left = column * width() / kColumns;
    const int top = row * height() / kRows;
    const int right = (column + 1) * width() / kColumns;
    const int bottom = (row + 1) * height() / kRows;
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

int TColorGrid::CellAt(const QPoint& point) const
{
    if (!rect().contains(point))
        return -1;
    const int column = point.x() * kColumns / width();
    const int row = point.y() * kRows / height();
    return row * kColumns + column;
}

QSize TColorGrid::sizeHint() const
{
    return {kColumns * kPreferredCell, kRows * kPreferredCell};
}

QSize TColorGrid::minimumSizeHint() const
{
    return {kColumns * 16, kRows * 16};
}

void TColorGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (int i = 0; i < kGridColorCount; ++i) {
        const QRect cell = CellRect(i);
        const QColor color = ColorToQColor(GridColor(i));
        painter.fillRect(cell, color);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        QString marker;
        if (i == m_foreground && i == m_background)
            marker = QStringLiteral("FB");
        else if (i == m_foreground)
            marker = QStringLiteral("FG");
        else if (i == m_background)
            marker = QStringLiteral("BG");
        if (!marker.isEmpty()) {
            painter.setPen(markerColor(color));
            painter.drawText(cell, Qt::AlignCenter, marker);
        }
    }
    if (hasFocus() && inGrid(m_foreground)) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = CellRect(m_foreground).adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TColorGrid::mousePressEvent(QMouseEvent* event)
{
    const int cell = CellAt(event->position().toPoint());
    if (cell < 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton)
        SetForegroundIndex(cell);
    else if (event->button() == Qt::RightButton)
        SetBackgroundIndex(cell);
    event->accept();
}

void TColorGrid::keyPressEvent(QKeyEvent* event)
{
    const int current = inGrid(m_foreground) ? m_foreground : 0;
    int column = current % kColumns;
    int row = current / kColumns;
    switch (event->key()) {
    case Qt::Key_Left: column = (column + kColumns - 1) % kColumns; break;
    case Qt::Key_Right: column = (column + 1) % kColumns; break;
    case Qt::Key_Up: row = (row + kRows - 1) % kRows; break;
    case Qt::Key_Down: row = (row + 1) % kRows; break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    // From no marker the first key puts it on the first cell.
    SetForegroundIndex(inGrid(m_foreground) ? row * kColumns + column : 0);
    event->accept();
}
