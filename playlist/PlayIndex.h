#pragma once

namespace tunelet
{

// PlayIndex is the index of the row being played, held by the main window.
// Loading a list (open, reload, start-up, a dropped list file), sorting and
// shuffling make it NoPlayIndex; every other playlist command leaves it as it
// is, even when it then points at another row or past the last one.
inline constexpr int NoPlayIndex = -1;

enum class PlayIndexEffect { Unchanged, Reset };

inline int playIndexAfter(PlayIndexEffect effect, int playIndex)
{
    return effect == PlayIndexEffect::Reset ? NoPlayIndex : playIndex;
}

} // namespace tunelet
