// Fetching rows through TQvQuery, every field read as text, against a plain
// loop over isc_dsql_fetch that converts the same fields to the same texts.
//   BENCH query_fetch ours=<s>s ref=<s>s ratio=<r>
// QV_BENCH_SCALE multiplies the 1,000,000 rows.

#include "access/QvQuery.h"
#include "bench/BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

// Every field of every row as text through the access layer.
qint64 fetchOurs(TQvDatabase& database)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(QString::fromLatin1(qvbench::testTableSelect));
    query.ExecQuery();
    qint64 characters = 0;
    while (!query.Eof()) {
        for (int c = 0; c < qvbench::testTableColumns; ++c)
            characters += query.Fields(c).AsString().size();
        query.Next();
    }
    query.Close();
    transaction.Commit();
    return characters;
}

// Text of a time stamp as the query's fields give it: the date alone at midnight.
QString timestampText(const ISC_TIMESTAMP& stamp)
{
    std::tm t;
    isc_decode_timestamp(const_cast<ISC_TIMESTAMP*>(&stamp), &t);
    char text[64];
    const int length =
        t.tm_hour || t.tm_min || t.tm_sec
            ? std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                            t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec)
            : std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return QString::fromLatin1(text, length);
}

// The same reading as a plain client-library loop.
qint64 fetchReference(isc_db_handle* db)
{
    qvbench::RawCursor cursor(db, qvbench::testTableSelect);
    qint64 characters = 0;
    while (cursor.Fetch())
        for (int c = 0; c < cursor.Columns(); ++c)
            characters += qvbench::rawText(cursor.Var(c), timestampText).size();
    return characters;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const long long rows = qvbench::scaled(1000000);
    TQvDatabase database;
    qvbench::createDatabase(database, QDir(dir.path()).filePath(QStringLiteral("fetch.fdb")));
    qvbench::createTestTable(database, rows);

    qint64 ourCharacters = 0, refCharacters = 0;
    const qvbench::BestTimes best = qvbench::bestOfTurns(
        3, [&] { refCharacters = fetchReference(database.Handle()); },
        [&] { ourCharacters = fetchOurs(database); });
    if (ourCharacters != refCharacters) {
        std::fprintf(stderr, "texts differ: %lld characters against %lld\n", (long long)ourCharacters,
                     (long long)refCharacters);
        return 1;
    }
    qvbench::printBench("query_fetch", best.ours, best.ref, "s", 3);
    database.DropDatabase();
    return 0;
}
