#pragma once

#include <QPoint>
#include <QString>
#include <deque>
#include <functional>

// Kinds of undo records.
enum TqeChangeReason : quint8 {
    crInsert = 0,        // text typed or pasted
    crDragDropInsert = 1,
    crDelete = 2,        // text deleted
    crDeleteAfterCursor = 3,  // deleted by word or line commands
    crDragDropDelete = 4,
    crLineBreak = 5,
    crNothing = 6,       // the list is empty
};

// Points order by line, then column (QPoint x is the column, y the line).
bool qePointLess(const QPoint& a, const QPoint& b);

// The undo (or redo) records of an editor, oldest first.
class TUndoList
{
public:
    struct Record
    {
        QString Text;
        quint8 Kind = crNothing;
        QPoint Start;
        QPoint End;
    };

    // Called after every record added: the editor sets its Modified flag and
    // fires OnChange.
    void SetOnAdded(std::function<void()> handler) { m_onAdded = std::move(handler); }

    // The oldest record goes first when the list is full.
    void AddChange(quint8 kind, const QPoint& start, const QString& text, const QPoint& end);
    // The kind of the newest record, which is removed; crNothing when empty.
    quint8 GetChange(QPoint& start, QPoint& end, QString& text);
    quint8 PeekKind() const { return m_records.empty() ? quint8(crNothing) : m_records.back().Kind; }
    int Count() const { return static_cast<int>(m_records.size()); }
    const Record& Items(int index) const { return m_records.at(static_cast<size_t>(index)); }
    void Clear() { m_records.clear(); }

    int MaxUndo() const { return m_maxUndo; }
    // Drops the oldest records beyond the new limit; negative values are ignored.
    void SetMaxUndo(int value);

private:
    std::deque<Record> m_records;
    int m_maxUndo = 10;
    std::function<void()> m_onAdded;
};
