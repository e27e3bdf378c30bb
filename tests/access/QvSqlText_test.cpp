#include "access/QvSqlScan.h"
#include "access/QvSqlText.h"
#include "access/QvTextCodec.h"

#include <QRandomGenerator>

#include <algorithm>
#include <utility>
#include <vector>

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

TEST(SqlText, LongScriptLiteralsNestShallowly)
{
    // Many pieces: groups of groups, each at most 64 pieces long.
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("x\r\n");
    const QString literal = QvSql::ScriptLiteral(text, 3);
    int depth = 0;
    int deepest = 0;
    for (const QChar c : literal) {
        if (c == QLatin1Char('('))
            deepest = std::max(deepest, ++depth);
        else if (c == QLatin1Char(')'))
            --depth;
    }
    EXPECT_EQ(depth, 0);
    EXPECT_LE(deepest, 3 + 1); // the groups, and ASCII_CHAR's own parenthesis
    EXPECT_EQ(literal.count(QStringLiteral("ASCII_CHAR(13)")), 3000);
    EXPECT_TRUE(literal.startsWith(QStringLiteral("(('x' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'x'")));
    // Few pieces stay one plain chain.
    EXPECT_EQ(QvSql::ScriptLiteral(QStringLiteral("a\0b"), 3), QStringLiteral("'a' || ASCII_CHAR(0) || 'b'"));
}

TEST(SqlText, MetadataTextsKeepEveryCharacter)
{
    const QvTextCodec win1252(QStringLiteral("WIN1252"));
    const QvTextCodec none;
    EXPECT_EQ(QvSql::MetadataLiteral(QStringLiteral("f\u00fcr\nit's"), win1252), QStringLiteral("'f\u00fcr\nit''s'"));
    // A CR or a NUL would not survive a script reader: the UTF-8 bytes the
    // server keeps, or the bytes a connection without a set read.
    EXPECT_EQ(QvSql::MetadataLiteral(QStringLiteral("\u00fc\r\n") + QChar(0), win1252), QStringLiteral("X'C3BC0D0A00'"));
    EXPECT_EQ(QvSql::MetadataLiteral(QStringLiteral("\u00c3\u00bc\r"), none), QStringLiteral("X'C3BC0D'"));
    EXPECT_EQ(QvSql::ScriptCommentOn(QStringLiteral("COLUMN"), QStringLiteral("C"), QStringLiteral("a\rb"), 3, win1252,
                                     QStringLiteral("T")),
              QStringLiteral("COMMENT ON COLUMN T.C IS X'610D62'"));
    // A message kept as bytes: as a literal while the connection reads them back alike.
    EXPECT_EQ(QvSql::StoredBytesLiteral(QByteArray("f\xfcr"), win1252), QStringLiteral("'f\u00fcr'"));
    EXPECT_EQ(QvSql::StoredBytesLiteral(QByteArray("f\xfcr"), QvTextCodec(QStringLiteral("UTF8"))),
              QStringLiteral("X'66FC72'"));
    EXPECT_EQ(QvSql::StoredBytesLiteral(QByteArray("a\r\nb"), win1252), QStringLiteral("X'610D0A62'"));
}

TEST(SqlText, NothingWrittenIntoACommentCanEndIt)
{
    for (const QString& text : {QStringLiteral("**//; DROP TABLE X; /*"), QStringLiteral("*/CREATE TABLE INJ(A INT);/*"),
                                QStringLiteral("*/*/"), QStringLiteral("a*")}) {
        const QString comment = QStringLiteral("/* ") + QvSql::CommentText(text) + QStringLiteral(" */");
        EXPECT_EQ(comment.indexOf(QStringLiteral("*/")), comment.size() - 2) << qPrintable(text);
    }
    // Nor end the statement it stands in: the client library stops at a NUL.
    EXPECT_EQ(QvSql::CommentText(QStringLiteral("a") + QChar(0) + QStringLiteral("b")), QStringLiteral("ab"));
    // A NUL between "*" and "/" is gone before the comment end is broken.
    EXPECT_EQ(QvSql::CommentText(QStringLiteral("x*") + QChar(0) + QStringLiteral("/; CREATE TABLE INJ(A INT); /*")),
              QStringLiteral("x* /; CREATE TABLE INJ(A INT); /*"));
    // A terminal showing the script meets no escape sequence.
    EXPECT_EQ(QvSql::CommentText(QStringLiteral("a\a\x1b[2Jb\r\nc\rd\te\nf")), QStringLiteral("a  [2Jb\r\nc d\te\nf"));
}

