// The editor's lines with their range states: text in and out, and
// incremental rescanning that always ends where a full rescan would, with
// what stays open from line to line read as the SQL text scanner reads it.
#include "access/QvSqlScan.h"
#include "editor/qeEditList.h"
#include "editor/qeGeneralSyn.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <algorithm>
#include <array>
#include <vector>
#include <gtest/gtest.h>

namespace {

// The range states a scan of the whole text from the first line gives.
std::vector<int> fullScan(TqeGeneralSyn& syn, const QStringList& lines)
{
    std::vector<int> states;
    syn.ResetRange();
    for (const QString& line : lines) {
        states.push_back(syn.GetRange());
        syn.SetLine(line);
        while (!syn.GetEol())
            syn.Next();
    }
    return states;
}

std::vector<int> storedStates(const TqeEditList& list)
{
    std::vector<int> states;
    for (int i = 0; i < list.Count(); ++i)
        states.push_back(list.Objects(i));
    return states;
}

// Why the highlighter reads a line otherwise than the SQL text scanner. The
// highlighter keeps the General syntax's own rules where they differ from
// the server's; each difference is told apart from the others, so a new one
// is a failure, not a silent pass.
enum class Difference {
    None,
    DashComment,     // "--" starts a comment to the server only
    SlashComment,    // "//" starts a comment to the highlighter only
    CharacterCode,   // "#13" is a string to the highlighter only
    SlashStarSlash,  // the highlighter closes "/*/" on its own star
    EitherQuote,     // the highlighter ends a string at either quote
    StringAtLineEnd, // the highlighter ends an open quoted string with its line
    Unexplained,
};
constexpr int DifferenceCount = int(Difference::Unexplained) + 1;

struct Token
{
    qsizetype Start = 0;
    qsizetype End = 0;
    int Kind = tkNull;
};

QChar letterOf(int kind)
{
    return kind == tkString ? u's' : kind == tkComment ? u'b' : u'c';
}

QvSql::ScanState scanStateOf(int range)
{
    if (range == rsCStyle)
        return QvSql::ScanState::Comment;
    if ((range & 0xFF) == rsAlternativeString)
        return QvSql::ScanState(QvSql::ScanState::AlternativeQuoted, char16_t(range >> 8));
    return QvSql::ScanState::Code;
}

// What each reader makes of one line from the same start state.
struct LineReading
{
    LineReading(TqeGeneralSyn& syn, int startRange, const QString& text, QvSql::CharacterBytes bytes)
        : line(text), mine(text.size(), u'c'), server(QString())
    {
        syn.SetRange(startRange);
        syn.SetLine(line);
        while (!syn.GetEol()) {
            const Token token{syn.GetTokenPos(), syn.GetTokenPos() + syn.GetTokenLen(), syn.GetTokenKind()};
            tokens.push_back(token);
            for (qsizetype i = token.Start; i < token.End; ++i)
                mine[i] = letterOf(token.Kind);
            syn.Next();
        }
        myEnd = syn.GetRange();
        serverEnd = QvSql::ForEachSpan(
            line,
            [&](const QvSql::Span& span) {
                spans.push_back(span);
                server += QString(span.Length, span.Kind == QvSql::SpanKind::String ? u's'
                                                   : span.IsComment()                ? u'b'
                                                                                     : u'c');
                return true;
            },
            scanStateOf(startRange), QString(), bytes);
    }

    int serverEndRange() const
    {
        if (serverEnd.In == QvSql::ScanState::Comment)
            return rsCStyle;
        if (serverEnd.In == QvSql::ScanState::AlternativeQuoted)
            return AlternativeStringRange(serverEnd.Closer);
        return rsUnKnown;
    }

    const Token* tokenAt(qsizetype at) const
    {
        for (const Token& token : tokens)
            if (token.Start <= at && at < token.End)
                return &token;
        return nullptr;
    }
    const QvSql::Span* spanAt(qsizetype at) const
    {
        for (const QvSql::Span& span : spans)
            if (span.Start <= at && at < span.End())
                return &span;
        return nullptr;
    }
    bool startsWith(qsizetype at, QStringView text) const { return QStringView(line).mid(at).startsWith(text); }

    static bool isQuote(QChar c) { return c == u'\'' || c == u'"'; }

