#include "tools/mid2snr/TickScale.h"

namespace mid2snr
{

namespace
{

// The smallest exact reduction of `ticks` that fits the format, or the format's
// finest resolution when no divisor keeps at least an eighth of it.
int reducedTimebase(int ticks)
{
    if (ticks <= TickScale::kMaxTimebase)
        return ticks;
    for (int divisor = 2; ticks / divisor >= TickScale::kMaxTimebase / 8; ++divisor) {
        if (ticks % divisor == 0 && ticks / divisor <= TickScale::kMaxTimebase)
            return ticks / divisor;
    }
    return TickScale::kMaxTimebase;
}

} // namespace

TickScale::TickScale(const SmfDivision &division)
{
    if (division.smpte) {
        // One "quarter note" becomes one second at 60 bpm; 29 means 29.97 frames
        // per second, counted as 30 frames running slightly slow.
        const int nominalFps = division.framesPerSecond == 29 ? 30 : division.framesPerSecond;
        const double realFps =
            division.framesPerSecond == 29 ? 30000.0 / 1001.0 : double(division.framesPerSecond);
        m_source = nominalFps * division.ticksPerFrame;
        m_fixedTempo = true;
        m_fixedBpm = 60.0 * realFps / nominalFps;
    } else {
        m_source = division.ticksPerQuarter;
    }
    m_timebase = reducedTimebase(m_source);
}

} // namespace mid2snr
