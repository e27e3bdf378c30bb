// What the editor commands do: moves, edits with their undo records, the
// clipboard, code templates and bookmarks.
#include "editor/qeCustomEdit.h"
#include "editor/qeCustomEditPrivate.h"
#include "editor/qeHighlighter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>

namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= u' ';
}

QString trimRight(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && isBlank(text.at(n - 1)))
        --n;
    return n == text.size() ? text : text.left(n);
}

// Leading characters up to and including the blank.
int indentation(const QString& line)
{
    int n = 0;
    while (n < line.size() && isBlank(line.at(n)))
        ++n;
    return n;
}

const QString kLineBreak = QStringLiteral("\r\n");

} // namespace

// --- dispatch ----------------------------------------------------------------------

void TqeCustomEdit::CommandProcessor(TqeEditorCommand command, QChar aChar, void* data)
{
    if ((command >= ecLeft && command <= ecGotoXY) || (command >= ecSelLeft && command <= ecSelGotoXY)) {
        MoveCommand(command, data);
        return;
    }
    if (command >= ecDeleteLastChar && command <= ecChar) {
        if (!m_readOnly)
            EditCommand(command, aChar);
        return;
    }
    if ((command >= ecGotoMarker0 && command <= ecGotoMarker9)
        || (command >= ecSetMarker0 && command <= ecSetMarker9)) {
        BookmarkCommand(command);
        return;
    }
    switch (command) {
    case ecSelectAll: SelectAll(); break;
    case ecUndo: Undo(); break;
    case ecRedo: Redo(); break;
    case ecCut: CutToClipboard(); break;
    case ecCopy: CopyToClipboard(); break;
    case ecPaste: PasteFromClipboard(); break;
    case ecScrollUp:
    case ecScrollDown:
    case ecScrollLeft:
    case ecScrollRight: ScrollCommand(command); break;
    case ecInsertMode: SetInsertMode(true); break;
    case ecOverwriteMode: SetInsertMode(false); break;
    case ecToggleMode: SetInsertMode(!m_insertMode); break;
    default: break;  // ecBlockIndent, ecBlockUnindent: only OnProcessCommand
    }
}

// --- moves -------------------------------------------------------------------------

void TqeCustomEdit::MoveCommand(TqeEditorCommand command, void* data)
{
    const bool select = command > ecSelection;
    const TqeEditorCommand move = select ? TqeEditorCommand(command - ecSelection) : command;
    if (move == ecGotoXY && !data)
        return;
    const QPoint old = CaretXY();
    const int rows = LinesInWindow();
    const int chars = CharsInWindow();
    const auto lineLength = [this](int line) { return static_cast<int>(m_lines->LineOrEmpty(line - 1).size()); };
    if (select && !SelAvail())
        m_view->SetBlockBegin(old);
    switch (move) {
    case ecLeft:
        if (old.x() > 1)
            m_view->SetCaretX(old.x() - 1);
        else if (!ScrollPastEOL() && old.y() > 1)
            m_view->SetCaretXY({lineLength(old.y() - 1) + 1, old.y() - 1});
        break;
    case ecRight:
        if (!ScrollPastEOL() && old.x() > lineLength(old.y())) {
            if (old.y() < LineCount())
                m_view->SetCaretXY({1, old.y() + 1});
        } else {
            m_view->SetCaretX(old.x() + 1);
        }
        break;
    case ecUp: m_view->SetCaretY(old.y() - 1); break;
    case ecDown: m_view->SetCaretY(old.y() + 1); break;
    case ecWordLeft: m_view->SetCaretXY(PrevWordPos()); break;
    case ecWordRight: m_view->SetCaretXY(NextWordPos()); break;
    case ecLineStart: m_view->SetCaretX(1); break;
    case ecLineEnd: m_view->SetCaretX(lineLength(old.y()) + 1); break;
    case ecPageUp:
        m_view->SetTopLine(TopLine() - rows);
        m_view->SetCaretY(old.y() - rows);
        break;
    case ecPageDown:
        m_view->SetTopLine(TopLine() + rows);
        m_view->SetCaretY(old.y() + rows);
        break;
    case ecPageLeft:
        m_view->SetLeftChar(LeftChar() - chars);
        m_view->SetCaretX(old.x() - chars);
        break;
    case ecPageRight:
        m_view->SetLeftChar(LeftChar() + chars);
        m_view->SetCaretX(old.x() + chars);
        break;
    case ecPageTop: m_view->SetCaretY(TopLine()); break;
    case ecPageBottom: m_view->SetCaretY(TopLine() + std::max(1, rows) - 1); break;
    case ecEditorTop: m_view->SetCaretXY({1, 1}); break;
    case ecEditorBottom: {
        const int last = std::max(1, LineCount());
        m_view->SetCaretY(last);
        m_view->SetTopLine(last - rows + 1);
        // The column last, so that a long last line still shows the caret.
        m_view->SetLeftChar(1);
        m_view->SetCaretX(lineLength(last) + 1);
        break;
    }
    case ecGotoXY: m_view->SetCaretXY(*static_cast<const QPoint*>(data)); break;
    default: break;
    }
    if (select)
        m_view->SetBlockEnd(CaretXY());
    else
        m_view->CollapseBlock();
}

