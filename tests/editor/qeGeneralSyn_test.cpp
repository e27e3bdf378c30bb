// The SQL scanner: tokens, range states, keyword and link-word lookup,
// colours while painting, and the attribute and list properties.
#include "editor/qeGeneralSyn.h"
#include "qeSqlKeywords_support.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

struct Token
{
    QString text;
    int pos;
    int kind;
};

std::vector<Token> scan(TqeGeneralSyn& syn, const QString& line, int range = rsUnKnown)
{
    syn.SetRange(range);
    syn.SetLine(line);
    std::vector<Token> tokens;
    while (!syn.GetEol()) {
        tokens.push_back({syn.GetToken(), syn.GetTokenPos(), syn.GetTokenKind()});
        syn.Next();
    }
    return tokens;
}

class SqlSyn : public ::testing::Test
{
protected:
    SqlSyn()
    {
        syn.SetComments(csCStyle);
        syn.SetKeyWords(sqlKeywords());
    }
    TqeGeneralSyn syn;
};

} // namespace

TEST_F(SqlSyn, DoubledQuoteAfterOpenerIsSkippedSoTheWholeTextIsOneString)
{
    const auto t = scan(syn, QStringLiteral("'''abc'"));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, QStringLiteral("'''abc'"));
    EXPECT_EQ(t[0].kind, tkString);
}

TEST_F(SqlSyn, TheTwoQuoteCharactersAreInterchangeable)
{
    const auto t = scan(syn, QStringLiteral("'ab\"cd"));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, QStringLiteral("'ab\""));
    EXPECT_EQ(t[0].kind, tkString);
    EXPECT_EQ(t[1].text, QStringLiteral("cd"));
    EXPECT_EQ(t[1].kind, tkIdentifier);
}

TEST_F(SqlSyn, UnclosedStringRunsToLineEndAndLeavesNoRange)
{
    const auto t = scan(syn, QStringLiteral("x = 'open"));
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t.back().text, QStringLiteral("'open"));
    EXPECT_EQ(t.back().kind, tkString);
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
}

TEST_F(SqlSyn, AlternativeQuotingIsOneString)
{
    auto t = scan(syn, QStringLiteral("x(q'{it's;}', Q'<a>b>');"));
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[2].text, QStringLiteral("q'{it's;}'"));
    EXPECT_EQ(t[2].kind, tkString);
    EXPECT_EQ(t[5].text, QStringLiteral("Q'<a>b>'"));
    EXPECT_EQ(t[5].kind, tkString);
    EXPECT_EQ(t[7].text, QStringLiteral(";"));
    // A word that merely begins with q, and a q before a quote at the line's end.
    t = scan(syn, QStringLiteral("quick q'"));
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].kind, tkIdentifier);
    EXPECT_EQ(t[2].text, QStringLiteral("q"));
    EXPECT_EQ(t[3].text, QStringLiteral("'"));
}

TEST_F(SqlSyn, AlternativeQuotingGoesOnOverLinesToItsOwnCloser)
{
    auto t = scan(syn, QStringLiteral("x = q'{it's"));
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[4].text, QStringLiteral("q'{it's"));
    EXPECT_EQ(t[4].kind, tkString);
    const int open = syn.GetRange();
    EXPECT_EQ(open, AlternativeStringRange(u'}'));

    // Quotes, comment marks, keywords and other closers are the literal's own.
    t = scan(syn, QStringLiteral("select ' -- /* ]' }"), open);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].kind, tkString);
    EXPECT_EQ(syn.GetRange(), open);
    EXPECT_TRUE(scan(syn, QString(), open).empty());
    EXPECT_EQ(syn.GetRange(), open);
    // A closer at the end of one line and a quote on the next do not close it.
    scan(syn, QStringLiteral("'"), open);
    EXPECT_EQ(syn.GetRange(), open);

    t = scan(syn, QStringLiteral("end}' from t"), open);
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0].text, QStringLiteral("end}'"));
    EXPECT_EQ(t[0].kind, tkString);
    EXPECT_EQ(t[2].kind, tkKey);
    EXPECT_EQ(syn.GetRange(), rsUnKnown);

    // A line break inside one text is a space token within the literal.
    t = scan(syn, QStringLiteral("q'<a\r\nb>' c"));
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[0].text, QStringLiteral("q'<a"));
    EXPECT_EQ(t[1].kind, tkSpace);
    EXPECT_EQ(t[2].text, QStringLiteral("b>'"));
    EXPECT_EQ(t[2].kind, tkString);
    EXPECT_EQ(t[4].kind, tkIdentifier);
}

