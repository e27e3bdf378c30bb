#include "app/editors/ObjectEditorDDL.h"

#include "access/QvSqlRead.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "app/shell/MyConst.h"
#include "components/ConvertError.h"
#include "components/DateUtil.h"
#include "components/LocaleSettings.h"

#include <QList>
#include <QRegularExpression>


namespace {

const QStringList& typeNames()
{
    static const QStringList names = QvTypes::PickList(QvTypes::plDomain, 1);
    return names;
}

// The name before "(" of a type text.
QString BaseTypeName(const QString& typeText)
{
    const qsizetype open = typeText.indexOf(u'(');
    return (open < 0 ? typeText : typeText.left(open)).trimmed();
}

bool IsKeyword(const QString& text, const char* keyword)
{
    return text.trimmed().compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

QString NumberDefault(const QString& text)
{
    QString number = text.trimmed();
    const QChar separator = LocaleSettings().decimalSeparator;
    if (separator != u'.')
        number.replace(separator, u'.');
    static const QRegularExpression pattern(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    // Pasted into the statement as it stands: nothing but a number may pass.
    if (!pattern.match(number).hasMatch())
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return number;
}

QString DateDefault(const QString& text)
{
    const QString trimmed = text.trimmed();
    QDate date = QDate::fromString(trimmed, Qt::ISODate);
    if (!date.isValid())
        date = StrToDateStrict(LocaleSettings().shortDateFormat, trimmed);
    // Written the way the server reads it whatever the user's locale.
    return QvSql::SingleQuoted(date.toString(Qt::ISODate));
}

} // namespace

QString DomainTypeName(int type)
{
    return type >= 0 && type < typeNames().size() ? typeNames().at(type) : QString();
}

int DomainTypeIndex(const QString& typeText)
{
    const QString base = BaseTypeName(typeText);
    for (qsizetype i = 0; i < typeNames().size(); ++i) {
        if (typeNames().at(i).compare(base, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QString DomainDefaultValue(const QString& typeName, const QString& text)
{
    if (IsKeyword(text, "NULL"))
        return QStringLiteral("NULL");
    if (IsKeyword(text, "NOW"))
        return QStringLiteral("'NOW'");
    if (IsNumberType(BaseTypeName(typeName)))
        return NumberDefault(text);
    if (IsKeyword(text, "USER"))
        return QStringLiteral("USER");
    // A literal or context value typed as SQL means what it says.
    if (QvSql::IsWrittenValue(text))
        return text.trimmed();
    if (BaseTypeName(typeName).compare(QLatin1String("Date"), Qt::CaseInsensitive) == 0)
        return DateDefault(text);
    return QvSql::SingleQuoted(text);
}

QString CreateDomainStatement(const TDomainDefinition& domain, int dialect)
{
    QString sql = QStringLiteral("CREATE DOMAIN ") + QvSql::Identifier(domain.Name, dialect) + QStringLiteral(" AS ")
        + domain.TypeName;
    switch (DomainTypeIndex(domain.TypeName)) {
    case dtChar:
    case dtVarchar:
        if (!domain.TypeName.contains(u'('))
            sql += QStringLiteral("(%1)").arg(domain.Size);
        break;
    case dtNumeric:
        if (!domain.TypeName.contains(u'('))
            sql += QStringLiteral("(%1,%2)").arg(domain.Precision).arg(domain.Scale);
        break;
    default:
        break;
    }
    if (!domain.Default.isEmpty())
        sql += QStringLiteral(" DEFAULT ") + DomainDefaultValue(domain.TypeName, domain.Default) + u' ';
    if (domain.NotNull)
        sql += QStringLiteral(" NOT NULL ");
    if (domain.Check)
        sql += QStringLiteral(" CHECK (") + QvSql::Fragment(domain.CheckText) + u')';
    return sql;
}

QString AlterDomainStatement(const TDomainDefinition& domain, const QString& oldDefault, const QString& oldCheck,
                             int dialect)
{
    QString clauses;
    const bool checkChanged = domain.Check ? domain.CheckText.trimmed() != oldCheck.trimmed() : !oldCheck.isEmpty();
    if (!domain.Default.isEmpty()) {
        // A default is shown unquoted: written again from what is shown, an
        // untouched one could change its meaning.
        if (domain.Default != oldDefault)
            clauses += QStringLiteral(" SET DEFAULT ") + DomainDefaultValue(domain.TypeName, domain.Default);
    } else if (!oldDefault.isEmpty()) {
        clauses += QStringLiteral(" DROP DEFAULT");
    }
    if (domain.Check && oldCheck.isEmpty())
        clauses += QStringLiteral(" ADD CHECK (") + QvSql::Fragment(domain.CheckText) + u')';
    else if (domain.Check && checkChanged)
        clauses += QStringLiteral(" DROP CONSTRAINT ADD CHECK (") + QvSql::Fragment(domain.CheckText) + u')';
    else if (!domain.Check && !oldCheck.isEmpty())
        clauses += QStringLiteral(" DROP CONSTRAINT");
    if (clauses.isEmpty())
        return {};
    return QStringLiteral("ALTER DOMAIN ") + QvSql::Identifier(domain.Name, dialect) + clauses;
}

QString CreateGeneratorStatement(const QString& name, int dialect)
{
    return QStringLiteral("create generator ") + QvSql::Identifier(name, dialect);
}

QString SetGeneratorStatement(const QString& name, const QString& valueText, int dialect)
{
    return QStringLiteral("set generator ") + QvSql::Identifier(name, dialect) + QStringLiteral(" to ") + valueText;
}

QString GeneratorValueSelect(const QString& name, int dialect)
{
    return QStringLiteral("select gen_id(") + QvSql::Identifier(name, dialect) + QStringLiteral(",0) from rdb$database");
}

QString ExceptionStatement(bool isNew, const QString& name, const QString& message, int dialect)
{
    return (isNew ? QStringLiteral("create exception ") : QStringLiteral("alter exception "))
        + QvSql::Identifier(name, dialect) + QStringLiteral("  ") + QvSql::Literal(message, dialect);
}

TViewText ReadViewText(const QString& text, int dialect)
{
    const QList<QvSql::Word> words = QvSql::LeadWords(text, 5);
    auto is = [&](int index, const char* keyword) {
        return index < words.size() && QvSql::IsKeyword(text, words[index], QLatin1String(keyword));
    };
    // The index of the word VIEW, and the word the statement begins with.
    int view = -1;
    if ((is(0, "CREATE") || is(0, "RECREATE") || is(0, "ALTER")) && is(1, "VIEW"))
        view = 1;
    else if (is(0, "CREATE") && is(1, "OR") && is(2, "ALTER") && is(3, "VIEW"))
        view = 3;
    if (view < 0 || view + 1 >= words.size())
        return {};
    const QvSql::Word& name = words[view + 1];
    TViewText result;
    result.Name = QvSql::NameFromTyped(text.mid(name.Start, name.Length), dialect);
    result.AlterStatement = text;
    if (view == 1 && !is(0, "ALTER"))
        result.AlterStatement.replace(words[0].Start, words[0].Length, QStringLiteral("ALTER"));
    return result;
}
