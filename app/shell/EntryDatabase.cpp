#include "app/shell/EntryDatabase.h"

#include "access/QvDatabase.h"
#include "app/shell/DBListObject.h"
#include "app/shell/MainTreeF.h"

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
