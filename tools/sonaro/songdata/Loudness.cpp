#include "tools/sonaro/songdata/Loudness.h"

#include "tools/sonaro/songdata/Envelope.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace songdata
{
namespace
{

const double kFallRate = std::log(1000.0); // 60 dB, in nepers

double noteAmplitude(const Note &n)
{
    return WaveTables::scale(n.waveform) * n.volume / 127.0;
}

// Mean square of the voice's waveform after weighting, at full amplitude.
double weightedMeanSquare(const Note &n, WaveTables &tables, int sampleRate)
{
    if (n.waveform == Waveform::Noise) {
        // Held random values: their power lies below the key's frequency.
        const double hz = std::min(WaveTables::keyFrequency(n.key), sampleRate / 2.0);
        return kWeighting(hz / 2) / 3.0;
    }
    return tables.table(n.waveform, n.key).weightedMeanSquare;
}

double releaseSeconds(const Envelope &e)
{
    return std::max(e.releaseMs / 1000.0, EnvelopeRun::kMinReleaseSeconds);
}

// Seconds in which at least one note sounds, releases included.
double soundingSeconds(const Song &song)
{
    double total = 0, from = 0, to = -1;
    for (const Note &n : song.notes) { // ordered by start
        const double end =
            n.endSeconds + releaseSeconds(n.envelope.value_or(defaultEnvelope(n.waveform)));
        if (n.startSeconds > to) {
            total += std::max(to - from, 0.0);
            from = n.startSeconds;
            to = end;
        } else {
            to = std::max(to, end);
        }
    }
    return total + std::max(to - from, 0.0);
}

} // namespace

float panLeft(int pan)
{
    return std::sqrt(1.0f - static_cast<float>(pan) / 127.0f);
}

float panRight(int pan)
{
    return std::sqrt(static_cast<float>(pan) / 127.0f);
}

double envelopeSquareSeconds(const Envelope &e, double heldSeconds)
{
    const double attack = std::max(e.attackMs / 1000.0, EnvelopeRun::kMinAttackSeconds);
    const double s = e.sustain / 100.0;
    double energy, level;
    if (heldSeconds <= attack) {
        energy = heldSeconds * heldSeconds * heldSeconds / (3 * attack * attack);
        level = heldSeconds / attack;
    } else {
        const double t = heldSeconds - attack;
        energy = attack / 3;
        if (e.decayMs > 0) {
            const double rate = kFallRate / (e.decayMs / 1000.0);
            const double fall = std::exp(-rate * t);
            energy += s * s * t + 2 * s * (1 - s) * (1 - fall) / rate +
                      (1 - s) * (1 - s) * (1 - fall * fall) / (2 * rate);
            level = s + (1 - s) * fall;
        } else {
            energy += s * s * t;
            level = s;
        }
    }
    const double release = releaseSeconds(e);
    return energy + level * level * (1 - 1e-6) * release / (2 * kFallRate);
}

double songGain(const Song &song, WaveTables &tables, int sampleRate)
{
    double energy = 0, loudestPeak = 0;
    for (const Note &n : song.notes) {
        const double amplitude = noteAmplitude(n);
        if (amplitude <= 0 || n.endSeconds <= n.startSeconds)
            continue;
        const double left = panLeft(n.pan), right = panRight(n.pan);
        const Envelope e = n.envelope.value_or(defaultEnvelope(n.waveform));
        energy += amplitude * amplitude * (left * left + right * right) *
                  weightedMeanSquare(n, tables, sampleRate) *
                  envelopeSquareSeconds(e, n.endSeconds - n.startSeconds);
        const double peak =
            n.waveform == Waveform::Noise ? 1.0 : tables.table(n.waveform, n.key).peak;
        loudestPeak = std::max(loudestPeak, amplitude * peak * std::max(left, right));
    }
    const double seconds = soundingSeconds(song);
    if (energy <= 0 || seconds <= 0)
        return 1.0;
    const double loudness = -0.691 + 10 * std::log10(energy / seconds);
    const double gain = std::pow(10.0, (kTargetLoudness - loudness) / 20);
    return std::min(gain, kSingleVoicePeak / loudestPeak);
}

} // namespace songdata
