#pragma once

// What the script benchmarks share: the two scripts, the file each round
// writes, the server's own isql-fb as the reference, the counts that show
// both sides built the same, and the rounds that keep each side's best time.
// Header only: every bench/*.cpp is a program of its own.

#include "access/QvQuery.h"
#include "access/QvScript.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace qvbench {

// QV_BENCH_SCALE as a whole factor, at least 1.
inline int wholeScale()
{
    const int value = qEnvironmentVariableIntValue("QV_BENCH_SCALE");
    return value > 0 ? value : 1;
}

inline QStringList insertScript(int rows)
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

inline QStringList ddlScript(int tables)
{
    QStringList lines;
    lines.reserve(tables);
    for (int i = 1; i <= tables; ++i)
        lines << QStringLiteral("CREATE TABLE T%1 (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), "
                                "CREATED TIMESTAMP DEFAULT 'NOW', NOTE BLOB SUB_TYPE 1);")
                     .arg(i, 5, 10, QLatin1Char('0'));
    return lines;
}

// The script file of one side: it creates its own database, then the body.
inline bool writeScript(const QString& file, const QString& databasePath, const QStringList& body)
{
    QFile output(file);
    if (!output.open(QIODevice::WriteOnly))
        return false;
    output.write(QStringLiteral("CREATE DATABASE '%1' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE;\n")
                     .arg(databasePath)
                     .toUtf8());
    output.write(body.join(QLatin1Char('\n')).toUtf8());
    output.write("\n");
    return true;
}

// Seconds isql-fb takes to run the file with the options given before "-i".
inline double runIsql(const QStringList& options, const QString& file, bool& ok)
{
    QElapsedTimer timer;
    timer.start();
    QProcess isql;
    isql.setProcessChannelMode(QProcess::MergedChannels);
    isql.start(QStringLiteral("isql-fb"), options + QStringList{QStringLiteral("-i"), file});
    const bool finished = isql.waitForFinished(-1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const QByteArray output = isql.readAll();
    ok = finished && isql.exitStatus() == QProcess::NormalExit && isql.exitCode() == 0 && output.trimmed().isEmpty();
    if (!ok)
        std::fprintf(stderr, "isql-fb: %s\n", output.left(400).constData());
    return seconds;
}

// Runs the script's lines through TQvScript on a connection of its own
// (the script makes or names its database); the statements that failed,
// the first three of them told on stderr.
inline int executeScript(const QStringList& lines)
{
    TQvDatabase database;
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    TQvScript script;
    script.SetDatabase(&database);
    script.SetTransaction(&transaction);
    script.SetParamCheck(false);
    int failures = 0;
    QObject::connect(&script, &TQvScript::OnError, [&failures](const QString& text, int lineNo, int) {
        if (++failures <= 3)
            std::fprintf(stderr, "line %d: %s\n", lineNo, qPrintable(text.left(300)));
    });
    script.SetScript(lines);
    script.ExecuteScript();
    if (database.Connected())
        database.Close();
    return failures;
}

// The first column of a query's first row, on a connection of its own; the
// user and password from the environment when it names them, as a server
// asks for them.
inline QString countOf(const QString& path, const QString& sql)
{
    TQvDatabase database;
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    database.SetDBName(path);
    QStringList params;
    if (qEnvironmentVariableIsSet("ISC_USER"))
        params << QStringLiteral("isc_dpb_user_name=") + qEnvironmentVariable("ISC_USER");
    if (qEnvironmentVariableIsSet("ISC_PASSWORD"))
        params << QStringLiteral("isc_dpb_password=") + qEnvironmentVariable("ISC_PASSWORD");
    database.SetDBParams(params);
    database.Open();
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(sql);
    query.ExecQuery();
    return query.Fields(0).AsString();
}

// One side of a comparison: runs the file and returns its seconds, or a
// negative number when it failed.
using ScriptSide = std::function<double(const QString& file)>;

// Runs both sides `rounds` times, alternating, each into a fresh database,
// checks that both built the same (the check query's answer), and prints
// each side's best time: the machine's other work only ever adds time.
// `server` (e.g. "127.0.0.1:") puts the databases behind a server.
inline bool measureScripts(const char* name, const QTemporaryDir& dir, const QStringList& body, const QString& check,
                           const ScriptSide& ours, const ScriptSide& reference, int rounds = 3,
                           const QString& server = QString())
{
    double bestOurs = 0;
    double bestReference = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString stem = QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(round);
        const QString ourDb = dir.filePath(stem + QStringLiteral("_ours.fdb"));
        const QString refDb = dir.filePath(stem + QStringLiteral("_ref.fdb"));
        const QString ourLocation = server + ourDb;
        const QString refLocation = server + refDb;
        const QString ourFile = dir.filePath(stem + QStringLiteral("_ours.sql"));
        const QString refFile = dir.filePath(stem + QStringLiteral("_ref.sql"));
        if (!writeScript(ourFile, ourLocation, body) || !writeScript(refFile, refLocation, body)) {
            std::fprintf(stderr, "%s: cannot write the scripts\n", name);
            return false;
        }
        const double ourSeconds = ours(ourFile);
        const double refSeconds = reference(refFile);
        QString ourCount;
        QString refCount;
        try {
            ourCount = countOf(ourLocation, check);
            refCount = countOf(refLocation, check);
        } catch (const EQvError& error) {
            std::fprintf(stderr, "%s: %s\n", name, error.what());
            return false;
        }
        if (ourSeconds < 0 || refSeconds < 0 || ourCount != refCount) {
            std::fprintf(stderr, "%s: ours %s, reference %s, counts %s / %s\n", name, ourSeconds < 0 ? "failed" : "ok",
                         refSeconds < 0 ? "failed" : "ok", qPrintable(ourCount), qPrintable(refCount));
            return false;
        }
        bestOurs = round == 0 ? ourSeconds : std::min(bestOurs, ourSeconds);
        bestReference = round == 0 ? refSeconds : std::min(bestReference, refSeconds);
        for (const QString& file : {ourDb, refDb, ourFile, refFile})
            QFile::remove(file);
    }
    std::printf("BENCH %s ours=%.3fs ref=%.3fs ratio=%.2f\n", name, bestOurs, bestReference, bestOurs / bestReference);
    std::fflush(stdout);
    return true;
}

} // namespace qvbench
