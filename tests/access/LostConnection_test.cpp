// An attachment the server ends under the program (here another connection
// deletes its MON$ATTACHMENTS row): the call that finds it raises the
// server's error as EQvConnectionLost, the connection is dropped without
// further errors (its work rolled back, its statements closed), and it
// attaches again afterwards.

#include "AccessTest_support.h"
#include "access/QvDataSet.h"
#include "access/QvQuery.h"
#include "support/DatabaseSupport.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <iberror.h>

namespace {

class LostConnection : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        database = qvaccess::createDatabase(GetParam(), dir);
        path = database->DBName();
        qvtest::runStatements(*database, {QStringLiteral("create table T (ID integer)"),
                                          QStringLiteral("insert into T values (0)")});
        transaction.AddDatabase(database.get());
        query.SetDatabase(database.get());
        query.SetTransaction(&transaction);
    }

    void run(const QString& sql)
    {
        query.SetSQLText(sql);
        query.ExecQuery();
    }

    // Rows of T seen by a connection of its own.
    int rowsOnTheServer()
    {
        TQvDatabase other;
        other.SetDBName(path);
        other.SetDBParams(qvtest::connectParams(GetParam()));
        other.Open();
        TQvTransaction reading;
        reading.AddDatabase(&other);
        TQvQuery count;
        count.SetDatabase(&other);
        count.SetTransaction(&reading);
        count.SetSQLText(QStringLiteral("select count(*) from T"));
        reading.StartTransaction();
        count.ExecQuery();
        const int rows = count.Fields(0).AsLong();
        count.Close();
        reading.Commit();
        return rows;
    }

    void killIt() { qvtest::killAttachment(GetParam(), path, qvtest::attachmentId(*database)); }

    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
    QString path;
    TQvTransaction transaction;
    TQvQuery query;
};

} // namespace

TEST_P(LostConnection, IsNoticedDroppedWithItsWorkRolledBackAndAttachedAgain)
{
    TQvDataSet dataSet;
    dataSet.SetDatabase(database.get());
    dataSet.SetTransaction(&transaction);
    dataSet.SetSelectSQLText(QStringLiteral("select ID from T"));
    transaction.StartTransaction();
    run(QStringLiteral("insert into T values (1)"));
    dataSet.Open();
    QSignalSpy lost(database.get(), &TQvDatabase::OnConnectionLost);
    killIt();

    try {
        run(QStringLiteral("insert into T values (2)"));
        FAIL() << "a statement ran on an ended attachment";
    } catch (const EQvConnectionLost& error) {
        EXPECT_EQ(error.IBErrorCode(), isc_att_shutdown) << qPrintable(error.Message());
        EXPECT_TRUE(error.Message().contains(QStringLiteral("connection shutdown"))) << qPrintable(error.Message());
    }
    // Noted at once, dropped once the events are processed: the failing call
    // may have been deep inside the dataset.
    EXPECT_TRUE(database->ConnectionLost());
    EXPECT_EQ(lost.count(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(database->ConnectionLost());
    EXPECT_FALSE(database->Connected());
    EXPECT_FALSE(transaction.Active());
    EXPECT_FALSE(query.Prepared());
    EXPECT_FALSE(dataSet.Active());

    // The same components attach and work again; what was not committed is gone.
    database->SetDBParams(qvtest::connectParams(GetParam()));
    database->Open();
    EXPECT_TRUE(database->Connected());
    transaction.StartTransaction();
    run(QStringLiteral("insert into T values (3)"));
    transaction.Commit();
    transaction.StartTransaction();
    dataSet.Open();
    EXPECT_GT(dataSet.RecordCount(), 0);
    dataSet.Close();
    transaction.Commit();
    EXPECT_EQ(rowsOnTheServer(), 2);
    EXPECT_EQ(lost.count(), 1);
}

TEST_P(LostConnection, ARollbackOrCloseBeforeTheDropEndsItWithoutFurtherErrors)
{
    transaction.StartTransaction();
    run(QStringLiteral("insert into T values (1)"));
    killIt();
    QSignalSpy lost(database.get(), &TQvDatabase::OnConnectionLost);

    // The rollback itself finds the attachment gone and says so.
    EXPECT_THROW(transaction.Rollback(), EQvConnectionLost);
    // Closing what is left raises nothing more.
    EXPECT_NO_THROW(database->Close());
    EXPECT_FALSE(database->Connected());
    EXPECT_FALSE(transaction.Active());
    EXPECT_EQ(lost.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_EQ(lost.count(), 1) << "dropped once";

    database->SetDBParams(qvtest::connectParams(GetParam()));
    database->Open();
    EXPECT_EQ(rowsOnTheServer(), 1);
}

TEST_P(LostConnection, OfTwoDatabasesInOneTransactionOnlyTheLostOneIsDropped)
{
    qvtest::TempDir otherDir;
    auto other = qvaccess::createDatabase(GetParam(), otherDir, QStringLiteral("other.fdb"));
    transaction.AddDatabase(other.get());
    transaction.StartTransaction();
    killIt();
    // The transaction's own call cannot tell which one it was: each is asked.
    EXPECT_THROW(run(QStringLiteral("insert into T values (1)")), EQvConnectionLost);
    EXPECT_TRUE(database->ConnectionLost());
    EXPECT_FALSE(other->ConnectionLost());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_FALSE(database->Connected());
    EXPECT_TRUE(other->Connected());
    EXPECT_FALSE(transaction.Active());

    TQvTransaction alone;
    alone.AddDatabase(other.get());
    alone.StartTransaction();
    EXPECT_NO_THROW(qvaccess::executeImmediate(*other, alone, QStringLiteral("create table U (A integer)")));
    alone.Commit();
}

INSTANTIATE_TEST_SUITE_P(Targets, LostConnection, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);
