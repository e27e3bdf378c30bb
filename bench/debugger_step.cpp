// The debugger stepping through a body of 200 assignments and 20 singleton
// selects, every statement run as a temporary procedure, beside the same
// create, execute and drop cycles sent directly through the access layer.
//   BENCH debugger_step ours=<s>s ref=<s>s ratio=<r>
// QV_BENCH_SCALE multiplies the number of statements.

#include "bench/BenchSupport.h"
#include "app/editors/Debugger.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

QStringList bodyOf(long long assignments, long long selects)
{
    QStringList body;
    const long long total = assignments + selects;
    const long long every = selects > 0 ? total / selects : total + 1;
    for (long long i = 1; i <= total; ++i) {
        if (i % every == 0 && selects-- > 0)
            body << QStringLiteral("select v from t where id = :x into :n;");
        else
            body << QStringLiteral("x = x + 1;");
    }
    return body;
}

void addVariables(TInOutVar& vars)
{
    vars.AddVar(QStringLiteral("x"), QStringLiteral("Integer"), vkLocal);
    vars.AddVar(QStringLiteral("n"), QStringLiteral("Integer"), vkLocal);
}

// Every statement stepped over by the debugger, from the start of the
// session to its end; answers the final x.
QString stepThrough(TQvDatabase& database, const QStringList& body)
{
    TDebugger debugger(&database);
    addVariables(debugger.Vars());
    if (!debugger.ParseProcText(body).Ok) {
        std::fprintf(stderr, "the body does not parse\n");
        std::exit(1);
    }
    debugger.OnSessionStart = [&] { debugger.ModifyValue(QStringLiteral("x"), QStringLiteral("0")); };
    for (;;) {
        const TStepResult step = debugger.StepOver();
        if (step.Failed) {
            std::fprintf(stderr, "step failed: %s\n", qPrintable(step.Messages.join(QLatin1Char('\n'))));
            std::exit(1);
        }
        if (step.SessionEnded)
            break;
    }
    return debugger.Vars().FindVar(QStringLiteral("x"))->Value;
}

// The texts of each statement, made beforehand, so only the cycles count.
struct Cycle
{
    TWrappedStatement texts;
    std::vector<TSQLVar> used;
};

std::vector<Cycle> cyclesOf(const QStringList& body)
{
    TInOutVar vars;
    addVariables(vars);
    const TWrapperContext context{QStringLiteral("mmm$reference"), QStringLiteral("abcd"), 1, dmProcedure};
    std::vector<Cycle> cycles;
    for (const QString& line : body) {
        QString text = line;
        text.chop(1);
        Cycle cycle;
        cycle.used = vars.CollectUsedVars(text);
        cycle.texts = BuildWrapper(text, cycle.used, context);
        cycles.push_back(cycle);
    }
    return cycles;
}

// The same create, execute and drop of each statement, with the values
// carried from one statement to the next; answers the final x.
QString runCycles(TQvDatabase& database, const std::vector<Cycle>& cycles)
{
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    TQvQuery ddl;
    ddl.SetDatabase(&database);
    ddl.SetTransaction(&transaction);
    ddl.SetParamCheck(false);
    TQvQuery exec;
    exec.SetDatabase(&database);
    exec.SetTransaction(&transaction);
    QHash<QString, QString> values{{QStringLiteral("x"), QStringLiteral("0")}};
    for (const Cycle& cycle : cycles) {
        transaction.StartTransaction();
        ddl.SetSQLText(cycle.texts.CreateText);
        ddl.ExecQuery();
        transaction.Commit();

        transaction.StartTransaction();
        exec.SetSQLText(cycle.texts.ExecuteText);
        TQvXSQLDA& params = exec.Params();
        for (std::size_t i = 0; i < cycle.used.size(); ++i) {
            const QString value = values.value(cycle.used[i].Name);
            if (value.isNull())
                params.Vars(int(i)).SetIsNull(true);
            else
                params.Vars(int(i)).SetAsString(value);
        }
        exec.ExecQuery();
        for (std::size_t i = 0; i < cycle.used.size(); ++i) {
            const TQvXSQLVAR& column = exec.Current().Vars(int(i));
            values.insert(cycle.used[i].Name, column.IsNull() ? QString() : column.AsString());
        }
        transaction.Commit();
        exec.FreeHandle();

        transaction.StartTransaction();
        ddl.SetSQLText(cycle.texts.DropText);
        ddl.ExecQuery();
        transaction.Commit();
    }
    return values.value(QStringLiteral("x"));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    TQvDatabase database;
    qvbench::createDatabase(database, QDir(dir.path()).filePath(QStringLiteral("debugger.fdb")));
    // Without forced writes a commit does not wait for the disk, which other
    // work on the machine makes slow and uneven; what is left is the work of
    // the server and of the two sides measured.
    database.Close();
    database.SetDBParams({QStringLiteral("user_name=SYSDBA"), QStringLiteral("force_write=0")});
    database.Open();
    qvbench::execute(database, QStringLiteral("create table T (ID integer not null primary key, V integer)"));
    qvbench::execute(database, QStringLiteral("execute block as declare i integer = 0; begin"
                                              " while (i < 1000) do begin insert into T values (:i, :i * 2);"
                                              " i = i + 1; end end"));

    const QStringList body = bodyOf(qvbench::scaled(200), qvbench::scaled(20));
    const std::vector<Cycle> cycles = cyclesOf(body);
    QString ours;
    QString reference;
    const qvbench::BestTimes best = qvbench::bestOfTurns(
        3, [&] { reference = runCycles(database, cycles); }, [&] { ours = stepThrough(database, body); });
    if (ours != reference) {
        std::fprintf(stderr, "results differ: %s against %s\n", qPrintable(ours), qPrintable(reference));
        return 1;
    }
    qvbench::printBench("debugger_step", best.ours, best.ref, "s", 3);
    database.Close();
    return 0;
}