    // Within the strings both read up to `at`, the highlighter ends one of
    // its strings at a quote of the other kind than the one that opened the
    // server's string there, or runs past the server's string, reading its
    // opener and a quote of the other kind as a doubled quote.
    bool eitherQuote(qsizetype at) const
    {
        qsizetype from = at;
        while (from > 0 && mine[from - 1] == u's' && server[from - 1] == u's')
            --from;
        const auto serverEndsAt = [&](qsizetype end) {
            return std::any_of(spans.begin(), spans.end(), [end](const QvSql::Span& span) { return span.End() == end; });
        };
        for (const Token& token : tokens) {
            if (token.Kind != tkString || token.End <= from || token.Start > at)
                continue;
            const QvSql::Span* string = spanAt(token.Start);
            if (!string || string->Kind != QvSql::SpanKind::String || !isQuote(line[string->Start]))
                continue;
            const QChar opener = line[string->Start];
            if (token.End <= at && !serverEndsAt(token.End)) {
                const QvSql::Span* around = spanAt(token.End - 1);
                const QChar last = line[token.End - 1];
                if (around && around->Kind == QvSql::SpanKind::String && isQuote(line[around->Start]) && isQuote(last)
                    && last != line[around->Start])
                    return true;
            }
            if (token.Start == string->Start && token.Start + 2 < line.size() && isQuote(line[token.Start + 1])
                && isQuote(line[token.Start + 2]) && (line[token.Start + 1] != opener || line[token.Start + 2] != opener))
                return true;
        }
        return false;
    }

    Difference explain() const
    {
        qsizetype at = 0;
        while (at < line.size() && mine[at] == server[at])
            ++at;
        if (at == line.size()) {
            if (myEnd == serverEndRange())
                return serverEnd.InString() && serverEnd.In != QvSql::ScanState::AlternativeQuoted
                           ? Difference::StringAtLineEnd
                           : Difference::None;
            // Same letters, another end: a comment the highlighter closed on "/*/".
            const Token* last = tokens.empty() ? nullptr : &tokens.back();
            if (last && last->Kind == tkComment && last->End == line.size() && last->End - last->Start >= 3
                && startsWith(last->End - 3, u"/*/") && serverEnd.In == QvSql::ScanState::Comment)
                return Difference::SlashStarSlash;
            return Difference::Unexplained;
        }
        const QvSql::Span* span = spanAt(at);
        const Token* token = tokenAt(at);
        if (span && span->Kind == QvSql::SpanKind::LineComment && span->Start == at && mine[at] != u'b')
            return Difference::DashComment;
        if (token && token->Kind == tkComment && token->Start == at && startsWith(at, u"//"))
            return Difference::SlashComment;
        if (token && token->Kind == tkString && token->Start == at && line[at] == u'#')
            return Difference::CharacterCode;
        if (at >= 3 && startsWith(at - 3, u"/*/") && mine[at - 1] == u'b' && server[at] == u'b') {
            const Token* comment = tokenAt(at - 1);
            if (comment && comment->Start == at - 3 && comment->End == at)
                return Difference::SlashStarSlash;
        }
        if (eitherQuote(at))
            return Difference::EitherQuote;
        return Difference::Unexplained;
    }

    QString line;
    QString mine;
    QString server;
    std::vector<Token> tokens;
    std::vector<QvSql::Span> spans;
    int myEnd = rsUnKnown;
    QvSql::ScanState serverEnd;
};

// Lines of up to three random pieces.
class RandomLines
{
public:
    RandomLines(QRandomGenerator& rng, QStringList pieces) : m_rng(rng), m_pieces(std::move(pieces)) {}

