#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace archivers
{

namespace detail
{
constexpr std::array<std::uint16_t, 256> lzhCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
        table[i] = std::uint16_t(crc);
    }
    return table;
}
inline constexpr std::array<std::uint16_t, 256> kLzhCrcTable = lzhCrcTable();
} // namespace detail

// The CRC-16 of LZH archives (polynomial 0x8005, bits reflected, starting at 0), carried on
// from `crc` over `size` bytes.
inline std::uint16_t lzhCrc16(const std::uint8_t *data, std::size_t size, std::uint16_t crc = 0)
{
    for (std::size_t i = 0; i < size; ++i)
        crc = std::uint16_t(detail::kLzhCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8));
    return crc;
}

} // namespace archivers
