// Values longer than a statement can hold, under domain checks and a
// trigger that refuses updates, extracted and replayed by isql-fb and by
// the executor in both dialects: no statement fails and every row comes
// back byte for byte.

#include "ExtractTest_support.h"

#include "access/QvQuery.h"
#include "access/QvSqlText.h"
#include "access/QvTextCodec.h"
#include "access/QvTransactionScope.h"
#include "app/sqltools/ExtractRun.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

struct Case
{
    qvtest::Target target;
    int dialect;
};

class ExtractLongValues : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam().target);
        if (!qvtest::IsqlAvailable())
            GTEST_SKIP() << "isql-fb is not installed";
    }

    const qvtest::Target& target() const { return GetParam().target; }
    int dialect() const { return GetParam().dialect; }
    // Dialect 3 in UTF8, dialect 1 without a character set.
    QString characterSet() const { return dialect() == 3 ? QStringLiteral("UTF8") : QStringLiteral("NONE"); }

    // A text literal of the database's dialect.
    QString text(const QString& value) const { return QvSql::Literal(value, dialect()); }

    // `pieces` times the pattern of `unit` characters, as a text blob.
    QString longText(const QString& pattern, int unit, int pieces) const
    {
        QString expression = QStringLiteral("cast(rpad(%1, %2, %3) as blob sub_type 1)")
                                 .arg(text(QString()))
                                 .arg(unit)
                                 .arg(pattern);
        for (int i = 1; i < pieces; ++i)
            expression += QStringLiteral(" || rpad(%1, %2, %3)").arg(text(QString())).arg(unit).arg(pattern);
        return expression;
    }

    QString original()
    {
        const QString crlf = QStringLiteral("ascii_char(13) || ascii_char(10)");
        const QString lines = text(QStringLiteral("x")) + QStringLiteral(" || ") + crlf;
        // é'q CR LF € ab: two- and three-byte characters, a quote and a line end.
        const QString wide = dialect() == 3 ? QStringLiteral("_UTF8 x'C3A927710D0AE282AC206162'")
                                            : text(QStringLiteral("a\"q")) + QStringLiteral(" || ") + crlf;
        const QStringList statements{
            QStringLiteral("create domain NOT_EMPTY as varchar(4000) check (value <> %1)").arg(text(QString())),
            QStringLiteral("create domain LONG_TEXT as blob sub_type 1 check (char_length(value) > 100000)"),
            QStringLiteral("create domain LONG_BYTES as blob sub_type 0 check (octet_length(value) > 100000)"),
            QStringLiteral("create exception NO_UPDATE %1").arg(text(QStringLiteral("rows are not updated"))),
            QStringLiteral("create table T (ID integer not null primary key, C NOT_EMPTY, W NOT_EMPTY, "
                           "BIG LONG_TEXT, BYTES LONG_BYTES, FIXED char(3000))"),
            QStringLiteral("create trigger T_NO_UPDATE for T before update as begin exception NO_UPDATE; end"),
            // 1,300 lines of x: 3,900 characters, 2,600 of them CR or LF.
            QStringLiteral("insert into T (ID, C, W, FIXED) values (1, rpad(%1, 3900, %2), rpad(%1, 3900, %3), "
                           "rpad(%1, 2990, %2))")
                .arg(text(QString()), lines, wide),
            QStringLiteral("insert into T (ID, C, BIG, BYTES) values (2, %1, %2, %3)")
                .arg(text(QStringLiteral("a'b\"c")), longText(wide, 9000, 20),
                     QStringLiteral("cast(rpad(x'', 30000, x'00FF0D0A2722') as blob sub_type 0) || "
                                    "rpad(x'', 30000, x'41') || rpad(x'', 30000, x'0D') || rpad(x'', 30000, x'80')")),
            QStringLiteral("insert into T (ID, C, BIG) values (3, %1, %2)")
                .arg(text(QStringLiteral("short")), longText(text(QStringLiteral("plain text, no line ends. ")),
                                                             30000, 4))};
        return dialect() == 3
            ? qvtest::createDialect3Database(target(), dir, QStringLiteral("original.fdb"), statements, characterSet())
            : qvtest::createDatabase(target(), dir, QStringLiteral("original.fdb"), statements);
    }

    // The script of `flags` for the database at `copy`, as a file in the
    // connection's character set, which isql-fb reads it in.
    QString scriptFile(const QString& path, int flags, const QString& copy, const QString& file)
    {
        qvtest::ExtractSource source(target(), path, characterSet());
        const TExtractResult result = source.Extract(flags | efUserPassword | efKeys | efIndices, copy);
        EXPECT_TRUE(result.reports.isEmpty()) << result.reports.join(QLatin1Char('\n')).toStdString();
        const QString fileName = dir.filePath(file);
        QFile output(fileName);
        const QByteArray bytes = QvTextCodec(characterSet()).encode(ScriptText(result.lines));
        EXPECT_TRUE(output.open(QIODevice::WriteOnly) && output.write(bytes) == bytes.size());
        return fileName;
    }

    // Runs the scripts in order by isql-fb into `byIsql` and by the
    // executor into `byExecutor`; each must run without a failed statement.
    void replay(const QString& path, const QList<int>& flags, const QString& byIsql, const QString& byExecutor)
    {
        for (qsizetype i = 0; i < flags.size(); ++i) {
            const QString name = QStringLiteral("script%1").arg(i);
            const QString forIsql = scriptFile(path, flags.at(i), byIsql, name + QStringLiteral("_isql.sql"));
            const QString isqlFailures = qvtest::RunIsql(target(), forIsql, characterSet());
            EXPECT_TRUE(isqlFailures.isEmpty()) << "isql-fb -i:\n" << isqlFailures.left(3000).toStdString();
            const QString forExecutor =
                scriptFile(path, flags.at(i), byExecutor, name + QStringLiteral("_executor.sql"));
            const QStringList executorFailures = qvtest::RunScriptFile(forExecutor, target());
            EXPECT_TRUE(executorFailures.isEmpty())
                << "executor:\n" << executorFailures.join(QLatin1Char('\n')).left(3000).toStdString();
        }
    }

    void expectSameRows(const QString& path, const QString& byIsql, const QString& byExecutor)
    {
        const auto rows = qvtest::AllRows(target(), path);
        ASSERT_EQ(rows.value(QStringLiteral("T")).size(), 3);
        qvtest::ExpectSameRows(rows, qvtest::AllRows(target(), byIsql), "replayed by isql-fb");
        qvtest::ExpectSameRows(rows, qvtest::AllRows(target(), byExecutor), "replayed by the executor");
        // The pieces' table is the script's own: gone from the copies.
        qvtest::ExpectSameExtract(qvtest::IsqlExtract(target(), path), qvtest::IsqlExtract(target(), byIsql),
                                  "isql-fb -x of the copy by isql-fb");
        qvtest::ExpectSameExtract(qvtest::IsqlExtract(target(), path), qvtest::IsqlExtract(target(), byExecutor),
                                  "isql-fb -x of the copy by the executor");
    }

    qvtest::TempDir dir;
};

