// The typed grid: columns and grid columns, hidden columns and their values,
// the cell editor's list, button and suggestions, the exit-cell veto, cell
// formats and attributes, cell hints, title clicks and widths in the registry.

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

#include "components/FormPlacement.h"
#include "components/LocaleSettings.h"
#include "components/TgEdit.h"
#include "components/TgGrid.h"
#include "platform/DialogScript.h"
#include "platform/Registry.h"

namespace {

TLocaleSettings UsSettings()
{
    TLocaleSettings s = TLocaleSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    s.shortDateFormat = QStringLiteral("M/d/yyyy");
    s.decimalSeparator = QLatin1Char('.');
    s.thousandSeparator = QLatin1Char(',');
    return s;
}

class TypedGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        window->resize(520, 300);
        grid = new TTypedGrid(window.get());
        grid->setGeometry(10, 10, 500, 280);
    }

    void show()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        grid->setFocus();
        QApplication::processEvents();
    }

    // Keys go where the focus is: the grid, or its editor once it shows.
    static void type(const QString& text)
    {
        for (const QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }

    // Three columns Name, Type (a list of types) and Description, a title row
    // and rows 1..3 filled.
    void threeColumns()
    {
        grid->SetColCount(3);
        grid->SetFixedCols(0);
        grid->SetRowCount(4);
        grid->SetOptions(grid->Options() | goEditing);
        const char* names[] = {"Name", "Type", "Description"};
        for (int c = 0; c < 3; ++c) {
            TtgColumn& column = *grid->Columns().Item(c);
            column.SetName(QLatin1String(names[c]));
            column.SetCaption(QLatin1String(names[c]));
            for (int r = 1; r < 4; ++r)
                grid->SetCells(c, r, QStringLiteral("%1%2").arg(QLatin1Char("ntd"[c])).arg(r));
        }
        TtgColumn& type = *grid->Columns().Item(1);
        type.SetControlType(tgctlComboBox);
        type.SetItems({"Integer", "Varchar", "Smallint", "Char", "Varbinary"});
    }

    TLocaleSettingsScope locale{UsSettings()};
    std::unique_ptr<QWidget> window;
    TTypedGrid* grid = nullptr;
};

TEST_F(TypedGridTest, ColumnsFollowTheGridsColumnCount)
{
    EXPECT_EQ(grid->ColCount(), 5);
    ASSERT_EQ(grid->Columns().Count(), 5);
    EXPECT_EQ(grid->Columns().Item(0)->Name(), "Column 1");
    EXPECT_EQ(grid->Columns().Item(4)->Name(), "Column 5");
    EXPECT_EQ(grid->DefaultRowHeight(), 20);
    EXPECT_EQ(TTypedGrid::Version(), "1.80");

    grid->Columns().Item(1)->SetName(QStringLiteral("Column 7"));
    grid->SetColCount(7);
    EXPECT_EQ(grid->Columns().Count(), 7);
    EXPECT_EQ(grid->Columns().Item(5)->Name(), "Column 2"); // the lowest free number
    EXPECT_EQ(grid->Columns().Item(6)->Name(), "Column 6");

    grid->SetColCount(2);
    EXPECT_EQ(grid->Columns().Count(), 2);
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(&grid->GetColumn(1), grid->Columns().Item(1));
    EXPECT_EQ(&grid->ColumnByName(QStringLiteral("column 7")), grid->Columns().Item(1));

    try {
        grid->GetColumn(99);
        ADD_FAILURE() << "no error for column 99";
    } catch (const EtgColumnIndexOutOfRange& error) {
        EXPECT_EQ(error.Message(), "TTypedGrid: Column index out of range");
    }
    EXPECT_THROW(grid->GetColumn(-1), EtgColumnIndexOutOfRange);
    try {
        grid->ColumnByName(QStringLiteral("Nope"));
        ADD_FAILURE() << "no error for an unknown name";
    } catch (const EtgInvalidColumnName& error) {
        EXPECT_EQ(error.Message(), "Invalid column name \"Nope\"");
    }
}

