#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mid2snr
{

// Reads a whole regular file of at most `maxBytes`. On failure returns false
// with a one-line reason.
bool readWholeFile(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &bytes,
                   std::string &error);

// Writes `data` to `path` through a temporary file in the same folder that is
// renamed over `path` when complete, so no partial output is ever visible.
bool writeFileAtomically(const std::string &path, const std::string &data, std::string &error);

} // namespace mid2snr
