// "Save to File": a result set of a real database written as
// semicolon-separated UTF-8 text, and the ways the command can fail.

#include "ShellTest_support.h"

#include "access/QvDataSet.h"
#include "app/shell/TextExport.h"
#include "platform/DialogScript.h"
#include "platform/WaitCursor.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(ExportValue, QuotesOnlyWhatWouldBreakALine)
{
    EXPECT_EQ(ExportValue(QStringLiteral("plain text")), QStringLiteral("plain text"));
    EXPECT_EQ(ExportValue(QStringLiteral("a;b")), QStringLiteral("\"a;b\""));
    EXPECT_EQ(ExportValue(QStringLiteral("say \"hi\"")), QStringLiteral("\"say \"\"hi\"\"\""));
    EXPECT_EQ(ExportValue(QStringLiteral("two\r\nlines")), QStringLiteral("\"two\r\nlines\""));
    EXPECT_EQ(ExportValue(QStringLiteral("one\nline")), QStringLiteral("\"one\nline\""));
    EXPECT_EQ(ExportValue(QStringLiteral("it's")), QStringLiteral("it's"));
    EXPECT_TRUE(IsDbfFileName(QStringLiteral("/tmp/OUT.DBF")));
    EXPECT_TRUE(IsDbfFileName(QStringLiteral("out.dbf")));
    EXPECT_FALSE(IsDbfFileName(QStringLiteral("out.dbf.txt")));
    EXPECT_FALSE(IsDbfFileName(QStringLiteral("dbf")));
}

class TextExportTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        const QString path = qvtest::createDatabase(
            GetParam(), dir, QStringLiteral("export.fdb"),
            {QStringLiteral("CREATE TABLE T (ID INTEGER NOT NULL, B BLOB SUB_TYPE TEXT, S VARCHAR(30))"),
             QStringLiteral("INSERT INTO T VALUES (1, 'a blob', 'x')"),
             QStringLiteral("INSERT INTO T VALUES (2, NULL, 'a;b')"),
             QStringLiteral("INSERT INTO T VALUES (3, 'y', 'say \"hi\"')"),
             QStringLiteral("INSERT INTO T VALUES (4, 'z', 'two' || ascii_char(13) || ascii_char(10) || 'lines')"),
             QStringLiteral("INSERT INTO T VALUES (5, 'z', NULL)")});
        database.SetDBName(path);
        database.SetDBParams(qvtest::connectParams(GetParam()));
        database.Open();
        transaction.AddDatabase(&database);
        dataSet.SetDatabase(&database);
        dataSet.SetTransaction(&transaction);
        transaction.StartTransaction();
    }

    void TearDown() override
    {
        if (dataSet.Active())
            dataSet.Close();
        if (transaction.Active())
            transaction.Commit();
        if (database.Connected())
            database.Close();
    }

    void open(const QString& sql)
    {
        if (dataSet.Active())
            dataSet.Close();
        dataSet.SetSelectSQLText(sql);
        dataSet.Open();
    }

    QByteArray contents(const QString& file)
    {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return "<missing>";
        return in.readAll();
    }

    qvtest::TempDir dir;
    TQvDatabase database;
    TQvTransaction transaction;
    TQvDataSet dataSet;
    qv::DialogScript script;
};

TEST_P(TextExportTest, EveryRecordBecomesOneLineAndThePositionStays)
{
    open(QStringLiteral("select ID, B, S from T order by ID"));
    dataSet.SetRecNo(2);
    const QString file = dir.filePath(QStringLiteral("out.txt"));
    ExportDataSet(dataSet, file);
    EXPECT_EQ(contents(file), QByteArray("1;(Blob);x\r\n"
                                         "2;(Blob);\"a;b\"\r\n"
                                         "3;(Blob);\"say \"\"hi\"\"\"\r\n"
                                         "4;(Blob);\"two\r\nlines\"\r\n"
                                         "5;(Blob);\r\n"));
    EXPECT_EQ(dataSet.RecNo(), 2);
    EXPECT_FALSE(dataSet.ControlsDisabled());
    EXPECT_EQ(qv::WaitCursor::depth(), 0);

    // A blob as the last field ends the line; the text is UTF-8.
    open(QStringLiteral("select S, B from T where ID = 1 union all select 'Grüße', B from T where ID = 2"));
    ExportDataSet(dataSet, file);
    EXPECT_EQ(contents(file), QString::fromUtf8("x;(Blob)\r\nGrüße;(Blob)\r\n").toUtf8());

    // An empty result gives an empty file.
    open(QStringLiteral("select ID, S from T where ID < 0"));
    ExportDataSet(dataSet, file);
    EXPECT_EQ(contents(file), QByteArray());
}

TEST_P(TextExportTest, TheCommandAsksForANameAndShowsWhatItCannotDo)
{
    open(QStringLiteral("select ID, S from T where ID = 1"));
    // A name without an extension gets the one of the first filter, CSV.
    script.answerFile(dir.filePath(QStringLiteral("cmd")));
    SaveResultToFile(dataSet);
    EXPECT_EQ(contents(dir.filePath(QStringLiteral("cmd.csv"))), QByteArray("1;x\r\n"));
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown().front().kind, qv::DialogKind::File);
    EXPECT_EQ(script.shown().front().caption, QStringLiteral("Save To File"));
    EXPECT_EQ(script.shown().front().text, QStringLiteral("CSV files (*.csv)|*.csv|All files (*.*)|*.*"));

    // A table file is not written, and the user is told so.
    const QString table = dir.filePath(QStringLiteral("OUT.DBF"));
    script.answerFile(table);
    script.answerMessage(qv::mrOk);
    SaveResultToFile(dataSet);
    EXPECT_FALSE(QFile::exists(table));
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().first().contains(QStringLiteral(".dbf")));

    // A folder that does not exist: the error is shown, nothing half-written stays.
    script.clearShown();
    const QString nowhere = dir.filePath(QStringLiteral("missing/out.txt"));
    script.answerFile(nowhere);
    script.answerMessage(qv::mrOk);
    SaveResultToFile(dataSet);
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Cannot create file %1").arg(nowhere)});
    EXPECT_FALSE(QFile::exists(nowhere));
    EXPECT_FALSE(dataSet.ControlsDisabled());

    // Cancelled: nothing happens.
    script.clearShown();
    script.cancelFile();
    SaveResultToFile(dataSet);
    EXPECT_TRUE(script.messages().isEmpty());
    EXPECT_EQ(script.pendingAnswers(), 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, TextExportTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
