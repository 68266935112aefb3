#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace archivers
{

// The LZH methods -lh5-, -lh6- and -lh7-: LZSS over a sliding window of 2^dictionaryBits bytes
// (13, 15 or 16), matches of 3 to 256 bytes, and a static Huffman coding sent with every block
// for the literals and lengths, and for the match distances.
std::vector<std::uint8_t> lhEncode(std::span<const std::uint8_t> data, int dictionaryBits);

} // namespace archivers
