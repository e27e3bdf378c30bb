#include "access/QvQuery.h"

#include "access/QvSQLMonitor.h"
#include "access/QvSqlScan.h"

#include <QRegularExpression>

namespace {

// Codes the server gives for a cursor or statement that is already gone.
constexpr ISC_STATUS errorInvalidStatement = 335544485;  // isc_bad_stmt_handle
constexpr ISC_STATUS errorCursorClosed = 335544577;      // isc_dsql_cursor_close_err
constexpr ISC_STATUS errorFetchPastEnd = 335544572;      // isc_dsql_cursor_err
constexpr ISC_STATUS errorDsqlError = 335544569;         // isc_dsql_error: the text did not prepare

[[noreturn]] void parseError(const char* detail)
{
    QvError(qveSQLParseError, {QString::fromLatin1(detail)});
}

// The length to hand the client library with a statement's text. Without
// one it reads up to the first NUL, which a literal may hold; the length
// it takes has 16 bits, so a longer text goes without one and must hold none.
unsigned short StatementLength(const QByteArray& text)
{
    if (text.size() <= 0xffff)
        return static_cast<unsigned short>(text.size());
    if (text.contains('\0'))
        throw EQvClientError(qveNotPermitted,
                             QStringLiteral("The statement is too long (%1 bytes) to carry a NUL character.")
                                 .arg(text.size()));
    return 0;
}

} // namespace

QString PreprocessSQL(const QString& sql, QStringList& names)
{
    QString processed;
    processed.reserve(sql.size());
    QvSql::ForEachSpan(sql, [&](const QvSql::Span& span) {
        const QStringView text = QStringView(sql).mid(span.Start, span.Length);
        if (span.Kind == QvSql::SpanKind::Comment && !span.Closed)
            parseError("EOF in comment detected");
        if (span.Kind == QvSql::SpanKind::String && !span.Closed)
            parseError("EOF in string detected");
        if (span.Kind != QvSql::SpanKind::Code) {
            processed += text;
            return true;
        }
        // A name ends where the code does: a comment or string right behind
        // it is still seen.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c != u':' && c != u'?') {
                processed += c;
                continue;
            }
            processed += u'?';
            qsizetype end = i + 1;
            while (end < text.size() && QvSql::IsNameCharacter(text[end]))
                ++end;
            if (end == i + 1)
                parseError("Parameter name expected");
            names.append(text.mid(i + 1, end - i - 1).toString());
            i = end - 1;
        }
        return true;
    });
    return processed;
}

TQvQuery::TQvQuery(QObject* parent)
    : QObject(parent)
    , m_base(this)
    , m_cursorDigits(MakeRandomDigitString(8))
    , m_params(this)
    , m_output(this)
{
    m_base.OnDatabaseDisconnecting = [this] {
        CloseQuietly();
        try {
            FreeHandle();
        } catch (const EQvError&) {
            // The attachment is going away; its statements go with it.
        }
    };
    m_base.OnTransactionEnding = [this] {
        if (m_open)
            CloseQuietly();
    };
    // A hard commit or rollback has closed the server's cursor already.
    m_base.OnTransactionEnded = [this] { MarkClosed(); };
}

TQvQuery::~TQvQuery()
{
    CloseQuietly();
    try {
        FreeHandle();
    } catch (const EQvError& error) {
        qWarning("Freeing statement: %s", error.what());
    }
}

void TQvQuery::SetDatabase(TQvDatabase* database)
{
    if (database == m_base.Database())
        return;
    CloseQuietly();
    FreeHandle();
    m_base.SetDatabase(database);
}

void TQvQuery::SetTransaction(TQvTransaction* transaction)
{
    if (transaction == m_base.Transaction())
        return;
    CheckClosed();
    m_base.SetTransaction(transaction);
}

void TQvQuery::SetSQL(const QStringList& lines)
{
    CheckClosed();
    emit OnSQLChanging();
    FreeHandle();
    m_sql = lines;
    m_exactText.clear();
    m_hasExactText = false;
}

void TQvQuery::SetSQLText(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    SetSQL(lines);
    m_exactText = text;
    m_hasExactText = true;
}

QString TQvQuery::SQLText() const
{
    if (m_hasExactText) {
        if (m_exactText.endsWith(QLatin1Char('\n')) || m_exactText.endsWith(QLatin1Char('\r')))
            return m_exactText;
        return m_exactText + QStringLiteral("\r\n");
    }
    QString text;
    for (const QString& line : m_sql)
        text += line + QStringLiteral("\r\n");
    return text;
}

