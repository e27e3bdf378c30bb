// The SQL editor inside the running program: opened from the main window's
// "Execute SQL" on the tree's selection, writing the status line, following
// the options, and asked about its transaction when the program closes.

#include "SQLEditTest_support.h"

#include "access/QvDataSet.h"
#include "app/shell/EntryDatabase.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/Options.h"
#include "app/shell/OptionsDlg.h"
#include "app/sqltools/DataView.h"
#include "app/sqltools/SQLEdit.h"
#include "components/ColorGrid.h"
#include "components/DBGrid.h"
#include "components/CurrEdit.h"
#include "components/SpeedButton.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"
#include "platform/DialogScript.h"
#include "platform/Registry.h"
#include "support/ProgramSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Clicks a check box or radio button on its indicator, the part that takes
// clicks however wide the layout makes the widget.
void clickBox(QAbstractButton* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

class SQLEditorInProgram : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        target = GetParam();
        if (target.isServer() && !qvtest::serverRunning())
            GTEST_SKIP() << "Firebird server is not running on 127.0.0.1:3050; server test skipped";
        m_folders.emplace(dir);
        path = qvsql::createDatabase(target, dir, QStringLiteral("program.fdb"), qvsql::tableStatements(10));
        ASSERT_TRUE(qvtest::registerDatabase(QStringLiteral("Test"), path, target.user, target.password));
        m_program.emplace(InstallSQLEditorCommand);
    }

    void TearDown() override
    {
        for (QWidget* child : MainForm ? MainForm->Children() : QList<QWidget*>())
            if (auto* editor = qobject_cast<TSQLEditor*>(child); editor && editor->RunT->Active())
                editor->RunT->Rollback();
        m_program.reset();
        m_folders.reset();
    }

    QTreeWidgetItem* databaseNode() const { return qvtest::databaseNode(QStringLiteral("Test")); }

    QList<TSQLEditor*> editors() const
    {
        QList<TSQLEditor*> list;
        for (QWidget* child : MainForm->Children())
            if (auto* editor = qobject_cast<TSQLEditor*>(child))
                list << editor;
        return list;
    }

    qvtest::Target target;
    qvtest::TempDir dir;
    QString path;
    qv::DialogScript script;

private:
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

TEST_P(SQLEditorInProgram, ExecuteSQLOpensAnEditorOnTheSelectedConnectedDatabase)
{
    ASSERT_TRUE(MainForm->ExecuteSQLBtn->isEnabled());
    ASSERT_TRUE(MainForm->ToolExecSQL->isEnabled());
    EXPECT_EQ(MainForm->ExecuteSQLBtn->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);

    // The top node opens nothing.
    MainTree->Tree()->setCurrentItem(MainTree->TopNode());
    MainForm->ExecuteSQLBtn->trigger();
    EXPECT_TRUE(editors().isEmpty());
    // A database not connected yet is connected as expanding it does, then the editor opens.
    MainTree->Tree()->setCurrentItem(node);
    MainForm->ExecuteSQLBtn->trigger();
    ASSERT_TRUE(TMainTree::NodeData(node)) << qPrintable(script.messages().join(u'\n'));
    EXPECT_TRUE(node->isExpanded());
    ASSERT_EQ(editors().size(), 1);
    editors().first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(editors().isEmpty());

    // An object's node belongs to its database as well.
    MainTree->Tree()->setCurrentItem(node->child(0));
    MainForm->ToolExecSQL->trigger();
    ASSERT_EQ(editors().size(), 1);
    TSQLEditor* editor = editors().first();
    EXPECT_EQ(editor->DBNumber(), DBList->IndexOf(QStringLiteral("Test")) + 1);
    EXPECT_EQ(editor->Database(), DBList->GetDatabase(DBList->IndexOf(QStringLiteral("Test"))));
    EXPECT_EQ(editor->property("DBNumber").toInt(), editor->DBNumber());
    EXPECT_TRUE(editor->Syntax->IsLinkWord(u"T"));
    // Several may be open.
    MainTree->Tree()->setCurrentItem(node);
    MainForm->ExecuteSQLBtn->trigger();
    EXPECT_EQ(editors().size(), 2);

    editor->SQLText->SetText(QStringLiteral("select count(*) from T"));
    editor->RunBtnClick();
    EXPECT_TRUE(MainForm->SavetoFile->isEnabled());
    editor->Pages->setCurrentWidget(editor->TabSQL);
    EXPECT_FALSE(MainForm->SavetoFile->isEnabled());
    editor->SQLText->SetText(QStringLiteral("update T set NAME = 'x' where ID = 1"));
    editor->RunBtnClick();
    EXPECT_EQ(MainForm->StatusPanel(0), QStringLiteral("Query executed successfully !"));
    script.answerMessage(qv::mrOk);
    editor->SQLText->SetText(QStringLiteral("selec * from T"));
    editor->RunBtnClick();
    EXPECT_EQ(MainForm->StatusPanel(0), QStringLiteral("Error in query !"));
    // A later statement that succeeds takes the error off the line, a select as well.
    editor->SQLText->SetText(QStringLiteral("select * from T"));
    editor->RunBtnClick();
    EXPECT_EQ(MainForm->StatusPanel(0), QString());
}

