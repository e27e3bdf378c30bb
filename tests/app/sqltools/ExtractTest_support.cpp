#include "ExtractTest_support.h"

#include "access/QvBlob.h"
#include "access/QvQuery.h"
#include "access/QvScript.h"
#include "access/QvScriptCodec.h"
#include "access/QvSqlText.h"
#include "access/QvTransactionScope.h"
#include "app/shell/CatalogQuery.h"
#include "app/sqltools/ExtractWriters.h"
#include "app/sqltools/ScriptFile.h"


#include <algorithm>
#include <iterator>
#include <utility>

namespace qvtest {

ExtractSource::ExtractSource(const Target& target, const QString& path, const QString& characterSet)
    : m_target(target)
    , m_characterSet(characterSet)
{
    m_database.SetDBName(path);
    QStringList params = connectParams(target);
    if (!characterSet.isEmpty())
        params << QStringLiteral("isc_dpb_lc_ctype=") + characterSet;
    m_database.SetDBParams(params);
    m_database.Open();
    m_transaction.AddDatabase(&m_database);
    m_transaction.SetDefaultDatabase(&m_database);
}

ExtractSource::~ExtractSource()
{
    try {
        if (m_database.Connected())
            m_database.Close();
    } catch (...) {
    }
}

QList<TExtractItem> ExtractSource::AllObjects()
{
    return ListExtractObjects(m_database, m_transaction);
}

TExtractResult ExtractSource::Extract(int flags, const QString& headerPath, const QList<TExtractItem>& items)
{
    const TExtractHeader header{QStringLiteral("NAME"), headerPath, m_target.user, m_target.password, m_characterSet};
    return ExtractScript(m_database, m_transaction, header, items.isEmpty() ? AllObjects() : items, flags);
}

bool ExtractSource::ExtractEverythingToFile(const QString& headerPath, const QString& scriptPath,
                                            TExtractResult& result)
{
    const TExtractHeader header{QStringLiteral("NAME"), headerPath, m_target.user, m_target.password, m_characterSet};
    return ExtractScriptToFile(m_database, m_transaction, header, AllObjects(),
                               efMetadataAndData | efCreateDatabase | efUserPassword | efKeys | efIndices, scriptPath,
                               result);
}

QStringList RunScriptText(const QString& text, const Target& target)
{
    Q_UNUSED(target);
    // As the script runner reads the file the text is saved as.
    return RunScript(ScriptTextLines(DecodeScriptText(QvScriptCodec::Encode(text))));
}

QStringList RunScriptFile(const QString& fileName, const Target& target)
{
    Q_UNUSED(target);
    return RunScript(ReadScriptFile(fileName));
}

QStringList ScriptBody(const QStringList& lines)
{
    QStringList body;
    for (const QString& line : lines)
        if (!line.startsWith(QLatin1String("CREATE DATABASE ")) && !line.startsWith(QLatin1String("CONNECT ")))
            body << line;
    return body;
}

QStringList ExpectExactRoundTrip(const Target& target, const QString& path, const QString& copyPath,
                                 const QString& characterSet, int what)
{
    const int flags = what | efCreateDatabase | efUserPassword | efKeys | efIndices;
    TExtractResult first;
    {
        ExtractSource source(target, path, characterSet);
        first = source.Extract(flags, copyPath);
    }
    const QStringList failures = RunScriptText(ScriptText(first.lines), target);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString() << "\n--- script:\n"
                                    << ScriptText(first.lines).toStdString();
    TExtractResult second;
    {
        ExtractSource copy(target, copyPath, characterSet);
        second = copy.Extract(flags, copyPath);
    }
    const QStringList body = ScriptBody(first.lines);
    const QStringList copied = ScriptBody(second.lines);
    EXPECT_EQ(body.size(), copied.size());
    for (qsizetype i = 0; i < std::min(body.size(), copied.size()); ++i)
        if (body.at(i) != copied.at(i)) {
            ADD_FAILURE() << "scripts differ at line " << i << ":\n" << body.at(i).toStdString() << "\n"
                          << copied.at(i).toStdString();
            break;
        }
    if (IsqlAvailable()) {
        const QStringList original = IsqlExtract(target, path).split(QLatin1Char('\n'));
        const QStringList copied = IsqlExtract(target, copyPath).split(QLatin1Char('\n'));
        EXPECT_GT(original.size(), 1);
        EXPECT_EQ(original.size(), copied.size())
            << "beyond the shorter: "
            << (original.size() > copied.size() ? original : copied)
                   .mid(std::min(original.size(), copied.size()))
                   .join(QLatin1Char('\n'))
                   .toStdString();
        for (qsizetype i = 0; i < std::min(original.size(), copied.size()); ++i)
            if (original.at(i) != copied.at(i)) {
                ADD_FAILURE() << "isql-fb -x differs at line " << i << ":\n" << original.at(i).toStdString() << "\n"
                              << copied.at(i).toStdString();
                break;
            }
    }
    return first.lines;
}

namespace {

// The rows of a select, each as the bytes the server sent (blobs read
// whole), sorted.
QList<QByteArray> RowBytes(ExtractSource& source, const QString& select)
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

} // namespace

QMap<QString, QList<QByteArray>> AllRows(const Target& target, const QString& path)
{
    ExtractSource source(target, path, QStringLiteral("UTF8"));
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

// Every privilege the database records, the system's own included: isql-fb
// -x leaves out those on system tables, which an ON CONNECT trigger needs.
// Only the owner's rights on the domains the server made for columns are
// left out: the server numbers those domains as it goes.
QStringList AllPrivileges(const Target& target, const QString& path)
{
    ExtractSource source(target, path, QStringLiteral("UTF8"));
    TQvTransactionScope scope(source.Transaction());
    TQvQuery query;
    query.SetTransaction(&source.Transaction());
    QStringList privileges;
    {
        TCatalogQuery rows(query, &source.Database(),
            QStringLiteral("select rdb$user, rdb$grantor, rdb$privilege, rdb$grant_option, rdb$relation_name, "
                           "rdb$field_name, rdb$user_type, rdb$object_type from rdb$user_privileges "
                           "where not (rdb$object_type=9 and rdb$relation_name starting with 'RDB$')"));
        for (; !rows.Eof(); rows.Next()) {
            QStringList row;
            for (int i = 0; i < 8; ++i)
                row << (rows.IsNull(i) ? QStringLiteral("NULL") : rows.Name(i));
            privileges << row.join(QLatin1Char('|'));
        }
    }
    std::sort(privileges.begin(), privileges.end());
    return privileges;
}

void ExpectSamePrivileges(const QStringList& original, const QStringList& copy, const char* how)
{
    QStringList lost;
    QStringList gained;
    std::set_difference(original.cbegin(), original.cend(), copy.cbegin(), copy.cend(), std::back_inserter(lost));
    std::set_difference(copy.cbegin(), copy.cend(), original.cbegin(), original.cend(), std::back_inserter(gained));
    EXPECT_TRUE(lost.isEmpty() && gained.isEmpty())
        << how << ": privileges lost:\n" << lost.join(QLatin1Char('\n')).toStdString() << "\ngained:\n"
        << gained.join(QLatin1Char('\n')).toStdString();
}

void ReplayByIsqlAndExecutor(const Target& target, const QString& scriptPath, const QString& characterSet,
                             int dialect, const QString& byIsql, const QString& byExecutor)
{
    const QString isqlFailures = RunIsql(target, scriptPath, characterSet);
    EXPECT_TRUE(isqlFailures.isEmpty()) << "isql-fb -i:\n" << isqlFailures.toStdString();

    QFile scriptFile(scriptPath);
    ASSERT_TRUE(scriptFile.open(QIODevice::ReadOnly));
    QByteArray forExecutor = scriptFile.readAll();
    forExecutor.replace(QvSql::Literal(byIsql, dialect).toUtf8(), QvSql::Literal(byExecutor, dialect).toUtf8());
    const QString executorPath = scriptPath + QStringLiteral(".executor.sql");
    {
        QFile file(executorPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(forExecutor) == forExecutor.size());
    }
    const QStringList executorFailures = RunScriptFile(executorPath, target);
    EXPECT_TRUE(executorFailures.isEmpty()) << "executor:\n" << executorFailures.join(QLatin1Char('\n')).toStdString();
}

void ExpectSameCopies(const Target& target, const QString& original, const QString& byIsql,
                      const QString& byExecutor)
{
    const QString extract = IsqlExtract(target, original);
    const auto rows = AllRows(target, original);
    const QStringList privileges = AllPrivileges(target, original);
    for (const auto& [copy, how] :
         {std::pair{byIsql, "replayed by isql-fb"}, std::pair{byExecutor, "replayed by the executor"}}) {
        ExpectSameExtract(extract, IsqlExtract(target, copy), how);
        ExpectSameRows(rows, AllRows(target, copy), how);
        ExpectSamePrivileges(privileges, AllPrivileges(target, copy), how);
    }
}

} // namespace qvtest