void TQvQuery::SetSQLDialect(int dialect)
{
    if (dialect != 0 && dialect != 1 && dialect != 3)
        throw EQvClientError(qveInvalidDataConversion,
                             QStringLiteral("SQL dialect %1 is not supported (1 or 3).").arg(dialect));
    if (dialect == m_sqlDialect)
        return;
    CheckClosed();
    FreeHandle();
    m_sqlDialect = dialect;
}

int TQvQuery::EffectiveSQLDialect() const
{
    if (m_sqlDialect != 0)
        return m_sqlDialect;
    const TQvDatabase* database = m_base.Database();
    return database ? database->SQLDialect() : 1;
}

bool TQvQuery::Call(ISC_STATUS code, bool raise)
{
    // The statement's own database is the one a lost attachment belongs to.
    if (code > 0 && m_base.Database() && QvConnectionLostStatus(StatusVector()))
        m_base.Database()->NoteConnectionLost();
    if (TQvTransaction* transaction = m_base.Transaction())
        return transaction->Call(code, raise);
    if (TQvDatabase* database = m_base.Database())
        return database->Call(code, raise);
    if (raise && code > 0)
        IBDataBaseError();
    return code == 0;
}

bool TQvQuery::ReturnsCursor() const
{
    return m_sqlType == isc_info_sql_stmt_select || m_sqlType == isc_info_sql_stmt_select_for_upd;
}

void TQvQuery::CheckClosed() const
{
    if (m_open)
        QvError(qveDatasetOpen);
}

void TQvQuery::CheckOpen() const
{
    if (!m_open)
        QvError(qveDatasetClosed);
}

void TQvQuery::CheckValidStatement() const
{
    m_base.CheckTransaction();
    if (!m_handle)
        QvError(qveInvalidStatementHandle);
}

void TQvQuery::DescribeInput()
{
    // The server marks parameters with "?" only: a text without one has none
    // to describe, and a script of many statements saves a call on each.
    if (m_params.Count() == 0 && !m_processedSQL.contains(QLatin1Char('?')))
        return;
    // Room for at least one, so the server can tell how many there are.
    const int room = std::max(m_params.Count(), 1);
    m_params.Grow(room);
    Call(isc_dsql_describe_bind(StatusVector(), &m_handle, SQLDA_VERSION1, m_params.AsXSQLDA()), true);
    const int described = m_params.AsXSQLDA()->sqld;
    m_params.Grow(described);
    if (described > room)
        Call(isc_dsql_describe_bind(StatusVector(), &m_handle, SQLDA_VERSION1, m_params.AsXSQLDA()), true);
}

void TQvQuery::DescribeOutput()
{
    m_output.SetCount(1);
    Call(isc_dsql_describe(StatusVector(), &m_handle, SQLDA_VERSION1, m_output.AsXSQLDA()), true);
    const int described = m_output.AsXSQLDA()->sqld;
    if (described > 1) {
        m_output.SetCount(described);
        Call(isc_dsql_describe(StatusVector(), &m_handle, SQLDA_VERSION1, m_output.AsXSQLDA()), true);
    } else if (described == 0) {
        m_output.SetCount(0);
    }
    m_output.Initialize();
}

