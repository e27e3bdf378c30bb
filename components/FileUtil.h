#pragma once

// File-name checks.

#include <QString>

bool DirectoryPresent(const QString& path);
bool HasAnyChar(const QString& s, const QString& chars);
// Not empty, not a lone backslash, and none of < > " [ ] |.
bool IsValidFileName(const QString& name);

// This file system has one name per file: both return the name of an
// existing file or folder unchanged, and an empty text for a missing one.
QString ShortToLongName(const QString& name);
QString LongToShortName(const QString& name);
