#include "components/StringGrid.h"

#include "components/ColorValue.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

bool TStringGrid::IsPrintableKey(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0) != QChar(0x7F);
}

// ---------------------------------------------------------------- TInplaceEdit

TInplaceEdit::TInplaceEdit(TStringGrid* grid)
    : QLineEdit(grid->viewport())
    , m_grid(grid)
{
    setFrame(false);
    setVisible(false);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_settingText)
            TextEdited(text);
    });
}

void TInplaceEdit::SetCellText(const QString& text)
{
    if (text.size() > maxLength())
        setMaxLength(int(text.size())); // never cut what the cell holds
    m_settingText = true;
    setText(text);
    m_settingText = false;
}

void TInplaceEdit::TextEdited(const QString& text)
{
    m_grid->EditorTextEdited(text);
}

bool TInplaceEdit::IsGridKey(const QKeyEvent* event) const
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return m_grid->Options().testFlag(goTabs);
    case Qt::Key_Left:
        return cursorPosition() == 0 && !hasSelectedText() && !(event->modifiers() & Qt::ShiftModifier);
    case Qt::Key_Right:
        return cursorPosition() == text().size() && !hasSelectedText()
               && !(event->modifiers() & Qt::ShiftModifier);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

void TInplaceEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Back to the text the cell had when editing began.
        const QString start = m_grid->EditStartText();
        if (text() != start) {
            setText(start);
        } else if (!m_grid->Options().testFlag(goAlwaysShowEditor)) {
            m_grid->HideEditor();
        }
        event->accept();
        return;
    }
    if (IsGridKey(event)) {
        m_grid->GridKey(event);
        return;
    }
    QLineEdit::keyPressEvent(event);
    // A character a read-only editor refuses goes no further: the grid
    // would hand it straight back.
    if (TStringGrid::IsPrintableKey(event))
        event->accept();
}

// ---------------------------------------------------------------- TStringGrid

TStringGrid::TStringGrid(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setMouseTracking(true);
    m_colWidths.assign(size_t(m_colCount), m_defaultColWidth);
    UpdateScrollBars();
}

TStringGrid::~TStringGrid() = default;

// ---------------------------------------------------------------- size

void TStringGrid::SetColCount(int count)
{
    ResizeGrid(count, m_rowCount);
}

void TStringGrid::SetRowCount(int count)
{
    ResizeGrid(m_colCount, count);
}

void TStringGrid::ResizeGrid(int cols, int rows)
{
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    if (cols == m_colCount && rows == m_rowCount)
        return;
    const bool editorGone = m_editCol >= cols || m_editRow >= rows;
    if (editorGone)
        HideEditor();
    if (rows < m_rowCount)
        TruncateRows(rows);
    m_colCount = cols;
    m_rowCount = rows;
    m_colWidths.resize(size_t(cols), m_defaultColWidth);
    if (!m_rowHeights.empty())
        m_rowHeights.resize(size_t(rows), m_defaultRowHeight);
    m_fixedCols = std::min(m_fixedCols, cols);
    m_fixedRows = std::min(m_fixedRows, rows);
    ClampCurrent();
    UpdateScrollBars();
    viewport()->update();
}

void TStringGrid::TruncateRows(int rows)
{
    for (ColumnCells& column : m_cells) {
        if (column.texts.size() > size_t(rows))
            column.texts.resize(size_t(rows));
        if (column.objects.size() > size_t(rows))
            column.objects.resize(size_t(rows));
    }
}

void TStringGrid::SetFixedCols(int count)
{
    count = std::clamp(count, 0, m_colCount);
    if (count == m_fixedCols)
        return;
    m_fixedCols = count;
    ClampCurrent();
    UpdateScrollBars();
    viewport()->update();
}

void TStringGrid::SetFixedRows(int count)
{
    count = std::clamp(count, 0, m_rowCount);
    if (count == m_fixedRows)
        return;
    m_fixedRows = count;
    ClampCurrent();
    UpdateScrollBars();
    viewport()->update();
}

