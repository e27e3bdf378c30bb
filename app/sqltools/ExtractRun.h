#pragma once

// One extraction run without a window: the script's header, the writers in
// their fixed order, the terminator lines, and saving the text.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class TQvDatabase;
class TQvTransaction;

// An object chosen for extraction: its name and kind (TExtractKind).
struct TExtractItem
{
    QString name;
    int kind = 0;
};

// What the header says about the database: its registration.
struct TExtractHeader
{
    QString name;
    QString path;
    QString user;
    QString password;
    QString characterSet;
};

struct TExtractResult
{
    QStringList lines;
    // What could not be written as it is (also comments in the script).
    QStringList reports;
};

// The objects an extraction can write, kind by kind in the order of
// TExtractKind's listing (tables, views, procedures, triggers, domains,
// generators, functions, exceptions, packages, collations, roles), each
// kind by name; system objects (those the catalog flags) left out. Runs in
// the transaction, which must not be active.
QList<TExtractItem> ListExtractObjects(TQvDatabase& database, TQvTransaction& transaction);

// Runs the writers over the items in the transaction, which must be bound
// to the connected database and not active; each writer commits its own
// work, and an error rolls it back and propagates. `progress`, when given,
// gets the bar's position (0 to 100) as the run goes.
TExtractResult ExtractScript(TQvDatabase& database, TQvTransaction& transaction, const TExtractHeader& header,
                             const QList<TExtractItem>& items, int flags,
                             const std::function<void(int)>& progress = {});

// The same run with the script written to the file as it goes: memory does
// not grow with the rows. The result's lines stay empty. False when the file
// cannot be created or written (the old file is then left as it was). The
// file's bytes are in the character set its SET NAMES names; a character
// that set cannot carry raises EQvClientError and writes nothing. With the
// user and password in it, only its owner may read it.
bool ExtractScriptToFile(TQvDatabase& database, TQvTransaction& transaction, const TExtractHeader& header,
                         const QList<TExtractItem>& items, int flags, const QString& fileName,
                         TExtractResult& result, const std::function<void(int)>& progress = {});

// The lines joined as a script file holds them, with CR LF.
QString ScriptText(const QStringList& lines);

// Writes the text to the file, replacing what it held; false when the file
// cannot be created or written (the old file is then left as it was). The
// bytes follow the text's SET NAMES (QvScriptCodec::Encode, which raises
// EQvClientError for a character they cannot carry). A text holding a
// password is readable by the file's owner alone.
bool SaveScript(const QString& fileName, const QString& text, bool holdsPassword = false);
// The same for the lines joined with CR LF, written as ScriptText(lines)
// would be, but encoded and written a block at a time: a script of a
// million rows is never held whole in memory a second time.
bool SaveScript(const QString& fileName, const QStringList& lines, bool holdsPassword = false);
