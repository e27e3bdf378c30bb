#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

namespace qvtest {

// A fresh folder for one test's files, readable and writable by the server's
// own user too, so the same test can run against the loopback server.
class TempDir
{
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Where a test database lives: the embedded engine opens a plain path, the
// loopback server "127.0.0.1:" followed by the path.
struct Target
{
    QString name;     // "embedded" or "server"
    QString prefix;   // "" or "127.0.0.1:"
    QString user;
    QString password;

    QString databasePath(const TempDir& dir, const QString& file) const
    {
        return prefix + dir.filePath(file);
    }
    bool isServer() const { return !prefix.isEmpty(); }
};

// Sets an environment variable for the object's life, then puts back what
// was there before, or nothing.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const QString& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    QByteArray m_saved;
};

// The program's registry file in a test's folder for the object's life.
class RegistryFileIn
{
public:
    explicit RegistryFileIn(const TempDir& dir);

private:
    ScopedEnvironment m_registry;
};

// The program's registry file and the user's data folder in a test's folder
// for the object's life: what the whole running program reads and writes.
class UserFoldersIn
{
public:
    explicit UserFoldersIn(const TempDir& dir);

private:
    RegistryFileIn m_registry;
    ScopedEnvironment m_data;
};

Target embeddedTarget();
Target serverTarget();

// True when a Firebird server answers on 127.0.0.1:3050.
bool serverRunning();
// The SYSDBA password of the local server: $QV_TEST_SERVER_PASSWORD, else the
// one the server package wrote to /etc/firebird/3.0/SYSDBA.password.
QString serverPassword();

// Both targets. Tests are listed for both whether or not the server runs
// (ctest lists them at build time); a server case skips itself at run time
// through QV_SKIP_UNLESS_REACHABLE(target).
std::vector<Target> allTargets();

std::string targetName(const ::testing::TestParamInfo<Target>& info);

// How GoogleTest names a target in its output.
void PrintTo(const Target& target, std::ostream* os);

} // namespace qvtest

// Texts in failure messages as text, not as lists of 2-byte objects.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

#define QV_SKIP_WITHOUT_SERVER()                                                          \
    do {                                                                                  \
        if (!qvtest::serverRunning())                                                     \
            GTEST_SKIP() << "Firebird server is not running on 127.0.0.1:3050 "           \
                            "(tools/fbserver.sh starts it); server test skipped";         \
    } while (0)

#define QV_SKIP_UNLESS_REACHABLE(target)                                                  \
    do {                                                                                  \
        if ((target).isServer())                                                          \
            QV_SKIP_WITHOUT_SERVER();                                                     \
    } while (0)
