#include "access/QvScript.h"

#include "access/QvSqlRead.h"
#include "access/QvSqlScan.h"
#include "access/QvSqlText.h"

#include <QStringView>

namespace {

const QString failedPrefix = QStringLiteral("FAILED - ");
const QString tooFewForConnect = QStringLiteral("Too few paramters for connect");
const QString tooFewForCreate = QStringLiteral("Too few paramters for create");

bool isBlank(QChar c)
{
    return c.unicode() <= u' ';
}

QString trimmedEnd(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && isBlank(text.at(end - 1)))
        --end;
    return text.left(end);
}

bool sameWord(const QString& token, const char* word)
{
    return token.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Statements whose changes later statements can use only once committed.
bool isDDLWord(const QString& word)
{
    return sameWord(word, "CREATE") || sameWord(word, "ALTER") || sameWord(word, "RECREATE")
           || sameWord(word, "DECLARE");
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Reads the clauses of a CONNECT or CREATE DATABASE word by word.
class ClauseReader
{
public:
    ClauseReader(const QStringList& tokens, int start, QString tooFew, QString unknownPrefix)
        : m_tokens(tokens), m_position(start), m_tooFew(std::move(tooFew)),
          m_unknownPrefix(std::move(unknownPrefix))
    {
    }

    bool atEnd() const { return m_position >= m_tokens.size(); }
    int position() const { return m_position; }
    // The words read since `start`, as written.
    QString textFrom(int start) const { return m_tokens.mid(start, m_position - start).join(QLatin1Char(' ')); }

    bool accept(const char* word)
    {
        if (atEnd() || !sameWord(m_tokens.at(m_position), word))
            return false;
        ++m_position;
        return true;
    }
    void expect(const char* word, int clauseStart)
    {
        if (atEnd())
            throw EInvalidParameters(m_tooFew.toStdString());
        if (!accept(word))
            unknown(clauseStart);
    }
    QString value()
    {
        if (atEnd())
            throw EInvalidParameters(m_tooFew.toStdString());
        return m_tokens.at(m_position++);
    }
    [[noreturn]] void unknown(int clauseStart) const
    {
        throw EInvalidParameters((m_unknownPrefix + m_tokens.at(clauseStart)).toStdString());
    }

private:
    const QStringList& m_tokens;
    int m_position;
    QString m_tooFew;
    QString m_unknownPrefix;
};

} // namespace

EScriptCommentError::EScriptCommentError() : std::runtime_error("Error parsing comments") {}

QStringList ScriptTokens(const QStringList& lines, int limit, QvSql::CharacterBytes bytes)
{
    QStringList tokens;
    QString token;
    // Past the limit the words are only scanned, not kept.
    bool keep = limit != 0;
    const auto endToken = [&] {
        if (!token.isEmpty() && keep) {
            tokens.append(token);
            keep = limit < 0 || tokens.size() < limit;
        }
        token.clear();
    };
    QvSql::ScanState state = QvSql::ScanState::Code;
    for (const QString& line : lines) {
        state = QvSql::ForEachSpan(
            line,
            [&](const QvSql::Span& span) {
                const QStringView text = QStringView(line).mid(span.Start, span.Length);
                if (span.Kind == QvSql::SpanKind::String) {
                    if (keep)
                        token += text;
                    return true;
                }
                // As isql-fb reads a script, a "--" comment takes the rest of
                // the line, a lone carriage return in it too.
                if (span.Kind == QvSql::SpanKind::LineComment) {
                    endToken();
                    return false;
                }
                if (span.Kind != QvSql::SpanKind::Code) {
                    endToken();
                    return true;
                }
                // A comment's end with no start is an error, even as "*/*".
                if (text.contains(u"*/") || (text.endsWith(u'*') && span.End() < line.size() && line.at(span.End()) == u'/'))
                    throw EScriptCommentError();
                for (const QChar c : text) {
                    if (isBlank(c))
                        endToken();
                    else if (keep)
                        token += c;
                }
                return true;
            },
            state, QString(), bytes);
        // A line break separates words; inside a value it is kept.
        if (state.InString()) {
            if (keep)
                token += QLatin1Char('\n');
        } else {
            endToken();
        }
    }
    if (state == QvSql::ScanState::Comment)
        throw EScriptCommentError();
    if (state != QvSql::ScanState::Code)
        token.chop(1);
    endToken();
    return tokens;
}

QStringList ScriptLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype feed = text.indexOf(QLatin1Char('\n'), start);
        if (feed < 0) {
            lines << text.mid(start);
            break;
        }
        qsizetype end = feed;
        while (end > start && text.at(end - 1) == u'\r')
            --end;
        lines << text.mid(start, end - start);
        start = feed + 1;
    }
    return lines;
}

