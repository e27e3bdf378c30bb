#include "app/editors/DebugVars.h"

#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "access/QvTransactionScope.h"
#include "app/editors/DebugWords.h"
#include "app/editors/OwnStatement.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/CatalogTypes.h"
#include "app/shell/MyConst.h"
#include "platform/db/ValueText.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

namespace {

// The length of a trigger column's "new." or "old." (any letter case) at
// the start of name; 0 for any other name.
qsizetype columnPrefixLength(QStringView name)
{
    for (const QLatin1String prefix : {QLatin1String("new."), QLatin1String("old.")}) {
        if (name.startsWith(prefix, Qt::CaseInsensitive))
            return prefix.size();
    }
    return 0;
}

QString plainName(const QString& name)
{
    const QString trimmed = name.trimmed();
    // A quoted name keeps its blanks: they are part of it; so does a
    // trigger column's (new."my col").
    if (QStringView(trimmed).mid(columnPrefixLength(trimmed)).startsWith(u'"'))
        return trimmed;
    QString result;
    result.reserve(name.size());
    for (const QChar c : name) {
        if (c != u'\r' && c != u'\n' && c != u' ' && c != u'\t')
            result += c;
    }
    return result;
}

QString refusal(const char* format, const QString& value, const QString& name)
{
    return QString::fromLatin1(format).arg(value, name);
}

// The number as the server should read it: blanks trimmed and the user's
// decimal separator, when it is not ".", read as ".".
QString numberText(const QString& value)
{
    QString text = value.trimmed();
    const QString decimal = QLocale().decimalPoint();
    if (decimal != u"." && !text.contains(u'.') && text.count(decimal) == 1)
        text.replace(decimal, QStringLiteral("."));
    return text;
}

// The value ready to send, or a refusal naming value and variable.
QString checkedText(const TSQLVar& var, TValueKind kind)
{
    static const QRegularExpression integer(QStringLiteral("^[+-]?\\d+$"));
    static const QRegularExpression exact(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    static const QRegularExpression floating(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    switch (kind) {
    case TValueKind::Text:
        return var.Value;
    case TValueKind::DateTime: {
        const auto dateTime = ValueText::ToDateTime(var.Value);
        if (!dateTime)
            throw EDebugError(refusal("'%1' is not a valid date for variable %2", var.Value, var.Name));
        return ValueText::FromDateTime(*dateTime);
    }
    case TValueKind::Time: {
        const auto time = ValueText::ToTime(var.Value);
        if (!time)
            throw EDebugError(refusal("'%1' is not a valid time for variable %2", var.Value, var.Name));
        return ValueText::FromTime(*time);
    }
    case TValueKind::Boolean: {
        const QString text = var.Value.trimmed().toUpper();
        if (text != u"TRUE" && text != u"FALSE")
            throw EDebugError(refusal("'%1' is not a valid boolean value for variable %2", var.Value, var.Name));
        return text;
    }
    case TValueKind::Integer: {
        const QString text = var.Value.trimmed();
        if (!integer.match(text).hasMatch())
            throw EDebugError(refusal("'%1' is not a valid integer value for variable %2", var.Value, var.Name));
        return text;
    }
    case TValueKind::Exact:
    case TValueKind::Float: {
        const QString text = numberText(var.Value);
        const QRegularExpression& pattern = kind == TValueKind::Exact ? exact : floating;
        if (!pattern.match(text).hasMatch())
            throw EDebugError(refusal("'%1' is not a valid number for variable %2", var.Value, var.Name));
        return text;
    }
    }
    return var.Value;
}

} // namespace

QString VariableNotFoundText(const QString& name)
{
    return QStringLiteral("Variable ") + name + QStringLiteral(" not found!");
}

QString VariableKey(const QString& name)
{
    const QString plain = plainName(name);
    const qsizetype prefix = columnPrefixLength(plain);
    // Only dialect 3 has quoted names; an unquoted one reads the same in both.
    return plain.left(prefix).toUpper() + QvSql::NameFromTyped(plain.mid(prefix), 3);
}

QString TaggedName(const QString& name, const QString& tag)
{
    const QString plain = plainName(name);
    const qsizetype prefix = columnPrefixLength(plain);
    const QString own = plain.mid(prefix);
    if (!own.startsWith(u'"'))
        return plain + tag;
    return plain.left(prefix) + QvSql::Identifier(QvSql::NameFromTyped(own, 3) + tag, 3);
}

QString HintWord(const QString& name)
{
    return name.startsWith(u'"') ? QvSql::NameFromTyped(name, 3) : name;
}

void TInOutVar::AddVar(const QString& name, const QString& type, int kind)
{
    TSQLVar var;
    var.Name = plainName(name);
    var.Type = type.trimmed();
    var.Kind = kind;
    m_vars.push_back(var);
}

void TInOutVar::SetAllNull()
{
    for (TSQLVar& var : m_vars) {
        var.IsNull = true;
        var.Value.clear();
    }
}

TSQLVar* TInOutVar::FindVar(const QString& name)
{
    const QString wanted = VariableKey(name);
    for (TSQLVar& var : m_vars) {
        if (VariableKey(var.Name) == wanted)
            return &var;
    }
    return nullptr;
}

const TSQLVar* TInOutVar::FindVar(const QString& name) const
{
    return const_cast<TInOutVar*>(this)->FindVar(name);
}

bool TInOutVar::SetVar(const QString& name, const QString& value, bool isNull)
{
    TSQLVar* var = FindVar(name);
    if (!var)
        return false;
    var->Value = isNull ? QString() : value;
    var->IsNull = isNull;
    return true;
}

std::vector<TSQLVar> TInOutVar::CollectUsedVars(const QString& text) const
{
    QSet<QString> named;
    for (const QString& name : NamesInText(text))
        named.insert(VariableKey(name));
    std::vector<TSQLVar> used;
    for (const TSQLVar& var : m_vars) {
        if (!var.Name.isEmpty() && named.contains(VariableKey(var.Name))) {
            TSQLVar copy = var;
            // The server reads an unquoted name in any letter case.
            if (!copy.Name.contains(u'"'))
                copy.Name = var.Name.toLower();
            used.push_back(copy);
        }
    }
    return used;
}

bool IsNullText(const QString& text)
{
    return text.compare(u"null", Qt::CaseInsensitive) == 0;
}

QString DrawSessionTag(const TInOutVar& vars, const std::function<int(int)>& random)
{
    const auto clashes = [&](const QString& tag) {
        for (const TSQLVar& var : vars.Items()) {
            if (VariableKey(var.Name) == VariableKey(tag))
                return true;
            const QString tagged = VariableKey(TaggedName(var.Name, tag));
            for (const TSQLVar& other : vars.Items()) {
                if (tagged == VariableKey(other.Name))
                    return true;
            }
        }
        return false;
    };
    QString tag;
    do {
        tag.clear();
        for (int i = 0; i < 4; ++i)
            tag += QChar(u'a' + random(25));
    } while (clashes(tag));
    return tag;
}

QString DrawSessionTag(const TInOutVar& vars)
{
    return DrawSessionTag(vars, [](int n) { return int(QRandomGenerator::global()->bounded(n)); });
}

TValueKind ValueKindOf(const QString& type)
{
    const QString lower = type.trimmed().toLower();
    const QString base = lower.left(lower.indexOf(u'(')).trimmed();
    if (lower.contains(u"char") || lower.startsWith(u"blob"))
        return TValueKind::Text;
    if (base == u"date" || base == u"timestamp" || base == u"sql_date")
        return TValueKind::DateTime;
    if (base == u"time")
        return TValueKind::Time;
    if (base == u"boolean")
        return TValueKind::Boolean;
    if (base == u"smallint" || base == u"integer" || base == u"int" || base == u"bigint")
        return TValueKind::Integer;
    if (base == u"numeric" || base == u"decimal")
        return TValueKind::Exact;
    if (base == u"float" || base == u"double precision" || base == u"double" || base == u"real")
        return TValueKind::Float;
    // A domain or another type the server knows: it converts the text itself.
    return TValueKind::Text;
}

void CheckVariableValue(const TSQLVar& var)
{
    if (!var.IsNull)
        checkedText(var, ValueKindOf(var.Type));
}

void BindVariable(TQvXSQLVAR& param, const TSQLVar& var)
{
    if (var.IsNull) {
        param.SetIsNull(true);
        return;
    }
    const TValueKind kind = ValueKindOf(var.Type);
    const QString text = checkedText(var, kind);
    if (kind == TValueKind::DateTime)
        param.SetAsDateTime(*ValueText::ToDateTime(text));
    else
        param.SetAsString(text);
}

void ReadVariable(const TQvXSQLVAR& column, TSQLVar& var)
{
    if (column.IsNull()) {
        var.IsNull = true;
        var.Value.clear();
        return;
    }
    var.Value = column.AsString();
    var.IsNull = false;
}

void AddTriggerColumnVars(TInOutVar& vars, TQvDatabase& database, const QString& tableName)
{
    const int dialect = database.SQLDialect();
    TOwnStatement statement(database);
    TQvTransactionScope scope(statement.transaction);
    {
        // The column's own collation overrides its domain's.
        TCatalogQuery columns(statement.query, &database,
                              QStringLiteral("select a.rdb$field_name, %1 from rdb$relation_fields a "
                                             "join rdb$fields b on a.rdb$field_source = b.rdb$field_name "
                                             "where a.rdb$relation_name = %2 order by a.rdb$field_position")
                                  .arg(TypeFactColumns(QStringLiteral("b"), QStringLiteral("a.rdb$collation_id")),
                                       QvSql::SingleQuoted(tableName)));
        const TTypeFactReader types(columns);
        for (; !columns.Eof(); columns.Next()) {
            const QString column = columns.Name(0);
            // The exact type, character set and collation included: the
            // temporary procedure declares the variables with it, so a value
            // is read, compared and measured there as in the trigger.
            const QString type = QvTypes::TypeText(types.Read(columns), dialect,
                                                   QStringLiteral("Column %1 of table %2").arg(column, tableName));
            // Named as the trigger writes it: new."my col".
            const QString typed = QvSql::TypedName(column, dialect);
            vars.AddVar(QStringLiteral("old.") + typed, type, vkInput);
            vars.AddVar(QStringLiteral("new.") + typed, type, vkInput);
        }
    }
    scope.Commit();
}
