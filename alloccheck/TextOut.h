#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace AllocCheck {

// Text built in a fixed buffer. The checker writes while the heap may be
// damaged or locked, so nothing here allocates. With a file descriptor the
// buffer is written out whenever it fills; without one, text that does not
// fit is dropped.
class TTextOut
{
public:
    TTextOut(char* buffer, std::size_t size, int fd = -1) noexcept;
    ~TTextOut();
    TTextOut(const TTextOut&) = delete;
    TTextOut& operator=(const TTextOut&) = delete;

    TTextOut& Text(const char* text) noexcept;
    TTextOut& Text(const char* text, std::size_t length) noexcept;
    TTextOut& Char(char c) noexcept;
    TTextOut& Number(std::uint64_t value) noexcept;
    // At least `digits` lower-case hexadecimal digits.
    TTextOut& Hex(std::uint64_t value, int digits = 8) noexcept;
    // Padded with blanks to `width` characters.
    TTextOut& Padded(const char* text, std::size_t width) noexcept;
    TTextOut& Line() noexcept { return Char('\n'); }

    // Writes the buffer out (with a file descriptor); false once a write failed.
    bool Flush() noexcept;
    bool Failed() const noexcept { return fFailed; }

    // The text so far, NUL-terminated (without a file descriptor).
    const char* Data() noexcept;
    std::size_t Length() const noexcept { return fUsed; }

private:
    char* fBuffer;
    std::size_t fSize;
    std::size_t fUsed = 0;
    int fFd;
    bool fFailed = false;
};

// Writes all of `length` bytes to `fd`, retrying short writes.
bool WriteAll(int fd, const char* data, std::size_t length) noexcept;

// Text kept for the log, added to from any thread; what does not fit is dropped.
template <std::size_t Capacity>
class TTextStore
{
public:
    void Append(const char* text, std::size_t length) noexcept
    {
        std::lock_guard lock(fMutex);
        const std::size_t room = Capacity - fUsed;
        const std::size_t part = length < room ? length : room;
        for (std::size_t i = 0; i < part; ++i)
            fText[fUsed + i] = text[i];
        fUsed += part;
    }

    // NUL-terminated; returns the length copied.
    std::size_t CopyTo(char* out, std::size_t size) const noexcept
    {
        std::lock_guard lock(fMutex);
        const std::size_t length = fUsed < size - 1 ? fUsed : size - 1;
        for (std::size_t i = 0; i < length; ++i)
            out[i] = fText[i];
        out[length] = '\0';
        return length;
    }

private:
    mutable std::mutex fMutex;
    char fText[Capacity] = {};
    std::size_t fUsed = 0;
};

} // namespace AllocCheck
