// Reading song data: header lines, track lines and the commands of a track.

#include "tools/sonaro/songdata/Song.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace songdata
{
namespace
{

constexpr int kMaxLoopDepth = 8;
constexpr int kMaxRepeat = 255;
constexpr std::int64_t kMaxTickLength = 1'000'000;

struct RawTempo {
    std::int64_t tick;
    std::size_t track;
    std::size_t serial;
    double bpm;
};

std::vector<std::string_view> splitLines(std::string_view bytes)
{
    if (const auto eof = bytes.find('\x1A'); eof != std::string_view::npos)
        bytes = bytes.substr(0, eof);
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// "A:", "B2:", "Q15:" -> the name; nothing for other lines.
std::optional<std::string_view> trackName(std::string_view line)
{
    if (line.empty() || line[0] < 'A' || line[0] > 'Z')
        return std::nullopt;
    std::size_t i = 1;
    while (i < line.size() && i <= 3 && isDigit(line[i]))
        ++i;
    if (i >= line.size() || line[i] != ':')
        return std::nullopt;
    return line.substr(0, i);
}

// At most max bytes of text; a cut inside a UTF-8 character moves before it.
std::string_view cutText(std::string_view text, std::size_t max)
{
    if (text.size() <= max)
        return text;
    std::size_t cut = max;
    for (int back = 0;
         back < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    return text.substr(0, cut);
}

// The text between the first '"' and the next one (or the line's end), bounded.
std::string quoted(std::string_view rest)
{
    const auto open = rest.find('"');
    if (open == std::string_view::npos)
        return {};
    rest.remove_prefix(open + 1);
    return std::string(cutText(rest.substr(0, rest.find('"')), kMaxHeaderTextBytes));
}

std::optional<double> leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    double value = 0;
    bool any = false;
    while (i < text.size() && isDigit(text[i]) && value < 1e9) {
        value = value * 10 + (text[i++] - '0');
        any = true;
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && isDigit(text[i]); ++i, scale /= 10) {
            value += (text[i] - '0') * scale;
            any = true;
        }
    }
    return any ? std::optional<double>(value) : std::nullopt;
}

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

// Runs the commands of one track and collects its notes and tempo changes.
class TrackReader
{
public:
    TrackReader(std::string_view text, std::size_t track, int timebase, Song &song,
                std::vector<RawTempo> &tempos, std::uint64_t &steps, const ParseLimits &limits)
        : m_text(text), m_track(track), m_timebase(timebase), m_song(song), m_tempos(tempos),
          m_steps(steps), m_limits(limits)
    {
        m_defaultLength = timebase;
        matchBrackets();
    }

    void run()
    {
        while (m_pos < m_text.size()) {
            if (m_steps >= m_limits.maxSteps || m_tick > m_limits.maxTrackTicks ||
                m_song.notes.size() >= m_limits.maxNotes || m_tempoMapFull) {
                m_song.truncated = true;
                break;
            }
            step();
        }
        finishNote();
        Track &t = m_song.tracks[m_track];
        t.endTick = std::max(t.endTick, std::min(m_tick, m_limits.maxTrackTicks));
    }

private:
    struct Loop {
        std::size_t body;  // first command inside
        std::size_t close; // position of ']'
        int count;
        int pass;
    };

    struct PendingNote {
        bool active = false;
        bool isRest = false;
        bool slurred = false;
        std::int64_t start = 0;
        std::int64_t length = 0;
        int key = 0;
        // Settings in force when the note began.
        int volume = 100;
        Waveform waveform = Waveform::Square;
        int gate = 7;
        int pan = 64;
        std::optional<Envelope> envelope;
    };

    // Pairs every '[' with its ']' and reads the repeat count after the ']'.
    void matchBrackets()
    {
        m_close.assign(m_text.size(), std::string_view::npos);
        std::vector<std::size_t> open;
        for (std::size_t i = 0; i < m_text.size(); ++i) {
            if (m_text[i] == '[') {
                open.push_back(i);
            } else if (m_text[i] == ']' && !open.empty()) {
                m_close[open.back()] = i;
                open.pop_back();
            }
        }
    }

    // Every character read counts as a step, each time it is read again by a loop,
    // so the step limit bounds the work whatever the text holds.
    void consume()
    {
        ++m_pos;
        ++m_steps;
    }

    // The next character, when there is one and the step limit is not reached.
    bool nextIs(char c) const
    {
        return m_pos < m_text.size() && m_steps < m_limits.maxSteps && m_text[m_pos] == c;
    }

    bool nextIsDigit() const
    {
        return m_pos < m_text.size() && m_steps < m_limits.maxSteps && isDigit(m_text[m_pos]);
    }

    std::optional<std::int64_t> number()
    {
        if (!nextIsDigit())
            return std::nullopt;
        std::int64_t v = 0;
        while (nextIsDigit()) {
            v = std::min<std::int64_t>(v * 10 + (m_text[m_pos] - '0'), 1'000'000'000);
            consume();
        }
        return v;
    }

    std::optional<double> decimal()
    {
        const auto whole = number();
        if (!whole)
            return std::nullopt;
        double v = static_cast<double>(*whole);
        if (nextIs('.')) {
            consume();
            double scale = 0.1;
            while (nextIsDigit()) {
                v += (m_text[m_pos] - '0') * scale;
                consume();
                scale /= 10;
            }
        }
        return v;
    }

    // A length: "<n>" or "%<ticks>", then dots. Nothing when none is written.
    std::optional<std::int64_t> length()
    {
        std::int64_t ticks;
        if (nextIs('%')) {
            consume();
            const auto n = number();
            if (!n)
                return std::nullopt;
            ticks = std::min(*n, kMaxTickLength);
        } else {
            const auto n = number();
            if (!n)
                return std::nullopt;
            const std::int64_t div = std::clamp<std::int64_t>(*n, 1, 192);
            ticks = std::max<std::int64_t>(1, 4 * m_timebase / div);
        }
        std::int64_t part = ticks;
        while (nextIs('.')) {
            consume();
            part /= 2;
            ticks += part;
        }
        return ticks;
    }

    void advance(std::int64_t ticks)
    {
        m_tick = std::min(m_tick + ticks, m_limits.maxTrackTicks + 1);
    }

    void finishNote()
    {
        if (!m_pending.active)
            return;
        m_pending.active = false;
        if (m_pending.isRest || m_pending.length <= 0)
            return;
        if (m_song.notes.size() >= m_limits.maxNotes) {
            m_song.truncated = true;
            return;
        }
        Note n;
        n.track = static_cast<int>(m_track);
        n.startTick = m_pending.start;
        n.lengthTicks = m_pending.slurred
                            ? m_pending.length
                            : std::max<std::int64_t>(1, m_pending.length * m_pending.gate / 8);
        n.key = m_pending.key;
        n.volume = m_pending.volume;
        n.waveform = m_pending.waveform;
        n.pan = m_pending.pan;
        n.envelope = m_pending.envelope;
        m_song.notes.push_back(n);
        Track &t = m_song.tracks[m_track];
        if (t.noteCount++ == 0)
            t.firstWaveform = n.waveform;
    }

    void startNote(bool isRest, int key, std::int64_t len)
    {
        finishNote();
        m_pending = {true,     isRest,     false,  m_tick, len,       std::clamp(key, 0, 127),
                     m_volume, m_waveform, m_gate, m_pan,  m_envelope};
        advance(len);
    }

    void noteByLetter(char letter)
    {
        static const int semitone[7] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
        int key = (m_octave + 1) * 12 + semitone[letter - 'a'];
        while (m_pos < m_text.size() && m_steps < m_limits.maxSteps) {
            const char c = m_text[m_pos];
            if (c == '+' || c == '#')
                ++key;
            else if (c == '-')
                --key;
            else
                break;
            consume();
        }
        const auto len = length();
        startNote(false, key, len.value_or(m_defaultLength));
    }

    // "s<attack>,<decay>,<sustain>,<release>": all four parts, or it is ignored.
    void envelope()
    {
        std::int64_t parts[4];
        for (int i = 0; i < 4; ++i) {
            if (i > 0) {
                if (m_pos >= m_text.size() || m_text[m_pos] != ',')
                    return;
                consume();
            }
            const auto n = number();
            if (!n)
                return;
            parts[i] = *n;
        }
        m_envelope = Envelope{int(std::min<std::int64_t>(parts[0], 10'000)),
                              int(std::min<std::int64_t>(parts[1], 60'000)),
                              int(std::min<std::int64_t>(parts[2], 100)),
                              int(std::min<std::int64_t>(parts[3], 10'000))};
    }

    // Of several changes of one track at one tick only the last counts, so it
    // replaces the one before; the map holds at most maxTempoChanges entries.
    void changeTempo(double bpm)
    {
        if (!m_tempos.empty() && m_tempos.back().track == m_track &&
            m_tempos.back().tick == m_tick) {
            m_tempos.back().bpm = bpm;
            return;
        }
        if (m_tempos.size() >= m_limits.maxTempoChanges) {
            m_tempoMapFull = true;
            return;
        }
        m_tempos.push_back({m_tick, m_track, m_tempos.size(), bpm});
    }

    void openLoop()
    {
        const std::size_t at = m_pos - 1;
        const std::size_t close = m_close[at];
        if (close == std::string_view::npos || m_loops.size() >= kMaxLoopDepth)
            return; // an unmatched or too deep '[' is ignored
        std::size_t p = close + 1;
        int count = 0;
        bool any = false;
        while (p < m_text.size() && isDigit(m_text[p]) && count < 100000) {
            count = count * 10 + (m_text[p++] - '0');
            any = true;
        }
        m_steps += p - (close + 1); // the count is read ahead
        count = any ? std::clamp(count, 1, kMaxRepeat) : 2;
        m_loops.push_back({m_pos, close, count, 1});
    }

    void closeLoop()
    {
        const std::size_t at = m_pos - 1;
        number(); // the count was read when the loop opened
        if (m_loops.empty() || m_loops.back().close != at)
            return;
        Loop &l = m_loops.back();
        if (l.pass < l.count) {
            ++l.pass;
            m_pos = l.body;
        } else {
            m_loops.pop_back();
        }
    }

    void leaveOnLastPass()
    {
        if (m_loops.empty() || m_loops.back().pass < m_loops.back().count)
            return;
        m_pos = m_loops.back().close + 1;
        number();
        m_loops.pop_back();
    }

    void step()
    {
        const char c = lower(m_text[m_pos]);
        consume();
        switch (c) {
        case 'a':
        case 'b':
        case 'c':
        case 'd':
        case 'e':
        case 'f':
        case 'g':
            noteByLetter(c);
            break;
        case 'n':
            if (const auto key = number()) {
                std::optional<std::int64_t> len;
                if (nextIs(',')) {
                    consume();
                    len = length();
                }
                startNote(false, static_cast<int>(std::min<std::int64_t>(*key, 127)),
                          len.value_or(m_defaultLength));
            }
            break;
        case 'r':
            startNote(true, 0, length().value_or(m_defaultLength));
            break;
        case '^':
            if (const auto len = length(); len && m_pending.active) {
                m_pending.length += *len;
                advance(*len);
            }
            break;
        case '&':
            if (m_pending.active)
                m_pending.slurred = true;
            break;
        case 'l':
            if (const auto len = length())
                m_defaultLength = *len;
            break;
        case 'o':
            if (const auto n = number())
                m_octave = static_cast<int>(std::clamp<std::int64_t>(*n, 0, 9));
            break;
        case '>':
            m_octave = std::min(m_octave + 1, 9);
            break;
        case '<':
            m_octave = std::max(m_octave - 1, 0);
            break;
        case 't':
            if (const auto bpm = decimal())
                changeTempo(std::clamp(*bpm, 1.0, 1000.0));
            break;
        case 'v':
            if (const auto n = number())
                m_volume = static_cast<int>(std::clamp<std::int64_t>(*n, 0, 127));
            break;
        case '@':
            if (const auto n = number())
                m_waveform = static_cast<Waveform>(std::clamp<std::int64_t>(*n, 0, 5));
            break;
        case 'q':
            if (const auto n = number())
                m_gate = static_cast<int>(std::clamp<std::int64_t>(*n, 1, 8));
            break;
        case 'p':
            if (const auto n = number())
                m_pan = static_cast<int>(std::clamp<std::int64_t>(*n, 0, 127));
            break;
        case 's':
            envelope();
            break;
        case '[':
            openLoop();
            break;
        case ']':
            closeLoop();
            break;
        case '|':
            leaveOnLastPass();
            break;
        default:
            break; // blanks and anything unknown
        }
    }

    std::string_view m_text;
    std::size_t m_track;
    int m_timebase;
    Song &m_song;
    std::vector<RawTempo> &m_tempos;
    std::uint64_t &m_steps;
    const ParseLimits &m_limits;

    std::size_t m_pos = 0;
    std::vector<std::size_t> m_close;
    std::vector<Loop> m_loops;
    PendingNote m_pending;
    bool m_tempoMapFull = false;
    std::int64_t m_tick = 0;
    std::int64_t m_defaultLength = 48;
    int m_octave = 4;
    int m_volume = 100;
    Waveform m_waveform = Waveform::Square;
    int m_gate = 7;
    int m_pan = 64;
    std::optional<Envelope> m_envelope;
};

void buildTempoMap(Song &song, double startBpm, std::vector<RawTempo> raw)
{
    std::stable_sort(raw.begin(), raw.end(), [](const RawTempo &a, const RawTempo &b) {
        if (a.tick != b.tick)
            return a.tick < b.tick;
        return a.track != b.track ? a.track < b.track : a.serial < b.serial;
    });
    song.tempos.clear();
    song.tempos.push_back({0, startBpm, 0});
    for (const RawTempo &t : raw) {
        TempoChange &last = song.tempos.back();
        if (t.tick == last.tick) {
            last.bpm = t.bpm; // at equal ticks the later one wins
            continue;
        }
        if (t.bpm == last.bpm)
            continue; // changes nothing

        const double seconds =
            last.seconds + double(t.tick - last.tick) / song.timebase * 60.0 / last.bpm;
        song.tempos.push_back({t.tick, t.bpm, seconds});
    }
}

} // namespace

Song parseSong(std::string_view bytes, const ParseLimits &limits)
{
    Song song;
    double startBpm = 120;
    bool timebaseFixed = false;
    std::map<std::string, std::size_t, std::less<>> trackIndex;
    std::vector<std::string> trackText;

    for (std::string_view line : splitLines(bytes)) {
        if (!line.empty() && line[0] == '*') {
            const std::string_view rest = line.substr(1);
            if (startsWith(rest, "HEAD")) {
                if (!song.hasTitle && rest.find('"') != std::string_view::npos) {
                    song.title = quoted(rest);
                    song.hasTitle = true;
                }
            } else if (startsWith(rest, "TIMEBASE")) {
                if (const auto n = leadingNumber(rest.substr(8)); n && !timebaseFixed)
                    song.timebase = static_cast<int>(std::clamp(std::floor(*n), 1.0, 3840.0));
            } else if (startsWith(rest, "TEMPO")) {
                if (const auto n = leadingNumber(rest.substr(5)))
                    startBpm = std::clamp(*n, 1.0, 1000.0);
            } else if (startsWith(rest, "COMPOSER")) {
                song.composer = quoted(rest);
            } else if (startsWith(rest, "COMMENT")) {
                song.comment = quoted(rest);
            }
            continue;
        }
        const auto name = trackName(line);
        if (!name)
            continue;
        timebaseFixed = true;
        auto it = trackIndex.find(*name);
        if (it == trackIndex.end()) {
            if (song.tracks.size() >= limits.maxTracks)
                continue;
            it = trackIndex.emplace(std::string(*name), song.tracks.size()).first;
            song.tracks.push_back({std::string(*name)});
            trackText.emplace_back();
        }
        std::string_view body = line.substr(name->size() + 1);
        body = body.substr(0, body.find(';'));
        std::string &text = trackText[it->second];
        text.append(body);
        text.push_back(' '); // a line break ends a command
    }

    std::vector<RawTempo> tempos;
    std::uint64_t steps = 0;
    for (std::size_t t = 0; t < song.tracks.size(); ++t)
        TrackReader(trackText[t], t, song.timebase, song, tempos, steps, limits).run();

    song.parseSteps = steps;
    buildTempoMap(song, startBpm, std::move(tempos));
    for (const Track &t : song.tracks)
        song.endTick = std::max(song.endTick, t.endTick);
    song.totalSeconds = song.secondsAt(song.endTick);

    std::stable_sort(song.notes.begin(), song.notes.end(), [](const Note &a, const Note &b) {
        return a.startTick != b.startTick ? a.startTick < b.startTick : a.track < b.track;
    });
    for (Note &n : song.notes) {
        n.startSeconds = song.secondsAt(n.startTick);
        n.endSeconds = song.secondsAt(std::min(n.startTick + n.lengthTicks, song.endTick));
    }
    return song;
}

bool looksBinary(std::string_view bytes)
{
    const std::string_view head = bytes.substr(0, 65536);
    std::size_t control = 0;
    for (const char ch : head) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0)
            return true;
        if (c < 0x20 && c != '\r' && c != '\n' && c != '\t' && c != 0x1A && c != 0x0C)
            ++control;
    }
    return control * 10 > head.size(); // over 10 % control bytes
}

std::string formatMinutesSeconds(std::int64_t wholeSeconds)
{
    const std::int64_t s = std::max<std::int64_t>(0, wholeSeconds);
    std::string out = std::to_string(s / 60) + "\xEF\xBC\x9A"; // U+FF1A
    const std::int64_t sec = s % 60;
    out += static_cast<char>('0' + sec / 10);
    out += static_cast<char>('0' + sec % 10);
    return out;
}

} // namespace songdata
