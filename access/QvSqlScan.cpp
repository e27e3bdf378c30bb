#include "access/QvSqlScan.h"

namespace QvSql {

bool IsNameCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'_'
        || u == u'$';
}

namespace {

// q'(...)', q'{...}', q'[...]' and q'<...>' close with the partner of their
// opening character, any other opening character with itself.
char16_t closerOf(QChar opener)
{
    switch (opener.unicode()) {
    case u'(': return u')';
    case u'{': return u'}';
    case u'[': return u']';
    case u'<': return u'>';
    default: return opener.unicode();
    }
}

} // namespace

Scanner::Scanner(QStringView text, ScanState start) : m_text(text), m_state(start) {}

qsizetype Scanner::stringEnd(qsizetype from, QChar quote, bool& closed) const
{
    const qsizetype size = m_text.size();
    for (qsizetype i = from; i < size; ++i) {
        if (m_text[i] != quote)
            continue;
        if (i + 1 < size && m_text[i + 1] == quote) {
            ++i;
            continue;
        }
        closed = true;
        return i + 1;
    }
    closed = false;
    return size;
}

// The literal runs to the first closing character followed by a quote;
// nothing inside it is doubled.
qsizetype Scanner::alternativeEnd(qsizetype from, char16_t closer, bool& closed) const
{
    const qsizetype size = m_text.size();
    for (qsizetype i = from; i + 1 < size; ++i) {
        if (m_text[i] == closer && m_text[i + 1] == u'\'') {
            closed = true;
            return i + 2;
        }
    }
    closed = false;
    return size;
}

// A "q" or "Q" that begins a word, then a quote and the opening character.
// A line break never opens one, so a line read on its own tells the same.
bool Scanner::alternativeStartsAt(qsizetype at) const
{
    const QChar c = m_text[at];
    if ((c != u'q' && c != u'Q') || at + 2 >= m_text.size() || m_text[at + 1] != u'\'')
        return false;
    const QChar opener = m_text[at + 2];
    if (m_bytes == CharacterBytes::Multi && opener.unicode() >= 0x80)
        return false;
    return opener != u'\n' && opener != u'\r' && (at == 0 || !IsNameCharacter(m_text[at - 1]));
}

qsizetype Scanner::commentEnd(qsizetype from, bool& closed) const
{
    const qsizetype close = m_text.indexOf(u"*/", from);
    closed = close >= 0;
    return closed ? close + 2 : m_text.size();
}

bool Scanner::startsSpan(qsizetype at) const
{
    const QChar c = m_text[at];
    const QChar next = at + 1 < m_text.size() ? m_text[at + 1] : QChar();
    if (c == u'\'' || c == u'"' || alternativeStartsAt(at))
        return true;
    if ((c == u'/' && next == u'*') || (c == u'-' && next == u'-'))
        return true;
    return !m_terminator.isEmpty() && m_text.mid(at).startsWith(m_terminator);
}

void Scanner::advanceTo(qsizetype end)
{
    for (qsizetype i = m_position; i < end; ++i) {
        const QChar c = m_text[i];
        if (c == u'\n' || (c == u'\r' && (i + 1 >= m_text.size() || m_text[i + 1] != u'\n'))) {
            ++m_line;
            m_column = 1;
        } else {
            ++m_column;
        }
    }
    m_position = end;
}

bool Scanner::Next(Span& span)
{
    const qsizetype size = m_text.size();
    if (m_position >= size)
        return false;
    span.Start = m_position;
    span.Line = m_line;
    span.Column = m_column;
    span.Closed = true;
    qsizetype end = m_position;
    switch (m_state.In) {
    case ScanState::SingleQuoted:
    case ScanState::DoubleQuoted:
        span.Kind = SpanKind::String;
        end = stringEnd(m_position, m_state.In == ScanState::SingleQuoted ? u'\'' : u'"', span.Closed);
        break;
    case ScanState::AlternativeQuoted:
        span.Kind = SpanKind::String;
        end = alternativeEnd(m_position, m_state.Closer, span.Closed);
        break;
    case ScanState::Comment:
        span.Kind = SpanKind::Comment;
        end = commentEnd(m_position, span.Closed);
        break;
    case ScanState::Code: {
        const QChar c = m_text[m_position];
        const QChar next = m_position + 1 < size ? m_text[m_position + 1] : QChar();
        if (c == u'\'' || c == u'"') {
            span.Kind = SpanKind::String;
            end = stringEnd(m_position + 1, c, span.Closed);
            if (!span.Closed)
                m_state = c == u'\'' ? ScanState::SingleQuoted : ScanState::DoubleQuoted;
        } else if (alternativeStartsAt(m_position)) {
            span.Kind = SpanKind::String;
            const char16_t closer = closerOf(m_text[m_position + 2]);
            end = alternativeEnd(m_position + 3, closer, span.Closed);
            if (!span.Closed)
                m_state = ScanState(ScanState::AlternativeQuoted, closer);
        } else if (c == u'/' && next == u'*') {
            span.Kind = SpanKind::Comment;
            end = commentEnd(m_position + 2, span.Closed);
            if (!span.Closed)
                m_state = ScanState::Comment;
        } else if (c == u'-' && next == u'-') {
            span.Kind = SpanKind::LineComment;
            end = m_position + 2;
            while (end < size && m_text[end] != u'\n' && m_text[end] != u'\r')
                ++end;
        } else if (!m_terminator.isEmpty() && m_text.mid(m_position).startsWith(m_terminator)) {
            span.Kind = SpanKind::Terminator;
            end = m_position + m_terminator.size();
        } else {
            span.Kind = SpanKind::Code;
            end = m_position + 1;
            while (end < size && !startsSpan(end))
                ++end;
        }
        break;
    }
    }
    // A string or comment that was open and has closed leaves the scanner in code.
    if (span.Closed && span.Kind != SpanKind::Code)
        m_state = ScanState::Code;
    span.Length = end - span.Start;
    advanceTo(end);
    return true;
}

} // namespace QvSql
