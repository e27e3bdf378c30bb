// The rows of the selected tables as INSERTs, and the generators' values.

#include "access/QvBlob.h"
#include "access/QvDatabase.h"
#include "access/QvSqlText.h"
#include "access/QvTextCodec.h"
#include "access/QvValue.h"
#include "app/shell/CatalogQuery.h"
#include "app/sqltools/ExtractSupport.h"
#include "app/sqltools/ExtractWriters.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

namespace {

// The server reads no longer literal; a text value beyond it is reported.
constexpr qsizetype MaxLiteralBytes = 65535;
// A binary literal is twice as long as its value.
constexpr qsizetype MaxBinaryBytes = 32767;
constexpr int OctetsCharacterSet = 1;
// Lines of rows handed on at a time when the script goes to a file.
constexpr qsizetype FlushLines = 4096;

struct TDataColumn
{
    QString name;
    bool array = false;
};

struct TIdentity
{
    QString table;
    QString column;
    QString generator;
    QString start;
};

QString HexLiteral(const QByteArray& bytes)
{
    return QStringLiteral("X'") + QString::fromLatin1(bytes.toHex().toUpper()) + QLatin1Char('\'');
}

class TRowWriter
{
public:
    TRowWriter(TExtractJob& job, TQvQuery& query, const QString& table)
        : m_job(job)
        , m_query(query)
        , m_table(table)
        , m_codec(job.Database().TextCodec())
        , m_maxBytesPerChar(m_codec.kind() == QvTextCodec::Utf8 ? 4 : (m_codec.kind() == QvTextCodec::Latin1 ? 1 : 2))
    {
    }

    // The value of a column of the current row as a literal.
    void AppendValue(QString& line, int column, qint64 row)
    {
        const TQvXSQLVAR& field = m_query.Fields(column);
        if (field.IsNull()) {
            line += QLatin1String("NULL");
            return;
        }
        const XSQLVAR* var = field.Data();
        const char* data = var->sqldata;
        switch (field.SQLType()) {
        case SQL_TEXT:
        case SQL_VARYING: {
            qsizetype length = var->sqllen;
            if (field.SQLType() == SQL_VARYING) {
                length = *reinterpret_cast<const short*>(data);
                data += sizeof(short);
            }
            const int characterSet = var->sqlsubtype & 0xff;
            if (characterSet == OctetsCharacterSet) {
                line += HexLiteral(QByteArray(data, length));
                return;
            }
            // A CHAR value without the padding a multi-byte set adds.
            AppendLiteral(line, field.SQLType() == SQL_TEXT ? field.AsString() : m_codec.decode(data, length));
            return;
        }
        case SQL_FLOAT: {
            float value;
            std::memcpy(&value, data, sizeof value);
            AppendNumber(line, value);
            return;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double value;
            std::memcpy(&value, data, sizeof value);
            AppendNumber(line, value);
            return;
        }
        case SQL_BOOLEAN:
            line += *reinterpret_cast<const FB_BOOLEAN*>(data) ? QLatin1String("TRUE") : QLatin1String("FALSE");
            return;
        case SQL_LONG:
            if (field.SQLScale() == 0) {
                ISC_LONG value;
                std::memcpy(&value, data, sizeof value);
                char digits[16];
                const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
                line += QLatin1StringView(digits, end - digits);
                return;
            }
            [[fallthrough]];
        case SQL_SHORT:
        case SQL_INT64: {
            QString text;
            QvValue::ScalarText(field.SQLType(), field.SQLScale(), data, text);
            line += text;
            return;
        }
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_TIMESTAMP: {
            QString text;
            QvValue::ScalarText(field.SQLType(), 0, data, text);
            AppendLiteral(line, text);
            return;
        }
        case SQL_BLOB:
            AppendBlob(line, field, row);
            return;
        default:
            line += QLatin1String("NULL");
            return;
        }
    }

private:
    void AppendBlob(QString& line, const TQvXSQLVAR& field, qint64 row)
    {
        TQvBlobStream blob;
        blob.SetDatabase(&m_job.Database());
        blob.SetTransaction(m_query.Transaction());
        blob.SetBlobID(field.AsQuad());
        blob.SetMode(bmRead);
        QByteArray bytes(blob.Size(), Qt::Uninitialized);
        blob.ReadBuffer(bytes.data(), bytes.size());
        const bool text = field.Data()->sqlsubtype == 1;
        const bool tooLarge = text ? bytes.size() > MaxLiteralBytes
                                   : bytes.size() > MaxBinaryBytes;
        if (tooLarge) {
            m_job.Report(QStringLiteral("Table %1, row %2: the value of column %3 (%4 bytes) is too large for one "
                                        "statement; it is written as NULL.")
                             .arg(m_table)
                             .arg(row)
                             .arg(field.Name())
                             .arg(bytes.size()));
            line += QLatin1String("NULL");
            return;
        }
        if (!text) {
            line += HexLiteral(bytes);
            return;
        }
        const QString value = m_codec.decode(bytes.constData(), bytes.size());
        // A text that grows beyond the limit in the connection's encoding.
        if (value.size() * m_maxBytesPerChar > MaxLiteralBytes && m_codec.encode(value).size() > MaxLiteralBytes) {
            m_job.Report(QStringLiteral("Table %1, row %2: the value of column %3 is too large for one statement; "
                                        "it is written as NULL.")
                             .arg(m_table)
                             .arg(row)
                             .arg(field.Name()));
            line += QLatin1String("NULL");
            return;
        }
        AppendLiteral(line, value);
    }

