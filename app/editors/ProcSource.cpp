#include "app/editors/ProcSource.h"

#include "access/QvSqlRead.h"
#include "access/QvSqlScan.h"
#include "access/QvSqlText.h"
#include "app/shell/MyConst.h"
#include "components/StrUtils.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString CRLF = QStringLiteral("\r\n");

// Lines as the editors keep them: split at CR LF, LF or CR; a final line
// break adds no empty line.
QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

QString JoinLines(const QStringList& lines)
{
    QString text;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += CRLF;
    }
    return text;
}

bool IsBlankLine(QStringView line)
{
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c == u' ' || c == u'\t'; });
}

// Start of the last word of text, or -1.
qsizetype LastWordStart(QStringView text)
{
    const TCharSet& delimiters = SourceWordDelimiters();
    qsizetype end = text.size();
    while (end > 0 && delimiters.contains(text.at(end - 1)))
        --end;
    if (end == 0)
        return -1;
    qsizetype start = end;
    while (start > 0 && !delimiters.contains(text.at(start - 1)))
        --start;
    return start;
}

// One declaration of a header, split into what is code and what stands in
// its /* */ comments; "--" comments belong to neither.
struct TDeclaration
{
    QString Code;
    QString Comment;
};

TDeclaration SplitDeclaration(QStringView piece)
{
    TDeclaration declaration;
    QvSql::ForEachSpan(piece, [&](const QvSql::Span& span) {
        const QStringView text = piece.mid(span.Start, span.Length);
        if (span.Kind == QvSql::SpanKind::Comment)
            declaration.Comment += text.mid(2, span.Closed ? text.size() - 4 : -1);
        else if (span.Kind != QvSql::SpanKind::LineComment)
            declaration.Code += text;
        return true;
    });
    return declaration;
}

bool IsBoundary(QChar c)
{
    static const TCharSet delimiters(u"\n\r ()*+,-/:;<=>");
    return delimiters.contains(c);
}

// The first position in code (outside strings and comments) that found
// accepts, or -1. It reads no further than it must: a long text after the
// position costs nothing.
template <class Found>
qsizetype FirstInCode(QStringView text, Found found)
{
    qsizetype at = -1;
    QvSql::ForEachSpan(text, [&](const QvSql::Span& span) {
        if (span.Kind != QvSql::SpanKind::Code)
            return true;
        for (qsizetype i = span.Start; i < span.End(); ++i) {
            if (found(i)) {
                at = i;
                return false;
            }
        }
        return true;
    });
    return at;
}

// Position of the first whole word (any letter case) in code; -1 for none.
qsizetype FirstWordInCode(QStringView text, QStringView word)
{
    const qsizetype size = text.size();
    return FirstInCode(text, [&](qsizetype i) {
        return (i == 0 || IsBoundary(text.at(i - 1))) && i + word.size() <= size
               && text.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0
               && (i + word.size() == size || IsBoundary(text.at(i + word.size())));
    });
}

// Positions of the ";" in code.
QList<qsizetype> SemicolonsInCode(QStringView text)
{
    QList<qsizetype> positions;
    FirstInCode(text, [&](qsizetype i) {
        if (text.at(i) == u';')
            positions << i;
        return false;
    });
    return positions;
}

// The name and the type of "NAME TYPE", the name as the user types it: a
// quoted name, blanks and all, keeps its quotes unless it stands for a plain
// name, so that writing it again names the same variable.
void SplitNameAndType(const QString& code, int nameWord, TParamRow& row)
{
    const TCharSet& delimiters = SourceWordDelimiters();
    const int nameStart = StrWordPosition(nameWord, code, delimiters);
    if (nameStart <= 0)
        return;
    const QStringView rest = QStringView(code).mid(nameStart - 1);
    const QList<QvSql::Word> quoted = rest.startsWith(u'"') ? QvSql::LeadWords(rest, 1) : QList<QvSql::Word>();
    if (!quoted.isEmpty() && quoted.front().Length > 2
        && QvSql::QuotingOf(rest.left(quoted.front().Length)) == QvSql::Quoting::Double) {
        // Only dialect 3 has quoted names.
        row.Name = QvSql::TypedName(QvSql::Unquoted(rest.left(quoted.front().Length)), 3);
        row.Type = rest.mid(quoted.front().Length).trimmed().toString();
        return;
    }
    row.Name = ExtractWordN(nameWord, code, delimiters);
    const int typeStart = StrWordPosition(nameWord + 1, code, delimiters);
    if (typeStart > 0)
        row.Type = code.mid(typeStart - 1).trimmed();
}

