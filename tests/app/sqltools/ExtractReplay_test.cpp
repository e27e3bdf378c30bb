// Real databases, made by isql-fb from Firebird's example scripts, from an
// application's schema and from texts and values hard to carry, extracted
// with metadata and data (over each connection character set a user may
// register) and replayed into new databases by isql-fb and by the executor:
// no statement may fail, and each copy must be the original again, its
// definitions as isql-fb -x prints them, every row and every text the
// server keeps for its objects byte for byte.

#include "ExtractTest_support.h"

#include "access/QvBlob.h"
#include "access/QvQuery.h"
#include "access/QvTransactionScope.h"
#include "app/shell/CatalogQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTextCodec.h"
#include "app/sqltools/ExtractWriters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

const QString examples = QStringLiteral("/usr/share/doc/firebird3.0-examples/examples/");

QString fileText(const QString& path)
{
    if (path.endsWith(QLatin1String(".gz"))) {
        QProcess gunzip;
        gunzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
        gunzip.waitForFinished(30000);
        return QString::fromUtf8(gunzip.readAllStandardOutput());
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// One database to rebuild: the script that makes it, without its CREATE
// DATABASE (the test puts its own first), and the files it needs.
struct Source
{
    const char* name;
    QStringList files;
    // Turns the files' text into the script that follows the CREATE DATABASE.
    QString (*script)(const QStringList& texts);
    const char* characterSet;
    int dialect;
    // The connection character sets to extract over, a case each; the
    // database's own when none are named.
    QStringList extractOver = {};
};

QString withoutCreate(QString text)
{
    static const QRegularExpression create(QStringLiteral("^\\s*create database [^;]*;"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::MultilineOption);
    return text.remove(create);
}

QString joined(const QStringList& texts)
{
    return withoutCreate(texts.join(QLatin1Char('\n')));
}

QString packageExample(const QStringList& texts)
{
    // The test script includes the header and the body by name; inline them.
    QString test = withoutCreate(texts.at(2));
    test.replace(QStringLiteral("input 'fbout-header.sql';"), texts.at(0));
    test.replace(QStringLiteral("input 'fbout-body.sql';"), texts.at(1));
    return test;
}

QString externalFunctions(const QStringList& texts)
{
    // Names the server has since reserved, renamed so that the script runs
    // (the filter's script is dialect 1, which has no quoted names).
    QString text = joined(texts);
    for (const char* name : {"lower", "trim"})
        text.replace(QStringLiteral("FUNCTION %1 ").arg(QLatin1String(name)),
                     QStringLiteral("FUNCTION UDF_%1 ").arg(QLatin1String(name)));
    return text;
}

const Source sources[] = {
    {"Employee", {examples + QStringLiteral("employee.sql.gz")}, joined, "NONE", 3},
    {"Package",
     {examples + QStringLiteral("package/fbout-header.sql"), examples + QStringLiteral("package/fbout-body.sql"),
      examples + QStringLiteral("package/fbout-test.sql")},
     packageExample,
     "UTF8",
     3},
    {"ExternalFunctionsAndFilter",
     {examples + QStringLiteral("udf/udf.sql"), examples + QStringLiteral("api/api9f.sql")},
     externalFunctions,
     "NONE",
     1},
    {"Application", {QStringLiteral(QV_EXTRACT_APP_SCHEMA)}, joined, "UTF8", 3},
    {"HostileTextUtf8", {QStringLiteral(QV_EXTRACT_HOSTILE_TEXT)}, joined, "UTF8", 3},
    {"HostileTextWin1252", {QStringLiteral(QV_EXTRACT_HOSTILE_TEXT)}, joined, "WIN1252", 3,
     {QStringLiteral("WIN1252"), QStringLiteral("UTF8")}},
    {"HostileDialect1", {QStringLiteral(QV_EXTRACT_HOSTILE_DIALECT1)}, joined, "NONE", 1},
};

const QString isql = QStringLiteral("/usr/bin/isql-fb");

// Runs a script file through isql-fb -q -i; what it reported failing.
QString RunIsql(const qvtest::Target& target, const QString& scriptPath, const QString& characterSet)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(isql, {QStringLiteral("-q"), QStringLiteral("-user"), target.user, QStringLiteral("-password"),
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

// The rows of a select, each as the bytes the server sent (blobs read
// whole), sorted.
QList<QByteArray> RowBytes(qvtest::ExtractSource& source, const QString& select)
{
    TQvQuery query;
    query.SetDatabase(&source.Database());
    query.SetTransaction(&source.Transaction());
    query.SetParamCheck(false);
    query.SetSQLText(select);
    query.ExecQuery();
    QList<QByteArray> rows;
    for (; !query.Eof(); query.Next()) {
        QByteArray row;
        for (int i = 0; i < query.Current().Count(); ++i) {
            const TQvXSQLVAR& field = query.Fields(i);
            row += '|';
            if (field.IsNull()) {
                row += "NULL";
                continue;
            }
            const XSQLVAR* var = field.Data();
            if (field.SQLType() == SQL_BLOB) {
                TQvBlobStream blob;
                blob.SetDatabase(&source.Database());
                blob.SetTransaction(&source.Transaction());
                blob.SetBlobID(field.AsQuad());
                blob.SetMode(bmRead);
                QByteArray bytes(blob.Size(), Qt::Uninitialized);
                blob.ReadBuffer(bytes.data(), bytes.size());
                row += bytes.toHex();
            } else if (field.SQLType() == SQL_VARYING) {
                const short length = *reinterpret_cast<const short*>(var->sqldata);
                row += QByteArray(var->sqldata + sizeof(short), length).toHex();
            } else {
                row += QByteArray(var->sqldata, var->sqllen).toHex();
            }
        }
        rows << row;
    }
    query.Close();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Every user table's rows, and the texts the server keeps for the user's
// objects (descriptions, messages, sources), each by its select: two
// databases hold the same when these are equal.
QMap<QString, QList<QByteArray>> AllRows(const qvtest::Target& target, const QString& path)
{
    qvtest::ExtractSource source(target, path, QStringLiteral("UTF8"));
    TQvTransactionScope scope(source.Transaction());
    TQvQuery catalog;
    catalog.SetDatabase(&source.Database());
    catalog.SetTransaction(&source.Transaction());
    QStringList tables;
    {
        TCatalogQuery rows(catalog, &source.Database(),
            QStringLiteral("select rdb$relation_name from rdb$relations where rdb$view_blr is null "
                           "and (rdb$system_flag is null or rdb$system_flag=0) and rdb$relation_type in (0,2,3)"));
        for (; !rows.Eof(); rows.Next())
            tables << rows.Name(0);
    }
    QMap<QString, QList<QByteArray>> all;
    for (const QString& table : tables)
        all[table] = RowBytes(source, QStringLiteral("select * from ") + QvSql::Identifier(table, 3));
    const QString userObjects = QStringLiteral(" where coalesce(rdb$system_flag, 0) = 0");
    for (const QString& select :
         {QStringLiteral("select rdb$relation_name, rdb$description from rdb$relations") + userObjects,
          QStringLiteral("select rdb$relation_name, rdb$field_name, rdb$description from rdb$relation_fields")
              + userObjects,
          QStringLiteral("select rdb$procedure_name, rdb$description, rdb$procedure_source from rdb$procedures")
              + userObjects,
          QStringLiteral("select rdb$procedure_name, rdb$parameter_name, rdb$description "
                         "from rdb$procedure_parameters")
              + userObjects,
          QStringLiteral("select rdb$trigger_name, rdb$description, rdb$trigger_source from rdb$triggers")
              + userObjects,
          QStringLiteral("select rdb$exception_name, rdb$message, rdb$description from rdb$exceptions") + userObjects,
          QStringLiteral("select rdb$generator_name, rdb$description from rdb$generators") + userObjects,
          QStringLiteral("select rdb$collation_name, rdb$description from rdb$collations") + userObjects,
          QStringLiteral("select rdb$field_name, rdb$description from rdb$fields") + userObjects
              + QStringLiteral(" and rdb$field_name not starting with 'RDB$'"),
          QStringLiteral("select rdb$index_name, rdb$description from rdb$indices") + userObjects
              + QStringLiteral(" and rdb$description is not null")})
        all[select] = RowBytes(source, select);
    scope.Commit();
    return all;
}

void ExpectSameRows(const QMap<QString, QList<QByteArray>>& original, const QMap<QString, QList<QByteArray>>& copy,
                    const char* how)
{
    EXPECT_EQ(original.keys(), copy.keys()) << how;
    for (auto table = original.cbegin(); table != original.cend(); ++table) {
        const QList<QByteArray> rows = copy.value(table.key());
        EXPECT_EQ(table.value().size(), rows.size()) << how << ": rows of " << table.key().toStdString();
        for (qsizetype i = 0; i < std::min(rows.size(), table.value().size()); ++i)
            if (rows.at(i) != table.value().at(i)) {
                ADD_FAILURE() << how << ": " << table.key().toStdString() << " differs:\n"
                              << table.value().at(i).toStdString() << "\n" << rows.at(i).toStdString();
                break;
            }
    }
}

void ExpectSameExtract(const QString& original, const QString& copy, const char* how)
{
    const QStringList a = original.split(QLatin1Char('\n'));
    const QStringList b = copy.split(QLatin1Char('\n'));
    EXPECT_GT(a.size(), 10) << how;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a.at(i) != b.at(i)) {
            ADD_FAILURE() << how << ": isql-fb -x differs at line " << i << ":\n"
                          << a.mid(std::max<qsizetype>(0, i - 3), 6).join(QLatin1Char('\n')).toStdString()
                          << "\n--- copy:\n"
                          << b.mid(std::max<qsizetype>(0, i - 3), 6).join(QLatin1Char('\n')).toStdString();
            return;
        }
    EXPECT_EQ(a.size(), b.size()) << how;
}

struct Case
{
    qvtest::Target target;
    const Source* source;
    // The connection's character set, which the script's SET NAMES names.
    QString characterSet;
};

class ExtractReplay : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam().target);
        if (!qvtest::IsqlAvailable())
            GTEST_SKIP() << "isql-fb is not installed";
        for (const QString& file : GetParam().source->files)
            if (!QFile::exists(file))
                GTEST_SKIP() << file.toStdString() << " is not installed (package firebird3.0-examples)";
    }

    qvtest::TempDir dir;
};

// An original, made once by isql-fb through the embedded engine and copied
// for each target: making it is most of the test's time, and what the test
// measures is the extraction and replay, which each target does through its
// own connection. The originals last as long as the test program.
struct Original
{
    QString file;
    QString failures;
};

const Original& OriginalOf(const Source& source)
{
    static qvtest::TempDir folder;
    static std::map<const Source*, Original> made;
    const auto found = made.find(&source);
    if (found != made.end())
        return found->second;
    const qvtest::Target maker = qvtest::embeddedTarget();
    const QString characterSet = QLatin1String(source.characterSet);
    Original original{folder.filePath(QLatin1String(source.name) + QStringLiteral(".fdb")), QString()};
    QStringList texts;
    for (const QString& file : source.files)
        texts << fileText(file);
    // Dialect 3, as isql-fb assumes it where a script names none; the
    // filter's script writes its strings in double quotes, as dialect 1.
    const QString script = QStringLiteral("SET SQL DIALECT %5;\nCREATE DATABASE '%1' USER '%2' PASSWORD '%3' "
                                          "DEFAULT CHARACTER SET %4;\n")
                               .arg(original.file, maker.user, maker.password, characterSet)
                               .arg(source.dialect)
        + source.script(texts);
    const QString path = folder.filePath(QLatin1String(source.name) + QStringLiteral(".sql"));
    QFile file(path);
    // In the set isql-fb is told to read it in.
    const QByteArray bytes = QvTextCodec(characterSet).encodeStrict(script, QStringLiteral("The schema"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) >= 0) {
        file.close();
        original.failures = RunIsql(maker, path, characterSet);
    } else {
        original.failures = QStringLiteral("cannot write ") + path;
    }
    return made.emplace(&source, original).first->second;
}

TEST_P(ExtractReplay, RebuildsTheDatabaseInIsqlAndInTheExecutor)
{
    const qvtest::Target& target = GetParam().target;
    const Source& source = *GetParam().source;
    const QString& characterSet = GetParam().characterSet;
    {
        const Original& made = OriginalOf(source);
        ASSERT_TRUE(made.failures.isEmpty()) << "making the original:\n" << made.failures.toStdString();
        const QString copy = dir.filePath(QStringLiteral("original.fdb"));
        ASSERT_TRUE(QFile::copy(made.file, copy));
        // The server runs as its own user and writes to the databases it opens.
        ASSERT_TRUE(QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                    | QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                    | QFileDevice::ReadOther | QFileDevice::WriteOther));
    }
    const QString original = target.databasePath(dir, QStringLiteral("original.fdb"));

    const QString byIsql = target.databasePath(dir, QStringLiteral("by isql.fdb"));
    const QString byExecutor = target.databasePath(dir, QStringLiteral("by executor.fdb"));
    // Written to the file as the dialog writes it, a block at a time.
    const QString scriptPath = dir.filePath(QStringLiteral("extracted.sql"));
    TExtractResult extracted;
    {
        qvtest::ExtractSource from(target, original, characterSet);
        const TExtractHeader header{QStringLiteral("NAME"), byIsql, target.user, target.password, characterSet};
        ASSERT_TRUE(ExtractScriptToFile(from.Database(), from.Transaction(), header, from.AllObjects(),
                                        efMetadataAndData | efCreateDatabase | efUserPassword | efKeys | efIndices,
                                        scriptPath, extracted));
    }
    EXPECT_TRUE(extracted.lines.isEmpty());
    EXPECT_TRUE(extracted.reports.isEmpty()) << extracted.reports.join(QLatin1Char('\n')).toStdString();
    // It holds the password: its owner's alone.
    EXPECT_EQ(QFileInfo(scriptPath).permissions()
                  & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    QFile scriptFile(scriptPath);
    ASSERT_TRUE(scriptFile.open(QIODevice::ReadOnly));
    const QByteArray script = scriptFile.readAll();
    scriptFile.close();

    const QString isqlFailures = RunIsql(target, scriptPath, characterSet);
    EXPECT_TRUE(isqlFailures.isEmpty()) << "isql-fb -i:\n" << isqlFailures.toStdString();

    // The same file into another database, read as the script runner reads it.
    QByteArray forExecutor = script;
    forExecutor.replace(QvSql::Literal(byIsql, source.dialect).toUtf8(),
                        QvSql::Literal(byExecutor, source.dialect).toUtf8());
    const QString executorPath = dir.filePath(QStringLiteral("for executor.sql"));
    {
        QFile file(executorPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(forExecutor) == forExecutor.size());
    }
    const QStringList executorFailures = qvtest::RunScriptFile(executorPath, target);
    EXPECT_TRUE(executorFailures.isEmpty()) << "executor:\n" << executorFailures.join(QLatin1Char('\n')).toStdString();

    const QString originalExtract = qvtest::IsqlExtract(target, original);
    ExpectSameExtract(originalExtract, qvtest::IsqlExtract(target, byIsql), "replayed by isql-fb");
    ExpectSameExtract(originalExtract, qvtest::IsqlExtract(target, byExecutor), "replayed by the executor");
    const auto rows = AllRows(target, original);
    ExpectSameRows(rows, AllRows(target, byIsql), "replayed by isql-fb");
    ExpectSameRows(rows, AllRows(target, byExecutor), "replayed by the executor");
    if (HasFailure())
        ADD_FAILURE() << "--- the extracted script:\n"
                      << QvTextCodec(characterSet).decode(script.constData(), std::min<qsizetype>(script.size(), 200000))
                             .toStdString();
}

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const qvtest::Target& target : qvtest::allTargets())
        for (const Source& source : sources) {
            if (source.extractOver.isEmpty())
                all.push_back({target, &source, QLatin1String(source.characterSet)});
            for (const QString& characterSet : source.extractOver)
                all.push_back({target, &source, characterSet});
        }
    return all;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string name = qvtest::targetName(::testing::TestParamInfo<qvtest::Target>(info.param.target, info.index))
        + "_" + info.param.source->name;
    if (!info.param.source->extractOver.isEmpty())
        name += "_over_" + info.param.characterSet.toStdString();
    return name;
}

INSTANTIATE_TEST_SUITE_P(Databases, ExtractReplay, ::testing::ValuesIn(cases()), caseName);

} // namespace
