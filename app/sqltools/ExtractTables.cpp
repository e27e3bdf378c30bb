// Tables with their keys, indices, foreign keys and checks, and the DROPs
// of a run.

#include "access/QvDatabase.h"
#include "access/QvSqlText.h"
#include "access/QvTypeCatalog.h"
#include "app/shell/CatalogQuery.h"
#include "app/sqltools/ExtractCatalog.h"
#include "app/sqltools/ExtractOrder.h"
#include "app/sqltools/ExtractPlan.h"
#include "app/sqltools/ExtractSupport.h"
#include "app/sqltools/ExtractWriters.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

const QString Semicolon = QStringLiteral(";");

struct TColumn
{
    QString line;
    QString name;
    QString description;
    // What follows the NOT NULL, when there is one.
    QString collate;
    // RDB$NULL_FLAG: NOT NULL of the column's own (not its domain's).
    bool notNull = false;
    // Whether a NOT NULL constraint stands for it: a primary key declared
    // with its table sets the flag alone.
    bool notNullConstraint = false;
};

struct TTable
{
    QString name;
    QString description;
    QString externalFile;
    int relationType = 0;
    std::vector<TColumn> columns;
};

struct TConstraint
{
    QString relation;
    QString name;
    QString type;
    QString index;
    QStringList columns;
    bool descending = false;
};

// The name the server gives a constraint's index when none is asked for:
// the constraint's own, or for an unnamed one RDB$PRIMARYn, RDB$FOREIGNn or
// RDB$n.
bool DefaultIndexName(const TConstraint& constraint)
{
    if (!QvSql::IsServerConstraintName(constraint.name))
        return constraint.index == constraint.name;
    return QvSql::IsNumberedName(constraint.index, QLatin1String("RDB$PRIMARY"))
        || QvSql::IsNumberedName(constraint.index, QLatin1String("RDB$FOREIGN"))
        || QvSql::IsNumberedName(constraint.index, QLatin1String("RDB$"));
}

// " USING [DESCENDING] INDEX name" where the constraint's index is not the
// one the server would make for it.
QString UsingIndex(TExtractJob& job, const TConstraint& constraint)
{
    if (!constraint.descending && DefaultIndexName(constraint))
        return {};
    return (constraint.descending ? QStringLiteral(" USING DESCENDING INDEX ") : QStringLiteral(" USING INDEX "))
        + job.Name(constraint.index);
}

struct TIndex
{
    QString name;
    QString relation;
    bool unique = false;
    bool descending = false;
    bool inactive = false;
    QString expression;
    QString description;
};

// The key and index facts of the whole database, read in a few selects.
struct TKeys
{
    QHash<QString, QStringList> segments;                // index -> its columns
    std::map<QString, std::vector<TConstraint>> byTable;  // PRIMARY KEY and UNIQUE
    std::vector<TConstraint> foreignKeys;
    QSet<QString> constraintIndices;
};

// Which columns' NOT NULL of their own stands as a constraint: the flag
// alone comes from a primary key declared with the table.
void ReadNotNullConstraints(TExtractJob& job, TQvQuery& query, std::vector<TTable>& tables)
{
    QSet<QPair<QString, QString>> constrained;
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select c.rdb$relation_name, k.rdb$trigger_name from rdb$relation_constraints c "
                       "join rdb$check_constraints k on k.rdb$constraint_name=c.rdb$constraint_name "
                       "where c.rdb$constraint_type='NOT NULL'"));
    for (; !rows.Eof(); rows.Next())
        constrained.insert({rows.Name(0), rows.Name(1)});
    for (TTable& table : tables)
        for (TColumn& column : table.columns)
            column.notNullConstraint = column.notNull && constrained.contains({table.name, column.name});
}

