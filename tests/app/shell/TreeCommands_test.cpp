// The tree's object commands over real databases: the pop-up menus by
// level, the keys, dropping objects (what reached the database is read
// back through a connection of its own), and the openers the libraries
// above register, with the reuse of an open editor.

#include "ShellTest_support.h"

#include "access/QvQuery.h"
#include "app/shell/BaseMDI.h"
#include "app/shell/DataM.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/TreeCommands.h"
#include "platform/DialogScript.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qvshell;

namespace {

const QStringList kSchema{
    QStringLiteral("CREATE DOMAIN D_CODE AS VARCHAR(10)"),
    QStringLiteral("CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, CODE D_CODE)"),
    QStringLiteral("CREATE TABLE ORDERS (ID INTEGER NOT NULL, CUST INTEGER REFERENCES CUSTOMER(ID))"),
    QStringLiteral("CREATE VIEW V_CUST AS SELECT ID FROM CUSTOMER"),
    QStringLiteral("CREATE GENERATOR G_ORDERS"),
    QStringLiteral("CREATE EXCEPTION E_FAIL 'failed'"),
    QStringLiteral("CREATE PROCEDURE P_ONE RETURNS (X INTEGER) AS BEGIN X = 1; SUSPEND; END"),
    QStringLiteral("CREATE PROCEDURE P_TWO RETURNS (X INTEGER) AS BEGIN X = 2; SUSPEND; END"),
    QStringLiteral("CREATE TRIGGER CUSTOMER_BU FOR CUSTOMER BEFORE UPDATE AS BEGIN NEW.CODE = UPPER(NEW.CODE); END"),
    QStringLiteral("COMMENT ON PROCEDURE P_ONE IS 'the first'"),
};

// Counts rows of a catalog query on a connection of its own.
int countRows(const qvtest::Target& target, const QString& path, const QString& sql)
{
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams(qvtest::connectParams(target));
    database.Open();
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(sql);
    query.ExecQuery();
    const int count = query.Fields(0).AsLong();
    query.Close();
    transaction.Commit();
    database.Close();
    return count;
}

// An editor window a test registers as an opener's result.
QWidget* openTestEditor(const TObjectRef& ref, int kind)
{
    auto* window = new TBaseMDI;
    window->setWindowTitle(ref.Name);
    SetWindowIdentity(window, {ref.DBId, kind, ref.Name});
    MainForm->AddChild(window);
    window->show();
    return window;
}

class TreeCommandsTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(target());
        TObjectOpeners::Instance().Clear();
    }
    void TearDown() override { TObjectOpeners::Instance().Clear(); }
    const qvtest::Target& target() const { return GetParam(); }

    QString makeDatabase(const QString& name, const QStringList& statements = kSchema)
    {
        const QString path = createDatabase(target(), m_user.dir(), name + QStringLiteral(".fdb"), statements);
        registerInRegistry(name, path, target().user, target().password);
        return path;
    }
    QTreeWidgetItem* category(const QString& database, const QString& name)
    {
        QTreeWidgetItem* node = databaseNode(database);
        expand(node);
        QTreeWidgetItem* result = categoryNode(node, name);
        expand(result);
        return result;
    }
    static QTreeWidgetItem* object(QTreeWidgetItem* categoryNode, const QString& name)
    {
        for (int i = 0; i < categoryNode->childCount(); ++i)
            if (TMainTree::NodeObjectName(categoryNode->child(i)) == name)
                return categoryNode->child(i);
        return nullptr;
    }
    static void select(QTreeWidgetItem* node)
    {
        MainTree->Tree()->setCurrentItem(node);
    }
    static void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(MainTree->Tree(), Qt::Key(key), modifiers);
    }

    IsolatedUser m_user;
    qv::DialogScript m_script;
};

