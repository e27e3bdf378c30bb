// A grid over the buffered dataset: the table model shows the rows fetched so
// far, fetches more as the view scrolls, and edits post to the server.

#include "DataSetTest_support.h"
#include "access/QvDataSet.h"
#include "platform/db/DataSetModel.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

constexpr int rows = 300;

class DataSetModel : public qvdataset::DataSetDatabase
{
protected:
    void SetUp() override
    {
        DataSetDatabase::SetUp();
        if (IsSkipped())
            return;
        ddl(QStringLiteral("create table G (ID integer not null primary key, NAME varchar(20), AMOUNT double precision)"));
        run(QStringLiteral("execute block as declare i integer = 1; begin while (i <= %1) do begin "
                           "insert into G values (:i, 'row ' || :i, :i * 0.5); i = i + 1; end end")
                .arg(rows),
            false);
        commit();
    }
};

TEST_P(DataSetModel, ShowsRowsAndFetchesMoreAsTheViewScrolls)
{
    auto ds = dataSet(QStringLiteral("select ID, NAME, AMOUNT from G order by ID"));
    TDataSource source;
    source.SetDataSet(ds.get());
    TDataSetModel model;
    model.setFetchChunk(40);
    model.setDataSource(&source);
    ds->Open();

    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("NAME"));
    EXPECT_LT(model.rowCount(), rows); // only what the dataset has fetched
    EXPECT_TRUE(model.canFetchMore({}));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("row 1"));

    QTableView view;
    view.setModel(&model);
    view.resize(400, 300);
    view.show();
    QApplication::processEvents();
    const int before = model.rowCount();
    int scrolls = 0;
    while (model.canFetchMore({}) && scrolls < 100) {
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        QApplication::processEvents();
        ++scrolls;
    }
    EXPECT_GT(scrolls, 1);
    EXPECT_GT(model.rowCount(), before);
    ASSERT_EQ(model.rowCount(), rows);
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_EQ(model.data(model.index(rows - 1, 0)).toString(), QString::number(rows));
    EXPECT_EQ(model.data(model.index(rows - 1, 1)).toString(), QStringLiteral("row %1").arg(rows));
    EXPECT_EQ(model.data(model.index(149, 2)).toString(), QStringLiteral("75"));

    // The dataset's cursor follows the view's row and back.
    EXPECT_TRUE(model.setCurrentRow(120));
    EXPECT_EQ(ds->FieldByName("ID").AsInteger(), 121);
    EXPECT_EQ(ds->RecNo(), 121);
    ds->Next();
    EXPECT_EQ(model.currentRow(), 121);
}

TEST_P(DataSetModel, EditsAndDeletesReachTheServer)
{
    auto ds = dataSet(QStringLiteral("select ID, NAME, AMOUNT from G order by ID"));
    ds->SetUpdateSQLText(QStringLiteral("update G set NAME=?NAME, AMOUNT=?AMOUNT where ID=?old_ID"));
    ds->SetDeleteSQLText(QStringLiteral("delete from G where ID=?old_ID"));
    TDataSource source;
    source.SetDataSet(ds.get());
    TDataSetModel model;
    model.setDataSource(&source);
    QStringList errors;
    QObject::connect(&model, &TDataSetModel::errorOccurred, [&](const QString& message) { errors.append(message); });
    ds->Open();
    model.fetchMore({});
    const int shown = model.rowCount();

    ASSERT_TRUE(model.flags(model.index(3, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.setData(model.index(3, 1), QStringLiteral("edited in the grid")));
    EXPECT_TRUE(model.setData(model.index(3, 2), QStringLiteral("12.5")));
    EXPECT_TRUE(model.submit());
    QApplication::processEvents();
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
    EXPECT_EQ(scalar(QStringLiteral("select NAME from G where ID = 4")), QStringLiteral("edited in the grid"));
    EXPECT_EQ(scalar(QStringLiteral("select AMOUNT from G where ID = 4")), QStringLiteral("12.5"));
    EXPECT_EQ(model.data(model.index(3, 1)).toString(), QStringLiteral("edited in the grid"));

    ASSERT_TRUE(model.setCurrentRow(5));
    ds->Delete();
    EXPECT_EQ(model.rowCount(), shown - 1);
    EXPECT_EQ(model.data(model.index(5, 0)).toString(), QStringLiteral("7"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from G where ID = 6")), QStringLiteral("0"));

    // A refused edit shows as an error, never as an exception out of the model.
    EXPECT_TRUE(model.setData(model.index(0, 2), QStringLiteral("not a number")) == false);
    QApplication::processEvents();
    EXPECT_FALSE(errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Targets, DataSetModel, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
