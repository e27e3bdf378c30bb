#include "access/QvSqlScan.h"

namespace QvSql {

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
    if (c == u'\'' || c == u'"')
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
    switch (m_state) {
    case ScanState::SingleQuoted:
    case ScanState::DoubleQuoted:
        span.Kind = SpanKind::String;
        end = stringEnd(m_position, m_state == ScanState::SingleQuoted ? u'\'' : u'"', span.Closed);
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
