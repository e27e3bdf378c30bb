#pragma once

#include "editor/qeEditList.h"
#include "editor/qeEditOptions.h"
#include "editor/qeEditView.h"
#include "editor/qeKeyCmds.h"
#include "editor/qeMarks.h"
#include "editor/qeUndoList.h"
#include "editor/qeWordList.h"
#include "platform/Timer.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class TqeCustomHighLighter;
class TqeCustomEdit;
class QDrag;
class QLabel;

class QMimeData;
class QPainter;

enum TCaretType { ctVerticalLine, ctHorizontalLine, ctHalfBlock, ctBlock };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBorderStyle { bsNone, bsSingle };

using TNotifyEvent = std::function<void(TqeCustomEdit* sender)>;
using TPaintEvent = std::function<void(TqeCustomEdit* sender, QPainter& canvas)>;
using TPlaceMarkEvent = std::function<void(TqeCustomEdit* sender, std::unique_ptr<TMark>& mark)>;
// Data is the command's argument (the point of ecGotoXY), usually null.
using TProcessCommandEvent =
    std::function<void(TqeCustomEdit* sender, TqeEditorCommand& command, QChar& aChar, void* data)>;
using THyperLinkClick = std::function<void(TqeCustomEdit* sender, const QString& hyperLink)>;
// A handler may change or clear the key (0: no binding, no character).
using TKeyEvent = std::function<void(TqeCustomEdit* sender, std::uint16_t& key, TShiftState shift)>;
// A handler may change the character or set it to 0 to drop it.
using TKeyPressEvent = std::function<void(TqeCustomEdit* sender, QChar& key)>;
// x and y are pixels of the text area (the viewport).
using TMouseEvent = std::function<void(TqeCustomEdit* sender, Qt::MouseButton button, TShiftState shift, int x, int y)>;

