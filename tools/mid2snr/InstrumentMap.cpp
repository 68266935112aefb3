#include "tools/mid2snr/InstrumentMap.h"

#include <array>

namespace mid2snr
{
namespace
{

// One entry per General MIDI family of eight programs.
struct Family {
    Waveform waveform;
    Envelope envelope;
};

constexpr std::array<Family, 16> kFamilies = {{
    {Waveform::Pulse25, {3, 3000, 0, 250}},     // piano: struck, dies away
    {Waveform::Sine, {2, 1800, 0, 400}},        // chromatic percussion: bells, mallets
    {Waveform::Square, {8, 10, 100, 80}},       // organ: holds
    {Waveform::Pulse25, {2, 2000, 0, 150}},     // guitar: plucked
    {Waveform::Triangle, {3, 1500, 40, 100}},   // bass
    {Waveform::Sawtooth, {40, 1000, 85, 250}},  // strings: bowed
    {Waveform::Sawtooth, {60, 1000, 85, 300}},  // ensemble
    {Waveform::Sawtooth, {20, 800, 75, 150}},   // brass
    {Waveform::Square, {15, 600, 85, 120}},     // reed
    {Waveform::Sine, {20, 500, 90, 150}},       // pipe (flutes)
    {Waveform::Square, {5, 1000, 80, 120}},     // synth lead
    {Waveform::Triangle, {200, 2000, 85, 600}}, // synth pad: swells and holds
    {Waveform::Sawtooth, {100, 2000, 70, 500}}, // synth effects
    {Waveform::Pulse25, {2, 1500, 0, 150}},     // ethnic (plucked)
    {Waveform::Noise, {1, 400, 0, 100}},        // percussive
    {Waveform::Noise, {10, 1000, 60, 200}},     // sound effects
}};

// A drum of the General MIDI percussion map, keys 35 … 81.
struct Drum {
    std::uint8_t firstKey;
    std::uint8_t lastKey;
    Voicing voicing;
};

constexpr Envelope tap(std::uint16_t decayMs, std::uint16_t releaseMs)
{
    return {1, decayMs, 0, releaseMs};
}

constexpr std::array<Drum, 24> kDrums = {{
    {35, 36, {Waveform::Triangle, 31, tap(250, 30)}}, // bass drums
    {37, 37, {Waveform::Noise, 108, tap(60, 20)}},    // side stick
    {38, 38, {Waveform::Noise, 100, tap(250, 60)}},   // snare
    {39, 39, {Waveform::Noise, 96, tap(180, 40)}},    // hand clap
    {40, 40, {Waveform::Noise, 100, tap(250, 60)}},   // electric snare
    {41, 41, {Waveform::Triangle, 43, tap(400, 60)}}, // low floor tom
    {42, 42, {Waveform::Noise, 127, tap(70, 20)}},    // closed hi-hat
    {43, 43, {Waveform::Triangle, 45, tap(400, 60)}}, // high floor tom
    {44, 44, {Waveform::Noise, 127, tap(90, 20)}},    // pedal hi-hat
    {45, 45, {Waveform::Triangle, 48, tap(400, 60)}}, // low tom
    {46, 46, {Waveform::Noise, 127, tap(500, 100)}},  // open hi-hat
    {47, 47, {Waveform::Triangle, 50, tap(400, 60)}}, // low-mid tom
    {48, 48, {Waveform::Triangle, 53, tap(400, 60)}}, // high-mid tom
    {49, 49, {Waveform::Noise, 120, tap(1800, 300)}}, // crash cymbal
    {50, 50, {Waveform::Triangle, 57, tap(400, 60)}}, // high tom
    {51, 51, {Waveform::Noise, 124, tap(1000, 200)}}, // ride cymbal
    {52, 52, {Waveform::Noise, 118, tap(1500, 300)}}, // Chinese cymbal
    {53, 53, {Waveform::Noise, 127, tap(800, 150)}},  // ride bell
    {54, 55, {Waveform::Noise, 124, tap(300, 80)}},   // tambourine, splash
    {56, 56, {Waveform::Pulse25, 80, tap(300, 50)}},  // cowbell
    {57, 59, {Waveform::Noise, 122, tap(1500, 300)}}, // crash, vibraslap, ride
    {60, 68, {Waveform::Triangle, 0, tap(250, 50)}},  // bongos, congas, timbales, agogos
    {75, 79, {Waveform::Sine, 0, tap(120, 30)}},      // claves, wood blocks, cuica
    {80, 81, {Waveform::Sine, 100, tap(1500, 300)}},  // triangle
}};

Voicing drumVoicing(int key)
{
    for (const Drum &drum : kDrums) {
        if (key < drum.firstKey || key > drum.lastKey)
            continue;
        Voicing v = drum.voicing;
        if (v.key == 0) // tuned by the drum's own key, an octave up
            v.key = static_cast<std::uint8_t>(key + 12);
        return v;
    }
    return {Waveform::Noise, 100, tap(200, 50)}; // shakers, scrapers, whistles and the rest
}

} // namespace

Voicing voicingFor(int channel, int program, int key)
{
    if (channel == kDrumChannel)
        return drumVoicing(key);
    const Family &family = kFamilies[static_cast<unsigned>(program & 0x7F) / 8];
    return {family.waveform, static_cast<std::uint8_t>(key & 0x7F), family.envelope};
}

} // namespace mid2snr
