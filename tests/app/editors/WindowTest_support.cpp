#include "WindowTest_support.h"

#include "app/shell/DBListObject.h"

namespace qveditors {

RegisteredDatabase::RegisteredDatabase(const qvtest::Target& target, const qvtest::TempDir& dir, int dialect,
                                       const QStringList& statements)
    : m_registry(qgetenv("QORVANE_REGISTRY"))
{
    qputenv("QORVANE_REGISTRY", dir.filePath(QStringLiteral("registry.reg")).toUtf8());
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
    if (m_registry.isNull())
        qunsetenv("QORVANE_REGISTRY");
    else
        qputenv("QORVANE_REGISTRY", m_registry);
}

QString RegisteredDatabase::path() const
{
    return m_database->DBName();
}

} // namespace qveditors
