// The editor control on the offscreen platform: properties, keys becoming
// commands, painting, focus and scrolling.
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "editor/qeKeyMap.h"
#include "qeEditTest_support.h"
#include "qeSqlKeywords_support.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <map>

namespace {

QStringList numberedLines(int n, const QString& pattern = QStringLiteral("line %1"))
{
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines.append(pattern.arg(i));
    return lines;
}

// Every character of a fixed-pitch font advances by the same width.
bool fixedPitch(const QFont& font)
{
    const QFontMetricsF fm(font);
    return fm.horizontalAdvance(QLatin1Char('W')) == fm.horizontalAdvance(QLatin1Char('i'));
}

void pressKey(QWidget* w, int key, Qt::KeyboardModifiers mods = {}, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
}

// A window holding an editor and a line edit to take the focus away.
struct Window
{
    QWidget top;
    TqeCustomEdit* edit;
    QLineEdit* other;

    Window()
    {
        // A blinking caret would add paints of its own.
        QApplication::setCursorFlashTime(0);
        auto* layout = new QVBoxLayout(&top);
        edit = new TqeCustomEdit(&top);
        other = new QLineEdit(&top);
        layout->addWidget(edit);
        layout->addWidget(other);
        top.resize(640, 480);
        top.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&top));
        top.activateWindow();
        QApplication::setActiveWindow(&top);
        edit->setFocus();
        QApplication::processEvents();
    }

    QImage grab() const { return edit->viewport()->grab().toImage(); }
    // Pixel at the middle of the cell of a column and line in view.
    QColor cellColor(const QImage& image, int column, int line) const
    {
        const int x = edit->TextOrigin() + (column - 1) * edit->CharWidth() + edit->CharWidth() / 2;
        const int y = (line - edit->TopLine()) * edit->LineHeight() + 1;
        return image.pixelColor(x, y);
    }
};

} // namespace

TEST(CustomEdit, Defaults)
{
    TqeCustomEdit edit;
    EXPECT_EQ(edit.LineCount(), 1);
    EXPECT_EQ(edit.Lines()->Strings(0), QString());
    EXPECT_EQ(edit.GutterWidth(), 30);
    EXPECT_EQ(edit.RightEdge(), 80);
    EXPECT_EQ(edit.MaxUndo(), 10);
    EXPECT_EQ(edit.Keystrokes().Count(), 73);
    EXPECT_TRUE(edit.ScrollPastEOL());
    EXPECT_TRUE(edit.InsertMode());
    EXPECT_FALSE(edit.ReadOnly());
    EXPECT_FALSE(edit.HideSelection());
    EXPECT_FALSE(edit.WantTabs());
    EXPECT_EQ(edit.TabSpace(), 0);
    EXPECT_EQ(edit.ScrollBars(), ssBoth);
    EXPECT_EQ(edit.BorderStyle(), bsSingle);
    EXPECT_EQ(edit.InsertCaret(), ctVerticalLine);
    EXPECT_EQ(edit.OverwriteCaret(), ctBlock);
    EXPECT_EQ(edit.size(), QSize(200, 150));
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 1));
    EXPECT_EQ(edit.Font().pointSize(), 10);
    EXPECT_TRUE(fixedPitch(edit.Font()));
    EXPECT_GT(edit.CharWidth(), 0);
    EXPECT_GT(edit.LineHeight(), 0);
    EXPECT_TRUE(edit.BookMarkOptions()->EnableKeys());
    EXPECT_EQ(edit.BookMarkOptions()->LeftMargin(), 2);
    EXPECT_EQ(edit.BookMarkOptions()->Xoffset(), 12);
    EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::IBeamCursor);
}

TEST(CustomEdit, SettingTheTextResetsCaretScrollAndUndo)
{
    TqeCustomEdit edit;
    edit.SetText(numberedLines(100).join(QLatin1Char('\n')));
    edit.SetCaretXY({5, 60});
    edit.SetLeftChar(3);
    edit.UndoList().AddChange(crInsert, {1, 1}, QString(), {2, 1});
    ASSERT_TRUE(edit.CanUndo());
    EXPECT_TRUE(edit.Modified());
    edit.SetText(QStringLiteral("a\r\nb\r\nc"));
    EXPECT_EQ(edit.LineCount(), 3);
    EXPECT_EQ(edit.CaretXY(), QPoint(1, 1));
    EXPECT_EQ(edit.TopLine(), 1);
    EXPECT_EQ(edit.LeftChar(), 1);
    EXPECT_FALSE(edit.CanUndo());
    EXPECT_EQ(edit.Text(), QStringLiteral("a\r\nb\r\nc\r\n"));
}