std::vector<TTable> ReadTables(TExtractJob& job, TQvQuery& query)
{
    TExtractCatalog& catalog = job.Catalog();
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select a.rdb$relation_name, a.rdb$field_name, a.rdb$field_source, b.rdb$computed_source, "
                       "a.rdb$default_source, a.rdb$null_flag, c.rdb$description TABLE_DESCRIPTION, "
                       "a.rdb$description FIELD_DESCRIPTION, a.rdb$collation_id COLUMN_COLLATION, "
                       "a.rdb$identity_type, c.rdb$external_file, c.rdb$relation_type, "
                       "(select cast(g.rdb$initial_value as varchar(20)) from rdb$generators g "
                       "where g.rdb$generator_name=a.rdb$generator_name) IDENTITY_START, ")
            + FieldTypeColumns(QStringLiteral("b"))
            + QStringLiteral(" from rdb$relation_fields a, rdb$fields b, rdb$relations c "
                             "where a.rdb$field_source=b.rdb$field_name "
                             "and a.rdb$base_field is null and a.rdb$relation_name=c.rdb$relation_name "
                             "and c.rdb$view_blr is null order by a.rdb$relation_name, a.rdb$field_position"));
    const TFieldTypeReader types(rows);
    std::vector<TTable> tables;
    for (; !rows.Eof(); rows.Next()) {
        const QString relation = rows.Name(0);
        if (!job.Selected(relation))
            continue;
        if (tables.empty() || tables.back().name != relation)
            tables.push_back({relation, rows.Text(6), rows.Text(10).trimmed(), rows.IsNull(11) ? 0 : rows.Integer(11), {}});
        const QString name = rows.Name(1);
        QString line = QString(7, QLatin1Char(' ')) + job.Name(name) + QLatin1Char(' ');
        const QString computed = rows.Text(3);
        if (!computed.isEmpty() && job.Plan().ComputedWaits(rows.Name(2))) {
            // Its type for now; its expression when what it uses exists.
            line += catalog.TypeText(types.Read(rows), QStringLiteral("Column %1 of table %2").arg(name, relation))
                + QStringLiteral(" COMPUTED BY (NULL)");
        } else if (!computed.isEmpty()) {
            line += QStringLiteral("COMPUTED BY ") + Fragment(computed);
        } else {
            const QString domain = rows.Name(2);
            const TFieldType type = types.Read(rows);
            const int columnCollation = rows.IsNull(8) ? -1 : rows.Integer(8);
            QString collate;
            if (type.IsImplicitDomain()) {
                line += catalog.TypeText(type, QStringLiteral("Column %1 of table %2").arg(name, relation));
                collate = catalog.CollateClause(type.characterSet, columnCollation >= 0 ? columnCollation : type.collation);
            } else {
                line += job.Name(domain);
                // Its set's default too, when the domain has another.
                if (columnCollation >= 0 && columnCollation != std::max(type.collation, 0))
                    collate = catalog.ExplicitCollateClause(type.characterSet, columnCollation);
            }
            if (!rows.IsNull(9)) {
                line += QStringLiteral(" GENERATED BY DEFAULT AS IDENTITY");
                const QString start = rows.Text(12).trimmed();
                if (!start.isEmpty() && start != QLatin1String("0"))
                    line += QStringLiteral(" (START WITH ") + start + QLatin1Char(')');
            }
            const QString defaultText = rows.Text(4).trimmed();
            if (!defaultText.isEmpty())
                line += QLatin1Char(' ') + Fragment(defaultText);
            tables.back().columns.push_back(
                {line, name, rows.Text(7), collate, !rows.IsNull(5) && rows.Integer(5) == 1, false});
            continue;
        }
        tables.back().columns.push_back({line, name, rows.Text(7), QString(), false, false});
    }
    return tables;
}

TKeys ReadKeys(TExtractJob& job, TQvQuery& query)
{
    TKeys keys;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$index_name, rdb$field_name from rdb$index_segments "
                           "order by rdb$index_name, rdb$field_position"));
        for (; !rows.Eof(); rows.Next())
            keys.segments[rows.Name(0)].append(rows.Name(1));
    }
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select c.rdb$relation_name, c.rdb$constraint_name, c.rdb$constraint_type, c.rdb$index_name, "
                       "i.rdb$index_type from rdb$relation_constraints c "
                       "left join rdb$indices i on i.rdb$index_name=c.rdb$index_name "
                       "where c.rdb$index_name is not null"));
    for (; !rows.Eof(); rows.Next()) {
        TConstraint constraint{rows.Name(0), rows.Name(1), rows.Name(2), rows.Name(3), {},
                               !rows.IsNull(4) && rows.Integer(4) == 1};
        constraint.columns = keys.segments.value(constraint.index);
        keys.constraintIndices.insert(constraint.index);
        if (constraint.type == QLatin1String("FOREIGN KEY"))
            keys.foreignKeys.push_back(constraint);
        else
            keys.byTable[constraint.relation].push_back(constraint);
    }
    const auto byName = [](const TConstraint& a, const TConstraint& b) { return NaturalLess(a.name, b.name); };
    for (auto& [table, constraints] : keys.byTable)
        std::sort(constraints.begin(), constraints.end(), byName);
    std::sort(keys.foreignKeys.begin(), keys.foreignKeys.end(), byName);
    return keys;
}

