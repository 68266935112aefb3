#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace archivers
{

// Numbers as the archive formats store them: least significant byte first.

// Appends the low `bytes` bytes of `value`.
inline void appendLE(std::string &out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

// Writes the low `bytes` bytes of `value` over out[at], out[at + 1], ...
inline void storeLE(std::string &out, std::size_t at, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + std::size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

// The number in the `bytes` (at most 4) bytes at `data`.
inline std::uint32_t loadLE(const std::uint8_t *data, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | data[i];
    return value;
}

inline std::uint32_t loadLE(std::string_view s, std::size_t at, int bytes)
{
    return loadLE(reinterpret_cast<const std::uint8_t *>(s.data()) + at, bytes);
}

} // namespace archivers
