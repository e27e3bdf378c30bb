#pragma once

// Test databases and a whole running shell for the tree and main-window tests.

#include "access/QvDatabase.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Startup.h"
#include "support/DatabaseSupport.h"
#include "support/ProgramSupport.h"
#include "support/TestSupport.h"

#include <QByteArray>
#include <QStringList>

#include <memory>

class QTreeWidgetItem;

namespace qvshell {

using qvtest::createDatabase;
using qvtest::execute;

// Points the registry and the user's data folder at a test's own folder for
// the fixture's life.
class IsolatedUser
{
public:
    IsolatedUser();

    const qvtest::TempDir& dir() const { return m_dir; }
    QString registryFile() const;

private:
    qvtest::TempDir m_dir;
    qvtest::UserFoldersIn m_folders;
};

// A copy of the user's registry file as it is on disk now, under a new name:
// what a program started after a kill would read.
QString copyOfRegistry(const IsolatedUser& user);

// Writes a registration straight into the registry (as an earlier run would have).
void registerInRegistry(const QString& name, const QString& path, const QString& user,
                        const QString& password, const QString& charset = QStringLiteral("NONE"));
// Writes one option value under the Options key.
void writeOption(const QString& name, int value);

// The program as main() runs it: the list, then the windows, shown.
using Shell = qvtest::RunningProgram;

// The tree's database node of that name, or none.
using qvtest::databaseNode;
// The category node below a database node.
QTreeWidgetItem* categoryNode(QTreeWidgetItem* database, const QString& category);
// Texts of a node's children.
QStringList childTexts(const QTreeWidgetItem* node);
// Expands a node the way a click on its button does.
void expand(QTreeWidgetItem* node);

} // namespace qvshell
