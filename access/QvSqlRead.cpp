#include "access/QvSqlRead.h"

#include "access/QvSqlScan.h"

#include <algorithm>
#include <vector>

namespace QvSql {

namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Where the parenthesis opened at `open` closes, in code; -1 when it never does.
qsizetype matchingParenthesis(QStringView text, qsizetype open)
{
    int depth = 0;
    qsizetype close = -1;
    ForEachSpan(text.mid(open), [&](const Span& span) {
        if (span.Kind != SpanKind::Code)
            return span.Closed;
        for (qsizetype i = open + span.Start; i < open + span.End(); ++i) {
            if (text[i] == u'(') {
                ++depth;
            } else if (text[i] == u')' && --depth == 0) {
                close = i;
                return false;
            }
        }
        return true;
    });
    return close;
}

} // namespace

Quoting QuotingOf(QStringView text)
{
    Scanner scanner(text);
    Span span;
    if (!scanner.Next(span) || span.Kind != SpanKind::String || !span.Closed || span.Length != text.size())
        return Quoting::None;
    if (text.front() == u'\'')
        return Quoting::Single;
    return text.front() == u'"' ? Quoting::Double : Quoting::Alternative;
}

QString Unquoted(QStringView text)
{
    switch (QuotingOf(text)) {
    case Quoting::None:
        break;
    case Quoting::Alternative:
        // q'<c> ... <c>': nothing inside is doubled.
        return text.mid(3, text.size() - 5).toString();
    case Quoting::Single:
    case Quoting::Double: {
        const QChar quote = text.front();
        return text.mid(1, text.size() - 2).toString().replace(QString(2, quote), QString(quote));
    }
    }
    return text.toString();
}

qsizetype SkipBlanksAndComments(QStringView text, qsizetype from)
{
    qsizetype at = from;
    ForEachSpan(text.mid(from), [&](const Span& span) {
        at = from + span.Start;
        if (span.IsComment()) {
            at = from + span.End();
            return true;
        }
        if (span.Kind != SpanKind::Code)
            return false;
        while (at < from + span.End() && text[at].isSpace())
            ++at;
        return at == from + span.End();
    });
    return at;
}

QList<Word> LeadWords(QStringView text, int count)
{
    QList<Word> words;
    qsizetype at = 0;
    while (words.size() < count) {
        at = SkipBlanksAndComments(text, at);
        if (at >= text.size())
            break;
        qsizetype end = at;
        Scanner scanner(text.mid(at));
        Span span;
        if (scanner.Next(span) && span.Kind == SpanKind::String) {
            end = at + span.Length;
        } else {
            while (end < text.size() && isWordCharacter(text[end]))
                ++end;
            if (end == at)
                break;
        }
        words << Word{at, end - at};
        at = end;
    }
    return words;
}

bool IsKeyword(QStringView text, const Word& word, QLatin1String keyword)
{
    return text.mid(word.Start, word.Length).compare(keyword, Qt::CaseInsensitive) == 0;
}

QString StoredDefault(QStringView source)
{
    return Unquoted(StoredDefaultSource(source));
}

QString StoredDefaultSource(QStringView source)
{
    qsizetype at = SkipBlanksAndComments(source);
    const QList<Word> first = LeadWords(source, 1);
    if (!first.isEmpty() && IsKeyword(source, first.front(), QLatin1String("DEFAULT")))
        at = first.front().End();
    else if (at < source.size() && source[at] == u'=')
        ++at;
    QString value;
    ForEachSpan(source.mid(at), [&](const Span& span) {
        if (!span.IsComment())
            value += source.mid(at + span.Start, span.Length);
        return true;
    });
    return QStringView(value).trimmed().toString();
}

