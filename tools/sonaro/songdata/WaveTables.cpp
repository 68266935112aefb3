#include "tools/sonaro/songdata/WaveTables.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace songdata
{
namespace
{

constexpr double kPi = 3.14159265358979323846;

// One harmonic of a waveform: amplitude and where its sine starts, in table samples.
struct Harmonic {
    double amplitude = 0;
    int shift = 0;
};

// Fourier series of the waveforms as the player has always shaped them, each with a
// peak of 1 before band-limiting (the 25 % pulse without its constant part).
Harmonic harmonic(Waveform waveform, int k)
{
    constexpr int quarter = WaveTables::kSize / 4;
    const bool odd = k % 2 == 1;
    switch (waveform) {
    case Waveform::Square: // +1 for the first half period, -1 for the second
        return {odd ? 4.0 / (kPi * k) : 0.0, 0};
    case Waveform::Triangle: // -1 at the start, +1 at half the period
        return {odd ? -8.0 / (kPi * kPi * k * k) : 0.0, quarter};
    case Waveform::Sawtooth: // rising from -1 to +1
        return {-2.0 / (kPi * k), 0};
    case Waveform::Sine:
        return {k == 1 ? 1.0 : 0.0, 0};
    case Waveform::Pulse25: // +1 for the first quarter period, -1 after
    default:
        return {4.0 / (kPi * k) * std::sin(kPi * k / 4.0), quarter - k * WaveTables::kSize / 8};
    }
}

// Evaluates a biquad's power gain at a normalised angular frequency.
double biquadPower(const double (&b)[3], const double (&a)[3], double w)
{
    const std::complex<double> z1 = std::polar(1.0, -w), z2 = z1 * z1;
    return std::norm((b[0] + b[1] * z1 + b[2] * z2) / (a[0] + a[1] * z1 + a[2] * z2));
}

} // namespace

double kWeighting(double hz)
{
    // The filter's two stages as BS.1770 gives them for 48 kHz.
    static constexpr double shelfB[3] = {1.53512485958697, -2.69169618940638, 1.19839281085285};
    static constexpr double shelfA[3] = {1.0, -1.69065929318241, 0.73248077421585};
    static constexpr double highPassB[3] = {1.0, -2.0, 1.0};
    static constexpr double highPassA[3] = {1.0, -1.99004745483398, 0.99007225036621};
    const double w = 2 * kPi * std::min(hz, 24000.0) / 48000.0;
    return biquadPower(shelfB, shelfA, w) * biquadPower(highPassB, highPassA, w);
}

WaveTables::WaveTables(int sampleRate) : m_rate(sampleRate), m_sine(kSize)
{
    for (int i = 0; i < kSize; ++i)
        m_sine[i] = static_cast<float>(std::sin(2 * kPi * i / kSize));
}

float WaveTables::scale(Waveform waveform)
{
    switch (waveform) {
    case Waveform::Square:
    case Waveform::Pulse25:
        return 0.6f;
    case Waveform::Sawtooth:
        return 0.7f;
    case Waveform::Noise:
        return 0.5f;
    case Waveform::Triangle:
    case Waveform::Sine:
    default:
        return 1.0f;
    }
}

double WaveTables::keyFrequency(int key)
{
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

const WaveTables::Table &WaveTables::table(Waveform waveform, int key)
{
    Table &t = m_tables[static_cast<std::size_t>(waveform)][static_cast<std::size_t>(key & 127)];
    if (t.samples.empty())
        t = build(waveform, key & 127);
    return t;
}

WaveTables::Table WaveTables::build(Waveform waveform, int key) const
{
    const double freq = keyFrequency(key);
    // Every harmonic strictly below the Nyquist frequency that the table can hold.
    const int count = std::min(kSize / 2 - 1, static_cast<int>(std::ceil(m_rate / 2.0 / freq)) - 1);
    std::vector<double> sum(kSize, 0.0);
    Table t;
    for (int k = 1; k <= count; ++k) {
        const Harmonic h = harmonic(waveform, k);
        if (h.amplitude == 0)
            continue;
        t.weightedMeanSquare += h.amplitude * h.amplitude / 2 * kWeighting(k * freq);
        for (int i = 0; i < kSize; ++i)
            sum[i] +=
                h.amplitude * m_sine[static_cast<std::size_t>((k * i + h.shift) & (kSize - 1))];
    }
    t.samples.resize(kSize + 1);
    for (int i = 0; i < kSize; ++i) {
        t.samples[i] = static_cast<float>(sum[i]);
        t.peak = std::max(t.peak, std::fabs(t.samples[i]));
    }
    t.samples[kSize] = t.samples[0];
    return t;
}

} // namespace songdata