TEST_P(SQLEditorInProgram, ExecuteSQLOnADatabaseThatCannotConnectShowsWhyAndOpensNothing)
{
    // The list read the registry at start: change the entry as the dialog would.
    DBList->SetPath(DBList->IndexOf(QStringLiteral("Test")), path + QStringLiteral(".missing"));
    MainTree->Tree()->setCurrentItem(databaseNode());
    script.answerMessage(qv::mrOk);
    script.onModal([](QDialog& dialog) { dialog.reject(); });
    MainForm->ExecuteSQLBtn->trigger();
    EXPECT_TRUE(editors().isEmpty());
    ASSERT_EQ(script.shown().size(), 2u);
    EXPECT_TRUE(script.shown()[0].text.contains(QStringLiteral(".missing")));
    EXPECT_EQ(script.shown()[1].kind, qv::DialogKind::Modal);
    EXPECT_FALSE(TMainTree::NodeData(databaseNode()));
}

TEST_P(SQLEditorInProgram, ALostConnectionLetsTheEditorCloseAtOnceAndExecuteSQLConnectsAgain)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    MainTree->Tree()->setCurrentItem(node);
    QPointer<TSQLEditor> editor = ExecuteSQLBtnClick();
    ASSERT_TRUE(editor);
    TQvDatabase* database = editor->Database();
    editor->SQLText->SetText(QStringLiteral("insert into T values (100, 'never committed')"));
    editor->RunBtnClick();
    ASSERT_TRUE(editor->RunT->Active());
    ASSERT_TRUE(editor->CommitBtn->isEnabled());
    qvtest::killAttachment(target, path, qvtest::attachmentId(*database));

    // "Commit Work ?" No: the work is gone with the attachment anyway, and the
    // window closes at once, without another message.
    script.answerMessage(qv::mrNo);
    EXPECT_TRUE(editor->close());
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Commit Work ?")});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_FALSE(editor);
    EXPECT_EQ(script.messages().size(), 1);
    // The tree heard of it: the database is shown as not connected.
    EXPECT_FALSE(database->Connected());
    EXPECT_FALSE(TMainTree::NodeData(node));
    EXPECT_FALSE(node->isExpanded());

    // Execute SQL connects it again, as expanding does, and the new editor works.
    MainTree->Tree()->setCurrentItem(node);
    MainForm->ExecuteSQLBtn->trigger();
    ASSERT_EQ(editors().size(), 1);
    EXPECT_TRUE(TMainTree::NodeData(node));
    editor = editors().first();
    EXPECT_EQ(editor->Database(), database);
    editor->SQLText->SetText(QStringLiteral("select count(*) from T where ID = 100"));
    editor->RunBtnClick();
    EXPECT_EQ(script.messages().size(), 1);
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T where ID = 100")), QStringLiteral("0"));
}

