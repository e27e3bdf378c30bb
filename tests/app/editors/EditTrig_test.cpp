// The trigger editor inside the running program: opened from the tree's
// New and Edit commands, typed into, saved through F2 and the close
// question, and what reached the database read back through a connection
// of its own. Triggers the window cannot express open read-only.

#include "DebugTest_support.h"

#include "app/editors/EditTrig.h"
#include "app/editors/DebugWindow.h"
#include "app/editors/ParamDescription.h"
#include "app/editors/ParamGrid.h"
#include "app/shell/MyConst.h"
#include "app/editors/ParamList.h"
#include "app/shell/ProcPreview.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "components/SpinEdit.h"
#include "components/TgGrid.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"
#include "support/DatabaseSupport.h"
#include "support/ProgramSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {

class TriggerEditorInProgram : public ::testing::TestWithParam<qvdebug::TargetDialect>
{
protected:
    void SetUp() override
    {
        std::tie(target, dialect) = GetParam();
        QV_SKIP_UNLESS_REACHABLE(target);
        m_folders.emplace(dir);
        {
            QStringList statements{
                QStringLiteral("create table ORDERS (ID integer, NAME varchar(20))"),
                QStringLiteral("create trigger T_OLD for ORDERS inactive after delete position 3 as\r\n"
                               "declare variable N integer; /* rows */\r\nbegin\r\n  N = 1;\r\nend"),
                QStringLiteral("create trigger TM for ORDERS before insert or update as "
                               "begin new.NAME = upper(new.NAME); end"),
                // The server keeps the comments before AS with the source.
                QStringLiteral("create trigger T_NOTE for ORDERS before insert position 5 /* kept */ -- note\r\n"
                               "as\r\nbegin\r\n  new.ID = coalesce(new.ID, 0);\r\nend")};
            if (dialect == 3)
                statements << QStringLiteral("create trigger \"low trig\" for ORDERS before delete as begin end");
            const auto database = qvdebug::createDatabase(target, dir, dialect, statements);
            path = database->DBName();
        }
        ASSERT_TRUE(qvtest::registerDatabase(QStringLiteral("Test"), path, target.user, target.password));
        m_program.emplace(InstallTriggerEditor);
        dbId = DBList->GetId(DBList->IndexOf(QStringLiteral("Test")));
        ASSERT_TRUE(MainTree->ConnectEntry(dbId)) << qPrintable(script.messages().join(u'\n'));
        triggers = MainTree->CategoryNodeOf(dbId, catTriggers);
        ASSERT_NE(triggers, nullptr);
        MainTree->Tree()->expandItem(triggers);
    }

    void TearDown() override
    {
        m_program.reset();
        TObjectOpeners::Instance().Clear();
        m_folders.reset();
    }

    QTreeWidgetItem* triggerNode(const QString& name) const
    {
        for (int i = 0; i < triggers->childCount(); ++i)
            if (TMainTree::NodeObjectName(triggers->child(i)) == name)
                return triggers->child(i);
        return nullptr;
    }

    // Opens the editor as the main window's commands do on the node.
    TEditTrig* open(QTreeWidgetItem* node, QAction* command)
    {
        MainTree->Tree()->setCurrentItem(node);
        command->trigger();
        // The focus a window gives itself takes effect once it is active.
        QCoreApplication::processEvents();
        return qobject_cast<TEditTrig*>(MainForm->ActiveChild());
    }

    // Type, position and inactive flag as a second connection reads them.
    QString stored(const QString& name) const
    {
        return qvdebug::column(target, path,
                               QStringLiteral("select rdb$trigger_type||','||rdb$trigger_sequence||','||"
                                              "coalesce(rdb$trigger_inactive,0) from rdb$triggers "
                                              "where rdb$trigger_name='%1'")
                                   .arg(name))
            .value(0);
    }

