#include "access/QvTypeCatalog.h"

#include "access/QvSqlText.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace QvTypes {

namespace {

// Every type name the program offers or writes, once.
enum TName : int {
    tnInteger, tnSmallint, tnChar, tnVarchar, tnDecimal, tnNumeric, tnFloat, tnDouble, tnDate, tnBlob,
    tnCstring, tnBigint, tnTime, tnTimestamp, tnBoolean, tnNameCount
};

const std::array<QLatin1String, tnNameCount> Names = {
    QLatin1String("Integer"), QLatin1String("Smallint"), QLatin1String("Char"),
    QLatin1String("Varchar"), QLatin1String("Decimal"),  QLatin1String("Numeric"),
    QLatin1String("Float"),   QLatin1String("Double precision"), QLatin1String("Date"),
    QLatin1String("Blob"),    QLatin1String("CSTRING"),  QLatin1String("Bigint"),
    QLatin1String("Time"),    QLatin1String("Timestamp"), QLatin1String("Boolean"),
};

QString name(TName which)
{
    return Names[static_cast<size_t>(which)];
}

QStringList names(std::initializer_list<TName> list)
{
    QStringList result;
    for (const TName which : list)
        result << name(which);
    return result;
}

QString sized(TName which, int size)
{
    return name(which) + QStringLiteral("(%1)").arg(size);
}

QString scaled(TName which, int precision, int scale)
{
    return name(which) + QStringLiteral("(%1,%2)").arg(precision).arg(-scale);
}

bool isInteger(int type)
{
    return type == 7 || type == 8 || type == 16;
}

bool isText(const TTypeFacts& facts)
{
    return facts.Type == 14 || facts.Type == 37 || facts.Type == 40 || (facts.Type == 261 && facts.SubType == 1);
}

// The storage's own precision, for a scaled number whose declared one is not kept.
QString storageNumeric(int type, int scale, bool dialect3)
{
    switch (type) {
    case 7: return dialect3 ? scaled(tnNumeric, 4, scale) : name(tnSmallint);
    case 16: return scaled(tnNumeric, 18, scale);
    // Dialect 1 keeps a scale beyond 15 digits on a double, and no declared
    // precision; a precision below the scale would be refused.
    case 27: return scaled(tnNumeric, std::max(15, -scale), scale);
    default: return scaled(tnNumeric, 9, scale);
    }
}

QString baseText(const TTypeFacts& facts, bool dialect3)
{
    const int chars = facts.CharacterLength >= 0 ? facts.CharacterLength
                      : facts.BytesPerChar > 1   ? facts.Length / facts.BytesPerChar
                                                 : facts.Length;
    const bool declaredNumber = facts.Scale != 0 || (isInteger(facts.Type) && (facts.SubType == 1 || facts.SubType == 2));
    if ((isInteger(facts.Type) || facts.Type == 27) && declaredNumber) {
        if (facts.Precision > 0)
            return scaled(facts.SubType == 2 ? tnDecimal : tnNumeric, facts.Precision, facts.Scale);
        if (facts.Scale != 0)
            return storageNumeric(facts.Type, facts.Scale, dialect3);
    }
    switch (facts.Type) {
    case 7: return name(tnSmallint);
    case 16: return name(tnBigint);
    case 10: return name(tnFloat);
    case 11: return name(tnNumeric);
    // Dialect 1 spells only the time stamp "Date"; it has no name for this one.
    case 12: return dialect3 ? name(tnDate) : QStringLiteral("Sql_date");
    case 13: return name(tnTime);
    case 14: return sized(tnChar, chars);
    case 23: return name(tnBoolean);
    case 27: return name(tnDouble);
    case 35: return dialect3 ? name(tnTimestamp) : name(tnDate);
    case 37: return sized(tnVarchar, chars);
    case 40: return sized(tnCstring, chars);
    case 261: return facts.SubType == 0 ? name(tnBlob) : QStringLiteral("Blob sub_type %1").arg(facts.SubType);
    default: return name(tnInteger);
    }
}

bool isOneOf(const QString& text, std::initializer_list<TName> list)
{
    for (const TName which : list) {
        if (text.compare(name(which), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QString BoundsText(const QList<QPair<int, int>>& bounds)
{
    QStringList dimensions;
    for (const QPair<int, int>& bound : bounds)
        dimensions << QStringLiteral("%1:%2").arg(bound.first).arg(bound.second);
    return QLatin1Char('[') + dimensions.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString TypeText(const TTypeFacts& facts, int dialect)
{
    QString text = baseText(facts, dialect == 3);
    if (facts.Type == 261 && facts.SegmentLength > 0 && facts.SegmentLength != 80)
        text += QStringLiteral(" SEGMENT SIZE %1").arg(facts.SegmentLength);
    if (!facts.Bounds.isEmpty())
        text += QLatin1Char(' ') + BoundsText(facts.Bounds);
    if (isText(facts) && !facts.CharacterSet.isEmpty())
        text += QStringLiteral(" CHARACTER SET ") + QvSql::Identifier(facts.CharacterSet, dialect);
    if (isText(facts) && !facts.Collation.isEmpty())
        text += QStringLiteral(" COLLATE ") + QvSql::Identifier(facts.Collation, dialect);
    return text;
}

QStringList PickList(TPickList list, int dialect)
{
    QStringList items = list == plDomain
        ? names({tnSmallint, tnInteger, tnNumeric, tnDouble, tnChar, tnVarchar, tnDate})
        : names({tnInteger, tnSmallint, tnChar, tnVarchar, tnDecimal, tnNumeric, tnFloat, tnDouble, tnDate});
    if (list == plVariable || list == plColumn || list == plExternalFunction)
        items << name(tnBlob);
    if (list == plExternalFunction)
        items << name(tnCstring);
    if (dialect == 3 && list != plDomain && list != plExternalFunction)
        items << names({tnBigint, tnTime, tnTimestamp, tnBoolean});
    return items;
}

bool IsTypeName(const QString& text)
{
    for (int which = 0; which < tnNameCount; ++which) {
        if (text.compare(Names[static_cast<size_t>(which)], Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool IsTextType(const QString& text)
{
    return isOneOf(text, {tnChar, tnVarchar, tnCstring});
}

bool IsIntegerType(const QString& text)
{
    return isOneOf(text, {tnSmallint, tnInteger, tnBigint});
}

bool IsNumberType(const QString& text)
{
    return IsIntegerType(text) || isOneOf(text, {tnNumeric, tnDecimal, tnFloat, tnDouble});
}

bool IsValidTypeText(const QString& typeText)
{
    const QString text = typeText.simplified();
    if (text.isEmpty())
        return true;
    // What TypeText writes, and what a user types for the same types.
    static const QRegularExpression valid(
        QStringLiteral(R"(^(?:)"
                       R"((?:smallint|integer|int|bigint|float|double precision|real|date|time|timestamp|boolean|sql_date))"
                       R"(|(?:char|varchar|character|character varying|cstring|nchar|national character)\s*\(\s*\d+\s*\))"
                       R"(|(?:numeric|decimal)(?:\s*\(\s*\d+\s*(?:,\s*\d+\s*)?\))?)"
                       R"(|blob(?:\s+sub_type\s+(?:-?\d+|\w+))?(?:\s+segment\s+size\s+\d+)?)"
                       R"())"
                       R"((?:\s*\[\s*-?\d+\s*(?::\s*-?\d+\s*)?(?:,\s*-?\d+\s*(?::\s*-?\d+\s*)?)*\])?)"
                       R"((?:\s+character set\s+(?:\w+|"(?:[^"]|"")+"))?)"
                       R"((?:\s+collate\s+(?:[\w$]+|"(?:[^"]|"")+"))?$)"),
        QRegularExpression::CaseInsensitiveOption);
    return valid.match(text).hasMatch();
}

} // namespace QvTypes
