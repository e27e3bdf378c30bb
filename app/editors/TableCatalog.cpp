#include "app/editors/TableCatalog.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlRead.h"
#include "access/QvSqlText.h"
#include "access/QvTextCodec.h"
#include "access/QvTransactionScope.h"
#include "access/QvTypeCatalog.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/CatalogTypes.h"
#include "app/shell/MyConst.h"

namespace {

// The grid's type and size cells from a type text: "Varchar(20)" gives
// "Varchar" and "20", "Numeric(9,2)" "Numeric" and "9,2".
void SplitTypeText(const QString& text, TColumnDef& column)
{
    const int open = text.indexOf(QLatin1Char('('));
    if (open < 0) {
        column.Type = text;
        column.Size.clear();
        return;
    }
    column.Type = text.left(open);
    const int close = text.indexOf(QLatin1Char(')'), open);
    column.Size = text.mid(open + 1, close < 0 ? -1 : close - open - 1);
}

QString TableColumnsSelect(const QString& table)
{
    return QStringLiteral("select a.rdb$field_name,a.rdb$field_source,rdb$field_type,rdb$field_length,rdb$field_scale,"
                          "a.rdb$default_source,a.rdb$null_flag,a.rdb$description,b.rdb$computed_source,"
                          "b.rdb$field_sub_type,b.rdb$character_set_id,")
        + TypeFactColumns(QStringLiteral("b"), QStringLiteral("a.rdb$collation_id"))
        + QStringLiteral(" from RDB$relation_Fields a inner join rdb$fields b "
                          "on a.rdb$field_source=b.rdb$field_name "
                          "WHERE rdb$relation_name=")
        + QvSql::SingleQuoted(table) + QStringLiteral("  order by a.rdb$field_position");
}

QString PrimaryKeySelect(const QString& table)
{
    return QStringLiteral("select a.rdb$constraint_name,b.rdb$field_name from rdb$relation_constraints a "
                          "left join rdb$index_segments b on b.rdb$index_name=a.rdb$index_name "
                          "WHERE a.rdb$constraint_type='PRIMARY KEY' and a.rdb$relation_name=")
        + QvSql::SingleQuoted(table) + QStringLiteral(" order by b.rdb$field_position");
}

QString ForeignKeysSelect(const QString& table)
{
    return QStringLiteral("select rc.rdb$constraint_name,uq.rdb$relation_name,ref.rdb$delete_rule,ref.rdb$update_rule,"
                          "seg.rdb$field_name from rdb$relation_constraints rc "
                          "join rdb$ref_constraints ref on ref.rdb$constraint_name=rc.rdb$constraint_name "
                          "join rdb$relation_constraints uq on uq.rdb$constraint_name=ref.rdb$const_name_uq "
                          "left join rdb$index_segments seg on seg.rdb$index_name=rc.rdb$index_name "
                          "where rc.rdb$constraint_type='FOREIGN KEY' and rc.rdb$relation_name=")
        + QvSql::SingleQuoted(table) + QStringLiteral(" order by rc.rdb$constraint_name,seg.rdb$field_position");
}

QString IndicesSelect(const QString& table)
{
    // Indices the server made for a constraint belong to that constraint.
    return QStringLiteral("select i.rdb$index_name,i.rdb$unique_flag,i.rdb$index_type,i.rdb$index_inactive,"
                          "s.rdb$field_name from rdb$indices i "
                          "left join rdb$index_segments s on s.rdb$index_name=i.rdb$index_name "
                          "where i.rdb$relation_name=")
        + QvSql::SingleQuoted(table)
        + QStringLiteral(" and not exists (select 1 from "
                         "rdb$relation_constraints c where c.rdb$index_name=i.rdb$index_name) "
                         "order by i.rdb$index_name,s.rdb$field_position");
}

QString ChecksSelect(const QString& table)
{
    return QStringLiteral("select a.rdb$constraint_name,c.rdb$trigger_source from rdb$relation_constraints a,"
                          "rdb$check_constraints b,rdb$triggers c where a.rdb$constraint_type='CHECK' and "
                          "a.rdb$constraint_name=b.rdb$constraint_name and b.rdb$trigger_name=c.rdb$trigger_name and "
                          "c.rdb$trigger_type=1 and a.rdb$relation_name=")
        + QvSql::SingleQuoted(table) + QStringLiteral(" order by a.rdb$constraint_name");
}

QString UniquesSelect(const QString& table)
{
    return QStringLiteral("select a.rdb$constraint_name,b.rdb$field_name from rdb$relation_constraints a "
                          "left join rdb$index_segments b on b.rdb$index_name=a.rdb$index_name "
                          "where a.rdb$constraint_type='UNIQUE' and a.rdb$relation_name=")
        + QvSql::SingleQuoted(table) + QStringLiteral(" order by a.rdb$constraint_name,b.rdb$field_position");
}

} // namespace