TEST_P(SQLEditorInProgram, ALostConnectionFoundByARunOrACommitIsToldOnceAndTheWindowStays)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    MainTree->Tree()->setCurrentItem(node);
    QPointer<TSQLEditor> editor = ExecuteSQLBtnClick();
    ASSERT_TRUE(editor);
    editor->SQLText->SetText(QStringLiteral("insert into T values (101, 'lost')"));
    editor->RunBtnClick();
    qvtest::killAttachment(target, path, qvtest::attachmentId(*editor->Database()));

    // The next run says so once, connects again and runs; the insert went
    // with the old attachment.
    script.answerMessage(qv::mrOk);
    editor->SQLText->SetText(QStringLiteral("select count(*) from T where ID = 101"));
    editor->RunBtnClick();
    EXPECT_EQ(script.messages(), QStringList{ConnectionLostText()});
    EXPECT_TRUE(TMainTree::NodeData(node));
    ASSERT_TRUE(editor->DS->Active());
    EXPECT_EQ(editor->DS->Fields(0).AsString(), QStringLiteral("0"));
    // The transaction is the new run's: nothing of the lost one is left to ask about.
    editor->RollbackBtnClick();
    EXPECT_TRUE(editor->close());
    EXPECT_EQ(script.messages().size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A commit asked for on a lost connection did not happen, which is said
    // once; the window keeps its text and the next close goes without a question.
    MainTree->Tree()->setCurrentItem(node);
    editor = ExecuteSQLBtnClick();
    ASSERT_TRUE(editor);
    editor->SQLText->SetText(QStringLiteral("insert into T values (102, 'lost too')"));
    editor->RunBtnClick();
    qvtest::killAttachment(target, path, qvtest::attachmentId(*editor->Database()));
    script.clearShown();
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(editor->close());
    ASSERT_EQ(script.messages().size(), 2);
    EXPECT_EQ(script.messages().first(), QStringLiteral("Commit Work ?"));
    EXPECT_TRUE(script.messages().last().contains(QStringLiteral("connection shutdown")));
    EXPECT_EQ(editor->StatementText(), QStringLiteral("insert into T values (102, 'lost too')"));
    EXPECT_TRUE(editor->close());
    EXPECT_EQ(script.messages().size(), 2);
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T where ID > 100")), QStringLiteral("0"));
}

TEST_P(SQLEditorInProgram, AfterALostConnectionTheNextExecuteAndRefreshConnectAgainAndShowTheData)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    MainTree->Tree()->setCurrentItem(node);
    QPointer<TSQLEditor> editor = ExecuteSQLBtnClick();
    ASSERT_TRUE(editor);
    TQvDatabase* database = editor->Database();
    const quint64 id = DBList->GetId(DBList->IndexOf(QStringLiteral("Test")));
    QPointer<TFDataView> view = OpenDataView(id, QStringLiteral("T"));
    ASSERT_TRUE(view);
    // Each run asks for another row, so a result left from before never passes.
    int row = 0;
    auto run = [&] {
        ++row;
        editor->SQLText->SetText(QStringLiteral("select NAME from T where ID = %1").arg(row));
        editor->RunBtnClick();
        return editor->DS->Active() ? editor->DS->Fields(0).AsString() : QString();
    };
    auto refresh = [&] {
        EXPECT_TRUE(view->NavRefresh->isEnabled());
        view->NavRefresh->trigger();
        if (!view->DS->Active())
            return -1;
        view->DS->Last();
        return view->DS->RecordCount();
    };
    ASSERT_EQ(run(), QStringLiteral("name 1"));
    ASSERT_EQ(refresh(), 10);

    // Found by the editor: it says so once and shows the data; the data view,
    // whose rows went with the attachment too, says so once when asked.
    qint64 attachment = qvtest::attachmentId(*database);
    qvtest::killAttachment(target, path, attachment);
    script.answerMessage(qv::mrOk);
    EXPECT_EQ(run(), QStringLiteral("name 2"));
    EXPECT_EQ(script.messages(), QStringList{ConnectionLostText()});
    EXPECT_TRUE(editor->RunBtn->isEnabled());
    EXPECT_NE(qvtest::attachmentId(*database), attachment);
    EXPECT_TRUE(TMainTree::NodeData(node));
    EXPECT_TRUE(view->NavRefresh->isEnabled());
    script.answerMessage(qv::mrOk);
    EXPECT_EQ(refresh(), 10);
    EXPECT_EQ(script.messages().size(), 2);
    EXPECT_EQ(script.messages().last(), ConnectionLostText());
    EXPECT_EQ(run(), QStringLiteral("name 3"));
    EXPECT_EQ(refresh(), 10);
    EXPECT_EQ(script.messages().size(), 2);

    // Found by the data view's Refresh: the same the other way round.
    attachment = qvtest::attachmentId(*database);
    qvtest::killAttachment(target, path, attachment);
    script.clearShown();
    script.answerMessage(qv::mrOk);
    EXPECT_EQ(refresh(), 10);
    EXPECT_EQ(script.messages(), QStringList{ConnectionLostText()});
    EXPECT_NE(qvtest::attachmentId(*database), attachment);
    EXPECT_TRUE(view->NavFirst->isEnabled() || view->NavLast->isEnabled());
    script.answerMessage(qv::mrOk);
    EXPECT_EQ(run(), QStringLiteral("name 4"));
    EXPECT_EQ(script.messages().size(), 2);
    EXPECT_EQ(run(), QStringLiteral("name 5"));
    EXPECT_EQ(script.messages().size(), 2);
    // What was committed is all there.
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T")), QStringLiteral("10"));
    view->close();
}

