#include "components/FileUtil.h"

#include <QFileInfo>

namespace {

QString existingName(const QString& name)
{
    if (name.isEmpty() || !QFileInfo::exists(name))
        return QString();
    return name;
}

} // namespace

bool DirectoryPresent(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool HasAnyChar(const QString& s, const QString& chars)
{
    for (const QChar c : chars) {
        if (s.contains(c))
            return true;
    }
    return false;
}

bool IsValidFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String("\\")
           && !HasAnyChar(name, QStringLiteral("<>\"[]|"));
}

QString ShortToLongName(const QString& name)
{
    return existingName(name);
}

QString LongToShortName(const QString& name)
{
    return existingName(name);
}
