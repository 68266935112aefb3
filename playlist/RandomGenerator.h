#pragma once

#include <QtGlobal>

namespace tunelet
{

// The program-wide pseudo-random generator shared by random play and the
// shuffle. Seeded with 0 at start, never from the clock, so every run makes
// the same sequence of draws. The application owns one and lends it out.
class RandomGenerator final
{
public:
    // Advances the seed (seed * 134775813 + 1 mod 2^32) and returns a value in
    // [0, range): the upper 32 bits of the 64-bit product of the new seed and
    // range. Returns 0 for a range of 0 (after advancing).
    quint32 draw(quint32 range);

    quint32 seed() const { return m_seed; }
    void setSeed(quint32 seed) { m_seed = seed; }

private:
    quint32 m_seed = 0;
};

} // namespace tunelet
