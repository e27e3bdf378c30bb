// The data view inside the running program after the server ended its
// attachment, worked as a user works it: the navigator's buttons, the keys
// and the window's close. Each command says the loss once and is done on a
// new attachment; what was done there reaches the database.

#include "SQLEditTest_support.h"

#include "app/shell/EntryDatabase.h"
#include "app/shell/Main.h"
#include "app/sqltools/DataView.h"
#include "components/DBGrid.h"
#include "components/FormPlacement.h"
#include "platform/DialogScript.h"
#include "platform/db/Field.h"
#include "support/ProgramSupport.h"

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <optional>

namespace {

class DataViewAfterALostConnection : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        target = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        m_folders.emplace(dir);
        path = qvsql::createDatabase(target, dir, QStringLiteral("lost.fdb"), qvsql::tableStatements(10));
        ASSERT_TRUE(qvtest::registerDatabase(QStringLiteral("Test"), path, target.user, target.password));
        m_program.emplace();
        id = DBList->GetId(DBList->IndexOf(QStringLiteral("Test")));
    }

    void TearDown() override
    {
        script.reset();
        m_program.reset();
        m_folders.reset();
    }

    // The server ends the window's attachment; a new script records what is
    // shown from now on. A real message box lets events through while it is
    // up, and every box shown is answered, so that a second one is counted
    // rather than stopping the test.
    void lose(std::initializer_list<qv::ModalResult> answers = {})
    {
        ASSERT_TRUE(view && view->DS->Database());
        lostAttachment = qvtest::attachmentId(*view->DS->Database());
        qvtest::killAttachment(target, path, lostAttachment);
        script.reset();
        script.emplace();
        script->answerMessage(qv::mrOk, [] { QTest::qWait(20); });
        for (const qv::ModalResult answer : answers)
            script->answerMessage(answer);
        for (int i = 0; i < 5; ++i)
            script->answerMessage(qv::mrOk, [] { QTest::qWait(20); });
    }

    // What the last command showed, once the events it left were handled.
    QStringList shown()
    {
        QTest::qWait(50);
        return script->messages();
    }

    void click(QAction* action) { qvsql::clickNavigator(*view, action); }

    void key(int key, Qt::KeyboardModifiers modifiers)
    {
        view->TableViewGrid->setFocus();
        QTest::keyClick(view->TableViewGrid, Qt::Key(key), modifiers);
    }

    // The command ran on a new attachment: the rows are there again.
    void expectNewAttachment()
    {
        ASSERT_TRUE(view->DS->Active());
        ASSERT_TRUE(view->DS->Database() && view->DS->Database()->Connected());
        EXPECT_NE(qvtest::attachmentId(*view->DS->Database()), lostAttachment);
        EXPECT_GT(view->TableViewGrid->model()->rowCount(), 0);
    }

    QString currentId() const { return view->DS->FieldByName(QStringLiteral("ID")).AsString(); }

    qvtest::Target target;
    qvtest::TempDir dir;
    QString path;
    quint64 id = 0;
    QPointer<TFDataView> view;
    qint64 lostAttachment = 0;
    std::optional<qv::DialogScript> script;

private:
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

const QStringList kLostOnce{ConnectionLostText()};

} // namespace

