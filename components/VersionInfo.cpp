#include "components/VersionInfo.h"

#include <QFileInfo>

namespace {

QHash<QString, TVersionRecord>& Records()
{
    static QHash<QString, TVersionRecord> records;
    return records;
}

// One key per file however it is spelled.
QString KeyOf(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

void RegisterVersionRecord(const QString& fileName, const TVersionRecord& record)
{
    Records().insert(KeyOf(fileName), record);
}

void UnregisterVersionRecord(const QString& fileName)
{
    Records().remove(KeyOf(fileName));
}

TVersionInfo::TVersionInfo(const QString& fileName)
    : m_fileName(fileName)
{
    if (fileName.isEmpty())
        return;
    const auto found = Records().constFind(KeyOf(fileName));
    if (found == Records().cend())
        return;
    m_record = *found;
    m_valid = true;
}

QString TVersionInfo::GetVerValue(const QString& name) const
{
    return m_valid ? m_record.strings.value(name) : QString();
}

QString TVersionInfo::GetFileVersion() const
{
    const QString text = GetVerValue(QStringLiteral("FileVersion"));
    if (!text.isEmpty() || !m_valid)
        return text;
    const auto& v = m_record.fileVersion;
    return QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}

QString TVersionInfo::GetComments() const
{
    return GetVerValue(QStringLiteral("Comments"));
}
