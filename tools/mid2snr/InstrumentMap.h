#pragma once

#include <cstdint>

namespace mid2snr
{

// The player's waveforms, as its `@` command numbers them.
enum class Waveform : std::uint8_t {
    Square = 0,
    Triangle = 1,
    Sawtooth = 2,
    Sine = 3,
    Noise = 4,
    Pulse25 = 5,
};

// A note's envelope, as the player's `s` command writes it: attack and decay in
// ms, sustain level in %, release in ms.
struct Envelope {
    std::uint16_t attackMs = 0;
    std::uint16_t decayMs = 0;
    std::uint8_t sustain = 100;
    std::uint16_t releaseMs = 0;
    bool operator==(const Envelope &) const = default;
};

// How the player sounds a note: the waveform, the key it plays (drums are played by
// sound, so their key is chosen here) and the envelope.
struct Voicing {
    Waveform waveform = Waveform::Square;
    std::uint8_t key = 60;
    Envelope envelope;
};

inline constexpr int kDrumChannel = 9; // channel 10, counted from 1

// The voicing of a note: by the program's General MIDI family (plucked and struck
// instruments die away, bowed, blown and organ-like ones hold); on the drum channel
// by the drum the key names: short noise bursts for snares, hi-hats and cymbals,
// short tone bursts for bass drums, toms and other tuned percussion.
Voicing voicingFor(int channel, int program, int key);

} // namespace mid2snr
