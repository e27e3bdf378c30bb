#include "WindowTest_support.h"

#include "app/shell/DBListObject.h"
#include "app/shell/MainTreeF.h"

#include <QTreeWidgetItem>

namespace qveditors {

RegisteredDatabase::RegisteredDatabase(const qvtest::Target& target, const qvtest::TempDir& dir, int dialect,
                                       const QStringList& statements)
    : m_registry(dir)
{
    m_database = qvdebug::createDatabase(target, dir, dialect, statements);
    m_list = std::make_unique<TDBListScope>();
    const int index = DBList->Add(QStringLiteral("Test"));
    DBList->SetPath(index, m_database->DBName());
    DBList->SetUser(index, target.user);
    DBList->SetPassword(index, target.password);
    DBList->SetDatabase(index, m_database.get());
    m_id = DBList->GetId(index);
}

RegisteredDatabase::~RegisteredDatabase()
{
    if (m_database && m_database->Connected())
        m_database->ForceClose();
    m_list.reset();
    m_database.reset();
}

QString RegisteredDatabase::path() const
{
    return m_database->DBName();
}

TreeWithDatabase::TreeWithDatabase(quint64 dbId, int filledCategory)
    : m_tree(std::make_unique<TMainTree>())
{
    MainTree = m_tree.get();
    QTreeWidgetItem* database = m_tree->AddDatabaseNode(DBList->IndexOfId(dbId));
    qDeleteAll(database->takeChildren());
    m_tree->AddCategoryNodes(database);
    TMainTree::SetNodeData(database, true);
    m_category = m_tree->CategoryNodeOf(dbId, filledCategory);
    qDeleteAll(m_category->takeChildren());
    TMainTree::SetNodeData(m_category, true);
}

TreeWithDatabase::~TreeWithDatabase()
{
    for (int i = 0; DBList && i < DBList->Count(); ++i)
        DBList->SetDatabase(i, nullptr);
    MainTree = nullptr;
    m_tree.reset();
}

} // namespace qveditors
