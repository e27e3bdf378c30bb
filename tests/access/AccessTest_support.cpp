#include "AccessTest_support.h"

namespace qvaccess {

QStringList createOptions(const qvtest::Target& target, const QString& characterSet)
{
    QStringList options{QStringLiteral("USER '%1'").arg(target.user)};
    if (target.isServer())
        options << QStringLiteral("PASSWORD '%1'").arg(target.password);
    options << QStringLiteral("PAGE_SIZE 4096")
            << QStringLiteral("DEFAULT CHARACTER SET %1").arg(characterSet);
    return options;
}

QStringList connectParams(const qvtest::Target& target, const QString& lcCtype)
{
    QStringList params{QStringLiteral("isc_dpb_user_name=") + target.user,
                       QStringLiteral("isc_dpb_password=") + target.password};
    if (!lcCtype.isEmpty())
        params << QStringLiteral("isc_dpb_lc_ctype=") + lcCtype;
    return params;
}

std::unique_ptr<TQvDatabase> createDatabase(const qvtest::Target& target, const qvtest::TempDir& dir,
                                            const QString& file, const QString& characterSet, int dialect)
{
    auto database = std::make_unique<TQvDatabase>();
    database->SetDBName(target.databasePath(dir, file));
    database->SetDBParams(createOptions(target, characterSet));
    database->SetCreateSQLDialect(dialect);
    database->CreateDatabase();
    return database;
}

std::unique_ptr<TQvDatabase> createDialect3Database(const qvtest::Target& target, const qvtest::TempDir& dir,
                                                    const QString& file, const QString& characterSet)
{
    auto database = createDatabase(target, dir, file, characterSet, 3);
    database->Close();
    database->SetDBParams(connectParams(target, characterSet));
    database->Open();
    return database;
}

void executeImmediate(TQvDatabase& database, TQvTransaction& transaction, const QString& sql, int dialect)
{
    const QByteArray text = sql.toUtf8();
    transaction.Call(isc_dsql_execute_immediate(StatusVector(), database.Handle(), transaction.Handle(),
                                                0, text.constData(), static_cast<unsigned short>(dialect), nullptr),
                     true);
}

} // namespace qvaccess