QStringList TableLoadSelects(const QString& table)
{
    return {TableColumnsSelect(table), PrimaryKeySelect(table), ForeignKeysSelect(table),
            IndicesSelect(table),      ChecksSelect(table),     UniquesSelect(table)};
}

TTableCatalog::TTableCatalog(TQvDatabase* database)
    : m_database(database)
    , m_transaction(std::make_unique<TQvTransaction>())
    , m_query(std::make_unique<TQvQuery>())
{
    m_transaction->SetDefaultDatabase(database);
    m_query->SetDatabase(database);
    m_query->SetTransaction(m_transaction.get());
    m_query->SetParamCheck(false);
}

TTableCatalog::~TTableCatalog() = default;

TTableDefinition TTableCatalog::LoadTable(const QString& table)
{
    TTableDefinition definition;
    definition.Name = table;
    definition.IsNew = false;
    TQvTransactionScope scope(m_transaction.get());
    LoadColumns(definition);
    const TPrimaryKeyInfo key = ReadPrimaryKey(table);
    definition.PKName = key.Name;
    definition.PKFields = key.Fields;
    LoadForeignKeys(definition);
    LoadIndices(definition);
    LoadChecks(definition);
    LoadUniques(definition);
    scope.Commit();
    // The window keeps the catalog open for its lookups; no statement stays prepared meanwhile.
    m_query->FreeHandle();
    return definition;
}

void TTableCatalog::LoadColumns(TTableDefinition& table)
{
    const int dialect = m_database->SQLDialect();
    TCatalogQuery rows(*m_query, m_database, TableColumnsSelect(table.Name));
    const TTypeFactReader types(rows);
    for (; !rows.Eof(); rows.Next()) {
        TTableColumn& column = table.Columns.emplace_back();
        TColumnDef& def = column.Def;
        def.Name = rows.Name(0);
        def.Description = rows.Text(7);
        const QString source = rows.Name(1);
        const int fieldType = rows.Integer(2);
        if (QvTypes::IsImplicitDomain(source)) {
            SplitTypeText(QvTypes::TypeText(types.Read(rows), dialect,
                                            QStringLiteral("Column %1 of table %2").arg(def.Name, table.Name)),
                          def);
        } else {
            def.Type = source;
            column.DomainType = fieldType;
        }
        def.Null = !rows.IsNull(6) && rows.Integer(6) == 1 ? QStringLiteral("No") : QStringLiteral("Yes");
        def.Default = QvSql::StoredDefault(rows.Text(5));
        const QString computed = rows.Text(8);
        if (!computed.trimmed().isEmpty()) {
            def.Computed = QvSql::ParenthesizedText(computed);
            def.Type.clear();
            def.Size.clear();
            def.Default.clear();
        }
        column.Stored = def;
        column.State = csUnchanged;
    }
}

TPrimaryKeyInfo TTableCatalog::PrimaryKey(const QString& table)
{
    TQvTransactionScope scope(m_transaction.get());
    const TPrimaryKeyInfo key = ReadPrimaryKey(table);
    scope.Commit();
    return key;
}

TPrimaryKeyInfo TTableCatalog::ReadPrimaryKey(const QString& table)
{
    TPrimaryKeyInfo key;
    TCatalogQuery rows(*m_query, m_database, PrimaryKeySelect(table));
    for (; !rows.Eof(); rows.Next()) {
        key.Name = rows.Name(0);
        if (!rows.IsNull(1))
            key.Fields << rows.Name(1);
    }
    return key;
}

void TTableCatalog::LoadForeignKeys(TTableDefinition& table)
{
    TCatalogQuery rows(*m_query, m_database, ForeignKeysSelect(table.Name));
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        if (table.ForeignKeys.empty() || table.ForeignKeys.back().Caption != name) {
            TConstraintItem item = ConstraintItems::ForeignKey(name, rows.Name(1), ForeignKeyRuleFromCatalog(rows.Name(2)),
                                                               ForeignKeyRuleFromCatalog(rows.Name(3)), {});
            item.State = isLoaded;
            item.StoredName = name;
            table.ForeignKeys.push_back(std::move(item));
        }
        if (!rows.IsNull(4))
            table.ForeignKeys.back().SubItems << rows.Name(4);
    }
}

