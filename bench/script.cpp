// Script runs: the same script through TQvScript and through the server's own
// isql-fb, each into a fresh database, side by side in one run; the best of
// three rounds of each.
//   BENCH script_inserts         100,000 INSERT statements (times QV_BENCH_SCALE), embedded
//   BENCH script_ddl             1,000 CREATE TABLE statements (times QV_BENCH_SCALE), embedded
//   BENCH script_inserts_server  the INSERT script through the server at 127.0.0.1
//                                (left out, with a note, when no server answers there)

#include "access/QvScript.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

// The SYSDBA password of the local server, as its package wrote it down.
QString serverPassword()
{
    QFile file(QStringLiteral("/etc/firebird/3.0/SYSDBA.password"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("masterkey");
    static const QRegularExpression line(QStringLiteral("^ISC_PASSWORD=\"?([^\"\\n]*)\"?"),
                                         QRegularExpression::MultilineOption);
    const auto match = line.match(QString::fromUtf8(file.readAll()));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("masterkey");
}

bool serverRunning()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(3050);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return up;
}

QString countOf(const QString& path, const QString& sql)
{
    TQvDatabase database;
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    database.SetDBName(path);
    database.SetDBParams({QStringLiteral("isc_dpb_user_name=") + qEnvironmentVariable("ISC_USER"),
                          QStringLiteral("isc_dpb_password=") + qEnvironmentVariable("ISC_PASSWORD")});
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
// `server` puts the databases behind the server at 127.0.0.1.
bool measure(const char* name, const QTemporaryDir& dir, const QStringList& body, const QString& check,
             bool server = false)
{
    const QString prefix = server ? QStringLiteral("127.0.0.1:") : QString();
    constexpr int rounds = 3;
    double ours = 0;
    double reference = 0;
    QString ourCount;
    QString refCount;
    for (int round = 0; round < rounds; ++round) {
        const QString stem = QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(round);
        const QString ourDb = prefix + dir.filePath(stem + QStringLiteral("_ours.fdb"));
        const QString refDb = prefix + dir.filePath(stem + QStringLiteral("_ref.fdb"));
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
        for (const QString& file : {ourDb.mid(prefix.size()), refDb.mid(prefix.size()), ourFile, refFile})
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
    // The server's own user makes and opens the files of the server rounds.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                          | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    // Both sides take the user from the environment, as scripts without one do.
    qputenv("ISC_USER", "SYSDBA");
    qputenv("ISC_PASSWORD", serverPassword().toUtf8());
    const int factor = scale();
    const QStringList inserts = insertScript(100000 * factor);
    bool ok = measure("script_inserts", dir, inserts, QStringLiteral("select count(*) from T"));
    ok = measure("script_ddl", dir, ddlScript(1000 * factor),
                 QStringLiteral("select count(*) from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0"))
         && ok;
    if (serverRunning())
        ok = measure("script_inserts_server", dir, inserts, QStringLiteral("select count(*) from T"), true) && ok;
    else
        std::fprintf(stderr, "script_inserts_server: no server answers on 127.0.0.1:3050 (tools/fbserver.sh "
                             "starts it); left out\n");
    return ok ? 0 : 1;
}
