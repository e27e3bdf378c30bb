// The script runner against real databases: opening and running script files
// by key, the echo of every line, the marked and coloured error blocks, the
// same objects as the server's own isql builds, and a running script that
// can be stopped but neither restarted nor closed under.

#include "SQLEditTest_support.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvScript.h"
#include "app/sqltools/ExecuteScript.h"
#include "app/sqltools/ScriptFile.h"
#include "components/ColorMemo.h"
#include "platform/DialogScript.h"
#include "platform/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

const QString kErrorBegin = QStringLiteral("/*$$ ********  ERROR  *************");

using qvsql::rows;

// Sends a key where a user's key goes: to the focused control inside the
// window, else to the window.
void postKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    QWidget* receiver = focus && window->isAncestorOf(focus) ? focus : window;
    QCoreApplication::postEvent(receiver, new QKeyEvent(QEvent::KeyPress, key, modifiers));
    QCoreApplication::postEvent(receiver, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
}

void pressKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    postKey(window, key, modifiers);
    QCoreApplication::sendPostedEvents();
}

class RunScriptTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        target = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        m_registry.emplace(dir);
        window = new TRunScript;
        window->resize(640, 420);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.data()));
        // A run lets the events through only when the test moves this clock.
        window->Echo().SetClock([this] { return now; });
    }

    void TearDown() override
    {
        delete window.data();
        m_registry.reset();
    }

    QString path(const QString& file) const { return target.databasePath(dir, file); }
    QString credentials() const
    {
        return QStringLiteral(" USER '%1' PASSWORD '%2'").arg(target.user, target.password);
    }
    QString createLine(const QString& file) const
    {
        return QStringLiteral("CREATE DATABASE '%1'%2 PAGE_SIZE 4096;").arg(path(file), credentials());
    }
    QString connectLine(const QString& file) const
    {
        return QStringLiteral("CONNECT '%1'%2;").arg(path(file), credentials());
    }

    // Writes a script file, in UTF-8 unless told otherwise, with CR LF line ends.
    QString writeScript(const QString& name, const QStringList& lines, bool latin1 = false) const
    {
        const QString file = dir.filePath(name);
        QFile output(file);
        EXPECT_TRUE(output.open(QIODevice::WriteOnly));
        const QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        output.write(latin1 ? text.toLatin1() : text.toUtf8());
        return file;
    }

    // Chooses the file with F3.
    void open(const QString& file)
    {
        script.answerFile(file);
        pressKey(window, Qt::Key_F3);
    }

    // Runs the chosen file with F9 and answers the final box.
    void run()
    {
        script.clearShown();
        script.answerMessage(qv::mrOk);
        pressKey(window, Qt::Key_F9);
        EXPECT_EQ(script.pendingAnswers(), 0);
    }

    QStringList resultLines() const
    {
        return window->ResText->toPlainText().split(QLatin1Char('\n'));
    }
    QString lastMessage() const { return script.messages().isEmpty() ? QString() : script.messages().last(); }
    qv::MsgDlgType lastType() const { return script.shown().empty() ? qv::mtCustom : script.shown().back().type; }

    qvtest::Target target;
    qvtest::TempDir dir;
    qv::DialogScript script;
    QPointer<TRunScript> window;
    qint64 now = 0;

private:
    std::optional<qvtest::RegistryFileIn> m_registry;
};

