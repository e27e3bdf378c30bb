// The string grid's keyboard and mouse handling: moving between cells,
// starting and ending the editor, selecting ranges and sizing columns.
#include "components/StringGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

namespace {

// How close to a column's right border a press in a title row starts sizing.
constexpr int SizingMargin = 3;

} // namespace

// ---------------------------------------------------------------- keyboard

void TStringGrid::keyPressEvent(QKeyEvent* event)
{
    GridKey(event);
}

void TStringGrid::GridKey(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool rowSelect = m_options.testFlag(goRowSelect);
    switch (event->key()) {
    case Qt::Key_Up: MoveBy(0, -1, shift); break;
    case Qt::Key_Down: MoveBy(0, 1, shift); break;
    case Qt::Key_Left:
        if (rowSelect)
            SetLeftCol(m_leftCol - 1);
        else
            MoveBy(-1, 0, shift);
        break;
    case Qt::Key_Right:
        if (rowSelect)
            SetLeftCol(m_leftCol + 1);
        else
            MoveBy(1, 0, shift);
        break;
    case Qt::Key_PageUp: MoveBy(0, -std::max(1, VisibleRowCount()), shift); break;
    case Qt::Key_PageDown: MoveBy(0, std::max(1, VisibleRowCount()), shift); break;
    case Qt::Key_Home:
        if (ctrl)
            FocusCell(m_col, m_fixedRows, shift);
        else
            FocusCell(m_fixedCols, m_row, shift);
        break;
    case Qt::Key_End:
        if (ctrl)
            FocusCell(m_col, m_rowCount - 1, shift);
        else
            FocusCell(m_colCount - 1, m_row, shift);
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!m_options.testFlag(goTabs)) {
            event->ignore();
            return;
        }
        if (event->key() == Qt::Key_Backtab || shift) {
            if (m_col > m_fixedCols)
                FocusCell(m_col - 1, m_row);
            else if (m_row > m_fixedRows)
                FocusCell(m_colCount - 1, m_row - 1);
        } else if (m_col < m_colCount - 1) {
            FocusCell(m_col + 1, m_row);
        } else if (m_row < m_rowCount - 1) {
            FocusCell(m_fixedCols, m_row + 1);
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_options.testFlag(goEditing) && !m_options.testFlag(goAlwaysShowEditor)) {
            if (m_editCol >= 0)
                HideEditor();
            else
                ShowEditor();
        }
        break;
    case Qt::Key_F2:
        ShowEditor();
        break;
    default:
        if (IsPrintableKey(event) && m_options.testFlag(goEditing) && CanEditShow()) {
            ShowEditor();
            if (m_editor && m_editor->isVisible()) {
                m_editor->setFocus();
                QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
                QApplication::sendEvent(m_editor, &copy);
            }
            break;
        }
        event->ignore();
        return;
    }
    event->accept();
}

bool TStringGrid::focusNextPrevChild(bool next)
{
    // Tab moves between cells while the grid takes it.
    if (m_options.testFlag(goTabs) && (hasFocus() || (m_editor && m_editor->hasFocus())))
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TStringGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (m_options.testFlag(goAlwaysShowEditor))
        ShowEditor();
    InvalidateCell(m_col, m_row);
}

void TStringGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// ---------------------------------------------------------------- mouse

int TStringGrid::ColumnBorderAt(int x) const
{
    for (int col = 0; col < m_colCount; ++col) {
        const int left = X(col);
        if (left < 0)
            continue;
        const int border = left + ColWidths(col);
        if (std::abs(x - border) <= SizingMargin)
            return col;
    }
    return -1;
}

void TStringGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!hasFocus() && !(m_editor && m_editor->hasFocus()))
        setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    int col = -1;
    int row = -1;
    MouseToCell(pos, col, row);
    if (m_options.testFlag(goColSizing) && row >= 0 && row < m_fixedRows) {
        const int border = ColumnBorderAt(pos.x());
        if (border >= 0) {
            m_sizingCol = border;
            m_sizingStart = X(border);
            return;
        }
    }
    if (col < m_fixedCols || row < m_fixedRows)
        return;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (col == m_col && row == m_row && !shift) {
        if (m_options.testFlag(goEditing) && m_editCol < 0)
            ShowEditor();
        return;
    }
    if (FocusCell(col, row, shift))
        m_selecting = m_options.testFlag(goRangeSelect);
}

void TStringGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_sizingCol >= 0) {
        SetColWidths(m_sizingCol, std::max(1, pos.x() - m_sizingStart));
        return;
    }
    if (m_selecting && (event->buttons() & Qt::LeftButton)) {
        int col = -1;
        int row = -1;
        MouseToCell(pos, col, row);
        if (col >= m_fixedCols && row >= m_fixedRows)
            FocusCell(col, row, true);
        return;
    }
    int col = -1;
    int row = -1;
    MouseToCell(pos, col, row);
    const bool overBorder = m_options.testFlag(goColSizing) && row >= 0 && row < m_fixedRows
                            && ColumnBorderAt(pos.x()) >= 0;
    viewport()->setCursor(overBorder ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* /*event*/)
{
    m_sizingCol = -1;
    m_selecting = false;
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void TStringGrid::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        SetTopRow(m_topRow - steps * 3);
    event->accept();
}
