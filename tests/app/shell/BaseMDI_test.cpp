// The base editor window over a real database: F2 saves, Esc closes, and
// "Save changes ?" guards unsaved work; a save that fails keeps the window
// and its text. What reached the database is read on a connection of its own.

#include "ShellTest_support.h"

#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/shell/BaseMDI.h"
#include "platform/DialogScript.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A small editor of one row of NOTES: its save inserts the row, which fails
// when a row with that ID is already there.
class NoteWindow : public TBaseMDI
{
public:
    NoteWindow(TQvDatabase* database, int id)
        : m_id(id)
    {
        Text = new QLineEdit(this);
        Text->setObjectName(QStringLiteral("Text"));
        layout()->addWidget(Text);
        m_transaction.AddDatabase(database);
        m_query.SetDatabase(database);
        m_query.SetTransaction(&m_transaction);
        m_query.SetParamCheck(false);
        connect(Text, &QLineEdit::textEdited, this, [this] { MarkModified(); });
    }

    QLineEdit* Text;
    int saves = 0;

protected:
    bool OkBtnClick() override
    {
        ++saves;
        TQvTransactionScope transaction(m_transaction);
        m_query.SetSQLText(QStringLiteral("insert into NOTES (ID, TEXT) values (%1, %2)")
                               .arg(m_id)
                               .arg(QvSql::SingleQuoted(Text->text())));
        m_query.ExecQuery();
        transaction.Commit();
        return true;
    }

private:
    int m_id;
    TQvTransaction m_transaction;
    TQvQuery m_query;
};

class BaseWindowTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        path = qvtest::createDatabase(GetParam(), dir, QStringLiteral("notes.fdb"),
                                      {QStringLiteral("CREATE TABLE NOTES (ID INTEGER NOT NULL PRIMARY KEY, "
                                                      "TEXT VARCHAR(100))"),
                                       QStringLiteral("INSERT INTO NOTES VALUES (1, 'old')")});
        database.SetDBName(path);
        database.SetDBParams(qvtest::connectParams(GetParam()));
        database.Open();
        area.resize(600, 400);
        area.show();
        QApplication::setActiveWindow(&area);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&area));
    }

    void TearDown() override
    {
        for (QMdiSubWindow* sub : area.subWindowList())
            delete sub;
        if (database.Connected())
            database.Close();
    }

    // A window shown as a child of the area, its text edit focused.
    QPointer<NoteWindow> open(int id)
    {
        auto* window = new NoteWindow(&database, id);
        area.addSubWindow(window)->show();
        area.setActiveSubWindow(area.subWindowList().last());
        window->Text->setFocus();
        return window;
    }

    // The notes on the server, "id=text" in ID order.
    QStringList notes()
    {
        TQvDatabase reader;
        reader.SetDBName(path);
        reader.SetDBParams(qvtest::connectParams(GetParam()));
        reader.Open();
        QStringList rows;
        {
            TQvTransaction transaction;
            transaction.AddDatabase(&reader);
            TQvQuery query;
            query.SetDatabase(&reader);
            query.SetTransaction(&transaction);
            TQvTransactionScope scope(transaction);
            query.SetSQLText(QStringLiteral("select ID, TEXT from NOTES order by ID"));
            query.ExecQuery();
            for (; !query.Eof(); query.Next())
                rows << query.Fields(0).AsString() + QLatin1Char('=') + query.Fields(1).AsString();
            query.Close();
            scope.Commit();
        }
        reader.Close();
        return rows;
    }

    static void settle() { QCoreApplication::processEvents(); QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    qvtest::TempDir dir;
    QString path;
    TQvDatabase database;
    QMdiArea area;
    qv::DialogScript script;
};

TEST_P(BaseWindowTest, AnUnchangedWindowClosesOnEscSilentlyAndF2StillSaves)
{
    QPointer<NoteWindow> window = open(2);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Base MDI Form"));
    EXPECT_EQ(window->OkBtn->text(), QStringLiteral("Save changes (F2)"));
    EXPECT_FALSE(window->OkBtn->isEnabled());
    EXPECT_FALSE(window->Modified());

    QTest::keyClick(window->Text, Qt::Key_F2);
    EXPECT_EQ(window->saves, 1);
    EXPECT_EQ(notes(), (QStringList{QStringLiteral("1=old"), QStringLiteral("2=")}));

    QTest::keyClick(window->Text, Qt::Key_Escape);
    settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(area.subWindowList().isEmpty());
    EXPECT_TRUE(script.messages().isEmpty());
}

TEST_P(BaseWindowTest, AFailedSaveAnsweredYesKeepsTheWindowWithItsText)
{
    QPointer<NoteWindow> window = open(1);
    QTest::keyClicks(window->Text, QStringLiteral("it's new"));
    EXPECT_TRUE(window->Modified());
    EXPECT_TRUE(window->OkBtn->isEnabled());

    // Yes: the insert hits the existing row, the error is shown, nothing closes.
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrOk);
    QTest::keyClick(window->Text, Qt::Key_Escape);
    settle();
    ASSERT_FALSE(window.isNull());
    ASSERT_EQ(script.messages().size(), 2);
    EXPECT_EQ(script.messages().at(0), QStringLiteral("Save changes ?"));
    EXPECT_EQ(script.shown().at(0).buttons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No"),
                                                          QStringLiteral("Cancel")}));
    // Centred on the main window (here the area the window lives in), not on the window that asks.
    EXPECT_EQ(script.shown().at(0).owner, area.objectName());
    EXPECT_EQ(script.shown().at(0).centre, area.frameGeometry().center());
    EXPECT_EQ(script.shown().at(1).type, qv::mtError);
    EXPECT_FALSE(script.messages().at(1).isEmpty());
    EXPECT_EQ(window->Text->text(), QStringLiteral("it's new"));
    EXPECT_TRUE(window->Modified());
    EXPECT_EQ(area.subWindowList().size(), 1);

    // Cancel keeps it too; No closes without saving.
    script.answerMessage(qv::mrCancel);
    window->CancelBtn->trigger();
    settle();
    ASSERT_FALSE(window.isNull());
    script.answerMessage(qv::mrNo);
    window->CancelBtn->trigger();
    settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(area.subWindowList().isEmpty());
    EXPECT_EQ(notes(), QStringList{QStringLiteral("1=old")});
    EXPECT_EQ(script.pendingAnswers(), 0);
}

TEST_P(BaseWindowTest, YesSavesAndClosesOkBtnSavesAndClearsModified)
{
    QPointer<NoteWindow> first = open(3);
    QTest::keyClicks(first->Text, QStringLiteral("third"));
    first->OkBtn->trigger();
    EXPECT_FALSE(first->Modified());
    EXPECT_FALSE(first->OkBtn->isEnabled());
    // Saved and unchanged since: closing asks nothing.
    first->close();
    settle();
    EXPECT_TRUE(first.isNull());

    QPointer<NoteWindow> second = open(4);
    QTest::keyClicks(second->Text, QStringLiteral("fourth"));
    script.answerMessage(qv::mrYes);
    // Closing the child window's frame asks the form.
    area.subWindowList().first()->close();
    settle();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(notes(), (QStringList{QStringLiteral("1=old"), QStringLiteral("3=third"), QStringLiteral("4=fourth")}));
    EXPECT_EQ(script.messages(), QStringList{QStringLiteral("Save changes ?")});
}

INSTANTIATE_TEST_SUITE_P(Targets, BaseWindowTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
