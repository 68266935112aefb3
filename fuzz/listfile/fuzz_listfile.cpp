// List files: arbitrary bytes split, resolved, loaded, saved and loaded again,
// each step compared with the list-file rules applied in memory.
#include "fuzz/checks/ListFileCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkListFile(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "listfile: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