void TStringGrid::SetDefaultColWidth(int width)
{
    width = std::max(width, 0);
    m_defaultColWidth = width;
    std::fill(m_colWidths.begin(), m_colWidths.end(), width);
    ColWidthsChanged();
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

void TStringGrid::SetDefaultRowHeight(int height)
{
    m_defaultRowHeight = std::max(height, 0);
    m_rowHeights.clear();
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

int TStringGrid::ColWidths(int col) const
{
    if (col < 0 || col >= m_colCount)
        return m_defaultColWidth;
    return m_colWidths[size_t(col)];
}

void TStringGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= m_colCount)
        return;
    width = std::max(width, 0);
    if (m_colWidths[size_t(col)] == width)
        return;
    m_colWidths[size_t(col)] = width;
    ColWidthsChanged();
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

int TStringGrid::RowHeights(int row) const
{
    if (row < 0 || row >= m_rowCount || m_rowHeights.empty())
        return m_defaultRowHeight;
    return m_rowHeights[size_t(row)];
}

void TStringGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= m_rowCount)
        return;
    height = std::max(height, 0);
    if (RowHeights(row) == height)
        return;
    if (m_rowHeights.empty())
        m_rowHeights.assign(size_t(m_rowCount), m_defaultRowHeight);
    m_rowHeights[size_t(row)] = height;
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

