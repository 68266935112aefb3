// Song data titles: arbitrary bytes written as a file and read by the title
// reader, compared with the title-line rule applied in memory.
#include "fuzz/checks/TitlesCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkTitles(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "titles: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
