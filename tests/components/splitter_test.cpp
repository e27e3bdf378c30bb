// The splitter: kinds and cursors, dragging each kind, limits, Esc, the
// position events, and controls or windows that go away during a drag.

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "components/AlignLayout.h"
#include "components/Splitter.h"
#include "platform/DialogScript.h"

namespace {

// The SQL editor's arrangement: the text fills the window, the plan view
// sits at the bottom and the splitter just above it.
class BottomSplitterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = std::make_unique<QWidget>();
        form->resize(400, 300);
        layout = new AlignLayout(form.get());
        text = new QWidget(form.get());
        layout->addWidget(text, TAlign::alClient);
        plan = new QWidget(form.get());
        plan->resize(10, 100);
        layout->addWidget(plan, TAlign::alBottom);
        split = new TQcSplitter(form.get());
        split->setAlign(TAlign::alBottom);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    void drag(const QPoint& from, const QPoint& to)
    {
        QTest::mousePress(split, Qt::LeftButton, {}, from);
        QTest::mouseMove(split, to);
        QTest::mouseRelease(split, Qt::LeftButton, {}, to);
    }

    std::unique_ptr<QWidget> form;
    AlignLayout* layout = nullptr;
    QWidget* text = nullptr;
    QWidget* plan = nullptr;
    TQcSplitter* split = nullptr;
};

} // namespace

TEST_F(BottomSplitterTest, AligningFindsTheControlBesideTheBarAndMakesItThin)
{
    EXPECT_EQ(split->ControlFirst(), plan);
    EXPECT_EQ(split->ControlSecond(), nullptr);
    EXPECT_EQ(split->geometry(), QRect(0, 197, 400, 3));
    EXPECT_EQ(split->SplitterKind(), 1);
    EXPECT_EQ(split->cursor().shape(), Qt::SplitVCursor);
    EXPECT_EQ(text->geometry(), QRect(0, 0, 400, 197));
}

TEST_F(BottomSplitterTest, DraggingUpFortyPixelsMakesTheControlFortyTaller)
{
    int changed = 0;
    split->OnPosChanged = [&](QObject* sender) {
        EXPECT_EQ(sender, split);
        ++changed;
    };
    drag(QPoint(10, 1), QPoint(10, -39));
    EXPECT_EQ(plan->height(), 140);
    EXPECT_EQ(plan->geometry(), QRect(0, 160, 400, 140));
    EXPECT_EQ(split->geometry(), QRect(0, 157, 400, 3));
    EXPECT_EQ(text->geometry(), QRect(0, 0, 400, 157));
    EXPECT_EQ(changed, 1);
    EXPECT_FALSE(split->Sizing());
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("SizingLine")), nullptr);
}

TEST_F(BottomSplitterTest, TheLineFollowsTheMouseWhileDragging)
{
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    ASSERT_TRUE(split->Sizing());
    const QWidget* line = form->findChild<QWidget*>(QStringLiteral("SizingLine"));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(split->SizingLineOrigin(), QPoint(200, 198));
    EXPECT_EQ(line->geometry(), QRect(0, 197, 400, 2)) << "thin bar: a 2-pixel line";

    QTest::mouseMove(split, QPoint(30, -49));
    EXPECT_EQ(split->SizingLineOrigin().y(), 148);
    EXPECT_EQ(line->geometry(), QRect(0, 147, 400, 2)) << "only across the bar's direction";
    EXPECT_EQ(plan->height(), 100) << "nothing resizes before the release";
    QTest::mouseRelease(split, Qt::LeftButton, {}, QPoint(30, -49));
    EXPECT_EQ(plan->height(), 150);
}

TEST_F(BottomSplitterTest, EscCancelsTheDrag)
{
    int changed = 0;
    split->OnPosChanged = [&](QObject*) { ++changed; };
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(split, QPoint(10, -60));
    QLineEdit elsewhere(form.get());
    QTest::keyClick(&elsewhere, Qt::Key_Escape);
    EXPECT_FALSE(split->Sizing());
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("SizingLine")), nullptr);
    QTest::mouseRelease(split, Qt::LeftButton, {}, QPoint(10, -60));
    EXPECT_EQ(plan->height(), 100);
    EXPECT_EQ(split->y(), 197);
    EXPECT_EQ(changed, 0);

    // Keys other than Esc, and Esc after the drag, are not taken.
    QTest::keyClick(&elsewhere, Qt::Key_A);
    EXPECT_EQ(elsewhere.text(), QStringLiteral("a"));
}