bool IsContextValue(QStringView word)
{
    static const QLatin1String plain[] = {QLatin1String("NULL"), QLatin1String("USER"),
                                          QLatin1String("CURRENT_USER"), QLatin1String("CURRENT_ROLE"),
                                          QLatin1String("CURRENT_DATE")};
    for (const QLatin1String value : plain)
        if (word.compare(value, Qt::CaseInsensitive) == 0)
            return true;
    // The time values may carry a precision: CURRENT_TIMESTAMP(3).
    qsizetype end = word.size();
    if (word.endsWith(u')')) {
        const qsizetype open = word.indexOf(u'(');
        if (open < 0)
            return false;
        const QStringView digits = word.mid(open + 1, word.size() - open - 2).trimmed();
        if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
            return false;
        end = open;
    }
    const QStringView name = word.left(end).trimmed();
    return name.compare(QLatin1String("CURRENT_TIME"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("CURRENT_TIMESTAMP"), Qt::CaseInsensitive) == 0;
}

namespace {

// What may stand right before a string literal and make it another literal:
// a character set introducer (blanks may follow it) or the X of a binary one.
bool isLiteralPrefix(QStringView code)
{
    if (code.size() == 1 && (code[0] == u'x' || code[0] == u'X'))
        return true;
    const QStringView introducer = code.trimmed();
    return introducer.size() > 1 && introducer.front() == u'_'
        && std::all_of(introducer.begin(), introducer.end(), IsNameCharacter);
}

} // namespace

bool IsWrittenValue(QStringView text)
{
    const QStringView value = text.trimmed();
    Scanner scanner(value);
    Span first;
    if (!scanner.Next(first))
        return false;
    Span string = first;
    if (first.Kind == SpanKind::Code) {
        if (!scanner.Next(string))
            return IsContextValue(value);
        if (!isLiteralPrefix(scanner.Text(first)))
            return false;
    }
    Span after;
    return string.Kind == SpanKind::String && string.Closed && value[string.Start] != u'"'
        && !scanner.Next(after);
}

QString ParenthesizedText(QStringView source, QLatin1String keyword)
{
    qsizetype open = SkipBlanksAndComments(source);
    if (!keyword.isEmpty()) {
        const QList<Word> first = LeadWords(source, 1);
        if (first.isEmpty() || !IsKeyword(source, first.front(), keyword))
            return source.trimmed().toString();
        open = SkipBlanksAndComments(source, first.front().End());
    }
    if (open >= source.size() || source[open] != u'(')
        return source.trimmed().toString();
    const qsizetype close = matchingParenthesis(source, open);
    const QStringView inner = close < 0 ? source.mid(open + 1) : source.mid(open + 1, close - open - 1);
    return inner.trimmed().toString();
}

namespace {

// What a name use is made of: names, ".", "(" and anything else.
struct NameToken
{
    enum Kind { Name, Dot, Open, Other } kind;
    QString name;
};

void appendCodeTokens(QStringView code, std::vector<NameToken>& tokens)
{
    for (qsizetype at = 0; at < code.size();) {
        const QChar c = code[at];
        if (c.isSpace()) {
            ++at;
            continue;
        }
        if (IsNameCharacter(c)) {
            qsizetype end = at;
            while (end < code.size() && IsNameCharacter(code[end]))
                ++end;
            // A number is no name.
            const bool name = c.isLetter();
            tokens.push_back({name ? NameToken::Name : NameToken::Other,
                              name ? code.mid(at, end - at).toString().toUpper() : QString()});
            at = end;
            continue;
        }
        tokens.push_back({c == u'.' ? NameToken::Dot : c == u'(' ? NameToken::Open : NameToken::Other, QString()});
        ++at;
    }
}

} // namespace

QList<NameUse> NamesUsed(QStringView text, int dialect)
{
    std::vector<NameToken> tokens;
    ForEachSpan(text, [&](const Span& span) {
        const QStringView piece = text.mid(span.Start, span.Length);
        switch (span.Kind) {
        case SpanKind::Code:
            appendCodeTokens(piece, tokens);
            break;
        case SpanKind::String:
            // The server drops a quoted name's trailing blanks, as the catalog keeps it.
            if (dialect != 1 && span.Closed && QuotingOf(piece) == Quoting::Double) {
                QString name = Unquoted(piece);
                while (name.endsWith(u' '))
                    name.chop(1);
                tokens.push_back({NameToken::Name, name});
            } else {
                tokens.push_back({NameToken::Other, QString()});
            }
            break;
        case SpanKind::Terminator:
            tokens.push_back({NameToken::Other, QString()});
            break;
        case SpanKind::Comment:
        case SpanKind::LineComment:
            break;
        }
        return true;
    });
    QList<NameUse> uses;
    const auto is = [&tokens](std::size_t at, NameToken::Kind kind) {
        return at < tokens.size() && tokens[at].kind == kind;
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != NameToken::Name)
            continue;
        NameUse use;
        if (i >= 2 && is(i - 1, NameToken::Dot) && is(i - 2, NameToken::Name))
            use.Qualifier = tokens[i - 2].name;
        use.Name = tokens[i].name;
        use.Called = is(i + 1, NameToken::Open);
        uses << use;
    }
    return uses;
}

bool EndsInLineComment(QStringView text)
{
    bool inComment = false;
    ForEachSpan(text, [&](const Span& span) {
        inComment = span.Kind == SpanKind::LineComment;
        return true;
    });
    return inComment;
}

QString Fragment(const QString& fragment)
{
    return EndsInLineComment(fragment) ? fragment + QStringLiteral("\r\n") : fragment;
}

} // namespace QvSql
