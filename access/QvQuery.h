#pragma once

// Dynamic SQL statements: text with named parameters, the statement handle,
// the input descriptors (Params) and the output row (Current).

#include "access/QvDatabase.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TQvQuery;
class TQvXSQLDA;
class TStream;

// Translates the ":name" and "?name" parameter marks of a statement text into
// the server's "?" marks, outside strings and comments. `names` receives the
// parameter names in the order they occur. Client error 49 on a mark without
// a name and on a string or comment left open at the end of the text.
QString PreprocessSQL(const QString& sql, QStringList& names);

// One parameter or column: its value in the server's representation, with
// typed readers and writers and a null flag.
class TQvXSQLVAR
{
public:
    TQvXSQLVAR(TQvXSQLDA* parent, int index);
    TQvXSQLVAR(const TQvXSQLVAR&) = delete;
    TQvXSQLVAR& operator=(const TQvXSQLVAR&) = delete;

    int Index() const { return m_index; }
    const QString& Name() const { return m_name; }
    bool Modified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    // The wrapped descriptor (type, scale, length, value and indicator).
    XSQLVAR* Data() const { return m_var; }
    // The type without its nullable bit, e.g. SQL_VARYING.
    int SQLType() const { return m_var->sqltype & ~1; }
    int SQLScale() const { return m_var->sqlscale; }
    bool IsNullable() const { return (m_var->sqltype & 1) != 0; }

    bool IsNull() const;
    void SetIsNull(bool null);

    // Readers; a NULL reads as the empty text, 0, 0.0 or false. Scaled
    // integers (NUMERIC, DECIMAL, BIGINT) read exactly as text; AsLong
    // raises "Invalid data conversion." for a value beyond 32 bits, and every
    // reader raises it for a type it cannot read (a date as a number, ...).
    QString AsString() const;
    double AsDouble() const;
    int AsLong() const;
    // The whole part of a number, or the number a text holds; 64 bits.
    qint64 AsInt64() const;
    QDateTime AsDateTime() const;
    bool AsBoolean() const;
    // The 8-byte id of a blob or array.
    ISC_QUAD AsQuad() const;

    // Writers; each clears NULL and marks the variable modified. The type
    // becomes the writer's own and the server converts on execution.
    // Text the connection's character set cannot carry is refused, naming
    // the parameter, before anything is sent.
    void SetAsString(const QString& value);
    void SetAsDouble(double value);
    void SetAsLong(int value);
    // A 64-bit integer in units of 10^scale: exact for NUMERIC(18, -scale).
    void SetAsInt64(qint64 value, int scale = 0);
    void SetAsDateTime(const QDateTime& value);
    void SetAsDate(const QDate& value);
    void SetAsTime(const QTime& value);
    void SetAsBoolean(bool value);
    void SetAsQuad(const ISC_QUAD& value);
    // A value in the server's own form of a number, date, time or boolean
    // type (see QvValue::ScalarSize), sent back exactly as it was read.
    void SetAsScalar(int sqlType, int scale, const char* data);
    // Writes the whole stream into a new blob and takes its id.
    void LoadFromStream(TStream& stream);

private:
    friend class TQvXSQLDA;

    const QvTextCodec& Codec() const;
    QString PaddedToItsLength(QString text) const;
    bool IsDBKey() const;
    // How messages name this parameter or column.
    QString Holder() const;
    // Makes the value buffer hold `length` bytes for the given type.
    char* PrepareValue(short type, short length);
    void Written();

    TQvXSQLDA* m_parent;
    int m_index;
    QString m_name;
    bool m_modified = false;
    XSQLVAR* m_var = nullptr;
    // As the server described it, before any writer changed it.
    short m_describedType = 0;
    short m_describedLength = 0;
    short m_describedSubType = 0;
    // Its part of the row buffer, and room of its own when a value outgrows it.
    char* m_slot = nullptr;
    std::size_t m_slotSize = 0;
    QvBuffer m_ownValue;
    short m_ownIndicator = 0;
};

// The descriptors of a statement's parameters or of its result row, with
// access by position and by name. A row's values and null indicators live in
// one buffer.
class TQvXSQLDA
{
public:
    explicit TQvXSQLDA(TQvQuery* query);
    ~TQvXSQLDA();
    TQvXSQLDA(const TQvXSQLDA&) = delete;
    TQvXSQLDA& operator=(const TQvXSQLDA&) = delete;

    TQvQuery* Query() const { return m_query; }
    int Count() const { return m_count; }
    void SetCount(int count);
    // Client error 22 outside 0 .. Count() - 1.
    TQvXSQLVAR& Vars(int index) const;
    TQvXSQLVAR& operator[](int index) const { return Vars(index); }
    TQvXSQLVAR* ByName(const QString& name) const;
    int IndexOfName(const QString& name) const;
    // Gives the name to a position unless another position has it already.
    void AddName(const QString& name, int index);
    const QStringList& Names() const { return m_names; }
    // Names unnamed positions after describe and lays out the value buffers.
    void Initialize();
    // The descriptor the client calls take; nullptr while it has no variables.
    XSQLDA* AsXSQLDA() const { return m_count > 0 ? m_sqlda : nullptr; }
    // Grows to `count` variables, keeping the names; for a describe that
    // reported more variables than there was room for.
    void Grow(int count);

private:
    friend class TQvXSQLVAR;

