#include "app/editors/TableSave.h"

#include "access/Qv.h"
#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/editors/TableCatalog.h"

namespace {

struct TItemTexts
{
    const char* progress;
    const char* cantAdd;
    const char* cantDrop;
};

TItemTexts TextsOf(TConstraintKind kind)
{
    switch (kind) {
    case TConstraintKind::ForeignKey:
        return {"Saving Foreign Key", "Can't create Foreign Key: ", "Can't drop Foreign Key: "};
    case TConstraintKind::Index:
        return {"Saving Indices", "Error creating Index: ", "Can't drop Index: "};
    case TConstraintKind::Check:
        return {"Saving Check Constraints", "Can't create Check Constraint: ", "Can't drop Check Constraint: "};
    case TConstraintKind::Unique:
        break;
    }
    return {"Saving Check Constraints", "Can't create Unique Constraint: ", "Can't drop Unique Constraint: "};
}

} // namespace

TTableSaver::TTableSaver(TQvDatabase* database, TTableDefinition& table)
    : m_target(table)
    , m_table(table)
    , m_dialect(database->SQLDialect())
    , m_transaction(std::make_unique<TQvTransaction>())
    , m_query(std::make_unique<TQvQuery>())
    , m_catalog(std::make_unique<TTableCatalog>(database))
{
    m_transaction->SetDefaultDatabase(database);
    m_query->SetDatabase(database);
    m_query->SetTransaction(m_transaction.get());
    m_query->SetParamCheck(false);
}

TTableSaver::~TTableSaver() = default;

QString TTableSaver::Validate() const
{
    // The names are stored ones: those the database's dialect can write.
    if (!QvSql::CanName(m_target.Name, m_dialect))
        return QLatin1Char('"') + m_target.Name + QStringLiteral("\" is not valid table name !");
    if (m_target.LiveColumnCount() == 0)
        return QStringLiteral("Table has no fields !");
    // What has no columns cannot be created; the dialogs refuse it first.
    const struct
    {
        TConstraintKind kind;
        const char* what;
    } withFields[] = {{TConstraintKind::ForeignKey, "Foreign Key "},
                      {TConstraintKind::Index, "Index "},
                      {TConstraintKind::Unique, "Unique Constraint "}};
    for (const auto& items : withFields) {
        for (const TConstraintItem& item : m_target.Items(items.kind)) {
            const bool created = item.State == isNew || item.State == isChanged;
            if (created && ConstraintItems::Fields(items.kind, item).isEmpty())
                return QString::fromLatin1(items.what) + item.Caption + QStringLiteral(" has no fields !");
        }
    }
    for (const TConstraintItem& item : m_target.Checks) {
        const bool created = item.State == isNew || item.State == isChanged;
        if (created && ConstraintItems::CheckText(item).trimmed().isEmpty())
            return QStringLiteral("Check Constraint ") + item.Caption + QStringLiteral(" has no condition !");
    }
    return {};
}

TTableSaver::Result TTableSaver::Save()
{
    m_refusal = Validate();
    m_failedStep.clear();
    m_serverMessage.clear();
    if (!m_refusal.isEmpty())
        return Refused;
    const QStringList losing = ColumnsLosingData(m_target);
    if (!losing.isEmpty() && !(ConfirmDataLoss && ConfirmDataLoss(losing)))
        return Declined;
    m_table = m_target;
    if (m_table.PKChanged && !m_table.IsNew) {
        // Read as committed, before this save's own changes to the catalog.
        try {
            m_storedKey = m_catalog->PrimaryKey(m_table.Name);
        } catch (const EDatabaseError& error) {
            m_failedStep = QStringLiteral("Can't drop Primary Key !");
            m_serverMessage = error.Message();
            return Failed;
        }
    }
    TQvTransactionScope transaction(m_transaction.get());
    const bool sent = SaveColumns() && SavePrimaryKey() && SaveItems(TConstraintKind::ForeignKey)
        && SaveItems(TConstraintKind::Index) && SaveItems(TConstraintKind::Check) && SaveItems(TConstraintKind::Unique)
        && SaveDescriptions();
    if (!sent) {
        transaction.Rollback();
        return Failed;
    }
    try {
        transaction.Commit();
    } catch (const EDatabaseError& error) {
        // The server applies the definitions at the commit: a unique index
        // over duplicate values, for one, fails only there.
        m_failedStep = QStringLiteral("Can't save changes of table ") + m_table.Name + QStringLiteral(" !");
        m_serverMessage = error.Message();
        return Failed;
    }
    const bool created = m_target.IsNew && !m_table.IsNew;
    m_target = m_table;
    if (created && OnTableCreated)
        OnTableCreated();
    return Saved;
}

