#include "snr_writer.h"

#include <charconv>
#include <cstdio>

namespace mid2snr
{

namespace
{

constexpr std::size_t kLineWidth = 78;

std::string number(std::uint64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
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

std::string lengthText(std::uint64_t ticks)
{
    std::string text = "%" + number(std::min(ticks, kMaxLengthTicks));
    for (ticks -= std::min(ticks, kMaxLengthTicks); ticks > 0;
         ticks -= std::min(ticks, kMaxLengthTicks))
        text += "^%" + number(std::min(ticks, kMaxLengthTicks));
    return text;
}

std::string trackName(const SongVoice &voice)
{
    std::string name(1, char('B' + voice.channel));
    if (voice.index > 0)
        name += number(std::uint64_t(voice.index));
    return name;
}

// Collects one track's commands into lines of moderate width, each starting
// with the track's name.
class TrackText final
{
public:
    TrackText(std::string &out, std::string name) : out_(out), prefix_(std::move(name) + ":") {}
    ~TrackText() { flush(); }
    TrackText(const TrackText &) = delete;
    TrackText &operator=(const TrackText &) = delete;

    void add(const std::string &command)
    {
        if (line_.size() + command.size() + 1 > kLineWidth && line_.size() > prefix_.size())
            flush();
        if (line_.empty())
            line_ = prefix_;
        line_ += ' ';
        line_ += command;
    }

    void rest(std::uint64_t ticks)
    {
        while (ticks > 0) {
            const std::uint64_t part = std::min(ticks, kMaxLengthTicks);
            add("r%" + number(part));
            ticks -= part;
        }
    }

    void flush()
    {
        if (line_.empty())
            line_ = prefix_;
        out_ += line_;
        out_ += "\r\n";
        line_.clear();
    }

private:
    std::string &out_;
    std::string prefix_;
    std::string line_;
};

void writeHeader(const Song &song, std::string &out)
{
    out += "*HEAD\"" + song.title + "\"\r\n";
    if (!song.comment.empty())
        out += "*COMMENT\"" + song.comment + "\"\r\n";
    out += "*TIMEBASE " + number(std::uint64_t(song.timebase)) + "\r\n";
    const double startBpm = song.tempos.empty() ? 120.0 : song.tempos.front().bpm;
    out += "*TEMPO " + bpmText(startBpm) + "\r\n";
}

void writeConductor(const Song &song, std::string &out)
{
    TrackText track(out, "A");
    std::uint64_t at = 0;
    for (std::size_t i = 1; i < song.tempos.size(); ++i) {
        track.rest(song.tempos[i].tick - at);
        at = song.tempos[i].tick;
        track.add("t" + bpmText(song.tempos[i].bpm));
    }
    track.rest(song.endTick - at);
}

void writeVoice(const SongVoice &voice, std::string &out)
{
    TrackText track(out, trackName(voice));
    track.add("q8"); // notes sound for their whole length
    int waveform = -1, volume = -1, pan = -1;
    std::uint64_t at = 0;
    for (const SongNote &note : voice.notes) {
        track.rest(note.start - at);
        if (note.waveform != waveform) {
            waveform = note.waveform;
            track.add("@" + number(note.waveform));
        }
        if (note.pan != pan) {
            pan = note.pan;
            track.add("p" + number(note.pan));
        }
        if (note.volume != volume) {
            volume = note.volume;
            track.add("v" + number(note.volume));
        }
        track.add("n" + number(note.key) + "," + lengthText(note.end - note.start));
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
