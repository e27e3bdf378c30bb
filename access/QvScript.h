#pragma once

// Runs a whole SQL script statement by statement: splits its lines at a
// changeable terminator, handles the script-only statements CONNECT,
// CREATE DATABASE, DROP DATABASE, SET TERM, SET SQL DIALECT and SET NAMES
// itself, sends every other statement to the server, reports each line and
// each failure, and goes on after a failure.

#include "access/QvQuery.h"
#include "access/QvSqlScan.h"
#include "access/QvTransactionScope.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

// A script-only statement that cannot be carried out as written.
class EInvalidParameters : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Comment marks that do not pair up in a statement; the message is
// "Error parsing comments".
class EScriptCommentError : public std::runtime_error
{
public:
    EScriptCommentError();
};

// The words of a statement with its comments removed, cut at blanks outside
// quoted values (a quoted value is one word, quotes kept); at most `limit`
// of them when it is not negative. The whole text is checked all the same:
// raises EScriptCommentError for an unclosed "/*" or a "*/" outside a comment.
// `bytes` tells how the connection's character set reads q'...' literals.
QStringList ScriptTokens(const QStringList& lines, int limit = -1,
                         QvSql::CharacterBytes bytes = QvSql::CharacterBytes::Single);

// The lines of a script's text. A line ends at a line feed, together with
// the carriage returns right before it (a file written with CR LF line ends
// reads as one written with LF); any other carriage return is part of its
// line. A final line feed ends the last line and starts none.
QStringList ScriptLines(const QString& text);

class TQvScript : public TQvQuery
{
    Q_OBJECT

public:
    explicit TQvScript(QObject* parent = nullptr);

    // Runs every statement of Script (see the class comment); ends with the
    // transaction committed and the database closed. A statement reaches the
    // server as it stands in the script, from its first word to its
    // terminator: blanks, blank lines and comments inside it are kept, its
    // lines joined by line feeds; those before it are dropped, a "--"
    // comment up to its line's end, as isql-fb drops them. A line's
    // characters all belong to it, a carriage return included.
    void ExecuteScript();

    // The script's lines, without their line ends (see ScriptLines).
    const QStringList& Script() const { return m_script; }
    void SetScript(const QStringList& lines) { m_script = lines; }
    // Pass the connection parameters CONNECT and CREATE DATABASE build to
    // OnProcessLine.
    bool ShowParams() const { return m_showParams; }
    void SetShowParams(bool show) { m_showParams = show; }
    // Whether a statement, a commit or the closing of the last run failed.
    bool ErrorsOccurred() const { return m_errorsOccurred; }
    // The statement terminator in force (";" at the start of every run).
    const QString& Terminator() const { return m_terminator; }
    // Ends the run before its next statement; meant for a handler of the
    // run's events. The open transaction is rolled back, not committed, and
    // the database closed.
    void Stop() { m_stopRequested = true; }
    // The line being read when the last run stopped (its statement did not
    // run); 0 when the run went to the end.
    int StoppedAtLine() const { return m_stoppedAtLine; }
    // The dialect SET SQL DIALECT chose (1 or 3), or 0 before any: then a
    // CREATE DATABASE makes a dialect-1 database and statements follow their
    // database's dialect. Every run starts at 0.
    int ScriptDialect() const { return m_dialect; }
    // The character set SET NAMES chose for the next CONNECT or CREATE
    // DATABASE; empty before any. Every run starts without one.
    const QString& Names() const { return m_names; }

signals:
    // Each line read, with its 1-based number and the script's line count;
    // also each connection parameter line when ShowParams is set.
    void OnProcessLine(const QString& line, int lineNo, int numLines);
    // Right before a statement goes to the server.
    void OnExecuteSQL();
    // "FAILED - " and the message of each failure.
    void OnError(const QString& line, int lineNo, int numLines);

private:
    class Collector;

    void RunStatement(const QString& text);
    // `tokens` holds the statement's first words; `lines` the statement.
    bool RunScriptOnly(const QStringList& tokens, const QStringList& lines);
    void Connect(const QStringList& tokens);
    void CreateNewDatabase(const QStringList& tokens);
    void DropCurrentDatabase(const QStringList& tokens);
    void SetTerm(const QStringList& tokens);
    void SetDialect(const QStringList& tokens);
    void SetNames(const QStringList& tokens);
    void Execute(const QStringList& tokens, const QString& text);
    // Whether the statement can go in one call (no parameters, no result,
    // nothing the monitor would show a plan for).
    bool RunsImmediately(const QStringList& tokens, const QString& text) const;
    // Commits and closes a connection an earlier CONNECT or CREATE left open.
    void LeaveConnection();
    // Commits the work so far; a failed commit is reported and the work
    // rolled back.
    void CommitWork();
    void ShowParameterLines(const QStringList& lines);
    // How the server reads statement text on the connection in force (the
    // open one, else the one SET NAMES chose for the next).
    QvSql::CharacterBytes TextBytes() const;
    void StartIfConnected();
    TQvDatabase& RequireDatabase() const;
    TQvTransaction& RequireTransaction() const;
    // Reports a failure; the run goes on.
    void Failed(const QString& message);
    template <typename Step>
    void Guarded(Step step);

    QStringList m_script;
    QString m_terminator = QStringLiteral(";");
    bool m_errorsOccurred = false;
    bool m_showParams = false;
    bool m_ddl = false;
    bool m_stopRequested = false;
    int m_stoppedAtLine = 0;
    int m_dialect = 0;
    QString m_names;
    QvSql::CharacterBytes m_namesBytes = QvSql::CharacterBytes::Single;
    int m_lineNo = 0;
    int m_numLines = 0;
    // The transaction's work since it started or was last committed.
    std::optional<TQvTransactionScope> m_work;
};
