// Scripts that isql-fb runs, run by the executor from the same file as the
// script runner reads it: each must build what isql-fb builds, its
// definitions as isql-fb -x prints them and every row byte for byte.

#include "ExtractTest_support.h"

#include "access/QvSqlText.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

struct Script
{
    const char* name;
    // What follows the CREATE DATABASE.
    const char* body;
};

// Firebird 3's alternative quoting: terminators, parameter marks, quotes
// and line breaks inside the literals are theirs, in plain statements and
// in a PSQL body.
const char* const qLiterals = R"(CREATE TABLE T (ID INTEGER, V VARCHAR(100));
insert into T(ID, V) values (1, q'{it's;}');
insert into T values (2, Q'#a:b '' c#');
insert into T values (3, q'[x;
y]'); insert into T values (4, q'<a<b>>');
insert into T values (5, q'(;)'); insert into T values (6, 'plain;' || q'!x!');
SET TERM ^ ;
CREATE PROCEDURE P RETURNS (R VARCHAR(100)) AS
BEGIN
  R = q'[x;y]'; SUSPEND;
  R = q'{a'^'}'; SUSPEND;
  R = Q'|:name ^ ;|'; SUSPEND;
  R = q'{two
lines;}'; SUSPEND;
END^
SET TERM ; ^
CREATE VIEW W (C) AS SELECT q'{view's;}' FROM RDB$DATABASE;
COMMIT;
insert into T select 10, R from P;
insert into T select 20, C from W;
)";

// A "--" comment holding a lone carriage return: between statements isql-fb
// drops it up to the line feed; inside a statement the server reads it.
const char* const loneCarriageReturns = "CREATE TABLE T (A INTEGER);\n"
                                        "insert into T values (1); -- note\r/*\n"
                                        "insert into T values (2);\n"
                                        "insert into T values (3); -- note\r, 4\n"
                                        "insert into T values (5);\n"
                                        "SET TERM ^ ;\n"
                                        "CREATE PROCEDURE P RETURNS (R INTEGER) AS\n"
                                        "BEGIN\n"
                                        "  R = 6; -- six\r R = 7;\n"
                                        "  SUSPEND;\n"
                                        "END^\n"
                                        "SET TERM ; ^\n"
                                        "COMMIT;\n"
                                        "insert into T select R from P;\n"
                                        "-- the end\r, 8\n";

const Script scripts[] = {
    {"QLiterals", qLiterals},
    {"LoneCarriageReturns", loneCarriageReturns},
};

struct Case
{
    qvtest::Target target;
    const Script* script;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.target.name.toStdString() << ' ' << c.script->name;
}

class ScriptLikeIsql : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam().target);
        if (!qvtest::IsqlAvailable())
            GTEST_SKIP() << "isql-fb is not installed";
    }

    qvtest::TempDir dir;
};

TEST_P(ScriptLikeIsql, BuildsWhatIsqlBuilds)
{
    const qvtest::Target& target = GetParam().target;
    const QString byIsql = target.databasePath(dir, QStringLiteral("by isql.fdb"));
    const QString byExecutor = target.databasePath(dir, QStringLiteral("by executor.fdb"));
    const QString create = QStringLiteral("SET SQL DIALECT 3;\nCREATE DATABASE %1 USER %2 PASSWORD %3 "
                                          "DEFAULT CHARACTER SET UTF8;\n");
    const QString body = QString::fromUtf8(GetParam().script->body);
    const auto script = [&](const QString& path) {
        return create.arg(QvSql::SingleQuoted(path), QvSql::SingleQuoted(target.user),
                          QvSql::SingleQuoted(target.password))
            + body;
    };
    const QString scriptPath = dir.filePath(QStringLiteral("script.sql"));
    QFile file(scriptPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(script(byIsql).toUtf8()) > 0);
    file.close();

    const QString isqlFailures = qvtest::RunIsql(target, scriptPath, QStringLiteral("UTF8"));
    ASSERT_TRUE(isqlFailures.isEmpty()) << "isql-fb -i:\n" << isqlFailures.toStdString();
    const QStringList executorFailures = qvtest::RunScriptText(script(byExecutor), target);
    EXPECT_TRUE(executorFailures.isEmpty()) << "executor:\n" << executorFailures.join(QLatin1Char('\n')).toStdString();

    qvtest::ExpectSameExtract(qvtest::IsqlExtract(target, byIsql), qvtest::IsqlExtract(target, byExecutor),
                              "isql-fb -x");
    const auto rows = qvtest::AllRows(target, byIsql);
    ASSERT_TRUE(rows.contains(QStringLiteral("T")));
    EXPECT_GE(rows.value(QStringLiteral("T")).size(), 5);
    qvtest::ExpectSameRows(rows, qvtest::AllRows(target, byExecutor), "the executor's rows");
}

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const qvtest::Target& target : qvtest::allTargets())
        for (const Script& script : scripts)
            all.push_back({target, &script});
    return all;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    return qvtest::targetName(::testing::TestParamInfo<qvtest::Target>(info.param.target, info.index)) + "_"
        + info.param.script->name;
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptLikeIsql, ::testing::ValuesIn(cases()), caseName);

} // namespace
