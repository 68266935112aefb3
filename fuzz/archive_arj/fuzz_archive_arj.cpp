// ARJ archives: malformed headers and data listed, tested, read into memory and extracted
// into a sandbox by the ARJ library's reader.
#include "fuzz/checks/ArchiveDataCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkArjData(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "archive_arj: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