TEST(DropText, EveryCategoryHasItsQuestionAndStatementWithTheNameSpelledForTheDialect)
{
    EXPECT_EQ(DropQuestion(catTables), QStringLiteral("Are you really want to drop this table ?"));
    EXPECT_EQ(DropQuestion(catProcedures), QStringLiteral("Drop procedure ?"));
    EXPECT_EQ(DropQuestion(catFunctions), QStringLiteral("Drop Funciton ?"));
    EXPECT_EQ(DropQuestion(catExceptions), QStringLiteral("Drop Exception ?"));
    EXPECT_EQ(DropStatement(catTables, QStringLiteral("T1"), 1), QStringLiteral("DROP TABLE T1"));
    EXPECT_EQ(DropStatement(catViews, QStringLiteral("V"), 3), QStringLiteral("drop view V"));
    EXPECT_EQ(DropStatement(catTriggers, QStringLiteral("TR"), 3), QStringLiteral("drop trigger TR"));
    EXPECT_EQ(DropStatement(catDomains, QStringLiteral("D"), 3), QStringLiteral("drop domain D"));
    EXPECT_EQ(DropStatement(catFunctions, QStringLiteral("F"), 1), QStringLiteral("drop external function F"));
    EXPECT_EQ(DropStatement(catExceptions, QStringLiteral("E"), 1), QStringLiteral("drop exception E"));
    EXPECT_EQ(DropStatement(catGenerators, QStringLiteral("G_ORDERS"), 1), QStringLiteral("DROP GENERATOR G_ORDERS"));
    // Dialect 3 quotes what is not a plain upper-case name, doubling its quotes.
    EXPECT_EQ(DropStatement(catProcedures, QStringLiteral("My \"odd\" proc"), 3),
              QStringLiteral("drop procedure \"My \"\"odd\"\" proc\""));
    EXPECT_EQ(DropStatement(catTables, QStringLiteral("ORDER"), 3), QStringLiteral("DROP TABLE \"ORDER\""));
    EXPECT_TRUE(DropStatement(-1, QStringLiteral("X"), 3).isEmpty());
    EXPECT_TRUE(DropStatement(catTables, QString(), 3).isEmpty());
}

TEST_P(TreeCommandsTest, DelDropsAnObjectNodeOnlyAfterTheQuestionAndNeverACategory)
{
    const QString path = makeDatabase(QStringLiteral("Shop"));
    Shell shell;
    QTreeWidgetItem* procedures = category(QStringLiteral("Shop"), QStringLiteral("Procedures"));
    ASSERT_EQ(procedures->childCount(), 2);

    // Del on the category: no question, nothing dropped.
    select(procedures);
    key(Qt::Key_Delete);
    EXPECT_TRUE(m_script.shown().empty());
    EXPECT_EQ(procedures->childCount(), 2);

    // "No" keeps everything.
    select(object(procedures, QStringLiteral("P_ONE")));
    m_script.answerMessage(qv::mrNo);
    key(Qt::Key_Delete);
    ASSERT_EQ(m_script.messages(), QStringList{QStringLiteral("Drop procedure ?")});
    EXPECT_EQ(m_script.shown()[0].type, qv::mtWarning);
    EXPECT_EQ(procedures->childCount(), 2);

    // The node's text carries the description; the drop targets the exact name.
    QTreeWidgetItem* one = object(procedures, QStringLiteral("P_ONE"));
    one->setText(0, QStringLiteral("P_ONE       (Comment: the first)"));
    select(one);
    m_script.answerMessage(qv::mrYes);
    key(Qt::Key_Delete);
    EXPECT_EQ(procedures->childCount(), 1);
    EXPECT_EQ(object(procedures, QStringLiteral("P_ONE")), nullptr);
    EXPECT_NE(object(procedures, QStringLiteral("P_TWO")), nullptr);
    EXPECT_EQ(countRows(target(), path,
                        QStringLiteral("select count(*) from rdb$procedures where rdb$procedure_name = 'P_ONE'")),
              0);
    EXPECT_EQ(countRows(target(), path,
                        QStringLiteral("select count(*) from rdb$procedures where rdb$procedure_name = 'P_TWO'")),
              1);
    EXPECT_FALSE(DM->IBTran()->Active());
    // The link words of SQL texts lose it too.
    for (const TDBObjectName& name : DBList->GetObjectNames(DBList->IndexOf(QStringLiteral("Shop"))))
        EXPECT_NE(name.Name, QStringLiteral("P_ONE"));

    // Del on the database node unregisters (asked), never drops objects.
    select(databaseNode(QStringLiteral("Shop")));
    m_script.answerMessage(qv::mrNo);
    key(Qt::Key_Delete);
    EXPECT_EQ(m_script.messages().last(), QStringLiteral("Are you really want to unregister database ?"));
    EXPECT_NE(databaseNode(QStringLiteral("Shop")), nullptr);
    EXPECT_EQ(m_script.pendingAnswers(), 0);
}

