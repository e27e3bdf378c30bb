#pragma once

// What the database benchmarks share: their size, their databases and the
// test table, the plain client-library loop they are measured against, the
// timing and the "BENCH" lines. Header only: every bench/*.cpp is a program
// of its own.

#include "access/QvQuery.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace qvbench {

// QV_BENCH_SCALE, the factor every data size is multiplied by; 1 when unset or not positive.
inline double scale()
{
    const double value = qEnvironmentVariable("QV_BENCH_SCALE", QStringLiteral("1")).toDouble();
    return value > 0 ? value : 1;
}

inline long long scaled(long long size)
{
    return (long long)(size * scale());
}

// A fresh database at path, attached; dialect 1 unless asked.
inline void createDatabase(TQvDatabase& database, const QString& path, int dialect = 1)
{
    database.SetDBName(path);
    database.SetDBParams({QStringLiteral("USER 'SYSDBA'"), QStringLiteral("PAGE_SIZE 8192"),
                          QStringLiteral("DEFAULT CHARACTER SET NONE")});
    database.SetCreateSQLDialect(dialect);
    database.CreateDatabase();
}

// Runs one statement in a transaction of its own and commits it.
inline void execute(TQvDatabase& database, const QString& sql)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetParamCheck(false);
    query.SetSQLText(sql);
    query.ExecQuery();
    transaction.Commit();
}

// The test table T: an integer, a text, a double and a time stamp a row.
constexpr int testTableColumns = 4;
const char* const testTableSelect = "select I, V, D, TS from T";

inline void createTestTable(TQvDatabase& database, long long rows)
{
    execute(database,
            QStringLiteral("create table T (I integer, V varchar(40), D double precision, TS timestamp)"));
    execute(database, QStringLiteral("execute block as declare i integer = 0; begin"
                                     " while (i < %1) do begin"
                                     "  insert into T values (:i, 'row number ' || :i || ' of the benchmark', :i * 0.25,"
                                     "   dateadd(:i second to cast('2024-01-01 08:30:00' as timestamp)));"
                                     "  i = i + 1;"
                                     " end end")
                          .arg(rows));
}

// A fresh database named file in dir, attached, with rows rows in the test table.
inline std::unique_ptr<TQvDatabase> makeTestDatabase(const QTemporaryDir& dir, const QString& file, long long rows)
{
    auto database = std::make_unique<TQvDatabase>();
    createDatabase(*database, QDir(dir.path()).filePath(file));
    createTestTable(*database, rows);
    return database;
}

// A failed client call ends the benchmark: there is nothing to measure after it.
inline void check(const ISC_STATUS* status, const char* what)
{
    if (status[0] == 1 && status[1]) {
        std::fprintf(stderr, "%s failed: %ld\n", what, long(status[1]));
        std::exit(1);
    }
}

// A select read through the client library alone, the reference the access
// layer is measured against: its own transaction, the row in one buffer per
// column, sized from describe.
class RawCursor
{
public:
    RawCursor(isc_db_handle* db, const char* select, unsigned short dialect = 1)
    {
        isc_start_transaction(m_status, &m_transaction, 1, db, 0, nullptr);
        check(m_status, "start");
        isc_dsql_alloc_statement2(m_status, db, &m_statement);
        check(m_status, "allocate");
        m_sqlda = allocate(testTableColumns);
        isc_dsql_prepare(m_status, &m_transaction, &m_statement, 0, select, dialect, m_sqlda.get());
        check(m_status, "prepare");
        if (m_sqlda->sqld > m_sqlda->sqln) {
            m_sqlda = allocate(m_sqlda->sqld);
            isc_dsql_describe(m_status, &m_statement, 1, m_sqlda.get());
            check(m_status, "describe");
        }
        const int columns = m_sqlda->sqld;
        m_values.resize(std::size_t(columns));
        m_indicators.resize(std::size_t(columns));
        for (int c = 0; c < columns; ++c) {
            XSQLVAR& var = m_sqlda->sqlvar[c];
            const int bytes = var.sqllen + ((var.sqltype & ~1) == SQL_VARYING ? 2 : 0);
            m_rowBytes += bytes + ((var.sqltype & 1) ? int(sizeof(short)) : 0);
            m_values[std::size_t(c)].resize(std::size_t(bytes));
            var.sqldata = m_values[std::size_t(c)].data();
            var.sqlind = &m_indicators[std::size_t(c)];
        }
        isc_dsql_execute(m_status, &m_transaction, &m_statement, 1, nullptr);
        check(m_status, "execute");
    }

