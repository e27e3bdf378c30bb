// Opening a large table in the table editor.
//   BENCH table_editor_open ours=<s>s ref=<s>s ratio=<r>
//     a table of 500 columns, 50 indices, 20 foreign keys and 20 checks
//     loaded into the editor window (definition, grid, lists), laid out and
//     painted, beside the least that shows the table: the editor's catalog
//     selects read through the client library alone and the columns shown
//     and painted in a bare table widget of the same size (see showReference).
// QV_BENCH_SCALE multiplies the object counts.

#include "access/QvQuery.h"
#include "app/editors/TableCatalog.h"
#include "app/editors/TableEditor.h"
#include "components/TgGrid.h"
#include "bench/BenchSupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

void createTable(TQvDatabase& database, long long columns, long long indices, long long foreignKeys, long long checks)
{
    qvbench::execute(database, QStringLiteral("create table P (ID integer not null primary key)"));
    QString sql = QStringLiteral("create table BIG (ID integer not null primary key");
    for (long long c = 1; c < columns; ++c) {
        switch (c % 4) {
        case 0: sql += QStringLiteral(", C%1 integer default 0").arg(c); break;
        case 1: sql += QStringLiteral(", C%1 varchar(40) default 'x'").arg(c); break;
        case 2: sql += QStringLiteral(", C%1 numeric(15,2)").arg(c); break;
        default: sql += QStringLiteral(", C%1 timestamp not null").arg(c); break;
        }
    }
    qvbench::execute(database, sql + QLatin1Char(')'));
    for (long long i = 0; i < indices; ++i)
        qvbench::execute(database, QStringLiteral("create index IX_%1 on BIG (C%2, C%3)").arg(i).arg(i * 4 % columns + 1)
                                       .arg(i * 4 % columns + 2));
    for (long long f = 0; f < foreignKeys; ++f)
        qvbench::execute(database, QStringLiteral("alter table BIG add constraint FK_%1 foreign key (C%2) references P "
                                                  "on delete cascade")
                                       .arg(f)
                                       .arg(f * 4 % columns + 4));
    for (long long c = 0; c < checks; ++c)
        qvbench::execute(database, QStringLiteral("alter table BIG add constraint CK_%1 check (C%2 >= 0 and (C%2 < %3))")
                                       .arg(c)
                                       .arg(c * 4 % columns + 4)
                                       .arg(1000 + c));
}

// The least a program does for a user to see the table: the editor's
// catalog selects read through the client library alone, every value as
// text, and the columns' rows put into a bare table widget of the size the
// window gives its field grid, shown and painted until the event loop is
// idle, as the window is. The widget stays open, as the windows do; gives
// the number of columns shown.
qint64 showReference(TQvDatabase& database, const QSize& size, std::vector<std::unique_ptr<QTableWidget>>& open)
{
    QList<QStringList> columnRows;
    const QStringList selects = TableLoadSelects(QStringLiteral("BIG"));
    for (int s = 0; s < selects.size(); ++s) {
        const QByteArray select = selects[s].toLatin1();
        qvbench::RawCursor cursor(database.Handle(), select.constData(), 3);
        while (cursor.Fetch()) {
            QStringList row;
            for (int c = 0; c < cursor.Columns(); ++c)
                row << qvbench::rawCatalogText(database.Handle(), cursor.Transaction(), cursor.Var(c));
            if (s == 0)
                columnRows << row;
        }
    }
    auto grid = std::make_unique<QTableWidget>(int(columnRows.size()), TNewTable::fcCount);
    for (int r = 0; r < columnRows.size(); ++r)
        for (int c = 0; c < TNewTable::fcCount && c < columnRows[r].size(); ++c)
            grid->setItem(r, c, new QTableWidgetItem(columnRows[r][c]));
    // The window's grid numbers no rows either.
    grid->verticalHeader()->hide();
    grid->resize(size);
    grid->show();
    qvbench::showResult();
    open.push_back(std::move(grid));
    return qint64(columnRows.size());
}

// The window stays open: closing it (the grid writes its column widths to
// the registry) is not part of opening it.
qint64 openEditor(TQvDatabase& database, std::vector<std::unique_ptr<TNewTable>>& open)
{
    open.push_back(std::make_unique<TNewTable>(&database));
    TNewTable& editor = *open.back();
    if (!editor.LoadTable(QStringLiteral("BIG")))
        return 0;
    editor.show();
    qvbench::showResult();
    const TTableDefinition& table = editor.Definition();
    return qint64(table.Columns.size() + table.Indices.size() + table.ForeignKeys.size() + table.Checks.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("QORVANE_REGISTRY", QDir(dir.path()).filePath(QStringLiteral("registry.reg")).toUtf8());
    qvbench::paintWhenIdle();
    QApplication app(argc, argv);
    const QString path = QDir(dir.path()).filePath(QStringLiteral("table.fdb"));
    const long long columns = qvbench::scaled(500);
    const long long indices = qvbench::scaled(50);
    const long long foreignKeys = qvbench::scaled(20);
    const long long checks = qvbench::scaled(20);
    TQvDatabase database;
    qvbench::createDatabase(database, path, 3);
    createTable(database, columns, indices, foreignKeys, checks);

    qint64 ours = 0, reference = 0;
    std::vector<std::unique_ptr<TNewTable>> open;
    std::vector<std::unique_ptr<QTableWidget>> referenceOpen;
    // A first opening, untimed, gives the field grid's size for the reference's widget.
    openEditor(database, open);
    const QSize gridSize = open.back()->FieldList->size();
    open.clear();
    qvbench::paintsLeft();
    int referencePainted = 0;
    int unpainted = 0;
    int painted = 0;
    const qvbench::BestTimes best = qvbench::bestOfTurns(
        15,
        [&] {
            const qvbench::EventCounter counter;
            reference = showReference(database, gridSize, referenceOpen);
            referencePainted += counter.Paints() > 0 ? 1 : 0;
        },
        [&] {
            const qvbench::EventCounter counter;
            ours = openEditor(database, open);
            painted += counter.Paints() > 0 ? 1 : 0;
        },
        [&] {
            unpainted += qvbench::paintsLeft();
            referenceOpen.clear();
        });
    unpainted += qvbench::paintsLeft();
    open.clear();
    referenceOpen.clear();
    if (unpainted > 0 || painted != 15 || referencePainted != 15) {
        std::fprintf(stderr, "%d openings of 15 painted the window, %d the reference's; %d paints left untimed\n",
                     painted, referencePainted, unpainted);
        return 1;
    }
    if (ours != columns + indices + foreignKeys + checks || reference != columns) {
        std::fprintf(stderr, "the editor loaded %lld items and the reference %lld columns, expected %lld and %lld\n",
                     (long long)ours, (long long)reference, (long long)(columns + indices + foreignKeys + checks),
                     (long long)columns);
        return 1;
    }
    qvbench::printBench("table_editor_open", best.ours, best.ref, "s", 4);
    database.Close();
    return 0;
}