TEST(CustomEdit, UndoRecordsSetModifiedAndFireOnChange)
{
    TqeCustomEdit edit;
    int changes = 0;
    edit.OnChange = [&](TqeCustomEdit*) { ++changes; };
    edit.SetMaxUndo(0);
    edit.UndoList().AddChange(crDelete, {1, 1}, QStringLiteral("x"), {1, 1});
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(edit.Modified());
    EXPECT_FALSE(edit.CanUndo());
    edit.SetMaxUndo(-1);
    EXPECT_EQ(edit.MaxUndo(), 0);
    edit.SetMaxUndo(3);
    for (int i = 0; i < 5; ++i)
        edit.RedoList().AddChange(crInsert, {1, 1}, QString(), {1, 1});
    EXPECT_EQ(edit.RedoList().Count(), 3);
    EXPECT_EQ(changes, 6);
}

TEST(CustomEdit, SelTextOfThreeLinesGivesThreeLines)
{
    TqeCustomEdit edit;
    edit.SetSelText(QStringLiteral("one\r\ntwo\nthree"));
    EXPECT_EQ(edit.Lines()->ToStringList(), (QStringList{"one", "two", "three"}));
    edit.SetBlockBegin({2, 1});
    edit.SetBlockEnd({3, 3});
    EXPECT_EQ(edit.SelText(), QStringLiteral("ne\r\ntwo\r\nth"));
    edit.SetSelText(QStringLiteral("X"));
    EXPECT_EQ(edit.Lines()->ToStringList(), (QStringList{"oXree"}));
}

TEST(CustomEdit, LinesWriterCopiesTheList)
{
    TqeCustomEdit edit;
    TqeEditList source;
    source.SetText(QStringLiteral("p\r\nq"));
    edit.SetLines(source);
    source.Put(0, QStringLiteral("changed"));
    EXPECT_EQ(edit.Lines()->ToStringList(), (QStringList{"p", "q"}));
}

TEST(CustomEdit, ProportionalFontBecomesFixedPitchOfTheSameSize)
{
    TqeCustomEdit edit;
    QFont proportional(QStringLiteral("DejaVu Sans"), 13);
    proportional.setItalic(true);
    ASSERT_FALSE(fixedPitch(proportional));
    edit.SetFont(proportional);
    EXPECT_TRUE(fixedPitch(edit.Font()));
    EXPECT_EQ(edit.Font().pointSize(), 13);
    EXPECT_TRUE(edit.Font().italic());

    QFont mono(QStringLiteral("DejaVu Sans Mono"), 9);
    edit.SetFont(mono);
    EXPECT_EQ(edit.Font().family(), QStringLiteral("DejaVu Sans Mono"));
    const int small = edit.LineHeight();
    edit.SetExtraLineSpacing(3);
    EXPECT_EQ(edit.LineHeight(), small + 3);
}

TEST(CustomEdit, GutterWidthIsNeverNegative)
{
    TqeCustomEdit edit;
    edit.SetGutterWidth(-20);
    EXPECT_EQ(edit.GutterWidth(), 0);
    EXPECT_EQ(edit.TextOrigin(), 2);
}

TEST(CustomEditKeys, BoundKeysBecomeCommandsAndCharactersEcChar)
{
    TqeCustomEdit edit;
    std::vector<std::pair<int, QChar>> seen;
    edit.OnProcessCommand = [&](TqeCustomEdit*, TqeEditorCommand& cmd, QChar& ch, void*) {
        seen.emplace_back(cmd, ch);
    };
    pressKey(&edit, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
    pressKey(&edit, Qt::Key_A, {}, QStringLiteral("a"));
    pressKey(&edit, Qt::Key_F5);
    pressKey(&edit, Qt::Key_Adiaeresis, {}, QStringLiteral("\u00e4"));
    pressKey(&edit, Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier, QStringLiteral("!"));
    pressKey(&edit, Qt::Key_I, Qt::ShiftModifier | Qt::ControlModifier, QStringLiteral("\x09"));
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0].first, ecCopy);
    EXPECT_EQ(seen[1].first, ecChar);
    EXPECT_EQ(seen[1].second, QLatin1Char('a'));
    EXPECT_EQ(seen[2].first, ecChar);
    EXPECT_EQ(seen[2].second, QChar(0xE4));
    EXPECT_EQ(seen[3].first, ecSetMarker1);
    EXPECT_EQ(seen[4].first, ecBlockIndent);
}

