// Transactions: parameter blocks, one transaction over several attachments,
// the ways a transaction ends and what linked objects are told.

#include "AccessTest_support.h"
#include "access/QvQuery.h"
#include "platform/Timer.h"

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

struct RecordingLink : TQvBase
{
    explicit RecordingLink(QStringList& log)
        : TQvBase(nullptr)
    {
        OnTransactionEnding = [&log] { log << QStringLiteral("ending"); };
        OnTransactionEnded = [&log] { log << QStringLiteral("ended"); };
        OnTransactionFree = [&log] { log << QStringLiteral("transaction free"); };
    }
};

// Runs statements and reads single values through the production classes.
void run(TQvDatabase& database, TQvTransaction& transaction, const QString& sql)
{
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(sql);
    query.ExecQuery();
}

int countRows(TQvDatabase& database, const QString& table)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(QStringLiteral("select count(*) from ") + table);
    query.ExecQuery();
    const int count = query.Fields(0).AsLong();
    query.Close();
    transaction.Commit();
    return count;
}

TEST(TransactionParameterBlock, LinesGiveConstants)
{
    EXPECT_EQ(TQvTransaction::GenerateTPB({}), QByteArray());
    EXPECT_EQ(TQvTransaction::GenerateTPB({QStringLiteral("read"), QStringLiteral("isc_tpb_read_committed"),
                                           QStringLiteral("rec_version")}),
              bytes({3, 8, 15, 17}));
    EXPECT_EQ(TQvTransaction::GenerateTPB({QStringLiteral("lock_read=EMPLOYEE")}),
              bytes({3, 10, 8}) + "EMPLOYEE");
    EXPECT_EQ(TQvTransaction::GenerateTPB({QStringLiteral("CONCURRENCY"), QStringLiteral("NoWait"),
                                           QStringLiteral("write")}),
              bytes({3, 2, 7, 9}));
}

TEST(TransactionParameterBlock, RefusedNamesGiveTheTableTexts)
{
    for (const char* name : {"protected", "verb_time", "commit_time", "autocommit", "restart_requests",
                             "no_auto_undo"}) {
        const EQvClientError error = clientErrorOf([name] {
            TQvTransaction::GenerateTPB({QStringLiteral("isc_tpb_") + QLatin1String(name)});
        });
        EXPECT_EQ(error.SQLCode(), 10);
        EXPECT_EQ(error.Message(), QStringLiteral("TPB Constant (isc_tpb_%1) is unsupported.").arg(name));
    }
    const EQvClientError unknown = clientErrorOf([] { TQvTransaction::GenerateTPB({QStringLiteral("snapshot")}); });
    EXPECT_EQ(unknown.SQLCode(), 11);
    EXPECT_EQ(unknown.Message(), QStringLiteral("TPB Constant (0) is unknown."));
    EXPECT_THROW(TQvTransaction::GenerateTPB({QStringLiteral("lock_write=") + QString(256, QLatin1Char('T'))}),
                 EQvClientError);
}

TEST(TransactionChecks, RaiseBeforeAnyClientCall)
{
    TQvTransaction transaction;
    EXPECT_EQ(clientErrorOf([&] { transaction.Commit(); }).Message(), QStringLiteral("Transaction is not active."));
    EXPECT_EQ(clientErrorOf([&] { transaction.Rollback(); }).SQLCode(), 15);
    EXPECT_EQ(clientErrorOf([&] { transaction.StartTransaction(); }).Message(),
              QStringLiteral("No databases are listed in transaction component."));
    EXPECT_EQ(clientErrorOf([&] { transaction.SetTimeout(-5); }).SQLCode(), 17);
    transaction.SetTimeout(100);
    EXPECT_EQ(transaction.Timeout(), 100);
    transaction.SetTimeout(0);
    EXPECT_EQ(transaction.Timeout(), 0);
    EXPECT_EQ(transaction.TimeoutAction(), TARollback);
}

TEST(TransactionChecks, LinkChecks)
{
    TQvBase link(nullptr);
    EXPECT_EQ(clientErrorOf([&] { link.CheckDatabase(); }).Message(), QStringLiteral("Database not assigned."));
    EXPECT_EQ(clientErrorOf([&] { link.CheckTransaction(); }).Message(),
              QStringLiteral("Transaction not assigned."));
    TQvDatabase database;
    TQvTransaction transaction;
    link.SetDatabase(&database);
    link.SetTransaction(&transaction);
    EXPECT_EQ(clientErrorOf([&] { link.GetDBHandle(); }).SQLCode(), 12);
    EXPECT_EQ(clientErrorOf([&] { link.GetTRHandle(); }).SQLCode(), 15);
}

