// Connections: parameter blocks, create, attach, information, close, drop.

#include "AccessTest_support.h"
#include "access/QvQuery.h"
#include "platform/DialogScript.h"
#include "platform/Timer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using qvaccess::connectParams;
using qvaccess::createDatabase;

namespace {

template <typename Body>
EQvClientError clientErrorOf(Body body)
{
    try {
        body();
    } catch (const EQvClientError& error) {
        return error;
    }
    ADD_FAILURE() << "no client error raised";
    return EQvClientError(-1, QString());
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result += char(value);
    return result;
}

// A link that records the notifications it receives.
struct RecordingLink : TQvBase
{
    explicit RecordingLink(QStringList& log)
        : TQvBase(nullptr)
    {
        OnDatabaseDisconnecting = [&log] { log << QStringLiteral("disconnecting"); };
        OnDatabaseDisconnected = [&log] { log << QStringLiteral("disconnected"); };
        OnDatabaseFree = [&log] { log << QStringLiteral("database free"); };
        OnTransactionEnding = [&log] { log << QStringLiteral("ending"); };
        OnTransactionEnded = [&log] { log << QStringLiteral("ended"); };
        OnTransactionFree = [&log] { log << QStringLiteral("transaction free"); };
    }
};

TEST(DatabaseParameterBlock, NamesAreLowerCasedAndPrefixOptional)
{
    const QByteArray expected = bytes({1, 28, 6}) + "SYSDBA";
    EXPECT_EQ(TQvDatabase::GenerateDPB({QStringLiteral("isc_dpb_user_name=SYSDBA")}), expected);
    EXPECT_EQ(TQvDatabase::GenerateDPB({QStringLiteral("user_name=SYSDBA")}), expected);
    EXPECT_EQ(TQvDatabase::GenerateDPB({QStringLiteral("USER_NAME=SYSDBA")}), expected);
}

TEST(DatabaseParameterBlock, ValueKinds)
{
    EXPECT_EQ(TQvDatabase::GenerateDPB({QStringLiteral("num_buffers=75")}), bytes({1, 5, 1, 75}));
    EXPECT_EQ(TQvDatabase::GenerateDPB({QStringLiteral("sweep_interval=20000")}),
              bytes({1, 22, 4, 32, 78, 0, 0}));
    EXPECT_EQ(TQvDatabase::GenerateDPB({QStringLiteral("sweep=")}), bytes({1, 10, 1, 2}));
    EXPECT_EQ(TQvDatabase::GenerateDPB({QStringLiteral("activate_shadow=")}), bytes({1, 21, 1, 0}));
    EXPECT_EQ(TQvDatabase::GenerateDPB({QStringLiteral("isc_dpb_lc_ctype=UTF8"),
                                        QStringLiteral("isc_dpb_password=a=b")}),
              bytes({1, 48, 4}) + "UTF8" + bytes({29, 3}) + "a=b");
    EXPECT_EQ(TQvDatabase::GenerateDPB({}), bytes({1}));
}

TEST(DatabaseParameterBlock, RefusedNamesGiveTheTableTexts)
{
    EXPECT_EQ(clientErrorOf([] { TQvDatabase::GenerateDPB({QStringLiteral("page_size=4096")}); }).Message(),
              QStringLiteral("DPB Constant (isc_dpb_page_size) is unsupported."));
    const EQvClientError unknown =
        clientErrorOf([] { TQvDatabase::GenerateDPB({QStringLiteral("isc_dpb_user_role=X")}); });
    EXPECT_EQ(unknown.SQLCode(), 9);
    EXPECT_EQ(unknown.Message(), QStringLiteral("DPB Constant (0) is unknown."));
    EXPECT_EQ(clientErrorOf([] { TQvDatabase::GenerateDPB({QStringLiteral("user_name")}); }).Message(),
              QStringLiteral("DPB Constant (0) is unknown."));
}

TEST(DatabaseParameterBlock, LongValueIsRefusedNotWrapped)
{
    const QString value(256, QLatin1Char('p'));
    const EQvClientError error =
        clientErrorOf([&] { TQvDatabase::GenerateDPB({QStringLiteral("password=") + value}); });
    EXPECT_EQ(error.SQLCode(), qveInvalidDataConversion);
    EXPECT_EQ(error.Message(), QStringLiteral("DPB value of isc_dpb_password is longer than 255 bytes."));
    // 255 bytes still fit; the limit counts bytes, not characters.
    EXPECT_EQ(TQvDatabase::GenerateDPB({QStringLiteral("password=") + value.left(255)}).size(), 258);
    EXPECT_THROW(TQvDatabase::GenerateDPB({QStringLiteral("password=") + QString(128, QChar(0xe9))}),
                 EQvClientError);
}

TEST(DatabaseOperationCounts, FourByteCounts)
{
    // Relation 1 read 3 times, relation 130 read 70000 times.
    const QByteArray value = bytes({1, 0, 3, 0, 0, 0, 130, 0, 0x70, 0x11, 0x01, 0});
    EXPECT_EQ(TQvDatabase::DecodeOperationCounts(value),
              (QStringList{QStringLiteral("1=3"), QStringLiteral("130=70000")}));
    EXPECT_TRUE(TQvDatabase::DecodeOperationCounts({}).isEmpty());
}

TEST(DatabaseOperationCounts, EightByteCountAmongFourByteOnes)
{
    // A count past 32 bits travels in 8 bytes.
    const QByteArray value = bytes({1, 0, 5, 0, 0, 0, 128, 0, 0, 0, 0, 0, 1, 0, 0, 0, 200, 0, 7, 0, 0, 0});
    EXPECT_EQ(TQvDatabase::DecodeOperationCounts(value),
              (QStringList{QStringLiteral("1=5"), QStringLiteral("128=4294967296"),
                           QStringLiteral("200=7")}));
}

TEST(DatabaseOperationCounts, OddReplyIsReadWithinItsBounds)
{
    // Nothing a server writes: a partial entry at the end is not read.
    const QByteArray value = bytes({9, 0, 1, 0, 0, 0, 3, 0, 2});
    EXPECT_EQ(TQvDatabase::DecodeOperationCounts(value), QStringList{QStringLiteral("9=1")});
}

TEST(DatabaseProperties, ChecksWithoutClientCalls)
{
    TQvDatabase database;
    EXPECT_EQ(clientErrorOf([&] { database.Open(); }).Message(), QStringLiteral("Database name is missing."));
    EXPECT_EQ(clientErrorOf([&] { database.Close(); }).Message(),
              QStringLiteral("Cannot perform operation -- DB is not open."));
    EXPECT_EQ(clientErrorOf([&] { database.DropDatabase(); }).SQLCode(), 12);
    EXPECT_EQ(clientErrorOf([&] { database.PageSize(); }).SQLCode(), 12);
    EXPECT_EQ(clientErrorOf([&] { database.SetTimeout(-1); }).Message(),
              QStringLiteral("Timeout values cannot be negative."));
}

TEST(DatabaseProperties, IndexOfDBConstFindsNameWithOrWithoutPrefix)
{
    TQvDatabase database;
    database.SetDBParams({QStringLiteral("isc_dpb_lc_ctype=UTF8"), QStringLiteral("USER_NAME=a"),
                          QStringLiteral("isc_dpb_password=b")});
    EXPECT_EQ(database.IndexOfDBConst(QStringLiteral("user_name")), 1);
    EXPECT_EQ(database.IndexOfDBConst(QStringLiteral("password")), 2);
    EXPECT_EQ(database.IndexOfDBConst(QStringLiteral("lc_ctype")), 0);
    EXPECT_EQ(database.IndexOfDBConst(QStringLiteral("sql_role_name")), -1);
}

TEST(DatabaseProperties, TimeoutZeroStopsTheTimer)
{
    TQvDatabase database;
    database.SetTimeout(50);
    EXPECT_EQ(database.Timeout(), 50);
    database.SetTimeout(0);
    EXPECT_EQ(database.Timeout(), 0);
}

TEST(DatabaseProperties, DefaultTransactionListsBothWays)
{
    TQvDatabase database;
    auto transaction = std::make_unique<TQvTransaction>();
    database.SetDefaultTransaction(transaction.get());
    EXPECT_EQ(database.TransactionCount(), 1);
    EXPECT_EQ(transaction->FindDatabase(&database), 0);
    EXPECT_EQ(database.DefaultTransaction(), transaction.get());
    transaction.reset();
    EXPECT_EQ(database.TransactionCount(), 0);
    EXPECT_EQ(database.DefaultTransaction(), nullptr);
}

class DatabaseOnTarget : public ::testing::TestWithParam<qvtest::Target>
{
};

TEST_P(DatabaseOnTarget, CreateInformationCloseReattachDrop)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    auto database = createDatabase(target, dir);
    ASSERT_TRUE(database->Connected());
    const QString file = dir.filePath(QStringLiteral("test.fdb"));
    EXPECT_TRUE(QFile::exists(file));

