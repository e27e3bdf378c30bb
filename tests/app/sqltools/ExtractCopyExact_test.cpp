// A copy holds what the original holds beyond its definitions and rows: a
// column's own collation over its domain's, the NOT NULL a column has of
// its own or only through its domain or its key, and every privilege the
// database keeps (on sequences and exceptions, and to create, alter and
// drop kinds of object). Each database is made by isql-fb, extracted with
// its data, and replayed by isql-fb and by the executor.

#include "ExtractTest_support.h"

#include "access/Qv.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTextCodec.h"
#include "access/QvTransactionScope.h"
#include "app/shell/CatalogQuery.h"
#include "app/sqltools/ExtractRun.h"
#include "app/sqltools/ExtractWriters.h"

#include <QFile>
#include <gtest/gtest.h>

#include <ostream>

namespace {

// The schema, for a database whose default set is `characterSet`, with a
// collation of that set that ignores case and accents.
struct Schema
{
    const char* name;
    const char* characterSet;
    const char* foldingCollation;
};

const Schema schemas[] = {
    {"Utf8", "UTF8", "UNICODE_CI_AI"},
    {"Win1252", "WIN1252", "WIN_PTBR"},
};

QString SchemaScript(const Schema& schema)
{
    const QString set = QLatin1String(schema.characterSet);
    return QStringLiteral(
               // Rows that differ only in case and accents are distinct
               // under the column's own collation, not under its domain's.
               "CREATE DOMAIN DCI AS VARCHAR(20) COLLATE %1;\n"
               "CREATE TABLE T_CODES (ID INTEGER, CODE DCI COLLATE %2, NAME DCI,"
               " CONSTRAINT U_CODE UNIQUE (CODE));\n"
               "INSERT INTO T_CODES VALUES (1, 'abc', 'x');\n"
               "INSERT INTO T_CODES VALUES (2, 'ABC', 'y');\n"
               "INSERT INTO T_CODES VALUES (3, '\u00C1bc', 'z');\n"
               // NOT NULL through the domain, of the column's own, and only
               // through a key declared with its table.
               "CREATE DOMAIN DKEY AS INTEGER NOT NULL;\n"
               "CREATE TABLE T_BY_DOMAIN (ID DKEY, NOTE VARCHAR(10));\n"
               "ALTER TABLE T_BY_DOMAIN ADD CONSTRAINT PK_BY_DOMAIN PRIMARY KEY (ID);\n"
               "CREATE TABLE T_UNNAMED (ID DKEY);\n"
               "ALTER TABLE T_UNNAMED ADD PRIMARY KEY (ID);\n"
               "CREATE TABLE T_OWN (ID DKEY NOT NULL, CONSTRAINT PK_OWN PRIMARY KEY (ID));\n"
               "CREATE TABLE T_BY_KEY (ID INTEGER, CONSTRAINT PK_BY_KEY PRIMARY KEY (ID));\n"
               "CREATE TABLE T_CHILD (ID DKEY, PARENT DKEY REFERENCES T_BY_DOMAIN (ID));\n"
               "ALTER TABLE T_CHILD ADD CONSTRAINT PK_CHILD PRIMARY KEY (ID, PARENT);\n"
               "INSERT INTO T_BY_DOMAIN VALUES (1, 'one');\n"
               "INSERT INTO T_CHILD VALUES (10, 1);\n"
               "INSERT INTO T_BY_KEY VALUES (5);\n"
               // Privileges on sequences and exceptions, and on kinds of object.
               "CREATE SEQUENCE SEQ_CHECK_ID;\n"
               "CREATE SEQUENCE \"seq lower\";\n"
               "CREATE EXCEPTION E_REFUSED 'refused';\n"
               "CREATE ROLE CUSTOM_ALL;\n"
               "CREATE ROLE CUSTOM_READ;\n"
               "GRANT USAGE ON SEQUENCE SEQ_CHECK_ID TO ROLE CUSTOM_ALL;\n"
               "GRANT USAGE ON SEQUENCE SEQ_CHECK_ID TO USER CLERK WITH GRANT OPTION;\n"
               "GRANT USAGE ON SEQUENCE \"seq lower\" TO PUBLIC;\n"
               "GRANT USAGE ON EXCEPTION E_REFUSED TO ROLE CUSTOM_READ;\n"
               "GRANT USAGE ON EXCEPTION E_REFUSED TO PUBLIC WITH GRANT OPTION;\n"
               "GRANT SELECT ON T_CODES TO ROLE CUSTOM_READ;\n"
               "GRANT CREATE TABLE TO USER CLERK;\n"
               "GRANT ALTER ANY TABLE TO ROLE CUSTOM_ALL WITH GRANT OPTION;\n"
               "GRANT DROP ANY PROCEDURE TO USER \"Clerk 2\";\n"
               "GRANT CREATE SEQUENCE TO PUBLIC;\n"
               "GRANT CREATE ROLE TO USER CLERK;\n"
               "GRANT DROP ANY ROLE TO USER CLERK;\n"
               "GRANT CREATE CHARACTER SET TO USER CLERK;\n"
               "GRANT ALTER ANY COLLATION TO ROLE CUSTOM_READ;\n"
               "GRANT CREATE FILTER TO ROLE CUSTOM_READ;\n"
               "GRANT CREATE VIEW TO USER CLERK;\n"
               "GRANT DROP ANY VIEW TO USER CLERK WITH GRANT OPTION;\n"
               "GRANT ALTER ANY FUNCTION TO USER CLERK;\n"
               "GRANT ALTER ANY PACKAGE TO USER CLERK;\n"
               "GRANT ALTER ANY DOMAIN TO USER CLERK;\n"
               "GRANT ALTER ANY EXCEPTION TO USER CLERK;\n"
               "GRANT ALTER DATABASE TO USER AUDITOR;\n"
               "GRANT DROP DATABASE TO ROLE CUSTOM_ALL;\n"
               "GRANT CUSTOM_READ TO USER AUDITOR WITH ADMIN OPTION;\n"
               "GRANT CUSTOM_READ TO CUSTOM_ALL;\n"
               "COMMIT;\n")
        .arg(QLatin1String(schema.foldingCollation), set);
}

// Each table's constraints counted by kind, and each column's own NOT NULL
// flag: a constraint the engine adds or leaves out changes what later
// changes of the domains do.
QStringList Constraints(const qvtest::Target& target, const QString& path)
{
    qvtest::ExtractSource source(target, path, QStringLiteral("UTF8"));
    TQvTransactionScope scope(source.Transaction());
    TQvQuery query;
    query.SetTransaction(&source.Transaction());
    QStringList found;
    {
        TCatalogQuery rows(query, &source.Database(),
            QStringLiteral("select c.rdb$relation_name, c.rdb$constraint_type, count(*) from rdb$relation_constraints c "
                           "join rdb$relations r on r.rdb$relation_name=c.rdb$relation_name "
                           "where coalesce(r.rdb$system_flag, 0)=0 group by 1, 2"));
        for (; !rows.Eof(); rows.Next())
            found << rows.Name(0) + QLatin1Char('|') + rows.Name(1) + QLatin1Char('|') + rows.Text(2);
    }
    {
        TCatalogQuery rows(query, &source.Database(),
            QStringLiteral("select f.rdb$relation_name, f.rdb$field_name, coalesce(f.rdb$null_flag, 0), "
                           "coalesce(f.rdb$collation_id, -1) from rdb$relation_fields f "
                           "join rdb$relations r on r.rdb$relation_name=f.rdb$relation_name "
                           "where coalesce(r.rdb$system_flag, 0)=0"));
        for (; !rows.Eof(); rows.Next())
            found << rows.Name(0) + QLatin1Char('.') + rows.Name(1) + QStringLiteral("|null flag ") + rows.Text(2)
                    + QStringLiteral("|collation ") + rows.Text(3);
    }
    scope.Commit();
    std::sort(found.begin(), found.end());
    return found;
}

// Whether the statements ran in the database, each committed.
bool Succeeds(const qvtest::Target& target, const QString& path, const QStringList& statements)
{
    try {
        qvtest::execute(target, path, statements);
        return true;
    } catch (const EQvError&) {
        return false;
    }
}

struct Case
{
    qvtest::Target target;
    const Schema* schema;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.target.name.toStdString() << ' ' << c.schema->name;
}

class ExtractCopyExact : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam().target);
        if (!qvtest::IsqlAvailable())
            GTEST_SKIP() << "isql-fb is not installed";
    }

    // Makes the schema's database at `path` through isql-fb; what failed.
    QString MakeOriginal(const QString& path)
    {
        const qvtest::Target& target = GetParam().target;
        const QString characterSet = QLatin1String(GetParam().schema->characterSet);
        return RunIsqlText(
            QStringLiteral("schema.sql"),
            QStringLiteral("SET SQL DIALECT 3;\nCREATE DATABASE %1 USER %2 PASSWORD %3 DEFAULT CHARACTER SET %4;\n")
                    .arg(QvSql::SingleQuoted(path), QvSql::SingleQuoted(target.user),
                         QvSql::SingleQuoted(target.password), characterSet)
                + SchemaScript(*GetParam().schema),
            characterSet);
    }

    // Runs the text as a script file through isql-fb; what failed.
    QString RunIsqlText(const QString& name, const QString& text, const QString& characterSet)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        const QByteArray bytes = QvTextCodec(characterSet).encodeStrict(text, QStringLiteral("The schema"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return QStringLiteral("cannot write ") + path;
        file.close();
        return qvtest::RunIsql(GetParam().target, path, characterSet);
    }

    qvtest::TempDir dir;
};

