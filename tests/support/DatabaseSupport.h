#pragma once

// Throwaway databases for the window tests: made through the access layer,
// filled by plain statements, each in a transaction of its own.

#include "support/TestSupport.h"

#include <QStringList>

class TQvDatabase;

namespace qvtest {

// The connection lines for a target's user and password.
QStringList connectParams(const Target& target);

// Runs the statements on an open connection, each in a transaction of its own.
void runStatements(TQvDatabase& database, const QStringList& statements);

// Creates a dialect-1 database file in dir and runs the statements in it;
// returns the path the target opens it by.
QString createDatabase(const Target& target, const TempDir& dir, const QString& file,
                       const QStringList& statements = {});

// The same in dialect 3, with a default character set (NONE when empty).
QString createDialect3Database(const Target& target, const TempDir& dir, const QString& file,
                               const QStringList& statements = {}, const QString& characterSet = QString());

// Writes a registration into the program's registry, as the registration
// dialog of an earlier run would have; false when the key cannot be opened.
bool registerDatabase(const QString& name, const QString& path, const QString& user, const QString& password,
                      const QString& charset = QStringLiteral("NONE"));

// Runs statements in an existing database, on a connection of its own.
void execute(const Target& target, const QString& path, const QStringList& statements);

// Runs script lines (which CONNECT or CREATE DATABASE themselves) through
// the script executor; "line n: text" for each statement that failed.
QStringList RunScript(const QStringList& lines);

// The first column of every row, as text (trailing blanks removed), read on
// a connection of its own (in that connection character set, when one is given).
QStringList column(const Target& target, const QString& path, const QString& sql,
                   const QString& characterSet = QString());

// Whether isql-fb is installed: it reads a database back independently.
bool IsqlAvailable();
// What `isql-fb -x` prints for the database, without the lines that name
// its file; empty when isql-fb is not installed. The embedded engine lets
// isql-fb in only while no other process has the file open.
QString IsqlExtract(const Target& target, const QString& path);
// Runs a script file through isql-fb -q -i in the connection character set;
// what it reported failing, empty when every statement ran.
QString RunIsql(const Target& target, const QString& scriptPath, const QString& characterSet);

// The server's number of an open connection's attachment (CURRENT_CONNECTION).
qint64 attachmentId(TQvDatabase& database);
// Ends another attachment from a connection of its own, as an administrator
// does by deleting its MON$ATTACHMENTS row: the next call on it fails with
// "connection shutdown".
void killAttachment(const Target& target, const QString& path, qint64 attachmentId);

} // namespace qvtest
