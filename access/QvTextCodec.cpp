#include "access/QvTextCodec.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

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

} // namespace

QvTextCodec::QvTextCodec(const QString& characterSet)
    : m_characterSet(characterSet.trimmed().toUpper())
{
    if (m_characterSet.isEmpty())
        m_characterSet = QStringLiteral("NONE");
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

const QvTextCodec& QvTextCodec::binary()
{
    static const QvTextCodec codec(QStringLiteral("OCTETS"));
    return codec;
}