// As an administrator ends every attachment but his own: the data view
// opened from the tree, an SQL editor with a result beside it. One Refresh
// says once that the connection was lost and shows the rows again, on a new
// attachment that the window goes on working with.
TEST_P(SQLEditorInProgram, ADataViewWhoseAttachmentsWereAllEndedSaysSoOnceAndOneRefreshShowsTheRows)
{
    if (!target.isServer())
        GTEST_SKIP() << "an administrator ends attachments on the server; the embedded engine's belong to the test";
    qvsql::execute(target, path,
                   {QStringLiteral("execute block as declare i integer = 11; begin while (i <= 300) do begin "
                                   "insert into T values (:i, 'name ' || :i); i = i + 1; end end")});
    const quint64 id = DBList->GetId(DBList->IndexOf(QStringLiteral("Test")));
    ASSERT_TRUE(MainTree->ConnectEntry(id));
    QTreeWidgetItem* tables = MainTree->CategoryNodeOf(id, catTables);
    tables->setExpanded(true);
    ASSERT_EQ(tables->childCount(), 1);
    MainTree->Tree()->setCurrentItem(databaseNode());
    QPointer<TSQLEditor> editor = ExecuteSQLBtnClick();
    ASSERT_TRUE(editor);
    editor->SQLText->SetText(QStringLiteral("select * from T"));
    editor->RunBtnClick();
    QPointer<TFDataView> view = OpenDataView(id, TMainTree::NodeObjectName(tables->child(0)));
    ASSERT_TRUE(view);
    ASSERT_TRUE(view->DS->Active());
    QTest::qWait(50);
    const qint64 attachment = qvtest::attachmentId(*view->DS->Database());

    qvsql::execute(target, path,
                   {QStringLiteral("delete from mon$attachments where mon$attachment_id <> current_connection")});
    // A real message box lets events through while it is up.
    for (int i = 0; i < 4; ++i)
        script.answerMessage(qv::mrOk, [] { QTest::qWait(20); });
    ASSERT_TRUE(view->NavRefresh->isEnabled());
    view->NavRefresh->trigger();
    QTest::qWait(50);
    EXPECT_EQ(script.messages(), QStringList{ConnectionLostText()});
    ASSERT_TRUE(view->DS->Active());
    view->DS->Last();
    EXPECT_EQ(view->DS->RecordCount(), 300);
    EXPECT_NE(qvtest::attachmentId(*view->DS->Database()), attachment);
    EXPECT_TRUE(TMainTree::NodeData(databaseNode()));

    view->DS->First();
    view->DS->Edit();
    view->DS->FieldByName(QStringLiteral("NAME")).SetAsString(QStringLiteral("after the loss"));
    view->DS->Post();
    view->CommitBtnClick();
    EXPECT_EQ(script.messages().size(), 1);
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select NAME from T where ID = 1")),
              QStringLiteral("after the loss"));
    view->close();
}

