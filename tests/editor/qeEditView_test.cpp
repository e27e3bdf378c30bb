// Caret, block and scroll position without a window: clamping, selection
// text, replacing the selection, marks following the text.
#include "editor/qeEditList.h"
#include "editor/qeEditView.h"
#include "editor/qeGeneralSyn.h"
#include "editor/qeMarks.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class EditView : public ::testing::Test
{
protected:
    EditView()
    {
        view.SetWindowSize(80, 25);
    }
    TqeEditList lines;
    TMarkList marks;
    TqeEditView view {&lines, &marks};

    TMark* addMark(int line, int bookmark = -1)
    {
        auto mark = std::make_unique<TMark>();
        mark->SetLine(line);
        mark->SetBookmarkNumber(bookmark);
        TMark* raw = mark.get();
        marks.Add(std::move(mark));
        return raw;
    }
};

} // namespace

TEST_F(EditView, SettingTheTextResetsCaretAndScrollPosition)
{
    lines.SetText(QStringLiteral("a\r\nb\r\nc"));
    view.SetCaretXY({3, 2});
    view.SetTopLine(2);
    lines.SetText(QStringLiteral("one\r\ntwo\r\nthree"));
    EXPECT_EQ(view.CaretXY(), QPoint(1, 1));
    EXPECT_EQ(view.TopLine(), 1);
    EXPECT_EQ(view.LeftChar(), 1);
}

TEST_F(EditView, CaretBeyondTheLineEndOnlyWithScrollPastEOL)
{
    lines.SetText(QStringLiteral("\r\nabc"));
    view.SetCaretX(200);
    EXPECT_EQ(view.CaretX(), 200);
    view.SetScrollPastEOL(false);
    EXPECT_EQ(view.CaretX(), 1);
    view.SetCaretX(200);
    EXPECT_EQ(view.CaretX(), 1);
    view.SetCaretY(2);
    view.SetCaretX(200);
    EXPECT_EQ(view.CaretX(), 4);
    view.SetCaretX(-5);
    EXPECT_EQ(view.CaretX(), 1);
}

TEST_F(EditView, CaretLineAndTopLineAreClamped)
{
    lines.SetText(QStringLiteral("a\r\nb\r\nc"));
    view.SetCaretY(10);
    EXPECT_EQ(view.CaretY(), 3);
    view.SetCaretY(0);
    EXPECT_EQ(view.CaretY(), 1);
    view.SetTopLine(99);
    EXPECT_EQ(view.TopLine(), 3);
    view.SetLeftChar(-3);
    EXPECT_EQ(view.LeftChar(), 1);
    view.SetLeftChar(5000);
    EXPECT_EQ(view.LeftChar(), view.MaxLineWidth() - 80);
}

TEST_F(EditView, MovingTheCaretScrollsItIntoView)
{
    QStringList many;
    for (int i = 0; i < 200; ++i)
        many.append(QString::number(i));
    lines.Assign(many);
    view.SetCaretXY({1, 100});
    EXPECT_EQ(view.TopLine(), 100 - 25 + 1);
    view.SetCaretXY({1, 10});
    EXPECT_EQ(view.TopLine(), 10);
    view.SetCaretX(300);
    EXPECT_EQ(view.LeftChar(), 300 - 80 + 1);
    view.SetCaretX(81 + 220);  // one past the last whole column stays
    EXPECT_EQ(view.LeftChar(), 221);
    view.SetCaretX(5);
    EXPECT_EQ(view.LeftChar(), 5);
}

TEST_F(EditView, LongLinesCanBeReachedToTheirLastColumn)
{
    const QString longLine(5000, QLatin1Char('x'));
    lines.SetText(QStringLiteral("short\r\n") + longLine);
    EXPECT_GE(view.MaxLineWidth(), 5001 + 80);
    view.SetCaretXY({5001, 2});
    EXPECT_EQ(view.CaretX(), 5001);
    EXPECT_GE(view.LeftChar() + view.CharsInWindow(), 5001);
    view.SetBlockBegin({1, 2});
    view.SetBlockEnd({5001, 2});
    EXPECT_EQ(view.SelText(), longLine);
    view.SetScrollPastEOL(false);
    view.SetCaretX(5001);
    EXPECT_EQ(view.CaretX(), 5001);
    // With no long line the old limit of 1024 columns holds.
    lines.SetText(QStringLiteral("a"));
    EXPECT_EQ(view.MaxLineWidth(), TqeEditView::kMinMaxLineWidth);
}

