#include "components/CommandLine.h"

#include <gtest/gtest.h>

namespace {

struct Split
{
    QString program;
    QString params;
};

Split split(const QString& line)
{
    Split result{QStringLiteral("unset"), QStringLiteral("unset")};
    SplitCommandLine(line, result.program, result.params);
    return result;
}

TEST(CommandLine, QuotedParameterKeepsItsBlank)
{
    const Split s = split(QStringLiteral("prog.exe a \"b c\" d"));
    EXPECT_EQ(s.program, QStringLiteral("prog.exe"));
    EXPECT_EQ(s.params, QStringLiteral("a \"b c\" d"));
}

TEST(CommandLine, BlanksQuotesAndControlCharacters)
{
    Split s = split(QStringLiteral("  \t\"my prog\"   x\ty  "));
    EXPECT_EQ(s.program, QStringLiteral("my prog"));
    EXPECT_EQ(s.params, QStringLiteral("x y"));

    // Quotes inside a word are dropped; an unclosed quote runs to the end.
    s = split(QStringLiteral("p a\"b c\"d \"open end"));
    EXPECT_EQ(s.params, QStringLiteral("\"ab cd\" \"open end\""));

    // A pair of quotes before a parameter is skipped, not an empty parameter.
    s = split(QStringLiteral("p \"\"x \"\" y"));
    EXPECT_EQ(s.params, QStringLiteral("x y"));
}

TEST(CommandLine, EmptyAndLongLines)
{
    Split s = split(QString());
    EXPECT_EQ(s.program, QString());
    EXPECT_EQ(s.params, QString());

    s = split(QStringLiteral("   "));
    EXPECT_EQ(s.program, QString());

    // No length limit: a 1000-character quoted parameter comes back whole.
    const QString longParam = QString(600, QLatin1Char('a')) + QLatin1Char(' ') + QString(399, QLatin1Char('b'));
    s = split(QStringLiteral("p \"") + longParam + QStringLiteral("\""));
    EXPECT_EQ(s.params, QLatin1Char('"') + longParam + QLatin1Char('"'));

    // A NUL ends the text.
    s = split(QStringLiteral("p x") + QChar(0) + QStringLiteral(" y"));
    EXPECT_EQ(s.params, QStringLiteral("x"));
}

} // namespace
