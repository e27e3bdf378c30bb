// Mouse handling of the editor control: placing the caret and selecting,
// automatic scrolling while selecting outside the window, double-click word
// selection, link words, dragging the selection to move or copy it, the
// popup menu and the value hint of the word the mouse rests on.
#include "editor/qeCustomEdit.h"
#include "editor/qeCustomEditPrivate.h"
#include "editor/qeGeneralSyn.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <algorithm>

namespace {

// Runs an event or timer handler: what it raises is shown, never passed on
// into the event loop.
template <typename Handler>
void guarded(Handler&& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        qv::showException(QString::fromUtf8(e.what()));
    } catch (...) {
        qv::showException(QStringLiteral("Unknown error"));
    }
}

// Word characters of the word under the mouse: those of SQL names.
const TqeIdentChars& mouseWordChars()
{
    static const TqeIdentChars chars = [] {
        TqeIdentChars set;
        set.Include('$');
        set.Include('_');
        for (int c = '0'; c <= '9'; ++c)
            set.Include(c);
        for (int c = 'A'; c <= 'Z'; ++c) {
            set.Include(c);
            set.Include(c + ('a' - 'A'));
        }
        return set;
    }();
    return chars;
}

TShiftState shiftOf(Qt::KeyboardModifiers modifiers)
{
    TShiftState shift;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    return shift;
}

// Marks a drag as the selection of one of our editors: the process and the
// drag's number, so a drop recognises its own drag.
const QString kDragFormat = QStringLiteral("application/x-qorvane-editor-selection");

QByteArray dragKey(quint64 id)
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' + QByteArray::number(id);
}

TqeGeneralSyn* linkWords(TqeCustomHighLighter* highlighter)
{
    return qobject_cast<TqeGeneralSyn*>(highlighter);
}

} // namespace

void TqeCustomEdit::SetUpMouse()
{
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    setAcceptDrops(true);

    m_hintTimer.setSingleShot(true);
    m_hintTimer.setInterval(kHintDelay);
    connect(&m_hintTimer, &qv::Timer::timeout, this, [this] { guarded([this] { HintTimerTick(); }); });
    m_scrollTimer.setInterval(kAutoScrollInterval);
    connect(&m_scrollTimer, &qv::Timer::timeout, this, [this] { guarded([this] { AutoScrollTick(); }); });

    m_hintWindow = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
    m_hintWindow->setObjectName(QStringLiteral("HintWindow"));
    m_hintWindow->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_hintWindow->setAttribute(Qt::WA_ShowWithoutActivating);
    m_hintWindow->setWordWrap(true);
    m_hintWindow->setMargin(2);
    m_hintWindow->setForegroundRole(QPalette::ToolTipText);
    m_hintWindow->setBackgroundRole(QPalette::ToolTipBase);
    m_hintWindow->setAutoFillBackground(true);
    m_hintWindow->hide();
}

// --- positions and words -------------------------------------------------------------

QPoint TqeCustomEdit::PixelToText(const QPoint& pixel) const
{
    return {(LeftChar() * m_charWidth + pixel.x() - m_gutterWidth - 2) / m_charWidth,
            TopLine() + pixel.y() / m_lineHeight};
}

QString TqeCustomEdit::WordAt(const QPoint& textPos, const TqeIdentChars& chars, int* wordStart) const
{
    if (textPos.y() < 1 || textPos.y() > LineCount())
        return {};
    const QString& line = m_lines->Strings(textPos.y() - 1);
    const int len = static_cast<int>(line.size());
    const int i = textPos.x() - 1;
    if (i < 0 || i >= len)
        return {};
    int start = i;
    int end = i;
    if (chars.Contains(line.at(i))) {
        while (end < len && chars.Contains(line.at(end)))
            ++end;
    } else {
        // A word to the left counts up to the position, with the blanks
        // between.
        start = i - 1;
        while (start >= 0 && !chars.Contains(line.at(start)))
            --start;
        if (start < 0)
            return {};
    }
    while (start > 0 && chars.Contains(line.at(start - 1)))
        --start;
    if (wordStart)
        *wordStart = start + 1;
    return line.mid(start, end - start);
}

QString TqeCustomEdit::WordUnderMouse(const QPoint& pixel) const
{
    return WordAt(PixelToText(pixel), mouseWordChars(), nullptr);
}

// --- event entry points --------------------------------------------------------------

void TqeCustomEdit::mousePressEvent(QMouseEvent* event)
{
    guarded([&] { MousePress(event); });
    event->accept();
}

