// The program as main() runs it, with work the user has not committed: the
// registered database "Test" connected from the tree, an SQL editor whose
// transaction holds an insert, and a registration made during the run.
// Prints "READY" and whether its signal handlers survived the attachment,
// then runs the message loop until a signal ends it.

#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/Startup.h"
#include "app/sqltools/SQLEdit.h"
#include "editor/qeCustomEdit.h"
#include "platform/TerminationSignals.h"

#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

int main(int argc, char** argv)
{
    TQorvaneApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    TDBListScope databases;
    int result = 0;
    {
        TQorvaneStartup windows;
        InstallSQLEditorCommand();
        windows.Show();
        // Once the loop runs, as a user's work would: the handlers are the
        // program's by then, and the attachment below is the library's chance
        // to take them.
        int failed = 0;
        QTimer::singleShot(0, &app, [&failed] {
            const int index = DBList->IndexOf(QStringLiteral("Test"));
            if (index < 0) {
                failed = 3;
                QCoreApplication::exit(failed);
                return;
            }
            MainTree->Tree()->setCurrentItem(MainTree->DatabaseNodeOf(DBList->GetId(index)));
            TSQLEditor* editor = ExecuteSQLBtnClick();
            if (!editor) {
                failed = 4;
                QCoreApplication::exit(failed);
                return;
            }
            editor->SQLText->SetText(QStringLiteral("insert into T values (500, 'never committed')"));
            editor->RunBtnClick();
            if (!editor->RunT->Active()) {
                failed = 5;
                QCoreApplication::exit(failed);
                return;
            }
            {
                const TDBListUpdate update(*DBList);
                const int added = DBList->Add(QStringLiteral("Made during the run"));
                DBList->SetPath(added, QStringLiteral("/nowhere/made.fdb"));
            }
            std::printf("READY handlers=%d\n", qv::TerminationSignals::Installed() ? 1 : 0);
            std::fflush(stdout);
        });
        result = windows.Exec();
    }
    return result;
}
