#pragma once

// Finding words in the text of a procedure body the way the debugger reads
// it: whole words only, never inside a string literal or a comment.
// Positions returned by PosWord and FirstWordOf are 1-based (0: not found),
// like the other word routines; the scanners below are 0-based (-1).

#include <QString>
#include <QStringView>

#include <vector>

// The characters that end a word: line breaks, blank, tab, parentheses and
// the operator characters * + , - / : ; < = >.
bool IsWordBoundary(QChar c);

// For every character of text, true when it is code: false inside a string
// literal (single or double quotes, quotes included; a doubled quote stays
// inside) and inside a /* */ or -- comment. A literal or comment left open
// runs to the end of the text.
std::vector<bool> CodeMask(QStringView text);

// Where the literal or comment open at the end of text began, or -1 when
// text ends in code.
int OpenLiteralStart(QStringView text);
bool EndsInsideLiteral(QStringView text);

// The first occurrence of word (compared without regard to case) in code,
// bounded on both sides by a boundary character or an end of the text; a
// word that itself begins with a boundary character needs no boundary.
int PosWord(const QString& text, const QString& word);

// Every name the text uses, as written: the whole words of its code and the
// double-quoted names (quotes included; a word ending in "." joins the quoted
// name right behind it, as in new."Id"). Comments and single-quoted literals
// name nothing.
QStringList NamesInText(const QString& text);

// The smallest PosWord of the "_"-separated alternatives of words; found
// receives the alternative ("" and 0 when none occurs).
int FirstWordOf(const QString& text, const QString& words, QString& found);

// The number of CR LF pairs in text.
int CountLines(QStringView text);

// The lower-cased text before the first "=", blank, tab, "(", ";" or line
// break; the whole text lower-cased when none occurs.
QString FirstWordOfStatement(const QString& text);

// A statement terminator found by FindTerminator: ";" or the words "begin"
// and "end". An "end" that closes a CASE expression is no terminator.
struct TTerminator
{
    int Pos = -1;   // 0-based
    QString Word;   // ";", "begin" or "end"
};
TTerminator FindTerminator(const QString& text);

// The first whole word in code that is not inside a CASE expression, or -1.
int FindTopLevelWord(const QString& text, const QString& word);

// The text with every CR LF in code turned into two blanks, so positions
// keep agreeing; line breaks inside a string literal are part of its value
// and stay.
QString SearchCopy(const QString& text);
