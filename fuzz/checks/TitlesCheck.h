#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// Writes the bytes as a song data file and reads its title back; compares it with
// the title-line rule applied to the whole text in memory. A first byte of 0xF0 or
// more asks for the rest with its last byte repeated (16 KiB to 256 KiB more), to
// reach long lines, chunk borders and the title length cap. Returns what went
// wrong, or nothing.
std::string checkTitles(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
