// Firebird's own employee sample script, saved with CR LF line ends, run
// through the script executor and through isql-fb: both must build the same
// database, object for object, row for row, source text for source text, byte
// for byte, and isql-fb -x must extract the same script from both.

#include "AccessTest_support.h"
#include "access/QvBlob.h"
#include "access/QvScript.h"
#include "support/DatabaseSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using qvaccess::connectParams;

// Where Debian's firebird3.0-examples puts the script.
const QStringList employeeScriptPaths{
    QStringLiteral("/usr/share/doc/firebird3.0-common-doc/examples/employee.sql.gz"),
    QStringLiteral("/usr/share/doc/firebird3.0-common/examples/empbuild/employee.sql.gz"),
    QStringLiteral("/usr/share/doc/firebird3.0-common/examples/empbuild/employee.sql"),
};
const QString isqlPath = QStringLiteral("/usr/bin/isql-fb");

QString employeeScriptPath()
{
    for (const QString& path : employeeScriptPaths)
        if (QFile::exists(path))
            return path;
    return {};
}

QByteArray readScript(const QString& path)
{
    if (!path.endsWith(QLatin1String(".gz"))) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QProcess gunzip;
    gunzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
    gunzip.waitForFinished(30000);
    return gunzip.readAllStandardOutput();
}

