// The mouse on the editor: caret and selection, double click, link words,
// the popup menu, automatic scrolling, dragging the selection and the value
// hint.
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/DialogScript.h"
#include "platform/Timer.h"
#include "qeEditTest_support.h"

#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace qetest;

namespace {

QString numbered(int n)
{
    QStringList list;
    for (int i = 1; i <= n; ++i)
        list.append(QStringLiteral("line %1").arg(i));
    return list.join(QLatin1Char('\n'));
}

} // namespace

TEST(EditMouse, PixelsMapToColumnsAndLines)
{
    Window w;
    TqeCustomEdit& edit = *w.edit;
    edit.SetText(numbered(100));
    EXPECT_EQ(edit.PixelToText(cellPixel(edit, 1, 1)), QPoint(1, 1));
    EXPECT_EQ(edit.PixelToText(cellPixel(edit, 7, 4)), QPoint(7, 4));
    edit.SetTopLine(10);
    edit.SetLeftChar(3);
    EXPECT_EQ(edit.PixelToText(cellPixel(edit, 5, 12)), QPoint(5, 12));
    // A click in a view scrolled sideways keeps the view where it is.
    press(edit, cellPixel(edit, 5, 12));
    release(edit, cellPixel(edit, 5, 12));
    EXPECT_EQ(edit.CaretXY(), QPoint(5, 12));
    EXPECT_EQ(edit.LeftChar(), 3);
    EXPECT_EQ(edit.TopLine(), 10);
}

TEST(EditMouse, ClickPlacesTheCaretAndShiftClickExtends)
{
    Window w;
    TqeCustomEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("alpha beta\ngamma delta"));
    int downs = 0;
    int ups = 0;
    edit.OnMouseDown = [&](TqeCustomEdit*, Qt::MouseButton button, TShiftState, int, int) {
        EXPECT_EQ(button, Qt::LeftButton);
        ++downs;
    };
    edit.OnMouseUp = [&](TqeCustomEdit*, Qt::MouseButton, TShiftState, int, int) { ++ups; };
    press(edit, cellPixel(edit, 3, 1));
    release(edit, cellPixel(edit, 3, 1));
    EXPECT_EQ(edit.CaretXY(), QPoint(3, 1));
    EXPECT_FALSE(edit.SelAvail());
    press(edit, cellPixel(edit, 4, 2), Qt::ShiftModifier);
    release(edit, cellPixel(edit, 4, 2), Qt::ShiftModifier);
    EXPECT_EQ(edit.SelText(), QStringLiteral("pha beta\r\ngam"));
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(ups, 2);
    EXPECT_TRUE(edit.hasFocus());
}

TEST(EditMouse, DraggingSelectsAndAPressInsideTheSelectionThenReleaseCollapsesIt)
{
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("select name from t"));
    press(edit, cellPixel(edit, 8, 1));
    moveTo(edit, cellPixel(edit, 12, 1));
    release(edit, cellPixel(edit, 12, 1));
    EXPECT_EQ(edit.SelText(), QStringLiteral("name"));

    press(edit, cellPixel(edit, 9, 1));
    EXPECT_TRUE(edit.SelAvail());  // a drag may still follow
    release(edit, cellPixel(edit, 10, 1));
    EXPECT_FALSE(edit.SelAvail());
    EXPECT_EQ(edit.CaretXY(), QPoint(10, 1));
    EXPECT_EQ(edit.drags, 0);

    // A release that never came (a window opened meanwhile): moving without
    // a button neither drags nor selects.
    edit.SetBlockBegin({8, 1});
    edit.SetBlockEnd({12, 1});
    press(edit, cellPixel(edit, 9, 1));
    moveTo(edit, cellPixel(edit, 16, 1), Qt::NoButton);
    moveTo(edit, cellPixel(edit, 17, 1), Qt::LeftButton);
    EXPECT_EQ(edit.drags, 0);
    EXPECT_EQ(edit.SelText(), QStringLiteral("name"));
}

