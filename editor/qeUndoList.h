#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class TqeEditList;

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

// Where the user was: caret and both block ends.
struct TqeEditState
{
    QPoint Caret {1, 1};
    QPoint BlockBegin {1, 1};
    QPoint BlockEnd {1, 1};
};

// The lines one change touched, as they were and as they became: lines
// First .. First + Before.size() - 1 (0-based) were replaced by After.
// Replaying either side is exact, whatever trimming, padding or indenting
// the change did.
struct TqeLineSnapshot
{
    int First = 0;
    QStringList Before;
    QStringList After;
};

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
        // Records the editor writes carry the exact lines and where the user
        // was before and after; records added by others carry only the four
        // fields above and are undone by their kind.
        bool Exact = false;
        TqeLineSnapshot Lines;
        TqeEditState StateBefore;
        TqeEditState StateAfter;
    };

    // Called after every record added: the editor sets its Modified flag and
    // fires OnChange.
    void SetOnAdded(std::function<void()> handler) { m_onAdded = std::move(handler); }

    // The oldest record goes first when the list is full.
    void AddChange(quint8 kind, const QPoint& start, const QString& text, const QPoint& end);
    void AddChange(Record record);
    // The kind of the newest record, which is removed; crNothing when empty.
    quint8 GetChange(QPoint& start, QPoint& end, QString& text);
    // The newest record, removed; a record of kind crNothing when empty.
    Record TakeChange();
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

// Watches an edit list and keeps the old text of the lines a change touches,
// so that the change can be replayed both ways. The list tells it of every
// change before it happens. A change while no recording runs is reported to
// OnUnrecorded: the editor's records no longer fit its text then.
class TqeChangeRecorder
{
public:
    std::function<void()> OnUnrecorded;

    void Begin();
    bool Recording() const { return m_recording; }
    // Ends the recording; the snapshot of what changed (nothing: no lines).
    TqeLineSnapshot End(const TqeEditList& lines);
    // False when the whole text was replaced during the recording.
    bool Complete() const { return !m_reset; }

    void NotePut(const TqeEditList& lines, int index);
    void NoteInsert(const TqeEditList& lines, int index, int count);
    void NoteDelete(const TqeEditList& lines, int index, int count);
    void NoteReset();

private:
    // Makes the region cover lines a..b of the current text (b = a - 1: the
    // gap before line a).
    void Cover(const TqeEditList& lines, int a, int b);
    void NoteUnrecorded();

    bool m_recording = false;
    bool m_any = false;
    bool m_reset = false;
    int m_first = 0;
    int m_count = 0;
    QStringList m_before;
};