// Every command of the data view that goes to the server finds a lost
// connection the same way: said once, connected again, and the command done
// on the new attachment; work that went with the old one is said lost once.
TEST_P(SQLEditorInProgram, EveryDataViewCommandAfterALostConnectionSaysSoOnceAndWorksOnANewAttachment)
{
    const quint64 id = DBList->GetId(DBList->IndexOf(QStringLiteral("Test")));
    QPointer<TFDataView> view = OpenDataView(id, QStringLiteral("T"));
    ASSERT_TRUE(view);
    const auto lose = [&] {
        qvtest::killAttachment(target, path, qvtest::attachmentId(*view->DS->Database()));
        script.clearShown();
        script.answerMessage(qv::mrOk);
    };

    // The record count.
    lose();
    view->RecCountBtn->click();
    EXPECT_EQ(script.messages(), QStringList{ConnectionLostText()});
    EXPECT_EQ(view->RCount->text(), QStringLiteral("10"));

    // A sort from the popup.
    lose();
    view->TableViewGrid->setCurrentIndex(view->TableViewGrid->model()->index(0, 0));
    view->SortMenuClick(false);
    EXPECT_EQ(script.messages(), QStringList{ConnectionLostText()});
    ASSERT_TRUE(view->DS->Active());
    EXPECT_EQ(view->DS->Fields(0).AsString(), QStringLiteral("10"));

    // No sort.
    lose();
    view->NoSortBtnClick();
    EXPECT_EQ(script.messages(), QStringList{ConnectionLostText()});
    ASSERT_TRUE(view->DS->Active());
    EXPECT_EQ(view->DS->Fields(0).AsString(), QStringLiteral("1"));

    // A commit: the change went with the attachment, which is said once;
    // Refresh shows the rows as they are.
    view->DS->Edit();
    view->DS->FieldByName(QStringLiteral("NAME")).SetAsString(QStringLiteral("lost with it"));
    view->DS->Post();
    lose();
    view->CommitBtn->click();
    EXPECT_EQ(script.messages(), QStringList{ConnectionLostText()});
    view->NavRefresh->trigger();
    ASSERT_TRUE(view->DS->Active());
    EXPECT_EQ(view->DS->FieldByName(QStringLiteral("NAME")).AsString(), QStringLiteral("name 1"));
    EXPECT_EQ(script.messages().size(), 1);

    // A rollback.
    lose();
    view->RollbackBtnClick();
    EXPECT_EQ(script.messages(), QStringList{ConnectionLostText()});
    ASSERT_TRUE(view->DS->Active());
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select NAME from T where ID = 1")), QStringLiteral("name 1"));
    view->close();
}

TEST_P(SQLEditorInProgram, OptionsReachOpenEditorsAndQuittingAsksAboutTheTransaction)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    node->setExpanded(true);
    MainTree->Tree()->setCurrentItem(node);
    TSQLEditor* editor = ExecuteSQLBtnClick();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->SQLText->TabSpace(), Options().TabStopCount);
    {
        QvRegistry registry;
        ASSERT_TRUE(registry.openKey(kOptionsKey, true));
        registry.writeInteger(QStringLiteral("TabStopCount"), 7);
        registry.writeInteger(QStringLiteral("EditorRightEdge"), 60);
    }
    LoadOptions();
    EXPECT_EQ(editor->SQLText->TabSpace(), 7);
    EXPECT_EQ(editor->SQLText->RightEdge(), 60);

    editor->SQLText->SetText(QStringLiteral("insert into T values (77, 'on quit')"));
    editor->RunBtnClick();
    ASSERT_TRUE(editor->RunT->Active());
    // Cancel on the commit question stops the quit before its own question.
    script.answerMessage(qv::mrCancel);
    MainForm->close();
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Commit Work ?")});
    ASSERT_EQ(editors().size(), 1);
    EXPECT_TRUE(editor->RunT->Active());
    // Yes, then the program asks its own question; No to it commits nothing.
    script.clearShown();
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrNo);
    MainForm->close();
    EXPECT_EQ(script.messages(),
              (QStringList{QStringLiteral("Commit Work ?"), QStringLiteral("Do you want to quit Qorvane ?")}));
    EXPECT_TRUE(editor->RunT->Active());
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select NAME from T where ID = 77")), QString());
}

