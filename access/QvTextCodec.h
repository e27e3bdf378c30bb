#pragma once

// Text crosses the access layer's boundary in the connection's character set:
// NONE (and OCTETS) keep their bytes as Latin-1 both ways, UTF8 is UTF-8, any
// other set goes through Qt's converter of the same name.

#include <QByteArray>
#include <QString>

class QvTextCodec
{
public:
    enum Kind { Latin1, Utf8, Named };

    explicit QvTextCodec(const QString& characterSet = QStringLiteral("NONE"));

    const QString& characterSet() const { return m_characterSet; }
    Kind kind() const { return m_kind; }

    QString decode(const char* bytes, qsizetype length) const;
    QByteArray encode(const QString& text) const;

    // The codec for bytes that are not text (OCTETS columns, keys).
    static const QvTextCodec& binary();

private:
    QString m_characterSet;
    Kind m_kind = Latin1;
    QByteArray m_converterName;
};
