#include "access/QvScriptCodec.h"

#include "access/QvSqlRead.h"

#include <QStringDecoder>

#include <algorithm>

namespace QvScriptCodec {

namespace {

bool sameWord(QStringView word, const char* expected)
{
    return word.compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

// Whether the word NAMES may stand in the code: a quick look for its "AM".
bool containsNames(QStringView code)
{
    const QChar* const end = code.data() + code.size();
    for (const QChar* c = code.data(); c != end; ++c)
        if ((c->unicode() | 0x20) == u'm' && c > code.data() && (c[-1].unicode() | 0x20) == u'a')
            return true;
    return false;
}

// Whether the last word of the code is SET, with nothing but blanks after it.
bool endsWithSet(QStringView code)
{
    qsizetype end = code.size();
    while (end > 0 && code[end - 1].unicode() <= u' ')
        --end;
    return end >= 3 && sameWord(code.mid(end - 3, 3), "SET") && (end == 3 || !QvSql::IsNameCharacter(code[end - 4]));
}

const QvTextCodec& utf8()
{
    static const QvTextCodec codec(QStringLiteral("UTF8"));
    return codec;
}

QString decodeLeadingPart(QByteArrayView bytes)
{
    // Stateless: a sequence cut off at the end is an error, not kept for
    // more input.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), bytes.size());
}

} // namespace

QList<TNamesTracker::Change> TNamesTracker::Read(QStringView piece)
{
    QList<Change> changes;
    // After a change the rest reads as the new set reads q'...' literals.
    for (qsizetype from = 0;;) {
        const qsizetype found = changes.size();
        const QStringView rest = piece.mid(from);
        m_state = QvSql::ForEachSpan(
            rest,
            [&](const QvSql::Span& span) {
                const QStringView text = rest.mid(span.Start, span.Length);
                if (span.IsComment())
                    return true;
                if (span.Kind == QvSql::SpanKind::String) {
                    if (m_expect == Expect::Name && span.Closed && text.size() >= 2)
                        changes.append({from + span.End(), QvSql::Unquoted(text)});
                    m_expect = Expect::Set;
                    return changes.size() == found;
                }
                // Most code holds no SET NAMES: only a SET at its end can start one.
                if (m_expect == Expect::Set && !containsNames(text)) {
                    m_expect = endsWithSet(text) ? Expect::Names : Expect::Set;
                    return true;
                }
                for (qsizetype i = 0; i < text.size();) {
                    if (QvSql::IsNameCharacter(text[i])) {
                        qsizetype end = i + 1;
                        while (end < text.size() && QvSql::IsNameCharacter(text[end]))
                            ++end;
                        Word(text.mid(i, end - i), from + span.Start + end, changes);
                        if (changes.size() > found)
                            return false;
                        i = end;
                        continue;
                    }
                    // Anything but a blank between the words is another statement.
                    if (text[i].unicode() > u' ')
                        m_expect = Expect::Set;
                    ++i;
                }
                return true;
            },
            m_state, QString(), m_bytes);
        if (changes.size() == found)
            return changes;
        m_state = QvSql::ScanState::Code;
        m_bytes = QvTextCodec(changes.back().CharacterSet).characterBytes();
        from = changes.back().Position;
    }
}

void TNamesTracker::Word(QStringView word, qsizetype end, QList<Change>& changes)
{
    switch (m_expect) {
    case Expect::Set:
        if (sameWord(word, "SET"))
            m_expect = Expect::Names;
        return;
    case Expect::Names:
        m_expect = sameWord(word, "NAMES") ? Expect::Name : sameWord(word, "SET") ? Expect::Names : Expect::Set;
        return;
    case Expect::Name:
        changes.append({end, word.toString()});
        m_expect = Expect::Set;
        return;
    }
}

QByteArray TEncoder::Encode(QStringView piece)
{
    const QList<TNamesTracker::Change> changes = m_names.Read(piece);
    if (changes.isEmpty())
        return EncodePart(piece);
    QByteArray bytes;
    qsizetype start = 0;
    for (const TNamesTracker::Change& change : changes) {
        bytes += EncodePart(piece.mid(start, change.Position - start));
        m_codec.emplace(change.CharacterSet);
        start = change.Position;
    }
    return bytes + EncodePart(piece.mid(start));
}

QByteArray TEncoder::EncodePart(QStringView part) const
{
    static const QString holder = QStringLiteral("The script");
    return (m_codec ? *m_codec : utf8()).encodeStrict(part, holder);
}

QByteArray Encode(const QString& text)
{
    TEncoder encoder;
    return encoder.Encode(text);
}

QString Decode(const QByteArray& bytes)
{
    // One character per byte: the words and quotes that find SET NAMES are
    // ASCII in every character set a connection can have.
    TNamesTracker names;
    QString scanned = QString::fromLatin1(bytes);
    const QList<TNamesTracker::Change> changes = names.Read(scanned);
    const QByteArrayView all(bytes);
    qsizetype first = changes.isEmpty() ? bytes.size() : changes.front().Position;
    // A script of many megabytes is not copied again where the text read
    // is already the text: ASCII up to SET NAMES, and NONE (Latin-1) after.
    const bool asScanned = !changes.isEmpty()
        && std::all_of(all.begin(), all.begin() + first, [](char c) { return uchar(c) < 0x80; })
        && std::all_of(changes.cbegin(), changes.cend(), [](const TNamesTracker::Change& change) {
               return QvTextCodec(change.CharacterSet).kind() == QvTextCodec::Latin1;
           });
    if (asScanned)
        return scanned;
    scanned = QString();
    QString text = decodeLeadingPart(all.first(first));
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const qsizetype end = i + 1 < changes.size() ? changes.at(i + 1).Position : bytes.size();
        const QvTextCodec codec(changes.at(i).CharacterSet);
        text += codec.decode(all.data() + first, end - first);
        first = end;
    }
    return text;
}

} // namespace QvScriptCodec
