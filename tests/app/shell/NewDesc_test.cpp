// Object descriptions: the statements that read and write them, and the
// description editor opened from the tree on a real database, checked
// against rdb$description through a connection of its own.

#include "ShellTest_support.h"

#include "access/QvQuery.h"
#include "access/QvTransactionScope.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/NewDesc.h"
#include "platform/DialogScript.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qvshell;

namespace {

enum : int { catTables, catViews, catProcedures, catTriggers, catDomains, catGenerators, catFunctions, catExceptions };

TEST(DescriptionStatements, CommentOnEachKindWithQuotesDoubled)
{
    EXPECT_EQ(DescriptionStatement(catTables, QStringLiteral("CUSTOMER"), QStringLiteral("it's \"ours\""), 1),
              QStringLiteral("COMMENT ON TABLE CUSTOMER IS 'it''s \"ours\"'"));
    EXPECT_EQ(DescriptionStatement(catTables, QStringLiteral("CUSTOMER"), QString(), 3),
              QStringLiteral("COMMENT ON TABLE CUSTOMER IS NULL"));
    // A name only dialect 3 can write is quoted there.
    EXPECT_EQ(DescriptionStatement(catProcedures, QStringLiteral("Get \"it\""), QStringLiteral("x"), 3),
              QStringLiteral("COMMENT ON PROCEDURE \"Get \"\"it\"\"\" IS 'x'"));
    EXPECT_EQ(DescriptionStatement(catTriggers, QStringLiteral("T1"), QStringLiteral("x"), 1),
              QStringLiteral("COMMENT ON TRIGGER T1 IS 'x'"));
    EXPECT_EQ(DescriptionStatement(catDomains, QStringLiteral("D1"), QStringLiteral("x"), 1),
              QStringLiteral("COMMENT ON DOMAIN D1 IS 'x'"));
    EXPECT_EQ(DescriptionStatement(catFunctions, QStringLiteral("F1"), QStringLiteral("x"), 1),
              QStringLiteral("COMMENT ON EXTERNAL FUNCTION F1 IS 'x'"));
    EXPECT_EQ(DescriptionStatement(catExceptions, QStringLiteral("E1"), QStringLiteral("x"), 1),
              QStringLiteral("COMMENT ON EXCEPTION E1 IS 'x'"));
    EXPECT_EQ(DescriptionStatement(catViews, QStringLiteral("V"), QStringLiteral("x"), 1), QString());
    EXPECT_EQ(DescriptionStatement(catGenerators, QStringLiteral("G"), QStringLiteral("x"), 1), QString());
    EXPECT_FALSE(DescriptionAllowed(catViews));
    EXPECT_FALSE(DescriptionAllowed(catGenerators));
    EXPECT_FALSE(DescriptionAllowed(-1));
    EXPECT_EQ(DescriptionSelect(catProcedures, QStringLiteral("O'X")),
              QStringLiteral("select rdb$procedure_name,rdb$description from rdb$procedures "
                             "where rdb$procedure_name='O''X'"));
    EXPECT_EQ(DescriptionSelect(catViews, QStringLiteral("V")), QString());
}

const QStringList kSchema{
    QStringLiteral("CREATE DOMAIN D_CODE AS VARCHAR(10)"),
    QStringLiteral("CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, CODE D_CODE)"),
    QStringLiteral("CREATE VIEW V_CUST AS SELECT ID FROM CUSTOMER"),
    QStringLiteral("CREATE GENERATOR G_ORDERS"),
    QStringLiteral("CREATE EXCEPTION E_FAIL 'failed'"),
    QStringLiteral("CREATE PROCEDURE P_ONE RETURNS (X INTEGER) AS BEGIN X = 1; SUSPEND; END"),
    QStringLiteral("CREATE TRIGGER CUSTOMER_BU FOR CUSTOMER BEFORE UPDATE AS BEGIN NEW.CODE = UPPER(NEW.CODE); END"),
    QStringLiteral("DECLARE EXTERNAL FUNCTION F_ABS DOUBLE PRECISION RETURNS DOUBLE PRECISION BY VALUE "
                   "ENTRY_POINT 'IB_UDF_abs' MODULE_NAME 'ib_udf'"),
    QStringLiteral("COMMENT ON TABLE CUSTOMER IS 'People who buy'"),
};

class DescriptionTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override { QV_SKIP_UNLESS_REACHABLE(target()); }
    const qvtest::Target& target() const { return GetParam(); }

