#include "tools/sonaro/songdata/OutputStage.h"

#include <algorithm>
#include <cmath>

namespace songdata
{
namespace
{

constexpr double kRecoverySeconds = 0.08; // time constant of the gain's return

} // namespace

OutputStage::OutputStage(int sampleRate)
    : m_recovery(static_cast<float>(1.0 - std::exp(-1.0 / (kRecoverySeconds * sampleRate))))
{
}

void OutputStage::process(float &left, float &right)
{
    m_gain += (1.0f - m_gain) * m_recovery;
    const float peak = std::max(std::fabs(left), std::fabs(right)) * m_gain;
    if (peak > kThreshold)
        m_gain *= kThreshold / peak;
    left *= m_gain;
    right *= m_gain;
}

} // namespace songdata
