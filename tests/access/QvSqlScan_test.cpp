// The SQL text scanner: what is code, string, comment and terminator, where
// each piece stands, and that reading a text piece by piece gives what
// reading it whole gives.

#include "access/QvSqlScan.h"

#include <QRandomGenerator>
#include <QStringList>

#include <gtest/gtest.h>

#include <iterator>

namespace {

using QvSql::ScanState;
using QvSql::Span;
using QvSql::SpanKind;

// One letter per character: c code, s string, b block comment, l line
// comment, t terminator.
QString kinds(QStringView text, const QString& terminator = QString(), ScanState start = ScanState::Code,
              ScanState* end = nullptr)
{
    QString letters;
    qsizetype expected = 0;
    const ScanState state = QvSql::ForEachSpan(
        text,
        [&](const Span& span) {
            EXPECT_EQ(span.Start, expected);
            EXPECT_GT(span.Length, 0);
            expected = span.End();
            static const char letter[] = {'c', 's', 'b', 'l', 't'};
            letters += QString(span.Length, QLatin1Char(letter[int(span.Kind)]));
            return true;
        },
        start, terminator);
    EXPECT_EQ(expected, text.size());
    if (end)
        *end = state;
    return letters;
}

TEST(SqlScan, StringsCommentsAndTerminators)
{
    EXPECT_EQ(kinds(u"a = 'it''s' || \"x\"\"y\";", QStringLiteral(";")), "ccccsssssssccccsssssst");
    EXPECT_EQ(kinds(u"'--' /* ' */ -- 'x\nb"), "sssscbbbbbbbclllllcc");
    // Comment marks come first: "/" as terminator never splits "/*".
    EXPECT_EQ(kinds(u"x/*y*/z/", QStringLiteral("/")), "cbbbbbct");
    EXPECT_EQ(kinds(u"a^^b^", QStringLiteral("^^")), "cttcc");

    ScanState end = ScanState::Code;
    EXPECT_EQ(kinds(u"x 'open", QString(), ScanState::Code, &end), "ccsssss");
    EXPECT_EQ(end, ScanState::SingleQuoted);
    EXPECT_EQ(kinds(u"still'' done' y", QString(), end, &end), "ssssssssssssscc");
    EXPECT_EQ(end, ScanState::Code);
    EXPECT_EQ(kinds(u"/* a", QString(), ScanState::Code, &end), "bbbb");
    EXPECT_EQ(end, ScanState::Comment);
}

TEST(SqlScan, AlternativeQuotingIsOneLiteral)
{
    // Nothing inside counts: not a terminator, a quote, a comment mark or a parameter.
    EXPECT_EQ(kinds(u"v(q'{it's;}');", QStringLiteral(";")), "ccssssssssssct");
    EXPECT_EQ(kinds(u"Q'#a:b '' /* c#'"), "ssssssssssssssss");
    // It ends at the first closing character followed by a quote.
    EXPECT_EQ(kinds(u"q'<a<b>>'x"), "sssssssssc");
    EXPECT_EQ(kinds(u"q'##'||q''''"), "sssssccsssss");
    // A "q" ending a word is part of the word; the quote opens a string.
    EXPECT_EQ(kinds(u"aq'{x}' y'"), "ccsssssccs");

    ScanState end = ScanState::Code;
    EXPECT_EQ(kinds(u"x q'[a;", QStringLiteral(";"), ScanState::Code, &end), "ccsssss");
    EXPECT_EQ(end, ScanState(ScanState::AlternativeQuoted, u']'));
    EXPECT_EQ(kinds(u"b;]';c", QStringLiteral(";"), end, &end), "sssstc");
    EXPECT_EQ(end, ScanState::Code);
}

// The server reads a statement's bytes in the connection's character set: a
// q'...' literal opens on a one-byte character only. On a multi-byte set the
// "q" before a quote and a non-ASCII character is a name, the quote an
// ordinary string's.
TEST(SqlScan, AnAlternativeQuoteOpensOnAOneByteCharacterOnly)
{
    const auto multiByte = [](QStringView text) {
        QString letters;
        QvSql::ForEachSpan(
            text,
            [&](const Span& span) {
                static const char letter[] = {'c', 's', 'b', 'l', 't'};
                letters += QString(span.Length, QLatin1Char(letter[int(span.Kind)]));
                return true;
            },
            ScanState::Code, QStringLiteral(";"), QvSql::CharacterBytes::Multi);
        return letters;
    };
    const QString text = QStringLiteral("(q'\u00e9'); ('\u00e9');");
    EXPECT_EQ(kinds(text, QStringLiteral(";")), "csssssssssssct");
    EXPECT_EQ(multiByte(text), "ccsssctccsssct");
    EXPECT_EQ(multiByte(u"q'\u00e9;\u00e9'"), "csssss");
    EXPECT_EQ(multiByte(u"q'\u4e2d;\u4e2d' q'\U0001F600;'"), "csssssccsssss");
    // An ASCII opener opens one on either, whatever is inside.
    EXPECT_EQ(multiByte(u"q'{\u00e9;}';"), "ssssssst");
    EXPECT_EQ(kinds(u"q'{\u00e9;}';", QStringLiteral(";")), "ssssssst");
    // What stays open at the end differs as well.
    ScanState end = QvSql::ForEachSpan(u"q'\u00e9 a", [](const Span&) { return true; }, ScanState::Code, QString(),
                             QvSql::CharacterBytes::Multi);
    EXPECT_EQ(end, ScanState::SingleQuoted);
    end = QvSql::ForEachSpan(u"q'\u00e9 a", [](const Span&) { return true; });
    EXPECT_EQ(end, ScanState(ScanState::AlternativeQuoted, u'\u00e9'));
}

// A "--" comment ends where the server ends it: at a line feed or at a
// carriage return.
TEST(SqlScan, ALineCommentEndsAtEitherLineBreak)
{
    EXPECT_EQ(kinds(u"a -- b\rc\nd"), "ccllllcccc");
}

TEST(SqlScan, LinesAndColumnsOfEverySpan)
{
    const QString text = QStringLiteral("select 'a\r\nb' from t;\r\n  /* c\n */ x\rend;");
    QvSql::Scanner scanner(text);
    scanner.SetTerminator(QStringLiteral(";"));
    QStringList found;
    Span span;
    while (scanner.Next(span)) {
        if (span.Kind != SpanKind::Code)
            found << QStringLiteral("%1:%2:%3").arg(scanner.Text(span).left(2)).arg(span.Line).arg(span.Column);
    }
    EXPECT_EQ(found, (QStringList{"'a:1:8", ";:2:10", "/*:3:3", ";:5:4"}));
}

// Reading line by line, the state carried from one line to the next, tells
// every character's kind as reading the whole text at once does.
TEST(SqlScan, PiecewiseReadingEqualsWholeReading)
{
    static const char16_t alphabet[] = u"ab ;'\"/*-\nq{}";
    QRandomGenerator random(33);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = random.bounded(40);
        for (int i = 0; i < length; ++i)
            text += QChar(alphabet[random.bounded(int(std::size(alphabet)) - 1)]);
        const QString whole = kinds(text, QStringLiteral(";"));
        QString pieces;
        ScanState state = ScanState::Code;
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            pieces += kinds(lines.at(i), QStringLiteral(";"), state, &state);
            if (i + 1 < lines.size())
                pieces += QLatin1Char(state == ScanState::Code ? 'c' : state == ScanState::Comment ? 'b' : 's');
        }
        ASSERT_EQ(pieces, whole) << text.toStdString();
    }
}

} // namespace
