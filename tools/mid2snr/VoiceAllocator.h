#pragma once

#include "tools/mid2snr/Song.h"

#include <vector>

namespace mid2snr
{

// Splits the notes of one channel into voices whose notes never overlap, so
// that each voice can be one song track. A note takes the lowest-numbered voice
// that is free at its start. With `maxVoices` voices busy, the voice that frees
// first is cut short at the new note's start; a note that cannot get a voice
// even so (all voices start a note at the same tick) is dropped and counted.
struct VoiceSplit {
    std::vector<std::vector<SongNote>> voices;
    std::size_t droppedNotes = 0;
    std::size_t shortenedNotes = 0;
};

VoiceSplit splitIntoVoices(std::vector<SongNote> notes, std::size_t maxVoices);

} // namespace mid2snr
