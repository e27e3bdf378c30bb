// The colouring memo in a window: what it colours on screen as the text is
// appended, scrolled and typed, hot-spot clicks, custom-drawn keywords, and
// what long appended output costs it.

#include <QApplication>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <memory>

#include "components/ColorMemo.h"
#include "components/QcConst.h"

namespace {

const QString kErrorBegin = QStringLiteral("/*$$ ********  ERROR  *************");

class ColorMemoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(420, 260);
        memo = new TColorMemo(window.get());
        memo->setGeometry(0, 0, 420, 260);
        memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // The script runner's set-up: read-only, one rule for its error blocks.
    void RunnerRule(int keyMaxHeight = 1)
    {
        memo->setReadOnly(true);
        TDrawRules rules;
        TColorRule& rule = rules.Add();
        rule.setKeyBegEndLst({QStringLiteral("/*$$;$$*/")});
        rule.setKeyMaxHeight(keyMaxHeight);
        memo->setColorRules(rules);
    }

    static void Settle() { QCoreApplication::processEvents(); }

    // The text the runs cover, line by line.
    QStringList RunTexts() const
    {
        QStringList texts;
        const QString all = memo->document()->toPlainText();
        for (const TColorRun& run : memo->Runs())
            texts << all.mid(run.start, run.length);
        return texts;
    }

    int RedPixelsOnLine(int line) const
    {
        return PixelsOnLine(line, [](const QColor& c) {
            return c.red() > 150 && c.green() < 90 && c.blue() < 90;
        });
    }

    int BluePixelsOnLine(int line) const
    {
        return PixelsOnLine(line, [](const QColor& c) {
            return c.blue() > 150 && c.green() < 90 && c.red() < 90;
        });
    }

    // How many pixels of a colour the viewport shows on a line.
    template <typename Match>
    int PixelsOnLine(int line, Match match) const
    {
        const QImage shot = memo->viewport()->grab().toImage();
        QTextCursor cursor(memo->document()->findBlockByNumber(line));
        const QRect caret = memo->cursorRect(cursor);
        int found = 0;
        for (int y = qMax(0, caret.top()); y <= qMin(shot.height() - 1, caret.bottom()); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                found += match(shot.pixelColor(x, y));
            }
        }
        return found;
    }

    QPoint PointOf(int position) const
    {
        QTextCursor cursor(memo->document());
        cursor.setPosition(position);
        const QRect r = memo->cursorRect(cursor);
        return QPoint(r.left() + 2, r.center().y());
    }

    std::unique_ptr<QWidget> window;
    TColorMemo* memo = nullptr;
};

QString ErrorBlock(const QString& message)
{
    return kErrorBegin + QStringLiteral("\n") + message + QStringLiteral("\n $$*/");
}

} // namespace

TEST_F(ColorMemoTest, TheRunnersErrorBlocksAreRedOnScreenAndNothingElseIs)
{
    RunnerRule();
    memo->appendPlainText(QStringLiteral("create table T (A integer);"));
    memo->appendPlainText(ErrorBlock(QStringLiteral("Table unknown\nT2")));
    memo->appendPlainText(QStringLiteral("commit;"));
    Settle();

    EXPECT_EQ(RunTexts(), QStringList{ErrorBlock(QStringLiteral("Table unknown\nT2"))});
    ASSERT_EQ(memo->extraSelections().size(), 1);
    EXPECT_EQ(memo->extraSelections().front().format.foreground().color(), QColor(Qt::red));

    EXPECT_EQ(RedPixelsOnLine(0), 0);
    for (int line = 1; line <= 4; ++line)
        EXPECT_GT(RedPixelsOnLine(line), 20) << "line " << line;
    EXPECT_EQ(RedPixelsOnLine(5), 0);
}

