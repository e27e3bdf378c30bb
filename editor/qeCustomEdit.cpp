#include "editor/qeCustomEdit.h"

#include "editor/qeHighlighter.h"
#include "editor/qeKeyMap.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <algorithm>
#include <climits>

namespace {

QColor paletteColor(QPalette::ColorRole role)
{
    return QGuiApplication::palette().color(role);
}

// A fixed-pitch font gives every character the same advance.
bool isFixedPitch(const QFont& font)
{
    const QFontMetricsF fm(font);
    const qreal w = fm.horizontalAdvance(QLatin1Char('W'));
    return w > 0 && qFuzzyCompare(w, fm.horizontalAdvance(QLatin1Char('i')))
           && qFuzzyCompare(w, fm.horizontalAdvance(QLatin1Char('m')))
           && qFuzzyCompare(w, fm.horizontalAdvance(QLatin1Char('.')));
}

QFont fixedPitchLike(const QFont& font)
{
    QFont own(QStringLiteral("Courier New"));
    own.setStyleHint(QFont::TypeWriter);
    own.setFixedPitch(true);
    if (!isFixedPitch(own))
        own = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (font.pointSizeF() > 0)
        own.setPointSizeF(font.pointSizeF());
    else if (font.pixelSize() > 0)
        own.setPixelSize(font.pixelSize());
    own.setBold(font.bold());
    own.setItalic(font.italic());
    own.setUnderline(font.underline());
    own.setStrikeOut(font.strikeOut());
    return own;
}

} // namespace

TqeCustomEdit::TqeCustomEdit(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_lines(new TqeEditList(this))
    , m_marks(new TMarkList(this))
    , m_view(new TqeEditView(m_lines, m_marks, this))
    , m_selectedColor(new TqeSelectedColor(this))
    , m_bookMarkOptions(new TqeBookMarkOpt(this))
    , m_keystrokes(this)
    , m_fontColor(paletteColor(QPalette::Text))
    , m_color(paletteColor(QPalette::Base))
    , m_gutterColor(paletteColor(QPalette::Button))
{
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);

    connect(m_view, &TqeEditView::CaretMoved, this, &TqeCustomEdit::OnCaretMoved);
    connect(m_view, &TqeEditView::TopLineChanged, this, &TqeCustomEdit::OnTopLineChanged);
    connect(m_view, &TqeEditView::LeftCharChanged, this, &TqeCustomEdit::OnLeftCharChanged);
    connect(m_view, &TqeEditView::SelectionChanged, this, &TqeCustomEdit::InvalidateLines);
    connect(m_lines, &TqeEditList::LinesPut, this, [this](int index) { InvalidateLines(index + 1, index + 1); });
    connect(m_lines, &TqeEditList::LinesInserted, this, [this](int index, int) {
        InvalidateLines(index + 1, INT_MAX);
    });
    connect(m_lines, &TqeEditList::LinesDeleted, this, [this](int index, int) {
        InvalidateLines(index + 1, INT_MAX);
    });
    connect(m_lines, &TqeEditList::Rescanned, this, [this](int first, int last) {
        InvalidateLines(first + 1, last + 1);
    });
    connect(m_lines, &TqeEditList::Cleared, this, [this] {
        DropUndoHistory();
        Invalidate();
    });
    connect(m_lines, &TqeEditList::Changed, this, &TqeCustomEdit::OnLinesChanged);
    connect(m_marks, &TMarkList::Changed, this, &TqeCustomEdit::InvalidateGutter);
    connect(m_marks, &TMarkList::MarkRemoved, this, &TqeCustomEdit::OnMarkRemoved);
    m_recorder.OnUnrecorded = [this] { OnUnrecordedChange(); };
    m_lines->SetRecorder(&m_recorder);
    connect(m_selectedColor, &TqeSelectedColor::Changed, this, [this] {
        if (SelAvail())
            Invalidate();
    });
    connect(m_bookMarkOptions, &TqeBookMarkOpt::Changed, this, &TqeCustomEdit::InvalidateGutter);

    const auto modified = [this] {
        m_modified = true;
        if (OnChange)
            OnChange(this);
    };
    m_undoList.SetOnAdded(modified);
    m_redoList.SetOnAdded(modified);

    SetUpMouse();
    MakeGlyphs();
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    SetFont(font);
    ResetKeystrokes();
    ApplyScrollBarPolicy();
    resize(200, 150);
    m_lines->Add(QString());
}

TqeCustomEdit::~TqeCustomEdit()
{
    m_lines->SetRecorder(nullptr);
    m_hintTimer.stop();
    m_scrollTimer.stop();
    if (m_highlighter)
        m_highlighter->RemoveLinkedEditor(this);
}