    QString source(const QString& name) const
    {
        return qvdebug::column(target, path,
                               QStringLiteral("select cast(rdb$trigger_source as varchar(4000)) from rdb$triggers "
                                              "where rdb$trigger_name='%1'")
                                   .arg(name))
            .value(0);
    }

    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    qvtest::Target target;
    int dialect = 1;
    qvtest::TempDir dir;
    QString path;
    quint64 dbId = 0;
    QTreeWidgetItem* triggers = nullptr;
    qv::DialogScript script;

private:
    std::optional<qvtest::UserFoldersIn> m_folders;
    std::optional<qvtest::RunningProgram> m_program;
};

} // namespace

TEST_P(TriggerEditorInProgram, ANewTriggerIsTypedSavedWithF2AndShownInTheTree)
{
    ASSERT_TRUE(MainForm->CreateDBobject1->isEnabled());
    QPointer<TEditTrig> editor = open(triggers, MainForm->CreateDBobject1);
    ASSERT_NE(editor, nullptr) << qPrintable(script.messages().join(u'\n'));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Create Tirgger"));
    // Every type offered passes the type check (the sized ones with their size).
    const QStringList types = editor->LocalList->GetColumn(1).Items();
    EXPECT_TRUE(types.contains(QStringLiteral("Double precision")));
    EXPECT_FALSE(types.contains(QStringLiteral("Double")));
    // Dialect 3 adds Bigint, Time, Timestamp and Boolean.
    EXPECT_EQ(types.size(), dialect == 3 ? 14 : 10);
    for (const QString& type : types)
        EXPECT_TRUE(IsValidTypeText(type) || IsValidTypeText(type + QStringLiteral("(10)"))) << qPrintable(type);
    EXPECT_TRUE(IsValidTypeText(QStringLiteral("Blob")));
    // Tables only: no views, no system relations.
    QStringList tables;
    for (int i = 0; i < editor->TableList->count(); ++i)
        tables << editor->TableList->itemText(i);
    EXPECT_EQ(tables, QStringList{QStringLiteral("ORDERS")});
    EXPECT_TRUE(editor->TableList->isEnabled());
    EXPECT_EQ(editor->StyleList->currentText(), QStringLiteral("before insert"));
    EXPECT_TRUE(editor->IsActive->isChecked());
    EXPECT_FALSE(editor->OkBtn->isEnabled());

    editor->TriggerName->setFocus();
    QTest::keyClicks(editor->TriggerName, QStringLiteral("t1"));
    EXPECT_EQ(editor->TriggerName->text(), QStringLiteral("T1"));
    editor->StyleList->setCurrentIndex(1);
    editor->SQLText->setFocus();
    QTest::keyClicks(editor->SQLText, QStringLiteral("new.ID = 1;"));
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(editor->StatusPanel(0), QStringLiteral("Modified"));
    QCoreApplication::processEvents();
    EXPECT_EQ(editor->StatusPanel(1), QStringLiteral("1:12"));
    EXPECT_EQ(editor->BuildTriggerText(),
              QStringLiteral("CREATE TRIGGER T1 FOR ORDERS ACTIVE after insert POSITION 0\r\nAS\r\n\r\n"
                             "begin \r\nnew.ID = 1;\r\n\r\nend "));

    // Firebird 3 refuses to write new. columns after the insert: its
    // message is shown and the window keeps everything.
    script.answerMessage(qv::mrOk);
    QTest::keyClick(editor->SQLText, Qt::Key_F2);
    settle();
    ASSERT_FALSE(editor.isNull());
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().at(0).contains(QStringLiteral("read-only column")));
    EXPECT_EQ(stored(QStringLiteral("T1")), QString());
    EXPECT_TRUE(editor->Modified());
    script.clearShown();

    editor->SQLText->SetText(QStringLiteral("post_event 'ORDERS';"));
    QTest::keyClick(editor->SQLText, Qt::Key_F2);
    settle();
    EXPECT_TRUE(editor.isNull()) << "a successful save closes the window";
    EXPECT_EQ(stored(QStringLiteral("T1")), QStringLiteral("2,0,0"));
    EXPECT_NE(triggerNode(QStringLiteral("T1")), nullptr);
    EXPECT_TRUE(script.messages().isEmpty()) << qPrintable(script.messages().join(u'\n'));
}