TEST_P(ExtractLongValues, AreWholeWhenAChecksAndTriggersSeeThem)
{
    const QString path = original();
    const QString byIsql = target().databasePath(dir, QStringLiteral("by isql.fdb"));
    const QString byExecutor = target().databasePath(dir, QStringLiteral("by executor.fdb"));
    replay(path, {efMetadataAndData | efCreateDatabase}, byIsql, byExecutor);
    expectSameRows(path, byIsql, byExecutor);
}

TEST_P(ExtractLongValues, DataOnlyScriptFiresNoUpdateTrigger)
{
    const QString path = original();
    const QString byIsql = target().databasePath(dir, QStringLiteral("by isql.fdb"));
    const QString byExecutor = target().databasePath(dir, QStringLiteral("by executor.fdb"));
    // The copy's trigger is active while the rows arrive.
    replay(path, {efMetadataOnly | efCreateDatabase, efDataOnly}, byIsql, byExecutor);
    expectSameRows(path, byIsql, byExecutor);
}

TEST_P(ExtractLongValues, ValueThatFitsIsWrittenWholeInItsInsert)
{
    const QString path = original();
    qvtest::ExtractSource source(target(), path, characterSet());
    const QStringList lines = source.Extract(efDataOnly, QStringLiteral("/p/db.fdb")).lines;
    qsizetype rows = 0;
    for (const QString& line : lines) {
        EXPECT_FALSE(line.startsWith(QLatin1String("UPDATE "))) << line.left(200).toStdString();
        if (!line.startsWith(QLatin1String("INSERT INTO T(")))
            continue;
        ++rows;
        // The checked 3,900 characters stand in the row's INSERT.
        if (line.contains(QLatin1String("VALUES(1,"))) {
            EXPECT_FALSE(line.contains(QLatin1String("SELECT LIST"))) << line.left(200).toStdString();
        }
    }
    EXPECT_EQ(rows, 3);
}

TEST_P(ExtractLongValues, TextOfLinesTakesAboutItsOwnSize)
{
    const QString path = original();
    qvtest::ExtractSource source(target(), path, characterSet());
    const QStringList lines = source.Extract(efDataOnly, QStringLiteral("/p/db.fdb")).lines;
    qsizetype pieces = 0;
    for (const QString& line : lines)
        if (line.startsWith(QLatin1String("INSERT INTO QV$LONG_VALUE_PIECES(V,N,P)")))
            pieces += line.size();
    // The long texts, one of lines ending in CR LF and one of plain text:
    // their pieces take about their bytes, where their bytes in hex would
    // take twice as many.
    qsizetype bytes = 0;
    {
        TQvTransactionScope scope(source.Transaction());
        TQvQuery query;
        query.SetDatabase(&source.Database());
        query.SetTransaction(&source.Transaction());
        query.SetSQLText(QStringLiteral("select sum(octet_length(BIG)) from T"));
        query.ExecQuery();
        bytes = qsizetype(query.Fields(0).AsInt64());
        query.Close();
        scope.Commit();
    }
    EXPECT_GT(bytes, 200000);
    EXPECT_LT(pieces, bytes * 5 / 4);
}

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const qvtest::Target& target : qvtest::allTargets())
        for (const int dialect : {1, 3})
            all.push_back({target, dialect});
    return all;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    return qvtest::targetName(::testing::TestParamInfo<qvtest::Target>(info.param.target, info.index)) + "_dialect"
        + std::to_string(info.param.dialect);
}

INSTANTIATE_TEST_SUITE_P(Databases, ExtractLongValues, ::testing::ValuesIn(cases()), caseName);

} // namespace
