#include "tests/mid2snr/SnrReading.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <regex>

namespace
{

struct TrackState {
    std::int64_t tick = 0;
    int octave = 4;
    std::int64_t defaultLength = 0;
    int volume = 100;
    int waveform = 0;
    int pan = 64;
    int gate = 7;
    std::array<int, 4> envelope{-1, -1, -1, -1};
    int lastNote = -1; // index into notes, for ties
};

class LineReader
{
public:
    LineReader(const std::string &text, std::size_t pos) : m_text(text), m_pos(pos) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    char next() { return m_text[m_pos++]; }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    void skipSpaces()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t'))
            ++m_pos;
    }
    bool integer(std::int64_t &value)
    {
        skipSpaces();
        if (!std::isdigit(static_cast<unsigned char>(peek())))
            return false;
        value = 0;
        while (std::isdigit(static_cast<unsigned char>(peek())))
            value = value * 10 + (next() - '0');
        return true;
    }
    bool decimal(double &value)
    {
        skipSpaces();
        const std::size_t start = m_pos;
        while (std::isdigit(static_cast<unsigned char>(peek())) || peek() == '.')
            ++m_pos;
        if (start == m_pos)
            return false;
        value = std::strtod(m_text.substr(start, m_pos - start).c_str(), nullptr);
        return true;
    }

private:
    const std::string &m_text;
    std::size_t m_pos;
};

class Reader
{
public:
    SnrReading reading;

    void line(const std::string &text)
    {
        if (text.starts_with("*"))
            header(text);
        else
            trackLine(text);
    }

