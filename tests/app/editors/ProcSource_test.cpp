// The text side of the procedure and trigger editors: splitting stored
// sources, reading local variables back, the generated layout, and where a
// server message puts the caret.

#include "app/editors/ProcSource.h"

#include "access/QvSqlText.h"

#include <gtest/gtest.h>

inline void PrintTo(const TParamRow& row, std::ostream* os)
{
    *os << '{' << row.Name.toStdString() << '|' << row.Type.toStdString() << '|' << row.Description.toStdString()
        << '}';
}

namespace {

const TParamRows ExampleInputs{{"A", "Integer", "first"}, {"BB", "Varchar(10)", ""}};
const TParamRows ExampleOutputs{{"R", "Integer", ""}};
const TParamRows ExampleLocals{{"X", "Integer", "tmp"}};

TEST(ProcSourceText, ExampleProcedureHasTheEditorsLayout)
{
    const QString text = ProcedureText("P", ExampleInputs, ExampleOutputs, ExampleLocals, {"R = A;"}, 1);
    EXPECT_EQ(text, QStringLiteral("CREATE PROCEDURE P (A  Integer /*first*/,\r\n     BB Varchar(10))\r\n"
                                   "returns (R Integer)\r\nAS \r\n"
                                   "     declare variable X Integer   /*tmp */;\r\n"
                                   "begin \r\nR = A;\r\n\r\nend "));
    EXPECT_EQ(AlterText(text).left(22), QStringLiteral("ALTER PROCEDURE P (A  "));
}

TEST(ProcSourceText, NoParametersNoLocals)
{
    const QString text = ProcedureText("P", {{"", "", ""}}, {}, {}, {"x = 1;", "y = 2;"}, 3);
    EXPECT_EQ(text, QStringLiteral("CREATE PROCEDURE P \r\nAS \r\n\r\nbegin \r\nx = 1;\r\ny = 2;\r\n\r\nend "));
}

// A stored source goes back as written; a changed part is the only part written anew.
TEST(ProcSourceText, StoredSourceKeepsItsOwnText)
{
    const QString source = QStringLiteral("DECLARE VARIABLE x int; -- counts\n\nBEGIN  \n  x = 1;\n\n\nEND");
    const TSourceLayout layout = TSourceLayout::Read(source, true);
    ASSERT_TRUE(layout.Known());
    EXPECT_EQ(layout.Locals(), (TParamRows{{"x", "int", ""}}));
    EXPECT_EQ(layout.Body(), QStringList{"  x = 1;"});
    EXPECT_EQ(layout.Text(layout.Locals(), layout.Body(), 3), source);
    EXPECT_EQ(layout.Text(layout.Locals(), {"  x = 2;", "  y = 3;"}, 3),
              QStringLiteral("DECLARE VARIABLE x int; -- counts\n\nBEGIN  \n  x = 2;\n  y = 3;\n\n\nEND"));
    EXPECT_EQ(layout.Text({{"y", "bigint", ""}}, layout.Body(), 3),
              QStringLiteral("\n     declare variable y bigint;\nBEGIN  \n  x = 1;\n\n\nEND"));
    EXPECT_EQ(ProcedureText("P", {}, {}, layout.Locals(), layout.Body(), 3, layout),
              QStringLiteral("CREATE PROCEDURE P \r\nAS \r\n") + source);

    // "end" on the body's last line, and a body that was empty.
    const TSourceLayout sameLine = TSourceLayout::Read(QStringLiteral("begin\r\n  x = 1; end"), false);
    EXPECT_EQ(sameLine.Text({}, {"  x = 2; "}, 1), QStringLiteral("begin\r\n  x = 2; end"));
    const TSourceLayout empty = TSourceLayout::Read(QStringLiteral("begin end"), true);
    EXPECT_TRUE(empty.Body().isEmpty());
    EXPECT_EQ(empty.Text({}, {}, 1), QStringLiteral("begin end"));
    EXPECT_EQ(empty.Text({}, {"x = 1;"}, 1), QStringLiteral("begin\r\nx = 1;\r\nend"));
    EXPECT_FALSE(TSourceLayout::Read(QStringLiteral("x = 1;"), true).Known());
}

TEST(ProcSourceText, DescriptionsCannotEndTheirComment)
{
    const TParamRows inputs{{"A", "Integer", "ends */ here\r\nand -- goes on"}};
    const TParamRows locals{{"X", "Integer", "a */ b /* c\nd"}};
    const QString text = ProcedureText("P", inputs, {}, locals, {"x = 1;"}, 3);
    // Only the two comments' own ends; an opening mark inside one opens nothing.
    EXPECT_EQ(text.count(QStringLiteral("*/")), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("/*ends * / hereand -- goes on*/")));
    // What was written reads back as one declaration with its comment.
    const TSourceParts parts = SplitSource(text.mid(text.indexOf(QStringLiteral("AS \r\n")) + 2));
    const TParamRows read = ParseLocalVariables(parts.Header);
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read.at(0).Name, QStringLiteral("X"));
    EXPECT_EQ(read.at(0).Type, QStringLiteral("Integer"));
    EXPECT_EQ(read.at(0).Description, QStringLiteral("a * / b /* cd"));
}

TEST(ProcSourceText, NamesTheServerWouldChangeAreQuotedInDialect3)
{
    EXPECT_EQ(QvSql::SourceName("abc", 3), QStringLiteral("abc"));
    EXPECT_EQ(QvSql::SourceName("date", 3), QStringLiteral("\"DATE\""));
    EXPECT_EQ(QvSql::SourceName("date", 1), QStringLiteral("DATE"));
    EXPECT_EQ(LocalVariablesText({{"value", "Integer", ""}, {"", "", ""}, {"Y", "Date", ""}}, 3),
              QStringLiteral("     declare variable \"VALUE\" Integer;\r\n     declare variable Y Date;"));
}

