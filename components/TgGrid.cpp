#include "components/TgGrid.h"

#include "components/ComponentEvents.h"
#include "components/FormPlacement.h"
#include "components/TgEdit.h"

#include "platform/Dialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace {

// A press this close to a title cell's lined edges is not a click on it.
constexpr int FixedClickMargin = 4;

class CellHandlerScope
{
public:
    explicit CellHandlerScope(int& depth)
        : m_depth(depth)
    {
        ++depth;
    }
    ~CellHandlerScope() { --m_depth; }
    CellHandlerScope(const CellHandlerScope&) = delete;
    CellHandlerScope& operator=(const CellHandlerScope&) = delete;

private:
    int& m_depth;
};

// The guard of changes the grid makes to its own columns, so the hooks
// that follow user changes stay out of them.
class Flag
{
public:
    explicit Flag(bool& flag)
        : m_flag(flag)
        , m_previous(flag)
    {
        flag = true;
    }
    ~Flag() { m_flag = m_previous; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

} // namespace

TTypedGrid::TTypedGrid(QWidget* parent)
    : TTgHintGrid(parent)
    , m_columns(this)
    , m_headings(this)
{
    // The base starts with its default columns; each gets its description.
    for (int i = 0; i < ColCount(); ++i) {
        QStringList names;
        for (const auto& item : m_columns.m_items)
            names << item->Name();
        auto column = std::make_unique<TtgColumn>(this);
        column->SetName(FirstFreeColumnName(names));
        m_columns.m_items.push_back(std::move(column));
    }
    SetDefaultRowHeight(20);
    connect(qApp, &QApplication::focusChanged, this, &TTypedGrid::FocusChanged);
}

TTypedGrid::~TTypedGrid()
{
    if (!m_columnsRegistryKey.isEmpty())
        qv::runGuarded([this] { SaveColumnWidths(); });
    // The window that set the handlers is going away: none of them may run
    // while the editor and the columns go.
    OnExitCell = nullptr;
    OnEnterCell = nullptr;
    OnCellEdited = nullptr;
    OnComboSelection = nullptr;
    OnButtonClick = nullptr;
    OnFixedCellClick = nullptr;
    OnDisplayText = nullptr;
    OnConversionError = nullptr;
    OnChangeCellAttributes = nullptr;
    OnChangeCellBorders = nullptr;
    OnGetCellImage = nullptr;
    OnGetReadOnly = nullptr;
    OnGetSuggestion = nullptr;
    OnShowCellHint = nullptr;
    disconnect(qApp, nullptr, this, nullptr);
    HideEditor();
}

// ---------------------------------------------------------------- columns

void TTypedGrid::ItemChanged()
{
    viewport()->update();
    if (EditCol() >= 0)
        EditorPlaced();
}

int TTypedGrid::GridIndexOf(const TtgColumn* column) const
{
    int index = 0;
    for (const auto& item : m_columns.m_items) {
        if (item.get() == column)
            return item->m_visible ? index : -1;
        if (item->m_visible)
            ++index;
    }
    return -1;
}

TtgColumn& TTypedGrid::GetColumn(int index) const
{
    if (index >= 0) {
        int visible = 0;
        for (const auto& item : m_columns.m_items)
            if (item->m_visible && visible++ == index)
                return *item;
    }
    throw EtgColumnIndexOutOfRange();
}

TtgColumn& TTypedGrid::AddColumn()
{
    const Flag changing(m_changingColumns);
    QStringList names;
    for (const auto& item : m_columns.m_items)
        names << item->Name();
    auto column = std::make_unique<TtgColumn>(this);
    column->SetName(FirstFreeColumnName(names));
    TtgColumn& added = *column;
    m_columns.m_items.push_back(std::move(column));
    const int gridIndex = ColCount();
    ResizeGrid(gridIndex + 1, RowCount());
    SetColWidths(gridIndex, DefaultColWidth());
    return added;
}

void TTypedGrid::DeleteColumn(int index)
{
    const Flag changing(m_changingColumns);
    TtgColumn* column = m_columns.Item(index);
    if (!column)
        return;
    const int gridIndex = GridIndexOf(column);
    if (gridIndex >= 0)
        DeleteGridColumn(gridIndex);
    m_columns.m_items.erase(m_columns.m_items.begin() + index);
    viewport()->update();
}

void TTypedGrid::SetColumnVisible(TtgColumn& column, bool visible)
{
    if (column.m_visible == visible)
        return;
    const Flag changing(m_changingColumns);
    HideEditor();
    if (!visible) {
        const int gridIndex = GridIndexOf(&column);
        column.m_hiddenValues.clear();
        column.m_hiddenValues.reserve(RowCount());
        for (int row = 0; row < RowCount(); ++row)
            column.m_hiddenValues << Cells(gridIndex, row);
        column.m_width = ColWidths(gridIndex);
        column.m_visible = false;
        DeleteGridColumn(gridIndex);
    } else {
        column.m_visible = true;
        const int target = GridIndexOf(&column);
        const int last = ColCount();
        ResizeGrid(last + 1, RowCount());
        SetColWidths(last, column.m_width);
        for (int row = 0; row < RowCount(); ++row) {
            SetCells(last, row, row < column.m_hiddenValues.size() ? column.m_hiddenValues[row] : QString());
            SetObjects(last, row, QVariant());
        }
        column.m_hiddenValues.clear();
        MoveColumn(last, target);
    }
    viewport()->update();
}

void TTypedGrid::ColumnMoved(int from, int to)
{
    TTgHintGrid::ColumnMoved(from, to);
    if (m_changingColumns)
        return;
    // Someone moved a grid column: the collection follows, so grid column i
    // stays the i-th visible column.
    std::vector<TtgColumn*> visible;
    for (const auto& item : m_columns.m_items)
        if (item->m_visible)
            visible.push_back(item.get());
    if (from >= int(visible.size()) || to >= int(visible.size()))
        return;
    TtgColumn* moved = visible[size_t(from)];
    TtgColumn* anchor = visible[size_t(to)];
    auto& items = m_columns.m_items;
    const auto movedAt = std::find_if(items.begin(), items.end(), [&](const auto& p) { return p.get() == moved; });
    std::unique_ptr<TtgColumn> owned = std::move(*movedAt);
    items.erase(movedAt);
    auto anchorAt = std::find_if(items.begin(), items.end(), [&](const auto& p) { return p.get() == anchor; });
    if (to > from)
        ++anchorAt;
    items.insert(anchorAt, std::move(owned));
}

void TTypedGrid::SetColCount(int count)
{
    count = std::max(count, 0);
    const Flag changing(m_changingColumns);
    while (ColCount() < count)
        AddColumn();
    for (int index = m_columns.Count() - 1; index >= 0 && ColCount() > count; --index)
        if (m_columns.Item(index)->m_visible)
            DeleteColumn(index);
}

void TTypedGrid::SetRowCount(int count)
{
    TTgHintGrid::SetRowCount(count);
    count = RowCount();
    for (const auto& column : m_columns.m_items) {
        if (column->m_visible)
            continue;
        QStringList& values = column->m_hiddenValues;
        if (values.size() > count)
            values.resize(count);
        while (values.size() < count)
            values.append(QString());
    }
}

// ---------------------------------------------------------------- registry

void TTypedGrid::LoadColumnWidths()
{
    if (m_columnsRegistryKey.isEmpty())
        return;
    const TRegIniStorage storage(m_columnsRegistryKey);
    for (const QString& name : storage.ValueNames(QString())) {
        TtgColumn* column = m_columns.FindColumn(name);
        if (!column)
            continue; // a column renamed or gone since the widths were stored
        const int width = storage.ReadInteger(QString(), name, -1);
        if (width > 0)
            column->SetWidth(width);
    }
}

void TTypedGrid::SaveColumnWidths()
{
    if (m_columnsRegistryKey.isEmpty())
        return;
    TRegIniStorage storage(m_columnsRegistryKey);
    for (const auto& column : m_columns.m_items)
        if (column->m_visible && !column->Name().isEmpty())
            storage.WriteInteger(QString(), column->Name(), column->Width());
}

void TTypedGrid::showEvent(QShowEvent* event)
{
    TTgHintGrid::showEvent(event);
    if (!m_widthsLoaded) {
        m_widthsLoaded = true;
        Run([this] { LoadColumnWidths(); });
    }
}

// ---------------------------------------------------------------- options

void TTypedGrid::SetGridOptions(TtgOptions options)
{
    m_gridOptions = options;
    viewport()->update();
}

void TTypedGrid::SetGridHighlightColor(TColor color)
{
    m_highlightColor = color;
    viewport()->update();
}

void TTypedGrid::SetGridHighlightFontColor(TColor color)
{
    m_highlightFontColor = color;
    viewport()->update();
}

// ---------------------------------------------------------------- handlers

bool TTypedGrid::Run(const std::function<void()>& handler)
{
    return qv::runGuarded(handler);
}

bool TTypedGrid::RunPaintHandler(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        const QString message = QString::fromUtf8(error.what());
        if (message != m_lastPaintError) {
            m_lastPaintError = message;
            // Never a message box from inside a paint.
            QMetaObject::invokeMethod(this, [message] { qv::runGuarded([&] { qv::showException(message); }); },
                                      Qt::QueuedConnection);
        }
    } catch (...) {
    }
    return false;
}

