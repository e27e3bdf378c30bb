#include "app/shell/DBListObject.h"

#include "access/QvDatabase.h"
#include "platform/DialogScript.h"
#include "platform/Registry.h"

#include "support/TestSupport.h"

#include <QFile>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

const QString kDatabases = QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases");

// Each case works on a registry file of its own.
class DBListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = qgetenv("QORVANE_REGISTRY");
        qputenv("QORVANE_REGISTRY", registryFile().toUtf8());
    }
    void TearDown() override { qputenv("QORVANE_REGISTRY", m_saved); }

    QString registryFile() const { return m_dir.filePath(QStringLiteral("registry.reg")); }

    static void registerDatabase(TDBList& list, const QString& name, const QString& suffix)
    {
        const int index = list.Add(name);
        list.SetPath(index, QStringLiteral("127.0.0.1:/data/") + suffix + QStringLiteral(".gdb"));
        list.SetUser(index, QStringLiteral("USER_") + suffix);
        list.SetPassword(index, QStringLiteral("pw_") + suffix);
        list.SetCharset(index, QStringLiteral("WIN1252"));
    }

    qvtest::TempDir m_dir;
    QByteArray m_saved;
};

} // namespace

TEST_F(DBListTest, AnAbsentKeyGivesAnEmptyListAndCreatesTheKey)
{
    {
        TDBList list;
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(list.IndexOf(QStringLiteral("anything")), -1);
        EXPECT_TRUE(QvRegistry().keyExists(kDatabases));
    }
    QvRegistry registry;
    ASSERT_TRUE(registry.openKey(kDatabases, false));
    EXPECT_TRUE(registry.keyNames().isEmpty());
}