// A line's text within the whole, without its line break.
struct TLineSpan
{
    qsizetype Start = 0;
    qsizetype Length = 0;
};

// The lines as SplitLines makes them, where they stand.
QList<TLineSpan> LineSpans(QStringView text)
{
    QList<TLineSpan> lines;
    const char16_t* const chars = text.utf16();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = chars[i];
        // Most characters lie above both line-break characters.
        if (c > u'\r' || (c != u'\r' && c != u'\n'))
            continue;
        lines << TLineSpan{start, i - start};
        if (c == u'\r' && i + 1 < size && chars[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines << TLineSpan{start, size - start};
    return lines;
}

// Whether a CR LF stands anywhere in text; the rare CR is searched for alone.
bool HasCRLF(QStringView text)
{
    for (qsizetype at = text.indexOf(u'\r'); at >= 0; at = text.indexOf(u'\r', at + 1))
        if (at + 1 < text.size() && text.at(at + 1) == u'\n')
            return true;
    return false;
}

// The body's lines and where they stand in the text after "begin": from
// Start to End, what is before and after is the source's frame.
struct TBodyRange
{
    QStringList Lines;
    qsizetype Start = 0;
    qsizetype End = 0;
};

TBodyRange FindBody(QStringView afterBegin, bool dropTrailingBlankLines)
{
    const QList<TLineSpan> spans = LineSpans(afterBegin);
    const auto text = [&](qsizetype k) { return afterBegin.mid(spans.at(k).Start, spans.at(k).Length); };
    qsizetype first = 0;
    // The rest of the "begin" line, when blank, is not part of the body.
    if (!spans.isEmpty() && IsBlankLine(text(0)) && afterBegin.size() > spans.first().Length)
        first = 1;
    qsizetype last = spans.size(); // one past the last line kept
    qsizetype lastLength = -1;     // the last line's length when the final word is cut from it
    // Cut before the last word (the final "end"). When it began its line,
    // the line break before it goes too, and with it an empty line there.
    for (qsizetype k = spans.size() - 1; k >= first; --k) {
        const qsizetype endWord = LastWordStart(text(k));
        if (endWord < 0)
            continue;
        if (endWord > 0) {
            last = k + 1;
            lastLength = endWord;
        } else {
            last = k;
            if (last > first && spans.at(last - 1).Length == 0)
                --last;
        }
        break;
    }
    TBodyRange range;
    range.Lines.reserve(std::max<qsizetype>(0, last - first));
    for (qsizetype k = first; k < last; ++k)
        range.Lines << (k + 1 == last && lastLength >= 0 ? text(k).left(lastLength) : text(k)).toString();
    if (dropTrailingBlankLines) {
        while (!range.Lines.isEmpty() && StrDeleteSpaces(range.Lines.last()).isEmpty())
            range.Lines.removeLast();
    }
    const qsizetype kept = range.Lines.size();
    range.Start = first < spans.size() ? spans.at(first).Start : afterBegin.size();
    range.End = kept == 0 ? range.Start : spans.at(first + kept - 1).Start + range.Lines.last().size();
    return range;
}

} // namespace

const TCharSet& SourceWordDelimiters()
{
    static const TCharSet delimiters(u"\n\r\t *+-/:;<=>");
    return delimiters;
}

namespace {

// Where a source's parts stand: its leading blank lines end at Start, its
// first "begin" in code stands at BeginAt (-1 without one).
struct TSourceSplit
{
    qsizetype Start = 0;
    qsizetype BeginAt = -1;
};

TSourceSplit FindSplit(QStringView source)
{
    TSourceSplit split;
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source.at(i);
        if (c == u'\r' || c == u'\n')
            split.Start = i + 1;
        else if (c != u' ' && c != u'\t')
            break;
    }
    const qsizetype at = FirstWordInCode(source.mid(split.Start), u"begin");
    if (at >= 0)
        split.BeginAt = split.Start + at;
    return split;
}

} // namespace