// ---------------------------------------------------------------- cells

bool TTypedGrid::CellReadOnly(int col, int row)
{
    bool readOnly = false;
    if (col >= 0 && col < ColCount())
        readOnly = GetColumn(col).ReadOnly();
    if (OnGetReadOnly)
        Run([&] { OnGetReadOnly(this, col, row, readOnly); });
    return readOnly;
}

QString TTypedGrid::DisplayText(int col, int row)
{
    QString text = Cells(col, row);
    bool format = true;
    if (OnDisplayText)
        RunPaintHandler([&] { OnDisplayText(this, col, row, text, format); });
    if (text.isEmpty() || !format || col < 0 || col >= ColCount())
        return text;
    bool converted = true;
    const QString shown = FormatCellText(GetColumn(col).Format(), text, &converted);
    if (!converted && OnConversionError)
        RunPaintHandler([&] { OnConversionError(this, col, row, text); });
    return shown;
}

TtgCellAttributes TTypedGrid::CellAttributes(int col, int row, TGridDrawState state)
{
    TtgCellAttributes attributes;
    const TtgColumn* column = col >= 0 && col < ColCount() ? &GetColumn(col) : nullptr;
    attributes.Font = font();
    if (state.testFlag(gdFixed)) {
        attributes.Caption = Cells(col, row);
        attributes.Color = clBtnFace;
        attributes.FontColor = clBtnText;
        attributes.HAlignment = Qt::AlignLeft;
        if (column) {
            if (row == 0 && !column->Caption().isEmpty())
                attributes.Caption = column->Caption();
            attributes.Color = column->TitleColor();
            if (!column->TitleParentFont()) {
                attributes.Font = column->TitleFont();
                attributes.FontColor = column->TitleFontColor();
            }
            attributes.HAlignment = column->TitleHAlignment();
            attributes.VAlignment = column->TitleVAlignment();
            attributes.ClipStyle = column->TitleClipStyle();
            attributes.InnerBevel = column->TitleInnerBevel();
            attributes.OuterBevel = column->TitleOuterBevel();
        }
    } else if (column) {
        attributes.Color = column->ColumnColor();
        if (!column->ColumnParentFont()) {
            attributes.Font = column->ColumnFont();
            attributes.FontColor = column->ColumnFontColor();
        }
        attributes.HAlignment = column->ColumnHAlignment();
        attributes.VAlignment = column->ColumnVAlignment();
        attributes.ClipStyle = column->ColumnClipStyle();
        attributes.InnerBevel = column->ColumnInnerBevel();
        attributes.OuterBevel = column->ColumnOuterBevel();
    }
    if (!state.testFlag(gdFixed) && state.testFlag(gdSelected) && m_gridOptions.testFlag(tgoptHighlightSelection)) {
        attributes.Color = m_highlightColor;
        attributes.FontColor = m_highlightFontColor;
    }
    if (OnChangeCellAttributes)
        RunPaintHandler([&] { OnChangeCellAttributes(this, col, row, state, attributes); });
    return attributes;
}

