// Writes the example MIDI file "Evening Waltz", an original tune of the
// project: a Standard MIDI File of format 1 with a conductor track, a melody,
// waltz chords and a light percussion track. Run at build time:
//   example_midi_writer <output.mid>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr int TicksPerQuarter = 480;
constexpr int BeatsPerBar = 3;
constexpr int Bars = 16;

struct Event {
    int tick;
    int order; // at one tick: note-offs (0) before everything else (1)
    std::vector<uint8_t> bytes;
};

using Track = std::vector<Event>;

void addNote(Track &track, int channel, int key, int velocity, int startBeat, int beats)
{
    const int start = startBeat * TicksPerQuarter;
    // Each note is released a little early, so repeated keys are heard apart.
    const int end = start + beats * TicksPerQuarter - TicksPerQuarter / 16;
    track.push_back({start, 1, {uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)}});
    track.push_back({end, 0, {uint8_t(0x80 | channel), uint8_t(key), 0}});
}

void addMeta(Track &track, int tick, uint8_t type, const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> bytes{0xFF, type, uint8_t(data.size())};
    bytes.insert(bytes.end(), data.begin(), data.end());
    track.push_back({tick, 1, bytes});
}

void addName(Track &track, const std::string &name)
{
    addMeta(track, 0, 0x03, std::vector<uint8_t>(name.begin(), name.end()));
}

Track conductor()
{
    Track track;
    addName(track, "Evening Waltz");
    constexpr int microsecondsPerQuarter = 60000000 / 125;
    addMeta(track, 0, 0x51,
            {uint8_t(microsecondsPerQuarter >> 16), uint8_t(microsecondsPerQuarter >> 8),
             uint8_t(microsecondsPerQuarter)});
    addMeta(track, 0, 0x58, {3, 2, 24, 8}); // 3/4
    return track;
}

// The tune: one {key, beats} pair after another; key 0 is a rest.
Track melody()
{
    static const int notes[][2] = {
        {72, 2}, {76, 1}, {79, 2}, {76, 1}, {77, 1}, {76, 1}, {74, 1}, {72, 3}, {74, 2},
        {77, 1}, {81, 2}, {77, 1}, {76, 1}, {74, 1}, {72, 1}, {74, 3}, {76, 2}, {79, 1},
        {84, 2}, {83, 1}, {81, 1}, {79, 1}, {77, 1}, {76, 3}, {77, 1}, {81, 1}, {79, 1},
        {77, 1}, {76, 1}, {74, 1}, {76, 2}, {74, 1}, {72, 3},
    };
    Track track;
    addName(track, "Melody");
    track.push_back({0, 1, {0xC0, 0}}); // piano
    int beat = 0;
    for (const auto &note : notes) {
        if (note[0] != 0)
            addNote(track, 0, note[0], 96, beat, note[1]);
        beat += note[1];
    }
    return track;
}

// A bass note on the first beat of each bar, the chord on the second and third.
Track chords()
{
    // Root key (octave 3) and the chord's three keys, one line per bar.
    static const int bars[Bars][4] = {
        {48, 60, 64, 67}, {48, 60, 64, 67}, {43, 59, 62, 65}, {48, 60, 64, 67},
        {50, 62, 65, 69}, {50, 62, 65, 69}, {45, 60, 64, 69}, {43, 59, 62, 67},
        {48, 60, 64, 67}, {45, 60, 64, 69}, {41, 60, 65, 69}, {48, 60, 64, 67},
        {41, 60, 65, 69}, {43, 59, 62, 67}, {43, 59, 62, 65}, {48, 60, 64, 67},
    };
    Track track;
    addName(track, "Chords");
    track.push_back({0, 1, {0xC1, 32}}); // acoustic bass
    for (int bar = 0; bar < Bars; ++bar) {
        const int first = bar * BeatsPerBar;
        addNote(track, 1, bars[bar][0], 90, first, 1);
        for (int beat = 1; beat < BeatsPerBar; ++beat)
            for (int key = 1; key < 4; ++key)
                addNote(track, 1, bars[bar][key], 64, first + beat, 1);
    }
    return track;
}

// Channel 10: a bass drum on the first beat, a closed hi-hat on the others.
Track percussion()
{
    Track track;
    addName(track, "Percussion");
    for (int beat = 0; beat < Bars * BeatsPerBar; ++beat)
        addNote(track, 9, beat % BeatsPerBar == 0 ? 36 : 42, beat % BeatsPerBar == 0 ? 80 : 48,
                beat, 1);
    return track;
}

void appendNumber(std::vector<uint8_t> &out, uint32_t value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

void appendVariableLength(std::vector<uint8_t> &out, uint32_t value)
{
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(groups[--count] | 0x80);
    out.push_back(groups[0]);
}

std::vector<uint8_t> trackChunk(Track track)
{
    std::stable_sort(track.begin(), track.end(), [](const Event &a, const Event &b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::vector<uint8_t> body;
    int last = 0;
    for (const Event &event : track) {
        appendVariableLength(body, uint32_t(event.tick - last));
        body.insert(body.end(), event.bytes.begin(), event.bytes.end());
        last = event.tick;
    }
    const uint8_t endOfTrack[] = {0x00, 0xFF, 0x2F, 0x00};
    body.insert(body.end(), std::begin(endOfTrack), std::end(endOfTrack));

    std::vector<uint8_t> chunk{'M', 'T', 'r', 'k'};
    appendNumber(chunk, uint32_t(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.mid>\n", argv[0]);
        return 2;
    }
    const std::vector<Track> tracks{conductor(), melody(), chords(), percussion()};
    std::vector<uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    appendNumber(file, 1, 2); // format 1
    appendNumber(file, uint32_t(tracks.size()), 2);
    appendNumber(file, TicksPerQuarter, 2);
    for (const Track &track : tracks) {
        const std::vector<uint8_t> chunk = trackChunk(track);
        file.insert(file.end(), chunk.begin(), chunk.end());
    }

    FILE *out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
        std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