TEST_P(ExtractCopyExact, KeepsCollationsNotNullsAndEveryPrivilege)
{
    const qvtest::Target& target = GetParam().target;
    const QString characterSet = QLatin1String(GetParam().schema->characterSet);
    const QString original = target.databasePath(dir, QStringLiteral("original.fdb"));
    const QString made = MakeOriginal(original);
    ASSERT_TRUE(made.isEmpty()) << "making the original:\n" << made.toStdString();

    const QString byIsql = target.databasePath(dir, QStringLiteral("by isql.fdb"));
    const QString byExecutor = target.databasePath(dir, QStringLiteral("by executor.fdb"));
    const QString scriptPath = dir.filePath(QStringLiteral("extracted.sql"));
    TExtractResult extracted;
    ASSERT_TRUE(qvtest::ExtractSource(target, original, characterSet)
                    .ExtractEverythingToFile(byIsql, scriptPath, extracted));
    EXPECT_TRUE(extracted.reports.isEmpty()) << extracted.reports.join(QLatin1Char('\n')).toStdString();
    QFile scriptFile(scriptPath);
    ASSERT_TRUE(scriptFile.open(QIODevice::ReadOnly));
    const QByteArray script = scriptFile.readAll();
    scriptFile.close();

    qvtest::ReplayByIsqlAndExecutor(target, scriptPath, characterSet, 3, byIsql, byExecutor);
    EXPECT_EQ(qvtest::AllRows(target, original).value(QStringLiteral("T_CODES")).size(), 3);
    qvtest::ExpectSameCopies(target, original, byIsql, byExecutor);
    const QStringList constraints = Constraints(target, original);
    EXPECT_EQ(constraints, Constraints(target, byIsql)) << "replayed by isql-fb";
    EXPECT_EQ(constraints, Constraints(target, byExecutor)) << "replayed by the executor";

    // The domain may give up its NOT NULL only where no key column depends
    // on it: in the copies exactly as in the original.
    const QStringList dropNotNull{QStringLiteral("ALTER DOMAIN DKEY DROP NOT NULL")};
    const bool dropped = Succeeds(target, original, dropNotNull);
    EXPECT_EQ(Succeeds(target, byIsql, dropNotNull), dropped) << "replayed by isql-fb";
    EXPECT_EQ(Succeeds(target, byExecutor, dropNotNull), dropped) << "replayed by the executor";
    if (HasFailure())
        ADD_FAILURE() << "--- the extracted script:\n"
                      << QvTextCodec(characterSet).decode(script.constData(), script.size()).toStdString();
}

