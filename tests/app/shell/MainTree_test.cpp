// The tree window over real databases: connecting on expansion, the eight
// categories, the objects each lists, descriptions, and the connect failures.

#include "ShellTest_support.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "app/shell/DataM.h"
#include "app/shell/GetDBPasswd.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/NewDB.h"
#include "app/shell/ShellImages.h"
#include "platform/DialogScript.h"
#include "platform/Registry.h"

#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qvshell;

namespace {

const QStringList kShopSchema{
    QStringLiteral("CREATE DOMAIN D_CODE AS VARCHAR(10)"),
    QStringLiteral("CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, CODE D_CODE, "
                   "CREDIT NUMERIC(9,2) CHECK (CREDIT >= 0))"),
    QStringLiteral("CREATE TABLE ORDERS (ID INTEGER NOT NULL, CUST INTEGER REFERENCES CUSTOMER(ID) "
                   "ON DELETE CASCADE)"),
    QStringLiteral("CREATE VIEW V_CUST AS SELECT ID FROM CUSTOMER"),
    QStringLiteral("CREATE GENERATOR G_ORDERS"),
    QStringLiteral("CREATE EXCEPTION E_FAIL 'failed'"),
    QStringLiteral("CREATE PROCEDURE P_ONE RETURNS (X INTEGER) AS BEGIN X = 1; SUSPEND; END"),
    QStringLiteral("CREATE TRIGGER CUSTOMER_BU FOR CUSTOMER BEFORE UPDATE AS BEGIN NEW.CODE = UPPER(NEW.CODE); END"),
    QStringLiteral("DECLARE EXTERNAL FUNCTION F_ABS DOUBLE PRECISION RETURNS DOUBLE PRECISION BY VALUE "
                   "ENTRY_POINT 'IB_UDF_abs' MODULE_NAME 'ib_udf'"),
    QStringLiteral("COMMENT ON TABLE CUSTOMER IS 'People\r\nwho buy\nthings'"),
    QStringLiteral("COMMENT ON TRIGGER CUSTOMER_BU IS 'Upper-cases codes'"),
    QStringLiteral("COMMENT ON DOMAIN D_CODE IS 'Short codes'"),
};

class TreeTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(target());
    }
    const qvtest::Target& target() const { return GetParam(); }

    QString makeShop(const QString& file = QStringLiteral("shop.fdb"))
    {
        return createDatabase(target(), m_user.dir(), file, kShopSchema);
    }
    void registerShop(const QString& name, const QString& path)
    {
        registerInRegistry(name, path, target().user, target().password);
    }
    QTreeWidgetItem* connectedShop(const QString& name = QStringLiteral("Shop"))
    {
        QTreeWidgetItem* node = databaseNode(name);
        if (node)
            expand(node);
        return node;
    }

    IsolatedUser m_user;
    qv::DialogScript m_script;
};

QStringList allCategories()
{
    return QStringList(CategoryNames.begin(), CategoryNames.end());
}

// The paints each widget receives while it lives.
class PaintLog : public QObject
{
public:
    PaintLog() { qApp->installEventFilter(this); }
    ~PaintLog() override { qApp->removeEventFilter(this); }
    int Of(const QObject* widget) const { return m_paints.value(widget); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints[watched];
        return false;
    }

private:
    QHash<const QObject*, int> m_paints;
};

// Lets the event loop paint whatever waits, the platform's paint timer included.
void paintPending()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST_P(TreeTest, ExpandingADatabaseConnectsAndShowsTheEightCategories)
{
    const QString path = makeShop();
    registerShop(QStringLiteral("Shop"), path);
    Shell shell;
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Shop"));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(childTexts(node), QStringList{QStringLiteral("---")});
    EXPECT_FALSE(TMainTree::NodeData(node));

    expand(node);
    EXPECT_TRUE(node->isExpanded());
    EXPECT_TRUE(TMainTree::NodeData(node));
    EXPECT_EQ(childTexts(node), allCategories());
    for (int i = 0; i < node->childCount(); ++i) {
        EXPECT_EQ(childTexts(node->child(i)), QStringList{QStringLiteral("---")});
        EXPECT_EQ(TMainTree::NodeImage(node->child(i)), tiCategory);
    }
    const int index = DBList->IndexOf(QStringLiteral("Shop"));
    ASSERT_NE(DBList->GetDatabase(index), nullptr);
    EXPECT_TRUE(DBList->GetDatabase(index)->Connected());
    EXPECT_GE(DM->IBTran()->FindDatabase(DBList->GetDatabase(index)), 0);
    EXPECT_FALSE(DM->IBTran()->Active());

    MainTree->Tree()->setCurrentItem(node);
    EXPECT_EQ(MainForm->StatusPanel(0), QStringLiteral("Current database: ") + path);
    EXPECT_TRUE(m_script.shown().empty());

    // Tables, views and procedures become the link words of SQL texts, once.
    auto names = [&] {
        QStringList list;
        for (const TDBObjectName& name : DBList->GetObjectNames(index))
            list << QStringLiteral("%1:%2").arg(name.Name).arg(name.Kind);
        return list;
    };
    const QStringList expected{QStringLiteral("CUSTOMER:1"), QStringLiteral("ORDERS:1"),
                               QStringLiteral("V_CUST:2"), QStringLiteral("P_ONE:3")};
    EXPECT_EQ(names(), expected);
    MainTree->FillObjectNames(index);
    EXPECT_EQ(names(), expected);
}