// ---------------------------------------------------------------- drawing

void TTypedGrid::DrawHeading(QPainter& painter, int col, const QRect& cell)
{
    const int headingIndex = GetColumn(col).HeadingIndex();
    const TtgHeading* heading = m_headings.Item(headingIndex);
    if (!heading)
        return;
    // The heading spans every adjacent column under the same heading.
    int left = cell.left();
    for (int c = col - 1; c >= 0 && GetColumn(c).HeadingIndex() == headingIndex; --c)
        left -= ColWidths(c) + GridLineWidth();
    int right = cell.right();
    for (int c = col + 1; c < ColCount() && GetColumn(c).HeadingIndex() == headingIndex; ++c)
        right += ColWidths(c) + GridLineWidth();
    QRect rect(QPoint(left, cell.top()), QPoint(right, cell.top() + cell.height() / 2 - 1));
    TtgCellAttributes attributes;
    attributes.Caption = heading->Caption();
    attributes.Color = heading->TitleColor();
    attributes.Font = heading->TitleParentFont() ? font() : heading->TitleFont();
    attributes.FontColor = heading->TitleParentFont() ? clBtnText : heading->TitleFontColor();
    attributes.HAlignment = heading->TitleHAlignment();
    attributes.VAlignment = heading->TitleVAlignment();
    attributes.ClipStyle = heading->TitleClipStyle();
    DrawCellBorders(painter, rect, heading->TitleBorders());
    painter.fillRect(rect, ColorToQColor(attributes.Color));
    DrawPanelBevel(painter, rect, heading->TitleOuterBevel(), 1, palette());
    DrawPanelBevel(painter, rect, heading->TitleInnerBevel(), 1, palette());
    DrawCellText(painter, attributes.Caption, rect, attributes, -1, -1);
    painter.fillRect(QRect(left, rect.bottom() + 1, right - left + 1, 1), palette().color(QPalette::Dark));
}

