#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// The input describes files to pack into a cabinet. First byte: bit 0 recurse with "*"
// (else every file named), bit 1 junk paths ("-j"), bit 2 pack in two commands (the second
// adds to the cabinet the first made). Then up to 16 records: a name length (0-7), that many
// bytes choosing name pieces (ASCII, UTF-8 or Shift-JIS), a flag byte (bit 0 Shift-JIS
// pieces, bits 1-2 a sub-folder, bit 3 the size times 37), two bytes of size, a pattern
// length (0-16) and the bytes the content repeats (mixed with the position, so long files
// are not all alike). The
// files are packed by the CAB library's "-a" and the cabinet is read back through
// libarchive. Checks: the command succeeds, every file comes back as a member with its
// content byte for byte under the name it was given (Shift-JIS names read as their UTF-8
// form), no other member is there, and no temporary file is left. Returns what went wrong,
// or nothing.
std::string checkCabWrite(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