void TStringGrid::SetGridLineWidth(int width)
{
    m_gridLineWidth = std::max(width, 0);
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

void TStringGrid::SetOptions(TGridOptions options)
{
    if (m_options == options)
        return;
    m_options = options;
    if (!CanEditShow())
        HideEditor();
    else if (m_options.testFlag(goAlwaysShowEditor))
        ShowEditor();
    viewport()->update();
}

// ---------------------------------------------------------------- cells

QString TStringGrid::Cells(int col, int row) const
{
    if (col < 0 || row < 0 || size_t(col) >= m_cells.size())
        return {};
    const std::vector<QString>& texts = m_cells[size_t(col)].texts;
    return size_t(row) < texts.size() ? texts[size_t(row)] : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& text)
{
    if (col < 0 || row < 0)
        return;
    if (size_t(col) >= m_cells.size()) {
        if (text.isEmpty())
            return;
        m_cells.resize(size_t(col) + 1);
    }
    std::vector<QString>& texts = m_cells[size_t(col)].texts;
    if (size_t(row) >= texts.size()) {
        if (text.isEmpty())
            return;
        // A column filled row by row takes its room once.
        if (row < m_rowCount && texts.capacity() < size_t(m_rowCount))
            texts.reserve(size_t(m_rowCount));
        texts.resize(size_t(row) + 1);
    }
    if (texts[size_t(row)] == text)
        return;
    texts[size_t(row)] = text;
    if (col == m_editCol && row == m_editRow && m_editor && m_editor->text() != text)
        m_editor->SetCellText(text);
    InvalidateCell(col, row);
}

QVariant TStringGrid::Objects(int col, int row) const
{
    if (col < 0 || row < 0 || size_t(col) >= m_cells.size())
        return {};
    const std::vector<QVariant>& objects = m_cells[size_t(col)].objects;
    return size_t(row) < objects.size() ? objects[size_t(row)] : QVariant();
}

void TStringGrid::SetObjects(int col, int row, const QVariant& object)
{
    if (col < 0 || row < 0)
        return;
    if (size_t(col) >= m_cells.size()) {
        if (!object.isValid())
            return;
        m_cells.resize(size_t(col) + 1);
    }
    std::vector<QVariant>& objects = m_cells[size_t(col)].objects;
    if (size_t(row) >= objects.size()) {
        if (!object.isValid())
            return;
        objects.resize(size_t(row) + 1);
    }
    objects[size_t(row)] = object;
    InvalidateCell(col, row);
}

void TStringGrid::MoveColumn(int from, int to)
{
    if (from < 0 || to < 0 || from >= m_colCount || to >= m_colCount || from == to)
        return;
    HideEditor();
    const size_t needed = size_t(std::max(from, to)) + 1;
    if (m_cells.size() < needed)
        m_cells.resize(needed);
    ColumnCells moved = std::move(m_cells[size_t(from)]);
    m_cells.erase(m_cells.begin() + from);
    m_cells.insert(m_cells.begin() + to, std::move(moved));
    const int width = m_colWidths[size_t(from)];
    m_colWidths.erase(m_colWidths.begin() + from);
    m_colWidths.insert(m_colWidths.begin() + to, width);
    ColumnMoved(from, to);
    UpdateScrollBars();
    viewport()->update();
}

void TStringGrid::DeleteGridColumn(int col)
{
    if (col < 0 || col >= m_colCount)
        return;
    HideEditor();
    if (size_t(col) < m_cells.size())
        m_cells.erase(m_cells.begin() + col);
    m_colWidths.erase(m_colWidths.begin() + col);
    m_colWidths.push_back(m_defaultColWidth); // ResizeGrid trims it again
    ResizeGrid(m_colCount - 1, m_rowCount);
}

// ---------------------------------------------------------------- geometry

int TStringGrid::X(int col) const
{
    if (col < 0 || col >= m_colCount || (col >= m_fixedCols && col < m_leftCol))
        return -1;
    int x = 0;
    const int limit = viewport()->width();
    for (int c = 0; c < m_fixedCols && c < col; ++c)
        x += ColWidths(c) + m_gridLineWidth;
    if (col >= m_fixedCols)
        for (int c = m_leftCol; c < col && x < limit; ++c)
            x += ColWidths(c) + m_gridLineWidth;
    return x < limit ? x : -1;
}

int TStringGrid::Y(int row) const
{
    if (row < 0 || row >= m_rowCount || (row >= m_fixedRows && row < m_topRow))
        return -1;
    int y = 0;
    const int limit = viewport()->height();
    for (int r = 0; r < m_fixedRows && r < row; ++r)
        y += RowHeights(r) + m_gridLineWidth;
    if (row >= m_fixedRows)
        for (int r = m_topRow; r < row && y < limit; ++r)
            y += RowHeights(r) + m_gridLineWidth;
    return y < limit ? y : -1;
}

QRect TStringGrid::CellRect(int col, int row) const
{
    const int x = X(col);
    const int y = Y(row);
    if (x < 0 || y < 0)
        return {};
    return QRect(x, y, ColWidths(col), RowHeights(row));
}

void TStringGrid::MouseToCell(const QPoint& point, int& col, int& row) const
{
    col = row = -1;
    int x = 0;
    for (int c = 0; c < m_colCount && x <= point.x(); ++c) {
        if (c == m_fixedCols)
            c = std::max(c, m_leftCol);
        if (c >= m_colCount)
            break;
        const int right = x + ColWidths(c) + m_gridLineWidth;
        if (point.x() >= x && point.x() < right) {
            col = c;
            break;
        }
        x = right;
    }
    int y = 0;
    for (int r = 0; r < m_rowCount && y <= point.y(); ++r) {
        if (r == m_fixedRows)
            r = std::max(r, m_topRow);
        if (r >= m_rowCount)
            break;
        const int bottom = y + RowHeights(r) + m_gridLineWidth;
        if (point.y() >= y && point.y() < bottom) {
            row = r;
            break;
        }
        y = bottom;
    }
    if (col < 0 || row < 0)
        col = row = -1;
}

int TStringGrid::VisibleRowCount() const
{
    int y = 0;
    for (int r = 0; r < m_fixedRows; ++r)
        y += RowHeights(r) + m_gridLineWidth;
    int count = 0;
    for (int r = m_topRow; r < m_rowCount; ++r) {
        y += RowHeights(r);
        if (y > viewport()->height())
            break;
        y += m_gridLineWidth;
        ++count;
    }
    return count;
}

int TStringGrid::VisibleColCount() const
{
    int x = 0;
    for (int c = 0; c < m_fixedCols; ++c)
        x += ColWidths(c) + m_gridLineWidth;
    int count = 0;
    for (int c = m_leftCol; c < m_colCount; ++c) {
        x += ColWidths(c);
        if (x > viewport()->width())
            break;
        x += m_gridLineWidth;
        ++count;
    }
    return count;
}

int TStringGrid::MaxTopRow() const
{
    int room = viewport()->height();
    for (int r = 0; r < m_fixedRows; ++r)
        room -= RowHeights(r) + m_gridLineWidth;
    int top = m_rowCount;
    while (top > m_fixedRows) {
        const int needed = RowHeights(top - 1) + m_gridLineWidth;
        if (needed > room && top < m_rowCount)
            break;
        room -= needed;
        --top;
        if (room < 0)
            break;
    }
    return std::max(top, m_fixedRows);
}

int TStringGrid::MaxLeftCol() const
{
    int room = viewport()->width();
    for (int c = 0; c < m_fixedCols; ++c)
        room -= ColWidths(c) + m_gridLineWidth;
    int left = m_colCount;
    while (left > m_fixedCols) {
        const int needed = ColWidths(left - 1) + m_gridLineWidth;
        if (needed > room && left < m_colCount)
            break;
        room -= needed;
        --left;
        if (room < 0)
            break;
    }
    return std::max(left, m_fixedCols);
}

void TStringGrid::UpdateScrollBars()
{
    m_updatingScroll = true;
    const int maxTop = MaxTopRow();
    const int maxLeft = MaxLeftCol();
    verticalScrollBar()->setRange(m_fixedRows, std::max(maxTop, m_fixedRows));
    verticalScrollBar()->setPageStep(std::max(1, VisibleRowCount()));
    horizontalScrollBar()->setRange(m_fixedCols, std::max(maxLeft, m_fixedCols));
    horizontalScrollBar()->setPageStep(std::max(1, VisibleColCount()));
    m_updatingScroll = false;
    const int top = std::clamp(m_topRow, m_fixedRows, std::max(maxTop, m_fixedRows));
    const int left = std::clamp(m_leftCol, m_fixedCols, std::max(maxLeft, m_fixedCols));
    if (top != m_topRow || left != m_leftCol) {
        m_topRow = top;
        m_leftCol = left;
        TopLeftChanged();
    }
    verticalScrollBar()->setValue(m_topRow);
    horizontalScrollBar()->setValue(m_leftCol);
}

void TStringGrid::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    if (m_updatingScroll)
        return;
    const int top = verticalScrollBar()->value();
    const int left = horizontalScrollBar()->value();
    if (top == m_topRow && left == m_leftCol)
        return;
    m_topRow = top;
    m_leftCol = left;
    TopLeftChanged();
    PlaceEditor();
    viewport()->update();
}

