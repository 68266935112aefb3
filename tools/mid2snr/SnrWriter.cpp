#include "tools/mid2snr/SnrWriter.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace mid2snr
{

namespace
{

constexpr std::size_t kLineWidth = 78;

void appendNumber(std::string &out, std::uint64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// Up to four decimals, without trailing zeros: "120", "138.4615".
std::string bpmText(double bpm)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f", bpm);
    std::string text(buffer);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// "s<attack>,<decay>,<sustain>,<release>".
std::string envelopeText(const Envelope &e)
{
    std::string text = "s";
    for (const std::uint64_t part : {std::uint64_t(e.attackMs), std::uint64_t(e.decayMs),
                                     std::uint64_t(e.sustain), std::uint64_t(e.releaseMs)}) {
        if (text.size() > 1)
            text += ',';
        appendNumber(text, part);
    }
    return text;
}

std::string trackName(const SongVoice &voice)
{
    std::string name(1, char('B' + voice.channel));
    if (voice.index > 0)
        appendNumber(name, std::uint64_t(voice.index));
    return name;
}

// Collects one track's commands into lines of moderate width, each starting
// with the track's name. A command is built in place at the end of the line;
// when it makes the line too long, it moves to a new line.
class TrackText final
{
public:
    TrackText(std::string &out, std::string name) : m_out(out), m_prefix(std::move(name) + ":")
    {
        m_line = m_prefix;
    }
    ~TrackText() { endLine(); }
    TrackText(const TrackText &) = delete;
    TrackText &operator=(const TrackText &) = delete;

    void setting(char command, std::uint64_t value)
    {
        const std::size_t start = begin();
        m_line += command;
        appendNumber(m_line, value);
        end(start);
    }

    void text(const std::string &command)
    {
        const std::size_t start = begin();
        m_line += command;
        end(start);
    }

    void note(int key, std::uint64_t ticks)
    {
        const std::size_t start = begin();
        m_line += 'n';
        appendNumber(m_line, std::uint64_t(key));
        m_line += ',';
        appendLength(ticks);
        end(start);
    }

    void rest(std::uint64_t ticks)
    {
        while (ticks > 0) {
            const std::uint64_t part = std::min(ticks, kMaxLengthTicks);
            const std::size_t start = begin();
            m_line += "r%";
            appendNumber(m_line, part);
            end(start);
            ticks -= part;
        }
    }

private:
    std::size_t begin()
    {
        m_line += ' ';
        return m_line.size();
    }

    void end(std::size_t start)
    {
        if (m_line.size() <= kLineWidth || start == m_prefix.size() + 1)
            return;
        const std::string command = m_line.substr(start);
        m_line.resize(start - 1);
        endLine();
        m_line = m_prefix + ' ' + command;
    }

    void endLine()
    {
        m_out += m_line;
        m_out += "\r\n";
    }

    // Long lengths are tied parts, so no number gets large.
    void appendLength(std::uint64_t ticks)
    {
        bool first = true;
        do {
            const std::uint64_t part = std::min(ticks, kMaxLengthTicks);
            m_line += first ? "%" : "^%";
            appendNumber(m_line, part);
            ticks -= part;
            first = false;
        } while (ticks > 0);
    }

    std::string &m_out;
    std::string m_prefix;
    std::string m_line;
};

void writeHeader(const Song &song, std::string &out)
{
    out += "*HEAD\"" + song.title + "\"\r\n";
    if (!song.comment.empty())
        out += "*COMMENT\"" + song.comment + "\"\r\n";
    out += "*TIMEBASE ";
    appendNumber(out, std::uint64_t(song.timebase));
    const double startBpm = song.tempos.empty() ? 120.0 : song.tempos.front().bpm;
    out += "\r\n*TEMPO " + bpmText(startBpm) + "\r\n";
}

void writeConductor(const Song &song, std::string &out)
{
    TrackText track(out, "A");
    std::uint64_t at = 0;
    for (std::size_t i = 1; i < song.tempos.size(); ++i) {
        track.rest(song.tempos[i].tick - at);
        at = song.tempos[i].tick;
        track.text("t" + bpmText(song.tempos[i].bpm));
    }
    track.rest(song.endTick - at);
}

void writeVoice(const SongVoice &voice, std::string &out)
{
    TrackText track(out, trackName(voice));
    track.setting('q', 8); // notes sound for their whole length
    int waveform = -1, volume = -1, pan = -1;
    std::optional<Envelope> envelope;
    std::uint64_t at = 0;
    for (const SongNote &note : voice.notes) {
        track.rest(note.start - at);
        if (note.waveform != waveform) {
            waveform = note.waveform;
            track.setting('@', note.waveform);
        }
        if (note.envelope != envelope) {
            envelope = note.envelope;
            track.text(envelopeText(note.envelope));
        }
        if (note.pan != pan) {
            pan = note.pan;
            track.setting('p', note.pan);
        }
        if (note.volume != volume) {
            volume = note.volume;
            track.setting('v', note.volume);
        }
        track.note(note.key, note.end - note.start);
        at = note.end;
    }
}

} // namespace

bool writeSongText(const Song &song, std::string &text, std::string &error, std::size_t maxBytes)
{
    text.clear();
    writeHeader(song, text);
    writeConductor(song, text);
    for (const SongVoice &voice : song.voices) {
        writeVoice(voice, text);
        if (text.size() > maxBytes) {
            text.clear();
            error = "the converted song would be too large";
            return false;
        }
    }
    return true;
}

} // namespace mid2snr
