#include "access/QvSqlText.h"

#include "access/QvSqlScan.h"
#include "access/QvTextCodec.h"

#include <QSet>

#include <algorithm>
#include <vector>

namespace QvSql {

namespace {

QString quoted(const QString& text, QChar quote)
{
    QString result = text;
    result.replace(quote, QString(2, quote));
    return quote + result + quote;
}

// The server's reserved words: as plain names they would not parse.
const QSet<QString>& reservedWords()
{
    static const QSet<QString> words = [] {
        static const char* const list[] = {
            "ADD", "ADMIN", "ALL", "ALTER", "AND", "ANY", "AS", "AT", "AVG", "BEGIN", "BETWEEN",
            "BIGINT", "BIT_LENGTH", "BLOB", "BOOLEAN", "BOTH", "BY", "CASE", "CAST", "CHAR",
            "CHAR_LENGTH", "CHARACTER", "CHARACTER_LENGTH", "CHECK", "CLOSE", "COLLATE", "COLUMN",
            "COMMIT", "CONNECT", "CONSTRAINT", "CORR", "COUNT", "COVAR_POP", "COVAR_SAMP", "CREATE",
            "CROSS", "CURRENT", "CURRENT_CONNECTION", "CURRENT_DATE", "CURRENT_ROLE",
            "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_TRANSACTION", "CURRENT_USER", "CURSOR",
            "DATE", "DAY", "DEC", "DECIMAL", "DECLARE", "DEFAULT", "DELETE", "DELETING",
            "DETERMINISTIC", "DISCONNECT", "DISTINCT", "DOUBLE", "DROP", "ELSE", "END", "ESCAPE",
            "EXECUTE", "EXISTS", "EXTERNAL", "EXTRACT", "FALSE", "FETCH", "FILTER", "FLOAT", "FOR",
            "FOREIGN", "FROM", "FULL", "FUNCTION", "GDSCODE", "GLOBAL", "GRANT", "GROUP", "HAVING",
            "HOUR", "IN", "INDEX", "INNER", "INSENSITIVE", "INSERT", "INSERTING", "INT", "INTEGER",
            "INTO", "IS", "JOIN", "LEADING", "LEFT", "LIKE", "LOCALTIME", "LOCALTIMESTAMP",
            "LONG", "LOWER", "MAX", "MERGE", "MIN", "MINUTE", "MONTH", "NATIONAL", "NATURAL", "NCHAR",
            "NO", "NOT", "NULL", "NUMERIC", "OCTET_LENGTH", "OF", "OFFSET", "ON", "ONLY", "OPEN",
            "OR", "ORDER", "OUTER", "OVER", "PARAMETER", "PLAN", "POSITION", "POST_EVENT",
            "PRECISION", "PRIMARY", "PROCEDURE", "RDB$DB_KEY", "RDB$RECORD_VERSION", "REAL",
            "RECORD_VERSION", "RECREATE", "RECURSIVE", "REFERENCES", "REGR_AVGX", "REGR_AVGY",
            "REGR_COUNT", "REGR_INTERCEPT", "REGR_R2", "REGR_SLOPE", "REGR_SXX", "REGR_SXY",
            "REGR_SYY", "RELEASE", "RETURN", "RETURNING_VALUES", "RETURNS", "REVOKE", "RIGHT",
            "ROLLBACK", "ROW", "ROW_COUNT", "ROWS", "SAVEPOINT", "SCROLL", "SECOND", "SELECT",
            "SENSITIVE", "SET", "SIMILAR", "SMALLINT", "SOME", "SQLCODE", "SQLSTATE", "START",
            "STDDEV_POP", "STDDEV_SAMP", "SUM", "TABLE", "THEN", "TIME", "TIMESTAMP", "TO",
            "TRAILING", "TRIGGER", "TRIM", "TRUE", "UNION", "UNIQUE", "UNKNOWN", "UPDATE",
            "UPDATING", "UPPER", "USER", "USING", "VALUE", "VALUES", "VAR_POP", "VAR_SAMP",
            "VARCHAR", "VARIABLE", "VARYING", "VIEW", "WHEN", "WHERE", "WHILE", "WITH", "YEAR"};
        QSet<QString> set;
        for (const char* word : list)
            set.insert(QString::fromLatin1(word));
        return set;
    }();
    return words;
}

bool isUpperAsciiLetter(QChar c) { return c >= QLatin1Char('A') && c <= QLatin1Char('Z'); }
bool isAsciiLetter(QChar c) { return isUpperAsciiLetter(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')); }

} // namespace

QString Literal(const QString& text, int dialect)
{
    QString out;
    out.reserve(text.size() + 2);
    AppendLiteral(out, text, dialect);
    return out;
}

QString SingleQuoted(const QString& text)
{
    return Literal(text, 3);
}

void AppendLiteral(QString& out, QStringView text, int dialect)
{
    const QChar quote = dialect == 1 ? QLatin1Char('"') : QLatin1Char('\'');
    out += quote;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == quote) {
            out += text.mid(start, i + 1 - start);
            out += quote;
            start = i + 1;
        }
    }
    out += text.mid(start);
    out += quote;
}

bool IsControlCharacter(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

QString BinaryLiteral(QByteArrayView bytes)
{
    return QStringLiteral("X'") + QString::fromLatin1(bytes.toByteArray().toHex().toUpper()) + QLatin1Char('\'');
}

QString TextBytesLiteral(const QString& characterSet, QByteArrayView bytes)
{
    return QLatin1Char('_') + characterSet + QLatin1Char(' ') + BinaryLiteral(bytes);
}

bool AppendLinesLiteral(QString& out, QStringView text, int dialect)
{
    qsizetype returns = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!IsControlCharacter(c) || c == u'\t')
            continue;
        const bool returnBeforeFeed = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        if (c != u'\n' && !returnBeforeFeed)
            return false;
        returns += returnBeforeFeed ? 1 : 0;
    }
    if (returns == 0) {
        AppendLiteral(out, text, dialect);
        return true;
    }
    // Each LF must have had its CR, or REPLACE would give one too many.
    if (returns != std::count(text.cbegin(), text.cend(), u'\n'))
        return false;
    out += QLatin1String("REPLACE(");
    AppendLiteral(out, text.toString().remove(u'\r'), dialect);
    out += QLatin1String(", ASCII_CHAR(10), ASCII_CHAR(13) || ASCII_CHAR(10))");
    return true;
}

