// The table model over a data source, checked by Qt's own model tester while
// the dataset moves, fetches, edits, inserts and deletes.
#include "VectorDataSet_support.h"

#include "platform/db/DataSetModel.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

class Model : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.SetLazy(true);
        FillFiveProducts(ds);
        source.SetDataSet(&ds);
        model.setFetchChunk(2);
        model.setDataSource(&source);
        tester = std::make_unique<QAbstractItemModelTester>(
            &model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    QString Cell(int row, int column, int role = Qt::DisplayRole)
    {
        return model.data(model.index(row, column), role).toString();
    }
    QStringList Errors()
    {
        QCoreApplication::processEvents();
        QStringList errors;
        for (const QList<QVariant>& arguments : errorSpy)
            errors.append(arguments.at(0).toString());
        errorSpy.clear();
        return errors;
    }

    TVectorDataSet ds;
    TDataSource source;
    TDataSetModel model;
    QSignalSpy errorSpy{&model, &TDataSetModel::errorOccurred};
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(Model, ClosedDatasetShowsNothing)
{
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_FALSE(model.canFetchMore({}));
}

TEST_F(Model, ColumnsAreTheVisibleFields)
{
    ds.Open();
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "NAME");
    ds.FieldByName("PRICE").SetDisplayLabel("Price");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "Price");
    ds.FieldByName("ID").SetVisible(false);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.fieldAt(0)->FieldName(), "NAME");
    EXPECT_EQ(model.columnOf(&ds.FieldByName("PRICE")), 1);
    EXPECT_TRUE(model.data(model.index(0, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
}

TEST_F(Model, RowsAreFetchedAsTheViewAsks)
{
    ds.Open();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(Cell(0, 1), "Apple");
    ASSERT_TRUE(model.canFetchMore({}));
    model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(Cell(2, 1), "cherry");
    EXPECT_EQ(Cell(2, 2), "12");
    model.fetchMore({});
    model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_EQ(ds.RecNo(), 1); // reading rows never moved the dataset
}

TEST_F(Model, MovingTheDatasetMovesTheCurrentRowAndFetchesAlong)
{
    ds.Open();
    QSignalSpy current(&model, &TDataSetModel::currentRowChanged);
    ds.Next();
    ds.Next();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.currentRow(), 2);
    ASSERT_FALSE(current.isEmpty());
    EXPECT_EQ(current.last().at(0).toInt(), 2);
    ds.Last();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.currentRow(), 4);
}

TEST_F(Model, SetCurrentRowMovesTheDataset)
{
    ds.Open();
    ds.Last();
    EXPECT_TRUE(model.setCurrentRow(1));
    EXPECT_EQ(ds.FieldByName("NAME").AsString(), "Banana");
    EXPECT_EQ(model.currentRow(), 1);
    EXPECT_FALSE(model.setCurrentRow(7));
}

TEST_F(Model, SetDataEditsAndPostsWhenTheRowIsLeft)
{
    ds.Open();
    ds.Last();
    const QModelIndex cell = model.index(1, 1);
    EXPECT_TRUE(model.flags(cell) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.setData(cell, "Plantain"));
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_EQ(Cell(1, 1), "Plantain");
    EXPECT_EQ(Cell(1, 1, Qt::EditRole), "Plantain");
    EXPECT_EQ(ds.StoredRow(1).value(1).toString(), "Banana");
    EXPECT_TRUE(model.setData(model.index(1, 2), "0.5"));
    EXPECT_TRUE(model.setData(model.index(3, 1), "Dattel")); // another row: the first is posted
    EXPECT_EQ(ds.StoredRow(1).value(1).toString(), "Plantain");
    EXPECT_DOUBLE_EQ(ds.StoredRow(1).value(2).toDouble(), 0.5);
    EXPECT_TRUE(model.submit());
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.StoredRow(3).value(1).toString(), "Dattel");
    EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(Model, RevertDropsTheEdit)
{
    ds.Open();
    EXPECT_TRUE(model.setData(model.index(0, 1), "Pear"));
    model.revert();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Cell(0, 1), "Apple");
}

TEST_F(Model, RefusedValuesAreReportedNotThrown)
{
    ds.Open();
    EXPECT_FALSE(model.setData(model.index(0, 0), "twelve"));
    EXPECT_EQ(Errors(), QStringList({"'twelve' is not a valid integer value for field 'ID'"}));
    ds.FailureHook = [](const char* step) {
        if (QString(step) == "post")
            throw EDatabaseError("violation of PRIMARY or UNIQUE KEY constraint");
    };
    EXPECT_TRUE(model.setData(model.index(0, 1), "Pear"));
    EXPECT_FALSE(model.submit());
    EXPECT_EQ(ds.State(), dsEdit); // the user's text is kept
    EXPECT_EQ(Errors(), QStringList({"violation of PRIMARY or UNIQUE KEY constraint"}));
    EXPECT_FALSE(model.setCurrentRow(0) && ds.State() == dsBrowse);
}