TEST_F(TypedGridTest, HidingAColumnKeepsItsValuesAndShowingPutsThemBack)
{
    threeColumns();
    TtgColumn& type = *grid->Columns().Item(1);
    TtgColumn& description = *grid->Columns().Item(2);
    type.SetWidth(90);

    type.SetVisible(false);
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(&grid->GetColumn(1), &description);
    EXPECT_EQ(type.GridIndex(), -1);
    EXPECT_EQ(type.Width(), 90);
    EXPECT_EQ(grid->Cells(1, 2), "d2");
    EXPECT_THROW(grid->GetColumn(2), EtgColumnIndexOutOfRange);

    // The hidden values follow the row count both ways.
    grid->SetRowCount(6);
    grid->SetCells(1, 5, QStringLiteral("d5"));
    grid->SetRowCount(3);

    type.SetVisible(true);
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(&grid->GetColumn(1), &type);
    EXPECT_EQ(&grid->GetColumn(2), &description);
    EXPECT_EQ(grid->ColWidths(1), 90);
    EXPECT_EQ(grid->Cells(1, 1), "t1");
    EXPECT_EQ(grid->Cells(1, 2), "t2");
    EXPECT_EQ(grid->Cells(2, 2), "d2");
    // The row beyond the lowered count is gone with its values.
    grid->SetRowCount(6);
    EXPECT_EQ(grid->Cells(1, 3), "");
    EXPECT_EQ(grid->Cells(2, 5), "");

    // Lowering the column count removes visible columns only.
    description.SetVisible(false);
    grid->SetColCount(1);
    EXPECT_EQ(grid->Columns().Count(), 2);
    EXPECT_EQ(grid->Columns().Item(1), &description);
    EXPECT_EQ(grid->GetColumn(0).Name(), "Name");
    description.SetVisible(true);
    EXPECT_EQ(grid->Cells(1, 2), "d2");
}

TEST_F(TypedGridTest, CellsBeyondTheColumnCountAreKeptAndNotDrawn)
{
    threeColumns();
    grid->SetCells(7, 2, QStringLiteral("kept"));
    grid->SetObjects(0, 2, 3);
    EXPECT_EQ(grid->Cells(7, 2), "kept");
    EXPECT_EQ(grid->Objects(0, 2).toInt(), 3);
    grid->MoveColumn(0, 2);
    EXPECT_EQ(grid->Objects(2, 2).toInt(), 3);
    EXPECT_EQ(grid->GetColumn(2).Name(), "Name"); // the columns follow a moved grid column
    EXPECT_EQ(grid->Cells(2, 1), "n1");
}

TEST_F(TypedGridTest, TypingAPrefixSuggestsTheItemAndEnterTakesIt)
{
    EXPECT_EQ(FindSuggestion({"Integer", "Varchar"}, "va"), "Varchar");
    EXPECT_EQ(FindSuggestion({"Integer", "Varchar"}, " VA "), "Varchar");
    EXPECT_EQ(FindSuggestion({"Integer", "Varchar"}, "Varchar"), "");
    EXPECT_EQ(FindSuggestion({"Integer", "Varchar"}, "x"), "");
    EXPECT_EQ(FindSuggestion({"Integer", "Varchar"}, ""), "");

    threeColumns();
    int selections = 0;
    QList<int> rows;
    grid->OnComboSelection = [&](QObject* sender, int col, int row) {
        EXPECT_EQ(sender, grid);
        EXPECT_EQ(col, 1);
        rows << row;
        ++selections;
    };
    show();
    grid->FocusCell(1, 2);
    type(QStringLiteral("va"));
    TTgInplaceEdit* editor = grid->CellEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "va");
    EXPECT_EQ(grid->Cells(1, 2), "va");
    EXPECT_TRUE(editor->SuggestionVisible());
    EXPECT_EQ(editor->Suggestion(), "Varchar");
    EXPECT_EQ(editor->SuggestionHint()->text(), "Varchar");

    type(QStringLiteral("rb"));
    EXPECT_EQ(editor->Suggestion(), "Varbinary");
    key(Qt::Key_Backspace);
    EXPECT_EQ(editor->Suggestion(), "Varchar");

    key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 2), "Varchar");
    EXPECT_FALSE(editor->SuggestionVisible());
    EXPECT_EQ(selections, 1);

    // Leaving the cell takes a suggestion that shows.
    key(Qt::Key_Down);
    type(QStringLiteral("sm"));
    EXPECT_EQ(grid->CellEditor()->Suggestion(), "Smallint");
    key(Qt::Key_Up);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Cells(1, 3), "Smallint");
    EXPECT_EQ(selections, 2);
    EXPECT_EQ(rows, QList<int>({2, 3}));

    // Without AutoAcceptSuggestion the typed text stays.
    grid->SetAutoAcceptSuggestion(false);
    key(Qt::Key_Down);
    type(QStringLiteral("in"));
    key(Qt::Key_Up);
    EXPECT_EQ(grid->Cells(1, 3), "in");
}