TEST_P(RunScriptTest, F3OpensF9RunsAndARunWithoutAFileIsRefused)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Execute SQL Script"));
    EXPECT_EQ(window->OpenFileBtn->text(), QStringLiteral("Open Script File (F3)"));
    EXPECT_EQ(window->RunBtn->text(), QStringLiteral("Run Script (F9)"));
    EXPECT_EQ(window->Label1->text(), QStringLiteral("Result Window:"));
    EXPECT_TRUE(window->ResText->isReadOnly());
    EXPECT_FALSE(window->RunBtn->isEnabled());

    // F9 works though the button is disabled.
    script.answerMessage(qv::mrOk);
    pressKey(window, Qt::Key_F9);
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Script file not opened !")});
    EXPECT_EQ(lastType(), qv::mtError);

    // A cancelled dialog changes nothing.
    script.clearShown();
    script.cancelFile();
    pressKey(window, Qt::Key_F3);
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown()[0].kind, qv::DialogKind::File);
    EXPECT_EQ(script.shown()[0].caption, QStringLiteral("Open Script File"));
    EXPECT_EQ(script.shown()[0].value, QStringLiteral("*.sql"));
    EXPECT_EQ(window->OpenDlg.filter, QStringLiteral("Script files|*.sql|All files|*.*"));
    EXPECT_EQ(window->OpenDlg.defaultExt, QStringLiteral("sql"));
    EXPECT_FALSE(window->RunBtn->isEnabled());
    EXPECT_TRUE(window->StatusText().isEmpty());

    const QString file = writeScript(QStringLiteral("empty.sql"), {QStringLiteral("-- nothing to do")});
    open(file);
    EXPECT_EQ(window->FileName(), file);
    EXPECT_EQ(window->StatusText(), QStringLiteral("ScriptFile: ") + file);
    EXPECT_TRUE(window->RunBtn->isEnabled());
    script.clearShown();
    script.answerMessage(qv::mrOk);
    pressKey(window, Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Script Executed Successfully !")});
    EXPECT_EQ(window->ResText->toPlainText(), QStringLiteral("-- nothing to do"));

    // A file gone since it was chosen: the error box, and the result of the
    // last run stays.
    QFile::remove(file);
    script.clearShown();
    script.answerMessage(qv::mrOk);
    pressKey(window, Qt::Key_F9);
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages()[0].startsWith(QStringLiteral("Cannot open file \""))) << qPrintable(lastMessage());
    EXPECT_EQ(window->ResText->toPlainText(), QStringLiteral("-- nothing to do"));
}

TEST_P(RunScriptTest, ACleanScriptRunsEchoesEveryLineAndRunsAgainFromDisk)
{
    const QStringList lines{createLine(QStringLiteral("clean.fdb")),
                            QStringLiteral("/* a table and its rows */"),
                            QStringLiteral("CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(20));"),
                            QString(),
                            QStringLiteral("INSERT INTO T VALUES (1, 'Gr\u00fc\u00dfe');"),
                            QStringLiteral("INSERT INTO T VALUES (2, 'two; and more');"),
                            QStringLiteral("  -- the end")};
    const QString file = writeScript(QStringLiteral("clean.sql"), lines);
    open(file);
    run();
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Script Executed Successfully !")});
    EXPECT_EQ(lastType(), qv::mtInformation);
    EXPECT_EQ(resultLines(), lines);
    // The clock stood still: one batch at the end, no events let through.
    EXPECT_EQ(window->Echo().Batches(), 1);
    EXPECT_EQ(window->Echo().Pumps(), 0);
    // The script's connection is closed and nothing is left running.
    EXPECT_FALSE(window->QvDB->Connected());
    EXPECT_FALSE(window->QvTran->Active());
    EXPECT_FALSE(window->Running());
    EXPECT_TRUE(window->RunBtn->isEnabled());
    EXPECT_FALSE(window->StopBtn->isEnabled());
    EXPECT_FALSE(window->Progress->isVisible());
    const QString db = path(QStringLiteral("clean.fdb"));
    EXPECT_EQ(rows(target, db, QStringLiteral("select ID, NAME from T order by ID")),
              (QStringList{QStringLiteral("1|Gr\u00fc\u00dfe"), QStringLiteral("2|two; and more")}));

    // The file changes on disk; running again reads it again and shows only
    // the second run's lines. The same characters in Latin-1 read the same.
    const QStringList second{connectLine(QStringLiteral("clean.fdb")),
                             QStringLiteral("INSERT INTO T VALUES (3, 'Gr\u00fc\u00dfe');")};
    writeScript(QStringLiteral("clean.sql"), second, true);
    run();
    EXPECT_EQ(lastMessage(), QStringLiteral("Script Executed Successfully !"));
    EXPECT_EQ(resultLines(), second);
    EXPECT_EQ(rows(target, db, QStringLiteral("select NAME from T where ID = 3")),
              QStringList{QStringLiteral("Gr\u00fc\u00dfe")});
}

