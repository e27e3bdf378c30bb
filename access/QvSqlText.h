#pragma once

// Values and names pasted into generated statements, spelled for the SQL
// dialect the statement is prepared in. Every generated statement goes
// through these, so a typed quote can never end a literal early.

#include <QString>

namespace QvSql {

// A string literal. Dialect 1 reads a double-quoted text as a string, so
// there it is "text"; in dialect 3 'text'. The quote character inside is doubled.
QString Literal(const QString& text, int dialect);

// A literal in single quotes, which both dialects read as a string.
QString SingleQuoted(const QString& text);

// True for a name the server keeps as written without quotes: an ASCII
// letter, then letters, digits, "_" or "$", all upper case, and no reserved word.
bool IsPlainName(const QString& name);

// True when the dialect can name the object: any non-empty name in dialect 3,
// only plain names in dialect 1 (it has no quoted identifiers).
bool CanName(const QString& name, int dialect);

// The name as it stands in a statement: plain names unchanged; in dialect 3
// any other name double-quoted with its double quotes doubled. Dialect 1
// gets the name unchanged (check CanName first).
QString Identifier(const QString& name, int dialect);

bool IsReservedWord(const QString& word);

} // namespace QvSql
