#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// Treats the bytes as a settings file: parses and writes it back byte for byte,
// reads every key, writes one key named by the input's last line and checks that
// only that key changed, and reads integers and strings through the settings-file
// class on a real file. Returns what went wrong, or nothing.
std::string checkIni(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