TEST_P(RunScriptTest, FailedStatementsAreMarkedColouredAndTheRunGoesOn)
{
    const QString file = writeScript(
        QStringLiteral("errors.sql"),
        {createLine(QStringLiteral("errors.fdb")), QStringLiteral("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY);"),
         QStringLiteral("INSERT INTO T VALUES (1);"), QStringLiteral("INSERT INTO NO_SUCH_TABLE VALUES (2);"),
         QStringLiteral("INSERT INTO T VALUES (3);"), QStringLiteral("INSERT INTO T VALUES (1);"),
         QStringLiteral("INSERT INTO T VALUES (4);")});
    open(file);
    run();
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Errors detected - see Error Window for details")});
    EXPECT_EQ(lastType(), qv::mtError);
    // Every statement after a failure still ran.
    EXPECT_EQ(rows(target, path(QStringLiteral("errors.fdb")), QStringLiteral("select ID from T order by ID")),
              (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4")}));

    // Two blocks, each right after the line of its statement, opened by the
    // marker line and closed at the end of its error text.
    const QString text = window->ResText->toPlainText();
    const QStringList lines = resultLines();
    ASSERT_EQ(text.count(kErrorBegin), 2);
    QList<int> begins;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i] == kErrorBegin)
            begins << i;
    ASSERT_EQ(begins.size(), 2);
    EXPECT_EQ(lines[begins[0] - 1], QStringLiteral("INSERT INTO NO_SUCH_TABLE VALUES (2);"));
    EXPECT_EQ(lines[begins[1] - 1], QStringLiteral("INSERT INTO T VALUES (1);"));
    for (int begin : begins) {
        EXPECT_TRUE(lines[begin + 1].startsWith(QStringLiteral("FAILED - "))) << qPrintable(lines[begin + 1]);
        int end = begin + 1;
        while (end < lines.size() && !lines[end].endsWith(QStringLiteral(" $$*/")))
            ++end;
        ASSERT_LT(end, lines.size());
        EXPECT_FALSE(lines.mid(begin + 1, end - begin).join(QLatin1Char('\n')).contains(kErrorBegin));
    }
    EXPECT_TRUE(text.contains(QStringLiteral("SQL error code = -204")));

    // Both blocks are coloured, each from its marker to its end marker, and
    // drawn red on screen; the statement lines are not.
    window->ResText->verticalScrollBar()->setValue(0);
    window->ResText->RecolorNow();
    std::vector<TColorRun> runs = window->ResText->Runs();
    QStringList covered;
    for (const TColorRun& run : runs)
        covered << text.mid(run.start, run.length);
    const QString joined = covered.join(QString());
    EXPECT_EQ(joined.count(kErrorBegin), 2) << qPrintable(joined);
    EXPECT_EQ(joined.count(QStringLiteral(" $$*/")), 2) << qPrintable(joined);
    EXPECT_FALSE(joined.contains(QStringLiteral("INSERT"))) << qPrintable(joined);

    QCoreApplication::processEvents();
    const QImage shot = window->grab().toImage();
    const QString screenshots = qEnvironmentVariable("QV_SCREENSHOT_DIR");
    if (!screenshots.isEmpty())
        shot.save(screenshots + QStringLiteral("/runner_errors_") + target.name + QStringLiteral(".png"));
    const QImage memo = window->ResText->viewport()->grab().toImage();
    const auto redPixelsOnLine = [&](int line) {
        const QRect caret = window->ResText->cursorRect(QTextCursor(window->ResText->document()->findBlockByNumber(line)));
        int found = 0;
        for (int y = qMax(0, caret.top()); y <= qMin(memo.height() - 1, caret.bottom()); ++y)
            for (int x = 0; x < memo.width(); ++x) {
                const QColor c = memo.pixelColor(x, y);
                found += c.red() > 150 && c.green() < 90 && c.blue() < 90;
            }
        return found;
    };
    for (int begin : begins) {
        EXPECT_GT(redPixelsOnLine(begin), 20) << "line " << begin;
        EXPECT_GT(redPixelsOnLine(begin + 1), 20) << "line " << begin + 1;
        EXPECT_EQ(redPixelsOnLine(begin - 1), 0) << "line " << begin - 1;
    }
}

