// mid2snr "<file>.mid": converts a Standard MIDI File into song data, written as
// "<file>.snr" into the current folder. Exits 0 on success; otherwise prints one
// line on standard error, writes nothing and exits 1.
#include "tools/mid2snr/Converter.h"
#include "tools/mid2snr/FileIo.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr std::size_t kMaxInputBytes = 32u << 20;

int fail(const std::string &subject, const std::string &reason)
{
    std::fprintf(stderr, "mid2snr: %s: %s\n", subject.c_str(), reason.c_str());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mid2snr <file.mid>\n");
        return 2;
    }
    const std::string input = argv[1];
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!mid2snr::readWholeFile(input, kMaxInputBytes, bytes, error))
        return fail(input, error);

    const mid2snr::Conversion conversion =
        mid2snr::convertMidi(bytes, mid2snr::fileNamePart(input));
    if (!conversion.ok)
        return fail(input, conversion.error);
    for (const std::string &warning : conversion.warnings)
        std::fprintf(stderr, "mid2snr: warning: %s\n", warning.c_str());

    if (!mid2snr::writeFileAtomically(mid2snr::outputFileName(input), conversion.text, error))
        return fail(input, error);
    return 0;
}
