// Archive operands: paths and names written by the back-ends' command-line builders and read
// back by the archiver libraries' own parser must come out as the same bytes.
#include "fuzz/checks/ArchiveOperandsCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkArchiveOperands(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "archive_operands: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
