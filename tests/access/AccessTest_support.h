#pragma once

// Throwaway dialect-1 databases for the access-layer tests.

#include "access/QvDatabase.h"
#include "support/TestSupport.h"

#include <memory>

namespace qvaccess {

// The SQL options of CREATE DATABASE for a target (user, password where the
// server needs one, page size, default character set).
QStringList createOptions(const qvtest::Target& target,
                          const QString& characterSet = QStringLiteral("NONE"));
// The DPB lines that attach to a target's database.
QStringList connectParams(const qvtest::Target& target, const QString& lcCtype = QString());

// Creates a fresh database file `file` in `dir` and leaves the returned
// component attached to it.
std::unique_ptr<TQvDatabase> createDatabase(const qvtest::Target& target, const qvtest::TempDir& dir,
                                            const QString& file = QStringLiteral("test.fdb"),
                                            const QString& characterSet = QStringLiteral("NONE"));

// Runs one statement without parameters or result through the client library
// directly, in the given transaction.
void executeImmediate(TQvDatabase& database, TQvTransaction& transaction, const QString& sql);

} // namespace qvaccess
