// Script runs: the same script through TQvScript and through the server's own
// isql-fb, each into a fresh embedded database, side by side in one run; the
// best of three rounds of each.
//   BENCH script_inserts  100,000 INSERT statements (times QV_BENCH_SCALE)
//   BENCH script_ddl      1,000 CREATE TABLE statements (times QV_BENCH_SCALE)

#include "ScriptBench.h"
#include "access/QvScript.h"

#include <QCoreApplication>

namespace {

// Seconds TQvScript takes to read and run the script file.
double runOurs(const QString& file)
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
    int failures = 0;
    QObject::connect(&script, &TQvScript::OnError, [&failures](const QString& text, int lineNo, int) {
        if (++failures <= 3)
            std::fprintf(stderr, "line %d: %s\n", lineNo, qPrintable(text));
    });
    script.SetScript(lines);
    script.ExecuteScript();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return failures > 0 ? -1 : seconds;
}

double runReference(const QString& file)
{
    bool ok = false;
    const double seconds =
        qvbench::runIsql({QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("1")}, file, ok);
    return ok ? seconds : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const int factor = qvbench::wholeScale();
    bool ok = qvbench::measureScripts("script_inserts", dir, qvbench::insertScript(100000 * factor),
                                      QStringLiteral("select count(*) from T"), runOurs, runReference);
    ok = qvbench::measureScripts("script_ddl", dir, qvbench::ddlScript(1000 * factor),
                                 QStringLiteral("select count(*) from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0"),
                                 runOurs, runReference)
         && ok;
    return ok ? 0 : 1;
}