// The fixed-pitch text editor control of every SQL and procedure text. It
// keeps the text in Lines (with the scanner's range states), the caret,
// block and scroll position in its view, paints through its highlighter, and
// turns keys into editor commands through its key bindings.
class TqeCustomEdit : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TqeCustomEdit(QWidget* parent = nullptr);
    ~TqeCustomEdit() override;

    // --- text -------------------------------------------------------------
    TqeEditList* Lines() const { return m_lines; }
    // Copies the lines.
    void SetLines(const QStringList& lines);
    void SetLines(const TqeEditList& lines);
    int LineCount() const { return m_lines->Count(); }
    // Every line followed by CR LF.
    QString Text() const { return m_lines->Text(); }
    // Replaces the whole text: caret to (1, 1), scrolled to the top, undo
    // list emptied.
    void SetText(const QString& text);
    bool Modified() const { return m_modified; }
    void SetModified(bool on) { m_modified = on; }

    // --- caret, block, scrolling (1-based) ---------------------------------
    int CaretX() const { return m_view->CaretX(); }
    int CaretY() const { return m_view->CaretY(); }
    QPoint CaretXY() const { return m_view->CaretXY(); }
    void SetCaretX(int column);
    void SetCaretY(int line);
    void SetCaretXY(const QPoint& caret);
    QPoint BlockBegin() const { return m_view->BlockBegin(); }
    QPoint BlockEnd() const { return m_view->BlockEnd(); }
    void SetBlockBegin(const QPoint& point);
    void SetBlockEnd(const QPoint& point);
    bool SelAvail() const { return m_view->SelAvail(); }
    QString SelText() const { return m_view->SelText(); }
    // Writes no undo record (ReplaceSelectionWithUndo does).
    void SetSelText(const QString& text);
    int TopLine() const { return m_view->TopLine(); }
    void SetTopLine(int line);
    int LeftChar() const { return m_view->LeftChar(); }
    void SetLeftChar(int column);
    // Scrolls so that the caret is in the window.
    void EnsureCursorPosVisible();

    // --- metrics ------------------------------------------------------------
    int CharWidth() const { return m_charWidth; }
    int LineHeight() const { return m_lineHeight; }
    int CharsInWindow() const { return m_view->CharsInWindow(); }
    int LinesInWindow() const { return m_view->LinesInWindow(); }
    int MaxLineWidth() const { return m_view->MaxLineWidth(); }
    // Pixel x of column 1.
    int TextOrigin() const;
    int RightEdgeX() const;

    // --- update lock --------------------------------------------------------
    void BeginUpdate();
    void EndUpdate();
    int UpdateLockCount() const { return m_updateLock; }

    // --- appearance ---------------------------------------------------------
    QFont Font() const { return m_font; }
    // A proportional font is replaced by a fixed-pitch one of the same size
    // and style.
    void SetFont(const QFont& font);
    QColor FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor& color);
    QColor Color() const { return m_color; }
    void SetColor(const QColor& color);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle style);
    int ExtraLineSpacing() const { return m_extraLineSpacing; }
    void SetExtraLineSpacing(int pixels);
    QColor GutterColor() const { return m_gutterColor; }
    void SetGutterColor(const QColor& color);
    int GutterWidth() const { return m_gutterWidth; }
    void SetGutterWidth(int pixels);
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool on);
    int RightEdge() const { return m_rightEdge; }
    void SetRightEdge(int column);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle style);
    TqeSelectedColor* SelectedColor() const { return m_selectedColor; }
    TqeBookMarkOpt* BookMarkOptions() const { return m_bookMarkOptions; }
    TqeImageList* BookmarkImages() const { return m_bookmarkImages; }
    void SetBookmarkImages(TqeImageList* images);
    TCaretType InsertCaret() const { return m_insertCaret; }
    void SetInsertCaret(TCaretType type);
    TCaretType OverwriteCaret() const { return m_overwriteCaret; }
    void SetOverwriteCaret(TCaretType type);
    // The built-in glyph of bookmark images 0 to 9.
    const QPixmap& InternalGlyph(int index) const { return m_glyphs.at(static_cast<size_t>(index)); }

    // --- behaviour ------------------------------------------------------------
    TqeCustomHighLighter* HighLighter() const { return m_highlighter; }
    void SetHighLighter(TqeCustomHighLighter* highlighter);
    bool InsertMode() const { return m_insertMode; }
    void SetInsertMode(bool on);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool on) { m_readOnly = on; }
    bool ScrollPastEOL() const { return m_view->ScrollPastEOL(); }
    void SetScrollPastEOL(bool on);
    bool WantTabs() const { return m_wantTabs; }
    void SetWantTabs(bool on) { m_wantTabs = on; }
    int TabSpace() const { return m_tabSpace; }
    void SetTabSpace(int spaces) { m_tabSpace = spaces; }
    TqeKeyStrokes& Keystrokes() { return m_keystrokes; }
    const TqeKeyStrokes& Keystrokes() const { return m_keystrokes; }
    void SetKeystrokes(const TqeKeyStrokes& keystrokes) { m_keystrokes.Assign(keystrokes); }
    // Value hints: each name directly followed by the text shown for it.
    TqeWordList& VarList() { return m_varList; }
    // A value hint on show follows the new list: it shows the value its
    // word has now, or goes when the word has none.
    void SetVarList(const QStringList& list);
    const QStringList& CodeTemplates() const { return m_codeTemplates; }
    void SetCodeTemplates(const QStringList& templates) { m_codeTemplates = templates; }
    bool AllowCodeTemplates() const { return m_allowCodeTemplates; }
    void SetAllowCodeTemplates(bool on) { m_allowCodeTemplates = on; }

    // --- undo and marks -------------------------------------------------------
    // Every edit the editor makes writes its records here. Lines changed by
    // others (SetSelText, Lines()) empty both lists: their records would no
    // longer fit the text.
    TUndoList& UndoList() { return m_undoList; }
    TUndoList& RedoList() { return m_redoList; }
    bool CanUndo() const { return m_undoList.Count() > 0; }
    bool CanRedo() const { return m_redoList.Count() > 0; }
    int MaxUndo() const { return m_undoList.MaxUndo(); }
    void SetMaxUndo(int value);
    // One step each; nothing when the list is empty or the editor read-only.
    void Undo();
    void Redo();
    TMarkList* Marks() const { return m_marks; }

    // --- bookmarks --------------------------------------------------------------
    // Numbers 0 to 9 on an existing line; other bookmarks of that line and
    // the old mark of that number go. OnPlaceBookmark may change or cancel it.
    void SetBookMark(int number, int column, int line);
    void ClearBookMark(int number);
    // Caret to the bookmark when its line still exists.
    void GotoBookMark(int number);
    // The mark of a bookmark number, nullptr when not set.
    TMark* BookMark(int number) const;

    // --- editing ----------------------------------------------------------------
    void SelectAll();
    // Empties the editor: one empty line, undo and redo lists emptied.
    void ClearAll();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    // Replaces the selection (or nothing) at the caret by the text, with undo
    // records for both.
    void ReplaceSelectionWithUndo(const QString& text);
    // Word starts after and before the caret; word characters are the
    // highlighter's.
    virtual QPoint NextWordPos() const;
    virtual QPoint PrevWordPos() const;

    // --- commands -------------------------------------------------------------
    // Reports the command to OnProcessCommand (or OnProcessUserCommand from
    // ecUserFirst on), then carries out editor commands (1 to 1000). Data of
    // ecGotoXY and ecSelGotoXY points to a QPoint (column, line).
    virtual void ExecuteCommand(TqeEditorCommand command, QChar aChar, void* data);
    virtual void ResetKeystrokes();

    // --- events -----------------------------------------------------------------
    TNotifyEvent OnChange;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TPaintEvent OnPaint;
    TPlaceMarkEvent OnPlaceBookmark;
    TProcessCommandEvent OnProcessCommand;
    TProcessCommandEvent OnProcessUserCommand;
    THyperLinkClick OnHyperLinkClick;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;

    // --- repainting -------------------------------------------------------------
    // Lines first..last (1-based; last may be INT_MAX for "to the bottom").
    void InvalidateLines(int firstLine, int lastLine);
    void InvalidateGutter();
    void Invalidate();
    void Invalidate(const QRect& rect);
    // Lines drawn by the last paint.
    int LinesPainted() const { return m_linesPainted; }
    int PaintCount() const { return m_paintCount; }
    // Pixel rectangle of the caret as drawn now (empty when hidden).
    QRect CaretRect() const;
    // The selection is drawn (it is hidden without focus under HideSelection).
    bool SelectionShown() const;

    QSize sizeHint() const override { return {200, 150}; }

    // --- mouse ----------------------------------------------------------------------
    static constexpr int kHintDelay = 700;        // ms the mouse rests before a value hint
    static constexpr int kAutoScrollInterval = 100;  // ms per scroll step while selecting
    // Shown on a right click instead of any other handling; not owned.
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }
    // The text position (column, line) of a pixel of the text area, not
    // limited to the text.
    QPoint PixelToText(const QPoint& pixel) const;
    // The word under a pixel, as link words and value hints see it.
    QString WordUnderMouse(const QPoint& pixel) const;
    // The value hint shown now ("" when hidden).
    QString HintText() const;
    bool HintTimerActive() const { return m_hintTimer.isActive(); }
    bool AutoScrollActive() const { return m_scrollTimer.isActive(); }