TEST_F(TypedGridTest, SuggestionsAndListEntriesLeaveReadOnlyCellsAlone)
{
    threeColumns();
    bool readOnly = true;
    grid->OnGetReadOnly = [&](QObject*, int col, int, bool& ro) {
        if (col == 1)
            ro = readOnly;
    };
    int selections = 0;
    grid->OnComboSelection = [&](QObject*, int, int) { ++selections; };
    grid->OnGetSuggestion = [](QObject*, int, int, const QString&, QString& suggestion) {
        suggestion = QStringLiteral("from the handler");
    };
    grid->SetCells(1, 1, QStringLiteral("va"));
    show();
    grid->FocusCell(1, 1);
    key(Qt::Key_F2);
    TTgInplaceEdit* editor = grid->CellEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isReadOnly());
    type(QStringLiteral("x"));
    EXPECT_EQ(grid->Cells(1, 1), "va");
    editor->setText(QStringLiteral("v")); // a change the user could not make
    EXPECT_FALSE(editor->SuggestionVisible());
    key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "v");

    key(Qt::Key_F2);
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    QTest::keyClick(editor->DropDownList(), Qt::Key_Down);
    QTest::keyClick(editor->DropDownList(), Qt::Key_Return);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(grid->Cells(1, 1), "v");
    EXPECT_EQ(selections, 0);

    // A writable cell takes both; the handler speaks where the items do not.
    readOnly = false;
    grid->FocusCell(1, 2);
    type(QStringLiteral("zz"));
    EXPECT_EQ(grid->CellEditor()->Suggestion(), "from the handler");
}

TEST_F(TypedGridTest, TheDropDownListShowsDropDownCountRowsAndTakesTheChosenEntry)
{
    threeColumns();
    TtgColumn& type = *grid->Columns().Item(1);
    QStringList items;
    for (int i = 0; i < 12; ++i)
        items << QStringLiteral("Item %1").arg(i);
    type.SetItems(items);
    type.SetDropDownCount(5);
    int selections = 0;
    grid->OnComboSelection = [&](QObject*, int, int) { ++selections; };
    grid->SetCells(1, 1, QStringLiteral("Item 3"));
    show();
    grid->FocusCell(1, 1);
    key(Qt::Key_F2);
    TTgInplaceEdit* editor = grid->CellEditor();
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    TtgDropDownList* list = editor->DropDownList();
    EXPECT_EQ(list->count(), 12);
    EXPECT_EQ(list->VisibleRows(), 5);
    EXPECT_EQ(list->currentRow(), 3);
    EXPECT_EQ(list->viewport()->height() / list->ItemHeight(), 5);
    EXPECT_EQ(list->width(), editor->width() - editor->ButtonRect().width());

    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(grid->Cells(1, 1), "Item 3");
    EXPECT_EQ(selections, 0);

    // A click on the button drops it down; Alt+Up takes the entry.
    QTest::mouseClick(editor, Qt::LeftButton, {}, editor->ButtonRect().center());
    ASSERT_TRUE(editor->ListVisible());
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(grid->Cells(1, 1), "Item 4");
    EXPECT_EQ(selections, 1);

    // Fewer items than the count: as many rows as items.
    type.SetItems({"A", "B"});
    key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(list->VisibleRows(), 2);
    QTest::keyClick(list, Qt::Key_Escape);

    // ComboMaxWidth: as wide as the widest item.
    type.SetItems({"A", "a rather long entry of the list"});
    type.SetComboMaxWidth(true);
    key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_GT(list->width(), editor->width());
    EXPECT_GE(list->width(), list->fontMetrics().horizontalAdvance("a rather long entry of the list"));
    QTest::keyClick(list, Qt::Key_Escape);
}

