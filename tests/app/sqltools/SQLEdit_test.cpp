// The SQL editor against a real database: runs, statistics, plan, history,
// keys, caption, its transaction and closing, and its database going away.

#include "SQLEditTest_support.h"

#include "access/QvDataSet.h"
#include "access/QvQuery.h"
#include "app/sqltools/ResultGrid.h"
#include "app/sqltools/SQLEdit.h"
#include "components/SpeedButton.h"
#include "components/Splitter.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/DialogScript.h"
#include "platform/db/DataSetModel.h"

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace {

using qvsql::chartBars;

class SQLEditorTest : public qvsql::SQLEditorFixture
{
protected:
    void SetUp() override
    {
        target = GetParam();
        if (target.isServer() && !qvtest::serverRunning())
            GTEST_SKIP() << "Firebird server is not running on 127.0.0.1:3050; server test skipped";
        useOwnRegistry();
        path = qvsql::createDatabase(target, dir, QStringLiteral("sql.fdb"), qvsql::tableStatements(10));
        openEditor(QStringLiteral("Test"));
    }

    qv::DialogScript script;
};

TEST_P(SQLEditorTest, StartsEmptyWithTheSQLPageAndNothingToCommit)
{
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("SQL Editor"));
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabSQL);
    EXPECT_FALSE(editor->CommitBtn->isEnabled());
    EXPECT_FALSE(editor->RollbackBtn->isEnabled());
    EXPECT_FALSE(editor->PrevQueryBtn->isEnabled());
    EXPECT_FALSE(editor->NextQueryBtn->isEnabled());
    EXPECT_FALSE(editor->RunT->Active());
    EXPECT_FALSE(editor->SQLFavBtn->isVisible());
    EXPECT_FALSE(editor->AddToFavorites->isVisible());
    EXPECT_EQ(editor->PageReads->text(), QStringLiteral("0"));
    EXPECT_EQ(editor->MemWrites->text(), QStringLiteral("0"));
    EXPECT_EQ(editor->DBNumber(), 1);
    EXPECT_EQ(editor->Pages->tabText(1), QStringLiteral("Result page  (Ctrl - 2)"));
}

TEST_P(SQLEditorTest, CountGivesOneSequentialReadBarOfTheTable)
{
    run(QStringLiteral("select count(*) from T"));
    EXPECT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(u'\n'));
    const auto bars = chartBars(editor->SelectChart);
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].label, QStringLiteral("T"));
    EXPECT_EQ(bars[0].value, 10);
    EXPECT_FALSE(bars[0].second);
    EXPECT_TRUE(chartBars(editor->InsertChart).empty());
    EXPECT_TRUE(chartBars(editor->UpdateChart).empty());
    EXPECT_TRUE(chartBars(editor->DeleteChart).empty());
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabResult);
    EXPECT_EQ(editor->Numrec->text(), QStringLiteral("1"));
    EXPECT_EQ(editor->ResultModel->rowCount(), 1);
    EXPECT_EQ(editor->ResultModel->data(editor->ResultModel->index(0, 0)).toString(), QStringLiteral("10"));
    EXPECT_TRUE(editor->ExTime->text().endsWith(QStringLiteral(" ms.")));
    EXPECT_GE(editor->ExTime->text().section(u' ', 0, 0).toLongLong(), 0);
    EXPECT_EQ(editor->History(), QStringList{QStringLiteral("select count(*) from T")});
    EXPECT_TRUE(editor->RunT->Active());
    EXPECT_TRUE(editor->CommitBtn->isEnabled());
    EXPECT_TRUE(editor->RollbackBtn->isEnabled());
    EXPECT_TRUE(editor->PlanView->toPlainText().contains(QStringLiteral("NATURAL")));
}

