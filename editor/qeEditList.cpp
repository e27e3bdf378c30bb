#include "editor/qeEditList.h"

#include "editor/qeHighlighter.h"
#include "editor/qeUndoList.h"

#include <algorithm>

EqeListError::EqeListError(int index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")")
{
}

TqeEditList::TqeEditList(QObject* parent)
    : QObject(parent)
{
}

TqeEditList::~TqeEditList() = default;

void TqeEditList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EqeListError(index);
}

const QString& TqeEditList::Strings(int index) const
{
    CheckIndex(index);
    return m_lines[static_cast<size_t>(index)].text;
}

QString TqeEditList::LineOrEmpty(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_lines[static_cast<size_t>(index)].text;
}

int TqeEditList::Objects(int index) const
{
    CheckIndex(index);
    return m_lines[static_cast<size_t>(index)].range;
}

void TqeEditList::BeginUpdate()
{
    ++m_updateCount;
}

void TqeEditList::EndUpdate()
{
    if (m_updateCount <= 0)
        return;
    if (--m_updateCount > 0)
        return;
    Rescan();
    if (m_changed) {
        m_changed = false;
        emit Changed();
    }
}

void TqeEditList::MarkDirty(int first, int last)
{
    m_changed = true;
    if (m_dirtyFirst < 0) {
        m_dirtyFirst = first;
        m_dirtyLast = last;
    } else {
        m_dirtyFirst = std::min(m_dirtyFirst, first);
        m_dirtyLast = std::max(m_dirtyLast, last);
    }
}

void TqeEditList::ShiftDirtyForInsert(int index, int count)
{
    if (m_dirtyFirst < 0)
        return;
    if (m_dirtyFirst >= index)
        m_dirtyFirst += count;
    if (m_dirtyLast >= index)
        m_dirtyLast += count;
}

void TqeEditList::ShiftDirtyForDelete(int index, int count)
{
    if (m_dirtyFirst < 0)
        return;
    if (m_dirtyFirst >= index + count)
        m_dirtyFirst -= count;
    else if (m_dirtyFirst >= index)
        m_dirtyFirst = index;
    if (m_dirtyLast >= index + count)
        m_dirtyLast -= count;
    else if (m_dirtyLast >= index)
        m_dirtyLast = std::max(index - 1, 0);
    if (m_dirtyLast < m_dirtyFirst)
        m_dirtyLast = m_dirtyFirst;
}

void TqeEditList::NoteLength(int length)
{
    if (m_maxLengthValid)
        m_maxLength = std::max(m_maxLength, length);
}

void TqeEditList::NoteRemovedLength(int length)
{
    // Only the longest line shrinking makes the figure stale.
    if (m_maxLengthValid && length >= m_maxLength)
        m_maxLengthValid = false;
}

int TqeEditList::MaxLineLength() const
{
    if (!m_maxLengthValid) {
        int longest = 0;
        for (const Line& line : m_lines)
            longest = std::max(longest, static_cast<int>(line.text.size()));
        m_maxLength = longest;
        m_maxLengthValid = true;
    }
    return m_maxLength;
}

void TqeEditList::Put(int index, const QString& text)
{
    CheckIndex(index);
    if (m_recorder)
        m_recorder->NotePut(*this, index);
    BeginUpdate();
    Line& line = m_lines[static_cast<size_t>(index)];
    NoteRemovedLength(static_cast<int>(line.text.size()));
    line.text = text;
    NoteLength(static_cast<int>(text.size()));
    MarkDirty(index, index);
    emit LinesPut(index);
    EndUpdate();
}

int TqeEditList::Add(const QString& text)
{
    const int index = Count();
    Insert(index, text);
    return index;
}

void TqeEditList::Insert(int index, const QString& text)
{
    InsertLines(index, QStringList{text});
}

void TqeEditList::InsertLines(int index, const QStringList& lines)
{
    if (index < 0 || index > Count())
        throw EqeListError(index);
    if (lines.isEmpty())
        return;
    const int count = static_cast<int>(lines.size());
    if (m_recorder)
        m_recorder->NoteInsert(*this, index, count);
    BeginUpdate();
    std::vector<Line> fresh;
    fresh.reserve(lines.size());
    for (const QString& text : lines) {
        NoteLength(static_cast<int>(text.size()));
        fresh.push_back(Line{text, kUnscanned});
    }
    m_lines.insert(m_lines.begin() + index, std::make_move_iterator(fresh.begin()),
                   std::make_move_iterator(fresh.end()));
    ShiftDirtyForInsert(index, count);
    // The line before the new ones gives their start state.
    MarkDirty(std::max(index - 1, 0), index + count - 1);
    emit LinesInserted(index, count);
    EndUpdate();
}

void TqeEditList::Delete(int index)
{
    DeleteLines(index, 1);
}