    // An object's description on the server, "<null>" for none.
    QString description(const QString& table, const QString& column, const QString& name)
    {
        TQvDatabase reader;
        reader.SetDBName(m_path);
        reader.SetDBParams(qvtest::connectParams(target()));
        reader.Open();
        QString value;
        {
            TQvTransaction transaction;
            transaction.AddDatabase(&reader);
            TQvQuery query;
            query.SetDatabase(&reader);
            query.SetTransaction(&transaction);
            TQvTransactionScope scope(transaction);
            query.SetSQLText(QStringLiteral("select coalesce(cast(rdb$description as varchar(500)), '<null>') "
                                            "from %1 where %2 = '%3'")
                                 .arg(table, column, name));
            query.ExecQuery();
            value = query.Eof() ? QStringLiteral("<no row>") : query.Fields(0).AsString();
            query.Close();
            scope.Commit();
        }
        reader.Close();
        return value;
    }

    void openShell(const QString& path)
    {
        m_path = path;
        registerInRegistry(QStringLiteral("Shop"), path, target().user, target().password);
        m_shell = std::make_unique<Shell>();
        QTreeWidgetItem* database = databaseNode(QStringLiteral("Shop"));
        ASSERT_NE(database, nullptr);
        expand(database);
        ASSERT_TRUE(TMainTree::NodeData(database)) << qPrintable(m_script.messages().join(u'\n'));
    }

    // The object's node, its category filled.
    QTreeWidgetItem* objectNode(const QString& category, const QString& name)
    {
        QTreeWidgetItem* node = categoryNode(databaseNode(QStringLiteral("Shop")), category);
        expand(node);
        for (int i = 0; i < node->childCount(); ++i)
            if (TMainTree::NodeObjectName(node->child(i)) == name)
                return node->child(i);
        return nullptr;
    }

    // "Set description" on the object, typing text and pressing OK.
    void setDescription(const QString& category, const QString& name, const QString& text)
    {
        QTreeWidgetItem* node = objectNode(category, name);
        ASSERT_NE(node, nullptr) << qPrintable(name);
        MainTree->Tree()->setCurrentItem(node);
        ASSERT_TRUE(MainForm->SetDescription1->isEnabled());
        m_script.onModal([text](QDialog& dialog) {
            auto& editor = static_cast<TNewDesc&>(dialog);
            editor.ObjDescr->setPlainText(text);
            editor.OkBtn->click();
        });
        MainForm->SetDescription1->trigger();
    }

    IsolatedUser m_user;
    qv::DialogScript m_script;
    QString m_path;
    std::unique_ptr<Shell> m_shell;
};

