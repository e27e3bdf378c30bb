// The colouring memo's rules and the scan that finds what they colour,
// without a window.

#include <QStringList>
#include <gtest/gtest.h>

#include <vector>

#include "components/ColorScan.h"

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;

TDrawRules ErrorBlockRules(int keyMaxHeight = 1)
{
    TDrawRules rules;
    TColorRule& rule = rules.Add();
    rule.setKeyBegEndLst({QStringLiteral("/*$$;$$*/")});
    rule.setKeyMaxHeight(keyMaxHeight);
    return rules;
}

// The text each run covers, read back from the lines.
QStringList RunTexts(const TColorLines& lines, const std::vector<TColorRun>& runs)
{
    QString whole;
    for (int i = 0; i < lines.LineCount(); ++i)
        whole += lines.LineText(i) + QLatin1Char('\n');
    QStringList texts;
    for (const TColorRun& run : runs)
        texts << whole.mid(run.start, run.length);
    return texts;
}

std::vector<TColorRun> Scan(const TColorLines& lines, const TDrawRules& rules, int first, int last,
                            const THotSpot& hotSpot = {})
{
    return ScanColorRuns(lines, rules, hotSpot, TColorRange{first, last});
}

const TColorLines kErrorScript(QStringList{
    QStringLiteral("create table T (A integer);"),          // 0
    QStringLiteral("insert into T values (1);"),             // 1
    QStringLiteral("/*$$ ********  ERROR  *************"),   // 2
    QStringLiteral("Table unknown"),                         // 3
    QStringLiteral("T2"),                                    // 4
    QStringLiteral(" $$*/"),                                 // 5
    QStringLiteral("commit;"),                               // 6
    QStringLiteral("select * from T;"),                      // 7
});

} // namespace

// --- colours and lists ------------------------------------------------------

TEST(ColorRules, ColoursAreNamesOrRrggbbNumbersAndAnythingElseIsNone)
{
    EXPECT_EQ(ParseRuleColor(QStringLiteral("LIME")), kGreen);
    EXPECT_EQ(ParseRuleColor(QStringLiteral("00FF00")), kGreen);
    EXPECT_EQ(ParseRuleColor(QStringLiteral("#00FF00")), kGreen);
    EXPECT_EQ(ParseRuleColor(QStringLiteral(" $00ff00 ")), kGreen);
    EXPECT_EQ(ParseRuleColor(QStringLiteral("red")), kRed);
    // RRGGBB as written becomes 0x00BBGGRR.
    EXPECT_EQ(ParseRuleColor(QStringLiteral("FF0000")), kRed);
    EXPECT_EQ(ParseRuleColor(QStringLiteral("#123456")), TColor(0x563412));
    EXPECT_EQ(ParseRuleColor(QStringLiteral("navy")), TColor(0x800000));

    for (const char* bad : {"", "ORANGE", "GG0000", "1234567", "-12", "#", "$ 12", "0x12"})
        EXPECT_EQ(ParseRuleColor(QString::fromLatin1(bad)), std::nullopt) << bad;
}

TEST(ColorRules, MarkerPairLinesAreSplitCutAndCounted)
{
    TColorRule rule;
    rule.setKeyBegEndLst({QStringLiteral("/*$$;$$*/"), QStringLiteral("<<;>>;lime"),
                          QStringLiteral("BEGINNING;FINISHED;#0000FF"),
                          QStringLiteral("[;];orange")});
    const std::vector<TColorMarker>& table = rule.PairTable();
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].begin, QStringLiteral("/*$$"));
    EXPECT_EQ(table[0].end, QStringLiteral("$$*/"));
    EXPECT_EQ(rule.ColorOf(table[0].color), kRed) << "no colour: the rule's default";
    EXPECT_EQ(rule.ColorOf(table[1].color), kGreen);
    EXPECT_EQ(table[2].begin, QStringLiteral("BEGINN")) << "markers are cut to 6";
    EXPECT_EQ(table[2].end, QStringLiteral("FINISH"));
    EXPECT_EQ(rule.ColorOf(table[2].color), TColor(0xFF0000));
    EXPECT_EQ(rule.ColorOf(table[3].color), kRed) << "an unreadable colour: the default";
    rule.setDefKeyColor(kGreen);
    EXPECT_EQ(rule.ColorOf(table[3].color), kGreen);

    QStringList many;
    for (int i = 0; i < 45; ++i)
        many << QStringLiteral("<%1;>%1").arg(i);
    rule.setKeyBegEndLst(many);
    EXPECT_EQ(rule.PairTable().size(), size_t(TColorRule::MaxMarkers));
    EXPECT_EQ(rule.KeyBegEndLst(), many) << "the list itself is kept whole";
}

