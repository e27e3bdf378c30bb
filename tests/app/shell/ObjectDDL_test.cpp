// The CREATE texts rebuilt from the system tables, and the shared
// transaction that every such handler starts and ends.

#include "ShellTest_support.h"

#include "access/QvQuery.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/DataM.h"
#include "app/shell/ObjectDDL.h"
#include "app/shell/ProcPreview.h"
#include "access/QvTransactionScope.h"
#include "editor/qeCustomEdit.h"
#include "platform/DialogScript.h"

#include <QDialog>

#include <gtest/gtest.h>

using namespace qvshell;

namespace {

class ObjectDDLTest : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(target());
        m_dm = std::make_unique<TDM>();
        DM = m_dm.get();
    }
    void TearDown() override
    {
        m_connection.reset();
        DM = nullptr;
        m_dm.reset();
    }
    const qvtest::Target& target() const { return GetParam(); }

    TQvDatabase* open(const QStringList& schema)
    {
        const QString path = createDatabase(target(), m_dir, QStringLiteral("ddl.fdb"), schema);
        m_connection = std::make_unique<TQvDatabase>();
        m_connection->SetDBName(path);
        m_connection->SetDBParams({QStringLiteral("isc_dpb_user_name=") + target().user,
                                   QStringLiteral("isc_dpb_password=") + target().password});
        m_connection->Open();
        DM->IBTran()->AddDatabase(m_connection.get());
        return m_connection.get();
    }

    qvtest::TempDir m_dir;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TQvDatabase> m_connection;
};

} // namespace

TEST_P(ObjectDDLTest, ATableWithANamedPrimaryKeyReadsAsItsCreateText)
{
    TQvDatabase* database = open({
        QStringLiteral("CREATE DOMAIN D_NAME AS VARCHAR(30)"),
        QStringLiteral("CREATE TABLE CUSTOMER (CUST_ID INTEGER NOT NULL, NAME D_NAME, "
                       "CITY VARCHAR(20) DEFAULT 'Paris' NOT NULL, CREDIT NUMERIC(9,2), RATE DOUBLE PRECISION, "
                       "BORN DATE, NOTE BLOB, TAG CHAR(3), DOUBLED COMPUTED BY (CUST_ID * 2), "
                       "CONSTRAINT PK_CUSTOMER PRIMARY KEY (CUST_ID))"),
        QStringLiteral("COMMENT ON TABLE CUSTOMER IS 'People /*who*/ buy'"),
    });
    const QString expected = QStringLiteral(
        "/* People who buy  */\r\n"
        "CREATE TABLE customer (\r\n"
        "       CUST_ID Integer NOT NULL,\r\n"
        "       NAME D_NAME,\r\n"
        "       CITY Varchar(20) DEFAULT 'Paris' NOT NULL,\r\n"
        "       CREDIT Numeric(9,2),\r\n"
        "       RATE Double precision,\r\n"
        "       BORN Date,\r\n"
        "       NOTE Blob,\r\n"
        "       TAG Char(3),\r\n"
        "       DOUBLED COMPUTED BY (CUST_ID * 2),\r\n"
        "      CONSTRAINT PK_CUSTOMER PRIMARY KEY (CUST_ID)\r\n"
        ");");
    // A lower-case link word still finds the columns and the key.
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("customer"), database, 1), expected);
    EXPECT_FALSE(DM->IBTran()->Active());
}

TEST_P(ObjectDDLTest, GeneratedKeyNamesAndUniqueConstraintsInAStableOrder)
{
    TQvDatabase* database = open({
        QStringLiteral("CREATE TABLE T (A INTEGER NOT NULL PRIMARY KEY, B INTEGER NOT NULL, C INTEGER NOT NULL, "
                       "D INTEGER NOT NULL, CONSTRAINT UQ_D UNIQUE (D), UNIQUE (C, B))"),
        QStringLiteral("CREATE TABLE ONLYKEY (K INTEGER NOT NULL PRIMARY KEY)"),
    });
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("T"), database, 1),
              QStringLiteral("CREATE TABLE T (\r\n"
                             "       A Integer NOT NULL,\r\n"
                             "       B Integer NOT NULL,\r\n"
                             "       C Integer NOT NULL,\r\n"
                             "       D Integer NOT NULL,\r\n"
                             "      PRIMARY KEY (A),\r\n"
                             "      UNIQUE (C,B),\r\n"
                             "      CONSTRAINT UQ_D UNIQUE (D)\r\n"
                             ");"));
    // The key line ends the text without a comma.
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("ONLYKEY"), database, 1),
              QStringLiteral("CREATE TABLE ONLYKEY (\r\n"
                             "       K Integer NOT NULL,\r\n"
                             "      PRIMARY KEY (K)\r\n"
                             ");"));
}

