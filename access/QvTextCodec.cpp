#include "access/QvTextCodec.h"

#include "access/Qv.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <iterator>

namespace {

// Firebird's character set names as Qt (ICU) knows them.
QByteArray converterNameFor(const QString& set)
{
    static const QRegularExpression dos(QStringLiteral("^DOS(\\d+)$"));
    static const QRegularExpression iso(QStringLiteral("^ISO8859_(\\d+)$"));
    static const QRegularExpression win(QStringLiteral("^WIN(\\d+)$"));
    if (auto m = dos.match(set); m.hasMatch())
        return "IBM" + m.captured(1).toLatin1();
    if (auto m = iso.match(set); m.hasMatch())
        return "ISO-8859-" + m.captured(1).toLatin1();
    if (auto m = win.match(set); m.hasMatch())
        return "windows-" + m.captured(1).toLatin1();
    if (set == QLatin1String("KOI8R"))
        return "KOI8-R";
    if (set == QLatin1String("KOI8U"))
        return "KOI8-U";
    if (set == QLatin1String("SJIS_0208"))
        return "Shift_JIS";
    if (set == QLatin1String("EUCJ_0208"))
        return "EUC-JP";
    if (set == QLatin1String("KSC_5601"))
        return "EUC-KR";
    if (set == QLatin1String("BIG_5"))
        return "Big5";
    if (set == QLatin1String("GB_2312"))
        return "GB2312";
    if (set == QLatin1String("TIS620"))
        return "TIS-620";
    return set.toLatin1();
}

// The sets in which some character takes more than one byte: their ids (as
// the system tables give them), names, and the most bytes a character takes.
struct TMultiByteSet
{
    int Id;
    QLatin1String Name;
    int Bytes;
};
constexpr TMultiByteSet kMultiByteSets[] = {
    {3, QLatin1String("UNICODE_FSS"), 3}, {4, QLatin1String("UTF8"), 4},     {69, QLatin1String("GB18030"), 4},
    {5, QLatin1String("SJIS_0208"), 2},   {6, QLatin1String("EUCJ_0208"), 2}, {44, QLatin1String("KSC_5601"), 2},
    {56, QLatin1String("BIG_5"), 2},      {57, QLatin1String("GB_2312"), 2},  {67, QLatin1String("GBK"), 2},
    {68, QLatin1String("CP943C"), 2},
};

} // namespace

QvTextCodec::QvTextCodec(const QString& characterSet)
    : m_characterSet(characterSet.trimmed().toUpper())
{
    if (m_characterSet.isEmpty())
        m_characterSet = QStringLiteral("NONE");
    m_multiByte = std::any_of(std::begin(kMultiByteSets), std::end(kMultiByteSets),
                              [this](const TMultiByteSet& set) { return m_characterSet == set.Name; });
    const QString& set = m_characterSet;
    if (set == QLatin1String("NONE") || set == QLatin1String("OCTETS")
        || set == QLatin1String("BINARY") || set == QLatin1String("ASCII")) {
        m_kind = Latin1;
    } else if (set == QLatin1String("UTF8") || set == QLatin1String("UNICODE_FSS")) {
        m_kind = Utf8;
    } else {
        m_converterName = converterNameFor(set);
        // A set Qt cannot convert keeps its bytes unchanged rather than losing them.
        m_kind = QStringDecoder(m_converterName.constData()).isValid() ? Named : Latin1;
    }
}

QString QvTextCodec::decode(const char* bytes, qsizetype length) const
{
    switch (m_kind) {
    case Latin1:
        return QString::fromLatin1(bytes, length);
    case Utf8:
        return QString::fromUtf8(bytes, length);
    case Named: {
        QStringDecoder decoder(m_converterName.constData());
        return decoder.decode(QByteArrayView(bytes, length));
    }
    }
    return {};
}

