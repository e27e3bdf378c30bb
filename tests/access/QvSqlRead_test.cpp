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
    EXPECT_EQ(QvSql::Unquoted(u"q'{it''s}'"), QStringLiteral("it''s"));
    EXPECT_EQ(QvSql::Unquoted(u"Q'##'"), QString());
    // Anything but one closed literal stands as it is.
    for (const char16_t* text : {u"SYSDBA", u"'a' || 'b'", u"'open", u"q'{x}", u"x'41'", u""})
        EXPECT_EQ(QvSql::Unquoted(text), QString::fromUtf16(text));
}

TEST(SqlRead, LeadWordsPassOverBlanksAndComments)
{
    const QString text = QStringLiteral("/* a */ -- b\r\n create\tView \"My \"\"V\"\"\"(A) as select");
    const QList<QvSql::Word> words = QvSql::LeadWords(text, 5);
    QStringList read;
    for (const QvSql::Word& word : words)
        read << text.mid(word.Start, word.Length);
    // Reading stops at the parenthesis.
    EXPECT_EQ(read, (QStringList{"create", "View", "\"My \"\"V\"\"\""}));
    EXPECT_TRUE(QvSql::IsKeyword(text, words[1], QLatin1String("VIEW")));
    EXPECT_EQ(QvSql::LeadWords(u"-- all comment", 3).size(), 0);
}

TEST(SqlRead, StoredDefaultsReadBackAsTyped)
{
    EXPECT_EQ(QvSql::StoredDefault(u"DEFAULT 0"), QStringLiteral("0"));
    EXPECT_EQ(QvSql::StoredDefault(u"default  'it''s' "), QStringLiteral("it's"));
    EXPECT_EQ(QvSql::StoredDefault(u"DEFAULT \"abc\""), QStringLiteral("abc"));
    EXPECT_EQ(QvSql::StoredDefault(u"DEFAULT USER"), QStringLiteral("USER"));
    EXPECT_EQ(QvSql::StoredDefault(u"DEFAULT CURRENT_TIMESTAMP"), QStringLiteral("CURRENT_TIMESTAMP"));
    EXPECT_EQ(QvSql::StoredDefault(u""), QString());
    // A parameter's default, a comment the server kept, a q'...' literal.
    EXPECT_EQ(QvSql::StoredDefault(u"= 5"), QStringLiteral("5"));
    EXPECT_EQ(QvSql::StoredDefault(u"default 'x' -- why"), QStringLiteral("x"));
    EXPECT_EQ(QvSql::StoredDefault(u"DEFAULT /* a */ q'{it's}'"), QStringLiteral("it's"));
    // The keyword is a whole word.
    EXPECT_EQ(QvSql::StoredDefault(u"DEFAULTS"), QStringLiteral("DEFAULTS"));
}

TEST(SqlRead, ParenthesizedTextOfChecksAndComputedSources)
{
    const QLatin1String check("CHECK");
    EXPECT_EQ(QvSql::ParenthesizedText(u"check(a>0)", check), QStringLiteral("a>0"));
    EXPECT_EQ(QvSql::ParenthesizedText(u"CHECK ((A > 0) and (B in (1, 2)))", check),
              QStringLiteral("(A > 0) and (B in (1, 2))"));
    EXPECT_EQ(QvSql::ParenthesizedText(u"check (A <> ')' and B > 0)", check), QStringLiteral("A <> ')' and B > 0"));
    EXPECT_EQ(QvSql::ParenthesizedText(u"CHECK (A > 0\r\n-- why )\r\n)", check), QStringLiteral("A > 0\r\n-- why )"));
    EXPECT_EQ(QvSql::ParenthesizedText(u"  CHECK (A > 0\r\n)  ", check), QStringLiteral("A > 0"));
    // What the server keeps of a domain declared with comments.
    EXPECT_EQ(QvSql::ParenthesizedText(u"-- dc\n check (value > 0) -- cc", check), QStringLiteral("value > 0"));
    EXPECT_EQ(QvSql::ParenthesizedText(u"", check), QString());
    EXPECT_EQ(QvSql::ParenthesizedText(u"(A + 1) -- bc"), QStringLiteral("A + 1"));
    EXPECT_EQ(QvSql::ParenthesizedText(u"((a) + (b))"), QStringLiteral("(a) + (b)"));
    EXPECT_EQ(QvSql::ParenthesizedText(u" A + 1 "), QStringLiteral("A + 1"));
}