TEST_F(DBListTest, RegisteredDatabasesComeBackAfterFreeAndReload)
{
    {
        TDBList list;
        registerDatabase(list, QStringLiteral("Employee"), QStringLiteral("emp"));
        registerDatabase(list, QStringLiteral("Accounts \"main\""), QStringLiteral("acc"));
    }
    TDBList list;
    ASSERT_EQ(list.Count(), 2);
    const int emp = list.IndexOf(QStringLiteral("employee"));
    ASSERT_GE(emp, 0);
    EXPECT_EQ(list.GetName(emp), QStringLiteral("Employee"));
    EXPECT_EQ(list.GetPath(emp), QStringLiteral("127.0.0.1:/data/emp.gdb"));
    EXPECT_EQ(list.GetUser(emp), QStringLiteral("USER_emp"));
    EXPECT_EQ(list.GetPassword(emp), QStringLiteral("pw_emp"));
    EXPECT_EQ(list.GetCharset(emp), QStringLiteral("WIN1252"));
    const int acc = list.IndexOf(QStringLiteral("ACCOUNTS \"MAIN\""));
    ASSERT_GE(acc, 0);
    EXPECT_EQ(list.GetPassword(acc), QStringLiteral("pw_acc"));
    EXPECT_EQ(list.GetDatabase(acc), nullptr);
    EXPECT_TRUE(list.GetObjectNames(acc).empty());

    // The stored passwords are private to the user.
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(registryFile()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(DBListTest, EveryChangeIsOnDiskAtOnceSoAKilledProgramLosesNothing)
{
    int writes = 0;
    QvRegistry::setBeforeReplaceHook([&](const QString&) { ++writes; });
    // Never freed, as in a program that is killed: only what was written counts.
    auto* list = new TDBList;
    int copies = 0;
    auto onDisk = [&] {
        const QString copy = m_dir.filePath(QStringLiteral("copy%1.reg").arg(++copies));
        EXPECT_TRUE(QFile::copy(registryFile(), copy));
        QvRegistry registry(copy);
        QStringList seen;
        if (registry.openKey(kDatabases, false))
            for (const QString& name : registry.keyNames()) {
                QvRegistry entry(copy);
                EXPECT_TRUE(entry.openKey(kDatabases + QLatin1Char('\\') + name, false));
                seen << name + QLatin1Char('=') + entry.readString(QStringLiteral("DBPath")) + QLatin1Char('/')
                            + entry.readString(QStringLiteral("UserPassword"));
            }
        return seen;
    };

    {
        // A registration and its fields, set together, are written together at the end.
        const TDBListUpdate update(*list);
        writes = 0;
        registerDatabase(*list, QStringLiteral("Employee"), QStringLiteral("emp"));
        EXPECT_EQ(writes, 0);
        EXPECT_EQ(onDisk(), QStringList());
    }
    EXPECT_GT(writes, 0);
    EXPECT_EQ(onDisk(), QStringList{QStringLiteral("Employee=127.0.0.1:/data/emp.gdb/pw_emp")});

    // A single change, such as a password remembered at connect, is written by itself.
    list->SetPassword(0, QStringLiteral("remembered"));
    EXPECT_EQ(onDisk(), QStringList{QStringLiteral("Employee=127.0.0.1:/data/emp.gdb/remembered")});
    writes = 0;
    list->SetPassword(0, QStringLiteral("remembered"));
    EXPECT_EQ(writes, 0) << "an unchanged value writes nothing";

    list->SetName(0, QStringLiteral("Staff"));
    EXPECT_EQ(onDisk(), QStringList{QStringLiteral("Staff=127.0.0.1:/data/emp.gdb/remembered")});
    list->Delete(0);
    EXPECT_EQ(onDisk(), QStringList());
    QvRegistry::setBeforeReplaceHook(nullptr);
    delete list;
}

TEST_F(DBListTest, MissingValuesReadAsEmpty)
{
    {
        QvRegistry registry;
        ASSERT_TRUE(registry.openKey(kDatabases + QStringLiteral("\\Bare"), true));
        registry.writeString(QStringLiteral("DBPath"), QStringLiteral("/db/bare.gdb"));
        registry.writeInteger(QStringLiteral("UserName"), 5);   // hand-edited: wrong kind
    }
    TDBList list;
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetPath(0), QStringLiteral("/db/bare.gdb"));
    EXPECT_EQ(list.GetUser(0), QString());
    EXPECT_EQ(list.GetPassword(0), QString());
    EXPECT_EQ(list.GetCharset(0), QString());
}

TEST_F(DBListTest, ADeletedEntryLosesItsSubkeyAndEverythingBelow)
{
    {
        TDBList list;
        registerDatabase(list, QStringLiteral("Keep"), QStringLiteral("k"));
        registerDatabase(list, QStringLiteral("Drop"), QStringLiteral("d"));
    }
    {
        // The debugger keeps initial values below a database's subkey.
        QvRegistry registry;
        ASSERT_TRUE(registry.openKey(kDatabases + QStringLiteral("\\Drop\\Procedures\\proc1"), true));
        registry.writeString(QStringLiteral("A"), QStringLiteral("null"));
        ASSERT_TRUE(registry.openKey(kDatabases + QStringLiteral("\\Keep\\Procedures\\proc2"), true));
        registry.writeString(QStringLiteral("B"), QStringLiteral("1"));
    }
    {
        TDBList list;
        list.Delete(list.IndexOf(QStringLiteral("DROP")));
    }
    QvRegistry registry;
    EXPECT_FALSE(registry.keyExists(kDatabases + QStringLiteral("\\Drop")));
    EXPECT_FALSE(registry.keyExists(kDatabases + QStringLiteral("\\Drop\\Procedures")));
    EXPECT_TRUE(registry.keyExists(kDatabases + QStringLiteral("\\Keep\\Procedures\\proc2")));
    TDBList list;
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetName(0), QStringLiteral("Keep"));
}

