// Archive data: malformed LZH and ZIP archives listed, tested, read into memory
// and extracted into a sandbox by the archiver libraries' common code.
#include "fuzz/checks/ArchiveDataCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkArchiveData(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "archive_data: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
