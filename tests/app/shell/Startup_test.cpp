// Start-up order, the main window's commands, the first-start sample
// database and the shutdown order.

#include "ShellTest_support.h"

#include "access/QvQuery.h"
#include "app/shell/DataM.h"
#include "app/shell/GetDBPasswd.h"
#include "app/shell/Main.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/NewDB.h"
#include "app/shell/SampleDatabase.h"
#include "app/shell/ShellImages.h"
#include "app/shell/ShowDesc.h"
#include "app/shell/WindowList.h"
#include "components/FormPlacement.h"
#include "components/ImageMenu.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qvshell;

namespace {

// A child window that answers the close question as told.
class Refuser : public QWidget
{
public:
    bool agree = false;
    int asked = 0;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        ++asked;
        event->setAccepted(agree);
    }
};

class StartupTest : public ::testing::Test
{
protected:
    IsolatedUser m_user;
    qv::DialogScript m_script;
};

void registerThree()
{
    registerInRegistry(QStringLiteral("Payroll"), QStringLiteral("/nowhere/payroll.fdb"), QStringLiteral("SYSDBA"),
                       QStringLiteral("x"));
    registerInRegistry(QStringLiteral("accounts"), QStringLiteral("/nowhere/accounts.fdb"), QStringLiteral("SYSDBA"),
                       QStringLiteral("x"));
    registerInRegistry(QStringLiteral("Employees"), QStringLiteral("/nowhere/emp.fdb"), QStringLiteral("SYSDBA"),
                       QStringLiteral("x"));
}

} // namespace

TEST_F(StartupTest, WindowsComeUpInOrderAndListTheDatabasesInListOrder)
{
    registerThree();
    Shell shell;
    EXPECT_EQ(shell.startup().Steps(),
              (QStringList{QStringLiteral("MainForm"), QStringLiteral("DM"), QStringLiteral("MainTree"),
                           QStringLiteral("MainTree.FormShow"), QStringLiteral("ShowDesc"),
                           QStringLiteral("GetDBPasswd")}));
    ASSERT_NE(MainForm, nullptr);
    ASSERT_NE(DM, nullptr);
    ASSERT_NE(MainTree, nullptr);
    ASSERT_NE(GetDBPasswd, nullptr);
    ASSERT_NE(ShowDesc, nullptr);
    EXPECT_EQ(MainForm->windowTitle(), QStringLiteral("Qorvane - Interbase SQL Utility"));
    EXPECT_TRUE(MainForm->isVisible());
    EXPECT_EQ(MainForm->Children(), QList<QWidget*>{MainTree});
    EXPECT_TRUE(MainTree->isVisible());
    EXPECT_FALSE(ShowDesc->isVisible());
    EXPECT_EQ(MainTree->windowTitle(), QStringLiteral("Databases and Database Objects"));

    QTreeWidgetItem* top = MainTree->TopNode();
    EXPECT_EQ(top->text(0), QStringLiteral("Registered databases"));
    EXPECT_EQ(TMainTree::NodeImage(top), tiTop);
    EXPECT_TRUE(top->isExpanded());
    ASSERT_EQ(top->childCount(), DBList->Count());
    ASSERT_EQ(DBList->Count(), 3);
    for (int i = 0; i < DBList->Count(); ++i) {
        QTreeWidgetItem* node = top->child(i);
        EXPECT_EQ(node->text(0), DBList->GetName(i));
        EXPECT_FALSE(node->isExpanded());
        EXPECT_FALSE(TMainTree::NodeData(node));
        EXPECT_EQ(TMainTree::NodeImage(node), tiDatabase);
        EXPECT_EQ(childTexts(node), QStringList{QStringLiteral("---")});
        EXPECT_EQ(MainTree->GetNodeDBNumber(node), i + 1);
        EXPECT_EQ(MainTree->GetNodeDBId(node), DBList->GetId(i));
    }
    // Known databases: no sample is made.
    EXPECT_FALSE(QFileInfo::exists(SampleDatabasePath()));

    // A node keeps finding its own entry when one before it goes.
    QTreeWidgetItem* last = top->child(2);
    const quint64 id = MainTree->GetNodeDBId(last);
    DBList->Delete(0);
    delete top->child(0);
    EXPECT_EQ(MainTree->GetNodeDBId(last), id);
    EXPECT_EQ(DBList->IndexOfId(id), 1);
    EXPECT_EQ(MainTree->GetNodeDBNumber(last), 2);
}