TEST_F(SqlSyn, EmptyStringAndLoneQuote)
{
    auto t = scan(syn, QStringLiteral("''"));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, QStringLiteral("''"));
    t = scan(syn, QStringLiteral("'"));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].kind, tkString);
    t = scan(syn, QStringLiteral("'''"));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, QStringLiteral("'''"));
}

TEST_F(SqlSyn, OpenCommentContinuesOnTheNextLine)
{
    auto t = scan(syn, QStringLiteral("x /* open"));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2].text, QStringLiteral("/* open"));
    EXPECT_EQ(t[2].kind, tkComment);
    const int end = syn.GetRange();
    EXPECT_EQ(end, rsCStyle);

    t = scan(syn, QStringLiteral("still */ x"), end);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text, QStringLiteral("still */"));
    EXPECT_EQ(t[0].kind, tkComment);
    EXPECT_EQ(t[1].kind, tkSpace);
    EXPECT_EQ(t[2].text, QStringLiteral("x"));
    EXPECT_EQ(t[2].kind, tkIdentifier);
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
}

TEST_F(SqlSyn, LineInsideACommentStaysInTheComment)
{
    const auto t = scan(syn, QStringLiteral("select * from t"), rsCStyle);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].kind, tkComment);
    EXPECT_EQ(syn.GetRange(), rsCStyle);
}

TEST_F(SqlSyn, SlashStarSlashIsAClosedComment)
{
    const auto t = scan(syn, QStringLiteral("/*/ x"));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text, QStringLiteral("/*/"));
    EXPECT_EQ(t[0].kind, tkComment);
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
}

TEST_F(SqlSyn, CommentClosedOnTheSameLine)
{
    const auto t = scan(syn, QStringLiteral("a/* b */c"));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[1].text, QStringLiteral("/* b */"));
    EXPECT_EQ(t[2].text, QStringLiteral("c"));
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
}

TEST(GeneralSynComments, DoubleSlashIsACommentWhateverCommentsSays)
{
    TqeGeneralSyn syn;
    ASSERT_EQ(syn.Comments(), CommentStyles());
    const auto t = scan(syn, QStringLiteral("a // b /* c"));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[2].text, QStringLiteral("// b /* c"));
    EXPECT_EQ(t[2].kind, tkComment);
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
}

TEST(GeneralSynComments, WithCStyleAloneBracesAndParenStarAreSymbols)
{
    TqeGeneralSyn syn;
    syn.SetComments(csCStyle);
    auto t = scan(syn, QStringLiteral("{a}"));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].kind, tkSymbol);
    t = scan(syn, QStringLiteral("(*a*)"));
    EXPECT_EQ(t[0].text, QStringLiteral("("));
    EXPECT_EQ(t[0].kind, tkSymbol);
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
    t = scan(syn, QStringLiteral("a;b"));
    EXPECT_EQ(t[1].kind, tkSymbol);
}

TEST(GeneralSynComments, WithoutCStyleSlashStarIsASymbol)
{
    TqeGeneralSyn syn;
    const auto t = scan(syn, QStringLiteral("/*x"));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text, QStringLiteral("/"));
    EXPECT_EQ(t[0].kind, tkSymbol);
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
}

