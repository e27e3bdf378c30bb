#include "app/shell/DataM.h"

#include <QColor>
#include <QPalette>
#include <QApplication>

#include "access/QvDatabase.h"
#include "access/QvDataSet.h"
#include "access/QvQuery.h"
#include "editor/qeGeneralSyn.h"

TDM* DM = nullptr;

namespace {

void setAttribute(TqeHighLightAttributes* attribute, const QColor& foreground,
                  const QColor& background, TFontStyles style = {})
{
    attribute->SetForeground(foreground);
    attribute->SetBackground(background);
    attribute->SetStyle(style);
}

} // namespace

const QStringList& TDM::SQLKeywords()
{
    static const QStringList words{
    "ACTIVE", "ADD", "AFTER", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "ASCENDING", "AT",
    "AUTO", "AUTODDL", "AVG", "BASE_NAME", "BASED", "BASENAME", "BEFORE", "BEGIN", "BETWEEN",
    "BLOB", "BLOBEDIT", "BUFFER", "BY", "CACHE", "CAST", "CHAR", "CHAR_LENGTH", "CHARACTER",
    "CHARACTER_LENGTH", "CHECK", "CHECK_POINT_LEN", "CHECK_POINT_LENGTH", "CLOSE", "COLLATE",
    "COLLATION", "COLUMN", "COMMIT", "COMMIT_GROUP_WAIT", "COMMITTED", "COMPILETIME",
    "COMPUTED", "CONDITIONAL", "CONNECT", "CONSTRAINT", "CONTAINING", "CONTINUE", "COUNT",
    "CREATE", "CSTRING", "CURRENT", "CURSOR", "DATABASE", "DATE", "DB_KEY", "DEBUG", "DEC",
    "DECIMAL", "DECLARE", "DEFAULT", "DELETE", "DESC", "DESCENDING", "DESCRIBE", "DESCRIPTOR",
    "DISCONNECT", "DISPLAY", "DISTINCT", "DO", "DOMAIN", "DOUBLE", "DROP", "ECHO", "EDIT",
    "ELSE", "END", "ENTRY_POINT", "ESCAPE", "EVENT", "EXCEPTION", "EXECUTE", "EXISTS", "EXIT",
    "EXTERN", "EXTERNAL", "EXTRACT", "FETCH", "FILE", "FILTER", "FLOAT", "FOR", "FOREIGN",
    "FOUND", "FROM", "FULL", "FUNCTION", "GDSCODE", "GEN_ID", "GENERATOR", "GLOBAL", "GOTO",
    "GRANT", "GROUP", "GROUP_COMMIT_WAIT_TIME", "HAVING", "HELP", "IF", "IMMEDIATE", "IN",
    "INACTIVE", "INDEX", "INDICATOR", "INIT", "INNER", "INPUT", "INPUT_TYPE", "INSERT", "INT",
    "INTEGER", "INTO", "IS", "ISOLATION", "ISQL", "JOIN", "KEY", "LC_MESSAGES", "LC_TYPE",
    "LEFT", "LENGTH", "LEV", "LEVEL", "LIKE", "LOG_BUF_SIZE", "LOG_BUFFER_SIZE", "LOGFILE",
    "LONG", "MANUAL", "MAX", "MAX_SEGMENT", "MAXIMUM", "MAXIMUM_SEGMENT", "MERGE", "MESSAGE",
    "MIN", "MINIMUM", "MODULE_NAME", "NAMES", "NATIONAL", "NATURAL", "NCHAR", "NO", "NOAUTO",
    "NOT", "NULL", "NUM_LOG_BUFFERS", "NUM_LOG_BUFS", "NUMERIC", "OCTET_LENGTH", "OF", "ON",
    "ONLY", "OPEN", "OPTION", "OR", "ORDER", "OUTER", "OUTPUT", "OUTPUT_TYPE", "OVERFLOW",
    "PAGE", "PAGE_SIZE", "PAGELENGTH", "PAGES", "PARAMETER", "PASSWORD", "PLAN", "POSITION",
    "POST_EVENT", "PRECISION", "PREPARE", "PRIMARY", "PRIVILEGES", "PROCEDURE", "PROTECTED",
    "PUBLIC", "QUIT", "RAW_PARTITIONS", "RDB$DB_KEY", "READ", "REAL", "RECORD_VERSION",
    "REFERENCES", "RELEASE", "RESERV", "RESERVING", "RETAIN", "RETURN", "RETURNING_VALUES",
    "RETURNS", "REVOKE", "RIGHT", "ROLLBACK", "RUNTIME", "SCHEMA", "SEGMENT", "SELECT", "SET",
    "SHADOW", "SHARED", "SHELL", "SHOW", "SINGULAR", "SIZE", "SMALLINT", "SNAPSHOT", "SOME",
    "SORT", "SQL", "SQLCODE", "SQLERROR", "SQLWARNING", "STABILITY", "STARTING", "STARTS",
    "STATEMENT", "STATIC", "STATISTICS", "SUB_TYPE", "SUM", "SUSPEND", "TABLE", "TERMINATOR",
    "THEN", "TO", "TRANSACTION", "TRANSLATE", "TRANSLATION", "TRIGGER", "TRIM", "UNCOMMITTED",
    "UNION", "UNIQUE", "UPDATE", "UPPER", "USER", "USING", "VALUE", "VALUES", "VARCHAR",
    "VARIABLE", "VARYING", "VERSION", "VIEW", "WAIT", "WHEN", "WHENEVER", "WHERE", "WHILE",
    "WITH", "WORK", "WRITE",
    };
    return words;
}

