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
#include <cstring>
#include <vector>

namespace {

// The server reads no longer literal; a text value beyond it is reported.
constexpr qsizetype MaxLiteralBytes = 65535;
// A binary literal is twice as long as its value.
constexpr qsizetype MaxBinaryBytes = 32767;
constexpr int OctetsCharacterSet = 1;

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
            if (m_codec.kind() == QvTextCodec::Latin1 && field.SQLType() == SQL_VARYING) {
                // Bytes as they are: no text made on the way.
                AppendLiteral(line, QLatin1StringView(data, length));
                return;
            }
            // A CHAR value without the padding a multi-byte set adds.
            AppendLiteral(line, field.SQLType() == SQL_TEXT ? field.AsString() : m_codec.decode(data, length));
            return;
        }
        case SQL_FLOAT: {
            float value;
            std::memcpy(&value, data, sizeof value);
            AppendNumber(line, double(value), 9);
            return;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double value;
            std::memcpy(&value, data, sizeof value);
            AppendNumber(line, value, 17);
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

    // A string literal in the database's dialect, written straight into the
    // line. A carriage return before a line end would be read back as part of
    // the script's line end and lost: it is joined to the text around it as
    // ASCII_CHAR(13).
    void AppendLiteral(QString& line, const QString& text) const
    {
        const QChar quote = Quote();
        line += quote;
        if (!text.contains(quote) && !text.contains(QLatin1Char('\r'))) {
            line += text;
        } else {
            for (qsizetype i = 0; i < text.size(); ++i) {
                const QChar c = text.at(i);
                const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
                if (c == u'\r' && (next == u'\n' || next == u'\r')) {
                    line += quote + QStringLiteral(" || ASCII_CHAR(13) || ") + quote;
                    continue;
                }
                if (c == quote)
                    line += quote;
                line += c;
            }
        }
        line += quote;
    }

    void AppendLiteral(QString& line, QLatin1StringView text) const
    {
        if (text.contains(Quote()) || text.contains(QLatin1Char('\r'))) {
            AppendLiteral(line, QString(text));
            return;
        }
        line += Quote();
        line += text;
        line += Quote();
    }

    QChar Quote() const { return m_job.Dialect() == 3 ? QLatin1Char('\'') : QLatin1Char('"'); }

    // Locale-independent and exact: as "%.17g" writes a double.
    static void AppendNumber(QString& line, double value, int precision)
    {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, precision).ptr;
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
    if (!skipped.isEmpty())
        job.Report(QStringLiteral("Table %1: array columns (%2) are not extracted.")
                       .arg(table, skipped.join(QStringLiteral(", "))));

    TQvQuery query;
    query.SetDatabase(&job.Database());
    query.SetTransaction(&transaction);
    query.SetParamCheck(false);
    query.SetSQLDialect(job.Dialect());
    const QString name = job.Name(table);
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
        out << QStringLiteral("/*  Table Data: ") + table + QStringLiteral("    */");
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