TEST(TransactionLists, EmptySlotsAreReused)
{
    TQvDatabase first, second, third;
    TQvTransaction transaction;
    EXPECT_EQ(transaction.AddDatabase(&first), 0);
    EXPECT_EQ(transaction.AddDatabase(&second), 1);
    EXPECT_EQ(transaction.AddDatabase(&first), 0);
    transaction.RemoveDatabase(0);
    EXPECT_EQ(first.TransactionCount(), 0);
    EXPECT_EQ(transaction.DatabaseCount(), 1);
    EXPECT_EQ(transaction.AddDatabase(&third), 0);
    EXPECT_EQ(third.FindTransaction(&transaction), 0);
    transaction.SetDefaultDatabase(&second);
    second.RemoveTransactions();
    EXPECT_EQ(transaction.DefaultDatabase(), nullptr);
    EXPECT_EQ(transaction.FindDatabase(&second), -1);
}

class TransactionOnTarget : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        database = createDatabase(GetParam(), dir);
        transaction = std::make_unique<TQvTransaction>();
        transaction->SetDefaultDatabase(database.get());
        transaction->StartTransaction();
        run(*database, *transaction, QStringLiteral("create table T (ID integer not null primary key, A integer)"));
        transaction->Commit();
    }

    void TearDown() override
    {
        if (!database)
            return;
        transaction.reset();
        if (!database->Connected()) {
            database->SetDBParams(connectParams(GetParam()));
            database->Open();
        }
        database->DropDatabase();
    }

    std::unique_ptr<TQvDatabase> attachAgain()
    {
        auto other = std::make_unique<TQvDatabase>();
        other->SetDBName(database->DBName());
        other->SetDBParams(connectParams(GetParam()));
        other->Open();
        return other;
    }

    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
    std::unique_ptr<TQvTransaction> transaction;
};

TEST_P(TransactionOnTarget, SpansTwoAttachments)
{
    auto second = createDatabase(GetParam(), dir, QStringLiteral("second.fdb"));
    TQvTransaction ddl;
    ddl.SetDefaultDatabase(second.get());
    ddl.StartTransaction();
    run(*second, ddl, QStringLiteral("create table U (B integer)"));
    ddl.Commit();

    TQvTransaction both;
    both.AddDatabase(database.get());
    both.AddDatabase(second.get());
    EXPECT_EQ(both.DatabaseCount(), 2);
    both.StartTransaction();
    run(*database, both, QStringLiteral("insert into T (ID) values (1)"));
    run(*second, both, QStringLiteral("insert into U values (2)"));
    both.Rollback();
    EXPECT_EQ(countRows(*database, QStringLiteral("T")), 0);
    EXPECT_EQ(countRows(*second, QStringLiteral("U")), 0);

    both.StartTransaction();
    run(*database, both, QStringLiteral("insert into T (ID) values (1)"));
    run(*second, both, QStringLiteral("insert into U values (2)"));
    both.Commit();
    EXPECT_EQ(countRows(*database, QStringLiteral("T")), 1);
    EXPECT_EQ(countRows(*second, QStringLiteral("U")), 1);
    second->DropDatabase();
}

TEST_P(TransactionOnTarget, ReadCommittedReadOnlyParameters)
{
    TQvTransaction reader;
    reader.SetDefaultDatabase(database.get());
    reader.SetTRParams({QStringLiteral("read"), QStringLiteral("read_committed"), QStringLiteral("rec_version")});
    reader.StartTransaction();
    try {
        run(*database, reader, QStringLiteral("insert into T (ID) values (1)"));
        FAIL() << "a read-only transaction inserted a row";
    } catch (const EQvInterBaseError& error) {
        EXPECT_EQ(error.SQLCode(), -817);
    }
    // Read committed: a row another transaction commits is seen at once.
    transaction->StartTransaction();
    run(*database, *transaction, QStringLiteral("insert into T (ID) values (2)"));
    transaction->Commit();
    TQvQuery count;
    count.SetDatabase(database.get());
    count.SetTransaction(&reader);
    count.SetSQLText(QStringLiteral("select count(*) from T"));
    count.ExecQuery();
    EXPECT_EQ(count.Fields(0).AsLong(), 1);
    count.Close();
    reader.Commit();
}

