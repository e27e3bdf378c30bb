#pragma once

#include "editor/qeEditList.h"
#include "editor/qeEditOptions.h"
#include "editor/qeEditView.h"
#include "editor/qeKeyCmds.h"
#include "editor/qeMarks.h"
#include "editor/qeUndoList.h"
#include "editor/qeWordList.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class TqeCustomHighLighter;
class TqeCustomEdit;
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
    TqeWordList& VarList() { return m_varList; }
    void SetVarList(const QStringList& list) { m_varList.Assign(list); }
    const QStringList& CodeTemplates() const { return m_codeTemplates; }
    void SetCodeTemplates(const QStringList& templates) { m_codeTemplates = templates; }
    bool AllowCodeTemplates() const { return m_allowCodeTemplates; }
    void SetAllowCodeTemplates(bool on) { m_allowCodeTemplates = on; }

    // --- undo and marks -------------------------------------------------------
    TUndoList& UndoList() { return m_undoList; }
    TUndoList& RedoList() { return m_redoList; }
    bool CanUndo() const { return m_undoList.Count() > 0; }
    bool CanRedo() const { return m_redoList.Count() > 0; }
    int MaxUndo() const { return m_undoList.MaxUndo(); }
    void SetMaxUndo(int value);
    TMarkList* Marks() const { return m_marks; }

    // --- commands -------------------------------------------------------------
    // Reports the command to OnProcessCommand (or OnProcessUserCommand from
    // ecUserFirst on), then carries out editor commands (1 to 1000).
    virtual void ExecuteCommand(TqeEditorCommand command, QChar aChar, void* data);
    virtual void ResetKeystrokes();

    // --- events -----------------------------------------------------------------
    TNotifyEvent OnChange;
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

protected:
    // The command table of the editing stage: what editor commands 1 to
    // 1000 do. The control itself gives them no effect.
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
