// The script runner window, offscreen, with its echo on: Open chooses the
// script file, Run reads and runs it, every line goes into the result text.
// Beside it the server's own isql-fb runs the same file; each side into a
// fresh embedded database, the best of three rounds of each.
//   BENCH runner_inserts  100,000 INSERT statements (times QV_BENCH_SCALE)
//   BENCH runner_ddl      1,000 CREATE TABLE statements (times QV_BENCH_SCALE)

#include "BenchSupport.h"
#include "ScriptBench.h"
#include "app/sqltools/ExecuteScript.h"
#include "components/ColorMemo.h"
#include "platform/DialogScript.h"

#include <QApplication>

namespace {

// Seconds from Run to the runner's final box: the file read, run and echoed.
double runOurs(const QString& file)
{
    qv::DialogScript dialogs;
    TRunScript window;
    window.resize(800, 600);
    window.show();
    dialogs.answerFile(file);
    window.OpenFileBtnClick();
    dialogs.answerMessage(qv::mrOk);
    dialogs.clearShown();
    // What the echo costs inside the run: appending to the result text, and
    // the events (painting, colouring) let through.
    double appendSeconds = 0;
    double pumpSeconds = 0;
    const auto output = window.Echo().Output;
    const auto pump = window.Echo().Pump;
    window.Echo().Output = [&](const QString& lines) { appendSeconds += qvbench::secondsOf([&] { output(lines); }); };
    window.Echo().Pump = [&] { pumpSeconds += qvbench::secondsOf(pump); };
    QElapsedTimer timer;
    timer.start();
    window.RunBtnClick();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const QStringList messages = dialogs.messages();
    const int lines = window.ResText->document()->blockCount();
    std::fprintf(stderr, "runner: %d lines shown in %d batches (%.3fs), events let through %d times (%.3fs)\n", lines,
                 window.Echo().Batches(), appendSeconds, window.Echo().Pumps(), pumpSeconds);
    if (messages != QStringList{QStringLiteral("Script Executed Successfully !")}) {
        std::fprintf(stderr, "runner: %s\n%s\n", qPrintable(messages.join(u'\n')),
                     qPrintable(window.ResText->toPlainText().right(400)));
        return -1;
    }
    return seconds;
}

double runReference(const QString& file)
{
    bool ok = false;
    const double seconds = qvbench::runIsql({QStringLiteral("-q")}, file, ok);
    return ok ? seconds : -1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // The window's placement goes to a registry of the benchmark's own.
    qputenv("QORVANE_REGISTRY", dir.filePath(QStringLiteral("registry.reg")).toUtf8());
    const int factor = qvbench::wholeScale();
    bool ok = qvbench::measureScripts("runner_inserts", dir, qvbench::insertScript(100000 * factor),
                                      QStringLiteral("select count(*) from T"), runOurs, runReference);
    ok = qvbench::measureScripts("runner_ddl", dir, qvbench::ddlScript(1000 * factor),
                                 QStringLiteral("select count(*) from RDB$RELATIONS where RDB$SYSTEM_FLAG = 0"),
                                 runOurs, runReference)
         && ok;
    return ok ? 0 : 1;
}