TEST_F(TypedGridTest, ExitCellKeepsTheCellUntilItAllowsAndEnterCellFollows)
{
    threeColumns();
    QStringList events;
    grid->OnExitCell = [&](QObject*, int col, int row, bool& allow) {
        events << QStringLiteral("exit %1,%2").arg(col).arg(row);
        allow = !grid->Cells(col, row).isEmpty();
    };
    grid->OnEnterCell = [&](QObject*, int col, int row) {
        events << QStringLiteral("enter %1,%2 now %3,%4").arg(col).arg(row).arg(grid->Col()).arg(grid->Row());
    };
    int edited = 0;
    grid->OnCellEdited = [&](QObject*, int col, int row) {
        events << QStringLiteral("edited %1,%2").arg(col).arg(row);
        ++edited;
    };
    grid->SetCells(0, 1, QString());
    show();
    grid->FocusCell(0, 1);
    events.clear();
    key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(events, QStringList({"exit 0,1"}));
    events.clear();

    type(QStringLiteral("NAME"));
    key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(events, QStringList({"exit 0,1", "edited 0,1", "enter 0,2 now 0,2"}));
    events.clear();

    // Moving on without a change reports no edit.
    key(Qt::Key_F2);
    key(Qt::Key_Down);
    EXPECT_EQ(events, QStringList({"exit 0,2", "enter 0,3 now 0,3"}));
    EXPECT_EQ(edited, 1);

    // A click is refused the same way.
    grid->SetCells(0, 3, QString());
    const QRect target = grid->CellRect(1, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, target.center());
    EXPECT_EQ(grid->Row(), 3);
}

TEST_F(TypedGridTest, LeavingAndEnteringTheGridReportTheCurrentCell)
{
    threeColumns();
    auto* other = new QLineEdit(window.get());
    other->setGeometry(10, 295, 100, 4);
    QStringList events;
    grid->OnExitCell = [&](QObject*, int col, int row, bool&) { events << QStringLiteral("exit %1,%2").arg(col).arg(row); };
    grid->OnEnterCell = [&](QObject*, int col, int row) { events << QStringLiteral("enter %1,%2").arg(col).arg(row); };
    grid->OnCellEdited = [&](QObject*, int col, int row) { events << QStringLiteral("edited %1,%2").arg(col).arg(row); };
    show();
    grid->FocusCell(2, 2);
    events.clear();
    type(QStringLiteral("x"));
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(events, QStringList({"edited 2,2", "exit 2,2"}));
    EXPECT_EQ(grid->Cells(2, 2), "x");
    events.clear();
    grid->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(events, QStringList({"enter 2,2"}));
}

