#include "ShellTest_support.h"

#include "access/QvQuery.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "platform/Registry.h"

#include <QFile>
#include <QTreeWidget>

namespace qvshell {

IsolatedUser::IsolatedUser()
    : m_folders(m_dir)
{
}

QString IsolatedUser::registryFile() const
{
    return m_dir.filePath(QStringLiteral("registry.reg"));
}

QString copyOfRegistry(const IsolatedUser& user)
{
    static int copies = 0;
    const QString copy = user.dir().filePath(QStringLiteral("registry-copy%1.reg").arg(++copies));
    QFile::remove(copy);
    if (!QFile::copy(user.registryFile(), copy))
        throw std::runtime_error("cannot copy the registry file");
    return copy;
}

void registerInRegistry(const QString& name, const QString& path, const QString& user,
                        const QString& password, const QString& charset)
{
    if (!qvtest::registerDatabase(name, path, user, password, charset))
        throw std::runtime_error("cannot open the registry key");
}

void writeOption(const QString& name, int value)
{
    QvRegistry registry;
    if (!registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Options"), true))
        throw std::runtime_error("cannot open the registry key");
    registry.writeInteger(name, value);
}

QTreeWidgetItem* categoryNode(QTreeWidgetItem* database, const QString& category)
{
    for (int i = 0; i < database->childCount(); ++i)
        if (database->child(i)->text(0) == category)
            return database->child(i);
    return nullptr;
}

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

void expand(QTreeWidgetItem* node)
{
    node->setExpanded(true);
}

} // namespace qvshell
