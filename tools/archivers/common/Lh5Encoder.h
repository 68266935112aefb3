#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace archivers
{

// The LZH methods -lh5-, -lh6- and -lh7-: LZSS over a sliding window of 2^dictionaryBits bytes
// (13, 15 or 16), matches of 3 to 256 bytes, and a static Huffman coding sent with every block
// for the literals and lengths, and for the match distances.
std::vector<std::uint8_t> lhEncode(std::span<const std::uint8_t> data, int dictionaryBits);

// Whether compressed data is stored as such: only when smaller than the original, and never
// under 8 bytes, which libarchive's reader cannot take (it wants 8 bytes to start a block).
inline bool lhPackedIsUsable(std::size_t packedSize, std::size_t originalSize)
{
    return packedSize < originalSize && packedSize >= 8;
}

} // namespace archivers