void TStringGrid::SetTopRow(int row)
{
    row = std::clamp(row, m_fixedRows, std::max(MaxTopRow(), m_fixedRows));
    if (row == m_topRow)
        return;
    m_topRow = row;
    verticalScrollBar()->setValue(row);
    TopLeftChanged();
    PlaceEditor();
    viewport()->update();
}

void TStringGrid::SetLeftCol(int col)
{
    col = std::clamp(col, m_fixedCols, std::max(MaxLeftCol(), m_fixedCols));
    if (col == m_leftCol)
        return;
    m_leftCol = col;
    horizontalScrollBar()->setValue(col);
    TopLeftChanged();
    PlaceEditor();
    viewport()->update();
}

void TStringGrid::EnsureVisible(int col, int row)
{
    if (row >= m_fixedRows) {
        if (row < m_topRow)
            SetTopRow(row);
        else
            while (m_topRow < row && row >= m_topRow + VisibleRowCount() && m_topRow < MaxTopRow())
                SetTopRow(m_topRow + 1);
    }
    if (col >= m_fixedCols) {
        if (col < m_leftCol)
            SetLeftCol(col);
        else
            while (m_leftCol < col && col >= m_leftCol + VisibleColCount() && m_leftCol < MaxLeftCol())
                SetLeftCol(m_leftCol + 1);
    }
}

void TStringGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    PlaceEditor();
}

// ---------------------------------------------------------------- current cell

void TStringGrid::ClampCurrent()
{
    const int col = std::clamp(m_col, m_fixedCols, std::max(m_colCount - 1, m_fixedCols));
    const int row = std::clamp(m_row, m_fixedRows, std::max(m_rowCount - 1, m_fixedRows));
    if (col != m_col || row != m_row) {
        m_col = col;
        m_row = row;
        m_anchorCol = col;
        m_anchorRow = row;
        if (m_editorMode)
            PlaceEditor();
    }
    m_anchorCol = std::clamp(m_anchorCol, m_fixedCols, std::max(m_colCount - 1, m_fixedCols));
    m_anchorRow = std::clamp(m_anchorRow, m_fixedRows, std::max(m_rowCount - 1, m_fixedRows));
}

