#pragma once

// Values read from and written to record buffers (the client library's and
// our own), which hold them unaligned in the machine's own byte order.

#include <cstring>

template <typename T>
T LoadRaw(const char* data)
{
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

template <typename T>
void StoreRaw(char* data, T value)
{
    std::memcpy(data, &value, sizeof value);
}
