#include "app/shell/VersionRecord.h"

#include <QCoreApplication>

TVersionRecord ProgramVersionRecord()
{
    TVersionRecord record;
    record.fileVersion = {QV_VERSION_MAJOR, QV_VERSION_MINOR, QV_VERSION_PATCH, 0};
    record.strings.insert(QStringLiteral("FileVersion"),
                          QStringLiteral("%1.%2.%3").arg(QV_VERSION_MAJOR).arg(QV_VERSION_MINOR).arg(QV_VERSION_PATCH));
    record.strings.insert(QStringLiteral("Comments"), QStringLiteral("(beta)"));
    record.strings.insert(QStringLiteral("ProductName"), QStringLiteral("Qorvane"));
    return record;
}

void RegisterProgramVersion()
{
    RegisterVersionRecord(QCoreApplication::applicationFilePath(), ProgramVersionRecord());
}
