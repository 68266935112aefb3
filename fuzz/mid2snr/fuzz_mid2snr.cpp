// Feeds arbitrary bytes to the MIDI converter. Besides crashes, hangs and
// sanitizer reports, it checks what a successful conversion promises: CR LF
// lines, a title line first, and at most 256 tracks.
#include "tools/mid2snr/Converter.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkSongText(const std::string &text)
{
    check(text.starts_with("*HEAD\""));
    check(text.ends_with("\r\n"));
    std::set<std::string> tracks;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        check(end != std::string::npos);
        const std::string line = text.substr(pos, end - pos);
        check(line.find_first_of("\r\n\x1A") == std::string::npos);
        if (!line.starts_with("*"))
            tracks.insert(line.substr(0, line.find(':')));
        else if (line.starts_with("*HEAD"))
            check(line.find('"', 6) == line.size() - 1);
        pos = end + 2;
    }
    check(tracks.size() <= 256);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const mid2snr::Conversion conversion = mid2snr::convertMidi(std::span(data, size), "fuzz.mid");
    if (conversion.ok)
        checkSongText(conversion.text);
    else
        check(!conversion.error.empty() && conversion.error.find('\n') == std::string::npos);
    return 0;
}