TEST_F(DBListTest, EntriesAfterADeletedOneRenumber)
{
    TDBList list;
    registerDatabase(list, QStringLiteral("One"), QStringLiteral("1"));
    registerDatabase(list, QStringLiteral("Two"), QStringLiteral("2"));
    registerDatabase(list, QStringLiteral("Three"), QStringLiteral("3"));
    const quint64 threeId = list.GetId(2);
    const quint64 twoId = list.GetId(1);
    TDBObjectNames& threeNames = list.GetObjectNames(2);
    threeNames.push_back({QStringLiteral("EMPLOYEE"), 1});

    list.Delete(1);   // database number 2
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.IndexOf(QStringLiteral("Three")), 1);   // number 3 became 2
    EXPECT_EQ(list.GetPath(1), QStringLiteral("127.0.0.1:/data/3.gdb"));
    EXPECT_EQ(list.IndexOfId(threeId), 1);
    EXPECT_EQ(list.IndexOfId(twoId), -1);
    // The name list moved with its entry.
    EXPECT_EQ(&list.GetObjectNames(1), &threeNames);
    EXPECT_EQ(list.GetObjectNames(1).front().Name, QStringLiteral("EMPLOYEE"));
}

TEST_F(DBListTest, ANameWithALoneSurrogateIsRefused)
{
    TDBList list;
    const QString broken = QStringLiteral("Sales ") + QChar(0xdc01);
    try {
        list.Add(broken);
        FAIL() << "the name was taken";
    } catch (const EDBListError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("lone UTF-16 surrogate"))) << error.what();
    }
    EXPECT_EQ(list.Count(), 0);
    const int index = list.Add(QStringLiteral("Sales"));
    EXPECT_THROW(list.SetName(index, broken), EDBListError);
    EXPECT_EQ(list.GetName(index), QStringLiteral("Sales"));
}

TEST_F(DBListTest, IndexOfComparesOnlyNamesWithoutCase)
{
    TDBList list;
    const int a = list.Add(QStringLiteral("Alpha"));
    list.SetPath(a, QStringLiteral("Beta"));
    list.SetUser(a, QStringLiteral("Beta"));
    list.SetPassword(a, QStringLiteral("Beta"));
    const int b = list.Add(QStringLiteral("Beta"));
    EXPECT_EQ(list.IndexOf(QStringLiteral("BETA")), b);
    EXPECT_EQ(list.IndexOf(QStringLiteral("alpha")), a);
    EXPECT_EQ(list.IndexOf(QStringLiteral("Alph")), -1);
}

TEST_F(DBListTest, NamesThatWouldCollapseInTheRegistryAreRefused)
{
    {
        TDBList list;
        registerDatabase(list, QStringLiteral("Employee"), QStringLiteral("emp"));
        registerDatabase(list, QStringLiteral("Sales"), QStringLiteral("sales"));

        try {
            list.Add(QStringLiteral("EMPLOYEE"));
            FAIL() << "a name differing only in case must be refused";
        } catch (const EDBListError& error) {
            EXPECT_EQ(error.message(), QStringLiteral("A database named \"Employee\" is already registered."));
        }
        try {
            list.Add(QStringLiteral("Prod\\Main"));
            FAIL() << "a name holding the key separator must be refused";
        } catch (const EDBListError& error) {
            EXPECT_EQ(error.message(), QStringLiteral("The database name \"Prod\\Main\" cannot contain \"\\\"."));
        }
        EXPECT_THROW(list.Add(QString()), EDBListError);
        EXPECT_THROW(list.Add(QStringLiteral("two\nlines")), EDBListError);
        EXPECT_THROW(list.SetName(1, QStringLiteral("employee")), EDBListError);
        EXPECT_THROW(list.SetName(1, QStringLiteral("a\\b")), EDBListError);
        EXPECT_EQ(list.Count(), 2);
        EXPECT_EQ(list.GetName(1), QStringLiteral("Sales"));

        // An entry may change the case of its own name.
        list.SetName(1, QStringLiteral("SALES"));
        EXPECT_EQ(list.GetName(1), QStringLiteral("SALES"));
    }
    TDBList list;
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetPassword(list.IndexOf(QStringLiteral("Employee"))), QStringLiteral("pw_emp"));
    EXPECT_EQ(list.GetPassword(list.IndexOf(QStringLiteral("Sales"))), QStringLiteral("pw_sales"));
}

