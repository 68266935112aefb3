#include "tools/sonaro/songdata/OutputStage.h"

#include "tools/sonaro/songdata/Lanes.h"

#include <algorithm>
#include <cmath>

namespace songdata
{
namespace
{

constexpr double kRecoverySeconds = 0.08; // time constant of the gain's return
// A gain this near 1 is taken as 1: the step is far below the last bit of a sample.
constexpr float kRecovered = 0.99999f;
// Adding and taking away 1.5 * 2^23 rounds a float below 2^22 to the nearest integer,
// ties to even, as lrint does.
constexpr float kRoundingBias = 12582912.0f;

Lanes magnitude(Lanes v)
{
    return v < 0 ? -v : v;
}

// The 16-bit sample of a level, clipped to ±1.
IntLanes toSample(Lanes v)
{
    v = v > 1.0f ? 1.0f : v;
    v = v < -1.0f ? -1.0f : v;
    return __builtin_convertvector((v * 32767.0f + kRoundingBias) - kRoundingBias, IntLanes);
}

std::int16_t toSample(float v)
{
    return static_cast<std::int16_t>(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}

} // namespace

OutputStage::OutputStage(int sampleRate)
    : m_recovery(static_cast<float>(1.0 - std::exp(-1.0 / (kRecoverySeconds * sampleRate))))
{
}

void OutputStage::process(float *left, float *right, std::int16_t *stereo, int frames)
{
    if (!passesUntouched(left, right, frames))
        limit(left, right, frames);
    int i = 0;
    for (; i + kLanes <= frames; i += kLanes) {
        const IntLanes l = toSample(loadLanes(left + i));
        const IntLanes r = toSample(loadLanes(right + i));
        for (int k = 0; k < kLanes; ++k) {
            stereo[2 * (i + k)] = static_cast<std::int16_t>(l[k]);
            stereo[2 * (i + k) + 1] = static_cast<std::int16_t>(r[k]);
        }
    }
    for (; i < frames; ++i) {
        stereo[2 * i] = toSample(left[i]);
        stereo[2 * i + 1] = toSample(right[i]);
    }
}

bool OutputStage::passesUntouched(const float *left, const float *right, int frames) const
{
    if (m_gain != 1.0f)
        return false;
    Lanes peaks{};
    int i = 0;
    for (; i + kLanes <= frames; i += kLanes) {
        const Lanes l = magnitude(loadLanes(left + i));
        const Lanes r = magnitude(loadLanes(right + i));
        const Lanes louder = l > r ? l : r;
        peaks = louder > peaks ? louder : peaks;
    }
    float peak = std::max({peaks[0], peaks[1], peaks[2], peaks[3]});
    for (; i < frames; ++i)
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    return peak <= kThreshold;
}

void OutputStage::limit(float *left, float *right, int frames)
{
    for (int i = 0; i < frames; ++i) {
        m_gain += (1.0f - m_gain) * m_recovery;
        const float peak = std::max(std::fabs(left[i]), std::fabs(right[i])) * m_gain;
        if (peak > kThreshold)
            m_gain *= kThreshold / peak;
        left[i] *= m_gain;
        right[i] *= m_gain;
    }
    if (m_gain > kRecovered)
        m_gain = 1.0f;
}

} // namespace songdata
