#include "DataSetTest_support.h"

namespace qvdataset {

void DataSetDatabase::SetUp()
{
    QV_SKIP_UNLESS_REACHABLE(GetParam());
    database = qvaccess::createDatabase(GetParam(), dir, QStringLiteral("dataset.fdb"), characterSet(), dialect());
    database->Close();
    database->SetDBParams(qvaccess::connectParams(GetParam(), characterSet()));
    database->Open();
    transaction = std::make_unique<TQvTransaction>();
    // Read committed: a refresh sees what another attachment committed.
    transaction->SetTRParams({QStringLiteral("write"), QStringLiteral("read_committed"),
                              QStringLiteral("rec_version"), QStringLiteral("nowait")});
    database->SetDefaultTransaction(transaction.get());
    transaction->StartTransaction();
}

void DataSetDatabase::TearDown()
{
    if (!database)
        return;
    if (transaction->Active())
        transaction->Rollback();
    transaction.reset();
    database->DropDatabase();
}

void DataSetDatabase::run(const QString& sql, bool paramCheck)
{
    TQvQuery query;
    query.SetDatabase(database.get());
    query.SetTransaction(transaction.get());
    query.SetParamCheck(paramCheck);
    query.SetSQLText(sql);
    query.ExecQuery();
}

void DataSetDatabase::ddl(const QString& sql)
{
    run(sql);
    commit();
}

void DataSetDatabase::commit()
{
    transaction->Commit();
    transaction->StartTransaction();
}

QString DataSetDatabase::scalar(const QString& sql, bool* null)
{
    TQvQuery query;
    query.SetDatabase(database.get());
    query.SetTransaction(transaction.get());
    query.SetSQLText(sql);
    query.ExecQuery();
    if (null)
        *null = query.Eof() || query.Fields(0).IsNull();
    return query.Eof() ? QString() : query.Fields(0).AsString();
}

std::unique_ptr<TQvDataSet> DataSetDatabase::dataSet(const QString& select)
{
    auto result = std::make_unique<TQvDataSet>();
    result->SetDatabase(database.get());
    result->SetTransaction(transaction.get());
    result->SetSelectSQLText(select);
    return result;
}

std::unique_ptr<TQvDatabase> DataSetDatabase::attach() const
{
    auto other = std::make_unique<TQvDatabase>();
    other->SetDBName(database->DBName());
    other->SetDBParams(qvaccess::connectParams(GetParam(), characterSet()));
    other->Open();
    return other;
}

} // namespace qvdataset