// Whatever the text, each way the writers wrap it reads as one closed
// comment, and it shows no control character.
TEST(SqlText, RandomTextsInACommentStayOneClosedComment)
{
    static const char16_t alphabet[] = {u'*', u'*', u'/', u'/', u'*', u'/', 0, 0, u'\r', u'\n', u'\t', 7,
                                        27, 0x7f, 0x9b, u'a', u' ', u'\'', u'-', u';'};
    QRandomGenerator random(44);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random.bounded(24);
        for (int i = 0; i < length; ++i)
            text += QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
        const QString shown = QvSql::CommentText(text);
        // Tabs and line ends (LF, CR LF) only.
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const QChar c = shown.at(i);
            ASSERT_TRUE(c.category() != QChar::Other_Control || c == u'\n' || c == u'\t'
                        || (c == u'\r' && i + 1 < shown.size() && shown.at(i + 1) == u'\n'))
                << qPrintable(text);
        }
        // A routine's source keeps its descriptions' controls, but no NUL.
        const QString kept = QvSql::CommentTextKeepingControls(text);
        ASSERT_EQ(kept, QString(text).remove(QChar(0)).replace(QStringLiteral("*/"), QStringLiteral("* /")))
            << qPrintable(text);
        for (const QString& inside : {shown, kept}) {
            ASSERT_EQ(inside.indexOf(QStringLiteral("*/")), -1) << qPrintable(text);
            for (const auto& [open, close] :
                 {std::pair{"/* ", " */"}, std::pair{"/*", "*/"}, std::pair{" /*", "  */"}}) {
                const QString comment = QLatin1String(open) + inside + QLatin1String(close);
                std::vector<QvSql::Span> spans;
                QvSql::ForEachSpan(comment, [&spans](const QvSql::Span& span) {
                    spans.push_back(span);
                    return true;
                });
                // A leading blank is a code span of its own.
                const QvSql::Span& last = spans.back();
                ASSERT_TRUE(last.Kind == QvSql::SpanKind::Comment && last.Closed && last.End() == comment.size()
                            && spans.size() <= 2)
                    << qPrintable(text);
            }
        }
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

