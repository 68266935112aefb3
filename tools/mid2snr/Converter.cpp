#include "tools/mid2snr/Converter.h"

#include "tools/mid2snr/SmfReader.h"
#include "tools/mid2snr/SnrWriter.h"
#include "tools/mid2snr/SongBuilder.h"

namespace mid2snr
{

Conversion convertMidi(std::span<const std::uint8_t> bytes, const std::string &fileName)
{
    Conversion result;
    SmfFile file;
    Song song;
    if (!readSmf(bytes, file, result.error) || !buildSong(file, fileName, song, result.error) ||
        !writeSongText(song, result.text, result.error))
        return result;
    result.ok = true;
    result.warnings = std::move(song.warnings);
    return result;
}

std::string fileNamePart(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string outputFileName(const std::string &inputPath)
{
    const std::string name = fileNamePart(inputPath);
    const auto dot = name.find_last_of('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ".snr";
}

} // namespace mid2snr
