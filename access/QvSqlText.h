#pragma once

// Values and names pasted into generated statements, spelled for the SQL
// dialect the statement is prepared in. Every generated statement goes
// through these, so a typed quote can never end a literal early.

#include <QByteArrayView>
#include <QLatin1String>
#include <QString>
#include <QStringView>

class QvTextCodec;

namespace QvSql {

// A string literal. Dialect 1 reads a double-quoted text as a string, so
// there it is "text"; in dialect 3 'text'. The quote character inside is doubled.
QString Literal(const QString& text, int dialect);

// A literal in single quotes, which both dialects read as a string.
QString SingleQuoted(const QString& text);

// The streaming form of Literal, for writers that build long texts in one buffer.
void AppendLiteral(QString& out, QStringView text, int dialect);

// A control character: below a blank, or DEL.
bool IsControlCharacter(QChar c);

// A binary literal of the bytes, X'…', which the server keeps as they are.
QString BinaryLiteral(QByteArrayView bytes);
// The control characters a script literal of AppendScriptLiteral may hold:
// the server copies the text made so far at every "||", so a chain over a
// text of many lines costs the square of its length, and such a text goes
// as TextBytesLiteral instead.
constexpr qsizetype ChainedControlCharacters = 16;

// A text given as its bytes in a character set, _SET X'…': one literal
// however many control characters the text holds, which no script reader
// can change, at two characters a byte.
QString TextBytesLiteral(const QString& characterSet, QByteArrayView bytes);

// A text of lines (tabs, line ends LF or CR LF, no other control
// character) at about its own size: the LFs stand in the literal as they
// are, which every script reader keeps, and a CR before each LF is put back
// by REPLACE, as script readers drop or keep a CR at their liking. False,
// and nothing written, for any other text.
bool AppendLinesLiteral(QString& out, QStringView text, int dialect);

// A literal for a script that line-oriented readers replay: a control
// character (CR, LF, tab, NUL, ...) goes as ASCII_CHAR(n) joined with "||",
// so no reader can turn a CR LF inside the value into a line end of its own
// and the client library never meets a NUL. A long chain is grouped in
// parentheses, so the expression never nests deeply. Text without control
// characters is written as AppendLiteral writes it.
void AppendScriptLiteral(QString& out, QStringView text, int dialect);
QString ScriptLiteral(const QString& text, int dialect);

// Text to stand between "/*" and "*/": no "*/" remains in it, whatever it
// was given, so nothing written into a comment can end the comment and run
// as a statement; no NUL, which would end the statement the comment stands
// in; and no other control character (BEL, ESC, a lone CR) but a blank in
// its place, so that showing the script on a terminal shows its text (tabs
// and line ends, LF or CR LF, stay).
QString CommentText(const QString& text);
// The same with the other control characters kept, for a text read back
// from its comment as it was (a local variable's description in a routine's
// source, which the routine's editor shows again).
QString CommentTextKeepingControls(const QString& text);

// A literal for a script, of a text the server keeps in a system table (a
// description, an exception's message), where only a literal may stand: as
// SingleQuoted, unless a control character other than a line feed or a tab
// would not survive a script reader (a CR before a LF, a NUL); then a binary
// literal of the text's UTF-8 bytes, which the server stores as they are.
// `connection` is the set the text was read in (NONE: its bytes unchanged).
QString MetadataLiteral(const QString& text, const QvTextCodec& connection);
// The same for a text the server keeps without a character set (an
// exception's message: the bytes of the connection that made it), given as
// those bytes: as SingleQuoted when the connection reads them as a text it
// gives back as the same bytes, else as a binary literal of the bytes.
QString StoredBytesLiteral(const QByteArray& stored, const QvTextCodec& connection);

// "COMMENT ON <kind> <name> IS '<text>'" (IS NULL for an empty text), no
// terminator. The names are stored catalog names, written with Identifier;
// a column or parameter gives its table or procedure as owner:
// CommentOn("COLUMN", "C", text, dialect, "T") -> COMMENT ON COLUMN T.C IS ...
// A packaged routine, or its parameter, names its package first:
// CommentOn("PARAMETER", "A", text, dialect, "F", "PK") -> ... PK.F.A IS ...
QString CommentOn(const QString& kind, const QString& name, const QString& text, int dialect,
                  const QString& owner = QString(), const QString& package = QString());
// The same for a script, the text written by MetadataLiteral.
QString ScriptCommentOn(const QString& kind, const QString& name, const QString& text, int dialect,
                        const QvTextCodec& connection, const QString& owner = QString(),
                        const QString& package = QString());

// True for a name the server keeps as written without quotes: an ASCII
// letter, then letters, digits, "_" or "$", all upper case, and no reserved word.
bool IsPlainName(const QString& name);

// Whether the name is the prefix and then digits only: how the server names
// what it makes itself ("INTEG_12", "RDB$34").
bool IsNumberedName(QStringView name, QLatin1String prefix);

// True for the name the server gives a constraint declared without one:
// "INTEG_" and digits. A user's name that merely holds "INTEG" is the user's.
bool IsServerConstraintName(const QString& name);

// True when the dialect can name the object: any non-empty name in dialect 3,
// only plain names in dialect 1 (it has no quoted identifiers).
bool CanName(const QString& name, int dialect);

// The name as it stands in a statement: plain names unchanged; in dialect 3
// any other name double-quoted with its double quotes doubled. Dialect 1
// gets the name unchanged (check CanName first).
QString Identifier(const QString& name, int dialect);

// The one rule for a name the user types (in a name edit, a grid, a
// procedure's text), for a database of that SQL dialect. Unquoted: an ASCII
// letter, then letters, digits, "_" or "$", which the server keeps upper-cased;
// a reserved word among them needs the quotes dialect 3 writes for it. In
// double quotes (a doubled quote standing for one): any other name, kept
// exactly; dialect 1 has no quoted names. The stored name fits the catalog's
// 31 bytes. What passes here saves; what the user typed is never taken for
// another name.
enum class TNameCheck {
    Valid,        // "" too: nothing typed yet
    Invalid,      // no name in any dialect ("A-B", "1A", "a""b")
    NotInDialect, // a name only dialect 3 can write ("\"my tab\"", "ORDER" in dialect 1)
};
TNameCheck CheckTypedName(const QString& typed, int dialect);
inline bool IsValidTypedName(const QString& typed, int dialect)
{
    return CheckTypedName(typed, dialect) == TNameCheck::Valid;
}

// The stored name of a name the user typed: in double quotes, what stands
// between them (doubled quotes made single); otherwise trimmed and upper-cased
// as the server does with an unquoted name. Dialect 1 has no quoted names: the
// text is upper-cased as it stands.
QString NameFromTyped(const QString& typed, int dialect);

// A name as a name edit shows it while the user types it, in the letter
// case the server will keep: an unquoted name upper-cased, a name that opens
// with a double quote (finished or not) as typed. Blanks stay where they are.
QString TypingCase(const QString& typed);

// The reverse: a stored name as the user types it, so that NameFromTyped
// gives it back (in dialect 3 "myParam" and "my tab" show in their quotes).
QString TypedName(const QString& stored, int dialect);

// A typed name as generated text writes it: a plain name as typed (it reads
// the same in any letter case), any other the stored name quoted where the
// dialect quotes (a reserved word, a quoted mixed-case name).
QString SourceName(const QString& typed, int dialect);

bool IsReservedWord(const QString& word);

} // namespace QvSql
