#include "app/sqltools/ExtractLongValues.h"

#include "access/QvSqlText.h"
#include "access/QvTextCodec.h"

#include <algorithm>

namespace {

// A piece's bytes: a literal of at most so many bytes is one every
// connection character set takes (the server allows 64 KB divided by the
// set's longest character), and its statement stays far below 64 KB.
constexpr qsizetype PieceBytes = 16000;
// What a piece column of a multi-byte set holds, in characters: the row of
// the temporary table stays below the server's 64 KB.
constexpr qsizetype WidePieceCharacters = 8000;
// A concatenation of literals holds at most 32,765 bytes.
constexpr qsizetype ChainBytes = 32000;
// Pieces held before a commit lets them go.
constexpr qsizetype HeldBytes = 64 << 20;

} // namespace

QString LongValueTableName(const QStringList& taken)
{
    const QString base = QStringLiteral("QV$LONG_VALUE_PIECES");
    QString name = base;
    for (int i = 1; taken.contains(name); ++i)
        name = base + QLatin1Char('_') + QString::number(i);
    return name;
}

TLongValueStage::TLongValueStage(const QString& table, const QvTextCodec& connection, int dialect)
    : m_table(table)
    , m_connection(connection)
    , m_dialect(dialect)
{
}

QString TLongValueStage::Expression(int index, bool binary) const
{
    // Ordered by the key, which the server reads in its index: the pieces
    // come in order and are not sorted.
    return QStringLiteral("(SELECT LIST(%1, '') FROM (SELECT %1 FROM %2 WHERE V = %3 ORDER BY V, N))")
        .arg(binary ? QLatin1Char('B') : QLatin1Char('P'))
        .arg(m_table)
        .arg(m_first + index);
}

void TLongValueStage::Start(QStringList& out)
{
    if (m_made)
        return;
    m_made = true;
    const qsizetype characters = m_connection.kind() == QvTextCodec::Latin1 ? PieceBytes : WidePieceCharacters;
    // A text's pieces in the connection's set, which the script's literals
    // are read in; a binary value's in the set of bytes.
    out << QStringLiteral("RECREATE GLOBAL TEMPORARY TABLE %1 (V INTEGER NOT NULL, N INTEGER NOT NULL, "
                          "P VARCHAR(%2) CHARACTER SET %3, B VARCHAR(%4) CHARACTER SET OCTETS, "
                          "PRIMARY KEY (V, N)) ON COMMIT DELETE ROWS;")
               .arg(m_table)
               .arg(characters)
               .arg(m_connection.characterSet())
               .arg(PieceBytes)
        << QStringLiteral("COMMIT WORK;");
}

void TLongValueStage::Write(QStringList& out, QLatin1Char column, const QString& literal, qsizetype bytes)
{
    out << QStringLiteral("INSERT INTO %1(V,N,%2) VALUES(%3,%4,%5);")
               .arg(m_table)
               .arg(column)
               .arg(m_next)
               .arg(++m_piece)
               .arg(literal);
    m_held += bytes;
}

void TLongValueStage::WriteText(QStringList& out, QStringView text)
{
    Start(out);
    const bool singleByte = m_connection.kind() == QvTextCodec::Latin1;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype length = std::min(text.size() - start, singleByte ? PieceBytes : WidePieceCharacters);
        QByteArray bytes;
        for (;;) {
            // A character of two UTF-16 units stays whole, and so does a
            // CR LF, which keeps the piece a text of lines.
            if (start + length < text.size() && length > 1
                && (text.at(start + length - 1).isHighSurrogate()
                    || (text.at(start + length - 1) == u'\r' && text.at(start + length) == u'\n')))
                --length;
            bytes = m_connection.encode(text.mid(start, length).toString());
            if (bytes.size() <= PieceBytes || length == 1)
                break;
            length /= 2;
        }
        const QStringView piece = text.mid(start, length);
        QString literal;
        if (!QvSql::AppendLinesLiteral(literal, piece, m_dialect)) {
            const qsizetype controls = std::count_if(piece.cbegin(), piece.cend(), QvSql::IsControlCharacter);
            if (controls <= QvSql::ChainedControlCharacters && bytes.size() <= ChainBytes)
                QvSql::AppendScriptLiteral(literal, piece, m_dialect);
            else
                literal = QvSql::TextBytesLiteral(m_connection.characterSet(), bytes);
        }
        Write(out, QLatin1Char('P'), literal, bytes.size());
        start += length;
    }
    m_piece = 0;
    ++m_next;
}

void TLongValueStage::WriteBinary(QStringList& out, QByteArrayView bytes)
{
    Start(out);
    for (qsizetype start = 0; start < bytes.size(); start += PieceBytes) {
        const QByteArrayView piece = bytes.sliced(start, std::min(PieceBytes, bytes.size() - start));
        Write(out, QLatin1Char('B'), QvSql::BinaryLiteral(piece), piece.size());
    }
    m_piece = 0;
    ++m_next;
}

void TLongValueStage::RowWritten(QStringList& out)
{
    m_first = m_next;
    if (m_held < HeldBytes)
        return;
    out << QStringLiteral("COMMIT WORK;");
    Committed();
}

void TLongValueStage::Committed()
{
    m_held = 0;
}

void TLongValueStage::Finish(QStringList& out)
{
    if (!m_made)
        return;
    out << QStringLiteral("COMMIT WORK;") << QStringLiteral("DROP TABLE %1;").arg(m_table)
        << QStringLiteral("COMMIT WORK;");
    m_made = false;
}
