// The sorted word lists: ordinal, case-insensitive, without duplicates.
#include "editor/qeWordList.h"

#include <gtest/gtest.h>

TEST(WordList, OrdinalOrderFindsEveryEntry)
{
    TqeWordList list({QStringLiteral("BASED"), QStringLiteral("BASE_NAME"), QStringLiteral("BASENAME"),
                      QStringLiteral("RDB$DB_KEY"), QStringLiteral("DB_KEY"), QStringLiteral("A")});
    EXPECT_EQ(list.ToStringList(), (QStringList{"A", "BASED", "BASENAME", "BASE_NAME", "DB_KEY", "RDB$DB_KEY"}));
    for (const QString& w : list.ToStringList())
        EXPECT_GE(list.IndexOf(w.toLower()), 0) << w.toStdString();
    EXPECT_EQ(list.IndexOf(QStringLiteral("BASE")), -1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("")), -1);
}

TEST(WordList, DuplicatesInAnyCaseAreIgnored)
{
    TqeWordList list;
    EXPECT_EQ(list.Add(QStringLiteral("Orders")), 0);
    EXPECT_EQ(list.Add(QStringLiteral("ORDERS")), 0);
    EXPECT_EQ(list.Add(QStringLiteral("abc")), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Strings(1), QStringLiteral("Orders"));
    list.Delete(0);
    list.Delete(7);
    EXPECT_EQ(list.Count(), 1);
    list.Assign({QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("a")});
    EXPECT_EQ(list.Count(), 2);
}

TEST(WordList, TextRoundTrip)
{
    TqeWordList list;
    list.SetText(QStringLiteral("z\r\ny\nx\r\n"));
    EXPECT_EQ(list.Text(), QStringLiteral("x\r\ny\r\nz\r\n"));
    TqeWordList again;
    again.SetText(list.Text());
    EXPECT_EQ(again, list);
}

TEST(WordList, NonLatinLettersCompareByTheirUpperCase)
{
    TqeWordList list({QStringLiteral("\u00e9t\u00e9"), QStringLiteral("\u0436")});
    EXPECT_GE(list.IndexOf(QStringLiteral("\u00c9T\u00c9")), 0);
    EXPECT_GE(list.IndexOf(QStringLiteral("\u0416")), 0);
    EXPECT_LT(qeCompareUpper(QStringLiteral("AB"), QStringLiteral("ab_")), 0);
    EXPECT_EQ(qeCompareUpper(QStringLiteral("abc"), QStringLiteral("ABC")), 0);
}
