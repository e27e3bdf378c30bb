// The old platform's alignment: order of edges, order within one edge,
// hidden and unaligned controls, resizing, holding realignment.

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "components/AlignLayout.h"

namespace {

QWidget* child(QWidget* parent, int width, int height)
{
    auto* widget = new QWidget(parent);
    widget->resize(width, height);
    return widget;
}

} // namespace

TEST(AlignLayout, EdgesAreTakenTopBottomLeftRightThenTheClientFillsTheRest)
{
    QWidget form;
    form.resize(400, 300);
    auto* layout = new AlignLayout(&form);
    // Added in an order unlike the platform's, which still places top first.
    QWidget* client = child(&form, 10, 10);
    QWidget* left = child(&form, 50, 10);
    QWidget* right = child(&form, 60, 10);
    QWidget* bottom = child(&form, 10, 40);
    QWidget* top = child(&form, 10, 30);
    layout->addWidget(client, TAlign::alClient);
    layout->addWidget(left, TAlign::alLeft);
    layout->addWidget(right, TAlign::alRight);
    layout->addWidget(bottom, TAlign::alBottom);
    layout->addWidget(top, TAlign::alTop);
    layout->realign();

    EXPECT_EQ(top->geometry(), QRect(0, 0, 400, 30));
    EXPECT_EQ(bottom->geometry(), QRect(0, 260, 400, 40));
    EXPECT_EQ(left->geometry(), QRect(0, 30, 50, 230));
    EXPECT_EQ(right->geometry(), QRect(340, 30, 60, 230));
    EXPECT_EQ(client->geometry(), QRect(50, 30, 290, 230));
}

TEST(AlignLayout, WithinOneEdgeTheFirstAddedLiesNearestTheEdge)
{
    QWidget form;
    form.resize(200, 200);
    auto* layout = new AlignLayout(&form);
    QWidget* top1 = child(&form, 1, 10);
    QWidget* top2 = child(&form, 1, 20);
    QWidget* bottom1 = child(&form, 1, 15);
    QWidget* bottom2 = child(&form, 1, 5);
    QWidget* right1 = child(&form, 30, 1);
    QWidget* right2 = child(&form, 40, 1);
    for (QWidget* w : {top1, top2})
        layout->addWidget(w, TAlign::alTop);
    for (QWidget* w : {bottom1, bottom2})
        layout->addWidget(w, TAlign::alBottom);
    for (QWidget* w : {right1, right2})
        layout->addWidget(w, TAlign::alRight);
    layout->realign();

    EXPECT_EQ(top1->y(), 0);
    EXPECT_EQ(top2->y(), 10);
    EXPECT_EQ(bottom1->y(), 185);
    EXPECT_EQ(bottom2->y(), 180);
    EXPECT_EQ(right1->geometry(), QRect(170, 30, 30, 150));
    EXPECT_EQ(right2->geometry(), QRect(130, 30, 40, 150));
}

TEST(AlignLayout, HiddenControlsTakeNoRoomAndUnalignedOnesStayPut)
{
    QWidget form;
    form.resize(200, 100);
    auto* layout = new AlignLayout(&form);
    QWidget* hidden = child(&form, 1, 30);
    QWidget* top = child(&form, 1, 20);
    QWidget* loose = child(&form, 17, 13);
    QWidget* client = child(&form, 1, 1);
    layout->addWidget(hidden, TAlign::alTop);
    layout->addWidget(top, TAlign::alTop);
    layout->addWidget(client, TAlign::alClient);
    layout->addWidget(loose, TAlign::alNone);
    loose->move(5, 6);
    hidden->hide();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    layout->realign();
    EXPECT_EQ(top->geometry(), QRect(0, 0, 200, 20));
    EXPECT_EQ(client->geometry(), QRect(0, 20, 200, 80));
    EXPECT_EQ(loose->geometry(), QRect(5, 6, 17, 13));

    hidden->show();
    QApplication::processEvents();
    EXPECT_EQ(hidden->geometry(), QRect(0, 0, 200, 30));
    EXPECT_EQ(top->y(), 30);
    EXPECT_EQ(client->geometry(), QRect(0, 50, 200, 50));
}

