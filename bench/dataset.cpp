// The buffered dataset reading a whole table, every field as text, against a
// plain isc_dsql_fetch loop that makes the same texts; the memory the
// dataset's cache takes per row against the row as the client library hands
// it over; and how soon the first rows are there.
//   BENCH dataset_fetch ours=<s>s ref=<s>s ratio=<r>
//   BENCH dataset_bytes_per_row ours=<n>B ref=<n>B ratio=<r>
//   BENCH dataset_first_rows ours=<ms>ms
// QV_BENCH_SCALE multiplies the 1,000,000 rows.

#include "access/QvDataSet.h"
#include "bench/BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <ctime>
#include <limits>
#include <vector>

namespace {

constexpr int firstRows = 100;

// Bytes the process has taken from the heap, small and large blocks together.
qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks) + qint64(info.hblkhd);
}

struct OurRun
{
    qint64 characters = 0;
    qint64 rows = 0;
    qint64 heapBytes = 0;  // heap taken while the dataset held every row
    qint64 cacheBytes = 0; // the dataset's own accounting
};

// Every field of every row as text through the dataset, the rows kept in its cache.
OurRun fetchOurs(TQvDatabase& database)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    OurRun run;
    const qint64 heapBefore = heapInUse();
    {
        TQvDataSet dataSet;
        dataSet.SetDatabase(&database);
        dataSet.SetTransaction(&transaction);
        dataSet.SetSelectSQLText(QString::fromLatin1(qvbench::testTableSelect));
        dataSet.Open();
        std::vector<TField*> fields;
        for (int c = 0; c < qvbench::testTableColumns; ++c)
            fields.push_back(&dataSet.Fields(c));
        while (!dataSet.Eof()) {
            for (TField* field : fields)
                run.characters += field->AsString().size();
            dataSet.Next();
        }
        run.rows = dataSet.RecordCount();
        run.heapBytes = heapInUse() - heapBefore;
        run.cacheBytes = dataSet.CacheBytes();
        dataSet.Close();
    }
    transaction.Commit();
    return run;
}

// Time until the first rows can be read.
double firstRowsMs(TQvDatabase& database)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    QElapsedTimer timer;
    timer.start();
    double elapsed = 0;
    {
        TQvDataSet dataSet;
        dataSet.SetDatabase(&database);
        dataSet.SetTransaction(&transaction);
        dataSet.SetSelectSQLText(QString::fromLatin1(qvbench::testTableSelect));
        dataSet.Open();
        qint64 characters = 0;
        for (int row = 0; row < firstRows && !dataSet.Eof(); ++row, dataSet.Next())
            characters += dataSet.Fields(1).AsString().size();
        elapsed = timer.nsecsElapsed() / 1e6;
        if (characters == 0)
            std::fprintf(stderr, "no rows read\n");
        dataSet.Close();
    }
    transaction.Commit();
    return elapsed;
}

// Text of a time stamp as the dataset's date-time fields give it: the date
// alone at midnight.
QString timestampText(const ISC_TIMESTAMP& stamp)
{
    std::tm t;
    isc_decode_timestamp(const_cast<ISC_TIMESTAMP*>(&stamp), &t);
    const int milliseconds = int(stamp.timestamp_time % 10000) / 10;
    char text[64];
    int length = 0;
    if (stamp.timestamp_time == 0)
        length = std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    else if (milliseconds)
        length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.tm_year + 1900,
                               t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, milliseconds);
    else
        length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                               t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return QString::fromLatin1(text, length);
}

struct RefRun
{
    qint64 characters = 0;
    int rowBytes = 0; // one row as the client library hands it over
};

// The same reading as a plain client-library loop.
RefRun fetchReference(isc_db_handle* db)
{
    qvbench::RawCursor cursor(db, qvbench::testTableSelect);
    RefRun run;
    run.rowBytes = cursor.RowBytes();
    while (cursor.Fetch())
        for (int c = 0; c < cursor.Columns(); ++c)
            run.characters += qvbench::rawText(cursor.Var(c), timestampText).size();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    // The dataset shows a wait cursor, which needs a GUI application.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const long long rows = qvbench::scaled(1000000);
    TQvDatabase database;
    qvbench::createDatabase(database, QDir(dir.path()).filePath(QStringLiteral("dataset.fdb")));
    qvbench::createTestTable(database, rows);

    OurRun ourRun;
    RefRun refRun;
    qint64 leastHeap = std::numeric_limits<qint64>::max();
    const qvbench::BestTimes best = qvbench::bestOfTurns(
        3, [&] { refRun = fetchReference(database.Handle()); },
        [&] {
            ourRun = fetchOurs(database);
            leastHeap = std::min(leastHeap, ourRun.heapBytes);
        });
    if (ourRun.characters != refRun.characters || ourRun.rows != rows) {
        std::fprintf(stderr, "texts differ: %lld characters in %lld rows against %lld characters in %lld rows\n",
                     (long long)ourRun.characters, (long long)ourRun.rows, (long long)refRun.characters, rows);
        return 1;
    }
    double first = 1e300;
    for (int round = 0; round < 3; ++round)
        first = std::min(first, firstRowsMs(database));

    const double ourBytes = double(leastHeap) / double(rows);
    qvbench::printBench("dataset_fetch", best.ours, best.ref, "s", 3);
    qvbench::printBench("dataset_bytes_per_row", ourBytes, refRun.rowBytes, "B", 1);
    qvbench::printBench("dataset_first_rows", first, "ms", 2);
    std::printf("# %lld rows; the dataset's own cache accounting: %.1f B per row\n", rows,
                double(ourRun.cacheBytes) / double(rows));
    database.DropDatabase();
    return 0;
}