    EXPECT_EQ(database->PageSize(), 4096);
    EXPECT_EQ(database->ODSMajorVersion(), 12);
    EXPECT_EQ(database->ODSMinorVersion(), 0);
    EXPECT_TRUE(database->Version().contains(QLatin1String("Firebird 3.0"))) << qPrintable(database->Version());
    EXPECT_TRUE(database->DBFileName().endsWith(QLatin1String("test.fdb"))) << qPrintable(database->DBFileName());
    EXPECT_GT(database->Allocation(), 0);
    EXPECT_GT(database->NumBuffers(), 0);
    // A new database writes synchronously.
    EXPECT_EQ(database->ForcedWrites(), 1);
    EXPECT_EQ(database->SweepInterval(), 20000);
    EXPECT_GT(database->CurrentMemory(), 0);
    EXPECT_GE(database->MaxMemory(), database->CurrentMemory());
    EXPECT_GT(database->Fetches(), 0);
    // Creating the database changed pages and wrote them; every page read
    // from disk was fetched as well.
    EXPECT_GT(database->Marks(), 0);
    EXPECT_GT(database->Writes(), 0);
    EXPECT_LE(database->Reads(), database->Fetches());
    EXPECT_EQ(database->BaseLevel(), 6);

    database->Close();
    EXPECT_FALSE(database->Connected());
    database->SetDBParams(connectParams(target));
    QSignalSpy connects(database.get(), &TQvDatabase::OnConnect);
    database->Open();
    EXPECT_EQ(connects.count(), 1);
    EXPECT_EQ(database->PageSize(), 4096);
    EXPECT_EQ(database->TextCodec().characterSet(), QStringLiteral("NONE"));
    EXPECT_EQ(database->SQLDialect(), 1);