namespace {

class HintCounter : public QWidget
{
public:
    using QWidget::QWidget;
    int hints = 0;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip)
            ++hints;
        return QWidget::event(event);
    }
};

void askForHint(QWidget* widget)
{
    QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), widget->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(widget, &help);
}

} // namespace

TEST_F(BottomSplitterTest, HintsAreOffWhileDragging)
{
    auto* hinted = new HintCounter(form.get());
    askForHint(hinted);
    EXPECT_EQ(hinted->hints, 1);
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    askForHint(hinted);
    EXPECT_EQ(hinted->hints, 1);
    QTest::mouseRelease(split, Qt::LeftButton, {}, QPoint(10, 1));
    askForHint(hinted);
    EXPECT_EQ(hinted->hints, 2);
}

TEST_F(BottomSplitterTest, TheBarStopsAtTheLimitsAndShowsNoDrop)
{
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(split, QPoint(10, -100));
    EXPECT_EQ(split->cursor().shape(), Qt::SplitVCursor);
    QTest::mouseMove(split, QPoint(10, -1000));
    EXPECT_EQ(split->cursor().shape(), Qt::ForbiddenCursor);
    // The line waits at the top limit: the bar's top at 20.
    EXPECT_EQ(split->SizingLineOrigin().y(), 20 + 1);
    QTest::mouseRelease(split, Qt::LeftButton, {}, QPoint(10, -1000));
    EXPECT_EQ(split->y(), 20);
    EXPECT_EQ(plan->height(), 300 - 23);
    EXPECT_EQ(split->cursor().shape(), Qt::SplitVCursor);

    // And at the bottom limit: the bar's bottom 20 above the window's.
    drag(QPoint(10, 1), QPoint(10, 1000));
    EXPECT_EQ(split->y(), 300 - 20 - 3);
    EXPECT_EQ(plan->height(), 20);
}

TEST_F(BottomSplitterTest, WithoutLimitsTheSizeStaysWithinTheWindow)
{
    split->setLimitOffset(0);
    EXPECT_EQ(split->TopLeftLimit(), 0);
    EXPECT_EQ(split->BottomRightLimit(), 0);
    drag(QPoint(10, 1), QPoint(10, 1000));
    EXPECT_EQ(plan->height(), 1) << "never below one pixel";

    drag(QPoint(10, 1), QPoint(10, -1000));
    EXPECT_EQ(plan->height(), 300 - 3 - 3) << "the whole window less the bar becomes 3 less";
}

TEST_F(BottomSplitterTest, PosChangingCanRefuseAMoveAndTheLastLineIsUsed)
{
    int asked = 0;
    split->OnPosChanging = [&](QObject*, int, int y, bool& allow) {
        ++asked;
        allow = y > -30;
    };
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(split, QPoint(10, -19));
    EXPECT_EQ(split->cursor().shape(), Qt::SplitVCursor);
    QTest::mouseMove(split, QPoint(10, -79));
    EXPECT_EQ(split->cursor().shape(), Qt::ForbiddenCursor);
    EXPECT_EQ(split->SizingLineOrigin().y(), 198 - 20) << "the line stays where it was allowed";
    QTest::mouseRelease(split, Qt::LeftButton, {}, QPoint(10, -79));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(plan->height(), 120);
}

TEST_F(BottomSplitterTest, AFailingHandlerIsShownAndRefusesTheMove)
{
    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    script.answerMessage(qv::mrOk);
    script.answerMessage(qv::mrOk);
    split->OnPosChanging = [](QObject*, int, int y, bool&) {
        if (y < -30)
            throw std::runtime_error("no further");
    };
    split->OnPosChanged = [](QObject*) { throw std::runtime_error("changed failed"); };
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(split, QPoint(10, -9));
    QTest::mouseMove(split, QPoint(10, -59));
    QTest::mouseRelease(split, Qt::LeftButton, {}, QPoint(10, -59));
    EXPECT_EQ(plan->height(), 110);
    EXPECT_EQ(script.messages(),
              QStringList({QStringLiteral("no further"), QStringLiteral("no further"),
                           QStringLiteral("changed failed")}));
    EXPECT_FALSE(split->Sizing());
}