TEST(ProcSourceLoading, SplitsAtTheFirstBeginOutsideComments)
{
    const QString source = QStringLiteral("\r\n   \r\n  declare variable X integer; /* begin */\r\n"
                                          "-- begin here\r\nBEGIN\r\n  x = 1; begin end\r\nend");
    const TSourceParts parts = SplitSource(source);
    ASSERT_TRUE(parts.HasBegin);
    EXPECT_EQ(parts.Header, QStringLiteral("  declare variable X integer; /* begin */\r\n-- begin here\r\n"));
    EXPECT_EQ(parts.Body, QStringLiteral("\r\n  x = 1; begin end\r\nend"));
    EXPECT_EQ(BodyText(parts.Body, true), QStringList{QStringLiteral("  x = 1; begin end")});
}

TEST(ProcSourceLoading, CommentWithSemicolonIsSplitOnlyOutside)
{
    const QString header = QStringLiteral(
        "\r\n     declare variable X Integer   /*one; two */;\r\n"
        "     declare variable NAME Varchar(20) character set UTF8;\r\n"
        "  -- a note; with a semicolon\r\n"
        "  declare TOTAL numeric(15, 2) = 0;\r\n"
        "  declare S varchar(10) = q'{it's;}';\r\n");
    const TParamRows rows = ParseLocalVariables(header);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows.at(0), (TParamRow{"X", "Integer", "one; two"}));
    EXPECT_EQ(rows.at(1), (TParamRow{"NAME", "Varchar(20) character set UTF8", ""}));
    EXPECT_EQ(rows.at(2), (TParamRow{"TOTAL", "numeric(15, 2) = 0", ""}));
    EXPECT_EQ(rows.at(3), (TParamRow{"S", "varchar(10) = q'{it's;}'", ""}));
}

TEST(ProcSourceLoading, QuotedNamesAndAnyDescriptionReadBackAsWritten)
{
    const TParamRows locals{{"VARIABLE", "Integer", "marks \x03 and \x04 are text"},
                            {"select", "Varchar(10)", "a ';' -- here"},
                            {"begin", "Date", ""}};
    const QString header = QStringLiteral("\r\n") + LocalVariablesText(locals, 3) + QStringLiteral("\r\n");
    EXPECT_TRUE(header.contains(QStringLiteral("declare variable \"VARIABLE\" Integer")));
    const TParamRows read = ParseLocalVariables(header);
    EXPECT_EQ(read, (TParamRows{{"VARIABLE", "Integer", "marks \x03 and \x04 are text"},
                                {"SELECT", "Varchar(10)", "a ';' -- here"},
                                {"BEGIN", "Date", ""}}));
    // Read again, written again: the text does not drift.
    EXPECT_EQ(QStringLiteral("\r\n") + LocalVariablesText(read, 3) + QStringLiteral("\r\n"), header);
    EXPECT_EQ(ParseLocalVariables(QStringLiteral("declare \"a \"\"b\"\"\" integer = 1;")),
              (TParamRows{{"\"a \"\"b\"\"\"", "integer = 1", ""}}));
}

TEST(ProcSourceLoading, BodyRoundTripsThroughTheGeneratedText)
{
    const QStringList bodies[] = {
        {"R = A;"},
        {"  if (a > 0) then", "    r = a; -- positive", "", "  /* done */", "  suspend;"},
        {"for select x from t into :r do", "begin", "  suspend;", "end"},
    };
    for (const QStringList& body : bodies) {
        const QString text = ProcedureText("P", ExampleInputs, ExampleOutputs, ExampleLocals, body, 3);
        const TSourceParts parts = SplitSource(text.mid(text.indexOf(QStringLiteral("\r\nAS ")) + 5));
        EXPECT_EQ(BodyText(parts.Body, true), body);
        EXPECT_EQ(ParseLocalVariables(parts.Header), ExampleLocals);
    }
}

TEST(ProcSourceLoading, TriggerBodiesKeepTheirBlankLines)
{
    const QString afterBegin = QStringLiteral(" \r\n\r\n  new.ID = 1;\r\n\r\n\r\nend ");
    EXPECT_EQ(BodyText(afterBegin, false), (QStringList{"", "  new.ID = 1;", ""}));
    EXPECT_EQ(BodyText(afterBegin, true), (QStringList{"", "  new.ID = 1;"}));
}

TEST(ProcSourceErrors, CaretFromTheServersLineAndColumn)
{
    const QString text = ProcedureText("P", ExampleInputs, ExampleOutputs, ExampleLocals, {"R = A +;", "x = 1;"}, 3);
    const QStringList body{"R = A +;", "x = 1;"};
    // The body's first line is line 7 of the text.
    EXPECT_EQ(ErrorPosition("Token unknown - line 7, column 8\n;"), QPoint(8, 7));
    EXPECT_EQ(BodyCaretForError("Dynamic SQL Error\nToken unknown - line 7, column 8\n;", text, body), QPoint(9, 1));
    EXPECT_EQ(BodyCaretForError("Token unknown - line 8, column 1", text, body), QPoint(3, 2));
    // Trailing punctuation after the digits, a line past the body, one in the header.
    EXPECT_EQ(BodyCaretForError("At line 40, column 3.", text, body), QPoint(5, 2));
    EXPECT_EQ(BodyCaretForError("Token unknown - line 2, column 300", text, body), QPoint(9, 1));
    EXPECT_TRUE(BodyCaretForError("no position in this line of text", text, body).isNull());
    EXPECT_TRUE(BodyCaretForError("line 99999999999999, column 2", text, body).isNull());
}

} // namespace