QString ColumnList(TExtractJob& job, const QStringList& columns, const QString& separator = QStringLiteral(","))
{
    QStringList names;
    for (const QString& column : columns)
        names << job.Name(column);
    return names.join(separator);
}

// "[CONSTRAINT name] PRIMARY KEY|UNIQUE (columns) [USING INDEX ...]" as a table's
// definition or an ALTER TABLE declares it.
QString KeyClause(TExtractJob& job, const TConstraint& constraint)
{
    const QString columns = ColumnList(job, constraint.columns);
    return (QvSql::IsServerConstraintName(constraint.name)
                ? QStringLiteral("%1 (%2)").arg(constraint.type, columns)
                : QStringLiteral("CONSTRAINT %1 %2 (%3)").arg(job.Name(constraint.name), constraint.type, columns))
        + UsingIndex(job, constraint);
}

const TConstraint* PrimaryKey(const TKeys& keys, const QString& table)
{
    const auto constraints = keys.byTable.find(table);
    if (constraints == keys.byTable.end())
        return nullptr;
    for (const TConstraint& constraint : constraints->second)
        if (constraint.type == QLatin1String("PRIMARY KEY"))
            return &constraint;
    return nullptr;
}

// A primary key declared with its table makes its columns NOT NULL of
// their own; one added later leaves a column NOT NULL through its domain
// alone. Declared as the original was, the copy has the same flags.
bool KeyWithTable(const TTable& table, const TConstraint& primary)
{
    return std::all_of(primary.columns.cbegin(), primary.columns.cend(), [&table](const QString& name) {
        return std::any_of(table.columns.cbegin(), table.columns.cend(),
                           [&name](const TColumn& column) { return column.name == name && column.notNull; });
    });
}

void WriteTable(TExtractJob& job, const TTable& table, const TKeys& keys)
{
    QStringList& out = job.Output();
    const QString name = job.Name(table.name);
    const TConstraint* primary = job.Flag(efKeys) ? PrimaryKey(keys, table.name) : nullptr;
    const bool primaryWithTable = primary != nullptr && KeyWithTable(table, *primary);
    out << QStringLiteral("/* Table: ") + QvSql::CommentText(table.name) + QStringLiteral("  */");
    if (!table.description.isEmpty())
        out << DescriptionComment(table.description);
    QString head = table.relationType == 4 || table.relationType == 5 ? QStringLiteral("CREATE GLOBAL TEMPORARY TABLE ")
                                                                      : QStringLiteral("CREATE TABLE ");
    head += name;
    if (!table.externalFile.isEmpty())
        head += QStringLiteral(" EXTERNAL FILE ") + QvSql::SingleQuoted(table.externalFile);
    out << head + QStringLiteral(" (");
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const TColumn& column = table.columns[i];
        QString line = column.line;
        // The key declared with the table gives the flag without a
        // constraint; a NOT NULL here would add one.
        const bool byKey = primaryWithTable && !column.notNullConstraint && primary->columns.contains(column.name);
        if (column.notNull && !byKey)
            line += QStringLiteral(" NOT NULL");
        line += column.collate;
        if (i + 1 < table.columns.size())
            line += QLatin1Char(',');
        if (!table.columns[i].description.isEmpty())
            line += QString(10, QLatin1Char(' ')) + QStringLiteral("/* ")
                + QvSql::CommentText(table.columns[i].description) + QStringLiteral(" */");
        out << line;
    }
    const auto constraints = keys.byTable.find(table.name);
    if (constraints != keys.byTable.end()) {
        for (const char* type : {"PRIMARY KEY", "UNIQUE"}) {
            const bool isPrimary = qstrcmp(type, "PRIMARY KEY") == 0;
            if (isPrimary && !primaryWithTable)
                continue;
            for (const TConstraint& constraint : constraints->second) {
                if (constraint.type != QLatin1String(type))
                    continue;
                out.last() += QLatin1Char(',');
                out << QStringLiteral("      ") + KeyClause(job, constraint);
            }
        }
    }
    QString tail = QStringLiteral(");");
    if (table.relationType == 4)
        tail = QStringLiteral(") ON COMMIT PRESERVE ROWS;");
    else if (table.relationType == 5)
        tail = QStringLiteral(") ON COMMIT DELETE ROWS;");
    out << tail;
    if (primary != nullptr && !primaryWithTable)
        out << QStringLiteral("ALTER TABLE ") + name + QStringLiteral(" ADD ") + KeyClause(job, *primary) + Semicolon;
    out << QString();
    WriteCommentOn(job, QStringLiteral("TABLE"), table.name, table.description);
    for (const TColumn& column : table.columns)
        WriteCommentOn(job, QStringLiteral("COLUMN"), column.name, column.description, Semicolon, table.name);
}