// A statement over several lines reaches the server with its line breaks, so
// the server's position names the line within it; its block follows its last
// line. Two statements on one line: the block follows the line, and the one
// after the failure still runs.
TEST_P(RunScriptTest, ABlockFollowsTheLastLineOfItsStatementAsWritten)
{
    const QStringList lines{createLine(QStringLiteral("lines.fdb")),
                            QStringLiteral("CREATE TABLE T (ID INTEGER);"),
                            QStringLiteral("INSERT INTO T"),
                            QStringLiteral("  /* the value */"),
                            QStringLiteral("  VALUES (1,, 2);"),
                            QStringLiteral("INSERT INTO NOPE VALUES (2); INSERT INTO T VALUES (3);"),
                            QStringLiteral("INSERT INTO T VALUES (4);")};
    open(writeScript(QStringLiteral("lines.sql"), lines));
    run();
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Errors detected - see Error Window for details")});
    EXPECT_EQ(rows(target, path(QStringLiteral("lines.fdb")), QStringLiteral("select ID from T order by ID")),
              (QStringList{QStringLiteral("3"), QStringLiteral("4")}));

    // The file's carriage returns are line breaks, in the echo and in the
    // error texts alike.
    const QString text = window->ResText->toPlainText();
    EXPECT_FALSE(text.contains(QLatin1Char('\r')));
    const QStringList shown = resultLines();
    const auto blockEnd = [&](int begin) {
        int end = begin + 1;
        while (end < shown.size() && !shown[end].endsWith(QStringLiteral(" $$*/")))
            ++end;
        return end;
    };
    const int first = int(shown.indexOf(kErrorBegin));
    ASSERT_EQ(first, 5) << qPrintable(text);
    EXPECT_EQ(shown.mid(0, 5), lines.mid(0, 5));
    EXPECT_TRUE(shown[first + 1].startsWith(QStringLiteral("FAILED - "))) << qPrintable(shown[first + 1]);
    const int firstEnd = blockEnd(first);
    ASSERT_LT(firstEnd, shown.size()) << qPrintable(text);
    const QString firstBlock = shown.mid(first, firstEnd - first + 1).join(QLatin1Char('\n'));
    EXPECT_TRUE(firstBlock.contains(QStringLiteral("line 3, column"))) << qPrintable(firstBlock);

    ASSERT_GT(shown.size(), firstEnd + 2);
    EXPECT_EQ(shown[firstEnd + 1], lines[5]);
    EXPECT_EQ(shown[firstEnd + 2], kErrorBegin);
    const int secondEnd = blockEnd(firstEnd + 2);
    ASSERT_LT(secondEnd, shown.size()) << qPrintable(text);
    EXPECT_TRUE(shown.mid(firstEnd + 2, secondEnd - firstEnd - 1).join(u'\n').contains(QStringLiteral("NOPE")));
    EXPECT_EQ(shown.mid(secondEnd + 1), QStringList{lines[6]});
}