void TqeCustomEdit::ScrollCommand(TqeEditorCommand command)
{
    const int rows = std::max(1, LinesInWindow());
    const int chars = std::max(1, CharsInWindow());
    switch (command) {
    case ecScrollUp:
        m_view->SetTopLine(TopLine() - 1);
        if (CaretY() > TopLine() + rows - 1)
            m_view->SetCaretY(TopLine() + rows - 1);
        break;
    case ecScrollDown:
        m_view->SetTopLine(TopLine() + 1);
        if (CaretY() < TopLine())
            m_view->SetCaretY(TopLine());
        break;
    case ecScrollLeft:
        m_view->SetLeftChar(LeftChar() - 1);
        if (CaretX() > LeftChar() + chars)
            m_view->SetCaretX(LeftChar() + chars);
        break;
    case ecScrollRight:
        m_view->SetLeftChar(LeftChar() + 1);
        if (CaretX() < LeftChar())
            m_view->SetCaretX(LeftChar());
        break;
    default: break;
    }
}

void TqeCustomEdit::SelectAll()
{
    const TqeUpdateLock lock(this);
    m_view->SetBlockBegin({1, 1});
    if (LineCount() == 0)
        return;
    const QPoint end(static_cast<int>(m_lines->Strings(LineCount() - 1).size()) + 1, LineCount());
    m_view->SetCaretXY(end);
    m_view->SetBlockEnd(end);
}

// --- words -------------------------------------------------------------------------

TqeIdentChars TqeCustomEdit::WordChars() const
{
    if (m_highlighter)
        return m_highlighter->GetIdentChars();
    TqeIdentChars chars = TqeIdentChars::Range(33, 255);
    chars.SetAbove255(true);
    return chars;
}

QPoint TqeCustomEdit::NextWordPos() const
{
    return WordPos(CaretXY(), true);
}

QPoint TqeCustomEdit::PrevWordPos() const
{
    return WordPos(CaretXY(), false);
}

QPoint TqeCustomEdit::WordPos(const QPoint& from, bool forward) const
{
    const int count = LineCount();
    if (count == 0)
        return {1, 1};
    const TqeIdentChars chars = WordChars();
    const int y = std::clamp(from.y(), 1, count);
    const int x = std::max(1, from.x());
    const QString& line = m_lines->Strings(y - 1);
    const int len = static_cast<int>(line.size());
    if (forward) {
        if (x - 1 < len) {
            int i = x - 1;
            while (i < len && chars.Contains(line.at(i)))
                ++i;
            while (i < len && !chars.Contains(line.at(i)))
                ++i;
            return {i + 1, y};
        }
        if (y < count) {
            const QString& next = m_lines->Strings(y);
            int i = 0;
            while (i < next.size() && !chars.Contains(next.at(i)))
                ++i;
            return {i < next.size() ? i + 1 : 1, y + 1};
        }
        return {len + 1, y};
    }
    if (x <= 1) {
        if (y > 1)
            return {static_cast<int>(m_lines->Strings(y - 2).size()) + 1, y - 1};
        return {1, 1};
    }
    int i = std::min(x - 1, len);
    while (i > 0 && !chars.Contains(line.at(i - 1)))
        --i;
    while (i > 0 && chars.Contains(line.at(i - 1)))
        --i;
    return {i + 1, y};
}