// Splits the script's lines into statements at the terminator, outside
// strings and comments, carrying the scanner's state from line to line.
class TQvScript::Collector
{
public:
    // The piece from the statement's first word on, or "" when it holds
    // nothing but blanks and comments: isql-fb drops what comes before a
    // statement, a "--" comment up to the line's end and a /* */ comment
    // that goes on to later lines.
    QString fromFirstWord(const QString& piece)
    {
        QvSql::Scanner scanner(piece, m_state);
        scanner.SetCharacterBytes(m_bytes);
        QvSql::Span span;
        while (scanner.Next(span)) {
            if (span.Kind == QvSql::SpanKind::LineComment)
                break;
            if (span.IsComment())
                continue;
            qsizetype at = span.Start;
            while (span.Kind == QvSql::SpanKind::Code && at < span.End() && isBlank(piece.at(at)))
                ++at;
            if (at < span.End()) {
                m_state = QvSql::ScanState::Code;
                return piece.mid(at);
            }
        }
        m_state = scanner.State();
        return {};
    }

    // Statements are read as the connection they go to reads them.
    void SetCharacterBytes(QvSql::CharacterBytes bytes) { m_bytes = bytes; }

    // Whether a /* */ comment is still open.
    bool InComment() const { return m_state == QvSql::ScanState::Comment; }

    // Position of the terminator in `text`, or -1; the state follows the text
    // up to there. A "--" comment takes the rest of the line.
    qsizetype findTerminator(const QString& text, const QString& terminator)
    {
        QvSql::Scanner scanner(text, m_state);
        scanner.SetTerminator(terminator);
        scanner.SetCharacterBytes(m_bytes);
        QvSql::Span span;
        while (scanner.Next(span)) {
            if (span.Kind == QvSql::SpanKind::Terminator || span.Kind == QvSql::SpanKind::LineComment) {
                m_state = QvSql::ScanState::Code;
                return span.Kind == QvSql::SpanKind::Terminator ? span.Start : -1;
            }
        }
        m_state = scanner.State();
        return -1;
    }

private:
    QvSql::ScanState m_state = QvSql::ScanState::Code;
    QvSql::CharacterBytes m_bytes = QvSql::CharacterBytes::Single;
};

TQvScript::TQvScript(QObject* parent) : TQvQuery(parent) {}

template <typename Step>
void TQvScript::Guarded(Step step)
{
    try {
        step();
    } catch (const EQvError& error) {
        Failed(error.Message());
    } catch (const std::exception& error) {
        Failed(QString::fromUtf8(error.what()));
    }
}

void TQvScript::Failed(const QString& message)
{
    m_errorsOccurred = true;
    emit OnError(failedPrefix + message, m_lineNo, m_numLines);
}

TQvDatabase& TQvScript::RequireDatabase() const
{
    if (!Database())
        QvError(qveDatabaseNotAssigned);
    return *Database();
}

TQvTransaction& TQvScript::RequireTransaction() const
{
    if (!Transaction())
        QvError(qveTransactionNotAssigned);
    return *Transaction();
}