TEST(AlignLayout, ResizingAControlOrTheWindowRealigns)
{
    QWidget form;
    form.resize(300, 200);
    auto* layout = new AlignLayout(&form);
    QWidget* bottom = child(&form, 1, 50);
    QWidget* client = child(&form, 1, 1);
    layout->addWidget(bottom, TAlign::alBottom);
    layout->addWidget(client, TAlign::alClient);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(client->geometry(), QRect(0, 0, 300, 150));

    bottom->resize(bottom->width(), 80);
    QApplication::processEvents();
    EXPECT_EQ(bottom->geometry(), QRect(0, 120, 300, 80));
    EXPECT_EQ(client->geometry(), QRect(0, 0, 300, 120));

    form.resize(400, 250);
    QApplication::processEvents();
    EXPECT_EQ(bottom->geometry(), QRect(0, 170, 400, 80));
    EXPECT_EQ(client->geometry(), QRect(0, 0, 400, 170));
}

TEST(AlignLayout, ControlsLargerThanTheWindowLeaveTheClientEmpty)
{
    QWidget form;
    form.resize(100, 100);
    auto* layout = new AlignLayout(&form);
    QWidget* top = child(&form, 1, 70);
    QWidget* bottom = child(&form, 1, 60);
    QWidget* client = child(&form, 5, 5);
    layout->addWidget(top, TAlign::alTop);
    layout->addWidget(bottom, TAlign::alBottom);
    layout->addWidget(client, TAlign::alClient);
    layout->realign();
    EXPECT_EQ(top->geometry(), QRect(0, 0, 100, 70));
    EXPECT_EQ(bottom->geometry(), QRect(0, 40, 100, 60));
    EXPECT_EQ(client->height(), 0);
}

TEST(AlignLayout, SetAlignRealignsAtOnceAndDisableAlignHoldsIt)
{
    QWidget form;
    form.resize(200, 100);
    auto* layout = new AlignLayout(&form);
    QWidget* panel = child(&form, 40, 25);
    layout->setAlign(panel, TAlign::alTop);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 200, 25));
    EXPECT_EQ(AlignLayout::alignOf(panel), TAlign::alTop);

    layout->disableAlign();
    layout->disableAlign();
    layout->setAlign(panel, TAlign::alRight);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 200, 25)) << "held";
    layout->enableAlign();
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 200, 25)) << "still held once";
    layout->enableAlign();
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 200, 100));

    layout->setAlign(panel, TAlign::alClient);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 200, 100));
}

TEST(AlignLayout, ADestroyedControlLeavesTheLayout)
{
    QWidget form;
    form.resize(200, 100);
    auto* layout = new AlignLayout(&form);
    QWidget* top = child(&form, 1, 30);
    QWidget* client = child(&form, 1, 1);
    layout->addWidget(top, TAlign::alTop);
    layout->addWidget(client, TAlign::alClient);
    layout->realign();
    delete top;
    EXPECT_EQ(layout->count(), 1);
    layout->realign();
    EXPECT_EQ(client->geometry(), QRect(0, 0, 200, 100));
    EXPECT_EQ(AlignLayout::alignOf(client), TAlign::alClient);
}

TEST(AlignLayout, AlignmentNamesRoundTrip)
{
    for (const TAlign align : {TAlign::alNone, TAlign::alTop, TAlign::alBottom, TAlign::alLeft,
                               TAlign::alRight, TAlign::alClient}) {
        TAlign read = TAlign::alNone;
        ASSERT_TRUE(alignFromName(alignName(align), read));
        EXPECT_EQ(read, align);
    }
    EXPECT_EQ(alignName(TAlign::alClient), QStringLiteral("alClient"));
    TAlign read = TAlign::alTop;
    EXPECT_TRUE(alignFromName(QStringLiteral("ALBOTTOM"), read));
    EXPECT_EQ(read, TAlign::alBottom);
    EXPECT_FALSE(alignFromName(QStringLiteral("alMiddle"), read));
    EXPECT_EQ(read, TAlign::alBottom);
}

TEST(AlignLayout, SizeHintWrapsTheEdgesAroundTheClient)
{
    QWidget form;
    auto* layout = new AlignLayout(&form);
    QWidget* top = child(&form, 1, 30);
    QWidget* left = child(&form, 40, 1);
    layout->addWidget(top, TAlign::alTop);
    layout->addWidget(left, TAlign::alLeft);
    // Plain widgets wish for no size of their own.
    EXPECT_EQ(layout->sizeHint(), QSize(40, 30));
    EXPECT_EQ(layout->minimumSize(), QSize(0, 0));
}
