// Cabinet writing: fuzzed files packed by the CAB library and read back byte for byte.
#include "fuzz/checks/CabWriteCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkCabWrite(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "cab_write: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
