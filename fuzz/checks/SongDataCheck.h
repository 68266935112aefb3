#pragma once

#include "tools/sonaro/songdata/Song.h"

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// The parser's limits scaled down (20,000 steps, 1,000 notes and tempo changes),
// so every input runs in well under a millisecond and inputs of a few KB reach
// every limit, through the very code that enforces the shipped ones.
songdata::ParseLimits fuzzLimits();

// Parses the bytes as song data with the given limits and checks what a parsed
// song promises (ranges, order, the tempo map, every limit, a finite length),
// then renders a few blocks at the start, the middle and the end. Returns what
// went wrong, or nothing.
std::string checkSongData(std::span<const std::uint8_t> data,
                          const songdata::ParseLimits &limits = fuzzLimits());

} // namespace fuzzcheck
