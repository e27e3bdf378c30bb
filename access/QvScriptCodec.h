#pragma once

// A script file's bytes and its text. As isql-fb reads a script, the bytes
// after a SET NAMES statement are in the character set it names (NONE, as
// everywhere in the access layer, is the bytes as Latin-1); before any, the
// file is UTF-8. Every script the program saves is encoded here and every
// script it runs from a file is decoded here, so what it writes it reads
// back as written.

#include "access/QvSqlScan.h"
#include "access/QvTextCodec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace QvScriptCodec {

// Finds the SET NAMES statements of a script's text read piece by piece (a
// line at a time, or all at once): strings and comments are passed over, a
// piece ends whatever word it ends in. q'...' literals are read as the set
// in force reads them, so the text and its bytes tell the same statements.
class TNamesTracker
{
public:
    struct Change
    {
        qsizetype Position; // in the piece, just after the set's name
        QString CharacterSet;
    };

    // The changes in the next piece, in order.
    QList<Change> Read(QStringView piece);

private:
    enum class Expect { Set, Names, Name };

    void Word(QStringView word, qsizetype end, QList<Change>& changes);

    QvSql::ScanState m_state = QvSql::ScanState::Code;
    // UTF-8 until a SET NAMES
    QvSql::CharacterBytes m_bytes = QvSql::CharacterBytes::Multi;
    Expect m_expect = Expect::Set;
};

// Encodes a script's text piece by piece, each part in the character set the
// SET NAMES before it named.
class TEncoder
{
public:
    // The piece's bytes. Raises EQvClientError when the character set in
    // force cannot carry one of its characters: the file would not read back.
    QByteArray Encode(QStringView piece);

private:
    QByteArray EncodePart(QStringView part) const;

    TNamesTracker m_names;
    std::optional<QvTextCodec> m_codec; // UTF-8 until a SET NAMES
};

// The whole text's bytes (see TEncoder).
QByteArray Encode(const QString& text);

// The text of a script file's bytes. Before any SET NAMES: UTF-8 without its
// byte-order mark, or, when the bytes are not valid UTF-8, Latin-1, so no
// character of an older file is lost.
QString Decode(const QByteArray& bytes);

} // namespace QvScriptCodec
