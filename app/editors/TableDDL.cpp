#include "app/editors/TableDDL.h"

#include "access/QvSqlRead.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"

#include <QRegularExpression>

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString NotMarked = QStringLiteral("---");

QString Id(const QString& name, int dialect)
{
    return QvSql::Identifier(name, dialect);
}

QString IdList(const QStringList& names, int dialect)
{
    QStringList spelled;
    spelled.reserve(names.size());
    for (const QString& name : names)
        spelled << Id(name, dialect);
    return spelled.join(QLatin1Char(','));
}

bool IsBlobType(const QString& type)
{
    return type.startsWith(QLatin1String("Blob"), Qt::CaseInsensitive);
}

bool IsBuiltInType(const QString& type)
{
    return BuiltInTypes(3).contains(type, Qt::CaseInsensitive) || IsBlobType(type);
}

// The type as it stands in a column clause: a built-in type with its size,
// or a domain's name.
QString TypeText(const TColumnDef& column, int dialect)
{
    if (!IsBuiltInType(column.Type))
        return Id(column.Type, dialect);
    QString text = column.Type;
    if (!column.Size.isEmpty())
        text += QLatin1Char('(') + column.Size + QLatin1Char(')');
    return text;
}

bool IsNumberLiteral(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    return number.match(text).hasMatch();
}

bool IsNumberDomain(int domainType)
{
    switch (domainType) {
    case 7:
    case 8:
    case 10:
    case 11:
    case 16:
    case 27:
        return true;
    default:
        return false;
    }
}

enum class TypeFamily { Text, Number, DateTime, Blob, Boolean, Unknown };

TypeFamily FamilyOf(const QString& type)
{
    if (IsTextColumnType(type))
        return TypeFamily::Text;
    if (IsNumberColumnType(type))
        return TypeFamily::Number;
    if (IsBlobType(type))
        return TypeFamily::Blob;
    if (type.compare(QLatin1String("Boolean"), Qt::CaseInsensitive) == 0)
        return TypeFamily::Boolean;
    static const QStringList dateTypes{QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Timestamp"),
                                       QStringLiteral("Sql_date")};
    if (dateTypes.contains(type, Qt::CaseInsensitive))
        return TypeFamily::DateTime;
    return TypeFamily::Unknown;
}

void RemoveTrailingComma(QString& text)
{
    if (text.endsWith(QLatin1Char(',')))
        text.chop(1);
}

// The in-place clauses of a stored column's change, each ended by a comma.
QString InPlaceClauses(const TTableColumn& column, int dialect)
{
    const TColumnDef& was = *column.Stored;
    const TColumnDef& now = column.Def;
    QString clauses;
    if (was.Name != now.Name)
        clauses += QStringLiteral(" alter column ") + Id(was.Name, dialect) + QStringLiteral(" to ")
            + Id(now.Name, dialect) + QLatin1Char(',');
    const QString name = Id(now.Name, dialect);
    if (now.IsComputed()) {
        if (was.Computed != now.Computed)
            clauses += QStringLiteral(" alter column ") + name + QStringLiteral(" computed by (")
                + QvSql::Fragment(now.Computed) + QStringLiteral("),");
        return clauses;
    }
    if (TypeText(was, dialect) != TypeText(now, dialect))
        clauses += QStringLiteral(" alter column ") + name + QStringLiteral(" type ") + TypeText(now, dialect)
            + QLatin1Char(',');
    if (was.Default != now.Default && !IsBlobType(now.Type)) {
        if (now.Default.isEmpty())
            clauses += QStringLiteral(" alter column ") + name + QStringLiteral(" drop default,");
        else
            clauses += QStringLiteral(" alter column ") + name + QStringLiteral(" set default ")
                + DefaultLiteral(now, column.DomainType, dialect) + QLatin1Char(',');
    }
    if (was.NullAllowed() != now.NullAllowed())
        clauses += QStringLiteral(" alter column ") + name
            + (now.NullAllowed() ? QStringLiteral(" drop not null,") : QStringLiteral(" set not null,"));
    return clauses;
}

} // namespace

