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

inline constexpr int kDrumChannel = 9; // channel 10, counted from 1

// The waveform closest in character to a General MIDI program (0-127) on a
// channel (0-15); the drum channel always plays noise.
Waveform waveformFor(int channel, int program);

} // namespace mid2snr
