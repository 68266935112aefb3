// Converting between ticks and seconds through the song's tempo map.

#include "tools/sonaro/songdata/Song.h"

#include <algorithm>
#include <cmath>

namespace songdata
{

double Song::secondsAt(std::int64_t tick) const
{
    if (tempos.empty() || tick <= 0)
        return 0;
    // The last tempo change at or before tick.
    auto it = std::upper_bound(tempos.begin(), tempos.end(), tick,
                               [](std::int64_t t, const TempoChange &c) { return t < c.tick; });
    const TempoChange &c = *std::prev(it);
    return c.seconds + double(tick - c.tick) / timebase * 60.0 / c.bpm;
}

std::int64_t Song::tickAt(double seconds) const
{
    if (tempos.empty() || seconds <= 0)
        return 0;
    auto it = std::upper_bound(tempos.begin(), tempos.end(), seconds,
                               [](double s, const TempoChange &c) { return s < c.seconds; });
    const TempoChange &c = *std::prev(it);
    return c.tick + static_cast<std::int64_t>((seconds - c.seconds) * c.bpm / 60.0 * timebase);
}

std::int64_t Song::wholeSeconds() const
{
    // A hair of tolerance keeps 3.0000000001 s, a rounding artefact, at 3 s.
    return static_cast<std::int64_t>(std::ceil(totalSeconds - 1e-6));
}

} // namespace songdata
