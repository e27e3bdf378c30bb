#pragma once

// Finding what the colouring memo paints again: the pieces its rules and hot
// spots colour inside a range of lines, resolved into runs of one colour.
// Only the range is read (and, for a block that began inside it, the lines
// up to its end marker), so the cost follows the lines on screen, never the
// length of the text.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "components/ColorRules.h"

// The text the scan reads, line by line. Lines are separated by one
// character, so a line's start is a position in the whole text.
class TColorTextSource
{
public:
    virtual ~TColorTextSource() = default;
    virtual int LineCount() const = 0;
    virtual QString LineText(int line) const = 0;
    virtual int LineStart(int line) const = 0;
};

// A text held as a list of lines.
class TColorLines : public TColorTextSource
{
public:
    explicit TColorLines(const QStringList& lines);
    // The text split at its line breaks.
    static TColorLines FromText(const QString& text);

    int LineCount() const override { return int(m_lines.size()); }
    QString LineText(int line) const override { return m_lines.at(line); }
    int LineStart(int line) const override { return m_starts.at(size_t(line)); }

private:
    QStringList m_lines;
    std::vector<int> m_starts;
};

enum class TColorRunKind {
    Text,          // a rule's piece, drawn in its colour on its brush colour
    CustomDraw,    // a keyword the rule's owner draws itself
    HotSpotMarker, // a hot spot's begin or end character
    HotSpotText,   // the text between them
};

// A stretch of text drawn in one colour; positions are in the whole text.
struct TColorRun
{
    int start = 0;
    int length = 0;
    TColor color = 0;
    TColor background = clWindow;
    TColorRunKind kind = TColorRunKind::Text;
    int rule = -1; // the rule that found it; -1 for hot spots

    int end() const { return start + length; }
    bool operator==(const TColorRun&) const = default;
};

struct TColorRange
{
    int firstLine = 0; // the first line on screen
    int lastLine = 0;  // the last line on screen
};

// What one scan read.
struct TColorScanStats
{
    int lines = 0;
    qint64 chars = 0;
};

// The runs to draw over the range, in text order, none above the first line. Each rule starts its scan
// KeyMaxHeight - 1 lines above the first line; where pieces overlap the
// higher ZOrder wins, and the later piece wins a tie.
std::vector<TColorRun> ScanColorRuns(const TColorTextSource& text, const TDrawRules& rules,
                                     const THotSpot& hotSpot, const TColorRange& range,
                                     TColorScanStats* stats = nullptr);

// The text of the hot spot a caret position (column) of a line lies in:
// between the BeginChar before it and the first EndChar after that, the
// column not past the EndChar. None without both characters.
std::optional<QString> HotSpotTextAt(const QString& line, int column, const THotSpot& hotSpot);