TEST(EditMouse, DoubleClickSelectsTheWordAndTheReleaseKeepsIt)
{
    Window w;
    TqeCustomEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("select t.name, x from t"));
    int dbl = 0;
    edit.OnDblClick = [&](TqeCustomEdit*) { ++dbl; };
    doubleClick(edit, cellPixel(edit, 10, 1));
    // Without a highlighter every character from #33 on is a word character.
    EXPECT_EQ(edit.SelText(), QStringLiteral("t.name,"));
    EXPECT_EQ(edit.CaretXY(), QPoint(15, 1));
    EXPECT_EQ(dbl, 1);

    TqeGeneralSyn syn;
    edit.SetHighLighter(&syn);
    doubleClick(edit, cellPixel(edit, 3, 1));
    EXPECT_EQ(edit.SelText(), QStringLiteral("select"));
    EXPECT_EQ(edit.CaretXY(), QPoint(7, 1));
}

TEST(EditMouse, LinkWordsFireOnHyperLinkClickAndShowTheHand)
{
    Window w;
    TqeCustomEdit& edit = *w.edit;
    TqeGeneralSyn syn;
    syn.LinkWords().Assign({QStringLiteral("CUSTOMER"), QStringLiteral("RDB$PAGES")});
    edit.SetHighLighter(&syn);
    edit.SetText(QStringLiteral("select * from customer,   rdb$pages"));
    QStringList clicked;
    edit.OnHyperLinkClick = [&](TqeCustomEdit* sender, const QString& word) {
        EXPECT_EQ(sender, &edit);
        clicked.append(word);
    };
    press(edit, cellPixel(edit, 17, 1));
    release(edit, cellPixel(edit, 17, 1));
    EXPECT_EQ(clicked, QStringList {QStringLiteral("customer")});
    EXPECT_EQ(edit.CaretXY(), QPoint(17, 1));

    // A blank after the word: the word with the blanks is no link word.
    press(edit, cellPixel(edit, 25, 1));
    release(edit, cellPixel(edit, 25, 1));
    EXPECT_EQ(clicked.size(), 1);
    EXPECT_EQ(edit.WordUnderMouse(cellPixel(edit, 25, 1)), QStringLiteral("customer, "));

    // A right click without a popup menu is a click too.
    press(edit, cellPixel(edit, 30, 1), {}, Qt::RightButton);
    release(edit, cellPixel(edit, 30, 1), {}, Qt::RightButton);
    EXPECT_EQ(clicked.size(), 2);
    EXPECT_EQ(clicked.last(), QStringLiteral("rdb$pages"));

    moveTo(edit, cellPixel(edit, 16, 1), Qt::NoButton);
    EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::PointingHandCursor);
    moveTo(edit, cellPixel(edit, 3, 1), Qt::NoButton);
    EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::IBeamCursor);
    moveTo(edit, QPoint(5, 5), Qt::NoButton);
    EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST(EditMouse, WhatAHandlerRaisesIsShownNotPassedOn)
{
    Window w;
    TqeCustomEdit& edit = *w.edit;
    TqeGeneralSyn syn;
    syn.LinkWords().Assign({QStringLiteral("T1")});
    edit.SetHighLighter(&syn);
    edit.SetText(QStringLiteral("select * from t1"));
    edit.OnHyperLinkClick = [](TqeCustomEdit*, const QString&) { throw std::runtime_error("no such table"); };
    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    press(edit, cellPixel(edit, 15, 1));
    release(edit, cellPixel(edit, 15, 1));
    EXPECT_EQ(script.messages(), QStringList {QStringLiteral("no such table")});
    EXPECT_EQ(edit.CaretXY(), QPoint(15, 1));
}

TEST(EditMouse, ARightClickWithAPopupMenuOnlyOpensTheMenu)
{
    Window w;
    TqeCustomEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("abc def"));
    QMenu menu;
    edit.SetPopupMenu(&menu);
    bool shown = false;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        shown = true;
        QTimer::singleShot(0, &menu, &QMenu::close);
    });
    press(edit, cellPixel(edit, 6, 1), {}, Qt::RightButton);
    release(edit, cellPixel(edit, 6, 1), {}, Qt::RightButton);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 1));
    QContextMenuEvent context(QContextMenuEvent::Mouse, cellPixel(edit, 6, 1),
                              edit.viewport()->mapToGlobal(cellPixel(edit, 6, 1)));
    QApplication::sendEvent(edit.viewport(), &context);
    EXPECT_TRUE(shown);
}

