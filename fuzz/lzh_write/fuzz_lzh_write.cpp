// LZH writing: fuzzed data compressed by the LHA library's encoder, put under a header as the
// library writes it, and read back by libarchive, which must give the same bytes.
#include "fuzz/checks/LzhWriteCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkLzhWrite(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "lzh_write: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