int TTypedGrid::VerticalLineStart(int col, int row) const
{
    if (row != 0 || row >= FixedRows() || col + 1 >= ColCount())
        return 0;
    const int heading = GetColumn(col).HeadingIndex();
    if (!m_headings.Item(heading) || GetColumn(col + 1).HeadingIndex() != heading)
        return 0;
    return RowHeights(row) / 2; // the heading runs on over the next column
}

void TTypedGrid::DrawCell(QPainter& painter, int col, int row, const QRect& cellRect, TGridDrawState state)
{
    const bool fixed = state.testFlag(gdFixed);
    TtgCellAttributes attributes = CellAttributes(col, row, state);
    QRect rect = cellRect;
    if (fixed && row == 0 && col < ColCount() && GetColumn(col).HeadingIndex() >= 0
        && m_headings.Item(GetColumn(col).HeadingIndex())) {
        DrawHeading(painter, col, cellRect);
        rect.setTop(cellRect.top() + cellRect.height() / 2);
    }
    TtgCellBorders borders;
    if (fixed && col < ColCount())
        borders = GetColumn(col).TitleBorders();
    if (OnChangeCellBorders)
        RunPaintHandler([&] { OnChangeCellBorders(this, col, row, state, borders); });
    DrawCellBorders(painter, rect, borders);
    painter.fillRect(rect, ColorToQColor(attributes.Color));
    const bool pressed = fixed && col == m_pressedCol && row == m_pressedRow;
    const auto sunken = [pressed](TPanelBevel bevel) {
        return pressed && bevel == TPanelBevel::bvRaised ? TPanelBevel::bvLowered : bevel;
    };
    DrawPanelBevel(painter, rect, sunken(attributes.OuterBevel), 1, palette());
    DrawPanelBevel(painter, rect, sunken(attributes.InnerBevel), 1, palette());
    if (pressed)
        rect.translate(1, 1);
    if (OnGetCellImage) {
        QPixmap image;
        RunPaintHandler([&] { OnGetCellImage(this, col, row, image); });
        if (!image.isNull()) {
            const int y = rect.top() + std::max(0, (rect.height() - image.height()) / 2);
            painter.drawPixmap(rect.left() + 2, y, image);
            rect.setLeft(rect.left() + image.width() + 2);
        }
    }
    const QString text = fixed ? attributes.Caption : DisplayText(col, row);
    DrawCellText(painter, text, rect, attributes, col, row);
    if (state.testFlag(gdFocused) && m_gridOptions.testFlag(tgoptDrawFocusRectangle)) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = cellRect.adjusted(1, 1, -1, -1);
        option.backgroundColor = ColorToQColor(attributes.Color);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TTypedGrid::DrawCellText(QPainter& painter, const QString& text, QRect rect,
                              const TtgCellAttributes& attributes, int col, int row)
{
    if (text.isEmpty())
        return;
    const QRect area = rect.adjusted(2, 2, -2, -2);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    painter.setFont(attributes.Font);
    painter.setPen(ColorToQColor(attributes.FontColor));
    const QFontMetrics metrics(attributes.Font);
    int flags = Qt::TextExpandTabs | int(attributes.HAlignment & Qt::AlignHorizontal_Mask);
    QString shown = text;
    QRect needed;
    if (attributes.ClipStyle == tgclpWrap) {
        flags |= Qt::TextWordWrap;
        needed = metrics.boundingRect(QRect(0, 0, area.width(), 1 << 20), flags, text);
    } else {
        flags |= Qt::TextSingleLine;
        needed = metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), flags, text);
        if (attributes.ClipStyle == tgclpEllipsis && needed.width() > area.width())
            shown = metrics.elidedText(text, Qt::ElideRight, area.width(), flags);
    }
    if (col >= 0 && row >= 0 && (m_adjustColWidth || m_adjustRowHeight)) {
        const QSize room = area.size();
        if ((m_adjustColWidth && attributes.ClipStyle != tgclpWrap && needed.width() > room.width())
            || (m_adjustRowHeight && needed.height() > room.height()))
            RequestSize(col, row, QSize(needed.width() + (rect.width() - room.width()) + GridLineWidth(),
                                        needed.height() + (rect.height() - room.height())));
    }
    QRect target = area;
    const int height = std::min(needed.height(), area.height());
    if (attributes.VAlignment == tgvaCenter)
        target.setTop(area.top() + (area.height() - height) / 2);
    else if (attributes.VAlignment == tgvaBottom)
        target.setTop(area.bottom() - height + 1);
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.drawText(target, flags, shown);
    painter.restore();
}

