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

// The same in dialect 3, where DATE, TIME and BIGINT columns can be declared;
// the returned component is attached to it (and still prepares in dialect 1).
std::unique_ptr<TQvDatabase> createDialect3Database(const qvtest::Target& target, const qvtest::TempDir& dir,
                                                    const QString& file = QStringLiteral("dialect3.fdb"));

// Runs one statement without parameters or result through the client library
// directly, in the given transaction. Dialect 3 declares what dialect 1
// cannot (BIGINT, DATE, TIME columns).
void executeImmediate(TQvDatabase& database, TQvTransaction& transaction, const QString& sql, int dialect = 1);

} // namespace qvaccess
