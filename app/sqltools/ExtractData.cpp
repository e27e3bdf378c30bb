// The rows of the selected tables as INSERTs, and the generators' values.

#include "access/QvBlob.h"
#include "access/QvDatabase.h"
#include "access/QvSqlText.h"
#include "access/QvTextCodec.h"
#include "access/QvValue.h"
#include "app/shell/CatalogQuery.h"
#include "app/sqltools/ExtractLongValues.h"
#include "app/sqltools/ExtractSupport.h"
#include "app/sqltools/ExtractWriters.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

namespace {

// What a statement may take: its text is at most 64 KB as the client library
// takes it, a string made by "||" at most 32,765 bytes, and a literal at most
// 64 KB divided by the longest character of the connection's set.
constexpr qsizetype StatementBytes = 64000;
constexpr qsizetype ChainBytes = 32000;
constexpr qsizetype LiteralBytes = 65535;
// The script text a value may take in its row's INSERT; a longer one goes
// ahead of the row in pieces.
constexpr qsizetype InlineScriptChars = 30000;
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

// About as long as the text AppendScriptLiteral makes of a text.
qsizetype ScriptLength(QStringView text, qsizetype* controls = nullptr)
{
    qsizetype length = text.size() + 2;
    qsizetype count = 0;
    for (const QChar c : text) {
        if (QvSql::IsControlCharacter(c))
            ++count;
        else if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            ++length;
    }
    if (controls)
        *controls = count;
    // "ASCII_CHAR(nn)", a literal's quotes around the run after it, the
    // " || " between them, and a group's parentheses now and then.
    return length + count * 28;
}

// A value too long for the INSERT of its row, which builds it from pieces
// written ahead of it.
struct TLongValue
{
    QString text;
    QByteArray bytes;
    bool binary = false;
};

class TRowWriter
{
public:
    TRowWriter(TExtractJob& job, TQvQuery& query, const TLongValueStage& stage)
        : m_job(job)
        , m_query(query)
        , m_stage(stage)
        , m_codec(job.Database().TextCodec())
        , m_maxBytesPerChar(m_codec.kind() == QvTextCodec::Latin1 ? 1 : 4)
        , m_literalBytes(LiteralBytes / m_maxBytesPerChar)
    {
    }

    // Starts a row: no long values yet.
    void StartRow() { m_long.clear(); }
    // The values the row's INSERT left for later statements.
    const std::vector<TLongValue>& LongValues() const { return m_long; }

    // Whether a statement's text is within what the server takes.
    bool Fits(const QString& statement) const
    {
        return statement.size() * m_maxBytesPerChar <= StatementBytes
            || m_codec.encode(statement).size() <= StatementBytes;
    }
    // Makes the next try at a row leave more of its values for later
    // statements; false when it leaves them all already.
    bool Narrow()
    {
        if (m_inlineLimit == 0)
            return false;
        m_inlineLimit = m_inlineLimit > 1000 ? 1000 : 0;
        return true;
    }
    void Widen() { m_inlineLimit = InlineScriptChars; }

    // The value of a column of the current row as a literal.
    void AppendValue(QString& line, int column)
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
            const bool fixed = field.SQLType() == SQL_TEXT;
            if (characterSet == OctetsCharacterSet) {
                AppendBinary(line, QByteArrayView(data, length));
                return;
            }
            // A CHAR value without the padding a multi-byte set adds.
            AppendText(line, fixed ? field.AsString() : m_codec.decode(data, length));
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
            QvSql::AppendLiteral(line, text, m_job.Dialect());
            return;
        }
        case SQL_BLOB:
            AppendBlob(line, field);
            return;
        default:
            line += QLatin1String("NULL");
            return;
        }
    }