void TqeCustomEdit::mouseMoveEvent(QMouseEvent* event)
{
    guarded([&] { MouseMove(event); });
    event->accept();
}

void TqeCustomEdit::mouseReleaseEvent(QMouseEvent* event)
{
    guarded([&] { MouseRelease(event); });
    event->accept();
}

void TqeCustomEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    guarded([&] { MouseDoubleClick(event); });
    event->accept();
}

void TqeCustomEdit::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_popupMenu) {
        event->ignore();
        return;
    }
    guarded([&] { m_popupMenu->exec(event->globalPos()); });
    event->accept();
}

bool TqeCustomEdit::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        m_hintTimer.start();
        break;
    case QEvent::Leave:
        HideHint();
        m_hintTimer.stop();
        m_hintWord.clear();
        break;
    default: break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// --- buttons -----------------------------------------------------------------------------

void TqeCustomEdit::MousePress(QMouseEvent* event)
{
    const QPoint pixel = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    // The popup menu opens instead.
    if (button == Qt::RightButton && m_popupMenu)
        return;
    const bool hadSelection = SelAvail();
    if (hadSelection) {
        m_dragSelStart = m_view->SelStart();
        m_dragSelEnd = m_view->SelEnd();
    }
    m_mouseDownPixel = pixel;
    m_lastMousePixel = pixel;
    m_dragPending = false;
    if (OnMouseDown)
        OnMouseDown(this, button, shiftOf(event->modifiers()), pixel.x(), pixel.y());
    m_mouseCaptured = true;
    {
        const TqeUpdateLock lock(this);
        m_view->SetCaretXY(PixelToText(pixel));
        const QPoint caret = CaretXY();
        m_mouseDownCaret = caret;
        // Inside the selection (from its start, not at its end) a drag may
        // follow; positions compare by line, then column.
        if (hadSelection && !qePointLess(caret, m_dragSelStart) && qePointLess(caret, m_dragSelEnd)) {
            m_dragPending = true;
        } else if (!m_dblClicked) {
            if (event->modifiers() & Qt::ShiftModifier)
                m_view->SetBlockEnd(caret);
            else
                m_view->SetBlockBegin(caret);
        }
    }
    setFocus(Qt::MouseFocusReason);
    TqeGeneralSyn* syn = linkWords(m_highlighter);
    if (syn && OnHyperLinkClick) {
        const QString word = WordUnderMouse(pixel);
        if (syn->IsLinkWord(word))
            OnHyperLinkClick(this, word);
    }
}

void TqeCustomEdit::MouseMove(QMouseEvent* event)
{
    const QPoint pixel = event->position().toPoint();
    m_lastMousePixel = pixel;
    if (m_mouseCaptured && event->buttons() == Qt::NoButton) {
        // The release went elsewhere (a window opened by a link click).
        m_mouseCaptured = false;
        m_dragPending = false;
        m_scrollTimer.stop();
    }
    if (m_dragPending && m_mouseCaptured && !m_readOnly && (event->buttons() & Qt::LeftButton)) {
        const int distance = QApplication::startDragDistance();
        const QPoint moved = pixel - m_mouseDownPixel;
        if (std::abs(moved.x()) >= distance || std::abs(moved.y()) >= distance) {
            m_dragPending = false;
            StartDragging();
        }
        return;
    }
    UpdateMouseCursor(pixel);
    ArmValueHint(pixel);
    if (m_mouseCaptured && (event->buttons() & Qt::LeftButton)) {
        const TqeUpdateLock lock(this);
        m_view->SetCaretXY(PixelToText(pixel));
        m_view->SetBlockEnd(CaretXY());
        UpdateAutoScroll(pixel);
    }
}

void TqeCustomEdit::MouseRelease(QMouseEvent* event)
{
    const QPoint pixel = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    if (OnMouseUp)
        OnMouseUp(this, button, shiftOf(event->modifiers()), pixel.x(), pixel.y());
    if (button == Qt::RightButton && m_popupMenu)
        return;
    m_mouseCaptured = false;
    m_scrollTimer.stop();
    if (m_dragPending && !m_dblClicked) {
        // Pressed inside the selection but not dragged: a plain click.
        const TqeUpdateLock lock(this);
        m_view->SetCaretXY(PixelToText(pixel));
        m_view->SetBlockBegin(CaretXY());
    }
    m_dragPending = false;
    m_dblClicked = false;
}

