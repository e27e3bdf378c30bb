#include "platform/db/Stream.h"

#include <algorithm>
#include <cstring>

EStreamError::EStreamError(const QString& message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

qint64 TStream::Size()
{
    const qint64 position = Seek(0, soCurrent);
    const qint64 size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, qint64 count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EStreamError(QStringLiteral("Stream read error"));
}

void TStream::WriteBuffer(const void* buffer, qint64 count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EStreamError(QStringLiteral("Stream write error"));
}

qint64 TStream::CopyFrom(TStream& source, qint64 count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr qint64 chunkSize = 64 * 1024;
    QByteArray chunk(qsizetype(std::min(count, chunkSize)), Qt::Uninitialized);
    qint64 left = count;
    while (left > 0) {
        const qint64 n = std::min(left, chunkSize);
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.constData(), n);
        left -= n;
    }
    return count;
}

QByteArray TStream::ReadAll()
{
    const qint64 left = Size() - Position();
    if (left <= 0)
        return {};
    QByteArray bytes(qsizetype(left), Qt::Uninitialized);
    bytes.truncate(qsizetype(Read(bytes.data(), left)));
    return bytes;
}

void TStream::WriteBytes(const QByteArray& bytes)
{
    WriteBuffer(bytes.constData(), bytes.size());
}

TMemoryStream::TMemoryStream(const QByteArray& bytes)
    : m_bytes(bytes)
{
}

qint64 TMemoryStream::Read(void* buffer, qint64 count)
{
    if (count <= 0 || m_position < 0 || m_position >= m_bytes.size())
        return 0;
    const qint64 n = std::min<qint64>(count, m_bytes.size() - m_position);
    std::memcpy(buffer, m_bytes.constData() + m_position, size_t(n));
    m_position += n;
    return n;
}

qint64 TMemoryStream::Write(const void* buffer, qint64 count)
{
    if (count <= 0 || m_position < 0)
        return 0;
    const qint64 end = m_position + count;
    if (end > m_bytes.size()) {
        const qint64 oldSize = m_bytes.size();
        m_bytes.resize(end);
        // A write beyond the end leaves no stale bytes in the gap.
        if (m_position > oldSize)
            std::memset(m_bytes.data() + oldSize, 0, size_t(m_position - oldSize));
    }
    std::memcpy(m_bytes.data() + m_position, buffer, size_t(count));
    m_position = end;
    Changed();
    return count;
}

qint64 TMemoryStream::Seek(qint64 offset, TSeekOrigin origin)
{
    switch (origin) {
    case soBeginning: m_position = offset; break;
    case soCurrent: m_position += offset; break;
    case soEnd: m_position = m_bytes.size() + offset; break;
    }
    return m_position;
}

void TMemoryStream::SetSize(qint64 newSize)
{
    newSize = std::max<qint64>(newSize, 0);
    const qint64 oldSize = m_bytes.size();
    m_bytes.resize(newSize);
    if (newSize > oldSize)
        std::memset(m_bytes.data() + oldSize, 0, size_t(newSize - oldSize));
    if (m_position > newSize)
        m_position = newSize;
    Changed();
}

void TMemoryStream::SetBytes(const QByteArray& bytes)
{
    m_bytes = bytes;
    m_position = 0;
    Changed();
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    SetBytes(source.ReadAll());
}

void TMemoryStream::SaveToStream(TStream& target)
{
    target.WriteBytes(m_bytes);
}