TEST_F(StartupTest, CommandsOfLaterWindowsArePresentButDisabledUntilRegistered)
{
    registerThree();
    Shell shell;
    // Without an opener registered by the libraries above, their commands stay off.
    const QStringList unavailable{"Dataview1",        "ExecuteSQLBtn", "CreateDBobject1", "EditDBObject1",
                                  "DependenciesMenu", "Extractmetadata1", "ExecuteScript",
                                  "ToolDataView",     "ToolExecSQL"};
    for (const QString& name : unavailable) {
        auto* action = MainForm->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name.toStdString();
        EXPECT_FALSE(action->isEnabled()) << name.toStdString();
        MainForm->EnableCommand(action, true);
        EXPECT_FALSE(action->isEnabled()) << name.toStdString();
    }
    EXPECT_EQ(MainForm->UnavailableCommands().size(), unavailable.size());
    // A library that registers its opener turns its commands on, and off again when it goes.
    TObjectOpeners::Instance().SetTool(TToolCommand::DataView, [](const TObjectRef&) {});
    EXPECT_TRUE(MainForm->Dataview1->isEnabled());
    EXPECT_TRUE(MainForm->ToolDataView->isEnabled());
    EXPECT_FALSE(MainForm->UnavailableCommands().contains(MainForm->Dataview1));
    TObjectOpeners::Instance().Clear();
    EXPECT_FALSE(MainForm->Dataview1->isEnabled());
    EXPECT_EQ(MainForm->UnavailableCommands().size(), unavailable.size());
    for (QAction* action : {MainForm->Registerdatabase1, MainForm->Refresh1, MainForm->WindowList1,
                            MainForm->FileExitItem, MainForm->ShowDescriptionsMenu, MainForm->EditCopyItem,
                            MainForm->HelpAboutItem, MainForm->CreatedatabaseBtn, MainForm->DropdatabaseBtn,
                            MainForm->UnregisterDatabase1, MainForm->ToolCreateDB, MainForm->ToolDropDB,
                            MainForm->ToolUnregDB, MainForm->CloseDBBtn})
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
    // Available, but only while an object node is selected.
    EXPECT_FALSE(MainForm->SetDescription1->isEnabled());
    EXPECT_TRUE(MainForm->CommandAvailable(MainForm->SetDescription1));
    EXPECT_FALSE(MainForm->SavetoFile->isEnabled());
    EXPECT_FALSE(MainForm->FilePrintItem->isVisible());

    // Tool bar hints and the menu pictures.
    EXPECT_EQ(MainForm->Toolrefresh->toolTip(), QStringLiteral("Refresh  (F5)"));
    EXPECT_EQ(MainForm->ToolDataView->toolTip(), QStringLiteral("Data View (Ctrl-D)"));
    TImageMenuItem* picture = MainForm->ImageMenu1()->ItemOf(MainForm->Registerdatabase1);
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->Picture().isNull());
    EXPECT_EQ(MainForm->Refresh1->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(MainForm->WindowList1->shortcut(), QKeySequence(Qt::ALT | Qt::Key_0));
}