TEST(CustomEditKeys, KeyDownHandlerMayClearTheKeyAndKeyPressTheCharacter)
{
    TqeCustomEdit edit;
    std::vector<int> commands;
    edit.OnProcessCommand = [&](TqeCustomEdit*, TqeEditorCommand& cmd, QChar& ch, void*) {
        commands.push_back(cmd == ecChar ? 10000 + ch.unicode() : cmd);
    };
    edit.OnKeyDown = [](TqeCustomEdit*, std::uint16_t& key, TShiftState) {
        if (key == 'X')
            key = 0;
        if (key == vk::Up)
            key = vk::Down;
    };
    edit.OnKeyPress = [](TqeCustomEdit*, QChar& ch) {
        if (ch == QLatin1Char('q'))
            ch = QLatin1Char('Q');
    };
    pressKey(&edit, Qt::Key_X, {}, QStringLiteral("x"));
    pressKey(&edit, Qt::Key_Up);
    pressKey(&edit, Qt::Key_Q, {}, QStringLiteral("q"));
    EXPECT_EQ(commands, (std::vector<int> {ecDown, 10000 + 'Q'}));
}

TEST(CustomEditKeys, UserCommandsReachOnlyTheUserHandler)
{
    TqeCustomEdit edit;
    int plain = 0;
    int user = 0;
    edit.OnProcessCommand = [&](TqeCustomEdit*, TqeEditorCommand&, QChar&, void*) { ++plain; };
    edit.OnProcessUserCommand = [&](TqeCustomEdit*, TqeEditorCommand& cmd, QChar&, void*) {
        EXPECT_EQ(cmd, 1500);
        ++user;
    };
    TqeKeyStroke* binding = edit.Keystrokes().Add();
    binding->SetShortCut(ShortCut(vk::F1 + 8, ssCtrl));
    binding->SetCommand(1500);
    pressKey(&edit, Qt::Key_F9, Qt::ControlModifier);
    EXPECT_EQ(user, 1);
    EXPECT_EQ(plain, 0);
    edit.ExecuteCommand(ecBlockUnindent, QChar(), nullptr);
    EXPECT_EQ(plain, 1);
    EXPECT_EQ(edit.Lines()->ToStringList(), QStringList{QString()});
}

TEST(CustomEditKeys, UnusedKeysGoOnToTheWindow)
{
    TqeCustomEdit edit;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, {}, QStringLiteral("\x1b"));
    QApplication::sendEvent(&edit, &escape);
    EXPECT_FALSE(escape.isAccepted());
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, {});
    QApplication::sendEvent(&edit, &f2);
    EXPECT_FALSE(f2.isAccepted());
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
    QApplication::sendEvent(&edit, &copy);
    EXPECT_TRUE(copy.isAccepted());
}

TEST(CustomEditHighlighter, LinkingAndDestruction)
{
    TqeCustomEdit edit;
    edit.SetText(QStringLiteral("/* a\r\nb"));
    auto* syn = new TqeGeneralSyn;
    syn->SetComments(csCStyle);
    edit.SetHighLighter(syn);
    EXPECT_EQ(syn->LinkedEditors(), QList<TqeCustomEdit*> {&edit});
    EXPECT_EQ(edit.Lines()->Objects(1), rsCStyle);
    {
        TqeCustomEdit second;
        second.SetHighLighter(syn);
        second.SetHighLighter(syn);
        EXPECT_EQ(syn->LinkedEditors().size(), 2);
    }
    EXPECT_EQ(syn->LinkedEditors().size(), 1);
    delete syn;
    EXPECT_EQ(edit.HighLighter(), nullptr);
    edit.Lines()->Add(QStringLiteral("still editable"));
    EXPECT_EQ(edit.LineCount(), 3);
}

