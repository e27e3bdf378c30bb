// The editor commands: moves, typing, line breaks with indentation,
// deletions, the clipboard, code templates and bookmarks.
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "qeEditTest_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

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

// --- moves ------------------------------------------------------------------------------

TEST(EditMoves, LeftAndRightWrapOnlyWithoutScrollPastEOL)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("ab\ncd"));
    edit.SetCaretXY({1, 2});
    command(edit, ecLeft);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 2));
    command(edit, ecLineEnd);
    command(edit, ecRight, 3);
    EXPECT_EQ(edit.CaretXY(), QPoint(6, 2));

    edit.SetScrollPastEOL(false);
    edit.SetCaretXY({1, 2});
    command(edit, ecLeft);
    EXPECT_EQ(edit.CaretXY(), QPoint(3, 1));
    command(edit, ecRight);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 2));
    command(edit, ecLineEnd);
    command(edit, ecRight);
    EXPECT_EQ(edit.CaretXY(), QPoint(3, 2));  // no line below
}

TEST(EditMoves, WordMovesCrossLines)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("select a.b,  c\n\n   next word"));
    command(edit, ecWordRight);
    EXPECT_EQ(edit.CaretXY(), QPoint(8, 1));
    command(edit, ecWordRight);
    EXPECT_EQ(edit.CaretXY(), QPoint(14, 1));
    command(edit, ecWordRight);
    EXPECT_EQ(edit.CaretXY(), QPoint(15, 1));  // no further word: line end + 1
    command(edit, ecWordRight);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 2));  // an empty line: column 1
    command(edit, ecWordRight);
    EXPECT_EQ(edit.CaretXY(), QPoint(4, 3));  // its first word
    command(edit, ecWordLeft);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 3));
    command(edit, ecWordLeft);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 2));  // end of the empty line above
    command(edit, ecWordLeft);
    EXPECT_EQ(edit.CaretXY(), QPoint(15, 1));
    command(edit, ecWordLeft);
    EXPECT_EQ(edit.CaretXY(), QPoint(14, 1));
}

TEST(EditMoves, SelectionMovesAnchorAtTheOldCaretAndPlainMovesCollapse)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("alpha beta\ngamma"));
    edit.SetCaretXY({3, 1});
    command(edit, ecSelRight, 2);
    command(edit, ecSelDown);
    EXPECT_EQ(edit.BlockBegin(), QPoint(3, 1));
    EXPECT_EQ(edit.BlockEnd(), QPoint(5, 2));
    EXPECT_EQ(edit.SelText(), QStringLiteral("pha beta\r\ngamm"));
    command(edit, ecLeft);
    EXPECT_FALSE(edit.SelAvail());
    EXPECT_EQ(edit.BlockBegin(), QPoint(4, 2));

    command(edit, ecSelectAll);
    EXPECT_EQ(edit.SelText(), QStringLiteral("alpha beta\r\ngamma"));
    EXPECT_EQ(edit.CaretXY(), QPoint(6, 2));

    QPoint target(2, 1);
    edit.ExecuteCommand(ecSelGotoXY, QChar(), &target);
    EXPECT_EQ(edit.SelText(), QStringLiteral("a"));
    edit.ExecuteCommand(ecGotoXY, QChar(), nullptr);
    EXPECT_EQ(edit.CaretXY(), QPoint(2, 1));
}

TEST(EditMoves, PagesAndScrollingMoveTopLineAndCaret)
{
    Window w;
    TqeCustomEdit& edit = *w.edit;
    edit.SetText(numbered(300));
    const int page = edit.LinesInWindow();
    ASSERT_GT(page, 3);
    command(edit, ecPageDown);
    EXPECT_EQ(edit.TopLine(), 1 + page);
    EXPECT_EQ(edit.CaretY(), 1 + page);
    command(edit, ecPageBottom);
    EXPECT_EQ(edit.CaretY(), 2 * page);
    command(edit, ecPageTop);
    EXPECT_EQ(edit.CaretY(), 1 + page);
    command(edit, ecPageUp);
    EXPECT_EQ(edit.TopLine(), 1);
    EXPECT_EQ(edit.CaretY(), 1);

    command(edit, ecScrollDown, 2);
    EXPECT_EQ(edit.TopLine(), 3);
    EXPECT_EQ(edit.CaretY(), 3);  // pulled into the window
    edit.SetCaretXY({1, 2 + page});
    command(edit, ecScrollUp);
    EXPECT_EQ(edit.TopLine(), 2);
    EXPECT_EQ(edit.CaretY(), 1 + page);

    command(edit, ecEditorBottom);
    EXPECT_EQ(edit.CaretXY(), QPoint(9, 300));
    EXPECT_EQ(edit.TopLine(), 300 - page + 1);
    command(edit, ecEditorTop);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 1));

    command(edit, ecScrollRight, 3);
    EXPECT_EQ(edit.LeftChar(), 4);
    EXPECT_EQ(edit.CaretX(), 4);
}