// A script written for isql: SET TERM, comments, terminators inside strings
// and comments, procedures, triggers, an exception and a generator.
QStringList isqlScriptBody()
{
    return {
        QStringLiteral("/* Stock items; written for isql */"),
        QStringLiteral("CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), QTY INTEGER);"),
        QStringLiteral("CREATE TABLE ITEM_LOG (ITEM_ID INTEGER, NOTE VARCHAR(80));"),
        QStringLiteral("CREATE GENERATOR GEN_LOG;"),
        QStringLiteral("CREATE EXCEPTION NO_QTY 'Quantity; must not be negative ^';"),
        QStringLiteral("COMMIT;"),
        QString(),
        QStringLiteral("SET TERM ^ ;"),
        QStringLiteral("/* The body holds the old terminator; the new one only in strings"),
        QStringLiteral("   and here: ^ */"),
        QStringLiteral("CREATE PROCEDURE ADD_ITEM (ID INTEGER, NAME VARCHAR(40), QTY INTEGER)"),
        QStringLiteral("AS"),
        QStringLiteral("BEGIN"),
        QStringLiteral("  /* refuse; what cannot be */"),
        QStringLiteral("  IF (QTY < 0) THEN EXCEPTION NO_QTY;"),
        QStringLiteral("  INSERT INTO ITEMS (ID, NAME, QTY) VALUES (:ID, :NAME, :QTY);"),
        QStringLiteral("END ^"),
        QString(),
        QStringLiteral("CREATE PROCEDURE ITEM_NOTES RETURNS (ID INTEGER, NOTE VARCHAR(80))"),
        QStringLiteral("AS"),
        QStringLiteral("BEGIN"),
        QStringLiteral("  FOR SELECT ITEM_ID, NOTE FROM ITEM_LOG ORDER BY ITEM_ID INTO :ID, :NOTE DO"),
        QStringLiteral("    SUSPEND;"),
        QStringLiteral("END ^"),
        QString(),
        QStringLiteral("CREATE TRIGGER ITEMS_LOG FOR ITEMS ACTIVE AFTER INSERT POSITION 5"),
        QStringLiteral("AS"),
        QStringLiteral("BEGIN"),
        QStringLiteral("  INSERT INTO ITEM_LOG VALUES (NEW.ID, 'added; ' || NEW.NAME || ' ^ ' || GEN_ID(GEN_LOG, 1));"),
        QStringLiteral("END ^"),
        QStringLiteral("CREATE TRIGGER ITEMS_BI FOR ITEMS ACTIVE BEFORE INSERT POSITION 0 AS"),
        QStringLiteral("BEGIN"),
        QStringLiteral("  IF (NEW.QTY IS NULL) THEN NEW.QTY = 0;"),
        QStringLiteral("END ^"),
        QStringLiteral("SET TERM ; ^"),
        QString(),
        QStringLiteral("EXECUTE PROCEDURE ADD_ITEM (1, 'one', 5);"),
        QStringLiteral("EXECUTE PROCEDURE ADD_ITEM (2, 'it''s two; really ^', NULL);"),
        QStringLiteral("COMMIT;"),
    };
}

// What the script built, object by object; texts with their blanks folded.
QStringList builtObjects(const qvtest::Target& target, const QString& path)
{
    const auto folded = [](const QStringList& list) {
        QStringList result;
        for (const QString& row : list)
            result << row.simplified();
        return result;
    };
    QStringList all;
    const QStringList queries{
        QStringLiteral("select RDB$RELATION_NAME from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0 order by 1"),
        QStringLiteral("select RDB$RELATION_NAME, RDB$FIELD_NAME, RDB$FIELD_POSITION, RDB$NULL_FLAG"
                       " from RDB$RELATION_FIELDS where RDB$SYSTEM_FLAG = 0 order by 1, 3"),
        QStringLiteral("select RDB$PROCEDURE_NAME, RDB$PROCEDURE_INPUTS, RDB$PROCEDURE_OUTPUTS,"
                       " cast(RDB$PROCEDURE_SOURCE as varchar(4000))"
                       " from RDB$PROCEDURES order by 1"),
        QStringLiteral("select RDB$PROCEDURE_NAME, RDB$PARAMETER_NAME, RDB$PARAMETER_TYPE, RDB$PARAMETER_NUMBER"
                       " from RDB$PROCEDURE_PARAMETERS order by 1, 3, 4"),
        QStringLiteral("select RDB$TRIGGER_NAME, RDB$RELATION_NAME, cast(RDB$TRIGGER_TYPE as integer), RDB$TRIGGER_SEQUENCE,"
                       " RDB$TRIGGER_INACTIVE, cast(RDB$TRIGGER_SOURCE as varchar(4000)) from RDB$TRIGGERS"
                       " where coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1"),
        QStringLiteral("select RDB$EXCEPTION_NAME, RDB$MESSAGE from RDB$EXCEPTIONS order by 1"),
        QStringLiteral("select RDB$GENERATOR_NAME from RDB$GENERATORS where coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1"),
        QStringLiteral("select cast(gen_id(GEN_LOG, 0) as integer) from RDB$DATABASE"),
        QStringLiteral("select ID, NAME, QTY from ITEMS order by ID"),
        QStringLiteral("select ID, NOTE from ITEM_NOTES"),
    };
    for (const QString& sql : queries)
        all << QStringLiteral("-- ") + sql << folded(rows(target, path, sql));
    return all;
}

