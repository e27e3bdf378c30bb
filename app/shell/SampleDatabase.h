#pragma once

// The small database a new user finds in the tree on the first start: made
// through the embedded engine in the user's data folder from the sample
// script, and registered.

#include <QString>
#include <QStringList>

class TDBList;

inline const QString kSampleDatabaseName = QStringLiteral("Sample database");

// Where the sample database lives: the user's data folder and "sample.fdb".
QString SampleDatabasePath();
// The sample script's lines, read from the program's sources; empty when
// the file cannot be read.
QStringList SampleDatabaseScript();

// When no database is registered yet, makes the sample database (unless its
// file is there already) and registers it; true when it was registered. A
// failure is shown to the user, leaves no half-made file and registers
// nothing. With databases registered nothing happens.
bool CreateSampleDatabase(TDBList& list);
