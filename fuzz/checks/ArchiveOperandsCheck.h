#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// The first byte chooses how (bit 0: the TAR builder, else the LHA builder; bit 1: the
// names go through a response file), the rest holds NUL-separated fields: archive path,
// target folder, the LHA option jo, then up to eight file names. The real back-end builder
// writes the command line, the libraries' own parser reads it back. Checks: every path
// reaches the library as exactly the same bytes (with the separator backslashes read as
// '/'; a run of separators ending the target folder reads as one); names beginning with '-'
// or '@' stay names; only the builder's response file is read as one; and a line with names
// a Windows system allows (no '"', nothing beginning with '-' or '@') is the plain form,
// byte for byte. A path the component refuses must be one the library would read as another.
// Returns what went wrong, or nothing.
std::string checkArchiveOperands(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
