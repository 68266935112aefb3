#include "tools/sonaro/songdata/OutputStage.h"

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

} // namespace songdata