TEST_P(TreeCommandsTest, AFailingDropShowsTheServersMessageAndKeepsTheNode)
{
    const QString path = makeDatabase(QStringLiteral("Shop"));
    Shell shell;
    QTreeWidgetItem* tables = category(QStringLiteral("Shop"), QStringLiteral("Tables"));
    QTreeWidgetItem* customer = object(tables, QStringLiteral("CUSTOMER"));
    ASSERT_NE(customer, nullptr);
    select(customer);
    m_script.answerMessage(qv::mrYes);   // the question
    m_script.answerMessage(qv::mrOk);    // the server's refusal
    EXPECT_FALSE(MainTree->Commands()->Drop1Click());
    const QStringList messages = m_script.messages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], QStringLiteral("Are you really want to drop this table ?"));
    EXPECT_TRUE(messages[1].contains(QStringLiteral("CUSTOMER"))) << qPrintable(messages[1]);
    // An error box, with its icon, centred on the main window.
    EXPECT_EQ(m_script.shown().back().type, qv::mtError);
    EXPECT_EQ(m_script.shown().back().owner, MainForm->objectName());
    EXPECT_EQ(m_script.shown().back().centre, MainForm->frameGeometry().center());
    EXPECT_EQ(object(tables, QStringLiteral("CUSTOMER")), customer);
    EXPECT_FALSE(DM->IBTran()->Active());
    EXPECT_EQ(countRows(target(), path,
                        QStringLiteral("select count(*) from rdb$relations where rdb$relation_name = 'CUSTOMER'")),
              1);

    // The shared transaction is usable at once: the generator goes with DROP GENERATOR.
    QTreeWidgetItem* generators = category(QStringLiteral("Shop"), QStringLiteral("Generators"));
    select(object(generators, QStringLiteral("G_ORDERS")));
    m_script.answerMessage(qv::mrYes);
    EXPECT_TRUE(MainTree->Commands()->Drop1Click());
    EXPECT_EQ(generators->childCount(), 0);
    EXPECT_EQ(countRows(target(), path,
                        QStringLiteral("select count(*) from rdb$generators where rdb$generator_name = 'G_ORDERS'")),
              0);

    // Drop from the main window acts only on an object node.
    select(generators);
    MainForm->DropDBObject1->trigger();
    select(databaseNode(QStringLiteral("Shop")));
    EXPECT_FALSE(MainTree->Commands()->Drop1Click());
    EXPECT_EQ(m_script.messages().size(), 3);
}

TEST_P(TreeCommandsTest, ADialect3NameWithBlanksIsDroppedByItsExactName)
{
    const QString path = qvtest::createDialect3Database(
        target(), m_user.dir(), QStringLiteral("d3.fdb"),
        {QStringLiteral("CREATE TABLE \"My Table\" (A INTEGER)"), QStringLiteral("CREATE TABLE \"My\" (A INTEGER)"),
         QStringLiteral("CREATE EXCEPTION \"order\" 'x'")});
    registerInRegistry(QStringLiteral("D3"), path, target().user, target().password);
    Shell shell;
    QTreeWidgetItem* tables = category(QStringLiteral("D3"), QStringLiteral("Tables"));
    select(object(tables, QStringLiteral("My Table")));
    m_script.answerMessage(qv::mrYes);
    key(Qt::Key_Delete);
    EXPECT_EQ(object(tables, QStringLiteral("My Table")), nullptr);
    EXPECT_NE(object(tables, QStringLiteral("My")), nullptr);
    EXPECT_EQ(countRows(target(), path,
                        QStringLiteral("select count(*) from rdb$relations where rdb$relation_name in ('My', 'My Table')")),
              1);
    QTreeWidgetItem* exceptions = category(QStringLiteral("D3"), QStringLiteral("Exceptions"));
    select(object(exceptions, QStringLiteral("order")));
    m_script.answerMessage(qv::mrYes);
    key(Qt::Key_Delete);
    EXPECT_EQ(exceptions->childCount(), 0);
    EXPECT_EQ(m_script.messages(), (QStringList{QStringLiteral("Are you really want to drop this table ?"),
                                                QStringLiteral("Drop Exception ?")}));
}

