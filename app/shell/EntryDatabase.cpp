#include "app/shell/EntryDatabase.h"

#include "access/QvDatabase.h"
#include "app/shell/DBListObject.h"
#include "app/shell/MainTreeF.h"
#include "platform/Dialogs.h"

TQvDatabase* ConnectedEntryDatabase(quint64 entryId)
{
    if (!DBList)
        return nullptr;
    const int index = DBList->IndexOfId(entryId);
    if (index < 0)
        return nullptr;
    TQvDatabase* database = DBList->GetDatabase(index);
    if (database)
        database->DropLostConnection();
    if ((!database || !database->Connected()) && MainTree) {
        if (!MainTree->ConnectEntry(entryId))
            return nullptr;
        database = DBList->GetDatabase(DBList->IndexOfId(entryId));
    }
    return database && database->Connected() ? database : nullptr;
}

QString ConnectionLostText()
{
    return QStringLiteral("The connection to the database was lost");
}

TEntryConnection::TEntryConnection(quint64 entryId, QObject* parent)
    : QObject(parent)
    , m_entryId(entryId)
{
}

void TEntryConnection::Watch(TQvDatabase* database)
{
    if (m_database == database)
        return;
    if (m_database)
        disconnect(m_database, nullptr, this, nullptr);
    m_database = database;
    if (!database)
        return;
    connect(database, &TQvDatabase::OnConnectionLost, this, [this] {
        m_lost = true;
        m_told = false;
        emit Dropped();
    });
}

void TEntryConnection::TellOnce()
{
    if (m_told)
        return;
    m_told = true;
    qv::messageDlg(ConnectionLostText(), qv::mtError, qv::mbOK);
}

TQvDatabase* TEntryConnection::Ready()
{
    if (m_database && !m_lost) {
        m_database->CheckConnection();
        m_database->DropLostConnection();
    }
    if (!m_lost)
        return m_database;
    TellOnce();
    TQvDatabase* database = ConnectedEntryDatabase(m_entryId);
    if (!database)
        return nullptr;
    Watch(database);
    m_lost = false;
    return database;
}

void TEntryConnection::ActionLost()
{
    if (m_database)
        m_database->DropLostConnection();
    // Dropped before by someone else: the window's own work went with it all the same.
    m_lost = true;
    TellOnce();
}