TSourceParts SplitSource(const QString& source)
{
    const TSourceSplit split = FindSplit(source);
    const QStringView text = QStringView(source).mid(split.Start);
    TSourceParts parts;
    if (split.BeginAt < 0) {
        parts.Header = text.toString();
        return parts;
    }
    parts.HasBegin = true;
    parts.Header = QStringView(source).mid(split.Start, split.BeginAt - split.Start).toString();
    parts.Body = QStringView(source).mid(split.BeginAt + 5).toString();
    return parts;
}

TParamRows ParseLocalVariables(const QString& header)
{
    TParamRows rows;
    const TCharSet& delimiters = SourceWordDelimiters();
    qsizetype start = 0;
    for (const qsizetype at : SemicolonsInCode(header)) {
        const TDeclaration declaration = SplitDeclaration(QStringView(header).mid(start, at - start));
        start = at + 1;
        // "declare variable NAME TYPE", or Firebird's shorter "declare NAME TYPE".
        const bool withVariable = ExtractWordN(2, declaration.Code, delimiters).compare(
                                      QStringLiteral("variable"), Qt::CaseInsensitive)
                                  == 0;
        TParamRow row;
        SplitNameAndType(declaration.Code, withVariable ? 3 : 2, row);
        if (row.Name.isEmpty())
            continue;
        row.Description = declaration.Comment;
        // The blank the layout puts before the closing mark is not part of it.
        if (row.Description.endsWith(u' '))
            row.Description.chop(1);
        rows << row;
    }
    return rows;
}

QStringList BodyText(const QString& afterBegin, bool dropTrailingBlankLines)
{
    return FindBody(afterBegin, dropTrailingBlankLines).Lines;
}

TSourceLayout TSourceLayout::Read(const QString& source, bool dropTrailingBlankLines)
{
    const TSourceSplit split = FindSplit(source);
    TSourceLayout layout;
    if (split.BeginAt < 0)
        return layout;
    // The source is kept whole (shared, not copied) and its parts are
    // places in it: a long body is not copied again for what stays unseen.
    layout.m_source = source;
    layout.m_beginAt = split.BeginAt;
    layout.m_locals = ParseLocalVariables(source.mid(split.Start, split.BeginAt - split.Start));
    const qsizetype afterBegin = split.BeginAt + 5;
    TBodyRange body = FindBody(QStringView(source).mid(afterBegin), dropTrailingBlankLines);
    layout.m_body = std::move(body.Lines);
    layout.m_bodyStart = afterBegin + body.Start;
    layout.m_bodyEnd = afterBegin + body.End;
    return layout;
}

QString TSourceLayout::Text(const TParamRows& locals, const QStringList& body, int dialect) const
{
    TParamRows named;
    for (const TParamRow& row : locals)
        if (!row.Name.isEmpty())
            named << row;
    const QStringView source(m_source);
    const qsizetype afterBegin = m_beginAt + 5;
    // What is written anew takes the source's own line break.
    const QString lineBreak = HasCRLF(source) || !source.contains(u'\n') ? CRLF : QStringLiteral("\n");
    QString text = named == m_locals ? source.left(m_beginAt).toString()
                                     : lineBreak + LocalVariablesText(named, dialect) + lineBreak;
    text += source.mid(m_beginAt, 5);
    if (body == m_body) {
        text += source.mid(afterBegin);
        return text;
    }
    const QString lines = body.join(lineBreak);
    // An empty body leaves nothing to tell where the lines go but before the final word.
    if (m_body.isEmpty()) {
        text += lineBreak + lines + lineBreak;
        text += source.mid(m_bodyEnd).trimmed();
        return text;
    }
    text += source.mid(afterBegin, m_bodyStart - afterBegin);
    text += lines;
    text += source.mid(m_bodyEnd);
    return text;
}