TEST_P(SQLEditorTest, KeyLookupGivesOneIndexedReadAndAPlanNamingThePrimaryKey)
{
    run(QStringLiteral("select * from T where ID=5"));
    const auto bars = chartBars(editor->SelectChart);
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].label, QStringLiteral("T"));
    EXPECT_EQ(bars[0].value, 1);
    EXPECT_TRUE(bars[0].second);
    const QString plan = editor->PlanView->toPlainText();
    EXPECT_TRUE(plan.contains(QStringLiteral("INDEX (RDB$PRIMARY"))) << qPrintable(plan);
    EXPECT_FALSE(editor->PlanView->isVisible());
    EXPECT_FALSE(editor->Split1->isVisible());
    // The plan was kept while hidden and shows when the button goes down.
    editor->Pages->setCurrentWidget(editor->TabSQL);
    editor->ShowPlanBtn->setChecked(true);
    editor->ShowPlanBtnClick();
    EXPECT_TRUE(editor->PlanView->isVisible());
    EXPECT_TRUE(editor->Split1->isVisible());
    EXPECT_GT(editor->PlanView->height(), 0);
    EXPECT_LT(editor->PlanView->geometry().top(), editor->TabSQL->height());
    EXPECT_LT(editor->SQLText->geometry().bottom(), editor->Split1->geometry().top());
    editor->ShowPlanBtn->setChecked(false);
    editor->ShowPlanBtnClick();
    EXPECT_FALSE(editor->PlanView->isVisible());
}

TEST_P(SQLEditorTest, UpdateGivesOneUpdateBarAndReportsSuccess)
{
    run(QStringLiteral("update T set NAME='changed' where ID=3"));
    EXPECT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(u'\n'));
    const auto updates = chartBars(editor->UpdateChart);
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].label, QStringLiteral("T"));
    EXPECT_EQ(updates[0].value, 1);
    EXPECT_TRUE(chartBars(editor->InsertChart).empty());
    EXPECT_TRUE(chartBars(editor->DeleteChart).empty());
    EXPECT_EQ(editor->StatusText(), QStringLiteral("Query executed successfully !"));
    EXPECT_TRUE(editor->PlanView->toPlainText().isEmpty());
    EXPECT_EQ(editor->SQLText->SelText(), QStringLiteral("update T set NAME='changed' where ID=3"));
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabSQL);
    EXPECT_FALSE(editor->DS->Active());
    EXPECT_TRUE(editor->CommitBtn->isEnabled());
    // Not committed: another attachment still sees the old value.
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select NAME from T where ID=3")), QStringLiteral("name 3"));
    editor->CommitBtnClick();
    EXPECT_FALSE(editor->RunT->Active());
    EXPECT_FALSE(editor->CommitBtn->isEnabled());
    EXPECT_FALSE(editor->RollbackBtn->isEnabled());
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select NAME from T where ID=3")), QStringLiteral("changed"));
}

TEST_P(SQLEditorTest, InsertAndDeleteBarsGoToTheirCharts)
{
    run(QStringLiteral("insert into T values (11, 'eleven')"));
    auto inserts = chartBars(editor->InsertChart);
    ASSERT_EQ(inserts.size(), 1u);
    EXPECT_EQ(inserts[0].label, QStringLiteral("T"));
    EXPECT_EQ(inserts[0].value, 1);
    run(QStringLiteral("delete from T where ID > 8"));
    const auto deletes = chartBars(editor->DeleteChart);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].value, 3);
    // The insert of the earlier run is no longer a change.
    EXPECT_TRUE(chartBars(editor->InsertChart).empty());
    editor->RollbackBtnClick();
    EXPECT_FALSE(editor->RunT->Active());
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T")), QStringLiteral("10"));
}

TEST_P(SQLEditorTest, SyntaxErrorIsReportedWithTheServersTextAndKeptInTheHistory)
{
    script.answerMessage(qv::mrOk);
    run(QStringLiteral("selec * from T"));
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().first().contains(QStringLiteral("Token unknown"))) << qPrintable(script.messages().first());
    EXPECT_EQ(script.shown().back().type, qv::mtError);
    EXPECT_EQ(editor->StatusText(), QStringLiteral("Error in query !"));
    EXPECT_EQ(editor->History(), QStringList{QStringLiteral("selec * from T")});
    EXPECT_TRUE(editor->PrevQueryBtn->isEnabled());
    EXPECT_EQ(editor->SQLText->Text(), QStringLiteral("selec * from T\r\n"));
}

