#include "access/QvSqlText.h"

#include <gtest/gtest.h>

TEST(SqlText, LiteralsFollowTheDialectAndDoubleTheirQuote)
{
    EXPECT_EQ(QvSql::Literal(QStringLiteral("abc"), 1), QStringLiteral("\"abc\""));
    EXPECT_EQ(QvSql::Literal(QStringLiteral("abc"), 3), QStringLiteral("'abc'"));
    EXPECT_EQ(QvSql::Literal(QStringLiteral("say \"hi\" it's"), 1), QStringLiteral("\"say \"\"hi\"\" it's\""));
    EXPECT_EQ(QvSql::Literal(QStringLiteral("say \"hi\" it's"), 3), QStringLiteral("'say \"hi\" it''s'"));
    EXPECT_EQ(QvSql::SingleQuoted(QStringLiteral("')--")), QStringLiteral("''')--'"));
    EXPECT_EQ(QvSql::Literal(QString(), 3), QStringLiteral("''"));
}

TEST(SqlText, OnlyPlainUpperCaseNamesStandUnquoted)
{
    EXPECT_TRUE(QvSql::IsPlainName(QStringLiteral("CUSTOMER_2$")));
    EXPECT_FALSE(QvSql::IsPlainName(QStringLiteral("Customer")));
    EXPECT_FALSE(QvSql::IsPlainName(QStringLiteral("2ND")));
    EXPECT_FALSE(QvSql::IsPlainName(QStringLiteral("_X")));
    EXPECT_FALSE(QvSql::IsPlainName(QStringLiteral("MY TABLE")));
    EXPECT_FALSE(QvSql::IsPlainName(QStringLiteral("ORDER")));
    EXPECT_FALSE(QvSql::IsPlainName(QString::fromUtf8("STRAẞE")));
    EXPECT_FALSE(QvSql::IsPlainName(QString()));

    EXPECT_EQ(QvSql::Identifier(QStringLiteral("T1"), 3), QStringLiteral("T1"));
    EXPECT_EQ(QvSql::Identifier(QStringLiteral("Name"), 3), QStringLiteral("\"Name\""));
    EXPECT_EQ(QvSql::Identifier(QStringLiteral("ORDER"), 3), QStringLiteral("\"ORDER\""));
    EXPECT_EQ(QvSql::Identifier(QStringLiteral("a\"b"), 3), QStringLiteral("\"a\"\"b\""));
    EXPECT_EQ(QvSql::Identifier(QStringLiteral("Name"), 1), QStringLiteral("Name"));

    EXPECT_TRUE(QvSql::CanName(QStringLiteral("my table"), 3));
    EXPECT_FALSE(QvSql::CanName(QStringLiteral("my table"), 1));
    EXPECT_TRUE(QvSql::CanName(QStringLiteral("T"), 1));
    EXPECT_FALSE(QvSql::CanName(QString(), 3));
}

TEST(SqlText, ScriptLiteralsSpellControlCharactersOut)
{
    EXPECT_EQ(QvSql::ScriptLiteral(QStringLiteral("a\r\nb"), 3),
              QStringLiteral("'a' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'b'"));
    EXPECT_EQ(QvSql::ScriptLiteral(QStringLiteral("\tit's"), 3), QStringLiteral("ASCII_CHAR(9) || 'it''s'"));
    EXPECT_EQ(QvSql::ScriptLiteral(QStringLiteral("x\n"), 1), QStringLiteral("\"x\" || ASCII_CHAR(10)"));
    EXPECT_EQ(QvSql::ScriptLiteral(QString(), 3), QStringLiteral("''"));
}

TEST(SqlText, NothingWrittenIntoACommentCanEndIt)
{
    for (const QString& text : {QStringLiteral("**//; DROP TABLE X; /*"), QStringLiteral("*/CREATE TABLE INJ(A INT);/*"),
                                QStringLiteral("*/*/"), QStringLiteral("a*")}) {
        const QString comment = QStringLiteral("/* ") + QvSql::CommentText(text) + QStringLiteral(" */");
        EXPECT_EQ(comment.indexOf(QStringLiteral("*/")), comment.size() - 2) << qPrintable(text);
    }
}

TEST(SqlText, CommentOnAndTypedNames)
{
    EXPECT_EQ(QvSql::CommentOn(QStringLiteral("PARAMETER"), QStringLiteral("a"), QStringLiteral("it's"), 3,
                               QStringLiteral("myProc")),
              QStringLiteral("COMMENT ON PARAMETER \"myProc\".\"a\" IS 'it''s'"));
    EXPECT_EQ(QvSql::CommentOn(QStringLiteral("TABLE"), QStringLiteral("T"), QString(), 1),
              QStringLiteral("COMMENT ON TABLE T IS NULL"));
    // A packaged routine and its parameter name the package first.
    EXPECT_EQ(QvSql::CommentOn(QStringLiteral("PARAMETER"), QStringLiteral("P"), QStringLiteral("x"), 3,
                               QStringLiteral("F"), QStringLiteral("pk")),
              QStringLiteral("COMMENT ON PARAMETER \"pk\".F.P IS 'x'"));
    EXPECT_EQ(QvSql::CommentOn(QStringLiteral("PROCEDURE"), QStringLiteral("X"), QStringLiteral("x"), 3, QString(),
                               QStringLiteral("PK")),
              QStringLiteral("COMMENT ON PROCEDURE PK.X IS 'x'"));
    EXPECT_EQ(QvSql::NameFromTyped(QStringLiteral(" myProc "), 3), QStringLiteral("MYPROC"));
    EXPECT_EQ(QvSql::NameFromTyped(QStringLiteral("\"my \"\"Proc\"\"\""), 3), QStringLiteral("my \"Proc\""));
    EXPECT_EQ(QvSql::NameFromTyped(QStringLiteral("abc"), 1), QStringLiteral("ABC"));
}