TEST_F(EditView, ZeroSizedWindowAndEmptyText)
{
    view.SetWindowSize(0, 0);
    lines.SetText(QString());
    ASSERT_EQ(lines.Count(), 0);
    view.SetCaretXY({10, 10});
    EXPECT_EQ(view.CaretY(), 1);
    EXPECT_EQ(view.CaretX(), 10);
    EXPECT_EQ(view.LeftChar(), 10);
    EXPECT_EQ(view.TopLine(), 1);
    view.SetBlockBegin({1, 1});
    view.SetBlockEnd({5, 3});
    EXPECT_EQ(view.SelText(), QString());
    view.SetSelText(QStringLiteral("x\r\ny"));
    EXPECT_EQ(lines.ToStringList(), (QStringList{"x", "y"}));
    view.SetWindowSize(-4, -1);
    EXPECT_EQ(view.CharsInWindow(), 0);
}

TEST_F(EditView, BlockEndsAreClampedAndUnordered)
{
    lines.SetText(QStringLiteral("first line\r\nsecond line"));
    view.SetBlockBegin({5, 2});
    view.SetBlockEnd({3, 1});
    EXPECT_EQ(view.SelStart(), QPoint(3, 1));
    EXPECT_EQ(view.SelEnd(), QPoint(5, 2));
    EXPECT_EQ(view.SelText(), QStringLiteral("rst line\r\nseco"));
    view.SetBlockEnd({99999, 99});
    EXPECT_EQ(view.BlockEnd(), QPoint(view.MaxLineWidth(), 2));
    view.SetBlockBegin({0, 0});
    EXPECT_EQ(view.BlockBegin(), QPoint(1, 1));
    EXPECT_FALSE(view.SelAvail());
}

TEST_F(EditView, SelTextOfOneLineAndOfSeveral)
{
    lines.SetText(QStringLiteral("abcdef\r\nmiddle\r\nxyz"));
    view.SetBlockBegin({2, 1});
    view.SetBlockEnd({5, 1});
    EXPECT_EQ(view.SelText(), QStringLiteral("bcd"));
    view.SetBlockEnd({3, 3});
    EXPECT_EQ(view.SelText(), QStringLiteral("bcdef\r\nmiddle\r\nxy"));
    view.SetBlockEnd({20, 1});
    EXPECT_EQ(view.SelText(), QStringLiteral("bcdef"));
}

TEST_F(EditView, SettingSelTextToThreeLinesGivesThreeLines)
{
    lines.SetText(QString());
    view.SetSelText(QStringLiteral("one\r\ntwo\r\nthree"));
    EXPECT_EQ(lines.ToStringList(), (QStringList{"one", "two", "three"}));
    EXPECT_EQ(view.CaretXY(), QPoint(6, 3));
}

TEST_F(EditView, InsertedTextSplitsTheCaretLine)
{
    lines.SetText(QStringLiteral("head tail"));
    view.SetCaretXY({6, 1});
    view.SetSelText(QStringLiteral("A\nB\nC "));
    EXPECT_EQ(lines.ToStringList(), (QStringList{"head A", "B", "C tail"}));
    EXPECT_EQ(view.CaretXY(), QPoint(3, 3));
    EXPECT_FALSE(view.SelAvail());
}

TEST_F(EditView, InsertingBeyondTheLineEndPadsWithBlanks)
{
    lines.SetText(QStringLiteral("ab"));
    view.SetCaretXY({6, 1});
    view.SetSelText(QStringLiteral("x"));
    EXPECT_EQ(lines.Strings(0), QStringLiteral("ab   x"));
    EXPECT_EQ(view.CaretX(), 7);
}

TEST_F(EditView, ReplacingASelectionJoinsAndTrims)
{
    lines.SetText(QStringLiteral("keep this   \r\ndrop\r\nall of  tail"));
    view.SetBlockBegin({6, 1});
    view.SetBlockEnd({8, 3});
    view.SetSelText(QString());
    EXPECT_EQ(lines.ToStringList(), (QStringList{"keep  tail"}));
    EXPECT_EQ(view.CaretXY(), QPoint(6, 1));

    lines.SetText(QStringLiteral("abc   \r\nxyz"));
    view.SetBlockBegin({4, 1});
    view.SetBlockEnd({1, 2});
    view.SetSelText(QString());
    EXPECT_EQ(lines.ToStringList(), (QStringList{"abcxyz"}));
}

TEST_F(EditView, EveryChangeOfTheLinesCollapsesTheBlockOntoTheCaret)
{
    lines.SetText(QStringLiteral("abc\r\ndef"));
    view.SetCaretXY({2, 2});
    view.SetBlockBegin({1, 1});
    view.SetBlockEnd({3, 1});
    ASSERT_TRUE(view.SelAvail());
    lines.Put(0, QStringLiteral("changed"));
    EXPECT_FALSE(view.SelAvail());
    EXPECT_EQ(view.BlockBegin(), QPoint(2, 2));
}

