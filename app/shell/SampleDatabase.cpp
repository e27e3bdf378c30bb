#include "app/shell/SampleDatabase.h"

#include "access/QvScript.h"
#include "access/QvScriptCodec.h"
#include "access/QvTransactionScope.h"
#include "app/shell/DBListObject.h"
#include "platform/Dialogs.h"
#include "platform/WaitCursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

// The shell is a static library: its resources register only when asked.
static void initShellResources()
{
    Q_INIT_RESOURCE(shell);
}

namespace {

const QString kUser = QStringLiteral("SYSDBA");
// The embedded engine checks no password; one is kept so that the first
// expansion connects without asking.
const QString kPassword = QStringLiteral("masterkey");

// Compiled into the program, so a first start needs no source tree.
QString scriptFile()
{
    initShellResources();
    return QStringLiteral(":/qorvane/sample.sql");
}

// Creates the file and runs the script in it; the failures' texts, none on success.
QStringList makeDatabase(const QString& path, const QStringList& script)
{
    TQvDatabase database;
    TQvTransaction transaction;
    database.SetDBName(path);
    database.SetDBParams({QStringLiteral("USER '%1' PASSWORD '%2' ").arg(kUser, kPassword),
                          QStringLiteral("PAGE_SIZE 4096")});
    try {
        database.SetCreateSQLDialect(3);
        database.CreateDatabase();
    } catch (const EQvError& error) {
        return {error.Message()};
    }
    transaction.AddDatabase(&database);
    database.SetDefaultTransaction(&transaction);
    transaction.SetDefaultDatabase(&database);

    QStringList failures;
    TQvScript runner;
    runner.SetDatabase(&database);
    runner.SetTransaction(&transaction);
    runner.SetParamCheck(false);
    runner.SetScript(script);
    QObject::connect(&runner, &TQvScript::OnError, &runner,
                     [&failures](const QString& line, int lineNo, int) {
                         failures << QStringLiteral("%1 (line %2)").arg(line).arg(lineNo);
                     });
    try {
        // The run commits its work; a failure before that rolls it back.
        TQvTransactionScope work(transaction);
        runner.ExecuteScript();
    } catch (const std::exception& error) {
        failures << QString::fromUtf8(error.what());
    }
    try {
        if (database.Connected())
            database.Close();
    } catch (const std::exception& error) {
        failures << QString::fromUtf8(error.what());
    }
    return failures;
}

} // namespace

QString SampleDatabasePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("sample.fdb"));
}

QStringList SampleDatabaseScript()
{
    QFile file(scriptFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // As any script file is read: its bytes by its SET NAMES.
    return ScriptLines(QvScriptCodec::Decode(file.readAll()));
}

bool CreateSampleDatabase(TDBList& list)
{
    if (list.Count() > 0)
        return false;
    const QString path = SampleDatabasePath();
    if (!QFileInfo::exists(path)) {
        const QStringList script = SampleDatabaseScript();
        if (script.isEmpty()) {
            qv::messageDlg(QStringLiteral("The sample database could not be made: its script %1 cannot be read.")
                               .arg(scriptFile()),
                           qv::mtError, qv::mbOK);
            return false;
        }
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            qv::messageDlg(QStringLiteral("The sample database could not be made: the folder %1 cannot be created.")
                               .arg(QFileInfo(path).absolutePath()),
                           qv::mtError, qv::mbOK);
            return false;
        }
        QStringList failures;
        {
            qv::WaitCursor wait;
            failures = makeDatabase(path, script);
        }
        if (!failures.isEmpty()) {
            QFile::remove(path);
            qv::messageDlg(QStringLiteral("The sample database could not be made:\n") + failures.join(QLatin1Char('\n')),
                           qv::mtError, qv::mbOK);
            return false;
        }
    }
    const TDBListUpdate update(list);
    const int index = list.Add(kSampleDatabaseName);
    list.SetPath(index, path);
    list.SetUser(index, kUser);
    list.SetPassword(index, kPassword);
    list.SetCharset(index, QStringLiteral("NONE"));
    return true;
}