bool TStringGrid::SelectCell(int /*col*/, int /*row*/)
{
    return true;
}

bool TStringGrid::FocusCell(int col, int row, bool keepSelection)
{
    if (m_colCount <= m_fixedCols || m_rowCount <= m_fixedRows)
        return false;
    col = std::clamp(col, m_fixedCols, m_colCount - 1);
    row = std::clamp(row, m_fixedRows, m_rowCount - 1);
    if (col == m_col && row == m_row) {
        if (!keepSelection && (m_anchorCol != col || m_anchorRow != row)) {
            m_anchorCol = col;
            m_anchorRow = row;
            viewport()->update();
        }
        return true;
    }
    if (!SelectCell(col, row))
        return false;
    if (m_editor && m_editor->isVisible())
        HideEditor();
    m_col = col;
    m_row = row;
    if (!keepSelection || !m_options.testFlag(goRangeSelect)) {
        m_anchorCol = col;
        m_anchorRow = row;
    }
    EnsureVisible(col, row);
    viewport()->update();
    CurrentCellChanged();
    if (m_options.testFlag(goAlwaysShowEditor))
        ShowEditor();
    return true;
}

TGridRect TStringGrid::Selection() const
{
    TGridRect rect{std::min(m_col, m_anchorCol), std::min(m_row, m_anchorRow), std::max(m_col, m_anchorCol),
                   std::max(m_row, m_anchorRow)};
    if (m_options.testFlag(goRowSelect)) {
        rect.Left = m_fixedCols;
        rect.Right = m_colCount - 1;
    }
    return rect;
}

void TStringGrid::SetSelection(const TGridRect& selection)
{
    if (!FocusCell(selection.Right, selection.Bottom))
        return;
    m_anchorCol = std::clamp(selection.Left, m_fixedCols, std::max(m_colCount - 1, m_fixedCols));
    m_anchorRow = std::clamp(selection.Top, m_fixedRows, std::max(m_rowCount - 1, m_fixedRows));
    viewport()->update();
}

void TStringGrid::MoveBy(int dCol, int dRow, bool extend)
{
    FocusCell(m_col + dCol, m_row + dRow, extend && m_options.testFlag(goRangeSelect));
}

void TStringGrid::InvalidateCell(int col, int row)
{
    const QRect rect = CellRect(col, row);
    if (!rect.isEmpty())
        viewport()->update(rect.adjusted(0, 0, m_gridLineWidth, m_gridLineWidth));
}

// ---------------------------------------------------------------- editor

bool TStringGrid::CanEditShow() const
{
    return m_options.testFlag(goEditing) && !m_options.testFlag(goRowSelect) && m_col >= m_fixedCols
           && m_row >= m_fixedRows && m_col < m_colCount && m_row < m_rowCount;
}

TInplaceEdit* TStringGrid::CreateEditor()
{
    return new TInplaceEdit(this);
}

void TStringGrid::SetEditorMode(bool on)
{
    if (on)
        ShowEditor();
    else
        HideEditor();
}

void TStringGrid::ShowEditor()
{
    if (!CanEditShow())
        return;
    if (!m_editor)
        m_editor = CreateEditor();
    const bool moved = m_editCol != m_col || m_editRow != m_row || !m_editor->isVisible();
    m_editorMode = true;
    if (moved) {
        m_editCol = m_col;
        m_editRow = m_row;
        m_editStartText = GetEditText(m_col, m_row);
        m_editor->SetCellText(m_editStartText);
        m_editor->selectAll();
        EnsureVisible(m_col, m_row);
        PlaceEditor();
        m_editor->show();
        EditorPlaced();
    }
    if (hasFocus()) {
        m_editor->setFocus();
        if (moved)
            m_editor->selectAll(); // what is typed now replaces the cell's text
    }
}

void TStringGrid::HideEditor()
{
    if (!m_editor || m_editCol < 0) {
        m_editorMode = false;
        return;
    }
    EditorLeaving();
    const bool hadFocus = m_editor->hasFocus();
    m_editCol = m_editRow = -1;
    m_editorMode = false;
    if (m_editor) {
        m_editor->hide();
        if (hadFocus)
            setFocus();
    }
    viewport()->update();
}