// The one name rule: what a typed name means, whether it can be saved, and
// how generated text writes it, in both dialects. A name the rule takes is
// read back as itself: what may be typed is what may be saved.
TEST(SqlText, TypedNamesMeanWhatTheServerReads)
{
    using QvSql::TNameCheck;
    struct Row
    {
        const char* typed;
        int dialect;
        TNameCheck check;
        const char* stored;  // for a valid name
        const char* written; // as a statement writes the stored name
    };
    const QString cyrillic15 = QString(15, QChar(0x0414));
    const Row rows[] = {
        {"abc", 1, TNameCheck::Valid, "ABC", "ABC"},
        {"  abc  ", 3, TNameCheck::Valid, "ABC", "ABC"},
        {"MixedCase", 3, TNameCheck::Valid, "MIXEDCASE", "MIXEDCASE"},
        {"\"MixedCase\"", 3, TNameCheck::Valid, "MixedCase", "\"MixedCase\""},
        {"\"MixedCase\"", 1, TNameCheck::NotInDialect, "", ""},
        {"\"lower\"", 3, TNameCheck::Valid, "lower", "\"lower\""},
        {"\"ABC\"", 3, TNameCheck::Valid, "ABC", "ABC"},
        {"\"ABC\"", 1, TNameCheck::NotInDialect, "", ""},
        {"\"MY TAB\"", 3, TNameCheck::Valid, "MY TAB", "\"MY TAB\""},
        {"\"my tab\"", 3, TNameCheck::Valid, "my tab", "\"my tab\""},
        {"\"my \"\"q\"\" tab\"", 3, TNameCheck::Valid, "my \"q\" tab", "\"my \"\"q\"\" tab\""},
        {"my tab", 3, TNameCheck::Invalid, "", ""},
        {"\"a\"b\"", 3, TNameCheck::Invalid, "", ""},
        {"\"ab", 3, TNameCheck::Invalid, "", ""},
        {"\"\"", 3, TNameCheck::Invalid, "", ""},
        {"\"   \"", 3, TNameCheck::Invalid, "", ""},
        {"A-B", 1, TNameCheck::Invalid, "", ""},
        {"A-B", 3, TNameCheck::Invalid, "", ""},
        {"\"A-B\"", 3, TNameCheck::Valid, "A-B", "\"A-B\""},
        {"A$B", 1, TNameCheck::Valid, "A$B", "A$B"},
        {"a$b_1", 3, TNameCheck::Valid, "A$B_1", "A$B_1"},
        {"order", 3, TNameCheck::Valid, "ORDER", "\"ORDER\""},
        {"order", 1, TNameCheck::NotInDialect, "", ""},
        {"\"ORDER\"", 3, TNameCheck::Valid, "ORDER", "\"ORDER\""},
        {"Stra\u00dfe", 3, TNameCheck::Invalid, "", ""},
        {"\"Stra\u00dfe\"", 3, TNameCheck::Valid, "Stra\u00dfe", "\"Stra\u00dfe\""},
        {"\"Stra\u00dfe\"", 1, TNameCheck::NotInDialect, "", ""},
        {"\u0414\u0410\u041d\u041d\u042b\u0415", 3, TNameCheck::Invalid, "", ""},
        {"1A", 1, TNameCheck::Invalid, "", ""},
        {"_A", 3, TNameCheck::Invalid, "", ""},
        {"ABCDEFGHIJABCDEFGHIJABCDEFGHIJA", 1, TNameCheck::Valid, "ABCDEFGHIJABCDEFGHIJABCDEFGHIJA",
         "ABCDEFGHIJABCDEFGHIJABCDEFGHIJA"},
        {"ABCDEFGHIJABCDEFGHIJABCDEFGHIJAB", 3, TNameCheck::Invalid, "", ""},
    };
    for (const Row& row : rows) {
        const QString typed = QString::fromUtf8(row.typed);
        SCOPED_TRACE(qPrintable(typed + QStringLiteral(" in dialect ") + QString::number(row.dialect)));
        EXPECT_EQ(QvSql::CheckTypedName(typed, row.dialect), row.check);
        if (row.check != TNameCheck::Valid)
            continue;
        const QString stored = QvSql::NameFromTyped(typed, row.dialect);
        EXPECT_EQ(stored, QString::fromUtf8(row.stored));
        EXPECT_EQ(QvSql::Identifier(stored, row.dialect), QString::fromUtf8(row.written));
        // Shown again for typing, the name means the same and passes again.
        const QString shown = QvSql::TypedName(stored, row.dialect);
        EXPECT_EQ(QvSql::NameFromTyped(shown, row.dialect), stored);
        EXPECT_EQ(QvSql::CheckTypedName(shown, row.dialect), TNameCheck::Valid);
        // Written into a procedure's text, it names the same.
        EXPECT_EQ(QvSql::NameFromTyped(QvSql::SourceName(typed, row.dialect), row.dialect), stored);
        // As a name edit shows it while typed, it still names the same: each
        // prefix shown as the edit shows it ends in the name that is saved.
        QString shownWhileTyped;
        for (const QChar c : typed)
            shownWhileTyped = QvSql::TypingCase(shownWhileTyped + c);
        EXPECT_EQ(QvSql::NameFromTyped(shownWhileTyped, row.dialect), stored);
    }
    EXPECT_EQ(QvSql::TypingCase(QStringLiteral(" ab c")), QStringLiteral(" AB C"));
    EXPECT_EQ(QvSql::TypingCase(QStringLiteral(" \"ab")), QStringLiteral(" \"ab"));
    // The catalog keeps 31 bytes: fifteen two-byte letters fit, sixteen do not.
    EXPECT_EQ(QvSql::CheckTypedName(QLatin1Char('"') + cyrillic15 + QLatin1Char('"'), 3), TNameCheck::Valid);
    EXPECT_EQ(QvSql::CheckTypedName(QLatin1Char('"') + cyrillic15 + QChar(0x0414) + QLatin1Char('"'), 3),
              TNameCheck::Invalid);
    EXPECT_EQ(QvSql::CheckTypedName(QString(), 1), TNameCheck::Valid);
    // A plain name stays as typed in a procedure's text; a reserved word is quoted.
    EXPECT_EQ(QvSql::SourceName(QStringLiteral("myParam"), 3), QStringLiteral("myParam"));
    EXPECT_EQ(QvSql::SourceName(QStringLiteral("date"), 3), QStringLiteral("\"DATE\""));
    EXPECT_EQ(QvSql::SourceName(QStringLiteral("\"lowA\""), 3), QStringLiteral("\"lowA\""));
}
