#include "tests/mid2snr/PlayedSong.h"

#include <algorithm>

#ifdef MID2SNR_TEST_WITH_SONGDATA
#include "tools/sonaro/songdata/Song.h"
#else
#include "tests/mid2snr/SnrReading.h"
#endif

namespace
{

void sortNotes(std::vector<PlayedNote> &notes)
{
    std::stable_sort(notes.begin(), notes.end(), [](const PlayedNote &a, const PlayedNote &b) {
        return a.seconds != b.seconds ? a.seconds < b.seconds : a.key < b.key;
    });
}

} // namespace

#ifdef MID2SNR_TEST_WITH_SONGDATA

PlayedSong playSong(const std::string &text)
{
    const songdata::Song song = songdata::parseSong(text);
    PlayedSong played;
    played.byPlayerLibrary = true;
    played.hasTitle = song.hasTitle;
    played.title = song.title;
    played.startBpm = song.tempos.empty() ? 0 : song.tempos.front().bpm;
    for (const songdata::Track &track : song.tracks)
        played.tracks.insert(track.name);
    for (const songdata::Note &note : song.notes) {
        std::array<int, 4> envelope{-1, -1, -1, -1};
        if (const auto &e = note.envelope)
            envelope = {e->attackMs, e->decayMs, e->sustain, e->releaseMs};
        played.notes.push_back({song.tracks.at(std::size_t(note.track)).name, note.key,
                                note.startTick, note.lengthTicks, note.startSeconds, note.volume,
                                int(note.waveform), envelope});
    }
    sortNotes(played.notes);
    played.totalSeconds = song.totalSeconds;
    played.firstTickSeconds = song.secondsAt(1);
    if (song.truncated)
        played.problems.push_back("the player cut the song short");
    return played;
}

#else

PlayedSong playSong(const std::string &text)
{
    const SnrReading reading = readSnr(text);
    PlayedSong played;
    played.hasTitle = reading.hasTitle;
    played.title = reading.title;
    played.startBpm = reading.startBpm;
    for (const auto &[name, end] : reading.trackEnds)
        played.tracks.insert(name);
    for (const SnrNote &note : reading.notes) {
        played.notes.push_back({note.track, note.key, note.tick, note.length * note.gate / 8,
                                reading.secondsAt(note.tick), note.volume, note.waveform,
                                note.envelope});
    }
    sortNotes(played.notes);
    played.totalSeconds = reading.totalSeconds();
    played.firstTickSeconds = reading.secondsAt(1);
    played.problems = reading.problems;
    return played;
}

#endif
