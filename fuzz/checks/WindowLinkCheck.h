#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// Decodes the bytes as a request and as a reply payload (a decoded message must
// encode back to exactly the same bytes), then sends them through a socket pair
// as a stream of frames and checks that the frame reader returns exactly the
// frames the stream holds and stops at the first broken one. Returns what went
// wrong, or nothing.
std::string checkWindowLink(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
