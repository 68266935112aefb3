#pragma once

#include "tools/mid2snr/InstrumentMap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mid2snr
{

// The converted song, in the song data format's own ticks (`timebase` per
// quarter note), before it is written out as text.
struct SongNote {
    std::uint64_t start = 0;
    std::uint64_t end = 0; // always after start
    std::uint8_t key = 60;
    std::uint8_t volume = 100;
    std::uint8_t waveform = 0;
    std::uint8_t pan = 64;
    Envelope envelope;
};

// Notes of one MIDI channel that never overlap, so they fit one song track.
struct SongVoice {
    int channel = 0;
    int index = 0; // 0 for the channel's first voice
    std::vector<SongNote> notes;
};

struct SongTempo {
    std::uint64_t tick = 0;
    double bpm = 120.0;
};

struct Song {
    std::string title;
    std::string comment;
    int timebase = 48;
    std::vector<SongTempo> tempos; // sorted, first one at tick 0
    std::uint64_t endTick = 0;
    std::vector<SongVoice> voices;
    std::vector<std::string> warnings;
};

// Seconds from the start of the song to `tick` through the song's tempo map.
double secondsAt(const Song &song, std::uint64_t tick);

} // namespace mid2snr