    QString operator()()
    {
        QString line;
        for (int i = m_rng.bounded(4); i > 0; --i)
            line += m_pieces.at(m_rng.bounded(m_pieces.size())) + QLatin1Char(' ');
        return line;
    }

private:
    QRandomGenerator& m_rng;
    QStringList m_pieces;
};

// One random change of the list, or a few of them in one update.
void randomEdit(TqeEditList& list, QRandomGenerator& rng, RandomLines& randomLine)
{
    const bool batch = rng.bounded(5) == 0;
    if (batch)
        list.BeginUpdate();
    const int edits = batch ? 1 + rng.bounded(5) : 1;
    for (int e = 0; e < edits; ++e) {
        const int count = list.Count();
        switch (rng.bounded(5)) {
        case 0:
            if (count > 0)
                list.Put(rng.bounded(count), randomLine());
            break;
        case 1:
            list.Insert(rng.bounded(count + 1), randomLine());
            break;
        case 2:
            if (count > 0)
                list.Delete(rng.bounded(count));
            break;
        case 3: {
            QStringList block;
            for (int i = rng.bounded(1, 6); i > 0; --i)
                block.append(randomLine());
            list.InsertLines(rng.bounded(count + 1), block);
            break;
        }
        case 4:
            if (count > 1) {
                const int at = rng.bounded(count - 1);
                list.DeleteLines(at, 1 + rng.bounded(std::min(4, count - at)));
            }
            break;
        }
    }
    if (batch)
        list.EndUpdate();
}

class EditListScan : public ::testing::Test
{
protected:
    EditListScan()
    {
        syn.SetComments(csCStyle);
        list.SetHighlighter(&syn);
    }
    TqeGeneralSyn syn;
    TqeEditList list;
};

QStringList plainLines(int n)
{
    QStringList lines;
    for (int i = 0; i < n; ++i)
        lines.append(QStringLiteral("select a%1 from t where x = 'y' -- %1").arg(i));
    return lines;
}

} // namespace

TEST(EditList, TextSplitsAtEveryLineBreakAndJoinsWithCrLf)
{
    TqeEditList list;
    list.SetText(QStringLiteral("a\r\nb\nc\rd\r\n"));
    EXPECT_EQ(list.ToStringList(), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(list.Text(), QStringLiteral("a\r\nb\r\nc\r\nd\r\n"));
    list.SetText(QStringLiteral("x\r\n\r\n"));
    EXPECT_EQ(list.ToStringList(), (QStringList{"x", ""}));
    list.SetText(QString());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Text(), QString());
}

TEST(EditList, ChangesAndTheirSignals)
{
    TqeEditList list;
    QSignalSpy inserted(&list, &TqeEditList::LinesInserted);
    QSignalSpy deleted(&list, &TqeEditList::LinesDeleted);
    QSignalSpy put(&list, &TqeEditList::LinesPut);
    QSignalSpy cleared(&list, &TqeEditList::Cleared);
    QSignalSpy changed(&list, &TqeEditList::Changed);
    list.Add(QStringLiteral("one"));
    list.Insert(0, QStringLiteral("zero"));
    list.Put(1, QStringLiteral("ONE"));
    list.InsertLines(2, {QStringLiteral("two"), QStringLiteral("three")});
    list.Delete(0);
    EXPECT_EQ(list.ToStringList(), (QStringList{"ONE", "two", "three"}));
    EXPECT_EQ(inserted.count(), 3);
    EXPECT_EQ(put.count(), 1);
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(cleared.count(), 0);
    EXPECT_EQ(changed.count(), 5);

    list.BeginUpdate();
    list.Put(0, QStringLiteral("a"));
    list.Put(1, QStringLiteral("b"));
    list.BeginUpdate();
    list.Delete(2);
    list.EndUpdate();
    EXPECT_EQ(changed.count(), 5);
    list.EndUpdate();
    EXPECT_EQ(changed.count(), 6);

    list.SetText(QStringLiteral("x"));
    EXPECT_EQ(cleared.count(), 1);
}

TEST(EditList, IndexesOutsideTheListRaise)
{
    TqeEditList list;
    EXPECT_THROW(list.Strings(0), EqeListError);
    EXPECT_THROW(list.Put(0, QString()), EqeListError);
    EXPECT_THROW(list.Delete(0), EqeListError);
    EXPECT_THROW(list.Insert(1, QString()), EqeListError);
    EXPECT_NO_THROW(list.Insert(0, QString()));
    EXPECT_EQ(list.LineOrEmpty(5), QString());
}

TEST(EditList, LongestLineFollowsEdits)
{
    TqeEditList list;
    list.SetText(QStringLiteral("ab\r\nabcdef\r\nabc"));
    EXPECT_EQ(list.MaxLineLength(), 6);
    list.Put(1, QStringLiteral("a"));
    EXPECT_EQ(list.MaxLineLength(), 3);
    list.Add(QString(2000, QLatin1Char('x')));
    EXPECT_EQ(list.MaxLineLength(), 2000);
    list.Delete(3);
    EXPECT_EQ(list.MaxLineLength(), 3);
}

TEST_F(EditListScan, SettingTheTextIsOneLinearPass)
{
    const QStringList lines = plainLines(1000);
    list.Assign(lines);
    EXPECT_EQ(list.LinesRescanned(), 999);  // the last line's end state has no line to go to
    EXPECT_EQ(storedStates(list), fullScan(syn, lines));
}

