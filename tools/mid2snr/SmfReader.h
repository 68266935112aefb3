#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mid2snr
{

// One channel message kept from a track (note off/on, control change, program
// change); other channel messages are not needed for conversion and are dropped.
struct SmfChannelEvent {
    std::uint64_t tick = 0; // absolute, from the start of its track
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

struct SmfTempo {
    std::uint64_t tick = 0;
    std::uint32_t usPerQuarter = 0;
};

struct SmfTrack {
    std::vector<SmfChannelEvent> events;
    std::vector<SmfTempo> tempos;
    std::uint64_t endTick = 0; // end-of-track meta, or the last event when it is missing
    bool hasName = false;
    std::string name;      // first sequence/track name meta, raw bytes
    std::string copyright; // first copyright meta, raw bytes
};

// Time division as stored in the header: ticks per quarter note, or SMPTE frames
// per second with ticks per frame.
struct SmfDivision {
    bool smpte = false;
    int ticksPerQuarter = 0;
    int framesPerSecond = 0; // 24, 25, 29 (29.97 drop frame) or 30
    int ticksPerFrame = 0;
};

struct SmfFile {
    int format = 0;
    SmfDivision division;
    std::vector<SmfTrack> tracks;
};

struct SmfLimits {
    // Absolute ticks inside one track beyond this are refused as absurd.
    std::uint64_t maxTick = 0xFFFFFFFFull;
    // Kept events over the whole file; bounds memory and conversion time.
    std::size_t maxEvents = 4'000'000;
};

// Parses a Standard MIDI File. On failure returns false and sets `error` to a
// one-line reason. Unknown chunks between tracks are skipped; SysEx and meta
// events other than tempo, names and end of track are skipped.
bool readSmf(std::span<const std::uint8_t> bytes, SmfFile &out, std::string &error,
             const SmfLimits &limits = {});

} // namespace mid2snr
