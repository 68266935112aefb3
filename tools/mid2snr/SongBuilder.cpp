#include "tools/mid2snr/SongBuilder.h"

#include "tools/mid2snr/InstrumentMap.h"
#include "tools/mid2snr/TickScale.h"
#include "tools/mid2snr/VoiceAllocator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace mid2snr
{

namespace
{

constexpr int kChannels = 16;
constexpr double kMaxBpm = 1000.0; // the player's fastest tempo
constexpr std::uint64_t kMaxSourceTick = 0xFFFFFFFFull;

struct TimedEvent {
    std::uint64_t tick = 0;
    std::uint64_t sortKey = 0;
    std::uint16_t track = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

bool isNoteEvent(std::uint8_t status)
{
    const int kind = status >> 4;
    return kind == 0x8 || kind == 0x9;
}

bool bySortKey(const TimedEvent &a, const TimedEvent &b)
{
    return a.sortKey < b.sortKey;
}

// Within one track events come in tick order already; only settings written
// after a note at the same tick need to move before it.
void orderTrack(std::vector<TimedEvent>::iterator begin, std::vector<TimedEvent>::iterator end)
{
    while (begin != end) {
        const auto sameTick = std::find_if(
            begin, end, [tick = begin->tick](const TimedEvent &e) { return e.tick != tick; });
        if (!std::is_sorted(begin, sameTick, bySortKey))
            std::stable_sort(begin, sameTick, bySortKey);
        begin = sameTick;
    }
}

// All channel events of the file in playing order. At one tick, controller and
// program changes come before notes, so a note takes the settings written for
// its own tick whichever track holds them. Tracks are merged pairwise, which is
// much cheaper than sorting everything.
std::vector<TimedEvent> timeline(const SmfFile &file, const std::vector<std::uint64_t> &offsets)
{
    std::vector<TimedEvent> events;
    std::size_t total = 0;
    for (const SmfTrack &track : file.tracks)
        total += track.events.size();
    events.reserve(total);
    // One number orders by tick, then settings before notes, then file order
    // (ticks below 2^33, fewer than 2^23 events).
    std::uint64_t order = 0;
    std::vector<std::size_t> bounds{0};
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        for (const SmfChannelEvent &e : file.tracks[t].events) {
            const std::uint64_t tick = e.tick + offsets[t];
            const std::uint64_t noteClass = isNoteEvent(e.status) ? 1 : 0;
            events.push_back({tick, (tick << 24) | (noteClass << 23) | order++,
                              static_cast<std::uint16_t>(t), e.status, e.data1, e.data2});
        }
        orderTrack(events.begin() + std::ptrdiff_t(bounds.back()), events.end());
        if (events.size() > bounds.back())
            bounds.push_back(events.size());
    }
    while (bounds.size() > 2) {
        std::vector<std::size_t> merged{0};
        for (std::size_t i = 2; i < bounds.size(); i += 2) {
            std::inplace_merge(events.begin() + std::ptrdiff_t(bounds[i - 2]),
                               events.begin() + std::ptrdiff_t(bounds[i - 1]),
                               events.begin() + std::ptrdiff_t(bounds[i]), bySortKey);
            merged.push_back(bounds[i]);
        }
        if (merged.back() != bounds.back())
            merged.push_back(bounds.back());
        bounds = std::move(merged);
    }
    return events;
}

// Follows the channels' state and pairs note-ons with their note-offs (first
// on, first off for repeated keys), holding released notes while the sustain
// pedal is down.
class NoteCollector final
{
public:
    NoteCollector(const TickScale &scale, const std::vector<std::uint64_t> &trackEnds)
        : m_scale(scale), m_trackEnds(trackEnds)
    {
    }

    void apply(const TimedEvent &e)
    {
        const int channel = e.status & 0x0F;
        switch (e.status >> 4) {
        case 0x9:
            if (e.data2 > 0) {
                noteOn(channel, e.data1, e.data2, e.tick, e.track);
                break;
            }
            [[fallthrough]];
        case 0x8:
            noteOff(channel, e.data1, e.tick);
            break;
        case 0xB:
            control(channel, e.data1, e.data2, e.tick);
            break;
        case 0xC:
            m_channels[channel].program = e.data1;
            break;
        default:
            break;
        }
    }

    // Notes still sounding end with the track that started them.
    void finish()
    {
        for (int channel = 0; channel < kChannels; ++channel) {
            for (int key = 0; key < 128; ++key)
                endAll(channel, key, std::nullopt);
        }
    }

    std::vector<SongNote> &notes(int channel) { return m_channels[channel].notes; }

private:
    struct OpenNote {
        std::uint64_t start = 0;
        std::uint16_t track = 0;
        std::uint8_t volume = 0;
        std::uint8_t waveform = 0;
        std::uint8_t pan = 64;
        std::uint8_t playedKey = 60; // a drum's key is chosen by its sound
        Envelope envelope;
    };

    // First in, first out, without allocating while empty.
    class NoteQueue final
    {
    public:
        bool empty() const { return m_head == m_items.size(); }
        const OpenNote &front() const { return m_items[m_head]; }
        void push_back(const OpenNote &note) { m_items.push_back(note); }
        void pop_front()
        {
            if (++m_head == m_items.size())
                clear();
        }
        void clear()
        {
            m_items.clear();
            m_head = 0;
        }
        auto begin() const { return m_items.begin() + std::ptrdiff_t(m_head); }
        auto end() const { return m_items.end(); }

    private:
        std::vector<OpenNote> m_items;
        std::size_t m_head = 0;
    };

    struct ChannelState {
        int program = 0;
        int volume = 100;
        int expression = 127;
        int pan = 64;
        bool sustain = false;
        // Per key: notes held down, oldest first, and notes let go while the
        // sustain pedal holds them.
        std::array<NoteQueue, 128> down;
        std::array<std::vector<OpenNote>, 128> held;
        std::vector<SongNote> notes;
    };

    void noteOn(int channel, int key, int velocity, std::uint64_t tick, std::uint16_t track)
    {
        ChannelState &state = m_channels[channel];
        endReleased(channel, key, tick); // striking a held key again ends the held sound
        const long volume =
            std::lround(double(velocity) * state.volume * state.expression / (127.0 * 127.0));
        OpenNote note;
        note.start = tick;
        note.track = track;
        note.volume = static_cast<std::uint8_t>(std::clamp(volume, 0L, 127L));
        const Voicing voicing = voicingFor(channel, state.program, key);
        note.waveform = static_cast<std::uint8_t>(voicing.waveform);
        note.playedKey = voicing.key;
        note.envelope = voicing.envelope;
        note.pan = static_cast<std::uint8_t>(state.pan);
        state.down[key].push_back(note);
    }

    void noteOff(int channel, int key, std::uint64_t tick)
    {
        ChannelState &state = m_channels[channel];
        auto &down = state.down[key];
        if (down.empty())
            return;
        if (state.sustain)
            state.held[key].push_back(down.front());
        else
            close(channel, down.front(), tick);
        down.pop_front();
    }

    void control(int channel, int controller, int value, std::uint64_t tick)
    {
        ChannelState &state = m_channels[channel];
        switch (controller) {
        case 7:
            state.volume = value;
            break;
        case 10:
            state.pan = value;
            break;
        case 11:
            state.expression = value;
            break;
        case 64:
            state.sustain = value >= 64;
            if (!state.sustain) {
                for (int key = 0; key < 128; ++key)
                    endReleased(channel, key, tick);
            }
            break;
        case 120: // all sound off
        case 123: // all notes off
            for (int key = 0; key < 128; ++key)
                endAll(channel, key, tick);
            break;
        case 121: // reset all controllers; volume and pan are kept
            state.expression = 127;
            state.sustain = false;
            for (int key = 0; key < 128; ++key)
                endReleased(channel, key, tick);
            break;
        default:
            break;
        }
    }

    void endReleased(int channel, int key, std::uint64_t tick)
    {
        auto &held = m_channels[channel].held[key];
        for (const OpenNote &note : held)
            close(channel, note, tick);
        held.clear();
    }

    // Ends every sound of a key, at `tick` or, without one, at the end of the
    // track that started it.
    void endAll(int channel, int key, std::optional<std::uint64_t> tick)
    {
        ChannelState &state = m_channels[channel];
        for (const OpenNote &note : state.held[key])
            close(channel, note, tick.value_or(m_trackEnds[note.track]));
        for (const OpenNote &note : state.down[key])
            close(channel, note, tick.value_or(m_trackEnds[note.track]));
        state.held[key].clear();
        state.down[key].clear();
    }

    // A note that ends on its own start tick still sounds for one tick.
    void close(int channel, const OpenNote &open, std::uint64_t endTick)
    {
        SongNote note;
        note.start = m_scale.map(open.start);
        note.end = std::max(m_scale.map(endTick), note.start + 1);
        note.key = open.playedKey;
        note.volume = open.volume;
        note.waveform = open.waveform;
        note.pan = open.pan;
        note.envelope = open.envelope;
        m_channels[channel].notes.push_back(note);
    }

    const TickScale &m_scale;
    const std::vector<std::uint64_t> &m_trackEnds;
    std::array<ChannelState, kChannels> m_channels;
};

std::vector<SongTempo> tempoMap(const SmfFile &file, const std::vector<std::uint64_t> &offsets,
                                const TickScale &scale, std::vector<std::string> &warnings)
{
    if (scale.fixedTempo())
        return {{0, scale.fixedBpm()}};
    std::vector<SongTempo> changes;
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        for (const SmfTempo &tempo : file.tracks[t].tempos)
            changes.push_back(
                {scale.map(tempo.tick + offsets[t]), 60'000'000.0 / tempo.usPerQuarter});
    }
    // At one tick the tempo written last (latest track, then latest event) wins.
    std::stable_sort(changes.begin(), changes.end(),
                     [](const SongTempo &a, const SongTempo &b) { return a.tick < b.tick; });
    std::vector<SongTempo> map{{0, 120.0}};
    bool clamped = false;
    for (SongTempo change : changes) {
        if (change.bpm > kMaxBpm) {
            change.bpm = kMaxBpm;
            clamped = true;
        }
        if (change.tick == map.back().tick)
            map.back().bpm = change.bpm;
        else if (change.bpm != map.back().bpm)
            map.push_back(change);
    }
    if (clamped)
        warnings.push_back("tempos above 1000 bpm are played at 1000 bpm");
    return map;
}

// Keeps the title and comment lines intact: a quote would end the text early
// and control bytes could end the line.
std::string headerText(const std::string &raw)
{
    std::string text;
    text.reserve(raw.size());
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"')
            text += '\'';
        else if (byte < 0x20 || byte == 0x7F)
            text += ' ';
        else
            text += c;
    }
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string songTitle(const SmfFile &file, const std::string &fileName)
{
    std::string title = headerText(file.tracks.front().name);
    return title.empty() ? headerText(fileName) : title;
}

void addVoices(NoteCollector &notes, Song &song, std::size_t budget)
{
    int channelsLeft = 0;
    for (int channel = 0; channel < kChannels; ++channel)
        channelsLeft += notes.notes(channel).empty() ? 0 : 1;
    std::size_t dropped = 0, shortened = 0;
    for (int channel = 0; channel < kChannels; ++channel) {
        if (notes.notes(channel).empty())
            continue;
        --channelsLeft;
        const std::size_t reserve = std::size_t(channelsLeft);
        const std::size_t cap = budget > reserve ? budget - reserve : 1;
        VoiceSplit split = splitIntoVoices(std::move(notes.notes(channel)), cap);
        dropped += split.droppedNotes;
        shortened += split.shortenedNotes;
        for (std::size_t v = 0; v < split.voices.size(); ++v)
            song.voices.push_back({channel, int(v), std::move(split.voices[v])});
        budget -= std::min(budget, split.voices.size());
    }
    if (dropped > 0 || shortened > 0)
        song.warnings.push_back("too many simultaneous notes: " + std::to_string(dropped) +
                                " dropped, " + std::to_string(shortened) + " shortened");
}

// Where each track starts and ends on the song's time line, in the file's
// ticks. Format 2 holds independent patterns, played one after another.
struct TrackPlacement {
    std::vector<std::uint64_t> offsets;
    std::vector<std::uint64_t> ends;
};

bool placeTracks(const SmfFile &file, TrackPlacement &placement, std::string &error)
{
    placement.offsets.assign(file.tracks.size(), 0);
    placement.ends.assign(file.tracks.size(), 0);
    std::uint64_t offset = 0;
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        placement.offsets[t] = offset;
        placement.ends[t] = offset + file.tracks[t].endTick;
        if (placement.ends[t] > kMaxSourceTick) {
            error = "the tracks add up to an absurd length";
            return false;
        }
        if (file.format == 2)
            offset = placement.ends[t];
    }
    std::size_t eventCount = 0;
    for (const SmfTrack &track : file.tracks)
        eventCount += track.events.size();
    if (eventCount >= (std::size_t(1) << 23)) {
        error = "too many events";
        return false;
    }
    return true;
}

