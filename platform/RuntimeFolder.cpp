#include "platform/RuntimeFolder.h"

#include <QByteArray>
#include <QtGlobal>

#include <cerrno>
#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder, not a link, of this user's, that only this user can enter.
bool IsPrivateFolder(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid()
        && (status.st_mode & 0777) == 0700;
}

std::string TemporaryFolder()
{
    const QByteArray tmp = qgetenv("TMPDIR");
    return tmp.isEmpty() ? std::string("/tmp") : std::string(tmp.constData());
}

} // namespace

QString ProvideRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return qEnvironmentVariable("XDG_RUNTIME_DIR");
    const std::string base = TemporaryFolder();
    std::string folder = base + "/qorvane-runtime-" + std::to_string(::geteuid());
    // mkdir never follows a link; a folder found there is checked as it is.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        folder.clear();
    if (!folder.empty() && !IsPrivateFolder(folder)) {
        // Someone else's, a link, or open to others: a new one of our own.
        std::string pattern = base + "/qorvane-runtime-XXXXXX";
        folder = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    if (folder.empty())
        return {};
    qputenv("XDG_RUNTIME_DIR", QByteArray(folder.c_str()));
    return QString::fromStdString(folder);
}