    ~RawCursor()
    {
        isc_dsql_free_statement(m_status, &m_statement, DSQL_drop);
        isc_commit_transaction(m_status, &m_transaction);
    }

    RawCursor(const RawCursor&) = delete;
    RawCursor& operator=(const RawCursor&) = delete;

    // The next row; false after the last.
    bool Fetch() { return isc_dsql_fetch(m_status, &m_statement, 1, m_sqlda.get()) == 0; }
    int Columns() const { return m_sqlda->sqld; }
    const XSQLVAR& Var(int column) const { return m_sqlda->sqlvar[column]; }
    isc_tr_handle* Transaction() { return &m_transaction; }
    // One row as the client library hands it over: values and null indicators.
    int RowBytes() const { return m_rowBytes; }

private:
    struct Free
    {
        void operator()(XSQLDA* sqlda) const { std::free(sqlda); }
    };

    static std::unique_ptr<XSQLDA, Free> allocate(int columns)
    {
        std::unique_ptr<XSQLDA, Free> sqlda(static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(columns))));
        sqlda->version = SQLDA_VERSION1;
        sqlda->sqln = short(columns);
        return sqlda;
    }

    ISC_STATUS_ARRAY m_status = {};
    isc_tr_handle m_transaction = 0;
    isc_stmt_handle m_statement = 0;
    std::unique_ptr<XSQLDA, Free> m_sqlda;
    std::vector<std::vector<char>> m_values;
    std::vector<short> m_indicators;
    int m_rowBytes = 0;
};

// A field of the test table as text, converted the plain way; time stamps as
// timestampText writes them, since each layer measured writes them its own way.
template <typename TimestampText>
QString rawText(const XSQLVAR& var, TimestampText&& timestampText)
{
    if (*var.sqlind == -1)
        return {};
    switch (var.sqltype & ~1) {
    case SQL_LONG:
        return QString::number(*reinterpret_cast<const ISC_LONG*>(var.sqldata));
    case SQL_VARYING:
        return QString::fromLatin1(var.sqldata + 2, *reinterpret_cast<const short*>(var.sqldata));
    case SQL_DOUBLE:
        return QString::number(*reinterpret_cast<const double*>(var.sqldata), 'g', 15);
    case SQL_TIMESTAMP:
        return timestampText(*reinterpret_cast<const ISC_TIMESTAMP*>(var.sqldata));
    }
    return {};
}

// A blob read whole through the client library.
inline QByteArray rawBlob(isc_db_handle* db, isc_tr_handle* transaction, ISC_QUAD id)
{
    ISC_STATUS_ARRAY status = {};
    isc_blob_handle blob = 0;
    isc_open_blob2(status, db, transaction, &blob, &id, 0, nullptr);
    check(status, "open blob");
    QByteArray bytes;
    char segment[32768];
    unsigned short length = 0;
    for (;;) {
        const ISC_STATUS result = isc_get_segment(status, &blob, &length, sizeof segment, segment);
        if (result != 0 && result != isc_segment)
            break;
        bytes.append(segment, length);
    }
    isc_close_blob(status, &blob);
    return bytes;
}