protected:
    // What editor commands 1 to 1000 do (qeCustomEditCommands.cpp).
    virtual void CommandProcessor(TqeEditorCommand command, QChar aChar, void* data);
    virtual void DoProcessCommand(TqeEditorCommand& command, QChar& aChar, void* data);
    virtual void PaintGutter(QPainter& canvas, const QRect& clip);
    virtual void PaintPlainText(QPainter& canvas, const QRect& clip);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;

    // Runs the drag of the selection; the platform's drag loop by default.
    virtual Qt::DropAction ExecDrag(QDrag* drag);
    // One step of scrolling while the mouse selects outside the window.
    void AutoScrollTick();
    // Shows the value hint of the word the mouse rested on.
    void HintTimerTick();

private:
    // A run of characters of one look (0-based columns).
    struct Segment
    {
        int start;
        int length;
        QColor background;
        QColor foreground;
        int style;
    };
    void PaintRect(QPainter& canvas, const QRect& clip);
    void PaintHighlightedText(QPainter& canvas, const QRect& clip);
    void PaintLine(QPainter& canvas, int line, const QString& text, const std::vector<Segment>& segments);
    void DrawCells(QPainter& canvas, int x, int baseline, QStringView text);
    void PaintCaret(QPainter& canvas);
    void FirstAndLastRow(const QRect& clip, int& first, int& last) const;

    void MeasureFont();
    void UpdateWindowSize();
    void UpdateScrollBars();
    void ApplyScrollBarPolicy();
    void MakeGlyphs();
    bool KeyboardInput(QKeyEvent* event);
    bool TypeText(const QString& text);
    void RestartCaretBlink();
    QRect CaretRectAt(const QPoint& caret) const;
    QRect TextRect() const;

    // --- commands (qeCustomEditCommands.cpp) ---
    void MoveCommand(TqeEditorCommand command, void* data);
    void EditCommand(TqeEditorCommand command, QChar aChar);
    void BookmarkCommand(TqeEditorCommand command);
    void ScrollCommand(TqeEditorCommand command);
    void TypeChar(QChar aChar);
    void InsertChar(QChar aChar, bool insert);
    void DeleteLastChar();
    void DeleteChar();
    void DeleteRange(const QPoint& from, const QPoint& to, quint8 kind);
    void DeleteLine();
    void LineBreak(bool moveCaret);
    void ShiftMarks(int fromLine, int delta);
    bool ExpandCodeTemplate();
    QPoint WordPos(const QPoint& from, bool forward) const;
    TqeIdentChars WordChars() const;
    void OnMarkRemoved(TMark* mark);

    // --- undo (qeCustomEditUndo.cpp) ---
    // One recorded change: begun before the text changes, committed with the
    // record's kind and range after.
    class UndoStep;
    void ReplaceLines(int first, int oldCount, const QStringList& lines);
    bool LinesMatch(int first, const QStringList& lines) const;
    quint8 UndoOne(TUndoList& from, TUndoList& to, bool undo);
    void ApplyByKind(const TUndoList::Record& record);
    void OnUnrecordedChange();
    void DropUndoHistory();

    // --- mouse (qeCustomEditMouse.cpp) ---
    void SetUpMouse();
    void MousePress(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseRelease(QMouseEvent* event);
    void MouseDoubleClick(QMouseEvent* event);
    void StartDragging();
    void DropSelection(const QPoint& dropAt, bool copy);
    bool IsOwnDrag(const QMimeData* data) const;
    void UpdateMouseCursor(const QPoint& pixel);
    void ArmValueHint(const QPoint& pixel);
    void HideHint();
    void UpdateAutoScroll(const QPoint& pixel);
    QString WordAt(const QPoint& textPos, const TqeIdentChars& chars, int* wordStart) const;

    void OnCaretMoved(const QPoint& oldCaret);
    void OnTopLineChanged(int oldTopLine);
    void OnLeftCharChanged(int oldLeftChar);
    void OnLinesChanged();
    void OnHighlighterDestroyed();
    void OnBookmarkImagesDestroyed();

    TqeEditList* m_lines;
    TMarkList* m_marks;
    TqeEditView* m_view;
    TqeSelectedColor* m_selectedColor;
    TqeBookMarkOpt* m_bookMarkOptions;
    QPointer<TqeCustomHighLighter> m_highlighter;
    QPointer<TqeImageList> m_bookmarkImages;
    TqeKeyStrokes m_keystrokes;
    TUndoList m_undoList;
    TUndoList m_redoList;
    TqeWordList m_varList;
    QStringList m_codeTemplates;
    std::array<QPixmap, 10> m_glyphs;
    std::array<TMark*, 10> m_bookmarks {};  // in m_marks; cleared when it leaves
    TqeChangeRecorder m_recorder;

    // mouse state
    QPointer<QMenu> m_popupMenu;
    qv::Timer m_hintTimer;
    qv::Timer m_scrollTimer;
    QLabel* m_hintWindow = nullptr;
    QString m_hintWord;
    QPoint m_hintPoint;
    QPoint m_mouseDownPixel;
    QPoint m_mouseDownCaret {1, 1};
    QPoint m_lastMousePixel;
    QPoint m_dragSelStart;
    QPoint m_dragSelEnd;
    bool m_mouseCaptured = false;
    bool m_dragPending = false;
    bool m_dblClicked = false;
    bool m_dragging = false;
    quint64 m_dragId = 0;

    QFont m_font;
    std::array<QFont, 16> m_styleFonts;  // by TFontStyles bits
    QColor m_fontColor;
    QColor m_color;
    QColor m_gutterColor;
    TBorderStyle m_borderStyle = bsSingle;
    TScrollStyle m_scrollBars = ssBoth;
    TCaretType m_insertCaret = ctVerticalLine;
    TCaretType m_overwriteCaret = ctBlock;
    int m_charWidth = 8;
    int m_lineHeight = 16;
    int m_ascent = 12;
    int m_extraLineSpacing = 0;
    int m_gutterWidth = 30;
    int m_rightEdge = 80;
    int m_tabSpace = 0;
    bool m_hideSelection = false;
    bool m_insertMode = true;
    bool m_readOnly = false;
    bool m_wantTabs = false;
    bool m_allowCodeTemplates = false;
    bool m_modified = false;

    int m_updateLock = 0;
    bool m_pendingFull = false;
    QRegion m_pendingRegion;
    bool m_syncingScrollBars = false;
    QBasicTimer m_caretTimer;
    bool m_caretBlinkOn = true;
    int m_linesPainted = 0;
    int m_paintCount = 0;
};
