#pragma once

#include <QtGlobal>

class TQvDatabase;

// The database of a registered entry, connected: a lost connection is let go
// first, and an entry that is not connected is connected as expanding it in
// the tree does (asking for the password, showing why it failed). nullptr
// when there is no such entry or it cannot be connected.
TQvDatabase* ConnectedEntryDatabase(quint64 entryId);