TEST_P(SQLEditorTest, SelectThatFailsToOpenLeavesTheHistoryAlone)
{
    script.answerMessage(qv::mrOk);
    run(QStringLiteral("select cast(NAME as integer) from T"));
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_EQ(editor->StatusText(), QStringLiteral("Error in query !"));
    EXPECT_TRUE(editor->History().isEmpty());
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabSQL);
}

TEST_P(SQLEditorTest, FailedNonSelectIsKeptOnceInTheHistory)
{
    script.answerMessage(qv::mrOk);
    run(QStringLiteral("insert into T values (1, 'duplicate key')"));
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_EQ(editor->History().size(), 1);
}

TEST_P(SQLEditorTest, TooShortTextDoesNothing)
{
    run(QStringLiteral("sel "));
    EXPECT_TRUE(editor->History().isEmpty());
    EXPECT_FALSE(editor->RunT->Active());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("SQL Editor"));
    script.answerMessage(qv::mrOk);
    run(QStringLiteral("selec"));
    EXPECT_EQ(editor->History().size(), 1);
    EXPECT_TRUE(editor->RunT->Active());
}

// The highlighter reads a q'...' literal as the server reads it on the
// editor's connection: on UTF8 a two-byte opener opens none.
TEST_P(SQLEditorTest, AlternativeQuotesArePaintedAsTheConnectionReadsThem)
{
    const QString text = QStringLiteral("q'\u00e9;\u00e9' x");
    const auto firstToken = [&text](TqeGeneralSyn* syntax) {
        syntax->ResetRange();
        syntax->SetLine(text);
        return std::make_pair(syntax->GetTokenKind(), syntax->GetTokenLen());
    };
    // The fixture's connection has no character set: one byte a character.
    EXPECT_EQ(firstToken(editor->Syntax), std::make_pair(int(tkString), 6));

    TQvDatabase utf8;
    utf8.SetDBName(path);
    utf8.SetDBParams(qvtest::connectParams(target) << QStringLiteral("isc_dpb_lc_ctype=UTF8"));
    utf8.Open();
    const int index = DBList->Add(QStringLiteral("Utf8"));
    DBList->SetPath(index, path);
    DBList->SetDatabase(index, &utf8);
    {
        const std::unique_ptr<TSQLEditor> other = std::make_unique<TSQLEditor>(DBList->GetId(index));
        other->show();
        EXPECT_EQ(firstToken(other->Syntax), std::make_pair(int(tkIdentifier), 1));
    }
    DBList->SetDatabase(index, nullptr);
}

TEST_P(SQLEditorTest, CaptionIsCutAtFortyCharacters)
{
    // 40 characters once the line break is a blank.
    const QString forty = QStringLiteral("select ID\r\nfrom T where ID = 1 or ID = 22");
    ASSERT_EQ(forty.size(), 41);
    run(forty);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("SQL Editor - (select ID from T where ID = 1 or ID = 22...)"));
    const QString thirtyNine = QStringLiteral("select ID from T where ID = 1 or ID = 2");
    ASSERT_EQ(thirtyNine.size(), 39);
    run(thirtyNine);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("SQL Editor - (select ID from T where ID = 1 or ID = 2)"));
    EXPECT_EQ(TSQLEditor::CaptionFor(QStringLiteral("select * from T where NAME = 'a very long name indeed'")),
              QStringLiteral("SQL Editor - (select * from T where NAME = 'a very lon...)"));

    // The fortieth code unit is the first half of an emoji: the caption ends
    // before the emoji, never in its middle.
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString head = QStringLiteral("select '") + QString(31, u'x');
    ASSERT_EQ(head.size(), 39);
    // The caption is set before the statement goes; the test database's
    // character set NONE then refuses the emoji.
    script.answerMessage(qv::mrOk);
    run(head + smile + QStringLiteral("' from rdb$database"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("SQL Editor - (") + head + QStringLiteral("...)"));
    // Taken whole where it fits.
    script.answerMessage(qv::mrOk);
    run(QStringLiteral("select '") + QString(30, u'x') + smile + QStringLiteral("' from rdb$database"));
    EXPECT_EQ(editor->windowTitle(),
              QStringLiteral("SQL Editor - (select '") + QString(30, u'x') + smile + QStringLiteral("...)"));
}

