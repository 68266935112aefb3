// Settings files: arbitrary bytes parsed, written back, edited and read through
// the settings-file class, each step checked against the INI rules.
#include "fuzz/checks/IniCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkIni(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "ini: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
