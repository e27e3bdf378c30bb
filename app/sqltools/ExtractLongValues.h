#pragma once

// Values too long for the INSERT of their row. Their pieces go ahead of the
// row as rows of a temporary table the script makes, and the row's INSERT
// builds each value once, whole, from its pieces: a domain's check and the
// table's triggers see only whole values, no UPDATE runs, and every byte is
// written once, so the replay stays linear in the size of the values.

#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

class QvTextCodec;

class TLongValueStage
{
public:
    // `table` is the temporary table's name, one the database does not use;
    // the texts are in the connection's character set, the script's.
    TLongValueStage(const QString& table, const QvTextCodec& connection, int dialect);

    // The expression a row's INSERT takes for the `index`-th long value of
    // the row (from 0), before that row's pieces are written.
    QString Expression(int index, bool binary) const;

    // The pieces of the row's next long value, in the order of Expression's
    // indices; the temporary table is made before the first piece.
    void WriteText(QStringList& out, QStringView text);
    void WriteBinary(QStringList& out, QByteArrayView bytes);
    // After the row's INSERT: the values written so far are inserted, and
    // their pieces are let go of once they add up to much.
    void RowWritten(QStringList& out);
    // The script committed: the temporary table holds no pieces.
    void Committed();
    // The temporary table is dropped, when it was made.
    void Finish(QStringList& out);

private:
    void Start(QStringList& out);
    void Write(QStringList& out, QLatin1Char column, const QString& literal, qsizetype bytes);

    QString m_table;
    const QvTextCodec& m_connection;
    int m_dialect;
    bool m_made = false;
    // The number of the row's first long value; each value has its own.
    int m_first = 1;
    int m_next = 1;
    int m_piece = 0;
    qsizetype m_held = 0;
};

// A name for the temporary table that none of `taken` is.
QString LongValueTableName(const QStringList& taken);
