// Extraction to a script.
//   BENCH extract_metadata ours=<s>s ref=<s>s ratio=<r>
//     a database of 500 tables (keys, indices, foreign keys, checks), 200
//     procedures, 100 PSQL functions, 20 packages, 10 collations, 300
//     triggers and 100 views, beside isql-fb -x of it;
//   BENCH extract_data ours=<s>s ref=<s>s ratio=<r>
//     1,000,000 rows of the test table as INSERTs saved to a script file, as
//     the extraction dialog saves them, beside the plain fetch loop that
//     turns the same fields into text and saves that text, UTF-8 in blocks
//     of a megabyte, through the same kind of file. Both sides write.
//   BENCH extract_data_peak_memory ours=<MB>MB
//     how far the process's memory rose above what it held before that
//     extraction (its peak over the three runs); the script streams to
//     the file, so this stays far below the script's size.
// QV_BENCH_SCALE multiplies the object counts and the rows.

#include "access/QvQuery.h"
#include "app/sqltools/ExtractRun.h"
#include "app/sqltools/ExtractWriters.h"
#include "bench/BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

const QString isqlPath = QStringLiteral("/usr/bin/isql-fb");

void createMetadata(TQvDatabase& database, long long tables, long long procedures, long long functions,
                    long long packages, long long collations, long long triggers, long long views)
{
    for (long long c = 0; c < collations; ++c)
        qvbench::execute(database, QStringLiteral("create collation COLL_%1 for win1252 from WIN_PTBR case insensitive")
                                       .arg(c));
    for (long long t = 0; t < tables; ++t) {
        QString sql = QStringLiteral("create table TAB_%1 (ID integer not null, PARENT_ID integer, "
                                     "NAME varchar(40), AMOUNT numeric(15,2) default 0, CREATED timestamp, "
                                     "constraint PK_TAB_%1 primary key (ID), constraint CK_TAB_%1 check (AMOUNT >= 0)")
                          .arg(t);
        if (t > 0)
            sql += QStringLiteral(", constraint FK_TAB_%1 foreign key (PARENT_ID) references TAB_%2 (ID)").arg(t).arg(t - 1);
        qvbench::execute(database, sql + QLatin1Char(')'));
        qvbench::execute(database, QStringLiteral("create index IX_TAB_%1 on TAB_%1 (NAME, CREATED)").arg(t));
    }
    for (long long p = 0; p < procedures; ++p)
        qvbench::execute(database,
                         QStringLiteral("create procedure PROC_%1 (A integer, B varchar(20)) returns (C integer) as\n"
                                        "begin\n  select count(*) from TAB_%2 where ID > :A into :C;\n  suspend;\nend")
                             .arg(p)
                             .arg(p % tables));
    for (long long f = 0; f < functions; ++f)
        qvbench::execute(database,
                         QStringLiteral("create function FUNC_%1 (A integer, B varchar(20) = 'x') returns integer as\n"
                                        "begin\n  return A + char_length(B) + (select count(*) from TAB_%2);\nend")
                             .arg(f)
                             .arg(f % tables));
    for (long long k = 0; k < packages; ++k) {
        qvbench::execute(database,
                         QStringLiteral("create package PACK_%1 as\nbegin\n  function F(A integer) returns integer;\n"
                                        "  procedure P(A integer) returns (B integer);\nend")
                             .arg(k));
        qvbench::execute(database,
                         QStringLiteral("create package body PACK_%1 as\nbegin\n"
                                        "  function F(A integer) returns integer as begin return A * 2; end\n"
                                        "  procedure P(A integer) returns (B integer) as begin B = F(A); suspend; end\n"
                                        "end")
                             .arg(k));
    }
    for (long long r = 0; r < triggers; ++r)
        qvbench::execute(database,
                         QStringLiteral("create trigger TRG_%1 for TAB_%2 active before insert position %3 as\n"
                                        "begin\n  new.NAME = upper(new.NAME);\nend")
                             .arg(r)
                             .arg(r % tables)
                             .arg(r / tables));
    for (long long v = 0; v < views; ++v)
        qvbench::execute(database, QStringLiteral("create view VIEW_%1 (ID, NAME) as select ID, NAME from TAB_%2 "
                                                  "where AMOUNT > 0")
                                       .arg(v)
                                       .arg(v % tables));
}