// File > Exit as a user picks it, twice, with the editor that holds work
// covered by another: both questions open centred on the main window, the
// second too when the first box took the activation away with it.
TEST_P(SQLEditorInProgram, EveryQuitQuestionOpensCentredOnTheMainWindow)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    node->setExpanded(true);
    MainTree->Tree()->setCurrentItem(node);
    TSQLEditor* working = ExecuteSQLBtnClick();
    ASSERT_NE(working, nullptr);
    working->SQLText->SetText(QStringLiteral("insert into T values (78, 'covered')"));
    working->RunBtnClick();
    ASSERT_TRUE(working->RunT->Active());
    MainTree->Tree()->setCurrentItem(node);
    TSQLEditor* cover = ExecuteSQLBtnClick();
    ASSERT_NE(cover, working);
    MainForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
    cover->SQLText->setFocus();
    ASSERT_EQ(MainForm->MdiArea()->activeSubWindow()->widget(), cover);

    auto exitFromTheMenu = [] {
        QMenuBar* bar = MainForm->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(MainForm->FileMenu->menuAction()).center());
        ASSERT_TRUE(MainForm->FileMenu->isVisible());
        QTest::mouseClick(MainForm->FileMenu, Qt::LeftButton, {},
                          MainForm->FileMenu->actionGeometry(MainForm->FileExitItem).center());
    };
    // A real box is a window of its own that takes the activation while it is up.
    script.answerMessage(qv::mrCancel, [] {
        QDialog box;
        box.show();
        box.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
    });
    exitFromTheMenu();
    QCoreApplication::processEvents();
    script.answerMessage(qv::mrCancel);
    exitFromTheMenu();
    QCoreApplication::processEvents();
    ASSERT_EQ(script.messages(), (QStringList{QStringLiteral("Commit Work ?"), QStringLiteral("Commit Work ?")}));
    const QPoint centre = MainForm->frameGeometry().center();
    for (const qv::ShownDialog& box : script.shown()) {
        EXPECT_EQ(box.owner, MainForm->objectName());
        EXPECT_EQ(box.centre, centre);
    }
    EXPECT_EQ(QApplication::activeWindow(), MainForm);
    EXPECT_TRUE(working->RunT->Active());
    EXPECT_EQ(editors().size(), 2);
}

TEST_P(SQLEditorInProgram, LinkWordsShowTheObjectsDefinitionOfTheWindowsDatabase)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    node->setExpanded(true);
    MainTree->Tree()->setCurrentItem(node);
    TSQLEditor* editor = ExecuteSQLBtnClick();
    ASSERT_NE(editor, nullptr);
    QString shown;
    script.onModal([&](QDialog& dialog) {
        if (auto* memo = dialog.findChild<TqeCustomEdit*>())
            shown = memo->Text();
        dialog.accept();
    });
    editor->SQLTextHyperLinkClick(QStringLiteral("t"));
    EXPECT_TRUE(shown.contains(QStringLiteral("CREATE TABLE T"))) << qPrintable(shown);
    // A word that is not one of the database's objects does nothing.
    const auto before = script.shown().size();
    editor->SQLTextHyperLinkClick(QStringLiteral("NOSUCHTABLE"));
    EXPECT_EQ(script.shown().size(), before);
}

TEST_P(SQLEditorInProgram, SaveToFileFollowsTheActiveEditorsResult)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    node->setExpanded(true);
    MainTree->Tree()->setCurrentItem(node);
    TSQLEditor* first = ExecuteSQLBtnClick();
    TSQLEditor* second = ExecuteSQLBtnClick();
    ASSERT_TRUE(first && second);
    QMdiSubWindow* firstWindow = qobject_cast<QMdiSubWindow*>(first->parentWidget());
    QMdiSubWindow* secondWindow = qobject_cast<QMdiSubWindow*>(second->parentWidget());
    ASSERT_TRUE(firstWindow && secondWindow);
    MainForm->MdiArea()->setActiveSubWindow(firstWindow);
    first->SQLText->SetText(QStringLiteral("select * from T"));
    first->RunBtnClick();
    EXPECT_TRUE(MainForm->SavetoFile->isEnabled());
    MainForm->MdiArea()->setActiveSubWindow(secondWindow);
    QApplication::processEvents();
    EXPECT_FALSE(MainForm->SavetoFile->isEnabled());
    MainForm->MdiArea()->setActiveSubWindow(firstWindow);
    QApplication::processEvents();
    EXPECT_TRUE(MainForm->SavetoFile->isEnabled());
    first->RollbackBtnClick();
    EXPECT_FALSE(first->DS->Active());
    EXPECT_FALSE(MainForm->SavetoFile->isEnabled());
}

