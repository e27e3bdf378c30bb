#pragma once

// What the extraction writers share among themselves.

#include "access/QvQuery.h"
#include "access/QvSqlRead.h"
#include "access/QvTransactionScope.h"
#include "app/sqltools/ExtractWriters.h"

class TCatalogQuery;

// One writer's pass over the system tables: its transaction started, a
// statement on it, and everything rolled back unless the writer commits.
class TWriterScope
{
public:
    explicit TWriterScope(TExtractJob& job);
    TQvQuery& Query() { return m_query; }
    void Commit() { m_transaction.Commit(); }

private:
    TQvTransactionScope m_transaction;
    TQvQuery m_query;
};

// "COMMENT ON <what> <name> IS '<description>'" and the terminator, so that
// the description reaches the new database whole; nothing when it is empty.
// The names are stored ones; a column's or parameter's owner gives its
// table, view or routine, and a packaged routine's package comes first.
void WriteCommentOn(TExtractJob& job, const QString& what, const QString& name, const QString& description,
                    const QString& terminator = QStringLiteral(";"), const QString& owner = QString(),
                    const QString& package = QString());

// A stored fragment (a default, a check, a computed column's or a view's
// source) as the script writes it, followed by other text: when its last
// line holds a comment, that text must start on a line of its own.
using QvSql::Fragment;

// The user tables (views left out), parents of foreign keys before their
// children, else in name order.
QStringList TablesParentsFirst(TExtractJob& job, TQvQuery& query);