TEST_P(TreeCommandsTest, MenusByLevelAndCommandsDisabledUntilTheirOpenerIsRegistered)
{
    makeDatabase(QStringLiteral("Shop"));
    Shell shell;
    TTreeCommands& commands = *MainTree->Commands();
    auto captions = [](const QMenu* menu) {
        QStringList list;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                list << action->text();
        return list;
    };
    EXPECT_EQ(captions(commands.DatabasesMenu),
              (QStringList{"Create Database", "Drop Database", "Register Database", "Unregister Database",
                           "Database Properties"}));
    EXPECT_EQ(captions(commands.ObjectsMenu), (QStringList{"New...", "Refresh"}));
    EXPECT_EQ(captions(commands.TableMenu), (QStringList{"&New ...", "&Edit ...", "&Drop", "&Set Description",
                                                         "Data &View", "De&pendencies..."}));

    QTreeWidgetItem* procedures = category(QStringLiteral("Shop"), QStringLiteral("Procedures"));
    QTreeWidgetItem* one = object(procedures, QStringLiteral("P_ONE"));
    // A right click pops up the menu of the clicked node's level.
    select(databaseNode(QStringLiteral("Shop")));
    MainTree->show();
    const QPoint at = MainTree->Tree()->visualItemRect(one).center();
    QTest::mouseClick(MainTree->Tree()->viewport(), Qt::RightButton, Qt::NoModifier, at);
    EXPECT_EQ(MainTree->Tree()->currentItem(), one);
    EXPECT_TRUE(commands.TableMenu->isVisible());
    commands.TableMenu->hide();
    EXPECT_TRUE(commands.Drop1->isEnabled());
    EXPECT_FALSE(commands.Edittable1->isEnabled());
    EXPECT_FALSE(commands.Createtable2->isEnabled());
    EXPECT_FALSE(commands.DependenciesBtn->isEnabled());
    EXPECT_FALSE(MainForm->EditDBObject1->isEnabled());
    EXPECT_TRUE(MainForm->DropDBObject1->isEnabled());
    EXPECT_FALSE(MainForm->Dataview1->isEnabled());
    EXPECT_TRUE(MainForm->UnavailableCommands().contains(MainForm->Dataview1));

    // Enter and the commands do nothing without an opener.
    key(Qt::Key_Return);
    commands.Edittable1Click();
    EXPECT_TRUE(MainForm->Children().size() == 1);

    std::vector<TObjectRef> edits;
    TObjectOpeners::Instance().SetEdit(catProcedures, [&](const TObjectRef& ref) {
        edits.push_back(ref);
        openTestEditor(ref, catProcedures);
    });
    EXPECT_TRUE(MainForm->CommandAvailable(MainForm->EditDBObject1));
    EXPECT_TRUE(MainForm->EditDBObject1->isEnabled());
    EXPECT_TRUE(commands.Edittable1->isEnabled());
    QTest::mouseClick(MainTree->Tree()->viewport(), Qt::RightButton, Qt::NoModifier, at);
    EXPECT_TRUE(commands.Edittable1->isEnabled());
    commands.TableMenu->hide();
    key(Qt::Key_Return);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].Name, QStringLiteral("P_ONE"));
    EXPECT_EQ(edits[0].Category, catProcedures);
    EXPECT_EQ(edits[0].Node, one);
    EXPECT_EQ(edits[0].DBId, DBList->GetId(DBList->IndexOf(QStringLiteral("Shop"))));
    EXPECT_EQ(edits[0].Database, DBList->GetDatabase(DBList->IndexOf(QStringLiteral("Shop"))));
    // The category's pop-up has no object: New stays with its own opener.
    QTest::mouseClick(MainTree->Tree()->viewport(), Qt::RightButton, Qt::NoModifier,
                      MainTree->Tree()->visualItemRect(procedures).center());
    EXPECT_TRUE(commands.ObjectsMenu->isVisible());
    EXPECT_FALSE(commands.NewObject1->isEnabled());
    commands.ObjectsMenu->hide();
    EXPECT_TRUE(m_script.shown().empty());
}

