#include "app/shell/MyConst.h"

#include "access/QvSqlScan.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "components/StrUtils.h"
#include "platform/Dialogs.h"

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

QString FieldTypeToStr(int fieldType, int length, int scale, int dialect, int bytesPerChar, int subType,
                       const QString& what)
{
    QvTypes::TTypeFacts facts;
    facts.Type = fieldType;
    facts.Length = length;
    facts.Scale = scale;
    facts.BytesPerChar = bytesPerChar;
    // Only a blob's sub-type: an integer's NUMERIC or DECIMAL needs its precision.
    facts.SubType = fieldType == 261 ? subType : 0;
    return QvTypes::TypeText(facts, dialect, what);
}

QString ArrayBoundsToStr(const QList<QPair<int, int>>& bounds)
{
    return QvTypes::BoundsText(bounds);
}

bool IsValidIdentifier(const QString& name, int dialect)
{
    return QvSql::IsValidTypedName(name, dialect);
}

QString NameRefusal(const QString& name, int dialect, const QString& refusal)
{
    switch (QvSql::CheckTypedName(name, dialect)) {
    case QvSql::TNameCheck::Valid:
        return {};
    case QvSql::TNameCheck::NotInDialect:
        return QStringLiteral("The name %1 cannot be written in an SQL dialect %2 statement: %3")
            .arg(name.trimmed())
            .arg(dialect)
            .arg(name.trimmed().startsWith(QLatin1Char('"'))
                     ? QStringLiteral("dialect 1 has no quoted names; a name there is letters, digits, \"_\" and \"$\", "
                                      "kept in upper case.")
                     : QStringLiteral("it is a reserved word."));
    case QvSql::TNameCheck::Invalid:
        break;
    }
    return QLatin1Char('"') + name + QLatin1Char('"') + refusal;
}

QString NewNameRefusal(const QString& name, int dialect, const QString& refusal)
{
    if (name.trimmed().isEmpty())
        return QLatin1Char('"') + name + QLatin1Char('"') + refusal;
    return NameRefusal(name, dialect, refusal);
}

bool CheckIdentifier(const QString& name, int dialect)
{
    const QString refusal = NameRefusal(name, dialect, QStringLiteral(" is not valid Identifier !"));
    if (refusal.isEmpty())
        return true;
    qv::messageDlg(refusal, qv::mtError, qv::mbOK);
    return false;
}

bool IsValidTypeText(const QString& typeText)
{
    return QvTypes::IsValidTypeText(typeText);
}

bool CheckTypeName(const QString& typeText)
{
    if (IsValidTypeText(typeText))
        return true;
    qv::messageDlg(QLatin1Char('"') + typeText + QStringLiteral("\"  is not valid Type"),
                   qv::mtError, qv::mbOK);
    return false;
}

bool IsValidTableName(const QString& name, int dialect)
{
    return !name.trimmed().isEmpty() && IsValidIdentifier(name, dialect);
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
