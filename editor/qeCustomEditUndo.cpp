// Undo and redo of the editor control. Every change the editor makes is
// recorded with the exact lines it touched and where the caret and block
// stood before and after, so replaying a record either way gives back exactly
// the text and position it describes. Records that others add with only a
// kind, a range and a text are undone by their kind.
#include "editor/qeCustomEdit.h"
#include "editor/qeCustomEditPrivate.h"

#include <algorithm>

TqeCustomEdit::UndoStep::UndoStep(TqeCustomEdit* edit)
    : m_edit(edit)
    , m_before(edit->m_view->State())
{
    m_edit->m_recorder.Begin();
}

TqeCustomEdit::UndoStep::~UndoStep()
{
    if (m_done)
        return;
    // The change failed half-way: what it did is unrecorded, so no record
    // may be replayed over it any more.
    m_edit->m_recorder.End(*m_edit->m_lines);
    m_edit->DropUndoHistory();
}

void TqeCustomEdit::UndoStep::Commit(quint8 kind, const QPoint& start, const QString& text, const QPoint& end)
{
    m_done = true;
    TUndoList::Record record;
    record.Lines = m_edit->m_recorder.End(*m_edit->m_lines);
    if (!m_edit->m_recorder.Complete()) {
        m_edit->DropUndoHistory();
        return;
    }
    record.Kind = kind;
    record.Start = start;
    record.End = end;
    record.Text = text;
    record.Exact = true;
    record.StateBefore = m_before;
    record.StateAfter = m_edit->m_view->State();
    // A stale redo would replay its lines over text they no longer match.
    m_edit->m_redoList.Clear();
    m_edit->m_undoList.AddChange(std::move(record));
}

void TqeCustomEdit::DropUndoHistory()
{
    m_undoList.Clear();
    m_redoList.Clear();
}

void TqeCustomEdit::OnUnrecordedChange()
{
    // Someone changed the lines without a record: the records describe a
    // text that is gone.
    DropUndoHistory();
}

bool TqeCustomEdit::LinesMatch(int first, const QStringList& lines) const
{
    if (first < 0 || first + lines.size() > m_lines->Count())
        return false;
    for (int i = 0; i < lines.size(); ++i)
        if (m_lines->Strings(first + i) != lines.at(i))
            return false;
    return true;
}

void TqeCustomEdit::ShiftMarks(int fromLine, int delta)
{
    if (delta == 0)
        return;
    for (int i = 0; i < m_marks->Count(); ++i) {
        TMark* mark = m_marks->Items(i);
        if (mark->Line() >= fromLine)
            mark->SetLine(std::max(1, mark->Line() + delta));
    }
}

void TqeCustomEdit::ReplaceLines(int first, int oldCount, const QStringList& lines)
{
    const int newCount = static_cast<int>(lines.size());
    const int common = std::min(oldCount, newCount);
    m_lines->BeginUpdate();
    try {
        for (int i = 0; i < common; ++i)
            if (m_lines->Strings(first + i) != lines.at(i))
                m_lines->Put(first + i, lines.at(i));
        if (newCount > oldCount)
            m_lines->InsertLines(first + common, lines.mid(common));
        else if (newCount < oldCount)
            m_lines->DeleteLines(first + common, oldCount - common);
    } catch (...) {
        m_lines->EndUpdate();
        throw;
    }
    m_lines->EndUpdate();
    // Marks below the lines follow them; marks on lines that went stay on
    // the last line that remains of them.
    const int delta = newCount - oldCount;
    const int lastLine = std::max(1, m_lines->Count());
    for (int i = 0; i < m_marks->Count(); ++i) {
        TMark* mark = m_marks->Items(i);
        const int line = mark->Line();
        if (line > first + oldCount)
            mark->SetLine(line + delta);
        else if (line > first + newCount)
            mark->SetLine(std::clamp(first + newCount, 1, lastLine));
    }
}

