// The commands on whole databases over real databases: registering (with
// the alias picker), creating, properties, dropping, closing and
// unregistering, each checked against what the server has afterwards.

#include "ShellTest_support.h"

#include "access/QvQuery.h"
#include "app/shell/BDEList.h"
#include "app/shell/BaseMDI.h"
#include "app/shell/DBProperties.h"
#include "app/shell/DataM.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/NewDB.h"
#include "app/shell/NewDatabase.h"
#include "app/shell/ObjectOpeners.h"
#include "app/shell/TreeCommands.h"
#include "platform/DialogScript.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qvshell;

namespace {

// One value read on a connection of its own.
QString readValue(const qvtest::Target& target, const QString& path, const QString& sql,
                  const QString& password = QString())
{
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams({QStringLiteral("isc_dpb_user_name=") + target.user,
                          QStringLiteral("isc_dpb_password=") + (password.isEmpty() ? target.password : password)});
    database.Open();
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(sql);
    query.ExecQuery();
    const QString value = query.Fields(0).AsString().trimmed();
    query.Close();
    transaction.Commit();
    database.Close();
    return value;
}

QStringList comboItems(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// An editor window of a database that the test can make refuse its close.
TBaseMDI* openWindowOf(quint64 dbId)
{
    auto* window = new TBaseMDI;
    SetWindowIdentity(window, {dbId, catProcedures, QStringLiteral("P_ONE")});
    MainForm->AddChild(window);
    window->show();
    return window;
}

class DatabaseDialogsTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override { QV_SKIP_UNLESS_REACHABLE(target()); }
    const qvtest::Target& target() const { return GetParam(); }

    QString makeRegistered(const QString& name)
    {
        const QString path = createDatabase(target(), m_user.dir(), name + QStringLiteral(".fdb"),
                                            {QStringLiteral("CREATE TABLE T (A INTEGER)")});
        registerInRegistry(name, path, target().user, target().password);
        return path;
    }
    // The file behind a path the target opens.
    QString fileOf(const QString& path) const { return path.mid(target().prefix.size()); }
    quint64 idOf(const QString& name) const { return DBList->GetId(DBList->IndexOf(name)); }
    TQvDatabase* connectionOf(const QString& name) const { return DBList->GetDatabase(DBList->IndexOf(name)); }
    // Attachments to the database other than the one counting them.
    int otherAttachments(const QString& path) const
    {
        return readValue(target(), path,
                         QStringLiteral("select count(*) from mon$attachments where mon$attachment_id <> "
                                        "current_connection and mon$system_flag = 0"))
            .toInt();
    }

    IsolatedUser m_user;
    qv::DialogScript m_script;
};

TEST(CreateDatabaseText, TypedTextsAreQuotedAndNoneSendsTwoLines)
{
    EXPECT_EQ(CreateDatabaseOptions(QStringLiteral("SYSDBA"), QStringLiteral("masterkey"), QStringLiteral("4096"),
                                    QStringLiteral("NONE")),
              (QStringList{QStringLiteral("USER 'SYSDBA' PASSWORD 'masterkey' "), QStringLiteral("PAGE_SIZE 4096")}));
    EXPECT_EQ(CreateDatabaseOptions(QStringLiteral("O'NEIL"), QStringLiteral("it's' PAGE_SIZE 1024 '"),
                                    QStringLiteral("8192"), QStringLiteral("WIN1252")),
              (QStringList{QStringLiteral("USER 'O''NEIL' PASSWORD 'it''s'' PAGE_SIZE 1024 ''' "),
                           QStringLiteral("PAGE_SIZE 8192"), QStringLiteral(" DEFAULT CHARACTER SET WIN1252")}));
    EXPECT_EQ(PageSizeNames(), (QStringList{"4096", "8192", "16384"}));
    EXPECT_EQ(DatabaseSizeText(4096, 256), QStringLiteral("1.00 Mb"));
    EXPECT_EQ(DatabaseSizeText(8192, 200), QStringLiteral("1.56 Mb"));
}

TEST(AliasList, OnlyInterBaseAliasesSortedWithThePathOfTheirServerNameLine)
{
    const QString text = QStringLiteral(
        "[Zeta]\nDRIVER NAME=INTRBASE\nSERVER NAME=host:/data/zeta.gdb\nUSER NAME=SYSDBA\n"
        "[dbdemos]\nDRIVER NAME=STANDARD\nPATH=/demo\n"
        "[alpha]\nDRIVER NAME=INTRBASE\nSQLQRYMODE=\nSERVER NAME=/data/a=b.gdb\nSERVER NAME=/other.gdb\n"
        "[Empty]\nDRIVER NAME=INTRBASE\n");
    const TAliases aliases = ParseInterBaseAliases(text);
    ASSERT_EQ(aliases.size(), 3u);
    EXPECT_EQ(aliases[0].Name, QStringLiteral("alpha"));
    EXPECT_EQ(aliases[0].Path, QStringLiteral("/data/a=b.gdb"));
    EXPECT_EQ(aliases[1].Name, QStringLiteral("Empty"));
    EXPECT_EQ(aliases[1].Path, QString());
    EXPECT_EQ(aliases[2].Name, QStringLiteral("Zeta"));
    EXPECT_EQ(aliases[2].Path, QStringLiteral("host:/data/zeta.gdb"));
    EXPECT_EQ(ParseInterBaseAliases(QStringLiteral("[x]\nDRIVER NAME=INTRBASE\nSERVER NAME=") + QString(300, 'p'))
                  .front()
                  .Path.size(),
              255);
    EXPECT_TRUE(ReadInterBaseAliases(QStringLiteral("/nonexistent/aliases.cfg")).empty());
}

TEST_P(DatabaseDialogsTest, RegisterThenExpandAndThePropertiesShowWhatTheServerSays)
{
    const QString path = createDatabase(target(), m_user.dir(), QStringLiteral("reg.fdb"));
    Shell shell;
    MainTree->Tree()->setCurrentItem(MainTree->TopNode());
    m_script.onModal([&](QDialog& dialog) {
        auto& registration = dynamic_cast<TNewDB&>(dialog);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Register database"));
        EXPECT_FALSE(registration.OkBtn()->isEnabled());
        EXPECT_EQ(registration.Charset(), QStringLiteral("NONE"));
        EXPECT_TRUE(comboItems(registration.CharSet()).contains(QStringLiteral("UTF8")));
        registration.DBName()->setText(QStringLiteral("Reg"));
        EXPECT_TRUE(registration.OkBtn()->isEnabled());
        registration.DBPath()->setText(path);
        registration.UserName()->setText(target().user);
        registration.Passwd()->setText(target().password);
        registration.RemPasswd()->setChecked(true);
        registration.SelectCharset(QStringLiteral("UTF8"));
        QTest::mouseClick(registration.OkBtn(), Qt::LeftButton);
    });
    MainForm->ToolRegisterDB->trigger();
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Reg"));
    ASSERT_NE(node, nullptr);
    const int index = DBList->IndexOf(QStringLiteral("Reg"));
    EXPECT_EQ(DBList->GetPath(index), path);
    EXPECT_EQ(DBList->GetPassword(index), target().password);
    EXPECT_EQ(DBList->GetCharset(index), QStringLiteral("UTF8"));

    // Not connected yet: no properties.
    MainTree->Tree()->setCurrentItem(node);
    m_script.answerMessage(qv::mrOk);
    MainTree->Commands()->DatabaseProperties1->trigger();
    EXPECT_EQ(m_script.messages(), QStringList{QStringLiteral("Database is not opened !")});
    EXPECT_EQ(m_script.shown().back().type, qv::mtError);

    expand(node);
    ASSERT_TRUE(TMainTree::NodeData(node));
    TQvDatabase direct;
    direct.SetDBName(path);
    direct.SetDBParams(qvtest::connectParams(target()));
    direct.Open();
    bool shown = false;
    m_script.onModal([&](QDialog& dialog) {
        shown = true;
        auto& properties = dynamic_cast<TDBProperties&>(dialog);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Database Properties"));
        EXPECT_EQ(properties.Field("ODSVer")->text(), QStringLiteral("12.0"));
        EXPECT_EQ(properties.Field("FW")->text(), direct.ForcedWrites() == 1 ? QStringLiteral("ON") : QStringLiteral("OFF"));
        EXPECT_EQ(properties.Field("PageSize")->text(), QStringLiteral("4096"));
        const qint64 pages = properties.Field("PageAlloc")->text().toLongLong();
        EXPECT_GT(pages, 0);
        EXPECT_EQ(properties.Field("DBSize")->text(), DatabaseSizeText(4096, pages));
        EXPECT_TRUE(properties.Field("DBPath")->text().endsWith(QStringLiteral("reg.fdb")));
        EXPECT_EQ(properties.Field("DBPath")->toolTip(), properties.Field("DBPath")->text());
        EXPECT_FALSE(properties.Field("Ver")->text().isEmpty());
        EXPECT_GT(properties.Field("Buffers")->text().toInt(), 0);
        EXPECT_TRUE(properties.Field("Sweep")->isReadOnly());
        dialog.accept();
    });
    MainTree->Commands()->DatabaseProperties1Click();
    EXPECT_TRUE(shown);
    direct.Close();
}

TEST_P(DatabaseDialogsTest, CreateWithNoneAndWithWin1252GivesConnectableDatabases)
{
    Shell shell;
    struct Case
    {
        QString name, charset, pageSize;
    };
    for (const Case& c : {Case{"NoneDB", "NONE", "4096"}, Case{"AnsiDB", "WIN1252", "8192"}}) {
        const QString path = target().databasePath(m_user.dir(), c.name + QStringLiteral(".fdb"));
        m_script.onModal([&](QDialog& dialog) {
            auto& create = dynamic_cast<TNewDatabase&>(dialog);
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Create database"));
            EXPECT_FALSE(create.CreateBtn()->isEnabled());
            EXPECT_EQ(comboItems(create.Pagesize()), PageSizeNames());
            EXPECT_EQ(create.Pagesize()->currentText(), QStringLiteral("4096"));
            EXPECT_EQ(create.CharSet()->currentText(), QStringLiteral("NONE"));
            EXPECT_EQ(create.UserName()->text(), QStringLiteral("SYSDBA"));
            create.DBName()->setText(c.name);
            create.DBPath()->setText(path);
            create.UserName()->setText(target().user);
            create.Passwd()->setText(target().password);
            create.Pagesize()->setCurrentText(c.pageSize);
            create.CharSet()->setCurrentText(c.charset);
            QTest::mouseClick(create.CreateBtn(), Qt::LeftButton);
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
        });
        MainForm->ToolCreateDB->trigger();
        EXPECT_EQ(readValue(target(), path, QStringLiteral("select rdb$character_set_name from rdb$database")),
                  c.charset);
        EXPECT_EQ(readValue(target(), path, QStringLiteral("select mon$page_size from mon$database")), c.pageSize);
        const int index = DBList->IndexOf(c.name);
        ASSERT_GE(index, 0);
        EXPECT_EQ(DBList->GetPath(index), path);
        EXPECT_EQ(DBList->GetPassword(index), target().password);
        EXPECT_EQ(DBList->GetCharset(index), c.charset);
        QTreeWidgetItem* node = databaseNode(c.name);
        ASSERT_NE(node, nullptr);
        expand(node);
        EXPECT_TRUE(TMainTree::NodeData(node));
        EXPECT_EQ(node->childCount(), 8);
    }
    EXPECT_TRUE(m_script.messages().isEmpty());
}

TEST_P(DatabaseDialogsTest, ACreateThatFailsKeepsTheDialogAndRegistersNothing)
{
    Shell shell;
    const QString path = target().databasePath(m_user.dir(), QStringLiteral("missing/folder/x.fdb"));
    m_script.answerMessage(qv::mrOk);
    m_script.onModal([&](QDialog& dialog) {
        auto& create = dynamic_cast<TNewDatabase&>(dialog);
        create.DBName()->setText(QStringLiteral("Broken"));
        create.DBPath()->setText(path);
        create.Passwd()->setText(target().password);
        EXPECT_FALSE(create.CreateBtnClick());
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(create.DBPath()->text(), path);
        dialog.reject();
    });
    MainForm->CreatedatabaseBtnClick();
    ASSERT_EQ(m_script.messages().size(), 1);
    EXPECT_TRUE(m_script.messages()[0].contains(QStringLiteral("x.fdb"))) << qPrintable(m_script.messages()[0]);
    EXPECT_EQ(DBList->IndexOf(QStringLiteral("Broken")), -1);
    EXPECT_EQ(databaseNode(QStringLiteral("Broken")), nullptr);
}

TEST_P(DatabaseDialogsTest, APasswordWithQuotesCannotExtendTheCreateStatement)
{
    if (target().isServer())
        GTEST_SKIP() << "the server checks the password; the embedded engine shows the statement's parsing alone";
    Shell shell;
    const QString path = target().databasePath(m_user.dir(), QStringLiteral("quoted.fdb"));
    const QString password = QStringLiteral("it's' PAGE_SIZE 16384 '");
    m_script.onModal([&](QDialog& dialog) {
        auto& create = dynamic_cast<TNewDatabase&>(dialog);
        create.DBName()->setText(QStringLiteral("Quoted"));
        create.DBPath()->setText(path);
        create.Passwd()->setText(password);
        EXPECT_TRUE(create.CreateBtnClick());
    });
    MainForm->CreatedatabaseBtnClick();
    EXPECT_TRUE(m_script.messages().isEmpty()) << qPrintable(m_script.messages().join(QLatin1Char('\n')));
    EXPECT_EQ(readValue(target(), path, QStringLiteral("select mon$page_size from mon$database")),
              QStringLiteral("4096"));
    EXPECT_EQ(DBList->GetPassword(DBList->IndexOf(QStringLiteral("Quoted"))), password);
}

TEST_P(DatabaseDialogsTest, DropAsksConnectsDeletesTheFileAndRemovesTheNode)
{
    const QString path = makeRegistered(QStringLiteral("Doomed"));
    makeRegistered(QStringLiteral("Kept"));
    Shell shell;
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Doomed"));
    MainTree->Tree()->setCurrentItem(node);
    const QString question = QStringLiteral(
        "Dropping a database will permanently delete database file and this file cannot be restored. Continue ?");
    m_script.answerMessage(qv::mrNo);
    QTest::keyClick(MainTree->Tree(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(m_script.messages(), QStringList{question});
    EXPECT_TRUE(QFile::exists(fileOf(path)));
    EXPECT_EQ(connectionOf(QStringLiteral("Doomed")), nullptr);

    m_script.clearShown();
    m_script.answerMessage(qv::mrYes);
    m_script.answerMessage(qv::mrOk);
    MainForm->ToolDropDB->trigger();
    EXPECT_EQ(m_script.messages(), (QStringList{question, QStringLiteral("Database dropped !")}));
    EXPECT_EQ(m_script.shown().back().type, qv::mtInformation);
    EXPECT_FALSE(QFile::exists(fileOf(path)));
    EXPECT_EQ(databaseNode(QStringLiteral("Doomed")), nullptr);
    EXPECT_EQ(DBList->IndexOf(QStringLiteral("Doomed")), -1);
    EXPECT_EQ(DBList->Count(), 1);
    EXPECT_NE(databaseNode(QStringLiteral("Kept")), nullptr);
    // The shared transaction still works on the other database.
    expand(databaseNode(QStringLiteral("Kept")));
    EXPECT_TRUE(TMainTree::NodeData(databaseNode(QStringLiteral("Kept"))));
}

TEST_P(DatabaseDialogsTest, CloseAsksItsWindowsAndARefusalKeepsTheDatabaseConnected)
{
    const QString path = makeRegistered(QStringLiteral("Shop"));
    Shell shell;
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Shop"));
    expand(node);
    QTreeWidgetItem* tables = categoryNode(node, QStringLiteral("Tables"));
    expand(tables);
    MainTree->Tree()->setCurrentItem(tables->child(0));
    const quint64 id = idOf(QStringLiteral("Shop"));
    TQvDatabase* database = connectionOf(QStringLiteral("Shop"));
    QPointer<TBaseMDI> window = openWindowOf(id);
    window->MarkModified();
    const QString question = QStringLiteral("Are ypu want to close database and all connected windows ?");

    // The window's "Save changes ?" answered Cancel: nothing is closed.
    m_script.answerMessage(qv::mrYes);
    m_script.answerMessage(qv::mrCancel);
    MainForm->CloseDBBtn->trigger();
    EXPECT_EQ(m_script.messages(), (QStringList{question, QStringLiteral("Save changes ?")}));
    EXPECT_TRUE(window);
    EXPECT_TRUE(database->Connected());
    EXPECT_TRUE(TMainTree::NodeData(node));
    EXPECT_TRUE(node->isExpanded());
    EXPECT_EQ(otherAttachments(path), 1);

    m_script.clearShown();
    m_script.answerMessage(qv::mrYes);
    m_script.answerMessage(qv::mrNo);
    MainForm->CloseDBBtn->trigger();
    EXPECT_EQ(m_script.messages(), (QStringList{question, QStringLiteral("Save changes ?")}));
    EXPECT_FALSE(window);
    EXPECT_EQ(connectionOf(QStringLiteral("Shop")), database);
    EXPECT_FALSE(database->Connected());
    EXPECT_LT(DM->IBTran()->FindDatabase(database), 0);
    EXPECT_FALSE(TMainTree::NodeData(node));
    EXPECT_FALSE(node->isExpanded());
    EXPECT_EQ(node->childCount(), 8);
    EXPECT_EQ(otherAttachments(path), 0);

    // Nothing connected: no question.
    MainForm->CloseDBBtn->trigger();
    EXPECT_EQ(m_script.messages().size(), 2);

    // The next expansion connects anew.
    expand(node);
    EXPECT_TRUE(database->Connected());
    EXPECT_TRUE(TMainTree::NodeData(node));
    EXPECT_GE(DM->IBTran()->FindDatabase(database), 0);
    expand(categoryNode(node, QStringLiteral("Tables")));
    EXPECT_EQ(childTexts(categoryNode(node, QStringLiteral("Tables"))), QStringList{QStringLiteral("T")});
}

TEST_P(DatabaseDialogsTest, UnregisteringAConnectedDatabaseClosesItsWindowsAndItsAttachment)
{
    const QString path = makeRegistered(QStringLiteral("Shop"));
    makeRegistered(QStringLiteral("Other"));
    Shell shell;
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Shop"));
    expand(node);
    expand(databaseNode(QStringLiteral("Other")));
    const quint64 otherId = idOf(QStringLiteral("Other"));
    QPointer<TBaseMDI> window = openWindowOf(idOf(QStringLiteral("Shop")));
    QPointer<TBaseMDI> otherWindow = openWindowOf(otherId);
    QPointer<TQvDatabase> database = connectionOf(QStringLiteral("Shop"));
    EXPECT_EQ(otherAttachments(path), 1);

    MainTree->Tree()->setCurrentItem(node);
    m_script.answerMessage(qv::mrYes);
    MainForm->ToolUnregDB->trigger();
    EXPECT_EQ(m_script.messages(), QStringList{QStringLiteral("Are you really want to unregister database ?")});
    EXPECT_FALSE(window);
    EXPECT_FALSE(database);
    EXPECT_EQ(otherAttachments(path), 0);
    EXPECT_EQ(databaseNode(QStringLiteral("Shop")), nullptr);
    EXPECT_EQ(DBList->IndexOf(QStringLiteral("Shop")), -1);
    // The other database and its window stay where they were.
    ASSERT_TRUE(otherWindow);
    EXPECT_EQ(WindowIdentityOf(otherWindow).DBId, otherId);
    EXPECT_TRUE(connectionOf(QStringLiteral("Other"))->Connected());
    EXPECT_GE(DM->IBTran()->FindDatabase(connectionOf(QStringLiteral("Other"))), 0);
    // The shared statement still lists the other database's objects.
    QTreeWidgetItem* otherTables = categoryNode(databaseNode(QStringLiteral("Other")), QStringLiteral("Tables"));
    expand(otherTables);
    EXPECT_EQ(childTexts(otherTables), QStringList{QStringLiteral("T")});
    EXPECT_TRUE(m_script.messages().size() == 1);
    // The registry no longer has it either.
    QFile registry(m_user.registryFile());
    ASSERT_TRUE(registry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(registry.readAll());
    EXPECT_FALSE(text.contains(QStringLiteral("Databases\\Shop]"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("Databases\\Other]"))) << qPrintable(text);
}

TEST_P(DatabaseDialogsTest, EditKeepsAStoredCharacterSetTheOldListLackedAndTheAliasPickerFillsTheDialog)
{
    const QString path = createDatabase(target(), m_user.dir(), QStringLiteral("u.fdb"));
    registerInRegistry(QStringLiteral("Utf"), path, target().user, target().password, QStringLiteral("UTF8"));
    registerInRegistry(QStringLiteral("Odd"), path, target().user, target().password, QStringLiteral("UNICODE"));
    Shell shell;
    for (const QString& name : {QStringLiteral("Utf"), QStringLiteral("Odd")}) {
        const QString stored = DBList->GetCharset(DBList->IndexOf(name));
        m_script.onModal([&](QDialog& dialog) {
            auto& registration = dynamic_cast<TNewDB&>(dialog);
            EXPECT_EQ(registration.Charset(), stored);
            dialog.accept();
        });
        EXPECT_TRUE(MainForm->EditRegistration(idOf(name)));
        EXPECT_EQ(DBList->GetCharset(DBList->IndexOf(name)), stored);
    }
    expand(databaseNode(QStringLiteral("Utf")));
    EXPECT_TRUE(TMainTree::NodeData(databaseNode(QStringLiteral("Utf"))));

    const QString aliasFile = m_user.dir().filePath(QStringLiteral("aliases.cfg"));
    QFile file(aliasFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Zeta]\nDRIVER NAME=INTRBASE\nSERVER NAME=/z.gdb\n[Paradox]\nDRIVER NAME=PARADOX\nPATH=/p\n"
               "[Alpha]\nDRIVER NAME=INTRBASE\nSERVER NAME=" + path.toUtf8() + "\n");
    file.close();
    qputenv("QORVANE_ALIASES", aliasFile.toUtf8());
    MainTree->Tree()->setCurrentItem(MainTree->TopNode());
    m_script.onModal([](QDialog& dialog) {
        auto& registration = dynamic_cast<TNewDB&>(dialog);
        EXPECT_TRUE(registration.SelectBDE()->isEnabled());
        QTest::mouseClick(registration.SelectBDE(), Qt::LeftButton);
        registration.Passwd()->setText(QStringLiteral("x"));
        dialog.accept();
    });
    m_script.onModal([](QDialog& dialog) {
        auto& picker = dynamic_cast<TBDEList&>(dialog);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("BDE Aliases"));
        ASSERT_EQ(picker.AList()->rowCount(), 2);
        EXPECT_EQ(picker.AList()->item(0, 0)->text(), QStringLiteral("Alpha"));
        EXPECT_EQ(picker.AList()->item(1, 0)->text(), QStringLiteral("Zeta"));
        EXPECT_EQ(picker.AList()->horizontalHeaderItem(1)->text(), QStringLiteral("Database Path"));
        picker.AList()->selectRow(0);
        dialog.accept();
    });
    MainForm->Registerdatabase1Click();
    qunsetenv("QORVANE_ALIASES");
    const int index = DBList->IndexOf(QStringLiteral("Alpha"));
    ASSERT_GE(index, 0);
    EXPECT_EQ(DBList->GetPath(index), path);
    // "Remember password" unchecked: nothing stored, the first expansion asks.
    EXPECT_EQ(DBList->GetPassword(index), QString());
}

INSTANTIATE_TEST_SUITE_P(Targets, DatabaseDialogsTest, ::testing::ValuesIn(qvtest::allTargets()),
                         qvtest::targetName);

} // namespace