// --- text -------------------------------------------------------------------

void TqeCustomEdit::SetText(const QString& text)
{
    BeginUpdate();
    try {
        m_lines->SetText(text);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TqeCustomEdit::SetLines(const QStringList& lines)
{
    BeginUpdate();
    m_lines->Assign(lines);
    EndUpdate();
}

void TqeCustomEdit::SetLines(const TqeEditList& lines)
{
    BeginUpdate();
    m_lines->Assign(lines);
    EndUpdate();
}

// --- caret, block, scrolling -------------------------------------------------

void TqeCustomEdit::SetCaretX(int column)
{
    m_view->SetCaretX(column);
}

void TqeCustomEdit::SetCaretY(int line)
{
    m_view->SetCaretY(line);
}

void TqeCustomEdit::SetCaretXY(const QPoint& caret)
{
    BeginUpdate();
    m_view->SetCaretXY(caret);
    EndUpdate();
}

void TqeCustomEdit::SetBlockBegin(const QPoint& point)
{
    m_view->SetBlockBegin(point);
}

void TqeCustomEdit::SetBlockEnd(const QPoint& point)
{
    m_view->SetBlockEnd(point);
}

void TqeCustomEdit::SetSelText(const QString& text)
{
    BeginUpdate();
    try {
        m_view->SetSelText(text);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TqeCustomEdit::SetTopLine(int line)
{
    m_view->SetTopLine(line);
}

void TqeCustomEdit::SetLeftChar(int column)
{
    m_view->SetLeftChar(column);
}

void TqeCustomEdit::EnsureCursorPosVisible()
{
    m_view->EnsureCursorPosVisible();
}

int TqeCustomEdit::TextOrigin() const
{
    return m_gutterWidth + 2 - (LeftChar() - 1) * m_charWidth;
}

int TqeCustomEdit::RightEdgeX() const
{
    return m_rightEdge * m_charWidth + TextOrigin();
}

// --- update lock ---------------------------------------------------------------

void TqeCustomEdit::BeginUpdate()
{
    ++m_updateLock;
}

void TqeCustomEdit::EndUpdate()
{
    if (m_updateLock <= 0 || --m_updateLock > 0)
        return;
    UpdateScrollBars();
    if (m_pendingFull)
        viewport()->update();
    else if (!m_pendingRegion.isEmpty())
        viewport()->update(m_pendingRegion);
    m_pendingFull = false;
    m_pendingRegion = QRegion();
}

// --- appearance -------------------------------------------------------------------

void TqeCustomEdit::SetFont(const QFont& font)
{
    m_font = isFixedPitch(font) ? font : fixedPitchLike(font);
    MeasureFont();
}

void TqeCustomEdit::MeasureFont()
{
    // Cells are as wide as the bold italic variant, so bold and italic
    // tokens fit the same cells.
    QFont boldItalic = m_font;
    boldItalic.setBold(true);
    boldItalic.setItalic(true);
    const QFontMetrics fm(boldItalic);
    m_charWidth = fm.averageCharWidth();
    if (m_charWidth <= 0)
        m_charWidth = fm.horizontalAdvance(QLatin1Char('M'));
    m_charWidth = std::max(1, m_charWidth);
    m_lineHeight = std::max(1, fm.height() + std::max(0, fm.leading()) + m_extraLineSpacing);
    m_ascent = fm.ascent();
    for (int style = 0; style < 16; ++style) {
        QFont f = m_font;
        f.setBold(style & fsBold);
        f.setItalic(style & fsItalic);
        f.setUnderline(style & fsUnderline);
        f.setStrikeOut(style & fsStrikeOut);
        f.setKerning(false);
        // Every character advances exactly one cell.
        const qreal advance = QFontMetricsF(f).horizontalAdvance(QLatin1Char('M'));
        f.setLetterSpacing(QFont::AbsoluteSpacing, m_charWidth - advance);
        m_styleFonts[static_cast<size_t>(style)] = f;
    }
    UpdateWindowSize();
    Invalidate();
}

void TqeCustomEdit::SetFontColor(const QColor& color)
{
    if (m_fontColor == color)
        return;
    m_fontColor = color;
    Invalidate();
}

void TqeCustomEdit::SetColor(const QColor& color)
{
    if (m_color == color)
        return;
    m_color = color;
    Invalidate();
}

void TqeCustomEdit::SetBorderStyle(TBorderStyle style)
{
    m_borderStyle = style;
    setFrameShape(style == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    UpdateWindowSize();
    Invalidate();
}

void TqeCustomEdit::SetExtraLineSpacing(int pixels)
{
    if (m_extraLineSpacing == pixels)
        return;
    m_extraLineSpacing = pixels;
    MeasureFont();
}

void TqeCustomEdit::SetGutterColor(const QColor& color)
{
    if (m_gutterColor == color)
        return;
    m_gutterColor = color;
    InvalidateGutter();
}

void TqeCustomEdit::SetGutterWidth(int pixels)
{
    pixels = std::max(0, pixels);
    if (m_gutterWidth == pixels)
        return;
    m_gutterWidth = pixels;
    UpdateWindowSize();
    Invalidate();
}

void TqeCustomEdit::SetHideSelection(bool on)
{
    if (m_hideSelection == on)
        return;
    m_hideSelection = on;
    if (SelAvail())
        Invalidate();
}

void TqeCustomEdit::SetRightEdge(int column)
{
    if (m_rightEdge == column)
        return;
    m_rightEdge = column;
    Invalidate();
}

void TqeCustomEdit::SetScrollBars(TScrollStyle style)
{
    if (m_scrollBars == style)
        return;
    m_scrollBars = style;
    ApplyScrollBarPolicy();
    UpdateWindowSize();
    Invalidate();
}

void TqeCustomEdit::ApplyScrollBarPolicy()
{
    const bool vertical = m_scrollBars == ssVertical || m_scrollBars == ssBoth;
    const bool horizontal = m_scrollBars == ssHorizontal || m_scrollBars == ssBoth;
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TqeCustomEdit::SetBookmarkImages(TqeImageList* images)
{
    if (m_bookmarkImages == images)
        return;
    if (m_bookmarkImages)
        disconnect(m_bookmarkImages, nullptr, this, nullptr);
    m_bookmarkImages = images;
    if (images) {
        connect(images, &TqeImageList::Changed, this, &TqeCustomEdit::InvalidateGutter);
        connect(images, &QObject::destroyed, this, &TqeCustomEdit::OnBookmarkImagesDestroyed);
    }
    InvalidateGutter();
}

void TqeCustomEdit::OnBookmarkImagesDestroyed()
{
    m_bookmarkImages = nullptr;
    InvalidateGutter();
}

void TqeCustomEdit::SetInsertCaret(TCaretType type)
{
    Invalidate(CaretRect());
    m_insertCaret = type;
    Invalidate(CaretRect());
}

void TqeCustomEdit::SetOverwriteCaret(TCaretType type)
{
    Invalidate(CaretRect());
    m_overwriteCaret = type;
    Invalidate(CaretRect());
}

// --- behaviour ---------------------------------------------------------------------

void TqeCustomEdit::SetHighLighter(TqeCustomHighLighter* highlighter)
{
    if (m_highlighter == highlighter)
        return;
    if (m_highlighter) {
        m_highlighter->RemoveLinkedEditor(this);
        disconnect(m_highlighter, nullptr, this, nullptr);
    }
    m_highlighter = highlighter;
    if (highlighter) {
        highlighter->AddLinkedEditor(this);
        connect(highlighter, &TqeCustomHighLighter::AttributesChanged, this, [this] { Invalidate(); });
        connect(highlighter, &QObject::destroyed, this, &TqeCustomEdit::OnHighlighterDestroyed);
    }
    m_lines->SetHighlighter(highlighter);
    Invalidate();
}

void TqeCustomEdit::OnHighlighterDestroyed()
{
    m_highlighter = nullptr;
    m_lines->SetHighlighter(nullptr);
    Invalidate();
}

void TqeCustomEdit::SetInsertMode(bool on)
{
    if (m_insertMode == on)
        return;
    Invalidate(CaretRect());
    m_insertMode = on;
    Invalidate(CaretRect());
}

void TqeCustomEdit::SetScrollPastEOL(bool on)
{
    BeginUpdate();
    m_view->SetScrollPastEOL(on);
    EndUpdate();
}

void TqeCustomEdit::SetMaxUndo(int value)
{
    if (value < 0)
        return;
    m_undoList.SetMaxUndo(value);
    m_redoList.SetMaxUndo(value);
}

// --- commands ------------------------------------------------------------------------

void TqeCustomEdit::ResetKeystrokes()
{
    m_keystrokes.ResetDefaults();
}

void TqeCustomEdit::DoProcessCommand(TqeEditorCommand& command, QChar& aChar, void* data)
{
    if (command >= ecUserFirst) {
        if (OnProcessUserCommand)
            OnProcessUserCommand(this, command, aChar, data);
    } else if (OnProcessCommand) {
        OnProcessCommand(this, command, aChar, data);
    }
}

void TqeCustomEdit::ExecuteCommand(TqeEditorCommand command, QChar aChar, void* data)
{
    DoProcessCommand(command, aChar, data);
    if (command == ecNone || command >= ecUserFirst)
        return;
    BeginUpdate();
    try {
        CommandProcessor(command, aChar, data);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// --- keyboard -------------------------------------------------------------------------

bool TqeCustomEdit::focusNextPrevChild(bool next)
{
    // With WantTabs the Tab key is the editor's own.
    if (m_wantTabs)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TqeCustomEdit::keyPressEvent(QKeyEvent* event)
{
    bool handled = false;
    try {
        handled = KeyboardInput(event);
    } catch (const std::exception& e) {
        handled = true;
        qv::showException(QString::fromUtf8(e.what()));
    }
    // Keys the editor has no use for go on to the window (Esc, F2, ...).
    event->setAccepted(handled);
}

bool TqeCustomEdit::KeyboardInput(QKeyEvent* event)
{
    const TqeVirtualKey pressed = QtKeyToVirtualKey(*event);
    std::uint16_t key = pressed.Key;
    if (OnKeyDown)
        OnKeyDown(this, key, pressed.Shift);
    if (key != 0) {
        const int index = m_keystrokes.FindKeycode(key, pressed.Shift);
        const TqeEditorCommand command = index >= 0 ? m_keystrokes.Items(index)->Command() : ecNone;
        if (command != ecNone) {
            key = 0;
            ExecuteCommand(command, QChar(), nullptr);
            return true;
        }
    }
    // A binding or the handler took the key: no character follows from it.
    if (pressed.Key != 0 && key == 0)
        return true;
    // A template name before the caret becomes its text; the blank follows.
    if (m_allowCodeTemplates && key == vk::Space && !m_readOnly)
        ExpandCodeTemplate();
    // Alt with a key is a menu accelerator, not typing (AltGr is no Alt here);
    // Ctrl with a key is a command for the window, whatever text a platform
    // gives it (Ctrl with Alt is AltGr on some keyboards, and types).
    const Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::AltModifier | Qt::ControlModifier);
    if (modifiers == Qt::AltModifier || modifiers == Qt::ControlModifier)
        return false;
    return TypeText(event->text());
}

bool TqeCustomEdit::TypeText(const QString& text)
{
    bool typed = false;
    for (QChar ch : text) {
        if (OnKeyPress)
            OnKeyPress(this, ch);
        if (ch.unicode() >= 32 || ch.unicode() == 9)
            typed = true;
        ExecuteCommand(ecChar, ch, nullptr);
    }
    return typed;
}

void TqeCustomEdit::inputMethodEvent(QInputMethodEvent* event)
{
    try {
        TypeText(event->commitString());
    } catch (const std::exception& e) {
        qv::showException(QString::fromUtf8(e.what()));
    }
    event->accept();
}

// --- focus and caret -------------------------------------------------------------------

void TqeCustomEdit::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    RestartCaretBlink();
    Invalidate(CaretRect());
    if (m_hideSelection && SelAvail())
        InvalidateLines(m_view->SelStart().y(), m_view->SelEnd().y());
}

void TqeCustomEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_caretTimer.stop();
    Invalidate(CaretRectAt(CaretXY()));
    if (m_hideSelection && SelAvail())
        InvalidateLines(m_view->SelStart().y(), m_view->SelEnd().y());
}

void TqeCustomEdit::RestartCaretBlink()
{
    m_caretBlinkOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_caretTimer.start(flash / 2, this);
    else
        m_caretTimer.stop();
}

void TqeCustomEdit::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_caretTimer.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    m_caretBlinkOn = !m_caretBlinkOn;
    Invalidate(CaretRect());
}

QRect TqeCustomEdit::CaretRectAt(const QPoint& caret) const
{
    const int x = (caret.x() - 1) * m_charWidth + TextOrigin();
    const int y = (caret.y() - TopLine()) * m_lineHeight + 1;
    const int h = m_lineHeight - 2;
    QRect r;
    switch (m_insertMode ? m_insertCaret : m_overwriteCaret) {
    case ctVerticalLine: r = QRect(x - 1, y, 2, h); break;
    case ctHorizontalLine: r = QRect(x, y + m_lineHeight - 2, m_charWidth, 2); break;
    case ctHalfBlock: r = QRect(x, y + h / 2, m_charWidth, h / 2); break;
    case ctBlock: r = QRect(x, y, m_charWidth, h); break;
    }
    const QSize size = viewport()->size();
    if (x < m_gutterWidth || x > size.width() || y < 0 || y > size.height() - m_lineHeight)
        return {};
    return r;
}

QRect TqeCustomEdit::CaretRect() const
{
    if (!hasFocus())
        return {};
    return CaretRectAt(CaretXY());
}

bool TqeCustomEdit::SelectionShown() const
{
    return !(m_hideSelection && !hasFocus());
}

void TqeCustomEdit::OnCaretMoved(const QPoint& oldCaret)
{
    Invalidate(CaretRectAt(oldCaret));
    RestartCaretBlink();
    Invalidate(CaretRect());
}

// --- scrolling ---------------------------------------------------------------------------

QRect TqeCustomEdit::TextRect() const
{
    const QSize size = viewport()->size();
    const int left = m_gutterWidth + 2;
    return QRect(left, 0, std::max(0, size.width() - left), size.height());
}

void TqeCustomEdit::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateWindowSize();
}

void TqeCustomEdit::UpdateWindowSize()
{
    const QSize size = viewport()->size();
    const int textWidth = size.width() - m_gutterWidth - 2;
    m_view->SetWindowSize(textWidth > 0 ? textWidth / m_charWidth : 0, std::max(0, size.height()) / m_lineHeight);
    UpdateScrollBars();
}

void TqeCustomEdit::UpdateScrollBars()
{
    if (m_updateLock > 0)
        return;
    const bool wasSyncing = m_syncingScrollBars;
    m_syncingScrollBars = true;
    const int rows = LinesInWindow();
    const int chars = CharsInWindow();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, LineCount() - rows));
    v->setPageStep(std::max(1, rows));
    v->setSingleStep(1);
    v->setValue(TopLine() - 1);
    // Disabled rather than hidden when the text fits.
    v->setEnabled(LineCount() > rows);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, MaxLineWidth() - chars - 1));
    h->setPageStep(std::max(1, chars));
    h->setSingleStep(1);
    h->setValue(LeftChar() - 1);
    m_syncingScrollBars = wasSyncing;
}