// The end of the longest track, or of a note that had to be made longer.
std::uint64_t songEnd(const TrackPlacement &placement, const TickScale &scale,
                      NoteCollector &collector)
{
    std::uint64_t end = 0;
    for (const std::uint64_t trackEnd : placement.ends)
        end = std::max(end, scale.map(trackEnd));
    for (int channel = 0; channel < kChannels; ++channel) {
        for (const SongNote &note : collector.notes(channel))
            end = std::max(end, note.end);
    }
    return end;
}

} // namespace

bool buildSong(const SmfFile &file, const std::string &fileName, Song &song, std::string &error,
               const SongLimits &limits)
{
    TrackPlacement placement;
    if (file.tracks.empty()) {
        error = "the file has no tracks";
        return false;
    }
    if (!placeTracks(file, placement, error))
        return false;

    const TickScale scale(file.division);
    song = Song{};
    song.title = songTitle(file, fileName);
    song.comment = headerText(file.tracks.front().copyright);
    song.timebase = scale.timebase();
    song.tempos = tempoMap(file, placement.offsets, scale, song.warnings);

    NoteCollector collector(scale, placement.ends);
    for (const TimedEvent &event : timeline(file, placement.offsets))
        collector.apply(event);
    collector.finish();

    song.endTick = songEnd(placement, scale, collector);
    if (song.endTick > limits.maxTick || secondsAt(song, song.endTick) > limits.maxSeconds) {
        error = "the song is absurdly long";
        return false;
    }
    addVoices(collector, song, limits.maxTracks - 1);
    return true;
}

} // namespace mid2snr