TEST_P(TransactionOnTarget, NowaitWritersConflictOnOneRow)
{
    transaction->StartTransaction();
    run(*database, *transaction, QStringLiteral("insert into T (ID, A) values (1, 0)"));
    transaction->Commit();

    auto otherAttachment = attachAgain();
    TQvTransaction first, second;
    first.SetDefaultDatabase(database.get());
    second.SetDefaultDatabase(otherAttachment.get());
    for (TQvTransaction* writer : {&first, &second})
        writer->SetTRParams({QStringLiteral("write"), QStringLiteral("nowait"), QStringLiteral("concurrency")});
    first.StartTransaction();
    second.StartTransaction();
    run(*database, first, QStringLiteral("update T set A = 1 where ID = 1"));
    // No wait: the second writer is told while the first still holds the row
    // (a waiting one would block here for good, as the first never ends meanwhile).
    try {
        run(*otherAttachment, second, QStringLiteral("update T set A = 2 where ID = 1"));
        FAIL() << "two writers changed one row";
    } catch (const EQvInterBaseError& error) {
        // Firebird 3 reports it as a deadlock with the update conflict beneath.
        EXPECT_EQ(error.SQLCode(), -913);
        EXPECT_TRUE(error.IBErrorCode() == isc_deadlock || error.IBErrorCode() == isc_lock_conflict)
            << error.IBErrorCode();
        EXPECT_TRUE(error.Message().contains(QLatin1String("update conflicts with concurrent update")))
            << qPrintable(error.Message());
    }
    second.Rollback();
    first.Commit();
}

TEST_P(TransactionOnTarget, CommitClosesCursorsCommitRetainingKeepsThem)
{
    transaction->StartTransaction();
    for (int id = 1; id <= 3; ++id)
        run(*database, *transaction, QStringLiteral("insert into T (ID) values (%1)").arg(id));
    transaction->CommitRetaining();
    EXPECT_TRUE(transaction->Active());

    TQvQuery query;
    query.SetDatabase(database.get());
    query.SetTransaction(transaction.get());
    query.SetSQLText(QStringLiteral("select ID from T order by ID"));
    query.ExecQuery();
    EXPECT_EQ(query.Fields(0).AsLong(), 1);
    QSignalSpy none(transaction.get(), &TQvTransaction::OnTimeout);
    transaction->CommitRetaining();
    ASSERT_TRUE(query.Open());
    ASSERT_NE(query.Next(), nullptr);
    EXPECT_EQ(query.Fields(0).AsLong(), 2);

    transaction->Commit();
    EXPECT_FALSE(query.Open());
    EXPECT_TRUE(query.Eof());
    // The statement stays prepared and runs again in the next transaction.
    EXPECT_TRUE(query.Prepared());
    transaction->StartTransaction();
    query.ExecQuery();
    EXPECT_EQ(query.Fields(0).AsLong(), 1);
    transaction->Rollback();
    EXPECT_FALSE(query.Open());
}

TEST_P(TransactionOnTarget, NotificationsOfEachEnd)
{
    database->SetDefaultTransaction(transaction.get());
    QStringList log;
    RecordingLink link(log);
    link.SetDatabase(database.get());
    EXPECT_EQ(link.Transaction(), transaction.get());
    transaction->StartTransaction();
    transaction->CommitRetaining();
    EXPECT_TRUE(log.isEmpty());
    transaction->Commit();
    EXPECT_EQ(log, (QStringList{QStringLiteral("ending"), QStringLiteral("ended")}));
    log.clear();
    transaction->StartTransaction();
    transaction->SetActive(false);
    EXPECT_FALSE(transaction->Active());
    EXPECT_EQ(log, (QStringList{QStringLiteral("ending"), QStringLiteral("ended")}));
    log.clear();
    transaction->SetActive(true);
    EXPECT_EQ(clientErrorOf([&] { transaction->StartTransaction(); }).Message(),
              QStringLiteral("Transaction is active."));
    transaction.reset();
    EXPECT_EQ(log, (QStringList{QStringLiteral("ending"), QStringLiteral("ended"),
                                QStringLiteral("transaction free")}));
    EXPECT_EQ(link.Transaction(), nullptr);
    EXPECT_EQ(link.Database(), database.get());
}

