#include "access/QvTypeCatalog.h"

#include "access/QvSqlText.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace QvTypes {

namespace {

// Every type name the program offers or writes, once: how a declaration
// goes on after it, and what else users type for it. Writing, the pick lists
// and the type check all read this table.
enum TName : int {
    tnInteger, tnSmallint, tnChar, tnVarchar, tnDecimal, tnNumeric, tnFloat, tnDouble, tnDate, tnBlob,
    tnCstring, tnBigint, tnTime, tnTimestamp, tnBoolean, tnSqlDate, tnNameCount
};

enum class TForm {
    Plain,  // the name alone
    Sized,  // "(n)" follows
    Scaled, // "(p)" or "(p,s)" may follow
    Blob,   // " sub_type n" and " segment size n" may follow
};

struct TNameEntry
{
    QLatin1String Name;
    TForm Form;
    const char* Synonyms; // "|"-separated, lower case; "" for none
};

const std::array<TNameEntry, tnNameCount> Names = {{
    {QLatin1String("Integer"), TForm::Plain, "int"},
    {QLatin1String("Smallint"), TForm::Plain, ""},
    {QLatin1String("Char"), TForm::Sized, "character|nchar|national character"},
    {QLatin1String("Varchar"), TForm::Sized, "character varying"},
    {QLatin1String("Decimal"), TForm::Scaled, ""},
    {QLatin1String("Numeric"), TForm::Scaled, ""},
    {QLatin1String("Float"), TForm::Plain, "real"},
    {QLatin1String("Double precision"), TForm::Plain, ""},
    {QLatin1String("Date"), TForm::Plain, ""},
    {QLatin1String("Blob"), TForm::Blob, ""},
    {QLatin1String("CSTRING"), TForm::Sized, ""},
    {QLatin1String("Bigint"), TForm::Plain, ""},
    {QLatin1String("Time"), TForm::Plain, ""},
    {QLatin1String("Timestamp"), TForm::Plain, ""},
    {QLatin1String("Boolean"), TForm::Plain, ""},
    // Dialect 1 spells only the time stamp "Date"; this is its name for an SQL date.
    {QLatin1String("Sql_date"), TForm::Plain, ""},
}};

QString name(TName which)
{
    return Names[static_cast<size_t>(which)].Name;
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

QString baseText(const TTypeFacts& facts, bool dialect3, const QString& what)
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
    case 8: return name(tnInteger);
    case 16: return name(tnBigint);
    case 10: return name(tnFloat);
    case 12: return dialect3 ? name(tnDate) : name(tnSqlDate);
    case 13: return name(tnTime);
    case 14: return sized(tnChar, chars);
    case 23: return name(tnBoolean);
    case 27: return name(tnDouble);
    case 35: return dialect3 ? name(tnTimestamp) : name(tnDate);
    case 37: return sized(tnVarchar, chars);
    case 40: return sized(tnCstring, chars);
    case 261: return facts.SubType == 0 ? name(tnBlob) : QStringLiteral("Blob sub_type %1").arg(facts.SubType);
    default:
        // D_FLOAT (11), QUAD (9) and codes Firebird 3 never stores: no other
        // type's name stands in for them.
        throw EUnknownType(facts.Type, what);
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

EUnknownType::EUnknownType(int type, const QString& what)
    : EDatabaseError(QStringLiteral("%1 has type code %2, which has no name: it is not written as any other type.")
                         .arg(what.isEmpty() ? QStringLiteral("A column") : what)
                         .arg(type))
    , m_type(type)
{
}

QString BoundsText(const QList<QPair<int, int>>& bounds)
{
    QStringList dimensions;
    for (const QPair<int, int>& bound : bounds)
        dimensions << QStringLiteral("%1:%2").arg(bound.first).arg(bound.second);
    return QLatin1Char('[') + dimensions.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString TypeText(const TTypeFacts& facts, int dialect, const QString& what)
{
    QString text = baseText(facts, dialect == 3, what);
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
    for (const TNameEntry& entry : Names) {
        if (text.compare(entry.Name, Qt::CaseInsensitive) == 0)
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
    // What TypeText writes, and what a user types for the same types: the
    // names of the table, each with what its form lets follow.
    static const QRegularExpression valid = [] {
        QStringList plain, sized, scaled, blob;
        for (const TNameEntry& entry : Names) {
            QStringList spellings{QRegularExpression::escape(QString(entry.Name).toLower())};
            for (const QString& synonym : QString::fromLatin1(entry.Synonyms).split(u'|', Qt::SkipEmptyParts))
                spellings << QRegularExpression::escape(synonym);
            QStringList& group = entry.Form == TForm::Plain ? plain
                : entry.Form == TForm::Sized               ? sized
                : entry.Form == TForm::Scaled              ? scaled
                                                           : blob;
            group << spellings;
        }
        const auto alternatives = [](const QStringList& names) { return QStringLiteral("(?:%1)").arg(names.join(u'|')); };
        const QString pattern = QStringLiteral("^(?:") + alternatives(plain)
            + QStringLiteral("|") + alternatives(sized) + QStringLiteral(R"(\s*\(\s*\d+\s*\))")
            + QStringLiteral("|") + alternatives(scaled) + QStringLiteral(R"((?:\s*\(\s*\d+\s*(?:,\s*\d+\s*)?\))?)")
            + QStringLiteral("|") + alternatives(blob)
            + QStringLiteral(R"((?:\s+sub_type\s+(?:-?\d+|\w+))?(?:\s+segment\s+size\s+\d+)?)")
            + QStringLiteral(R"()(?:\s*\[\s*-?\d+\s*(?::\s*-?\d+\s*)?(?:,\s*-?\d+\s*(?::\s*-?\d+\s*)?)*\])?)")
            + QStringLiteral(R"((?:\s+character set\s+(?:\w+|"(?:[^"]|"")+"))?)")
            + QStringLiteral(R"((?:\s+collate\s+(?:[\w$]+|"(?:[^"]|"")+"))?$)");
        return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption);
    }();
    return valid.match(text).hasMatch();
}

bool IsImplicitDomain(const QString& fieldSource)
{
    return QvSql::IsNumberedName(fieldSource, QLatin1String("RDB$"));
}

} // namespace QvTypes
