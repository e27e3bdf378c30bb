#include "components/StrUtils.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

const TCharSet comma{u','};

TEST(Words, EmptyWordsNeverCount)
{
    const QString text = QStringLiteral(",,a,,b,");
    EXPECT_EQ(StrWordCount(text, comma), 2);
    EXPECT_EQ(ExtractWordN(1, text, comma), QStringLiteral("a"));
    EXPECT_EQ(ExtractWordN(2, text, comma), QStringLiteral("b"));
    EXPECT_EQ(ExtractWordN(3, text, comma), QString());
    EXPECT_EQ(ExtractWordN(0, text, comma), QString());
    EXPECT_EQ(ExtractWordN(-1, text, comma), QString());
}

TEST(Words, PositionsAreOneBasedAndZeroWhenMissing)
{
    const QString text = QStringLiteral(",,a,,bc,");
    EXPECT_EQ(StrWordPosition(1, text, comma), 3);
    EXPECT_EQ(StrWordPosition(2, text, comma), 6);
    EXPECT_EQ(StrWordPosition(3, text, comma), 0);
    EXPECT_EQ(StrWordPosition(0, text, comma), 0);

    int pos = -7;
    EXPECT_EQ(ExtractWordNPos(2, text, comma, pos), QStringLiteral("bc"));
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(ExtractWordNPos(3, text, comma, pos), QString());
    EXPECT_EQ(pos, 0);
}

TEST(Words, TextsWithoutWords)
{
    EXPECT_EQ(StrWordCount(QString(), comma), 0);
    EXPECT_EQ(StrWordCount(QStringLiteral(",,,"), comma), 0);
    EXPECT_EQ(ExtractWordN(1, QStringLiteral(",,,"), comma), QString());
    // Without delimiters the whole text is one word.
    EXPECT_EQ(StrWordCount(QStringLiteral("a b"), TCharSet()), 1);
}

TEST(Words, SqlDelimiterSetAndWideCharacters)
{
    const TCharSet sql(u"\n\r ()*+,-/:;<=>");
    const QString line = QStringLiteral("select a,b from t where x=:y;");
    EXPECT_EQ(StrWordCount(line, sql), 8);
    EXPECT_EQ(ExtractWordN(6, line, sql), QStringLiteral("where"));
    EXPECT_EQ(ExtractWordN(8, line, sql), QStringLiteral("y"));

    // Characters beyond Latin-1 are members and non-members like any other.
    const TCharSet dash{u'\u2014'};
    const QString text = QStringLiteral(u"\u00e9t\u00e9\u2014\u65e5\u672c\u2014x");
    EXPECT_EQ(StrWordCount(text, dash), 3);
    EXPECT_EQ(ExtractWordN(2, text, dash), QStringLiteral(u"\u65e5\u672c"));
}

TEST(CharSet, MembershipAcrossTheWholeRange)
{
    TCharSet set(u"a\u0100\u4e00");
    EXPECT_TRUE(set.contains(QLatin1Char('a')));
    EXPECT_TRUE(set.contains(QChar(0x4e00)));
    EXPECT_FALSE(set.contains(QChar(0x4e01)));
    set.remove(QChar(0x0100)).insert(QChar(0x00ff)).insert(QChar(0x4e00));
    EXPECT_FALSE(set.contains(QChar(0x0100)));
    EXPECT_TRUE(set.contains(QChar(0x00ff)));

    const TCharSet both = TCharSet("xy") + TCharSet{u'\u2014'};
    EXPECT_TRUE(both.contains(QLatin1Char('y')));
    EXPECT_TRUE(both.contains(QChar(0x2014)));
    EXPECT_EQ(TCharSet("ab"), (TCharSet{u'b', u'a'}));
    EXPECT_TRUE(TCharSet().isEmpty());
}

TEST(Replace, LeftToRightWithoutRescanningInsertedText)
{
    EXPECT_EQ(StrReplaceAll(QStringLiteral("aaa"), QStringLiteral("aa"), QStringLiteral("b")),
              QStringLiteral("ba"));
    EXPECT_EQ(StrReplaceAll(QStringLiteral("aa"), QStringLiteral("a"), QStringLiteral("aa")),
              QStringLiteral("aaaa"));
    EXPECT_EQ(StrReplaceAll(QStringLiteral("it's"), QStringLiteral("'"), QStringLiteral("''")),
              QStringLiteral("it''s"));
    EXPECT_EQ(StrReplaceAll(QStringLiteral("Aa"), QStringLiteral("a"), QStringLiteral("x")),
              QStringLiteral("Ax"));
    EXPECT_EQ(StrReplaceAll(QStringLiteral("abc"), QString(), QStringLiteral("x")),
              QStringLiteral("abc"));
    EXPECT_EQ(StrReplaceAll(QStringLiteral("abab"), QStringLiteral("ab"), QString()), QString());
}

TEST(PosNth, OverlappingOccurrencesCount)
{
    const QString text = QStringLiteral("aaaa");
    const QString aa = QStringLiteral("aa");
    EXPECT_EQ(StrPosNth(aa, text, 1), 1);
    EXPECT_EQ(StrPosNth(aa, text, 2), 2);
    EXPECT_EQ(StrPosNth(aa, text, 3), 3);
    EXPECT_EQ(StrPosNth(aa, text, 4), 0);
    EXPECT_EQ(StrPosNth(aa, text, 0), 0);
    EXPECT_EQ(StrPosNth(aa, text, -1), 0);
    EXPECT_EQ(StrPosNth(QString(), text, 1), 0);
    EXPECT_EQ(StrPosNth(QStringLiteral("b"), QStringLiteral("abcabc"), 2), 5);
}

