#include "components/ColorScan.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// A piece found by a rule or a hot spot, in positions of the range text.
struct Piece
{
    int first = 0;
    int last = 0;
    TColor color = 0;
    TColor background = clWindow;
    int priority = 0;
    TColorRunKind kind = TColorRunKind::Text;
    int rule = -1;
};

bool IsAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// Upper case one code unit at a time, so positions stay where they were.
QString UpperKeepingPositions(const QString& text)
{
    QString upper = text;
    for (QChar& c : upper)
        c = c.toUpper();
    return upper;
}

// The lines of the range joined by one separator each, as in the whole text.
class RangeText
{
public:
    RangeText(const TColorTextSource& source, int firstLine, int lastLine, TColorScanStats& stats)
        : m_source(source), m_firstLine(firstLine), m_lastLine(lastLine), m_stats(stats)
    {
        m_base = source.LineStart(firstLine);
        for (int line = firstLine; line <= lastLine; ++line) {
            if (line > firstLine)
                m_text += QLatin1Char('\n');
            m_lineOffsets.push_back(int(m_text.size()));
            m_text += source.LineText(line);
        }
        stats.lines += lastLine - firstLine + 1;
        stats.chars += m_text.size();
    }

    const QString& text() const { return m_text; }
    int size() const { return int(m_text.size()); }
    int base() const { return m_base; }
    int firstLine() const { return m_firstLine; }
    int lastLine() const { return m_lastLine; }
    int lineOffset(int line) const { return m_lineOffsets.at(size_t(line - m_firstLine)); }
    int lineEnd(int line) const
    {
        return line < m_lastLine ? lineOffset(line + 1) - 1 : size();
    }

    // The first needle at or after from; past the range the search goes on
    // line by line (a marker never spans lines). -1 when none follows.
    int find(const QString& needle, int from) const
    {
        const qsizetype inRange = m_text.indexOf(needle, from);
        if (inRange >= 0)
            return int(inRange);
        for (int line = m_lastLine + 1; line < m_source.LineCount(); ++line) {
            const QString text = m_source.LineText(line);
            ++m_stats.lines;
            m_stats.chars += text.size();
            const qsizetype at = text.indexOf(needle);
            if (at >= 0)
                return m_source.LineStart(line) - m_base + int(at);
        }
        return -1;
    }

private:
    const TColorTextSource& m_source;
    int m_firstLine;
    int m_lastLine;
    TColorScanStats& m_stats;
    int m_base = 0;
    QString m_text;
    std::vector<int> m_lineOffsets;
};

class PieceCollector
{
public:
    PieceCollector(const RangeText& text, const TColorRange& range)
        : m_text(text), m_range(range)
    {
    }

    std::vector<Piece>& pieces() { return m_pieces; }

    void addHotSpots(const THotSpot& hotSpot)
    {
        const QString& text = m_text.text();
        for (int line = m_range.firstLine; line <= m_text.lastLine(); ++line) {
            int pos = m_text.lineOffset(line);
            const int end = m_text.lineEnd(line);
            while (pos < end) {
                const qsizetype begin = text.indexOf(hotSpot.BeginChar, pos);
                if (begin < 0 || begin >= end)
                    break;
                const qsizetype close = text.indexOf(hotSpot.EndChar, begin + 1);
                if (close < 0 || close >= end)
                    break;
                add({int(begin), int(begin), hotSpot.MarkerColor, hotSpot.MarkerColor, 0,
                     TColorRunKind::HotSpotMarker});
                if (close > begin + 1)
                    add({int(begin) + 1, int(close) - 1, hotSpot.Color, clWindow, 0,
                         TColorRunKind::HotSpotText});
                add({int(close), int(close), hotSpot.MarkerColor, hotSpot.MarkerColor, 0,
                     TColorRunKind::HotSpotMarker});
                pos = int(close) + 1;
            }
        }
    }