TEST_P(TriggerEditorInProgram, AFailedSaveKeepsTheWindowAndItsTextUntilTheUserGivesUp)
{
    QPointer<TEditTrig> editor = open(triggers, MainForm->CreateDBobject1);
    ASSERT_NE(editor, nullptr);
    // An invalid name is refused before anything is sent.
    editor->TriggerName->setText(QStringLiteral("1A"));
    script.answerMessage(qv::mrOk);
    QTest::keyClick(editor->TriggerName, Qt::Key_F2);
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_EQ(script.messages().at(0), QStringLiteral("\"1A\" is not valid trigger name"));

    editor->TriggerName->setText(QStringLiteral("T2"));
    editor->SQLText->setFocus();
    QTest::keyClicks(editor->SQLText, QStringLiteral("new.NOPE = 1;"));
    script.clearShown();
    script.answerMessage(qv::mrOk);
    QTest::keyClick(editor->SQLText, Qt::Key_F2);
    settle();
    ASSERT_FALSE(editor.isNull());
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().at(0).contains(QStringLiteral("NOPE"))) << qPrintable(script.messages().at(0));
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(editor->SQLText->Text(), QStringLiteral("new.NOPE = 1;\r\n"));
    EXPECT_EQ(stored(QStringLiteral("T2")), QString());

    // "Save changes ?" Yes: the save fails again and the window stays.
    script.clearShown();
    script.answerMessage(qv::mrYes);
    script.answerMessage(qv::mrOk);
    editor->close();
    settle();
    ASSERT_FALSE(editor.isNull());
    EXPECT_EQ(script.messages().at(0), QStringLiteral("Save changes ?"));
    EXPECT_EQ(editor->SQLText->Text(), QStringLiteral("new.NOPE = 1;\r\n"));
    // Mended and answered Yes: saved, then closed.
    editor->SQLText->SetText(QStringLiteral("new.NAME = 'x';"));
    script.answerMessage(qv::mrYes);
    editor->close();
    settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(stored(QStringLiteral("T2")), QStringLiteral("1,0,0"));
    EXPECT_NE(triggerNode(QStringLiteral("T2")), nullptr);
}

