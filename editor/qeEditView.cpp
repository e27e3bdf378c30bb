#include "editor/qeEditView.h"

#include "editor/qeEditList.h"
#include "editor/qeMarks.h"

#include <algorithm>
#include <climits>

namespace {

// Drops trailing blanks and control characters, as every line the editor
// itself writes is kept.
QString trimRight(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).unicode() <= u' ')
        --n;
    return n == text.size() ? text : text.left(n);
}

// Splits inserted text into lines. Every line break counts (CR LF, a bare
// LF, a bare CR); a break at the end gives a final empty piece, so the caret
// ends at the start of a new line.
QStringList splitInserted(const QString& text)
{
    QStringList pieces;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        pieces.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1).unicode() == u'\n')
            ++i;
        start = i + 1;
    }
    pieces.append(text.mid(start));
    return pieces;
}

} // namespace

TqeEditView::TqeEditView(TqeEditList* lines, TMarkList* marks, QObject* parent)
    : QObject(parent)
    , m_lines(lines)
    , m_marks(marks)
{
    connect(m_lines, &TqeEditList::Cleared, this, &TqeEditView::OnCleared);
    connect(m_lines, &TqeEditList::Changed, this, &TqeEditView::OnChanged);
}

int TqeEditView::LineLength(int line) const
{
    if (line < 1 || line > m_lines->Count())
        return 0;
    return static_cast<int>(m_lines->Strings(line - 1).size());
}

int TqeEditView::MaxLineWidth() const
{
    return std::max(kMinMaxLineWidth, m_lines->MaxLineLength() + 1 + m_charsInWindow);
}

int TqeEditView::MaxCaretX() const
{
    return std::max(1, MaxLineWidth() - m_charsInWindow);
}

void TqeEditView::SetWindowSize(int charsInWindow, int linesInWindow)
{
    m_charsInWindow = std::max(0, charsInWindow);
    m_linesInWindow = std::max(0, linesInWindow);
    SetLeftChar(m_leftChar);
}

void TqeEditView::SetScrollPastEOL(bool on, bool keepCaret)
{
    if (m_scrollPastEOL == on)
        return;
    m_scrollPastEOL = on;
    if (!on && !keepCaret)
        SetCaretX(m_caretX);
}

void TqeEditView::MoveCaret(int x, int y)
{
    if (x == m_caretX && y == m_caretY)
        return;
    const QPoint old(m_caretX, m_caretY);
    m_caretX = x;
    m_caretY = y;
    emit CaretMoved(old);
}

void TqeEditView::SetCaretX(int column)
{
    int x = std::max(1, column);
    if (m_scrollPastEOL) {
        x = std::min(x, MaxCaretX());
    } else {
        x = std::min(x, LineLength(m_caretY) + 1);
        const int chars = std::max(1, m_charsInWindow);
        if (x >= m_leftChar + chars)
            SetLeftChar(x - chars + 1);
        else if (x < m_leftChar)
            SetLeftChar(x);
    }
    MoveCaret(x, m_caretY);
    EnsureCursorPosVisible();
}

void TqeEditView::SetCaretY(int line)
{
    const int y = std::clamp(line, 1, std::max(1, m_lines->Count()));
    int x = m_caretX;
    if (!m_scrollPastEOL)
        x = std::min(x, LineLength(y) + 1);
    MoveCaret(x, y);
    SetCaretX(x);
}

void TqeEditView::SetCaretXY(const QPoint& caret)
{
    // Both at once: scrolling for a passing position (the old column on the
    // new line) would lose the view's place.
    const int y = std::clamp(caret.y(), 1, std::max(1, m_lines->Count()));
    int x = std::max(1, caret.x());
    if (m_scrollPastEOL) {
        x = std::min(x, MaxCaretX());
    } else {
        x = std::min(x, LineLength(y) + 1);
        const int chars = std::max(1, m_charsInWindow);
        if (x >= m_leftChar + chars)
            SetLeftChar(x - chars + 1);
        else if (x < m_leftChar)
            SetLeftChar(x);
    }
    MoveCaret(x, y);
    EnsureCursorPosVisible();
}