TEST(GeneralSynComments, AnsiPascalAndSemicolonForms)
{
    TqeGeneralSyn syn;
    syn.SetComments(csAnsiStyle | csPasStyle | csAsmStyle);
    auto t = scan(syn, QStringLiteral("(* a *) b"));
    EXPECT_EQ(t[0].text, QStringLiteral("(* a *)"));
    EXPECT_EQ(t[0].kind, tkComment);
    t = scan(syn, QStringLiteral("(*)"));
    EXPECT_EQ(syn.GetRange(), rsAnsi);
    t = scan(syn, QStringLiteral("x *) y"), rsAnsi);
    EXPECT_EQ(t[0].text, QStringLiteral("x *)"));
    t = scan(syn, QStringLiteral("(.x"));
    EXPECT_EQ(t[0].text, QStringLiteral("(."));
    EXPECT_EQ(t[0].kind, tkSymbol);
    t = scan(syn, QStringLiteral("{ open"));
    EXPECT_EQ(syn.GetRange(), rsPasStyle);
    t = scan(syn, QStringLiteral("end } z"), rsPasStyle);
    EXPECT_EQ(t[0].text, QStringLiteral("end }"));
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
    t = scan(syn, QStringLiteral("a ; rest of line"));
    EXPECT_EQ(t.back().text, QStringLiteral("; rest of line"));
    EXPECT_EQ(t.back().kind, tkComment);
}

TEST(GeneralSynComments, SettingCommentsAsksLinkedEditorsToRescan)
{
    TqeGeneralSyn syn;
    QSignalSpy rules(&syn, &TqeCustomHighLighter::ScanRulesChanged);
    QSignalSpy repaint(&syn, &TqeCustomHighLighter::AttributesChanged);
    syn.SetComments(csCStyle);
    EXPECT_EQ(rules.count(), 1);
    EXPECT_EQ(repaint.count(), 1);
    syn.SetComments(csCStyle);
    EXPECT_EQ(rules.count(), 1);
}

TEST_F(SqlSyn, Numbers)
{
    auto t = scan(syn, QStringLiteral("1.5e3"));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].kind, tkNumber);

    t = scan(syn, QStringLiteral("1..2"));
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].text, QStringLiteral("1"));
    EXPECT_EQ(t[0].kind, tkNumber);
    EXPECT_EQ(t[1].text, QStringLiteral("."));
    EXPECT_EQ(t[1].kind, tkUnknown);
    EXPECT_EQ(t[2].text, QStringLiteral("."));
    EXPECT_EQ(t[2].kind, tkUnknown);
    EXPECT_EQ(t[3].text, QStringLiteral("2"));
    EXPECT_EQ(t[3].kind, tkNumber);

    t = scan(syn, QStringLiteral("1e-5"));
    EXPECT_EQ(t[0].text, QStringLiteral("1e"));

    t = scan(syn, QStringLiteral("$1Fz"));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, QStringLiteral("$1F"));
    EXPECT_EQ(t[0].kind, tkNumber);
    EXPECT_EQ(t[1].text, QStringLiteral("z"));
    EXPECT_EQ(t[1].kind, tkIdentifier);

    t = scan(syn, QStringLiteral("#13#10"));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, QStringLiteral("#13"));
    EXPECT_EQ(t[0].kind, tkString);
    EXPECT_EQ(t[1].text, QStringLiteral("#10"));
    EXPECT_EQ(t[1].kind, tkString);
}

TEST_F(SqlSyn, SpacesAndLineBreakCharacters)
{
    auto t = scan(syn, QStringLiteral(" \t a"));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, QStringLiteral(" \t "));
    EXPECT_EQ(t[0].kind, tkSpace);
    t = scan(syn, QStringLiteral("\r\nx"));
    EXPECT_EQ(t[0].text, QStringLiteral("\r\n"));
    EXPECT_EQ(t[0].kind, tkSpace);
    t = scan(syn, QStringLiteral("\nx"));
    EXPECT_EQ(t[0].text, QStringLiteral("\n"));
}

