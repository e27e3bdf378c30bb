// Dropping one table from the tree of a database with many tables, from the
// confirmation to the updated tree, against the DROP statement and its
// commit alone on a connection of their own.
//   BENCH tree_drop_10000 ours=<ms>ms ref=<ms>ms ratio=<r>
// QV_BENCH_SCALE multiplies the number of tables.

#include "access/QvQuery.h"
#include "app/shell/DBListObject.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/Startup.h"
#include "app/shell/TreeCommands.h"
#include "bench/BenchSupport.h"
#include "platform/DialogScript.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRounds = 7;

QString tableName(int number)
{
    return QStringLiteral("TABLE_%1").arg(number, 6, 10, QLatin1Char('0'));
}

void makeDatabase(const QString& path, int tables)
{
    TQvDatabase database;
    qvbench::createDatabase(database, path);
    for (int first = 0; first < tables; first += 1000) {
        qvbench::execute(database, QStringLiteral("execute block as declare i integer = %1; begin"
                                                  " while (i < %2) do begin"
                                                  "  execute statement 'create table TABLE_' || lpad(i, 6, '0') ||"
                                                  "   ' (ID integer not null, NAME varchar(40))';"
                                                  "  i = i + 1;"
                                                  " end end")
                                       .arg(first)
                                       .arg(std::min(tables, first + 1000)));
    }
    database.Close();
}

QTreeWidgetItem* objectNode(QTreeWidgetItem* category, const QString& name)
{
    // Found before the clock starts; the search is not part of the command.
    for (int i = 0; i < category->childCount(); ++i)
        if (TMainTree::NodeObjectName(category->child(i)) == name)
            return category->child(i);
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    qputenv("QORVANE_REGISTRY", QDir(dir.path()).filePath(QStringLiteral("registry.reg")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    TQorvaneApplication app(argc, argv);

    const int tables = int(qvbench::scaled(10000));
    const QString path = QDir(dir.path()).filePath(QStringLiteral("drop.fdb"));
    makeDatabase(path, tables);

    TDBListScope list;
    const int index = DBList->Add(QStringLiteral("Bench"));
    DBList->SetPath(index, path);
    DBList->SetUser(index, QStringLiteral("SYSDBA"));
    DBList->SetPassword(index, QStringLiteral("masterkey"));
    TQorvaneStartup windows;
    windows.Show();
    QTreeWidgetItem* node = MainTree->TopNode()->child(0);
    node->setExpanded(true);
    QTreeWidgetItem* category = node->child(catTables);
    category->setExpanded(true);

    TQvDatabase reference;
    reference.SetDBName(path);
    reference.SetDBParams({QStringLiteral("isc_dpb_user_name=SYSDBA"), QStringLiteral("isc_dpb_password=masterkey")});
    reference.Open();
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&reference);
    TQvQuery query;
    query.SetDatabase(&reference);
    query.SetTransaction(&transaction);

    qv::DialogScript script;
    QElapsedTimer clock;
    double ours = 1e300;
    double ref = 1e300;
    const int before = category->childCount();
    for (int round = 0; round < kRounds; ++round) {
        // The reference drops tables from the end, the tree from the start.
        ref = std::min(ref, qvbench::secondsOf([&] {
                           transaction.StartTransaction();
                           query.SetSQLText(QStringLiteral("DROP TABLE ") + tableName(tables - 1 - round));
                           query.ExecQuery();
                           transaction.Commit();
                       }));
        QTreeWidgetItem* table = objectNode(category, tableName(round));
        MainTree->Tree()->setCurrentItem(table);
        script.answerMessage(qv::mrYes, [&] { clock.start(); });
        if (!MainTree->Commands()->Drop1Click()) {
            std::fprintf(stderr, "the drop failed: %s\n", qPrintable(script.messages().join(QLatin1Char('\n'))));
            return 1;
        }
        ours = std::min(ours, clock.nsecsElapsed() / 1e9);
    }
    reference.Close();
    // The dropped tables are gone from the tree, and it was not listed anew.
    if (category->childCount() != before - kRounds) {
        std::fprintf(stderr, "the tree has %d tables, expected %d\n", category->childCount(), before - kRounds);
        return 1;
    }
    const QByteArray name = QStringLiteral("tree_drop_%1").arg(tables).toLatin1();
    qvbench::printBench(name.constData(), ours * 1e3, ref * 1e3, "ms", 2);
    return 0;
}