TEST_P(SQLEditorTest, CaptionLeavesOutTheBlanksOfAClickPastTheLineEnd)
{
    TqeCustomEdit* text = editor->SQLText;
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    // Ten columns past the end of the empty first line, then typing.
    const QPoint pastTheEnd(text->TextOrigin() + 10 * text->CharWidth() + text->CharWidth() / 2,
                            text->LineHeight() / 2);
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, pastTheEnd);
    ASSERT_EQ(text->CaretXY(), QPoint(11, 1));
    QTest::keyClicks(text, QStringLiteral("select ID from T"));
    QTest::keyClick(text, Qt::Key_R, Qt::ControlModifier);
    // The window acts on its keys once they have been delivered.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    // The statement keeps what the editor made of it; the caption says the statement.
    EXPECT_EQ(editor->StatementText(), QString(10, u' ') + QStringLiteral("select ID from T"));
    EXPECT_EQ(editor->History().size(), 1);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("SQL Editor - (select ID from T)"));

    // Blank lines before it are no part of the caption either.
    run(QStringLiteral("\r\n  \r\nselect NAME from T"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("SQL Editor - (select NAME from T)"));
}

TEST_P(SQLEditorTest, HistoryStepsBackAndForth)
{
    run(QStringLiteral("select ID from T"));
    run(QStringLiteral("select NAME from T"));
    run(QStringLiteral("select NAME from T"));
    ASSERT_EQ(editor->History().size(), 3);
    EXPECT_EQ(editor->HistoryIndex(), 2);
    EXPECT_FALSE(editor->NextQueryBtn->isEnabled());
    editor->PrevQueryBtnClick();
    editor->PrevQueryBtnClick();
    EXPECT_EQ(editor->HistoryIndex(), 0);
    EXPECT_EQ(editor->StatementText(), QStringLiteral("select ID from T"));
    EXPECT_FALSE(editor->PrevQueryBtn->isEnabled());
    EXPECT_TRUE(editor->NextQueryBtn->isEnabled());
    editor->PrevQueryBtnClick();
    EXPECT_EQ(editor->HistoryIndex(), 0);
    editor->NextQueryBtnClick();
    editor->NextQueryBtnClick();
    EXPECT_EQ(editor->HistoryIndex(), 2);
    EXPECT_FALSE(editor->NextQueryBtn->isEnabled());
    EXPECT_TRUE(editor->PrevQueryBtn->isEnabled());
    EXPECT_EQ(editor->StatementText(), QStringLiteral("select NAME from T"));
}

TEST_P(SQLEditorTest, ControlKeysSwitchPagesRunAndWalkTheHistory)
{
    // The window acts on its keys once they have been delivered.
    auto keyClick = [](QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(widget, key, modifiers);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    };
    QApplication::setActiveWindow(editor);
    editor->SQLText->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), editor->SQLText);
    keyClick(editor->SQLText, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabStat);
    // Keys go to whichever control has the focus.
    editor->ResultGrid->setFocus();
    keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabResult);
    keyClick(QApplication::focusWidget(), Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabSQL);

    editor->SQLText->setFocus();
    editor->SQLText->SetText(QStringLiteral("select ID from T"));
    keyClick(editor->SQLText, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(editor->History().size(), 1);
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabResult);
    editor->SQLText->SetText(QStringLiteral("select NAME from T"));
    editor->RunBtnClick();
    editor->SQLText->setFocus();
    keyClick(editor->SQLText, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(editor->HistoryIndex(), 0);
    keyClick(editor->SQLText, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(editor->HistoryIndex(), 1);
    // Without Ctrl the keys are typing only.
    keyClick(editor->SQLText, Qt::Key_3);
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabResult);
}

