#pragma once

// Version information of a program file. The program compiles its own record
// in and registers it under its file name at start-up; asking about a file
// without a record gives invalid data and empty texts.

#include <QHash>
#include <QString>

#include <array>

struct TVersionRecord
{
    // Major, minor, release, build.
    std::array<quint16, 4> fileVersion{};
    // Named strings: "FileVersion", "Comments", "ProductName", ...
    QHash<QString, QString> strings;
};

// Makes the record the version information of the file; an empty record
// removes it.
void RegisterVersionRecord(const QString& fileName, const TVersionRecord& record);
void UnregisterVersionRecord(const QString& fileName);

class TVersionInfo
{
public:
    explicit TVersionInfo(const QString& fileName);

    const QString& FileName() const { return m_fileName; }
    // Whether the file has version information.
    bool Valid() const { return m_valid; }
    // A named string, or "" when there is none.
    QString GetVerValue(const QString& name) const;
    // The "FileVersion" string, or the fixed version as four dotted numbers
    // when that string is empty.
    QString GetFileVersion() const;
    QString GetComments() const;

private:
    QString m_fileName;
    bool m_valid = false;
    TVersionRecord m_record;
};