void TqeCustomEdit::MouseDoubleClick(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint caret = CaretXY();
    int start = 0;
    const QString word = WordAt(caret, WordChars(), &start);
    if (!word.isEmpty()) {
        const TqeUpdateLock lock(this);
        const QPoint end(start + static_cast<int>(word.size()), caret.y());
        m_view->SetBlockBegin({start, caret.y()});
        m_view->SetCaretXY(end);
        m_view->SetBlockEnd(end);
    }
    if (OnDblClick)
        OnDblClick(this);
    m_dblClicked = true;
}

void TqeCustomEdit::UpdateMouseCursor(const QPoint& pixel)
{
    bool hand = false;
    if (TqeGeneralSyn* syn = linkWords(m_highlighter))
        hand = syn->IsLinkWord(WordUnderMouse(pixel));
    Qt::CursorShape shape = Qt::IBeamCursor;
    if (hand)
        shape = Qt::PointingHandCursor;
    else if (pixel.x() <= m_gutterWidth)
        shape = Qt::ArrowCursor;
    if (viewport()->cursor().shape() != shape)
        viewport()->setCursor(shape);
}

// --- scrolling while selecting -----------------------------------------------------------

void TqeCustomEdit::UpdateAutoScroll(const QPoint& pixel)
{
    const QSize size = viewport()->size();
    const bool outside = pixel.x() < m_gutterWidth || pixel.x() >= size.width() || pixel.y() < 0
                         || pixel.y() >= size.height();
    if (outside && m_mouseCaptured) {
        if (!m_scrollTimer.isActive())
            m_scrollTimer.start();
    } else {
        m_scrollTimer.stop();
    }
}

void TqeCustomEdit::AutoScrollTick()
{
    if (!m_mouseCaptured) {
        m_scrollTimer.stop();
        return;
    }
    const QPoint p = m_lastMousePixel;
    const QSize size = viewport()->size();
    const int rows = std::max(1, LinesInWindow());
    const int chars = std::max(1, CharsInWindow());
    const TqeUpdateLock lock(this);
    QPoint caret = CaretXY();
    if (p.x() < m_gutterWidth) {
        m_view->SetLeftChar(LeftChar() - 1);
        caret.setX(LeftChar());
    } else if (p.x() >= size.width()) {
        m_view->SetLeftChar(LeftChar() + 1);
        caret.setX(LeftChar() + chars - 1);
    }
    // More than 10 pixels beyond the edge scrolls a page at a time.
    if (p.y() < 0) {
        m_view->SetTopLine(TopLine() - (p.y() < -10 ? rows : 1));
        caret.setY(TopLine());
    } else if (p.y() >= size.height()) {
        m_view->SetTopLine(TopLine() + (p.y() >= size.height() + 10 ? rows : 1));
        caret.setY(std::min(TopLine() + rows - 1, std::max(1, LineCount())));
    }
    m_view->SetCaretXY(caret);
    m_view->SetBlockEnd(CaretXY());
}

// --- drag and drop ------------------------------------------------------------------------