std::vector<TIndex> ReadIndices(TExtractJob& job, TQvQuery& query, const TKeys& keys)
{
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select rdb$index_name, rdb$relation_name, rdb$unique_flag, rdb$index_type, "
                       "rdb$index_inactive, rdb$expression_source, rdb$description from rdb$indices "
                       "where (rdb$system_flag is null or rdb$system_flag=0) "
                       "order by rdb$relation_name, rdb$index_name"));
    std::vector<TIndex> indices;
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        // A key's own index comes with its constraint.
        if (keys.constraintIndices.contains(name))
            continue;
        indices.push_back({name, rows.Name(1), !rows.IsNull(2) && rows.Integer(2) == 1,
                           !rows.IsNull(3) && rows.Integer(3) == 1, !rows.IsNull(4) && rows.Integer(4) == 1,
                           rows.Text(5), rows.Text(6)});
    }
    return indices;
}

// The table's indices, but for those that wait for what they use (only
// those, when `waiting`).
void WriteIndices(TExtractJob& job, const QString& table, const std::vector<TIndex>& indices, const TKeys& keys,
                  bool waiting = false)
{
    QStringList& out = job.Output();
    for (const TIndex& index : indices) {
        if (index.relation != table || job.Plan().IndexWaits(index.name) != waiting)
            continue;
        QString line = QStringLiteral("CREATE ");
        if (index.unique)
            line += QStringLiteral("UNIQUE ");
        if (index.descending)
            line += QStringLiteral("DESCENDING ");
        line += QStringLiteral("INDEX ") + job.Name(index.name) + QStringLiteral(" on ") + job.Name(table);
        if (!index.expression.isEmpty())
            line += QStringLiteral(" COMPUTED BY ") + Fragment(index.expression);
        else
            line += QLatin1Char('(') + ColumnList(job, keys.segments.value(index.name), QStringLiteral(", "))
                + QLatin1Char(')');
        out << line + Semicolon;
        if (index.inactive)
            out << QStringLiteral("ALTER INDEX ") + job.Name(index.name) + QStringLiteral(" INACTIVE;");
        out << QString();
        WriteCommentOn(job, QStringLiteral("INDEX"), index.name, index.description);
    }
}

