#include "app/editors/DebugParser.h"

#include "app/editors/DebugWords.h"

#include "access/QvSqlScan.h"

void TSQLString::ClearStatistics()
{
    Count = 0;
    Time = 0;
    Insert = 0;
    Delete = 0;
    Select = 0;
    Update = 0;
}

void TSQLText::Clear()
{
    m_items.clear();
    LastID = -1;
    CurrentID = 0;
}

TSQLString& TSQLText::Add(const QString& text, int line)
{
    TSQLString item;
    item.ID = Count();
    item.Text = text;
    item.Line = line;
    item.Next = item.ID + 1;
    m_items.push_back(item);
    return m_items.back();
}

TSQLString* TSQLText::Find(int id)
{
    return id >= 0 && id < Count() ? &m_items[std::size_t(id)] : nullptr;
}

const TSQLString* TSQLText::Find(int id) const
{
    return id >= 0 && id < Count() ? &m_items[std::size_t(id)] : nullptr;
}

int TSQLText::StatementAtLine(int line) const
{
    // A structural item shares its line with the statement before it (the
    // end of a one-line loop body) or stands for a bare "end" or "else": a
    // breakpoint or a run target there belongs to the statement with text,
    // which is where execution can stop.
    int found = -1;
    int structural = -1;
    for (const TSQLString& item : m_items) {
        if (item.Line > line)
            continue;
        if (item.IsStructural())
            structural = item.ID;
        else
            found = item.ID;
    }
    return found >= 0 ? found : structural;
}

void TSQLText::ClearStatistics()
{
    for (TSQLString& item : m_items)
        item.ClearStatistics();
}

namespace {

const QString CrLf = QStringLiteral("\r\n");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString withoutLeadingBlanks(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    return text.mid(i);
}

QString withoutTrailingBlanks(QString text)
{
    while (!text.isEmpty() && (isBlank(text.back()) || text.back() == u'\r' || text.back() == u'\n'))
        text.chop(1);
    return text;
}

// Replaces every complete comment of text: a /* */ comment by the line
// breaks it held (a blank when it held none, so words stay apart), a --
// comment by nothing up to its line break. False while a /* */ comment is
// still open at the end.
bool stripComments(QString& text)
{
    QString stripped;
    stripped.reserve(text.size());
    bool closed = true;
    QvSql::ForEachSpan(text, [&](const QvSql::Span& span) {
        const QStringView part = QStringView(text).mid(span.Start, span.Length);
        if (span.Kind == QvSql::SpanKind::Comment) {
            if (!span.Closed) {
                closed = false;
                stripped += part;
                return false;
            }
            const int lines = CountLines(part);
            stripped += lines > 0 ? CrLf.repeated(lines) : QStringLiteral(" ");
        } else if (span.Kind != QvSql::SpanKind::LineComment) {
            stripped += part;
        }
        return true;
    });
    text = stripped;
    return closed;
}

// One open block: what opened it, what it waits for, and the statement
// that opened it (for an if after its else: the else item).
struct TBlock
{
    QString Keyword;  // "begin", "if", "for", "while", "when"
    QString Closer;   // "end", ";" (then-branch open) or "else" (then-branch complete)
    int Item = -1;
};

class TProcTextParser
{
public:
    explicit TProcTextParser(TSQLText& out) : m_out(out) {}

    TParseResult Parse(const QStringList& lines);

private:
    bool fail(const char* message);
    void appendLine(const QString& line, int index);
    void dropLeadingSpace();
    bool cutStatements();
    bool closeCompletedIfs();
    void closeFinishedBlocks();
    void closeAllCompleted();
    TBlock* top() { return m_stack.empty() ? nullptr : &m_stack.back(); }
    int lastID() const { return m_out.Count() - 1; }
    TSQLString& item(int id) { return *m_out.Find(id); }

    bool handleElse();
    bool handleIf(int terminator);
    bool handleLoop(const QString& keyword, int terminator);
    bool handleEnd(int terminator);
    void handleStatement(const TTerminator& terminator);

