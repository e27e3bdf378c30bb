// The transaction scope: work it commits is there for another connection,
// work that leaves by an error is rolled back, and ending it never raises,
// not even when the attachment went away under it.

#include "AccessTest_support.h"
#include "access/QvQuery.h"
#include "access/QvTransactionScope.h"
#include "support/DatabaseSupport.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class TransactionScope : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        database = qvaccess::createDatabase(GetParam(), dir);
        qvtest::runStatements(*database, {QStringLiteral("create table T (ID integer)")});
        transaction.AddDatabase(database.get());
        query.SetDatabase(database.get());
        query.SetTransaction(&transaction);
    }

    void insert(int id)
    {
        query.SetSQLText(QStringLiteral("insert into T values (%1)").arg(id));
        query.ExecQuery();
    }

    // The IDs a connection of its own sees, in order.
    QString idsOnTheServer() const
    {
        TQvDatabase other;
        other.SetDBName(database->DBName());
        other.SetDBParams(qvtest::connectParams(GetParam()));
        other.Open();
        TQvTransaction reading;
        reading.AddDatabase(&other);
        TQvQuery ids;
        ids.SetDatabase(&other);
        ids.SetTransaction(&reading);
        ids.SetSQLText(QStringLiteral("select ID from T order by ID"));
        TQvTransactionScope scope(reading);
        QStringList seen;
        for (ids.ExecQuery(); !ids.Eof(); ids.Next())
            seen << QString::number(ids.Fields(0).AsLong());
        ids.Close();
        scope.Commit();
        return seen.join(QLatin1Char(','));
    }

    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
    TQvTransaction transaction;
    TQvQuery query;
};

} // namespace

TEST_P(TransactionScope, CommitsWhenToldAndRollsBackWhenLeftByAnError)
{
    {
        TQvTransactionScope scope(transaction);
        EXPECT_TRUE(transaction.Active());
        insert(1);
        scope.Commit();
        EXPECT_FALSE(transaction.Active());
    }
    EXPECT_EQ(idsOnTheServer(), QStringLiteral("1"));

    EXPECT_THROW(
        {
            TQvTransactionScope scope(transaction);
            insert(2);
            throw std::runtime_error("the work failed");
        },
        std::runtime_error);
    EXPECT_FALSE(transaction.Active());
    {
        // Never committed: left without a word is rolled back too.
        TQvTransactionScope scope(transaction);
        insert(3);
    }
    EXPECT_FALSE(transaction.Active());
    EXPECT_EQ(idsOnTheServer(), QStringLiteral("1"));
}

TEST_P(TransactionScope, StartsANewTransactionOrTakesAnActiveOneOver)
{
    transaction.StartTransaction();
    insert(1);
    // A new one cannot start over work already under way.
    EXPECT_ANY_THROW(TQvTransactionScope scope(transaction));
    EXPECT_TRUE(transaction.Active());
    {
        TQvTransactionScope scope(transaction, TQvTransactionScope::TakeOverActive);
        insert(2);
        scope.Commit();
    }
    EXPECT_EQ(idsOnTheServer(), QStringLiteral("1,2"));
    {
        TQvTransactionScope scope(transaction, TQvTransactionScope::TakeOverActive);
        EXPECT_TRUE(transaction.Active());
        insert(3);
        scope.Rollback();
        EXPECT_FALSE(transaction.Active());
        scope.Rollback();
    }
    EXPECT_EQ(idsOnTheServer(), QStringLiteral("1,2"));
}

TEST_P(TransactionScope, AnAttachmentLostUnderItEndsWithoutRaising)
{
    const QString path = database->DBName();
    {
        TQvTransactionScope scope(transaction);
        insert(1);
        qvtest::killAttachment(GetParam(), path, qvtest::attachmentId(*database));
        EXPECT_THROW(insert(2), EQvConnectionLost);
        // Leaving the scope must neither raise nor leave the transaction open.
    }
    EXPECT_FALSE(transaction.Active());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_FALSE(database->Connected());
    EXPECT_EQ(idsOnTheServer(), QString());

    // A commit that fails raises; the scope still ends the transaction.
    database->SetDBParams(qvaccess::connectParams(GetParam()));
    database->Open();
    {
        TQvTransactionScope scope(transaction);
        insert(4);
        qvtest::killAttachment(GetParam(), path, qvtest::attachmentId(*database));
        EXPECT_THROW(scope.Commit(), EQvConnectionLost);
    }
    EXPECT_FALSE(transaction.Active());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    EXPECT_FALSE(database->Connected());
    EXPECT_EQ(idsOnTheServer(), QString());
}

INSTANTIATE_TEST_SUITE_P(Targets, TransactionScope, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);
