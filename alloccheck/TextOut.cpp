#include "alloccheck/TextOut.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace AllocCheck {

bool WriteAll(int fd, const char* data, std::size_t length) noexcept
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

TTextOut::TTextOut(char* buffer, std::size_t size, int fd) noexcept
    : fBuffer(buffer), fSize(size), fFd(fd)
{
}

TTextOut::~TTextOut()
{
    if (fFd >= 0)
        Flush();
}

TTextOut& TTextOut::Text(const char* text, std::size_t length) noexcept
{
    while (length > 0) {
        // One byte stays free for Data()'s terminator.
        std::size_t room = fSize - 1 - fUsed;
        if (room == 0) {
            if (fFd < 0 || !Flush())
                return *this;
            room = fSize - 1;
        }
        const std::size_t part = length < room ? length : room;
        std::memcpy(fBuffer + fUsed, text, part);
        fUsed += part;
        text += part;
        length -= part;
    }
    return *this;
}

TTextOut& TTextOut::Text(const char* text) noexcept
{
    return Text(text, std::strlen(text));
}

TTextOut& TTextOut::Char(char c) noexcept
{
    return Text(&c, 1);
}

TTextOut& TTextOut::Number(std::uint64_t value) noexcept
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        Char(digits[--n]);
    return *this;
}

TTextOut& TTextOut::Hex(std::uint64_t value, int digits) noexcept
{
    char text[16];
    int n = 0;
    do {
        text[n++] = "0123456789abcdef"[value & 0xf];
        value >>= 4;
    } while (value != 0);
    for (int pad = n; pad < digits; ++pad)
        Char('0');
    while (n > 0)
        Char(text[--n]);
    return *this;
}

TTextOut& TTextOut::Padded(const char* text, std::size_t width) noexcept
{
    const std::size_t length = std::strlen(text);
    Text(text, length);
    for (std::size_t i = length; i < width; ++i)
        Char(' ');
    return *this;
}

bool TTextOut::Flush() noexcept
{
    if (fFd < 0 || fFailed)
        return !fFailed;
    if (!WriteAll(fFd, fBuffer, fUsed))
        fFailed = true;
    fUsed = 0;
    return !fFailed;
}

const char* TTextOut::Data() noexcept
{
    fBuffer[fUsed] = '\0';
    return fBuffer;
}

} // namespace AllocCheck