TEST_P(DataViewAfterALostConnection, EveryButtonAndKeySaysItOnceAndWorksOnANewAttachment)
{
    view = OpenDataView(id, QStringLiteral("T"));
    ASSERT_TRUE(view);
    QTest::qWait(50);

    // The navigator's own Refresh shows the rows at the first click.
    lose();
    click(view->NavRefresh);
    EXPECT_EQ(shown(), kLostOnce);
    expectNewAttachment();
    EXPECT_EQ(view->TableViewGrid->model()->rowCount(), 10);

    // Moving: the buttons and Ctrl+arrows.
    lose();
    click(view->NavNext);
    EXPECT_EQ(shown(), kLostOnce);
    expectNewAttachment();
    EXPECT_EQ(currentId(), QStringLiteral("2"));
    lose();
    click(view->NavLast);
    EXPECT_EQ(shown(), kLostOnce);
    expectNewAttachment();
    EXPECT_EQ(currentId(), QStringLiteral("10"));
    // The keys, from the record the user was on.
    lose();
    key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(shown(), kLostOnce);
    expectNewAttachment();
    EXPECT_EQ(currentId(), QStringLiteral("9"));
    lose();
    key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(shown(), kLostOnce);
    expectNewAttachment();
    EXPECT_EQ(currentId(), QStringLiteral("10"));

    // Deleting, by the button and by Ctrl+Delete, after the question: the
    // record the user chose, not the first one of the rows read again.
    click(view->NavFirst);
    click(view->NavNext);
    click(view->NavNext);
    ASSERT_EQ(currentId(), QStringLiteral("3"));
    lose({qv::mrYes});
    click(view->NavDelete);
    EXPECT_EQ(shown(), (QStringList{ConnectionLostText(), QStringLiteral("Delete record?")}));
    expectNewAttachment();
    EXPECT_EQ(view->TableViewGrid->model()->rowCount(), 9);
    ASSERT_TRUE(view->CommitBtn->isEnabled());
    view->CommitBtn->click();
    click(view->NavLast);
    ASSERT_EQ(currentId(), QStringLiteral("10"));
    lose({qv::mrYes});
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(shown(), (QStringList{ConnectionLostText(), QStringLiteral("Delete record?")}));
    expectNewAttachment();
    EXPECT_EQ(view->TableViewGrid->model()->rowCount(), 8);
    view->CommitBtn->click();

    // Editing and posting by the buttons; the commit read the rows anew.
    ASSERT_EQ(currentId(), QStringLiteral("1"));
    lose();
    click(view->NavEdit);
    EXPECT_EQ(shown(), kLostOnce);
    expectNewAttachment();
    ASSERT_EQ(view->DS->State(), dsEdit);
    view->DS->FieldByName(QStringLiteral("NAME")).SetAsString(QStringLiteral("after the loss"));
    script->clearShown();
    click(view->NavPost);
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(view->DS->State(), dsBrowse);

    // The window's close commits what was done on the new attachment.
    script.reset();
    script.emplace();
    QMdiSubWindow* frame = MdiSubWindowOf(view);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(view);
    EXPECT_TRUE(script->messages().isEmpty());
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select NAME from T where ID = 1")),
              QStringLiteral("after the loss"));
    EXPECT_EQ(qvsql::rows(target, path, QStringLiteral("select ID from T where ID in (3, 10)")), QStringList());
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T")), QStringLiteral("8"));
}

// A row edited and posted, then the attachment ended: the change went with
// it. One click on the window's close says so once and closes the window;
// the next data view works on a new attachment and finds the rows as they
// were.
TEST_P(DataViewAfterALostConnection, TheCloseSaysItOnceAndClosesAtTheFirstClick)
{
    view = OpenDataView(id, QStringLiteral("T"));
    ASSERT_TRUE(view);
    QTest::qWait(50);
    click(view->NavEdit);
    view->DS->FieldByName(QStringLiteral("NAME")).SetAsString(QStringLiteral("gone with it"));
    click(view->NavPost);
    ASSERT_EQ(view->DS->State(), dsBrowse);

    lose();
    QMdiSubWindow* frame = MdiSubWindowOf(view);
    ASSERT_TRUE(frame);
    frame->close();
    EXPECT_EQ(shown(), kLostOnce);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(view) << "the first click closes the window";
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select NAME from T where ID = 1")), QStringLiteral("name 1"));

    script.reset();
    script.emplace();
    view = OpenDataView(id, QStringLiteral("T"));
    ASSERT_TRUE(view);
    QTest::qWait(50);
    EXPECT_TRUE(script->messages().isEmpty());
    expectNewAttachment();
    EXPECT_EQ(view->DS->FieldByName(QStringLiteral("NAME")).AsString(), QStringLiteral("name 1"));
    view->close();
}

INSTANTIATE_TEST_SUITE_P(Targets, DataViewAfterALostConnection, ::testing::ValuesIn(qvtest::allTargets()),
                         qvtest::targetName);