TEST_P(TreeTest, EachCategoryListsExactlyTheUserObjects)
{
    registerShop(QStringLiteral("Shop"), makeShop());
    Shell shell;
    QTreeWidgetItem* shop = connectedShop();
    ASSERT_NE(shop, nullptr);

    const struct
    {
        QString category;
        QStringList objects;
        int image;
    } expected[] = {
        {QStringLiteral("Tables"), {QStringLiteral("CUSTOMER"), QStringLiteral("ORDERS")}, tiTable},
        {QStringLiteral("Views"), {QStringLiteral("V_CUST")}, tiView},
        {QStringLiteral("Procedures"), {QStringLiteral("P_ONE")}, tiProcedure},
        // Neither the check constraint's nor the cascading key's system triggers.
        {QStringLiteral("Triggers"), {QStringLiteral("CUSTOMER_BU")}, tiTrigger},
        {QStringLiteral("Domains"), {QStringLiteral("D_CODE")}, tiDomain},
        {QStringLiteral("Generators"), {QStringLiteral("G_ORDERS")}, tiGenerator},
        {QStringLiteral("User-defined Functions"), {QStringLiteral("F_ABS")}, tiFunction},
        {QStringLiteral("Exceptions"), {QStringLiteral("E_FAIL")}, tiException},
    };
    for (const auto& category : expected) {
        SCOPED_TRACE(category.category.toStdString());
        QTreeWidgetItem* node = categoryNode(shop, category.category);
        ASSERT_NE(node, nullptr);
        expand(node);
        EXPECT_TRUE(node->isExpanded());
        EXPECT_TRUE(TMainTree::NodeData(node));
        EXPECT_EQ(TMainTree::NodeImage(node), tiCategoryOpen);
        EXPECT_EQ(MainTree->Tree()->currentItem(), node);
        EXPECT_EQ(childTexts(node), category.objects);
        for (int i = 0; i < node->childCount(); ++i)
            EXPECT_EQ(TMainTree::NodeImage(node->child(i)), category.image);
        node->setExpanded(false);
        EXPECT_EQ(TMainTree::NodeImage(node), tiCategory);
    }
    EXPECT_FALSE(DM->IBTran()->Active());
    EXPECT_TRUE(m_script.shown().empty());
}

TEST_P(TreeTest, SystemTablesAreHiddenUnlessTheOptionShowsThem)
{
    registerShop(QStringLiteral("Shop"), makeShop());
    {
        Shell shell;
        QTreeWidgetItem* tables = categoryNode(connectedShop(), QStringLiteral("Tables"));
        expand(tables);
        for (const QString& name : childTexts(tables)) {
            EXPECT_FALSE(name.contains(QLatin1String("RDB$"))) << name.toStdString();
            EXPECT_FALSE(name.startsWith(QLatin1String("MON$"))) << name.toStdString();
            EXPECT_FALSE(name.startsWith(QLatin1String("SEC$"))) << name.toStdString();
        }
    }
    writeOption(QStringLiteral("ShowSystemTables"), 1);
    Shell shell;
    QTreeWidgetItem* tables = categoryNode(connectedShop(), QStringLiteral("Tables"));
    expand(tables);
    const QStringList names = childTexts(tables);
    for (const char* name : {"RDB$RELATIONS", "MON$DATABASE", "SEC$USERS", "CUSTOMER"})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
    // Views stay out of the tables whatever the option says.
    EXPECT_FALSE(names.contains(QStringLiteral("V_CUST")));
}