TEST_P(RunScriptTest, AnIsqlScriptBuildsWhatIsqlBuilds)
{
    const QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty())
        GTEST_SKIP() << "isql-fb is not installed; comparison skipped";
    const QString ours = qvtest::createDatabase(target, dir, QStringLiteral("ours.fdb"));
    const QString theirs = qvtest::createDatabase(target, dir, QStringLiteral("isql.fdb"));

    const QString ourFile =
        writeScript(QStringLiteral("ours.sql"), QStringList{connectLine(QStringLiteral("ours.fdb"))} + isqlScriptBody());
    open(ourFile);
    run();
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Script Executed Successfully !")})
        << qPrintable(window->ResText->toPlainText());

    const QString isqlFile =
        writeScript(QStringLiteral("isql.sql"), QStringList{connectLine(QStringLiteral("isql.fdb"))} + isqlScriptBody());
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(isql, {QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("1"), QStringLiteral("-i"), isqlFile});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QByteArray output = process.readAll();
    ASSERT_EQ(process.exitCode(), 0) << output.constData();
    ASSERT_TRUE(output.trimmed().isEmpty()) << output.constData();

    const QStringList built = builtObjects(target, ours);
    EXPECT_EQ(built, builtObjects(target, theirs));
    // Not two empty lists: the objects are there and work.
    EXPECT_TRUE(built.contains(QStringLiteral("2|added; it's two; really ^ ^ 2"))) << qPrintable(built.join(u'\n'));
    EXPECT_TRUE(built.contains(QStringLiteral("2|it's two; really ^|0"))) << qPrintable(built.join(u'\n'));
}

