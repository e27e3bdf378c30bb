#include "support/DatabaseSupport.h"

#include "access/QvDatabase.h"
#include "access/QvQuery.h"
#include "access/QvScript.h"
#include "access/QvTransactionScope.h"
#include "platform/Registry.h"

#include <QFile>
#include <QProcess>

namespace qvtest {

namespace {

const QString isqlPath = QStringLiteral("/usr/bin/isql-fb");

} // namespace

QStringList connectParams(const Target& target)
{
    return {QStringLiteral("isc_dpb_user_name=") + target.user,
            QStringLiteral("isc_dpb_password=") + target.password};
}

void runStatements(TQvDatabase& database, const QStringList& statements)
{
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetParamCheck(false);
    for (const QString& sql : statements) {
        transaction.StartTransaction();
        query.SetSQLText(sql);
        query.ExecQuery();
        if (query.Open())
            query.Close();
        transaction.Commit();
    }
}

namespace {

QString create(const Target& target, const TempDir& dir, const QString& file, const QStringList& statements,
               int dialect, const QString& characterSet)
{
    const QString path = target.databasePath(dir, file);
    TQvDatabase database;
    database.SetDBName(path);
    QStringList options{QStringLiteral("USER '%1'").arg(target.user)};
    if (target.isServer())
        options << QStringLiteral("PASSWORD '%1'").arg(target.password);
    options << QStringLiteral("PAGE_SIZE 4096");
    if (!characterSet.isEmpty())
        options << QStringLiteral("DEFAULT CHARACTER SET %1").arg(characterSet);
    database.SetDBParams(options);
    database.SetCreateSQLDialect(dialect);
    database.CreateDatabase();
    runStatements(database, statements);
    database.Close();
    return path;
}

} // namespace

QString createDatabase(const Target& target, const TempDir& dir, const QString& file,
                       const QStringList& statements)
{
    return create(target, dir, file, statements, 1, QString());
}

QString createDialect3Database(const Target& target, const TempDir& dir, const QString& file,
                               const QStringList& statements, const QString& characterSet)
{
    return create(target, dir, file, statements, 3, characterSet);
}

void execute(const Target& target, const QString& path, const QStringList& statements)
{
    TQvDatabase database;
    database.SetDBName(path);
    database.SetDBParams(connectParams(target));
    database.Open();
    runStatements(database, statements);
    database.Close();
}

QStringList RunScript(const QStringList& lines)
{
    TQvDatabase database;
    TQvTransaction transaction;
    transaction.SetDefaultDatabase(&database);
    TQvScript script;
    script.SetDatabase(&database);
    script.SetTransaction(&transaction);
    script.SetParamCheck(false);
    QStringList failures;
    QObject::connect(&script, &TQvScript::OnError, [&failures](const QString& line, int lineNo, int) {
        failures << QStringLiteral("line %1: %2").arg(lineNo).arg(line);
    });
    script.SetScript(lines);
    script.ExecuteScript();
    return failures;
}

QStringList column(const Target& target, const QString& path, const QString& sql, const QString& characterSet)
{
    TQvDatabase database;
    database.SetDBName(path);
    QStringList params = connectParams(target);
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

bool IsqlAvailable()
{
    return QFile::exists(isqlPath);
}

QString IsqlExtract(const Target& target, const QString& path)
{
    if (!IsqlAvailable())
        return {};
    QProcess isql;
    isql.start(isqlPath, {QStringLiteral("-x"), QStringLiteral("-user"), target.user, QStringLiteral("-password"),
                          target.password, path});
    isql.waitForFinished(300000);
    const QString output = QString::fromUtf8(isql.readAllStandardOutput());
    const QString filePath = path.mid(target.prefix.size());
    QStringList kept;
    for (const QString& line : output.split(QLatin1Char('\n')))
        if (!line.contains(filePath))
            kept << line;
    return kept.join(QLatin1Char('\n'));
}

QString RunIsql(const Target& target, const QString& scriptPath, const QString& characterSet)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(isqlPath, {QStringLiteral("-q"), QStringLiteral("-user"), target.user, QStringLiteral("-password"),
                             target.password, QStringLiteral("-ch"), characterSet, QStringLiteral("-i"), scriptPath});
    process.waitForFinished(300000);
    const QString output = QString::fromUtf8(process.readAll());
    QStringList failures;
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines.at(i).contains(QLatin1String("Statement failed")) || lines.at(i).startsWith(QLatin1String("Use CONNECT")))
            failures << lines.mid(i, 6).join(QLatin1Char('\n'));
    return failures.join(QStringLiteral("\n\n"));
}

qint64 attachmentId(TQvDatabase& database)
{
    TQvTransaction transaction;
    transaction.AddDatabase(&database);
    TQvQuery query;
    query.SetDatabase(&database);
    query.SetTransaction(&transaction);
    query.SetSQLText(QStringLiteral("select cast(current_connection as integer) from rdb$database"));
    transaction.StartTransaction();
    query.ExecQuery();
    const qint64 id = query.Fields(0).AsLong();
    query.Close();
    transaction.Commit();
    return id;
}

void killAttachment(const Target& target, const QString& path, qint64 attachmentId)
{
    execute(target, path,
            {QStringLiteral("delete from mon$attachments where mon$attachment_id = %1").arg(attachmentId)});
}

bool registerDatabase(const QString& name, const QString& path, const QString& user, const QString& password,
                      const QString& charset)
{
    QvRegistry registry;
    if (!registry.openKey(QStringLiteral("\\Software\\Qyl\\Qorvane\\Databases\\") + name, true))
        return false;
    registry.writeString(QStringLiteral("DBPath"), path);
    registry.writeString(QStringLiteral("UserName"), user);
    registry.writeString(QStringLiteral("UserPassword"), password);
    registry.writeString(QStringLiteral("DBCharset"), charset);
    return true;
}

} // namespace qvtest
