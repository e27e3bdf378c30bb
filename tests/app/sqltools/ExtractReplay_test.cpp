// Real databases, made by isql-fb from Firebird's example scripts, from
// applications' schemas and from texts and values hard to carry, extracted
// with metadata and data (over each connection character set a user may
// register) and replayed into new databases by isql-fb and by the executor:
// no statement may fail, and each copy must be the original again, its
// definitions as isql-fb -x prints them, its privileges and indices, every
// row and every text the server keeps for its objects byte for byte.

#include "ExtractTest_support.h"

#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTextCodec.h"
#include "access/QvTransactionScope.h"
#include "app/shell/CatalogQuery.h"
#include "app/shell/MainTreeF.h"
#include "app/shell/MyConst.h"
#include "app/sqltools/ExtractRun.h"
#include "app/sqltools/ExtractWriters.h"
#include "support/ProgramSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTreeWidgetItem>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
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
    // Schemas as applications' DBAs keep them: roles, grants, packages,
    // names with RDB$, MON$ and $ in them, non-Latin texts.
    {"ServiceDesk", {QStringLiteral(QV_EXTRACT_APP_UTF8)}, joined, "UTF8", 3},
    {"Warehouse", {QStringLiteral(QV_EXTRACT_APP_WIN1252)}, joined, "WIN1252", 3,
     {QStringLiteral("WIN1252"), QStringLiteral("UTF8")}},
    {"HostileTextUtf8", {QStringLiteral(QV_EXTRACT_HOSTILE_TEXT)}, joined, "UTF8", 3},
    {"HostileTextWin1252", {QStringLiteral(QV_EXTRACT_HOSTILE_TEXT)}, joined, "WIN1252", 3,
     {QStringLiteral("WIN1252"), QStringLiteral("UTF8")}},
    {"HostileDialect1", {QStringLiteral(QV_EXTRACT_HOSTILE_DIALECT1)}, joined, "NONE", 1},
};

