#pragma once

#include <QByteArray>
#include <QString>
#include <stdexcept>

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class EStreamError : public std::runtime_error
{
public:
    explicit EStreamError(const QString& message);
    QString Message() const { return m_message; }

private:
    QString m_message;
};

// A byte stream with a position, the shape blob data travels in: a dataset
// hands out a stream over one blob field of a record, and a blob field reads
// and writes its value through it.
class TStream
{
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Copies at most count bytes from the position on; returns the number copied.
    virtual qint64 Read(void* buffer, qint64 count) = 0;
    // Writes count bytes at the position; returns the number written.
    virtual qint64 Write(const void* buffer, qint64 count) = 0;
    // Moves the position; it is not clamped (reading beyond the end copies nothing).
    virtual qint64 Seek(qint64 offset, TSeekOrigin origin) = 0;
    virtual void SetSize(qint64 newSize) = 0;
    virtual qint64 Size();

    qint64 Position() { return Seek(0, soCurrent); }
    void SetPosition(qint64 position) { Seek(position, soBeginning); }

    // As Read and Write, but a short transfer is an error.
    void ReadBuffer(void* buffer, qint64 count);
    void WriteBuffer(const void* buffer, qint64 count);

    // Copies count bytes from source; count 0 copies all of source from its start.
    qint64 CopyFrom(TStream& source, qint64 count);

    // Everything from the position to the end.
    QByteArray ReadAll();
    void WriteBytes(const QByteArray& bytes);
};

// A stream over bytes held in memory.
class TMemoryStream : public TStream
{
public:
    TMemoryStream() = default;
    explicit TMemoryStream(const QByteArray& bytes);

    qint64 Read(void* buffer, qint64 count) override;
    qint64 Write(const void* buffer, qint64 count) override;
    qint64 Seek(qint64 offset, TSeekOrigin origin) override;
    void SetSize(qint64 newSize) override;
    qint64 Size() override { return m_bytes.size(); }

    const QByteArray& Bytes() const { return m_bytes; }
    void SetBytes(const QByteArray& bytes);
    void Clear() { SetBytes({}); }
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target);

protected:
    // Called after every change of the bytes; a stream over a record's blob
    // hears of writes here.
    virtual void Changed() {}

private:
    QByteArray m_bytes;
    qint64 m_position = 0;
};
