#include "tools/mid2snr/InstrumentMap.h"

#include <array>

namespace mid2snr
{

Waveform waveformFor(int channel, int program)
{
    if (channel == kDrumChannel)
        return Waveform::Noise;
    // One entry per General MIDI family of eight programs.
    static constexpr std::array<Waveform, 16> kFamilies = {
        Waveform::Pulse25,  // piano
        Waveform::Sine,     // chromatic percussion (bells, mallets)
        Waveform::Square,   // organ
        Waveform::Pulse25,  // guitar
        Waveform::Triangle, // bass
        Waveform::Sawtooth, // strings
        Waveform::Sawtooth, // ensemble
        Waveform::Sawtooth, // brass
        Waveform::Square,   // reed
        Waveform::Sine,     // pipe (flutes)
        Waveform::Square,   // synth lead
        Waveform::Triangle, // synth pad
        Waveform::Sawtooth, // synth effects
        Waveform::Pulse25,  // ethnic (plucked)
        Waveform::Noise,    // percussive
        Waveform::Noise,    // sound effects
    };
    return kFamilies[static_cast<unsigned>(program & 0x7F) / 8];
}

} // namespace mid2snr