TEST_P(SQLEditorInProgram, ClosingTheChildWindowAsksAndLeavesNoEmptyFrame)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    node->setExpanded(true);
    MainTree->Tree()->setCurrentItem(node);
    const int before = int(MainForm->MdiArea()->subWindowList().size());
    QPointer<TSQLEditor> editor = ExecuteSQLBtnClick();
    ASSERT_TRUE(editor);
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
    ASSERT_TRUE(frame);
    editor->SQLText->SetText(QStringLiteral("delete from T where ID = 4"));
    editor->RunBtnClick();
    // The frame's close button: the window is asked first.
    script.answerMessage(qv::mrCancel);
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(frame);
    script.answerMessage(qv::mrNo);
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(editor);
    EXPECT_FALSE(frame);
    EXPECT_EQ(MainForm->MdiArea()->subWindowList().size(), before);
    EXPECT_EQ(script.messages(), (QStringList{QStringLiteral("Commit Work ?"), QStringLiteral("Commit Work ?")}));
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T where ID = 4")), QStringLiteral("1"));
}

TEST_P(SQLEditorInProgram, SaveToFileWritesTheResultAndKeepsTheGridsRow)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    node->setExpanded(true);
    MainTree->Tree()->setCurrentItem(node);
    TSQLEditor* editor = ExecuteSQLBtnClick();
    ASSERT_NE(editor, nullptr);
    MainForm->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(editor->parentWidget()));
    editor->SQLText->SetText(QStringLiteral("select ID, NAME, 'a;b' as ODD from T where ID <= 3 order by ID"));
    editor->RunBtnClick();
    ASSERT_TRUE(MainForm->SavetoFile->isEnabled());
    editor->DS->SetRecNo(2);
    const QString file = dir.filePath(QStringLiteral("result.txt"));
    script.answerFile(file);
    MainForm->SavetoFile->trigger();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("1;name 1;\"a;b\"\r\n2;name 2;\"a;b\"\r\n3;name 3;\"a;b\"\r\n"));
    EXPECT_EQ(editor->DS->RecNo(), 2);
    EXPECT_FALSE(editor->DS->ControlsDisabled());
    EXPECT_EQ(script.pendingAnswers(), 0);
}

TEST_P(SQLEditorInProgram, ClosingAndUnregisteringTheDatabaseCloseItsEditorsAndLeaveNoAttachment)
{
    const QString others = QStringLiteral(
        "select count(*) from mon$attachments where mon$attachment_id <> current_connection and mon$system_flag = 0");
    QTreeWidgetItem* node = databaseNode();
    MainTree->Tree()->setCurrentItem(node);
    QPointer<TSQLEditor> editor = ExecuteSQLBtnClick();
    ASSERT_TRUE(editor);
    editor->SQLText->SetText(QStringLiteral("insert into T values (200, 'kept?')"));
    editor->RunBtnClick();
    ASSERT_TRUE(editor->RunT->Active());
    EXPECT_EQ(qvsql::scalar(target, path, others), QStringLiteral("1"));

    // Close database: the editor's "Commit Work ?" answered Cancel keeps everything.
    const QString question = QStringLiteral("Are ypu want to close database and all connected windows ?");
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrCancel);
    MainForm->CloseDBBtn->trigger();
    EXPECT_EQ(script.messages(), (QStringList{question, QStringLiteral("Commit Work ?")}));
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->RunT->Active());
    EXPECT_TRUE(TMainTree::NodeData(node));
    EXPECT_TRUE(editor->Database()->Connected());

    // Unregister: the editor is asked (Yes commits), then nothing stays attached.
    script.clearShown();
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrYes);
    MainTree->Tree()->setCurrentItem(node);
    MainForm->UnregisterDatabase1->trigger();
    EXPECT_EQ(script.messages(), (QStringList{QStringLiteral("Are you really want to unregister database ?"),
                                              QStringLiteral("Commit Work ?")}));
    EXPECT_FALSE(editor);
    EXPECT_TRUE(editors().isEmpty());
    EXPECT_EQ(databaseNode(), nullptr);
    EXPECT_EQ(DBList->IndexOf(QStringLiteral("Test")), -1);
    EXPECT_EQ(qvsql::scalar(target, path, others), QStringLiteral("0"));
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T where ID = 200")),
              QStringLiteral("1"));
}

