#pragma once

// A small writer of Standard MIDI Files for tests and benchmarks: builds the
// bytes of tracks event by event, with or without running status.

#include <cstdint>
#include <string>
#include <vector>

namespace tunelet::testkit::smf
{

inline void appendBigEndian(std::string &out, std::uint32_t value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void appendVarLength(std::string &out, std::uint32_t value)
{
    char buffer[5];
    int n = 0;
    buffer[n++] = static_cast<char>(value & 0x7F);
    while ((value >>= 7) != 0)
        buffer[n++] = static_cast<char>(0x80 | (value & 0x7F));
    while (n > 0)
        out += buffer[--n];
}

class Track
{
public:
    explicit Track(bool runningStatus = false) : m_runningStatus(runningStatus) {}

    Track &noteOn(std::uint32_t delta, int channel, int key, int velocity)
    {
        return channelEvent(delta, 0x90 | channel, key, velocity);
    }
    // A note-off as note-on with velocity 0 (common with running status) or 0x8n.
    Track &noteOff(std::uint32_t delta, int channel, int key, bool asNoteOn = false)
    {
        return asNoteOn ? channelEvent(delta, 0x90 | channel, key, 0)
                        : channelEvent(delta, 0x80 | channel, key, 64);
    }
    Track &control(std::uint32_t delta, int channel, int controller, int value)
    {
        return channelEvent(delta, 0xB0 | channel, controller, value);
    }
    Track &program(std::uint32_t delta, int channel, int program)
    {
        return channelEvent(delta, 0xC0 | channel, program, -1);
    }
    Track &pitchBend(std::uint32_t delta, int channel, int lsb, int msb)
    {
        return channelEvent(delta, 0xE0 | channel, lsb, msb);
    }
    Track &tempo(std::uint32_t delta, std::uint32_t usPerQuarter)
    {
        std::string data;
        appendBigEndian(data, usPerQuarter, 3);
        return meta(delta, 0x51, data);
    }
    Track &name(std::uint32_t delta, const std::string &text) { return meta(delta, 0x03, text); }
    Track &meta(std::uint32_t delta, int type, const std::string &data)
    {
        appendVarLength(m_bytes, delta);
        m_bytes += '\xFF';
        m_bytes += static_cast<char>(type);
        appendVarLength(m_bytes, static_cast<std::uint32_t>(data.size()));
        m_bytes += data;
        return *this;
    }
    Track &sysex(std::uint32_t delta, const std::string &data, int status = 0xF0)
    {
        appendVarLength(m_bytes, delta);
        m_bytes += static_cast<char>(status);
        appendVarLength(m_bytes, static_cast<std::uint32_t>(data.size()));
        m_bytes += data;
        return *this;
    }
    Track &end(std::uint32_t delta = 0) { return meta(delta, 0x2F, {}); }
    // Bytes written as they are, for malformed tracks.
    Track &raw(const std::string &data)
    {
        m_bytes += data;
        return *this;
    }

    const std::string &bytes() const { return m_bytes; }

private:
    Track &channelEvent(std::uint32_t delta, int status, int data1, int data2)
    {
        appendVarLength(m_bytes, delta);
        if (!m_runningStatus || status != m_lastStatus)
            m_bytes += static_cast<char>(status);
        m_lastStatus = status;
        m_bytes += static_cast<char>(data1);
        if (data2 >= 0)
            m_bytes += static_cast<char>(data2);
        return *this;
    }

    bool m_runningStatus;
    int m_lastStatus = -1;
    std::string m_bytes;
};

// `division` is the header's raw 16-bit value (ticks per quarter, or SMPTE).
// `claimedTracks` < 0 writes the true number of tracks.
inline std::string file(int format, std::uint16_t division, const std::vector<Track> &tracks,
                        int claimedTracks = -1)
{
    std::string out = "MThd";
    appendBigEndian(out, 6, 4);
    appendBigEndian(out, static_cast<std::uint32_t>(format), 2);
    appendBigEndian(
        out, static_cast<std::uint32_t>(claimedTracks < 0 ? int(tracks.size()) : claimedTracks), 2);
    appendBigEndian(out, division, 2);
    for (const Track &track : tracks) {
        out += "MTrk";
        appendBigEndian(out, static_cast<std::uint32_t>(track.bytes().size()), 4);
        out += track.bytes();
    }
    return out;
}

inline std::uint16_t smpteDivision(int framesPerSecond, int ticksPerFrame)
{
    return static_cast<std::uint16_t>(((256 - framesPerSecond) << 8) | ticksPerFrame);
}

} // namespace tunelet::testkit::smf