namespace ConstraintItems {

TConstraintItem ForeignKey(const QString& name, const QString& refTable, const QString& deleteRule,
                           const QString& updateRule, const QStringList& fields)
{
    TConstraintItem item;
    item.Caption = name;
    item.SubItems << refTable << deleteRule << updateRule << fields;
    return item;
}

TConstraintItem Index(const QString& name, bool unique, bool descending, bool active, const QStringList& fields)
{
    TConstraintItem item;
    item.Caption = name;
    item.SubItems << (unique ? QStringLiteral("Unique") : NotMarked) << (descending ? QStringLiteral("Desc") : NotMarked)
                  << (active ? QStringLiteral("Active") : NotMarked) << fields;
    return item;
}

TConstraintItem Check(const QString& name, const QString& condition)
{
    TConstraintItem item;
    item.Caption = name;
    QString text = condition;
    text.replace(CRLF, QStringLiteral("\n"));
    item.SubItems = text.split(QLatin1Char('\n'));
    return item;
}

TConstraintItem Unique(const QString& name, const QStringList& fields)
{
    TConstraintItem item;
    item.Caption = name;
    item.SubItems = fields;
    return item;
}

QStringList Fields(TConstraintKind kind, const TConstraintItem& item)
{
    switch (kind) {
    case TConstraintKind::ForeignKey: return item.SubItems.mid(3);
    case TConstraintKind::Index: return item.SubItems.mid(3);
    case TConstraintKind::Unique: return item.SubItems;
    case TConstraintKind::Check: return {};
    }
    return {};
}

QString CheckText(const TConstraintItem& item)
{
    return item.SubItems.join(CRLF);
}

} // namespace ConstraintItems

const QStringList& ForeignKeyRules()
{
    static const QStringList rules{QStringLiteral("NO ACTION"), QStringLiteral("CASCADE"), QStringLiteral("SET DEFAULT"),
                                   QStringLiteral("SET NULL")};
    return rules;
}

QString ForeignKeyRuleFromCatalog(const QString& stored)
{
    const QString rule = stored.trimmed().toUpper();
    return ForeignKeyRules().contains(rule) ? rule : ForeignKeyRules().front();
}

std::vector<TConstraintItem>& TTableDefinition::Items(TConstraintKind kind)
{
    switch (kind) {
    case TConstraintKind::ForeignKey: return ForeignKeys;
    case TConstraintKind::Index: return Indices;
    case TConstraintKind::Check: return Checks;
    case TConstraintKind::Unique: break;
    }
    return Uniques;
}

const std::vector<TConstraintItem>& TTableDefinition::Items(TConstraintKind kind) const
{
    return const_cast<TTableDefinition*>(this)->Items(kind);
}

int TTableDefinition::LiveColumnCount() const
{
    int count = 0;
    for (const TTableColumn& column : Columns)
        count += column.State != csDropped ? 1 : 0;
    return count;
}

QStringList BuiltInTypes(int dialect)
{
    return QvTypes::PickList(QvTypes::plColumn, dialect);
}

bool IsTextColumnType(const QString& type)
{
    return QvTypes::IsTextType(type);
}

bool IsExactNumberColumnType(const QString& type)
{
    return QvTypes::IsIntegerType(type);
}

bool IsNumberColumnType(const QString& type)
{
    return QvTypes::IsNumberType(type);
}