TEST(EditMoves, ModeCommands)
{
    TqeCustomEdit edit;
    command(edit, ecToggleMode);
    EXPECT_FALSE(edit.InsertMode());
    command(edit, ecInsertMode);
    EXPECT_TRUE(edit.InsertMode());
    command(edit, ecOverwriteMode);
    EXPECT_FALSE(edit.InsertMode());
}

// --- typing -----------------------------------------------------------------------------

TEST(EditTyping, CharactersAreInsertedOrOverwrittenAndLinesRightTrimmed)
{
    TqeCustomEdit edit;
    typeChars(edit, QStringLiteral("ab"));
    edit.SetCaretXY({6, 1});
    typeChars(edit, QStringLiteral("x"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("ab   x")});
    typeChars(edit, QStringLiteral("  "));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("ab   x")});  // no trailing blanks
    EXPECT_EQ(edit.CaretX(), 9);
    typeChars(edit, QStringLiteral("y"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("ab   x  y")});

    command(edit, ecOverwriteMode);
    edit.SetCaretXY({2, 1});
    typeChars(edit, QStringLiteral("ZZ"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("aZZ  x  y")});
    EXPECT_EQ(edit.UndoList().Items(edit.UndoList().Count() - 1).Text, QStringLiteral(" "));

    // Control characters other than Tab, and DEL, are ignored.
    const int records = edit.UndoList().Count();
    edit.ExecuteCommand(ecChar, QChar(8), nullptr);
    edit.ExecuteCommand(ecChar, QChar(127), nullptr);
    EXPECT_EQ(edit.UndoList().Count(), records);
}

TEST(EditTyping, TypingOverASelectionWritesADeletionAndAnInsertion)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("hello world"));
    edit.SetBlockBegin({1, 1});
    edit.SetBlockEnd({6, 1});
    edit.SetCaretXY({6, 1});
    typeChars(edit, QStringLiteral("J"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("J world")});
    ASSERT_EQ(edit.UndoList().Count(), 2);
    EXPECT_EQ(edit.UndoList().Items(0).Kind, crDelete);
    EXPECT_EQ(edit.UndoList().Items(0).Text, QStringLiteral("hello"));
    EXPECT_EQ(edit.UndoList().Items(1).Kind, crInsert);
}

TEST(EditTyping, TabsAsBlanksOnlyWithWantTabsAndATabSpace)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("abc"));
    typeChars(edit, QStringLiteral("\t"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("\tabc")});
    edit.SetWantTabs(true);
    edit.SetTabSpace(4);
    typeChars(edit, QStringLiteral("\t"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("\t    abc")});
    EXPECT_EQ(edit.CaretX(), 6);
    command(edit, ecOverwriteMode);
    typeChars(edit, QStringLiteral("\t"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("\t    abc")});
    EXPECT_EQ(edit.CaretX(), 10);
}

TEST(EditTyping, TheViewJumpsRightAtTheWindowEdge)
{
    Window w;
    TqeCustomEdit& edit = *w.edit;
    const int chars = edit.CharsInWindow();
    ASSERT_GT(chars, 30);
    edit.SetCaretXY({chars - 1, 1});
    EXPECT_EQ(edit.LeftChar(), 1);
    typeChars(edit, QStringLiteral("xy"));
    EXPECT_EQ(edit.LeftChar(), 26);
}

TEST(EditTyping, ReadOnlyEditorsIgnoreEveryEdit)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("one\ntwo"));
    edit.SetReadOnly(true);
    edit.SetCaretXY({2, 1});
    key(&edit, Qt::Key_Y, Qt::ControlModifier, QStringLiteral("\x19"));
    key(&edit, Qt::Key_Y, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("\x19"));
    key(&edit, Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("\x09"));
    key(&edit, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("\x15"));
    for (TqeEditorCommand cmd : {ecDeleteLastChar, ecDeleteChar, ecDeleteWord, ecDeleteLastWord, ecDeleteBOL,
                                 ecDeleteEOL, ecDeleteLine, ecClearAll, ecLineBreak, ecInsertLine, ecPaste})
        command(edit, cmd);
    typeChars(edit, QStringLiteral("x"));
    EXPECT_EQ(lines(edit), (QStringList {"one", "two"}));
    EXPECT_FALSE(edit.CanUndo());
    command(edit, ecDown);
    EXPECT_EQ(edit.CaretY(), 2);
}

