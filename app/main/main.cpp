#include <QApplication>
#include <QMainWindow>
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
                     "On a machine without a screen, run it under a virtual one:\n"
                     "  xvfb-run -a build/release/app/main/qorvane\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qorvane"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Qorvane - Interbase SQL Utility"));
    window.resize(900, 600);
    window.show();
    return app.exec();
}
