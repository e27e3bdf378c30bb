#pragma once

// What the table editor holds of a table (its columns with their states,
// the primary key and the four constraint lists) and the DDL texts built
// from it. Plain data and functions: the window only shows and edits them.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Row states of the column grid, kept in cell 0.
enum TColumnState : int { csUnchanged = 0, csChanged = 1, csNew = 2, csDropped = 3 };
// States of a constraint list item (its state index).
enum TItemState : int { isLoaded = -1, isChanged = 0, isNew = 1, isDropped = 2 };

// A column as the grid shows it.
struct TColumnDef
{
    QString Name;
    QString Type;        // "Integer", "Varchar", ... or a domain name; empty for a computed column
    QString Size;        // "10", "9,2" or empty
    QString Null = QStringLiteral("Yes");   // "Yes" or "No"
    QString Default;     // as typed, without quotes
    QString Computed;    // expression without the outer parentheses
    QString Description;

    bool NullAllowed() const { return Null != QLatin1String("No"); }
    bool IsComputed() const { return !Computed.isEmpty(); }
    bool operator==(const TColumnDef&) const = default;
};

struct TTableColumn
{
    TColumnDef Def;
    // The column as the database holds it; none for a column not yet stored.
    std::optional<TColumnDef> Stored;
    int State = csNew;
    // RDB$FIELD_TYPE of the column's domain, when its type is a domain.
    int DomainType = 0;

    // The name under which the column exists in the database ("" for a new one).
    QString StoredName() const { return Stored ? Stored->Name : QString(); }
};

// One item of a constraint list: its caption, its sub-items and its state.
// StoredName is the name the database knows it by, so a renamed stored
// constraint is still dropped by that name.
struct TConstraintItem
{
    QString Caption;
    QStringList SubItems;
    int State = isNew;
    QString StoredName;
};

enum class TConstraintKind { ForeignKey, Index, Check, Unique };

// Sub-item layouts of the constraint lists.
namespace ConstraintItems {
// Foreign key: 0 referenced table, 1 delete rule, 2 update rule, 3.. columns.
TConstraintItem ForeignKey(const QString& name, const QString& refTable, const QString& deleteRule,
                           const QString& updateRule, const QStringList& fields);
// Index: "Unique"/"---", "Desc"/"---", "Active"/"---", then the columns.
TConstraintItem Index(const QString& name, bool unique, bool descending, bool active, const QStringList& fields);
// Check: the lines of its condition.
TConstraintItem Check(const QString& name, const QString& condition);
// Unique: its columns.
TConstraintItem Unique(const QString& name, const QStringList& fields);

QStringList Fields(TConstraintKind kind, const TConstraintItem& item);
// The condition of a check item, its lines joined by CR LF.
QString CheckText(const TConstraintItem& item);
} // namespace ConstraintItems

// Every rule a foreign key can have, in the order the dialog lists them.
const QStringList& ForeignKeyRules();
// The rule as the dialog names it: the server stores NO ACTION as RESTRICT.
QString ForeignKeyRuleFromCatalog(const QString& stored);

struct TTableDefinition
{
    QString Name;
    bool IsNew = true;
    std::vector<TTableColumn> Columns;
    QString PKName;
    QStringList PKFields;
    bool PKChanged = false;
    std::vector<TConstraintItem> ForeignKeys;
    std::vector<TConstraintItem> Indices;
    std::vector<TConstraintItem> Checks;
    std::vector<TConstraintItem> Uniques;

    std::vector<TConstraintItem>& Items(TConstraintKind kind);
    const std::vector<TConstraintItem>& Items(TConstraintKind kind) const;
    // Columns not marked to be dropped.
    int LiveColumnCount() const;
};

// The built-in types the column dialog offers; dialect 3 adds the types
// only it can declare.
QStringList BuiltInTypes(int dialect);
bool IsTextColumnType(const QString& type);
bool IsExactNumberColumnType(const QString& type);
bool IsNumberColumnType(const QString& type);

// The default as it stands after DEFAULT: numbers of a number column and the
// context words (NULL, CURRENT_DATE, USER, ...) as typed, anything else as a
// literal of the dialect. domainType is the RDB$FIELD_TYPE of a domain type.
QString DefaultLiteral(const TColumnDef& column, int domainType, int dialect);

// The column clause: "      NAME Varchar(20) DEFAULT "abc" NOT NULL", or
// "NAME COMPUTED BY (expr)".
QString ColumnClause(const TColumnDef& column, int domainType, int dialect);

// The CREATE TABLE statement of a new table: its head, one clause line per
// column (all but the last ending with a comma) and ");".
QStringList CreateTableLines(const TTableDefinition& table, int dialect);

// Whether a change of a stored column cannot be made in place (a computed
// column becoming stored or back, or a type the server cannot convert the
// values to): such a column is dropped and added anew and loses its values.
bool NeedsDropAndAdd(const TColumnDef& stored, const TColumnDef& now);
// The changed columns of an existing table that would be dropped and added anew.
QStringList ColumnsLosingData(const TTableDefinition& table);

// The ALTER TABLE statement of an existing table's column changes: drops,
// changes in place (ALTER ... TO / TYPE / SET DEFAULT / DROP DEFAULT /
// SET NOT NULL / DROP NOT NULL / COMPUTED BY), then additions; those of
// NeedsDropAndAdd as a drop and an add. "" when no column changed.
QString AlterColumnsStatement(const TTableDefinition& table, int dialect);

QString AddPrimaryKeyStatement(const QString& table, const QString& keyName, const QStringList& fields, int dialect);
QString DropConstraintStatement(const QString& table, const QString& name, int dialect);
// The drop of a list item's constraint as each list has always written it
// (checks and uniques in capitals); an index is dropped by DropIndexStatement.
QString DropConstraintStatement(TConstraintKind kind, const QString& table, const QString& name, int dialect);
QString AddForeignKeyStatement(const QString& table, const TConstraintItem& item, int dialect);
QString CreateIndexStatement(const QString& table, const TConstraintItem& item, int dialect);
QString DropIndexStatement(const QString& name, int dialect);
QString AddCheckStatement(const QString& table, const TConstraintItem& item, int dialect);
QString AddUniqueStatement(const QString& table, const TConstraintItem& item, int dialect);