void TqeCustomEdit::scrollContentsBy(int, int)
{
    if (m_syncingScrollBars)
        return;
    m_view->SetTopLine(verticalScrollBar()->value() + 1);
    m_view->SetLeftChar(horizontalScrollBar()->value() + 1);
}

void TqeCustomEdit::OnTopLineChanged(int oldTopLine)
{
    UpdateScrollBars();
    const int delta = oldTopLine - TopLine();
    if (m_updateLock > 0) {
        m_pendingFull = true;
        return;
    }
    // Small scrolls move the pixels and paint only the uncovered lines.
    if (std::abs(delta) < LinesInWindow())
        viewport()->scroll(0, delta * m_lineHeight);
    else
        viewport()->update();
}

void TqeCustomEdit::OnLeftCharChanged(int oldLeftChar)
{
    UpdateScrollBars();
    const int delta = oldLeftChar - LeftChar();
    if (m_updateLock > 0) {
        m_pendingFull = true;
        return;
    }
    if (std::abs(delta) < CharsInWindow())
        viewport()->scroll(delta * m_charWidth, 0, TextRect());
    else
        viewport()->update();
}

void TqeCustomEdit::OnLinesChanged()
{
    // Lines removed below the window leave nothing to show at the top.
    m_view->SetTopLine(TopLine());
    UpdateScrollBars();
}

