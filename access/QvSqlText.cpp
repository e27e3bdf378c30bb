#include "access/QvSqlText.h"

#include <QSet>

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

void AppendScriptLiteral(QString& out, QStringView text, int dialect)
{
    const auto isControl = [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; };
    qsizetype start = 0;
    bool first = true;
    const auto joiner = [&] {
        if (!first)
            out += QLatin1String(" || ");
        first = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isControl(text[i]))
            continue;
        if (i > start) {
            joiner();
            AppendLiteral(out, text.mid(start, i - start), dialect);
        }
        joiner();
        out += QLatin1String("ASCII_CHAR(") + QString::number(text[i].unicode()) + QLatin1Char(')');
        start = i + 1;
    }
    if (start < text.size() || first) {
        joiner();
        AppendLiteral(out, text.mid(start), dialect);
    }
}

QString ScriptLiteral(const QString& text, int dialect)
{
    QString out;
    AppendScriptLiteral(out, text, dialect);
    return out;
}

QString CommentText(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("*/"), QLatin1String("* /"));
    return result;
}

QString CommentOn(const QString& kind, const QString& name, const QString& text, int dialect, const QString& owner)
{
    QString statement = QLatin1String("COMMENT ON ") + kind + QLatin1Char(' ');
    if (!owner.isEmpty())
        statement += Identifier(owner, dialect) + QLatin1Char('.');
    statement += Identifier(name, dialect) + QLatin1String(" IS ");
    statement += text.isEmpty() ? QStringLiteral("NULL") : SingleQuoted(text);
    return statement;
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

bool IsReservedWord(const QString& word)
{
    return reservedWords().contains(word.toUpper());
}

bool IsPlainName(const QString& name)
{
    if (name.isEmpty() || !isUpperAsciiLetter(name.front()))
        return false;
    for (const QChar c : name) {
        const bool allowed = isUpperAsciiLetter(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || c == QLatin1Char('_') || c == QLatin1Char('$');
        if (!allowed)
            return false;
    }
    return !reservedWords().contains(name);
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