void TQvQuery::Prepare()
{
    CheckClosed();
    m_base.CheckDatabase();
    m_base.CheckTransaction();
    if (m_prepared)
        return;
    QStringList names;
    m_processedSQL = m_paramCheck ? PreprocessSQL(SQLText(), names) : SQLText();
    if (m_processedSQL.trimmed().isEmpty())
        QvError(qveEmptyQuery);
    TQvDatabase* database = m_base.Database();
    Call(isc_dsql_alloc_statement2(StatusVector(), m_base.GetDBHandle(), &m_handle), true);
    try {
        const QByteArray text = database->TextCodec().encodeStrict(m_processedSQL, QStringLiteral("The statement"));
        Call(isc_dsql_prepare(StatusVector(), m_base.GetTRHandle(), &m_handle, StatementLength(text), text.constData(),
                              static_cast<unsigned short>(EffectiveSQLDialect()), nullptr),
             true);
        const char item[] = {isc_info_sql_stmt_type};
        const QByteArray reply = QvRequestInfo(8, [&](char* buffer, short length) {
            Call(isc_dsql_sql_info(StatusVector(), &m_handle, sizeof item, item, length, buffer), true);
        });
        QvInfoValue value;
        if (static_cast<unsigned char>(reply.at(0)) != isc_info_sql_stmt_type
            || !QvFindInfoItem(reply, isc_info_sql_stmt_type, value))
            QvError(qveUnknownError);
        m_sqlType = int(value.integer());
        switch (m_sqlType) {
        case isc_info_sql_stmt_get_segment:
        case isc_info_sql_stmt_put_segment:
        case isc_info_sql_stmt_start_trans:
            FreeHandle();
            QvError(qveNotPermitted);
        case isc_info_sql_stmt_select:
        case isc_info_sql_stmt_insert:
        case isc_info_sql_stmt_update:
        case isc_info_sql_stmt_delete:
        case isc_info_sql_stmt_ddl:
        case isc_info_sql_stmt_exec_procedure:
        case isc_info_sql_stmt_commit:
        case isc_info_sql_stmt_rollback:
        case isc_info_sql_stmt_select_for_upd:
        case isc_info_sql_stmt_set_generator:
            m_params.SetCount(int(names.size()));
            for (int i = 0; i < names.size(); ++i)
                m_params.AddName(names.at(i), i);
            DescribeInput();
            m_params.Initialize();
            if (m_sqlType == isc_info_sql_stmt_select || m_sqlType == isc_info_sql_stmt_exec_procedure
                || m_sqlType == isc_info_sql_stmt_select_for_upd)
                DescribeOutput();
            else
                m_output.SetCount(0);
            break;
        default:
            m_params.SetCount(0);
            m_output.SetCount(0);
            break;
        }
        m_prepared = true;
        MonitorHook()->SQLPrepare(this);
    } catch (...) {
        try {
            FreeHandle();
        } catch (const EQvError&) {
            // The first failure is the one to report.
        }
        throw;
    }
}

TQvXSQLDA& TQvQuery::Params()
{
    if (!m_prepared)
        Prepare();
    return m_params;
}

void TQvQuery::ExecQuery()
{
    CheckClosed();
    if (!m_prepared)
        Prepare();
    CheckValidStatement();
    TQvTransaction* transaction = m_base.Transaction();
    XSQLDA* input = m_params.AsXSQLDA();
    if (ReturnsCursor()) {
        Call(isc_dsql_execute(StatusVector(), m_base.GetTRHandle(), &m_handle, SQLDA_VERSION1, input), true);
        m_open = true;
        m_bof = true;
        m_eof = false;
        m_recordCount = 0;
        try {
            const QByteArray cursor = CursorName().toLatin1();
            Call(isc_dsql_set_cursor_name(StatusVector(), &m_handle, cursor.constData(), 0), true);
        } catch (...) {
            CloseQuietly();
            throw;
        }
        MonitorHook()->SQLExecute(this);
        if (m_goToFirstRecordOnExecute)
            Next();
        return;
    }
    if (m_sqlType == isc_info_sql_stmt_exec_procedure) {
        Call(isc_dsql_execute2(StatusVector(), m_base.GetTRHandle(), &m_handle, SQLDA_VERSION1, input,
                               m_output.AsXSQLDA()),
             true);
    } else {
        Call(isc_dsql_execute(StatusVector(), m_base.GetTRHandle(), &m_handle, SQLDA_VERSION1, input), true);
        // COMMIT or ROLLBACK sent as text: the client library has ended the
        // transaction and cleared its handle.
        if ((m_sqlType == isc_info_sql_stmt_commit || m_sqlType == isc_info_sql_stmt_rollback)
            && !transaction->Active())
            transaction->EndedByStatement(m_sqlType == isc_info_sql_stmt_commit ? TACommit : TARollback);
    }
    MonitorHook()->SQLExecute(this);
}

void TQvQuery::ExecImmediate()
{
    CheckClosed();
    m_base.CheckDatabase();
    m_base.CheckTransaction();
    FreeHandle();
    m_processedSQL = SQLText();
    if (m_processedSQL.trimmed().isEmpty())
        QvError(qveEmptyQuery);
    TQvDatabase* database = m_base.Database();
    const QByteArray text = database->TextCodec().encodeStrict(m_processedSQL, QStringLiteral("The statement"));
    const ISC_STATUS code =
        isc_dsql_execute_immediate(StatusVector(), m_base.GetDBHandle(), m_base.GetTRHandle(), StatementLength(text),
                                   text.constData(), static_cast<unsigned short>(EffectiveSQLDialect()), nullptr);
    if (code) {
        // A statement the server could not even prepare would have left no
        // prepare record; one that failed running would have left it.
        if (StatusVector()[1] != errorDsqlError)
            MonitorHook()->SQLPrepare(this);
        Call(code, true);
    }
    MonitorHook()->SQLPrepare(this);
    MonitorHook()->SQLExecute(this);
}