// --- repainting ----------------------------------------------------------------------------

void TqeCustomEdit::Invalidate()
{
    if (m_updateLock > 0)
        m_pendingFull = true;
    else
        viewport()->update();
}

void TqeCustomEdit::Invalidate(const QRect& rect)
{
    if (rect.isEmpty())
        return;
    if (m_updateLock > 0)
        m_pendingRegion += rect;
    else
        viewport()->update(rect);
}

void TqeCustomEdit::InvalidateLines(int firstLine, int lastLine)
{
    if (lastLine < firstLine)
        std::swap(firstLine, lastLine);
    const int top = TopLine();
    const QSize size = viewport()->size();
    if (lastLine < top)
        return;
    const int firstRow = std::max(0, firstLine - top);
    const long long y0 = static_cast<long long>(firstRow) * m_lineHeight;
    if (y0 >= size.height())
        return;
    long long y1 = size.height();
    if (lastLine != INT_MAX)
        y1 = std::min<long long>(y1, static_cast<long long>(lastLine - top + 1) * m_lineHeight);
    Invalidate(QRect(0, static_cast<int>(y0), size.width(), static_cast<int>(y1 - y0)));
}

void TqeCustomEdit::InvalidateGutter()
{
    Invalidate(QRect(0, 0, m_gutterWidth + 2, viewport()->height()));
}