TEST_P(SQLEditorTest, CtrlRRunsAFailingStatementOnceThoughItsMessageBoxTakesTheFocus)
{
    QApplication::setActiveWindow(editor);
    editor->SQLText->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), editor->SQLText);
    editor->SQLText->SetText(QStringLiteral("selec * from T"));
    // A real box takes the focus while it is up.
    script.answerMessage(qv::mrOk, [] {
        if (QWidget* focus = QApplication::focusWidget())
            focus->clearFocus();
    });
    QTest::keyClick(editor->SQLText, Qt::Key_R, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(script.messages().size(), 1) << qPrintable(script.messages().join(u'\n'));
    EXPECT_EQ(editor->History().size(), 1);
    // The tool button is the same command.
    script.answerMessage(qv::mrOk);
    editor->RunBtn->trigger();
    EXPECT_EQ(script.messages().size(), 2);
    EXPECT_EQ(editor->History().size(), 2);
}

TEST_P(SQLEditorTest, ClosingWithActiveTransactionAndYesCommits)
{
    run(QStringLiteral("insert into T values (100, 'kept')"));
    ASSERT_TRUE(editor->RunT->Active());
    script.answerMessage(qv::mrYes);
    EXPECT_TRUE(editor->close());
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_EQ(script.messages().first(), QStringLiteral("Commit Work ?"));
    EXPECT_EQ(script.shown().back().type, qv::mtConfirmation);
    EXPECT_EQ(script.shown().back().buttons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No"),
                                                          QStringLiteral("Cancel")}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select NAME from T where ID=100")), QStringLiteral("kept"));
}

TEST_P(SQLEditorTest, ClosingAndNoRollsBack)
{
    run(QStringLiteral("insert into T values (100, 'dropped')"));
    script.answerMessage(qv::mrNo);
    EXPECT_TRUE(editor->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T where ID=100")), QStringLiteral("0"));
}

TEST_P(SQLEditorTest, ClosingAndCancelKeepsWindowAndTransaction)
{
    run(QStringLiteral("insert into T values (100, 'pending')"));
    script.answerMessage(qv::mrCancel);
    EXPECT_FALSE(editor->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->RunT->Active());
    EXPECT_TRUE(editor->CommitBtn->isEnabled());
    // Without a transaction there is nothing to ask.
    editor->CommitBtnClick();
    EXPECT_TRUE(editor->close());
    EXPECT_EQ(script.messages().size(), 1);
}

TEST_P(SQLEditorTest, SameTableWithBothReadKindsGetsDistinctLabels)
{
    run(QStringLiteral("select (select count(*) from T), (select NAME from T where ID = 2) from rdb$database"));
    const auto bars = chartBars(editor->SelectChart);
    QStringList labels;
    for (const auto& bar : bars)
        labels << bar.label;
    EXPECT_TRUE(labels.contains(QStringLiteral("T (non-indexed)"))) << qPrintable(labels.join(u','));
    EXPECT_TRUE(labels.contains(QStringLiteral("T (indexed)"))) << qPrintable(labels.join(u','));
    EXPECT_EQ(labels.size(), QSet<QString>(labels.begin(), labels.end()).size());
    for (const auto& bar : bars) {
        if (bar.label == QStringLiteral("T (non-indexed)")) {
            EXPECT_EQ(bar.value, 10);
            EXPECT_FALSE(bar.second);
        }
        if (bar.label == QStringLiteral("T (indexed)")) {
            EXPECT_EQ(bar.value, 1);
            EXPECT_TRUE(bar.second);
        }
    }
}

TEST_P(SQLEditorTest, RunningTwiceWithoutChangesLeavesChartsEmpty)
{
    run(QStringLiteral("select ID from T where ID=1"));
    // A statement that touches no table: every counter stays as it was.
    run(QStringLiteral("select 1 from rdb$database where 1=0"));
    EXPECT_TRUE(chartBars(editor->InsertChart).empty());
    EXPECT_TRUE(chartBars(editor->UpdateChart).empty());
    EXPECT_TRUE(chartBars(editor->DeleteChart).empty());
    for (const auto& bar : chartBars(editor->SelectChart))
        EXPECT_NE(bar.label, QStringLiteral("T")) << "T was not read again";
}

TEST_P(SQLEditorTest, ProcedureCallNeverOpensTheResult)
{
    qvsql::execute(target, path,
                   {QStringLiteral("create procedure P (A integer) returns (B integer) as begin B = A + 1; end")});
    run(QStringLiteral("execute procedure P 4"));
    EXPECT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(u'\n'));
    EXPECT_FALSE(editor->DS->Active());
    EXPECT_EQ(editor->Pages->currentWidget(), editor->TabSQL);
    EXPECT_TRUE(editor->PlanView->toPlainText().isEmpty());
    EXPECT_EQ(editor->StatusText(), QStringLiteral("Query executed successfully !"));
}