// --- edits -------------------------------------------------------------------------

void TqeCustomEdit::EditCommand(TqeEditorCommand command, QChar aChar)
{
    switch (command) {
    case ecDeleteLastChar: DeleteLastChar(); break;
    case ecDeleteChar: DeleteChar(); break;
    case ecDeleteWord: {
        const QPoint from = CaretXY();
        const QPoint to = NextWordPos();
        if (qePointLess(from, to))
            DeleteRange(from, to, crDeleteAfterCursor);
        break;
    }
    case ecDeleteLastWord: {
        const QPoint from = PrevWordPos();
        const QPoint to = CaretXY();
        if (qePointLess(from, to))
            DeleteRange(from, to, crDeleteAfterCursor);
        break;
    }
    case ecDeleteBOL: {
        const QPoint to = CaretXY();
        if (to.x() > 1)
            DeleteRange({1, to.y()}, to, crDelete);
        break;
    }
    case ecDeleteEOL: {
        const QPoint from = CaretXY();
        const int len = static_cast<int>(m_lines->LineOrEmpty(from.y() - 1).size());
        if (from.x() <= len)
            DeleteRange(from, {len + 1, from.y()}, crDeleteAfterCursor);
        break;
    }
    case ecDeleteLine: DeleteLine(); break;
    case ecClearAll: ClearAll(); break;
    case ecLineBreak: LineBreak(true); break;
    case ecInsertLine: LineBreak(false); break;
    case ecChar: TypeChar(aChar); break;
    default: break;
    }
}

void TqeCustomEdit::DeleteRange(const QPoint& from, const QPoint& to, quint8 kind)
{
    UndoStep step(this);
    m_view->SetBlockBegin(from);
    m_view->SetBlockEnd(to);
    const QPoint start = m_view->SelStart();
    const QPoint end = m_view->SelEnd();
    const QString text = m_view->SelText();
    m_view->SetSelText(QString());
    step.Commit(kind, start, text, end);
}

void TqeCustomEdit::DeleteLastChar()
{
    if (SelAvail()) {
        DeleteRange(m_view->SelStart(), m_view->SelEnd(), crDelete);
        return;
    }
    const QPoint caret = CaretXY();
    const int y = caret.y();
    if (y < 1 || y > LineCount())
        return;
    const QString line = m_lines->Strings(y - 1);
    const int len = static_cast<int>(line.size());
    if (caret.x() > len + 1) {
        // Beyond the line end only the caret moves back.
        UndoStep step(this);
        m_view->SetCaretX(caret.x() - 1);
        m_view->CollapseBlock();
        step.Commit(crDelete, CaretXY(), QString(), caret);
        return;
    }
    if (caret.x() > 1) {
        const int before = caret.x() - 1;
        if (indentation(line) >= before) {
            // Right after leading blanks: back to the indentation of a line
            // above that is indented less. Without one, one blank goes.
            for (int i = y - 1; i >= 2; --i) {
                const int indent = indentation(m_lines->Strings(i - 1));
                if (indent < before) {
                    DeleteRange({indent + 1, y}, caret, crDelete);
                    return;
                }
            }
        }
        DeleteRange({caret.x() - 1, y}, caret, crDelete);
        return;
    }
    if (y > 1) {
        const QPoint joinAt(static_cast<int>(m_lines->Strings(y - 2).size()) + 1, y - 1);
        UndoStep step(this);
        m_view->SetBlockBegin(joinAt);
        m_view->SetBlockEnd({1, y});
        m_view->SetSelText(QString());
        step.Commit(crDelete, joinAt, kLineBreak, {1, y});
    }
}

