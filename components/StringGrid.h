#pragma once

// TStringGrid: a grid of text cells with fixed (title) rows and columns at
// the top and left, a current cell and a selected range, whole-row and
// whole-column scrolling, columns sized by dragging their title borders and
// an in-place editor for the current cell. The typed grid builds on it.
//
// Cells are addressed (column, row) from the top-left cell, fixed cells
// included. Cells may be written at any index, beyond ColCount and RowCount
// too: they are kept, never drawn, and dropped when RowCount is lowered
// below their row. Each cell may carry an object (any value) beside its text.
//
// The in-place editor writes the cell as it is typed into (SetEditText).
// Moving to another cell asks SelectCell first, which may refuse the move.

#include <QAbstractScrollArea>
#include <QFlags>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <vector>

class TStringGrid;

enum TGridOption {
    goFixedVertLine = 0x1,
    goFixedHorzLine = 0x2,
    goVertLine = 0x4,
    goHorzLine = 0x8,
    goRangeSelect = 0x10,
    goDrawFocusSelected = 0x20,
    goColSizing = 0x40,
    goEditing = 0x80,
    goTabs = 0x100,
    goRowSelect = 0x200,
    goAlwaysShowEditor = 0x400,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

enum TGridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

// A range of cells, both corners included.
struct TGridRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    bool operator==(const TGridRect&) const = default;
};

// The editor a grid places over its current cell.
class TInplaceEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TInplaceEdit(TStringGrid* grid);

    TStringGrid* Grid() const { return m_grid; }
    // Shows the cell's text without reporting a change.
    void SetCellText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Keys the grid handles instead of the editor: moving between cells.
    virtual bool IsGridKey(const QKeyEvent* event) const;

private:
    void TextEdited(const QString& text);

    TStringGrid* m_grid;
    bool m_settingText = false;
};

class TStringGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    // --- Size and layout ---
    int ColCount() const { return m_colCount; }
    virtual void SetColCount(int count);
    int RowCount() const { return m_rowCount; }
    virtual void SetRowCount(int count);
    int FixedCols() const { return m_fixedCols; }
    void SetFixedCols(int count);
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int count);
    int DefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int height);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return m_gridLineWidth; }
    void SetGridLineWidth(int width);
    TGridOptions Options() const { return m_options; }
    void SetOptions(TGridOptions options);

    // --- Cells ---
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    QVariant Objects(int col, int row) const;
    void SetObjects(int col, int row, const QVariant& object);

    // --- Current cell, selection, scrolling ---
    int Col() const { return m_col; }
    void SetCol(int col) { FocusCell(col, m_row); }
    int Row() const { return m_row; }
    void SetRow(int row) { FocusCell(m_col, row); }
    // Moves the current cell when SelectCell allows it; false when refused.
    bool FocusCell(int col, int row, bool keepSelection = false);
    TGridRect Selection() const;
    void SetSelection(const TGridRect& selection);
    int TopRow() const { return m_topRow; }
    void SetTopRow(int row);
    int LeftCol() const { return m_leftCol; }
    void SetLeftCol(int col);
    // Scrollable rows and columns that fit wholly into the window.
    int VisibleRowCount() const;
    int VisibleColCount() const;
    // The cell's rectangle in the viewport; empty when it is scrolled away.
    QRect CellRect(int col, int row) const;
    // The cell at a viewport point; -1 for none.
    void MouseToCell(const QPoint& point, int& col, int& row) const;

    // --- Editing ---
    bool EditorMode() const { return m_editorMode; }
    void SetEditorMode(bool on);
    // The editor, once editing has started.
    TInplaceEdit* InplaceEditor() const { return m_editor; }
    void ShowEditor();
    void HideEditor();

    // --- Columns ---
    // Moves a column with its cells, objects and width.
    void MoveColumn(int from, int to);

    // A key that types a character (no Ctrl, Alt or Meta).
    static bool IsPrintableKey(const QKeyEvent* event);

protected:
    // May the current cell move there?
    virtual bool SelectCell(int col, int row);
    // After the current cell moved.
    virtual void CurrentCellChanged() {}
    virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state);
    virtual QString GetEditText(int col, int row) { return Cells(col, row); }
    virtual void SetEditText(int col, int row, const QString& text) { SetCells(col, row, text); }
    virtual bool CanEditShow() const;
    virtual TInplaceEdit* CreateEditor();
    // The editor is placed on the current cell (shown or moved there).
    virtual void EditorPlaced() {}
    // The editor is about to be hidden or to leave its cell.
    virtual void EditorLeaving() {}
    virtual void ColWidthsChanged() {}
    // Where the line right of a cell starts, from the cell's top: a title
    // spanning several columns has none in its upper part.
    virtual int VerticalLineStart(int /*col*/, int /*row*/) const { return 0; }
    virtual void ColumnMoved(int /*from*/, int /*to*/) {}
    virtual void TopLeftChanged() {}

    // Sets the counts without anything a subclass adds to SetColCount.
    void ResizeGrid(int cols, int rows);
    // Removes a column with its cells, objects and width.
    void DeleteGridColumn(int col);
    // A column border is being dragged.
    bool Sizing() const { return m_sizingCol >= 0; }
    // The editor's cell; -1, -1 while none.
    int EditCol() const { return m_editCol; }
    int EditRow() const { return m_editRow; }
    // The cell's text when the editor was placed on it.
    QString EditStartText() const { return m_editStartText; }
    // The grid or its editor holds the focus.
    bool HasGridFocus() const;
    // Viewport x of a column's left edge, y of a row's top edge; -1 for one
    // scrolled away or beyond the window.
    int X(int col) const;
    int Y(int row) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class TInplaceEdit;

    struct ColumnCells
    {
        std::vector<QString> texts;
        std::vector<QVariant> objects; // empty until an object is set in the column
    };

    void GridKey(QKeyEvent* event);
    void MoveBy(int dCol, int dRow, bool extend);
    void ClampCurrent();
    void UpdateScrollBars();
    void EnsureVisible(int col, int row);
    void PlaceEditor();
    void EditorTextEdited(const QString& text);
    void TruncateRows(int rows);
    int ColumnBorderAt(int x) const;
    void InvalidateCell(int col, int row);
    // The largest TopRow / LeftCol that still fills the window.
    int MaxTopRow() const;
    int MaxLeftCol() const;

    std::vector<ColumnCells> m_cells;
    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights; // empty while every row has the default height
    int m_colCount = 5;
    int m_rowCount = 5;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_gridLineWidth = 1;
    TGridOptions m_options = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    int m_col = 1;
    int m_row = 1;
    int m_anchorCol = 1; // the selection's other corner
    int m_anchorRow = 1;
    int m_topRow = 1;
    int m_leftCol = 1;
    bool m_editorMode = false;
    QPointer<TInplaceEdit> m_editor;
    QString m_editStartText;
    int m_editCol = -1;
    int m_editRow = -1;
    int m_sizingCol = -1; // a column border being dragged
    int m_sizingStart = 0;
    bool m_selecting = false;
    bool m_updatingScroll = false;
};