TEST_F(DBListTest, ARenamedEntryGetsANewSubkeyAndLosesTheOldOne)
{
    {
        TDBList list;
        registerDatabase(list, QStringLiteral("Old"), QStringLiteral("o"));
    }
    {
        TDBList list;
        list.SetName(0, QStringLiteral("New"));
    }
    QvRegistry registry;
    EXPECT_FALSE(registry.keyExists(kDatabases + QStringLiteral("\\Old")));
    ASSERT_TRUE(registry.openKey(kDatabases + QStringLiteral("\\New"), false));
    EXPECT_EQ(registry.readString(QStringLiteral("DBPath")), QStringLiteral("127.0.0.1:/data/o.gdb"));
}

TEST_F(DBListTest, ARegistrationMadeByAnotherInstanceMeanwhileSurvives)
{
    {
        TDBList list;
        registerDatabase(list, QStringLiteral("Mine"), QStringLiteral("m"));
    }
    {
        TDBList list;   // this instance runs ...
        {
            // ... while another one registers a database and quits.
            QvRegistry other;
            ASSERT_TRUE(other.openKey(kDatabases + QStringLiteral("\\Theirs"), true));
            other.writeString(QStringLiteral("DBPath"), QStringLiteral("/db/theirs.gdb"));
        }
        list.Delete(list.IndexOf(QStringLiteral("Mine")));
    }
    QvRegistry registry;
    EXPECT_FALSE(registry.keyExists(kDatabases + QStringLiteral("\\Mine")));
    ASSERT_TRUE(registry.openKey(kDatabases + QStringLiteral("\\Theirs"), false));
    EXPECT_EQ(registry.readString(QStringLiteral("DBPath")), QStringLiteral("/db/theirs.gdb"));
}

TEST_F(DBListTest, ARegistryThatCannotBeOpenedIsReportedOnLoadAndSave)
{
    // A registry file below a plain file: its folder can never be made.
    const QString blocker = m_dir.filePath(QStringLiteral("plain"));
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    qputenv("QORVANE_REGISTRY", (blocker + QStringLiteral("/registry.reg")).toUtf8());
    qv::DialogScript script;
    for (int i = 0; i < 3; ++i)
        script.answerMessage(qv::mrOk);
    {
        TDBList list;
        EXPECT_EQ(list.Count(), 0);
        list.Add(QStringLiteral("Lost"));   // written at once, and again at the end
    }
    ASSERT_EQ(script.shown().size(), 3u);
    for (const qv::ShownDialog& shown : script.shown()) {
        EXPECT_EQ(shown.text, QStringLiteral("Error reading the registry !"));
        EXPECT_EQ(shown.type, qv::mtError);
        EXPECT_EQ(shown.buttons, QStringList{QStringLiteral("OK")});
    }
}

TEST_F(DBListTest, TheConnectionIsHeldButNotOwned)
{
    TDBList list;
    const int index = list.Add(QStringLiteral("Employee"));
    {
        TQvDatabase database;
        list.SetDatabase(index, &database);
        EXPECT_EQ(list.GetDatabase(index), &database);
        list.Delete(index);   // must not free it
        EXPECT_FALSE(database.Connected());
        const int again = list.Add(QStringLiteral("Employee"));
        list.SetDatabase(again, &database);
    }
    // The tree freed the connection: the entry no longer points at it.
    EXPECT_EQ(list.GetDatabase(0), nullptr);
}

TEST_F(DBListTest, TheScopeProvidesTheOneList)
{
    EXPECT_EQ(DBList, nullptr);
    {
        TDBListScope scope;
        ASSERT_NE(DBList, nullptr);
        registerDatabase(*DBList, QStringLiteral("Scoped"), QStringLiteral("s"));
    }
    EXPECT_EQ(DBList, nullptr);
    EXPECT_TRUE(QvRegistry().keyExists(kDatabases + QStringLiteral("\\Scoped")));
}