void WriteForeignKeys(TExtractJob& job, TQvQuery& query, const TKeys& keys)
{
    QStringList& out = job.Output();
    out << QStringLiteral("/*---------------------------*/") << QStringLiteral("/*  Foreign Key Definitions  */")
        << QStringLiteral("/*---------------------------*/");
    QHash<QString, QPair<QString, QString>> rules;
    QHash<QString, QString> referencedIndex;
    QHash<QString, QString> indexRelation;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$constraint_name, rdb$update_rule, rdb$delete_rule from rdb$ref_constraints"));
        for (; !rows.Eof(); rows.Next())
            rules.insert(rows.Name(0), {rows.Name(1), rows.Name(2)});
    }
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$index_name, rdb$relation_name, rdb$foreign_key from rdb$indices"));
        for (; !rows.Eof(); rows.Next()) {
            indexRelation.insert(rows.Name(0), rows.Name(1));
            if (!rows.IsNull(2))
                referencedIndex.insert(rows.Name(0), rows.Name(2));
        }
    }
    for (const TConstraint& key : keys.foreignKeys) {
        if (!job.Selected(key.relation))
            continue;
        const QString target = referencedIndex.value(key.index);
        QString line = QStringLiteral("ALTER TABLE ") + job.Name(key.relation);
        line += QvSql::IsServerConstraintName(key.name) ? QStringLiteral(" ADD FOREIGN KEY (")
                                        : QStringLiteral(" ADD CONSTRAINT ") + job.Name(key.name)
                + QStringLiteral(" FOREIGN KEY (");
        line += ColumnList(job, key.columns) + QStringLiteral(") REFERENCES ") + job.Name(indexRelation.value(target))
            + QLatin1Char('(') + ColumnList(job, keys.segments.value(target)) + QLatin1Char(')');
        const auto [updateRule, deleteRule] = rules.value(key.name);
        if (!updateRule.isEmpty() && updateRule != QLatin1String("RESTRICT"))
            line += QStringLiteral(" ON UPDATE ") + updateRule;
        if (!deleteRule.isEmpty() && deleteRule != QLatin1String("RESTRICT"))
            line += QStringLiteral(" ON DELETE ") + deleteRule;
        out << line + UsingIndex(job, key) + Semicolon;
    }
    out << QString();
}

void WriteChecks(TExtractJob& job, TQvQuery& query)
{
    QStringList& out = job.Output();
    out << QStringLiteral("/*  Check Constraints  */");
    struct Row { QString relation, name, source, trigger; };
    std::vector<Row> checks;
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select a.rdb$relation_name, a.rdb$constraint_name, c.rdb$trigger_source, c.rdb$trigger_name "
                       "from rdb$relation_constraints a, rdb$check_constraints b, rdb$triggers c "
                       "where a.rdb$constraint_type='CHECK' and a.rdb$constraint_name=b.rdb$constraint_name "
                       "and b.rdb$trigger_name=c.rdb$trigger_name and c.rdb$trigger_type=1"));
    for (; !rows.Eof(); rows.Next())
        if (job.Selected(rows.Name(0)))
            checks.push_back({rows.Name(0), rows.Name(1), rows.Text(2), rows.Name(3)});
    // In the order the server made them (it numbers their triggers), so a
    // copy makes and numbers them alike.
    std::sort(checks.begin(), checks.end(), [](const Row& a, const Row& b) { return NaturalLess(a.trigger, b.trigger); });
    for (const Row& check : checks) {
        const QString head = QStringLiteral("ALTER TABLE ") + job.Name(check.relation)
            + (QvSql::IsServerConstraintName(check.name) ? QStringLiteral(" ADD  ")
                                         : QStringLiteral(" ADD CONSTRAINT ") + job.Name(check.name) + QLatin1Char(' '));
        // The source as stored: its line breaks are the database's own.
        out << head + Fragment(check.source) + Semicolon << QString();
    }
}

} // namespace

QStringList TablesParentsFirst(TExtractJob& job, TQvQuery& query)
{
    QStringList tables;
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$relation_name from rdb$relations where rdb$view_blr is null "
                           "and (rdb$system_flag is null or rdb$system_flag=0)"));
        for (; !rows.Eof(); rows.Next())
            tables << rows.Name(0);
    }
    QHash<QString, QSet<QString>> parents;
    TCatalogQuery rows(query, &job.Database(),
        QStringLiteral("select c.rdb$relation_name, p.rdb$relation_name from rdb$relation_constraints c, "
                       "rdb$indices i, rdb$indices p where c.rdb$constraint_type='FOREIGN KEY' "
                       "and i.rdb$index_name=c.rdb$index_name and p.rdb$index_name=i.rdb$foreign_key"));
    for (; !rows.Eof(); rows.Next())
        parents[rows.Name(0)].insert(rows.Name(1));
    return DependencyOrder(tables, parents);
}

