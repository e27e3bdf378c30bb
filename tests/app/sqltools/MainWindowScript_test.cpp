// The script runner inside the running program: the main window's "Execute
// SQL Script" shows the one runner, and neither the runner nor the program
// closes while a script runs.

#include "SQLEditTest_support.h"

#include "access/QvScript.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/sqltools/ExecuteScript.h"
#include "components/ColorMemo.h"
#include "components/FormPlacement.h"
#include "platform/DialogScript.h"
#include "support/ProgramSupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <gtest/gtest.h>

#include <optional>

namespace {

class ScriptRunnerInProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folders.emplace(dir);
        m_program.emplace(InstallScriptRunnerCommand);
    }

    void TearDown() override
    {
        m_program.reset();
        m_folders.reset();
    }

    static QList<TRunScript*> runners()
    {
        QList<TRunScript*> list;
        for (QWidget* child : MainForm->Children())
            if (auto* runner = qobject_cast<TRunScript*>(child))
                list << runner;
        return list;
    }

    qvtest::TempDir dir;
    qv::DialogScript script;

private:
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

TEST_F(ScriptRunnerInProgram, OneRunnerThatNeitherItNorTheProgramClosesDuringARun)
{
    ASSERT_TRUE(MainForm->ExecuteScript->isEnabled());
    EXPECT_FALSE(MainForm->UnavailableCommands().contains(MainForm->ExecuteScript));
    EXPECT_EQ(RunScriptWindow(), nullptr);

    MainForm->ExecuteScript->trigger();
    ASSERT_EQ(runners().size(), 1);
    QPointer<TRunScript> runner = runners().first();
    EXPECT_EQ(RunScriptWindow(), runner.data());
    EXPECT_EQ(MainForm->MdiArea()->activeSubWindow(), MdiSubWindowOf(runner));

    // Asked again, the same window comes forward with its text unchanged.
    runner->ResText->setPlainText(QStringLiteral("kept"));
    MainForm->MdiArea()->setActiveSubWindow(MdiSubWindowOf(MainTree));
    MainForm->ExecuteScript->trigger();
    ASSERT_EQ(runners().size(), 1);
    EXPECT_EQ(runners().first(), runner.data());
    EXPECT_EQ(runner->ResText->toPlainText(), QStringLiteral("kept"));
    EXPECT_EQ(MainForm->MdiArea()->activeSubWindow(), MdiSubWindowOf(runner));

    // During a run, closing the program and closing the runner's frame are
    // both refused; the program is not even asked whether to quit.
    const qvtest::Target target = qvtest::embeddedTarget();
    const QString database = target.databasePath(dir, QStringLiteral("program.fdb"));
    QStringList lines{QStringLiteral("CREATE DATABASE '%1' USER '%2';").arg(database, target.user),
                      QStringLiteral("CREATE TABLE T (ID INTEGER);")};
    for (int i = 1; i <= 30; ++i)
        lines << QStringLiteral("INSERT INTO T VALUES (%1);").arg(i);
    const QString file = dir.filePath(QStringLiteral("program.sql"));
    {
        QFile output(file);
        ASSERT_TRUE(output.open(QIODevice::WriteOnly));
        output.write(lines.join(QLatin1Char('\n')).toUtf8());
    }
    script.answerFile(file);
    runner->OpenFileBtnClick();
    qint64 now = 0;
    runner->Echo().SetClock([&now] { return now += 100; });
    QObject::connect(runner->QvScript, &TQvScript::OnProcessLine, runner, [&](const QString&, int lineNo, int) {
        if (lineNo == 10) {
            QMetaObject::invokeMethod(MainForm, "close", Qt::QueuedConnection);
            QMetaObject::invokeMethod(MdiSubWindowOf(runner), "close", Qt::QueuedConnection);
        }
    });
    script.clearShown();
    script.answerMessage(qv::mrOk);
    runner->RunBtnClick();
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Script Executed Successfully !")});
    ASSERT_FALSE(runner.isNull());
    EXPECT_TRUE(runner->isVisible());
    EXPECT_TRUE(MainForm->isVisible());
    EXPECT_FALSE(MainForm->ShuttingDown());
    EXPECT_EQ(qvsql::scalar(target, database, QStringLiteral("select count(*) from T")), QStringLiteral("30"));

    // Idle, it closes, and the command makes a new one.
    MdiSubWindowOf(runner)->close();
    EXPECT_EQ(RunScriptWindow(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(runner.isNull());
    MainForm->ExecuteScript->trigger();
    ASSERT_EQ(runners().size(), 1);
    EXPECT_TRUE(runners().first()->ResText->toPlainText().isEmpty());
    EXPECT_TRUE(runners().first()->FileName().isEmpty());
}

} // namespace