void TqeEditView::EnsureCursorPosVisible()
{
    const int chars = std::max(1, m_charsInWindow);
    const int rows = std::max(1, m_linesInWindow);
    if (m_caretX < m_leftChar)
        SetLeftChar(m_caretX);
    else if (m_caretX > m_leftChar + chars)
        SetLeftChar(m_caretX - chars + 1);
    if (m_caretY < m_topLine)
        SetTopLine(m_caretY);
    else if (m_caretY > m_topLine + rows - 1)
        SetTopLine(m_caretY - rows + 1);
}

void TqeEditView::RestoreState(const TqeEditState& state)
{
    const int lastLine = std::max(1, m_lines->Count());
    const auto clampPoint = [&](const QPoint& p) {
        return QPoint(std::clamp(p.x(), 1, MaxLineWidth()), std::clamp(p.y(), 1, lastLine));
    };
    const QPoint caret = clampPoint(state.Caret);
    MoveCaret(caret.x(), caret.y());
    const bool hadSelection = SelAvail();
    const QPoint oldStart = SelStart();
    const QPoint oldEnd = SelEnd();
    m_blockBegin = clampPoint(state.BlockBegin);
    m_blockEnd = clampPoint(state.BlockEnd);
    if (hadSelection)
        emit SelectionChanged(oldStart.y(), oldEnd.y());
    if (SelAvail())
        emit SelectionChanged(SelStart().y(), SelEnd().y());
    EnsureCursorPosVisible();
}

void TqeEditView::SetTopLine(int line)
{
    const int top = std::clamp(line, 1, std::max(1, m_lines->Count()));
    if (top == m_topLine)
        return;
    const int old = m_topLine;
    m_topLine = top;
    emit TopLineChanged(old);
}

void TqeEditView::SetLeftChar(int column)
{
    const int left = std::clamp(column, 1, std::max(1, MaxLineWidth() - m_charsInWindow));
    if (left == m_leftChar)
        return;
    const int old = m_leftChar;
    m_leftChar = left;
    emit LeftCharChanged(old);
}

QPoint TqeEditView::ClampBlockPoint(const QPoint& point) const
{
    return {std::clamp(point.x(), 1, MaxLineWidth()), std::clamp(point.y(), 1, std::max(1, m_lines->Count()))};
}

void TqeEditView::SetBlockBegin(const QPoint& point)
{
    const QPoint p = ClampBlockPoint(point);
    const bool hadSelection = SelAvail();
    const QPoint oldStart = SelStart();
    const QPoint oldEnd = SelEnd();
    m_blockBegin = p;
    m_blockEnd = p;
    if (hadSelection)
        emit SelectionChanged(oldStart.y(), oldEnd.y());
}

void TqeEditView::SetBlockEnd(const QPoint& point)
{
    const QPoint p = ClampBlockPoint(point);
    if (p == m_blockEnd)
        return;
    const QPoint old = m_blockEnd;
    m_blockEnd = p;
    emit SelectionChanged(std::min(old.y(), p.y()), std::max(old.y(), p.y()));
}

void TqeEditView::CollapseBlock()
{
    SetBlockBegin(CaretXY());
}

QPoint TqeEditView::SelStart() const
{
    const bool beginFirst = m_blockBegin.y() < m_blockEnd.y()
                            || (m_blockBegin.y() == m_blockEnd.y() && m_blockBegin.x() <= m_blockEnd.x());
    return beginFirst ? m_blockBegin : m_blockEnd;
}

QPoint TqeEditView::SelEnd() const
{
    const bool beginFirst = m_blockBegin.y() < m_blockEnd.y()
                            || (m_blockBegin.y() == m_blockEnd.y() && m_blockBegin.x() <= m_blockEnd.x());
    return beginFirst ? m_blockEnd : m_blockBegin;
}

QString TqeEditView::SelText() const
{
    if (!SelAvail())
        return {};
    const QPoint s = SelStart();
    const QPoint e = SelEnd();
    if (s.y() == e.y())
        return m_lines->LineOrEmpty(s.y() - 1).mid(s.x() - 1, e.x() - s.x());
    QString text = m_lines->LineOrEmpty(s.y() - 1).mid(s.x() - 1);
    for (int line = s.y() + 1; line < e.y(); ++line) {
        text += QLatin1String("\r\n");
        text += m_lines->LineOrEmpty(line - 1);
    }
    text += QLatin1String("\r\n");
    text += m_lines->LineOrEmpty(e.y() - 1).left(e.x() - 1);
    return text;
}