void AppendScriptLiteral(QString& out, QStringView text, int dialect)
{
    const qsizetype controls = std::count_if(text.cbegin(), text.cend(), IsControlCharacter);
    if (controls == 0) {
        AppendLiteral(out, text, dialect);
        return;
    }
    // The pieces: runs of other characters, and each control character alone.
    struct Piece
    {
        qsizetype start;
        qsizetype length; // 0 for a control character at start
    };
    std::vector<Piece> pieces;
    pieces.reserve(std::size_t(2 * controls + 1));
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!IsControlCharacter(text[i]))
            continue;
        if (i > start)
            pieces.push_back({start, i - start});
        pieces.push_back({i, 0});
        start = i + 1;
    }
    if (start < text.size())
        pieces.push_back({start, text.size() - start});
    const auto writePiece = [&](const Piece& piece) {
        if (piece.length > 0)
            AppendLiteral(out, text.mid(piece.start, piece.length), dialect);
        else
            out += QLatin1String("ASCII_CHAR(") + QString::number(text[piece.start].unicode()) + QLatin1Char(')');
    };
    // A long chain of "||" nests as deep as it is long, and the server
    // recurses over that depth until its stack runs out: beyond a few dozen
    // pieces the chain goes in parenthesised groups of groups.
    constexpr qsizetype fanOut = 64;
    const auto writeRange = [&](auto&& self, qsizetype first, qsizetype count) -> void {
        if (count <= fanOut) {
            for (qsizetype i = 0; i < count; ++i) {
                if (i > 0)
                    out += QLatin1String(" || ");
                writePiece(pieces[std::size_t(first + i)]);
            }
            return;
        }
        qsizetype groupSize = fanOut;
        while ((count + groupSize - 1) / groupSize > fanOut)
            groupSize *= fanOut;
        for (qsizetype group = first; group < first + count; group += groupSize) {
            if (group > first)
                out += QLatin1String(" || ");
            const qsizetype size = std::min(groupSize, first + count - group);
            if (size > 1)
                out += QLatin1Char('(');
            self(self, group, size);
            if (size > 1)
                out += QLatin1Char(')');
        }
    };
    writeRange(writeRange, 0, qsizetype(pieces.size()));
}