// The script with its CREATE DATABASE pointed at `database` and CR LF line
// ends, as a file saved on Windows has them; nothing else changes.
QString scriptFor(const QByteArray& script, const QString& database)
{
    QString text = QString::fromLatin1(script);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    static const QRegularExpression create(QStringLiteral("create database '[^']*'"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString quoted = database;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    text.replace(create, QStringLiteral("create database '%1'").arg(quoted));
    return text;
}

class EmployeeScript : public ::testing::TestWithParam<qvtest::Target>
{
protected:
    void SetUp() override
    {
        QV_SKIP_UNLESS_REACHABLE(GetParam());
        if (employeeScriptPath().isEmpty())
            GTEST_SKIP() << "Firebird's employee sample (employee.sql.gz, Debian package firebird3.0-examples) "
                            "is not installed; the comparison with isql-fb is skipped";
        if (!QFile::exists(isqlPath))
            GTEST_SKIP() << "isql-fb is not installed; the comparison with it is skipped";
        m_script = readScript(employeeScriptPath());
        ASSERT_FALSE(m_script.isEmpty());
        // Both sides name the user as the sample expects: from the environment.
        qputenv("ISC_USER", GetParam().user.toUtf8());
        qputenv("ISC_PASSWORD", GetParam().password.toUtf8());
    }

    void TearDown() override
    {
        qunsetenv("ISC_USER");
        qunsetenv("ISC_PASSWORD");
    }

    // Runs isql-fb over the script; its output (nothing on success).
    QString runIsql(const QString& database)
    {
        const QString file = dir.filePath(QStringLiteral("isql.sql"));
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(scriptFor(m_script, database).toLatin1());
        out.close();
        QProcess isql;
        isql.setProcessChannelMode(QProcess::MergedChannels);
        isql.start(isqlPath, {QStringLiteral("-q"), QStringLiteral("-i"), file});
        EXPECT_TRUE(isql.waitForFinished(300000));
        return QString::fromLocal8Bit(isql.readAll()).trimmed();
    }

    // Runs the script executor over the script, split into lines as a file
    // is; its failures.
    QStringList runOurs(const QString& databasePath)
    {
        return qvtest::RunScript(ScriptLines(scriptFor(m_script, databasePath)));
    }

    // The script isql-fb -x extracts from a database, its name left out.
    QString extract(const QString& database)
    {
        QProcess isql;
        isql.start(isqlPath, {QStringLiteral("-x"), database});
        EXPECT_TRUE(isql.waitForFinished(120000));
        EXPECT_EQ(isql.exitCode(), 0) << isql.readAllStandardError().constData();
        QString text = QString::fromLatin1(isql.readAllStandardOutput());
        text.replace(database, QStringLiteral("<database>"));
        return text;
    }

    qvtest::TempDir dir;
    QByteArray m_script;
};

// Everything a query returns, as text: blobs as their raw bytes, so sources
// compare byte for byte.
class Dump
{
public:
    Dump(const qvtest::Target& target, const QString& path)
    {
        m_database.SetDBName(path);
        m_database.SetDBParams(::connectParams(target));
        m_database.Open();
        m_transaction.SetDefaultDatabase(&m_database);
        m_transaction.StartTransaction();
    }

    int Dialect() const { return m_database.SQLDialect(); }

    QStringList Rows(const QString& sql)
    {
        TQvQuery query;
        query.SetDatabase(&m_database);
        query.SetTransaction(&m_transaction);
        query.SetSQLText(sql);
        query.ExecQuery();
        QStringList rows;
        for (; !query.Eof(); query.Next()) {
            QStringList fields;
            for (int i = 0; i < query.Current().Count(); ++i) {
                const TQvXSQLVAR& field = query.Fields(i);
                if (field.IsNull())
                    fields << QStringLiteral("<null>");
                else if (field.SQLType() == SQL_BLOB)
                    fields << QString::fromLatin1(BlobBytes(field.AsQuad()));
                else
                    fields << field.AsString();
            }
            rows << fields.join(QLatin1Char('|'));
        }
        return rows;
    }

    // Every row of a table, in a fixed order.
    QStringList Table(const QString& table)
    {
        QStringList rows = Rows(QStringLiteral("select * from ") + table);
        rows.sort();
        return rows;
    }

private:
    QByteArray BlobBytes(const ISC_QUAD& id)
    {
        TQvBlobStream blob;
        blob.SetDatabase(&m_database);
        blob.SetTransaction(&m_transaction);
        blob.SetBlobID(id);
        blob.SetMode(bmRead);
        QByteArray bytes(blob.Size(), Qt::Uninitialized);
        blob.ReadBuffer(bytes.data(), bytes.size());
        return bytes;
    }

    TQvDatabase m_database;
    TQvTransaction m_transaction;
};

TEST_P(EmployeeScript, BuildsTheSameDatabaseAsIsql)
{
    const QString oursPath = GetParam().databasePath(dir, QStringLiteral("ours.fdb"));
    const QString isqlDatabasePath = GetParam().databasePath(dir, QStringLiteral("isql.fdb"));
    const QStringList failures = runOurs(oursPath);
    EXPECT_TRUE(failures.isEmpty()) << qPrintable(failures.join(QLatin1Char('\n')));
    const QString isqlOutput = runIsql(isqlDatabasePath);
    ASSERT_TRUE(isqlOutput.isEmpty()) << qPrintable(isqlOutput);

    // Extracted while no connection of ours holds the databases.
    const QString extracted = extract(isqlDatabasePath);
    EXPECT_TRUE(extracted.contains(QStringLiteral("ALTER PROCEDURE"))) << qPrintable(extracted.left(2000));
    EXPECT_EQ(extract(oursPath).toStdString(), extracted.toStdString());

    Dump ours(GetParam(), oursPath);
    Dump reference(GetParam(), isqlDatabasePath);
    EXPECT_EQ(ours.Dialect(), 3);
    EXPECT_EQ(reference.Dialect(), 3);

    // The same objects.
    const QStringList catalog{
        QStringLiteral("select rdb$relation_name, rdb$relation_type from rdb$relations where rdb$system_flag = 0 "
                       "order by 1"),
        QStringLiteral("select rdb$procedure_name, rdb$procedure_source from rdb$procedures order by 1"),
        QStringLiteral("select rdb$parameter_name, rdb$procedure_name, rdb$parameter_type, rdb$parameter_number "
                       "from rdb$procedure_parameters order by 2, 3, 4"),
        QStringLiteral("select rdb$trigger_name, rdb$relation_name, rdb$trigger_type, rdb$trigger_source "
                       "from rdb$triggers where rdb$system_flag = 0 order by 1"),
        QStringLiteral("select rdb$relation_name, rdb$view_source from rdb$relations where rdb$view_blr is not null "
                       "order by 1"),
        QStringLiteral("select rdb$field_name, rdb$field_type, rdb$field_sub_type, rdb$field_length, "
                       "rdb$field_scale, rdb$field_precision, rdb$character_set_id, rdb$dimensions, "
                       "rdb$validation_source, rdb$default_source, rdb$null_flag from rdb$fields "
                       "where rdb$system_flag = 0 and rdb$field_name not starting with 'RDB$' order by 1"),
        QStringLiteral("select r.rdb$relation_name, r.rdb$field_name, r.rdb$field_position, r.rdb$null_flag, "
                       "r.rdb$default_source, f.rdb$field_type, f.rdb$field_sub_type, f.rdb$field_length, "
                       "f.rdb$field_scale, f.rdb$computed_source, f.rdb$dimensions from rdb$relation_fields r "
                       "join rdb$fields f on f.rdb$field_name = r.rdb$field_source "
                       "where r.rdb$system_flag = 0 order by 1, 3"),
        QStringLiteral("select rdb$constraint_name, rdb$constraint_type, rdb$relation_name from "
                       "rdb$relation_constraints where rdb$constraint_name not starting with 'INTEG_' order by 1"),
        QStringLiteral("select rdb$relation_name, rdb$constraint_type, count(*) from rdb$relation_constraints "
                       "group by 1, 2 order by 1, 2"),
        QStringLiteral("select rdb$index_name, rdb$relation_name, rdb$unique_flag, rdb$index_type from rdb$indices "
                       "where rdb$system_flag = 0 and rdb$index_name not starting with 'RDB$' order by 1"),
        QStringLiteral("select rdb$generator_name from rdb$generators where rdb$system_flag = 0 order by 1"),
        QStringLiteral("select rdb$exception_name, rdb$message from rdb$exceptions order by 1"),
        QStringLiteral("select gen_id(emp_no_gen, 0), gen_id(cust_no_gen, 0) from rdb$database"),
    };
    for (const QString& sql : catalog)
        EXPECT_EQ(ours.Rows(sql), reference.Rows(sql)) << qPrintable(sql);

    // The same rows, every value, in every table.
    const QStringList tables = reference.Rows(QStringLiteral(
        "select trim(rdb$relation_name) from rdb$relations where rdb$system_flag = 0 and rdb$view_blr is null "
        "order by 1"));
    ASSERT_GE(tables.size(), 10);
    int rows = 0;
    for (const QString& table : tables) {
        const QStringList expected = reference.Table(table);
        EXPECT_EQ(ours.Table(table), expected) << qPrintable(table);
        rows += int(expected.size());
    }
    EXPECT_GT(rows, 100);
    // Salaries to the cent, and the multi-line texts with their line breaks.
    const QString salaries = QStringLiteral("select emp_no, salary from employee order by emp_no");
    EXPECT_EQ(ours.Rows(salaries), reference.Rows(salaries));
    // (Some of them have cents, after the raises the script gives.)
    EXPECT_NE(reference.Rows(QStringLiteral("select count(*) from employee where salary <> cast(salary as bigint)")),
              QStringList{QStringLiteral("0")});
    EXPECT_EQ(ours.Rows(QStringLiteral("select proj_desc from project where proj_id = 'DGPII'")),
              QStringList{QStringLiteral("Develop second generation digital pizza maker\nwith flash-bake heating "
                                         "element and\ndigital ingredient measuring system.")});
    // No carriage return in any source: the file's line ends are line feeds
    // on the server.
    EXPECT_EQ(ours.Rows(QStringLiteral("select count(*) from rdb$procedures where rdb$procedure_source "
                                       "containing ascii_char(13)")),
              QStringList{QStringLiteral("0")});
}

INSTANTIATE_TEST_SUITE_P(Targets, EmployeeScript, ::testing::ValuesIn(qvtest::allTargets()), qvtest::targetName);

} // namespace
