// Opening the procedure editor on a large procedure (100 input and 100
// output parameters, 100 local variables, a 10,000-line body): from a new
// window to its grids and body filled, laid out and painted, beside the
// least that shows the procedure: the source and the parameters read through
// the client library alone and the source shown and painted in a bare editor
// of the same size and font (see Reference).
//   BENCH proc_editor_open ours=<ms>ms ref=<ms>ms ratio=<r>
// QV_BENCH_SCALE multiplies the body's 10,000 lines.

#include "bench/BenchSupport.h"
#include "app/editors/EditProc.h"
#include "app/editors/ParamGrid.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/Options.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr int Parameters = 100;

QString ProcedureDDL(long long bodyLines)
{
    QStringList inputs, outputs, locals;
    for (int i = 0; i < Parameters; ++i) {
        inputs << QStringLiteral("IN_%1 %2").arg(i).arg(i % 2 ? QStringLiteral("integer") : QStringLiteral("varchar(30)"));
        outputs << QStringLiteral("OUT_%1 %2").arg(i).arg(i % 2 ? QStringLiteral("numeric(18,2)") : QStringLiteral("date"));
        locals << QStringLiteral("     declare variable V_%1 integer   /*variable %1 */;").arg(i);
    }
    QString body;
    for (long long line = 0; line < bodyLines; ++line) {
        if (line % 10 == 0)
            body += QStringLiteral("  V_%1 = V_%1 + %2;\n").arg(line % Parameters).arg(line);
        else
            body += QStringLiteral("  -- line %1 of the body, a comment to make it long\n").arg(line);
    }
    return QStringLiteral("create procedure BIG (") + inputs.join(QStringLiteral(", ")) + QStringLiteral(")\nreturns (")
           + outputs.join(QStringLiteral(", ")) + QStringLiteral(")\nas\n") + locals.join(u'\n')
           + QStringLiteral("\nbegin\n") + body + QStringLiteral("  suspend;\nend");
}

// The least a program does for a user to see the procedure: the window's
// selects (its source, its parameters with their exact types) read through
// the client library alone, every value as text, and the source set into a
// bare editor (the window's editor widget, highlighter and editor options,
// nothing around it) of the size the window gives its body, shown and
// painted until the event loop is idle, as the window is.
std::unique_ptr<TqeCustomEdit> Reference(TQvDatabase& database, TqeGeneralSyn& syntax, const QSize& size)
{
    QString source;
    {
        qvbench::RawCursor cursor(database.Handle(),
                                  "select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'BIG'", 3);
        if (!cursor.Fetch()) {
            std::fprintf(stderr, "reference found no procedure\n");
            std::exit(1);
        }
        const QByteArray bytes = qvbench::rawBlob(database.Handle(), cursor.Transaction(),
                                                  *reinterpret_cast<const ISC_QUAD*>(cursor.Var(0).sqldata));
        source = database.TextCodec().decode(bytes.constData(), bytes.size());
    }
    int rows = 0;
    {
        const QByteArray select = ProcedureParametersSelect(QStringLiteral("BIG")).toLatin1();
        qvbench::RawCursor cursor(database.Handle(), select.constData(), 3);
        for (; cursor.Fetch(); ++rows)
            for (int c = 0; c < cursor.Columns(); ++c)
                (void)qvbench::rawCatalogText(database.Handle(), cursor.Transaction(), cursor.Var(c));
    }
    if (rows != 2 * Parameters) {
        std::fprintf(stderr, "reference read %d parameters\n", rows);
        std::exit(1);
    }
    auto editor = std::make_unique<TqeCustomEdit>();
    editor->SetHighLighter(&syntax);
    // The user's editor options, as the window applies them: the same font
    // shows the same number of lines.
    ApplyEditorOptions(editor.get(), &syntax);
    editor->resize(size);
    editor->SetText(source);
    editor->show();
    qvbench::showResult();
    return editor;
}

// The window opened on the procedure, shown and painted.
std::unique_ptr<TEditProc> OpenEditor(quint64 id)
{
    auto editor = std::make_unique<TEditProc>(id);
    editor->IsNew = false;
    editor->ProcName->setText(QStringLiteral("BIG"));
    editor->LoadProcedure();
    editor->show();
    qvbench::showResult();
    return editor;
}

bool Complete(const TEditProc& editor, long long bodyLines)
{
    return editor.Inputs->Rows().size() == Parameters && editor.Outputs->Rows().size() == Parameters
           && editor.Locals->Rows().size() == Parameters && editor.BodyLines().size() == bodyLines + 1;
}

} // namespace

int main(int argc, char** argv)
{
    qvbench::paintWhenIdle();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("QORVANE_REGISTRY", QDir(dir.path()).filePath(QStringLiteral("registry.reg")).toUtf8());
    const long long bodyLines = qvbench::scaled(10000);
    TQvDatabase database;
    qvbench::createDatabase(database, QDir(dir.path()).filePath(QStringLiteral("proc.fdb")), 3);
    qvbench::execute(database, ProcedureDDL(bodyLines));
    int exitCode = 0;
    {
        TDBListScope list;
        const int index = DBList->Add(QStringLiteral("Bench"));
        DBList->SetPath(index, database.DBName());
        DBList->SetDatabase(index, &database);
        const quint64 id = DBList->GetId(index);

        // The same highlighter as the window's scans the reference's text.
        TqeGeneralSyn syntax;
        syntax.SetComments(csCStyle);
        syntax.SetKeyWords(TDM::SQLKeywords());
        // A first opening, untimed, gives the body's size for the reference's editor.
        const QSize bodySize = OpenEditor(id)->SQLText->size();
        constexpr int Rounds = 9;
        std::unique_ptr<TqeCustomEdit> shown;
        std::unique_ptr<TEditProc> editor;
        int referencePainted = 0, painted = 0, unpainted = 0, complete = 0;
        qvbench::paintsLeft();
        const qvbench::BestTimes best = qvbench::bestOfTurns(
            Rounds,
            [&] {
                const qvbench::EventCounter counter;
                shown = Reference(database, syntax, bodySize);
                referencePainted += counter.Paints() > 0 ? 1 : 0;
            },
            [&] {
                const qvbench::EventCounter counter;
                editor = OpenEditor(id);
                painted += counter.Paints() > 0 ? 1 : 0;
            },
            [&] {
                // What the opening left to paint counts against it.
                if (editor) {
                    unpainted += qvbench::paintsLeft();
                    complete += Complete(*editor, bodyLines) ? 1 : 0;
                }
                shown.reset();
                editor.reset();
                qvbench::paintsLeft();
            });
        unpainted += qvbench::paintsLeft();
        complete += Complete(*editor, bodyLines) ? 1 : 0;
        if (painted != Rounds || referencePainted != Rounds || unpainted > 0) {
            std::fprintf(stderr, "%d openings of %d painted the window, %d the reference's; %d paints left untimed\n",
                         painted, Rounds, referencePainted, unpainted);
            exitCode = 1;
        }
        if (complete != Rounds) {
            std::fprintf(stderr, "%d openings of %d loaded the whole procedure\n", complete, Rounds);
            exitCode = 1;
        }
        qvbench::printBench("proc_editor_open", best.ours * 1e3, best.ref * 1e3, "ms", 1);
    }
    database.DropDatabase();
    return exitCode;
}
