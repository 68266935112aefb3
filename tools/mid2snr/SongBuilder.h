#pragma once

#include "tools/mid2snr/SmfReader.h"
#include "tools/mid2snr/Song.h"

#include <cstdint>
#include <string>

namespace mid2snr
{

struct SongLimits {
    // The song data format allows this many tracks; one carries the tempo map.
    std::size_t maxTracks = 256;
    std::uint64_t maxTick = 0x7FFFFFFFull;
    double maxSeconds = 24.0 * 3600.0;
};

// Turns a parsed MIDI file into a song: notes per channel split into voices,
// velocity and channel volume/expression as note volume, programs as waveforms,
// the tempo map, and the title (the first track's name, else `fileName`).
// Format 2 files play their tracks one after another. Fails with a one-line
// reason for songs too long to be meant.
bool buildSong(const SmfFile &file, const std::string &fileName, Song &song, std::string &error,
               const SongLimits &limits = {});

} // namespace mid2snr
