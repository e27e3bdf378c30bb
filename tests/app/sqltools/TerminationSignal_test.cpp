// SIGTERM and SIGINT sent to a running program that has a database open and
// work not committed: it rolls the work back (never commits it without the
// user's word), closes its connections, writes the registry and exits.

#include "SQLEditTest_support.h"

#include "platform/Registry.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <tuple>

#include <signal.h>
#include <unistd.h>

namespace {

const QString kDatabases = QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\");

class TerminationSignal : public ::testing::TestWithParam<std::tuple<qvtest::Target, int>>
{
};

std::string caseName(const ::testing::TestParamInfo<std::tuple<qvtest::Target, int>>& info)
{
    return std::get<0>(info.param).name.toStdString() + (std::get<1>(info.param) == SIGTERM ? "_SIGTERM" : "_SIGINT");
}

} // namespace

TEST_P(TerminationSignal, RollsBackClosesWritesTheRegistryAndExits)
{
    const auto& [target, signal] = GetParam();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    const QString path = qvsql::createDatabase(target, dir, QStringLiteral("signal.fdb"), qvsql::tableStatements(3));
    const QString registryFile = dir.filePath(QStringLiteral("registry.reg"));
    {
        QvRegistry registry(registryFile);
        ASSERT_TRUE(registry.openKey(kDatabases + QStringLiteral("Test"), true));
        registry.writeString(QStringLiteral("DBPath"), path);
        registry.writeString(QStringLiteral("UserName"), target.user);
        registry.writeString(QStringLiteral("UserPassword"), target.password);
        registry.writeString(QStringLiteral("DBCharset"), QStringLiteral("NONE"));
    }

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QORVANE_REGISTRY"), registryFile);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Started as from a root shell, with no runtime folder of its own.
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("TMPDIR"), dir.path());
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(QV_TERMINATION_CHILD), {});
    ASSERT_TRUE(child.waitForStarted(60000));
    QByteArray output;
    while (!output.contains("READY")) {
        ASSERT_TRUE(child.waitForReadyRead(180000))
            << "the child never got ready: " << child.readAllStandardError().toStdString();
        output += child.readAllStandardOutput();
    }
    // The client library took both signals when the database was attached;
    // the program took them back.
    EXPECT_TRUE(output.contains("READY handlers=1")) << output.toStdString();

    ASSERT_EQ(::kill(pid_t(child.processId()), signal), 0);
    ASSERT_TRUE(child.waitForFinished(180000)) << "the program went on running after the signal";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << child.readAllStandardError().toStdString();
    EXPECT_EQ(child.exitCode(), 128 + signal) << child.readAllStandardError().toStdString();
    // What it printed is what matters: nothing about a runtime folder.
    const QByteArray printed = child.readAllStandardError();
    EXPECT_FALSE(printed.contains("XDG_RUNTIME_DIR")) << printed.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("qorvane-runtime-%1").arg(::geteuid()))).isDir());

    // The insert was never committed, what was there before is intact.
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T where ID = 500")), QStringLiteral("0"));
    EXPECT_EQ(qvsql::scalar(target, path, QStringLiteral("select count(*) from T")), QStringLiteral("3"));
    // The registrations are on disk, whole.
    QvRegistry registry(registryFile);
    EXPECT_TRUE(registry.keyExists(kDatabases + QStringLiteral("Test")));
    ASSERT_TRUE(registry.openKey(kDatabases + QStringLiteral("Made during the run"), false));
    EXPECT_EQ(registry.readString(QStringLiteral("DBPath")), QStringLiteral("/nowhere/made.fdb"));
}

INSTANTIATE_TEST_SUITE_P(Targets, TerminationSignal,
                         ::testing::Combine(::testing::ValuesIn(qvtest::allTargets()), ::testing::Values(SIGTERM, SIGINT)),
                         caseName);