TEST_F(BottomSplitterTest, AControlDestroyedDuringTheDragIsNotTouched)
{
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(split, QPoint(10, -39));
    delete plan;
    EXPECT_EQ(split->ControlFirst(), nullptr);
    QTest::mouseRelease(split, Qt::LeftButton, {}, QPoint(10, -39));
    EXPECT_FALSE(split->Sizing());
    EXPECT_EQ(split->SplitterKind(), 0);
    EXPECT_EQ(split->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(BottomSplitterTest, AWindowDestroyedDuringTheDragLeavesNothingBehind)
{
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(split, QPoint(10, -39));
    // The form hides its children on its way out; the splitter ends its drag
    // right there, which must not pull a child from under that walk.
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QWidget* widget : QApplication::allWidgets())
        EXPECT_NE(widget->objectName(), QStringLiteral("SizingLine"));
    // The key filter went with the splitter: Esc reaches its widget.
    QLineEdit other;
    other.show();
    QTest::keyClick(&other, Qt::Key_Escape);
    QTest::keyClick(&other, Qt::Key_X);
    EXPECT_EQ(other.text(), QStringLiteral("x"));
}

TEST_F(BottomSplitterTest, HidingTheBarEndsTheDragWithoutResizing)
{
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    QTest::mouseMove(split, QPoint(10, -39));
    split->hide();
    EXPECT_FALSE(split->Sizing());
    EXPECT_EQ(plan->height(), 100);
}

TEST_F(BottomSplitterTest, AMismatchedAlignmentDoesNothing)
{
    split->setAlign(TAlign::alTop);
    EXPECT_EQ(split->SplitterKind(), 0);
    EXPECT_EQ(split->cursor().shape(), Qt::ArrowCursor);
    QTest::mousePress(split, Qt::LeftButton, {}, QPoint(10, 1));
    EXPECT_FALSE(split->Sizing());
    QTest::mouseRelease(split, Qt::LeftButton, {}, QPoint(10, 1));
}

TEST(Splitter, CreatedWithItsDefaults)
{
    QWidget form;
    TQcSplitter split(&form);
    EXPECT_EQ(split.size(), QSize(185, 3));
    EXPECT_EQ(split.TopLeftLimit(), 20);
    EXPECT_EQ(split.BottomRightLimit(), 20);
    EXPECT_EQ(split.ControlFirst(), nullptr);
    EXPECT_EQ(split.Align(), TAlign::alNone);
    EXPECT_EQ(split.BevelOuter(), TPanelBevel::bvRaised);
    EXPECT_EQ(split.BevelInner(), TPanelBevel::bvNone);
    EXPECT_EQ(split.SplitterKind(), 0);
}

TEST(Splitter, NeitherItselfNorAWindowCanBeItsControl)
{
    QWidget form;
    TQcSplitter split(&form);
    split.setControlFirst(&split);
    EXPECT_EQ(split.ControlFirst(), nullptr);
    QWidget window;
    split.setControlSecond(&window);
    EXPECT_EQ(split.ControlSecond(), nullptr);
    split.setControlFirst(&form);
    EXPECT_EQ(split.ControlFirst(), nullptr);
}

TEST(Splitter, SettingAlignLeftOnANewSplitterMakesItThreeWide)
{
    QWidget form;
    form.resize(300, 200);
    auto* layout = new AlignLayout(&form);
    auto* tree = new QWidget(&form);
    tree->resize(120, 10);
    layout->addWidget(tree, TAlign::alLeft);
    auto* split = new TQcSplitter(&form);
    split->resize(10, 50);
    split->setAlign(TAlign::alLeft);
    EXPECT_EQ(split->geometry(), QRect(120, 0, 3, 200));
    EXPECT_EQ(split->ControlFirst(), tree);
    EXPECT_EQ(split->cursor().shape(), Qt::SplitHCursor);

    // A splitter already at an edge keeps its thickness.
    split->resize(8, 200);
    split->setAlign(TAlign::alRight);
    EXPECT_EQ(split->width(), 8);
}

TEST(Splitter, AlignOnAParentWithoutLayoutGivesItAnAlignLayout)
{
    QWidget form;
    form.resize(100, 100);
    auto* split = new TQcSplitter(&form);
    split->setAlign(TAlign::alTop);
    EXPECT_NE(AlignLayout::of(&form), nullptr);
    EXPECT_EQ(split->geometry(), QRect(0, 0, 100, 3));
}

namespace {

struct SideBySide
{
    SideBySide()
    {
        form.resize(400, 300);
        layout = new AlignLayout(&form);
    }

    void show()
    {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    void drag(TQcSplitter* split, const QPoint& from, const QPoint& to)
    {
        QTest::mousePress(split, Qt::LeftButton, {}, from);
        QTest::mouseMove(split, to);
        QTest::mouseRelease(split, Qt::LeftButton, {}, to);
    }

    QWidget form;
    AlignLayout* layout;
};

} // namespace

TEST(Splitter, KindThreeResizesALeftControlsWidth)
{
    SideBySide f;
    auto* tree = new QWidget(&f.form);
    tree->resize(100, 1);
    f.layout->addWidget(tree, TAlign::alLeft);
    auto* split = new TQcSplitter(&f.form);
    split->setAlign(TAlign::alLeft);
    auto* rest = new QWidget(&f.form);
    f.layout->addWidget(rest, TAlign::alClient);
    f.show();
    ASSERT_EQ(split->SplitterKind(), 3);
    f.drag(split, QPoint(1, 50), QPoint(31, 80));
    EXPECT_EQ(tree->width(), 130);
    EXPECT_EQ(split->x(), 130);
    EXPECT_EQ(rest->geometry(), QRect(133, 0, 267, 300));
}

TEST(Splitter, KindThreeWithARightControlGrowsItLeftwards)
{
    SideBySide f;
    auto* panel = new QWidget(&f.form);
    panel->resize(100, 1);
    f.layout->addWidget(panel, TAlign::alRight);
    auto* split = new TQcSplitter(&f.form);
    split->setAlign(TAlign::alRight);
    f.show();
    ASSERT_EQ(split->ControlFirst(), panel);
    ASSERT_EQ(split->SplitterKind(), 3);
    f.drag(split, QPoint(1, 50), QPoint(-29, 50));
    EXPECT_EQ(panel->width(), 130);
    EXPECT_EQ(split->x(), 400 - 130 - 3);
}

TEST(Splitter, KindsTwoAndFourResizeTheSecondControl)
{
    SideBySide f;
    auto* client = new QWidget(&f.form);
    f.layout->addWidget(client, TAlign::alClient);
    auto* bottom = new QWidget(&f.form);
    bottom->resize(1, 60);
    f.layout->addWidget(bottom, TAlign::alBottom);
    auto* hsplit = new TQcSplitter(&f.form);
    hsplit->setControlFirst(client);
    hsplit->setControlSecond(bottom);
    hsplit->setAlign(TAlign::alBottom);
    auto* left = new QWidget(&f.form);
    left->resize(80, 1);
    f.layout->addWidget(left, TAlign::alLeft);
    auto* vsplit = new TQcSplitter(&f.form);
    vsplit->setControlFirst(client);
    vsplit->setControlSecond(left);
    vsplit->setAlign(TAlign::alLeft);
    f.show();
    ASSERT_EQ(hsplit->SplitterKind(), 2);
    ASSERT_EQ(vsplit->SplitterKind(), 4);
    EXPECT_EQ(vsplit->cursor().shape(), Qt::SplitHCursor);

    f.drag(hsplit, QPoint(5, 1), QPoint(5, -24));
    EXPECT_EQ(bottom->height(), 85);
    f.drag(vsplit, QPoint(1, 5), QPoint(21, 5));
    EXPECT_EQ(left->width(), 100);
    EXPECT_EQ(client->geometry(), QRect(103, 0, 297, 300 - 85 - 3));
}

TEST(Splitter, BevelsAreDrawnAroundTheBar)
{
    QWidget form;
    form.resize(100, 100);
    auto* split = new TQcSplitter(&form);
    split->setAlign(TAlign::alTop);
    split->resize(100, 8);
    QPalette palette = split->palette();
    palette.setColor(QPalette::Light, QColor(0xFF, 0xFF, 0xFF));
    palette.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::Button, QColor(0xC0, 0xC0, 0xC0));
    split->setPalette(palette);
    split->setBevelInner(TPanelBevel::bvRaised);
    const QImage shot = split->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(0, 0)), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(QColor(shot.pixel(99, 7)), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(QColor(shot.pixel(1, 1)), QColor(0xFF, 0xFF, 0xFF)) << "inner bevel";
    EXPECT_EQ(QColor(shot.pixel(50, 4)), QColor(0xC0, 0xC0, 0xC0));
}
