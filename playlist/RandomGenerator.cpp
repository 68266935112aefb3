#include "playlist/RandomGenerator.h"

namespace tunelet
{

quint32 RandomGenerator::draw(quint32 range)
{
    m_seed = m_seed * 134775813u + 1u;
    return quint32((quint64(m_seed) * quint64(range)) >> 32);
}

} // namespace tunelet
