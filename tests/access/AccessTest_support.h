#pragma once

// Throwaway databases for the access-layer tests, in dialect 1 unless asked.

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
                                            const QString& characterSet = QStringLiteral("NONE"), int dialect = 1);

// The same in dialect 3, where DATE, TIME and BIGINT columns can be declared;
// the returned component is attached to it through a connection with the
// database's own character set.
std::unique_ptr<TQvDatabase> createDialect3Database(const qvtest::Target& target, const qvtest::TempDir& dir,
                                                    const QString& file = QStringLiteral("dialect3.fdb"),
                                                    const QString& characterSet = QStringLiteral("NONE"));

// Runs one statement without parameters or result through the client library
// directly, in the given transaction. Dialect 3 declares what dialect 1
// cannot (BIGINT, DATE, TIME columns).
void executeImmediate(TQvDatabase& database, TQvTransaction& transaction, const QString& sql, int dialect = 1);

} // namespace qvaccess