void TTypedGrid::RequestSize(int col, int row, const QSize& needed)
{
    // Sizes change after the paint, and only ever grow: a cell never gets
    // smaller than its designer or the user made it.
    QPointer<TTypedGrid> self(this);
    const bool widen = m_adjustColWidth;
    const bool heighten = m_adjustRowHeight;
    QMetaObject::invokeMethod(
        this,
        [self, col, row, needed, widen, heighten] {
            if (!self)
                return;
            if (widen && col < self->ColCount() && needed.width() > self->ColWidths(col))
                self->SetColWidths(col, needed.width());
            if (heighten && row < self->RowCount() && needed.height() > self->RowHeights(row))
                self->SetRowHeights(row, needed.height());
        },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------- current cell

bool TTypedGrid::SelectCell(int col, int row)
{
    if (!TTgHintGrid::SelectCell(col, row))
        return false;
    if (m_autoAcceptSuggestion)
        TakeSuggestion();
    bool allow = true;
    const CellHandlerScope scope(m_cellHandlerDepth);
    if (OnExitCell && !Run([&] { OnExitCell(this, Col(), Row(), allow); }))
        return false;
    return allow;
}

void TTypedGrid::CurrentCellChanged()
{
    TTgHintGrid::CurrentCellChanged();
    const CellHandlerScope scope(m_cellHandlerDepth);
    if (OnEnterCell)
        Run([this] { OnEnterCell(this, Col(), Row()); });
}

bool TTypedGrid::IsInside(const QWidget* widget) const
{
    for (; widget; widget = widget->parentWidget())
        if (widget == this)
            return true;
    return false;
}

void TTypedGrid::FocusChanged(QWidget* /*old*/, QWidget* now)
{
    // Only a move of the focus inside the grid's own window enters or leaves
    // the grid: another window coming to the front (a dialog, another
    // program) or this window going away leaves it where it was.
    if (!now || now->window() != window())
        return;
    const bool inside = IsInside(now);
    if (inside == m_focusInside)
        return;
    m_focusInside = inside;
    // A cell handler that moves the focus itself is not the user leaving or
    // entering the grid.
    if (m_cellHandlerDepth > 0)
        return;
    const CellHandlerScope scope(m_cellHandlerDepth);
    if (inside) {
        if (OnEnterCell)
            Run([this] { OnEnterCell(this, Col(), Row()); });
        return;
    }
    // Leaving the grid leaves the cell editor too (taking a suggestion and
    // reporting a changed text on the way).
    HideEditor();
    bool allow = true;
    if (OnExitCell)
        Run([&] { OnExitCell(this, Col(), Row(), allow); });
}

// ---------------------------------------------------------------- editor

TTgInplaceEdit* TTypedGrid::CellEditor() const
{
    return qobject_cast<TTgInplaceEdit*>(InplaceEditor());
}

TInplaceEdit* TTypedGrid::CreateEditor()
{
    return new TTgInplaceEdit(this);
}

void TTypedGrid::EditorPlaced()
{
    TTgInplaceEdit* editor = CellEditor();
    if (!editor || EditCol() < 0)
        return;
    const TtgColumn& column = GetColumn(EditCol());
    editor->Prepare(&column, CellReadOnly(EditCol(), EditRow()));
}

void TTypedGrid::EditorLeaving()
{
    TTgInplaceEdit* editor = CellEditor();
    if (!editor || EditCol() < 0)
        return;
    if (m_autoAcceptSuggestion)
        TakeSuggestion();
    editor->CloseUp(false);
    editor->HideSuggestion();
    const int col = EditCol();
    const int row = EditRow();
    if (Cells(col, row) != EditStartText() && OnCellEdited)
        Run([&] { OnCellEdited(this, col, row); });
}

void TTypedGrid::SetEditText(int col, int row, const QString& text)
{
    TTgHintGrid::SetEditText(col, row, text);
    EditorTextChanged(text);
}

void TTypedGrid::EditorTextChanged(const QString& text)
{
    TTgInplaceEdit* editor = CellEditor();
    if (!editor || EditCol() < 0)
        return;
    const int col = EditCol();
    const int row = EditRow();
    if (CellReadOnly(col, row)) {
        editor->HideSuggestion();
        return;
    }
    const TtgColumn& column = GetColumn(col);
    QString suggestion;
    if (column.ControlType().testFlag(tgctlComboBox) && column.AutoSuggest())
        suggestion = FindSuggestion(column.Items(), text);
    if (suggestion.isEmpty() && OnGetSuggestion) {
        Run([&] { OnGetSuggestion(this, col, row, text, suggestion); });
        if (suggestion == text)
            suggestion.clear();
    }
    editor->ShowSuggestion(suggestion);
}

void TTypedGrid::TakeSuggestion()
{
    TTgInplaceEdit* editor = CellEditor();
    if (!editor || EditCol() < 0 || !editor->SuggestionVisible())
        return;
    const int col = EditCol();
    const int row = EditRow();
    const QString suggestion = editor->Suggestion();
    editor->HideSuggestion();
    if (CellReadOnly(col, row))
        return;
    editor->setText(suggestion);
    editor->HideSuggestion();
    if (GetColumn(col).ControlType().testFlag(tgctlComboBox) && OnComboSelection)
        Run([&] { OnComboSelection(this, col, row); });
}

void TTypedGrid::TakeListEntry(const QString& text)
{
    TTgInplaceEdit* editor = CellEditor();
    if (!editor || EditCol() < 0)
        return;
    const int col = EditCol();
    const int row = EditRow();
    if (CellReadOnly(col, row))
        return;
    editor->setText(text);
    editor->HideSuggestion();
    editor->selectAll();
    if (OnComboSelection)
        Run([&] { OnComboSelection(this, col, row); });
}

void TTypedGrid::ButtonClicked()
{
    const int col = EditCol() >= 0 ? EditCol() : Col();
    const int row = EditCol() >= 0 ? EditRow() : Row();
    if (OnButtonClick)
        Run([&] { OnButtonClick(this, col, row); });
}

// ---------------------------------------------------------------- input

void TTypedGrid::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::ShiftModifier && Col() < ColCount()
        && GetColumn(Col()).ControlType().testFlag(tgctlButton)) {
        ButtonClicked();
        event->accept();
        return;
    }
    TTgHintGrid::keyPressEvent(event);
}

