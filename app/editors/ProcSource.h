#pragma once

// The text side of the procedure and trigger editors, without a window:
// splitting a stored source into its declarations and its body, reading the
// local variables back from the declarations, and writing parameter lists,
// local variables and the whole CREATE PROCEDURE text in the layout the
// editors use, so that what they write reads back the same.

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

class TCharSet;

// One row of a parameter or variable grid.
struct TParamRow
{
    QString Name;
    QString Type;
    QString Description;

    bool operator==(const TParamRow& other) const = default;
};
using TParamRows = QList<TParamRow>;

// Words of a source are the runs of characters outside these: line breaks,
// blank, "*", "+", "-", "/", ":", ";", "<", "=" and ">".
const TCharSet& SourceWordDelimiters();

struct TSourceParts
{
    QString Header; // the declarations before the first "begin"
    QString Body;   // everything after that "begin"
    bool HasBegin = false;
};

// Drops the leading blank lines and splits the source at its first whole
// word "begin" (any letter case) outside comments. Without one, all of it
// is the header.
TSourceParts SplitSource(const QString& source);

// The local variables a header declares, one per ";" outside comments:
// name as the user types it (a name that needs its quotes keeps them), type
// (the rest of the declaration) and the text of its comments.
TParamRows ParseLocalVariables(const QString& header);

// The body's lines as the editor shows them, from the text after "begin": the rest of
// the "begin" line when blank, and the final "end" with the line break
// before it, are dropped. The procedure editor drops the trailing blank
// lines as well; the trigger editor keeps them.
QStringList BodyText(const QString& afterBegin, bool dropTrailingBlankLines);

// A stored source (what follows "AS") as the editors show it, with the text
// around what they show kept as it was written: saving writes the source's
// own text back wherever the user changed nothing, the outer keywords'
// spelling, the declarations and the blank lines included.
class TSourceLayout
{
public:
    TSourceLayout() = default;
    // False when the source has no "begin": then there is nothing to keep.
    static TSourceLayout Read(const QString& source, bool dropTrailingBlankLines);

    bool Known() const { return !m_source.isEmpty(); }
    const TParamRows& Locals() const { return m_locals; }
    const QStringList& Body() const { return m_body; }

    // The source holding these locals and this body: the declarations as
    // written while the locals are the ones read, else written anew; the
    // lines around the body as written.
    QString Text(const TParamRows& locals, const QStringList& body, int dialect) const;

private:
    TParamRows m_locals;
    QStringList m_body;
    QString m_source;          // as read; its parts are places in it (empty: no "begin")
    qsizetype m_beginAt = 0;   // "begin" as written; the declarations stand before it
    qsizetype m_bodyStart = 0; // the body as written, from its first line
    qsizetype m_bodyEnd = 0;   // to its end; what follows is kept as it stands
};

// A description as it may stand inside a /* */ comment of generated text:
// on one line (its line breaks go), with nothing in it that ends the comment.
QString CommentText(const QString& description);

// The declarations of the named rows, one per line:
// "     declare variable NAME TYPE   /*description */;", without the line
// break after the last one ("" when there is none).
QString LocalVariablesText(const TParamRows& locals, int dialect);

// A parameter list's inside: the named rows, names padded to the longest
// one plus a blank, each description in a comment, separated by "," and a
// line break with five blanks. "" when there is none.
QString ParameterListText(const TParamRows& parameters, int dialect);

// The CREATE PROCEDURE text of a procedure (bodyLines without line breaks).
// With a known layout, the source after "AS" is the layout's text.
QString ProcedureText(const QString& name, const TParamRows& inputs, const TParamRows& outputs,
                      const TParamRows& locals, const QStringList& bodyLines, int dialect,
                      const TSourceLayout& layout = {});

// The same with ALTER in place of CREATE.
QString AlterText(const QString& createText);

// Where a server message places an error ("... line 12, column 5 ..."):
// the 1-based line and column, or (0, 0) when it names none.
QPoint ErrorPosition(const QString& message);

// The caret position in the body editor for a server message about an
// executed text whose body follows its "begin" line: the line counted from
// the body's first line, the column two past the server's, both clamped to
// the body's lines. (0, 0) when the message names no position.
QPoint BodyCaretForError(const QString& message, const QString& executedText, const QStringList& bodyLines);