QString DefaultLiteral(const TColumnDef& column, int domainType, int dialect)
{
    const QString& value = column.Default;
    if (QvSql::IsContextValue(QStringView(value).trimmed()))
        return value.trimmed();
    const bool builtIn = IsBuiltInType(column.Type);
    const bool number = builtIn ? IsNumberColumnType(column.Type) : IsNumberDomain(domainType);
    if (number && IsNumberLiteral(value))
        return value;
    const bool boolean = builtIn ? column.Type.compare(QLatin1String("Boolean"), Qt::CaseInsensitive) == 0
                                 : domainType == 23;
    static const QStringList truth{QStringLiteral("TRUE"), QStringLiteral("FALSE"), QStringLiteral("UNKNOWN")};
    if (boolean && truth.contains(value.trimmed(), Qt::CaseInsensitive))
        return value.trimmed();
    return QvSql::Literal(value, dialect);
}

QString ColumnClause(const TColumnDef& column, int domainType, int dialect)
{
    const QString name = Id(column.Name, dialect);
    if (column.IsComputed())
        return name + QStringLiteral(" COMPUTED BY (") + QvSql::Fragment(column.Computed) + QLatin1Char(')');
    QString clause = QString(6, QLatin1Char(' ')) + name + QLatin1Char(' ') + TypeText(column, dialect);
    if (!column.Default.isEmpty() && !IsBlobType(column.Type))
        clause += QStringLiteral(" DEFAULT ") + DefaultLiteral(column, domainType, dialect);
    if (!column.NullAllowed())
        clause += QStringLiteral(" NOT NULL");
    return clause;
}

QStringList CreateTableLines(const TTableDefinition& table, int dialect)
{
    QStringList lines{QStringLiteral("CREATE TABLE ") + Id(table.Name, dialect) + QStringLiteral(" (")};
    for (const TTableColumn& column : table.Columns) {
        if (column.State != csDropped)
            lines << ColumnClause(column.Def, column.DomainType, dialect) + QLatin1Char(',');
    }
    if (lines.size() > 1)
        RemoveTrailingComma(lines.last());
    lines << QStringLiteral(");");
    return lines;
}

bool NeedsDropAndAdd(const TColumnDef& stored, const TColumnDef& now)
{
    if (stored.IsComputed() != now.IsComputed())
        return true;
    if (now.IsComputed() || stored.Type.compare(now.Type, Qt::CaseInsensitive) == 0)
        return false;
    const TypeFamily was = FamilyOf(stored.Type);
    const TypeFamily becomes = FamilyOf(now.Type);
    if (was == TypeFamily::Unknown || becomes == TypeFamily::Unknown || was == becomes)
        return false;
    // Any value but a blob can be written as text; the server checks the length.
    if (becomes == TypeFamily::Text && was != TypeFamily::Blob)
        return false;
    return true;
}

QStringList ColumnsLosingData(const TTableDefinition& table)
{
    QStringList names;
    if (table.IsNew)
        return names;
    for (const TTableColumn& column : table.Columns) {
        if (column.State == csChanged && column.Stored && NeedsDropAndAdd(*column.Stored, column.Def))
            names << column.Stored->Name;
    }
    return names;
}

QString AlterColumnsStatement(const TTableDefinition& table, int dialect)
{
    QString drops;
    QString changes;
    QString adds;
    for (const TTableColumn& column : table.Columns) {
        const QString addItem = QStringLiteral(" add ") + ColumnClause(column.Def, column.DomainType, dialect) + QLatin1Char(',');
        switch (column.State) {
        case csDropped:
            if (column.Stored)
                drops += QStringLiteral(" drop ") + Id(column.Stored->Name, dialect) + QLatin1Char(',');
            break;
        case csNew:
            adds += addItem;
            break;
        case csChanged:
            if (!column.Stored) {
                adds += addItem;
            } else if (NeedsDropAndAdd(*column.Stored, column.Def)) {
                drops += QStringLiteral(" drop ") + Id(column.Stored->Name, dialect) + QLatin1Char(',');
                adds += addItem;
            } else {
                changes += InPlaceClauses(column, dialect);
            }
            break;
        default:
            break;
        }
    }
    if (drops.isEmpty() && changes.isEmpty() && adds.isEmpty())
        return {};
    QString statement = QStringLiteral("alter table ") + Id(table.Name, dialect) + QLatin1Char(' ') + drops + changes + adds;
    RemoveTrailingComma(statement);
    return statement;
}