void TStringGrid::PlaceEditor()
{
    if (!m_editor || m_editCol < 0)
        return;
    const QRect rect = CellRect(m_editCol, m_editRow);
    if (rect.isEmpty()) {
        m_editor->move(-10000, -10000); // scrolled away: kept, out of sight
        return;
    }
    m_editor->setGeometry(rect);
}

void TStringGrid::EditorTextEdited(const QString& text)
{
    if (m_editCol < 0)
        return;
    SetEditText(m_editCol, m_editRow, text);
}

bool TStringGrid::HasGridFocus() const
{
    return hasFocus() || (m_editor && m_editor->hasFocus());
}

// ---------------------------------------------------------------- painting

void TStringGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state)
{
    const QPalette& pal = palette();
    QColor background = pal.color(QPalette::Base);
    QColor foreground = pal.color(QPalette::Text);
    if (state.testFlag(gdFixed)) {
        background = pal.color(QPalette::Button);
        foreground = pal.color(QPalette::ButtonText);
    } else if (state.testFlag(gdSelected)) {
        background = pal.color(QPalette::Highlight);
        foreground = pal.color(QPalette::HighlightedText);
    }
    painter.fillRect(rect, background);
    painter.setPen(foreground);
    painter.drawText(rect.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     Cells(col, row));
}

void TStringGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int width = viewport()->width();
    const int height = viewport()->height();
    const TGridRect selection = Selection();
    const bool focused = HasGridFocus();
    const QColor fixedLine = palette().color(QPalette::Dark);
    const QColor cellLine = ColorToQColor(clSilver);

    int y = 0;
    for (int row = 0; row < m_rowCount && y < height; ++row) {
        if (row == m_fixedRows)
            row = std::max(row, m_topRow);
        if (row >= m_rowCount)
            break;
        const int h = RowHeights(row);
        if (y + h + m_gridLineWidth > area.top() && y <= area.bottom()) {
            int x = 0;
            for (int col = 0; col < m_colCount && x < width; ++col) {
                if (col == m_fixedCols)
                    col = std::max(col, m_leftCol);
                if (col >= m_colCount)
                    break;
                const int w = ColWidths(col);
                const QRect cell(x, y, w, h);
                if (x + w + m_gridLineWidth > area.left() && x <= area.right()) {
                    const bool fixed = col < m_fixedCols || row < m_fixedRows;
                    TGridDrawState state;
                    if (fixed) {
                        state |= gdFixed;
                    } else {
                        const bool current = col == m_col && row == m_row;
                        if (current && focused)
                            state |= gdFocused;
                        if (selection.Contains(col, row)
                            && (!current || m_options.testFlag(goDrawFocusSelected) || m_options.testFlag(goRowSelect)))
                            state |= gdSelected;
                    }
                    if (w > 0 && h > 0) {
                        painter.save();
                        painter.setClipRect(cell);
                        try {
                            DrawCell(painter, col, row, cell, state);
                        } catch (const std::exception& error) {
                            qWarning("Drawing cell %d,%d: %s", col, row, error.what());
                        }
                        painter.restore();
                    }
                    if (m_gridLineWidth > 0) {
                        const bool vertical = fixed ? m_options.testFlag(goFixedVertLine) : m_options.testFlag(goVertLine);
                        const bool horizontal = fixed ? m_options.testFlag(goFixedHorzLine) : m_options.testFlag(goHorzLine);
                        const QColor line = fixed ? fixedLine : cellLine;
                        if (vertical) {
                            const int start = std::clamp(VerticalLineStart(col, row), 0, h);
                            painter.fillRect(QRect(x + w, y + start, m_gridLineWidth, h - start + m_gridLineWidth), line);
                        }
                        if (horizontal)
                            painter.fillRect(QRect(x, y + h, w + m_gridLineWidth, m_gridLineWidth), line);
                    }
                }
                x += w + m_gridLineWidth;
            }
            if (x < width)
                painter.fillRect(QRect(x, y, width - x, h + m_gridLineWidth), palette().color(QPalette::Window));
        }
        y += h + m_gridLineWidth;
    }
    if (y < height)
        painter.fillRect(QRect(0, y, width, height - y), palette().color(QPalette::Window));
}

