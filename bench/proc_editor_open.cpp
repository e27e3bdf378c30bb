// Opening the procedure editor on a large procedure (100 input and 100
// output parameters, 100 local variables, a 10,000-line body): from a new
// window to its grids and body filled, laid out and painted, beside
// selecting the source and the parameters through the access layer and
// setting an editor's text.
//   BENCH proc_editor_open ours=<ms>ms ref=<ms>ms ratio=<r>
// QV_BENCH_SCALE multiplies the body's 10,000 lines.

#include "bench/BenchSupport.h"
#include "access/QvBlob.h"
#include "app/editors/EditProc.h"
#include "app/editors/ParamGrid.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "editor/qeCustomEdit.h"
#include "editor/qeGeneralSyn.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
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

// What opening needs at least: both selects through the access layer, their
// values read, and the source set as an editor's text.
void Reference(TQvDatabase& database, TqeCustomEdit& editor)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(QStringLiteral("select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'BIG'"));
    query.ExecQuery();
    TQvBlobStream blob;
    blob.SetDatabase(&database);
    blob.SetTransaction(&transaction);
    blob.SetBlobID(query.Fields(0).AsQuad());
    blob.SetMode(bmRead);
    QByteArray bytes(blob.Size(), Qt::Uninitialized);
    blob.ReadBuffer(bytes.data(), bytes.size());
    const QString source = database.TextCodec().decode(bytes.constData(), bytes.size());
    query.Close();
    query.SetSQLText(QStringLiteral(
        "select a.rdb$parameter_name, a.rdb$parameter_type, a.rdb$description, b.rdb$field_type, b.rdb$field_length,"
        " b.rdb$field_scale from rdb$procedure_parameters a join rdb$fields b on a.rdb$field_source = b.rdb$field_name"
        " where a.rdb$procedure_name = 'BIG' order by a.rdb$parameter_type, a.rdb$parameter_number"));
    query.ExecQuery();
    int rows = 0;
    for (; !query.Eof(); query.Next()) {
        for (int i = 0; i < query.Current().Count(); ++i)
            (void)query.Fields(i).AsString();
        ++rows;
    }
    query.Close();
    transaction.Commit();
    editor.SetText(source);
    if (rows != 2 * Parameters) {
        std::fprintf(stderr, "reference read %d parameters\n", rows);
        std::exit(1);
    }
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

        // An editor set up as the window's: the same highlighter scans the text.
        TqeGeneralSyn syntax;
        syntax.SetComments(csCStyle);
        syntax.SetKeyWords(TDM::SQLKeywords());
        TqeCustomEdit referenceEditor;
        referenceEditor.SetHighLighter(&syntax);
        referenceEditor.resize(600, 400);
        // Best of nine, the two taking turns so both see the same cache state.
        double ours = 1e300, ref = 1e300;
        for (int round = 0; round < 9; ++round) {
            QElapsedTimer timer;
            timer.start();
            Reference(database, referenceEditor);
            ref = std::min(ref, timer.nsecsElapsed() / 1e6);

            qvbench::paintsLeft();
            const qvbench::EventCounter painted;
            timer.restart();
            auto editor = std::make_unique<TEditProc>(id);
            editor->IsNew = false;
            editor->ProcName->setText(QStringLiteral("BIG"));
            editor->LoadProcedure();
            editor->show();
            qvbench::showResult();
            ours = std::min(ours, timer.nsecsElapsed() / 1e6);
            if (painted.Paints() == 0) {
                std::fprintf(stderr, "the editor was not painted\n");
                exitCode = 1;
                break;
            }
            if (const int left = qvbench::paintsLeft()) {
                std::fprintf(stderr, "opening left %d paints untimed\n", left);
                exitCode = 1;
                break;
            }
            const bool complete = editor->Inputs->Rows().size() == Parameters
                                  && editor->Outputs->Rows().size() == Parameters
                                  && editor->Locals->Rows().size() == Parameters
                                  && editor->BodyLines().size() == bodyLines + 1;
            editor.reset();
            if (!complete) {
                std::fprintf(stderr, "the editor did not load the whole procedure\n");
                exitCode = 1;
                break;
            }
        }
        std::printf("BENCH proc_editor_open ours=%.1fms ref=%.1fms ratio=%.2f\n", ours, ref, ours / ref);
    }
    database.DropDatabase();
    return exitCode;
}
