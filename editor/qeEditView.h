#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include "editor/qeUndoList.h"

class TqeEditList;
class TMarkList;

// Where the user is in the text: the caret, the block (selection) and the
// scroll position, with the rules that keep them inside the text and the
// window. Columns and lines are 1-based (QPoint x is the column, y the line).
// It needs no window: the editor control hands it the window's size in
// characters and turns its signals into repaints.
class TqeEditView : public QObject
{
    Q_OBJECT
public:
    // Horizontal limit of caret, block and scrolling when no line is longer.
    static constexpr int kMinMaxLineWidth = 1024;

    TqeEditView(TqeEditList* lines, TMarkList* marks, QObject* parent = nullptr);

    TqeEditList* Lines() const { return m_lines; }

    // Whole characters and lines the window shows (0 for a window too small
    // for one).
    void SetWindowSize(int charsInWindow, int linesInWindow);
    int CharsInWindow() const { return m_charsInWindow; }
    int LinesInWindow() const { return m_linesInWindow; }
    // 1024 columns, or more when a line is long: the caret can reach the end
    // of the longest line and the window can show it.
    int MaxLineWidth() const;

    bool ScrollPastEOL() const { return m_scrollPastEOL; }
    // Switching it off pulls the caret back inside its line, unless a command
    // only lent the caret the freedom for one step (keepCaret).
    void SetScrollPastEOL(bool on, bool keepCaret = false);

    int CaretX() const { return m_caretX; }
    int CaretY() const { return m_caretY; }
    QPoint CaretXY() const { return {m_caretX, m_caretY}; }
    void SetCaretX(int column);
    void SetCaretY(int line);
    // Line first, then column.
    void SetCaretXY(const QPoint& caret);
    // Scrolls so that the caret is inside the window.
    void EnsureCursorPosVisible();

    TqeEditState State() const { return {CaretXY(), m_blockBegin, m_blockEnd}; }
    // Puts caret and block back where an undo record found them: lines are
    // kept inside the text, columns are taken as they were.
    void RestoreState(const TqeEditState& state);

    int TopLine() const { return m_topLine; }
    void SetTopLine(int line);
    int LeftChar() const { return m_leftChar; }
    void SetLeftChar(int column);

    QPoint BlockBegin() const { return m_blockBegin; }
    QPoint BlockEnd() const { return m_blockEnd; }
    // Both ends to the point: no selection.
    void SetBlockBegin(const QPoint& point);
    void SetBlockEnd(const QPoint& point);
    bool SelAvail() const { return m_blockBegin != m_blockEnd; }
    // The smaller and the larger block end.
    QPoint SelStart() const;
    QPoint SelEnd() const;
    QString SelText() const;
    // Replaces the selection (or nothing) at the caret by the text; the caret
    // ends after the inserted text. Writes no undo record.
    void SetSelText(const QString& text);
    // Drops the selection: both block ends to the caret.
    void CollapseBlock();

    // 0-based column range of the line's selected characters for painting:
    // [from, to); fillRest when the selection goes on past the line's end.
    struct LineSelection
    {
        bool any = false;
        int from = 0;
        int to = 0;
        bool fillRest = false;
    };
    LineSelection SelectionOnLine(int line) const;

signals:
    void CaretMoved(const QPoint& oldCaret);
    void TopLineChanged(int oldTopLine);
    void LeftCharChanged(int oldLeftChar);
    // Lines (1-based) whose selection drawing changed.
    void SelectionChanged(int firstLine, int lastLine);

private:
    void OnCleared();
    void OnChanged();
    int LineLength(int line) const;
    int MaxCaretX() const;
    void MoveCaret(int x, int y);
    void DeleteSelection();
    void InsertAtCaret(const QString& text);
    QPoint ClampBlockPoint(const QPoint& point) const;

    TqeEditList* m_lines;
    TMarkList* m_marks;
    int m_charsInWindow = 0;
    int m_linesInWindow = 0;
    bool m_scrollPastEOL = true;
    int m_caretX = 1;
    int m_caretY = 1;
    int m_topLine = 1;
    int m_leftChar = 1;
    QPoint m_blockBegin {1, 1};
    QPoint m_blockEnd {1, 1};
};