TEST_F(SqlSyn, EveryKeywordOfTheListIsAReservedWord)
{
    const QStringList words = sqlKeywords();
    ASSERT_EQ(words.size(), 261);
    ASSERT_EQ(syn.KeyWords().Count(), 261);
    for (const QString& w : words) {
        EXPECT_TRUE(syn.IsKeyword(w)) << w.toStdString();
        const auto t = scan(syn, w.toLower());
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0].kind, tkKey) << w.toStdString();
    }
    for (const char* w : {"NUMERIC", "GENERATOR", "CHARACTER", "BASE_NAME", "RDB$DB_KEY"})
        EXPECT_TRUE(syn.IsKeyword(QString::fromLatin1(w))) << w;
    EXPECT_FALSE(syn.IsKeyword(QStringLiteral("NUMERICS")));
    EXPECT_FALSE(syn.IsKeyword(QStringLiteral("")));
}

TEST_F(SqlSyn, KeywordGoesBeforeLinkWord)
{
    syn.SetLinkWords({QStringLiteral("select"), QStringLiteral("customer")});
    auto t = scan(syn, QStringLiteral("select customer"));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].kind, tkKey);
    EXPECT_EQ(t[2].kind, tkLink);
    EXPECT_TRUE(syn.IsLinkWord(QStringLiteral("Customer")));
    EXPECT_FALSE(syn.IsLinkWord(QStringLiteral("")));
}

TEST_F(SqlSyn, LinkWordsFilledThroughTheListKeepTheirCaseAndAreFound)
{
    syn.LinkWords().Assign({QStringLiteral("Orders"), QStringLiteral("rdb$x_y")});
    EXPECT_EQ(syn.LinkWords().Strings(0), QStringLiteral("Orders"));
    EXPECT_TRUE(syn.IsLinkWord(QStringLiteral("ORDERS")));
    EXPECT_TRUE(syn.IsLinkWord(QStringLiteral("RDB$X_Y")));
    const auto t = scan(syn, QStringLiteral("orders"));
    EXPECT_EQ(t[0].kind, tkLink);
}

TEST_F(SqlSyn, KeyWordsWriterCopiesTheCallersList)
{
    QStringList mine = {QStringLiteral("foo"), QStringLiteral("Bar"), QStringLiteral("foo")};
    const QStringList before = mine;
    syn.SetKeyWords(mine);
    EXPECT_EQ(mine, before);
    EXPECT_EQ(syn.KeyWords().ToStringList(), (QStringList{QStringLiteral("BAR"), QStringLiteral("FOO")}));
    syn.SetLinkWords(mine);
    EXPECT_EQ(mine, before);
    EXPECT_EQ(syn.LinkWords().Strings(1), QStringLiteral("FOO"));
}

TEST_F(SqlSyn, ListWritersRepaintButDirectFillingDoesNot)
{
    QSignalSpy repaint(&syn, &TqeCustomHighLighter::AttributesChanged);
    syn.SetLinkWords({QStringLiteral("A")});
    EXPECT_EQ(repaint.count(), 1);
    syn.LinkWords().Assign({QStringLiteral("B")});
    EXPECT_EQ(repaint.count(), 1);
    syn.KeyAttri()->SetForeground(Qt::red);
    EXPECT_EQ(repaint.count(), 2);
    syn.KeyAttri()->SetForeground(Qt::red);
    EXPECT_EQ(repaint.count(), 2);
}

TEST_F(SqlSyn, LookAheadsStopAtTheEndOfTheText)
{
    // Each of these ends where a look-ahead reads past the last character.
    for (const char* line : {"'", "''", "/", "/*", "(", "$", "#", "1.", "1..", "{", "x /* a *", "'a"}) {
        const auto t = scan(syn, QString::fromLatin1(line));
        int covered = 0;
        for (const Token& tok : t) {
            EXPECT_EQ(tok.pos, covered) << line;
            covered += static_cast<int>(tok.text.size());
        }
        EXPECT_EQ(covered, static_cast<int>(qstrlen(line))) << line;
    }
    // A text that is a view of a longer buffer: nothing behind its end is read.
    const QString whole = QStringLiteral("'abc'");
    const auto t = scan(syn, whole.left(3));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, QStringLiteral("'ab"));
}