    // A text value as a literal every script reader reads back whole: its
    // control characters (a CR LF among them) as ASCII_CHAR(n).
    void AppendLiteral(QString& line, QStringView text) const { QvSql::AppendScriptLiteral(line, text, m_job.Dialect()); }

    // Locale-independent, and the shortest text that reads back as the
    // same value. The server reads a literal with many digits far from 1
    // as out of range, or as a neighbour of the value: there the value is
    // written as its exact binary parts, an integer times a power of two.
    template <typename Number>
    static void AppendNumber(QString& line, Number value)
    {
        // Where a float's shortest text, read as a double, could fall
        // beyond its range, the float goes in its binary parts as well.
        constexpr bool single = std::is_same_v<Number, float>;
        constexpr double nearZero = single ? 1e-36 : 1e-290;
        constexpr double farOut = single ? 1e37 : 1e290;
        const double magnitude = std::fabs(double(value));
        if (value != 0 && std::isfinite(magnitude) && (magnitude < nearZero || magnitude > farOut)) {
            int exponent = 0;
            const double fraction = std::frexp(double(value), &exponent);
            constexpr int mantissaBits = 53;
            const auto mantissa = qint64(std::ldexp(fraction, mantissaBits));
            exponent -= mantissaBits;
            line += QLatin1Char('(') + QString::number(mantissa);
            // A power below the smallest double is reached in two steps.
            constexpr int step = 600;
            if (exponent < -1000)
                line += QStringLiteral("*POWER(2e0,%1)*POWER(2e0,%2)").arg(exponent + step).arg(-step);
            else
                line += QStringLiteral("*POWER(2e0,%1)").arg(exponent);
            line += QLatin1Char(')');
            return;
        }
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general).ptr;
        line += QLatin1StringView(digits, end - digits);
    }

    TExtractJob& m_job;
    TQvQuery& m_query;
    QString m_table;
    const QvTextCodec& m_codec;
    int m_maxBytesPerChar;
};

void WriteRows(TExtractJob& job, TQvTransaction& transaction, const QString& table,
               const std::vector<TDataColumn>& columns)
{
    QStringList& out = job.Output();
    QStringList names;
    QStringList skipped;
    for (const TDataColumn& column : columns)
        (column.array ? skipped : names) << job.Name(column.name);
    TQvQuery query;
    query.SetDatabase(&job.Database());
    query.SetTransaction(&transaction);
    query.SetParamCheck(false);
    query.SetSQLDialect(job.Dialect());
    const QString name = job.Name(table);
    if (!skipped.isEmpty()) {
        // Only values left out are worth a word.
        query.SetSQLText(QStringLiteral("select first 1 1 from ") + name + QStringLiteral(" where ")
                         + skipped.join(QStringLiteral(" is not null or ")) + QStringLiteral(" is not null"));
        query.ExecQuery();
        const bool held = !query.Eof();
        query.Close();
        if (held)
            job.Report(QStringLiteral("Table %1: array columns (%2) are not extracted.")
                           .arg(table, skipped.join(QStringLiteral(", "))));
    }
    if (names.isEmpty()) {
        query.SetSQLText(QStringLiteral("select 1 from ") + name);
        query.ExecQuery();
        for (; !query.Eof(); query.Next())
            out << QStringLiteral("INSERT INTO ") + name + QStringLiteral(" DEFAULT VALUES;");
        query.Close();
        return;
    }
    const QString head = QStringLiteral("INSERT INTO ") + name + QLatin1Char('(') + names.join(QLatin1Char(','))
        + QStringLiteral(") VALUES(");
    query.SetSQLText(QStringLiteral("select ") + names.join(QLatin1Char(',')) + QStringLiteral(" from ") + name);
    query.ExecQuery();
    TRowWriter writer(job, query, table);
    const int count = int(names.size());
    qint64 row = 0;
    // One buffer for every row, so that each line is made once at its size.
    QString line = head;
    line.reserve(4 * head.size() + 32 * count);
    for (; !query.Eof(); query.Next()) {
        ++row;
        line.truncate(head.size());
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                line += QLatin1Char(',');
            writer.AppendValue(line, i, row);
        }
        line += QLatin1String(");");
        out << QString(line.constData(), line.size());
        if (out.size() >= FlushLines)
            job.Flush();
    }
    query.Close();
}

} // namespace

