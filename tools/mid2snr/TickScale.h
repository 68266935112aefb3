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

    int timebase() const { return timebase_; }
    // Ticks per quarter note of the source, as the tempo map counts them.
    int sourceTicksPerQuarter() const { return source_; }
    // The tempo that SMPTE divisions imply; tempo events do not apply to them.
    bool fixedTempo() const { return fixedTempo_; }
    double fixedBpm() const { return fixedBpm_; }

    // Source ticks are at most 2^32, so the product cannot overflow.
    std::uint64_t map(std::uint64_t tick) const
    {
        if (timebase_ == source_)
            return tick;
        return (tick * std::uint64_t(timebase_) + std::uint64_t(source_) / 2) /
               std::uint64_t(source_);
    }

private:
    int source_ = 0;
    int timebase_ = 0;
    bool fixedTempo_ = false;
    double fixedBpm_ = 120.0;
};

} // namespace mid2snr