TEST_F(SqlSyn, CharactersAbove255AreUnknownTokens)
{
    const QString line = QStringLiteral("a\u0416\u4E2D\U0001F600b");
    const auto t = scan(syn, line);
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[0].kind, tkIdentifier);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(t[i].kind, tkUnknown) << i;
    EXPECT_EQ(t[5].text, QStringLiteral("b"));
}

TEST_F(SqlSyn, NulInsideALineDoesNotHideTheRest)
{
    QString line = QStringLiteral("a b");
    line[1] = QChar(0);
    const auto t = scan(syn, line);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].text, QStringLiteral("a"));
    EXPECT_EQ(t[1].kind, tkSpace);
    EXPECT_EQ(t[1].text.size(), 1);
    EXPECT_EQ(t[2].text, QStringLiteral("b"));
}

TEST_F(SqlSyn, EmptyLineIsEndOfLineAtOnce)
{
    syn.SetLine(QString());
    EXPECT_TRUE(syn.GetEol());
    EXPECT_EQ(syn.GetTokenKind(), tkNull);
}

TEST_F(SqlSyn, RangeStateZeroAndOutOfRangeBehaveAsNone)
{
    auto t = scan(syn, QStringLiteral("a"), 0);
    EXPECT_EQ(t[0].kind, tkIdentifier);
    t = scan(syn, QStringLiteral("a"), 77);
    EXPECT_EQ(t[0].kind, tkIdentifier);
    syn.SetRange(rsCStyle);
    syn.ResetRange();
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
    // An open q'...' literal needs a closer that could have opened it.
    for (const int range : {int(rsAlternativeString), AlternativeStringRange(u'\n'), AlternativeStringRange(u'\r'),
                            rsAlternativeString | (0x10000 << 8), -256 | rsAlternativeString}) {
        syn.SetRange(range);
        EXPECT_EQ(syn.GetRange(), rsUnKnown) << range;
    }
    syn.SetRange(AlternativeStringRange(u'\u0416'));
    EXPECT_EQ(syn.GetRange(), AlternativeStringRange(u'\u0416'));
}

