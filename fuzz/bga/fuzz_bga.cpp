// GZA and BZA archives: malformed archives listed, tested and extracted into a sandbox by
// the BGA library's reader.
#include "fuzz/checks/BgaDataCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkBgaData(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "bga: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
