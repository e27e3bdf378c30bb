#pragma once

// TTypedGrid: the string grid of the object editors (columns of a table,
// parameters and variables of a procedure). Its columns are described by
// Columns: the grid shows exactly the visible ones, in collection order, so
// grid column i is the i-th visible column and ColCount always equals their
// number. Hiding a column keeps its cells in the column and showing it puts
// them back in its place. Headings may span adjacent title cells.
//
// Each cell is drawn with its column's attributes (colours, font, alignment,
// clipping, bevels), which OnChangeCellAttributes and OnChangeCellBorders may
// change per cell, and its text formatted by the column (numbers, scientific,
// dates). The cell editor follows the column: a button, a drop-down list of
// Items, suggestions of the item the typed text begins.
//
// Moving to another cell asks OnExitCell first, which may keep the current
// cell; OnEnterCell follows. With a ColumnsRegistryKey the columns' widths
// come from the registry when the grid is first shown and go back to it when
// the grid is destroyed, one integer value per column, named by its Name.
//
// Event handlers run guarded: what they raise is shown, never passed through
// painting or the event loop.

#include "components/TgColumn.h"
#include "components/TgHGrid.h"

#include <QPixmap>

#include <functional>

class TTgInplaceEdit;

// How one cell is drawn; the column's (or heading's) settings, which
// OnChangeCellAttributes may change.
struct TtgCellAttributes
{
    QString Caption; // title cells of row 0: the text shown
    TColor Color = clWindow;
    QFont Font;
    TColor FontColor = clWindowText;
    Qt::Alignment HAlignment = Qt::AlignLeft;
    TtgVAlignment VAlignment = tgvaTop;
    TtgClipStyle ClipStyle = tgclpEllipsis;
    TPanelBevel InnerBevel = TPanelBevel::bvNone;
    TPanelBevel OuterBevel = TPanelBevel::bvNone;
};

class TTypedGrid : public TTgHintGrid
{
    Q_OBJECT

public:
    using TtgCellEvent = std::function<void(QObject* Sender, int ACol, int ARow)>;

    explicit TTypedGrid(QWidget* parent = nullptr);
    ~TTypedGrid() override;

    TtgColumns& Columns() { return m_columns; }
    const TtgColumns& Columns() const { return m_columns; }
    TtgHeadings& Headings() { return m_headings; }
    const TtgHeadings& Headings() const { return m_headings; }
    // The visible column grid column index shows; EtgColumnIndexOutOfRange
    // for an index that shows none.
    TtgColumn& GetColumn(int index) const;
    TtgColumn& ColumnByName(const QString& name) const { return m_columns.ColumnByName(name); }

    // Raising it adds columns, lowering it removes visible columns from the end.
    void SetColCount(int count) override;
    // Hidden columns keep one value per row, whatever the count becomes.
    void SetRowCount(int count) override;

    QString ColumnsRegistryKey() const { return m_columnsRegistryKey; }
    void SetColumnsRegistryKey(const QString& key) { m_columnsRegistryKey = key; }
    // Widths from the registry key (done once, when the grid is first shown):
    // values naming no column, or not a positive integer, are skipped.
    void LoadColumnWidths();
    // Every column's width into the registry key (done when the grid goes).
    void SaveColumnWidths();

    TtgOptions GridOptions() const { return m_gridOptions; }
    void SetGridOptions(TtgOptions options);
    TColor GridHighlightColor() const { return m_highlightColor; }
    void SetGridHighlightColor(TColor color);
    TColor GridHighlightFontColor() const { return m_highlightFontColor; }
    void SetGridHighlightFontColor(TColor color);
    // Cells too small for their text grow (never shrink) to fit it.
    bool GridAdjustColWidth() const { return m_adjustColWidth; }
    void SetGridAdjustColWidth(bool adjust) { m_adjustColWidth = adjust; }
    bool GridAdjustRowHeight() const { return m_adjustRowHeight; }
    void SetGridAdjustRowHeight(bool adjust) { m_adjustRowHeight = adjust; }
    bool GridColumnClick() const { return m_columnClick; }
    void SetGridColumnClick(bool click) { m_columnClick = click; }
    // Leaving a cell takes a suggestion that is showing.
    bool AutoAcceptSuggestion() const { return m_autoAcceptSuggestion; }
    void SetAutoAcceptSuggestion(bool accept) { m_autoAcceptSuggestion = accept; }
    static QString Version() { return QStringLiteral("1.80"); }