TEST_P(TreeTest, DescriptionsBelongToTheirDatabaseAndARefreshReplacesThem)
{
    registerShop(QStringLiteral("First"), makeShop(QStringLiteral("first.fdb")));
    const QString second = makeShop(QStringLiteral("second.fdb"));
    execute(target(), second, {QStringLiteral("COMMENT ON TABLE CUSTOMER IS 'Second customers'")});
    registerShop(QStringLiteral("Second"), second);
    writeOption(QStringLiteral("ShowDescription"), 2);
    Shell shell;
    MainForm->ShowDescriptionsMenu->trigger();
    ASSERT_TRUE(MainForm->ShowDescriptionsMenu->isChecked());

    QTreeWidgetItem* firstTables = categoryNode(connectedShop(QStringLiteral("First")), QStringLiteral("Tables"));
    QTreeWidgetItem* secondTables = categoryNode(connectedShop(QStringLiteral("Second")), QStringLiteral("Tables"));
    expand(firstTables);
    expand(secondTables);
    // Line breaks of any kind become two blanks.
    const QString firstText = QStringLiteral("People  who buy  things");
    EXPECT_EQ(MainTree->NodeDescription(firstTables->child(0)), firstText);
    EXPECT_EQ(MainTree->NodeDescription(secondTables->child(0)), QStringLiteral("Second customers"));
    EXPECT_EQ(MainTree->NodeDescription(firstTables->child(1)), QString());

    MainTree->Tree()->setCurrentItem(firstTables->child(0));
    EXPECT_EQ(MainForm->StatusPanel(1), QStringLiteral("Comment: ") + firstText);
    MainTree->Tree()->setCurrentItem(secondTables->child(0));
    EXPECT_EQ(MainForm->StatusPanel(1), QStringLiteral("Comment: Second customers"));
    MainTree->Tree()->setCurrentItem(firstTables->child(1));
    EXPECT_EQ(MainForm->StatusPanel(1), QStringLiteral("Comment: "));

    // Changed on the server: collapsing and expanding asks nothing anew, a refresh does.
    execute(target(), DBList->GetPath(DBList->IndexOf(QStringLiteral("First"))),
            {QStringLiteral("COMMENT ON TABLE CUSTOMER IS 'Changed'"),
             QStringLiteral("CREATE TABLE ADDED (A INTEGER)")});
    firstTables->setExpanded(false);
    expand(firstTables);
    EXPECT_EQ(childTexts(firstTables), (QStringList{QStringLiteral("CUSTOMER"), QStringLiteral("ORDERS")}));
    MainTree->Tree()->setCurrentItem(firstTables->child(1));
    MainForm->Refresh1Click();
    EXPECT_EQ(childTexts(firstTables),
              (QStringList{QStringLiteral("ADDED"), QStringLiteral("CUSTOMER"), QStringLiteral("ORDERS")}));
    EXPECT_EQ(MainTree->NodeDescription(firstTables->child(1)), QStringLiteral("Changed"));
    EXPECT_EQ(MainTree->NodeDescription(secondTables->child(0)), QStringLiteral("Second customers"));
}

TEST_P(TreeTest, ARefreshPaintsTheCategorysRowsOnceAndNotTheWindowAroundThem)
{
    registerShop(QStringLiteral("Shop"), makeShop());
    Shell shell;
    QTreeWidgetItem* tables = categoryNode(connectedShop(), QStringLiteral("Tables"));
    ASSERT_NE(tables, nullptr);
    expand(tables);
    MainTree->Tree()->setCurrentItem(tables);
    QMdiSubWindow* frame = qobject_cast<QMdiSubWindow*>(MainTree->parentWidget());
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(MainTree->isVisible());
    paintPending();

    execute(target(), DBList->GetPath(DBList->IndexOf(QStringLiteral("Shop"))),
            {QStringLiteral("CREATE TABLE ADDED (A INTEGER)")});
    const PaintLog paints;
    MainForm->Refresh1Click();
    paintPending();
    EXPECT_EQ(childTexts(tables), (QStringList{QStringLiteral("ADDED"), QStringLiteral("CUSTOMER"),
                                               QStringLiteral("ORDERS")}));
    QWidget* rows = MainTree->Tree()->viewport();
    EXPECT_EQ(paints.Of(rows), 1);
    EXPECT_EQ(paints.Of(MainTree->Tree()), 0);
    EXPECT_EQ(paints.Of(MainTree), 0);
    EXPECT_EQ(paints.Of(frame), 0);

    // What was painted shows each new row's caption beside its picture.
    const QImage shown = rows->grab().toImage();
    const QRect row = MainTree->Tree()->visualItemRect(tables->child(0));
    const QRgb background = shown.pixel(rows->width() - 1, row.center().y());
    int inked = 0;
    for (int x = row.left() + MainTree->Tree()->iconSize().width() + 4; x < row.right() && x < shown.width(); ++x)
        for (int y = row.top(); y <= row.bottom(); ++y)
            inked += shown.pixel(x, y) != background ? 1 : 0;
    EXPECT_GT(inked, 20);
}

