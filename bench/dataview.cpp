// The data view on a table of 1,000,000 rows:
//   BENCH dataview_first_rows ours=<ms>ms            open to the first screen painted
//   BENCH dataview_first_rows_10k ours=<ms>ms        the same on 10,000 rows (flat)
//   BENCH dataview_scroll_end ours=<s>s ref=<s>s ratio=<r>   Ctrl+End in the grid / the dataset's own Last
//   BENCH dataview_sort ours=<s>s ref=<s>s ratio=<r>         reopen ordered by V / the bare ordered query
//   BENCH dataview_post ours=<ms>ms ref=<ms>ms ratio=<r>     edit, post, commit a row / the same UPDATE
// QV_BENCH_SCALE multiplies the 1,000,000 rows.

#include "bench/BenchSupport.h"
#include "access/QvDataSet.h"
#include "app/sqltools/DataView.h"
#include "components/DBGrid.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/Field.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
}

// From the command until the grid has painted its first rows; best of five.
double firstRows(TQvDatabase& database)
{
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        auto view = std::make_unique<TFDataView>(1, QStringLiteral("T"));
        view->resize(900, 600);
        if (!view->OpenOn(&database))
            fail("the data view did not open");
        view->show();
        view->TableViewGrid->viewport()->repaint();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
        if (view->TableViewGrid->model()->rowCount() == 0)
            fail("no rows shown");
        view->close();
    }
    return best;
}

void pressCtrl(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
    QApplication::sendEvent(widget, &press);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("QORVANE_REGISTRY", QDir(dir.path()).filePath(QStringLiteral("registry.reg")).toUtf8());
    const long long rows = qvbench::scaled(1000000);
    auto big = qvbench::makeTestDatabase(dir, QStringLiteral("big.fdb"), rows);
    auto small = qvbench::makeTestDatabase(dir, QStringLiteral("small.fdb"), 10000);
    int exitCode = 0;
    {
        qvbench::printBench("dataview_first_rows", firstRows(*big), "ms", 1);
        qvbench::printBench("dataview_first_rows_10k", firstRows(*small), "ms", 1);

        auto view = std::make_unique<TFDataView>(1, QStringLiteral("T"));
        view->resize(900, 600);
        if (!view->OpenOn(big.get()))
            fail("the data view did not open");
        view->show();
        TQcDBGrid* grid = view->TableViewGrid;

        // To the last row: Ctrl+End in the grid until it has painted the
        // last row, beside the dataset's own Last on the same select; both
        // start from an open dataset with its first rows fetched.
        TQvTransaction refTransaction;
        refTransaction.AddDatabase(big.get());
        refTransaction.StartTransaction();
        qvbench::BestTimes scroll;
        for (int round = 0; round < 3; ++round) {
            {
                TQvDataSet ds;
                ds.SetDatabase(big.get());
                ds.SetTransaction(&refTransaction);
                ds.SetSelectSQLText(QStringLiteral("SELECT * FROM T"));
                ds.Open();
                scroll.ref = std::min(scroll.ref, qvbench::secondsOf([&] { ds.Last(); }));
                if (ds.RecordCount() != rows)
                    fail("the reference did not reach the last row");
            }
            view->RollbackBtnClick();
            grid->viewport()->repaint();
            scroll.ours = std::min(scroll.ours, qvbench::secondsOf([&] {
                pressCtrl(grid, Qt::Key_End);
                grid->viewport()->repaint();
            }));
            if (grid->model()->rowCount() != rows || grid->currentIndex().row() != rows - 1)
                fail("the grid did not reach the last row");
        }
        qvbench::printBench("dataview_scroll_end", scroll.ours, scroll.ref, "s", 3);

        // Sorting by V: the view reopens ordered; the reference runs the
        // bare ordered query to its first row.
        const int vColumn = 1;
        const auto sort = qvbench::bestOfTurns(
            3,
            [&] {
                TQvQuery query;
                query.SetDatabase(big.get());
                query.SetTransaction(&refTransaction);
                query.SetSQLText(QStringLiteral("SELECT * FROM T ORDER BY V"));
                query.ExecQuery();
                if (!query.Next())
                    fail("no ordered row");
                query.Close();
            },
            [&] {
                view->OrderFields.clear();
                grid->setCurrentIndex(grid->model()->index(0, vColumn));
                view->SortMenuClick(true);
                grid->viewport()->repaint();
                if (view->DS->SelectSQL().join(QString()) != QLatin1String("SELECT * FROM T ORDER BY V"))
                    fail("not sorted");
            });
        qvbench::printBench("dataview_sort", sort.ours, sort.ref, "s", 3);
        refTransaction.Commit();
        view->NoSortBtnClick();

        // One row edited, posted and committed; beside the same UPDATE with
        // the same parameters, prepared once, executed and committed through
        // the access layer. The reference edits row I = 1, the view row I = 0.
        const QString update = view->DS->UpdateSQL().join(QString());
        TDataSetModel* model = grid->Model();
        TQvTransaction refPost;
        refPost.AddDatabase(big.get());
        TQvQuery query;
        query.SetDatabase(big.get());
        query.SetTransaction(&refPost);
        query.SetSQLText(update);
        refPost.StartTransaction();
        query.Prepare();
        TQvQuery row;
        row.SetDatabase(big.get());
        row.SetTransaction(&refPost);
        row.SetSQLText(QStringLiteral("select I, V, D, TS from T where I = 1"));
        row.ExecQuery();
        const int refI = row.Fields(0).AsLong();
        QString refV = row.Fields(1).AsString();
        const double refD = row.Fields(2).AsDouble();
        const QDateTime refTS = row.Fields(3).AsDateTime();
        row.Close();
        refPost.Commit();
        int round = 0;
        const auto post = qvbench::bestOfTurns(
            3,
            [&] {
                refPost.StartTransaction();
                const QString newV = refV == QLatin1String("ref a") ? QStringLiteral("ref b") : QStringLiteral("ref a");
                TQvXSQLDA& params = query.Params();
                for (int i = 0; i < params.Count(); ++i) {
                    QString name = params.Names().at(i);
                    const bool old = name.startsWith(QLatin1String("OLD_"));
                    if (old)
                        name.remove(0, 4);
                    if (name == QLatin1String("I"))
                        params.Vars(i).SetAsLong(refI);
                    else if (name == QLatin1String("V"))
                        params.Vars(i).SetAsString(old ? refV : newV);
                    else if (name == QLatin1String("D"))
                        params.Vars(i).SetAsDouble(refD);
                    else
                        params.Vars(i).SetAsDateTime(refTS);
                }
                query.ExecQuery();
                if (query.RowsAffected() != 1)
                    fail("the reference update did not change one row");
                refPost.Commit();
                refV = newV;
            },
            [&] {
                grid->setCurrentIndex(model->index(0, vColumn));
                model->setData(model->index(0, vColumn), ++round % 2 ? QStringLiteral("ours a") : QStringLiteral("ours b"));
                if (!model->submit())
                    fail("the post failed");
                view->CommitBtnClick();
            });
        qvbench::printBench("dataview_post", post.ours * 1000, post.ref * 1000, "ms", 1);
        view->close();
    }
    big->DropDatabase();
    small->DropDatabase();
    return exitCode;
}
