#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// The first byte chooses the method (bits 0-1: -lh5-, -lh6-, -lh7-, or -lh5- again; bit 2:
// the data is the rest repeated four times, for long matches), the rest is a file's data. The
// data is compressed by the LHA library's encoder, put into an archive under a level-2 header
// as the library writes it (stored when compressing does not pay), and read back by libarchive, the
// project's reader. Checks: the archive's own header walk finds that one member whole, libarchive
// reads it without an error, with the size and name written, and the data read equals the data
// packed. Returns what went wrong, or nothing.
std::string checkLzhWrite(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
