// File › Exit with windows holding work: each window is asked first, then
// the program's own question. No leaves every window as it was, working and
// with nothing committed; Yes closes them on the answers they gave.

#include "SQLEditTest_support.h"

#include "access/QvDataSet.h"
#include "app/editors/EditException.h"
#include "app/editors/ObjectEditors.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/TreeCommands.h"
#include "app/sqltools/DataView.h"
#include "app/sqltools/SQLEdit.h"
#include "components/DBGrid.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"
#include "platform/db/Field.h"
#include "support/ProgramSupport.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {

class QuitQuestion : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        target = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        m_folders.emplace(dir);
        QStringList statements = qvsql::tableStatements(10);
        statements << QStringLiteral("create exception E 'as it was'");
        path = qvsql::createDatabase(target, dir, QStringLiteral("quit.fdb"), statements);
        ASSERT_TRUE(qvtest::registerDatabase(QStringLiteral("Test"), path, target.user, target.password));
        m_program.emplace([] {
            InstallObjectEditors();
            InstallSQLEditorCommand();
        });
        id = DBList->GetId(DBList->IndexOf(QStringLiteral("Test")));
        ASSERT_TRUE(MainTree->ConnectEntry(id));
    }

    void TearDown() override
    {
        m_program.reset();
        m_folders.reset();
    }

    TEditException* editException()
    {
        QTreeWidgetItem* category = MainTree->CategoryNodeOf(id, catExceptions);
        category->setExpanded(true);
        if (category->childCount() != 1)
            return nullptr;
        MainTree->Tree()->setCurrentItem(category->child(0));
        MainTree->Commands()->Edittable1Click();
        for (QWidget* child : MainForm->Children())
            if (auto* form = qobject_cast<TEditException*>(child))
                return form;
        return nullptr;
    }


    QString committed(const QString& sql) const { return qvsql::scalar(target, path, sql); }

    qvtest::Target target;
    qvtest::TempDir dir;
    QString path;
    quint64 id = 0;
    qv::DialogScript script;

private:
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

} // namespace

TEST_P(QuitQuestion, NoLeavesEveryWindowWorkingWithNothingCommittedAndYesClosesThemOnTheirAnswers)
{
    QPointer<TFDataView> view = OpenDataView(id, QStringLiteral("T"));
    ASSERT_TRUE(view);
    qvsql::clickNavigator(*view, view->NavEdit);
    view->DS->FieldByName(QStringLiteral("NAME")).SetAsString(QStringLiteral("posted"));
    qvsql::clickNavigator(*view, view->NavPost);
    ASSERT_EQ(view->DS->State(), dsBrowse);

    QPointer<TEditException> exception = editException();
    ASSERT_TRUE(exception);
    exception->ExText->setPlainText(QStringLiteral("saved on Yes"));
    ASSERT_TRUE(exception->Modified());

    MainTree->Tree()->setCurrentItem(qvtest::databaseNode(QStringLiteral("Test")));
    QPointer<TSQLEditor> editor = ExecuteSQLBtnClick();
    ASSERT_TRUE(editor);
    editor->SQLText->SetText(QStringLiteral("insert into T values (100, 'from the editor')"));
    editor->RunBtnClick();
    ASSERT_TRUE(editor->RunT->Active());

    // "Save changes ?" Yes, "Commit Work ?" Yes, "Do you want to quit Qorvane ?" No.
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrNo);
    MainForm->FileExitItem->trigger();
    QTest::qWait(20);
    EXPECT_EQ(script.messages(), (QStringList{QStringLiteral("Save changes ?"), QStringLiteral("Commit Work ?"),
                                              QStringLiteral("Do you want to quit Qorvane ?")}));
    EXPECT_TRUE(MainForm->isVisible());
    // The exception was saved as asked; nothing was committed.
    EXPECT_EQ(committed(QStringLiteral("select rdb$message from rdb$exceptions where rdb$exception_name = 'E'")),
              QStringLiteral("saved on Yes"));
    EXPECT_EQ(committed(QStringLiteral("select NAME from T where ID = 1")), QStringLiteral("name 1"));
    EXPECT_EQ(committed(QStringLiteral("select count(*) from T where ID = 100")), QStringLiteral("0"));

    // The exception editor closed after its save, as after F2; every other
    // window goes on working: the data view's rows, its F4 and Refresh; the
    // editor's transaction.
    script.clearShown();
    EXPECT_FALSE(exception);
    ASSERT_TRUE(view);
    ASSERT_TRUE(editor);
    ASSERT_TRUE(view->DS->Active());
    EXPECT_EQ(view->TableViewGrid->model()->rowCount(), 10);
    EXPECT_EQ(view->DS->FieldByName(QStringLiteral("NAME")).AsString(), QStringLiteral("posted"));
    view->TableViewGrid->setFocus();
    QTest::keyClick(view->TableViewGrid, Qt::Key_F4);
    EXPECT_EQ(view->RCount->text(), QStringLiteral("10"));
    qvsql::clickNavigator(*view, view->NavRefresh);
    ASSERT_TRUE(view->DS->Active());
    EXPECT_EQ(view->DS->FieldByName(QStringLiteral("NAME")).AsString(), QStringLiteral("posted"));
    EXPECT_TRUE(view->CommitBtn->isEnabled());
    ASSERT_TRUE(editor->RunT->Active());
    editor->SQLText->SetText(QStringLiteral("select count(*) from T where ID = 100"));
    editor->RunBtnClick();
    ASSERT_TRUE(editor->DS->Active());
    EXPECT_EQ(editor->DS->Fields(0).AsString(), QStringLiteral("1"));
    EXPECT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(u'\n'));

    // Yes to both: the windows close on their answers, the data view
    // committing what was posted.
    QSignalSpy closed(MainForm, &TMainForm::Closed);
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrYes);
    MainForm->FileExitItem->trigger();
    EXPECT_EQ(script.messages(),
              (QStringList{QStringLiteral("Commit Work ?"), QStringLiteral("Do you want to quit Qorvane ?")}));
    EXPECT_EQ(closed.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(view);
    EXPECT_FALSE(editor);
    EXPECT_EQ(committed(QStringLiteral("select NAME from T where ID = 1")), QStringLiteral("posted"));
    EXPECT_EQ(committed(QStringLiteral("select count(*) from T where ID = 100")), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(Targets, QuitQuestion, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);