TEST(CustomEditPaint, KeywordCellsTakeTheirAttributeColours)
{
    Window w;
    TqeGeneralSyn syn;
    syn.SetComments(csCStyle);
    syn.SetKeyWords(sqlKeywords());
    syn.KeyAttri()->SetBackground(QColor(10, 200, 30));
    syn.CommentAttri()->SetBackground(QColor(200, 10, 30));
    w.edit->SetHighLighter(&syn);
    w.edit->SetText(QStringLiteral("select x /* c\r\nstill\r\n*/ from"));
    QImage image = w.grab();
    EXPECT_EQ(w.cellColor(image, 1, 1), QColor(10, 200, 30));
    EXPECT_EQ(w.cellColor(image, 11, 1), QColor(200, 10, 30));
    EXPECT_EQ(w.cellColor(image, 2, 2), QColor(200, 10, 30));
    EXPECT_EQ(w.cellColor(image, 4, 3), QColor(10, 200, 30));

    syn.LineColors().Add(1, TLineColorMark::BreakPoint);
    syn.BreakPointAttri()->SetBackground(QColor(1, 2, 250));
    image = w.grab();
    EXPECT_EQ(w.cellColor(image, 2, 2), QColor(1, 2, 250));
}

TEST(CustomEditPaint, ClosingACommentRepaintsTheLinesThatLeaveIt)
{
    Window w;
    TqeGeneralSyn syn;
    syn.SetComments(csCStyle);
    syn.CommentAttri()->SetBackground(QColor(200, 10, 30));
    w.edit->SetHighLighter(&syn);
    QStringList lines = numberedLines(40, QStringLiteral("word%1"));
    lines[0] = QStringLiteral("/* open");
    lines[5] = QStringLiteral("*/");
    w.edit->SetText(lines.join(QLatin1Char('\n')));
    QImage image = w.grab();
    EXPECT_EQ(w.cellColor(image, 1, 4), QColor(200, 10, 30));
    w.edit->Lines()->Put(0, QStringLiteral("/* closed */"));
    EXPECT_EQ(w.edit->Lines()->LinesRescanned(), 6);  // lines 1 to 6
    QApplication::processEvents();
    EXPECT_GE(w.edit->LinesPainted(), 5);
    image = w.grab();
    EXPECT_NE(w.cellColor(image, 1, 4), QColor(200, 10, 30));
}

// Typed key by key: a q'...' literal over several lines is a string up to its
// closer, whatever it holds, and code goes on after it.
TEST(CustomEditPaint, AQLiteralTypedOverSeveralLinesIsAStringToItsCloser)
{
    Window w;
    TqeGeneralSyn syn;
    syn.SetComments(csCStyle);
    syn.SetKeyWords(sqlKeywords());
    const std::map<char, QColor> colours = {
        {'s', QColor(250, 220, 10)}, {'k', QColor(10, 200, 30)}, {'c', QColor(200, 10, 30)}, {'i', QColor(20, 20, 220)}};
    syn.StringAttri()->SetBackground(colours.at('s'));
    syn.KeyAttri()->SetBackground(colours.at('k'));
    syn.CommentAttri()->SetBackground(colours.at('c'));
    syn.IdentifierAttri()->SetBackground(colours.at('i'));
    w.edit->SetHighLighter(&syn);
    // One letter per cell: its colour; "_" cells are not checked.
    auto expectColours = [&](const QStringList& expected) {
        const QImage image = w.grab();
        for (int line = 0; line < expected.size(); ++line) {
            for (int column = 0; column < expected[line].size(); ++column) {
                const char kind = expected[line][column].toLatin1();
                if (kind != '_') {
                    EXPECT_EQ(w.cellColor(image, column + 1, line + 1), colours.at(kind))
                        << "line " << line + 1 << ", column " << column + 1;
                }
            }
        }
    };

    qetest::type(w.edit, QStringLiteral("select q'{it's\n-- not /* a comment\nselect 'x' from }' from t\nwhere"));
    ASSERT_EQ(w.edit->Lines()->ToStringList(),
              (QStringList{"select q'{it's", "-- not /* a comment", "select 'x' from }' from t", "where"}));
    expectColours({QStringLiteral("kkkkkk_sssssss"), QStringLiteral("sssssssssssssssssss"),
                   QStringLiteral("ssssssssssssssssss_kkkk_i"), QStringLiteral("kkkkk")});

    // Without its "q" the quote opens a plain string, and the "/*" it held
    // comments out the lines below.
    w.edit->SetCaretXY({8, 1});
    pressKey(w.edit, Qt::Key_Delete);
    ASSERT_EQ(w.edit->Lines()->Strings(0), QStringLiteral("select '{it's"));
    expectColours({QStringLiteral("kkkkkk_sssssi"), QStringLiteral("___kkk_cccccccccccc"),
                   QStringLiteral("ccccccccccccccccccccccccc"), QStringLiteral("ccccc")});
}