// One script saved with LF and with CR LF line ends, run by the runner, by
// the executor alone and by isql-fb: six databases, one procedure source
// and one set of values, byte for byte. A carriage return the script writes
// as a value, or that stands alone inside a line, is kept; the file's own
// before a line feed are line ends.
TEST_P(RunScriptTest, LFAndCRLFScriptsBuildWhatIsqlBuildsByteForByte)
{
    const QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty())
        GTEST_SKIP() << "isql-fb is not installed; comparison skipped";
    const auto scriptLines = [&](const QString& database) {
        return QStringList{QStringLiteral("set sql dialect 3;"),
                           QStringLiteral("create database '%1'%2;").arg(path(database), credentials()),
                           QStringLiteral("set term ^ ;"),
                           QStringLiteral("create procedure P returns (x integer) as"),
                           QStringLiteral("begin"),
                           QStringLiteral("  x = 1;"),
                           QStringLiteral("  suspend;"),
                           QStringLiteral("end ^"),
                           QStringLiteral("set term ; ^"),
                           QStringLiteral("create table T (ID integer, V varchar(20));"),
                           QStringLiteral("commit;"),
                           QStringLiteral("insert into T values (1, 'a' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'b');"),
                           QStringLiteral("insert into T values (2, 'c"),
                           QStringLiteral("d');"),
                           QStringLiteral("insert into T values (3, 'e\rf');"),
                           QStringLiteral("commit;")};
    };
    const auto writeFile = [&](const QString& name, const QStringList& lines, const char* lineEnd) {
        const QString file = dir.filePath(name);
        QFile output(file);
        EXPECT_TRUE(output.open(QIODevice::WriteOnly));
        output.write((lines.join(QLatin1String(lineEnd)) + QLatin1String(lineEnd)).toUtf8());
        return file;
    };
    const QString source = QStringLiteral("select octet_length(RDB$PROCEDURE_SOURCE), "
                                          "cast(RDB$PROCEDURE_SOURCE as varchar(200)) from RDB$PROCEDURES");
    const QString values = QStringLiteral("select ID, octet_length(V), V from T order by ID");
    QStringList built;
    for (const char* lineEnd : {"\n", "\r\n"}) {
        const QString kind = lineEnd[0] == '\n' ? QStringLiteral("lf") : QStringLiteral("crlf");
        SCOPED_TRACE(kind.toStdString());

        // The runner, from the file.
        const QStringList runnerLines = scriptLines(kind + QStringLiteral("-runner.fdb"));
        open(writeFile(kind + QStringLiteral("-runner.sql"), runnerLines, lineEnd));
        run();
        EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Script Executed Successfully !")})
            << qPrintable(window->ResText->toPlainText());
        // One echo line for each line of the file, as it stands there (the
        // carriage return inside a line is not shown: it would break it).
        EXPECT_EQ(resultLines(), runnerLines.join(u'\n').remove(u'\r').split(u'\n'));

        // The executor, from the lines of the same file.
        const QString executorFile =
            writeFile(kind + QStringLiteral("-executor.sql"), scriptLines(kind + QStringLiteral("-executor.fdb")), lineEnd);
        {
            const QStringList lines = ReadScriptFile(executorFile);
            EXPECT_EQ(lines.size(), 16);
            const QStringList failures = qvtest::RunScript(lines);
            EXPECT_TRUE(failures.isEmpty()) << qPrintable(failures.join(u'\n'));
        }

        // isql-fb.
        const QString isqlFile =
            writeFile(kind + QStringLiteral("-isql.sql"), scriptLines(kind + QStringLiteral("-isql.fdb")), lineEnd);
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(isql, {QStringLiteral("-q"), QStringLiteral("-i"), isqlFile});
        ASSERT_TRUE(process.waitForFinished(120000));
        const QByteArray output = process.readAll();
        ASSERT_EQ(process.exitCode(), 0) << output.constData();

        for (const QString& database : {QStringLiteral("-runner.fdb"), QStringLiteral("-executor.fdb"),
                                        QStringLiteral("-isql.fdb")}) {
            const QString file = path(kind + database);
            built << kind + database + QLatin1Char(':')
                         + (rows(target, file, source) + rows(target, file, values)).join(u'\n');
        }
    }
    // The expected bytes, read without a character set: nothing converted.
    const QString expected = QStringLiteral(":29|begin\n  x = 1;\n  suspend;\nend\n1|4|a\r\nb\n2|3|c\nd\n3|3|e\rf");
    ASSERT_EQ(built.size(), 6);
    for (const QString& one : built)
        EXPECT_EQ(one.mid(one.indexOf(u':')).toStdString(), expected.toStdString()) << qPrintable(one);
}