TEST_P(TreeTest, ARefreshOfAnOpenCategoryNeitherClosesItNorResizesTheScrollBar)
{
    QStringList schema = kShopSchema;
    for (int i = 0; i < 80; ++i)
        schema << QStringLiteral("CREATE TABLE T_%1 (A INTEGER)").arg(i, 3, 10, QLatin1Char('0'));
    registerShop(QStringLiteral("Shop"), createDatabase(target(), m_user.dir(), QStringLiteral("many.fdb"), schema));
    Shell shell;
    QTreeWidgetItem* tables = categoryNode(connectedShop(), QStringLiteral("Tables"));
    ASSERT_NE(tables, nullptr);
    expand(tables);
    ASSERT_EQ(tables->childCount(), 82);
    paintPending();
    QScrollBar* scroll = MainTree->Tree()->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 40);
    MainTree->Tree()->setCurrentItem(tables->child(70));

    int closed = 0;
    int ranges = 0;
    const QMetaObject::Connection collapse =
        QObject::connect(MainTree->Tree(), &QTreeWidget::itemCollapsed, [&] { ++closed; });
    const QMetaObject::Connection range = QObject::connect(scroll, &QScrollBar::rangeChanged, [&] { ++ranges; });
    MainForm->Refresh1Click();
    paintPending();
    QObject::disconnect(collapse);
    QObject::disconnect(range);
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(ranges, 0);
    EXPECT_EQ(tables->childCount(), 82);
    EXPECT_TRUE(tables->isExpanded());
    EXPECT_EQ(TMainTree::NodeImage(tables), tiCategoryOpen);
    EXPECT_EQ(MainTree->Tree()->currentItem(), tables);
}

TEST_P(TreeTest, CommentsAndTriggerTypesInTheNodeText)
{
    registerShop(QStringLiteral("Shop"), makeShop());
    writeOption(QStringLiteral("ShowDescription"), 1);
    writeOption(QStringLiteral("ShowTriggerType"), 1);
    Shell shell;
    QTreeWidgetItem* shop = connectedShop();
    QTreeWidgetItem* tables = categoryNode(shop, QStringLiteral("Tables"));
    QTreeWidgetItem* triggers = categoryNode(shop, QStringLiteral("Triggers"));
    expand(tables);
    expand(triggers);
    EXPECT_EQ(childTexts(tables),
              (QStringList{QStringLiteral("CUSTOMER       (Comment: People  who buy  things)"),
                           QStringLiteral("ORDERS")}));
    ASSERT_EQ(triggers->childCount(), 1);
    EXPECT_EQ(triggers->child(0)->text(0),
              QStringLiteral("CUSTOMER_BU       [Table: CUSTOMER  BEFORE UPDATE]       (Comment: Upper-cases codes)"));
    // Found by its name, the suffix notwithstanding.
    EXPECT_EQ(MainTree->NodeDescription(triggers->child(0)), QStringLiteral("Upper-cases codes"));

    // With descriptions shown, selecting rewrites the text from the name and the description.
    MainForm->ShowDescriptionsMenu->trigger();
    MainTree->Tree()->setCurrentItem(triggers->child(0));
    EXPECT_EQ(triggers->child(0)->text(0), QStringLiteral("CUSTOMER_BU       (Comment: Upper-cases codes)"));
    MainTree->Tree()->setCurrentItem(tables->child(1));
    EXPECT_EQ(tables->child(1)->text(0), QStringLiteral("ORDERS"));
}

TEST_P(TreeTest, AFailedFillRollsTheSharedTransactionBackAndARefreshReloads)
{
    registerShop(QStringLiteral("Shop"), makeShop());
    Shell shell;
    QTreeWidgetItem* shop = connectedShop();
    QTreeWidgetItem* tables = categoryNode(shop, QStringLiteral("Tables"));
    // The entry loses its connection behind the tree's back: the shared
    // transaction starts, the select cannot run.
    TQvDatabase* connection = DBList->GetDatabase(0);
    DBList->SetDatabase(0, nullptr);
    m_script.answerMessage(qv::mrOk);
    expand(tables);
    ASSERT_EQ(m_script.messages().size(), 1);
    EXPECT_FALSE(DM->IBTran()->Active());
    EXPECT_FALSE(tables->isExpanded());
    EXPECT_TRUE(TMainTree::NodeData(tables));
    EXPECT_EQ(tables->childCount(), 0);

    DBList->SetDatabase(0, connection);
    MainTree->Tree()->setCurrentItem(tables);
    MainForm->Refresh1Click();
    EXPECT_TRUE(tables->isExpanded());
    EXPECT_EQ(childTexts(tables), (QStringList{QStringLiteral("CUSTOMER"), QStringLiteral("ORDERS")}));
    EXPECT_FALSE(DM->IBTran()->Active());
}

