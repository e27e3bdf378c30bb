// Script runs: the same script through TQvScript and through the server's own
// isql-fb, each into a fresh database, side by side in one run; the best of
// three rounds of each.
//   BENCH script_inserts         100,000 INSERT statements (times QV_BENCH_SCALE), embedded
//   BENCH script_ddl             1,000 CREATE TABLE statements (times QV_BENCH_SCALE), embedded
//   BENCH script_inserts_server  the INSERT script through the server at 127.0.0.1
//                                (left out, with a note, when no server answers there)

#include "ScriptBench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Seconds TQvScript takes to read and run the script file; negative when a
// statement failed.
double runOurs(const QString& file)
{
    QElapsedTimer timer;
    timer.start();
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return -1;
    const int failures = qvbench::executeScript(QString::fromUtf8(input.readAll()).split(QLatin1Char('\n')));
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return failures > 0 ? -1 : seconds;
}

double runReference(const QString& file)
{
    bool ok = false;
    const double seconds = qvbench::runIsql({QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("1")}, file, ok);
    return ok ? seconds : -1;
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
    const int factor = qvbench::wholeScale();
    const QStringList inserts = qvbench::insertScript(100000 * factor);
    const QString countRows = QStringLiteral("select count(*) from T");
    bool ok = qvbench::measureScripts("script_inserts", dir, inserts, countRows, runOurs, runReference);
    ok = qvbench::measureScripts("script_ddl", dir, qvbench::ddlScript(1000 * factor),
                                 QStringLiteral("select count(*) from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0"),
                                 runOurs, runReference)
         && ok;
    if (serverRunning())
        ok = qvbench::measureScripts("script_inserts_server", dir, inserts, countRows, runOurs, runReference, 3,
                                     QStringLiteral("127.0.0.1:"))
             && ok;
    else
        std::fprintf(stderr, "script_inserts_server: no server answers on 127.0.0.1:3050 (tools/fbserver.sh "
                             "starts it); left out\n");
    return ok ? 0 : 1;
}