TEST_P(RunScriptTest, WhileAScriptRunsItCanBeStoppedButNotRestartedReplacedOrClosed)
{
    QStringList lines{createLine(QStringLiteral("long.fdb")), QStringLiteral("CREATE TABLE T (ID INTEGER);")};
    for (int i = 1; i <= 20; ++i)
        lines << QStringLiteral("INSERT INTO T VALUES (%1);").arg(i);
    lines << QStringLiteral("COMMIT;");
    for (int i = 21; i <= 400; ++i)
        lines << QStringLiteral("INSERT INTO T VALUES (%1);").arg(i);
    const QString file = writeScript(QStringLiteral("long.sql"), lines);
    open(file);

    // Every reading of the clock is 50 ms on: the events get their turn
    // after every line. At line 100 the user presses F9 and F3 and closes
    // the window; at line 150 clicks Stop.
    window->Echo().SetClock([this] { return now += 50; });
    int timesLineOneRead = 0;
    bool busyShown = false;
    QString progressText;
    QObject::connect(window->QvScript, &TQvScript::OnProcessLine, window, [&](const QString&, int lineNo, int) {
        if (lineNo == 1)
            ++timesLineOneRead;
        if (lineNo == 100) {
            busyShown = !window->RunBtn->isEnabled() && !window->OpenFileBtn->isEnabled()
                        && window->StopBtn->isEnabled() && window->Progress->isVisible()
                        && qv::WaitCursor::depth() > 0;
            progressText = window->Progress->text();
            if (const QString shots = qEnvironmentVariable("QV_SCREENSHOT_DIR"); !shots.isEmpty())
                window->grab().save(shots + QStringLiteral("/runner_running_") + target.name + QStringLiteral(".png"));
            postKey(window, Qt::Key_F9);
            postKey(window, Qt::Key_F3);
            QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
        }
        if (lineNo == 150)
            QMetaObject::invokeMethod(window->StopBtn, "trigger", Qt::QueuedConnection);
    });
    script.clearShown();
    script.answerMessage(qv::mrOk);
    pressKey(window, Qt::Key_F9);

    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(timesLineOneRead, 1);
    EXPECT_TRUE(busyShown);
    EXPECT_EQ(progressText, QStringLiteral("Line 100 of 403"));
    // The stop took effect at the next line: what the open transaction did
    // is gone, the committed rows stay, and nothing after it was read.
    EXPECT_EQ(window->QvScript->StoppedAtLine(), 151);
    EXPECT_EQ(script.messages(),
              QStringList{QStringLiteral("Script stopped at line 151 of 403 - its open transaction was rolled back")});
    EXPECT_EQ(lastType(), qv::mtWarning);
    EXPECT_EQ(resultLines(), lines.mid(0, 151));
    // The result text followed the run to its last line.
    QCoreApplication::processEvents();
    const QTextBlock last = window->ResText->document()->lastBlock();
    const QRect lastLine = window->ResText->cursorRect(QTextCursor(last));
    EXPECT_TRUE(window->ResText->viewport()->rect().contains(lastLine)) << lastLine.y();
    EXPECT_EQ(window->ResText->verticalScrollBar()->value(), window->ResText->verticalScrollBar()->maximum());
    EXPECT_EQ(rows(target, path(QStringLiteral("long.fdb")), QStringLiteral("select count(*), max(ID) from T")),
              QStringList{QStringLiteral("20|20")});
    EXPECT_FALSE(window->QvDB->Connected());
    // The events came once per line here, and each batch went out before them.
    EXPECT_EQ(window->Echo().Pumps(), 151);
    EXPECT_TRUE(window->RunBtn->isEnabled());
    EXPECT_TRUE(window->OpenFileBtn->isEnabled());
    EXPECT_FALSE(window->StopBtn->isEnabled());
    EXPECT_FALSE(window->Progress->isVisible());
    EXPECT_EQ(qv::WaitCursor::depth(), 0);

    // Idle, the window closes.
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

// F3 with the real file dialog: a typed path and Enter open the file, and
// the dialog is not asked again - also where the focus comes back to the
// window only later, as on a real display.
TEST(RunScriptFileDialog, F3ATypedPathAndEnterOpenTheFileWithOneDialog)
{
    qvtest::TempDir dir;
    qvtest::RegistryFileIn registry(dir);
    const QString file = dir.filePath(QStringLiteral("typed.sql"));
    {
        QFile output(file);
        ASSERT_TRUE(output.open(QIODevice::WriteOnly));
        output.write("-- typed\n");
    }
    std::unique_ptr<TRunScript> window = std::make_unique<TRunScript>();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->ResText->setFocus();

    int dialogs = 0;
    QPointer<QFileDialog> answered;
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == answered)
            return;
        // Typed once the dialog holds the focus, as a user sees it.
        QWidget* typedInto = QApplication::focusWidget();
        if (!typedInto || !dialog->isAncestorOf(typedInto))
            return;
        answered = dialog;
        if (++dialogs > 1) {
            dialog->reject();
            return;
        }
        QTest::keyClicks(typedInto, file);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The completer's list may take the first Enter.
        if (dialog->isVisible())
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    watcher.start();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    // What the key still had to do has been done; the window is active again.
    QTest::qWait(200);
    watcher.stop();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(window->FileName(), file);
    EXPECT_EQ(window->StatusText(), QStringLiteral("ScriptFile: ") + file);
    EXPECT_TRUE(window->RunBtn->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Targets, RunScriptTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