// A catalog field as text the plain way: numbers, fixed and varying text
// (Latin-1, trailing blanks cut) and text blobs read whole.
inline QString rawCatalogText(isc_db_handle* db, isc_tr_handle* transaction, const XSQLVAR& var)
{
    if ((var.sqltype & 1) && *var.sqlind == -1)
        return {};
    switch (var.sqltype & ~1) {
    case SQL_SHORT:
        return QString::number(*reinterpret_cast<const short*>(var.sqldata));
    case SQL_LONG:
        return QString::number(*reinterpret_cast<const ISC_LONG*>(var.sqldata));
    case SQL_INT64:
        return QString::number(*reinterpret_cast<const ISC_INT64*>(var.sqldata));
    case SQL_TEXT: {
        int length = var.sqllen;
        while (length > 0 && var.sqldata[length - 1] == ' ')
            --length;
        return QString::fromLatin1(var.sqldata, length);
    }
    case SQL_VARYING:
        return QString::fromLatin1(var.sqldata + 2, *reinterpret_cast<const short*>(var.sqldata));
    case SQL_BLOB:
        return QString::fromLatin1(rawBlob(db, transaction, *reinterpret_cast<const ISC_QUAD*>(var.sqldata)));
    }
    return {};
}

// Seconds the call takes.
template <typename Work>
double secondsOf(Work&& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

// Counts the events, and among them the paints, that the application's
// objects receive while it lives.
class EventCounter : public QObject
{
public:
    EventCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~EventCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    EventCounter(const EventCounter&) = delete;
    EventCounter& operator=(const EventCounter&) = delete;

    int Events() const { return m_events; }
    int Paints() const { return m_paints; }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        ++m_events;
        if (event->type() == QEvent::Paint)
            ++m_paints;
        return false;
    }

private:
    int m_events = 0;
    int m_paints = 0;
};

// Windows paint as soon as the event loop is idle rather than on the
// platform's pacing timer (5 ms by default), whose wait is no work of ours.
// Called before the application is made.
inline void paintWhenIdle()
{
    qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
}

// What the event loop does once a user's action returns, until the windows
// show its result: posted events, a view's delayed layout and the paints
// they ask for, pass after pass until one finds nothing to do.
inline void showResult()
{
    const EventCounter counter;
    int before = -1;
    for (int pass = 0; pass < 20 && counter.Events() != before; ++pass) {
        before = counter.Events();
        QCoreApplication::processEvents();
    }
}

// Paints whatever a timed step left unpainted; gives the number of paints,
// which a benchmark that times the paint expects to be none.
inline int paintsLeft()
{
    const EventCounter counter;
    for (int pass = 0; pass < 3; ++pass)
        QCoreApplication::processEvents();
    return counter.Paints();
}

struct BestTimes
{
    double ours = 1e300;
    double ref = 1e300;
};

// The best of a few rounds of each, the two taking turns so both see the same
// cache state; the reference goes first in each round. settle, untimed, runs
// before each of them (a window painting what it shows, as between a user's
// actions).
template <typename Reference, typename Ours, typename Settle>
BestTimes bestOfTurns(int rounds, Reference&& reference, Ours&& ours, Settle&& settle)
{
    BestTimes best;
    for (int round = 0; round < rounds; ++round) {
        settle();
        best.ref = std::min(best.ref, secondsOf(reference));
        settle();
        best.ours = std::min(best.ours, secondsOf(ours));
    }
    return best;
}

template <typename Reference, typename Ours>
BestTimes bestOfTurns(int rounds, Reference&& reference, Ours&& ours)
{
    return bestOfTurns(rounds, reference, ours, [] {});
}

// "BENCH <name> ours=<value><unit> ref=<value><unit> ratio=<ratio>"
inline void printBench(const char* name, double ours, double ref, const char* unit, int decimals)
{
    std::printf("BENCH %s ours=%.*f%s ref=%.*f%s ratio=%.2f\n", name, decimals, ours, unit, decimals, ref, unit,
                ours / ref);
    std::fflush(stdout);
}

// "BENCH <name> ours=<value><unit>", for a measurement with no reference.
inline void printBench(const char* name, double ours, const char* unit, int decimals)
{
    std::printf("BENCH %s ours=%.*f%s\n", name, decimals, ours, unit);
    std::fflush(stdout);
}

} // namespace qvbench
