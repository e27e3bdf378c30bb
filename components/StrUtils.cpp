#include "components/StrUtils.h"

#include <QTextBoundaryFinder>

#include <algorithm>

// ---------------------------------------------------------------- TCharSet

TCharSet::TCharSet(std::initializer_list<char16_t> chars)
{
    for (const char16_t c : chars)
        insert(QChar(c));
}

TCharSet::TCharSet(QStringView chars)
{
    for (const QChar c : chars)
        insert(c);
}

TCharSet::TCharSet(const char* latin1Chars)
    : TCharSet(QStringView(QString::fromLatin1(latin1Chars)))
{
}

bool TCharSet::contains(QChar c) const
{
    const char16_t u = c.unicode();
    if (u < 256)
        return m_latin1.test(u);
    return std::binary_search(m_others.cbegin(), m_others.cend(), c);
}

TCharSet& TCharSet::insert(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 256) {
        m_latin1.set(u);
    } else {
        const auto at = std::lower_bound(m_others.cbegin(), m_others.cend(), c);
        if (at == m_others.cend() || *at != c)
            m_others.insert(at - m_others.cbegin(), c);
    }
    return *this;
}

TCharSet& TCharSet::remove(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 256) {
        m_latin1.reset(u);
    } else {
        const auto at = std::lower_bound(m_others.cbegin(), m_others.cend(), c);
        if (at != m_others.cend() && *at == c)
            m_others.remove(at - m_others.cbegin(), 1);
    }
    return *this;
}

TCharSet TCharSet::united(const TCharSet& other) const
{
    TCharSet result = *this;
    result.m_latin1 |= other.m_latin1;
    for (const QChar c : other.m_others)
        result.insert(c);
    return result;
}

// ---------------------------------------------------------------- strings

bool StrAllInSet(const QString& s, const TCharSet& chars)
{
    return std::all_of(s.cbegin(), s.cend(), [&](QChar c) { return chars.contains(c); });
}

QString StrReplaceAll(const QString& s, const QString& search, const QString& replace)
{
    if (search.isEmpty())
        return s;
    QString result;
    qsizetype from = 0;
    for (qsizetype at = s.indexOf(search, from); at >= 0; at = s.indexOf(search, from)) {
        result += QStringView(s).mid(from, at - from);
        result += replace;
        from = at + search.size();
    }
    result += QStringView(s).mid(from);
    return result;
}

QString StrDeleteChar(const QString& s, QChar c)
{
    QString result;
    result.reserve(s.size());
    for (const QChar ch : s) {
        if (ch != c)
            result += ch;
    }
    return result;
}

QString StrDeleteSpaces(const QString& s)
{
    return StrDeleteChar(s, QLatin1Char(' '));
}

QString StrTrimLeadingSpaces(const QString& s)
{
    qsizetype first = 0;
    while (first < s.size() && s.at(first) == QLatin1Char(' '))
        ++first;
    return s.mid(first);
}