QString CommentText(const QString& description)
{
    QString text = description;
    text.remove(u'\r');
    text.remove(u'\n');
    return QvSql::CommentTextKeepingControls(text);
}

QString LocalVariablesText(const TParamRows& locals, int dialect)
{
    QStringList lines;
    for (const TParamRow& row : locals) {
        if (row.Name.isEmpty())
            continue;
        QString line = QStringLiteral("     declare variable ") + QvSql::SourceName(row.Name, dialect) + u' ' + row.Type;
        if (!row.Description.isEmpty())
            line += QStringLiteral("   /*") + CommentText(row.Description) + QStringLiteral(" */");
        line += u';';
        lines << line;
    }
    return lines.join(CRLF);
}

QString ParameterListText(const TParamRows& parameters, int dialect)
{
    qsizetype width = 0;
    for (const TParamRow& row : parameters)
        width = std::max(width, QvSql::SourceName(row.Name, dialect).size());
    QString text;
    for (const TParamRow& row : parameters) {
        if (row.Name.isEmpty())
            continue;
        if (!text.isEmpty())
            text += QStringLiteral(",\r\n     ");
        const QString name = QvSql::SourceName(row.Name, dialect);
        text += name + QString(std::max<qsizetype>(1, width + 1 - name.size()), u' ') + row.Type;
        if (!row.Description.isEmpty())
            text += QStringLiteral(" /*") + CommentText(row.Description) + QStringLiteral("*/");
    }
    return text;
}

QString ProcedureText(const QString& name, const TParamRows& inputs, const TParamRows& outputs,
                      const TParamRows& locals, const QStringList& bodyLines, int dialect,
                      const TSourceLayout& layout)
{
    QString text = QStringLiteral("CREATE PROCEDURE ") + QvSql::SourceName(name, dialect) + u' ';
    const QString inputText = ParameterListText(inputs, dialect);
    if (!inputText.isEmpty())
        text += u'(' + inputText + u')';
    const QString outputText = ParameterListText(outputs, dialect);
    if (!outputText.isEmpty())
        text += QStringLiteral("\r\nreturns (") + outputText + u')';
    text += QStringLiteral("\r\nAS \r\n");
    if (layout.Known())
        return text + layout.Text(locals, bodyLines, dialect);
    text += LocalVariablesText(locals, dialect);
    text += QStringLiteral("\r\nbegin \r\n");
    text += JoinLines(bodyLines);
    text += QStringLiteral("\r\nend ");
    return text;
}

QString AlterText(const QString& createText)
{
    if (!createText.startsWith(QStringLiteral("CREATE")))
        return createText;
    return QStringLiteral("ALTER") + createText.mid(6);
}

QPoint ErrorPosition(const QString& message)
{
    static const QRegularExpression position(QStringLiteral(R"(line\s+(\d+)\s*,\s*column\s+(\d+))"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = position.match(message);
    if (!match.hasMatch())
        return {};
    bool lineOk = false;
    bool columnOk = false;
    const int line = match.captured(1).toInt(&lineOk);
    const int column = match.captured(2).toInt(&columnOk);
    if (!lineOk || !columnOk)
        return {};
    return {column, line};
}

QPoint BodyCaretForError(const QString& message, const QString& executedText, const QStringList& bodyLines)
{
    const QPoint position = ErrorPosition(message);
    if (position.isNull())
        return {};
    const QStringList executed = SplitLines(executedText);
    qsizetype beginLine = executed.size();
    for (qsizetype i = 0; i < executed.size(); ++i) {
        if (executed.at(i).trimmed().toLower() == u"begin") {
            beginLine = i;
            break;
        }
    }
    const qsizetype lineCount = std::max<qsizetype>(1, bodyLines.size());
    const qsizetype line = std::clamp<qsizetype>(position.y() - beginLine - 1, 1, lineCount);
    const qsizetype lineLength = line <= bodyLines.size() ? bodyLines.at(line - 1).size() : 0;
    const qsizetype column = std::clamp<qsizetype>(qsizetype(position.x()) + 2, 1, lineLength + 1);
    return {int(column), int(line)};
}
