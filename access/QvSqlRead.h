#pragma once

// Reading back what SQL text says, next to writing it (QvSqlText): what a
// quoted literal or name stands for, the words a statement begins with, and
// what a stored fragment (a default, a check or computed source) holds. All
// of it reads through the one scanner (QvSqlScan), so a quote or a comment
// means here what it means to the server.

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringView>

namespace QvSql {

// How a text that is one closed quoted span is quoted; None for any other text.
enum class Quoting { None, Single, Double, Alternative };
Quoting QuotingOf(QStringView text);

// What a quoted literal or name stands for: 'it''s' gives it's, "A""B"
// gives A"B, q'{x'y}' gives x'y. Any other text comes back as it stands.
QString Unquoted(QStringView text);

// The first position from `from` on that is neither blank nor inside a comment.
qsizetype SkipBlanksAndComments(QStringView text, qsizetype from = 0);

// A word a statement begins with: a name, keyword or number (letters,
// digits, "_" and "$"), or a quoted name or literal with its quotes.
struct Word
{
    qsizetype Start = 0;
    qsizetype Length = 0;

    qsizetype End() const { return Start + Length; }
};

// The first words of a statement, at most `count`, past blanks and
// comments; reading stops at anything else ("(", ",", an open quote, ...).
QList<Word> LeadWords(QStringView text, int count);

// Whether the word is the keyword, letter case aside.
bool IsKeyword(QStringView text, const Word& word, QLatin1String keyword);

// The value a stored default gives: the keyword DEFAULT (or the "=" of a
// parameter's default) and the comments taken off, a literal unquoted.
// "DEFAULT 'it''s' -- why" gives it's, "DEFAULT 0" 0, "DEFAULT USER" USER.
QString StoredDefault(QStringView source);
// The same value as written: "DEFAULT 'it''s' -- why" gives 'it''s'.
QString StoredDefaultSource(QStringView source);

// A value the server reads as a word of its own: NULL, USER, CURRENT_USER,
// CURRENT_ROLE, CURRENT_DATE, CURRENT_TIME and CURRENT_TIMESTAMP, the last
// two with or without a precision.
bool IsContextValue(QStringView word);

// Whether the text is one value written in SQL, as a default may be: a
// string literal (quoted or q'...', with or without a character set
// introducer such as _UTF8), a binary literal X'...', or a context value.
bool IsWrittenValue(QStringView text);

// What stands between the parentheses that follow the keyword of a stored
// fragment, or that open it when no keyword is given: "CHECK (A > 0) -- why"
// with "CHECK" gives "A > 0", "(A + 1)" gives "A + 1". Comments inside are
// kept; blanks around are not. A fragment of another form comes back trimmed.
QString ParenthesizedText(QStringView source, QLatin1String keyword = QLatin1String());

// A name as a text uses it in code, read as the server reads it: a plain
// word upper-cased, a double-quoted name (dialect 3 only; dialect 1 reads
// those as strings) as it is stored. `Qualifier` is the name before a "."
// ("K" of K.F), empty when there is none; `Called` when a "(" follows, as
// it follows every function's name. Keywords are read as names too; what
// stands in comments and strings is not read at all.
struct NameUse
{
    QString Qualifier;
    QString Name;
    bool Called = false;
};
QList<NameUse> NamesUsed(QStringView text, int dialect);

// Whether the text's last line ends inside a "--" comment, which would take
// in whatever followed it on that line.
bool EndsInLineComment(QStringView text);

// A fragment as text that more will follow: with a line break after it when
// it ends in a "--" comment.
QString Fragment(const QString& fragment);

} // namespace QvSql