    database->DropDatabase();
    EXPECT_FALSE(database->Connected());
    EXPECT_FALSE(QFile::exists(file));
}

TEST_P(DatabaseOnTarget, TheDialectIsReadFromTheDatabase)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    EXPECT_EQ(createDatabase(target, dir)->SQLDialect(), 1);
    EXPECT_EQ(qvaccess::createDialect3Database(target, dir)->SQLDialect(), 3);
}

TEST_P(DatabaseOnTarget, CreateMakesTheDialectAskedForWithTheNamesGiven)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    TQvDatabase database;
    EXPECT_EQ(database.CreateSQLDialect(), 1);
    EXPECT_THROW(database.SetCreateSQLDialect(2), EQvClientError);
    database.SetCreateSQLDialect(3);
    // A quote in the path stays inside the dialect's own literal.
    database.SetDBName(target.databasePath(dir, QStringLiteral("it's \"3\".fdb")));
    database.SetDBParams(qvaccess::createOptions(target, QStringLiteral("UTF8"))
                         << QStringLiteral("SET NAMES 'UTF8'"));
    // The client library reads SET NAMES only before the server's options.
    QStringList options = database.DBParams();
    options.move(options.size() - 1, 1);
    database.SetDBParams(options);
    database.CreateDatabase();
    EXPECT_TRUE(database.Connected());
    EXPECT_EQ(database.SQLDialect(), 3);
    EXPECT_EQ(database.TextCodec().characterSet(), QStringLiteral("UTF8"));
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    // Dialect 3 and a UTF8 connection: a quoted name, and text beyond Latin-1.
    query.SetSQLText(QStringLiteral("select '\u20ac' as \"Euro\", mon$character_set_id from mon$attachments "
                                    "where mon$attachment_id = current_connection"));
    query.ExecQuery();
    EXPECT_EQ(query.FieldByName(QStringLiteral("Euro")).AsString(), QStringLiteral("\u20ac"));
    EXPECT_EQ(query.Fields(1).AsLong(), 4); // UTF8
    query.Close();
    transaction.Commit();
    database.DropDatabase();
}

