#pragma once

// A registered, connected throwaway database for the editor windows' tests:
// the registered-database list (with its registry in the test's folder) and
// one entry whose connection the fixture owns.

#include "DebugTest_support.h"

#include <memory>

class QTreeWidgetItem;
class TDBListScope;
class TMainTree;

namespace qveditors {

class RegisteredDatabase
{
public:
    RegisteredDatabase(const qvtest::Target& target, const qvtest::TempDir& dir, int dialect,
                       const QStringList& statements = {});
    ~RegisteredDatabase();
    RegisteredDatabase(const RegisteredDatabase&) = delete;
    RegisteredDatabase& operator=(const RegisteredDatabase&) = delete;

    // The entry's identity (TDBList::GetId).
    quint64 id() const { return m_id; }
    TQvDatabase& database() const { return *m_database; }
    QString path() const;

private:
    qvtest::RegistryFileIn m_registry;
    std::unique_ptr<TDBListScope> m_list;
    std::unique_ptr<TQvDatabase> m_database;
    quint64 m_id = 0;
};

// The tree window (as the global MainTree) with the database's node and its
// categories, the category of a kind already listed (empty). The tree lets go
// of the list's connections before it goes, so the fixture keeps owning them.
class TreeWithDatabase
{
public:
    TreeWithDatabase(quint64 dbId, int filledCategory);
    ~TreeWithDatabase();
    TreeWithDatabase(const TreeWithDatabase&) = delete;
    TreeWithDatabase& operator=(const TreeWithDatabase&) = delete;

    QTreeWidgetItem* category() const { return m_category; }

private:
    std::unique_ptr<TMainTree> m_tree;
    QTreeWidgetItem* m_category = nullptr;
};

} // namespace qveditors
