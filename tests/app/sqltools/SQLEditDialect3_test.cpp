// The SQL editor on a dialect-3 database: what the user types is prepared in
// the database's dialect, and the result grid shows every column type with
// its exact value.

#include "SQLEditTest_support.h"

#include "access/QvDataSet.h"
#include "app/shell/TextExport.h"
#include "app/sqltools/ResultGrid.h"
#include "app/sqltools/SQLEdit.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"
#include "platform/db/DataSetModel.h"

#include <QFile>
#include <QHeaderView>
#include <QPointer>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

const QStringList schema{
    QStringLiteral("create table ALL_TYPES (ID bigint not null primary key, SI smallint, I integer, "
                   "N92 numeric(9,2), N184 numeric(18,4), F float, DP double precision, D date, T time, "
                   "TS timestamp, B boolean, C char(3), V varchar(20), M blob sub_type text)"),
    QStringLiteral("insert into ALL_TYPES values (9007199254740993, -7, 2147483647, 1234567.89, "
                   "12345678901234.5678, 0.1, 2.5, '2024-02-29', '13:45:30.1234', '1999-12-31 23:59:59.999', "
                   "true, 'ab', 'it''s', 'memo')"),
    QStringLiteral("insert into ALL_TYPES (ID, TS, B) values (-1, '2001-01-02 00:00:00', false)"),
    QStringLiteral("create table \"Name\" (\"Col\" varchar(10), ID integer)"),
    QStringLiteral("insert into \"Name\" values ('quoted', 1)"),
};

class SQLEditorDialect3Test : public qvsql::SQLEditorFixture
{
protected:
    void SetUp() override
    {
        target = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        useOwnRegistry();
        path = qvtest::createDialect3Database(target, dir, QStringLiteral("sql3.fdb"), schema);
        openEditor(QStringLiteral("Dialect 3"), QSize(1400, 500));
    }

    // What the grid shows in a row, cell by cell; rows not fetched yet are
    // fetched as scrolling to them would.
    QStringList gridRow(int row) const
    {
        QStringList cells;
        TDataSetModel* model = editor->ResultModel;
        while (model->rowCount() <= row && model->canFetchMore(QModelIndex()))
            model->fetchMore(QModelIndex());
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->data(model->index(row, column), Qt::DisplayRole).toString();
        return cells;
    }

    QStringList gridTitles() const
    {
        QStringList titles;
        const TDataSetModel* model = editor->ResultModel;
        for (int column = 0; column < model->columnCount(); ++column)
            titles << model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        return titles;
    }

    qv::DialogScript script;
};

TEST_P(SQLEditorDialect3Test, SelectStarShowsEveryColumnWithItsExactValue)
{
    run(QStringLiteral("select * from ALL_TYPES order by ID desc"));
    ASSERT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(QLatin1Char('\n')));
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabResult);
    EXPECT_EQ(gridTitles(), (QStringList{"ID", "SI", "I", "N92", "N184", "F", "DP", "D", "T", "TS", "B", "C", "V",
                                         "M"}));
    EXPECT_EQ(gridRow(0), (QStringList{"9007199254740993", "-7", "2147483647", "1234567.89", "12345678901234.5678",
                                       "0.1", "2.5", "2024-02-29", "13:45:30.1234", "1999-12-31 23:59:59.999",
                                       "True", "ab ", "it's", "(MEMO)"}));
    EXPECT_EQ(gridRow(1), (QStringList{"-1", "", "", "", "", "", "", "", "", "2001-01-02", "False", "", "", "(memo)"}));
    // Numbers stand to the right, as the platform's grid puts them.
    const TDataSetModel* model = editor->ResultModel;
    EXPECT_TRUE(model->data(model->index(0, 4), Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    // Each column is wide enough for its text.
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString text = gridRow(0)[column];
        EXPECT_GE(editor->ResultGrid->columnWidth(column),
                  editor->ResultGrid->fontMetrics().horizontalAdvance(text))
            << qPrintable(text);
    }
    editor->grab().save(dir.filePath(QStringLiteral("grid.png")));
    if (qEnvironmentVariableIsSet("QV_KEEP_SCREENSHOTS"))
        editor->grab().save(qEnvironmentVariable("QV_KEEP_SCREENSHOTS") + QStringLiteral("/sqledit_dialect3.png"));
}

TEST_P(SQLEditorDialect3Test, SaveToFileWritesEveryColumnWithItsExactValue)
{
    run(QStringLiteral("select * from ALL_TYPES order by ID desc"));
    ASSERT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(QLatin1Char('\n')));
    ASSERT_NE(editor->ResultDataSet(), nullptr);
    const QString file = dir.filePath(QStringLiteral("result.txt"));
    ExportDataSet(*editor->ResultDataSet(), file);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(written.readAll()),
              QStringLiteral("9007199254740993;-7;2147483647;1234567.89;12345678901234.5678;0.1;2.5;2024-02-29;"
                             "13:45:30.1234;1999-12-31 23:59:59.999;True;ab ;it's;(Blob)\r\n"
                             "-1;;;;;;;;;2001-01-02;False;;;(Blob)\r\n"));
}

TEST_P(SQLEditorDialect3Test, QuotedNamesAndSingleQuotedTextsAreTheDialectsOwn)
{
    run(QStringLiteral("select \"Col\" from \"Name\""));
    ASSERT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(QLatin1Char('\n')));
    EXPECT_EQ(gridRow(0), QStringList{QStringLiteral("quoted")});

    run(QStringLiteral("select 'x' from rdb$database"));
    ASSERT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(QLatin1Char('\n')));
    EXPECT_EQ(gridRow(0), QStringList{QStringLiteral("x")});

    // What the editor writes reaches the database in that dialect too.
    run(QStringLiteral("insert into \"Name\" (\"Col\", ID) values ('it''s', 2)"));
    ASSERT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(QLatin1Char('\n')));
    editor->CommitBtnClick();
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select \"Col\" from \"Name\" where ID = 2")),
              QStringLiteral("it's"));

    // A double-quoted text names a column there, and the server says so.
    script.answerMessage(qv::mrOk);
    run(QStringLiteral("select \"x\" from rdb$database"));
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().at(0).contains(QStringLiteral("x"))) << qPrintable(script.messages().at(0));
}

TEST_P(SQLEditorDialect3Test, AlternativeQuotingIsOneLiteral)
{
    run(QStringLiteral("select q'{it's;}' as x from rdb$database"));
    ASSERT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(QLatin1Char('\n')));
    EXPECT_EQ(gridTitles(), QStringList{QStringLiteral("X")});
    EXPECT_EQ(gridRow(0), QStringList{QStringLiteral("it's;")});

    // No parameter mark and no doubled quote inside.
    run(QStringLiteral("select Q'#a:b '' c#' from rdb$database"));
    ASSERT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(QLatin1Char('\n')));
    EXPECT_EQ(gridRow(0), QStringList{QStringLiteral("a:b '' c")});
}

INSTANTIATE_TEST_SUITE_P(Targets, SQLEditorDialect3Test, ::testing::ValuesIn(qvtest::allTargets()),
                         qvtest::targetName);

} // namespace