TEST(GeneralSynAttributes, NamesStylesAndIndexes)
{
    TqeGeneralSyn syn;
    EXPECT_EQ(syn.GetLanguageName(), QStringLiteral("General"));
    EXPECT_EQ(syn.GetAttribCount(), 7);
    EXPECT_EQ(syn.GetRange(), rsUnKnown);
    const char* names[] = {"comment", "identifier", "number", "reserved word", "space", "string", "symbol", "Link"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(syn.GetAttribute(i)->Name(), QString::fromLatin1(names[i]));
    EXPECT_EQ(syn.GetAttribute(8), nullptr);
    EXPECT_EQ(syn.GetAttribute(-1), nullptr);
    EXPECT_EQ(syn.CommentAttri()->Style(), TFontStyles(fsItalic));
    EXPECT_EQ(syn.KeyAttri()->Style(), TFontStyles(fsBold));
    EXPECT_EQ(syn.BreakPointAttri()->Name(), QStringLiteral("Breakpoint"));
    EXPECT_EQ(syn.ExecutionPointAttri()->Name(), QStringLiteral("ExecutionPoint"));
    EXPECT_EQ(syn.GetFlags(), 2);
}

TEST(GeneralSynAttributes, IntegerStyleAndAssign)
{
    TqeHighLightAttributes a(QStringLiteral("a"));
    a.SetIntegerStyle(0b1011);
    EXPECT_EQ(a.Style(), fsBold | fsItalic | fsStrikeOut);
    EXPECT_EQ(a.IntegerStyle(), 0b1011);
    TqeHighLightAttributes b(QStringLiteral("b"));
    QSignalSpy changed(&b, &TqeHighLightAttributes::Changed);
    a.SetForeground(Qt::blue);
    b.Assign(a);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(b.Name(), QStringLiteral("a"));
    EXPECT_EQ(b.Foreground(), QColor(Qt::blue));
    EXPECT_EQ(b.Style(), a.Style());
}

TEST(GeneralSynPainting, CanvasTakesTheTokenKindsColours)
{
    TqeGeneralSyn syn;
    syn.SetComments(csCStyle);
    syn.SetKeyWords({QStringLiteral("SELECT")});
    syn.KeyAttri()->SetForeground(Qt::darkBlue);
    syn.NumberAttri()->SetForeground(Qt::blue);
    syn.SymbolAttri()->SetForeground(Qt::magenta);
    TqeCanvas canvas;
    syn.SetCanvas(&canvas);
    syn.SetLineNumber(0);
    syn.ResetRange();
    syn.SetLine(QStringLiteral("select 1 ,"));
    EXPECT_EQ(canvas.FontColor, QColor(Qt::darkBlue));
    EXPECT_EQ(canvas.FontStyle, TFontStyles(fsBold));
    syn.Next();
    syn.Next();
    EXPECT_EQ(canvas.FontColor, QColor(Qt::blue));
    syn.Next();
    syn.Next();  // "," is unknown, painted as a symbol
    EXPECT_EQ(syn.GetTokenKind(), tkUnknown);
    EXPECT_EQ(canvas.FontColor, QColor(Qt::magenta));
    syn.SetCanvas(nullptr);
}

TEST(GeneralSynPainting, LineColourMarkColoursEveryTokenAndTheFirstRecordDecides)
{
    TqeGeneralSyn syn;
    syn.BreakPointAttri()->SetBackground(Qt::red);
    syn.ExecutionPointAttri()->SetBackground(Qt::blue);
    syn.LineColors().Add(3, TLineColorMark::BreakPoint);
    syn.LineColors().Add(3, TLineColorMark::ExecutionPoint);
    TqeCanvas canvas;
    syn.SetCanvas(&canvas);
    syn.SetLineNumber(3);
    syn.ResetRange();
    syn.SetLine(QStringLiteral("a b"));
    EXPECT_EQ(canvas.BrushColor, QColor(Qt::red));
    syn.Next();
    EXPECT_EQ(syn.GetTokenKind(), tkSpace);
    EXPECT_EQ(canvas.BrushColor, QColor(Qt::red));

    syn.LineColors().Delete(3, TLineColorMark::BreakPoint);
    syn.SetLine(QStringLiteral("a"));
    EXPECT_EQ(canvas.BrushColor, QColor(Qt::blue));

    syn.SetLineNumber(4);
    syn.SetLine(QStringLiteral("a"));
    EXPECT_EQ(canvas.BrushColor, syn.IdentifierAttri()->Background());
    syn.SetCanvas(nullptr);
}

TEST(LineColorMark, AddDeleteFind)
{
    TLineColorMark marks;
    int kind = 0;
    EXPECT_FALSE(marks.Find(1, kind));
    marks.Add(1, 2);
    marks.Add(1, 1);
    marks.Add(1, 2);
    ASSERT_TRUE(marks.Find(1, kind));
    EXPECT_EQ(kind, 2);
    marks.Delete(1, 2);
    ASSERT_TRUE(marks.Find(1, kind));
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(marks.Count(), 2);
    marks.Delete(9, 1);
    EXPECT_EQ(marks.Count(), 2);
}

TEST(HighlighterBase, DefaultFilterAndIdentChars)
{
    TqeGeneralSyn syn;
    syn.SetDefaultFilter(QStringLiteral("SQL files (*.sql)"));
    EXPECT_EQ(syn.DefaultFilter(), QStringLiteral("SQL files (*.sql)"));
    const TqeIdentChars chars = syn.GetIdentChars();
    EXPECT_FALSE(chars.Contains(QLatin1Char(' ')));
    EXPECT_TRUE(chars.Contains(QLatin1Char('!')));
    EXPECT_TRUE(chars.Contains(QChar(255)));
    EXPECT_TRUE(chars.Contains(QChar(0x416)));
    EXPECT_FALSE(chars.Contains(QChar(0x3000)));  // ideographic space
    EXPECT_FALSE(syn.UseSetting());
    QStringList settings = {QStringLiteral("x")};
    syn.ListSettings(settings);
    EXPECT_TRUE(settings.isEmpty());
}
