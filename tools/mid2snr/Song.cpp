#include "tools/mid2snr/Song.h"

namespace mid2snr
{

double secondsAt(const Song &song, std::uint64_t tick)
{
    double seconds = 0.0;
    std::uint64_t from = 0;
    double bpm = 120.0;
    for (const SongTempo &tempo : song.tempos) {
        if (tempo.tick >= tick)
            break;
        seconds += double(tempo.tick - from) * 60.0 / (bpm * song.timebase);
        from = tempo.tick;
        bpm = tempo.bpm;
    }
    return seconds + double(tick - from) * 60.0 / (bpm * song.timebase);
}

} // namespace mid2snr
