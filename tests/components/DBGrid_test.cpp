// The data-aware grid over an in-memory dataset: pictures for blob-like
// columns, no in-place editor on them, and the confirmed Ctrl+Delete.

#include "components/DBGrid.h"

#include "components/MemoryData.h"
#include "platform/DialogScript.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class DBGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        id = &data.AddField(std::make_unique<TIntegerField>(QStringLiteral("ID")));
        note = &data.AddField(std::make_unique<TMemoField>(QStringLiteral("NOTE")));
        name = &data.AddField(std::make_unique<TStringField>(QStringLiteral("NAME"), 20));
        source.SetDataSet(&data);
        grid.SetDataSource(&source);
        grid.resize(400, 200);
        grid.show();
        grid.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
        data.Open();
    }

    void Add(int i, const QString& memo, const QString& text)
    {
        data.Append();
        id->SetAsInteger(i);
        if (!memo.isNull())
            note->SetAsString(memo);
        name->SetAsString(text);
        data.Post();
    }

    TQcMemoryData data;
    TDataSource source;
    TQcDBGrid grid;
    TField* id = nullptr;
    TField* note = nullptr;
    TField* name = nullptr;
    qv::DialogScript script;
};

TEST(DBGridGlyphs, EachBlobLikeTypeHasItsPictureAndOthersNone)
{
    EXPECT_EQ(GridGlyphName(ftBlob), QStringLiteral("DBG_BLOB"));
    EXPECT_EQ(GridGlyphName(ftBytes), QStringLiteral("DBG_BLOB"));
    EXPECT_EQ(GridGlyphName(ftVarBytes), QStringLiteral("DBG_BLOB"));
    EXPECT_EQ(GridGlyphName(ftTypedBinary), QStringLiteral("DBG_BLOB"));
    EXPECT_EQ(GridGlyphName(ftMemo), QStringLiteral("DBG_MEMO"));
    EXPECT_EQ(GridGlyphName(ftFmtMemo), QStringLiteral("DBG_MEMO"));
    EXPECT_EQ(GridGlyphName(ftGraphic), QStringLiteral("DBG_PICT"));
    EXPECT_EQ(GridGlyphName(ftParadoxOle), QStringLiteral("DBG_OLE"));
    EXPECT_EQ(GridGlyphName(ftDBaseOle), QStringLiteral("DBG_OLE"));
    EXPECT_EQ(GridGlyphName(ftCursor), QStringLiteral("DBG_DATA"));
    for (TFieldType type : {ftString, ftInteger, ftFloat, ftDate, ftLargeint, ftFMTBcd, ftBoolean})
        EXPECT_TRUE(GridGlyphName(type).isEmpty()) << FieldTypeName(type);
    // Made once, transparent where olive was.
    const QPixmap& memo = GridGlyph(QStringLiteral("DBG_MEMO"));
    ASSERT_FALSE(memo.isNull());
    EXPECT_EQ(&memo, &GridGlyph(QStringLiteral("DBG_MEMO")));
    EXPECT_EQ(memo.toImage().pixelColor(0, 0).alpha(), 0);
    EXPECT_TRUE(GridGlyph(QStringLiteral("DBG_NONE")).isNull());
}

TEST_F(DBGridTest, DefaultsAndMemoColumnShowsItsPictureWithoutAnEditor)
{
    // A new grid edits, confirms deletes and shows titles, indicator and lines;
    // no row selection, tabs or editor kept open.
    EXPECT_EQ(grid.Options(), TDBGridOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines
                                             | dgRowLines | dgConfirmDelete | dgCancelOnExit));
    EXPECT_TRUE(grid.ShowGlyphs());
    EXPECT_TRUE(grid.DefaultDrawing());

    Add(1, QStringLiteral("some text"), QStringLiteral("one"));
    Add(2, QString(), QStringLiteral("two"));
    ASSERT_EQ(grid.model()->columnCount(), 3);
    // Null or not, the memo column shows its picture.
    EXPECT_EQ(grid.ColumnGlyph(1), QStringLiteral("DBG_MEMO"));
    EXPECT_TRUE(grid.ColumnGlyph(0).isEmpty());
    EXPECT_TRUE(grid.ColumnGlyph(2).isEmpty());

    // F2 on the memo cell opens no editor; on the name cell it does.
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(0, 1));
    QTest::keyClick(&grid, Qt::Key_F2);
    EXPECT_FALSE(grid.Editing());
    grid.setCurrentIndex(grid.model()->index(0, 2));
    QTest::keyClick(&grid, Qt::Key_F2);
    EXPECT_TRUE(grid.Editing());
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(grid.Editing());

    // Without pictures the column is text again.
    grid.SetShowGlyphs(false);
    EXPECT_TRUE(grid.ColumnGlyph(1).isEmpty());
    grid.SetShowGlyphs(true);
    if (const QString shots = qEnvironmentVariable("QV_SCREENSHOT_DIR"); !shots.isEmpty())
        grid.grab().save(shots + QStringLiteral("/dbgrid.png"));
}

TEST_F(DBGridTest, CtrlDeleteAsksAndDeletesOnlyOnYes)
{
    Add(1, QString(), QStringLiteral("one"));
    Add(2, QString(), QStringLiteral("two"));
    data.First();
    grid.setFocus();

    script.answerMessage(qv::mrNo);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(script.messages(), QStringList{QStringLiteral("Delete record?")});
    EXPECT_EQ(data.RecordCount(), 2);

    script.answerMessage(qv::mrYes);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(data.RecordCount(), 1);
    EXPECT_EQ(id->AsInteger(), 2);
    EXPECT_EQ(grid.model()->rowCount(), 1);
}

TEST_F(DBGridTest, CtrlDeleteDoesNothingOnEmptyOrReadOnly)
{
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(script.shown().empty());

    Add(1, QString(), QStringLiteral("one"));
    grid.SetReadOnly(true);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(script.shown().empty());
    EXPECT_EQ(data.RecordCount(), 1);
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
}

} // namespace