TEST_P(DatabaseOnTarget, PerTableCountersAfterWork)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    auto database = createDatabase(target, dir);
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(database.get());
    transaction.StartTransaction();
    qvaccess::executeImmediate(*database, transaction, QStringLiteral("create table T (A integer)"));
    transaction.Commit();
    // A fresh attachment counts only what it does itself.
    database->Close();
    database->SetDBParams(connectParams(target));
    database->Open();
    EXPECT_TRUE(database->InsertCount().isEmpty());
    EXPECT_TRUE(database->DeleteCount().isEmpty());

    transaction.StartTransaction();
    for (int i = 0; i < 3; ++i)
        qvaccess::executeImmediate(*database, transaction, QStringLiteral("insert into T values (%1)").arg(i));
    qvaccess::executeImmediate(*database, transaction, QStringLiteral("update T set A = A + 1"));
    qvaccess::executeImmediate(*database, transaction, QStringLiteral("delete from T where A = 1"));
    transaction.Commit();

    const QStringList inserts = database->InsertCount();
    ASSERT_EQ(inserts.size(), 1) << qPrintable(inserts.join(u' '));
    const QString relation = inserts.first().section(QLatin1Char('='), 0, 0);
    EXPECT_GE(relation.toInt(), 128);
    EXPECT_EQ(inserts.first(), relation + QStringLiteral("=3"));
    EXPECT_TRUE(database->UpdateCount().contains(relation + QStringLiteral("=3")));
    EXPECT_TRUE(database->DeleteCount().contains(relation + QStringLiteral("=1")));
    EXPECT_TRUE(database->ReadSeqCount().contains(relation + QStringLiteral("=6")))
        << qPrintable(database->ReadSeqCount().join(u' '));
    EXPECT_TRUE(database->ReadIdxCount().filter(QRegularExpression(QStringLiteral("^\\d+=\\d+$"))).size()
                == database->ReadIdxCount().size());
}

TEST_P(DatabaseOnTarget, MissingFileGivesMinus902)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    TQvDatabase database;
    database.SetDBName(target.databasePath(dir, QStringLiteral("missing.fdb")));
    database.SetDBParams(connectParams(target));
    try {
        database.Open();
        FAIL() << "attached to a missing file";
    } catch (const EQvInterBaseError& error) {
        EXPECT_EQ(error.SQLCode(), -902);
        // The SQL message, then the server's lines, each closed by a full stop and a break.
        const QStringList lines = error.Message().split(QStringLiteral("\r\n"));
        ASSERT_GE(lines.size(), 3);
        EXPECT_TRUE(lines.last().isEmpty());
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            EXPECT_TRUE(lines.at(i).endsWith(QLatin1Char('.'))) << qPrintable(lines.at(i));
        EXPECT_TRUE(error.Message().contains(QLatin1String("missing.fdb")));
    }
    EXPECT_FALSE(database.Connected());
}

