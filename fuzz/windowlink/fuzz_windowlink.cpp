// Window link messages: arbitrary bytes decoded as request and reply payloads and
// read as a stream of frames from a socket.
#include "fuzz/checks/WindowLinkCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkWindowLink(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "windowlink: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
