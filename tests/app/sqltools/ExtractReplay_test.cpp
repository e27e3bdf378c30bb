// Real databases, made by isql-fb from Firebird's example scripts and from an
// application's schema, extracted with metadata and data and replayed into
// new databases by isql-fb and by the executor: no statement may fail, and
// each copy must be the original again, its definitions as isql-fb -x prints
// them and every row byte for byte.

#include "ExtractTest_support.h"

#include "access/QvSqlText.h"
#include "app/sqltools/ExtractWriters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

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
};

struct Case
{
    qvtest::Target target;
    const Source* source;
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
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(script.toUtf8()) >= 0) {
        file.close();
        original.failures = qvtest::RunIsql(maker, path, characterSet);
    } else {
        original.failures = QStringLiteral("cannot write ") + path;
    }
    return made.emplace(&source, original).first->second;
}

TEST_P(ExtractReplay, RebuildsTheDatabaseInIsqlAndInTheExecutor)
{
    const qvtest::Target& target = GetParam().target;
    const Source& source = *GetParam().source;
    const QString characterSet = QLatin1String(source.characterSet);
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
    const QString script = fileText(scriptPath);

    const QString isqlFailures = qvtest::RunIsql(target, scriptPath, characterSet);
    EXPECT_TRUE(isqlFailures.isEmpty()) << "isql-fb -i:\n" << isqlFailures.toStdString();

    QString forExecutor = script;
    forExecutor.replace(QvSql::Literal(byIsql, source.dialect), QvSql::Literal(byExecutor, source.dialect));
    const QStringList executorFailures = qvtest::RunScriptText(forExecutor, target);
    EXPECT_TRUE(executorFailures.isEmpty()) << "executor:\n" << executorFailures.join(QLatin1Char('\n')).toStdString();

    const QString originalExtract = qvtest::IsqlExtract(target, original);
    qvtest::ExpectSameExtract(originalExtract, qvtest::IsqlExtract(target, byIsql), "replayed by isql-fb");
    qvtest::ExpectSameExtract(originalExtract, qvtest::IsqlExtract(target, byExecutor), "replayed by the executor");
    const auto rows = qvtest::AllRows(target, original);
    qvtest::ExpectSameRows(rows, qvtest::AllRows(target, byIsql), "replayed by isql-fb");
    qvtest::ExpectSameRows(rows, qvtest::AllRows(target, byExecutor), "replayed by the executor");
    if (HasFailure())
        ADD_FAILURE() << "--- the extracted script:\n" << script.left(200000).toStdString();
}

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const qvtest::Target& target : qvtest::allTargets())
        for (const Source& source : sources)
            all.push_back({target, &source});
    return all;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    return qvtest::targetName(::testing::TestParamInfo<qvtest::Target>(info.param.target, info.index)) + "_"
        + info.param.source->name;
}

INSTANTIATE_TEST_SUITE_P(Databases, ExtractReplay, ::testing::ValuesIn(cases()), caseName);

} // namespace