bool TTableSaver::SaveColumns()
{
    Progress(QStringLiteral("Changing table"));
    const QString statement = m_table.IsNew ? CreateTableLines(m_table, m_dialect).join(QStringLiteral("\r\n"))
                                            : AlterColumnsStatement(m_table, m_dialect);
    if (statement.isEmpty())
        return true;
    if (!Execute(statement, QStringLiteral("Can't Modify table fields !")))
        return false;
    // The columns are now as the grid shows them; what was stored of their
    // descriptions survives only a change made in place.
    std::erase_if(m_table.Columns, [](const TTableColumn& column) { return column.State == csDropped; });
    for (TTableColumn& column : m_table.Columns) {
        if (column.State == csUnchanged)
            continue;
        const bool keptInPlace = column.State == csChanged && column.Stored && !NeedsDropAndAdd(*column.Stored, column.Def);
        const QString storedDescription = keptInPlace ? column.Stored->Description : QString();
        column.Stored = column.Def;
        column.Stored->Description = storedDescription;
        column.State = csUnchanged;
    }
    m_table.IsNew = false;
    return true;
}

bool TTableSaver::SavePrimaryKey()
{
    if (!m_table.PKChanged)
        return true;
    Progress(QStringLiteral("Saving Primary Key"));
    // A key that could not be dropped stops the save: adding the new one
    // would fail anyway, and the user must learn that the old one stays.
    if (!m_storedKey.Name.isEmpty()
        && !Execute(DropConstraintStatement(m_table.Name, m_storedKey.Name, m_dialect),
                    QStringLiteral("Can't drop Primary Key !")))
        return false;
    if (!m_table.PKFields.isEmpty()) {
        if (m_table.PKName.isEmpty())
            m_table.PKName = m_table.Name + QStringLiteral("_PK");
        if (!Execute(AddPrimaryKeyStatement(m_table.Name, m_table.PKName, m_table.PKFields, m_dialect),
                     QStringLiteral("Can't add promary key !")))
            return false;
    }
    m_table.PKChanged = false;
    return true;
}

bool TTableSaver::SaveItems(TConstraintKind kind)
{
    const TItemTexts texts = TextsOf(kind);
    Progress(QString::fromLatin1(texts.progress));
    std::vector<TConstraintItem>& items = m_table.Items(kind);
    const auto add = [&](const TConstraintItem& item) {
        QString sql;
        switch (kind) {
        case TConstraintKind::ForeignKey: sql = AddForeignKeyStatement(m_table.Name, item, m_dialect); break;
        case TConstraintKind::Index: sql = CreateIndexStatement(m_table.Name, item, m_dialect); break;
        case TConstraintKind::Check: sql = AddCheckStatement(m_table.Name, item, m_dialect); break;
        case TConstraintKind::Unique: sql = AddUniqueStatement(m_table.Name, item, m_dialect); break;
        }
        return Execute(sql, QString::fromLatin1(texts.cantAdd) + item.Caption);
    };
    const auto drop = [&](const TConstraintItem& item) {
        const QString name = item.StoredName.isEmpty() ? item.Caption : item.StoredName;
        const QString sql = kind == TConstraintKind::Index ? DropIndexStatement(name, m_dialect)
                                                           : DropConstraintStatement(kind, m_table.Name, name, m_dialect);
        return Execute(sql, QString::fromLatin1(texts.cantDrop) + name);
    };
    for (auto it = items.begin(); it != items.end();) {
        TConstraintItem& item = *it;
        if (item.State == isDropped) {
            if (!drop(item))
                return false;
            it = items.erase(it);
            continue;
        }
        if (item.State == isChanged && !item.StoredName.isEmpty()) {
            if (!drop(item))
                return false;
            // Gone from the database: a retry only creates it.
            item.StoredName.clear();
            item.State = isNew;
        }
        if (item.State == isNew || item.State == isChanged) {
            if (!add(item))
                return false;
            item.State = isLoaded;
            item.StoredName = item.Caption;
        }
        ++it;
    }
    return true;
}

bool TTableSaver::SaveDescriptions()
{
    for (TTableColumn& column : m_table.Columns) {
        const QString stored = column.Stored ? column.Stored->Description : QString();
        if (column.Def.Description == stored)
            continue;
        if (!Execute(QvSql::CommentOn(QStringLiteral("COLUMN"), column.Def.Name, column.Def.Description, m_dialect, m_table.Name),
                     QStringLiteral("Can't save description of field: ") + column.Def.Name))
            return false;
        if (column.Stored)
            column.Stored->Description = column.Def.Description;
    }
    return true;
}

bool TTableSaver::Execute(const QString& sql, const QString& failedStep)
{
    m_sent << sql;
    try {
        m_query->SetSQLText(sql);
        m_query->ExecQuery();
        return true;
    } catch (const EDatabaseError& error) {
        m_failedStep = failedStep;
        m_serverMessage = error.Message();
        return false;
    }
}

void TTableSaver::Progress(const QString& step) const
{
    if (OnProgress)
        OnProgress(step);
}
