#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mid2snr
{

struct Conversion {
    bool ok = false;
    std::string text;                  // the song data, CR LF line ends
    std::string error;                 // one line, when !ok
    std::vector<std::string> warnings; // what the song had to lose, when ok
};

// Converts the bytes of a Standard MIDI File into song data text. `fileName`
// (without folder) is the title when the file names no track.
Conversion convertMidi(std::span<const std::uint8_t> bytes, const std::string &fileName);

// The output's name for an input path: its file name with the extension (from
// the last '.') replaced by ".snr", e.g. "/a/Song.MID" -> "Song.snr".
std::string outputFileName(const std::string &inputPath);

// The file-name part of a path (after the last '/').
std::string fileNamePart(const std::string &path);

} // namespace mid2snr