void TTableCatalog::LoadIndices(TTableDefinition& table)
{
    TCatalogQuery rows(*m_query, m_database, IndicesSelect(table.Name));
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        if (table.Indices.empty() || table.Indices.back().Caption != name) {
            const bool unique = !rows.IsNull(1) && rows.Integer(1) == 1;
            const bool descending = !rows.IsNull(2) && rows.Integer(2) == 1;
            const bool active = rows.IsNull(3) || rows.Integer(3) == 0;
            TConstraintItem item = ConstraintItems::Index(name, unique, descending, active, {});
            item.State = isLoaded;
            item.StoredName = name;
            table.Indices.push_back(std::move(item));
        }
        if (!rows.IsNull(4))
            table.Indices.back().SubItems << rows.Name(4);
    }
}

void TTableCatalog::LoadChecks(TTableDefinition& table)
{
    TCatalogQuery rows(*m_query, m_database, ChecksSelect(table.Name));
    for (; !rows.Eof(); rows.Next()) {
        TConstraintItem item =
            ConstraintItems::Check(rows.Name(0), QvSql::ParenthesizedText(rows.Text(1), QLatin1String("CHECK")));
        item.State = isLoaded;
        item.StoredName = item.Caption;
        table.Checks.push_back(std::move(item));
    }
}

void TTableCatalog::LoadUniques(TTableDefinition& table)
{
    TCatalogQuery rows(*m_query, m_database, UniquesSelect(table.Name));
    for (; !rows.Eof(); rows.Next()) {
        const QString name = rows.Name(0);
        if (table.Uniques.empty() || table.Uniques.back().Caption != name) {
            TConstraintItem item = ConstraintItems::Unique(name, {});
            item.State = isLoaded;
            item.StoredName = name;
            table.Uniques.push_back(std::move(item));
        }
        if (!rows.IsNull(1))
            table.Uniques.back().SubItems << rows.Name(1);
    }
}

std::vector<TDomainInfo> TTableCatalog::LoadDomains()
{
    std::vector<TDomainInfo> domains;
    const int dialect = m_database->SQLDialect();
    TQvTransactionScope scope(m_transaction.get());
    {
        TCatalogQuery rows(*m_query, m_database,
            QStringLiteral("select f.rdb$field_name,f.rdb$field_type,%1 from rdb$fields f "
                           "where coalesce(f.rdb$system_flag,0)=0 order by f.rdb$field_name")
                .arg(TypeFactColumns(QStringLiteral("f"))));
        const TTypeFactReader types(rows);
        for (; !rows.Eof(); rows.Next()) {
            if (QvTypes::IsImplicitDomain(rows.Name(0)))
                continue;
            TDomainInfo domain;
            domain.Name = rows.Name(0);
            domain.FieldType = rows.Integer(1);
            domain.TypeText = QvTypes::TypeText(types.Read(rows), dialect, QStringLiteral("Domain %1").arg(domain.Name));
            domains.push_back(std::move(domain));
        }
    }
    scope.Commit();
    return domains;
}

QStringList TTableCatalog::TablesWithPrimaryKey()
{
    QStringList tables;
    TQvTransactionScope scope(m_transaction.get());
    {
        TCatalogQuery rows(*m_query, m_database,
            QStringLiteral("select rdb$relation_name from rdb$relation_constraints where "
                           "rdb$constraint_type='PRIMARY KEY' group by rdb$relation_name"));
        for (; !rows.Eof(); rows.Next())
            tables << rows.Name(0);
    }
    scope.Commit();
    return tables;
}

bool TTableCatalog::ConstraintExists(TConstraintKind kind, const QString& name)
{
    QString sql;
    switch (kind) {
    case TConstraintKind::ForeignKey:
        sql = QStringLiteral("select count(*) from rdb$relation_constraints where "
                             "rdb$constraint_type='FOREIGN KEY' and rdb$constraint_name=");
        break;
    case TConstraintKind::Index:
        sql = QStringLiteral("select count(*) from rdb$indices where rdb$index_name=");
        break;
    case TConstraintKind::Check:
        sql = QStringLiteral("select count(*) from rdb$check_constraints where rdb$constraint_name=");
        break;
    case TConstraintKind::Unique:
        sql = QStringLiteral("select count(*) from rdb$relation_constraints where rdb$constraint_name=");
        break;
    }
    bool exists = false;
    TQvTransactionScope scope(m_transaction.get());
    {
        TCatalogQuery rows(*m_query, m_database, sql + QvSql::SingleQuoted(name));
        exists = !rows.Eof() && rows.Integer(0) > 0;
    }
    scope.Commit();
    return exists;
}