TEST_F(ColorMemoTest, ScrollingPastTheBeginMarkerLeavesTheRestUncolouredWithinKeyMaxHeight)
{
    RunnerRule();
    int scrolls = 0;
    memo->OnVScroll = [&scrolls](QObject*) { ++scrolls; };
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("line %1").arg(i);
    lines[100] = kErrorBegin;
    lines[103] = QStringLiteral(" $$*/");
    int sideways = 0;
    memo->OnHScroll = [&sideways](QObject*) { ++sideways; };
    memo->setPlainText(lines.join(QLatin1Char('\n')) + QString(300, QLatin1Char('x')));
    Settle();
    memo->horizontalScrollBar()->setValue(20);
    memo->horizontalScrollBar()->setValue(0);
    EXPECT_EQ(sideways, 2);

    memo->verticalScrollBar()->setValue(98);
    Settle();
    EXPECT_EQ(memo->VisibleRange().firstLine, 98);
    EXPECT_EQ(memo->Runs().size(), 1u);
    EXPECT_GT(scrolls, 0);

    memo->verticalScrollBar()->setValue(101);
    Settle();
    EXPECT_TRUE(memo->Runs().empty()) << "the begin marker is above the first line";
    EXPECT_TRUE(memo->extraSelections().isEmpty());
    EXPECT_EQ(RedPixelsOnLine(102), 0);

    TDrawRules rules = memo->ColorRules();
    rules.Items(0).setKeyMaxHeight(3);
    memo->setColorRules(rules);
    Settle();
    EXPECT_EQ(RunTexts(), QStringList{QStringLiteral("line 101\nline 102\n $$*/")});
    EXPECT_GT(RedPixelsOnLine(102), 20);
}

TEST_F(ColorMemoTest, OneCharacterTypedAtTheEndRecoloursFromTheCaretLineOnly)
{
    QStringList lines;
    for (int i = 0; i < 8; ++i)
        lines << QStringLiteral("<<%1>>").arg(i);
    memo->setPlainText(lines.join(QLatin1Char('\n')));
    TDrawRules rules;
    rules.Add().setKeyBegEndLst({QStringLiteral("<<;>>")});
    memo->setColorRules(rules);
    Settle();
    EXPECT_EQ(memo->Runs().size(), 8u);
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);

    QTest::keyClicks(memo, QStringLiteral(" <<"));
    Settle();
    EXPECT_EQ(memo->LastScan().lines, 1) << "the caret line alone";
    QTest::keyClicks(memo, QStringLiteral("x>>"));
    Settle();
    EXPECT_EQ(memo->Runs().size(), 9u);
    EXPECT_EQ(RunTexts().back(), QStringLiteral("<<x>>"));
    EXPECT_EQ(RunTexts().front(), QStringLiteral("<<0>>")) << "the lines above keep theirs";

    memo->setRedrawAlways(true);
    QTest::keyClick(memo, Qt::Key_Space);
    Settle();
    EXPECT_EQ(memo->LastScan().lines, 8);
    memo->setRedrawAlways(false);
    QTest::keyClick(memo, Qt::Key_Return);
    Settle();
    EXPECT_EQ(memo->LastScan().lines, 9) << "a new line recolours the screen";
}

TEST_F(ColorMemoTest, AHotSpotClickReportsItsTextAndOtherClicksNothing)
{
    const QChar b(30);
    const QChar e(31);
    memo->setPlainText(QStringLiteral("table ") + b + QStringLiteral("ORDERS") + e
                       + QStringLiteral(" here\nopen ") + b + QStringLiteral("NOEND"));
    THotSpot hotSpot;
    hotSpot.Active = true;
    memo->setHotSpot(hotSpot);
    QStringList clicked;
    memo->OnHotSpotClick = [&clicked](QObject*, const QString& text) { clicked << text; };
    Settle();
    ASSERT_EQ(memo->Runs().size(), 3u);
    EXPECT_EQ(RunTexts()[1], QStringLiteral("ORDERS"));
    EXPECT_TRUE(memo->extraSelections()[1].format.fontUnderline());
    EXPECT_GT(BluePixelsOnLine(0), 20) << "shown although it touches its marker's run";

    const QPoint onOrders = PointOf(9);
    QTest::mouseMove(memo->viewport(), onOrders);
    EXPECT_EQ(memo->viewport()->cursor().shape(), CursorById(crHand).shape());
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, onOrders);
    EXPECT_EQ(clicked, QStringList{QStringLiteral("ORDERS")});

    const QPoint onHere = PointOf(17);
    QTest::mouseMove(memo->viewport(), onHere);
    EXPECT_EQ(memo->viewport()->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, onHere);
    const int noEnd = int(memo->document()->findBlockByNumber(1).position()) + 8;
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, PointOf(noEnd));
    EXPECT_EQ(clicked.size(), 1) << "neither outside nor without an end character";
}