TEST_F(EditListScan, TypingOnALineRescansThatLineOnly)
{
    list.Assign(plainLines(1000));
    list.Put(500, list.Strings(500) + QStringLiteral("x"));
    EXPECT_EQ(list.LinesRescanned(), 1);
    list.Put(999, QStringLiteral("/* at the end"));
    EXPECT_EQ(list.LinesRescanned(), 0);
}

TEST_F(EditListScan, OpeningACommentRescansToTheEndClosingItStopsAtTheFirstUnchangedState)
{
    const QStringList lines = plainLines(300);
    list.Assign(lines);
    QSignalSpy rescanned(&list, &TqeEditList::Rescanned);
    list.Put(10, QStringLiteral("x /* open"));
    EXPECT_EQ(list.LinesRescanned(), 289);
    EXPECT_EQ(list.Objects(11), rsCStyle);
    EXPECT_EQ(list.Objects(299), rsCStyle);
    ASSERT_EQ(rescanned.count(), 1);
    EXPECT_EQ(rescanned.at(0).at(0).toInt(), 10);
    EXPECT_EQ(rescanned.at(0).at(1).toInt(), 299);

    list.Put(20, QStringLiteral("still */ x"));
    EXPECT_EQ(list.Objects(21), rsUnKnown);
    EXPECT_EQ(list.LinesRescanned(), 279);

    list.Put(10, QStringLiteral("x /* closed */"));
    // Lines 11 to 20 leave the comment; line 21 already starts outside it.
    EXPECT_EQ(list.LinesRescanned(), 11);
    EXPECT_EQ(storedStates(list), fullScan(syn, list.ToStringList()));
}

TEST_F(EditListScan, AMultiLineInsertRescansEachNewLineOnce)
{
    list.Assign(plainLines(1000));
    list.InsertLines(500, plainLines(400));
    EXPECT_LE(list.LinesRescanned(), 402);
    EXPECT_GE(list.LinesRescanned(), 401);
    EXPECT_EQ(storedStates(list), fullScan(syn, list.ToStringList()));
}

TEST_F(EditListScan, NestedUpdatesRescanOnce)
{
    list.Assign(plainLines(100));
    QSignalSpy rescanned(&list, &TqeEditList::Rescanned);
    list.BeginUpdate();
    list.Put(10, QStringLiteral("a /*"));
    list.Put(80, QStringLiteral("*/ b"));
    list.Delete(50);
    list.Insert(30, QStringLiteral("new"));
    list.EndUpdate();
    EXPECT_EQ(rescanned.count(), 1);
    EXPECT_EQ(storedStates(list), fullScan(syn, list.ToStringList()));
}

TEST_F(EditListScan, DeletingTheFirstLinesResetsTheFirstState)
{
    list.Assign({QStringLiteral("/* a"), QStringLiteral("b"), QStringLiteral("c */ d"), QStringLiteral("e")});
    EXPECT_EQ(list.Objects(1), rsCStyle);
    list.DeleteLines(0, 1);
    EXPECT_EQ(list.Objects(0), rsUnKnown);
    EXPECT_EQ(list.Objects(1), rsUnKnown);
    EXPECT_EQ(storedStates(list), fullScan(syn, list.ToStringList()));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.Add(QStringLiteral("/*"));
    list.Add(QStringLiteral("x"));
    EXPECT_EQ(list.Objects(1), rsCStyle);
}

TEST_F(EditListScan, ChangingTheCommentFormsRescans)
{
    list.Assign({QStringLiteral("{ a"), QStringLiteral("b")});
    EXPECT_EQ(list.Objects(1), rsUnKnown);
    syn.SetComments(csCStyle | csPasStyle);
    EXPECT_EQ(list.Objects(1), rsPasStyle);
}

TEST_F(EditListScan, AHighlighterGivenLaterScansTheText)
{
    TqeEditList other;
    other.Assign({QStringLiteral("/*"), QStringLiteral("x")});
    EXPECT_EQ(other.Objects(1), TqeEditList::kUnscanned);
    other.SetHighlighter(&syn);
    EXPECT_EQ(other.Objects(1), rsCStyle);
}