void ExtractTables(TExtractJob& job)
{
    QStringList& out = job.Output();
    WriteBanner(out, QStringLiteral("/*              Tables             */"));
    TWriterScope scope(job);
    TQvQuery& query = scope.Query();
    std::vector<TTable> tables = ReadTables(job, query);
    ReadNotNullConstraints(job, query, tables);
    const TKeys keys = ReadKeys(job, query);
    const std::vector<TIndex> indices = job.Flag(efIndices) ? ReadIndices(job, query, keys) : std::vector<TIndex>();
    const int n = int(tables.size());
    for (int k = 0; k < n; ++k) {
        job.Progress(15, 20, k, n);
        WriteTable(job, tables[std::size_t(k)], keys);
        if (job.Flag(efIndices))
            WriteIndices(job, tables[std::size_t(k)].name, indices, keys);
    }
    // With the data, foreign keys and checks follow the rows: a cycle of
    // keys (or a table referring to itself) has no order in which rows
    // could go first, and a check reading another table held when its row
    // was written, not necessarily now.
    if (!job.Flag(efMetadataAndData)) {
        if (job.Flag(efKeys))
            WriteForeignKeys(job, query, keys);
        if (!job.Plan().ChecksWait())
            WriteChecks(job, query);
    }
    scope.Commit();
}

void ExtractLateDefinitions(TExtractJob& job)
{
    TWriterScope scope(job);
    const TExtractPlan& plan = job.Plan();
    // With the data, the checks follow the rows anyway.
    const bool checks = !job.Flag(efMetadataAndData) && plan.ChecksWait();
    if (!plan.DefinitionsWait() && !checks) {
        scope.Commit();
        return;
    }
    QStringList& out = job.Output();
    TQvQuery& query = scope.Query();
    out << QStringLiteral("/* Definitions that use routines, views or later tables */");
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select rdb$field_name, rdb$validation_source from rdb$fields "
                           "where rdb$validation_source is not null order by rdb$field_name"));
        for (; !rows.Eof(); rows.Next())
            if (plan.DomainCheckWaits(rows.Name(0)))
                out << QStringLiteral("ALTER DOMAIN ") + job.Name(rows.Name(0)) + QStringLiteral(" ADD ")
                        + Fragment(rows.Text(1)) + Semicolon;
    }
    {
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select f.rdb$relation_name, f.rdb$field_name, f.rdb$field_source, d.rdb$computed_source, ")
                + FieldTypeColumns(QStringLiteral("d"))
                + QStringLiteral(" from rdb$relation_fields f, rdb$fields d where d.rdb$field_name=f.rdb$field_source "
                                 "and d.rdb$computed_source is not null "
                                 "order by f.rdb$relation_name, f.rdb$field_position"));
        const TFieldTypeReader types(rows);
        for (; !rows.Eof(); rows.Next())
            if (plan.ComputedWaits(rows.Name(2)) && job.Selected(rows.Name(0)))
                out << QStringLiteral("ALTER TABLE ") + job.Name(rows.Name(0)) + QStringLiteral(" ALTER ")
                        + job.Name(rows.Name(1)) + QStringLiteral(" TYPE ") + job.Catalog().TypeText(types.Read(rows), QStringLiteral("Column %1 of table %2").arg(rows.Name(1), rows.Name(0)))
                        + QStringLiteral(" COMPUTED BY ") + Fragment(rows.Text(3)) + Semicolon;
    }
    if (job.Flag(efIndices)) {
        const TKeys keys = ReadKeys(job, query);
        std::vector<TIndex> waiting = ReadIndices(job, query, keys);
        waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                     [&plan](const TIndex& index) { return !plan.IndexWaits(index.name); }),
                      waiting.end());
        QStringList tables;
        for (const TIndex& index : waiting)
            if (!tables.contains(index.relation))
                tables << index.relation;
        for (const QString& table : std::as_const(tables))
            WriteIndices(job, table, waiting, keys, true);
    }
    if (checks)
        WriteChecks(job, query);
    out << QString() << QStringLiteral("COMMIT WORK;");
    scope.Commit();
}