TEST_F(StartupTest, SelectionDrivesMenusStatusLineAndDataViewHint)
{
    registerThree();
    Shell shell;
    QTreeWidget* tree = MainTree->Tree();
    tree->setCurrentItem(MainTree->TopNode());
    EXPECT_FALSE(MainForm->ObjectsMenu->menuAction()->isEnabled());
    EXPECT_TRUE(MainForm->DatabasesMenu->menuAction()->isEnabled());
    QTreeWidgetItem* payroll = databaseNode(QStringLiteral("Payroll"));
    tree->setCurrentItem(payroll);
    EXPECT_EQ(MainForm->StatusPanel(0), QStringLiteral("Current database: /nowhere/payroll.fdb"));
    EXPECT_EQ(MainForm->ToolDataView->toolTip(), QStringLiteral("Data View (Ctlr-D)"));

    // A connected database's object nodes, built by hand: no server is needed for the menus.
    TMainTree::SetNodeData(payroll, true);
    qDeleteAll(payroll->takeChildren());
    MainTree->AddCategoryNodes(payroll);
    QTreeWidgetItem* tables = categoryNode(payroll, QStringLiteral("Tables"));
    TMainTree::SetNodeData(tables, true);
    qDeleteAll(tables->takeChildren());
    QTreeWidgetItem* table = TMainTree::AddObjectNode(tables, QStringLiteral("SALARY"));
    ASSERT_NE(table, nullptr);
    // An expanded category becomes the selected node.
    expand(tables);
    EXPECT_EQ(tree->currentItem(), tables);
    EXPECT_TRUE(MainForm->ObjectsMenu->menuAction()->isEnabled());
    EXPECT_FALSE(MainForm->DatabasesMenu->menuAction()->isEnabled());
    tree->setCurrentItem(table);
    EXPECT_EQ(MainForm->ToolDataView->toolTip(), QStringLiteral("Data View on table SALARY  (Ctlr-D)"));
    EXPECT_EQ(MainTree->GetNodeDBNumber(table), 1 + DBList->IndexOf(QStringLiteral("Payroll")));

    // Copy with the tree window active copies the whole node text.
    table->setText(0, QStringLiteral("SALARY       (Comment: monthly)"));
    MainForm->MdiArea()->setActiveSubWindow(MainForm->MdiArea()->subWindowList().first());
    MainForm->EditCopyItemClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("SALARY       (Comment: monthly)"));
}

TEST_F(StartupTest, TheDescriptionWindowFollowsShowDescriptions)
{
    registerThree();
    Shell shell;
    ASSERT_FALSE(ShowDesc->isVisible());
    MainForm->ShowDescriptionsMenu->trigger();
    EXPECT_TRUE(MainForm->ShowDescriptionsMenu->isChecked());
    EXPECT_TRUE(ShowDesc->isVisible());
    EXPECT_EQ(ShowDesc->windowTitle(), QStringLiteral("Database object Description"));
    // Its close box does nothing while descriptions are on.
    EXPECT_FALSE(ShowDesc->close());
    EXPECT_TRUE(ShowDesc->isVisible());
    MainForm->ShowDescriptionsMenu->trigger();
    EXPECT_FALSE(ShowDesc->isVisible());
}

TEST_F(StartupTest, RegisteringAddsANodeAndAnEntry)
{
    registerThree();
    Shell shell;
    m_script.onModal([](QDialog& dialog) {
        auto& registration = dynamic_cast<TNewDB&>(dialog);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Register database"));
        EXPECT_FALSE(registration.OkBtn()->isEnabled());
        EXPECT_EQ(registration.UserName()->text(), QStringLiteral("SYSDBA"));
        EXPECT_EQ(registration.Charset(), QStringLiteral("NONE"));
        // Firebird 3's character sets, UTF8 among them.
        EXPECT_EQ(registration.CharSet()->count(), 52);
        EXPECT_GE(registration.CharSet()->findText(QStringLiteral("UTF8")), 0);
        registration.DBName()->setText(QStringLiteral("Stock"));
        EXPECT_TRUE(registration.OkBtn()->isEnabled());
        registration.DBPath()->setText(QStringLiteral("server:/data/stock.fdb"));
        registration.Passwd()->setText(QStringLiteral("secret"));
        registration.SelectCharset(QStringLiteral("WIN1252"));
        dialog.accept();
    });
    MainForm->Registerdatabase1Click();
    const int index = DBList->IndexOf(QStringLiteral("Stock"));
    ASSERT_GE(index, 0);
    EXPECT_EQ(DBList->GetPath(index), QStringLiteral("server:/data/stock.fdb"));
    // Not remembered: asked for at the first expansion.
    EXPECT_EQ(DBList->GetPassword(index), QString());
    EXPECT_EQ(DBList->GetCharset(index), QStringLiteral("WIN1252"));
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Stock"));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(childTexts(node), QStringList{QStringLiteral("---")});
}

