#pragma once

// The one reader of SQL text: it cuts a text into code, string literals
// (single or double quotes, a doubled quote staying inside, and Firebird 3's
// q'{...}'), /* */ comments, -- comments and statement terminators, each
// with its line and column, as the server reads them.
// Everything that looks into SQL text for words or statements reads it
// through this, so a quote or a comment mark means the same to all of them
// (the editor's highlighter keeps its own scanner, whose states it stores
// line by line beside the text).

#include <QString>
#include <QStringView>

namespace QvSql {

enum class SpanKind {
    Code,        // anything else, up to the next string, comment or terminator
    String,      // quotes (and a q'...' literal's "q") included; Closed is false when the text ends inside
    Comment,     // "/*" to "*/" included; Closed is false when the text ends inside
    LineComment, // "--" up to the line break (CR or LF, not included) or the end
    Terminator,  // the terminator set on the scanner, found in code
};

// How the text's character set stores a character. The server reads a
// statement's bytes: on a set where some characters take more than one byte
// (UTF8, UNICODE_FSS, the East Asian sets) a q'...' literal opens only on an
// ASCII character, and "q" before a quote and any other character is a name
// followed by an ordinary string. On a one-byte set (NONE included) every
// character may open one.
enum class CharacterBytes : quint8 { Single, Multi };

// A character of a plain name or parameter name: an ASCII letter or digit, "_" or "$".
bool IsNameCharacter(QChar c);

// Where the scanner stands between two pieces of one text that is read
// piece by piece (a script line by line): a string or comment may go on. A
// q'...' literal keeps the character that ends it.
struct ScanState
{
    enum Kind : quint8 { Code, SingleQuoted, DoubleQuoted, AlternativeQuoted, Comment };

    constexpr ScanState(Kind in = Code, char16_t closer = 0) : In(in), Closer(closer) {}

    bool InString() const { return In == SingleQuoted || In == DoubleQuoted || In == AlternativeQuoted; }
    bool operator==(const ScanState&) const = default;

    Kind In;
    char16_t Closer; // of AlternativeQuoted: the character before its closing quote
};

struct Span
{
    SpanKind Kind = SpanKind::Code;
    qsizetype Start = 0;
    qsizetype Length = 0;
    int Line = 1;   // 1-based, counted from the scanner's start
    int Column = 1; // 1-based
    bool Closed = true;

    qsizetype End() const { return Start + Length; }
    bool IsComment() const { return Kind == SpanKind::Comment || Kind == SpanKind::LineComment; }
};

class Scanner
{
public:
    // A scanner of text, which begins inside a string or comment when
    // `start` says so (the span then has no opening mark).
    explicit Scanner(QStringView text, ScanState start = ScanState::Code);

    // The terminator ends a statement where it stands in code; none when
    // empty. Comment marks are seen first, so with "/" or "*" as terminator
    // the slash of "/*" still opens a comment.
    void SetTerminator(const QString& terminator) { m_terminator = terminator; }
    // Single unless the caller knows the text's character set is a multi-byte one.
    void SetCharacterBytes(CharacterBytes bytes) { m_bytes = bytes; }

    // The next span; false at the end of the text.
    bool Next(Span& span);

    // The state after the spans read so far: where the next piece of the
    // same text begins.
    ScanState State() const { return m_state; }

    QStringView Text(const Span& span) const { return m_text.mid(span.Start, span.Length); }

private:
    qsizetype stringEnd(qsizetype from, QChar quote, bool& closed) const;
    qsizetype alternativeEnd(qsizetype from, char16_t closer, bool& closed) const;
    bool alternativeStartsAt(qsizetype at) const;
    qsizetype commentEnd(qsizetype from, bool& closed) const;
    bool startsSpan(qsizetype at) const;
    void advanceTo(qsizetype end);

    QStringView m_text;
    QString m_terminator;
    CharacterBytes m_bytes = CharacterBytes::Single;
    ScanState m_state;
    qsizetype m_position = 0;
    int m_line = 1;
    int m_column = 1;
};

// Calls visit(span) for every span of text; stops early when visit
// returns false. Returns the state at the end.
template <typename Visit>
ScanState ForEachSpan(QStringView text, Visit&& visit, ScanState start = ScanState::Code,
                      const QString& terminator = QString(), CharacterBytes bytes = CharacterBytes::Single)
{
    Scanner scanner(text, start);
    scanner.SetTerminator(terminator);
    scanner.SetCharacterBytes(bytes);
    Span span;
    while (scanner.Next(span)) {
        if (!visit(static_cast<const Span&>(span)))
            break;
    }
    return scanner.State();
}

} // namespace QvSql