void TqeCustomEdit::DeleteChar()
{
    if (SelAvail()) {
        DeleteRange(m_view->SelStart(), m_view->SelEnd(), crDelete);
        return;
    }
    const QPoint caret = CaretXY();
    const int y = caret.y();
    if (y < 1 || y > LineCount())
        return;
    const QString line = m_lines->Strings(y - 1);
    const int len = static_cast<int>(line.size());
    if (caret.x() <= len) {
        DeleteRange(caret, {caret.x() + 1, y}, crDelete);
        return;
    }
    if (y >= LineCount())
        return;
    // At or beyond the line end: the next line joins this one at the caret.
    UndoStep step(this);
    const QString padded = line + QString(caret.x() - 1 - len, QLatin1Char(' '));
    m_lines->BeginUpdate();
    try {
        m_lines->Put(y - 1, trimRight(padded + m_lines->Strings(y)));
        m_lines->Delete(y);
    } catch (...) {
        m_lines->EndUpdate();
        throw;
    }
    m_lines->EndUpdate();
    ShiftMarks(y + 1, -1);
    m_view->CollapseBlock();
    step.Commit(crDelete, caret, kLineBreak, {1, y + 1});
}

void TqeCustomEdit::DeleteLine()
{
    const int count = LineCount();
    if (count == 0)
        return;
    const int y = std::clamp(CaretY(), 1, count);
    const QString text = m_lines->Strings(y - 1);
    if (count == 1 && text.isEmpty())
        return;
    m_view->CollapseBlock();
    UndoStep step(this);
    if (count == 1) {
        // An empty text keeps one empty line.
        m_lines->Put(0, QString());
    } else {
        m_lines->Delete(y - 1);
        ShiftMarks(y + 1, -1);
        if (y > LineCount()) {
            for (int i = 0; i < m_marks->Count(); ++i)
                if (m_marks->Items(i)->Line() > LineCount())
                    m_marks->Items(i)->SetLine(LineCount());
        }
    }
    m_view->SetCaretY(y);
    m_view->CollapseBlock();
    step.Commit(crDeleteAfterCursor, {1, y}, text + kLineBreak, {1, y + 1});
}

void TqeCustomEdit::LineBreak(bool moveCaret)
{
    UndoStep step(this);
    if (LineCount() == 0)
        m_lines->Add(QString());
    const QPoint caret(CaretX(), std::clamp(CaretY(), 1, LineCount()));
    const int y = caret.y();
    const QString line = m_lines->Strings(y - 1);
    const int len = static_cast<int>(line.size());
    const int indent = indentation(line);
    // The indentation of the nearest non-empty line at or above.
    const auto nearestIndent = [this](int from) {
        for (int i = from; i >= 1; --i) {
            const QString& text = m_lines->Strings(i - 1);
            if (!text.isEmpty())
                return indentation(text);
        }
        return 0;
    };
    int newX = 1;
    int shiftFrom = y + 1;  // marks at or below this line move down
    if (line.isEmpty()) {
        newX = nearestIndent(y) + 1;
        m_lines->Insert(y - 1, QString());
    } else if (caret.x() > len) {
        newX = nearestIndent(y) + 1;
        m_lines->Insert(y, QString());
    } else if (caret.x() - 1 < indent || caret.x() == 1) {
        // The whole text moves down, and its marks with it.
        m_lines->Insert(y - 1, QString());
        shiftFrom = y;
    } else {
        newX = indent + 1;
        m_lines->BeginUpdate();
        try {
            m_lines->Put(y - 1, trimRight(line.left(caret.x() - 1)));
            m_lines->Insert(y, QString(indent, QLatin1Char(' ')) + line.mid(caret.x() - 1));
        } catch (...) {
            m_lines->EndUpdate();
            throw;
        }
        m_lines->EndUpdate();
    }
    ShiftMarks(shiftFrom, 1);
    if (moveCaret) {
        // The new line may be empty: its indentation is a caret position.
        const bool pastEOL = ScrollPastEOL();
        m_view->SetScrollPastEOL(true);
        m_view->SetCaretXY({newX, y + 1});
        m_view->SetScrollPastEOL(pastEOL, true);
    }
    m_view->CollapseBlock();
    step.Commit(crLineBreak, caret, QString(), caret);
}