QString AddPrimaryKeyStatement(const QString& table, const QString& keyName, const QStringList& fields, int dialect)
{
    return QStringLiteral("alter table ") + Id(table, dialect) + QStringLiteral(" add constraint ") + Id(keyName, dialect)
        + QStringLiteral(" primary key (") + IdList(fields, dialect) + QLatin1Char(')');
}

QString DropConstraintStatement(const QString& table, const QString& name, int dialect)
{
    return QStringLiteral("alter table ") + Id(table, dialect) + QStringLiteral(" drop constraint ") + Id(name, dialect);
}

QString DropConstraintStatement(TConstraintKind kind, const QString& table, const QString& name, int dialect)
{
    if (kind == TConstraintKind::ForeignKey)
        return DropConstraintStatement(table, name, dialect);
    return QStringLiteral("ALTER TABLE ") + Id(table, dialect) + QStringLiteral(" drop constraint ") + Id(name, dialect);
}

QString AddForeignKeyStatement(const QString& table, const TConstraintItem& item, int dialect)
{
    QString statement = QStringLiteral("alter table ") + Id(table, dialect) + QStringLiteral(" add constraint ")
        + Id(item.Caption, dialect) + QStringLiteral(" foreign key (")
        + IdList(ConstraintItems::Fields(TConstraintKind::ForeignKey, item), dialect) + QStringLiteral(") references ")
        + Id(item.SubItems.value(0), dialect);
    const QString onDelete = item.SubItems.value(1);
    const QString onUpdate = item.SubItems.value(2);
    if (!onDelete.isEmpty() && onDelete != QLatin1String("NO ACTION"))
        statement += QStringLiteral(" ON DELETE ") + ForeignKeyRuleFromCatalog(onDelete);
    if (!onUpdate.isEmpty() && onUpdate != QLatin1String("NO ACTION"))
        statement += QStringLiteral(" ON UPDATE ") + ForeignKeyRuleFromCatalog(onUpdate);
    return statement;
}

QString CreateIndexStatement(const QString& table, const TConstraintItem& item, int dialect)
{
    QString head = QStringLiteral("Create ");
    if (item.SubItems.value(0) == QLatin1String("Unique"))
        head += QStringLiteral("unique ");
    if (item.SubItems.value(1) == QLatin1String("Desc"))
        head += QStringLiteral("Descending ");
    head += QStringLiteral("index ");
    // The name starts the statement's second line.
    return head + CRLF + Id(item.Caption, dialect) + QStringLiteral(" on ") + Id(table, dialect) + QStringLiteral(" (")
        + IdList(ConstraintItems::Fields(TConstraintKind::Index, item), dialect) + QLatin1Char(')');
}

QString DropIndexStatement(const QString& name, int dialect)
{
    return QStringLiteral("drop index ") + Id(name, dialect);
}

QString AddCheckStatement(const QString& table, const TConstraintItem& item, int dialect)
{
    // The condition's last line may end in a "--" comment: the closing
    // parenthesis goes on a line of its own.
    return QStringLiteral("ALTER TABLE ") + Id(table, dialect) + QStringLiteral(" add constraint ")
        + Id(item.Caption, dialect) + QStringLiteral(" CHECK (") + ConstraintItems::CheckText(item) + CRLF
        + QLatin1Char(')');
}

QString AddUniqueStatement(const QString& table, const TConstraintItem& item, int dialect)
{
    return QStringLiteral("ALTER TABLE ") + Id(table, dialect) + QStringLiteral(" add constraint ")
        + Id(item.Caption, dialect) + QStringLiteral(" UNIQUE (")
        + IdList(ConstraintItems::Fields(TConstraintKind::Unique, item), dialect) + QLatin1Char(')');
}