TEST_F(Model, ReadOnlyDatasetIsNotEditable)
{
    ds.SetReadOnly(true);
    ds.Open();
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(model.index(0, 1), "Pear"));
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(Model, InsertShowsANewRowUntilCancelled)
{
    ds.Open();
    model.fetchMore({});
    ds.Next(); // Banana
    const int rows = model.rowCount();
    ASSERT_GE(rows, 3);
    EXPECT_EQ(rows, ds.RecordCount());
    ds.Insert();
    // The model tester fetches rows of its own; the new record's row is one more.
    EXPECT_EQ(model.rowCount(), ds.RecordCount() + 1);
    EXPECT_EQ(model.currentRow(), 1);
    EXPECT_EQ(Cell(0, 1), "Apple");
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(Cell(2, 1), "Banana");
    EXPECT_EQ(Cell(3, 1), "cherry");
    EXPECT_TRUE(model.setData(model.index(1, 1), "Kiwi"));
    EXPECT_EQ(Cell(1, 1), "Kiwi");
    ds.Cancel();
    EXPECT_EQ(model.rowCount(), ds.RecordCount());
    EXPECT_EQ(Cell(1, 1), "Banana");
}

TEST_F(Model, PostedInsertAndDeleteKeepRowsInStep)
{
    ds.Open();
    ds.Last();
    ds.Append();
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.currentRow(), 5);
    ds.FieldByName("NAME").SetAsString("Fig");
    ds.Post();
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(Cell(5, 1), "Fig");
    ds.First();
    ds.Delete();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(Cell(0, 1), "Banana");
    EXPECT_EQ(model.currentRow(), 0);
}

TEST_F(Model, ReopenAndDisabledControlsEndInAConsistentModel)
{
    ds.Open();
    ds.DisableControls();
    ds.Close();
    ds.SetLazy(false);
    ds.Open();
    // Until the controls are enabled the model holds nothing of the old open.
    EXPECT_EQ(Cell(0, 1), "");
    ds.EnableControls();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(Cell(4, 1), "apricot");
    ds.Close();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
}

TEST_F(Model, CalculatedFieldsShowInEveryRow)
{
    auto add = [&](std::unique_ptr<TField> field) -> TField& { return ds.AddField(std::move(field)); };
    add(std::make_unique<TStringField>("NAME", 20));
    auto upper = std::make_unique<TStringField>("UPPER", 20);
    upper->SetFieldKind(fkCalculated);
    add(std::move(upper));
    ds.OnCalcFields = [](TDataSet& d) { d.FieldByName("UPPER").SetAsString(d.FieldByName("NAME").AsString().toUpper()); };
    ds.SetLazy(false);
    ds.Open();
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(Cell(2, 1), "CHERRY");
    EXPECT_EQ(Cell(0, 1), "APPLE");
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
}

TEST_F(Model, TypedValuesFromAnEditorAreTakenAsTheyAre)
{
    ds.Open();
    EXPECT_TRUE(model.setData(model.index(0, 0), QVariant(77)));
    EXPECT_TRUE(model.setData(model.index(0, 2), QVariant(2.75)));
    model.submit();
    EXPECT_EQ(ds.StoredRow(0).value(0).toInt(), 77);
    EXPECT_DOUBLE_EQ(ds.StoredRow(0).value(2).toDouble(), 2.75);
    EXPECT_FALSE(model.setData(model.index(0, 1), "x", Qt::DisplayRole)); // only the edit role edits
}

TEST(ModelLifetime, SourceOrDatasetGoingAwayEmptiesTheModel)
{
    TDataSetModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    {
        TVectorDataSet ds;
        FillFiveProducts(ds);
        TDataSource source;
        source.SetDataSet(&ds);
        model.setDataSource(&source);
        ds.Open();
        EXPECT_EQ(model.rowCount(), 5);
        EXPECT_EQ(model.columnCount(), 3);
    } // the source goes first, then the dataset
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_EQ(model.dataSource(), nullptr);

    TDataSource source;
    model.setDataSource(&source);
    {
        TVectorDataSet ds;
        FillFiveProducts(ds);
        source.SetDataSet(&ds);
        ds.Open();
        EXPECT_EQ(model.rowCount(), 5);
    } // the dataset goes while the source stays
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(source.DataSet(), nullptr);
}

TEST_F(Model, ViewFetchesAsItScrolls)
{
    TVectorDataSet big;
    big.SetLazy(true);
    big.SetColumns({{"N", ftInteger}});
    for (int i = 0; i < 500; ++i)
        big.AddRow({i});
    TDataSource bigSource;
    bigSource.SetDataSet(&big);
    TDataSetModel bigModel;
    bigModel.setDataSource(&bigSource);
    QAbstractItemModelTester bigTester(&bigModel, QAbstractItemModelTester::FailureReportingMode::Fatal);
    big.Open();
    QTableView view;
    view.setModel(&bigModel);
    view.resize(200, 300);
    view.show();
    QCoreApplication::processEvents();
    const int before = bigModel.rowCount();
    EXPECT_LT(before, 500);
    view.scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_GT(bigModel.rowCount(), before);
    EXPECT_EQ(big.RecNo(), 1);
}

} // namespace