void TqeCustomEdit::ApplyByKind(const TUndoList::Record& r)
{
    // The meaning of a bare record: undo puts its text back.
    switch (r.Kind) {
    case crInsert:
    case crDragDropInsert:
        m_view->SetBlockBegin(r.Start);
        m_view->SetBlockEnd(r.End);
        m_view->SetSelText(r.Text);
        m_view->SetCaretXY(r.Start);
        break;
    case crDelete:
    case crDeleteAfterCursor:
    case crDragDropDelete:
        m_view->SetCaretXY(r.Start);
        m_view->CollapseBlock();
        m_view->SetSelText(r.Text);
        if (r.Kind == crDeleteAfterCursor)
            m_view->SetCaretXY(r.End);
        else
            m_view->SetCaretXY(r.Start);
        break;
    case crLineBreak: {
        m_view->SetCaretXY(r.Start);
        const int y = CaretY();
        if (y >= m_lines->Count())
            break;
        QString line = m_lines->Strings(y - 1);
        const QString next = m_lines->Strings(y);
        const bool nextIndented = !next.isEmpty() && next.at(0).unicode() <= u' ';
        if (line.size() < CaretX() - 1 && !nextIndented)
            line += QString(CaretX() - 1 - line.size(), QLatin1Char(' '));
        line += next;
        qsizetype n = line.size();
        while (n > 0 && line.at(n - 1).unicode() <= u' ')
            --n;
        m_lines->BeginUpdate();
        m_lines->Put(y - 1, line.left(n));
        m_lines->Delete(y);
        m_lines->EndUpdate();
        ShiftMarks(y + 1, -1);
        m_view->SetCaretXY(r.Start);
        break;
    }
    default: break;
    }
}

quint8 TqeCustomEdit::UndoOne(TUndoList& from, TUndoList& to, bool undo)
{
    if (from.Count() == 0)
        return crNothing;
    TUndoList::Record r = from.TakeChange();
    const quint8 kind = r.Kind;
    if (r.Exact) {
        const QStringList& current = undo ? r.Lines.After : r.Lines.Before;
        const QStringList& target = undo ? r.Lines.Before : r.Lines.After;
        if (!LinesMatch(r.Lines.First, current)) {
            DropUndoHistory();
            return crNothing;
        }
        m_recorder.Begin();
        try {
            ReplaceLines(r.Lines.First, static_cast<int>(current.size()), target);
        } catch (...) {
            m_recorder.End(*m_lines);
            DropUndoHistory();
            throw;
        }
        m_recorder.End(*m_lines);
        m_view->RestoreState(undo ? r.StateBefore : r.StateAfter);
        to.AddChange(std::move(r));
        return kind;
    }
    // A bare record on the undo list is undone by its kind, and whatever that
    // did is kept exactly for the way back.
    if (!undo) {
        // Only the editor puts records on the redo list; a bare one there
        // has no meaning to replay.
        DropUndoHistory();
        return crNothing;
    }
    const TqeEditState before = m_view->State();
    m_recorder.Begin();
    try {
        ApplyByKind(r);
    } catch (...) {
        m_recorder.End(*m_lines);
        DropUndoHistory();
        throw;
    }
    TqeLineSnapshot done = m_recorder.End(*m_lines);
    if (!m_recorder.Complete()) {
        DropUndoHistory();
        return crNothing;
    }
    r.Exact = true;
    r.Lines.First = done.First;
    r.Lines.Before = std::move(done.After);
    r.Lines.After = std::move(done.Before);
    r.StateBefore = m_view->State();
    r.StateAfter = before;
    to.AddChange(std::move(r));
    return kind;
}

void TqeCustomEdit::Undo()
{
    if (m_readOnly)
        return;
    const TqeUpdateLock lock(this);
    // A drop is undone with the removal of the dragged text it moved.
    if (UndoOne(m_undoList, m_redoList, true) == crDragDropInsert && m_undoList.PeekKind() == crDragDropDelete)
        UndoOne(m_undoList, m_redoList, true);
}

void TqeCustomEdit::Redo()
{
    if (m_readOnly)
        return;
    const TqeUpdateLock lock(this);
    if (UndoOne(m_redoList, m_undoList, false) == crDragDropDelete && m_redoList.PeekKind() == crDragDropInsert)
        UndoOne(m_redoList, m_undoList, false);
}
