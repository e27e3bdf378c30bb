#pragma once

// Throwaway databases in dialect 1 or 3 for the debugger's tests, and a
// second connection that reads back what reached the database.

#include "access/QvDatabase.h"
#include "support/TestSupport.h"

#include <QStringList>

#include <memory>
#include <tuple>

namespace qvdebug {

// Creates a database of that dialect in dir, runs the statements in it (in
// that dialect, each in a transaction of its own) and returns a connection
// attached to it.
std::unique_ptr<TQvDatabase> createDatabase(const qvtest::Target& target, const qvtest::TempDir& dir, int dialect,
                                            const QStringList& statements = {});

// Where createDatabase puts the database of that dialect in dir.
QString databasePath(const qvtest::Target& target, const qvtest::TempDir& dir, int dialect);

// The first column of every row, as text, read on a connection of its own
// (in that connection character set, when one is given).
QStringList column(const qvtest::Target& target, const QString& path, const QString& sql,
                   const QString& characterSet = QString());

// How many temporary procedures of the debugger the database holds.
int temporaryProcedures(const qvtest::Target& target, const QString& path);

// A target and a dialect: every database scenario runs on both engines and
// in both dialects.
using TargetDialect = std::tuple<qvtest::Target, int>;
std::vector<TargetDialect> allTargetDialects();
std::string targetDialectName(const ::testing::TestParamInfo<TargetDialect>& info);

// A scenario on one engine and dialect, its database made by createDatabase
// in the test's folder.
class TargetDialectTest : public ::testing::TestWithParam<TargetDialect>
{
protected:
    void SetUp() override { QV_SKIP_UNLESS_REACHABLE(target()); }

    const qvtest::Target& target() const { return std::get<0>(GetParam()); }
    int dialect() const { return std::get<1>(GetParam()); }
    QString path() const { return databasePath(target(), m_dir, dialect()); }
    // The first column of every row, read on a connection of its own.
    QStringList read(const QString& sql) const { return column(target(), path(), sql); }

    qvtest::TempDir m_dir;
};

} // namespace qvdebug
