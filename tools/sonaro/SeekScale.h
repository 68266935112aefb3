#pragma once
// The seek bar's scale: tenths of a second, with a maximum of at least 1. The position
// equals the maximum only once the song has ended, which is how other programs tell
// the end of a song.

#include <algorithm>
#include <cmath>

namespace sonaro
{

inline int seekMaximum(double totalSeconds)
{
    const double tenths = std::ceil(totalSeconds * 10 - 1e-6);
    return std::max(1, static_cast<int>(std::min(tenths, 2e9)));
}

inline int seekPosition(double positionSeconds, double totalSeconds, bool ended)
{
    const int max = seekMaximum(totalSeconds);
    if (ended)
        return max;
    const double tenths = std::floor(std::max(0.0, positionSeconds) * 10);
    return static_cast<int>(std::min<double>(tenths, max - 1));
}

} // namespace sonaro