QString ScriptLiteral(const QString& text, int dialect)
{
    QString out;
    AppendScriptLiteral(out, text, dialect);
    return out;
}

namespace {

// Every character taken out or replaced first: dropping one between "*" and
// "/" afterwards would join them into a comment end. `showable` replaces
// the control characters a terminal would obey; tabs and line ends (LF, or
// CR LF) keep a text of several lines as it reads.
QString commentText(const QString& text, bool showable)
{
    // The client library reads a statement up to its first NUL.
    QString result = QString(text).remove(QChar(0));
    for (qsizetype i = 0; showable && i < result.size(); ++i) {
        const QChar c = result.at(i);
        const bool lineBreak = c == u'\n' || c == u'\t'
            || (c == u'\r' && i + 1 < result.size() && result.at(i + 1) == u'\n');
        if (!lineBreak && (IsControlCharacter(c) || c.category() == QChar::Other_Control))
            result[i] = u' ';
    }
    // Nothing is removed after this, and "* /" cannot join a neighbour into "*/".
    result.replace(QLatin1String("*/"), QLatin1String("* /"));
    return result;
}

} // namespace

QString CommentText(const QString& text)
{
    return commentText(text, true);
}

QString CommentTextKeepingControls(const QString& text)
{
    return commentText(text, false);
}

namespace {

// Whether every script reader keeps the text as it is between quotes.
bool survivesScriptReaders(QStringView text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() >= 0x20 || c == QLatin1Char('\n') || c == QLatin1Char('\t');
    });
}

} // namespace

QString MetadataLiteral(const QString& text, const QvTextCodec& connection)
{
    if (survivesScriptReaders(text))
        return SingleQuoted(text);
    // The server keeps a binary literal's bytes as they are, and the system
    // tables hold their texts in UTF-8; a connection without a character set
    // read those bytes unchanged.
    return BinaryLiteral(connection.kind() == QvTextCodec::Latin1 ? text.toLatin1() : text.toUtf8());
}

QString StoredBytesLiteral(const QByteArray& stored, const QvTextCodec& connection)
{
    const QString text = connection.decode(stored.constData(), stored.size());
    if (survivesScriptReaders(text) && connection.encode(text) == stored)
        return SingleQuoted(text);
    return BinaryLiteral(stored);
}

namespace {

QString commentOn(const QString& kind, const QString& name, const QString& literal, int dialect, const QString& owner,
                  const QString& package)
{
    QString statement = QLatin1String("COMMENT ON ") + kind + QLatin1Char(' ');
    if (!package.isEmpty())
        statement += Identifier(package, dialect) + QLatin1Char('.');
    if (!owner.isEmpty())
        statement += Identifier(owner, dialect) + QLatin1Char('.');
    return statement + Identifier(name, dialect) + QLatin1String(" IS ") + literal;
}

} // namespace

