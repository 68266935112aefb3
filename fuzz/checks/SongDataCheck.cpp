#include "fuzz/checks/SongDataCheck.h"

#include "tools/sonaro/songdata/Song.h"
#include "tools/sonaro/songdata/Synth.h"

#include <cmath>
#include <string_view>
#include <vector>

namespace fuzzcheck
{

namespace
{

using songdata::Note;
using songdata::Song;

std::string noteProblem(const Song &song, const Note &n)
{
    if (n.track < 0 || std::size_t(n.track) >= song.tracks.size())
        return "note on a track that does not exist";
    if (n.startTick < 0 || n.lengthTicks < 1)
        return "note with a negative start or no length";
    if (n.key < 0 || n.key > 127 || n.volume < 0 || n.volume > 127 || n.pan < 0 || n.pan > 127)
        return "note key, volume or pan out of range";
    if (static_cast<int>(n.waveform) > static_cast<int>(songdata::Waveform::Pulse25))
        return "note waveform out of range";
    if (!std::isfinite(n.startSeconds) || !std::isfinite(n.endSeconds) || n.startSeconds < 0 ||
        n.endSeconds < n.startSeconds)
        return "note times not finite or reversed";
    if (n.startTick > song.endTick)
        return "note starts after the song's end";
    return {};
}

std::string songProblem(const Song &song, const songdata::ParseLimits &limits)
{
    if (song.timebase < 1 || song.timebase > 3840)
        return "timebase out of range";
    if (song.tracks.size() > limits.maxTracks)
        return "more tracks than the limit";
    if (song.notes.size() > limits.maxNotes)
        return "more notes than the limit";
    // The first character of a step is read below the limit, a repeat count
    // (at most six digits) is read ahead.
    if (song.parseSteps > limits.maxSteps + 7)
        return "more parse steps than the limit";
    if (song.tempos.size() > limits.maxTempoChanges + 1)
        return "more tempo changes than the limit";
    if (song.title.size() > songdata::kMaxHeaderTextBytes ||
        song.composer.size() > songdata::kMaxHeaderTextBytes ||
        song.comment.size() > songdata::kMaxHeaderTextBytes)
        return "a header text longer than its bound";
    if (song.hasTitle && song.title.find_first_of("\"\r\n") != std::string::npos)
        return "title holds a quote or a line break";
    if (!song.hasTitle && !song.title.empty())
        return "title without a title line";
    if (song.endTick < 0 || song.endTick > limits.maxTrackTicks)
        return "song end outside 0 .. the track limit";
    for (const songdata::Track &t : song.tracks) {
        if (t.endTick > song.endTick || t.endTick < 0)
            return "track ends after the song";
        if (t.name.empty() || t.name[0] < 'A' || t.name[0] > 'Z' || t.name.size() > 4)
            return "track name not a capital and up to three digits";
    }
    std::vector<std::size_t> perTrack(song.tracks.size());
    for (std::size_t i = 0; i < song.notes.size(); ++i) {
        const Note &n = song.notes[i];
        if (std::string p = noteProblem(song, n); !p.empty())
            return p + " (note " + std::to_string(i) + ")";
        ++perTrack[std::size_t(n.track)];
        if (i > 0) {
            const Note &prev = song.notes[i - 1];
            if (prev.startTick > n.startTick ||
                (prev.startTick == n.startTick && prev.track > n.track))
                return "notes not ordered by start, then track";
        }
    }
    for (std::size_t t = 0; t < song.tracks.size(); ++t) {
        if (song.tracks[t].noteCount != perTrack[t])
            return "a track's note count differs from its notes";
    }
    if (song.tempos.empty() || song.tempos.front().tick != 0)
        return "tempo map does not start at tick 0";
    for (std::size_t i = 0; i < song.tempos.size(); ++i) {
        const songdata::TempoChange &t = song.tempos[i];
        if (!(t.bpm >= 1 && t.bpm <= 1000) || !std::isfinite(t.seconds) || t.seconds < 0)
            return "tempo out of range or its time not finite";
        if (i > 0 && (song.tempos[i - 1].tick > t.tick || song.tempos[i - 1].seconds > t.seconds))
            return "tempo map not ordered";
    }
    if (!std::isfinite(song.totalSeconds) || song.totalSeconds < 0)
        return "song length not finite";
    // Rounded up, with a microsecond of tolerance for rounding artefacts of the tempo map.
    const double whole = double(song.wholeSeconds());
    if (whole < song.totalSeconds - 1e-6 || whole >= song.totalSeconds + 1)
        return "whole seconds not the length rounded up";
    const double atEnd = song.secondsAt(song.endTick);
    if (std::fabs(atEnd - song.totalSeconds) > 1e-6 * std::max(1.0, song.totalSeconds))
        return "the time of the end tick is not the song's length";
    return {};
}

std::string renderProblem(const Song &song)
{
    songdata::Synth synth(song, 48000);
    std::vector<std::int16_t> block(2 * 256);
    const std::int64_t end = synth.endFrame();
    if (end < 0)
        return "negative end frame";
    for (const std::int64_t at : {std::int64_t(0), end / 2, end - 100, end + 5}) {
        synth.seek(at);
        if (synth.position() < 0 || synth.position() > end)
            return "seek left the song";
        synth.render(block.data(), 256);
        if (synth.position() < 0)
            return "render moved before the start";
    }
    if (!synth.atEnd())
        return "rendering past the end is not at the end";
    return {};
}

} // namespace

songdata::ParseLimits fuzzLimits()
{
    songdata::ParseLimits limits;
    limits.maxNotes = 1'000;
    limits.maxTempoChanges = 1'000;
    limits.maxSteps = 20'000;
    return limits;
}

std::string checkSongData(std::span<const std::uint8_t> data, const songdata::ParseLimits &limits)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data.data()), data.size());
    (void)songdata::looksBinary(bytes);
    const Song song = songdata::parseSong(bytes, limits);
    if (std::string p = songProblem(song, limits); !p.empty())
        return p;
    return renderProblem(song);
}

} // namespace fuzzcheck
