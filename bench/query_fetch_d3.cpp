// Fetching rows of a dialect-3 table through TQvQuery, every field read as
// text, against a plain loop over isc_dsql_fetch that converts the same
// fields to the same texts with the C library.
//   BENCH query_fetch_d3 ours=<s>s ref=<s>s ratio=<r>
// The table: BIGINT, NUMERIC(18,2), DATE, TIMESTAMP, VARCHAR(40); 1,000,000
// rows, times QV_BENCH_SCALE.

#include "access/QvQuery.h"
#include "bench/BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

const char* const select3 = "select I, N, D, TS, V from T3";
constexpr int columns = 5;

void createTable(TQvDatabase& database, long long rows)
{
    qvbench::execute(database, QStringLiteral("create table T3 (I bigint, N numeric(18,2), D date, TS timestamp, "
                                              "V varchar(40))"));
    qvbench::execute(database,
                     QStringLiteral("execute block as declare i bigint = 0; begin"
                                    " while (i < %1) do begin"
                                    "  insert into T3 values (:i * 1000000007, :i * 12.34 + 0.05,"
                                    "   dateadd(:i / 400 day to date '2000-01-01'),"
                                    "   dateadd(:i second to timestamp '2024-01-01 08:30:00'),"
                                    "   'row number ' || :i || ' of the benchmark');"
                                    "  i = i + 1;"
                                    " end end")
                         .arg(rows));
}

// Every field of every row as text through the access layer.
qint64 fetchOurs(TQvDatabase& database)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(QString::fromLatin1(select3));
    query.ExecQuery();
    qint64 characters = 0;
    while (!query.Eof()) {
        for (int c = 0; c < columns; ++c)
            characters += query.Fields(c).AsString().size();
        query.Next();
    }
    query.Close();
    transaction.Commit();
    return characters;
}

// A scaled integer as decimal text, trailing zeros of the fraction left out.
int scaledText(char* out, std::int64_t value, int scale)
{
    char digits[32];
    const bool negative = value < 0;
    const std::uint64_t magnitude = negative ? 0 - std::uint64_t(value) : std::uint64_t(value);
    int length = std::snprintf(digits, sizeof digits, "%" PRIu64, magnitude);
    const int places = -scale;
    int p = 0;
    if (negative && magnitude != 0)
        out[p++] = '-';
    if (length <= places) {
        std::memmove(digits + places + 1 - length, digits, std::size_t(length));
        std::memset(digits, '0', std::size_t(places + 1 - length));
        length = places + 1;
    }
    int fraction = places;
    while (fraction > 0 && digits[length - places + fraction - 1] == '0')
        --fraction;
    std::memcpy(out + p, digits, std::size_t(length - places));
    p += length - places;
    if (fraction > 0) {
        out[p++] = '.';
        std::memcpy(out + p, digits + length - places, std::size_t(fraction));
        p += fraction;
    }
    return p;
}

QString fieldText(const XSQLVAR& var)
{
    if ((var.sqltype & 1) && *var.sqlind == -1)
        return {};
    char text[64];
    int length = 0;
    switch (var.sqltype & ~1) {
    case SQL_INT64:
        length = scaledText(text, *reinterpret_cast<const ISC_INT64*>(var.sqldata), var.sqlscale);
        break;
    case SQL_TYPE_DATE: {
        std::tm t;
        isc_decode_sql_date(reinterpret_cast<const ISC_DATE*>(var.sqldata), &t);
        length = std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
        break;
    }
    case SQL_TIMESTAMP: {
        const auto* stamp = reinterpret_cast<const ISC_TIMESTAMP*>(var.sqldata);
        std::tm t;
        isc_decode_timestamp(stamp, &t);
        const unsigned fraction = stamp->timestamp_time % 10000;
        if (stamp->timestamp_time == 0)
            length = std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
        else if (fraction == 0)
            length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900,
                                   t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
        else if (fraction % 10 == 0)
            length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03u", t.tm_year + 1900,
                                   t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, fraction / 10);
        else
            length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%04u", t.tm_year + 1900,
                                   t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, fraction);
        break;
    }
    case SQL_VARYING:
        return QString::fromLatin1(var.sqldata + 2, *reinterpret_cast<const short*>(var.sqldata));
    }
    return QString::fromLatin1(text, length);
}

// The same reading as a plain client-library loop, prepared in dialect 3.
qint64 fetchReference(isc_db_handle* db)
{
    qvbench::RawCursor cursor(db, select3, 3);
    qint64 characters = 0;
    while (cursor.Fetch())
        for (int c = 0; c < cursor.Columns(); ++c)
            characters += fieldText(cursor.Var(c)).size();
    return characters;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const long long rows = qvbench::scaled(1000000);
    TQvDatabase database;
    qvbench::createDatabase(database, QDir(dir.path()).filePath(QStringLiteral("fetch3.fdb")), 3);
    createTable(database, rows);

    qint64 ourCharacters = 0, refCharacters = 0;
    const qvbench::BestTimes best = qvbench::bestOfTurns(
        3, [&] { refCharacters = fetchReference(database.Handle()); },
        [&] { ourCharacters = fetchOurs(database); });
    if (ourCharacters != refCharacters) {
        std::fprintf(stderr, "texts differ: %lld characters against %lld\n", (long long)ourCharacters,
                     (long long)refCharacters);
        return 1;
    }
    qvbench::printBench("query_fetch_d3", best.ours, best.ref, "s", 3);
    database.DropDatabase();
    return 0;
}