    void addRule(const TColorRule& rule, int index)
    {
        const int startLine = qMax(m_text.firstLine(), m_range.firstLine - (rule.KeyMaxHeight() - 1));
        const int from = m_text.lineOffset(startLine);
        switch (rule.KeyDrawingType()) {
        case TKeyDrawingType::dtKeyShow:
        case TKeyDrawingType::dtEventDraw:
            addKeywords(rule, index, from);
            break;
        case TKeyDrawingType::dtBeginEnd:
            addPairs(rule, index, from);
            break;
        case TKeyDrawingType::dtBeginLineEnd:
            addLineMarkers(rule, index, startLine);
            break;
        }
    }

private:
    void add(const Piece& piece)
    {
        if (piece.last >= piece.first)
            m_pieces.push_back(piece);
    }

    Piece rulePiece(const TColorRule& rule, int index, int first, int last,
                    const std::optional<TColor>& color) const
    {
        Piece piece{first, last, rule.ColorOf(color), rule.KeyBrushColor(), rule.ZOrder()};
        piece.rule = index;
        return piece;
    }

    void addKeywords(const TColorRule& rule, int index, int from)
    {
        const QString text = rule.KeyCase() ? m_text.text() : UpperKeepingPositions(m_text.text());
        const TColorRunKind kind = rule.KeyDrawingType() == TKeyDrawingType::dtEventDraw
            ? TColorRunKind::CustomDraw
            : TColorRunKind::Text;
        for (const TColorKeyword& keyword : rule.KeywordTable()) {
            const int length = int(keyword.word.size());
            for (qsizetype at = text.indexOf(keyword.word, from); at >= 0;
                 at = text.indexOf(keyword.word, at + 1)) {
                const int first = int(at);
                const int last = first + length - 1;
                if (!rule.PartWord()
                    && ((first > 0 && IsAsciiLetter(text.at(first - 1)))
                        || (last + 1 < text.size() && IsAsciiLetter(text.at(last + 1)))))
                    continue;
                Piece piece = rulePiece(rule, index, first, last, keyword.color);
                piece.kind = kind;
                add(piece);
            }
        }
    }

    void addPairs(const TColorRule& rule, int index, int from)
    {
        // The entries up to the first one a line left empty.
        const std::vector<TColorMarker>& table = rule.PairTable();
        const auto used = std::find_if(table.begin(), table.end(),
                                       [](const TColorMarker& m) { return m.isEmpty(); });
        const int count = int(used - table.begin());
        if (count == 0)
            return;
        const QString& text = m_text.text();
        // Where each begin marker next occurs: searched again only once the
        // scan has passed it, so a range is read once per entry.
        std::vector<qsizetype> next(size_t(count), -2);
        int pos = from;
        while (pos < m_text.size()) {
            int entry = -1;
            qsizetype begin = -1;
            for (int i = 0; i < count; ++i) {
                qsizetype& at = next[size_t(i)];
                if (at != -1 && at < pos)
                    at = text.indexOf(table[size_t(i)].begin, pos);
                if (at >= 0 && (begin < 0 || at < begin)) {
                    begin = at;
                    entry = i;
                }
            }
            if (entry < 0)
                return;
            const TColorMarker& marker = table[size_t(entry)];
            const int close = m_text.find(marker.end, int(begin + marker.begin.size()));
            if (close < 0)
                return; // a block left open colours nothing from here on
            const int last = close + int(marker.end.size()) - 1;
            add(rulePiece(rule, index, int(begin), last, marker.color));
            pos = last + 1;
        }
    }

    void addLineMarkers(const TColorRule& rule, int index, int startLine)
    {
        const QString& text = m_text.text();
        for (int line = startLine; line <= m_text.lastLine(); ++line) {
            const int start = m_text.lineOffset(line);
            const int end = m_text.lineEnd(line);
            const QStringView lineText = QStringView(text).mid(start, end - start);
            qsizetype earliest = -1;
            const TColorMarker* found = nullptr;
            for (const TColorMarker& marker : rule.LineTable()) {
                if (marker.isEmpty())
                    continue;
                const qsizetype at = lineText.indexOf(marker.begin);
                if (at >= 0 && (earliest < 0 || at < earliest)) {
                    earliest = at;
                    found = &marker;
                }
            }
            if (found)
                add(rulePiece(rule, index, start + int(earliest), end - 1, found->color));
        }
    }

    const RangeText& m_text;
    const TColorRange& m_range;
    std::vector<Piece> m_pieces;
};