TEST_P(TriggerEditorInProgram, EditingSendsAlterWithWhatIsStoredAndOddTriggersOpenReadOnly)
{
    QPointer<TEditTrig> editor = open(triggerNode(QStringLiteral("T_OLD")), MainForm->EditDBObject1);
    ASSERT_NE(editor, nullptr) << qPrintable(script.messages().join(u'\n'));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Edit Trigger: T_OLD"));
    EXPECT_EQ(editor->StyleList->currentText(), QStringLiteral("after delete"));
    EXPECT_FALSE(editor->IsActive->isChecked());
    EXPECT_EQ(editor->Position->AsInteger(), 3);
    EXPECT_EQ(editor->TableList->currentText(), QStringLiteral("ORDERS"));
    EXPECT_FALSE(editor->TableList->isEnabled());
    EXPECT_TRUE(editor->TriggerName->isReadOnly());
    EXPECT_EQ(editor->SQLText->Text(), QStringLiteral("  N = 1;\r\n"));
    EXPECT_EQ(editor->Locals(), (TParamRows{{QStringLiteral("N"), QStringLiteral("integer"), QString()}}))
        << "a comment after the semicolon belongs to no declaration";
    // Unchanged, the source goes back as it is stored, its spelling and layout kept.
    EXPECT_EQ(editor->BuildTriggerText(),
              QStringLiteral("ALTER TRIGGER T_OLD INACTIVE after delete POSITION 3\r\n"
                             "as\r\ndeclare variable N integer; /* rows */\r\nbegin\r\n  N = 1;\r\nend"));
    EXPECT_FALSE(editor->Modified());
    // The Edit command brings the open window forward instead of a second one.
    EXPECT_EQ(open(triggerNode(QStringLiteral("T_OLD")), MainForm->EditDBObject1), editor.data());
    EXPECT_EQ(WindowsOfDatabase(dbId).size(), 1);
    // Debug opens the debugger on the trigger: the table's columns as old.
    // and new. variables, then the locals.
    editor->DebugBtn->trigger();
    QPointer<Ts_debug> debugger = Ts_debug::Find(dbId, QStringLiteral("T_OLD"));
    ASSERT_NE(debugger, nullptr);
    EXPECT_NE(debugger->Vars().FindVar(QStringLiteral("old.ID")), nullptr);
    EXPECT_NE(debugger->Vars().FindVar(QStringLiteral("new.ID")), nullptr);
    EXPECT_NE(debugger->Vars().FindVar(QStringLiteral("N")), nullptr);
    debugger->close();
    settle();
    // Changing the position is a change the window asks about.
    editor->Position->setFocus();
    QTest::keyClick(editor->Position, Qt::Key_Up);
    QTest::keyClick(editor->Position, Qt::Key_Down);
    EXPECT_EQ(editor->Position->AsInteger(), 3);
    EXPECT_TRUE(editor->Modified());
    // F2 sends the text, changed or not.
    QTest::keyClick(editor->Position, Qt::Key_F2);
    settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(stored(QStringLiteral("T_OLD")), QStringLiteral("6,3,1"));

    // Before insert or update: read-only with the reason, never sent.
    const QString before = source(QStringLiteral("TM"));
    script.clearShown();
    script.answerMessage(qv::mrOk);
    editor = open(triggerNode(QStringLiteral("TM")), MainForm->EditDBObject1);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_TRUE(script.messages().at(0).contains(QStringLiteral("before insert or update")));
    EXPECT_TRUE(editor->IsReadOnly());
    EXPECT_EQ(editor->StyleList->currentIndex(), -1);
    EXPECT_FALSE(editor->StyleList->isEnabled());
    EXPECT_TRUE(editor->SQLText->ReadOnly());
    EXPECT_TRUE(editor->SQLText->Text().contains(QStringLiteral("new.NAME = upper(new.NAME);")));
    editor->SQLText->setFocus();
    QTest::keyClicks(editor->SQLText, QStringLiteral("x"));
    EXPECT_FALSE(editor->Modified());
    script.answerMessage(qv::mrOk);
    QTest::keyClick(editor->SQLText, Qt::Key_F2);
    settle();
    ASSERT_FALSE(editor.isNull());
    EXPECT_EQ(source(QStringLiteral("TM")), before);
    editor->close();
    settle();
    EXPECT_TRUE(editor.isNull()) << "nothing to ask about";

    if (dialect == 3) {
        // A stored name that only quotes can express is kept as it is.
        editor = open(triggerNode(QStringLiteral("low trig")), MainForm->EditDBObject1);
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(editor->BuildTriggerText().startsWith(QStringLiteral("ALTER TRIGGER \"low trig\" ACTIVE ")));
        QTest::keyClick(editor->SQLText, Qt::Key_F2);
        settle();
        EXPECT_TRUE(editor.isNull()) << qPrintable(script.messages().join(u'\n'));
    }
}

