#include "tools/sonaro/songdata/Envelope.h"

#include "tools/sonaro/songdata/Lanes.h"

#include <algorithm>
#include <cmath>

namespace songdata
{
namespace
{

// Decay and release are exponential and counted to -60 dB, where they are inaudible.
constexpr double kSixtyDecibels = 0.001;

// The per-frame factor that falls by 60 dB over `frames`.
float factorOver(std::int64_t frames)
{
    return frames <= 0 ? 0.0f : static_cast<float>(std::pow(kSixtyDecibels, 1.0 / double(frames)));
}

std::int64_t framesOf(int ms, int sampleRate, double atLeastSeconds)
{
    return std::max<std::int64_t>(std::llround(std::max(ms / 1000.0, atLeastSeconds) * sampleRate),
                                  1);
}

} // namespace

Envelope defaultEnvelope(Waveform waveform)
{
    switch (waveform) {
    case Waveform::Square:
        return {4, 1500, 60, 120};
    case Waveform::Triangle:
        return {4, 1200, 70, 120};
    case Waveform::Sawtooth:
        return {8, 1500, 60, 150};
    case Waveform::Sine:
        return {4, 600, 70, 200};
    case Waveform::Noise:
        return {1, 150, 0, 50}; // a short burst, like a drum
    case Waveform::Pulse25:
    default:
        return {3, 1000, 50, 120};
    }
}

std::int64_t EnvelopeRun::releaseFramesOf(const Envelope &e, int sampleRate)
{
    return framesOf(e.releaseMs, sampleRate, kMinReleaseSeconds);
}

EnvelopeRun::EnvelopeRun(const Envelope &e, int sampleRate, std::int64_t releaseAt,
                         std::int64_t maxReleaseFrames)
    : m_sustain(static_cast<float>(e.sustain / 100.0)),
      m_decayFactor(e.decayMs > 0 ? factorOver(framesOf(e.decayMs, sampleRate, 0)) : 0.0f),
      m_attackFrames(framesOf(e.attackMs, sampleRate, kMinAttackSeconds)),
      m_releaseAt(std::max<std::int64_t>(releaseAt, 0)),
      m_releaseFrames(std::clamp<std::int64_t>(releaseFramesOf(e, sampleRate), 1,
                                               std::max<std::int64_t>(maxReleaseFrames, 1)))
{
    m_attackStep = 1.0f / static_cast<float>(m_attackFrames);
    m_releaseFactor = factorOver(m_releaseFrames);
}

float EnvelopeRun::levelAt(std::int64_t frames) const
{
    const auto decayed = [this](std::int64_t f) {
        if (f < m_attackFrames)
            return static_cast<float>(f) * m_attackStep;
        const double fall = std::pow(double(m_decayFactor), double(f - m_attackFrames));
        return static_cast<float>(m_sustain + (1.0 - m_sustain) * fall);
    };
    if (frames < m_releaseAt)
        return decayed(frames);
    return static_cast<float>(decayed(m_releaseAt) *
                              std::pow(double(m_releaseFactor), double(frames - m_releaseAt)));
}

void EnvelopeRun::skip(std::int64_t frames)
{
    m_age = std::max<std::int64_t>(frames, 0);
    m_level = levelAt(m_age);
    m_stage = m_age >= m_releaseAt      ? Stage::Release
              : m_age >= m_attackFrames ? Stage::Decay
                                        : Stage::Attack;
}

void EnvelopeRun::advance()
{
    ++m_age;
    if (m_age >= m_releaseAt && m_stage != Stage::Release)
        m_stage = Stage::Release;
    switch (m_stage) {
    case Stage::Attack:
        m_level += m_attackStep;
        if (m_age >= m_attackFrames) {
            m_level = 1.0f;
            m_stage = Stage::Decay;
        }
        break;
    case Stage::Decay:
        m_level = m_sustain + (m_level - m_sustain) * m_decayFactor;
        break;
    case Stage::Release:
        m_level *= m_releaseFactor;
        break;
    }
}

std::int64_t EnvelopeRun::framesWithinStage() const
{
    // A frame steps within its stage when the frame after it does not reach the
    // release, nor (in the attack) the attack's end.
    std::int64_t frames = m_stage == Stage::Release ? INT64_MAX : m_releaseAt - 1 - m_age;
    if (m_stage == Stage::Attack)
        frames = std::min(frames, m_attackFrames - 1 - m_age);
    return std::max<std::int64_t>(frames, 0);
}

float EnvelopeRun::fall(float *levels, int frames, float floor, float excess, float factor) const
{
    const float factor2 = factor * factor;
    Lanes run = excess * Lanes{1, factor, factor2, factor2 * factor};
    const float factor4 = factor2 * factor2;
    int i = 0;
    for (; i + kLanes <= frames; i += kLanes) {
        storeLanes(levels + i, floor + run);
        run *= factor4;
    }
    excess = run[0];
    for (; i < frames; ++i) {
        levels[i] = floor + excess;
        excess *= factor;
    }
    return floor + excess;
}

void EnvelopeRun::fill(float *levels, int frames)
{
    int i = 0;
    while (i < frames) {
        const int run = static_cast<int>(std::min<std::int64_t>(frames - i, framesWithinStage()));
        if (run == 0) { // the stage changes after this frame
            levels[i++] = next();
            continue;
        }
        switch (m_stage) {
        case Stage::Attack:
            for (int k = 0; k < run; ++k, m_level += m_attackStep)
                levels[i + k] = m_level;
            break;
        case Stage::Decay:
            m_level = fall(levels + i, run, m_sustain, m_level - m_sustain, m_decayFactor);
            break;
        case Stage::Release:
            m_level = fall(levels + i, run, 0.0f, m_level, m_releaseFactor);
            break;
        }
        m_age += run;
        i += run;
    }
}

} // namespace songdata