TEST_F(TypedGridTest, CellsShowTheirColumnsFormat)
{
    threeColumns();
    TtgColumn& amount = *grid->Columns().Item(2);
    amount.SetFormatType(tgfmtNumeric);
    amount.SetPrefix(QStringLiteral("$"));
    amount.SetDecimals(2);
    amount.SetNegativeParenthesis(true);
    grid->SetCells(2, 1, QStringLiteral("1234.5"));
    grid->SetCells(2, 2, QStringLiteral("-1"));
    grid->SetCells(2, 3, QStringLiteral("n/a"));
    QStringList errors;
    grid->OnConversionError = [&](QObject*, int col, int row, const QString& text) {
        errors << QStringLiteral("%1,%2 %3").arg(col).arg(row).arg(text);
    };
    EXPECT_EQ(grid->DisplayText(2, 1), "$1,234.50");
    EXPECT_EQ(grid->DisplayText(2, 2), "($1.00)");
    EXPECT_EQ(grid->DisplayText(2, 3), "n/a");
    EXPECT_EQ(errors, QStringList({"2,3 n/a"}));

    amount.SetFormatType(tgfmtScientific);
    EXPECT_EQ(grid->DisplayText(2, 1), "1.23E+03");

    grid->OnDisplayText = [](QObject*, int, int row, QString& text, bool& format) {
        if (row == 1)
            format = false;
        else
            text = QStringLiteral("7");
    };
    EXPECT_EQ(grid->DisplayText(2, 1), "1234.5");
    EXPECT_EQ(grid->DisplayText(2, 2), "7.00E+00");
    EXPECT_EQ(grid->Cells(2, 2), "-1"); // the cell itself is untouched
}

TEST_F(TypedGridTest, CellAttributesComeFromTheColumnAndTheHandler)
{
    threeColumns();
    TtgColumn& name = *grid->Columns().Item(0);
    name.SetColumnColor(clSilver);
    name.SetColumnHAlignment(Qt::AlignRight);
    name.SetTitleColor(clWhite);
    TtgCellAttributes title = grid->CellAttributes(0, 0, gdFixed);
    EXPECT_EQ(title.Caption, "Name");
    EXPECT_EQ(title.Color, clWhite);
    EXPECT_EQ(title.HAlignment, Qt::AlignHCenter);
    EXPECT_EQ(title.ClipStyle, tgclpWrap);
    EXPECT_EQ(title.OuterBevel, TPanelBevel::bvRaised);
    name.SetCaption(QString());
    grid->SetCells(0, 0, QStringLiteral("cell text"));
    EXPECT_EQ(grid->CellAttributes(0, 0, gdFixed).Caption, "cell text");

    TtgCellAttributes data = grid->CellAttributes(0, 1, {});
    EXPECT_EQ(data.Color, clSilver);
    EXPECT_EQ(data.HAlignment, Qt::AlignRight);
    EXPECT_EQ(data.ClipStyle, tgclpEllipsis);

    EXPECT_EQ(grid->CellAttributes(0, 1, gdSelected).Color, clSilver);
    grid->SetGridOptions(tgoptHighlightSelection);
    EXPECT_EQ(grid->CellAttributes(0, 1, gdSelected).Color, clHighlight);
    EXPECT_EQ(grid->CellAttributes(0, 1, gdSelected).FontColor, clHighlightText);

    grid->OnChangeCellAttributes = [](QObject*, int, int row, TGridDrawState, TtgCellAttributes& a) {
        if (row == 2)
            a.Color = clBlack;
    };
    EXPECT_EQ(grid->CellAttributes(0, 2, {}).Color, clBlack);
}

TEST_F(TypedGridTest, CellsTooSmallForTheirTextGrowButNeverShrink)
{
    threeColumns();
    grid->SetGridAdjustColWidth(true);
    grid->SetColWidths(0, 30);
    grid->SetCells(0, 1, QStringLiteral("a rather long name for this column"));
    show();
    grid->viewport()->repaint();
    QApplication::processEvents();
    const int grown = grid->ColWidths(0);
    EXPECT_GT(grown, 150);
    grid->SetColWidths(0, 400);
    grid->viewport()->repaint();
    QApplication::processEvents();
    EXPECT_EQ(grid->ColWidths(0), 400);

    grid->SetGridAdjustRowHeight(true);
    grid->SetRowHeights(3, 60);
    grid->Columns().Item(1)->SetColumnClipStyle(tgclpWrap);
    grid->SetColWidths(1, 40);
    grid->SetCells(1, 2, QStringLiteral("several words that wrap over lines"));
    grid->viewport()->repaint();
    QApplication::processEvents();
    EXPECT_GT(grid->RowHeights(2), 40);
    EXPECT_EQ(grid->RowHeights(3), 60);
}