// The indices of the user's tables with their columns: isql-fb -x names a
// foreign key's own index nowhere. Names the server made are numbered as it
// goes and stand as "(made)".
QStringList AllIndices(const qvtest::Target& target, const QString& path)
{
    qvtest::ExtractSource source(target, path, QStringLiteral("UTF8"));
    TQvTransactionScope scope(source.Transaction());
    TQvQuery query;
    query.SetTransaction(&source.Transaction());
    QMap<QString, QString> indices;
    {
        TCatalogQuery rows(query, &source.Database(),
            QStringLiteral("select i.rdb$index_name, i.rdb$relation_name, coalesce(i.rdb$unique_flag, 0), "
                           "coalesce(i.rdb$index_type, 0), coalesce(i.rdb$index_inactive, 0), s.rdb$field_name "
                           "from rdb$indices i "
                           "join rdb$relations r on r.rdb$relation_name=i.rdb$relation_name "
                           "left join rdb$index_segments s on s.rdb$index_name=i.rdb$index_name "
                           "where coalesce(r.rdb$system_flag, 0)=0 order by i.rdb$index_name, s.rdb$field_position"));
        static const QRegularExpression made(QStringLiteral("^RDB\\$(PRIMARY|FOREIGN)?[0-9]+$"));
        for (; !rows.Eof(); rows.Next()) {
            const QString name = rows.Name(0);
            QString& index = indices[name];
            if (index.isEmpty())
                index = (made.match(name).hasMatch() ? QStringLiteral("(made)") : name) + QLatin1Char('|')
                    + rows.Name(1) + QLatin1Char('|') + rows.Text(2) + QLatin1Char('|') + rows.Text(3)
                    + QLatin1Char('|') + rows.Text(4) + QLatin1Char('|');
            index += rows.Name(5) + QLatin1Char(',');
        }
    }
    QStringList all = indices.values();
    std::sort(all.begin(), all.end());
    return all;
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
    ASSERT_TRUE(qvtest::ExtractSource(target, original, characterSet)
                    .ExtractEverythingToFile(byIsql, scriptPath, extracted));
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

    // The same file into another database, read as the script runner reads it.
    qvtest::ReplayByIsqlAndExecutor(target, scriptPath, characterSet, source.dialect, byIsql, byExecutor);
    qvtest::ExpectSameCopies(target, original, byIsql, byExecutor);
    const QStringList indices = AllIndices(target, original);
    EXPECT_EQ(indices, AllIndices(target, byIsql)) << "replayed by isql-fb";
    EXPECT_EQ(indices, AllIndices(target, byExecutor)) << "replayed by the executor";
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

// What the extraction offers of the applications' schemas, and what the
// metadata tree lists of them: each of their objects, kind by kind and by
// name, the ones with RDB$, MON$ and $ in their names among them, and
// nothing of the system's.
TEST(ExtractListing, OffersEveryObjectOfTheApplicationsAndNoSystemOne)
{
    if (!qvtest::IsqlAvailable())
        GTEST_SKIP() << "isql-fb is not installed";
    const std::map<std::string, QStringList> expected{
        {"ServiceDesk",
         {QStringLiteral("1 AGENTS"), QStringLiteral("1 MON$ARCHIVE"), QStringLiteral("1 OFFICES"),
          QStringLiteral("1 SESSION_LOG"), QStringLiteral("1 TICKETS"), QStringLiteral("1 TICKET_NOTES"),
          QStringLiteral("1 T_RDB$MIRROR"), QStringLiteral("2 V_MY_SESSION"), QStringLiteral("2 V_MY_TICKETS"),
          QStringLiteral("2 V_OPEN_TICKETS"), QStringLiteral("3 P_MIRROR$SYNC"), QStringLiteral("3 P_MY_TICKETS"),
          QStringLiteral("3 SYS_ISRDB$ADMIN"), QStringLiteral("4 T_SESSION_START"), QStringLiteral("4 T_TICKETS_BI"),
          QStringLiteral("5 D_FLAG$"), QStringLiteral("5 D_ID"), QStringLiteral("5 D_MON$MINUTES"),
          QStringLiteral("5 D_RDB$KEY"), QStringLiteral("5 D_STATUS"), QStringLiteral("5 D_TEXT"),
          QStringLiteral("6 G$SESSION"), QStringLiteral("6 G_TICKET"), QStringLiteral("7 F_CURRENT_AGENT"),
          QStringLiteral("7 F_MON$ATTACHMENTS"), QStringLiteral("7 F_OFFICE_TIME"), QStringLiteral("7 F_TICKET_LABEL"),
          QStringLiteral("8 E_BUSY"), QStringLiteral("8 E_CLOSED"), QStringLiteral("8 E_NOT_ALLOWED"),
          QStringLiteral("9 PK_DESK"), QStringLiteral("11 R_AGENT"), QStringLiteral("11 R_AUDITOR"),
          QStringLiteral("11 R_MAINFRAME$SYNC"), QStringLiteral("11 R_SUPERVISOR")}},
        {"Warehouse",
         {QStringLiteral("1 ARTIKEL"), QStringLiteral("1 BESTAENDE"), QStringLiteral("1 BUCHUNGEN"),
          QStringLiteral("1 IMPORT_RDB$ARTIKEL"), QStringLiteral("1 LAGERORTE"), QStringLiteral("1 LIEFERANTEN"),
          QStringLiteral("1 MON$STATISTIK"), QStringLiteral("1 PROTOKOLL$"), QStringLiteral("2 V_ARTIKEL_PREISE"),
          QStringLiteral("2 V_LAGERLISTE"), QStringLiteral("2 V_NACHBESTELLEN"), QStringLiteral("3 P_ANMELDUNG$PRUEFEN"),
          QStringLiteral("3 P_BESTELLVORSCHLAG$DRUCK"), QStringLiteral("4 T_ANMELDUNG"),
          QStringLiteral("4 T_ARTIKEL_PREIS"), QStringLiteral("5 D_BEZEICHNUNG"), QStringLiteral("5 D_JA_NEIN"),
          QStringLiteral("5 D_MENGE"), QStringLiteral("5 D_MWST$SATZ"), QStringLiteral("5 D_PREIS"),
          QStringLiteral("5 D_RDB$ARTNR"), QStringLiteral("5 D_SCHLUESSEL"), QStringLiteral("6 G_BELEG"),
          QStringLiteral("6 G_PROTOKOLL$"), QStringLiteral("7 F_BRUTTO"), QStringLiteral("7 F_STEUERSATZ"),
          QStringLiteral("8 E_BESTAND"), QStringLiteral("8 E_GESPERRT"), QStringLiteral("8 E_PREIS$NEGATIV"),
          QStringLiteral("9 PK_EINKAUF"), QStringLiteral("9 PK_LAGER"), QStringLiteral("9 PK_PREISE"),
          QStringLiteral("11 R_ADMIN$APP"), QStringLiteral("11 R_BUCHHALTUNG"), QStringLiteral("11 R_EINKAUF"),
          QStringLiteral("11 R_LAGER"), QStringLiteral("11 R_LESEN"), QStringLiteral("11 R_SCHNITTSTELLE")}},
    };
    for (const Source& source : sources) {
        const auto wanted = expected.find(source.name);
        if (wanted == expected.end())
            continue;
        const Original& made = OriginalOf(source);
        ASSERT_TRUE(made.failures.isEmpty()) << "making the original:\n" << made.failures.toStdString();
        const qvtest::Target target = qvtest::embeddedTarget();
        QStringList listed;
        {
            qvtest::ExtractSource from(target, made.file, QLatin1String(source.characterSet));
            for (const TExtractItem& item : from.AllObjects())
                listed << QString::number(item.kind) + QLatin1Char(' ') + item.name;
        }
        EXPECT_EQ(listed, wanted->second) << source.name;

        // The metadata tree shows the same, category by category (its
        // categories are the first eight kinds, in the same order).
        qvtest::TempDir home;
        qvtest::UserFoldersIn folders(home);
        ASSERT_TRUE(qvtest::registerDatabase(QStringLiteral("App"), made.file, target.user, target.password,
                                             QLatin1String(source.characterSet)));
        qvtest::RunningProgram program;
        QTreeWidgetItem* database = qvtest::databaseNode(QStringLiteral("App"));
        ASSERT_NE(database, nullptr);
        database->setExpanded(true);
        ASSERT_EQ(database->childCount(), CategoryCount);
        QStringList shown;
        for (int category = 0; category < CategoryCount; ++category) {
            QTreeWidgetItem* node = database->child(category);
            node->setExpanded(true);
            for (int i = 0; i < node->childCount(); ++i)
                shown << QString::number(category + 1) + QLatin1Char(' ') + TMainTree::NodeObjectName(node->child(i));
        }
        QStringList inTree = wanted->second;
        inTree.removeIf([](const QString& item) { return item.section(QLatin1Char(' '), 0, 0).toInt() > CategoryCount; });
        EXPECT_EQ(shown, inTree) << source.name << " in the tree";
    }
}

} // namespace