void TqeEditList::DeleteLines(int index, int count)
{
    if (count <= 0)
        return;
    CheckIndex(index);
    CheckIndex(index + count - 1);
    if (m_recorder)
        m_recorder->NoteDelete(*this, index, count);
    BeginUpdate();
    for (int i = index; i < index + count; ++i)
        NoteRemovedLength(static_cast<int>(m_lines[static_cast<size_t>(i)].text.size()));
    m_lines.erase(m_lines.begin() + index, m_lines.begin() + index + count);
    ShiftDirtyForDelete(index, count);
    // The line before the gap gives the start state of the line after it.
    MarkDirty(std::max(index - 1, 0), std::max(index - 1, 0));
    emit LinesDeleted(index, count);
    EndUpdate();
}

void TqeEditList::Clear()
{
    if (m_lines.empty())
        return;
    DeleteLines(0, Count());
}

QString TqeEditList::Text() const
{
    qsizetype size = 0;
    for (const Line& line : m_lines)
        size += line.text.size() + 2;
    QString text;
    text.reserve(size);
    for (const Line& line : m_lines) {
        text += line.text;
        text += QLatin1String("\r\n");
    }
    return text;
}

QStringList TqeEditList::SplitLines(const QString& text)
{
    QStringList lines;
    const QChar* data = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && data[i + 1].unicode() == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

void TqeEditList::ReplaceAll(std::vector<Line> lines)
{
    if (m_recorder)
        m_recorder->NoteReset();
    BeginUpdate();
    const int oldCount = Count();
    m_lines = std::move(lines);
    m_maxLengthValid = false;
    m_dirtyFirst = -1;
    m_dirtyLast = -1;
    if (oldCount > 0)
        emit LinesDeleted(0, oldCount);
    if (!m_lines.empty()) {
        MarkDirty(0, 0);
        emit LinesInserted(0, Count());
    }
    m_changed = true;
    emit Cleared();
    EndUpdate();
}

void TqeEditList::SetText(const QString& text)
{
    Assign(SplitLines(text));
}

void TqeEditList::Assign(const QStringList& lines)
{
    std::vector<Line> fresh;
    fresh.reserve(lines.size());
    for (const QString& text : lines)
        fresh.push_back(Line{text, kUnscanned});
    ReplaceAll(std::move(fresh));
}

void TqeEditList::Assign(const TqeEditList& source)
{
    if (&source == this)
        return;
    std::vector<Line> copy = source.m_lines;
    for (Line& line : copy)
        line.range = kUnscanned;
    ReplaceAll(std::move(copy));
}

QStringList TqeEditList::ToStringList() const
{
    QStringList list;
    list.reserve(Count());
    for (const Line& line : m_lines)
        list.append(line.text);
    return list;
}

void TqeEditList::SetHighlighter(TqeCustomHighLighter* highlighter)
{
    if (m_highlighter == highlighter)
        return;
    if (m_highlighter)
        disconnect(m_highlighter, nullptr, this, nullptr);
    m_highlighter = highlighter;
    if (highlighter)
        connect(highlighter, &TqeCustomHighLighter::ScanRulesChanged, this, &TqeEditList::RescanAll);
    RescanAll();
}

void TqeEditList::RescanAll()
{
    BeginUpdate();
    for (Line& line : m_lines)
        line.range = kUnscanned;
    if (!m_lines.empty())
        MarkDirty(0, 0);
    EndUpdate();
}

void TqeEditList::ScanLine(int index)
{
    TqeCustomHighLighter* hl = m_highlighter;
    hl->SetLine(m_lines[static_cast<size_t>(index)].text);
    while (!hl->GetEol())
        hl->Next();
    ++m_linesRescanned;
}

void TqeEditList::Rescan()
{
    const int dirtyFirst = m_dirtyFirst;
    const int dirtyLast = m_dirtyLast;
    m_dirtyFirst = -1;
    m_dirtyLast = -1;
    if (dirtyFirst < 0)
        return;
    m_linesRescanned = 0;
    TqeCustomHighLighter* hl = m_highlighter;
    const int n = Count();
    if (!hl || n == 0)
        return;

    int first = std::clamp(dirtyFirst, 0, n - 1);
    const int last = std::clamp(dirtyLast, first, n - 1);
    // A scan needs a known start state: step back over lines never scanned.
    while (first > 0 && m_lines[static_cast<size_t>(first)].range == kUnscanned)
        --first;
    if (first == 0) {
        hl->ResetRange();
        m_lines[0].range = hl->GetRange();
    } else {
        hl->SetRange(m_lines[static_cast<size_t>(first)].range);
    }

    // Scanning the last line would only give the state of a line that does
    // not exist.
    int j = first;
    while (j + 1 < n) {
        ScanLine(j);
        const int end = hl->GetRange();
        Line& next = m_lines[static_cast<size_t>(j + 1)];
        if (j + 1 > last && next.range == end)
            break;
        next.range = end;
        ++j;
    }
    emit Rescanned(first, j);
}
