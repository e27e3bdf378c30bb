// Cutting a body into statements and linking its control flow; finding
// words outside literals and comments.

#include "app/editors/DebugParser.h"
#include "app/editors/DebugWords.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

struct Expected
{
    const char* text;
    int line;
    int next;
    int jump;
};

void expectStatements(const TSQLText& statements, const std::vector<Expected>& expected)
{
    ASSERT_EQ(statements.Count(), int(expected.size()));
    EXPECT_EQ(statements.LastID, int(expected.size()) - 1);
    EXPECT_EQ(statements.CurrentID, 0);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TSQLString& item = statements.Items()[i];
        SCOPED_TRACE(testing::Message() << "statement " << i << " \"" << item.Text.toStdString() << "\"");
        EXPECT_EQ(item.ID, int(i));
        EXPECT_EQ(item.Text, QString::fromUtf8(expected[i].text));
        EXPECT_EQ(item.Line, expected[i].line);
        EXPECT_EQ(item.Next, expected[i].next);
        EXPECT_EQ(item.Jump, expected[i].jump);
        EXPECT_EQ(item.Count, 0);
    }
}

TSQLText parsed(const QStringList& lines)
{
    TSQLText statements;
    const TParseResult result = ParseProcText(lines, statements);
    EXPECT_TRUE(result.Ok) << result.Error.toStdString() << " at line " << result.ErrorLine;
    return statements;
}

TEST(DebugWords, WholeWordsOutsideLiteralsAndComments)
{
    EXPECT_EQ(PosWord(QStringLiteral("IF (a = 1) THEN x = 2"), QStringLiteral("then")), 12);
    EXPECT_EQ(PosWord(QStringLiteral("xthen = thenx; then"), QStringLiteral("then")), 16);
    EXPECT_EQ(PosWord(QStringLiteral("s = 'then'; then"), QStringLiteral("then")), 13);
    EXPECT_EQ(PosWord(QStringLiteral("s = \"x\" /* then */ || then"), QStringLiteral("then")), 23);
    EXPECT_EQ(PosWord(QStringLiteral("-- then\r\nthen"), QStringLiteral("then")), 10);
    EXPECT_EQ(PosWord(QStringLiteral("t.x = x"), QStringLiteral("x")), 7);
    EXPECT_EQ(PosWord(QStringLiteral("a(x)"), QStringLiteral("x")), 3);
    // A word that begins with a boundary character needs no boundary.
    EXPECT_EQ(PosWord(QStringLiteral("a:=b"), QStringLiteral(":=")), 2);
    EXPECT_EQ(PosWord(QStringLiteral("s = 'it''s ; x'"), QStringLiteral(";")), 0);
    EXPECT_EQ(PosWord(QStringLiteral("s = 'it\"s' ; x"), QStringLiteral(";")), 12);
    EXPECT_EQ(PosWord(QString(), QStringLiteral("x")), 0);

    QString found;
    EXPECT_EQ(FirstWordOf(QStringLiteral("x = 1; begin end"), QStringLiteral(";_begin_end"), found), 6);
    EXPECT_EQ(found, QStringLiteral(";"));
    EXPECT_EQ(FirstWordOf(QStringLiteral("nothing here"), QStringLiteral(";_begin_end"), found), 0);
    EXPECT_TRUE(found.isEmpty());
    EXPECT_EQ(CountLines(u"a\r\nb\r\nc"), 2);
    EXPECT_EQ(FirstWordOfStatement(QStringLiteral("IF(a = 1)")), QStringLiteral("if"));
    EXPECT_EQ(FirstWordOfStatement(QStringLiteral("x=1")), QStringLiteral("x"));
    EXPECT_EQ(FirstWordOfStatement(QStringLiteral("exit")), QStringLiteral("exit"));
    EXPECT_EQ(SearchCopy(QStringLiteral("a\r\nb = 'x\r\ny'")), QStringLiteral("a  b = 'x\r\ny'"));
    EXPECT_TRUE(EndsInsideLiteral(u"x = 'open"));
    EXPECT_FALSE(EndsInsideLiteral(u"x = 'closed' -- and a comment"));
}

