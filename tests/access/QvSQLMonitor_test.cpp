// The SQL monitor trace: the shared objects, the writer's handshake with
// readers in other processes, the records of every trace point, and tracing
// that never fails the work it describes.
//
// Each test traces into objects of its own (a prefix with the process id), so
// tests running in parallel and a real monitor never see each other.

#include "AccessTest_support.h"
#include "access/QvDataSet.h"
#include "access/QvQuery.h"
#include "access/QvSQLMonitor.h"
#include "access/QvSQLMonitorShared.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <cstring>

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using qvaccess::connectParams;
using qvaccess::createDatabase;

namespace {

const QString crlf = QStringLiteral("\r\n");

QString uniquePrefix()
{
    static int counter = 0;
    return QStringLiteral("QvTest.%1.%2.SQL.MONITOR.").arg(getpid()).arg(++counter);
}

QString recordPrefix()
{
    return QStringLiteral("[Application: ") + QCoreApplication::applicationName() + QStringLiteral("]\r\n\r\n");
}

// The test reader, run as its own process.
class Reader
{
public:
    Reader(const QString& prefix, const QStringList& arguments)
    {
        m_process.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/qv_monitor_reader"));
        m_process.setArguments(QStringList{prefix} + arguments);
        // The embedded engine's database files carry locks that a child
        // holding inherited descriptors would keep after the test closed them.
        m_process.setChildProcessModifier([] { close_range(3, ~0U, CLOSE_RANGE_CLOEXEC); });
        m_process.start();
    }
    ~Reader()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // Waits until the reader stands ready for the first chunk.
    bool waitReady()
    {
        while (!m_output.contains("READY\n")) {
            if (!m_process.waitForReadyRead(10000))
                return false;
            m_output += m_process.readAllStandardOutput();
        }
        m_output.remove(0, m_output.indexOf("READY\n") + 6);
        return true;
    }
    int finish()
    {
        m_process.waitForFinished(15000);
        m_output += m_process.readAllStandardOutput();
        return m_process.state() == QProcess::NotRunning ? m_process.exitCode() : -1;
    }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    // The chunks printed so far, as "CHUNK <length>\n<bytes>\n".
    QList<QByteArray> chunks() const
    {
        QList<QByteArray> result;
        qsizetype position = 0;
        while (position < m_output.size()) {
            if (!m_output.mid(position).startsWith("CHUNK "))
                break;
            const qsizetype lineEnd = m_output.indexOf('\n', position);
            const int length = m_output.mid(position + 6, lineEnd - position - 6).toInt();
            result.append(m_output.mid(lineEnd + 1, length));
            position = lineEnd + 1 + length + 1;
        }
        return result;
    }
    const QByteArray& output() const { return m_output; }

private:
    QProcess m_process;
    QByteArray m_output;
};

class MonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        prefix = uniquePrefix();
        SetMonitorObjectPrefix(prefix);
    }
    void TearDown() override
    {
        if (prefix.isEmpty())
            return;
        SetMonitorObjectPrefix(QvMonitorDefaultPrefix);
        QvMonitorChannel::unlinkAll(prefix);
    }

    QString prefix;
};

class MonitorOnTarget : public MonitorTest, public ::testing::WithParamInterface<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        MonitorTest::SetUp();
    }

    // A fresh database with table T (A, B) and a running transaction.
    void open()
    {
        database = createDatabase(GetParam(), dir);
        database->setObjectName(QStringLiteral("DB1"));
        transaction = std::make_unique<TQvTransaction>();
        transaction->setObjectName(QStringLiteral("TR1"));
        transaction->SetDefaultDatabase(database.get());
        transaction->StartTransaction();
        run(QStringLiteral("create table T (A integer, B integer)"));
        transaction->Commit();
        transaction->StartTransaction();
    }
    void run(const QString& sql)
    {
        TQvQuery q;
        q.SetDatabase(database.get());
        q.SetTransaction(transaction.get());
        q.SetSQLText(sql);
        q.ExecQuery();
    }

    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
    std::unique_ptr<TQvTransaction> transaction;
};

