// Test entry point shared by every test executable: one QApplication on the
// offscreen platform and a registry file of its own for the whole process.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/RuntimeFolder.h"
#include "support/TestSupport.h"

// LeakSanitizer crashes at exit in any process that ran the embedded engine;
// leaks of our own code are found with valgrind and the leak checker instead.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    // Nothing a test does may touch the user's own registry file.
    qputenv("QORVANE_REGISTRY", QDir(home.path()).filePath("registry.reg").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", QDir(home.path()).filePath("data").toUtf8());
    // As the program does: Qt asks for one as the application object is made.
    ProvideRuntimeFolder();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