private:
    void AppendBlob(QString& line, const TQvXSQLVAR& field)
    {
        TQvBlobStream blob;
        blob.SetDatabase(&m_job.Database());
        blob.SetTransaction(m_query.Transaction());
        blob.SetBlobID(field.AsQuad());
        blob.SetMode(bmRead);
        QByteArray bytes(blob.Size(), Qt::Uninitialized);
        blob.ReadBuffer(bytes.data(), bytes.size());
        if (field.Data()->sqlsubtype != 1)
            AppendBinary(line, bytes);
        else
            AppendText(line, m_codec.decode(bytes.constData(), bytes.size()));
    }

    // A text value as one literal every script reader reads back whole: its
    // control characters (a CR LF among them) as ASCII_CHAR(n), or the whole
    // text as its bytes where that is what fits the statement.
    void AppendText(QString& line, const QString& text)
    {
        qsizetype controls = 0;
        const qsizetype length = text.size() <= m_inlineLimit ? ScriptLength(text, &controls) : m_inlineLimit + 1;
        const bool chained = controls <= QvSql::ChainedControlCharacters;
        if (chained && text.size() * 30 <= m_inlineLimit) {
            QvSql::AppendScriptLiteral(line, text, m_job.Dialect());
            return;
        }
        if (length <= m_inlineLimit || (controls > 0 && 2 * text.size() < m_inlineLimit)) {
            // A single-byte set needs no encoding to count.
            const bool encoded = m_maxBytesPerChar > 1 || !chained;
            const QByteArray bytes = encoded ? m_codec.encode(text) : QByteArray();
            const qsizetype byteCount = encoded ? bytes.size() : text.size();
            if (byteCount <= m_literalBytes) {
                if (chained && length <= m_inlineLimit && (controls == 0 || byteCount <= ChainBytes)) {
                    QvSql::AppendScriptLiteral(line, text, m_job.Dialect());
                    return;
                }
                if (!chained && 2 * byteCount + 16 <= m_inlineLimit) {
                    line += QvSql::TextBytesLiteral(m_codec.characterSet(), bytes);
                    return;
                }
            }
        }
        line += m_stage.Expression(int(m_long.size()), false);
        m_long.push_back({text, {}, false});
    }

    void AppendBinary(QString& line, QByteArrayView bytes)
    {
        if (2 * bytes.size() + 3 <= m_inlineLimit || bytes.isEmpty()) {
            line += QvSql::BinaryLiteral(bytes);
            return;
        }
        line += m_stage.Expression(int(m_long.size()), true);
        m_long.push_back({{}, bytes.toByteArray(), true});
    }

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
    const TLongValueStage& m_stage;
    const QvTextCodec& m_codec;
    int m_maxBytesPerChar;
    qsizetype m_literalBytes;
    qsizetype m_inlineLimit = InlineScriptChars;
    std::vector<TLongValue> m_long;
};

void WriteRows(TExtractJob& job, TQvTransaction& transaction, const QString& table,
               const std::vector<TDataColumn>& columns, TLongValueStage& stage)
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
    TRowWriter writer(job, query, stage);
    const int count = int(names.size());
    // One buffer for every row, so that each line is made once at its size.
    QString line = head;
    line.reserve(4 * head.size() + 32 * count);
    for (; !query.Eof(); query.Next()) {
        writer.Widen();
        do {
            writer.StartRow();
            line.truncate(head.size());
            for (int i = 0; i < count; ++i) {
                if (i > 0)
                    line += QLatin1Char(',');
                writer.AppendValue(line, i);
            }
            line += QLatin1String(");");
        } while (!writer.Fits(line) && writer.Narrow());
        const std::vector<TLongValue>& longValues = writer.LongValues();
        if (longValues.empty()) {
            out << QString(line.constData(), line.size());
        } else {
            for (const TLongValue& value : longValues) {
                if (value.binary)
                    stage.WriteBinary(out, value.bytes);
                else
                    stage.WriteText(out, value.text);
            }
            out << QString(line.constData(), line.size());
            stage.RowWritten(out);
        }
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
    QStringList taken;
    {
        TCatalogQuery rows(catalog, &job.Database(),
            QStringLiteral("select rdb$relation_name from rdb$relations "
                           "where rdb$relation_name starting with 'QV$LONG_VALUE_PIECES'"));
        for (; !rows.Eof(); rows.Next())
            taken << rows.Name(0);
    }
    TLongValueStage stage(LongValueTableName(taken), job.Database().TextCodec(), job.Dialect());
    for (const QString& table : tables) {
        out << QStringLiteral("/*  Table Data: ") + QvSql::CommentText(table) + QStringLiteral("    */");
        WriteRows(job, job.Transaction(), table, columns.value(table), stage);
        out << QString() << QStringLiteral("COMMIT WORK;");
        stage.Committed();
    }
    stage.Finish(out);
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
