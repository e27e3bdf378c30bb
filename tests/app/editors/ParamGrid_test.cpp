// The grids, pick list and description dialog the procedure and trigger
// editors share: rows with their hidden descriptions, the keys, the cell
// checks across an editor's grids, and the F4 list's entries.

#include "app/editors/ParamDescription.h"
#include "app/editors/ParamGrid.h"
#include "app/editors/ParamList.h"
#include "app/shell/MyConst.h"
#include "app/shell/Options.h"
#include "components/TgGrid.h"
#include "platform/DialogScript.h"

#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

inline void PrintTo(const TParamRow& row, std::ostream* os)
{
    *os << '{' << row.Name.toStdString() << '|' << row.Type.toStdString() << '|' << row.Description.toStdString()
        << '}';
}

namespace {

class ParamGridTest : public ::testing::Test
{
protected:
    ParamGridTest()
        : inputs(new TTypedGrid(&window), "Parameter name", ParamTypeItems(false), 9)
        , locals(new TTypedGrid(&window), "Parameter name", ParamTypeItems(false), 9)
    {
        inputs.SetGroup({&inputs, &locals});
        locals.SetGroup({&inputs, &locals});
        inputs.OnModified = [this] { ++modified; };
        inputs.OnRemoveRequest = [this](int row) { inputs.RemoveRow(row); };
        window.resize(400, 300);
        inputs.Grid()->setGeometry(0, 0, 400, 150);
        locals.Grid()->setGeometry(0, 150, 400, 150);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
    }

    void key(TTypedGrid* grid, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        grid->setFocus();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }

