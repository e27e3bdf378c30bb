#include "app/shell/MyConst.h"

#include "access/QvSqlScan.h"
#include "components/StrUtils.h"
#include "platform/Dialogs.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <vector>

const std::array<QString, CategoryCount> CategoryNames = {
    QStringLiteral("Tables"),     QStringLiteral("Views"),
    QStringLiteral("Procedures"), QStringLiteral("Triggers"),
    QStringLiteral("Domains"),    QStringLiteral("Generators"),
    QStringLiteral("User-defined Functions"), QStringLiteral("Exceptions")};

const std::array<QString, 10> SQLFunctionNames = {
    QStringLiteral("gen_id"), QStringLiteral("max"),   QStringLiteral("min"),
    QStringLiteral("avg"),    QStringLiteral("cast"),  QStringLiteral("sum"),
    QStringLiteral("upper"),  QStringLiteral("lower"), QString(), QString()};

namespace {

QString scaled(const char* base, int precision, int scale)
{
    return QStringLiteral("%1(%2,%3)").arg(QLatin1String(base)).arg(precision).arg(-scale);
}

int charLength(int length, int bytesPerChar)
{
    return bytesPerChar > 1 ? length / bytesPerChar : length;
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QString FieldTypeToStr(int fieldType, int length, int scale, int dialect, int bytesPerChar, int subType)
{
    const bool dialect3 = dialect == 3;
    switch (fieldType) {
    case 7:
        // Dialect 3 declares NUMERIC(4,x) on a smallint; dialect 1 never did.
        return scale == 0 || !dialect3 ? QStringLiteral("Smallint") : scaled("Numeric", 4, scale);
    case 8:
    case 9:
        return scale == 0 ? QStringLiteral("Integer") : scaled("Numeric", 9, scale);
    case 10:
        return QStringLiteral("Float");
    case 11:
        return QStringLiteral("Numeric");
    case 12:
        // Dialect 1 spells only the time stamp "Date"; it has no name for this one.
        return dialect3 ? QStringLiteral("Date") : QStringLiteral("Sql_date");
    case 13:
        return QStringLiteral("Time");
    case 14:
        return QStringLiteral("Char(%1)").arg(charLength(length, bytesPerChar));
    case 16:
        return scale == 0 ? QStringLiteral("Bigint") : scaled("Numeric", 18, scale);
    case 23:
        return QStringLiteral("Boolean");
    case 27:
        return scale == 0 ? QStringLiteral("Double precision") : scaled("Numeric", 15, scale);
    case 35:
        return dialect3 ? QStringLiteral("Timestamp") : QStringLiteral("Date");
    case 37:
        return QStringLiteral("Varchar(%1)").arg(charLength(length, bytesPerChar));
    case 40:
        return QStringLiteral("CSTRING(%1)").arg(charLength(length, bytesPerChar));
    case 261:
        return subType == 0 ? QStringLiteral("Blob") : QStringLiteral("Blob sub_type %1").arg(subType);
    default:
        return QStringLiteral("Integer");
    }
}

QString ArrayBoundsToStr(const QList<QPair<int, int>>& bounds)
{
    QStringList dimensions;
    for (const auto& [lower, upper] : bounds)
        dimensions << QStringLiteral("%1:%2").arg(lower).arg(upper);
    return QLatin1Char('[') + dimensions.join(QStringLiteral(", ")) + QLatin1Char(']');
}

bool IsValidIdentifier(const QString& name)
{
    if (name.isEmpty())
        return true;
    if (!isAsciiLetter(name.front()))
        return false;
    for (const QChar c : name) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != u'_' && c != u'$')
            return false;
    }
    return true;
}

bool CheckIdentifier(const QString& name)
{
    if (IsValidIdentifier(name))
        return true;
    qv::messageDlg(QLatin1Char('"') + name + QStringLiteral("\" is not valid Identifier !"),
                   qv::mtError, qv::mbOK);
    return false;
}

bool IsValidTypeText(const QString& typeText)
{
    const QString text = typeText.simplified();
    if (text.isEmpty())
        return true;
    // What the type routine names, and what a user types for the same types.
    static const QRegularExpression valid(
        QStringLiteral(R"(^(?:)"
                       R"((?:smallint|integer|int|bigint|float|double precision|real|date|time|timestamp|boolean|sql_date))"
                       R"(|(?:char|varchar|character|character varying|cstring|nchar|national character)\s*\(\s*\d+\s*\))"
                       R"((?:\s+character set\s+\w+)?)"
                       R"(|(?:numeric|decimal)(?:\s*\(\s*\d+\s*(?:,\s*\d+\s*)?\))?)"
                       R"(|blob(?:\s+sub_type\s+(?:-?\d+|\w+))?)"
                       R"()$)"),
        QRegularExpression::CaseInsensitiveOption);
    return valid.match(text).hasMatch();
}

bool CheckTypeName(const QString& typeText)
{
    if (IsValidTypeText(typeText))
        return true;
    qv::messageDlg(QLatin1Char('"') + typeText + QStringLiteral("\"  is not valid Type"),
                   qv::mtError, qv::mbOK);
    return false;
}

bool IsValidTableName(const QString& name)
{
    if (name.isEmpty() || !isAsciiLetter(name.front()))
        return false;
    for (const QChar c : name) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != u'-' && c != u'_')
            return false;
    }
    return true;
}

bool IsQuotedType(const QString& typeName)
{
    return typeName == u"Char" || typeName == u"Varchar" || typeName == u"Date";
}

bool IsIntegerType(const QString& typeName)
{
    return typeName == u"Integer" || typeName == u"Smallint" || typeName == u"Bigint";
}

bool IsFloatType(const QString& typeName)
{
    return typeName == u"Decimal" || typeName == u"Numeric" || typeName == u"Float"
           || typeName == u"Double" || typeName == u"Double precision";
}

bool IsNumberType(const QString& typeName)
{
    return IsIntegerType(typeName) || IsFloatType(typeName);
}

bool IsSQLFunctionName(const QString& word)
{
    const QString lower = word.toLower();
    for (const QString& name : SQLFunctionNames) {
        if (name == lower)
            return true;
    }
    return false;
}

namespace {

// For every position of text, whether it lies inside a comment.
std::vector<bool> commentMask(const QString& text)
{
    std::vector<bool> inside(static_cast<size_t>(text.size()), false);
    QvSql::ForEachSpan(text, [&](const QvSql::Span& span) {
        if (span.IsComment())
            std::fill_n(inside.begin() + span.Start, span.Length, true);
        return true;
    });
    return inside;
}

bool isWordDelimiter(QChar c)
{
    static const TCharSet delimiters(u"\n\r ()*+,-/:;<=>");
    return delimiters.contains(c);
}

} // namespace

int PosOutsideComment(const QString& word, const QString& text)
{
    if (word.isEmpty())
        return 0;
    const std::vector<bool> inComment = commentMask(text);
    const bool wordStartsWithDelimiter = isWordDelimiter(word.front());
    for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1)) {
        const qsizetype after = at + word.size();
        const bool boundary = (at == 0 || isWordDelimiter(text.at(at - 1)))
                              && (after >= text.size() || isWordDelimiter(text.at(after)));
        if ((boundary || wordStartsWithDelimiter) && !inComment[static_cast<size_t>(at)])
            return static_cast<int>(at + 1);
    }
    return 0;
}
