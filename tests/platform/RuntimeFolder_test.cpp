// The runtime folder the program gives itself where none is set: the
// user's own, closed to others, never one an other user made or a link.

#include "platform/RuntimeFolder.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// No runtime folder set, and the temporary folder a test's own.
class RuntimeFolder : public ::testing::Test
{
protected:
    QString folder() const { return m_tmp.filePath(QStringLiteral("qorvane-runtime-%1").arg(::geteuid())); }
    static int modeOf(const QString& path)
    {
        struct stat status {};
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777) : -1;
    }
    static bool isLink(const QString& path) { return QFileInfo(path).isSymLink(); }

    qvtest::TempDir m_tmp;
    qvtest::ScopedEnvironment m_temporary{"TMPDIR", m_tmp.path()};
    qvtest::ScopedEnvironment m_runtime{"XDG_RUNTIME_DIR", QString()};
};

} // namespace

TEST_F(RuntimeFolder, AFolderOfTheUsersOwnIsMadeClosedToOthersAndKept)
{
    EXPECT_EQ(ProvideRuntimeFolder(), folder());
    EXPECT_EQ(qEnvironmentVariable("XDG_RUNTIME_DIR"), folder());
    EXPECT_EQ(modeOf(folder()), 0700);
    // The next start takes the same folder.
    qputenv("XDG_RUNTIME_DIR", QByteArray());
    EXPECT_EQ(ProvideRuntimeFolder(), folder());
    // One that is set is left as it is.
    qputenv("XDG_RUNTIME_DIR", m_tmp.path().toUtf8());
    EXPECT_EQ(ProvideRuntimeFolder(), m_tmp.path());
}

TEST_F(RuntimeFolder, AFolderOthersCanEnterOrALinkIsNeverTaken)
{
    const QString elsewhere = m_tmp.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkdir(elsewhere));
    ASSERT_EQ(::chmod(QFile::encodeName(elsewhere).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(elsewhere, folder()));
    const QString fromLink = ProvideRuntimeFolder();
    EXPECT_FALSE(fromLink.isEmpty());
    EXPECT_NE(fromLink, folder());
    EXPECT_NE(fromLink, elsewhere);
    EXPECT_EQ(modeOf(fromLink), 0700);
    EXPECT_TRUE(isLink(folder()));

    ASSERT_TRUE(QFile::remove(folder()));
    ASSERT_TRUE(QDir().mkdir(folder()));
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0755), 0);
    qputenv("XDG_RUNTIME_DIR", QByteArray());
    const QString fromOpen = ProvideRuntimeFolder();
    EXPECT_FALSE(fromOpen.isEmpty());
    EXPECT_NE(fromOpen, folder());
    EXPECT_NE(fromOpen, fromLink);
    EXPECT_EQ(modeOf(fromOpen), 0700);
    // Nothing of what was there is changed.
    EXPECT_EQ(modeOf(folder()), 0755);
}