// Everything the database holds, to a script text, as the dialog does; to
// the file when one is given.
qint64 extractOurs(const QString& path, int flags, const QList<TExtractItem>& only = {},
                   const QString& scriptFile = {})
{
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams({QStringLiteral("isc_dpb_user_name=SYSDBA")});
    database.Open();
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    const QList<TExtractItem> items = only.isEmpty() ? ListExtractObjects(database, transaction) : only;
    const TExtractHeader header{QStringLiteral("bench"), path, {}, {}, {}};
    if (scriptFile.isEmpty()) {
        const TExtractResult result = ExtractScript(database, transaction, header, items, flags);
        database.Close();
        return ScriptText(result.lines).size();
    }
    TExtractResult result;
    const bool saved = ExtractScriptToFile(database, transaction, header, items, flags, scriptFile, result);
    database.Close();
    return saved ? QFileInfo(scriptFile).size() : 0;
}

qint64 extractIsql(const QString& path)
{
    QProcess isql;
    isql.start(isqlPath, {QStringLiteral("-x"), QStringLiteral("-user"), QStringLiteral("SYSDBA"), path});
    isql.waitForFinished(600000);
    return isql.readAllStandardOutput().size();
}

// A figure of /proc/self/status, in kilobytes.
long long statusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return 0;
}

// Starts a new peak at the memory held now (the kernel's "clear_refs" 5).
long long startPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    return statusKilobytes("VmRSS:");
}

QString timestampText(const ISC_TIMESTAMP& stamp)
{
    std::tm t;
    isc_decode_timestamp(const_cast<ISC_TIMESTAMP*>(&stamp), &t);
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900,
                                     t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return QString::fromLatin1(text, length);
}

// The fields' texts back to back, saved as the script is saved.
qint64 fetchReference(isc_db_handle* db, const QString& textFile)
{
    QSaveFile file(textFile);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    QStringEncoder encoder(QStringConverter::Utf8);
    QByteArray block(1 << 20, Qt::Uninitialized);
    qsizetype used = 0;
    qvbench::RawCursor cursor(db, qvbench::testTableSelect);
    while (cursor.Fetch())
        for (int c = 0; c < cursor.Columns(); ++c) {
            const QString text = qvbench::rawText(cursor.Var(c), timestampText);
            if (used + encoder.requiredSpace(text.size()) > block.size()) {
                file.write(block.constData(), used);
                used = 0;
            }
            used = encoder.appendToBuffer(block.data() + used, text) - block.constData();
        }
    file.write(block.constData(), used);
    return file.commit() ? QFileInfo(textFile).size() : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;

    if (QFile::exists(isqlPath)) {
        const QString path = QDir(dir.path()).filePath(QStringLiteral("metadata.fdb"));
        {
            TQvDatabase database;
            qvbench::createDatabase(database, path, 3);
            createMetadata(database, qvbench::scaled(500), qvbench::scaled(200), qvbench::scaled(100),
                           qvbench::scaled(20), qvbench::scaled(10), qvbench::scaled(300), qvbench::scaled(100));
            database.Close();
        }
        qint64 ours = 0, reference = 0;
        const qvbench::BestTimes best = qvbench::bestOfTurns(
            3, [&] { reference = extractIsql(path); },
            [&] { ours = extractOurs(path, efMetadataOnly | efKeys | efIndices); });
        if (ours == 0 || reference == 0) {
            std::fprintf(stderr, "an extract came out empty: ours %lld, isql-fb %lld characters\n", (long long)ours,
                         (long long)reference);
            return 1;
        }
        qvbench::printBench("extract_metadata", best.ours, best.ref, "s", 3);
    } else {
        std::fprintf(stderr, "isql-fb is not installed: extract_metadata is not measured\n");
    }

    const QString path = QDir(dir.path()).filePath(QStringLiteral("data.fdb"));
    TQvDatabase database;
    qvbench::createDatabase(database, path);
    qvbench::createTestTable(database, qvbench::scaled(1000000));
    database.Close();
    database.SetDBParams({QStringLiteral("isc_dpb_user_name=SYSDBA")});
    qint64 ours = 0, reference = 0;
    long long growth = 0;
    const qvbench::BestTimes best = qvbench::bestOfTurns(
        3,
        [&] {
            database.Open();
            reference = fetchReference(database.Handle(), QDir(dir.path()).filePath(QStringLiteral("values.txt")));
            database.Close();
        },
        [&] {
            const long long before = startPeak();
            ours = extractOurs(path, efDataOnly, {{QStringLiteral("T"), ekTable}},
                               QDir(dir.path()).filePath(QStringLiteral("data.sql")));
            growth = std::max(growth, statusKilobytes("VmHWM:") - before);
        });
    if (ours <= reference) {
        std::fprintf(stderr, "the script is shorter than the values it holds: %lld against %lld bytes\n",
                     (long long)ours, (long long)reference);
        return 1;
    }
    qvbench::printBench("extract_data", best.ours, best.ref, "s", 3);
    qvbench::printBench("extract_data_peak_memory", growth / 1024.0, "MB", 1);
    return 0;
}