TEST(ColorRules, MalformedPairLinesAndEmptyEndMarkersGiveEmptyEntries)
{
    TColorRule rule;
    rule.setKeyBegEndLst({QStringLiteral("<<;>>"), QStringLiteral("no semicolon"),
                          QStringLiteral(";starts with one"), QStringLiteral("/*;"),
                          QStringLiteral("/*;;red")});
    const std::vector<TColorMarker>& table = rule.PairTable();
    ASSERT_EQ(table.size(), 5u);
    EXPECT_FALSE(table[0].isEmpty());
    for (size_t i = 1; i < table.size(); ++i)
        EXPECT_TRUE(table[i].isEmpty()) << i;
}

TEST(ColorRules, LineMarkersAndKeywords)
{
    TColorRule rule;
    rule.setKeyLineEndLst({QStringLiteral("--;green"), QStringLiteral(";;blue"),
                           QStringLiteral("REM"), QStringLiteral(";red")});
    const std::vector<TColorMarker>& markers = rule.LineTable();
    ASSERT_EQ(markers.size(), 4u);
    EXPECT_EQ(markers[0].begin, QStringLiteral("--"));
    EXPECT_EQ(rule.ColorOf(markers[0].color), TColor(0x008000));
    EXPECT_EQ(markers[1].begin, QStringLiteral(";"));
    EXPECT_EQ(rule.ColorOf(markers[1].color), TColor(0xFF0000));
    EXPECT_EQ(markers[2].begin, QStringLiteral("REM"));
    EXPECT_TRUE(markers[3].isEmpty()) << "an empty marker would match everywhere";

    rule.setKeywords({QStringLiteral("  select ; lime"), QStringLiteral("From"), QString()});
    ASSERT_EQ(rule.KeywordTable().size(), 2u);
    EXPECT_EQ(rule.KeywordTable()[0].word, QStringLiteral("SELECT"));
    EXPECT_EQ(rule.KeywordTable()[1].word, QStringLiteral("FROM"));
    rule.setKeyCase(true);
    EXPECT_EQ(rule.KeywordTable()[1].word, QStringLiteral("From"));
}

// --- marker pairs -----------------------------------------------------------

TEST(ColorScan, ABlockIsColouredFromItsBeginToItsEndMarkerOnEveryLine)
{
    const std::vector<TColorRun> runs = Scan(kErrorScript, ErrorBlockRules(), 0, 7);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].color, kRed);
    EXPECT_EQ(runs[0].start, kErrorScript.LineStart(2));
    EXPECT_EQ(runs[0].end(), kErrorScript.LineStart(5) + 5);
    EXPECT_EQ(RunTexts(kErrorScript, runs).front(),
              QStringLiteral("/*$$ ********  ERROR  *************\nTable unknown\nT2\n $$*/"));
}

TEST(ColorScan, ABlockWhoseBeginScrolledAwayIsColouredOnlyWithinKeyMaxHeight)
{
    EXPECT_TRUE(Scan(kErrorScript, ErrorBlockRules(1), 3, 7).empty());

    const std::vector<TColorRun> runs = Scan(kErrorScript, ErrorBlockRules(2), 3, 7);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].start, kErrorScript.LineStart(3)) << "nothing above the first line";
    EXPECT_EQ(runs[0].end(), kErrorScript.LineStart(5) + 5);

    EXPECT_TRUE(Scan(kErrorScript, ErrorBlockRules(2), 4, 7).empty());
    EXPECT_EQ(Scan(kErrorScript, ErrorBlockRules(3), 4, 7).size(), 1u);
}

TEST(ColorScan, ABlockEndingBelowTheScreenIsColouredToTheLastLineShown)
{
    const std::vector<TColorRun> runs = Scan(kErrorScript, ErrorBlockRules(), 0, 3);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].start, kErrorScript.LineStart(2));
    EXPECT_EQ(runs[0].end(), kErrorScript.LineStart(3) + 13) << "clipped to line 3";
}

