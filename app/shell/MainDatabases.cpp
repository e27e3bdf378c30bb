// The main window's commands on whole databases: unregister, create, drop
// and close. Registering and editing a registration are in Main.cpp.

#include "app/shell/Main.h"

#include "access/QvDatabase.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/NewDatabase.h"
#include "app/shell/ObjectOpeners.h"
#include "components/FormPlacement.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTreeWidget>

quint64 TMainForm::SelectedEntry(bool below) const
{
    if (!MainTree)
        return 0;
    const QTreeWidgetItem* node = MainTree->Tree()->currentItem();
    if (!node)
        return 0;
    const int level = TMainTree::NodeLevel(node);
    if (level < 1 || (!below && level != 1))
        return 0;
    return TMainTree::NodeEntryId(node);
}

bool TMainForm::CloseDatabaseWindows(quint64 entryId)
{
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : WindowsOfDatabase(entryId))
        windows << window;
    bool allClosed = true;
    for (const QPointer<QWidget>& window : std::as_const(windows)) {
        if (!window)
            continue;
        QMdiSubWindow* sub = MdiSubWindowOf(window);
        if (!(sub ? sub->close() : window->close())) {
            allClosed = false;
            break;
        }
    }
    // The closed windows' deferred releases run now, so none of them still
    // holds the connection when it is closed.
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qv::processMessages();
    }
    return allClosed;
}

bool TMainForm::CloseDatabase(quint64 entryId, bool freeConnection)
{
    if (!CloseDatabaseWindows(entryId))
        return false;
    if (MainTree)
        MainTree->CloseEntryConnection(entryId, freeConnection);
    return true;
}

void TMainForm::CloseDBBtnClick()
{
    const quint64 id = SelectedEntry(true);
    const int index = id != 0 && DBList ? DBList->IndexOfId(id) : -1;
    TQvDatabase* database = index >= 0 ? DBList->GetDatabase(index) : nullptr;
    if (!database || !database->Connected())
        return;
    if (qv::messageDlg(QStringLiteral("Are ypu want to close database and all connected windows ?"), qv::mtWarning,
                       qv::mbYesNo)
        != qv::mrYes)
        return;
    if (MainTree)
        MainTree->Tree()->setCurrentItem(MainTree->DatabaseNodeOf(id));
    CloseDatabase(id);
}

void TMainForm::UnregisterDatabase1Click()
{
    const quint64 id = SelectedEntry(false);
    if (id == 0 || !DBList || DBList->IndexOfId(id) < 0)
        return;
    if (qv::messageDlg(QStringLiteral("Are you really want to unregister database ?"), qv::mtWarning, qv::mbYesNo)
        != qv::mrYes)
        return;
    // Nothing may stay attached to, or show, a database that is no longer registered.
    if (!CloseDatabase(id, true))
        return;
    DBList->Delete(DBList->IndexOfId(id));
    if (MainTree)
        delete MainTree->DatabaseNodeOf(id);
}

void TMainForm::CreatedatabaseBtnClick()
{
    TNewDatabase dialog(this);
    qv::showModal(dialog);
}

void TMainForm::DropdatabaseBtnClick()
{
    const quint64 id = SelectedEntry(false);
    if (id == 0 || !DBList || !MainTree || DBList->IndexOfId(id) < 0)
        return;
    if (qv::messageDlg(QStringLiteral("Dropping a database will permanently delete database file and this file "
                                      "cannot be restored. Continue ?"),
                       qv::mtWarning, qv::mbYesNo)
        != qv::mrYes)
        return;
    TQvDatabase* database = DBList->GetDatabase(DBList->IndexOfId(id));
    if (!database || !database->Connected()) {
        if (!MainTree->ConnectEntry(id))
            return;
        if (QTreeWidgetItem* node = MainTree->DatabaseNodeOf(id))
            node->setExpanded(false);
        database = DBList->GetDatabase(DBList->IndexOfId(id));
        if (!database || !database->Connected())
            return;
    }
    // The windows go first; one that refuses keeps the database.
    if (!CloseDatabaseWindows(id))
        return;
    try {
        if (DM) {
            const int at = DM->IBTran()->FindDatabase(database);
            if (at >= 0 && !DM->IBTran()->Active())
                DM->IBTran()->RemoveDatabase(at);
        }
        database->DropDatabase();
    } catch (const EQvError& error) {
        qv::showMessage(error.Message());
        return;
    } catch (const std::exception& error) {
        qv::showMessage(QString::fromUtf8(error.what()));
        return;
    }
    TMainTree::FreeEntryConnection(id);
    DBList->Delete(DBList->IndexOfId(id));
    delete MainTree->DatabaseNodeOf(id);
    qv::messageDlg(QStringLiteral("Database dropped !"), qv::mtInformation, qv::mbOK);
}
