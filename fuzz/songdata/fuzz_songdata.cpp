// Song data: arbitrary bytes parsed by the player's song parser with its limits
// scaled down, the parsed song checked and a few blocks of it rendered.
#include "fuzz/checks/SongDataCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string problem = fuzzcheck::checkSongData(std::span(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "songdata: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
