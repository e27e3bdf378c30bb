// A copy made from an extracted script is the original: a description
// crafted to end its comment stays a comment, views that call routines with
// quoted names come after those routines, and the page size is kept. The
// script is replayed by isql-fb and by the executor, and each copy compared
// with the original through isql-fb -x and row by row.

#include "ExtractTest_support.h"

#include "access/QvSqlText.h"
#include "app/sqltools/ExtractRun.h"
#include "app/sqltools/ExtractWriters.h"

#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

class ExtractFaithful : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        if (!qvtest::IsqlAvailable())
            GTEST_SKIP() << "isql-fb is not installed";
    }

    // Makes a database through isql-fb from the statements that follow its
    // CREATE DATABASE; its path as the target opens it.
    QString MakeOriginal(const QString& file, const QString& createOptions, const QString& statements)
    {
        const qvtest::Target& target = GetParam();
        const QString path = target.databasePath(dir, file);
        const QString scriptPath = dir.filePath(file + QStringLiteral(".sql"));
        QFile script(scriptPath);
        const QByteArray text = QStringLiteral("SET SQL DIALECT 3;\nCREATE DATABASE '%1' USER '%2' PASSWORD '%3' %4;\n%5\n")
                                    .arg(path, target.user, target.password, createOptions, statements)
                                    .toUtf8();
        EXPECT_TRUE(script.open(QIODevice::WriteOnly) && script.write(text) == text.size());
        script.close();
        const QString failures = qvtest::RunIsql(target, scriptPath, QStringLiteral("UTF8"));
        EXPECT_TRUE(failures.isEmpty()) << "making the original:\n" << failures.toStdString();
        return path;
    }

    // Extracts everything with data into a script file, the script's bytes.
    QByteArray ExtractToFile(const QString& original, const QString& copyPath, const QString& scriptPath)
    {
        const qvtest::Target& target = GetParam();
        TExtractResult extracted;
        EXPECT_TRUE(qvtest::ExtractSource(target, original, QStringLiteral("UTF8"))
                        .ExtractEverythingToFile(copyPath, scriptPath, extracted));
        EXPECT_TRUE(extracted.reports.isEmpty()) << extracted.reports.join(QLatin1Char('\n')).toStdString();
        QFile file(scriptPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Replays the script by isql-fb into `byIsql` and by the executor into
    // a sibling, and compares both copies with the original.
    void ExpectFaithfulReplay(const QString& original, const QString& byIsql, const QByteArray& script,
                              const QString& scriptPath)
    {
        const qvtest::Target& target = GetParam();
        const QString byExecutor = byIsql + QStringLiteral(".executor.fdb");
        qvtest::ReplayByIsqlAndExecutor(target, scriptPath, QStringLiteral("UTF8"), 3, byIsql, byExecutor);
        EXPECT_FALSE(qvtest::AllRows(target, original).isEmpty());
        qvtest::ExpectSameCopies(target, original, byIsql, byExecutor);
        const QString pageSize = QStringLiteral("select mon$page_size from mon$database");
        const QStringList originalPageSize = qvtest::column(target, original, pageSize);
        EXPECT_EQ(qvtest::column(target, byIsql, pageSize), originalPageSize) << "replayed by isql-fb";
        EXPECT_EQ(qvtest::column(target, byExecutor, pageSize), originalPageSize) << "replayed by the executor";
        if (HasFailure())
            ADD_FAILURE() << "--- the extracted script:\n" << QString::fromUtf8(script).toStdString();
    }

    qvtest::TempDir dir;
};

// The UTF-8 bytes of a text as a binary literal: a description the server
// keeps with characters no quoted literal could carry through a script.
QString Bytes(const QString& text)
{
    return QvSql::BinaryLiteral(text.toUtf8());
}

TEST_P(ExtractFaithful, CraftedDescriptionsQuotedRoutinesAndThePageSizeSurviveAReplay)
{
    const QString escape = QStringLiteral("\x1b[2J\x1b]0;owned\x07");
    const QString original = MakeOriginal(QStringLiteral("original.fdb"),
        QStringLiteral("PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8"),
        QStringLiteral(
            "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40));\n"
            "SET TERM ^;\n"
            "CREATE FUNCTION \"f\"\"1\" RETURNS INTEGER AS BEGIN RETURN 1; END^\n"
            "CREATE PACKAGE \"k\"\"2\" AS BEGIN FUNCTION X RETURNS INTEGER; END^\n"
            "CREATE PACKAGE BODY \"k\"\"2\" AS BEGIN FUNCTION X RETURNS INTEGER AS BEGIN RETURN 3; END END^\n"
            "CREATE TRIGGER T_BI FOR T BEFORE INSERT AS BEGIN END^\n"
            "SET TERM ;^\n"
            "COMMENT ON COLUMN T.NAME IS %1;\n"
            "COMMENT ON TABLE T IS %2;\n"
            "COMMENT ON TRIGGER T_BI IS %2;\n"
            "COMMENT ON FUNCTION \"f\"\"1\" IS %2;\n"
            "CREATE VIEW V_QUOTED AS SELECT ID, \"f\"\"1\"() AS A, \"k\"\"2\".X() AS B FROM T;\n"
            "INSERT INTO T VALUES (1, 'one');\n"
            "INSERT INTO T VALUES (2, 'two');\n"
            "INSERT INTO T VALUES (3, 'three');\n"
            "COMMIT;\n")
            .arg(Bytes(QStringLiteral("x*") + QChar(0) + QStringLiteral("/; CREATE TABLE INJ(A INT); /*")),
                 Bytes(QStringLiteral("rows") + escape + QStringLiteral(" kept*\r\n/"))));
    ASSERT_FALSE(HasFailure());
    const QString byIsql = GetParam().databasePath(dir, QStringLiteral("copy.fdb"));
    const QString scriptPath = dir.filePath(QStringLiteral("extracted.sql"));
    const QByteArray script = ExtractToFile(original, byIsql, scriptPath);
    ASSERT_FALSE(script.isEmpty());

    // No comment carries a control character to a terminal: the script's
    // only ones are its line ends.
    const auto control = std::find_if(script.cbegin(), script.cend(), [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\n') || c == 0x7f;
    });
    EXPECT_EQ(control, script.cend()) << "control character " << int(control == script.cend() ? 0 : *control)
                                      << " at byte " << (control - script.cbegin());
    // The view that calls the routines comes after them.
    const QStringList lines = QString::fromUtf8(script).split(QStringLiteral("\r\n"));
    EXPECT_GT(lines.indexOf(QStringLiteral("CREATE VIEW V_QUOTED (ID,A,B)")), lines.indexOf(QStringLiteral("SET TERM ^ ;")));

    ExpectFaithfulReplay(original, byIsql, script, scriptPath);
}

// A routine's name in a view's comment or string is no call: that view
// keeps its place among the views, before the routines; one that calls a
// routine comes after it.
TEST_P(ExtractFaithful, ANameInACommentOrAStringAddsNoOrder)
{
    const QString original = MakeOriginal(QStringLiteral("names.fdb"), QStringLiteral("DEFAULT CHARACTER SET UTF8"),
        QStringLiteral("SET TERM ^;\n"
                       "CREATE FUNCTION G RETURNS INTEGER AS BEGIN RETURN 1; END^\n"
                       "CREATE FUNCTION \"g\" RETURNS INTEGER AS BEGIN RETURN 2; END^\n"
                       "SET TERM ;^\n"
                       "CREATE TABLE T (ID INTEGER, NAME VARCHAR(10));\n"
                       "CREATE VIEW V_NOTE AS SELECT ID /* G() */ FROM T WHERE NAME <> 'G()' -- G()\n;\n"
                       "CREATE VIEW V_CALL AS SELECT ID, \"g\"() AS A FROM T;\n"
                       "COMMIT;\n"));
    ASSERT_FALSE(HasFailure());
    qvtest::ExtractSource from(GetParam(), original, QStringLiteral("UTF8"));
    const QStringList lines = from.Extract(efMetadataOnly, QStringLiteral("/p/db.fdb")).lines;
    const qsizetype routines = lines.indexOf(QStringLiteral("SET TERM ^ ;"));
    ASSERT_NE(routines, -1);
    const qsizetype note = lines.indexOf(QStringLiteral("CREATE VIEW V_NOTE (ID)"));
    const qsizetype call = lines.indexOf(QStringLiteral("CREATE VIEW V_CALL (ID,A)"));
    EXPECT_TRUE(note != -1 && note < routines) << ScriptText(lines).toStdString();
    EXPECT_GT(call, lines.indexOf(QStringLiteral("CREATE FUNCTION \"g\" RETURNS Integer AS BEGIN END ^")))
        << ScriptText(lines).toStdString();
    EXPECT_GT(call, routines);
    const QStringList failures = qvtest::RunScriptText(ScriptText(lines).replace(QStringLiteral("CONNECT '/p/db.fdb'"),
        QStringLiteral("CREATE DATABASE '%1' USER '%2' PASSWORD '%3'").arg(
            GetParam().databasePath(dir, QStringLiteral("names copy.fdb")), GetParam().user, GetParam().password)),
        GetParam());
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
}

// A section that would be only its banner is left out: here no external
// function and no filter, and every view waits for the routines.
TEST_P(ExtractFaithful, NoSectionIsWrittenEmpty)
{
    const QString original = MakeOriginal(QStringLiteral("sections.fdb"), QStringLiteral("DEFAULT CHARACTER SET UTF8"),
        QStringLiteral("SET TERM ^;\n"
                       "CREATE FUNCTION F RETURNS INTEGER AS BEGIN RETURN 1; END^\n"
                       "SET TERM ;^\n"
                       "CREATE TABLE T (ID INTEGER);\n"
                       "CREATE VIEW V AS SELECT F() AS A FROM T;\n"
                       "COMMIT;\n"));
    ASSERT_FALSE(HasFailure());
    qvtest::ExtractSource from(GetParam(), original, QStringLiteral("UTF8"));
    const QStringList lines = from.Extract(efMetadataOnly, QStringLiteral("/p/db.fdb")).lines;
    const QString rule = QStringLiteral("/***********************************/");
    int banners = 0;
    for (qsizetype i = 0; i + 2 < lines.size(); ++i) {
        if (lines.at(i) != rule || lines.at(i + 2) != rule)
            continue;
        ++banners;
        qsizetype next = i + 3;
        while (next < lines.size() && lines.at(next).trimmed().isEmpty())
            ++next;
        EXPECT_TRUE(next < lines.size() && lines.at(next) != rule && !lines.at(next).startsWith(QLatin1String("COMMIT"))
                    && !lines.at(next).startsWith(QLatin1String("SET TERM")))
            << "an empty section: " << lines.at(i + 1).toStdString() << "\n" << ScriptText(lines).toStdString();
        i += 2;
    }
    // Tables and stored procedures.
    EXPECT_EQ(banners, 2) << ScriptText(lines).toStdString();
    EXPECT_EQ(lines.indexOf(QStringLiteral("/*          External Functions     */")), -1);
    EXPECT_EQ(lines.indexOf(QStringLiteral("/*              Views              */")), -1);
    EXPECT_NE(lines.indexOf(QStringLiteral("CREATE VIEW V (A)")), -1) << ScriptText(lines).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Targets, ExtractFaithful, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
