#pragma once

#include "tools/mid2snr/SmfReader.h"

#include <cstdint>

namespace mid2snr
{

// Maps the MIDI file's ticks onto the song's ticks. The song keeps the file's
// own resolution whenever the song data format allows it (at most 3840 ticks
// per quarter note), so ticks stay exact; a finer file is scaled down with
// rounding. SMPTE (frames per second) divisions become a fixed tempo.
class TickScale final
{
public:
    static constexpr int kMaxTimebase = 3840;

    explicit TickScale(const SmfDivision &division);

    int timebase() const { return m_timebase; }
    // Ticks per quarter note of the source, as the tempo map counts them.
    int sourceTicksPerQuarter() const { return m_source; }
    // The tempo that SMPTE divisions imply; tempo events do not apply to them.
    bool fixedTempo() const { return m_fixedTempo; }
    double fixedBpm() const { return m_fixedBpm; }

    // Source ticks are at most 2^32, so the product cannot overflow.
    std::uint64_t map(std::uint64_t tick) const
    {
        if (m_timebase == m_source)
            return tick;
        return (tick * std::uint64_t(m_timebase) + std::uint64_t(m_source) / 2) /
               std::uint64_t(m_source);
    }

private:
    int m_source = 0;
    int m_timebase = 0;
    bool m_fixedTempo = false;
    double m_fixedBpm = 120.0;
};

} // namespace mid2snr
