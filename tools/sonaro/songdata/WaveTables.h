#pragma once
// Band-limited waveforms: one table per waveform and key, each the sum of the
// waveform's harmonics that lie below half the sample rate. A voice reads its table
// with linear interpolation, so nothing folds back from above the Nyquist frequency
// (a plain square or sawtooth aliases strongly in the upper octaves). Tables are
// built per key rather than per octave, so even the lowest note of an octave keeps
// every harmonic up to the Nyquist frequency.

#include "tools/sonaro/songdata/Song.h"

#include <array>
#include <cstdint>
#include <vector>

namespace songdata
{

class WaveTables final
{
public:
    static constexpr int kSizeBits = 11;
    static constexpr int kSize = 1 << kSizeBits; // samples per period

    struct Table {
        std::vector<float> samples;    // kSize + 1: the first sample repeated for interpolation
        float peak = 0;                // largest magnitude
        double weightedMeanSquare = 0; // mean square after the loudness meter's weighting
    };

    explicit WaveTables(int sampleRate);

    // Builds the table of a tonal waveform (not noise) and key if not yet done.
    const Table &table(Waveform waveform, int key);

    // The naive waveform's peak that a voice at full volume reaches.
    static float scale(Waveform waveform);
    static double keyFrequency(int key);

private:
    Table build(Waveform waveform, int key) const;

    int m_rate;
    std::vector<float> m_sine; // one period of sin, kSize samples
    std::array<std::array<Table, 128>, 6> m_tables;
};

// The power gain of the loudness meter's weighting (the K filter of ITU-R BS.1770)
// at a frequency.
double kWeighting(double hz);

} // namespace songdata
