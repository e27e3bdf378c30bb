// The typed grid filled with 100,000 rows of ten columns (numbers, dates and
// texts, the number and date columns formatted) and its first screen
// painted, against a QTableView over a QStandardItemModel holding the same
// texts, filled and painted the same way.
//   BENCH tgrid_fill_100k ours=<s>s ref=<s>s ratio=<r>
//   BENCH tgrid_fill_100k_memory ours=<MB>MB ref=<MB>MB ratio=<r>
// QV_BENCH_SCALE multiplies the rows.

#include "bench/BenchSupport.h"
#include "components/TgGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

namespace {

constexpr int Columns = 10;

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks) + qint64(info.hblkhd);
}

// Columns 0-3 numbers, 4-5 dates, 6-9 texts.
QString cellText(int row, int col)
{
    if (col < 4)
        return QString::number(row * 1.25 + col, 'f', 2);
    if (col < 6)
        return QDate(2000, 1, 1).addDays(row % 9000 + col).toString(Qt::ISODate);
    return QStringLiteral("row %1 column %2").arg(row).arg(col);
}

struct Run
{
    double seconds = 0;
    qint64 heapBytes = 0;
    int painted = 0; // a check that the screen shows rows
};

Run fillOurs(int rows)
{
    Run run;
    const qint64 before = heapInUse();
    run.seconds = qvbench::secondsOf([&] {
        auto grid = std::make_unique<TTypedGrid>();
        grid->resize(1000, 700);
        grid->SetColCount(Columns);
        grid->SetFixedCols(0);
        grid->SetRowCount(rows + 1);
        for (int c = 0; c < Columns; ++c) {
            TtgColumn& column = grid->GetColumn(c);
            column.SetCaption(QStringLiteral("Column %1").arg(c));
            if (c < 4) {
                column.SetFormatType(tgfmtNumeric);
                column.SetColumnHAlignment(Qt::AlignRight);
            } else if (c < 6) {
                column.SetFormatType(tgfmtDateTime);
            }
        }
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < Columns; ++c)
                grid->SetCells(c, r + 1, cellText(r, c));
        grid->show();
        grid->viewport()->repaint();
        run.painted = grid->VisibleRowCount();
        run.heapBytes = heapInUse() - before;
    });
    return run;
}

Run fillReference(int rows)
{
    Run run;
    const qint64 before = heapInUse();
    run.seconds = qvbench::secondsOf([&] {
        auto model = std::make_unique<QStandardItemModel>(rows, Columns);
        for (int c = 0; c < Columns; ++c)
            model->setHorizontalHeaderItem(c, new QStandardItem(QStringLiteral("Column %1").arg(c)));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < Columns; ++c)
                model->setItem(r, c, new QStandardItem(cellText(r, c)));
        auto view = std::make_unique<QTableView>();
        view->resize(1000, 700);
        view->verticalHeader()->setDefaultSectionSize(20);
        view->setModel(model.get());
        view->show();
        view->viewport()->repaint();
        run.painted = view->rowAt(view->viewport()->height() - 1);
        run.heapBytes = heapInUse() - before;
        view.reset();
    });
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = int(qvbench::scaled(100000));
    Run ours;
    Run ref;
    qint64 ourHeap = std::numeric_limits<qint64>::max();
    qint64 refHeap = std::numeric_limits<qint64>::max();
    const qvbench::BestTimes best = qvbench::bestOfTurns(
        3,
        [&] {
            ref = fillReference(rows);
            refHeap = std::min(refHeap, ref.heapBytes);
        },
        [&] {
            ours = fillOurs(rows);
            ourHeap = std::min(ourHeap, ours.heapBytes);
        });
    if (ours.painted < 10 || ref.painted < 10) {
        std::fprintf(stderr, "the first screen shows too few rows: %d and %d\n", ours.painted, ref.painted);
        return 1;
    }
    qvbench::printBench("tgrid_fill_100k", best.ours, best.ref, "s", 3);
    qvbench::printBench("tgrid_fill_100k_memory", ourHeap / 1e6, refHeap / 1e6, "MB", 1);
    std::printf("# %d rows x %d columns\n", rows, Columns);
    return 0;
}
