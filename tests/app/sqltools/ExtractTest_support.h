#pragma once

// Extraction against real databases: a connection for the writers, the
// script run back through the executor, and isql-fb's own extract.

#include "access/QvDatabase.h"
#include "app/sqltools/ExtractRun.h"
#include "app/sqltools/ExtractWriters.h"
#include "support/DatabaseSupport.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>

namespace qvtest {

// A connected database with a transaction for the writers.
class ExtractSource
{
public:
    ExtractSource(const Target& target, const QString& path, const QString& characterSet = QString());
    ~ExtractSource();

    TQvDatabase& Database() { return m_database; }
    TQvTransaction& Transaction() { return m_transaction; }
    QList<TExtractItem> AllObjects();
    // Extracts the items (all objects when none are given) under a header
    // naming the database "NAME" at `headerPath`.
    TExtractResult Extract(int flags, const QString& headerPath, const QList<TExtractItem>& items = {});
    // Everything, with its data, into a script file that creates the copy
    // at `headerPath`, as the dialog writes it; false when the writing failed.
    bool ExtractEverythingToFile(const QString& headerPath, const QString& scriptPath, TExtractResult& result);

private:
    Target m_target;
    QString m_characterSet;
    TQvDatabase m_database;
    TQvTransaction m_transaction;
};

// Runs a script's text, saved and read back as the script runner reads a
// file, through the executor; the failures, none when every statement ran.
QStringList RunScriptText(const QString& text, const Target& target);
// The same for a script file, read as the script runner reads it.
QStringList RunScriptFile(const QString& fileName, const Target& target);

// The script without its header (everything before the first banner or
// section), so that scripts of two databases compare.
QStringList ScriptBody(const QStringList& lines);

// Extracts everything with data from `path`, runs the script into a new
// database at `copyPath`, extracts that, and checks that both scripts and
// both isql-fb extracts are identical. The first script's lines.
// `characterSet` is the connection's (the registration's), none when empty.
// `what` is efMetadataAndData or efMetadataOnly.
QStringList ExpectExactRoundTrip(const Target& target, const QString& path, const QString& copyPath,
                                 const QString& characterSet = QString(), int what = efMetadataAndData);


// Every user table's rows, and the texts the server keeps for the user's
// objects (descriptions, messages, sources), each as the bytes the server
// sent (blobs read whole), sorted: two databases hold the same when these
// are equal.
QMap<QString, QList<QByteArray>> AllRows(const Target& target, const QString& path);
void ExpectSameRows(const QMap<QString, QList<QByteArray>>& original, const QMap<QString, QList<QByteArray>>& copy,
                    const char* how);
// Every privilege the database records, one "user|grantor|privilege|grant
// option|object|field|user type|object type" line each, sorted; the owner's
// rights on the domains the server made for columns left out (it numbers
// those as it goes).
QStringList AllPrivileges(const Target& target, const QString& path);
// Two outputs of AllPrivileges, naming what the copy lost and gained.
void ExpectSamePrivileges(const QStringList& original, const QStringList& copy, const char* how);
// Two outputs of IsqlExtract, line by line.
void ExpectSameExtract(const QString& original, const QString& copy, const char* how);

// Replays an extracted script that creates `byIsql`: by isql-fb as it
// stands, and by the executor with `byExecutor` named instead (the same
// bytes otherwise). Expects no failed statement in either.
void ReplayByIsqlAndExecutor(const Target& target, const QString& scriptPath, const QString& characterSet,
                             int dialect, const QString& byIsql, const QString& byExecutor);
// Expects the copies replayed by isql-fb and by the executor to hold what
// the original holds: isql-fb's extract, every row and every privilege.
void ExpectSameCopies(const Target& target, const QString& original, const QString& byIsql,
                      const QString& byExecutor);

} // namespace qvtest
