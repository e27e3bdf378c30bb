#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QRegularExpression>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qvtest {

TempDir::TempDir()
{
    // The server runs as its own user and must reach the folder.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                            | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                            | QFileDevice::WriteOther | QFileDevice::ExeOther
                                            | QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                            | QFileDevice::ExeGroup);
}

QString TempDir::filePath(const QString& name) const
{
    return QDir(m_dir.path()).filePath(name);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const QString& value)
    : m_name(name)
    , m_saved(qgetenv(name))
{
    qputenv(m_name, value.toUtf8());
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (m_saved.isNull())
        qunsetenv(m_name);
    else
        qputenv(m_name, m_saved);
}

RegistryFileIn::RegistryFileIn(const TempDir& dir)
    : m_registry("QORVANE_REGISTRY", dir.filePath(QStringLiteral("registry.reg")))
{
}

UserFoldersIn::UserFoldersIn(const TempDir& dir)
    : m_registry(dir)
    , m_data("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")))
{
}

bool serverRunning()
{
    static const bool running = [] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0)
            return false;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(3050);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return up;
    }();
    return running;
}

QString serverPassword()
{
    const QString fromEnv = qEnvironmentVariable("QV_TEST_SERVER_PASSWORD");
    if (!fromEnv.isEmpty())
        return fromEnv;
    QFile file(QStringLiteral("/etc/firebird/3.0/SYSDBA.password"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("masterkey");
    static const QRegularExpression line(QStringLiteral("^ISC_PASSWORD=\"?([^\"\\n]*)\"?"),
                                         QRegularExpression::MultilineOption);
    const auto match = line.match(QString::fromUtf8(file.readAll()));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("masterkey");
}

Target embeddedTarget()
{
    return {QStringLiteral("embedded"), QString(), QStringLiteral("SYSDBA"),
            QStringLiteral("masterkey")};
}

Target serverTarget()
{
    return {QStringLiteral("server"), QStringLiteral("127.0.0.1:"), QStringLiteral("SYSDBA"),
            serverPassword()};
}

std::vector<Target> allTargets()
{
    return {embeddedTarget(), serverTarget()};
}

std::string targetName(const ::testing::TestParamInfo<Target>& info)
{
    return info.param.name.toStdString();
}

void PrintTo(const Target& target, std::ostream* os)
{
    *os << target.name.toStdString();
}

} // namespace qvtest