void TQvScript::ExecuteScript()
{
    m_terminator = QStringLiteral(";");
    m_errorsOccurred = false;
    m_stopRequested = false;
    m_stoppedAtLine = 0;
    m_dialect = 0;
    m_names.clear();
    m_namesBytes = QvSql::CharacterBytes::Single;
    Close();
    SetSQL({});
    SetSQLDialect(0);
    m_lineNo = 0;
    m_numLines = int(m_script.size());
    // A transaction started before the run is the run's work.
    if (Transaction() && Transaction()->Active())
        m_work.emplace(*Transaction(), TQvTransactionScope::TakeOverActive);
    // Whatever way the run ends, no scope outlives it.
    struct WorkReset
    {
        std::optional<TQvTransactionScope>& work;
        ~WorkReset() { work.reset(); }
    } workReset{m_work};

    // The script may be changed by a handler while it runs; read a copy.
    const QStringList script = m_script;
    Collector collector;
    // The statement from its first non-blank character on; its lines are
    // joined by line feeds, whatever line ends the script's text had.
    QString statement;
    const auto take = [&](const QString& part) {
        if (statement.isEmpty())
            statement = part;
        else
            statement += QLatin1Char('\n') + part;
    };
    const auto stopping = [this] {
        if (m_stopRequested && m_stoppedAtLine == 0)
            m_stoppedAtLine = m_lineNo;
        return m_stopRequested;
    };
    for (const QString& line : script) {
        ++m_lineNo;
        emit OnProcessLine(line, m_lineNo, m_numLines);
        if (stopping())
            break;
        QString piece = line;
        for (;;) {
            // A CONNECT or SET NAMES run just now changes how the rest reads.
            collector.SetCharacterBytes(TextBytes());
            if (statement.isEmpty())
                piece = collector.fromFirstWord(piece);
            const qsizetype position = collector.findTerminator(piece, m_terminator);
            if (position < 0) {
                if (!statement.isEmpty() || !piece.isEmpty())
                    take(piece);
                break;
            }
            take(piece.left(position));
            // What follows the terminator begins the next statement, read with
            // the terminator this statement may set.
            const QString rest = piece.mid(position + m_terminator.size());
            if (stopping())
                break;
            const QString text = trimmedEnd(statement);
            statement.clear();
            if (!text.isEmpty())
                RunStatement(text);
            if (rest.trimmed().isEmpty())
                break;
            piece = rest;
        }
        if (m_stoppedAtLine > 0)
            break;
    }
    const QString last = trimmedEnd(statement);
    if (!stopping() && !last.isEmpty())
        RunStatement(last);
    // A comment never closed took in the rest of the script: said, not passed over.
    if (!stopping() && last.isEmpty() && collector.InComment())
        Guarded([] { throw EScriptCommentError(); });

    TQvDatabase* database = Database();
    Guarded([&] {
        // A stopped run's work is rolled back, never committed.
        if (m_stoppedAtLine > 0) {
            if (!m_work && Transaction())
                m_work.emplace(*Transaction(), TQvTransactionScope::TakeOverActive);
            m_work.reset();
        } else
            CommitWork();
    });
    Guarded([&] {
        if (database && database->Connected())
            database->Close();
    });
}

void TQvScript::RunStatement(const QString& text)
{
    Guarded([&] {
        SetSQLText(text);
        // Words are read line by line: a "--" comment ends with its line.
        const QStringList lines = text.split(QLatin1Char('\n'));
        // Four words tell a script-only statement and its word count apart.
        const QStringList tokens = ScriptTokens(lines, 4, TextBytes());
        // Nothing but comments: nothing to run.
        if (tokens.isEmpty())
            return;
        if (!RunScriptOnly(tokens, lines))
            Execute(tokens, text);
        StartIfConnected();
    });
    try {
        Close();
        SetSQL({});
    } catch (const EQvError& error) {
        Failed(error.Message());
    }
}