// --- line breaks ------------------------------------------------------------------------

TEST(EditLineBreak, EnterKeepsTheIndentation)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("    select x"));
    edit.SetCaretXY({12, 1});
    key(&edit, Qt::Key_Return, {}, QStringLiteral("\r"));
    EXPECT_EQ(lines(edit), (QStringList {"    select", "    x"}));
    EXPECT_EQ(edit.CaretXY(), QPoint(5, 2));
    ASSERT_EQ(edit.UndoList().Count(), 1);
    EXPECT_EQ(edit.UndoList().Items(0).Kind, crLineBreak);
}

TEST(EditLineBreak, EveryCaretPosition)
{
    TqeCustomEdit edit;
    // Empty line: the indentation of the nearest non-empty line above.
    edit.SetText(QStringLiteral("  ab\n\ncd"));
    edit.SetCaretXY({1, 2});
    command(edit, ecLineBreak);
    EXPECT_EQ(lines(edit), (QStringList {"  ab", "", "", "cd"}));
    EXPECT_EQ(edit.CaretXY(), QPoint(3, 3));

    // Beyond the line end: an empty line after.
    edit.SetText(QStringLiteral("  ab\ncd"));
    edit.SetCaretXY({9, 1});
    command(edit, ecLineBreak);
    EXPECT_EQ(lines(edit), (QStringList {"  ab", "", "cd"}));
    EXPECT_EQ(edit.CaretXY(), QPoint(3, 2));

    // Column 1 and inside the leading blanks: the whole line moves down.
    edit.SetText(QStringLiteral("  ab"));
    edit.SetCaretXY({2, 1});
    command(edit, ecLineBreak);
    EXPECT_EQ(lines(edit), (QStringList {"", "  ab"}));
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 2));

    // ecInsertLine leaves the caret.
    edit.SetText(QStringLiteral("  ab cd"));
    edit.SetCaretXY({6, 1});
    command(edit, ecInsertLine);
    EXPECT_EQ(lines(edit), (QStringList {"  ab", "  cd"}));
    EXPECT_EQ(edit.CaretXY(), QPoint(6, 1));
}

TEST(EditLineBreak, MarksFollowTheirText)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("a b\nc\nd"));
    edit.SetBookMark(1, 1, 1);
    edit.SetBookMark(2, 1, 2);
    edit.SetCaretXY({3, 1});
    command(edit, ecLineBreak);  // split inside: the head keeps the mark
    EXPECT_EQ(edit.BookMark(1)->Line(), 1);
    EXPECT_EQ(edit.BookMark(2)->Line(), 3);
    edit.SetCaretXY({1, 3});
    command(edit, ecLineBreak);  // split at column 1: the text takes it along
    EXPECT_EQ(edit.BookMark(2)->Line(), 4);
    EXPECT_EQ(edit.Lines()->Strings(3), QStringLiteral("c"));
}

// --- deleting ---------------------------------------------------------------------------

TEST(EditDelete, BackspaceUnindentsToALineAbove)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("begin\n  if\n    x"));
    edit.SetCaretXY({5, 3});
    key(&edit, Qt::Key_Backspace, {}, QStringLiteral("\b"));
    EXPECT_EQ(edit.Lines()->Strings(2), QStringLiteral("  x"));
    EXPECT_EQ(edit.CaretXY(), QPoint(3, 3));
    EXPECT_EQ(edit.UndoList().Items(0).Text, QStringLiteral("  "));

    // Only lines from the second one down count; without one indented less,
    // one blank goes.
    edit.SetText(QStringLiteral("x\n    y"));
    edit.SetCaretXY({5, 2});
    command(edit, ecDeleteLastChar);
    EXPECT_EQ(edit.Lines()->Strings(1), QStringLiteral("   y"));
    EXPECT_EQ(edit.CaretXY(), QPoint(4, 2));
}

