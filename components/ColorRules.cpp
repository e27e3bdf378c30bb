#include "components/ColorRules.h"

#include <array>
#include <utility>

namespace {

struct NamedColor
{
    const char* name;
    TColor color; // 0x00BBGGRR
};

constexpr std::array<NamedColor, 16> kStandardColors{{
    {"BLACK", 0x000000},
    {"MAROON", 0x000080},
    {"GREEN", 0x008000},
    {"OLIVE", 0x008080},
    {"NAVY", 0x800000},
    {"PURPLE", 0x800080},
    {"TEAL", 0x808000},
    {"GRAY", 0x808080},
    {"SILVER", 0xC0C0C0},
    {"RED", 0x0000FF},
    {"LIME", 0x00FF00},
    {"YELLOW", 0x00FFFF},
    {"BLUE", 0xFF0000},
    {"FUCHSIA", 0xFF00FF},
    {"AQUA", 0xFFFF00},
    {"WHITE", 0xFFFFFF},
}};

// The marker of a line-marker or keyword line and what follows it: the
// text before the first ";", ";" itself for a line that begins with ";;",
// the whole line when it has no ";".
std::pair<QString, QString> SplitAtSemicolon(const QString& line)
{
    if (line.startsWith(QLatin1String(";;")))
        return {QStringLiteral(";"), line.mid(2)};
    const qsizetype at = line.indexOf(QLatin1Char(';'));
    if (at < 0)
        return {line, QString()};
    return {line.left(at), line.mid(at + 1)};
}

std::optional<TColor> ColorOfRest(const QString& rest)
{
    const QString trimmed = rest.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return ParseRuleColor(trimmed);
}

TColorMarker PairFromLine(const QString& line)
{
    const qsizetype first = line.indexOf(QLatin1Char(';'));
    if (first <= 0)
        return {};
    const QString rest = line.mid(first + 1);
    const qsizetype second = rest.indexOf(QLatin1Char(';'));
    TColorMarker marker;
    marker.end = (second < 0 ? rest : rest.left(second)).left(TColorRule::MaxMarkerLength);
    if (marker.end.isEmpty())
        return {};
    marker.begin = line.left(first).left(TColorRule::MaxMarkerLength);
    if (second >= 0)
        marker.color = ColorOfRest(rest.mid(second + 1));
    return marker;
}

TColorMarker LineMarkerFromLine(const QString& line)
{
    const auto [text, rest] = SplitAtSemicolon(line);
    TColorMarker marker;
    marker.begin = text.left(TColorRule::MaxMarkerLength);
    if (!marker.begin.isEmpty())
        marker.color = ColorOfRest(rest);
    return marker;
}

} // namespace

std::optional<TColor> ParseRuleColor(const QString& text)
{
    QString value = text.trimmed().toUpper();
    for (const NamedColor& named : kStandardColors) {
        if (value == QLatin1String(named.name))
            return named.color;
    }
    if (value.startsWith(QLatin1Char('#')) || value.startsWith(QLatin1Char('$')))
        value.remove(0, 1);
    if (value.isEmpty() || value.size() > 6)
        return std::nullopt;
    // toUInt alone would also take a sign or blanks.
    for (const QChar c : value) {
        const bool hexDigit = (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
        if (!hexDigit)
            return std::nullopt;
    }
    const uint rgb = value.toUInt(nullptr, 16);
    // RRGGBB as written, 0x00BBGGRR as kept.
    return TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

// ---------------------------------------------------------------------------
// TColorRule

void TColorRule::setZOrder(int zOrder)
{
    m_zOrder = qBound(0, zOrder, 255);
}

void TColorRule::setKeywords(const QStringList& lines)
{
    m_keywords = lines;
    ParseKeywords();
}

void TColorRule::setKeyCase(bool keyCase)
{
    if (m_keyCase == keyCase)
        return;
    m_keyCase = keyCase;
    ParseKeywords();
}

void TColorRule::ParseKeywords()
{
    m_keywordTable.clear();
    for (const QString& line : m_keywords) {
        const auto [text, rest] = SplitAtSemicolon(line.trimmed());
        const QString word = text.trimmed();
        if (word.isEmpty())
            continue;
        m_keywordTable.push_back({m_keyCase ? word : word.toUpper(), ColorOfRest(rest)});
    }
}

void TColorRule::setKeyBegEndLst(const QStringList& lines)
{
    m_keyBegEndLst = lines;
    m_pairs.clear();
    for (const QString& line : lines.mid(0, MaxMarkers))
        m_pairs.push_back(PairFromLine(line));
}

void TColorRule::setKeyLineEndLst(const QStringList& lines)
{
    m_keyLineEndLst = lines;
    m_lineMarkers.clear();
    for (const QString& line : lines.mid(0, MaxMarkers))
        m_lineMarkers.push_back(LineMarkerFromLine(line));
}

bool TColorRule::HasEntries() const
{
    switch (m_keyDrawingType) {
    case TKeyDrawingType::dtKeyShow:
    case TKeyDrawingType::dtEventDraw:
        return !m_keywordTable.empty();
    case TKeyDrawingType::dtBeginEnd:
        return !m_pairs.empty() && !m_pairs.front().isEmpty();
    case TKeyDrawingType::dtBeginLineEnd:
        for (const TColorMarker& marker : m_lineMarkers) {
            if (!marker.isEmpty())
                return true;
        }
        return false;
    }
    return false;
}

// ---------------------------------------------------------------------------
// TDrawRules

TColorRule& TDrawRules::Add()
{
    m_rules.emplace_back();
    return m_rules.back();
}

void TDrawRules::Delete(int index)
{
    if (index >= 0 && index < Count())
        m_rules.erase(m_rules.begin() + index);
}
