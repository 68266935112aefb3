#pragma once
// The last step before the samples leave the synthesiser: a peak limiter without
// look-ahead. Below its threshold it passes the mix untouched; a peak above it lowers
// the gain at once just enough, and the gain recovers smoothly, so many loud voices
// never clip and one voice is never bent.

#include <algorithm>
#include <cmath>

namespace songdata
{

class OutputStage final
{
public:
    static constexpr float kThreshold = 0.84f; // about -1.5 dBFS

    explicit OutputStage(int sampleRate);

    // Runs once a frame: inline, for the synthesiser's loop.
    void process(float &left, float &right);

private:
    float m_gain = 1;
    float m_recovery; // share of the way back to 1 the gain goes per frame
};

inline void OutputStage::process(float &left, float &right)
{
    m_gain += (1.0f - m_gain) * m_recovery;
    const float peak = std::max(std::fabs(left), std::fabs(right)) * m_gain;
    if (peak > kThreshold)
        m_gain *= kThreshold / peak;
    left *= m_gain;
    right *= m_gain;
}

} // namespace songdata
