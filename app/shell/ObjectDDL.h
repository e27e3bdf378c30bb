#pragma once

// The CREATE text of a table, view or procedure rebuilt from the system
// tables, and its display in the preview window. Link words of SQL texts
// show it.

#include <QString>

class TQvDatabase;

// Builds the text on the data module's shared statement inside its shared
// transaction, which is started here and committed; on an error it is rolled
// back and the error propagates. kind: 1 table, 2 view, 3 procedure; any other
// kind gives an empty text. Names are looked up without regard to letter case
// (the server keeps dialect-1 names upper-cased); the text names the object as
// passed in. Lines end with CR LF.
QString BuildObjectDDL(const QString& name, TQvDatabase* database, int kind);

// Shows BuildObjectDDL for database number n (1-based) in the preview window,
// captioned "Object view", modally.
void ShowObjectDDL(const QString& name, int n, int kind);
