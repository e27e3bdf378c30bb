// The words the server reserves, asked of the server itself: every keyword
// of Firebird 3's grammar, reserved or not, tried as a plain table name. A
// word it refuses must be one the name functions quote, or a script would
// not replay; one it takes stays plain, as the server stores it.

#include "AccessTest_support.h"
#include "access/QvQuery.h"
#include "access/QvSqlText.h"

#include <gtest/gtest.h>

namespace {

const char* const keywords[] = {
    "ABS", "ABSOLUTE", "ACCENT", "ACOS", "ACOSH", "ACTION", "ACTIVE", "ADD", "ADMIN", "AFTER", "ALL", "ALTER",
    "ALWAYS", "AND", "ANY", "AS", "ASC", "ASCENDING", "ASCII_CHAR", "ASCII_VAL", "ASIN", "ASINH", "AT", "ATAN",
    "ATAN2", "ATANH", "AUTO", "AUTONOMOUS", "AVG", "BACKUP", "BEFORE", "BEGIN", "BETWEEN", "BIGINT", "BIN_AND",
    "BIN_NOT", "BIN_OR", "BIN_SHL", "BIN_SHR", "BIN_XOR", "BIT_LENGTH", "BLOB", "BLOCK", "BODY", "BOOLEAN", "BOTH",
    "BREAK", "BY", "CALLER", "CASCADE", "CASE", "CAST", "CEIL", "CEILING", "CHAR", "CHARACTER", "CHARACTER_LENGTH",
    "CHAR_LENGTH", "CHAR_TO_UUID", "CHECK", "CLOSE", "COALESCE", "COLLATE", "COLLATION", "COLUMN", "COMMENT",
    "COMMIT", "COMMITTED", "COMMON", "COMPUTED", "CONDITIONAL", "CONNECT", "CONSTRAINT", "CONTAINING", "CONTINUE",
    "CORR", "COS", "COSH", "COT", "COUNT", "COVAR_POP", "COVAR_SAMP", "CREATE", "CROSS", "CSTRING", "CURRENT",
    "CURRENT_CONNECTION", "CURRENT_DATE", "CURRENT_ROLE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_TRANSACTION",
    "CURRENT_USER", "CURSOR", "DATA", "DATABASE", "DATE", "DATEADD", "DATEDIFF", "DAY", "DDL", "DEC", "DECIMAL",
    "DECLARE", "DECODE", "DECRYPT", "DEFAULT", "DELETE", "DELETING", "DENSE_RANK", "DESC", "DESCENDING",
    "DESCRIPTOR", "DETERMINISTIC", "DIFFERENCE", "DISCONNECT", "DISTINCT", "DO", "DOMAIN", "DOUBLE", "DROP", "ELSE",
    "ENCRYPT", "END", "ENGINE", "ENTRY_POINT", "ESCAPE", "EXCEPTION", "EXECUTE", "EXISTS", "EXIT", "EXP", "EXTERNAL",
    "EXTRACT", "FALSE", "FETCH", "FILE", "FILTER", "FIRST", "FIRSTNAME", "FIRST_VALUE", "FLOAT", "FLOOR", "FOR",
    "FOREIGN", "FREE_IT", "FROM", "FULL", "FUNCTION", "GDSCODE", "GENERATED", "GENERATOR", "GEN_ID", "GEN_UUID",
    "GLOBAL", "GRANT", "GRANTED", "GROUP", "HASH", "HAVING", "HOUR", "IDENTITY", "IF", "IGNORE", "IIF", "IN",
    "INACTIVE", "INCREMENT", "INDEX", "INNER", "INPUT_TYPE", "INSENSITIVE", "INSERT", "INSERTING", "INT", "INTEGER",
    "INTO", "IS", "ISOLATION", "JOIN", "KEY", "LAG", "LAST", "LASTNAME", "LAST_VALUE", "LEAD", "LEADING", "LEAVE",
    "LEFT", "LENGTH", "LEVEL", "LIKE", "LIMBO", "LINGER", "LIST", "LN", "LOCALTIME", "LOCALTIMESTAMP", "LOCK", "LOG",
    "LOG10", "LONG", "LOWER", "LPAD", "MANUAL", "MAPPING", "MATCHED", "MATCHING", "MAX", "MAXIMUM_SEGMENT",
    "MAXVALUE", "MERGE", "MESSAGE", "MIDDLENAME", "MILLISECOND", "MIN", "MINUTE", "MINVALUE", "MOD", "MODULE_NAME",
    "MONTH", "NAME", "NAMES", "NATIONAL", "NATURAL", "NCHAR", "NEXT", "NO", "NOT", "NTH_VALUE", "NULL", "NULLIF",
    "NULLS", "NUMERIC", "OCTET_LENGTH", "OF", "OFFSET", "ON", "ONLY", "OPEN", "OPTION", "OR", "ORDER", "OS_NAME",
    "OUTER", "OUTPUT_TYPE", "OVER", "OVERFLOW", "OVERLAY", "PACKAGE", "PAD", "PAGE", "PAGES", "PAGE_SIZE",
    "PARAMETER", "PARTITION", "PASSWORD", "PI", "PLACING", "PLAN", "PLUGIN", "POSITION", "POST_EVENT", "POWER",
    "PRECISION", "PRESERVE", "PRIMARY", "PRIOR", "PRIVILEGES", "PROCEDURE", "PROTECTED", "RAND", "RANK",
    "RDB$DB_KEY", "RDB$GET_CONTEXT", "RDB$RECORD_VERSION", "RDB$SET_CONTEXT", "READ", "REAL", "RECORD_VERSION",
    "RECREATE", "RECURSIVE", "REFERENCES", "REGR_AVGX", "REGR_AVGY", "REGR_COUNT", "REGR_INTERCEPT", "REGR_R2",
    "REGR_SLOPE", "REGR_SXX", "REGR_SXY", "REGR_SYY", "RELATIVE", "RELEASE", "REPLACE", "REQUESTS", "RESERV",
    "RESERVING", "RESTART", "RESTRICT", "RETAIN", "RETURN", "RETURNING", "RETURNING_VALUES", "RETURNS", "REVERSE",
    "REVOKE", "RIGHT", "ROLE", "ROLLBACK", "ROUND", "ROW", "ROWS", "ROW_COUNT", "ROW_NUMBER", "RPAD", "SAVEPOINT",
    "SCALAR_ARRAY", "SCHEMA", "SCROLL", "SECOND", "SEGMENT", "SELECT", "SENSITIVE", "SEQUENCE", "SERVERWIDE", "SET",
    "SHADOW", "SHARED", "SIGN", "SIMILAR", "SIN", "SINGULAR", "SINH", "SIZE", "SKIP", "SMALLINT", "SNAPSHOT", "SOME",
    "SORT", "SOURCE", "SPACE", "SQLCODE", "SQLSTATE", "SQRT", "STABILITY", "START", "STARTING", "STARTS",
    "STATEMENT", "STATISTICS", "STDDEV_POP", "STDDEV_SAMP", "SUBSTRING", "SUB_TYPE", "SUM", "SUSPEND", "TABLE",
    "TAGS", "TAN", "TANH", "TEMPORARY", "THEN", "TIME", "TIMEOUT", "TIMESTAMP", "TO", "TRAILING", "TRANSACTION",
    "TRIGGER", "TRIM", "TRUE", "TRUNC", "TRUSTED", "TWO_PHASE", "TYPE", "UNCOMMITTED", "UNDO", "UNION", "UNIQUE",
    "UNKNOWN", "UPDATE", "UPDATING", "UPPER", "USAGE", "USER", "USING", "UUID_TO_CHAR", "VALUE", "VALUES", "VARCHAR",
    "VARIABLE", "VARYING", "VAR_POP", "VAR_SAMP", "VIEW", "WAIT", "WEEK", "WEEKDAY", "WHEN", "WHERE", "WHILE",
    "WITH", "WORK", "WRITE", "YEAR", "YEARDAY",
};

TEST(ReservedWords, TheServerRefusesAsAPlainNameExactlyTheWordsThatAreQuoted)
{
    // The grammar is the engine's, the same through the server: one target.
    const qvtest::Target target = qvtest::embeddedTarget();
    QV_SKIP_UNLESS_REACHABLE(target);
    qvtest::TempDir dir;
    const std::unique_ptr<TQvDatabase> database = qvaccess::createDatabase(target, dir, QStringLiteral("words.fdb"),
                                                                           QStringLiteral("NONE"), 3);
    TQvTransaction transaction;
    database->SetDefaultTransaction(&transaction);
    QStringList refused;
    QStringList taken;
    for (const char* keyword : keywords) {
        const QString word = QString::fromLatin1(keyword);
        transaction.StartTransaction();
        TQvQuery create;
        create.SetDatabase(database.get());
        create.SetSQLText(QStringLiteral("create table %1 (A integer)").arg(word));
        try {
            create.ExecImmediate();
            transaction.Commit();
            taken << word;
        } catch (const EQvInterBaseError&) {
            transaction.Rollback();
            refused << word;
        }
    }
    for (const QString& word : refused)
        EXPECT_FALSE(QvSql::IsPlainName(word)) << word.toStdString() << " is reserved but written plain";
    for (const QString& word : taken)
        EXPECT_TRUE(QvSql::IsPlainName(word)) << word.toStdString() << " is quoted but not reserved";
    // The server's grammar, not a list that could drift from it.
    EXPECT_GT(refused.size(), 150);
    EXPECT_GT(taken.size(), 150);
    database->DropDatabase();
}

} // namespace