TEST_P(TransactionOnTarget, ForcedCommitRetainingIsAHardCommit)
{
    transaction->StartTransaction();
    run(*database, *transaction, QStringLiteral("insert into T (ID) values (1)"));
    transaction->EndTransaction(TACommitRetaining, true);
    EXPECT_FALSE(transaction->Active());
    EXPECT_EQ(countRows(*database, QStringLiteral("T")), 1);
}

TEST_P(TransactionOnTarget, ForcedEndWhoseCommitFailsStillEnds)
{
    QStringList log;
    RecordingLink link(log);
    link.SetDatabase(database.get());
    link.SetTransaction(transaction.get());
    transaction->StartTransaction();
    // End the server's transaction behind the component's back: its own
    // commit then fails on the stale handle.
    isc_tr_handle stale = *transaction->Handle();
    ASSERT_EQ(isc_commit_transaction(StatusVector(), &stale), 0);

    EXPECT_THROW(transaction->Commit(), EQvInterBaseError);
    EXPECT_TRUE(transaction->Active());
    EXPECT_EQ(log, QStringList{QStringLiteral("ending")});
    log.clear();
    transaction->EndTransaction(TACommit, true);
    EXPECT_FALSE(transaction->Active());
    EXPECT_EQ(log, (QStringList{QStringLiteral("ending"), QStringLiteral("ended")}));
}

TEST_P(TransactionOnTarget, IdleTimeoutEndsWithItsAction)
{
    qv::ManualClock clock;
    QSignalSpy timeouts(transaction.get(), &TQvTransaction::OnTimeout);
    transaction->SetTimeoutAction(TACommit);
    transaction->SetTimeout(40);
    transaction->StartTransaction();
    for (int i = 0; i < 4; ++i) {
        clock.advance(30);
        run(*database, *transaction, QStringLiteral("insert into T (ID) values (%1)").arg(i));
        ASSERT_TRUE(transaction->Active());
    }
    clock.advance(40);
    EXPECT_TRUE(transaction->Active()) << "one idle tick only marks it";
    clock.advance(40);
    EXPECT_FALSE(transaction->Active());
    EXPECT_EQ(timeouts.count(), 1);
    transaction->SetTimeout(0);
    EXPECT_EQ(countRows(*database, QStringLiteral("T")), 4);

    // A timed-out commit retaining must end the transaction too.
    transaction->SetTimeoutAction(TACommitRetaining);
    transaction->SetTimeout(30);
    transaction->StartTransaction();
    run(*database, *transaction, QStringLiteral("insert into T (ID) values (10)"));
    clock.advance(60);
    EXPECT_FALSE(transaction->Active());
    transaction->SetTimeout(0);
    EXPECT_EQ(countRows(*database, QStringLiteral("T")), 5);
    database->Close();
}

TEST_P(TransactionOnTarget, CommitSentAsStatementKeepsComponentInStep)
{
    transaction->StartTransaction();
    run(*database, *transaction, QStringLiteral("insert into T (ID) values (1)"));
    TQvQuery cursor;
    cursor.SetDatabase(database.get());
    cursor.SetTransaction(transaction.get());
    cursor.SetSQLText(QStringLiteral("select ID from T"));
    cursor.ExecQuery();
    ASSERT_TRUE(cursor.Open());

    run(*database, *transaction, QStringLiteral("commit retain"));
    EXPECT_TRUE(transaction->Active());
    EXPECT_TRUE(cursor.Open());

    run(*database, *transaction, QStringLiteral("commit"));
    EXPECT_FALSE(transaction->Active());
    EXPECT_FALSE(cursor.Open());
    EXPECT_EQ(countRows(*database, QStringLiteral("T")), 1);
    // The component starts afresh rather than believing it is still active.
    transaction->StartTransaction();
    run(*database, *transaction, QStringLiteral("insert into T (ID) values (2)"));
    run(*database, *transaction, QStringLiteral("rollback"));
    EXPECT_FALSE(transaction->Active());
    EXPECT_EQ(countRows(*database, QStringLiteral("T")), 1);
    database->Close();
}

INSTANTIATE_TEST_SUITE_P(Targets, TransactionOnTarget, ::testing::ValuesIn(qvtest::allTargets()),
                         qvtest::targetName);

} // namespace