    void finish()
    {
        std::stable_sort(m_tempos.begin(), m_tempos.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        reading.tempoChanges = m_tempos;
        for (const auto &[name, state] : m_tracks)
            reading.trackEnds[name] = state.tick;
    }

private:
    void header(const std::string &text)
    {
        if (text.starts_with("*HEAD")) {
            const auto open = text.find('"');
            if (open == std::string::npos)
                return;
            const auto close = text.find('"', open + 1);
            reading.hasTitle = true;
            reading.title = text.substr(open + 1, close == std::string::npos ? std::string::npos
                                                                             : close - open - 1);
        } else if (text.starts_with("*TIMEBASE") && !m_sawTrack) {
            reading.timebase = std::clamp(std::atoi(text.c_str() + 9), 1, 3840);
        } else if (text.starts_with("*TEMPO")) {
            reading.startBpm = std::clamp(std::strtod(text.c_str() + 6, nullptr), 1.0, 1000.0);
        }
    }

    void trackLine(const std::string &text)
    {
        static const std::regex name("^([A-Z][0-9]{0,3}):");
        std::smatch match;
        if (!std::regex_search(text, match, name))
            return;
        m_sawTrack = true;
        const std::string track = match[1];
        TrackState &state = m_tracks[track];
        if (state.defaultLength == 0)
            state.defaultLength = reading.timebase;
        const std::string body = text.substr(0, text.find(';'));
        LineReader in(body, match[0].length());
        while (true) {
            in.skipSpaces();
            if (in.atEnd())
                break;
            command(track, state, in, std::tolower(static_cast<unsigned char>(in.next())));
        }
    }

    std::int64_t length(TrackState &state, LineReader &in)
    {
        in.skipSpaces();
        std::int64_t ticks = 0, n = 0;
        if (in.peek() == '%') {
            in.next();
            if (!in.integer(ticks))
                reading.problems.push_back("bad % length");
        } else if (in.integer(n)) {
            ticks = std::max<std::int64_t>(
                4 * reading.timebase / std::clamp<std::int64_t>(n, 1, 192), 1);
        } else {
            return state.defaultLength;
        }
        std::int64_t part = ticks;
        while (in.peek() == '.') {
            in.next();
            part /= 2;
            ticks += part;
        }
        return std::max<std::int64_t>(ticks, 1);
    }

    void note(const std::string &track, TrackState &state, int key, std::int64_t ticks)
    {
        SnrNote n{track,         std::clamp(key, 0, 127), state.tick, ticks,
                  state.volume,  state.waveform,          state.pan,  state.gate,
                  state.envelope};
        state.lastNote = int(reading.notes.size());
        reading.notes.push_back(n);
        state.tick += ticks;
    }

    void command(const std::string &track, TrackState &state, LineReader &in, int c)
    {
        static const std::string letters = "cdefgab";
        static const int semitones[] = {0, 2, 4, 5, 7, 9, 11};
        std::int64_t value = 0;
        double bpm = 0;
        if (const auto at = letters.find(char(c)); at != std::string::npos) {
            int key = 12 * (state.octave + 1) + semitones[at];
            while (in.peek() == '+' || in.peek() == '#' || in.peek() == '-')
                key += in.next() == '-' ? -1 : 1;
            note(track, state, key, length(state, in));
        } else if (c == 'n') {
            in.integer(value);
            std::int64_t ticks = state.defaultLength;
            in.skipSpaces();
            if (in.peek() == ',') {
                in.next();
                ticks = length(state, in);
            }
            note(track, state, int(value), ticks);
        } else if (c == 'r') {
            state.tick += length(state, in);
            state.lastNote = -1;
        } else if (c == '^') {
            const std::int64_t ticks = length(state, in);
            if (state.lastNote >= 0)
                reading.notes[state.lastNote].length += ticks;
            state.tick += ticks;
        } else if (c == 'l') {
            state.defaultLength = length(state, in);
        } else if (c == 'o' && in.integer(value)) {
            state.octave = int(std::clamp<std::int64_t>(value, 0, 9));
        } else if (c == '>' || c == '<') {
            state.octave = std::clamp(state.octave + (c == '>' ? 1 : -1), 0, 9);
        } else if (c == 't' && in.decimal(bpm)) {
            m_tempos.push_back({state.tick, std::clamp(bpm, 1.0, 1000.0)});
        } else if (c == 'v' && in.integer(value)) {
            state.volume = int(std::min<std::int64_t>(value, 127));
        } else if (c == '@' && in.integer(value)) {
            state.waveform = int(std::min<std::int64_t>(value, 5));
        } else if (c == 'q' && in.integer(value)) {
            state.gate = int(std::clamp<std::int64_t>(value, 1, 8));
        } else if (c == 'p' && in.integer(value)) {
            state.pan = int(std::min<std::int64_t>(value, 127));
        } else if (c == 's') {
            for (int part = 0; part < 4; ++part) {
                if ((part > 0 && in.next() != ',') || !in.integer(value))
                    reading.problems.push_back("incomplete envelope");
                state.envelope[std::size_t(part)] = int(value);
            }
        } else if (c != '&') {
            reading.problems.push_back(std::string("unexpected command ") + char(c));
        }
    }

    bool m_sawTrack = false;
    std::map<std::string, TrackState> m_tracks;
    std::vector<std::pair<std::int64_t, double>> m_tempos;
};

} // namespace

double SnrReading::secondsAt(std::int64_t tick) const
{
    double seconds = 0, bpm = startBpm;
    std::int64_t from = 0;
    for (const auto &[at, newBpm] : tempoChanges) {
        if (at >= tick)
            break;
        seconds += double(at - from) * 60.0 / (bpm * timebase);
        from = at;
        bpm = newBpm;
    }
    return seconds + double(tick - from) * 60.0 / (bpm * timebase);
}

std::int64_t SnrReading::endTick() const
{
    std::int64_t end = 0;
    for (const auto &[name, tick] : trackEnds)
        end = std::max(end, tick);
    return end;
}

SnrReading readSnr(const std::string &text)
{
    Reader reader;
    std::size_t pos = 0;
    const std::size_t stop = std::min(text.find('\x1A'), text.size());
    while (pos < stop) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos || end > stop)
            end = stop;
        reader.line(text.substr(pos, end - pos));
        pos = end;
        if (pos < stop && text[pos] == '\r')
            ++pos;
        if (pos < stop && text[pos] == '\n')
            ++pos;
    }
    reader.finish();
    return reader.reading;
}