TEST_P(SQLEditorInProgram, OptionsDialogRecoloursOpenEditorsOnOkOnly)
{
    QTreeWidgetItem* node = databaseNode();
    ASSERT_NE(node, nullptr);
    node->setExpanded(true);
    MainTree->Tree()->setCurrentItem(node);
    TSQLEditor* editor = ExecuteSQLBtnClick();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->Syntax->KeyAttri()->Foreground(), QColor(Qt::black));

    // Cancel after picking colours: the editor and the registry stay as they were.
    const auto pickRedKeywordsOnNavy = [](TOptionsDlg& options) {
        options.PageControl->setCurrentWidget(options.EditorPage);
        options.ElementList->setCurrentRow(eeReservedWord);
        TColorGrid* grid = options.ColorGrid;
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(ColorToGridIndex(0x0000FF)).center());
        QTest::mouseClick(grid, Qt::RightButton, {}, grid->CellRect(4).center());
        clickBox(options.BoldBox);
        clickBox(options.UnderlineBox);
        EXPECT_EQ(options.ExampleSyntax->KeyAttri()->Foreground(), QColor(255, 0, 0));
    };
    {
        QvRegistry registry;
        ASSERT_TRUE(registry.openKey(kOptionsKey, true));
        ASSERT_FALSE(registry.valueExists(QStringLiteral("EditorColors")));
    }
    script.onModal([&](QDialog& dialog) {
        auto* options = qobject_cast<TOptionsDlg*>(&dialog);
        ASSERT_NE(options, nullptr);
        pickRedKeywordsOnNavy(*options);
        QTest::mouseClick(options->CancelBtn, Qt::LeftButton);
    });
    MainForm->Options1->trigger();
    EXPECT_EQ(editor->Syntax->KeyAttri()->Foreground(), QColor(Qt::black));
    EXPECT_EQ(editor->Syntax->KeyAttri()->IntegerStyle(), esBold);
    {
        QvRegistry registry;
        ASSERT_TRUE(registry.openKey(kOptionsKey, false));
        EXPECT_FALSE(registry.valueExists(QStringLiteral("EditorColors")));
        EXPECT_FALSE(registry.valueExists(QStringLiteral("TabStopCount")));
    }

    // OK: written, and the open editor follows at once.
    script.onModal([&](QDialog& dialog) {
        auto* options = qobject_cast<TOptionsDlg*>(&dialog);
        ASSERT_NE(options, nullptr);
        pickRedKeywordsOnNavy(*options);
        options->TabStops->SetValue(2);
        QTest::mouseClick(options->OKBtn, Qt::LeftButton);
    });
    MainForm->Options1->trigger();
    EXPECT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(u'\n'));
    EXPECT_EQ(editor->Syntax->KeyAttri()->Foreground(), QColor(255, 0, 0));
    EXPECT_EQ(editor->Syntax->KeyAttri()->Background(), QColor(0, 0, 128));
    EXPECT_EQ(editor->Syntax->KeyAttri()->IntegerStyle(), esUnderline);
    EXPECT_EQ(editor->SQLText->TabSpace(), 2);
    QvRegistry registry;
    ASSERT_TRUE(registry.openKey(kOptionsKey, false));
    TEditorColors colors;
    ASSERT_TRUE(colors.SetBytes(registry.readBinary(QStringLiteral("EditorColors"))));
    const TEditorColorSlot keyword = colors.Slot(eeReservedWord);
    EXPECT_EQ(keyword.Foreground, TColor(0x0000FF));
    EXPECT_EQ(keyword.Background, TColor(0x800000));
    EXPECT_EQ(keyword.Style, esUnderline);
    EXPECT_EQ(registry.readInteger(QStringLiteral("TabStopCount")), 2);
}

INSTANTIATE_TEST_SUITE_P(Targets, SQLEditorInProgram, ::testing::ValuesIn(qvtest::allTargets()),
                         qvtest::targetName);

} // namespace
