#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class TQvDatabase;

// The database of a registered entry, connected: a lost connection is let go
// first, and an entry that is not connected is connected as expanding it in
// the tree does (asking for the password, showing why it failed). nullptr
// when there is no such entry or it cannot be connected.
TQvDatabase* ConnectedEntryDatabase(quint64 entryId);

// What a window says when the server dropped its attachment.
QString ConnectionLostText();

// A window's hold on its entry's connection after the server dropped it:
// the window is told once, and its next action connects the entry again
// (as the tree's next expansion does) instead of failing on a dead handle.
class TEntryConnection : public QObject
{
    Q_OBJECT
public:
    TEntryConnection(quint64 entryId, QObject* parent);

    // Follows the window's connection: its loss, found by anyone, is noted.
    void Watch(TQvDatabase* database);
    // Before an action. Asks the server whether the attachment still lives;
    // a lost one is dropped, told (once) and connected again. The connected
    // database, or nullptr when it is gone or could not be connected (the
    // tree has shown why).
    TQvDatabase* Ready();
    // An action failed on a lost connection: dropped now and told once; the
    // next Ready connects again.
    void ActionLost();
    // Lost and not connected again yet.
    bool Lost() const { return m_lost; }

signals:
    // The connection is lost and has been dropped: the window shows what is left.
    void Dropped();

private:
    void TellOnce();

    quint64 m_entryId;
    QPointer<TQvDatabase> m_database;
    bool m_lost = false;
    bool m_told = false;
};
