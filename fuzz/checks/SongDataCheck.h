#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// Parses the bytes as song data with the shipped limits and checks what a parsed
// song promises (ranges, order, the tempo map, limits, a finite length), then
// renders a few blocks at the start, the middle and the end. Returns what went
// wrong, or nothing.
std::string checkSongData(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