TEST_F(MonitorTest, NewObjectsStartAtZeroAndAnotherProcessKeepsTheCounters)
{
    QvMonitorChannel channel(prefix);
    EXPECT_TRUE(channel.blockCreated());
    EXPECT_EQ(QvMonitorChannel::load(channel.chunkLength()), 0);
    EXPECT_EQ(QvMonitorChannel::load(channel.readersToFinish()), 0);
    EXPECT_EQ(QvMonitorChannel::load(channel.registeredReaders()), 0);
    EXPECT_FALSE(channel.writeEvent().isSet());
    EXPECT_TRUE(channel.writeFinishedEvent().isSet());
    EXPECT_FALSE(channel.readEvent().isSet());
    EXPECT_FALSE(channel.readFinishedEvent().isSet());

    QvMonitorChannel::store(channel.chunkLength(), 33);
    QvMonitorChannel::store(channel.readersToFinish(), 2);
    QvMonitorChannel::store(channel.registeredReaders(), 4);
    channel.writeFinishedEvent().reset();
    QvMonitorChannel again(prefix);
    EXPECT_FALSE(again.blockCreated());
    EXPECT_FALSE(again.writeFinishedEvent().isSet());

    Reader reader(prefix, {QStringLiteral("counters")});
    EXPECT_EQ(reader.finish(), 0);
    EXPECT_EQ(reader.output(), QByteArray("COUNTERS 33 2 4\n"));
}

TEST_F(MonitorTest, ObjectsArePrivateToTheUser)
{
    ASSERT_TRUE(MonitorHook());
    ASSERT_TRUE(MonitoringEnabled());
    for (const QString& name : {QvMonitorChannel::mutexName(prefix), QvMonitorChannel::sharedMemName(prefix),
                                QvMonitorChannel::writeEventName(prefix),
                                QvMonitorChannel::writeFinishedEventName(prefix),
                                QvMonitorChannel::readEventName(prefix),
                                QvMonitorChannel::readFinishedEventName(prefix)}) {
        const int fd = shm_open(name.toUtf8().constData(), O_RDONLY, 0);
        ASSERT_GE(fd, 0) << qPrintable(name);
        struct stat info{};
        ASSERT_EQ(fstat(fd, &info), 0);
        close(fd);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << qPrintable(name);
        EXPECT_EQ(info.st_uid, geteuid());
    }
    struct stat info{};
    ASSERT_EQ(stat((QStringLiteral("/dev/shm") + QvMonitorChannel::sharedMemName(prefix)).toUtf8().constData(), &info), 0);
    EXPECT_EQ(info.st_size, QvMonitorBlockSize);
}