// The timer's ticks are driven by the test, not waited for.
TEST_F(TypedGridTest, ACellHintShowsOnTheSixtiethTickAndMovesWithTheCell)
{
    threeColumns();
    grid->SetManualHintTicks(true);
    grid->SetHintFollowsMouse(false);
    int asked = 0;
    grid->OnShowCellHint = [&](QObject*, int col, int row, QString& text) {
        ++asked;
        text = row == 3 ? QStringLiteral("   ") : QStringLiteral("hint %1,%2").arg(col).arg(row);
    };
    show();
    grid->FocusCell(1, 2);
    grid->FocusCell(1, 1);
    for (int i = 1; i < TTgHintGrid::HintTicks; ++i)
        grid->HintTimerTick();
    EXPECT_FALSE(grid->HintShowing());
    EXPECT_EQ(asked, 0);
    grid->HintTimerTick();
    EXPECT_TRUE(grid->HintShowing());
    EXPECT_EQ(grid->HintText(), "hint 1,1");
    EXPECT_FALSE(grid->HintTimerActive());
    const QRect cell = grid->CellRect(1, 1);
    EXPECT_EQ(grid->HintWindow()->pos(), grid->viewport()->mapToGlobal(cell.bottomLeft() + QPoint(0, 1)));

    key(Qt::Key_Down);
    EXPECT_FALSE(grid->HintShowing());
    EXPECT_TRUE(grid->HintTimerActive());
    for (int i = 0; i < TTgHintGrid::HintTicks; ++i)
        grid->HintTimerTick();
    EXPECT_EQ(grid->HintText(), "hint 1,2");

    key(Qt::Key_Down); // a blank text shows no hint
    for (int i = 0; i < TTgHintGrid::HintTicks; ++i)
        grid->HintTimerTick();
    EXPECT_FALSE(grid->HintShowing());
    EXPECT_EQ(asked, 3);
}

TEST_F(TypedGridTest, AHintFollowingTheMouseCountsForTheCellUnderIt)
{
    threeColumns();
    grid->SetManualHintTicks(true);
    QString asked;
    grid->OnShowCellHint = [&](QObject*, int col, int row, QString& text) {
        asked = QStringLiteral("%1,%2").arg(col).arg(row);
        text = asked;
    };
    show();
    QTest::mouseMove(grid->viewport(), grid->CellRect(2, 3).center());
    EXPECT_EQ(grid->HintCol(), 2);
    EXPECT_EQ(grid->HintRow(), 3);
    for (int i = 0; i < TTgHintGrid::HintTicks; ++i)
        grid->HintTimerTick();
    EXPECT_EQ(grid->HintText(), "2,3");
    QTest::mouseMove(grid->viewport(), grid->CellRect(0, 1).center());
    EXPECT_FALSE(grid->HintShowing());
    EXPECT_EQ(grid->HintCol(), 0);
    EXPECT_TRUE(grid->HintTimerActive());
}

