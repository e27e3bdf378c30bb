// The buffered dataset reading a whole table, every field as text, against a
// plain isc_dsql_fetch loop that makes the same texts; the memory the
// dataset's cache takes per row against the row as the client library hands
// it over; and how soon the first rows are there.
//   BENCH dataset_fetch ours=<s>s ref=<s>s ratio=<r>
//   BENCH dataset_bytes_per_row ours=<n>B ref=<n>B ratio=<r>
//   BENCH dataset_first_rows ours=<ms>ms
// QV_BENCH_SCALE multiplies the 1,000,000 rows.

#include "access/QvDataSet.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

constexpr int columns = 4;
constexpr int firstRows = 100;

const char* const selectText = "select I, V, D, TS from T";

long long rowCount()
{
    const double scale = qEnvironmentVariable("QV_BENCH_SCALE", QStringLiteral("1")).toDouble();
    return (long long)(1000000 * (scale > 0 ? scale : 1));
}

// Bytes the process has taken from the heap, small and large blocks together.
qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks) + qint64(info.hblkhd);
}

void fill(TQvDatabase& database, long long rows)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetParamCheck(false);
    query.SetSQLText(QStringLiteral("create table T (I integer, V varchar(40), D double precision, TS timestamp)"));
    query.ExecQuery();
    transaction.Commit();
    transaction.StartTransaction();
    query.SetSQLText(QStringLiteral(
        "execute block as declare i integer = 0; begin"
        " while (i < %1) do begin"
        "  insert into T values (:i, 'row number ' || :i || ' of the benchmark', :i * 0.25,"
        "   dateadd(:i second to cast('2024-01-01 08:30:00' as timestamp)));"
        "  i = i + 1;"
        " end end")
                         .arg(rows));
    query.ExecQuery();
    transaction.Commit();
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
        dataSet.SetSelectSQLText(QString::fromLatin1(selectText));
        dataSet.Open();
        std::vector<TField*> fields;
        for (int c = 0; c < columns; ++c)
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
        dataSet.SetSelectSQLText(QString::fromLatin1(selectText));
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

void check(ISC_STATUS* status, const char* what)
{
    if (status[0] == 1 && status[1]) {
        std::fprintf(stderr, "%s failed: %ld\n", what, long(status[1]));
        std::exit(1);
    }
}

// Text of a time stamp as the dataset's date-time fields give it.
QString timestampText(const ISC_TIMESTAMP& stamp)
{
    std::tm t;
    isc_decode_timestamp(const_cast<ISC_TIMESTAMP*>(&stamp), &t);
    const int milliseconds = int(stamp.timestamp_time % 10000) / 10;
    char text[64];
    const int length =
        milliseconds ? std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.tm_year + 1900,
                                     t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, milliseconds)
                     : std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900,
                                     t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
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
    ISC_STATUS_ARRAY status;
    isc_tr_handle transaction = 0;
    isc_start_transaction(status, &transaction, 1, db, 0, nullptr);
    check(status, "start");
    isc_stmt_handle statement = 0;
    isc_dsql_alloc_statement2(status, db, &statement);
    check(status, "allocate");
    auto* sqlda = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(columns)));
    sqlda->version = SQLDA_VERSION1;
    sqlda->sqln = columns;
    isc_dsql_prepare(status, &transaction, &statement, 0, selectText, 1, sqlda);
    check(status, "prepare");
    RefRun run;
    std::vector<std::vector<char>> values(columns);
    std::vector<short> indicators(columns);
    for (int c = 0; c < columns; ++c) {
        XSQLVAR& var = sqlda->sqlvar[c];
        const int bytes = var.sqllen + ((var.sqltype & ~1) == SQL_VARYING ? 2 : 0);
        run.rowBytes += bytes + ((var.sqltype & 1) ? int(sizeof(short)) : 0);
        values[c].resize(std::size_t(bytes));
        var.sqldata = values[c].data();
        var.sqlind = &indicators[c];
    }
    isc_dsql_execute(status, &transaction, &statement, 1, nullptr);
    check(status, "execute");
    while (isc_dsql_fetch(status, &statement, 1, sqlda) == 0) {
        for (int c = 0; c < columns; ++c) {
            const XSQLVAR& var = sqlda->sqlvar[c];
            QString value;
            if (*var.sqlind != -1) {
                switch (var.sqltype & ~1) {
                case SQL_LONG:
                    value = QString::number(*reinterpret_cast<const ISC_LONG*>(var.sqldata));
                    break;
                case SQL_VARYING:
                    value = QString::fromLatin1(var.sqldata + 2, *reinterpret_cast<const short*>(var.sqldata));
                    break;
                case SQL_DOUBLE:
                    value = QString::number(*reinterpret_cast<const double*>(var.sqldata), 'g', 15);
                    break;
                case SQL_TIMESTAMP:
                    value = timestampText(*reinterpret_cast<const ISC_TIMESTAMP*>(var.sqldata));
                    break;
                }
            }
            run.characters += value.size();
        }
    }
    isc_dsql_free_statement(status, &statement, DSQL_drop);
    isc_commit_transaction(status, &transaction);
    std::free(sqlda);
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
    const long long rows = rowCount();
    TQvDatabase database;
    database.SetDBName(QDir(dir.path()).filePath(QStringLiteral("dataset.fdb")));
    database.SetDBParams({QStringLiteral("USER 'SYSDBA'"), QStringLiteral("PAGE_SIZE 8192"),
                          QStringLiteral("DEFAULT CHARACTER SET NONE")});
    database.CreateDatabase();
    fill(database, rows);

    // Best of three, the two taking turns so both see the same cache state.
    double ours = 1e300, ref = 1e300;
    OurRun ourRun;
    RefRun refRun;
    qint64 leastHeap = std::numeric_limits<qint64>::max();
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        refRun = fetchReference(database.Handle());
        ref = std::min(ref, timer.nsecsElapsed() / 1e9);
        timer.restart();
        ourRun = fetchOurs(database);
        ours = std::min(ours, timer.nsecsElapsed() / 1e9);
        leastHeap = std::min(leastHeap, ourRun.heapBytes);
    }
    if (ourRun.characters != refRun.characters || ourRun.rows != rows) {
        std::fprintf(stderr, "texts differ: %lld characters in %lld rows against %lld characters in %lld rows\n",
                     (long long)ourRun.characters, (long long)ourRun.rows, (long long)refRun.characters, rows);
        return 1;
    }
    double first = 1e300;
    for (int round = 0; round < 3; ++round)
        first = std::min(first, firstRowsMs(database));

    const double ourBytes = double(leastHeap) / double(rows);
    std::printf("BENCH dataset_fetch ours=%.3fs ref=%.3fs ratio=%.2f\n", ours, ref, ours / ref);
    std::printf("BENCH dataset_bytes_per_row ours=%.1fB ref=%dB ratio=%.2f\n", ourBytes, refRun.rowBytes,
                ourBytes / refRun.rowBytes);
    std::printf("BENCH dataset_first_rows ours=%.2fms\n", first);
    std::printf("# %lld rows; the dataset's own cache accounting: %.1f B per row\n", rows,
                double(ourRun.cacheBytes) / double(rows));
    database.DropDatabase();
    return 0;
}
