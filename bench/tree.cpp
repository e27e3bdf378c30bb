// Filling the tree's categories against running the same catalog queries
// through the access layer alone.
//   BENCH tree_tables_1000 ours=<s>s ref=<s>s ratio=<r>
//   BENCH tree_tables_10000 ...
//   BENCH tree_all_categories_500_700 ...
// QV_BENCH_SCALE multiplies the numbers of tables and triggers.

#include "access/QvQuery.h"
#include "app/shell/DBListObject.h"
#include "app/shell/DataM.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/shell/Startup.h"
#include "bench/BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 9;

const QStringList kParams{QStringLiteral("isc_dpb_user_name=SYSDBA"), QStringLiteral("isc_dpb_password=masterkey")};

// A database with `tables` tables, and `triggers` triggers spread over them.
QString makeDatabase(const QString& path, int tables, int triggers)
{
    TQvDatabase database;
    qvbench::createDatabase(database, path);
    for (int first = 0; first < tables; first += 1000) {
        qvbench::execute(database, QStringLiteral("execute block as declare i integer = %1; begin"
                                                  " while (i < %2) do begin"
                                                  "  execute statement 'create table TABLE_' || lpad(i, 6, '0') ||"
                                                  "   ' (ID integer not null, NAME varchar(40), AMOUNT numeric(15,2))';"
                                                  "  i = i + 1;"
                                                  " end end")
                                       .arg(first)
                                       .arg(std::min(tables, first + 1000)));
    }
    for (int first = 0; first < triggers; first += 500) {
        qvbench::execute(database, QStringLiteral("execute block as declare i integer = %1; begin"
                                                  " while (i < %2) do begin"
                                                  "  execute statement 'create trigger TRG_' || lpad(i, 6, '0') ||"
                                                  "   ' for TABLE_' || lpad(mod(i, %3), 6, '0') ||"
                                                  "   ' before insert position 0 as begin new.ID = 0; end';"
                                                  "  i = i + 1;"
                                                  " end end")
                                       .arg(first)
                                       .arg(std::min(triggers, first + 500))
                                       .arg(tables));
    }
    database.Close();
    return path;
}

// The category's query through the access layer: every row fetched, its
// name read as text. Gives the number of rows.
int reference(TQvDatabase& database, int category)
{
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    transaction.StartTransaction();
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(TreeCategoryQuery(category));
    query.ExecQuery();
    const int name = category == 0 ? 1 : 0;
    int rows = 0;
    qint64 characters = 0;
    while (!query.Eof()) {
        characters += query.Fields(name).AsString().size();
        ++rows;
        query.Next();
    }
    query.Close();
    transaction.Commit();
    if (characters < 0)
        std::printf("impossible\n");
    return rows;
}

// Measures the given categories of one database, in a session of the
// program that has it as its only registered database (the shared
// transaction then spans that database alone), best of a few rounds each.
void measure(const char* name, const QString& path, const std::vector<int>& categories, const QString& registry)
{
    qputenv("QORVANE_REGISTRY", registry.toUtf8());
    TDBListScope list;
    const int index = DBList->Add(QStringLiteral("Bench"));
    DBList->SetPath(index, path);
    DBList->SetUser(index, QStringLiteral("SYSDBA"));
    DBList->SetPassword(index, QStringLiteral("masterkey"));
    TQorvaneStartup windows;
    windows.Show();
    QTreeWidgetItem* node = MainTree->TopNode()->child(0);
    node->setExpanded(true);

    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams(kParams);
    database.Open();

    double ourTotal = 0;
    double refTotal = 0;
    for (const int category : categories) {
        QTreeWidgetItem* categoryNode = node->child(category);
        categoryNode->setExpanded(true);   // the first fill warms the caches
        int rows = 0;
        // Refreshing collapses, empties and expands the category node again,
        // then the window lays out and paints it; each refresh starts from a
        // window that has painted what it shows, and leaves it nothing to paint.
        bool refreshed = false;
        int unpainted = 0;
        const auto settle = [&] {
            const int left = qvbench::paintsLeft();
            if (refreshed)
                unpainted += left;
            refreshed = false;
        };
        const qvbench::BestTimes best = qvbench::bestOfTurns(
            kRounds, [&] { rows = reference(database, category); },
            [&] {
                MainTree->RefreshCategory(categoryNode);
                qvbench::showResult();
                refreshed = true;
            },
            settle);
        settle();
        if (unpainted > 0) {
            std::fprintf(stderr, "%s: the refresh left %d paints untimed\n", name, unpainted);
            std::exit(1);
        }
        {
            const qvbench::EventCounter counter;
            MainTree->RefreshCategory(categoryNode);
            qvbench::showResult();
            if (counter.Paints() == 0) {
                std::fprintf(stderr, "%s: the refresh painted nothing\n", name);
                std::exit(1);
            }
        }
        const int nodes = categoryNode->childCount();
        std::fprintf(stderr, "  %s: %d nodes of %d rows, ours %.2f ms, ref %.2f ms\n",
                     qPrintable(CategoryNames[category]), nodes, rows, best.ours * 1e3, best.ref * 1e3);
        ourTotal += best.ours;
        refTotal += best.ref;
    }
    database.Close();
    qvbench::printBench(name, ourTotal, refTotal, "s", 4);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    qputenv("QORVANE_REGISTRY", QDir(dir.path()).filePath(QStringLiteral("registry.reg")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    qvbench::paintWhenIdle();
    TQorvaneApplication app(argc, argv);

    const int small = int(qvbench::scaled(1000));
    const int large = int(qvbench::scaled(10000));
    const int mixedTables = int(qvbench::scaled(500));
    const int mixedTriggers = int(qvbench::scaled(700));
    const QString smallPath = makeDatabase(QDir(dir.path()).filePath(QStringLiteral("small.fdb")), small, 0);
    const QString largePath = makeDatabase(QDir(dir.path()).filePath(QStringLiteral("large.fdb")), large, 0);
    const QString mixedPath =
        makeDatabase(QDir(dir.path()).filePath(QStringLiteral("mixed.fdb")), mixedTables, mixedTriggers);

    const QByteArray smallName = QStringLiteral("tree_tables_%1").arg(small).toLatin1();
    const QByteArray largeName = QStringLiteral("tree_tables_%1").arg(large).toLatin1();
    const QByteArray mixedName = QStringLiteral("tree_all_categories_%1_%2").arg(mixedTables).arg(mixedTriggers).toLatin1();
    const QDir folder(dir.path());
    measure(smallName.constData(), smallPath, {0}, folder.filePath(QStringLiteral("small.reg")));
    measure(largeName.constData(), largePath, {0}, folder.filePath(QStringLiteral("large.reg")));
    std::vector<int> all(CategoryCount);
    for (int i = 0; i < CategoryCount; ++i)
        all[std::size_t(i)] = i;
    measure(mixedName.constData(), mixedPath, all, folder.filePath(QStringLiteral("mixed.reg")));
    return 0;
}
