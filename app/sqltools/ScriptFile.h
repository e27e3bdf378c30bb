#pragma once

// Reading a script file for the script runner: its bytes become text and
// the text the executor's lines.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>

// A script file that cannot be read; the message names the file and why.
class EScriptFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The bytes after a SET NAMES in the character set it names, as isql-fb
// reads them; before any, UTF-8 (a leading byte-order mark dropped), or
// Latin-1 when they are not valid UTF-8, so no character of an older file is
// lost (QvScriptCodec::Decode).
QString DecodeScriptText(const QByteArray& bytes);

// The lines of a script, each without its line end: LF and CR LF end a line
// alike, a carriage return anywhere else stays in its line (ScriptLines).
QStringList ScriptTextLines(const QString& text);

// The lines of a script file; raises EScriptFileError when it cannot be read.
QStringList ReadScriptFile(const QString& fileName);