TEST_P(SQLEditorTest, CommitTextRunAsStatementLeavesButtonsInStep)
{
    run(QStringLiteral("insert into T values (50, 'x')"));
    run(QStringLiteral("commit work"));
    EXPECT_FALSE(editor->RunT->Active());
    EXPECT_FALSE(editor->CommitBtn->isEnabled());
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select NAME from T where ID=50")), QStringLiteral("x"));
}

TEST_P(SQLEditorTest, EntryOfAnotherDatabaseRemovedKeepsTheWindowOnItsOwn)
{
    // A second registration before this window's entry shifts its number.
    qvtest::TempDir otherDir;
    const QString otherPath = qvsql::createDatabase(target, otherDir, QStringLiteral("other.fdb"),
                                                    {QStringLiteral("create table OTHER (X integer)")});
    delete editor.data();
    DBList->Delete(DBList->IndexOfId(id));
    const quint64 other = databases->add(QStringLiteral("Other"), target, otherPath);
    id = databases->add(QStringLiteral("Test"), target, path);
    editor = new TSQLEditor(id);
    editor->show();
    EXPECT_EQ(editor->DBNumber(), 2);
    DBList->Delete(DBList->IndexOfId(other));
    EXPECT_EQ(editor->DBNumber(), 1);
    run(QStringLiteral("select count(*) from T"));
    EXPECT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(u'\n'));
    ASSERT_EQ(chartBars(editor->SelectChart).size(), 1u);
    EXPECT_EQ(chartBars(editor->SelectChart)[0].label, QStringLiteral("T"));
}

TEST_P(SQLEditorTest, OwnEntryUnregisteredGivesDatabaseClosed)
{
    DBList->Delete(DBList->IndexOfId(id));
    EXPECT_EQ(editor->DBNumber(), 0);
    script.answerMessage(qv::mrOk);
    run(QStringLiteral("select count(*) from T"));
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Database closed !")});
    EXPECT_EQ(script.shown().back().type, qv::mtError);
    EXPECT_TRUE(editor->History().isEmpty());
    // A link word of another database's list is never looked up here.
    editor->SQLTextHyperLinkClick(QStringLiteral("T"));
    EXPECT_EQ(script.shown().size(), 1u);
}