bool TQvScript::RunScriptOnly(const QStringList& tokens, const QStringList& lines)
{
    const QString& first = tokens.at(0);
    if (sameWord(first, "CONNECT")) {
        Connect(ScriptTokens(lines, -1, TextBytes()));
        return true;
    }
    if (tokens.size() < 2)
        return false;
    const QString& second = tokens.at(1);
    if (sameWord(first, "CREATE") && sameWord(second, "DATABASE")) {
        CreateNewDatabase(ScriptTokens(lines, -1, TextBytes()));
        return true;
    }
    if (sameWord(first, "DROP") && sameWord(second, "DATABASE")) {
        DropCurrentDatabase(tokens);
        return true;
    }
    if (sameWord(first, "SET") && sameWord(second, "TERM")) {
        SetTerm(tokens);
        return true;
    }
    if (sameWord(first, "SET") && sameWord(second, "NAMES")) {
        SetNames(ScriptTokens(lines, -1, TextBytes()));
        return true;
    }
    if (tokens.size() >= 3 && sameWord(first, "SET") && sameWord(second, "SQL") && sameWord(tokens.at(2), "DIALECT")) {
        SetDialect(ScriptTokens(lines, -1, TextBytes()));
        return true;
    }
    return false;
}

void TQvScript::StartIfConnected()
{
    TQvDatabase* database = Database();
    TQvTransaction* transaction = Transaction();
    // After DROP DATABASE, or before any CONNECT, there is nothing to start on.
    if (database && database->Connected() && transaction && !transaction->Active())
        m_work.emplace(*transaction);
}

void TQvScript::CommitWork()
{
    TQvTransaction* transaction = Transaction();
    if (transaction && transaction->Active()) {
        if (!m_work)
            m_work.emplace(*transaction, TQvTransactionScope::TakeOverActive);
        try {
            m_work->Commit();
        } catch (const EQvError& error) {
            Failed(error.Message());
        }
    }
    // A commit that failed leaves the work to be rolled back here.
    m_work.reset();
}

void TQvScript::LeaveConnection()
{
    TQvDatabase& database = RequireDatabase();
    if (!database.Connected())
        return;
    CommitWork();
    database.Close();
}

void TQvScript::ShowParameterLines(const QStringList& lines)
{
    if (!m_showParams)
        return;
    for (const QString& line : lines)
        emit OnProcessLine(line, m_lineNo, m_numLines);
}

void TQvScript::Connect(const QStringList& tokens)
{
    if (tokens.size() < 2)
        throw EInvalidParameters(tooFewForConnect.toStdString());
    QString user, password, role, characterSet;
    bool hasUser = false, hasPassword = false, hasRole = false, hasCharacterSet = false;
    ClauseReader reader(tokens, 2, tooFewForConnect, QStringLiteral("Unknown clause for connect: "));
    while (!reader.atEnd()) {
        const int start = reader.position();
        if (reader.accept("USER")) {
            user = QvSql::Unquoted(reader.value());
            hasUser = true;
        } else if (reader.accept("PASSWORD")) {
            password = QvSql::Unquoted(reader.value());
            hasPassword = true;
        } else if (reader.accept("ROLE")) {
            role = QvSql::Unquoted(reader.value());
            hasRole = true;
        } else if (reader.accept("DEFAULT")) {
            reader.expect("CHARACTER", start);
            reader.expect("SET", start);
            characterSet = QvSql::Unquoted(reader.value());
            hasCharacterSet = true;
        } else {
            reader.unknown(start);
        }
    }
    // As the server's own tools do, the environment names the user and the
    // password a script leaves out.
    if (!hasUser && qEnvironmentVariableIsSet("ISC_USER")) {
        user = qEnvironmentVariable("ISC_USER");
        hasUser = true;
    }
    if (!hasPassword && qEnvironmentVariableIsSet("ISC_PASSWORD")) {
        password = qEnvironmentVariable("ISC_PASSWORD");
        hasPassword = true;
    }
    QStringList params;
    if (hasUser)
        params << QStringLiteral("isc_dpb_user_name=") + user;
    if (hasPassword)
        params << QStringLiteral("isc_dpb_password=") + password;
    if (hasRole)
        params << QStringLiteral("isc_dpb_sql_role_name=") + role;
    if (hasCharacterSet)
        params << QStringLiteral("isc_dpb_lc_ctype=") + characterSet;
    else if (!m_names.isEmpty())
        params << QStringLiteral("isc_dpb_lc_ctype=") + m_names;

    TQvDatabase& database = RequireDatabase();
    TQvTransaction& transaction = RequireTransaction();
    LeaveConnection();
    database.SetDBParams({});
    database.SetDBName(QvSql::Unquoted(tokens.at(1)));
    database.SetDBParams(params);
    ShowParameterLines(params);
    database.Open();
    m_work.emplace(transaction);
}

