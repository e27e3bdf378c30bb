// Script runs: the same script through TQvScript and through the server's own
// isql-fb, each into a fresh embedded database, side by side in one run; the
// best of three rounds of each.
//   BENCH script_inserts  100,000 INSERT statements (times QV_BENCH_SCALE)
//   BENCH script_ddl      1,000 CREATE TABLE statements (times QV_BENCH_SCALE)

#include "access/QvScript.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

int scale()
{
    const int value = qEnvironmentVariableIntValue("QV_BENCH_SCALE");
    return value > 0 ? value : 1;
}

QString createStatement(const QString& path)
{
    return QStringLiteral("CREATE DATABASE '%1' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE;").arg(path);
}

QStringList insertScript(int rows)
{
    QStringList lines{QStringLiteral("CREATE TABLE T (ID INTEGER NOT NULL, NAME VARCHAR(40), AMOUNT NUMERIC(12,2));")};
    lines.reserve(rows + 1);
    for (int i = 1; i <= rows; ++i)
        lines << QStringLiteral("INSERT INTO T VALUES (%1, 'name %1; a value', %2.%3);")
                     .arg(i)
                     .arg(i % 100000)
                     .arg(i % 100, 2, 10, QLatin1Char('0'));
    return lines;
}

QStringList ddlScript(int tables)
{
    QStringList lines;
    lines.reserve(tables);
    for (int i = 1; i <= tables; ++i)
        lines << QStringLiteral("CREATE TABLE T%1 (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), "
                                "CREATED TIMESTAMP DEFAULT 'NOW', NOTE BLOB SUB_TYPE 1);")
                     .arg(i, 5, 10, QLatin1Char('0'));
    return lines;
}

// Seconds TQvScript takes to read and run the script file.
double runOurs(const QString& file, int& failures)
{
    QElapsedTimer timer;
    timer.start();
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return -1;
    const QStringList lines = QString::fromUtf8(input.readAll()).split(QLatin1Char('\n'));
    TQvDatabase database;
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    TQvScript script;
    script.SetDatabase(&database);
    script.SetTransaction(&transaction);
    script.SetParamCheck(false);
    failures = 0;
    QObject::connect(&script, &TQvScript::OnError, [&failures](const QString& text, int lineNo, int) {
        if (++failures <= 3)
            std::fprintf(stderr, "line %d: %s\n", lineNo, qPrintable(text));
    });
    script.SetScript(lines);
    script.ExecuteScript();
    return double(timer.nsecsElapsed()) / 1e9;
}

double runReference(const QString& file, bool& ok)
{
    QElapsedTimer timer;
    timer.start();
    QProcess isql;
    isql.setProcessChannelMode(QProcess::MergedChannels);
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("1"),
                                           QStringLiteral("-i"), file});
    const bool finished = isql.waitForFinished(-1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const QByteArray output = isql.readAll();
    ok = finished && isql.exitStatus() == QProcess::NormalExit && isql.exitCode() == 0 && output.trimmed().isEmpty();
    if (!ok)
        std::fprintf(stderr, "isql-fb: %s\n", output.left(400).constData());
    return seconds;
}

QString countOf(const QString& path, const QString& sql)
{
    TQvDatabase database;
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    database.SetDBName(path);
    database.Open();
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(sql);
    query.ExecQuery();
    return query.Fields(0).AsString();
}

bool writeScript(const QString& file, const QString& databasePath, const QStringList& body)
{
    QFile output(file);
    if (!output.open(QIODevice::WriteOnly))
        return false;
    output.write((createStatement(databasePath) + QLatin1Char('\n')).toUtf8());
    output.write(body.join(QLatin1Char('\n')).toUtf8());
    output.write("\n");
    return true;
}

// Runs both sides `rounds` times, alternating, each into a fresh database, and
// keeps each side's best time: the machine's other work only ever adds time.
bool measure(const char* name, const QTemporaryDir& dir, const QStringList& body, const QString& check)
{
    constexpr int rounds = 3;
    double ours = 0;
    double reference = 0;
    QString ourCount;
    QString refCount;
    for (int round = 0; round < rounds; ++round) {
        const QString stem = QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(round);
        const QString ourDb = dir.filePath(stem + QStringLiteral("_ours.fdb"));
        const QString refDb = dir.filePath(stem + QStringLiteral("_ref.fdb"));
        const QString ourFile = dir.filePath(stem + QStringLiteral("_ours.sql"));
        const QString refFile = dir.filePath(stem + QStringLiteral("_ref.sql"));
        if (!writeScript(ourFile, ourDb, body) || !writeScript(refFile, refDb, body)) {
            std::fprintf(stderr, "%s: cannot write the scripts\n", name);
            return false;
        }
        int failures = 0;
        const double ourSeconds = runOurs(ourFile, failures);
        bool referenceOk = false;
        const double refSeconds = runReference(refFile, referenceOk);
        try {
            ourCount = countOf(ourDb, check);
            refCount = countOf(refDb, check);
        } catch (const EQvError& error) {
            std::fprintf(stderr, "%s: %s\n", name, error.what());
            return false;
        }
        if (failures > 0 || !referenceOk || ourCount != refCount) {
            std::fprintf(stderr, "%s: %d failures, reference %s, counts %s / %s\n", name, failures,
                         referenceOk ? "ok" : "failed", qPrintable(ourCount), qPrintable(refCount));
            return false;
        }
        ours = round == 0 ? ourSeconds : std::min(ours, ourSeconds);
        reference = round == 0 ? refSeconds : std::min(reference, refSeconds);
        for (const QString& file : {ourDb, refDb, ourFile, refFile})
            QFile::remove(file);
    }
    std::printf("BENCH %s ours=%.3fs ref=%.3fs ratio=%.2f\n", name, ours, reference, ours / reference);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const int factor = scale();
    bool ok = measure("script_inserts", dir, insertScript(100000 * factor), QStringLiteral("select count(*) from T"));
    ok = measure("script_ddl", dir, ddlScript(1000 * factor),
                 QStringLiteral("select count(*) from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0"))
         && ok;
    return ok ? 0 : 1;
}