TEST_F(ColorMemoTest, KeywordsOfAnEventDrawRuleGoToOnDrawKeyWithTheirRectangle)
{
    memo->setPlainText(QStringLiteral("select A from T\nselect B from T"));
    TDrawRules rules;
    TColorRule& rule = rules.Add();
    rule.setKeyDrawingType(TKeyDrawingType::dtEventDraw);
    rule.setKeywords({QStringLiteral("FROM")});
    memo->setColorRules(rules);
    QStringList keys;
    QList<QRect> rects;
    int draws = 0;
    memo->OnDraw = [&draws](QObject*, QPainter&) { ++draws; };
    memo->OnDrawKey = [&](QObject*, QPainter&, const QRect& rect, const QString& key) {
        keys << key;
        rects << rect;
    };
    Settle();
    EXPECT_TRUE(memo->extraSelections().isEmpty()) << "their owner draws them";
    keys.clear();
    draws = 0;
    memo->viewport()->repaint();
    EXPECT_EQ(draws, 1);
    ASSERT_EQ(keys, (QStringList{QStringLiteral("from"), QStringLiteral("from")}));
    const int charWidth = memo->fontMetrics().horizontalAdvance(QLatin1Char('m'));
    EXPECT_NEAR(rects[0].width(), 4 * charWidth, 2);
    EXPECT_EQ(rects[0].left(), rects[1].left());
    EXPECT_GT(rects[1].top(), rects[0].top());
}

TEST_F(ColorMemoTest, AMovingKeyCollapsesTheSelectionToItsEnd)
{
    memo->setPlainText(QStringLiteral("abcdef\nghijkl"));
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Left);
    EXPECT_FALSE(memo->textCursor().hasSelection());
    EXPECT_EQ(memo->textCursor().position(), 3);

    cursor.setPosition(1);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
    QTest::keyClick(memo, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(memo->textCursor().selectedText(), QStringLiteral("bcde")) << "Shift extends";
}

TEST_F(ColorMemoTest, AppendingManyLinesInBatchesCostsTheLinesOnScreenPerBatch)
{
    RunnerRule();
    constexpr int kBatches = 100;
    constexpr int kBatchLines = 1000;
    qint64 textChars = 0;
    for (int batch = 0; batch < kBatches; ++batch) {
        QStringList lines;
        for (int i = 0; i < kBatchLines; ++i) {
            const int n = batch * kBatchLines + i;
            lines << (i == kBatchLines - 4 ? ErrorBlock(QStringLiteral("failed %1").arg(n))
                                           : QStringLiteral("insert into T values (%1);").arg(n));
        }
        const QString text = lines.join(QLatin1Char('\n'));
        textChars += text.size();
        memo->appendPlainText(text);
        Settle();
    }
    EXPECT_GE(memo->document()->blockCount(), kBatches * kBatchLines);
    EXPECT_GE(memo->ColorPasses(), kBatches) << "each batch was coloured";
    // Colouring the whole text once per batch would read about 50 times the
    // text; the screen is some 15 lines of 30 characters.
    EXPECT_LT(memo->ScannedChars(), qint64(kBatches) * 4 * 40 * 30);
    EXPECT_LT(memo->ScannedChars(), textChars / 10);

    // The output ends with an error block, on screen and red.
    const TColorRange range = memo->VisibleRange();
    EXPECT_EQ(range.lastLine, memo->document()->blockCount() - 1);
    ASSERT_FALSE(memo->Runs().empty());
    EXPECT_TRUE(RunTexts().back().startsWith(kErrorBegin));
}
