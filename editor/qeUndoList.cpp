#include "editor/qeUndoList.h"

#include "editor/qeEditList.h"

bool qePointLess(const QPoint& a, const QPoint& b)
{
    return a.y() < b.y() || (a.y() == b.y() && a.x() < b.x());
}

void TUndoList::AddChange(quint8 kind, const QPoint& start, const QString& text, const QPoint& end)
{
    Record record;
    record.Kind = kind;
    record.Text = text;
    record.Start = start;
    record.End = end;
    AddChange(std::move(record));
}

void TUndoList::AddChange(Record record)
{
    // With a limit of 0 nothing is kept, but the change still counts: the
    // owner must learn that its text was modified.
    if (m_maxUndo > 0) {
        while (Count() >= m_maxUndo)
            m_records.pop_front();
        if (qePointLess(record.End, record.Start))
            std::swap(record.Start, record.End);
        m_records.push_back(std::move(record));
    }
    if (m_onAdded)
        m_onAdded();
}

quint8 TUndoList::GetChange(QPoint& start, QPoint& end, QString& text)
{
    if (m_records.empty())
        return crNothing;
    Record r = TakeChange();
    start = r.Start;
    end = r.End;
    text = std::move(r.Text);
    return r.Kind;
}

TUndoList::Record TUndoList::TakeChange()
{
    if (m_records.empty())
        return Record {};
    Record r = std::move(m_records.back());
    m_records.pop_back();
    return r;
}

void TUndoList::SetMaxUndo(int value)
{
    if (value < 0)
        return;
    m_maxUndo = value;
    while (Count() > m_maxUndo)
        m_records.pop_front();
}

// --- recorder ------------------------------------------------------------------

void TqeChangeRecorder::Begin()
{
    m_recording = true;
    m_any = false;
    m_reset = false;
    m_first = 0;
    m_count = 0;
    m_before.clear();
}

TqeLineSnapshot TqeChangeRecorder::End(const TqeEditList& lines)
{
    TqeLineSnapshot snapshot;
    m_recording = false;
    if (!m_any || m_reset)
        return snapshot;
    snapshot.First = m_first;
    snapshot.Before = std::move(m_before);
    snapshot.After.reserve(m_count);
    for (int i = m_first; i < m_first + m_count && i < lines.Count(); ++i)
        snapshot.After.append(lines.Strings(i));
    m_before.clear();
    m_any = false;
    return snapshot;
}

void TqeChangeRecorder::NoteUnrecorded()
{
    if (OnUnrecorded)
        OnUnrecorded();
}

void TqeChangeRecorder::Cover(const TqeEditList& lines, int a, int b)
{
    // Lines outside the region are still as they were, so their old text is
    // read from the list itself.
    if (!m_any) {
        m_any = true;
        m_first = a;
        m_count = 0;
        m_before.clear();
    }
    if (a < m_first) {
        QStringList head;
        for (int i = a; i < m_first; ++i)
            head.append(lines.Strings(i));
        m_before = head + m_before;
        m_count += m_first - a;
        m_first = a;
    }
    const int regionEnd = m_first + m_count;  // one past the last line
    if (b >= regionEnd) {
        for (int i = regionEnd; i <= b; ++i)
            m_before.append(lines.Strings(i));
        m_count = b - m_first + 1;
    }
}

void TqeChangeRecorder::NotePut(const TqeEditList& lines, int index)
{
    if (!m_recording) {
        NoteUnrecorded();
        return;
    }
    Cover(lines, index, index);
}

void TqeChangeRecorder::NoteInsert(const TqeEditList& lines, int index, int count)
{
    if (!m_recording) {
        NoteUnrecorded();
        return;
    }
    Cover(lines, index, index - 1);
    m_count += count;
}

void TqeChangeRecorder::NoteDelete(const TqeEditList& lines, int index, int count)
{
    if (!m_recording) {
        NoteUnrecorded();
        return;
    }
    Cover(lines, index, index + count - 1);
    m_count -= count;
}

void TqeChangeRecorder::NoteReset()
{
    if (!m_recording) {
        NoteUnrecorded();
        return;
    }
    m_reset = true;
}