TqeEditView::LineSelection TqeEditView::SelectionOnLine(int line) const
{
    LineSelection sel;
    if (!SelAvail())
        return sel;
    const QPoint s = SelStart();
    const QPoint e = SelEnd();
    if (line < s.y() || line > e.y())
        return sel;
    if (s.y() == e.y()) {
        sel.from = s.x() - 1;
        sel.to = std::min(e.x() - 1, LineLength(line));
    } else if (line == s.y()) {
        sel.from = s.x() - 1;
        sel.to = INT_MAX;
        sel.fillRest = true;
    } else if (line == e.y()) {
        sel.from = 0;
        sel.to = std::min(e.x() - 1, LineLength(line));
    } else {
        sel.from = 0;
        sel.to = INT_MAX;
        sel.fillRest = true;
    }
    sel.any = sel.fillRest || sel.from < sel.to;
    return sel;
}

void TqeEditView::DeleteSelection()
{
    const int count = m_lines->Count();
    const QPoint s = SelStart();
    const QPoint e = SelEnd();
    if (count == 0) {
        MoveCaret(1, 1);
        return;
    }
    const int first = std::clamp(s.y(), 1, count);
    const int last = std::clamp(e.y(), 1, count);
    const QString head = m_lines->Strings(first - 1).left(s.x() - 1);
    const QString tail = m_lines->Strings(last - 1).mid(e.x() - 1);
    m_lines->Put(first - 1, trimRight(head + tail));
    const int removed = last - first;
    if (removed > 0) {
        m_lines->DeleteLines(first, removed);
        if (m_marks) {
            for (int i = 0; i < m_marks->Count(); ++i) {
                TMark* mark = m_marks->Items(i);
                if (mark->Line() > first && mark->Line() < last)
                    mark->SetLine(first);
                else if (mark->Line() >= last)
                    mark->SetLine(mark->Line() - removed);
            }
        }
    }
    MoveCaret(s.x(), first);
    m_blockBegin = m_blockEnd = CaretXY();
}

void TqeEditView::InsertAtCaret(const QString& text)
{
    if (text.isEmpty())
        return;
    const QStringList pieces = splitInserted(text);
    if (m_lines->Count() == 0)
        m_lines->Add(QString());
    const int y = std::clamp(m_caretY, 1, m_lines->Count());
    const int x = m_caretX;
    QString line = m_lines->Strings(y - 1);
    if (line.size() < x - 1)
        line += QString(x - 1 - line.size(), QLatin1Char(' '));
    const QString left = line.left(x - 1);
    const QString right = line.mid(x - 1);
    if (pieces.size() == 1) {
        m_lines->Put(y - 1, left + pieces.first() + right);
        MoveCaret(x + static_cast<int>(pieces.first().size()), y);
        return;
    }
    const int added = static_cast<int>(pieces.size()) - 1;
    m_lines->Put(y - 1, left + pieces.first());
    QStringList rest = pieces.mid(1);
    rest.last() += right;
    m_lines->InsertLines(y, rest);
    if (m_marks) {
        for (int i = 0; i < m_marks->Count(); ++i) {
            TMark* mark = m_marks->Items(i);
            if (mark->Line() >= y)
                mark->SetLine(mark->Line() + added);
        }
    }
    MoveCaret(static_cast<int>(pieces.last().size()) + 1, y + added);
}

void TqeEditView::SetSelText(const QString& text)
{
    m_lines->BeginUpdate();
    try {
        if (SelAvail())
            DeleteSelection();
        InsertAtCaret(text);
    } catch (...) {
        m_lines->EndUpdate();
        throw;
    }
    m_lines->EndUpdate();
    EnsureCursorPosVisible();
}

void TqeEditView::OnCleared()
{
    MoveCaret(1, 1);
    SetLeftChar(1);
    SetTopLine(1);
}

void TqeEditView::OnChanged()
{
    CollapseBlock();
}