TEST_P(ObjectDDLTest, QuotesInANameStayInsideTheLiteral)
{
    TQvDatabase* database = open({QStringLiteral("CREATE TABLE T (A INTEGER)")});
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("T' OR ''='"), database, 1),
              QStringLiteral("CREATE TABLE T' OR ''=' (\r\n);"));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("x'y"), database, 3), QStringLiteral("CREATE PROCEDURE x'y\r\n AS \r\n"));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("T"), database, 4), QString());
}

TEST_P(ObjectDDLTest, ViewsAndProcedures)
{
    TQvDatabase* database = open({
        QStringLiteral("CREATE TABLE T (A INTEGER, B VARCHAR(5))"),
        QStringLiteral("CREATE VIEW V (X, Y) AS SELECT A, B\nFROM T"),
        QStringLiteral("CREATE PROCEDURE P (IN_A INTEGER, IN_B VARCHAR(10)) RETURNS (OUT_X NUMERIC(15,2), OUT_Y DATE) "
                       "AS BEGIN SUSPEND; END"),
        QStringLiteral("COMMENT ON PARAMETER P.IN_B IS 'the b'"),
        QStringLiteral("CREATE PROCEDURE BARE AS BEGIN EXIT; END"),
    });
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("V"), database, 2),
              QStringLiteral("CREATE VIEW V(X,Y)\r\nAS\r\nSELECT A, B\r\nFROM T"));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("p"), database, 3),
              QStringLiteral("CREATE PROCEDURE p(IN_A Integer,\r\n"
                             "                   IN_B Varchar(10) /*the b*/)\r\n"
                             "RETURNS (OUT_X Numeric(15,2),\r\n"
                             "         OUT_Y Date)\r\n"
                             " AS \r\n"
                             "BEGIN SUSPEND; END"));
    EXPECT_EQ(BuildObjectDDL(QStringLiteral("BARE"), database, 3),
              QStringLiteral("CREATE PROCEDURE BARE\r\n AS \r\nBEGIN EXIT; END"));
}

TEST_P(ObjectDDLTest, ThePreviewShowsTheTextModally)
{
    const qvtest::TempDir registryDir;
    IsolatedUser user;
    TQvDatabase* database = open({QStringLiteral("CREATE TABLE T (A INTEGER NOT NULL PRIMARY KEY)")});
    TDBListScope list;
    const int index = DBList->Add(QStringLiteral("Db"));
    DBList->SetDatabase(index, database);
    qv::DialogScript script;
    QString caption;
    QString text;
    script.onModal([&](QDialog& dialog) {
        caption = dialog.windowTitle();
        text = static_cast<TProcPreview&>(dialog).Memo()->Text();
        EXPECT_EQ(ProcPreview.data(), &dialog);
        dialog.accept();
    });
    ShowObjectDDL(QStringLiteral("T"), index + 1, 1);
    EXPECT_EQ(caption, QStringLiteral("Object view"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("CREATE TABLE T (\r\n       A Integer NOT NULL,\r\n      PRIMARY KEY (A)\r\n);")))
        << text.toStdString();
    DBList->SetDatabase(index, nullptr);
}

TEST_P(ObjectDDLTest, AFailingHandlerRollsTheSharedTransactionBack)
{
    TQvDatabase* database = open({QStringLiteral("CREATE TABLE T (A INTEGER)")});
    TQvTransaction* shared = DM->IBTran();
    DM->Query()->SetDatabase(database);
    try {
        TQvTransactionScope transaction(shared);
        DM->Query()->SetSQLText(QStringLiteral("insert into T values (1)"));
        DM->Query()->ExecQuery();
        TCatalogQuery broken(*DM->Query(), database, QStringLiteral("select no_such_column from T"));
        FAIL() << "the select should fail";
    } catch (const EQvError& error) {
        EXPECT_NE(error.SQLCode(), 0);
    }
    EXPECT_FALSE(shared->Active());
    {
        TQvTransactionScope transaction(shared);
        TCatalogQuery count(*DM->Query(), database, QStringLiteral("select count(*) as N from T"));
        EXPECT_EQ(count.Integer(QStringLiteral("N")), 0);
        transaction.Commit();
    }
    EXPECT_FALSE(shared->Active());
}

INSTANTIATE_TEST_SUITE_P(Targets, ObjectDDLTest, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);