TEST(EditMouse, SelectingOutsideTheWindowScrollsPerTimerTick)
{
    qv::ManualClock clock;
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    edit.SetText(numbered(400));
    edit.SetLeftChar(20);
    edit.SetTopLine(100);
    const int rows = edit.LinesInWindow();
    press(edit, cellPixel(edit, 25, 110));

    // Left of the gutter edge: one column per tick.
    moveTo(edit, QPoint(edit.GutterWidth() - 5, cellPixel(edit, 1, 110).y()));
    EXPECT_TRUE(edit.AutoScrollActive());
    const int left = edit.LeftChar();
    edit.AutoScrollTick();
    edit.AutoScrollTick();
    EXPECT_EQ(edit.LeftChar(), left - 2);
    EXPECT_EQ(edit.CaretX(), left - 2);
    EXPECT_EQ(edit.BlockEnd(), edit.CaretXY());

    // Just below the window: a line per tick; 11 pixels below: a page.
    const int height = edit.viewport()->height();
    moveTo(edit, QPoint(cellPixel(edit, 25, 110).x(), height + 2));
    int top = edit.TopLine();
    edit.AutoScrollTick();
    EXPECT_EQ(edit.TopLine(), top + 1);
    EXPECT_EQ(edit.CaretY(), edit.TopLine() + rows - 1);
    moveTo(edit, QPoint(cellPixel(edit, 25, 110).x(), height + 10));
    top = edit.TopLine();
    edit.AutoScrollTick();
    EXPECT_EQ(edit.TopLine(), top + rows);
    EXPECT_EQ(edit.BlockBegin(), QPoint(25, 110));

    // The timer does it by itself every 100 ms.
    top = edit.TopLine();
    clock.advance(2 * TqeCustomEdit::kAutoScrollInterval - 1);
    EXPECT_EQ(edit.TopLine(), top + rows) << "one tick in 199 ms";
    clock.advance(1);
    EXPECT_EQ(edit.TopLine(), top + 2 * rows);
    release(edit, QPoint(cellPixel(edit, 25, 110).x(), height + 10));
    EXPECT_FALSE(edit.AutoScrollActive());
}

// --- drag and drop ------------------------------------------------------------------------

TEST(EditDragDrop, MovingTheSelectionIsOneUndoStep)
{
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("alpha beta gamma"));
    edit.SetBlockBegin({7, 1});
    edit.SetBlockEnd({12, 1});
    dragSelection(edit, {8, 1}, cellPixel(edit, 17, 1), false);
    EXPECT_EQ(edit.drags, 1);
    EXPECT_EQ(edit.draggedText, QStringLiteral("beta "));
    // The dropped text goes in as it is, its blank included.
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("alpha gammabeta ")});
    EXPECT_EQ(edit.SelText(), QStringLiteral("beta "));
    ASSERT_EQ(edit.UndoList().Count(), 2);
    EXPECT_EQ(edit.UndoList().Items(0).Kind, crDragDropDelete);
    EXPECT_EQ(edit.UndoList().Items(1).Kind, crDragDropInsert);
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("alpha beta gamma")});
    EXPECT_EQ(edit.SelText(), QStringLiteral("beta "));
    EXPECT_FALSE(edit.CanUndo());
    command(edit, ecRedo);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("alpha gammabeta ")});
    EXPECT_FALSE(edit.CanRedo());
}