TEST_P(TreeTest, TheHintWindowShowsADescriptionUnderItsNode)
{
    registerShop(QStringLiteral("Shop"), makeShop());
    writeOption(QStringLiteral("ShowDescription"), 3);
    Shell shell;
    MainForm->ShowDescriptionsMenu->trigger();
    QTreeWidgetItem* tables = categoryNode(connectedShop(), QStringLiteral("Tables"));
    expand(tables);
    MainTree->Tree()->setCurrentItem(tables->child(0));
    EXPECT_TRUE(MainTree->HintWindow()->isVisible());
    EXPECT_EQ(MainTree->HintWindow()->text(), QStringLiteral("People  who buy  things"));
    const QRect node = MainTree->Tree()->visualItemRect(tables->child(0));
    EXPECT_GT(MainTree->HintWindow()->y(), MainTree->Tree()->viewport()->mapToGlobal(node.topLeft()).y());
    // No description, no hint; the node text stays as it is.
    MainTree->Tree()->setCurrentItem(tables->child(1));
    EXPECT_FALSE(MainTree->HintWindow()->isVisible());
    EXPECT_EQ(tables->child(0)->text(0), QStringLiteral("CUSTOMER"));
}

TEST_P(TreeTest, ACancelledPasswordPromptLeavesTheNodeClosed)
{
    registerInRegistry(QStringLiteral("Shop"), makeShop(), target().user, QString());
    Shell shell;
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Shop"));
    m_script.onModal([](QDialog& dialog) {
        EXPECT_EQ(&dialog, GetDBPasswd);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Enter database password"));
        dialog.reject();
    });
    expand(node);
    EXPECT_FALSE(node->isExpanded());
    EXPECT_EQ(childTexts(node), QStringList{QStringLiteral("---")});
    EXPECT_FALSE(TMainTree::NodeData(node));
    EXPECT_EQ(DBList->GetDatabase(0), nullptr);

    // Asked again; typed and remembered this time.
    m_script.onModal([this](QDialog& dialog) {
        GetDBPasswd->Passwd()->setText(target().password);
        GetDBPasswd->RemPasswd()->setChecked(true);
        dialog.accept();
    });
    expand(node);
    EXPECT_TRUE(node->isExpanded());
    EXPECT_EQ(childTexts(node), allCategories());
    EXPECT_EQ(DBList->GetPassword(0), target().password);
    EXPECT_EQ(m_script.pendingAnswers(), 0);
}

