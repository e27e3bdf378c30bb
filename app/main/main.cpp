#include "app/editors/DebugWindow.h"
#include "app/editors/Depend.h"
#include "app/editors/EditProc.h"
#include "app/editors/EditTrig.h"
#include "app/editors/EditUDF.h"
#include "app/editors/ObjectEditors.h"
#include "app/editors/TableEditor.h"
#include "app/shell/DBListObject.h"
#include "app/shell/Main.h"
#include "app/shell/Startup.h"
#include "app/sqltools/DataView.h"
#include "app/sqltools/ExecuteScript.h"
#include "app/sqltools/ExtrMD.h"
#include "app/sqltools/SQLEdit.h"

#include <cstdio>

namespace {

bool displayAvailable()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv)
{
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "Qorvane needs a graphical display, and none was found (DISPLAY is not set).\n"
                     "On a machine without a screen, \"sh tools/run.sh\" starts it on a virtual one,\n"
                     "or run it under one yourself: xvfb-run -a build/release/app/main/qorvane\n");
        return 2;
    }
    TQorvaneApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qorvane"));
    // The program ends when the main window accepts its close, not when its
    // last window happens to be hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    // Before any window: the registered databases are read from the registry,
    // and written back once every window is gone.
    TDBListScope databases;
    int result = 0;
    {
        TQorvaneStartup windows;
        InstallSQLEditorCommand();
        InstallScriptRunnerCommand();
        InstallExtractMetadataCommand();
        InstallProcEditor();
        InstallUDFEditor();
        InstallDependencies();
        InstallTableEditor();
        InstallDataView();
        InstallTriggerEditor();
        InstallDebugger();
        InstallObjectEditors();
        windows.Show();
        result = windows.Exec();
    }
    return result;
}