TEST_F(StartupTest, TheFileMenuOffersCloseOnlyWithMoreThanTheTree)
{
    registerThree();
    Shell shell;
    MainForm->FileMenuClick();
    EXPECT_FALSE(MainForm->CloseBtn->isVisible());
    EXPECT_FALSE(MainForm->CloseAllBtn->isVisible());

    auto* first = new Refuser;
    first->agree = true;
    first->setWindowTitle(QStringLiteral("First"));
    auto* second = new Refuser;
    second->setWindowTitle(QStringLiteral("Second"));
    MainForm->AddChild(first)->show();
    MainForm->AddChild(second)->show();
    MainForm->FileMenuClick();
    EXPECT_TRUE(MainForm->CloseBtn->isVisible());
    EXPECT_TRUE(MainForm->CloseAllBtn->isVisible());

    // "Close All" keeps the tree and every window that refuses.
    MainForm->CloseAllBtnClick();
    QApplication::processEvents();
    EXPECT_EQ(MainForm->Children(), (QList<QWidget*>{MainTree, second}));
    EXPECT_EQ(second->asked, 1);
}

TEST_F(StartupTest, TheWindowListKeepsItsOrderAndDropsClosedWindows)
{
    registerThree();
    Shell shell;
    auto* a = new QWidget;
    a->setWindowTitle(QStringLiteral("A"));
    auto* b = new QWidget;
    b->setWindowTitle(QStringLiteral("B"));
    MainForm->AddChild(a)->show();
    MainForm->AddChild(b)->show();
    m_script.onModal([](QDialog& dialog) { dialog.reject(); });
    MainForm->WindowList1Click();
    TWindowList* list = MainForm->WindowList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->EntryWindows(), (QList<QWidget*>{b, a, MainTree}));

    delete MdiSubWindowOf(a);
    auto* c = new QWidget;
    c->setWindowTitle(QStringLiteral("C"));
    MainForm->AddChild(c)->show();
    m_script.onModal([&](QDialog& dialog) {
        EXPECT_EQ(list->WinList()->item(list->WinList()->currentRow())->text(), QStringLiteral("C"));
        list->WinList()->setCurrentRow(0);
        dialog.accept();
    });
    MainForm->WindowList1Click();
    EXPECT_EQ(list, MainForm->WindowList());
    EXPECT_EQ(list->EntryWindows(), (QList<QWidget*>{b, MainTree, c}));
    EXPECT_EQ(MainForm->ActiveChild(), b);
}