QString StrTrimTrailingSpaces(const QString& s)
{
    qsizetype end = s.size();
    while (end > 0 && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.left(end);
}

QString StrTrimSpaces(const QString& s)
{
    return StrTrimLeadingSpaces(StrTrimTrailingSpaces(s));
}

QString StrOfChar(QChar c, int n)
{
    return n < 1 ? QString() : QString(n, c);
}

int StrPosNth(const QString& substr, const QString& s, int n)
{
    if (n < 1 || substr.isEmpty())
        return 0;
    qsizetype from = 0;
    for (int found = 1;; ++found) {
        const qsizetype at = s.indexOf(substr, from);
        if (at < 0)
            return 0;
        if (found == n)
            return int(at + 1);
        // Overlapping matches count: resume one character after this match began.
        from = at + 1;
    }
}

// ---------------------------------------------------------------- words

namespace {

// Index (0-based) of the start of word n, or -1.
qsizetype wordStart(int n, const QString& s, const TCharSet& delims)
{
    if (n < 1)
        return -1;
    const qsizetype length = s.size();
    qsizetype i = 0;
    int count = 0;
    while (i < length) {
        while (i < length && delims.contains(s.at(i)))
            ++i;
        if (i >= length)
            break;
        if (++count == n)
            return i;
        while (i < length && !delims.contains(s.at(i)))
            ++i;
    }
    return -1;
}

} // namespace

int StrWordCount(const QString& s, const TCharSet& delims)
{
    const qsizetype length = s.size();
    qsizetype i = 0;
    int count = 0;
    while (i < length) {
        while (i < length && delims.contains(s.at(i)))
            ++i;
        if (i >= length)
            break;
        ++count;
        while (i < length && !delims.contains(s.at(i)))
            ++i;
    }
    return count;
}

int StrWordPosition(int n, const QString& s, const TCharSet& delims)
{
    return int(wordStart(n, s, delims) + 1);
}

QString ExtractWordN(int n, const QString& s, const TCharSet& delims)
{
    int pos = 0;
    return ExtractWordNPos(n, s, delims, pos);
}

QString ExtractWordNPos(int n, const QString& s, const TCharSet& delims, int& pos)
{
    const qsizetype start = wordStart(n, s, delims);
    pos = int(start + 1);
    if (start < 0)
        return QString();
    qsizetype end = start;
    while (end < s.size() && !delims.contains(s.at(end)))
        ++end;
    return s.mid(start, end - start);
}

namespace {

char32_t codePointAt(const QString& s, qsizetype i)
{
    const QChar c = s.at(i);
    if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, s.at(i + 1));
    return c.unicode();
}

// The code point that ends just before i.
char32_t codePointBefore(const QString& s, qsizetype i)
{
    const QChar c = s.at(i - 1);
    if (c.isLowSurrogate() && i >= 2 && s.at(i - 2).isHighSurrogate())
        return QChar::surrogateToUcs4(s.at(i - 2), c);
    return c.unicode();
}

qsizetype codePointStartBefore(const QString& s, qsizetype i)
{
    return codePointBefore(s, i) > 0xFFFF ? i - 2 : i - 1;
}

bool isRegionalIndicator(char32_t c)
{
    return c >= 0x1F1E6 && c <= 0x1F1FF;
}

// A code point that belongs to the character before it: the rules Qt's
// grapheme finder misses for Thai, Indic scripts and emoji sequences.
bool extendsPrevious(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        break;
    }
    return c == 0x200D                       // zero width joiner
        || c == 0x0E33 || c == 0x0EB3        // Thai and Lao SARA AM, spacing marks
        || (c >= 0xFE00 && c <= 0xFE0F)      // variation selectors
        || (c >= 0xE0100 && c <= 0xE01EF)
        || (c >= 0x1F3FB && c <= 0x1F3FF)    // skin-tone modifiers
        || (c >= 0xE0020 && c <= 0xE007F);   // tag characters (subdivision flags)
}

// Regional indicators pair up from the start of their run.
bool splitsFlagPair(const QString& s, qsizetype at)
{
    if (!isRegionalIndicator(codePointAt(s, at)) || !isRegionalIndicator(codePointBefore(s, at)))
        return false;
    int before = 0;
    for (qsizetype i = at; i > 0 && isRegionalIndicator(codePointBefore(s, i)); i = codePointStartBefore(s, i))
        ++before;
    return before % 2 == 1;
}

bool mayCutAt(const QString& s, QTextBoundaryFinder& finder, qsizetype at)
{
    if (at == 0 || at == s.size())
        return true;
    if (s.at(at).isLowSurrogate() && s.at(at - 1).isHighSurrogate())
        return false;
    finder.setPosition(at);
    if (!finder.isAtBoundary())
        return false;
    return !extendsPrevious(codePointAt(s, at)) && codePointBefore(s, at) != 0x200D
        && !splitsFlagPair(s, at);
}

} // namespace

QString StrLeftWhole(const QString& s, qsizetype maxLength)
{
    if (s.size() <= maxLength)
        return s;
    if (maxLength <= 0)
        return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    qsizetype end = maxLength;
    while (!mayCutAt(s, finder, end))
        --end;
    return s.left(end);
}

QString IdentStr(const QString& s)
{
    return s;
}