TEST(TypedGridBorders, LinesStepInwardAndTheCellShrinksByThem)
{
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TtgCellBorders borders;
    borders.Top = {tgbrdSolid, 2, clBlack};
    borders.Left = {tgbrdDouble, 1, clBlack};
    QRect rect(0, 0, 20, 20);
    DrawCellBorders(painter, rect, borders);
    painter.end();
    EXPECT_EQ(rect, QRect(3, 2, 17, 18));
    EXPECT_EQ(image.pixelColor(10, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(10, 1), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(10, 2), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(0, 10), QColor(Qt::black)); // double: lines at 0 and width + 1
    EXPECT_EQ(image.pixelColor(1, 10), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(2, 10), QColor(Qt::black));
    EXPECT_EQ(TtgBorder{}.Extent(), 0);
    EXPECT_EQ((TtgBorder{tgbrdDot, 3, clBlack}.Extent()), 3);
}

TEST_F(TypedGridTest, TitleClicksNameTheHeadingUnderThePoint)
{
    threeColumns();
    grid->SetRowHeights(0, 40);
    TtgHeading& heading = grid->Headings().Add();
    heading.SetCaption(QStringLiteral("Parameter"));
    EXPECT_EQ(heading.Name(), "Column 1");
    grid->Columns().Item(0)->SetHeadingIndex(0);
    grid->Columns().Item(1)->SetHeadingIndex(0);
    struct Click
    {
        int col, row, heading;
    };
    std::vector<Click> clicks;
    grid->OnFixedCellClick = [&](QObject*, int col, int row, Qt::MouseButton button, Qt::KeyboardModifiers,
                                 const QPoint&, int headingIndex) {
        EXPECT_EQ(button, Qt::LeftButton);
        clicks.push_back({col, row, headingIndex});
    };
    show();
    const QRect title = grid->CellRect(1, 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(title.center().x(), title.top() + 8));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(title.center().x(), title.bottom() - 8));
    const QRect third = grid->CellRect(2, 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(third.center().x(), third.top() + 8));
    // On the border between titles the press belongs to the lines.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(title.right() + 1, title.center().y()));
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[0].heading, 0);
    EXPECT_EQ(clicks[1].heading, -1);
    EXPECT_EQ(clicks[2].heading, -1);
    EXPECT_EQ(clicks[2].col, 2);

    grid->SetGridColumnClick(false);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, title.center());
    EXPECT_EQ(clicks.size(), 3u);
}

TEST_F(TypedGridTest, ShiftEnterAndTheButtonReportButtonClicks)
{
    threeColumns();
    TtgColumn& description = *grid->Columns().Item(2);
    description.SetControlType(tgctlButton);
    QStringList clicks;
    grid->OnButtonClick = [&](QObject*, int col, int row) { clicks << QStringLiteral("%1,%2").arg(col).arg(row); };
    show();
    grid->FocusCell(2, 1);
    key(Qt::Key_Return, Qt::ShiftModifier);
    key(Qt::Key_F2);
    TTgInplaceEdit* editor = grid->CellEditor();
    EXPECT_EQ(editor->Kind(), TTgInplaceEdit::ckButton);
    QTest::mouseClick(editor, Qt::LeftButton, {}, editor->ButtonRect().center());
    key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(clicks, QStringList({"2,1", "2,1", "2,1"}));
    // Elsewhere in the editor a click only places the caret.
    QTest::mouseClick(editor, Qt::LeftButton, {}, QPoint(3, editor->height() / 2));
    EXPECT_EQ(clicks.size(), 3);
}

TEST_F(TypedGridTest, TheTextLimitHoldsForTypingAndCutsNothingInTheCell)
{
    threeColumns();
    grid->Columns().Item(0)->SetMaxTextLength(5);
    grid->SetCells(0, 2, QStringLiteral("0123456789"));
    show();
    grid->FocusCell(0, 1);
    type(QStringLiteral("abcdefg"));
    EXPECT_EQ(grid->Cells(0, 1), "abcde");
    key(Qt::Key_Down);
    key(Qt::Key_F2);
    key(Qt::Key_End);
    key(Qt::Key_Backspace);
    EXPECT_EQ(grid->Cells(0, 2), "012345678");
}

TEST_F(TypedGridTest, HandlersThatRaiseAreShownAndKeepTheCell)
{
    threeColumns();
    grid->OnExitCell = [](QObject*, int, int, bool&) { throw std::runtime_error("exit failed"); };
    show();
    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(script.messages(), QStringList({"exit failed"}));
}

class TypedGridRegistryTest : public TypedGridTest
{
protected:
    const QString registryKey = QStringLiteral("Software\\Qyl\\Qorvane\\FormPlacements\\TableFields");

    void SetUp() override
    {
        TypedGridTest::SetUp();
        QvRegistry registry;
        registry.deleteKey(QLatin1Char('\\') + registryKey);
        threeColumns();
        grid->SetColumnsRegistryKey(registryKey);
    }
};