TEST_F(MonitorTest, AnObjectOpenToOthersIsRefused)
{
    const QByteArray name = QvMonitorChannel::mutexName(prefix).toUtf8();
    const int fd = shm_open(name.constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(fchmod(fd, 0666), 0);
    close(fd);
    try {
        QvMonitorChannel channel(prefix);
        FAIL() << "a world-writable mutex object was used";
    } catch (const EQvClientError& error) {
        EXPECT_EQ(error.SQLCode(), 52);
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot create shared resource. (Windows error %1)").arg(EACCES));
    }
}

TEST_F(MonitorTest, MutexIsRecursiveAndSurvivesADeadOwner)
{
    QvNamedMutex mutex(QvMonitorChannel::mutexName(prefix));
    ASSERT_TRUE(mutex.lock(1000));
    ASSERT_TRUE(mutex.lock(1000));
    std::atomic<int> other{-1};
    std::thread([&] {
        QvNamedMutex same(QvMonitorChannel::mutexName(prefix));
        other = same.lock(200) ? 1 : 0;
    }).join();
    EXPECT_EQ(other.load(), 0) << "a second owner got a held mutex";
    mutex.unlock();
    mutex.unlock();

    // A process that dies holding the mutex does not keep it.
    Reader holder(prefix, {QStringLiteral("hold")});
    ASSERT_EQ(holder.finish(), 0);
    EXPECT_TRUE(mutex.lock(1000));
    mutex.unlock();
    EXPECT_TRUE(mutex.lock(1000));
    mutex.unlock();
}

TEST_F(MonitorTest, EventsStaySignalledAndWakeEveryWaiter)
{
    QvNamedEvent event(QvMonitorChannel::writeEventName(prefix), false);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(event.wait(150));
    EXPECT_GE(timer.elapsed(), 140);

    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            QvNamedEvent same(QvMonitorChannel::writeEventName(prefix), false);
            if (same.wait(5000))
                ++woken;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    event.set();
    for (std::thread& waiter : waiters)
        waiter.join();
    EXPECT_EQ(woken.load(), 3);
    EXPECT_TRUE(event.isSet());
    EXPECT_TRUE(event.wait(0));
    event.reset();
    EXPECT_FALSE(event.wait(0));
}

TEST_F(MonitorTest, AWaiterThatDiesDoesNotBlockTheNextSignal)
{
    QvMonitorChannel channel(prefix);
    for (int round = 0; round < 3; ++round) {
        Reader reader(prefix, {QStringLiteral("read"), QStringLiteral("1")});
        ASSERT_TRUE(reader.waitReady());
        reader.kill(); // dies while waiting for "WriteEvent"
        QvNamedEvent& event = channel.writeEvent();
        std::thread waiter([&] { EXPECT_TRUE(event.wait(5000)); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        event.set();
        waiter.join();
        event.reset();
        QvMonitorChannel::store(channel.registeredReaders(), 0);
        QvMonitorChannel::store(channel.readersToFinish(), 0);
        channel.readEvent().reset();
    }
}

TEST_F(MonitorTest, RecordIsCutIntoChunksOf1012Bytes)
{
    TQvSQLMonitorHook* hook = MonitorHook();
    ASSERT_TRUE(MonitoringEnabled());
    Reader reader(prefix, {QStringLiteral("read"), QStringLiteral("3")});
    ASSERT_TRUE(reader.waitReady());
    EXPECT_EQ(hook->GetMonitorCount(), 1);

    QString body;
    for (int i = 0; body.size() + recordPrefix().size() < 2500; ++i)
        body += QChar(u'a' + i % 26);
    ASSERT_EQ((recordPrefix() + body).toUtf8().size(), 2500);
    hook->WriteSQLData(body);

    EXPECT_EQ(reader.finish(), 0);
    const QList<QByteArray> chunks = reader.chunks();
    ASSERT_EQ(chunks.size(), 3);
    EXPECT_EQ(chunks[0].size(), 1012);
    EXPECT_EQ(chunks[1].size(), 1012);
    EXPECT_EQ(chunks[2].size(), 476);
    EXPECT_EQ(chunks[0] + chunks[1] + chunks[2], (recordPrefix() + body).toUtf8());
    EXPECT_EQ(hook->GetMonitorCount(), 0);
    EXPECT_TRUE(MonitoringEnabled());
}

TEST_F(MonitorTest, ADeadReaderCostsALiveOneNothing)
{
    TQvSQLMonitorHook* hook = MonitorHook();
    Reader dead(prefix, {QStringLiteral("register")});
    ASSERT_EQ(dead.finish(), 0);
    Reader live(prefix, {QStringLiteral("read"), QStringLiteral("1")});
    ASSERT_TRUE(live.waitReady());
    EXPECT_EQ(hook->GetMonitorCount(), 2);

    QElapsedTimer timer;
    timer.start();
    hook->WriteSQLData(QStringLiteral("one record"));
    const qint64 elapsed = timer.elapsed();
    ASSERT_EQ(live.finish(), 0);
    ASSERT_EQ(live.chunks().size(), 1);
    EXPECT_EQ(live.chunks()[0], (recordPrefix() + QStringLiteral("one record")).toUtf8());
    // One period to give up on the dead reader, none on the live one, which
    // stays counted until it leaves by itself.
    EXPECT_GE(elapsed, QvMonitorWaitPeriod - 100);
    EXPECT_LT(elapsed, 2 * QvMonitorWaitPeriod - 100);
    EXPECT_EQ(hook->GetMonitorCount(), 0);

    Reader next(prefix, {QStringLiteral("read"), QStringLiteral("1")});
    ASSERT_TRUE(next.waitReady());
    timer.restart();
    hook->WriteSQLData(QStringLiteral("another"));
    EXPECT_LT(timer.elapsed(), QvMonitorWaitPeriod / 2);
    ASSERT_EQ(next.finish(), 0);
    ASSERT_EQ(next.chunks().size(), 1);
}

TEST_F(MonitorTest, ACountTakenBelowZeroDoesNotHideTheNextReader)
{
    TQvSQLMonitorHook* hook = MonitorHook();
    QvMonitorChannel channel(prefix);
    QvMonitorChannel::store(channel.registeredReaders(), -1);
    EXPECT_EQ(hook->GetMonitorCount(), 0);
    EXPECT_EQ(QvMonitorChannel::load(channel.registeredReaders()), 0);
    Reader reader(prefix, {QStringLiteral("read"), QStringLiteral("1")});
    ASSERT_TRUE(reader.waitReady());
    EXPECT_EQ(hook->GetMonitorCount(), 1);
    hook->WriteSQLData(QStringLiteral("seen"));
    ASSERT_EQ(reader.finish(), 0);
    EXPECT_EQ(reader.chunks().size(), 1);
}

TEST_F(MonitorTest, ABrokenObjectSwitchesTracingOff)
{
    // A name the system refuses: the hook cannot be made, and nothing raises.
    SetMonitorObjectPrefix(QStringLiteral("QvTest/not/a/name."));
    TQvSQLMonitorHook* hook = MonitorHook();
    ASSERT_TRUE(hook);
    EXPECT_FALSE(MonitoringEnabled());
    TQvQuery query;
    EXPECT_NO_THROW(hook->SQLExecute(&query));
    EXPECT_NO_THROW(hook->DBConnect(nullptr));
    SetMonitorObjectPrefix(prefix);
    EXPECT_TRUE(MonitoringEnabled());
}

TEST_P(MonitorOnTarget, NoReaderMeansNothingIsWritten)
{
    QvMonitorChannel channel(prefix);
    std::memcpy(channel.text(), "untouched", 9);
    QvMonitorChannel::store(channel.chunkLength(), 9);
    channel.readFinishedEvent().set();
    open();
    run(QStringLiteral("insert into T values (1, 2)"));
    transaction->Commit();
    database->Close();
    EXPECT_TRUE(MonitoringEnabled());
    EXPECT_EQ(QByteArray(channel.text(), 9), QByteArray("untouched"));
    EXPECT_EQ(QvMonitorChannel::load(channel.chunkLength()), 9);
    EXPECT_FALSE(channel.writeEvent().isSet());
    EXPECT_TRUE(channel.writeFinishedEvent().isSet());
    EXPECT_FALSE(channel.readEvent().isSet());
    EXPECT_TRUE(channel.readFinishedEvent().isSet());
}

TEST_P(MonitorOnTarget, ExecuteRecordListsTheParameters)
{
    open();
    TQvQuery insert;
    insert.setObjectName(QStringLiteral("InsertQuery"));
    insert.SetDatabase(database.get());
    insert.SetTransaction(transaction.get());
    insert.SetSQLText(QStringLiteral("insert into T (A, B)\nvalues (:A, :B)"));
    insert.Prepare();
    insert.Params()[0].SetIsNull(true);
    insert.Params()[1].SetAsLong(5);

    Reader reader(prefix, {QStringLiteral("read"), QStringLiteral("1")});
    ASSERT_TRUE(reader.waitReady());
    insert.ExecQuery();
    ASSERT_EQ(reader.finish(), 0);
    const QList<QByteArray> chunks = reader.chunks();
    ASSERT_EQ(chunks.size(), 1);
    EXPECT_EQ(QString::fromUtf8(chunks[0]),
              // The text as it was set: its line break stays a line feed.
              recordPrefix() + QStringLiteral("InsertQuery: [Execute] insert into T (A, B)\nvalues (:A, :B)\r\n")
                  + crlf + QStringLiteral("  A = <NULL>") + crlf + QStringLiteral("  B = 5"));
}

// The records of statements run in one call, beside those of the same
// statements prepared and executed: the same, failures included.
TEST_P(MonitorOnTarget, AStatementRunInOneCallIsTracedAsAPreparedOne)
{
    open();
    const QStringList statements{
        QStringLiteral("insert into T (A, B) values (1, 2)"),       // runs
        QStringLiteral("insert into T (A, B) values ('x', 2)"),     // fails running
        QStringLiteral("insert into T (A, C) values (1, 2)"),       // fails preparing
        QStringLiteral("create table U (A integer)"),               // runs
        QStringLiteral("create table U (A integer)"),               // fails running
    };
    auto traced = [&](bool immediately, QStringList& errors) {
        Reader reader(prefix, {QStringLiteral("read"), QStringLiteral("6")});
        EXPECT_TRUE(reader.waitReady());
        TQvQuery q;
        q.setObjectName(QStringLiteral("Q"));
        q.SetDatabase(database.get());
        q.SetTransaction(transaction.get());
        q.SetParamCheck(false);
        for (const QString& sql : statements) {
            q.SetSQLText(sql);
            try {
                if (immediately) {
                    q.ExecImmediate();
                } else {
                    q.ExecQuery();
                    q.Close();
                }
                errors << QString();
            } catch (const EQvError& error) {
                errors << QString::number(error.SQLCode()) + QLatin1Char(' ') + error.Message();
            }
        }
        EXPECT_EQ(reader.finish(), 0) << reader.output().constData();
        QStringList records;
        for (const QByteArray& chunk : reader.chunks())
            records << QString::fromUtf8(chunk);
        return records;
    };
    QStringList preparedErrors, immediateErrors;
    const QStringList prepared = traced(false, preparedErrors);
    transaction->Rollback();
    transaction->StartTransaction();
    const QStringList immediate = traced(true, immediateErrors);
    ASSERT_EQ(prepared.size(), 6);
    EXPECT_EQ(immediate, prepared);
    EXPECT_EQ(immediateErrors, preparedErrors);
    EXPECT_TRUE(immediateErrors[0].isEmpty());
    EXPECT_FALSE(immediateErrors[1].isEmpty());
    EXPECT_TRUE(immediateErrors[2].startsWith(QStringLiteral("-206 ")));
    EXPECT_TRUE(prepared[0].endsWith(QStringLiteral("Q: [Prepare] insert into T (A, B) values (1, 2)\r\n\r\n  Plan: ")));
}

TEST_P(MonitorOnTarget, EveryStepIsTracedInOrder)
{
    open();
    TQvQuery select;
    select.setObjectName(QStringLiteral("Q1"));
    select.SetDatabase(database.get());
    select.SetTransaction(transaction.get());
    select.SetSQLText(QStringLiteral("select 1 from rdb$database"));

    Reader reader(prefix, {QStringLiteral("read"), QStringLiteral("10")});
    ASSERT_TRUE(reader.waitReady());
    select.ExecQuery();               // prepare, execute, first fetch
    EXPECT_EQ(select.Next(), nullptr); // fetch at end of data
    select.Close();
    transaction->Commit();
    transaction->StartTransaction();
    transaction->CommitRetaining();
    transaction->Rollback();
    database->Close();
    database->SetDBParams(connectParams(GetParam()));
    database->Open();
    ASSERT_EQ(reader.finish(), 0) << reader.output().constData();

    const QList<QByteArray> chunks = reader.chunks();
    QStringList records;
    for (const QByteArray& chunk : chunks) {
        const QString text = QString::fromUtf8(chunk);
        ASSERT_TRUE(text.startsWith(recordPrefix())) << qPrintable(text);
        records << text.mid(recordPrefix().size());
    }
    const QString sql = QStringLiteral("select 1 from rdb$database\r\n");
    ASSERT_EQ(records.size(), 10);
    EXPECT_EQ(records[0], QStringLiteral("Q1: [Prepare] ") + sql + crlf
                              + QStringLiteral("  Plan: PLAN (RDB$DATABASE NATURAL)"));
    EXPECT_EQ(records[1], QStringLiteral("Q1: [Execute] ") + sql);
    EXPECT_EQ(records[2], QStringLiteral("Q1: [Fetch] ") + sql);
    EXPECT_EQ(records[3], QStringLiteral("Q1: [Fetch] ") + sql + QStringLiteral("  End of file reached") + crlf);
    EXPECT_EQ(records[4], QStringLiteral("TR1: [Commit (Hard commit)]"));
    EXPECT_EQ(records[5], QStringLiteral("TR1: [Start transaction]"));
    EXPECT_EQ(records[6], QStringLiteral("TR1: [Commit retaining (Soft commit)]"));
    EXPECT_EQ(records[7], QStringLiteral("TR1: [Rollback]"));
    EXPECT_EQ(records[8], QStringLiteral("DB1: [Disconnect]"));
    EXPECT_EQ(records[9], QStringLiteral("DB1: [Connect]"));
}

TEST_P(MonitorOnTarget, ADataSetsStatementsTraceUnderItsName)
{
    open();
    run(QStringLiteral("insert into T values (1, 2)"));
    TQvDataSet dataSet;
    dataSet.setObjectName(QStringLiteral("CustomersDS"));
    dataSet.SetDatabase(database.get());
    dataSet.SetTransaction(transaction.get());
    dataSet.SetSelectSQLText(QStringLiteral("select A from T"));
    dataSet.Open();
    TQvQuery* select = nullptr;
    for (TQvQuery* query : dataSet.findChildren<TQvQuery*>())
        if (query->Prepared())
            select = query;
    ASSERT_TRUE(select);
    EXPECT_TRUE(TQvSQLMonitorHook::ExecuteRecord(select).startsWith(QStringLiteral("CustomersDS: [Execute] select A from T")))
        << qPrintable(TQvSQLMonitorHook::ExecuteRecord(select));
    TQvQuery own;
    own.setObjectName(QStringLiteral("OwnQuery"));
    own.SetSQLText(QStringLiteral("select 1 from rdb$database"));
    EXPECT_EQ(TQvSQLMonitorHook::FetchRecord(&own),
              QStringLiteral("OwnQuery: [Fetch] select 1 from rdb$database\r\n  End of file reached\r\n"));
}

TEST_P(MonitorOnTarget, AReaderThatDiedIsDroppedAndTheWorkStands)
{
    open();
    Reader reader(prefix, {QStringLiteral("register")});
    ASSERT_EQ(reader.finish(), 0);
    ASSERT_EQ(MonitorHook()->GetMonitorCount(), 1);

    QElapsedTimer timer;
    timer.start();
    EXPECT_NO_THROW(run(QStringLiteral("insert into T values (7, 8)")));
    EXPECT_NO_THROW(transaction->Commit());
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, QvMonitorWaitPeriod - 100);
    EXPECT_LT(elapsed, 4 * QvMonitorWaitPeriod);
    EXPECT_EQ(MonitorHook()->GetMonitorCount(), 0);
    EXPECT_TRUE(MonitoringEnabled());

    transaction->StartTransaction();
    TQvQuery count;
    count.SetDatabase(database.get());
    count.SetTransaction(transaction.get());
    count.SetSQLText(QStringLiteral("select count(*) from T where A = 7 and B = 8"));
    count.ExecQuery();
    EXPECT_EQ(count.Fields(0).AsLong(), 1);
}

INSTANTIATE_TEST_SUITE_P(Targets, MonitorOnTarget, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