TEST(CustomEditPaint, SelectionIsHiddenOnFocusOutWithHideSelection)
{
    Window w;
    if (!w.edit->hasFocus())
        GTEST_SKIP() << "the platform gives no focus";
    w.edit->SetText(QStringLiteral("abcdef\r\nghijkl"));
    w.edit->SetBlockBegin({1, 1});
    w.edit->SetBlockEnd({4, 1});
    const QColor selection = w.edit->SelectedColor()->Background();
    EXPECT_EQ(w.cellColor(w.grab(), 2, 1), selection);

    w.edit->SetHideSelection(true);
    w.other->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(w.edit->hasFocus());
    EXPECT_FALSE(w.edit->SelectionShown());
    EXPECT_EQ(w.cellColor(w.grab(), 2, 1), w.edit->Color());

    w.edit->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(w.edit->SelectionShown());
    EXPECT_EQ(w.cellColor(w.grab(), 2, 1), selection);

    w.edit->SetHideSelection(false);
    w.other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(w.cellColor(w.grab(), 2, 1), selection);
}

TEST(CustomEditPaint, MultiLineSelectionFillsToTheRightEdge)
{
    Window w;
    w.edit->SetText(QStringLiteral("ab\r\ncd\r\nef"));
    w.edit->SetBlockBegin({2, 1});
    w.edit->SetBlockEnd({2, 3});
    const QImage image = w.grab();
    const QColor selection = w.edit->SelectedColor()->Background();
    EXPECT_EQ(w.cellColor(image, 1, 1), w.edit->Color());
    EXPECT_EQ(w.cellColor(image, 2, 1), selection);
    EXPECT_EQ(w.cellColor(image, 30, 1), selection);
    EXPECT_EQ(w.cellColor(image, 30, 2), selection);
    EXPECT_EQ(w.cellColor(image, 1, 3), selection);
    EXPECT_EQ(w.cellColor(image, 2, 3), w.edit->Color());
}

TEST(CustomEditPaint, OnlyTheChangedLinesArePainted)
{
    Window w;
    w.edit->SetText(numberedLines(200).join(QLatin1Char('\n')));
    w.edit->viewport()->repaint();
    const int full = w.edit->LinesPainted();
    EXPECT_GE(full, w.edit->LinesInWindow());
    EXPECT_LE(full, w.edit->LinesInWindow() + 1);

    w.edit->SetCaretXY({1, 3});
    QApplication::processEvents();
    w.edit->Lines()->Put(4, QStringLiteral("changed"));
    QApplication::processEvents();
    EXPECT_EQ(w.edit->LinesPainted(), 1);

    // A caret moving from line 3 to line 2 and a change on line 12: three
    // lines, not the ten between them.
    w.edit->SetCaretXY({1, 2});
    w.edit->Lines()->Put(11, QStringLiteral("changed too"));
    QApplication::processEvents();
    EXPECT_LE(w.edit->LinesPainted(), 3);

    w.edit->SetTopLine(100);
    w.edit->viewport()->repaint();
    EXPECT_LE(w.edit->LinesPainted(), w.edit->LinesInWindow() + 1);
}

TEST(CustomEditPaint, TheUpdateLockPaintsOnceAtTheEnd)
{
    Window w;
    w.edit->SetText(numberedLines(50).join(QLatin1Char('\n')));
    QApplication::processEvents();
    const int before = w.edit->PaintCount();
    w.edit->BeginUpdate();
    w.edit->Lines()->Put(1, QStringLiteral("x"));
    w.edit->SetTopLine(10);
    w.edit->viewport()->repaint();
    EXPECT_EQ(w.edit->PaintCount(), before);
    w.edit->EndUpdate();
    QApplication::processEvents();
    EXPECT_EQ(w.edit->PaintCount(), before + 1);
    EXPECT_EQ(w.edit->verticalScrollBar()->value(), 9);
}

