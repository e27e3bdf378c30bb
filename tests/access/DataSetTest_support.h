#pragma once

// A throwaway database with a running transaction for the blob-stream and
// buffered-dataset tests, on the embedded engine and on the loopback server.

#include "AccessTest_support.h"
#include "access/QvDataSet.h"

#include <memory>

namespace qvdataset {

class DataSetDatabase : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The database's default character set, also the connection's.
    virtual QString characterSet() const { return QStringLiteral("NONE"); }
    // The database's SQL dialect.
    virtual int dialect() const { return 1; }

    // Runs one statement in the fixture's transaction; without the
    // parameter check a ":name" stays as it is (PSQL variables).
    void run(const QString& sql, bool paramCheck = true);
    // Runs DDL and commits it; the transaction is started again.
    void ddl(const QString& sql);
    void commit();
    // The first column of the first row as text (empty when there is no row);
    // `null` tells whether it was NULL.
    QString scalar(const QString& sql, bool* null = nullptr);
    // A dataset on the fixture's database and transaction.
    std::unique_ptr<TQvDataSet> dataSet(const QString& select);
    // A second attachment to the same database.
    std::unique_ptr<TQvDatabase> attach() const;

    qvtest::TempDir dir;
    std::unique_ptr<TQvDatabase> database;
    std::unique_ptr<TQvTransaction> transaction;
};

// Raises and returns the client error code of `body`, -1 when none came.
template <typename Body>
int clientErrorCode(Body body, QString* message = nullptr)
{
    try {
        body();
    } catch (const EQvClientError& error) {
        if (message)
            *message = error.Message();
        return error.SQLCode();
    }
    return -1;
}

} // namespace qvdataset