TEST_F(StartupTest, TheQuitQuestionComesOnlyAfterEveryChildAgreed)
{
    registerThree();
    Shell shell;
    auto* editor = new Refuser;
    MainForm->AddChild(editor)->show();
    QSignalSpy closed(MainForm, &TMainForm::Closed);

    EXPECT_FALSE(MainForm->close());
    EXPECT_EQ(editor->asked, 1);
    EXPECT_TRUE(m_script.shown().empty());

    editor->agree = true;
    m_script.answerMessage(qv::mrNo);
    EXPECT_FALSE(MainForm->close());
    EXPECT_EQ(m_script.messages(), QStringList{QStringLiteral("Do you want to quit Qorvane ?")});
    EXPECT_EQ(m_script.shown().back().buttons, (QStringList{QStringLiteral("Yes"), QStringLiteral("No")}));
    EXPECT_TRUE(MainForm->isVisible());
    EXPECT_EQ(MainForm->ChildCount(), 2);
    EXPECT_FALSE(MainForm->ShuttingDown());
    EXPECT_EQ(closed.count(), 0);

    m_script.answerMessage(qv::mrYes);
    EXPECT_TRUE(MainForm->close());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(StartupTest, AtTheEndConnectionsAreCommittedAndClosedThenTheRegistryWritten)
{
    const qvtest::Target target = qvtest::embeddedTarget();
    const QString path = createDatabase(target, m_user.dir(), QStringLiteral("end.fdb"),
                                        {QStringLiteral("CREATE TABLE T (A INTEGER)")});
    registerInRegistry(QStringLiteral("End"), path, target.user, QString());
    {
        Shell shell;
        m_script.onModal([&target](QDialog& dialog) {
            GetDBPasswd->Passwd()->setText(target.password);
            GetDBPasswd->RemPasswd()->setChecked(true);
            dialog.accept();
        });
        expand(databaseNode(QStringLiteral("End")));
        TQvDatabase* connection = DBList->GetDatabase(0);
        ASSERT_NE(connection, nullptr);
        ASSERT_TRUE(connection->Connected());
        // Work left open in the shared transaction.
        DM->Query()->SetDatabase(connection);
        DM->IBTran()->StartTransaction();
        DM->Query()->SetSQLText(QStringLiteral("insert into T values (7)"));
        DM->Query()->ExecQuery();
        // The remembered password is on disk at once, not only at the end.
        QvRegistry registry(copyOfRegistry(m_user));
        ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\End"), false));
        EXPECT_EQ(registry.readString(QStringLiteral("UserPassword")), target.password);

        shell.closeWindows();
        EXPECT_EQ(DBList->GetDatabase(0), nullptr);
        EXPECT_EQ(MainForm, nullptr);
        EXPECT_EQ(MainTree, nullptr);
        EXPECT_EQ(DM, nullptr);
        EXPECT_TRUE(QvRegistry().openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\End"), false));
        EXPECT_EQ(QvRegistry().keyExists(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\End")), true);
    }
    QvRegistry registry;
    ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\End"), false));
    EXPECT_EQ(registry.readString(QStringLiteral("UserPassword")), target.password);

    // The insert was committed by the tree's end.
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams({QStringLiteral("isc_dpb_user_name=SYSDBA"), QStringLiteral("isc_dpb_password=x")});
    database.Open();
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(QStringLiteral("select count(*) from T"));
    query.ExecQuery();
    EXPECT_EQ(query.Fields(0).AsLong(), 1);
    query.Close();
    transaction.Commit();
}

TEST_F(StartupTest, AFirstStartMakesAndRegistersTheSampleDatabaseOnce)
{
    {
        Shell shell;
        ASSERT_TRUE(m_script.messages().isEmpty()) << m_script.messages().join('\n').toStdString();
        ASSERT_EQ(DBList->Count(), 1);
        EXPECT_EQ(DBList->GetName(0), kSampleDatabaseName);
        EXPECT_EQ(DBList->GetPath(0), SampleDatabasePath());
        EXPECT_TRUE(SampleDatabasePath().startsWith(m_user.dir().path()));
        EXPECT_TRUE(QFileInfo::exists(SampleDatabasePath()));
        {
            // Already on disk while the program runs: a kill now loses nothing.
            QvRegistry registry(copyOfRegistry(m_user));
            ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\")
                                             + kSampleDatabaseName,
                                         false));
            EXPECT_EQ(registry.readString(QStringLiteral("DBPath")), SampleDatabasePath());
        }

        QTreeWidgetItem* sample = databaseNode(kSampleDatabaseName);
        ASSERT_NE(sample, nullptr);
        expand(sample);
        ASSERT_TRUE(sample->isExpanded());
        const struct
        {
            const char* category;
            QStringList objects;
        } expected[] = {
            {"Tables", {"CUSTOMER", "ORDERS", "PRODUCT"}},
            {"Views", {"V_ORDER_TOTALS"}},
            {"Procedures", {"PLACE_ORDER"}},
            {"Triggers", {"ORDERS_BI"}},
            {"Domains", {"D_FLAG", "D_MONEY", "D_NAME"}},
            {"Generators", {"GEN_ORDER_ID"}},
            {"User-defined Functions", {}},
            {"Exceptions", {"E_NO_CREDIT"}},
        };
        for (const auto& category : expected) {
            QTreeWidgetItem* node = categoryNode(sample, QString::fromLatin1(category.category));
            expand(node);
            EXPECT_EQ(childTexts(node), category.objects) << category.category;
        }
        QTreeWidgetItem* customer = categoryNode(sample, QStringLiteral("Tables"))->child(0);
        EXPECT_EQ(MainTree->NodeDescription(customer), QStringLiteral("People and firms who order products."));
        EXPECT_TRUE(m_script.shown().empty());
    }
    // A dialect-3 database, with the types most Firebird databases have.
    {
        TQvDatabase sample;
        sample.SetDBName(SampleDatabasePath());
        sample.SetDBParams({QStringLiteral("isc_dpb_user_name=SYSDBA"), QStringLiteral("isc_dpb_password=masterkey")});
        sample.Open();
        EXPECT_EQ(sample.SQLDialect(), 3);
        TQvTransaction transaction;
        transaction.SetDefaultDatabase(&sample);
        transaction.StartTransaction();
        TQvQuery query;
        query.SetDatabase(&sample);
        query.SetTransaction(&transaction);
        query.SetSQLText(QStringLiteral(
            "select trim(r.rdb$relation_name) || '.' || trim(r.rdb$field_name), f.rdb$field_type, f.rdb$field_scale "
            "from rdb$relation_fields r join rdb$fields f on f.rdb$field_name = r.rdb$field_source "
            "where r.rdb$field_name in ('ORDER_ID', 'SINCE', 'CREDIT', 'ACTIVE') and r.rdb$relation_name in "
            "('ORDERS', 'CUSTOMER') order by 1"));
        query.ExecQuery();
        QStringList types;
        for (; !query.Eof(); query.Next())
            types << query.Fields(0).AsString() + QLatin1Char(' ') + query.Fields(1).AsString() + QLatin1Char(' ')
                    + query.Fields(2).AsString();
        query.Close();
        // BIGINT, NUMERIC(18,2), DATE and BOOLEAN.
        EXPECT_EQ(types, (QStringList{"CUSTOMER.ACTIVE 23 0", "CUSTOMER.CREDIT 16 -2", "CUSTOMER.SINCE 12 0",
                                      "ORDERS.ORDER_ID 16 0"}));
        query.SetSQLText(QStringLiteral("select NAME, CREDIT, ACTIVE, SINCE from CUSTOMER where CUST_ID = 2"));
        query.ExecQuery();
        EXPECT_EQ(query.Fields(1).AsString(), QStringLiteral("250.5"));
        EXPECT_EQ(query.Fields(2).AsString(), QStringLiteral("True"));
        EXPECT_EQ(query.Fields(3).AsString(), QStringLiteral("1642-06-15"));
        query.Close();
        transaction.Commit();
    }
    const QDateTime made = QFileInfo(SampleDatabasePath()).lastModified();
    // Registered now: the next start makes nothing.
    Shell shell;
    EXPECT_EQ(DBList->Count(), 1);
    EXPECT_EQ(QFileInfo(SampleDatabasePath()).lastModified(), made);
}

TEST_F(StartupTest, WithDatabasesRegisteredNoSampleIsMade)
{
    registerInRegistry(QStringLiteral("Only"), QStringLiteral("/nowhere/only.fdb"), QStringLiteral("SYSDBA"),
                       QStringLiteral("x"));
    TDBListScope list;
    EXPECT_FALSE(CreateSampleDatabase(*DBList));
    EXPECT_EQ(DBList->Count(), 1);
    EXPECT_FALSE(QFileInfo::exists(SampleDatabasePath()));
}

TEST_F(StartupTest, EditMenuCutAndPasteCanBeUndoneInTheEditor)
{
    Shell shell;
    auto* window = new QWidget;
    auto* editor = new TqeCustomEdit(window);
    editor->SetText(QStringLiteral("select x from t"));
    MainForm->AddChild(window)->show();
    QApplication::setActiveWindow(window);
    editor->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(MainForm->ActiveChild(), window);
    const auto line = [editor] { return editor->Lines()->Strings(0); };

    editor->SetBlockBegin(QPoint(8, 1));
    editor->SetBlockEnd(QPoint(9, 1));
    MainForm->EditCutItemClick();
    EXPECT_EQ(line(), QStringLiteral("select  from t"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("x"));
    editor->Undo();
    EXPECT_EQ(line(), QStringLiteral("select x from t"));

    editor->SetCaretXY(QPoint(1, 1));
    editor->SetBlockBegin(QPoint(1, 1));
    editor->SetBlockEnd(QPoint(1, 1));
    MainForm->EditPasteItemClick();
    EXPECT_EQ(line(), QStringLiteral("xselect x from t"));
    editor->Undo();
    EXPECT_EQ(line(), QStringLiteral("select x from t"));
}