TEST(CustomEditPaint, GutterGlyphsOfOneLineSitSideBySide)
{
    Window w;
    w.edit->SetText(numberedLines(10).join(QLatin1Char('\n')));
    TqeImageList images;
    QPixmap red(8, 8);
    red.fill(QColor(255, 0, 0));
    QPixmap blue(8, 8);
    blue.fill(QColor(0, 0, 255));
    images.Add(red);
    images.Add(blue);
    w.edit->SetBookmarkImages(&images);
    for (int index : {0, 1}) {
        auto mark = std::make_unique<TMark>(w.edit);
        mark->SetIsBookmark(false);
        mark->SetLine(2);
        mark->SetImageIndex(index);
        mark->SetVisible(true);
        w.edit->Marks()->Place(std::move(mark));
    }
    auto bookmark = std::make_unique<TMark>(w.edit);
    bookmark->SetBookmarkNumber(3);
    bookmark->SetImageIndex(3);
    bookmark->SetInternalImage(true);
    bookmark->SetLine(4);
    bookmark->SetVisible(true);
    w.edit->Marks()->Add(std::move(bookmark));

    const QImage image = w.grab();
    const int y = w.edit->LineHeight() + 2;
    EXPECT_EQ(image.pixelColor(2 + 3, y), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(14 + 3, y), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(26 + 1, y), w.edit->GutterColor());
    // The built-in glyph of bookmark 3 is drawn on line 4.
    bool glyph = false;
    for (int x = 2; x < 13; ++x)
        glyph |= image.pixelColor(x, 3 * w.edit->LineHeight() + 5) != w.edit->GutterColor();
    EXPECT_TRUE(glyph);

    w.edit->Marks()->ClearLine(2);
    EXPECT_EQ(w.edit->Marks()->Count(), 1);
}

TEST(CustomEditPaint, PlacingAMarkAsksOnPlaceBookmark)
{
    TqeCustomEdit edit;
    edit.OnPlaceBookmark = [](TqeCustomEdit*, std::unique_ptr<TMark>& mark) {
        if (mark->Line() == 9)
            mark.reset();
    };
    auto keep = std::make_unique<TMark>(&edit);
    keep->SetLine(1);
    auto drop = std::make_unique<TMark>(&edit);
    drop->SetLine(9);
    edit.Marks()->Place(std::move(keep));
    edit.Marks()->Place(std::move(drop));
    ASSERT_EQ(edit.Marks()->Count(), 1);
    TMark* mark = edit.Marks()->Items(0);
    EXPECT_EQ(mark->Edit(), &edit);
    std::unique_ptr<TMark> removed = edit.Marks()->Remove(mark);
    EXPECT_EQ(removed->Edit(), nullptr);
}

TEST(CustomEditScroll, ScrollBarsFollowTheViewAndMoveIt)
{
    Window w;
    w.edit->SetText(numberedLines(300).join(QLatin1Char('\n')));
    QScrollBar* v = w.edit->verticalScrollBar();
    EXPECT_TRUE(v->isEnabled());
    EXPECT_EQ(v->pageStep(), w.edit->LinesInWindow());
    w.edit->SetTopLine(40);
    EXPECT_EQ(v->value(), 39);
    v->setValue(99);
    EXPECT_EQ(w.edit->TopLine(), 100);
    w.edit->horizontalScrollBar()->setValue(7);
    EXPECT_EQ(w.edit->LeftChar(), 8);

    w.edit->SetText(QStringLiteral("short"));
    EXPECT_FALSE(v->isEnabled());
    w.edit->SetScrollBars(ssNone);
    EXPECT_EQ(w.edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST(CustomEditScroll, ZeroSizedWindowEmptyTextAndLongLines)
{
    Window w;
    w.edit->setFixedWidth(w.edit->GutterWidth());
    QApplication::processEvents();
    EXPECT_EQ(w.edit->CharsInWindow(), 0);
    w.edit->SetText(QString(3000, QLatin1Char('y')));
    w.edit->SetCaretXY({3001, 1});
    EXPECT_EQ(w.edit->CaretX(), 3001);
    w.edit->viewport()->repaint();

    w.edit->setMinimumWidth(0);
    w.edit->setMaximumWidth(QWIDGETSIZE_MAX);
    w.edit->Lines()->Clear();
    ASSERT_EQ(w.edit->LineCount(), 0);
    w.edit->viewport()->repaint();
    EXPECT_EQ(w.edit->LinesPainted(), 0);
    w.edit->SetCaretXY({1, 1});
    w.edit->SetSelText(QStringLiteral("back"));
    EXPECT_EQ(w.edit->Lines()->ToStringList(), QStringList{QStringLiteral("back")});
}