    TSQLText& m_out;
    QString m_pending;
    int m_line = 0;
    bool m_commentOpen = false;
    std::vector<TBlock> m_stack;
    TParseResult m_result;
};

bool TProcTextParser::fail(const char* message)
{
    m_result.Ok = false;
    m_result.Error = QString::fromLatin1(message);
    m_result.ErrorLine = m_line;
    return false;
}

void TProcTextParser::appendLine(const QString& rawLine, int index)
{
    QString line = rawLine;
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    if (m_pending.isEmpty()) {
        m_line = index;
        line = withoutLeadingBlanks(line);
        if (line.isEmpty())
            return;
        m_pending = line;
        return;
    }
    // A literal that goes on keeps its blanks; elsewhere indentation does not
    // matter. Empty lines are kept as line breaks, so line numbers stay right.
    if (!EndsInsideLiteral(m_pending))
        line = withoutLeadingBlanks(line);
    m_pending += CrLf + line;
}

void TProcTextParser::dropLeadingSpace()
{
    qsizetype i = 0;
    while (i < m_pending.size()) {
        if (isBlank(m_pending.at(i))) {
            ++i;
        } else if (QStringView(m_pending).mid(i).startsWith(CrLf)) {
            ++m_line;
            i += 2;
        } else {
            break;
        }
    }
    m_pending.remove(0, i);
}

TParseResult TProcTextParser::Parse(const QStringList& lines)
{
    m_out.Clear();
    for (int i = 0; i < lines.size(); ++i) {
        appendLine(lines.at(i), i);
        if (m_pending.isEmpty())
            continue;
        m_commentOpen = !stripComments(m_pending);
        if (m_commentOpen)
            continue;
        if (!cutStatements())
            break;
    }
    if (m_result.Ok && m_commentOpen)
        fail(DebugMessages::CommentNotClosed);
    if (m_result.Ok) {
        dropLeadingSpace();
        if (!m_pending.isEmpty())
            fail(DebugMessages::TerminatorNotFound);
    }
    if (m_result.Ok) {
        closeAllCompleted();
        if (!m_stack.empty())
            fail(DebugMessages::EndNotFound);
    }
    if (!m_result.Ok) {
        m_out.Clear();
        return m_result;
    }
    m_out.LastID = lastID();
    m_out.CurrentID = 0;
    return m_result;
}

bool TProcTextParser::cutStatements()
{
    for (;;) {
        dropLeadingSpace();
        if (m_pending.isEmpty())
            return true;
        const TTerminator terminator = FindTerminator(m_pending);
        if (terminator.Pos < 0)
            return true;  // the statement goes on in the next line
        const QString first = terminator.Word == u"end" ? QStringLiteral("end") : FirstWordOfStatement(m_pending);

        if (first == u"else") {
            if (!handleElse())
                return false;
            continue;
        }
        // A statement or block after a complete then-branch ends the ifs that
        // had no else: it runs whatever the condition was.
        if (closeCompletedIfs()) {
            closeFinishedBlocks();
            continue;
        }
        // "begin" opens a block only when it is the whole of the pending text.
        const bool wholeBegin = withoutTrailingBlanks(m_pending).compare(u"begin", Qt::CaseInsensitive) == 0;
        if (terminator.Word == u"begin" && wholeBegin) {
            m_stack.push_back({QStringLiteral("begin"), QStringLiteral("end"), -1});
            m_pending.clear();
            continue;
        }
        if (TBlock* open = top(); open && open->Closer == u";")
            open->Closer = QStringLiteral("else");

        bool ok = true;
        if (first == u"if")
            ok = handleIf(terminator.Pos);
        else if (first == u"for" || first == u"while" || first == u"when")
            ok = handleLoop(first, terminator.Pos);
        else if (first == u"end")
            ok = handleEnd(terminator.Pos);
        else
            handleStatement(terminator);
        if (!ok)
            return false;
    }
}

bool TProcTextParser::handleElse()
{
    m_pending.remove(0, 4);
    TSQLString& marker = m_out.Add(QString(), m_line);
    TBlock* open = top();
    if (!open || open->Keyword != u"if" || open->Closer != u"else")
        return fail(DebugMessages::ElseWithoutIf);
    item(open->Item).Jump = marker.ID + 1;
    open->Item = marker.ID;
    open->Closer = QStringLiteral("end");
    return true;
}

bool TProcTextParser::handleIf(int terminator)
{
    const int then = FindTopLevelWord(m_pending, QStringLiteral("then"));
    if (then < 0 || then > terminator)
        return fail(DebugMessages::ThenNotFound);
    const QString head = m_pending.left(then + 4);
    const TSQLString& statement = m_out.Add(withoutTrailingBlanks(SearchCopy(head)), m_line);
    m_line += CountLines(head);
    m_stack.push_back({QStringLiteral("if"), QStringLiteral(";"), statement.ID});
    m_pending.remove(0, then + 4);
    return true;
}

bool TProcTextParser::handleLoop(const QString& keyword, int terminator)
{
    const int doAt = FindTopLevelWord(m_pending, QStringLiteral("do"));
    if (doAt < 0 || doAt > terminator)
        return fail(DebugMessages::DoNotFound);
    const QString body = withoutLeadingBlanks(QString(m_pending.mid(doAt + 2)).replace(CrLf, QStringLiteral("  ")));
    if (body.startsWith(u';') || body.startsWith(u'('))
        return fail(DebugMessages::StatementAfterDo);
    const TSQLString& statement = m_out.Add(withoutTrailingBlanks(SearchCopy(m_pending.left(doAt))), m_line);
    m_stack.push_back({keyword.left(10), QStringLiteral("end"), statement.ID});
    m_line += CountLines(QStringView(m_pending).left(doAt + 2));
    m_pending.remove(0, doAt + 2);
    return true;
}

bool TProcTextParser::handleEnd(int terminator)
{
    // Text before END would be a statement without its ";": it is not dropped silently.
    if (!withoutTrailingBlanks(m_pending.left(terminator)).isEmpty())
        return fail(DebugMessages::TerminatorNotFound);
    m_line += CountLines(QStringView(m_pending).left(terminator));
    m_pending = withoutLeadingBlanks(m_pending.mid(terminator + 3));
    TBlock* open = top();
    if (!open || open->Keyword != u"begin")
        return fail(DebugMessages::EndWithoutBegin);
    m_stack.pop_back();
    if (TBlock* outer = top(); outer && outer->Closer == u";")
        outer->Closer = QStringLiteral("else");
    closeFinishedBlocks();
    return true;
}

void TProcTextParser::handleStatement(const TTerminator& terminator)
{
    m_out.Add(withoutTrailingBlanks(SearchCopy(m_pending.left(terminator.Pos))), m_line);
    const int consumed = terminator.Pos + (terminator.Word == u";" ? 1 : 5);
    m_line += CountLines(QStringView(m_pending).left(consumed));
    m_pending.remove(0, consumed);
    closeFinishedBlocks();
}

bool TProcTextParser::closeCompletedIfs()
{
    bool closed = false;
    while (TBlock* open = top()) {
        if (open->Closer != u"else")
            break;
        item(open->Item).Jump = lastID() + 1;
        m_stack.pop_back();
        closed = true;
    }
    return closed;
}

void TProcTextParser::closeFinishedBlocks()
{
    while (TBlock* open = top()) {
        if (open->Closer != u"end" || open->Keyword == u"begin")
            break;
        if (open->Keyword == u"for" || open->Keyword == u"while") {
            const int header = open->Item;
            TSQLString& loopEnd = m_out.Add(QString(), m_line);
            loopEnd.Next = header;
            item(header).Jump = loopEnd.ID + 1;
        } else if (open->Keyword == u"when") {
            item(open->Item).Jump = lastID() + 1;
        } else if (open->Keyword == u"if") {
            item(open->Item).Next = lastID() + 1;
        }
        m_stack.pop_back();
    }
}

void TProcTextParser::closeAllCompleted()
{
    while (closeCompletedIfs())
        closeFinishedBlocks();
}

} // namespace

TParseResult ParseProcText(const QStringList& lines, TSQLText& statements)
{
    TProcTextParser parser(statements);
    return parser.Parse(lines);
}
