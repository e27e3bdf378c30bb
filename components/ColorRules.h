#pragma once

// The rules of the colouring memo: which pieces of its text are painted again
// in other colours (keywords, blocks between a begin and an end marker, runs
// from a marker to the end of the line), and the hot-spot settings. Plain
// values, parsed when their lists are written, so the scan never parses.

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "components/ColorValue.h"

// One of the 16 standard colour names, or a hexadecimal RRGGBB number with
// or without a leading "#" or "$" (trimmed, any case). None for an empty or
// unreadable text: the entry then takes its rule's default colour.
std::optional<TColor> ParseRuleColor(const QString& text);

enum class TKeyDrawingType { dtKeyShow, dtEventDraw, dtBeginEnd, dtBeginLineEnd };

// A begin marker with its end marker (empty for line markers). An entry
// without a begin marker stands for a line that gave none.
struct TColorMarker
{
    QString begin;
    QString end;
    std::optional<TColor> color;

    bool isEmpty() const { return begin.isEmpty(); }
};

struct TColorKeyword
{
    QString word; // upper-cased unless the rule matches case
    std::optional<TColor> color;
};

class TColorRule
{
public:
    static constexpr int MaxMarkers = 40;
    static constexpr int MaxMarkerLength = 6;

    int ZOrder() const { return m_zOrder; }
    // 0..255; where pieces overlap the higher value wins.
    void setZOrder(int zOrder);
    QString IntChar() const { return m_intChar; }
    void setIntChar(const QString& intChar) { m_intChar = intChar; }

    const QStringList& Keywords() const { return m_keywords; }
    void setKeywords(const QStringList& lines);
    const QStringList& KeyBegEndLst() const { return m_keyBegEndLst; }
    void setKeyBegEndLst(const QStringList& lines);
    const QStringList& KeyLineEndLst() const { return m_keyLineEndLst; }
    void setKeyLineEndLst(const QStringList& lines);

    int KeyMaxHeight() const { return m_keyMaxHeight; }
    // Below 1 counts as 1.
    void setKeyMaxHeight(int lines) { m_keyMaxHeight = qMax(1, lines); }
    TKeyDrawingType KeyDrawingType() const { return m_keyDrawingType; }
    void setKeyDrawingType(TKeyDrawingType type) { m_keyDrawingType = type; }
    bool KeyCase() const { return m_keyCase; }
    void setKeyCase(bool keyCase);
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool PartWord() const { return m_partWord; }
    void setPartWord(bool partWord) { m_partWord = partWord; }
    TColor DefKeyColor() const { return m_defKeyColor; }
    void setDefKeyColor(TColor color) { m_defKeyColor = color; }
    TColor KeySelColor() const { return m_keySelColor; }
    void setKeySelColor(TColor color) { m_keySelColor = color; }
    // The background a recoloured piece is painted on.
    TColor KeyBrushColor() const { return m_keyBrushColor; }
    void setKeyBrushColor(TColor color) { m_keyBrushColor = color; }

    // One entry per line of KeyBegEndLst (at most 40). A line without ";",
    // starting with ";" or with an empty end marker gives an empty entry,
    // and the search never looks past it: an empty end marker would match
    // in place and never let the scan advance.
    const std::vector<TColorMarker>& PairTable() const { return m_pairs; }
    // One entry per line of KeyLineEndLst (at most 40); an empty marker
    // gives an empty entry, which never matches.
    const std::vector<TColorMarker>& LineTable() const { return m_lineMarkers; }
    const std::vector<TColorKeyword>& KeywordTable() const { return m_keywordTable; }

    // An entry's colour, the rule's default when the entry names none.
    TColor ColorOf(const std::optional<TColor>& color) const { return color.value_or(m_defKeyColor); }
    // Whether the list the drawing type applies has something to find.
    bool HasEntries() const;

private:
    void ParseKeywords();

    int m_zOrder = 0;
    QString m_intChar;
    QStringList m_keywords;
    QStringList m_keyBegEndLst;
    QStringList m_keyLineEndLst;
    int m_keyMaxHeight = 1;
    TKeyDrawingType m_keyDrawingType = TKeyDrawingType::dtBeginEnd;
    bool m_keyCase = false;
    bool m_enabled = true;
    bool m_partWord = false;
    TColor m_defKeyColor = 0x0000FF; // red
    TColor m_keySelColor = 0x00FFFF; // yellow
    TColor m_keyBrushColor = clWindow;

    std::vector<TColorMarker> m_pairs;
    std::vector<TColorMarker> m_lineMarkers;
    std::vector<TColorKeyword> m_keywordTable;
};

// The memo's rule collection; later rules win ties of equal ZOrder.
class TDrawRules
{
public:
    TColorRule& Add();
    int Count() const { return int(m_rules.size()); }
    TColorRule& Items(int index) { return m_rules.at(size_t(index)); }
    const TColorRule& Items(int index) const { return m_rules.at(size_t(index)); }
    void Delete(int index);
    void Clear() { m_rules.clear(); }

    auto begin() const { return m_rules.begin(); }
    auto end() const { return m_rules.end(); }

private:
    std::vector<TColorRule> m_rules;
};

// Text between BeginChar and EndChar on one line is shown like a link and
// reported when clicked.
struct THotSpot
{
    QChar BeginChar = QChar(30);
    QChar EndChar = QChar(31);
    TColor Color = 0xFF0000; // blue
    TColor MarkerColor = clWindow;
    bool Active = false;
    bool Underlined = true;
};
