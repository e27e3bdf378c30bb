// Large values through an extracted script.
//   BENCH extract_large_values_isql ours=<s>s ref=<s>s ratio=<r>
//   BENCH extract_large_values_executor ours=<s>s ref=<s>s ratio=<r>
//     20 rows (times QV_BENCH_SCALE), each a text blob of lines ending in
//     CR LF and a binary blob, 1 to 5 MB a row, extracted with the table
//     to a script file as the dialog saves it; the script replayed into a
//     new database by isql-fb and by our script executor, beside making the
//     same database and inserting the same rows through parameters. Each
//     copy is read back and compared with the values, byte for byte.
//     Making the database is outside every timing: each side's time for a
//     script of the CREATE DATABASE alone (or the reference's create call)
//     is taken off its own. A new isql-fb process first starts the server
//     engine it embeds, which here costs a second or more, while the
//     reference and the executor run in a process that started it already.

#include "access/QvBlob.h"
#include "access/QvQuery.h"
#include "app/sqltools/ExtractRun.h"
#include "app/sqltools/ExtractWriters.h"
#include "app/sqltools/ScriptFile.h"
#include "bench/BenchSupport.h"
#include "bench/ScriptBench.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <random>
#include <vector>

namespace {

struct Row
{
    QByteArray text;
    QByteArray bytes;
};

std::vector<Row> makeRows(int count)
{
    std::mt19937 random(44);
    const QByteArray line = "The quick brown fox jumps over the lazy dog; it's 0123456789 \"quoted\" text\r\n";
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i) {
        const qsizetype half = (qsizetype(1 + i % 5) << 20) / 2;
        Row row;
        row.text = line.repeated(half / line.size() + 1).left(half);
        row.bytes.resize(half);
        for (char& byte : row.bytes)
            byte = char(random());
        rows.push_back(std::move(row));
    }
    return rows;
}

const QString createTable =
    QStringLiteral("create table LV (ID integer not null primary key, TXT blob sub_type 1, BIN blob sub_type 0)");

ISC_QUAD writeBlob(TQvDatabase& database, TQvTransaction& transaction, const QByteArray& bytes)
{
    TQvBlobStream blob;
    blob.SetDatabase(&database);
    blob.SetTransaction(&transaction);
    blob.SetMode(bmWrite);
    blob.Write(bytes.constData(), bytes.size());
    blob.Finalize();
    return blob.BlobID();
}

// A new database at path with the table, and the rows inserted through
// parameters, a statement prepared once; the seconds after the database
// was made.
double insertThroughParameters(const QString& path, const std::vector<Row>& rows)
{
    TQvDatabase database;
    qvbench::createDatabase(database, path, 3);
    QElapsedTimer timer;
    timer.start();
    qvbench::execute(database, createTable);
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery insert;
    insert.SetDatabase(&database);
    insert.SetTransaction(&transaction);
    insert.SetParamCheck(false);
    insert.SetSQLText(QStringLiteral("insert into LV (ID, TXT, BIN) values (?, ?, ?)"));
    insert.Prepare();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        insert.Params().Vars(0).SetAsLong(int(i));
        insert.Params().Vars(1).SetAsQuad(writeBlob(database, transaction, rows[i].text));
        insert.Params().Vars(2).SetAsQuad(writeBlob(database, transaction, rows[i].bytes));
        insert.ExecQuery();
    }
    transaction.Commit();
    database.Close();
    return double(timer.nsecsElapsed()) / 1e9;
}

// Whether the database at path holds exactly the rows.
bool holdsRows(const QString& path, const std::vector<Row>& rows)
{
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams({QStringLiteral("isc_dpb_user_name=SYSDBA")});
    database.Open();
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(QStringLiteral("select ID, TXT, BIN from LV order by ID"));
    query.ExecQuery();
    std::size_t count = 0;
    bool same = true;
    for (; !query.Eof() && same; query.Next(), ++count) {
        const int id = query.Fields(0).AsLong();
        for (int column = 1; column <= 2 && same; ++column) {
            TQvBlobStream blob;
            blob.SetDatabase(&database);
            blob.SetTransaction(&transaction);
            blob.SetBlobID(query.Fields(column).AsQuad());
            blob.SetMode(bmRead);
            QByteArray bytes(blob.Size(), Qt::Uninitialized);
            blob.ReadBuffer(bytes.data(), bytes.size());
            same = id >= 0 && std::size_t(id) < rows.size()
                && bytes == (column == 1 ? rows[std::size_t(id)].text : rows[std::size_t(id)].bytes);
        }
    }
    query.Close();
    transaction.Commit();
    database.Close();
    if (!same || count != rows.size())
        std::fprintf(stderr, "%s: %zu rows, %s\n", qPrintable(path), count, same ? "same" : "a value differs");
    return same && count == rows.size();
}

