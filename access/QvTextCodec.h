#pragma once

// Text crosses the access layer's boundary in the connection's character set:
// NONE (and OCTETS) keep their bytes as Latin-1 both ways, UTF8 is UTF-8, any
// other set goes through Qt's converter of the same name.

#include "access/QvSqlScan.h"

#include <QByteArray>
#include <QString>

class QvTextCodec
{
public:
    enum Kind { Latin1, Utf8, Named };

    explicit QvTextCodec(const QString& characterSet = QStringLiteral("NONE"));

    const QString& characterSet() const { return m_characterSet; }
    Kind kind() const { return m_kind; }
    // Whether some character of the set takes more than one byte, as the
    // server reads statement text in it.
    bool multiByte() const { return m_multiByte; }
    QvSql::CharacterBytes characterBytes() const
    {
        return m_multiByte ? QvSql::CharacterBytes::Multi : QvSql::CharacterBytes::Single;
    }

    QString decode(const char* bytes, qsizetype length) const;
    // Characters the set cannot carry come out as its substitute ("?").
    QByteArray encode(const QString& text) const;
    // The position of the first character the set cannot carry (a lone
    // surrogate is carried by none), or -1 when it carries them all.
    qsizetype firstUncarried(const QString& text) const;
    // As encode, but text the set cannot carry is refused: raises "Invalid
    // data conversion." with a message naming `holder` (for example
    // 'Parameter "NAME"') and the character.
    QByteArray encodeStrict(QStringView text, const QString& holder) const;

    // The codec for bytes that are not text (OCTETS columns, keys).
    static const QvTextCodec& binary();
    // Bytes one character of a Firebird character set (by its id, as the
    // system tables and descriptors give it) can take.
    static int bytesPerCharacter(int characterSetId);
    // A CHAR value of `byteLength` bytes in a multi-byte character set is
    // padded to that many bytes, more than its characters: the text keeps
    // its declared number of characters when only blanks follow them.
    static QString withoutCharPadding(QString text, int characterSetId, int byteLength);

private:
    qsizetype firstUncarriedNamed(QStringView text) const;

    QString m_characterSet;
    Kind m_kind = Latin1;
    bool m_multiByte = false;
    QByteArray m_converterName;
};