    // The text a cell shows (after OnDisplayText and the column's format).
    QString DisplayText(int col, int row);
    // The cell's attributes as it would be drawn now.
    TtgCellAttributes CellAttributes(int col, int row, TGridDrawState state);
    // Column's ReadOnly or OnGetReadOnly.
    bool CellReadOnly(int col, int row);
    TTgInplaceEdit* CellEditor() const;

    // --- Events ---
    std::function<void(QObject* Sender, int ACol, int ARow, bool& allow)> OnExitCell;
    TtgCellEvent OnEnterCell;
    TtgCellEvent OnCellEdited;
    TtgCellEvent OnComboSelection;
    TtgCellEvent OnButtonClick;
    std::function<void(QObject* Sender, int ACol, int ARow, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                       const QPoint& pos, int headingIndex)>
        OnFixedCellClick;
    std::function<void(QObject* Sender, int ACol, int ARow, QString& text, bool& format)> OnDisplayText;
    std::function<void(QObject* Sender, int ACol, int ARow, const QString& text)> OnConversionError;
    std::function<void(QObject* Sender, int ACol, int ARow, TGridDrawState state, TtgCellAttributes& attributes)>
        OnChangeCellAttributes;
    std::function<void(QObject* Sender, int ACol, int ARow, TGridDrawState state, TtgCellBorders& borders)>
        OnChangeCellBorders;
    std::function<void(QObject* Sender, int ACol, int ARow, QPixmap& image)> OnGetCellImage;
    std::function<void(QObject* Sender, int ACol, int ARow, bool& readOnly)> OnGetReadOnly;
    std::function<void(QObject* Sender, int ACol, int ARow, const QString& text, QString& suggestion)> OnGetSuggestion;

protected:
    bool SelectCell(int col, int row) override;
    void CurrentCellChanged() override;
    void DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state) override;
    void SetEditText(int col, int row, const QString& text) override;
    TInplaceEdit* CreateEditor() override;
    void EditorPlaced() override;
    void EditorLeaving() override;
    void ColumnMoved(int from, int to) override;
    int VerticalLineStart(int col, int row) const override;

    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TtgHeading;
    friend class TtgColumn;
    friend class TtgHeadings;
    friend class TtgColumns;
    friend class TTgInplaceEdit;

    // From the columns and the editor.
    void ItemChanged();
    int GridIndexOf(const TtgColumn* column) const;
    void SetColumnVisible(TtgColumn& column, bool visible);
    TtgColumn& AddColumn();
    void DeleteColumn(int index);
    void EditorTextChanged(const QString& text);
    void TakeSuggestion();
    void TakeListEntry(const QString& text);
    void ButtonClicked();

    void FocusChanged(QWidget* old, QWidget* now);
    bool IsInside(const QWidget* widget) const;
    void DrawHeading(QPainter& painter, int col, const QRect& cell);
    void DrawCellText(QPainter& painter, const QString& text, QRect rect, const TtgCellAttributes& attributes,
                      int col, int row);
    void RequestSize(int col, int row, const QSize& needed);
    // Runs a handler from painting: a failure is shown once, later.
    bool RunPaintHandler(const std::function<void()>& handler);
    bool Run(const std::function<void()>& handler);

    TtgColumns m_columns;
    TtgHeadings m_headings;
    QString m_columnsRegistryKey;
    TtgOptions m_gridOptions;
    TColor m_highlightColor = clHighlight;
    TColor m_highlightFontColor = clHighlightText;
    bool m_adjustColWidth = false;
    bool m_adjustRowHeight = false;
    bool m_columnClick = true;
    bool m_autoAcceptSuggestion = true;
    bool m_widthsLoaded = false;
    bool m_focusInside = false;
    bool m_changingColumns = false;
    int m_cellHandlerDepth = 0; // inside OnExitCell or OnEnterCell
    int m_pressedCol = -1; // a fixed cell held down
    int m_pressedRow = -1;
    QString m_lastPaintError;
};