TEST_P(TreeTest, AFailedAttachmentOffersTheRegistrationAndRetriesWithTheCorrection)
{
    const QString path = makeShop();
    registerShop(QStringLiteral("Shop"), path + QStringLiteral(".missing"));
    Shell shell;
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Shop"));

    // The server's reason comes first, then the registration to correct.
    m_script.answerMessage(qv::mrOk);
    m_script.onModal([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit registration information"));
        dialog.reject();
    });
    expand(node);
    EXPECT_FALSE(node->isExpanded());
    EXPECT_EQ(childTexts(node), QStringList{QStringLiteral("---")});
    ASSERT_EQ(m_script.shown().size(), 2u);
    EXPECT_EQ(m_script.shown()[0].kind, qv::DialogKind::Message);
    EXPECT_TRUE(m_script.shown()[0].text.contains(QStringLiteral(".missing"))) << qPrintable(m_script.shown()[0].text);
    EXPECT_EQ(m_script.shown()[1].kind, qv::DialogKind::Modal);

    m_script.answerMessage(qv::mrOk);

    m_script.onModal([&path](QDialog& dialog) {
        auto& registration = dynamic_cast<TNewDB&>(dialog);
        EXPECT_EQ(registration.DBName()->text(), QStringLiteral("Shop"));
        EXPECT_TRUE(registration.RemPasswd()->isChecked());
        registration.DBName()->setText(QStringLiteral("Corrected shop"));
        registration.DBPath()->setText(path);
        dialog.accept();
    });
    expand(node);
    EXPECT_TRUE(node->isExpanded());
    EXPECT_EQ(node->text(0), QStringLiteral("Corrected shop"));
    EXPECT_EQ(DBList->GetName(0), QStringLiteral("Corrected shop"));
    EXPECT_EQ(DBList->GetPath(0), path);
    EXPECT_EQ(childTexts(node), allCategories());
    // The correction is on disk at once, not only when the program ends.
    QvRegistry registry(copyOfRegistry(m_user));
    EXPECT_FALSE(registry.keyExists(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\Shop")));
    ASSERT_TRUE(registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\Corrected shop"), false));
    EXPECT_EQ(registry.readString(QStringLiteral("DBPath")), path);
}

TEST_P(TreeTest, OnTheServerAWrongPasswordLeadsToTheRegistration)
{
    if (!target().isServer())
        GTEST_SKIP() << "the embedded engine checks no password";
    registerInRegistry(QStringLiteral("Shop"), makeShop(), target().user, QStringLiteral("wrong-password"));
    Shell shell;
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Shop"));
    m_script.answerMessage(qv::mrOk);
    m_script.onModal([this](QDialog& dialog) {
        auto& registration = dynamic_cast<TNewDB&>(dialog);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit registration information"));
        registration.Passwd()->setText(target().password);
        dialog.accept();
    });
    expand(node);
    EXPECT_TRUE(node->isExpanded());
    EXPECT_EQ(childTexts(node), allCategories());
    EXPECT_EQ(DBList->GetPassword(0), target().password);
}

TEST_P(TreeTest, AnotherConnectErrorIsShownAndTheNodeStaysClosed)
{
    registerInRegistry(QStringLiteral("Shop"), makeShop(), target().user, target().password,
                       QStringLiteral("NO_SUCH_SET"));
    Shell shell;
    QTreeWidgetItem* node = databaseNode(QStringLiteral("Shop"));
    m_script.answerMessage(qv::mrOk);
    expand(node);
    EXPECT_FALSE(node->isExpanded());
    EXPECT_EQ(childTexts(node), QStringList{QStringLiteral("---")});
    ASSERT_EQ(m_script.messages().size(), 1);
    EXPECT_FALSE(m_script.messages().first().isEmpty());
    EXPECT_EQ(DBList->GetDatabase(0), nullptr);
}

TEST_P(TreeTest, ALostConnectionClosesTheDatabaseNodeAndTheNextExpansionConnectsAgain)
{
    const QString path = makeShop();
    registerShop(QStringLiteral("Shop"), path);
    Shell shell;
    QTreeWidgetItem* shop = connectedShop();
    ASSERT_TRUE(TMainTree::NodeData(shop));
    TQvDatabase* database = DBList->GetDatabase(0);
    const qint64 first = qvtest::attachmentId(*database);

    // Another connection ends this one, as an administrator would.
    qvtest::killAttachment(target(), path, first);
    m_script.answerMessage(qv::mrOk);
    expand(categoryNode(shop, QStringLiteral("Tables")));
    ASSERT_EQ(m_script.messages().size(), 1);
    EXPECT_TRUE(m_script.messages().first().contains(QStringLiteral("connection shutdown")))
        << qPrintable(m_script.messages().first());
    // Not connected any more, nothing of it left in the shared transaction.
    EXPECT_FALSE(TMainTree::NodeData(shop));
    EXPECT_FALSE(shop->isExpanded());
    EXPECT_FALSE(database->Connected());
    EXPECT_LT(DM->IBTran()->FindDatabase(database), 0);
    EXPECT_FALSE(DM->IBTran()->Active());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(m_script.messages().size(), 1) << "told once";

    // Expanding connects again, with a new attachment, and lists as before.
    expand(shop);
    ASSERT_TRUE(TMainTree::NodeData(shop));
    EXPECT_EQ(DBList->GetDatabase(0), database);
    EXPECT_TRUE(database->Connected());
    EXPECT_NE(qvtest::attachmentId(*database), first);
    QTreeWidgetItem* tables = categoryNode(shop, QStringLiteral("Tables"));
    expand(tables);
    EXPECT_EQ(childTexts(tables), (QStringList{QStringLiteral("CUSTOMER"), QStringLiteral("ORDERS")}));
    EXPECT_EQ(m_script.messages().size(), 1);
}

TEST_P(TreeTest, NodesKnowTheirRegistrationCategoryAndObjectWhateverTheirCaptions)
{
    registerShop(QStringLiteral("Shop"), makeShop());
    registerShop(QStringLiteral("Other shop"), makeShop(QStringLiteral("other.fdb")));
    writeOption(QStringLiteral("ShowDescription"), 1);
    writeOption(QStringLiteral("ShowTriggerType"), 1);
    Shell shell;
    QTreeWidgetItem* shop = connectedShop();
    ASSERT_NE(shop, nullptr);
    const quint64 id = DBList->GetId(DBList->IndexOf(QStringLiteral("Shop")));

    EXPECT_EQ(TMainTree::NodeKind(MainTree->TopNode()), TNodeKind::Top);
    EXPECT_EQ(TMainTree::NodeEntryId(MainTree->TopNode()), 0u);
    EXPECT_EQ(TMainTree::NodeKind(shop), TNodeKind::Database);
    EXPECT_EQ(TMainTree::NodeEntryId(shop), id);
    EXPECT_EQ(MainTree->DatabaseNodeOf(id), shop);
    EXPECT_EQ(TMainTree::NodeKind(databaseNode(QStringLiteral("Other shop"))->child(0)), TNodeKind::Placeholder);

    QTreeWidgetItem* triggers = MainTree->CategoryNodeOf(id, catTriggers);
    ASSERT_NE(triggers, nullptr);
    EXPECT_EQ(triggers, categoryNode(shop, QStringLiteral("Triggers")));
    EXPECT_EQ(TMainTree::NodeKind(triggers), TNodeKind::Category);
    EXPECT_EQ(TMainTree::NodeCategory(triggers), int(catTriggers));
    EXPECT_EQ(TMainTree::NodeEntryId(triggers), id);
    expand(triggers);
    ASSERT_EQ(triggers->childCount(), 1);
    QTreeWidgetItem* trigger = triggers->child(0);
    // The caption carries the type and the comment; the identity is the name.
    EXPECT_NE(trigger->text(0), QStringLiteral("CUSTOMER_BU"));
    EXPECT_EQ(TMainTree::NodeKind(trigger), TNodeKind::Object);
    EXPECT_EQ(TMainTree::NodeObjectName(trigger), QStringLiteral("CUSTOMER_BU"));
    EXPECT_EQ(TMainTree::NodeCategory(trigger), int(catTriggers));
    EXPECT_EQ(TMainTree::NodeEntryIndex(trigger), DBList->IndexOf(QStringLiteral("Shop")));

    // A renamed registration keeps its node, its windows' numbers follow it.
    const int index = DBList->IndexOf(QStringLiteral("Shop"));
    DBList->SetName(index, QStringLiteral("Other shop 2"));
    EXPECT_EQ(TMainTree::NodeEntryIndex(trigger), index);
    EXPECT_EQ(MainTree->GetNodeDBNumber(trigger), index + 1);
    shop->setText(0, QStringLiteral("Other shop"));   // even a caption like another's
    EXPECT_EQ(TMainTree::NodeEntryId(trigger), id);
    EXPECT_EQ(TMainTree::NodeEntryIndex(trigger), index);
    // Once the registration goes, nothing is found through the node.
    DBList->Delete(index);
    EXPECT_EQ(TMainTree::NodeEntryIndex(trigger), -1);
    EXPECT_EQ(MainTree->GetNodeDBNumber(trigger), 0);

    // A node made for a new object carries its identity too.
    QTreeWidgetItem* tables = MainTree->CategoryNodeOf(id, catTables);
    QTreeWidgetItem* added = TMainTree::AddObjectNode(tables, QStringLiteral("New table"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(TMainTree::NodeObjectName(added), QStringLiteral("New table"));
    EXPECT_EQ(TMainTree::NodeCategory(added), int(catTables));
    EXPECT_EQ(TMainTree::NodeImage(added), tiTable);
}

// A user's objects whose names hold "RDB$", "MON$" or "$": every one is the
// user's, in every category.
const QStringList kDollarSchema{
    QStringLiteral("CREATE TABLE T_RDB$X (ID INTEGER)"),
    QStringLiteral("CREATE TABLE RDB$USER_TABLE (ID INTEGER)"),
    QStringLiteral("CREATE TABLE MON$X (ID INTEGER)"),
    QStringLiteral("CREATE TABLE SEC$X (ID INTEGER)"),
    QStringLiteral("CREATE TABLE A$B (ID INTEGER)"),
    QStringLiteral("CREATE VIEW V_RDB$X AS SELECT ID FROM T_RDB$X"),
    QStringLiteral("CREATE VIEW MON$V AS SELECT ID FROM MON$X"),
    QStringLiteral("CREATE PROCEDURE SYS_ISRDB$ADMIN RETURNS (R INTEGER) AS BEGIN R = 1; SUSPEND; END"),
    QStringLiteral("CREATE PROCEDURE RDB$P RETURNS (R INTEGER) AS BEGIN R = 1; SUSPEND; END"),
    QStringLiteral("CREATE TRIGGER TR_RDB$X FOR T_RDB$X BEFORE INSERT AS BEGIN NEW.ID = 1; END"),
    QStringLiteral("CREATE TRIGGER MON$TR FOR MON$X BEFORE INSERT AS BEGIN NEW.ID = 1; END"),
    QStringLiteral("CREATE DOMAIN D_RDB$X AS INTEGER"),
    QStringLiteral("CREATE DOMAIN MON$D AS INTEGER"),
    QStringLiteral("CREATE DOMAIN D$ AS VARCHAR(5)"),
    QStringLiteral("CREATE GENERATOR G_RDB$X"),
    QStringLiteral("CREATE GENERATOR RDB$G"),
    QStringLiteral("CREATE GENERATOR MON$G"),
    QStringLiteral("CREATE EXCEPTION E_RDB$X 'x'"),
    QStringLiteral("CREATE EXCEPTION RDB$E 'x'"),
    QStringLiteral("DECLARE EXTERNAL FUNCTION F_RDB$X INTEGER RETURNS INTEGER BY VALUE "
                   "ENTRY_POINT 'x' MODULE_NAME 'none'"),
    QStringLiteral("DECLARE EXTERNAL FUNCTION MON$F INTEGER RETURNS INTEGER BY VALUE "
                   "ENTRY_POINT 'x' MODULE_NAME 'none'"),
};

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// The system tables the catalog holds, as the Tables category lists them.
QStringList systemTables(const qvtest::Target& target, const QString& path)
{
    return qvtest::column(target, path,
                          QStringLiteral("select rdb$relation_name from rdb$relations where rdb$system_flag = 1 "
                                         "and rdb$view_blr is null and rdb$dbkey_length = 8"));
}

TEST_P(TreeTest, EveryUserObjectIsListedWhateverItsNameAndNoSystemObjectIs)
{
    const QString path = qvtest::createDialect3Database(target(), m_user.dir(), QStringLiteral("names.fdb"), kDollarSchema);
    registerShop(QStringLiteral("Names"), path);
    const QStringList userTables{QStringLiteral("A$B"), QStringLiteral("MON$X"), QStringLiteral("RDB$USER_TABLE"),
                                 QStringLiteral("SEC$X"), QStringLiteral("T_RDB$X")};
    const QStringList expected[CategoryCount] = {
        userTables,
        {QStringLiteral("MON$V"), QStringLiteral("V_RDB$X")},
        {QStringLiteral("RDB$P"), QStringLiteral("SYS_ISRDB$ADMIN")},
        {QStringLiteral("MON$TR"), QStringLiteral("TR_RDB$X")},
        // Not the domains the server made for the columns ("RDB$" and digits).
        {QStringLiteral("D$"), QStringLiteral("D_RDB$X"), QStringLiteral("MON$D")},
        {QStringLiteral("G_RDB$X"), QStringLiteral("MON$G"), QStringLiteral("RDB$G")},
        {QStringLiteral("F_RDB$X"), QStringLiteral("MON$F")},
        {QStringLiteral("E_RDB$X"), QStringLiteral("RDB$E")},
    };
    const QStringList system = systemTables(target(), path);
    ASSERT_TRUE(system.contains(QStringLiteral("RDB$RELATIONS")));
    ASSERT_TRUE(system.contains(QStringLiteral("MON$DATABASE")));
    ASSERT_TRUE(system.contains(QStringLiteral("SEC$USERS")));
    {
        Shell shell;
        QTreeWidgetItem* names = connectedShop(QStringLiteral("Names"));
        ASSERT_NE(names, nullptr);
        for (int category = 0; category < CategoryCount; ++category) {
            SCOPED_TRACE(CategoryNames[category].toStdString());
            QTreeWidgetItem* node = categoryNode(names, CategoryNames[category]);
            expand(node);
            EXPECT_EQ(sorted(childTexts(node)), expected[category]);
            for (int i = 0; i < node->childCount(); ++i)
                EXPECT_EQ(TMainTree::NodeObjectName(node->child(i)), node->child(i)->text(0));
        }
        // They are the link words of SQL texts, too.
        QStringList linked;
        for (const TDBObjectName& name : DBList->GetObjectNames(DBList->IndexOf(QStringLiteral("Names"))))
            linked << name.Name;
        EXPECT_EQ(sorted(linked), sorted(userTables + expected[catViews] + expected[catProcedures]));
        EXPECT_TRUE(m_script.shown().empty());
    }
    // The system tables appear as the option says, and nothing else does.
    writeOption(QStringLiteral("ShowSystemTables"), 1);
    Shell shell;
    QTreeWidgetItem* tables = categoryNode(connectedShop(QStringLiteral("Names")), QStringLiteral("Tables"));
    expand(tables);
    EXPECT_EQ(sorted(childTexts(tables)), sorted(userTables + system));
}

INSTANTIATE_TEST_SUITE_P(Targets, TreeTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);