    TQvQuery* m_query;
    int m_count = 0;
    QStringList m_names;
    XSQLDA* m_sqlda = nullptr;
    int m_allocated = 0;
    std::vector<std::unique_ptr<TQvXSQLVAR>> m_vars;
    QvBuffer m_row;
};

// One dynamic SQL statement.
class TQvQuery : public QObject
{
    Q_OBJECT

public:
    explicit TQvQuery(QObject* parent = nullptr);
    ~TQvQuery() override;

    TQvDatabase* Database() const { return m_base.Database(); }
    void SetDatabase(TQvDatabase* database);
    TQvTransaction* Transaction() const { return m_base.Transaction(); }
    void SetTransaction(TQvTransaction* transaction);
    TQvBase& Base() { return m_base; }

    const QStringList& SQL() const { return m_sql; }
    void SetSQL(const QStringList& lines);
    // Sets the statement from one text, which reaches the server as it
    // stands: its line breaks are kept as they are (SQL() still lists its lines).
    void SetSQLText(const QString& text);
    // The statement as sent, always ended by a line break: the lines set by
    // SetSQL each ended by CR LF, or the text set by SetSQLText.
    QString SQLText() const;
    // The SQL dialect the statement is prepared in: 1 or 3, or 0 (the
    // default) for the dialect of its database. The system's own catalog
    // queries ask for 1; what users write follows their database.
    int SQLDialect() const { return m_sqlDialect; }
    void SetSQLDialect(int dialect);
    // The dialect Prepare uses now.
    int EffectiveSQLDialect() const;
    // The text as sent to the server, with "?" for every named parameter.
    const QString& ProcessedSQL() const { return m_processedSQL; }
    bool ParamCheck() const { return m_paramCheck; }
    void SetParamCheck(bool check) { m_paramCheck = check; }
    bool GoToFirstRecordOnExecute() const { return m_goToFirstRecordOnExecute; }
    void SetGoToFirstRecordOnExecute(bool go) { m_goToFirstRecordOnExecute = go; }
    // The cursor's name: the object name followed by 8 random digits drawn
    // when the query was made.
    QString CursorName() const { return objectName() + m_cursorDigits; }

    void Prepare();
    void ExecQuery();
    // Runs the text in one call to the server, unprepared, for a statement
    // that takes no parameters and returns no row. The SQL monitor gets the
    // same prepare and execute records as for ExecQuery.
    void ExecImmediate();
    // The next row, or nullptr at the end of the data.
    TQvXSQLDA* Next();
    void Close();
    void FreeHandle();

    bool Eof() const { return m_eof || !m_open; }
    bool Bof() const { return m_bof; }
    int RecordCount() const { return m_recordCount; }
    bool Open() const { return m_open; }
    bool Prepared() const { return m_prepared; }
    // The server's statement type, isc_info_sql_stmt_select and so on.
    int SQLType() const { return m_sqlType; }
    isc_stmt_handle Handle() const { return m_handle; }

    // The parameters; prepares the statement first when it is not prepared.
    TQvXSQLDA& Params();
    TQvXSQLDA& Current() { return m_output; }
    TQvXSQLVAR& Fields(int index);
    TQvXSQLVAR& FieldByName(const QString& name);
    int FieldIndex(const QString& name) const;
    QString Plan();
    // The rows the last execution of an insert, update or delete changed
    // (the server's count for the statement's own kind); -1 when the
    // statement is of another kind or has not run.
    qint64 RowsAffected();

    void CheckClosed() const;
    void CheckOpen() const;
    void CheckValidStatement() const;

signals:
    void OnSQLChanging();

private:
    bool Call(ISC_STATUS code, bool raise);
    bool ReturnsCursor() const;
    void DescribeOutput();
    void DescribeInput();
    void CloseQuietly();
    void MarkClosed();

    TQvBase m_base;
    bool m_bof = false;
    bool m_eof = false;
    bool m_goToFirstRecordOnExecute = true;
    bool m_open = false;
    bool m_prepared = false;
    int m_recordCount = 0;
    isc_stmt_handle m_handle = 0;
    QString m_cursorDigits;
    QStringList m_sql;
    // Set by SetSQLText: the text as given, sent instead of the joined lines.
    QString m_exactText;
    bool m_hasExactText = false;
    int m_sqlDialect = 0;
    bool m_paramCheck = true;
    QString m_processedSQL;
    TQvXSQLDA m_params;
    TQvXSQLDA m_output;
    int m_sqlType = 0;
};