TEST(EditDelete, BackspaceInEveryPosition)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("ab\ncd"));
    edit.SetCaretXY({7, 1});
    command(edit, ecDeleteLastChar);
    EXPECT_EQ(edit.CaretXY(), QPoint(6, 1));
    EXPECT_EQ(edit.UndoList().Items(0).Text, QString());
    edit.SetCaretXY({2, 2});
    command(edit, ecDeleteLastChar);
    EXPECT_EQ(lines(edit), (QStringList {"ab", "d"}));
    command(edit, ecDeleteLastChar);  // column 1: joins the line above
    EXPECT_EQ(lines(edit), (QStringList {"abd"}));
    EXPECT_EQ(edit.CaretXY(), QPoint(3, 1));
    EXPECT_EQ(edit.UndoList().Items(edit.UndoList().Count() - 1).Text, QStringLiteral("\r\n"));
    edit.SetCaretXY({1, 1});
    command(edit, ecDeleteLastChar);
    EXPECT_EQ(lines(edit), (QStringList {"abd"}));
}

TEST(EditDelete, DeleteJoinsThePaddedNextLineAndStopsAtTheEnd)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("ab\ncd"));
    edit.SetBookMark(5, 1, 2);
    edit.SetCaretXY({5, 1});
    command(edit, ecDeleteChar);
    EXPECT_EQ(lines(edit), (QStringList {"ab  cd"}));
    EXPECT_EQ(edit.BookMark(5)->Line(), 1);
    command(edit, ecLineEnd);
    const int records = edit.UndoList().Count();
    command(edit, ecDeleteChar);
    EXPECT_EQ(lines(edit), (QStringList {"ab  cd"}));
    EXPECT_EQ(edit.UndoList().Count(), records);
    edit.SetCaretXY({2, 1});
    command(edit, ecDeleteChar);
    EXPECT_EQ(lines(edit), (QStringList {"a  cd"}));
}

TEST(EditDelete, WordLineAndLinePartCommands)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("select name from t\nwhere x"));
    edit.SetCaretXY({8, 1});
    key(&edit, Qt::Key_T, Qt::ControlModifier, QStringLiteral("\x14"));
    EXPECT_EQ(edit.Lines()->Strings(0), QStringLiteral("select from t"));
    EXPECT_EQ(edit.UndoList().Items(0).Kind, crDeleteAfterCursor);
    command(edit, ecDeleteLastWord);
    EXPECT_EQ(edit.Lines()->Strings(0), QStringLiteral("from t"));
    edit.SetCaretXY({3, 1});
    command(edit, ecDeleteEOL);
    EXPECT_EQ(edit.Lines()->Strings(0), QStringLiteral("fr"));
    command(edit, ecDeleteBOL);
    EXPECT_EQ(edit.Lines()->Strings(0), QString());
    EXPECT_EQ(edit.CaretX(), 1);
    key(&edit, Qt::Key_Y, Qt::ControlModifier, QStringLiteral("\x19"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("where x")});
    command(edit, ecDeleteLine);
    EXPECT_EQ(lines(edit), QStringList {QString()});
    command(edit, ecClearAll);
    EXPECT_FALSE(edit.CanUndo());
}

// --- clipboard --------------------------------------------------------------------------

TEST(EditClipboard, CutCopyAndPaste)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("one two\nthree"));
    clipboard->setText(QStringLiteral("unchanged"));
    command(edit, ecCopy);
    EXPECT_EQ(clipboard->text(), QStringLiteral("unchanged"));
    edit.SetBlockBegin({5, 1});
    edit.SetBlockEnd({3, 2});
    command(edit, ecCopy);
    EXPECT_EQ(clipboard->text(), QStringLiteral("two\r\nth"));
    command(edit, ecCut);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("one ree")});
    edit.SetCaretXY({8, 1});
    command(edit, ecPaste);
    EXPECT_EQ(lines(edit), (QStringList {"one reetwo", "th"}));
    EXPECT_EQ(edit.CaretXY(), QPoint(3, 2));
    const TUndoList::Record& paste = edit.UndoList().Items(edit.UndoList().Count() - 1);
    EXPECT_EQ(paste.Kind, crInsert);
    EXPECT_EQ(paste.Start, QPoint(8, 1));
    EXPECT_EQ(paste.End, QPoint(3, 2));

    clipboard->clear();
    const int records = edit.UndoList().Count();
    command(edit, ecPaste);
    EXPECT_EQ(edit.UndoList().Count(), records);
}

// --- code templates ---------------------------------------------------------------------

TEST(EditTemplates, ANameBeforeTheCaretBecomesItsText)
{
    TqeCustomEdit edit;
    edit.SetCodeTemplates({QStringLiteral("while=while () do begin end;"), QStringLiteral("sel=select")});
    edit.SetAllowCodeTemplates(true);
    type(&edit, QStringLiteral("sel x"));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("select x")});
    EXPECT_EQ(edit.CaretX(), 9);
    type(&edit, QStringLiteral(" selx "));
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("select x selx")});

    edit.SetAllowCodeTemplates(false);
    edit.SetText(QString());
    type(&edit, QStringLiteral("sel "));
    EXPECT_EQ(edit.CaretX(), 5);
    EXPECT_EQ(lines(edit), QStringList {QStringLiteral("sel")});
}