    QWidget window;
    TParamGrid inputs;
    TParamGrid locals;
    int modified = 0;
    qv::DialogScript script;
};

TEST_F(ParamGridTest, RowsKeepTheirDescriptionsThroughRemoveAndSwap)
{
    EXPECT_TRUE(inputs.IsEmpty());
    EXPECT_EQ(inputs.Grid()->RowCount(), 2);
    inputs.SetRows({{"A", "Integer", "first"}, {"B", "Date", "second"}, {"C", "Float", "third"}});
    EXPECT_EQ(inputs.Grid()->ColCount(), 2);
    inputs.RemoveRow(2);
    EXPECT_EQ(inputs.Rows(), (TParamRows{{"A", "Integer", "first"}, {"C", "Float", "third"}}));
    inputs.Grid()->FocusCell(ParamNameCol, 2);
    key(inputs.Grid(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(inputs.Rows(), (TParamRows{{"C", "Float", "third"}, {"A", "Integer", "first"}}));
    EXPECT_EQ(inputs.Grid()->Row(), 1);
    key(inputs.Grid(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(inputs.Rows(), (TParamRows{{"A", "Integer", "first"}}));
    inputs.RemoveRow(1);
    EXPECT_TRUE(inputs.IsEmpty());
    EXPECT_EQ(inputs.Rows(), (TParamRows{{"", "", ""}}));
    EXPECT_GE(modified, 3);
}

TEST_F(ParamGridTest, DescriptionHintFollowsTheOption)
{
    const bool saved = Options().ShowProcParameterDescription;
    Options().ShowProcParameterDescription = true;
    inputs.SetRows({{"A", "Integer", "the first one"}, {"B", "Date", ""}});
    inputs.Grid()->FocusCell(ParamTypeCol, 1);
    EXPECT_TRUE(inputs.DescriptionHintShowing());
    EXPECT_EQ(inputs.DescriptionHintText(), QStringLiteral("the first one"));
    inputs.Grid()->FocusCell(ParamTypeCol, 2);
    EXPECT_FALSE(inputs.DescriptionHintShowing());
    Options().ShowProcParameterDescription = false;
    inputs.Grid()->FocusCell(ParamNameCol, 1);
    EXPECT_FALSE(inputs.DescriptionHintShowing());
    Options().ShowProcParameterDescription = saved;
}

TEST_F(ParamGridTest, KeysAddAndDropRows)
{
    inputs.Grid()->FocusCell(ParamNameCol, 1);
    // No row after an unnamed one.
    EXPECT_FALSE(inputs.AddRow());
    inputs.Grid()->SetCells(ParamNameCol, 1, "A");
    key(inputs.Grid(), Qt::Key_Return);
    EXPECT_EQ(inputs.Grid()->Col(), ParamTypeCol);
    inputs.Grid()->SetCells(ParamTypeCol, 1, "Integer");
    key(inputs.Grid(), Qt::Key_Return);
    EXPECT_EQ(inputs.Grid()->RowCount(), 3);
    EXPECT_EQ(inputs.Grid()->Row(), 2);
    EXPECT_EQ(inputs.Grid()->Col(), ParamNameCol);
    // Up on the empty last row takes it away again.
    key(inputs.Grid(), Qt::Key_Up);
    EXPECT_EQ(inputs.Grid()->RowCount(), 2);
    EXPECT_EQ(inputs.Grid()->Row(), 1);
    // Down on a complete last row adds one and enters it.
    key(inputs.Grid(), Qt::Key_Down);
    EXPECT_EQ(inputs.Grid()->RowCount(), 3);
    EXPECT_EQ(inputs.Grid()->Row(), 2);
    EXPECT_TRUE(script.messages().isEmpty());
}

TEST_F(ParamGridTest, NamesAreCheckedAcrossTheGroupWithoutLetterCase)
{
    inputs.SetRows({{"Amount", "Integer", ""}});
    locals.SetRows({{"AMOUNT", "Integer", ""}, {"1A", "Integer", ""}});
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(locals.CheckCell(ParamNameCol, 1));
    EXPECT_EQ(script.messages().last(), QStringLiteral("Duplicate Identifier !"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(locals.CheckCell(ParamNameCol, 2));
    EXPECT_EQ(script.messages().last(), QStringLiteral("\"1A\" is not valid Identifier !"));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(inputs.CheckCell(ParamNameCol, 1)); // the same clash seen from the other grid
    script.clearShown();

    // Leaving the cell refuses the move.
    locals.SetRows({{"B", "Integer", ""}, {"C", "Integer", ""}});
    locals.Grid()->FocusCell(ParamNameCol, 2);
    locals.Grid()->SetCells(ParamNameCol, 2, "b");
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(locals.Grid()->FocusCell(ParamNameCol, 1));
    EXPECT_EQ(locals.Grid()->Row(), 2);
    EXPECT_EQ(script.messages(), QStringList{"Duplicate Identifier !"});
}

TEST_F(ParamGridTest, SavingChecksEveryCellEvenWithTheEditorOpen)
{
    inputs.SetRows({{"A", "Integer", ""}, {"B", "Bigint", ""}});
    EXPECT_TRUE(inputs.CheckAllCells());
    inputs.Grid()->setFocus();
    inputs.Grid()->FocusCell(ParamNameCol, 2);
    inputs.Grid()->ShowEditor();
    QTest::keyClicks(QApplication::focusWidget(), "9");
    const QString typed = inputs.Grid()->Cells(ParamNameCol, 2);
    ASSERT_TRUE(typed.contains(u'9'));
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(inputs.CheckAllCells());
    EXPECT_EQ(script.messages(), QStringList{"\"" + typed + "\" is not valid Identifier !"});
    EXPECT_EQ(inputs.Grid()->Row(), 2);

    inputs.SetRows({{"A", "", ""}});
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(inputs.CheckEmptyCells());
    EXPECT_EQ(script.messages().last(), QStringLiteral("Empty parameter type is not allowed !"));
    EXPECT_EQ(inputs.Grid()->Col(), ParamTypeCol);
    inputs.SetRows({{"A", "Integer", ""}, {"", "Integer", ""}});
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(inputs.CheckEmptyCells());
    EXPECT_EQ(script.messages().last(), QStringLiteral("Empty parameter name is not allowed !"));
    EXPECT_EQ(inputs.Grid()->Row(), 2);
    inputs.SetRows({});
    EXPECT_TRUE(inputs.CheckEmptyCells());
}

TEST(ParamTypes, EveryTypeTheTypeRoutineNamesIsAccepted)
{
    const int types[] = {7, 8, 10, 12, 13, 14, 16, 23, 27, 35, 37, 261};
    for (const int dialect : {1, 3}) {
        for (const int type : types) {
            for (const int scale : {0, -2}) {
                const QString name = FieldTypeToStr(type, 40, scale, dialect, 4, 0);
                EXPECT_TRUE(IsValidTypeText(name)) << name.toStdString();
            }
        }
    }
    EXPECT_TRUE(IsValidTypeText("Blob sub_type 1"));
    EXPECT_TRUE(IsValidTypeText("varchar(10) character set UTF8"));
    EXPECT_FALSE(IsValidTypeText("Integr"));
    EXPECT_FALSE(IsValidTypeText("Varchar(10); drop table T"));
    qv::DialogScript script;
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(CheckTypeName("Intger"));
    EXPECT_EQ(script.messages(), QStringList{"\"Intger\"  is not valid Type"});
}

TEST(ParamPickList, EntriesSeparatorsAndInsertion)
{
    EXPECT_TRUE(PickListEntries({{"", "", ""}}, {}, {}).isEmpty());
    const QList<TPickEntry> entries = PickListEntries({{"A", "Integer", ""}}, {{"R", "Date", ""}}, {});
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries.at(0), (TPickEntry{":A", "Integer"}));
    EXPECT_EQ(entries.at(1).Name, QString(54, u'-'));
    EXPECT_EQ(entries.at(2), (TPickEntry{":R", "Date"}));
    EXPECT_EQ(PickListEntries({}, {{"R", "Date", ""}}, {{"X", "Float", ""}}).size(), 3);

    EXPECT_EQ(InsertNameAt("x = ;", 5, ":A", true), QStringLiteral("x = :A;"));
    EXPECT_EQ(InsertNameAt("x", 5, ":A", true), QStringLiteral("x   :A"));
    EXPECT_EQ(InsertNameAt("x", 5, ":A", false), QStringLiteral("x:A"));

    const QRect screen(0, 0, 1000, 800);
    EXPECT_EQ(ParamListGeometry({100, 100}, 30, 8, 16, 4, 3, 1, 5, 20, 300, screen), QRect(170, 132, 300, 100));
    // Too low: moved up to end 20 pixels above the screen's bottom.
    EXPECT_EQ(ParamListGeometry({100, 700}, 30, 8, 16, 1, 3, 1, 5, 20, 300, screen).bottom(), 779);
    EXPECT_EQ(ParamListGeometry({0, 0}, 0, 8, 16, 1, 1, 1, 500, 20, 300, screen).height(), 780);

    TParamList list;
    list.Fill(entries);
    EXPECT_EQ(list.EntryCount(), 3);
    EXPECT_EQ(list.CurrentName(), QStringLiteral(":A"));
    list.SetCurrentEntry(1);
    list.ChooseCurrent();
    EXPECT_EQ(list.result(), QDialog::Rejected);
    EXPECT_FALSE(list.isVisible());
    list.SetCurrentEntry(2);
    list.show();
    QTest::keyClick(static_cast<QWidget*>(list.DBGrid1), Qt::Key_Return);
    EXPECT_EQ(list.result(), QDialog::Accepted);
    EXPECT_EQ(list.CurrentName(), QStringLiteral(":R"));
}

TEST(ParamDescriptions, OnlyDescriptionsChangeAndOnlyOnOk)
{
    qv::DialogScript script;
    TParamRows rows{{"A", "Integer", "old"}, {"B", "Date", ""}};
    script.onModal([](QDialog& dialog) {
        auto& descriptions = static_cast<TParamDescription&>(dialog);
        EXPECT_EQ(descriptions.windowTitle(), QStringLiteral("Local variables descriptions"));
        EXPECT_EQ(descriptions.ParamGrid->Col(), 2);
        EXPECT_EQ(descriptions.ParamGrid->Row(), 1);
        // The name and type cannot be entered.
        EXPECT_FALSE(descriptions.ParamGrid->FocusCell(0, 2));
        descriptions.ParamGrid->SetCells(0, 1, "Z");
        descriptions.ParamGrid->SetCells(2, 2, "new");
        descriptions.accept();
    });
    EXPECT_TRUE(EditParamDescriptions(nullptr, rows, "Local variables descriptions"));
    EXPECT_EQ(rows, (TParamRows{{"A", "Integer", "old"}, {"B", "Date", "new"}}));
    script.onModal([](QDialog& dialog) {
        static_cast<TParamDescription&>(dialog).ParamGrid->SetCells(2, 1, "lost");
        dialog.reject();
    });
    EXPECT_FALSE(EditParamDescriptions(nullptr, rows));
    EXPECT_EQ(rows.at(0).Description, QStringLiteral("old"));
}

} // namespace
