// Reading back what SQL text says: literals and names unquoted, the words
// a statement begins with, and what stored fragments hold.

#include "access/QvSqlRead.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlRead, UnquotedTakesTheQuotesOffOneWholeLiteralOrName)
{
    EXPECT_EQ(QvSql::Unquoted(u"'/tmp/a.fdb'"), QStringLiteral("/tmp/a.fdb"));
    EXPECT_EQ(QvSql::Unquoted(u"\"it\"\"s\""), QStringLiteral("it\"s"));
    EXPECT_EQ(QvSql::Unquoted(u"'O''Brien'"), QStringLiteral("O'Brien"));
    EXPECT_EQ(QvSql::Unquoted(u"SYSDBA"), QStringLiteral("SYSDBA"));
}

} // namespace