QString CommentOn(const QString& kind, const QString& name, const QString& text, int dialect, const QString& owner,
                  const QString& package)
{
    return commentOn(kind, name, text.isEmpty() ? QStringLiteral("NULL") : SingleQuoted(text), dialect, owner,
                     package);
}

QString ScriptCommentOn(const QString& kind, const QString& name, const QString& text, int dialect,
                        const QvTextCodec& connection, const QString& owner, const QString& package)
{
    return commentOn(kind, name, text.isEmpty() ? QStringLiteral("NULL") : MetadataLiteral(text, connection), dialect,
                     owner, package);
}

QString NameFromTyped(const QString& typed, int dialect)
{
    const QString text = typed.trimmed();
    if (dialect != 1 && text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"')) {
        QString inner = text.mid(1, text.size() - 2);
        inner.replace(QLatin1String("\"\""), QLatin1String("\""));
        return inner;
    }
    return text.toUpper();
}

QString TypingCase(const QString& typed)
{
    return typed.trimmed().startsWith(QLatin1Char('"')) ? typed : typed.toUpper();
}

TNameCheck CheckTypedName(const QString& typed, int dialect)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return TNameCheck::Valid;
    if (text.front() == QLatin1Char('"')) {
        if (text.size() < 3 || text.back() != QLatin1Char('"'))
            return TNameCheck::Invalid;
        // Every quote inside stands doubled.
        const QStringView inner = QStringView(text).mid(1, text.size() - 2);
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] != QLatin1Char('"'))
                continue;
            if (i + 1 >= inner.size() || inner[i + 1] != QLatin1Char('"'))
                return TNameCheck::Invalid;
            ++i;
        }
        if (inner.trimmed().isEmpty())
            return TNameCheck::Invalid;
        if (dialect == 1)
            return TNameCheck::NotInDialect;
    } else {
        if (!isAsciiLetter(text.front()))
            return TNameCheck::Invalid;
        if (!std::all_of(text.cbegin(), text.cend(), IsNameCharacter))
            return TNameCheck::Invalid;
        if (dialect == 1 && reservedWords().contains(text.toUpper()))
            return TNameCheck::NotInDialect;
    }
    // The catalog keeps names of at most 31 bytes.
    if (NameFromTyped(text, 3).toUtf8().size() > 31)
        return TNameCheck::Invalid;
    return TNameCheck::Valid;
}

QString TypedName(const QString& stored, int dialect)
{
    if (dialect == 1)
        return stored;
    const bool readsBack = CheckTypedName(stored, dialect) == TNameCheck::Valid && NameFromTyped(stored, dialect) == stored;
    return readsBack ? stored : quoted(stored, QLatin1Char('"'));
}

QString SourceName(const QString& typed, int dialect)
{
    const QString stored = NameFromTyped(typed, dialect);
    if (IsPlainName(stored) && stored == typed.trimmed().toUpper())
        return typed.trimmed();
    return Identifier(stored, dialect);
}

bool IsReservedWord(const QString& word)
{
    return reservedWords().contains(word.toUpper());
}

bool IsPlainName(const QString& name)
{
    if (name.isEmpty() || !isUpperAsciiLetter(name.front()))
        return false;
    const bool plain = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return IsNameCharacter(c) && !c.isLower(); });
    return plain && !reservedWords().contains(name);
}

bool IsNumberedName(QStringView name, QLatin1String prefix)
{
    if (name.size() <= prefix.size() || !name.startsWith(prefix))
        return false;
    return std::all_of(name.cbegin() + prefix.size(), name.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool IsServerConstraintName(const QString& name)
{
    return IsNumberedName(name, QLatin1String("INTEG_"));
}

bool CanName(const QString& name, int dialect)
{
    if (name.isEmpty())
        return false;
    return dialect != 1 || IsPlainName(name);
}

QString Identifier(const QString& name, int dialect)
{
    if (dialect == 1 || IsPlainName(name))
        return name;
    return quoted(name, QLatin1Char('"'));
}

} // namespace QvSql