// The table and its rows as a script that creates the database at `copy`.
bool extract(const QString& path, const QString& copy, const QString& scriptFile)
{
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams({QStringLiteral("isc_dpb_user_name=SYSDBA")});
    database.Open();
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    const TExtractHeader header{QStringLiteral("bench"), copy, {}, {}, {}};
    TExtractResult result;
    const bool saved = ExtractScriptToFile(database, transaction, header, {{QStringLiteral("LV"), ekTable}},
                                           efMetadataAndData | efCreateDatabase, scriptFile, result);
    database.Close();
    return saved;
}

// Seconds our executor takes to read and run the script file; negative
// when a statement failed.
double runExecutor(const QString& scriptFile)
{
    QElapsedTimer timer;
    timer.start();
    const QStringList lines = ReadScriptFile(scriptFile);
    const double read = double(timer.nsecsElapsed()) / 1e9;
    const int failures = qvbench::executeScript(lines);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::fprintf(stderr, "executor: the file read in %.3fs, run in %.3fs\n", read, seconds - read);
    return failures == 0 ? seconds : -1;
}

// The script's lines up to its CREATE DATABASE, as a script of their own.
bool writeCreationScript(const QString& scriptFile, const QString& creationFile)
{
    QFile script(scriptFile);
    QFile creation(creationFile);
    if (!script.open(QIODevice::ReadOnly) || !creation.open(QIODevice::WriteOnly))
        return false;
    for (;;) {
        const QByteArray line = script.readLine();
        if (line.isEmpty())
            return false;
        creation.write(line);
        if (line.startsWith("CREATE DATABASE "))
            return true;
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const std::vector<Row> rows = makeRows(int(qvbench::scaled(20)));
    const QString original = dir.filePath(QStringLiteral("original.fdb"));
    const QString copy = dir.filePath(QStringLiteral("copy.fdb"));
    const QString scriptFile = dir.filePath(QStringLiteral("values.sql"));
    const QString creationFile = dir.filePath(QStringLiteral("create.sql"));
    insertThroughParameters(original, rows);
    if (!extract(original, copy, scriptFile) || !writeCreationScript(scriptFile, creationFile)) {
        std::fprintf(stderr, "the script could not be saved\n");
        return 1;
    }
    constexpr int rounds = 2;
    double reference = 1e300;
    double isql = 1e300;
    double executor = 1e300;
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round) {
        QFile::remove(copy);
        reference = std::min(reference, insertThroughParameters(copy, rows));
        ok = holdsRows(copy, rows);
        QFile::remove(copy);
        bool ran = false;
        const double isqlCreation = qvbench::runIsql({QStringLiteral("-q")}, creationFile, ran);
        QFile::remove(copy);
        bool replayed = false;
        const double isqlWhole = qvbench::runIsql({QStringLiteral("-q")}, scriptFile, replayed);
        std::fprintf(stderr, "isql-fb: %.3fs, of which making the database %.3fs\n", isqlWhole, isqlCreation);
        isql = std::min(isql, isqlWhole - isqlCreation);
        ok = ok && ran && replayed && holdsRows(copy, rows);
        QFile::remove(copy);
        const double executorCreation = runExecutor(creationFile);
        QFile::remove(copy);
        const double executorWhole = runExecutor(scriptFile);
        executor = std::min(executor, executorWhole - executorCreation);
        ok = ok && executorCreation >= 0 && executorWhole >= 0 && holdsRows(copy, rows);
    }
    if (!ok) {
        std::fprintf(stderr, "a replay failed or did not give the rows back\n");
        return 1;
    }
    qvbench::printBench("extract_large_values_isql", isql, reference, "s", 3);
    qvbench::printBench("extract_large_values_executor", executor, reference, "s", 3);
    return 0;
}