TEST_P(DatabaseOnTarget, QuoteInPathCannotBreakTheStatement)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    // A quote in the name would close the path's literal early; the rest would
    // then be read as options of the statement.
    const QString file = QStringLiteral("a\" PAGE_SIZE 8192 \"b'c.fdb");
    auto database = createDatabase(target, dir, file);
    EXPECT_TRUE(QFile::exists(dir.filePath(file)));
    EXPECT_EQ(database->PageSize(), 4096);
    database->DropDatabase();
    EXPECT_FALSE(QFile::exists(dir.filePath(file)));
}

TEST_P(DatabaseOnTarget, ChangesWhileAttachedAreRefused)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    auto database = createDatabase(target, dir);
    const QStringList before = database->DBParams();
    EXPECT_EQ(clientErrorOf([&] { database->SetDBParams({QStringLiteral("user_name=X")}); }).Message(),
              QStringLiteral("Cannot perform operation -- DB is currently open."));
    EXPECT_EQ(database->DBParams(), before);
    EXPECT_EQ(clientErrorOf([&] { database->SetDBName(QStringLiteral("x")); }).SQLCode(), 13);
    EXPECT_EQ(clientErrorOf([&] { database->Open(); }).SQLCode(), 13);
    EXPECT_EQ(clientErrorOf([&] { database->CreateDatabase(); }).SQLCode(), 13);
    database->DropDatabase();
}

TEST_P(DatabaseOnTarget, DropEndsTransactionsAndNotifiesLinks)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    auto database = createDatabase(target, dir);
    TQvTransaction transaction;
    transaction.SetTimeoutAction(TACommitRetaining);
    transaction.SetDefaultDatabase(database.get());
    transaction.StartTransaction();
    QStringList log;
    RecordingLink link(log);
    link.SetDatabase(database.get());
    EXPECT_EQ(link.Transaction(), nullptr); // no default transaction on the database
    link.SetTransaction(&transaction);

    database->DropDatabase();
    EXPECT_FALSE(transaction.Active());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("test.fdb"))));
    EXPECT_EQ(log, (QStringList{QStringLiteral("ending"), QStringLiteral("ended"),
                                QStringLiteral("disconnecting"), QStringLiteral("disconnected")}));
}

TEST_P(DatabaseOnTarget, CloseEndsActiveTransactionHard)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    auto database = createDatabase(target, dir);
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(database.get());
    transaction.StartTransaction();
    qvaccess::executeImmediate(*database, transaction, QStringLiteral("create table T (A integer)"));
    transaction.Commit();
    transaction.StartTransaction();
    qvaccess::executeImmediate(*database, transaction, QStringLiteral("insert into T values (1)"));
    // Commit retaining alone would leave the transaction open and the detach refused.
    transaction.SetTimeoutAction(TACommitRetaining);
    database->Close();
    EXPECT_FALSE(database->Connected());
    EXPECT_FALSE(transaction.Active());

    database->SetDBParams(connectParams(target));
    database->Open();
    transaction.StartTransaction();
    qvaccess::executeImmediate(*database, transaction, QStringLiteral("delete from T"));
    transaction.Rollback();
    EXPECT_TRUE(database->DeleteCount().first().endsWith(QLatin1String("=1")));
    database->DropDatabase();
}

TEST_P(DatabaseOnTarget, IdleConnectionClosesAfterTimeout)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    auto database = createDatabase(target, dir);
    qv::ManualClock clock;
    QSignalSpy timeouts(database.get(), &TQvDatabase::OnTimeout);
    database->SetTimeout(40);
    // Client calls keep it open.
    for (int i = 0; i < 5; ++i) {
        clock.advance(30);
        database->PageSize();
        EXPECT_TRUE(database->Connected());
    }
    // One tick finds it idle, the next closes it: one to two intervals.
    clock.advance(40);
    EXPECT_TRUE(database->Connected());
    clock.advance(40);
    EXPECT_FALSE(database->Connected());
    EXPECT_EQ(timeouts.count(), 1);
    database->SetTimeout(0);
    database->SetDBParams(connectParams(target));
    database->Open();
    database->DropDatabase();
}