TEST(EditTemplates, LineBreaksInATemplateAreEnter)
{
    TqeCustomEdit edit;
    edit.SetCodeTemplates({QStringLiteral("be=begin\r\n  end")});
    edit.SetAllowCodeTemplates(true);
    type(&edit, QStringLiteral("  be "));
    EXPECT_EQ(lines(edit), (QStringList {"  begin", "    end"}));
}

// --- bookmarks --------------------------------------------------------------------------

TEST(EditBookmarks, SetClearMoveAndJumpByKeys)
{
    TqeCustomEdit edit;
    edit.SetText(numbered(20));
    edit.SetCaretXY({4, 3});
    key(&edit, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_NE(edit.BookMark(3), nullptr);
    EXPECT_EQ(edit.BookMark(3)->Line(), 3);
    EXPECT_EQ(edit.BookMark(3)->Column(), 4);
    EXPECT_EQ(edit.BookMark(3)->ImageIndex(), 3);
    EXPECT_TRUE(edit.BookMark(3)->InternalImage());
    EXPECT_TRUE(edit.BookMark(3)->Visible());
    EXPECT_EQ(edit.Marks()->Count(), 1);

    key(&edit, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(edit.BookMark(3), nullptr);
    EXPECT_EQ(edit.Marks()->Count(), 0);

    key(&edit, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    edit.SetCaretXY({2, 9});
    key(&edit, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(edit.BookMark(3)->Line(), 9);
    EXPECT_EQ(edit.Marks()->Count(), 1);

    edit.SetCaretXY({1, 15});
    key(&edit, Qt::Key_3, Qt::ControlModifier, QStringLiteral("3"));
    EXPECT_EQ(edit.CaretXY(), QPoint(2, 9));
    EXPECT_EQ(lines(edit).size(), 20);  // no character typed

    // A second bookmark on the line replaces the first.
    key(&edit, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(edit.BookMark(3), nullptr);
    EXPECT_EQ(edit.BookMark(5)->Line(), 9);

    edit.BookMarkOptions()->SetEnableKeys(false);
    key(&edit, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(edit.BookMark(5), nullptr);
}

TEST(EditBookmarks, PlacingCanBeCancelledAndRemovedMarksNeverDangle)
{
    TqeCustomEdit edit;
    edit.SetText(numbered(5));
    edit.OnPlaceBookmark = [](TqeCustomEdit*, std::unique_ptr<TMark>& mark) {
        if (mark->Line() == 2)
            mark.reset();
    };
    edit.SetBookMark(0, 1, 2);
    EXPECT_EQ(edit.BookMark(0), nullptr);
    edit.SetBookMark(0, 1, 4);
    edit.SetBookMark(1, 1, 99);  // no such line
    EXPECT_EQ(edit.BookMark(1), nullptr);
    ASSERT_NE(edit.BookMark(0), nullptr);

    // Taken out of Marks by someone else: the bookmark is gone as well.
    std::unique_ptr<TMark> taken = edit.Marks()->Remove(edit.BookMark(0));
    taken.reset();
    EXPECT_EQ(edit.BookMark(0), nullptr);
    edit.GotoBookMark(0);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 1));

    // A bookmark whose line went is not jumped to.
    edit.SetBookMark(2, 3, 5);
    edit.Lines()->Delete(4);
    edit.BookMark(2)->SetLine(5);
    edit.GotoBookMark(2);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 1));
}

TEST(EditBookmarks, MarksMoveWithDeletedLines)
{
    TqeCustomEdit edit;
    edit.SetText(numbered(6));
    edit.SetBookMark(1, 1, 2);
    edit.SetBookMark(4, 1, 5);
    edit.SetBookMark(6, 1, 6);
    edit.SetCaretXY({1, 2});
    command(edit, ecDeleteLine);
    EXPECT_EQ(edit.BookMark(1)->Line(), 2);  // stays on the line that took its place
    EXPECT_EQ(edit.BookMark(4)->Line(), 4);
    edit.SetCaretXY({1, 5});
    command(edit, ecDeleteLine);  // the last line
    EXPECT_EQ(edit.BookMark(6)->Line(), 4);
    EXPECT_EQ(edit.LineCount(), 4);
}