TEST(SqlRead, AFragmentEndingInALineCommentIsFollowedOnANewLine)
{
    EXPECT_EQ(QvSql::Fragment(QStringLiteral("DEFAULT 0 -- zero")), QStringLiteral("DEFAULT 0 -- zero\r\n"));
    for (const char* kept : {"DEFAULT '--'", "A -- x\r\n  + 1", "/* -- */ 1", "x -- y\rz"})
        EXPECT_EQ(QvSql::Fragment(QString::fromLatin1(kept)), QString::fromLatin1(kept));
}

// The calls a view's source makes, as the server reads its names: exactly,
// and never from a comment or a string.
TEST(SqlRead, NamesUsedAreReadExactlyAndOnlyFromCode)
{
    const auto calls = [](QStringView text, int dialect) {
        QStringList called;
        for (const QvSql::NameUse& use : QvSql::NamesUsed(text, dialect))
            if (use.Called)
                called << (use.Qualifier.isEmpty() ? use.Name : use.Qualifier + QLatin1Char('.') + use.Name);
        return called;
    };
    EXPECT_EQ(calls(u"select \"f\"\"1\"() a, \"k\"\"2\" . x ( ) b, f(1), \"f\" /* c */ (), count(*) from t", 3),
              (QStringList{QStringLiteral("f\"1"), QStringLiteral("k\"2.X"), QStringLiteral("F"), QStringLiteral("f"),
                           QStringLiteral("COUNT")}));
    EXPECT_EQ(calls(u"select 1 /* G() */ from t where n <> 'H()' and m <> q'{I()}' -- J()\n", 3), QStringList());
    // A number is no name, and a name after it is not qualified by it.
    EXPECT_EQ(calls(u"select 1.E() from t", 3), QStringList{QStringLiteral("E")});
    // As the catalog keeps a quoted name: without its trailing blanks.
    EXPECT_EQ(calls(u"select \"g \"() from t", 3), QStringList{QStringLiteral("g")});
    // Dialect 1 reads double quotes as a string.
    EXPECT_EQ(calls(u"select \"f\"(), g() from t", 1), QStringList{QStringLiteral("G")});
    const QList<QvSql::NameUse> uses = QvSql::NamesUsed(u"select t.a from t", 3);
    ASSERT_EQ(uses.size(), 5);
    EXPECT_EQ(uses.at(2).Qualifier, QStringLiteral("T"));
    EXPECT_EQ(uses.at(2).Name, QStringLiteral("A"));
    EXPECT_FALSE(uses.at(2).Called);
}

TEST(SqlRead, AValueWrittenInSqlIsOneLiteralOrContextValue)
{
    for (const char* value : {"'abc'", " 'it''s' ", "_UTF8 'abc'", "_win1252'x'", "X'4142'", "x''", "q'{a'b}'",
                              "_UTF8 q'[x]'", "NULL", "user", "Current_User", "CURRENT_ROLE", "CURRENT_DATE",
                              "current_timestamp", "CURRENT_TIMESTAMP(3)", "CURRENT_TIME ( 0 )"})
        EXPECT_TRUE(QvSql::IsWrittenValue(QString::fromLatin1(value))) << value;
    for (const char* text : {"", "abc", "NOW", "\"abc\"", "'a' || 'b'", "'a' 'b'", "X '41'", "_UTF8 x 'a'",
                             "_ 'a'", "Y'41'", "'open", "CURRENT_TIMESTAMP(x)", "CURRENT_USER(1)",
                             "CURRENT_TIMESTAMP)", "'a' -- b", "1", "USER1"})
        EXPECT_FALSE(QvSql::IsWrittenValue(QString::fromLatin1(text))) << text;
}

} // namespace