TQvXSQLDA* TQvQuery::Next()
{
    if (m_eof)
        return nullptr;
    CheckOpen();
    const ISC_STATUS code = isc_dsql_fetch(StatusVector(), &m_handle, SQLDA_VERSION1, m_output.AsXSQLDA());
    Call(code, false);
    if (code == 100 || (code && CheckStatusVector({errorFetchPastEnd}))) {
        m_eof = true;
        MonitorHook()->SQLFetch(this);
        return nullptr;
    }
    if (code) {
        try {
            IBDataBaseError();
        } catch (const EQvInterBaseError&) {
            CloseQuietly();
            throw;
        }
    }
    ++m_recordCount;
    m_bof = false;
    MonitorHook()->SQLFetch(this);
    return &m_output;
}

void TQvQuery::MarkClosed()
{
    m_bof = false;
    m_eof = false;
    m_open = false;
    m_recordCount = 0;
}

void TQvQuery::Close()
{
    const bool cursorOpen = m_handle && m_open && ReturnsCursor();
    MarkClosed();
    if (!cursorOpen)
        return;
    const ISC_STATUS code = isc_dsql_free_statement(StatusVector(), &m_handle, DSQL_close);
    if (code && !CheckStatusVector({errorInvalidStatement, errorCursorClosed}))
        Call(code, true);
    Call(code, false);
}

void TQvQuery::CloseQuietly()
{
    try {
        Close();
    } catch (const EQvError& error) {
        qWarning("Closing cursor: %s", error.what());
    }
}

void TQvQuery::FreeHandle()
{
    m_params.SetCount(0);
    m_output.SetCount(0);
    m_prepared = false;
    MarkClosed();
    if (!m_handle)
        return;
    const ISC_STATUS code = isc_dsql_free_statement(StatusVector(), &m_handle, DSQL_drop);
    m_handle = 0;
    if (code && !CheckStatusVector({errorInvalidStatement}))
        Call(code, true);
    Call(code, false);
}

TQvXSQLVAR& TQvQuery::Fields(int index)
{
    if (index < 0 || index >= m_output.Count())
        QvError(qveFieldNotFound, {QStringLiteral("Field No: %1").arg(index)});
    return m_output.Vars(index);
}

TQvXSQLVAR& TQvQuery::FieldByName(const QString& name)
{
    TQvXSQLVAR* field = m_output.ByName(name);
    if (!field)
        QvError(qveFieldNotFound, {name});
    return *field;
}

int TQvQuery::FieldIndex(const QString& name) const
{
    return m_output.IndexOfName(name);
}

qint64 TQvQuery::RowsAffected()
{
    unsigned char count = 0;
    switch (m_sqlType) {
    case isc_info_sql_stmt_insert: count = isc_info_req_insert_count; break;
    case isc_info_sql_stmt_update: count = isc_info_req_update_count; break;
    case isc_info_sql_stmt_delete: count = isc_info_req_delete_count; break;
    default: return -1;
    }
    if (!m_prepared || !m_handle)
        return -1;
    const char item[] = {isc_info_sql_records};
    const QByteArray reply = QvRequestInfo(64, [&](char* buffer, short length) {
        Call(isc_dsql_sql_info(StatusVector(), &m_handle, sizeof item, item, length, buffer), true);
    });
    QvInfoValue records;
    if (!QvFindInfoItem(reply, isc_info_sql_records, records))
        return -1;
    // The counts are a reply of their own inside the item.
    const QByteArray counts(records.data, records.length);
    QvInfoValue value;
    if (!QvFindInfoItem(counts, count, value))
        return 0;
    return value.integer();
}

QString TQvQuery::Plan()
{
    if (!m_prepared)
        return {};
    switch (m_sqlType) {
    case isc_info_sql_stmt_select:
    case isc_info_sql_stmt_update:
    case isc_info_sql_stmt_delete:
    case isc_info_sql_stmt_exec_procedure:
    case isc_info_sql_stmt_select_for_upd:
        break;
    default:
        return {};
    }
    const char item[] = {isc_info_sql_get_plan};
    const QByteArray reply = QvRequestInfo(16385, [&](char* buffer, short length) {
        Call(isc_dsql_sql_info(StatusVector(), &m_handle, sizeof item, item, length, buffer), true);
    });
    QvInfoValue value;
    if (static_cast<unsigned char>(reply.at(0)) != isc_info_sql_get_plan
        || !QvFindInfoItem(reply, isc_info_sql_get_plan, value))
        QvError(qveUnknownError);
    const QvTextCodec& codec = m_base.Database() ? m_base.Database()->TextCodec() : QvTextCodec::binary();
    return codec.decode(value.data, value.length).trimmed();
}