TEST(DebugParser, IfWithoutElseJumpsPastItsThenBranch)
{
    expectStatements(parsed({QStringLiteral("if (a = 1) then x = 2; y = 3;")}),
                     {{"if (a = 1) then", 0, 1, 2}, {"x = 2", 0, 2, -1}, {"y = 3", 0, 3, -1}});
}

TEST(DebugParser, WhileLoopGetsAnEndItemThatReturnsToItsHead)
{
    expectStatements(parsed({QStringLiteral("while (i < 10) do"), QStringLiteral("begin"),
                             QStringLiteral("  i = i + 1;"), QStringLiteral("end"), QStringLiteral("x = 1;")}),
                     {{"while (i < 10)", 0, 1, 3}, {"i = i + 1", 2, 2, -1}, {"", 3, 0, -1}, {"x = 1", 4, 4, -1}});
    // The same loop with its body on the head's line and no block.
    expectStatements(parsed({QStringLiteral("while (i<10)do i = i + 1;"), QStringLiteral("x = 1;")}),
                     {{"while (i<10)", 0, 1, 3}, {"i = i + 1", 0, 2, -1}, {"", 0, 0, -1}, {"x = 1", 1, 4, -1}});
}

TEST(DebugParser, ElseBranchesAndNestedBlocks)
{
    // if/else with blocks: the else item ends the then-branch and skips the
    // else-branch; an if inside a loop jumps to the loop's end item.
    expectStatements(parsed({QStringLiteral("if (a = 1) then"), QStringLiteral("begin"), QStringLiteral("  x = 1;"),
                             QStringLiteral("  y = 2;"), QStringLiteral("end"), QStringLiteral("else"),
                             QStringLiteral("  x = 3;"), QStringLiteral("z = 4;")}),
                     {{"if (a = 1) then", 0, 1, 4},
                      {"x = 1", 2, 2, -1},
                      {"y = 2", 3, 3, -1},
                      {"", 5, 5, -1},
                      {"x = 3", 6, 5, -1},
                      {"z = 4", 7, 6, -1}});
    // A dangling else belongs to the inner if; both ifs end before z.
    expectStatements(parsed({QStringLiteral("if (a = 1) then if (b = 1) then x = 1; else x = 2;"),
                             QStringLiteral("z = 1;")}),
                     {{"if (a = 1) then", 0, 1, 5},
                      {"if (b = 1) then", 0, 2, 4},
                      {"x = 1", 0, 3, -1},
                      {"", 0, 5, -1},
                      {"x = 2", 0, 5, -1},
                      {"z = 1", 1, 6, -1}});
    expectStatements(parsed({QStringLiteral("while (i < 3) do"), QStringLiteral("begin"),
                             QStringLiteral("  if (i = 1) then n = n + 1;"), QStringLiteral("  i = i + 1;"),
                             QStringLiteral("end")}),
                     {{"while (i < 3)", 0, 1, 5},
                      {"if (i = 1) then", 2, 2, 3},
                      {"n = n + 1", 2, 3, -1},
                      {"i = i + 1", 3, 4, -1},
                      {"", 4, 0, -1}});
}

TEST(DebugParser, ForSelectAndWhenHandlers)
{
    expectStatements(parsed({QStringLiteral("for select id from t"), QStringLiteral("  where id > :n"),
                             QStringLiteral("  into :x"), QStringLiteral("do"), QStringLiteral("begin"),
                             QStringLiteral("  s = s + x;"), QStringLiteral("end"),
                             QStringLiteral("when any do n = -1;"), QStringLiteral("exit;")}),
                     {{"for select id from t  where id > :n  into :x", 0, 1, 3},
                      {"s = s + x", 5, 2, -1},
                      {"", 6, 0, -1},
                      {"when any", 7, 4, 5},
                      {"n = -1", 7, 5, -1},
                      {"exit", 8, 6, -1}});
}