TEST_P(TreeCommandsTest, EditReusesAnOpenEditorOnlyForTheSameObjectOfTheSameDatabase)
{
    makeDatabase(QStringLiteral("First"));
    makeDatabase(QStringLiteral("Second"));
    Shell shell;
    int opened = 0;
    TObjectOpeners::Instance().SetEdit(catProcedures, [&](const TObjectRef& ref) {
        ++opened;
        openTestEditor(ref, catProcedures);
    });
    TObjectOpeners::Instance().SetEdit(catTriggers, [&](const TObjectRef& ref) {
        ++opened;
        openTestEditor(ref, catTriggers);
    });
    QTreeWidgetItem* first = category(QStringLiteral("First"), QStringLiteral("Procedures"));
    QTreeWidgetItem* second = category(QStringLiteral("Second"), QStringLiteral("Procedures"));
    select(object(first, QStringLiteral("P_ONE")));
    MainForm->EditDBObject1->trigger();
    EXPECT_EQ(opened, 1);
    QPointer<QWidget> firstEditor = MainForm->ActiveChild();
    select(object(second, QStringLiteral("P_ONE")));
    MainForm->EditDBObject1->trigger();
    EXPECT_EQ(opened, 2);
    select(object(first, QStringLiteral("P_TWO")));
    MainTree->Commands()->Edittable1Click();
    EXPECT_EQ(opened, 3);
    // The same object of the same database: the open window comes forward.
    select(object(first, QStringLiteral("P_ONE")));
    MainTree->Commands()->Edittable1Click();
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(MainForm->ActiveChild(), firstEditor.data());
    // A trigger is another kind, even of a name another window shows.
    select(object(category(QStringLiteral("First"), QStringLiteral("Triggers")), QStringLiteral("CUSTOMER_BU")));
    MainTree->Commands()->Edittable1Click();
    EXPECT_EQ(opened, 4);
    EXPECT_EQ(WindowsOfDatabase(DBList->GetId(DBList->IndexOf(QStringLiteral("First")))).size(), 3);
}

TEST_P(TreeCommandsTest, EnterAndDoubleClickOpenATablesDataAndAnyOtherObjectsEditor)
{
    makeDatabase(QStringLiteral("Shop"));
    Shell shell;
    QStringList calls;
    TObjectOpeners::Instance().SetTool(TToolCommand::DataView, [&](const TObjectRef& ref) {
        calls << QStringLiteral("data ") + ref.Name;
        openTestEditor(ref, wkDataView);
    });
    TObjectOpeners::Instance().SetEdit(catViews, [&](const TObjectRef& ref) {
        calls << QStringLiteral("edit ") + ref.Name;
    });
    TObjectOpeners::Instance().SetTool(TToolCommand::Dependencies, [&](const TObjectRef& ref) {
        calls << QStringLiteral("dependencies ") + ref.Name;
    });
    EXPECT_TRUE(MainForm->Dataview1->isEnabled());
    EXPECT_TRUE(MainForm->ToolDataView->isEnabled());
    QTreeWidgetItem* tables = category(QStringLiteral("Shop"), QStringLiteral("Tables"));
    QTreeWidgetItem* views = category(QStringLiteral("Shop"), QStringLiteral("Views"));
    MainTree->show();

    select(object(tables, QStringLiteral("CUSTOMER")));
    key(Qt::Key_Return);
    select(object(views, QStringLiteral("V_CUST")));
    key(Qt::Key_Enter, Qt::KeypadModifier);
    MainForm->Dataview1->trigger();
    MainTree->Commands()->DependenciesBtn->trigger();
    // The open data view of the table comes forward instead of a second one.
    QTreeWidgetItem* orders = object(tables, QStringLiteral("ORDERS"));
    select(object(tables, QStringLiteral("CUSTOMER")));
    MainForm->ToolDataView->trigger();
    // Double-click on a table.
    QTest::mouseDClick(MainTree->Tree()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       MainTree->Tree()->visualItemRect(orders).center());
    // The data view is for tables and views only; a category does nothing.
    select(tables);
    MainForm->Dataview1->trigger();
    EXPECT_EQ(calls, (QStringList{"data CUSTOMER", "edit V_CUST", "data V_CUST", "dependencies V_CUST",
                                  "data ORDERS"}));
    EXPECT_TRUE(m_script.shown().empty());
}

TEST_P(TreeCommandsTest, RefreshListsACategoryAnewAndCtrlInsCopiesTheNodeText)
{
    const QString path = makeDatabase(QStringLiteral("Shop"));
    Shell shell;
    QTreeWidgetItem* exceptions = category(QStringLiteral("Shop"), QStringLiteral("Exceptions"));
    ASSERT_EQ(exceptions->childCount(), 1);
    execute(target(), path, {QStringLiteral("CREATE EXCEPTION E_MORE 'more'")});
    select(exceptions->child(0));
    MainTree->Commands()->Refresh2->trigger();
    EXPECT_EQ(childTexts(exceptions), (QStringList{"E_FAIL", "E_MORE"}));
    select(exceptions->child(1));
    key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("E_MORE"));
}

INSTANTIATE_TEST_SUITE_P(Targets, TreeCommandsTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