// A role's privileges to create, alter and drop come with the role; the
// users' are the database's own and come only with a script that makes it.
TEST_P(ExtractCopyExact, DdlPrivilegesComeWithTheirRoleOrTheDatabase)
{
    const qvtest::Target& target = GetParam().target;
    const QString characterSet = QLatin1String(GetParam().schema->characterSet);
    const QString original = target.databasePath(dir, QStringLiteral("original.fdb"));
    const QString made = MakeOriginal(original);
    ASSERT_TRUE(made.isEmpty()) << "making the original:\n" << made.toStdString();
    qvtest::ExtractSource from(target, original, characterSet);
    const QList<TExtractItem> role{{QStringLiteral("CUSTOM_ALL"), ekRole}};
    const QStringList roleOnly = from.Extract(efMetadataOnly, original, role).lines;
    EXPECT_TRUE(roleOnly.contains(QStringLiteral("GRANT ALTER ANY TABLE TO ROLE CUSTOM_ALL WITH GRANT OPTION;")))
        << ScriptText(roleOnly).toStdString();
    EXPECT_TRUE(roleOnly.contains(QStringLiteral("GRANT DROP DATABASE TO ROLE CUSTOM_ALL;")))
        << ScriptText(roleOnly).toStdString();
    EXPECT_FALSE(ScriptText(roleOnly).contains(QStringLiteral("CUSTOM_READ"))) << ScriptText(roleOnly).toStdString();
    EXPECT_FALSE(ScriptText(roleOnly).contains(QStringLiteral("TO USER"))) << ScriptText(roleOnly).toStdString();
    const QStringList withDatabase = from.Extract(efMetadataOnly | efCreateDatabase, original, role).lines;
    EXPECT_TRUE(withDatabase.contains(QStringLiteral("GRANT CREATE TABLE TO USER CLERK;")))
        << ScriptText(withDatabase).toStdString();
    EXPECT_TRUE(withDatabase.contains(QStringLiteral("GRANT DROP ANY PROCEDURE TO USER \"Clerk 2\";")))
        << ScriptText(withDatabase).toStdString();
    EXPECT_TRUE(withDatabase.contains(QStringLiteral("GRANT CREATE SEQUENCE TO PUBLIC;")))
        << ScriptText(withDatabase).toStdString();
}

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const qvtest::Target& target : qvtest::allTargets())
        for (const Schema& schema : schemas)
            all.push_back({target, &schema});
    return all;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    return qvtest::targetName(::testing::TestParamInfo<qvtest::Target>(info.param.target, info.index)) + "_"
        + info.param.schema->name;
}

INSTANTIATE_TEST_SUITE_P(Schemas, ExtractCopyExact, ::testing::ValuesIn(cases()), caseName);

} // namespace