void ExtractConstraints(TExtractJob& job)
{
    TWriterScope scope(job);
    if (job.Flag(efKeys))
        WriteForeignKeys(job, scope.Query(), ReadKeys(job, scope.Query()));
    WriteChecks(job, scope.Query());
    job.Output() << QStringLiteral("COMMIT WORK;");
    scope.Commit();
}

void ExtractDrops(TExtractJob& job)
{
    QStringList& out = job.Output();
    TWriterScope scope(job);
    TQvQuery& query = scope.Query();
    const auto names = [&](const QString& sql) {
        QStringList found;
        TCatalogQuery rows(query, &job.Database(), sql);
        for (; !rows.Eof(); rows.Next())
            if (job.Selected(rows.Name(0)))
                found << rows.Name(0);
        return found;
    };
    const auto dependencies = [&](int dependentType) {
        QHash<QString, QSet<QString>> dependsOn;
        TCatalogQuery rows(query, &job.Database(),
            QStringLiteral("select distinct rdb$dependent_name, rdb$depended_on_name from rdb$dependencies "
                           "where rdb$dependent_type=%1 and rdb$depended_on_type in (%2)")
                .arg(dependentType)
                .arg(dependentType == 1 ? QStringLiteral("0,1") : QString::number(dependentType)));
        for (; !rows.Eof(); rows.Next())
            dependsOn[rows.Name(0)].insert(rows.Name(1));
        return dependsOn;
    };
    const auto drop = [&](const char* what, QStringList objects, bool reverse) {
        if (reverse)
            std::reverse(objects.begin(), objects.end());
        for (const QString& name : objects)
            out << QStringLiteral("DROP %1 ").arg(QLatin1String(what)) + job.Name(name) + Semicolon;
    };
    drop("TRIGGER",
         names(QStringLiteral("select rdb$trigger_name from rdb$triggers "
                              "where rdb$system_flag is null or rdb$system_flag=0 order by 1")),
         false);
    drop("PROCEDURE",
         DependencyOrder(names(QStringLiteral("select rdb$procedure_name from rdb$procedures "
                                              "where rdb$package_name is null")),
                         dependencies(5)),
         true);
    drop("VIEW",
         DependencyOrder(names(QStringLiteral("select rdb$relation_name from rdb$relations "
                                              "where rdb$view_blr is not null")),
                         dependencies(1)),
         true);
    drop("PACKAGE",
         names(QStringLiteral("select rdb$package_name from rdb$packages "
                              "where rdb$system_flag is null or rdb$system_flag=0 order by 1")),
         false);
    drop("FUNCTION",
         DependencyOrder(names(QStringLiteral("select rdb$function_name from rdb$functions where rdb$module_name is null "
                                              "and rdb$package_name is null and (rdb$system_flag is null or "
                                              "rdb$system_flag=0)")),
                         dependencies(15)),
         true);
    drop("FILTER",
         names(QStringLiteral("select rdb$function_name from rdb$filters "
                              "where rdb$system_flag is null or rdb$system_flag=0 order by 1")),
         false);
    drop("EXTERNAL FUNCTION",
         names(QStringLiteral("select rdb$function_name from rdb$functions where rdb$module_name is not null "
                              "order by 1")),
         false);
    QStringList tables;
    for (const QString& table : TablesParentsFirst(job, query))
        if (job.Selected(table))
            tables << table;
    drop("TABLE", tables, true);
    drop("EXCEPTION",
         names(QStringLiteral("select rdb$exception_name from rdb$exceptions order by 1")), false);
    drop("GENERATOR",
         names(QStringLiteral("select rdb$generator_name from rdb$generators "
                              "where rdb$system_flag=0 or rdb$system_flag is null order by 1")),
         false);
    QStringList domains = names(QStringLiteral("select rdb$field_name from rdb$fields "
                                               "where rdb$system_flag is null or rdb$system_flag=0 order by 1"));
    domains.removeIf(QvTypes::IsImplicitDomain);
    drop("DOMAIN", domains, false);
    drop("COLLATION",
         names(QStringLiteral("select rdb$collation_name from rdb$collations where rdb$system_flag=0 order by 1")),
         false);
    drop("ROLE",
         names(QStringLiteral("select rdb$role_name from rdb$roles where coalesce(rdb$system_flag, 0)=0 order by 1")),
         false);
    out << QString();
    scope.Commit();
}