void TQvScript::CreateNewDatabase(const QStringList& tokens)
{
    if (tokens.size() < 3)
        throw EInvalidParameters(tooFewForCreate.toStdString());
    // "PAGE_SIZE=4096" is read as "PAGE_SIZE = 4096".
    QStringList words;
    for (qsizetype i = 3; i < tokens.size(); ++i) {
        const QString& token = tokens.at(i);
        const bool quoted = QvSql::QuotingOf(token) != QvSql::Quoting::None;
        if (quoted || !token.contains(QLatin1Char('=')) || token.size() == 1) {
            words << token;
            continue;
        }
        const QStringList parts = token.split(QLatin1Char('='));
        for (qsizetype j = 0; j < parts.size(); ++j) {
            if (j > 0)
                words << QStringLiteral("=");
            if (!parts.at(j).isEmpty())
                words << parts.at(j);
        }
    }
    QStringList options;
    bool hasUser = false, hasPassword = false, hasNames = false;
    ClauseReader reader(words, 0, tooFewForCreate, QStringLiteral("Unknown clause for create: "));
    while (!reader.atEnd()) {
        const int start = reader.position();
        if (reader.accept("USER")) {
            reader.value();
            hasUser = true;
        } else if (reader.accept("PASSWORD")) {
            reader.value();
            hasPassword = true;
        } else if (reader.accept("ROLE")) {
            reader.value();
        } else if (reader.accept("PAGE_SIZE")) {
            reader.accept("=");
            reader.value();
        } else if (reader.accept("LENGTH")) {
            reader.accept("=");
            reader.value();
            if (!reader.accept("PAGES"))
                reader.accept("PAGE");
        } else if (reader.accept("SET")) {
            reader.expect("NAMES", start);
            reader.value();
            hasNames = true;
        } else if (reader.accept("DEFAULT")) {
            reader.expect("CHARACTER", start);
            reader.expect("SET", start);
            reader.value();
            if (reader.accept("COLLATION"))
                reader.value();
        } else if (reader.accept("FILE")) {
            reader.value();
        } else if (reader.accept("STARTING")) {
            reader.accept("AT");
            reader.accept("PAGE");
            reader.value();
        } else if (reader.accept("DIFFERENCE")) {
            reader.expect("FILE", start);
            reader.value();
        } else {
            reader.unknown(start);
        }
        options << reader.textFrom(start);
    }
    // The client library reads the user and password before the other options.
    QStringList fromEnvironment;
    if (!hasUser && qEnvironmentVariableIsSet("ISC_USER"))
        fromEnvironment << QStringLiteral("USER ") + QvSql::SingleQuoted(qEnvironmentVariable("ISC_USER"));
    if (!hasPassword && qEnvironmentVariableIsSet("ISC_PASSWORD"))
        fromEnvironment << QStringLiteral("PASSWORD ") + QvSql::SingleQuoted(qEnvironmentVariable("ISC_PASSWORD"));
    // The character set of the new connection, as SET NAMES chose it, among
    // the options the client library reads before the server's own.
    if (!hasNames && !m_names.isEmpty())
        fromEnvironment << QStringLiteral("SET NAMES ") + QvSql::SingleQuoted(m_names);
    options = fromEnvironment + options;

    TQvDatabase& database = RequireDatabase();
    TQvTransaction& transaction = RequireTransaction();
    LeaveConnection();
    database.SetDBParams({});
    database.SetDBName(QvSql::Unquoted(tokens.at(2)));
    database.SetDBParams(options);
    database.SetCreateSQLDialect(m_dialect == 0 ? 1 : m_dialect);
    ShowParameterLines(options);
    database.CreateDatabase();
    m_work.emplace(transaction);
}

void TQvScript::DropCurrentDatabase(const QStringList& tokens)
{
    if (tokens.size() != 2)
        throw EInvalidParameters("Incorrect Drop Database");
    TQvDatabase& database = RequireDatabase();
    TQvTransaction* transaction = Transaction();
    if (transaction && transaction->Active()) {
        if (!m_work)
            m_work.emplace(*transaction, TQvTransactionScope::TakeOverActive);
        m_work->Commit();
    }
    m_work.reset();
    database.DropDatabase();
}