TEST_P(TriggerEditorInProgram, CommentsBeforeAsAreKeptAndTheTriggerStaysEditable)
{
    const QString before = source(QStringLiteral("T_NOTE"));
    ASSERT_TRUE(before.startsWith(QStringLiteral("/* kept */"))) << before.toStdString();
    QPointer<TEditTrig> editor = open(triggerNode(QStringLiteral("T_NOTE")), MainForm->EditDBObject1);
    ASSERT_NE(editor, nullptr) << qPrintable(script.messages().join(u'\n'));
    EXPECT_FALSE(editor->IsReadOnly());
    EXPECT_EQ(editor->SQLText->Text(), QStringLiteral("  new.ID = coalesce(new.ID, 0);\r\n"));
    EXPECT_EQ(editor->BuildTriggerText(),
              QStringLiteral("ALTER TRIGGER T_NOTE ACTIVE before insert POSITION 5\r\n") + before);
    editor->SQLText->setFocus();
    QTest::keyClick(editor->SQLText, Qt::Key_F2);
    settle();
    EXPECT_TRUE(editor.isNull()) << qPrintable(script.messages().join(u'\n'));
    EXPECT_EQ(source(QStringLiteral("T_NOTE")), before);
}

TEST_P(TriggerEditorInProgram, LocalVariablesAreKeptWithTheirDescriptionsAndPastedWithF4)
{
    QPointer<TEditTrig> editor = open(triggers, MainForm->CreateDBobject1);
    ASSERT_NE(editor, nullptr);
    editor->TriggerName->setText(QStringLiteral("T_LOCALS"));
    // "Add variable" adds nothing after an unnamed row.
    editor->AddbtnClick();
    EXPECT_EQ(editor->LocalList->RowCount(), 2);
    editor->LocalParamsGrid->SetRows({{QStringLiteral("x"), QStringLiteral("Integer"), QString()},
                                      {QStringLiteral("X"), QStringLiteral("Varchar(10)"), QString()}});
    // Names differing only in case are one name.
    script.answerMessage(qv::mrOk);
    editor->SQLText->setFocus();
    QTest::keyClick(editor->SQLText, Qt::Key_F2);
    ASSERT_EQ(script.messages().size(), 1);
    EXPECT_EQ(script.messages().at(0), QStringLiteral("Duplicate Identifier !"));
    script.clearShown();
    editor->LocalParamsGrid->SetRows({{QStringLiteral("X"), QStringLiteral("Integer"), QString()},
                                      {QStringLiteral("S"), QString(), QString()}});
    script.answerMessage(qv::mrOk);
    EXPECT_FALSE(editor->CheckLocalList());
    EXPECT_EQ(script.messages().at(0), QStringLiteral("Empty parameter type is not allowed !"));
    script.clearShown();

    // "Remove variable" asks; No keeps the row.
    editor->LocalList->FocusCell(0, 2);
    script.answerMessage(qv::mrNo);
    editor->RemoveBtnClick();
    EXPECT_EQ(script.messages().at(0), QStringLiteral("Delete variable ?"));
    EXPECT_EQ(editor->LocalList->RowCount(), 3);
    script.answerMessage(qv::mrYes);
    editor->RemoveBtnClick();
    EXPECT_EQ(editor->Locals(), (TParamRows{{QStringLiteral("X"), QStringLiteral("Integer"), QString()}}));
    editor->AddbtnClick();
    editor->LocalParamsGrid->SetRow(2, {QStringLiteral("B"), QStringLiteral("Blob"), QString()});

    // The description dialog edits the descriptions only.
    script.onModal([](QDialog& dialog) {
        auto& descriptions = static_cast<TParamDescription&>(dialog);
        EXPECT_EQ(descriptions.windowTitle(), QStringLiteral("Local variables descriptions"));
        descriptions.ParamGrid->SetCells(2, 1, QStringLiteral("a */ counter"));
        descriptions.accept();
    });
    editor->SetDescriptionClick();
    EXPECT_EQ(editor->Locals().at(0).Description, QStringLiteral("a */ counter"));

    // F4 offers the locals and pastes the chosen one at the caret.
    editor->SQLText->SetText(QStringLiteral("X = ;"));
    editor->SQLText->setFocus();
    editor->SQLText->SetCaretXY(QPoint(5, 1));
    script.onModal([](QDialog& dialog) {
        auto& list = static_cast<TParamList&>(dialog);
        EXPECT_EQ(list.EntryCount(), 2);
        list.SetCurrentEntry(0);
        list.ChooseCurrent();
    });
    QTest::keyClick(editor->SQLText, Qt::Key_F4);
    EXPECT_EQ(editor->SQLText->Text(), QStringLiteral("X = :X;\r\n"));
    EXPECT_EQ(editor->SQLText->CaretX(), 7);
    editor->SQLText->SetText(QStringLiteral("X = X + 1;\r\nnew.NAME = :B;"));

    // Insert toggles overwrite; the window's Alt keys move the focus.
    QTest::keyClick(editor->SQLText, Qt::Key_Insert);
    EXPECT_EQ(editor->StatusPanel(2), QStringLiteral("Overwrite"));
    QTest::keyClick(editor->SQLText, Qt::Key_Insert);
    EXPECT_EQ(editor->StatusPanel(2), QStringLiteral("Insert"));
    QTest::keyClick(editor->SQLText, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), editor->Position);
    QTest::keyClick(editor->Position, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), editor->IsActive);
    EXPECT_TRUE(editor->IsActive->isChecked()) << "Alt+A only moves the focus";
    QTest::keyClick(editor->IsActive, Qt::Key_Up);
    QTest::keyClick(editor->IsActive, Qt::Key_P, Qt::AltModifier);
    QTest::keyClick(editor->Position, Qt::Key_Up);
    EXPECT_EQ(editor->Position->AsInteger(), 1);

    // F9 shows the text that is sent.
    QString shown;
    script.onModal([&](QDialog& dialog) { shown = static_cast<TProcPreview&>(dialog).Memo()->Text(); });
    QTest::keyClick(editor->Position, Qt::Key_F9);
    const QString expected = QStringLiteral(
        "CREATE TRIGGER T_LOCALS FOR ORDERS ACTIVE before insert POSITION 1\r\nAS\r\n"
        "     declare variable X Integer   /*a * / counter */;\r\n     declare variable B Blob;\r\n"
        "begin \r\nX = X + 1;\r\nnew.NAME = :B;\r\n\r\nend ");
    EXPECT_EQ(shown, expected + QStringLiteral("\r\n"));
    EXPECT_EQ(editor->BuildTriggerText(), expected);

    QTest::keyClick(editor->Position, Qt::Key_F2);
    settle();
    ASSERT_TRUE(editor.isNull()) << qPrintable(script.messages().join(u'\n'));
    EXPECT_EQ(stored(QStringLiteral("T_LOCALS")), QStringLiteral("1,1,0"));

    // Opened again: the same locals, descriptions and body.
    editor = open(triggerNode(QStringLiteral("T_LOCALS")), MainForm->EditDBObject1);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Locals(), (TParamRows{{QStringLiteral("X"), QStringLiteral("Integer"), QStringLiteral("a * / counter")},
                                            {QStringLiteral("B"), QStringLiteral("Blob"), QString()}}));
    EXPECT_EQ(editor->SQLText->Text(), QStringLiteral("X = X + 1;\r\nnew.NAME = :B;\r\n"));
    EXPECT_TRUE(editor->BuildTriggerText().startsWith(QStringLiteral("ALTER TRIGGER T_LOCALS ACTIVE before insert POSITION 1\r\n")));
    editor->close();
    settle();
    EXPECT_TRUE(editor.isNull());
}

// The generated texts are checked in both dialects on both engines
// elsewhere; the window runs on the embedded engine in both dialects and on
// the server in dialect 3, which keeps the suite short.
std::vector<qvdebug::TargetDialect> windowTargets()
{
    std::vector<qvdebug::TargetDialect> targets;
    for (const qvdebug::TargetDialect& target : qvdebug::allTargetDialects())
        if (!std::get<0>(target).isServer() || std::get<1>(target) == 3)
            targets.push_back(target);
    return targets;
}

INSTANTIATE_TEST_SUITE_P(Targets, TriggerEditorInProgram, ::testing::ValuesIn(windowTargets()),
                         qvdebug::targetDialectName);
