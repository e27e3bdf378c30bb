#include "DebugTest_support.h"

#include "access/QvQuery.h"
#include "access/QvTransactionScope.h"
#include "support/DatabaseSupport.h"

namespace qvdebug {

QString databasePath(const qvtest::Target& target, const qvtest::TempDir& dir, int dialect)
{
    return target.databasePath(dir, QStringLiteral("debug%1.fdb").arg(dialect));
}

std::unique_ptr<TQvDatabase> createDatabase(const qvtest::Target& target, const qvtest::TempDir& dir, int dialect,
                                            const QStringList& statements)
{
    const QString path = databasePath(target, dir, dialect);
    QString quoted = path;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    QString options = QStringLiteral("USER '%1'").arg(target.user);
    if (target.isServer())
        options += QStringLiteral(" PASSWORD '%1'").arg(target.password);
    const QByteArray text = QStringLiteral("CREATE DATABASE '%1' %2 PAGE_SIZE 4096 DEFAULT CHARACTER SET NONE")
                                .arg(quoted, options)
                                .toUtf8();
    isc_db_handle handle = 0;
    isc_tr_handle transaction = 0;
    if (isc_dsql_execute_immediate(StatusVector(), &handle, &transaction, 0, text.constData(),
                                   static_cast<unsigned short>(dialect), nullptr))
        IBDataBaseError();
    isc_detach_database(StatusVector(), &handle);

    auto database = std::make_unique<TQvDatabase>();
    database->SetDBName(path);
    database->SetDBParams(qvtest::connectParams(target));
    database->Open();
    TQvTransaction work;
    work.AddDatabase(database.get());
    TQvQuery query;
    query.SetDatabase(database.get());
    query.SetTransaction(&work);
    query.SetParamCheck(false);
    query.SetSQLDialect(dialect);
    for (const QString& sql : statements) {
        TQvTransactionScope scope(work);
        query.SetSQLText(sql);
        query.ExecQuery();
        scope.Commit();
    }
    return database;
}

QStringList column(const qvtest::Target& target, const QString& path, const QString& sql,
                   const QString& characterSet)
{
    TQvDatabase database;
    database.SetDBName(path);
    QStringList params = qvtest::connectParams(target);
    if (!characterSet.isEmpty())
        params << QStringLiteral("isc_dpb_lc_ctype=") + characterSet;
    database.SetDBParams(params);
    database.Open();
    QStringList values;
    {
        TQvTransaction transaction;
        transaction.AddDatabase(&database);
        TQvQuery query;
        query.SetDatabase(&database);
        query.SetTransaction(&transaction);
        query.SetParamCheck(false);
        query.SetSQLDialect(database.SQLDialect());
        query.SetSQLText(sql);
        TQvTransactionScope scope(transaction);
        query.ExecQuery();
        for (TQvXSQLDA* row = query.Eof() ? nullptr : &query.Current(); row; row = query.Next())
            values << row->Vars(0).AsString().trimmed();
        query.Close();
        scope.Commit();
    }
    database.Close();
    return values;
}

int temporaryProcedures(const qvtest::Target& target, const QString& path)
{
    return column(target, path,
                  QStringLiteral("select cast(count(*) as integer) from rdb$procedures "
                                 "where rdb$procedure_name starting with 'MMM$'"))
        .value(0)
        .toInt();
}

std::vector<TargetDialect> allTargetDialects()
{
    std::vector<TargetDialect> all;
    for (const qvtest::Target& target : qvtest::allTargets()) {
        all.emplace_back(target, 1);
        all.emplace_back(target, 3);
    }
    return all;
}

std::string targetDialectName(const ::testing::TestParamInfo<TargetDialect>& info)
{
    return std::get<0>(info.param).name.toStdString() + "_dialect" + std::to_string(std::get<1>(info.param));
}

} // namespace qvdebug
