#pragma once

// A procedure or trigger body cut into the statements the debugger runs one
// at a time, each with its source line and the links of the control flow:
// where to go when it completes (Next) and where when its condition fails,
// its loop is finished or its handler is skipped (Jump).

#include <QString>
#include <QStringList>

#include <vector>

// One statement, or one structural item with an empty text (the end of a
// loop body, an else marker, an empty statement).
struct TSQLString
{
    int ID = 0;      // its index in the list
    QString Text;    // without terminator; line breaks outside literals as two blanks
    int Line = 0;    // 0-based editor line the statement starts on
    int Next = 0;    // the statement after normal completion
    int Jump = -1;   // after a failed condition, a finished loop, a skipped handler; -1: none

    // What running it cost, summed over the session.
    int Count = 0;
    qint64 Time = 0;  // milliseconds
    qint64 Insert = 0;
    qint64 Delete = 0;
    qint64 Select = 0;
    qint64 Update = 0;

    bool IsStructural() const { return Text.trimmed().isEmpty(); }
    void ClearStatistics();
};

// The statements of one body, numbered from 0 in source order.
class TSQLText
{
public:
    void Clear();
    TSQLString& Add(const QString& text, int line);

    int Count() const { return int(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    TSQLString* Find(int id);
    const TSQLString* Find(int id) const;
    const std::vector<TSQLString>& Items() const { return m_items; }
    std::vector<TSQLString>& Items() { return m_items; }

    // The statement a line belongs to: the last one with text starting at
    // or before it (a structural item only when there is none); -1 before
    // the first.
    int StatementAtLine(int line) const;
    void ClearStatistics();

    int LastID = -1;    // the last statement; -1 while there is none
    int CurrentID = 0;  // the statement to run next

private:
    std::vector<TSQLString> m_items;
};

// How a parse ended. After an error the statement list is empty.
struct TParseResult
{
    bool Ok = true;
    QString Error;       // the message for the user
    int ErrorLine = -1;  // 0-based line where the parser stood
};

// Parses the body lines (without the outer begin and end) into statements.
// Comments are dropped, keeping line numbers; statements are cut at ";",
// "begin" and "end"; ifs, loops and handlers are linked through a stack of
// open blocks.
TParseResult ParseProcText(const QStringList& lines, TSQLText& statements);

namespace DebugMessages {
inline const char* const EndWithoutBegin = "END found, but BEGIN not found";
inline const char* const EndNotFound = "END not found";
inline const char* const ThenNotFound = "THEN not found";
inline const char* const DoNotFound = "DO not found";
inline const char* const StatementAfterDo = "Statement expected after DO";
inline const char* const ElseWithoutIf = "ELSE found, but IF not found";
inline const char* const CommentNotClosed = "Comment not closed";
inline const char* const TerminatorNotFound = "';' not found";
} // namespace DebugMessages