TEST_F(TypedGridRegistryTest, WidthsComeBackWithTheWindowAndBadEntriesAreSkipped)
{
    {
        TRegIniStorage storage(registryKey);
        storage.WriteInteger(QString(), QStringLiteral("name"), 150);
        storage.WriteInteger(QString(), QStringLiteral("Renamed Column"), 99);
        storage.WriteInteger(QString(), QStringLiteral("Type"), -5);
        storage.WriteString(QString(), QStringLiteral("Description"), QStringLiteral("wide"));
    }
    show();
    EXPECT_EQ(grid->ColWidths(0), 150);
    EXPECT_EQ(grid->ColWidths(1), 64);
    EXPECT_EQ(grid->ColWidths(2), 64);

    grid->SetColWidths(1, 77);
    window.reset(); // the grid goes with its window and writes the widths
    const TRegIniStorage storage(registryKey);
    EXPECT_EQ(storage.ReadInteger(QString(), QStringLiteral("Name"), 0), 150);
    EXPECT_EQ(storage.ReadInteger(QString(), QStringLiteral("Type"), 0), 77);
    EXPECT_EQ(storage.ReadInteger(QString(), QStringLiteral("Description"), 0), 64);
}

TEST_F(TypedGridRegistryTest, AMissingKeyLeavesTheDesignedWidthsAndIsNotCreated)
{
    grid->SetColWidths(2, 171);
    show();
    EXPECT_EQ(grid->ColWidths(2), 171);
    EXPECT_FALSE(QvRegistry().keyExists(QLatin1Char('\\') + registryKey));
}

TEST_F(TypedGridTest, RendersTitlesHeadingsFormatsAndTheCellEditor)
{
    threeColumns();
    grid->SetRowHeights(0, 36);
    grid->Headings().Add().SetCaption(QStringLiteral("Parameter"));
    grid->Columns().Item(0)->SetHeadingIndex(0);
    grid->Columns().Item(1)->SetHeadingIndex(0);
    TtgColumn& amount = *grid->Columns().Item(2);
    amount.SetFormatType(tgfmtNumeric);
    amount.SetPrefix(QStringLiteral("$"));
    amount.SetColumnHAlignment(Qt::AlignRight);
    amount.SetWidth(120);
    grid->SetCells(2, 1, QStringLiteral("1234.5"));
    grid->SetCells(2, 2, QStringLiteral("-1"));
    grid->SetGridOptions(tgoptDrawFocusRectangle | tgoptHighlightSelection);
    grid->OnGetCellImage = [](QObject*, int col, int row, QPixmap& image) {
        if (col == 0 && row == 3) {
            image = QPixmap(8, 8);
            image.fill(Qt::red);
        }
    };
    grid->OnChangeCellBorders = [](QObject*, int col, int row, TGridDrawState, TtgCellBorders& borders) {
        if (col == 2 && row == 3)
            borders.Bottom = {tgbrdDouble, 1, clBlack};
    };
    show();
    grid->FocusCell(1, 2);
    type(QStringLiteral("va"));
    QApplication::processEvents();
    const QImage image = window->grab().toImage();
    // The cell image sits 2 pixels in from the cell's left edge, centred.
    const QRect withImage = grid->CellRect(0, 3).translated(grid->viewport()->mapTo(window.get(), QPoint(0, 0)));
    EXPECT_EQ(image.pixelColor(withImage.left() + 4, withImage.center().y()), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(withImage.left() + 1, withImage.center().y()), QColor(Qt::red));
    // The title row is drawn in the button face, the heading above the captions.
    EXPECT_EQ(image.pixelColor(QPoint(10 + 30, 10 + 8)), ColorToQColor(clBtnFace));
    TTgInplaceEdit* editor = grid->CellEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    ASSERT_TRUE(editor->SuggestionVisible());
    key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    // The list opens just below the cell.
    EXPECT_EQ(editor->DropDownList()->pos(), editor->mapToGlobal(QPoint(0, editor->height())));
    QTest::keyClick(editor->DropDownList(), Qt::Key_Escape);
}

} // namespace