void ExtractData(TExtractJob& job)
{
    QStringList& out = job.Output();
    TWriterScope scope(job);
    TQvQuery& catalog = scope.Query();
    QStringList tables;
    for (const QString& table : TablesParentsFirst(job, catalog))
        if (job.Selected(table))
            tables << table;
    QHash<QString, std::vector<TDataColumn>> columns;
    {
        // Computed columns take no values.
        TCatalogQuery rows(catalog, &job.Database(),
            QStringLiteral("select a.rdb$relation_name, a.rdb$field_name, b.rdb$dimensions from rdb$relation_fields a, "
                           "rdb$fields b where a.rdb$field_source=b.rdb$field_name and b.rdb$computed_source is null "
                           "and b.rdb$computed_blr is null order by a.rdb$relation_name, a.rdb$field_position"));
        for (; !rows.Eof(); rows.Next()) {
            const QString table = rows.Name(0);
            if (job.Selected(table))
                columns[table].push_back({rows.Name(1), !rows.IsNull(2) && rows.Integer(2) > 0});
        }
    }
    // The script made these triggers above; the rows are as they already
    // fired, and firing them again would change or add rows.
    QStringList silenced;
    if (job.Flag(efMetadataAndData)) {
        TCatalogQuery rows(catalog, &job.Database(),
            QStringLiteral("select rdb$trigger_name, rdb$relation_name from rdb$triggers "
                           "where rdb$relation_name is not null and (rdb$trigger_inactive is null or "
                           "rdb$trigger_inactive=0) and (rdb$system_flag is null or rdb$system_flag=0) "
                           "order by rdb$trigger_name"));
        for (; !rows.Eof(); rows.Next())
            if (job.Selected(rows.Name(0)) && tables.contains(rows.Name(1)))
                silenced << job.Name(rows.Name(0));
    }
    if (!silenced.isEmpty()) {
        for (const QString& trigger : silenced)
            out << QStringLiteral("ALTER TRIGGER ") + trigger + QStringLiteral(" INACTIVE;");
        out << QString() << QStringLiteral("COMMIT WORK;");
    }
    for (const QString& table : tables) {
        out << QStringLiteral("/*  Table Data: ") + QvSql::CommentText(table) + QStringLiteral("    */");
        WriteRows(job, job.Transaction(), table, columns.value(table));
        out << QString() << QStringLiteral("COMMIT WORK;");
    }
    if (!silenced.isEmpty()) {
        for (const QString& trigger : silenced)
            out << QStringLiteral("ALTER TRIGGER ") + trigger + QStringLiteral(" ACTIVE;");
        out << QString() << QStringLiteral("COMMIT WORK;");
    }

    QStringList generators;
    {
        TCatalogQuery rows(catalog, &job.Database(),
            QStringLiteral("select rdb$generator_name from rdb$generators "
                           "where rdb$system_flag=0 or rdb$system_flag is null order by rdb$generator_name"));
        for (; !rows.Eof(); rows.Next())
            if (job.Selected(rows.Name(0)))
                generators << rows.Name(0);
    }
    // An identity column's generator is the system's: the rows above do not
    // move it, so without a restart the copy would hand out taken values.
    std::vector<TIdentity> identities;
    {
        TCatalogQuery rows(catalog, &job.Database(),
            QStringLiteral("select a.rdb$relation_name, a.rdb$field_name, a.rdb$generator_name, "
                           "cast(g.rdb$initial_value as varchar(20)) from rdb$relation_fields a, rdb$generators g "
                           "where a.rdb$identity_type is not null and g.rdb$generator_name=a.rdb$generator_name "
                           "order by a.rdb$relation_name, a.rdb$field_position"));
        for (; !rows.Eof(); rows.Next())
            if (tables.contains(rows.Name(0)))
                identities.push_back({rows.Name(0), rows.Name(1), rows.Name(2), rows.Text(3).trimmed()});
    }
    if (!generators.isEmpty() || !identities.empty()) {
        TQvQuery value;
        value.SetDatabase(&job.Database());
        value.SetTransaction(&job.Transaction());
        value.SetSQLDialect(job.Dialect());
        const auto current = [&](const QString& generator) {
            value.SetSQLText(QStringLiteral("select gen_id(%1, 0) from rdb$database").arg(job.Name(generator)));
            value.ExecQuery();
            const QString text = value.Fields(0).AsString();
            value.Close();
            return text;
        };
        qsizetype written = 0;
        for (const QString& generator : generators) {
            out << QStringLiteral("SET GENERATOR %1 TO %2;").arg(job.Name(generator), current(generator));
            ++written;
        }
        for (const TIdentity& identity : identities) {
            const QString reached = current(identity.generator);
            if (reached == identity.start)
                continue;
            out << QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 RESTART WITH %3;")
                       .arg(job.Name(identity.table), job.Name(identity.column), reached);
            ++written;
        }
        if (written > 0)
            out << QString() << QStringLiteral("COMMIT WORK;");
    }
    scope.Commit();
}
