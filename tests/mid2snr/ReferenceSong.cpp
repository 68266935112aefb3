#include "tests/mid2snr/ReferenceSong.h"

#include <algorithm>
#include <functional>
#include <map>

namespace smf = tunelet::testkit::smf;

namespace
{

struct PendingEvent {
    std::uint32_t tick = 0;
    int priority = 0; // tempo and settings, then note-offs, then note-ons
    std::function<void(smf::Track &, std::uint32_t delta)> write;
};

std::uint32_t trackEnd(const RefSong &song, int track)
{
    std::uint32_t end = 0;
    for (const RefNote &n : song.notes)
        if (n.track == track)
            end = std::max(end, n.end);
    for (const RefTempo &t : song.tempos)
        if (t.track == track)
            end = std::max(end, t.tick);
    return end + song.tail;
}

std::vector<PendingEvent> trackEvents(const RefSong &song, int track)
{
    std::vector<PendingEvent> events;
    for (const RefTempo &t : song.tempos) {
        if (t.track == track)
            events.push_back(
                {t.tick, 0, [t](smf::Track &w, std::uint32_t d) { w.tempo(d, t.usPerQuarter); }});
    }
    const bool offAsOn = song.offAsNoteOn;
    for (const RefNote &n : song.notes) {
        if (n.track != track)
            continue;
        events.push_back({n.start, 2, [n](smf::Track &w, std::uint32_t d) {
                              w.noteOn(d, n.channel, n.key, n.velocity);
                          }});
        events.push_back({n.end, 1, [n, offAsOn](smf::Track &w, std::uint32_t d) {
                              w.noteOff(d, n.channel, n.key, offAsOn);
                          }});
    }
    if (song.extras) {
        for (const std::uint32_t at : {0u, trackEnd(song, track) / 2}) {
            events.push_back({at, 0, [](smf::Track &w, std::uint32_t d) {
                                  w.sysex(d, "\x7E\x7F\x09\x01\xF7");
                                  w.sysex(0, "\xF3\x01", 0xF7);
                                  w.meta(0, 0x01, "some text");
                                  w.meta(0, 0x06, "marker");
                                  w.meta(0, 0x7F, std::string("\x00\x00\x41\x10", 4));
                                  w.meta(0, 0x58, "\x04\x02\x18\x08");
                                  w.pitchBend(0, 3, 0, 64);
                                  w.control(0, 3, 1, 20); // modulation, ignored
                              }});
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const auto &a, const auto &b) {
        return a.tick != b.tick ? a.tick < b.tick : a.priority < b.priority;
    });
    return events;
}

bool smpte(const RefSong &song)
{
    return song.division & 0x8000;
}

// Seconds per tick for SMPTE divisions: frames per second times ticks per frame.
double smpteTickSeconds(const RefSong &song)
{
    const int fps = 256 - (song.division >> 8);
    const double realFps = fps == 29 ? 30000.0 / 1001.0 : fps;
    return 1.0 / (realFps * (song.division & 0xFF));
}

std::vector<std::uint64_t> trackOffsets(const RefSong &song)
{
    std::vector<std::uint64_t> offsets(song.tracks, 0);
    std::uint64_t offset = 0;
    for (int t = 0; t < song.tracks; ++t) {
        offsets[t] = offset;
        if (song.format == 2)
            offset += trackEnd(song, t);
    }
    return offsets;
}

// Global tempo map: tick -> microseconds per quarter; later tracks win at a tick.
std::map<std::uint64_t, std::uint32_t> tempoMap(const RefSong &song)
{
    const auto offsets = trackOffsets(song);
    std::map<std::uint64_t, std::uint32_t> map{{0, 500000}};
    for (int t = 0; t < song.tracks; ++t)
        for (const RefTempo &tempo : song.tempos)
            if (tempo.track == t)
                map[tempo.tick + offsets[t]] = tempo.usPerQuarter;
    return map;
}

double secondsAt(const RefSong &song, std::uint64_t tick)
{
    if (smpte(song))
        return double(tick) * smpteTickSeconds(song);
    const auto map = tempoMap(song);
    double seconds = 0;
    std::uint64_t from = 0;
    std::uint32_t us = 500000;
    for (const auto &[at, newUs] : map) {
        if (at >= tick)
            break;
        seconds += double(at - from) * us / 1e6 / song.division;
        from = at;
        us = newUs;
    }
    return seconds + double(tick - from) * us / 1e6 / song.division;
}

} // namespace

std::string writeMidi(const RefSong &song)
{
    std::vector<smf::Track> tracks;
    for (int t = 0; t < song.tracks; ++t) {
        smf::Track track(song.runningStatus);
        if (t == 0 && !song.trackName.empty())
            track.name(0, song.trackName);
        std::uint32_t now = 0;
        for (const PendingEvent &e : trackEvents(song, t)) {
            e.write(track, e.tick - now);
            now = e.tick;
        }
        track.end(trackEnd(song, t) - now);
        tracks.push_back(track);
    }
    std::string bytes = smf::file(song.format, song.division, tracks);
    if (song.extras) {
        // An unknown chunk after the header is skipped by readers.
        std::string alien = "XFIH";
        smf::appendBigEndian(alien, 3, 4);
        alien += "abc";
        bytes.insert(14, alien);
    }
    return bytes;
}

std::vector<RefOnset> referenceOnsets(const RefSong &song)
{
    const auto offsets = trackOffsets(song);
    std::vector<RefOnset> onsets;
    for (const RefNote &n : song.notes)
        onsets.push_back({secondsAt(song, n.start + offsets[n.track]), n.key});
    std::sort(onsets.begin(), onsets.end(), [](const RefOnset &a, const RefOnset &b) {
        return a.seconds != b.seconds ? a.seconds < b.seconds : a.key < b.key;
    });
    return onsets;
}

double referenceSeconds(const RefSong &song)
{
    const auto offsets = trackOffsets(song);
    std::uint64_t end = 0;
    for (int t = 0; t < song.tracks; ++t)
        end = std::max<std::uint64_t>(end, offsets[t] + trackEnd(song, t));
    return secondsAt(song, end);
}

double referenceTickSeconds(const RefSong &song, double seconds)
{
    if (smpte(song))
        return smpteTickSeconds(song);
    std::uint32_t current = 500000;
    for (const auto &[at, us] : tempoMap(song))
        if (secondsAt(song, at) <= seconds + 1e-9)
            current = us;
    return current / 1e6 / song.division;
}
