#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// Treats the bytes as a list file: splits them into lines, resolves each line,
// loads the list from a real file in a folder holding a few songs, saves it and
// loads the saved copy again. Compares every step with the list-file rules
// applied in memory. Returns what went wrong, or nothing.
std::string checkListFile(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