TEST(ColorScan, ABeginMarkerWithoutEndColoursNothingFromThereOn)
{
    const TColorLines lines(QStringList{
        QStringLiteral("/*$$ one $$*/ /*$$ open"),
        QStringLiteral("text"),
        QStringLiteral("/*$$ closed later $$*/"),
    });
    // The third line's block ends with the marker that the open one waits
    // for, so the open one runs to it.
    std::vector<TColorRun> runs = Scan(lines, ErrorBlockRules(), 0, 2);
    EXPECT_EQ(RunTexts(lines, runs),
              (QStringList{QStringLiteral("/*$$ one $$*/"),
                           QStringLiteral("/*$$ open\ntext\n/*$$ closed later $$*/")}));

    const TColorLines dangling(QStringList{
        QStringLiteral("/*$$ one $$*/ /*$$ open"),
        QStringLiteral("text /*$$ never closed"),
    });
    runs = Scan(dangling, ErrorBlockRules(), 0, 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(RunTexts(dangling, runs).front(), QStringLiteral("/*$$ one $$*/"));
}

TEST(ColorScan, AnEmptyEntryEndsTheSearchAndAnEmptyEndMarkerNeverHangs)
{
    const TColorLines lines(QStringList{QStringLiteral("<< a >> /* b */ [[ c ]]")});
    TDrawRules rules;
    TColorRule& rule = rules.Add();
    rule.setKeyBegEndLst({QStringLiteral("<<;>>"), QStringLiteral("/*;"),
                          QStringLiteral("[[;]]")});
    std::vector<TColorRun> runs = Scan(lines, rules, 0, 0);
    EXPECT_EQ(RunTexts(lines, runs), QStringList{QStringLiteral("<< a >>")});

    rule.setKeyBegEndLst({QStringLiteral("/*;"), QStringLiteral("<<;>>")});
    EXPECT_TRUE(Scan(lines, rules, 0, 0).empty());
    EXPECT_FALSE(rule.HasEntries());

    rule.setKeyBegEndLst({QStringLiteral("<<;>>;lime"), QStringLiteral("[[;]];navy")});
    runs = Scan(lines, rules, 0, 0);
    EXPECT_EQ(RunTexts(lines, runs), (QStringList{QStringLiteral("<< a >>"),
                                                  QStringLiteral("[[ c ]]")}));
    EXPECT_EQ(runs[0].color, kGreen);
    EXPECT_EQ(runs[1].color, TColor(0x800000));
}

TEST(ColorScan, HigherZOrderWinsAndTheLaterRuleWinsATie)
{
    const TColorLines lines(QStringList{QStringLiteral("aa <<bb [cc] dd>> ee")});
    TDrawRules rules;
    TColorRule& outer = rules.Add();
    outer.setKeyBegEndLst({QStringLiteral("<<;>>;red")});
    TColorRule& inner = rules.Add();
    inner.setKeyBegEndLst({QStringLiteral("[;];lime")});

    std::vector<TColorRun> runs = Scan(lines, rules, 0, 0);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(RunTexts(lines, runs),
              (QStringList{QStringLiteral("<<bb "), QStringLiteral("[cc]"), QStringLiteral(" dd>>")}));
    EXPECT_EQ(runs[1].color, kGreen);

    rules.Items(0).setZOrder(1);
    runs = Scan(lines, rules, 0, 0);
    ASSERT_EQ(runs.size(), 1u) << "the outer block covers the inner one";
    EXPECT_EQ(runs[0].color, kRed);

    rules.Items(0).setEnabled(false);
    EXPECT_EQ(RunTexts(lines, Scan(lines, rules, 0, 0)), QStringList{QStringLiteral("[cc]")});
}

// --- keywords and line markers ---------------------------------------------

TEST(ColorScan, KeywordsMatchWholeWordsAndCaseAsTheRuleSays)
{
    const TColorLines lines(QStringList{QStringLiteral("Select selected, SELECT_1 from x1select")});
    TDrawRules rules;
    TColorRule& rule = rules.Add();
    rule.setKeyDrawingType(TKeyDrawingType::dtKeyShow);
    rule.setKeywords({QStringLiteral("select;lime")});

    EXPECT_EQ(RunTexts(lines, Scan(lines, rules, 0, 0)),
              (QStringList{QStringLiteral("Select"), QStringLiteral("SELECT"),
                           QStringLiteral("select")}))
        << "underscore and digits are no letters";

    rule.setKeyCase(true);
    EXPECT_EQ(RunTexts(lines, Scan(lines, rules, 0, 0)), QStringList{QStringLiteral("select")});

    rule.setKeyCase(false);
    rule.setPartWord(true);
    EXPECT_EQ(Scan(lines, rules, 0, 0).size(), 4u);

    rule.setKeyDrawingType(TKeyDrawingType::dtEventDraw);
    for (const TColorRun& run : Scan(lines, rules, 0, 0))
        EXPECT_EQ(run.kind, TColorRunKind::CustomDraw);
}

TEST(ColorScan, LineMarkersColourToTheEndOfTheirLine)
{
    const TColorLines lines(QStringList{QStringLiteral("select 1; -- first"),
                                        QStringLiteral("REM all of it -- too"),
                                        QStringLiteral("plain")});
    TDrawRules rules;
    TColorRule& rule = rules.Add();
    rule.setKeyDrawingType(TKeyDrawingType::dtBeginLineEnd);
    rule.setKeyLineEndLst({QStringLiteral("--;green"), QStringLiteral("REM;red")});
    const std::vector<TColorRun> runs = Scan(lines, rules, 0, 2);
    EXPECT_EQ(RunTexts(lines, runs),
              (QStringList{QStringLiteral("-- first"), QStringLiteral("REM all of it -- too")}));
    EXPECT_EQ(runs[0].color, TColor(0x008000));
    EXPECT_EQ(runs[1].color, kRed);
}

// --- hot spots --------------------------------------------------------------

TEST(ColorScan, HotSpotsShowTheirTextAndHideTheirMarkers)
{
    const QChar b(30);
    const QChar e(31);
    const TColorLines lines(QStringList{QStringLiteral("see ") + b + QStringLiteral("T1") + e
                                            + QStringLiteral(" and ") + b + QStringLiteral("open"),
                                        e + QStringLiteral(" next line")});
    THotSpot hotSpot;
    hotSpot.Active = true;
    const std::vector<TColorRun> runs = Scan(lines, TDrawRules(), 0, 1, hotSpot);
    ASSERT_EQ(runs.size(), 3u) << "a hot spot never spans lines";
    EXPECT_EQ(runs[0].kind, TColorRunKind::HotSpotMarker);
    EXPECT_EQ(runs[0].color, clWindow);
    EXPECT_EQ(runs[1].kind, TColorRunKind::HotSpotText);
    EXPECT_EQ(runs[1].color, TColor(0xFF0000));
    EXPECT_EQ(RunTexts(lines, runs)[1], QStringLiteral("T1"));
    EXPECT_EQ(runs[2].kind, TColorRunKind::HotSpotMarker);

    hotSpot.Active = false;
    EXPECT_TRUE(Scan(lines, TDrawRules(), 0, 1, hotSpot).empty());
}

TEST(ColorScan, AHotSpotClickNeedsBothDelimitersAroundIt)
{
    const QChar b(30);
    const QChar e(31);
    const THotSpot hotSpot;
    const QString line = QStringLiteral("x ") + b + QStringLiteral("T1") + e + QStringLiteral(" y ")
        + b + QStringLiteral("open");
    EXPECT_EQ(HotSpotTextAt(line, 3, hotSpot), QStringLiteral("T1")) << "just after the begin";
    EXPECT_EQ(HotSpotTextAt(line, 5, hotSpot), QStringLiteral("T1")) << "just before the end";
    EXPECT_EQ(HotSpotTextAt(line, 2, hotSpot), std::nullopt) << "before the begin";
    EXPECT_EQ(HotSpotTextAt(line, 7, hotSpot), std::nullopt) << "past the end";
    EXPECT_EQ(HotSpotTextAt(line, int(line.size()), hotSpot), std::nullopt) << "no end after it";
    EXPECT_EQ(HotSpotTextAt(QStringLiteral("T1") + e, 1, hotSpot), std::nullopt) << "no begin";
    EXPECT_EQ(HotSpotTextAt(QString(b) + e, 1, hotSpot), QString()) << "empty, but a hot spot";
    EXPECT_EQ(HotSpotTextAt(line, 99, hotSpot), std::nullopt);
    EXPECT_EQ(HotSpotTextAt(QString(), 0, hotSpot), std::nullopt);
}

// --- cost -------------------------------------------------------------------

TEST(ColorScan, AScanReadsTheLinesOnScreenNotTheWholeText)
{
    QStringList text;
    for (int i = 0; i < 100000; ++i)
        text << (i % 10 == 5 ? QStringLiteral("/*$$ error %1 $$*/").arg(i)
                             : QStringLiteral("insert into T values (%1);").arg(i));
    const TColorLines lines(text);
    TColorScanStats stats;
    const std::vector<TColorRun> runs =
        ScanColorRuns(lines, ErrorBlockRules(3), THotSpot(), TColorRange{50000, 50039}, &stats);
    EXPECT_EQ(runs.size(), 4u);
    EXPECT_EQ(stats.lines, 42) << "40 lines shown, 2 above them for KeyMaxHeight 3";
    EXPECT_LT(stats.chars, 42 * 40);

    // A block left open on screen looks for its end below it, and only there.
    for (QString& line : text)
        line = QStringLiteral("insert into T values (0);");
    text[50039] = QStringLiteral("/*$$ open");
    text[50100] = QStringLiteral("$$*/");
    const TColorLines open(text);
    ScanColorRuns(open, ErrorBlockRules(), THotSpot(), TColorRange{50000, 50039}, &stats);
    EXPECT_EQ(stats.lines, 40 + 61);
}