void TQvScript::SetTerm(const QStringList& tokens)
{
    if (tokens.size() != 3)
        throw EInvalidParameters("Incorrect Set Term");
    m_terminator = tokens.at(2);
}

void TQvScript::SetDialect(const QStringList& tokens)
{
    if (tokens.size() != 4)
        throw EInvalidParameters("Incorrect Set SQL Dialect");
    const QString& value = tokens.at(3);
    if (value != QLatin1String("1") && value != QLatin1String("3"))
        throw EInvalidParameters(
            QStringLiteral("Unsupported SQL dialect %1: a script can set dialect 1 or 3").arg(value).toStdString());
    m_dialect = value.toInt();
    SetSQLDialect(m_dialect);
}

void TQvScript::SetNames(const QStringList& tokens)
{
    if (tokens.size() != 3)
        throw EInvalidParameters("Incorrect Set Names");
    m_names = QvSql::Unquoted(tokens.at(2));
    m_namesBytes = QvTextCodec(m_names).characterBytes();
}

bool TQvScript::RunsImmediately(const QStringList& tokens, const QString& text) const
{
    // With parameter marks translated, only a prepared statement can take them.
    if (ParamCheck())
        return false;
    const QString& first = tokens.at(0);
    const bool setGenerator = tokens.size() > 1 && sameWord(first, "SET") && sameWord(tokens.at(1), "GENERATOR");
    // Statements the monitor shows no plan for, that return nothing; UPDATE
    // and DELETE have a plan, SELECT and EXECUTE a result.
    if (!setGenerator && !sameWord(first, "INSERT") && !isDDLWord(first) && !sameWord(first, "DROP")
        && !sameWord(first, "COMMENT") && !sameWord(first, "GRANT") && !sameWord(first, "REVOKE"))
        return false;
    // No "?" and no RETURNING outside strings and comments, and no q'...'
    // literal: the client library reads an immediate statement's words
    // itself first, and takes the quote in q'{it's}' for an open string.
    static const QLatin1String returning("RETURNING");
    const qsizetype length = text.size();
    const auto wordAt = [&](qsizetype i) {
        return (i == 0 || !isWordCharacter(text.at(i - 1)))
               && QStringView(text).mid(i, returning.size()).compare(returning, Qt::CaseInsensitive) == 0
               && (i + returning.size() >= length || !isWordCharacter(text.at(i + returning.size())));
    };
    bool immediate = true;
    QvSql::ForEachSpan(text, [&](const QvSql::Span& span) {
        if (span.Kind == QvSql::SpanKind::String) {
            const QStringView literal = QStringView(text).mid(span.Start, span.Length);
            immediate = QvSql::QuotingOf(literal) != QvSql::Quoting::Alternative;
        }
        if (span.Kind != QvSql::SpanKind::Code)
            return immediate;
        for (qsizetype i = span.Start; i < span.End() && immediate; ++i)
            immediate = text.at(i) != u'?' && !wordAt(i);
        return immediate;
    }, QvSql::ScanState::Code, QString(), TextBytes());
    return immediate;
}

QvSql::CharacterBytes TQvScript::TextBytes() const
{
    const TQvDatabase* database = Database();
    return database && database->Connected() ? database->TextCodec().characterBytes() : m_namesBytes;
}

void TQvScript::Execute(const QStringList& tokens, const QString& text)
{
    // DDL and other statements never share a transaction: a table is usable
    // only once its creation is committed.
    const bool ddl = isDDLWord(tokens.at(0));
    if (ddl != m_ddl) {
        m_ddl = ddl;
        RequireTransaction();
        // A failed commit is reported on its own; the statement still runs,
        // in a new transaction.
        CommitWork();
        StartIfConnected();
    }
    emit OnExecuteSQL();
    if (RunsImmediately(tokens, text)) {
        ExecImmediate();
    } else {
        ExecQuery();
        Close();
    }
    SetSQL({});
}