TEST(DebugParser, CommentsLiteralsAndEmptyStatements)
{
    // A three-line comment keeps the line of what follows it; "--" runs to
    // the line end; ";" inside literals and comments ends nothing.
    expectStatements(parsed({QStringLiteral("x = 1; /* first"), QStringLiteral("   second; "),
                             QStringLiteral("third */ y = 'a;b'; -- z = 3;"), QStringLiteral(""),
                             QStringLiteral("s = 'it\"s;' || \"q;\";")}),
                     {{"x = 1", 0, 1, -1}, {"y = 'a;b'", 2, 2, -1}, {"s = 'it\"s;' || \"q;\"", 4, 3, -1}});
}

TEST(DebugParser, EndClosingSomethingElseIsAnErrorAndLeavesNoStatements)
{
    TSQLText statements = parsed({QStringLiteral("x = 1;")});
    ASSERT_EQ(statements.Count(), 1);
    // "begin" opens a block only when it is the whole pending text.
    const TParseResult result = ParseProcText({QStringLiteral("begin x = 1;"), QStringLiteral("end")}, statements);
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Error, QStringLiteral("END found, but BEGIN not found"));
    EXPECT_EQ(result.ErrorLine, 1);
    EXPECT_EQ(statements.Count(), 0);
    EXPECT_EQ(statements.LastID, -1);

    // "end;" leaves an empty statement for its ";"; a "begin " with a
    // trailing blank still opens its block.
    expectStatements(parsed({QStringLiteral("begin "), QStringLiteral("x = 1;"), QStringLiteral("end;")}),
                     {{"x = 1", 1, 1, -1}, {"", 2, 2, -1}});
}

TEST(DebugParser, MalformedBodiesAreReportedNeverLooped)
{
    const struct
    {
        QStringList lines;
        const char* error;
        int line;
    } cases[] = {
        {{QStringLiteral("while (i < 10) do;")}, "Statement expected after DO", 0},
        {{QStringLiteral("x = 0;"), QStringLiteral("for select a from t into :a do (x);")},
         "Statement expected after DO",
         1},
        {{QStringLiteral("while (i < 10);")}, "DO not found", 0},
        {{QStringLiteral("if (a = 1) x = 2;")}, "THEN not found", 0},
        {{QStringLiteral("x = 1; /* never closed"), QStringLiteral("y = 2;")}, "Comment not closed", 0},
        {{QStringLiteral("x = 1;"), QStringLiteral("y = 2")}, "';' not found", 1},
        {{QStringLiteral("s = 'never closed;")}, "';' not found", 0},
        {{QStringLiteral("begin"), QStringLiteral("x = 1")}, "';' not found", 1},
        {{QStringLiteral("begin"), QStringLiteral("x = 1"), QStringLiteral("end")}, "';' not found", 1},
        {{QStringLiteral("begin"), QStringLiteral("x = 1;")}, "END not found", 1},
        {{QStringLiteral("x = 1;"), QStringLiteral("else y = 1;")}, "ELSE found, but IF not found", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.join(QLatin1Char('|')).toStdString());
        TSQLText statements;
        const TParseResult result = ParseProcText(c.lines, statements);
        EXPECT_FALSE(result.Ok);
        EXPECT_EQ(result.Error, QString::fromLatin1(c.error));
        EXPECT_EQ(result.ErrorLine, c.line);
        EXPECT_TRUE(statements.IsEmpty());
    }
}

TEST(DebugParser, CaseExpressionsKeepTheirEndAndThen)
{
    expectStatements(parsed({QStringLiteral("x = case when a = 1 then 2 else 3 end;"),
                             QStringLiteral("if ((case when a = 1 then 1 else 0 end) = 1) then y = 1;")}),
                     {{"x = case when a = 1 then 2 else 3 end", 0, 1, -1},
                      {"if ((case when a = 1 then 1 else 0 end) = 1) then", 1, 2, 3},
                      {"y = 1", 1, 3, -1}});
}

