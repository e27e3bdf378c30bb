#include "app/editors/UDFText.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "access/QvTypeCatalog.h"
#include "app/editors/OwnStatement.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/MyConst.h"

#include <cstdlib>

QString DeclareExternalFunctionText(const TUDFDeclaration& declaration, int dialect)
{
    QString text = QStringLiteral("DECLARE EXTERNAL FUNCTION ") + QvSql::Identifier(declaration.Name, dialect);
    // Without arguments the name is followed straight by " RETURNS ".
    if (!declaration.Arguments.isEmpty())
        text += QLatin1Char(' ') + declaration.Arguments.join(QLatin1Char(','));
    text += QStringLiteral(" RETURNS ") + declaration.ReturnType + QLatin1Char(' ');
    // A CSTRING result is always a pointer.
    if (declaration.ByValue && !declaration.ReturnType.contains(QLatin1String("CSTRING"), Qt::CaseInsensitive))
        text += QStringLiteral(" BY VALUE ");
    if (declaration.FreeIt)
        text += QStringLiteral(" FREE_IT ");
    text += QStringLiteral(" ENTRY_POINT ") + QvSql::SingleQuoted(declaration.EntryPoint)
            + QStringLiteral(" MODULE_NAME ") + QvSql::SingleQuoted(declaration.ModuleName) + QLatin1Char(';');
    return text;
}

QString DropExternalFunctionText(const QString& name, int dialect)
{
    return QStringLiteral("DROP EXTERNAL FUNCTION ") + QvSql::Identifier(name, dialect);
}

bool IsAcceptableTypeText(const QString& typeText)
{
    if (typeText.trimmed().isEmpty())
        return false;
    for (const QChar c : typeText) {
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        const bool digit = c >= u'0' && c <= u'9';
        if (!letter && !digit && c != u' ' && c != u'(' && c != u')' && c != u',' && c != u'_')
            return false;
    }
    return true;
}

int ReturnMechanismIndex(int mechanism)
{
    const int index = std::abs(mechanism);
    return index <= 1 ? index : -1;
}

int ReturnTypeListIndex(const QStringList& types, const QString& typeText)
{
    const int whole = types.indexOf(typeText);
    if (whole >= 0)
        return whole;
    const qsizetype bracket = typeText.indexOf(QLatin1Char('('));
    return bracket < 0 ? -1 : int(types.indexOf(typeText.left(bracket)));
}

const QStringList& UDFTypeNames()
{
    static const QStringList names = QvTypes::PickList(QvTypes::plExternalFunction, 1);
    return names;
}

namespace {

void ReadHeader(TQvQuery& query, TQvDatabase& database, const QString& literal, TStoredUDF& stored)
{
    // Functions of packages share names with global ones and are never external.
    const TCatalogQuery header(query, &database,
                               QStringLiteral("select rdb$module_name, rdb$entrypoint, rdb$legacy_flag "
                                              "from rdb$functions where rdb$function_name=%1 "
                                              "and rdb$package_name is null")
                                   .arg(literal));
    if (header.Eof())
        return;
    stored.Found = true;
    stored.ModuleName = header.Name(0);
    stored.EntryPoint = header.Name(1);
    // Firebird 3 marks functions declared the old way; PSQL and UDR functions are 0.
    stored.External = header.IsNull(2) ? !header.IsNull(0) : header.Integer(2) == 1;
}

void ReadArguments(TQvQuery& query, TQvDatabase& database, const QString& name, TStoredUDF& stored)
{
    TCatalogQuery arguments(
        query, &database,
        QStringLiteral("select b.rdb$argument_position, a.rdb$return_argument, b.rdb$mechanism, "
                       "b.rdb$field_type, b.rdb$field_length, b.rdb$field_scale, b.rdb$field_sub_type, "
                       "c.rdb$bytes_per_character, b.rdb$field_precision "
                       "from rdb$functions a join rdb$function_arguments b "
                       "on a.rdb$function_name=b.rdb$function_name "
                       "left join rdb$character_sets c on c.rdb$character_set_id=b.rdb$character_set_id "
                       "where a.rdb$function_name=%1 and a.rdb$package_name is null "
                       "and b.rdb$package_name is null "
                       "order by b.rdb$argument_position")
            .arg(QvSql::Literal(name, 1)));
    const int dialect = database.SQLDialect();
    for (; !arguments.Eof(); arguments.Next()) {
        QvTypes::TTypeFacts facts;
        facts.Type = arguments.Integer(3);
        facts.Length = arguments.Integer(4);
        facts.Scale = arguments.Integer(5);
        facts.SubType = arguments.Integer(6);
        facts.BytesPerChar = arguments.IsNull(7) ? 1 : std::max(1, arguments.Integer(7));
        facts.Precision = arguments.Integer(8);
        const bool result = arguments.Integer(0) == arguments.Integer(1);
        const QString type = QvTypes::TypeText(facts, dialect,
            result ? QStringLiteral("The result of function %1").arg(name)
                   : QStringLiteral("Argument %1 of function %2").arg(arguments.Integer(0)).arg(name));
        if (result) {
            stored.ReturnType = type;
            stored.ReturnMechanism = arguments.Integer(2);
        } else {
            stored.Arguments << type;
            // A plain argument goes by reference; a blob by its blob structure.
            const int plainMechanism = arguments.Integer(3) == 261 ? 3 : 1;
            if (arguments.Integer(2) != plainMechanism)
                stored.PlainArguments = false;
        }
    }
}

} // namespace

TStoredUDF ReadExternalFunction(TQvDatabase& database, const QString& name)
{
    TStoredUDF stored;
    TOwnStatement statement(database);
    const QString literal = QvSql::Literal(name, 1);
    TQvTransactionScope scope(statement.transaction);
    ReadHeader(statement.query, database, literal, stored);
    if (stored.Found && stored.External)
        ReadArguments(statement.query, database, name, stored);
    scope.Commit();
    return stored;
}