void TqeCustomEdit::TypeChar(QChar aChar)
{
    const char16_t c = aChar.unicode();
    if ((c < 32 && c != 9) || c == 127)
        return;
    if (SelAvail()) {
        DeleteRange(m_view->SelStart(), m_view->SelEnd(), crDelete);
        InsertChar(aChar, true);
        return;
    }
    InsertChar(aChar, m_insertMode);
}

void TqeCustomEdit::InsertChar(QChar aChar, bool insert)
{
    UndoStep step(this);
    const bool pastEOL = ScrollPastEOL();
    m_view->SetScrollPastEOL(true);
    if (LineCount() == 0)
        m_lines->Add(QString());
    const QPoint old(CaretX(), std::clamp(CaretY(), 1, LineCount()));
    const int y = old.y();
    const int at = old.x() - 1;
    const QString stored = m_lines->Strings(y - 1);
    QString line = stored;
    if (line.size() < at)
        line += QString(at - line.size(), QLatin1Char(' '));
    const bool tabAsBlanks = aChar == u'\t' && m_wantTabs && m_tabSpace >= 2;
    QString replaced;
    int newX = old.x() + 1;
    if (insert) {
        if (tabAsBlanks) {
            line.insert(at, QString(m_tabSpace, QLatin1Char(' ')));
            newX = old.x() + m_tabSpace;
        } else {
            line.insert(at, aChar);
        }
    } else if (tabAsBlanks) {
        newX = old.x() + m_tabSpace;
    } else if (at < line.size()) {
        replaced = line.at(at);
        line[at] = aChar;
    } else {
        line += aChar;
    }
    line = trimRight(line);
    if (line != stored)
        m_lines->Put(y - 1, line);
    const int chars = CharsInWindow();
    if (chars > 0 && newX >= LeftChar() + chars)
        m_view->SetLeftChar(LeftChar() + std::max(1, std::min(25, chars - 1)));
    m_view->SetCaretX(newX);
    m_view->CollapseBlock();
    // A blank typed at the line end leaves the caret beyond it.
    m_view->SetScrollPastEOL(pastEOL, true);
    step.Commit(crInsert, old, replaced, {newX, y});
}

void TqeCustomEdit::ClearAll()
{
    const TqeUpdateLock lock(this);
    m_view->SetBlockBegin({1, 1});
    m_lines->Assign(QStringList {QString()});
    DropUndoHistory();
}

// --- clipboard -----------------------------------------------------------------------

void TqeCustomEdit::CopyToClipboard()
{
    if (SelAvail())
        QGuiApplication::clipboard()->setText(SelText());
}

void TqeCustomEdit::CutToClipboard()
{
    if (m_readOnly || !SelAvail())
        return;
    const TqeUpdateLock lock(this);
    QGuiApplication::clipboard()->setText(SelText());
    DeleteRange(m_view->SelStart(), m_view->SelEnd(), crDelete);
}

void TqeCustomEdit::PasteFromClipboard()
{
    if (m_readOnly)
        return;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    const QString text = data->text();
    if (text.isEmpty())
        return;
    ReplaceSelectionWithUndo(text);
}

void TqeCustomEdit::ReplaceSelectionWithUndo(const QString& text)
{
    const TqeUpdateLock lock(this);
    if (SelAvail())
        DeleteRange(m_view->SelStart(), m_view->SelEnd(), crDelete);
    if (text.isEmpty())
        return;
    UndoStep step(this);
    const QPoint start = CaretXY();
    m_view->SetSelText(text);
    m_view->CollapseBlock();
    step.Commit(crInsert, start, QString(), CaretXY());
}