TEST_P(DescriptionTest, SetChangedAndClearedReadsBackFromTheServer)
{
    openShell(createDatabase(target(), m_user.dir(), QStringLiteral("shop.fdb"), kSchema));
    ASSERT_FALSE(HasFatalFailure());
    writeOption(QStringLiteral("ShowDescription"), 2);
    MainForm->ShowDescriptionsMenu->trigger();

    // The editor shows the object, its kind and its description.
    QTreeWidgetItem* customer = objectNode(QStringLiteral("Tables"), QStringLiteral("CUSTOMER"));
    ASSERT_NE(customer, nullptr);
    MainTree->Tree()->setCurrentItem(customer);
    m_script.onModal([](QDialog& dialog) {
        auto& editor = static_cast<TNewDesc&>(dialog);
        EXPECT_EQ(editor.ObjName->text(), QStringLiteral("CUSTOMER"));
        EXPECT_TRUE(editor.ObjName->isReadOnly());
        EXPECT_EQ(editor.ObjType->currentText(), QStringLiteral("Table"));
        EXPECT_FALSE(editor.ObjType->isEnabled());
        EXPECT_EQ(editor.ObjDescr->toPlainText(), QStringLiteral("People who buy"));
        editor.CancelBtn->click();
    });
    MainForm->SetDescription1->trigger();
    execute(target(), m_path, {QStringLiteral("COMMENT ON TABLE CUSTOMER IS 'two\r\nlines'")});
    m_script.onModal([](QDialog& dialog) {
        auto& editor = static_cast<TNewDesc&>(dialog);
        EXPECT_EQ(editor.ObjDescr->toPlainText(), QStringLiteral("two\nlines"));
        editor.CancelBtn->click();
    });
    MainForm->SetDescription1->trigger();
    EXPECT_EQ(description(QStringLiteral("rdb$relations"), QStringLiteral("rdb$relation_name"),
                          QStringLiteral("CUSTOMER")),
              QStringLiteral("two\r\nlines"));

    // Quotes, semicolons, parameter marks and line breaks are the user's text.
    const QString text = QStringLiteral("It's \"ours\"; ?x :y\nsecond line");
    setDescription(QStringLiteral("Tables"), QStringLiteral("CUSTOMER"), text);
    const QString written = description(QStringLiteral("rdb$relations"), QStringLiteral("rdb$relation_name"),
                                        QStringLiteral("CUSTOMER"));
    // Line breaks are written as CR LF.
    EXPECT_EQ(written, QStringLiteral("It's \"ours\"; ?x :y\r\nsecond line"));
    EXPECT_EQ(MainTree->NodeDescription(customer), QStringLiteral("It's \"ours\"; ?x :y  second line"));
    EXPECT_EQ(MainForm->StatusPanel(1), QStringLiteral("Comment: It's \"ours\"; ?x :y  second line"));
    setDescription(QStringLiteral("Tables"), QStringLiteral("CUSTOMER"), QStringLiteral("changed"));
    EXPECT_EQ(description(QStringLiteral("rdb$relations"), QStringLiteral("rdb$relation_name"),
                          QStringLiteral("CUSTOMER")),
              QStringLiteral("changed"));
    setDescription(QStringLiteral("Tables"), QStringLiteral("CUSTOMER"), QString());
    EXPECT_EQ(description(QStringLiteral("rdb$relations"), QStringLiteral("rdb$relation_name"),
                          QStringLiteral("CUSTOMER")),
              QStringLiteral("<null>"));
    EXPECT_EQ(MainForm->StatusPanel(1), QStringLiteral("Comment: "));

    // Every other kind that carries one.
    const struct
    {
        const char* category;
        const char* name;
        const char* table;
        const char* column;
    } kinds[] = {
        {"Procedures", "P_ONE", "rdb$procedures", "rdb$procedure_name"},
        {"Triggers", "CUSTOMER_BU", "rdb$triggers", "rdb$trigger_name"},
        {"Domains", "D_CODE", "rdb$fields", "rdb$field_name"},
        {"User-defined Functions", "F_ABS", "rdb$functions", "rdb$function_name"},
        {"Exceptions", "E_FAIL", "rdb$exceptions", "rdb$exception_name"},
    };
    for (const auto& kind : kinds) {
        const QString name = QString::fromLatin1(kind.name);
        setDescription(QString::fromLatin1(kind.category), name, QStringLiteral("About ") + name);
        EXPECT_EQ(description(QString::fromLatin1(kind.table), QString::fromLatin1(kind.column), name),
                  QStringLiteral("About ") + name);
    }
    EXPECT_TRUE(m_script.messages().isEmpty()) << qPrintable(m_script.messages().join(u'\n'));
    EXPECT_EQ(m_script.pendingAnswers(), 0);
}