void TTypedGrid::mousePressEvent(QMouseEvent* event)
{
    TTgHintGrid::mousePressEvent(event);
    if (!m_columnClick || Sizing())
        return;
    const QPoint pos = event->position().toPoint();
    int col = -1;
    int row = -1;
    MouseToCell(pos, col, row);
    if (col < 0 || (col >= FixedCols() && row >= FixedRows()))
        return;
    // Near the lined edges a press belongs to the lines (column sizing).
    const QRect cell = CellRect(col, row);
    const bool vertical = Options().testFlag(goFixedVertLine);
    const bool horizontal = Options().testFlag(goFixedHorzLine);
    if ((vertical && (pos.x() < cell.left() + FixedClickMargin || pos.x() > cell.right() - FixedClickMargin))
        || (horizontal && (pos.y() < cell.top() + FixedClickMargin || pos.y() > cell.bottom() - FixedClickMargin)))
        return;
    m_pressedCol = col;
    m_pressedRow = row;
    viewport()->update(cell);
}

void TTypedGrid::mouseReleaseEvent(QMouseEvent* event)
{
    TTgHintGrid::mouseReleaseEvent(event);
    if (m_pressedCol < 0)
        return;
    const int pressedCol = m_pressedCol;
    const int pressedRow = m_pressedRow;
    m_pressedCol = m_pressedRow = -1;
    viewport()->update();
    const QPoint pos = event->position().toPoint();
    int col = -1;
    int row = -1;
    MouseToCell(pos, col, row);
    if (col != pressedCol || row != pressedRow || !OnFixedCellClick)
        return;
    int headingIndex = -1;
    if (row == 0 && col < ColCount()) {
        const int index = GetColumn(col).HeadingIndex();
        const QRect cell = CellRect(col, row);
        if (m_headings.Item(index) && pos.y() < cell.top() + cell.height() / 2)
            headingIndex = index;
    }
    Run([&] { OnFixedCellClick(this, col, row, event->button(), event->modifiers(), pos, headingIndex); });
}