bool SameRun(const Piece& a, const Piece& b)
{
    return a.color == b.color && a.priority == b.priority && a.kind == b.kind
        && a.background == b.background && a.rule == b.rule;
}

} // namespace

TColorLines::TColorLines(const QStringList& lines)
    : m_lines(lines)
{
    int start = 0;
    m_starts.reserve(size_t(lines.size()));
    for (const QString& line : lines) {
        m_starts.push_back(start);
        start += int(line.size()) + 1;
    }
}

TColorLines TColorLines::FromText(const QString& text)
{
    return TColorLines(text.split(QLatin1Char('\n')));
}

std::vector<TColorRun> ScanColorRuns(const TColorTextSource& source, const TDrawRules& rules,
                                     const THotSpot& hotSpot, const TColorRange& requested,
                                     TColorScanStats* stats)
{
    TColorScanStats ownStats;
    TColorScanStats& counted = stats ? *stats : ownStats;
    counted = {};
    const int lineCount = source.LineCount();
    if (lineCount <= 0)
        return {};
    TColorRange range = requested;
    range.firstLine = qBound(0, range.firstLine, lineCount - 1);
    range.lastLine = qBound(range.firstLine, range.lastLine, lineCount - 1);

    int scanStart = range.firstLine;
    for (const TColorRule& rule : rules) {
        if (rule.Enabled())
            scanStart = qMin(scanStart, qMax(0, range.firstLine - (rule.KeyMaxHeight() - 1)));
    }
    const RangeText text(source, scanStart, range.lastLine, counted);

    PieceCollector collector(text, range);
    if (hotSpot.Active)
        collector.addHotSpots(hotSpot);
    int index = 0;
    for (const TColorRule& rule : rules) {
        if (rule.Enabled())
            collector.addRule(rule, index);
        ++index;
    }
    const std::vector<Piece>& pieces = collector.pieces();

    // Each character on screen takes the piece of the highest priority
    // covering it, the later piece on a tie.
    const int shown = text.lineOffset(range.firstLine);
    const int length = text.size() - shown;
    std::vector<int> owner(size_t(qMax(0, length)), -1);
    for (int i = 0; i < int(pieces.size()); ++i) {
        const Piece& piece = pieces[size_t(i)];
        const int first = qMax(piece.first, shown);
        const int last = qMin(piece.last, text.size() - 1);
        for (int c = first; c <= last; ++c) {
            int& slot = owner[size_t(c - shown)];
            if (slot < 0 || pieces[size_t(slot)].priority <= piece.priority)
                slot = i;
        }
    }

    std::vector<TColorRun> runs;
    const QString& chars = text.text();
    for (int c = 0; c < length;) {
        const int at = owner[size_t(c)];
        int end = c + 1;
        if (at < 0) {
            while (end < length && owner[size_t(end)] < 0)
                ++end;
            c = end;
            continue;
        }
        while (end < length && owner[size_t(end)] >= 0
               && SameRun(pieces[size_t(owner[size_t(end)])], pieces[size_t(at)]))
            ++end;
        const Piece& piece = pieces[size_t(at)];
        // Line breaks are not drawn; a run ends where its last character is.
        int runEnd = end;
        while (runEnd > c && chars.at(shown + runEnd - 1) == QLatin1Char('\n'))
            --runEnd;
        if (runEnd > c)
            runs.push_back({text.base() + shown + c, runEnd - c, piece.color, piece.background,
                            piece.kind, piece.rule});
        c = end;
    }
    return runs;
}

std::optional<QString> HotSpotTextAt(const QString& line, int column, const THotSpot& hotSpot)
{
    if (column <= 0 || column > line.size())
        return std::nullopt;
    const qsizetype begin = line.lastIndexOf(hotSpot.BeginChar, column - 1);
    if (begin < 0)
        return std::nullopt;
    // The first EndChar after the BeginChar closes the hot spot; the column
    // must not lie past it.
    const qsizetype close = line.indexOf(hotSpot.EndChar, begin + 1);
    if (close < column)
        return std::nullopt;
    return line.mid(begin + 1, close - begin - 1);
}