QByteArray QvTextCodec::encode(const QString& text) const
{
    switch (m_kind) {
    case Latin1:
        return text.toLatin1();
    case Utf8:
        return text.toUtf8();
    case Named: {
        QStringEncoder encoder(m_converterName.constData());
        return encoder.encode(text);
    }
    }
    return {};
}

namespace {

// The first lone surrogate, or, for a one-byte set, the first character past
// Latin-1 (pairs included); -1 when there is none.
qsizetype firstUnpaired(QStringView text, bool latin1)
{
    const qsizetype length = text.size();
    const QChar* chars = text.constData();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = chars[i].unicode();
        if (c < 0xd800 && (!latin1 || c <= 0xff))
            continue;
        if (latin1 && c > 0xff)
            return i;
        if (QChar::isHighSurrogate(c) && i + 1 < length && chars[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (QChar::isSurrogate(c))
            return i;
    }
    return -1;
}

} // namespace

qsizetype QvTextCodec::firstUncarried(const QString& text) const
{
    const qsizetype unpaired = firstUnpaired(text, m_kind == Latin1);
    if (unpaired >= 0 || m_kind != Named)
        return unpaired;
    QStringEncoder whole(m_converterName.constData());
    (void)whole.encode(text);
    return whole.hasError() ? firstUncarriedNamed(text) : -1;
}

qsizetype QvTextCodec::firstUncarriedNamed(QStringView text) const
{
    // One character at a time, only once the whole text failed.
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < length ? 2 : 1;
        QStringEncoder single(m_converterName.constData());
        (void)single.encode(text.mid(i, width));
        if (single.hasError())
            return i;
        i += width - 1;
    }
    return 0;
}

QByteArray QvTextCodec::encodeStrict(QStringView text, const QString& holder) const
{
    qsizetype bad = firstUnpaired(text, m_kind == Latin1);
    if (bad < 0) {
        switch (m_kind) {
        case Latin1:
            return text.toLatin1();
        case Utf8:
            return text.toUtf8();
        case Named: {
            QStringEncoder encoder(m_converterName.constData());
            QByteArray bytes = encoder.encode(text);
            if (!encoder.hasError())
                return bytes;
            bad = firstUncarriedNamed(text);
            break;
        }
        }
    }
    const QChar c = text.at(bad);
    const bool pair = c.isHighSurrogate() && bad + 1 < text.size() && text.at(bad + 1).isLowSurrogate();
    const char32_t code = pair ? QChar::surrogateToUcs4(c, text.at(bad + 1)) : c.unicode();
    QString character = QStringLiteral("U+") + QString::number(uint(code), 16).toUpper().rightJustified(4, u'0');
    if (!c.isSurrogate() || pair)
        character = QLatin1Char('"') + text.mid(bad, pair ? 2 : 1).toString() + QStringLiteral("\" (") + character
            + QLatin1Char(')');
    throw EQvClientError(qveInvalidDataConversion,
                         QStringLiteral("%1: the connection's character set %2 cannot carry the character %3.")
                             .arg(holder, m_characterSet, character));
}

const QvTextCodec& QvTextCodec::binary()
{
    static const QvTextCodec codec(QStringLiteral("OCTETS"));
    return codec;
}

int QvTextCodec::bytesPerCharacter(int characterSetId)
{
    for (const TMultiByteSet& set : kMultiByteSets)
        if (set.Id == characterSetId)
            return set.Bytes;
    return 1;
}

QString QvTextCodec::withoutCharPadding(QString text, int characterSetId, int byteLength)
{
    const int perCharacter = bytesPerCharacter(characterSetId);
    if (perCharacter <= 1)
        return text;
    qsizetype characters = byteLength / perCharacter;
    qsizetype end = 0;
    while (end < text.size() && characters > 0) {
        end += text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        --characters;
    }
    qsizetype cut = end;
    while (cut < text.size() && text.at(cut) == QLatin1Char(' '))
        ++cut;
    if (cut == text.size())
        text.truncate(end);
    return text;
}