// --- code templates ------------------------------------------------------------------

bool TqeCustomEdit::ExpandCodeTemplate()
{
    const QPoint caret = CaretXY();
    const QPoint start = PrevWordPos();
    const QString line = m_lines->LineOrEmpty(caret.y() - 1);
    if (start.y() != caret.y() || start.x() >= caret.x() || caret.x() - 1 > line.size())
        return false;
    const QString word = line.mid(start.x() - 1, caret.x() - start.x());
    for (const QString& entry : std::as_const(m_codeTemplates)) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        if (equals <= 0 || QStringView(entry).left(equals).compare(word, Qt::CaseInsensitive) != 0)
            continue;
        const QString value = entry.mid(equals + 1);
        const TqeUpdateLock lock(this);
        m_view->SetBlockBegin(start);
        m_view->SetBlockEnd(caret);
        for (const QChar c : value) {
            if (c == u'\r')
                ExecuteCommand(ecLineBreak, QChar(), nullptr);
            else if (c != u'\n')
                ExecuteCommand(ecChar, c, nullptr);
        }
        return true;
    }
    return false;
}

// --- bookmarks -----------------------------------------------------------------------

void TqeCustomEdit::BookmarkCommand(TqeEditorCommand command)
{
    if (!m_bookMarkOptions->EnableKeys())
        return;
    if (command >= ecGotoMarker0 && command <= ecGotoMarker9) {
        GotoBookMark(command - ecGotoMarker0);
        return;
    }
    const int number = command - ecSetMarker0;
    const TMark* mark = m_bookmarks[static_cast<size_t>(number)];
    const bool onCaretLine = mark && mark->Line() == CaretY();
    if (mark)
        ClearBookMark(number);
    if (!onCaretLine)
        SetBookMark(number, CaretX(), CaretY());
}

TMark* TqeCustomEdit::BookMark(int number) const
{
    if (number < 0 || number > 9)
        return nullptr;
    return m_bookmarks[static_cast<size_t>(number)];
}

void TqeCustomEdit::SetBookMark(int number, int column, int line)
{
    if (number < 0 || number > 9 || line < 1 || line > LineCount())
        return;
    auto mark = std::make_unique<TMark>(this);
    mark->SetBookmarkNumber(number);
    mark->SetColumn(column);
    mark->SetLine(line);
    mark->SetImageIndex(number);
    mark->SetInternalImage(true);
    mark->SetVisible(true);
    if (OnPlaceBookmark) {
        OnPlaceBookmark(this, mark);
        if (!mark)
            return;
    }
    for (int i = 0; i < 10; ++i) {
        const TMark* other = m_bookmarks[static_cast<size_t>(i)];
        if (other && (i == number || other->Line() == mark->Line()))
            ClearBookMark(i);
    }
    TMark* placed = mark.get();
    m_marks->Add(std::move(mark));
    m_bookmarks[static_cast<size_t>(number)] = placed;
}

void TqeCustomEdit::ClearBookMark(int number)
{
    TMark* mark = BookMark(number);
    if (!mark)
        return;
    m_bookmarks[static_cast<size_t>(number)] = nullptr;
    m_marks->Remove(mark);  // the mark handed back is freed here
}

void TqeCustomEdit::GotoBookMark(int number)
{
    const TMark* mark = BookMark(number);
    if (!mark || mark->Line() < 1 || mark->Line() > LineCount())
        return;
    const TqeUpdateLock lock(this);
    m_view->SetCaretXY({mark->Column(), mark->Line()});
    m_view->CollapseBlock();
    m_view->EnsureCursorPosVisible();
}

void TqeCustomEdit::OnMarkRemoved(TMark* mark)
{
    for (TMark*& slot : m_bookmarks)
        if (slot == mark)
            slot = nullptr;
}
