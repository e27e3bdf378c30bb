#include "app/editors/DebugWords.h"

#include "access/QvSqlScan.h"
#include "components/StrUtils.h"

#include <QStringList>

#include <algorithm>

namespace {

bool isWordStart(const QString& text, qsizetype at)
{
    return at == 0 || IsWordBoundary(text.at(at - 1));
}

bool isWordEnd(const QString& text, qsizetype after)
{
    return after >= text.size() || IsWordBoundary(text.at(after));
}

// The code words of text in order: position and length, CASE depth tracked
// so that the caller can skip what lies inside a CASE expression.
template <typename Visit>
void forEachCodeWord(const QString& text, Visit&& visit)
{
    const std::vector<bool> code = CodeMask(text);
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size) {
        if (!code[std::size_t(i)] || IsWordBoundary(text.at(i))) {
            if (code[std::size_t(i)] && !visit(i, 1))
                return;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < size && code[std::size_t(end)] && !IsWordBoundary(text.at(end)))
            ++end;
        if (!visit(i, end - i))
            return;
        i = end;
    }
}

} // namespace

bool IsWordBoundary(QChar c)
{
    static const TCharSet boundaries(u"\n\r \t()*+,-/:;<=>");
    return boundaries.contains(c);
}

std::vector<bool> CodeMask(QStringView text)
{
    std::vector<bool> code(std::size_t(text.size()), false);
    QvSql::ForEachSpan(text, [&](const QvSql::Span& span) {
        if (span.Kind == QvSql::SpanKind::Code)
            std::fill_n(code.begin() + span.Start, span.Length, true);
        return true;
    });
    return code;
}

int OpenLiteralStart(QStringView text)
{
    int openAt = -1;
    QvSql::ForEachSpan(text, [&](const QvSql::Span& span) {
        openAt = span.Closed ? -1 : int(span.Start);
        return true;
    });
    return openAt;
}

bool EndsInsideLiteral(QStringView text)
{
    return OpenLiteralStart(text) >= 0;
}

int PosWord(const QString& text, const QString& word)
{
    if (word.isEmpty() || text.isEmpty())
        return 0;
    const std::vector<bool> code = CodeMask(text);
    const bool needsBoundary = !IsWordBoundary(word.front());
    for (qsizetype at = text.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(word, at + 1, Qt::CaseInsensitive)) {
        if (!code[std::size_t(at)])
            continue;
        if (needsBoundary && (!isWordStart(text, at) || !isWordEnd(text, at + word.size())))
            continue;
        return int(at + 1);
    }
    return 0;
}

QStringList NamesInText(const QString& text)
{
    QStringList names;
    qsizetype wordEnd = -1; // where the last code word ended
    QvSql::ForEachSpan(text, [&](const QvSql::Span& span) {
        const QStringView piece = QStringView(text).mid(span.Start, span.Length);
        if (span.Kind == QvSql::SpanKind::String && piece.startsWith(u'"')) {
            if (wordEnd == span.Start && names.last().endsWith(u'.'))
                names.last() += piece;
            else
                names << piece.toString();
        } else if (span.Kind == QvSql::SpanKind::Code) {
            qsizetype i = 0;
            while (i < piece.size()) {
                if (IsWordBoundary(piece[i])) {
                    ++i;
                    continue;
                }
                const qsizetype start = i;
                while (i < piece.size() && !IsWordBoundary(piece[i]))
                    ++i;
                names << piece.mid(start, i - start).toString();
                wordEnd = span.Start + i;
            }
        }
        return true;
    });
    return names;
}

int FirstWordOf(const QString& text, const QString& words, QString& found)
{
    found.clear();
    int best = 0;
    for (const QString& word : words.split(QLatin1Char('_'))) {
        const int at = PosWord(text, word);
        if (at > 0 && (best == 0 || at < best)) {
            best = at;
            found = word;
        }
    }
    return best;
}

int CountLines(QStringView text)
{
    return int(text.count(u"\r\n"));
}

QString FirstWordOfStatement(const QString& text)
{
    qsizetype end = text.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'=' || c == u' ' || c == u'\t' || c == u'(' || c == u';' || c == u'\r' || c == u'\n') {
            end = i;
            break;
        }
    }
    return text.left(end).toLower();
}

TTerminator FindTerminator(const QString& text)
{
    TTerminator found;
    int caseDepth = 0;
    forEachCodeWord(text, [&](qsizetype at, qsizetype length) {
        const QStringView word = QStringView(text).mid(at, length);
        if (word == u";") {
            found = {int(at), QStringLiteral(";")};
            return false;
        }
        if (word.compare(u"case", Qt::CaseInsensitive) == 0) {
            ++caseDepth;
        } else if (word.compare(u"end", Qt::CaseInsensitive) == 0) {
            if (caseDepth == 0) {
                found = {int(at), QStringLiteral("end")};
                return false;
            }
            --caseDepth;
        } else if (word.compare(u"begin", Qt::CaseInsensitive) == 0) {
            found = {int(at), QStringLiteral("begin")};
            return false;
        }
        return true;
    });
    return found;
}

int FindTopLevelWord(const QString& text, const QString& word)
{
    int found = -1;
    int caseDepth = 0;
    forEachCodeWord(text, [&](qsizetype at, qsizetype length) {
        const QStringView current = QStringView(text).mid(at, length);
        if (current.compare(u"case", Qt::CaseInsensitive) == 0) {
            ++caseDepth;
        } else if (current.compare(u"end", Qt::CaseInsensitive) == 0 && caseDepth > 0) {
            --caseDepth;
        } else if (caseDepth == 0 && current.compare(word, Qt::CaseInsensitive) == 0) {
            found = int(at);
            return false;
        }
        return true;
    });
    return found;
}

QString SearchCopy(const QString& text)
{
    QString copy = text;
    const std::vector<bool> code = CodeMask(text);
    for (qsizetype i = 0; i + 1 < copy.size(); ++i) {
        if (copy.at(i) == u'\r' && copy.at(i + 1) == u'\n' && code[std::size_t(i)]) {
            copy[i] = u' ';
            copy[i + 1] = u' ';
            ++i;
        }
    }
    return copy;
}