Qt::DropAction TqeCustomEdit::ExecDrag(QDrag* drag)
{
    return drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

void TqeCustomEdit::StartDragging()
{
    static quint64 lastDragId = 0;
    m_dragId = ++lastDragId;
    auto* data = new QMimeData;
    data->setText(SelText());
    data->setData(kDragFormat, dragKey(m_dragId));
    QPointer<QDrag> drag = new QDrag(this);
    drag->setMimeData(data);
    m_dragging = true;
    try {
        ExecDrag(drag);
    } catch (...) {
        m_dragging = false;
        if (drag)
            drag->deleteLater();
        throw;
    }
    m_dragging = false;
    if (drag)
        drag->deleteLater();
}

bool TqeCustomEdit::IsOwnDrag(const QMimeData* data) const
{
    return m_dragging && data && data->hasFormat(kDragFormat) && data->data(kDragFormat) == dragKey(m_dragId);
}

void TqeCustomEdit::dragEnterEvent(QDragEnterEvent* event)
{
    // Only our editors' selections are taken.
    if (!event->mimeData() || !event->mimeData()->hasFormat(kDragFormat)) {
        event->ignore();
        return;
    }
    event->setDropAction((event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void TqeCustomEdit::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData() || !event->mimeData()->hasFormat(kDragFormat)) {
        event->ignore();
        return;
    }
    event->setDropAction((event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    guarded([&] {
        const TqeUpdateLock lock(this);
        m_view->SetCaretXY(PixelToText(event->position().toPoint()));
    });
}

void TqeCustomEdit::dragLeaveEvent(QDragLeaveEvent* event)
{
    guarded([&] {
        const TqeUpdateLock lock(this);
        m_view->SetCaretXY(m_mouseDownCaret);
    });
    event->accept();
}

void TqeCustomEdit::dropEvent(QDropEvent* event)
{
    if (m_readOnly || !IsOwnDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    const bool copy = event->modifiers() & Qt::ControlModifier;
    guarded([&] {
        const TqeUpdateLock lock(this);
        const bool pastEOL = ScrollPastEOL();
        m_view->SetScrollPastEOL(true);
        m_view->SetCaretXY(PixelToText(event->position().toPoint()));
        const QPoint at = CaretXY();
        m_view->SetScrollPastEOL(pastEOL, true);
        DropSelection(at, copy);
    });
    m_dragPending = false;
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

void TqeCustomEdit::DropSelection(const QPoint& dropAt, bool copy)
{
    const QPoint s = m_dragSelStart;
    const QPoint e = m_dragSelEnd;
    if (s == e)
        return;
    // A move onto its own range (ends included) would change nothing; a copy
    // at either end is a real copy. Positions compare by line, then column,
    // whatever the lines' lengths.
    const bool inside = copy ? (qePointLess(s, dropAt) && qePointLess(dropAt, e))
                             : (!qePointLess(dropAt, s) && !qePointLess(e, dropAt));
    if (inside) {
        m_view->SetCaretXY(m_mouseDownCaret);
        return;
    }
    m_view->SetBlockBegin(s);
    m_view->SetBlockEnd(e);
    m_view->SetCaretXY(m_mouseDownCaret);
    const QString text = m_view->SelText();
    QPoint at = dropAt;
    if (!copy) {
        UndoStep removal(this);
        m_view->SetSelText(QString());
        removal.Commit(crDragDropDelete, s, text, e);
        // The drop position moves with the text after the removed part.
        if (at.y() == e.y()) {
            at = QPoint(at.x() - e.x() + s.x(), s.y());
        } else if (at.y() > e.y()) {
            at.setY(at.y() - (e.y() - s.y()));
        }
    }
    UndoStep insertion(this);
    const bool pastEOL = ScrollPastEOL();
    m_view->SetScrollPastEOL(true);
    m_view->SetCaretXY(at);
    m_view->CollapseBlock();
    m_view->SetSelText(text);
    const QPoint end = CaretXY();
    m_view->SetScrollPastEOL(pastEOL, true);
    m_view->SetBlockBegin(at);
    m_view->SetBlockEnd(end);
    insertion.Commit(crDragDropInsert, at, QString(), end);
}

// --- value hint ----------------------------------------------------------------------------

void TqeCustomEdit::ArmValueHint(const QPoint& pixel)
{
    m_hintTimer.stop();
    const QString word = WordUnderMouse(pixel);
    if (!word.isEmpty() && m_varList.Contains(word)) {
        m_hintWord = word;
        m_hintPoint = pixel;
        m_hintTimer.start();
    } else {
        m_hintWord.clear();
        HideHint();
    }
}

void TqeCustomEdit::SetVarList(const QStringList& list)
{
    m_varList.Assign(list);
    if (m_hintWindow && m_hintWindow->isVisible())
        HintTimerTick();
}

void TqeCustomEdit::HintTimerTick()
{
    m_hintTimer.stop();
    HideHint();
    if (m_varList.IsEmpty() || m_hintWord.isEmpty())
        return;
    // The entry after the word's own is its text; a word no longer in the
    // list, or one without a text of its own, shows nothing.
    const int index = m_varList.IndexOf(m_hintWord);
    if (index < 0 || index + 1 >= m_varList.Count())
        return;
    const QString& entry = m_varList[index + 1];
    const qsizetype n = m_hintWord.size();
    if (entry.size() <= n || QStringView(entry).left(n).compare(m_hintWord, Qt::CaseInsensitive) != 0
        || mouseWordChars().Contains(entry.at(n)))
        return;
    m_hintWindow->setText(entry);
    const QFontMetrics fm(m_hintWindow->font());
    const QRect text = fm.boundingRect(QRect(0, 0, 200, 10000), Qt::TextWordWrap, entry);
    const int margin = 2 * m_hintWindow->margin();
    m_hintWindow->resize(text.width() + margin + 2, text.height() + margin);
    // Just below the word, so the hint never sits under the pointer.
    m_hintWindow->move(viewport()->mapToGlobal(m_hintPoint + QPoint(0, m_lineHeight)));
    m_hintWindow->show();
}

void TqeCustomEdit::HideHint()
{
    if (m_hintWindow && m_hintWindow->isVisible())
        m_hintWindow->hide();
}

QString TqeCustomEdit::HintText() const
{
    return m_hintWindow && m_hintWindow->isVisible() ? m_hintWindow->text() : QString();
}