TDM::TDM(QObject* parent)
    : QObject(parent)
    , m_mainDB(new TQvDatabase(this))
    , m_ibTran(new TQvTransaction(this))
    , m_query(new TQvQuery(this))
    , m_ibDs(new TQvDataSet(this))
    , m_syntax(new TqeGeneralSyn(this))
{
    setObjectName(QStringLiteral("DM"));
    m_mainDB->setObjectName(QStringLiteral("MainDB"));
    m_mainDB->SetTimeout(0);
    m_ibTran->setObjectName(QStringLiteral("IBTran"));
    m_ibTran->SetTimeoutAction(TARollback);
    m_query->setObjectName(QStringLiteral("Query"));
    m_query->SetTransaction(m_ibTran);
    m_query->SetParamCheck(true);
    m_ibDs->setObjectName(QStringLiteral("IBDs"));
    m_ibDs->SetTransaction(m_ibTran);
    m_ibDs->SetBufferChunks(32);
    m_ibDs->SetCachedUpdates(false);
    m_syntax->setObjectName(QStringLiteral("Syntax"));

    m_syntax->SetComments(csCStyle);
    const QPalette palette = QApplication::palette();
    const QColor windowText = palette.color(QPalette::Text);
    const QColor window = palette.color(QPalette::Base);
    const QColor green(0, 128, 0);
    for (TqeHighLightAttributes* attribute :
         {m_syntax->IdentifierAttri(), m_syntax->SymbolAttri(), m_syntax->SpaceAttri()})
        setAttribute(attribute, windowText, window);
    setAttribute(m_syntax->CommentAttri(), green, window, fsItalic);
    setAttribute(m_syntax->KeyAttri(), windowText, window, fsBold);
    setAttribute(m_syntax->NumberAttri(), QColor(0, 0, 255), window);
    setAttribute(m_syntax->StringAttri(), QColor(255, 0, 0), window);
    setAttribute(m_syntax->HyperLinkAttri(), green, window, TFontStyles(fsBold) | fsUnderline);
    setAttribute(m_syntax->ExecutionPointAttri(), QColor(255, 255, 0), QColor(0, 0, 255));
    setAttribute(m_syntax->BreakPointAttri(), QColor(255, 255, 255), QColor(255, 0, 0), fsBold);
    m_syntax->SetKeyWords(SQLKeywords());

    DM = this;
}

TDM::~TDM()
{
    if (DM == this)
        DM = nullptr;
}