TEST(EditDragDrop, CtrlDropCopiesWithoutARemovalRecord)
{
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("one\ntwo\nthree"));
    edit.SetBlockBegin({1, 1});
    edit.SetBlockEnd({1, 2});
    dragSelection(edit, {2, 1}, cellPixel(edit, 3, 3), true);
    EXPECT_EQ(lines(edit), (QStringList {"one", "two", "thone", "ree"}));
    EXPECT_EQ(edit.SelText(), QStringLiteral("one\r\n"));
    ASSERT_EQ(edit.UndoList().Count(), 1);
    EXPECT_EQ(edit.UndoList().Items(0).Kind, crDragDropInsert);
    command(edit, ecUndo);
    EXPECT_EQ(lines(edit), (QStringList {"one", "two", "three"}));
}

TEST(EditDragDrop, ADropOntoItselfChangesNothingOnAnyLineLength)
{
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    // The selection starts on a line longer than the window is wide: a
    // position inside it must still count as inside.
    const QString longLine = QString(200, QLatin1Char('a'));
    edit.SetText(longLine + QStringLiteral("\nbb\ncc"));
    const int chars = edit.CharsInWindow();
    ASSERT_LT(chars, 150);
    edit.SetLeftChar(140);
    edit.SetBlockBegin({145, 1});
    edit.SetBlockEnd({2, 3});
    dragSelection(edit, {150, 1}, cellPixel(edit, 160, 1), false);
    EXPECT_EQ(edit.drags, 1);
    EXPECT_EQ(lines(edit), (QStringList {longLine, "bb", "cc"}));
    EXPECT_FALSE(edit.CanUndo());
    EXPECT_TRUE(edit.SelAvail());

    // Onto either end of the selection: a move changes nothing.
    edit.SetLeftChar(1);
    edit.SetText(QStringLiteral("abcdef"));
    edit.SetBlockBegin({2, 1});
    edit.SetBlockEnd({4, 1});
    dragSelection(edit, {3, 1}, cellPixel(edit, 4, 1), false);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("abcdef")});
    EXPECT_FALSE(edit.CanUndo());
    // A copy there is a copy.
    dragSelection(edit, {3, 1}, cellPixel(edit, 4, 1), true);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("abcbcdef")});
}

TEST(EditDragDrop, DropsBelowTheSelectionAndReadOnlyEditors)
{
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("ab\ncd\nef\ngh"));
    edit.SetBlockBegin({2, 1});
    edit.SetBlockEnd({2, 2});
    dragSelection(edit, {2, 1}, cellPixel(edit, 2, 4), false);
    EXPECT_EQ(lines(edit), (QStringList {"ad", "ef", "gb", "ch"}));
    EXPECT_EQ(edit.SelText(), QStringLiteral("b\r\nc"));

    // Beyond the end of a short line the text is padded.
    edit.SetText(QStringLiteral("xy\nz"));
    edit.SetBlockBegin({1, 1});
    edit.SetBlockEnd({2, 1});
    dragSelection(edit, {1, 1}, cellPixel(edit, 5, 2), false);
    EXPECT_EQ(lines(edit), (QStringList {"y", "z   x"}));

    edit.SetText(QStringLiteral("read only"));
    edit.SetReadOnly(true);
    edit.SetBlockBegin({1, 1});
    edit.SetBlockEnd({5, 1});
    dragSelection(edit, {2, 1}, cellPixel(edit, 9, 1), false);
    EXPECT_EQ(edit.drags, 2);  // a read-only editor starts no drag
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("read only")});
}

TEST(EditDragDrop, AnotherEditorsSelectionIsNotDroppedHere)
{
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("target"));
    QMimeData data;
    data.setText(QStringLiteral("source"));
    data.setData(QStringLiteral("application/x-qorvane-editor-selection"), QByteArray("1:1"));
    QDropEvent drop(QPointF(cellPixel(edit, 2, 1)), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(edit.viewport(), &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("target")});
}

// --- value hints --------------------------------------------------------------------------

