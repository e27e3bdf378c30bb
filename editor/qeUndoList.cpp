#include "editor/qeUndoList.h"

bool qePointLess(const QPoint& a, const QPoint& b)
{
    return a.y() < b.y() || (a.y() == b.y() && a.x() < b.x());
}

void TUndoList::AddChange(quint8 kind, const QPoint& start, const QString& text, const QPoint& end)
{
    // With a limit of 0 nothing is kept, but the change still counts: the
    // owner must learn that its text was modified.
    if (m_maxUndo > 0) {
        while (Count() >= m_maxUndo)
            m_records.pop_front();
        const bool ordered = !qePointLess(end, start);
        m_records.push_back(Record{text, kind, ordered ? start : end, ordered ? end : start});
    }
    if (m_onAdded)
        m_onAdded();
}

quint8 TUndoList::GetChange(QPoint& start, QPoint& end, QString& text)
{
    if (m_records.empty())
        return crNothing;
    Record r = std::move(m_records.back());
    m_records.pop_back();
    start = r.Start;
    end = r.End;
    text = std::move(r.Text);
    return r.Kind;
}

void TUndoList::SetMaxUndo(int value)
{
    if (value < 0)
        return;
    m_maxUndo = value;
    while (Count() > m_maxUndo)
        m_records.pop_front();
}