TEST_F(EditListScan, RandomEditsAlwaysEndWithTheStatesOfAFullRescan)
{
    QRandomGenerator rng(20240611);
    RandomLines randomLine(rng, {
        QStringLiteral("select a from b"), QStringLiteral("/*"), QStringLiteral("*/"), QStringLiteral("x /* y */ z"),
        QStringLiteral("'str /* not'"), QStringLiteral("/*/"), QStringLiteral(""), QStringLiteral("// c */"),
        QStringLiteral("end */ begin /* again"), QStringLiteral("1.5e3 $1F #13"), QStringLiteral("*"),
        QStringLiteral("/"), QStringLiteral("q'{ it's"), QStringLiteral("}' x"), QStringLiteral("Q'<a /* b"),
        QStringLiteral(">'"), QStringLiteral("q'x x'"), QStringLiteral("q'[ ]"),
    });
    QStringList start;
    for (int i = 0; i < 60; ++i)
        start.append(randomLine());
    list.Assign(start);
    for (int step = 0; step < 3000; ++step) {
        randomEdit(list, rng, randomLine);
        ASSERT_EQ(storedStates(list), fullScan(syn, list.ToStringList())) << "step " << step;
    }
}

TEST_F(EditListScan, RandomEditsKeepOpenWhatTheSqlScannerFindsOpen)
{
    // Every line is read by both from the state the highlighter stored for
    // it: they agree, or they differ for one of the known reasons, found
    // where they part. Pieces include each reason and q'...' literals whose
    // opener is not ASCII, read on one-byte and on multi-byte text.
    const QStringList pieces{
        QStringLiteral("select a from b"), QStringLiteral("/*"), QStringLiteral("*/"), QStringLiteral("x /* y */ z"),
        QStringLiteral("'str /* not'"), QStringLiteral(""), QStringLiteral("*"), QStringLiteral("/"),
        QStringLiteral("'"), QStringLiteral("q'{ it's"), QStringLiteral("}' x"), QStringLiteral("Q'<a"),
        QStringLiteral(">' y"), QStringLiteral("q'x x'"), QStringLiteral("q'('a')'"),
        QStringLiteral("end */ begin q'[ again"), QStringLiteral("] /* ]'"),
        QStringLiteral("-- dash /* x"), QStringLiteral("a // slash /* b"), QStringLiteral("\"dq /* x\""),
        QStringLiteral("\"open"), QStringLiteral("'mix\" /* y'"), QStringLiteral("'\"' z"), QStringLiteral("/*/"),
        QStringLiteral("x /*/ y */"), QStringLiteral("#13 '"), QStringLiteral("q'\u00e9 a"),
        QStringLiteral("\u00e9' b"), QStringLiteral("q'\u4e2d;\u4e2d'"),
    };
    for (const QvSql::CharacterBytes bytes : {QvSql::CharacterBytes::Single, QvSql::CharacterBytes::Multi}) {
        syn.SetMultiByteText(bytes == QvSql::CharacterBytes::Multi);
        QRandomGenerator rng(5003);
        RandomLines randomLine(rng, pieces);
        QStringList start;
        for (int i = 0; i < 40; ++i)
            start.append(randomLine());
        list.Assign(start);
        std::array<int, DifferenceCount> found{};
        int checked = 0;
        for (int step = 0; step < 2000; ++step) {
            randomEdit(list, rng, randomLine);
            const std::vector<int> stored = storedStates(list);
            ASSERT_EQ(stored, fullScan(syn, list.ToStringList())) << "step " << step;
            TqeGeneralSyn reader;
            reader.SetComments(syn.Comments());
            reader.SetMultiByteText(syn.MultiByteText());
            for (int i = 0; i < list.Count(); ++i) {
                const LineReading reading(reader, stored[size_t(i)], list[i], bytes);
                const Difference difference = reading.explain();
                ASSERT_NE(difference, Difference::Unexplained)
                    << "step " << step << ": " << list[i].toStdString() << "\n highlighter " << reading.mine.toStdString()
                    << "\n server      " << reading.server.toStdString();
                ++found[size_t(difference)];
                ++checked;
            }
        }
        // Every line was checked, and every kind of line came up.
        int counted = 0;
        for (int i = 0; i < DifferenceCount; ++i) {
            counted += found[size_t(i)];
            if (Difference(i) != Difference::Unexplained) {
                EXPECT_GT(found[size_t(i)], 0) << "difference " << i << ", multi-byte " << syn.MultiByteText();
            }
        }
        EXPECT_EQ(counted, checked);
        EXPECT_GT(found[size_t(Difference::None)], checked / 4);
    }
}
