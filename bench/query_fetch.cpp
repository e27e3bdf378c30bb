// Fetching rows through TQvQuery, every field read as text, against a plain
// loop over isc_dsql_fetch that converts the same fields to the same texts.
//   BENCH query_fetch ours=<s>s ref=<s>s ratio=<r>
// QV_BENCH_SCALE multiplies the 1,000,000 rows.

#include "access/QvQuery.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

constexpr int columns = 4;

const char* const selectText = "select I, V, D, TS from T";

long long rowCount()
{
    const double scale = qEnvironmentVariable("QV_BENCH_SCALE", QStringLiteral("1")).toDouble();
    return (long long)(1000000 * (scale > 0 ? scale : 1));
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

// Every field of every row as text through the access layer.
qint64 fetchOurs(TQvDatabase& database)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(QString::fromLatin1(selectText));
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

void check(ISC_STATUS* status, const char* what)
{
    if (status[0] == 1 && status[1]) {
        std::fprintf(stderr, "%s failed: %ld\n", what, long(status[1]));
        std::exit(1);
    }
}

// The same reading as a plain client-library loop.
qint64 fetchReference(isc_db_handle* db)
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
    std::vector<std::vector<char>> values(columns);
    std::vector<short> indicators(columns);
    for (int c = 0; c < columns; ++c) {
        XSQLVAR& var = sqlda->sqlvar[c];
        values[c].resize(std::size_t(var.sqllen) + 2);
        var.sqldata = values[c].data();
        var.sqlind = &indicators[c];
    }
    isc_dsql_execute(status, &transaction, &statement, 1, nullptr);
    check(status, "execute");
    qint64 characters = 0;
    char text[64];
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
                case SQL_TIMESTAMP: {
                    std::tm t;
                    isc_decode_timestamp(reinterpret_cast<ISC_TIMESTAMP*>(var.sqldata), &t);
                    // The date alone at midnight, as the layer writes it.
                    const int length =
                        t.tm_hour || t.tm_min || t.tm_sec
                            ? std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900,
                                            t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec)
                            : std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1,
                                            t.tm_mday);
                    value = QString::fromLatin1(text, length);
                    break;
                }
                }
            }
            characters += value.size();
        }
    }
    isc_dsql_free_statement(status, &statement, DSQL_drop);
    isc_commit_transaction(status, &transaction);
    std::free(sqlda);
    return characters;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const long long rows = rowCount();
    TQvDatabase database;
    database.SetDBName(QDir(dir.path()).filePath(QStringLiteral("fetch.fdb")));
    database.SetDBParams({QStringLiteral("USER 'SYSDBA'"), QStringLiteral("PAGE_SIZE 8192"),
                          QStringLiteral("DEFAULT CHARACTER SET NONE")});
    database.CreateDatabase();
    fill(database, rows);

    // Best of three, the two taking turns so both see the same cache state.
    double ours = 1e300, ref = 1e300;
    qint64 ourCharacters = 0, refCharacters = 0;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        refCharacters = fetchReference(database.Handle());
        ref = std::min(ref, timer.nsecsElapsed() / 1e9);
        timer.restart();
        ourCharacters = fetchOurs(database);
        ours = std::min(ours, timer.nsecsElapsed() / 1e9);
    }
    if (ourCharacters != refCharacters) {
        std::fprintf(stderr, "texts differ: %lld characters against %lld\n", (long long)ourCharacters,
                     (long long)refCharacters);
        return 1;
    }
    std::printf("BENCH query_fetch ours=%.3fs ref=%.3fs ratio=%.2f\n", ours, ref, ours / ref);
    database.DropDatabase();
    return 0;
}