TEST_P(DatabaseOnTarget, LoginPromptFillsUserAndPassword)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    auto database = createDatabase(target, dir);
    database->Close();
    database->SetDBParams({QStringLiteral("isc_dpb_user_name=nobody")});
    database->SetUseLoginPrompt(true);

    qv::DialogScript script;
    script.answerLogin(target.user, target.password);
    script.cancelLogin();
    database->Open();
    EXPECT_TRUE(database->Connected());
    ASSERT_EQ(script.shown().size(), 1u);
    EXPECT_EQ(script.shown().front().kind, qv::DialogKind::Login);
    EXPECT_EQ(script.shown().front().text, database->DBName());
    EXPECT_EQ(script.shown().front().value, QStringLiteral("nobody"));
    EXPECT_EQ(database->DBParams(),
              (QStringList{QStringLiteral("user_name=") + target.user,
                           QStringLiteral("password=") + target.password}));
    database->Close();

    EXPECT_EQ(clientErrorOf([&] { database->Open(); }).Message(),
              QStringLiteral("Operation cancelled at user's request."));
    EXPECT_FALSE(database->Connected());
    EXPECT_EQ(script.pendingAnswers(), 0);

    // Another dialog can stand in for the platform's.
    QString shownUser;
    const TQvLoginDialog previous = SetQvLoginDialog([&](const QString&, QString& user, QString&) {
        shownUser = user;
        return false;
    });
    EXPECT_THROW(database->Open(), EQvClientError);
    EXPECT_EQ(shownUser, target.user);
    SetQvLoginDialog(previous);

    database->SetUseLoginPrompt(false);
    database->Open();
    database->DropDatabase();
}

TEST_P(DatabaseOnTarget, DestructionFreesLinks)
{
    const qvtest::Target target = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    auto database = createDatabase(target, dir);
    TQvTransaction transaction;
    database->SetDefaultTransaction(&transaction);
    QStringList log;
    RecordingLink link(log);
    link.SetDatabase(database.get());
    EXPECT_EQ(link.Transaction(), &transaction);
    transaction.StartTransaction();
    database.reset();
    EXPECT_FALSE(transaction.Active());
    EXPECT_EQ(transaction.DatabaseCount(), 0);
    EXPECT_EQ(link.Database(), nullptr);
    EXPECT_EQ(link.Transaction(), nullptr);
    EXPECT_EQ(log, (QStringList{QStringLiteral("ending"), QStringLiteral("ended"),
                                QStringLiteral("disconnecting"), QStringLiteral("disconnected"),
                                QStringLiteral("database free")}));
}

TEST(DatabaseOnServer, WrongPasswordGivesMinus902)
{
    QV_SKIP_WITHOUT_SERVER();
    const qvtest::Target target = qvtest::serverTarget();
    qvtest::TempDir dir;
    createDatabase(target, dir)->Close();
    TQvDatabase database;
    database.SetDBName(target.databasePath(dir, QStringLiteral("test.fdb")));
    database.SetDBParams({QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=wrong") + target.password});
    try {
        database.Open();
        FAIL() << "attached with a wrong password";
    } catch (const EQvInterBaseError& error) {
        EXPECT_EQ(error.SQLCode(), -902);
    }
    database.SetDBParams(connectParams(target));
    database.Open();
    database.DropDatabase();
}

INSTANTIATE_TEST_SUITE_P(Targets, DatabaseOnTarget, ::testing::ValuesIn(qvtest::allTargets()),
                         qvtest::targetName);

} // namespace
