#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// The first byte chooses how (bit 0: saved as ".bza", else ".gza"; the other bits as for
// checkArchiveData), the rest is a GZA or BZA archive, put through the checks of
// checkArchiveData by the BGA library's reader. Also: an archive that tests sound lists the
// same members that unpacking is offered. Returns what went wrong, or nothing.
std::string checkBgaData(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