TEST(EditHint, TheValueAppearsAfterTheMouseRests)
{
    qv::ManualClock clock;
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("x = x1 + total;"));
    edit.SetVarList({QStringLiteral("X"), QStringLiteral("X = 5"), QStringLiteral("X1"), QStringLiteral("X1 = 7"),
                     QStringLiteral("TOTAL"), QStringLiteral("TOTAL = Null")});
    // Ordinal order: "X = 5" directly after "X", before "X1".
    EXPECT_EQ(edit.VarList().ToStringList(),
              (QStringList {"TOTAL", "TOTAL = Null", "X", "X = 5", "X1", "X1 = 7"}));

    moveTo(edit, cellPixel(edit, 1, 1), Qt::NoButton);
    EXPECT_TRUE(edit.HintTimerActive());
    EXPECT_EQ(edit.HintText(), QString());
    clock.advance(TqeCustomEdit::kHintDelay - 1);
    EXPECT_EQ(edit.HintText(), QString());
    clock.advance(1);
    EXPECT_EQ(edit.HintText(), QStringLiteral("X = 5"));
    EXPECT_FALSE(edit.HintTimerActive());

    moveTo(edit, cellPixel(edit, 6, 1), Qt::NoButton);
    edit.HintTimerTick();
    EXPECT_EQ(edit.HintText(), QStringLiteral("X1 = 7"));

    // Not a variable: the hint goes at once.
    moveTo(edit, cellPixel(edit, 8, 1), Qt::NoButton);
    EXPECT_FALSE(edit.HintTimerActive());
    EXPECT_EQ(edit.HintText(), QString());

    moveTo(edit, cellPixel(edit, 11, 1), Qt::NoButton);
    edit.HintTimerTick();
    EXPECT_EQ(edit.HintText(), QStringLiteral("TOTAL = Null"));
    // A new list (a debugger's step) shows the word's value now, at once;
    // a word without a value any more shows nothing.
    edit.SetVarList({QStringLiteral("TOTAL"), QStringLiteral("TOTAL = 12"), QStringLiteral("X"), QStringLiteral("X = 5")});
    EXPECT_EQ(edit.HintText(), QStringLiteral("TOTAL = 12"));
    edit.SetVarList({QStringLiteral("X"), QStringLiteral("X = 5")});
    EXPECT_EQ(edit.HintText(), QString());
    edit.SetVarList({QStringLiteral("TOTAL"), QStringLiteral("TOTAL = 13")});
    EXPECT_EQ(edit.HintText(), QString());
    edit.HintTimerTick();
    EXPECT_EQ(edit.HintText(), QStringLiteral("TOTAL = 13"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(edit.viewport(), &leave);
    EXPECT_EQ(edit.HintText(), QString());
    EXPECT_FALSE(edit.HintTimerActive());
}

TEST(EditHint, NothingForAWordGoneFromTheListOrWithoutItsOwnEntry)
{
    Window<DragEdit> w;
    DragEdit& edit = *w.edit;
    edit.SetText(QStringLiteral("a b c"));
    edit.SetVarList({QStringLiteral("A"), QStringLiteral("A = 1"), QStringLiteral("B"), QStringLiteral("C")});
    moveTo(edit, cellPixel(edit, 1, 1), Qt::NoButton);
    edit.SetVarList({QStringLiteral("Z"), QStringLiteral("Z = 9")});
    edit.HintTimerTick();
    EXPECT_EQ(edit.HintText(), QString());  // not the first entry of the new list

    edit.SetVarList({QStringLiteral("A"), QStringLiteral("A = 1"), QStringLiteral("B"), QStringLiteral("C")});
    moveTo(edit, cellPixel(edit, 3, 1), Qt::NoButton);
    edit.HintTimerTick();
    EXPECT_EQ(edit.HintText(), QString());  // "C" is another variable, not B's value
    moveTo(edit, cellPixel(edit, 5, 1), Qt::NoButton);
    edit.HintTimerTick();
    EXPECT_EQ(edit.HintText(), QString());  // the last entry
    moveTo(edit, cellPixel(edit, 1, 1), Qt::NoButton);
    edit.HintTimerTick();
    EXPECT_EQ(edit.HintText(), QStringLiteral("A = 1"));
    QLabel* window = edit.findChild<QLabel*>(QStringLiteral("HintWindow"));
    ASSERT_NE(window, nullptr);
    EXPECT_LE(window->width(), 210);
}