TEST_F(EditView, MarksFollowDeletedAndInsertedLines)
{
    lines.SetText(QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n6"));
    TMark* between = addMark(3);
    TMark* onLast = addMark(4);
    TMark* below = addMark(6, 2);
    TMark* above = addMark(1);
    view.SetBlockBegin({1, 2});
    view.SetBlockEnd({1, 4});
    view.SetSelText(QString());
    EXPECT_EQ(lines.ToStringList(), (QStringList{"1", "4", "5", "6"}));
    EXPECT_EQ(between->Line(), 2);
    EXPECT_EQ(onLast->Line(), 2);
    EXPECT_EQ(below->Line(), 4);
    EXPECT_EQ(above->Line(), 1);

    view.SetCaretXY({1, 2});
    view.SetSelText(QStringLiteral("a\r\nb\r\n"));
    EXPECT_EQ(lines.ToStringList(), (QStringList{"1", "a", "b", "4", "5", "6"}));
    EXPECT_EQ(onLast->Line(), 4);
    EXPECT_EQ(below->Line(), 6);
    EXPECT_EQ(above->Line(), 1);
}

TEST_F(EditView, SelectionSignalsNameTheLinesToRepaint)
{
    lines.SetText(QStringLiteral("a\r\nb\r\nc\r\nd"));
    QSignalSpy spy(&view, &TqeEditView::SelectionChanged);
    view.SetBlockBegin({1, 2});
    EXPECT_EQ(spy.count(), 0);
    view.SetBlockEnd({1, 4});
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 2);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 4);
    view.SetBlockBegin({1, 1});
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 2);
    EXPECT_EQ(spy.at(1).at(1).toInt(), 4);
}

TEST_F(EditView, SelectionOnEachLineForPainting)
{
    lines.SetText(QStringLiteral("abcdef\r\nmiddle\r\nxy"));
    view.SetBlockBegin({3, 1});
    view.SetBlockEnd({5, 3});
    auto s = view.SelectionOnLine(1);
    EXPECT_TRUE(s.any && s.fillRest);
    EXPECT_EQ(s.from, 2);
    s = view.SelectionOnLine(2);
    EXPECT_TRUE(s.fillRest);
    EXPECT_EQ(s.from, 0);
    s = view.SelectionOnLine(3);
    EXPECT_FALSE(s.fillRest);
    EXPECT_EQ(s.to, 2);  // clipped to the line
    EXPECT_FALSE(view.SelectionOnLine(4).any);
    view.SetBlockBegin({2, 2});
    view.SetBlockEnd({4, 2});
    s = view.SelectionOnLine(2);
    EXPECT_EQ(s.from, 1);
    EXPECT_EQ(s.to, 3);
}

TEST(EditViewScan, RandomReplacementsKeepTheStatesOfAFullRescan)
{
    TqeGeneralSyn syn;
    syn.SetComments(csCStyle);
    TqeEditList lines;
    lines.SetHighlighter(&syn);
    TqeEditView view(&lines, nullptr);
    view.SetWindowSize(40, 10);
    QRandomGenerator rng(77);
    const QStringList pieces = {QStringLiteral("a"), QStringLiteral("/*"), QStringLiteral("*/"), QStringLiteral("\r\n"),
                                QStringLiteral("'q'"), QStringLiteral(" "), QStringLiteral("\n"), QStringLiteral("/"),
                                QStringLiteral("q'{"), QStringLiteral("}'")};
    lines.SetText(QStringLiteral("start /*\r\nmiddle\r\nend */ x"));
    for (int step = 0; step < 2000; ++step) {
        const int count = std::max(1, lines.Count());
        view.SetBlockBegin({1 + rng.bounded(12), 1 + rng.bounded(count)});
        view.SetBlockEnd({1 + rng.bounded(12), 1 + rng.bounded(count)});
        view.SetCaretXY(view.SelStart());
        QString text;
        for (int i = rng.bounded(6); i > 0; --i)
            text += pieces.at(rng.bounded(pieces.size()));
        view.SetSelText(text);
        // The states a scan from the top gives.
        std::vector<int> expected;
        syn.ResetRange();
        for (int i = 0; i < lines.Count(); ++i) {
            expected.push_back(syn.GetRange());
            syn.SetLine(lines.Strings(i));
            while (!syn.GetEol())
                syn.Next();
        }
        std::vector<int> stored;
        for (int i = 0; i < lines.Count(); ++i)
            stored.push_back(lines.Objects(i));
        ASSERT_EQ(stored, expected) << "step " << step;
    }
}