TEST_P(DescriptionTest, ViewsAndGeneratorsAreRefusedAFailedSaveKeepsTheText)
{
    openShell(createDatabase(target(), m_user.dir(), QStringLiteral("shop.fdb"), kSchema));
    ASSERT_FALSE(HasFatalFailure());
    for (const auto& [category, name] : {std::pair{"Views", "V_CUST"}, std::pair{"Generators", "G_ORDERS"}}) {
        QTreeWidgetItem* node = objectNode(QString::fromLatin1(category), QString::fromLatin1(name));
        ASSERT_NE(node, nullptr);
        MainTree->Tree()->setCurrentItem(node);
        m_script.answerMessage(qv::mrOk);
        MainForm->SetDescription1->trigger();
    }
    EXPECT_EQ(m_script.messages(), (QStringList{QStringLiteral("Description for this object is not allowed !"),
                                                QStringLiteral("Description for this object is not allowed !")}));
    EXPECT_EQ(m_script.shown().back().type, qv::mtInformation);

    // The exception goes while the editor is open: OK shows the error and stays.
    QTreeWidgetItem* exception = objectNode(QStringLiteral("Exceptions"), QStringLiteral("E_FAIL"));
    ASSERT_NE(exception, nullptr);
    MainTree->Tree()->setCurrentItem(exception);
    m_script.clearShown();
    m_script.answerMessage(qv::mrOk);
    const qvtest::Target where = target();
    const QString path = m_path;
    m_script.onModal([where, path](QDialog& dialog) {
        auto& editor = static_cast<TNewDesc&>(dialog);
        qvtest::execute(where, path, {QStringLiteral("DROP EXCEPTION E_FAIL")});
        editor.ObjDescr->setPlainText(QStringLiteral("kept"));
        editor.OkBtn->click();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.ObjDescr->toPlainText(), QStringLiteral("kept"));
        editor.CancelBtn->click();
    });
    MainForm->SetDescription1->trigger();
    ASSERT_EQ(m_script.messages().size(), 1);
    EXPECT_FALSE(m_script.messages().first().isEmpty());
    EXPECT_EQ(MainTree->NodeDescription(exception), QString());
}

TEST_P(DescriptionTest, ADialect3DatabaseTakesTheSameStatements)
{
    QStringList schema = kSchema;
    schema << QStringLiteral("CREATE TABLE \"MixedCase\" (A INTEGER)");
    openShell(qvtest::createDialect3Database(target(), m_user.dir(), QStringLiteral("d3.fdb"), schema));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(DBList->GetDatabase(0)->SQLDialect(), 3);
    setDescription(QStringLiteral("Tables"), QStringLiteral("CUSTOMER"), QStringLiteral("dialect 3's text"));
    EXPECT_EQ(description(QStringLiteral("rdb$relations"), QStringLiteral("rdb$relation_name"),
                          QStringLiteral("CUSTOMER")),
              QStringLiteral("dialect 3's text"));
    // A name only dialect 3 can write is quoted and sent in dialect 3.
    setDescription(QStringLiteral("Tables"), QStringLiteral("MixedCase"), QStringLiteral("quoted"));
    EXPECT_EQ(description(QStringLiteral("rdb$relations"), QStringLiteral("rdb$relation_name"),
                          QStringLiteral("MixedCase")),
              QStringLiteral("quoted"));
    setDescription(QStringLiteral("Procedures"), QStringLiteral("P_ONE"), QString());
    EXPECT_EQ(description(QStringLiteral("rdb$procedures"), QStringLiteral("rdb$procedure_name"),
                          QStringLiteral("P_ONE")),
              QStringLiteral("<null>"));
    EXPECT_TRUE(m_script.messages().isEmpty()) << qPrintable(m_script.messages().join(u'\n'));
}

INSTANTIATE_TEST_SUITE_P(Targets, DescriptionTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