TEST(Strings, SetMembershipAndBlanks)
{
    EXPECT_TRUE(StrAllInSet(QString(), TCharSet()));
    EXPECT_TRUE(StrAllInSet(QStringLiteral("abba"), TCharSet("ab")));
    EXPECT_FALSE(StrAllInSet(QStringLiteral("abc"), TCharSet("ab")));

    // Only the blank itself counts, not tabs.
    const QString text = QStringLiteral("  \ta b\t  ");
    EXPECT_EQ(StrTrimLeadingSpaces(text), QStringLiteral("\ta b\t  "));
    EXPECT_EQ(StrTrimTrailingSpaces(text), QStringLiteral("  \ta b\t"));
    EXPECT_EQ(StrTrimSpaces(text), QStringLiteral("\ta b\t"));
    EXPECT_EQ(StrTrimSpaces(QStringLiteral("   ")), QString());
    EXPECT_EQ(StrDeleteSpaces(text), QStringLiteral("\tab\t"));
    EXPECT_EQ(StrDeleteChar(QStringLiteral("1.234.567,8"), QLatin1Char('.')),
              QStringLiteral("1234567,8"));
}

TEST(Strings, RepeatedCharacter)
{
    EXPECT_EQ(StrOfChar(QLatin1Char('-'), 3), QStringLiteral("---"));
    EXPECT_EQ(StrOfChar(QLatin1Char('-'), 0), QString());
    EXPECT_EQ(StrOfChar(QLatin1Char('-'), -5), QString());
}

} // namespace

TEST(LeftWhole, CutsBetweenCharactersNeverInsideOne)
{
    // An emoji (two code units) and a letter with a combining accent (two characters, one seen).
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString accented = QStringLiteral("e\u0301");
    const QString text = QStringLiteral("ab") + smile + QStringLiteral("c") + accented + QStringLiteral("d");
    ASSERT_EQ(text.size(), 8);
    const QStringList expected{QString(),
                               QStringLiteral("a"),
                               QStringLiteral("ab"),
                               QStringLiteral("ab"),
                               QStringLiteral("ab") + smile,
                               QStringLiteral("ab") + smile + QStringLiteral("c"),
                               QStringLiteral("ab") + smile + QStringLiteral("c"),
                               QStringLiteral("ab") + smile + QStringLiteral("c") + accented,
                               text};
    for (int length = 0; length <= 8; ++length)
        EXPECT_EQ(StrLeftWhole(text, length), expected.at(length)) << length;
    EXPECT_EQ(StrLeftWhole(text, 20), text);
    EXPECT_EQ(StrLeftWhole(text, -1), QString());
}

TEST(LeftWhole, NeverEndsInsideAScriptsLetterOrAnEmojiSequence)
{
    // Each entry is one character as the user sees it; a cut keeps whole entries only.
    const QStringList seen{
        QString::fromUtf8("\u0E01"),                          // Thai KO KAI
        QString::fromUtf8("\U0001F600"),                      // emoji right after it
        QString::fromUtf8("\u0E19\u0E49\u0E33"),              // Thai letter, tone mark, SARA AM
        QString::fromUtf8("\u0E17\u0E35\u0E48"),              // Thai letter, vowel sign, tone mark
        QStringLiteral("a"),
        QString::fromUtf8("\u0939\u093F\u0902"),              // Devanagari letter, vowel sign, anusvara
        QString::fromUtf8("\u0915\u093E"),                    // Devanagari letter, spacing vowel sign
        QString::fromUtf8("\u1780\u17BB\u17C6"),              // Khmer letter, vowel sign, mark
        QString::fromUtf8("\u1780\u17B6"),                    // Khmer letter, spacing vowel sign
        QString::fromUtf8("\U0001F44D\U0001F3FD"),            // thumbs up, medium skin tone
        QString::fromUtf8("\U0001F600"),
        QString::fromUtf8("\U0001F1E9\U0001F1EA"),            // flag DE right after an emoji
        QString::fromUtf8("\U0001F1EB\U0001F1F7"),            // flag FR right after a flag
        QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466"), // family
        QString::fromUtf8("\U0001F469\U0001F3FF\u200D\U0001F4BB"), // technologist, dark skin tone
        QString::fromUtf8("\u2764\uFE0F"),                    // heart with emoji presentation
        QString::fromUtf8("\U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063\U000E0074\U000E007F"),
        QStringLiteral("e\u0301"),
        QStringLiteral("z")};
    const QString text = seen.join(QString());
    for (qsizetype length = 0; length <= text.size(); ++length) {
        QString expected;
        for (const QString& one : seen) {
            if (expected.size() + one.size() > length)
                break;
            expected += one;
        }
        EXPECT_EQ(StrLeftWhole(text, length), expected) << "cut at " << length;
    }
    EXPECT_EQ(StrLeftWhole(QString::fromUtf8("\u0E01\U0001F600"), 2), QString::fromUtf8("\u0E01"));
}