TEST_P(SQLEditorTest, ClosedOrFreedConnectionGivesDatabaseClosedNeverACrash)
{
    run(QStringLiteral("select * from T"));
    ASSERT_TRUE(editor->DS->Active());
    databases->database(id)->Close();
    EXPECT_FALSE(editor->DS->Active());
    EXPECT_FALSE(editor->RunT->Active());
    EXPECT_EQ(editor->ResultModel->rowCount(), 0);
    script.answerMessage(qv::mrOk);
    run(QStringLiteral("select count(*) from T"));
    EXPECT_EQ(script.messages().last(), QStringLiteral("Database closed !"));
    databases->freeDatabase(id);
    EXPECT_EQ(editor->Database(), nullptr);
    script.answerMessage(qv::mrOk);
    run(QStringLiteral("select count(*) from T"));
    EXPECT_EQ(script.messages().last(), QStringLiteral("Database closed !"));
    editor->CommitBtnClick();
    EXPECT_TRUE(editor->close());
}

TEST_P(SQLEditorTest, FetchingEverythingCannotBeReenteredOrClosedUnderIt)
{
    qvsql::execute(target, path,
                   {QStringLiteral("execute block as declare i integer = 11; begin"
                                   " while (i <= 6000) do begin insert into T values (:i, 'more'); i = i + 1; end end")});
    run(QStringLiteral("select * from T"));
    ASSERT_TRUE(editor->DS->Active());
    ASSERT_LT(editor->ResultModel->rowCount(), 6000);
    bool ranInside = false;
    bool closed = true;
    bool busy = false;
    QTimer::singleShot(0, editor, [&] {
        ranInside = true;
        busy = editor->Busy();
        editor->SQLText->SetText(QStringLiteral("select count(*) from T"));
        editor->RunBtnClick();
        closed = editor->close();
        editor->CommitBtnClick();
    });
    editor->FetchAllRows();
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(ranInside);
    EXPECT_TRUE(busy);
    EXPECT_FALSE(closed);
    EXPECT_EQ(editor->History().size(), 1);
    EXPECT_TRUE(editor->RunT->Active());
    EXPECT_TRUE(editor->DS->Active());
    EXPECT_EQ(editor->ResultModel->rowCount(), 6000);
    EXPECT_EQ(editor->DS->RecordCount(), 6000);
    EXPECT_EQ(editor->Numrec->text(), QStringLiteral("6000"));
    EXPECT_EQ(editor->ResultGrid->currentIndex().row(), 5999);
    EXPECT_FALSE(editor->Busy());
    editor->FirstRow();
    EXPECT_EQ(editor->ResultGrid->currentIndex().row(), 0);
    editor->RollbackBtnClick();
    EXPECT_TRUE(editor->close());
}

TEST_P(SQLEditorTest, GridKeysGoToTheEnds)
{
    run(QStringLiteral("select * from T"));
    editor->ResultGrid->setFocus();
    QTest::keyClick(editor->ResultGrid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(editor->ResultGrid->currentIndex().row(), 9);
    EXPECT_EQ(editor->DS->RecNo(), 10);
    QTest::keyClick(editor->ResultGrid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(editor->DS->RecNo(), 1);
    // Moving the cell moves the dataset.
    editor->ResultGrid->setCurrentIndex(editor->ResultModel->index(4, 0));
    EXPECT_EQ(editor->DS->RecNo(), 5);
}

TEST_P(SQLEditorTest, CutCopyAndPasteActOnTheSelection)
{
    editor->SQLText->SetText(QStringLiteral("select ID from T"));
    editor->SQLText->SetBlockBegin(QPoint(8, 1));
    editor->SQLText->SetBlockEnd(QPoint(10, 1));
    editor->CopyBtnClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ID"));
    editor->CutBtnClick();
    EXPECT_EQ(editor->StatementText(), QStringLiteral("select  from T"));
    editor->SQLText->SetCaretXY(QPoint(8, 1));
    editor->PasteBtnClick();
    EXPECT_EQ(editor->StatementText(), QStringLiteral("select ID from T"));
}

INSTANTIATE_TEST_SUITE_P(Targets, SQLEditorTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
