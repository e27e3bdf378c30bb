#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

#include "editor/qeHighlighter.h"

class TqeChangeRecorder;

// An index outside the list.
class EqeListError : public std::out_of_range
{
public:
    explicit EqeListError(int index);
};

// The text of an editor: a list of lines, each stored without its line break,
// with the scanner's range state at the start of every line kept beside it.
//
// Every change marks the lines it touched. When the outermost update ends the
// touched lines are rescanned, and the rescan goes on past them only while a
// line's stored start state differs from the state the scan arrives with. A
// new line starts in a state the scanner never produces, so the rescan cannot
// stop early. Setting the whole text is one linear pass; typing on a line
// rescans that line alone unless a comment or a q'...' literal opens or closes.
class TqeEditList : public QObject
{
    Q_OBJECT
public:
    // The start state of a line not scanned yet.
    static constexpr int kUnscanned = -1;

    explicit TqeEditList(QObject* parent = nullptr);
    ~TqeEditList() override;

    int Count() const { return static_cast<int>(m_lines.size()); }
    bool IsEmpty() const { return m_lines.empty(); }
    const QString& Strings(int index) const;
    const QString& operator[](int index) const { return Strings(index); }
    // The line, or an empty text for an index outside the list.
    QString LineOrEmpty(int index) const;
    // The scanner's range state at the start of the line.
    int Objects(int index) const;

    void Put(int index, const QString& text);
    int Add(const QString& text);
    void Insert(int index, const QString& text);
    void Delete(int index);
    // Several lines in one step.
    void InsertLines(int index, const QStringList& lines);
    void DeleteLines(int index, int count);
    void Clear();

    // Every line followed by CR LF.
    QString Text() const;
    // Splits at CR LF, LF or CR; a final line break adds no empty line.
    // Replacing the whole text fires Cleared.
    void SetText(const QString& text);
    void Assign(const QStringList& lines);
    void Assign(const TqeEditList& source);
    QStringList ToStringList() const;

    // Nested updates collect the touched lines; the outermost end rescans
    // them once and fires Changed once.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    // The scanner that keeps the range states; none keeps no states. Giving a
    // scanner rescans the whole text.
    void SetHighlighter(TqeCustomHighLighter* highlighter);
    TqeCustomHighLighter* Highlighter() const { return m_highlighter; }
    void RescanAll();

    // Told of every change before it happens (the editor's undo); not owned.
    void SetRecorder(TqeChangeRecorder* recorder) { m_recorder = recorder; }

    // Lines scanned by the last rescan (the last outermost update).
    int LinesRescanned() const { return m_linesRescanned; }
    // Characters in the longest line.
    int MaxLineLength() const;

    static QStringList SplitLines(const QString& text);

signals:
    void LinesInserted(int index, int count);
    void LinesDeleted(int index, int count);
    void LinesPut(int index);
    // The whole text was replaced.
    void Cleared();
    // Lines first..last were scanned again: their colours may have changed.
    void Rescanned(int first, int last);
    // After every change, once per outermost update.
    void Changed();

private:
    struct Line
    {
        QString text;
        int range = kUnscanned;
    };

    void CheckIndex(int index) const;
    void MarkDirty(int first, int last);
    void ShiftDirtyForInsert(int index, int count);
    void ShiftDirtyForDelete(int index, int count);
    void NoteLength(int length);
    void NoteRemovedLength(int length);
    void Rescan();
    void ScanLine(int index);
    void ReplaceAll(std::vector<Line> lines);

    std::vector<Line> m_lines;
    QPointer<TqeCustomHighLighter> m_highlighter;
    TqeChangeRecorder* m_recorder = nullptr;
    int m_updateCount = 0;
    bool m_changed = false;
    int m_dirtyFirst = -1;
    int m_dirtyLast = -1;
    int m_linesRescanned = 0;
    mutable int m_maxLength = 0;
    mutable bool m_maxLengthValid = true;
};