TEST(DebugParser, StatementAtLineIsTheLastStartingAtOrBefore)
{
    const TSQLText statements = parsed({QStringLiteral("x = 1;"), QStringLiteral("y ="), QStringLiteral("  2;"),
                                        QStringLiteral(""), QStringLiteral("z = 3;")});
    EXPECT_EQ(statements.StatementAtLine(0), 0);
    EXPECT_EQ(statements.StatementAtLine(2), 1);
    EXPECT_EQ(statements.StatementAtLine(3), 1);
    EXPECT_EQ(statements.StatementAtLine(9), 2);
    EXPECT_EQ(statements.Items()[1].Text, QStringLiteral("y =  2"));
    EXPECT_EQ(statements.StatementAtLine(-1), -1);

    // The end item of a loop body shares the body's line, and a bare "end"
    // has a line of its own: both lines belong to the body's statement.
    const TSQLText loops = parsed({QStringLiteral("for select id from t into :x do"), QStringLiteral("  y = x;"),
                                   QStringLiteral("while (y > 0) do"), QStringLiteral("begin"),
                                   QStringLiteral("  y = y - 1;"), QStringLiteral("end")});
    ASSERT_EQ(loops.Items()[2].Line, 1);
    ASSERT_TRUE(loops.Items()[2].IsStructural());
    EXPECT_EQ(loops.StatementAtLine(1), 1);
    EXPECT_EQ(loops.StatementAtLine(3), 3);
    EXPECT_EQ(loops.StatementAtLine(5), 4);
    EXPECT_EQ(parsed({QStringLiteral("begin"), QStringLiteral("end;")}).StatementAtLine(1), 0);
}

// Whatever text comes in, the parse ends; a parse that succeeds links every
// statement inside the list (or just past its end), and one that fails
// leaves nothing.
TEST(DebugParser, RandomBodiesAlwaysEndWithSoundLinks)
{
    static const char* const words[] = {"if",    "then", "else", "while", "do",  "for", "select", "into",
                                        "begin", "end",  "when", "case",  "x",   "=",   "1",      ";",
                                        "(",     ")",    "'",    "\"",    "/*",  "*/",  "--",     "exit",
                                        "do;",   "x = 1;", ":x",  "any",   "\t",  "then;"};
    QRandomGenerator random(20240611);
    for (int round = 0; round < 3000; ++round) {
        QStringList lines;
        const int lineCount = 1 + int(random.bounded(6));
        for (int l = 0; l < lineCount; ++l) {
            QStringList line;
            const int wordCount = int(random.bounded(7));
            for (int w = 0; w < wordCount; ++w)
                line << QString::fromLatin1(words[random.bounded(int(std::size(words)))]);
            lines << line.join(QLatin1Char(' '));
        }
        TSQLText statements;
        const TParseResult result = ParseProcText(lines, statements);
        SCOPED_TRACE(lines.join(QStringLiteral(" | ")).toStdString());
        if (!result.Ok) {
            ASSERT_TRUE(statements.IsEmpty());
            ASSERT_FALSE(result.Error.isEmpty());
            continue;
        }
        ASSERT_EQ(statements.LastID, statements.Count() - 1);
        for (const TSQLString& item : statements.Items()) {
            ASSERT_GE(item.Next, 0);
            ASSERT_LE(item.Next, statements.Count());
            ASSERT_GE(item.Jump, -1);
            ASSERT_LE(item.Jump, statements.Count());
            const QString first = FirstWordOfStatement(item.Text);
            if (first == u"if" || first == u"while" || first == u"for" || first == u"when") {
                ASSERT_GT(item.Jump, item.ID);
            }
        }
    }
}

} // namespace
