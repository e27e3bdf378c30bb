#include "app/shell/DBListObject.h"

#include "access/QvDatabase.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"

#include <algorithm>

TDBList* DBList = nullptr;

namespace {

const QString kDatabasesKey = QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases");
const QString kRegistryError = QStringLiteral("Error reading the registry !");

QString entryKey(const QString& name)
{
    return kDatabasesKey + QLatin1Char('\\') + name;
}

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// A value of the wrong kind (a hand-edited file) reads as empty, as a missing one does.
QString readText(const QvRegistry& registry, const QString& name)
{
    try {
        return registry.readString(name);
    } catch (const EQvRegistryError&) {
        return {};
    }
}

} // namespace

TDBList::TDBList()
{
    LoadFromRegistry();
}

TDBList::~TDBList()
{
    SaveShowingErrors();
}

void TDBList::SaveShowingErrors() noexcept
{
    try {
        SaveToRegistry();
        m_changed = false;
    } catch (const std::exception& error) {
        try {
            qv::showException(QString::fromUtf8(error.what()));
        } catch (...) {
            // Nothing may leave here; the registry keeps its last state.
        }
    }
}

void TDBList::Changed()
{
    m_changed = true;
    if (m_updateDepth == 0)
        SaveShowingErrors();
}

void TDBList::EndUpdate()
{
    if (m_updateDepth > 0 && --m_updateDepth == 0 && m_changed)
        SaveShowingErrors();
}

void TDBList::SetField(QString& field, const QString& value)
{
    if (field == value)
        return;
    field = value;
    Changed();
}

void TDBList::CheckName(const QString& name, int exceptIndex) const
{
    if (name.isEmpty())
        throw EDBListError(QStringLiteral("The database name cannot be empty."));
    if (name.contains(QLatin1Char('\\')))
        throw EDBListError(QStringLiteral("The database name \"%1\" cannot contain \"\\\".").arg(name));
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; }))
        throw EDBListError(QStringLiteral("The database name cannot contain line breaks or other control characters."));
    if (!name.isValidUtf16())
        throw EDBListError(QStringLiteral("The database name holds a character that cannot be stored "
                                          "(a lone UTF-16 surrogate)."));
    for (int i = 0; i < Count(); ++i)
        if (i != exceptIndex && sameName(m_entries[i]->name, name))
            throw EDBListError(QStringLiteral("A database named \"%1\" is already registered.")
                                   .arg(m_entries[i]->name));
}

int TDBList::Append(const QString& name)
{
    auto entry = std::make_unique<Entry>();
    entry->name = name;
    entry->id = m_nextId++;
    m_entries.push_back(std::move(entry));
    return Count() - 1;
}

int TDBList::Add(const QString& name)
{
    CheckName(name, -1);
    const int index = Append(name);
    Changed();
    return index;
}

void TDBList::Delete(int index)
{
    m_entries.erase(m_entries.begin() + index);
    Changed();
}

int TDBList::IndexOf(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (sameName(m_entries[i]->name, name))
            return i;
    return -1;
}

void TDBList::SetName(int index, const QString& name)
{
    CheckName(name, index);
    SetField(m_entries[index]->name, name);
}

TQvDatabase* TDBList::GetDatabase(int index) const
{
    return m_entries[index]->database.data();
}

void TDBList::SetDatabase(int index, TQvDatabase* database)
{
    m_entries[index]->database = database;
}

int TDBList::IndexOfId(quint64 id) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_entries[i]->id == id)
            return i;
    return -1;
}

void TDBList::LoadFromRegistry()
{
    QvRegistry registry;
    if (!registry.openKey(kDatabasesKey, true)) {
        qv::messageDlg(kRegistryError, qv::mtError, qv::mbOK);
        return;
    }
    const QStringList names = registry.keyNames();
    for (const QString& name : names) {
        if (!registry.openKey(entryKey(name), false))
            continue;   // deleted by another instance in between
        const int index = Append(name);
        Entry& entry = *m_entries[index];
        entry.path = readText(registry, QStringLiteral("DBPath"));
        entry.user = readText(registry, QStringLiteral("UserName"));
        entry.password = readText(registry, QStringLiteral("UserPassword"));
        entry.charset = readText(registry, QStringLiteral("DBCharset"));
        m_loadedNames.push_back(name);
    }
}

void TDBList::SaveToRegistry()
{
    QvRegistry registry;
    if (!registry.openKey(kDatabasesKey, true)) {
        qv::messageDlg(kRegistryError, qv::mtError, qv::mbOK);
        return;
    }
    const QStringList stored = registry.keyNames();
    for (const QString& name : stored) {
        if (IndexOf(name) >= 0)
            continue;
        const bool unregisteredHere = std::any_of(m_loadedNames.cbegin(), m_loadedNames.cend(),
                                                  [&](const QString& n) { return sameName(n, name); });
        if (unregisteredHere)
            registry.deleteKey(entryKey(name));
    }
    for (const auto& entry : m_entries) {
        if (!registry.openKey(entryKey(entry->name), true))
            throw EQvRegistryError(QStringLiteral("Failed to create key '%1'").arg(entryKey(entry->name)));
        registry.writeString(QStringLiteral("DBPath"), entry->path);
        registry.writeString(QStringLiteral("UserName"), entry->user);
        registry.writeString(QStringLiteral("UserPassword"), entry->password);
        registry.writeString(QStringLiteral("DBCharset"), entry->charset);
    }
    m_loadedNames.clear();
    for (const auto& entry : m_entries)
        m_loadedNames.push_back(entry->name);
}

TDBListScope::TDBListScope() : m_list(std::make_unique<TDBList>())
{
    DBList = m_list.get();
}

TDBListScope::~TDBListScope()
{
    DBList = nullptr;
    m_list.reset();
}
