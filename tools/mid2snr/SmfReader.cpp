#include "tools/mid2snr/SmfReader.h"

#include <cstring>

namespace mid2snr
{

namespace
{

// Reads big-endian values and variable-length quantities from a byte range,
// never past its end.
class ByteCursor final
{
public:
    ByteCursor(const std::uint8_t *begin, const std::uint8_t *end) : m_pos(begin), m_end(end) {}

    std::size_t remaining() const { return static_cast<std::size_t>(m_end - m_pos); }
    bool atEnd() const { return m_pos == m_end; }
    const std::uint8_t *position() const { return m_pos; }

    bool byte(std::uint8_t &value)
    {
        if (atEnd())
            return false;
        value = *m_pos++;
        return true;
    }

    bool peek(std::uint8_t &value) const
    {
        if (atEnd())
            return false;
        value = *m_pos;
        return true;
    }

    bool bigEndian(int size, std::uint32_t &value)
    {
        if (remaining() < static_cast<std::size_t>(size))
            return false;
        value = 0;
        for (int i = 0; i < size; ++i)
            value = (value << 8) | *m_pos++;
        return true;
    }

    // At most four bytes, as the file format allows (values up to 0x0FFFFFFF).
    bool varLength(std::uint32_t &value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b = 0;
            if (!byte(b))
                return false;
            value = (value << 7) | (b & 0x7Fu);
            if ((b & 0x80u) == 0)
                return true;
        }
        return false;
    }

    bool skip(std::size_t count)
    {
        if (remaining() < count)
            return false;
        m_pos += count;
        return true;
    }

private:
    const std::uint8_t *m_pos;
    const std::uint8_t *m_end;
};

int channelDataBytes(std::uint8_t status)
{
    const int kind = status >> 4;
    return (kind == 0xC || kind == 0xD) ? 1 : 2;
}

bool keepsChannelEvent(std::uint8_t status)
{
    const int kind = status >> 4;
    return kind == 0x8 || kind == 0x9 || kind == 0xB || kind == 0xC;
}

class TrackParser final
{
public:
    TrackParser(ByteCursor cursor, SmfTrack &track, std::size_t &eventCount,
                const SmfLimits &limits, std::string &error)
        : m_in(cursor), m_track(track), m_eventCount(eventCount), m_limits(limits), m_error(error)
    {
    }

    bool parse()
    {
        while (!m_in.atEnd()) {
            std::uint32_t delta = 0;
            if (!m_in.varLength(delta))
                return fail("bad or truncated delta time");
            m_tick += delta;
            if (m_tick > m_limits.maxTick)
                return fail("delta times add up to an absurd length");
            bool ended = false;
            if (!event(ended))
                return false;
            m_track.endTick = m_tick;
            if (ended)
                return true;
        }
        return true; // a missing end-of-track meta is tolerated
    }

private:
    bool fail(const char *reason)
    {
        m_error = reason;
        return false;
    }

    bool event(bool &ended)
    {
        std::uint8_t first = 0;
        if (!m_in.peek(first))
            return fail("track ends inside an event");
        if (first == 0xFF) {
            m_in.skip(1);
            return meta(ended);
        }
        if (first == 0xF0 || first == 0xF7) {
            m_in.skip(1);
            std::uint32_t length = 0;
            if (!m_in.varLength(length) || !m_in.skip(length))
                return fail("truncated SysEx event");
            return true;
        }
        if (first >= 0xF0)
            return fail("invalid status byte in track");
        std::uint8_t status = first;
        if (first & 0x80) {
            m_in.skip(1);
            m_runningStatus = first;
        } else if (m_runningStatus == 0) {
            return fail("data byte without a status byte");
        } else {
            status = m_runningStatus;
        }
        return channelEvent(status);
    }

    bool channelEvent(std::uint8_t status)
    {
        std::uint8_t data[2] = {0, 0};
        const int count = channelDataBytes(status);
        for (int i = 0; i < count; ++i) {
            if (!m_in.byte(data[i]))
                return fail("truncated channel event");
            if (data[i] & 0x80)
                return fail("status byte where a data byte was expected");
        }
        if (!keepsChannelEvent(status))
            return true;
        if (++m_eventCount > m_limits.maxEvents)
            return fail("too many events");
        m_track.events.push_back({m_tick, status, data[0], data[1]});
        return true;
    }

    bool meta(bool &ended)
    {
        std::uint8_t type = 0;
        std::uint32_t length = 0;
        if (!m_in.byte(type) || !m_in.varLength(length) || m_in.remaining() < length)
            return fail("truncated meta event");
        const auto *data = m_in.position();
        m_in.skip(length);
        switch (type) {
        case 0x2F:
            ended = true;
            break;
        case 0x51:
            if (length >= 3) {
                const std::uint32_t us =
                    (std::uint32_t(data[0]) << 16) | (std::uint32_t(data[1]) << 8) | data[2];
                if (us > 0)
                    m_track.tempos.push_back({m_tick, us});
            }
            break;
        case 0x03:
            if (!m_track.hasName) {
                m_track.hasName = true;
                m_track.name.assign(reinterpret_cast<const char *>(data), length);
            }
            break;
        case 0x02:
            if (m_track.copyright.empty())
                m_track.copyright.assign(reinterpret_cast<const char *>(data), length);
            break;
        default:
            break;
        }
        return true;
    }

    ByteCursor m_in;
    SmfTrack &m_track;
    std::size_t &m_eventCount;
    const SmfLimits &m_limits;
    std::string &m_error;
    std::uint64_t m_tick = 0;
    std::uint8_t m_runningStatus = 0;
};

bool readDivision(std::uint32_t raw, SmfDivision &division, std::string &error)
{
    if (raw & 0x8000u) {
        const int fps = -static_cast<int>(static_cast<std::int8_t>(raw >> 8));
        const int perFrame = static_cast<int>(raw & 0xFFu);
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || perFrame == 0) {
            error = "invalid SMPTE time division";
            return false;
        }
        division.smpte = true;
        division.framesPerSecond = fps;
        division.ticksPerFrame = perFrame;
        return true;
    }
    if (raw == 0) {
        error = "time division of zero ticks per quarter note";
        return false;
    }
    division.ticksPerQuarter = static_cast<int>(raw);
    return true;
}

bool chunkId(ByteCursor &in, char id[4])
{
    if (in.remaining() < 4)
        return false;
    std::memcpy(id, in.position(), 4);
    in.skip(4);
    return true;
}

} // namespace

bool readSmf(std::span<const std::uint8_t> bytes, SmfFile &out, std::string &error,
             const SmfLimits &limits)
{
    ByteCursor in(bytes.data(), bytes.data() + bytes.size());
    char id[4];
    std::uint32_t headerLength = 0;
    if (!chunkId(in, id) || std::memcmp(id, "MThd", 4) != 0) {
        error = "not a Standard MIDI File";
        return false;
    }
    std::uint32_t format = 0, trackCount = 0, division = 0;
    if (!in.bigEndian(4, headerLength) || headerLength < 6 || in.remaining() < headerLength ||
        !in.bigEndian(2, format) || !in.bigEndian(2, trackCount) || !in.bigEndian(2, division)) {
        error = "truncated header";
        return false;
    }
    in.skip(headerLength - 6);
    if (format > 2) {
        error = "unknown MIDI file format " + std::to_string(format);
        return false;
    }
    if (trackCount == 0) {
        error = "the file has no tracks";
        return false;
    }
    out = SmfFile{};
    out.format = static_cast<int>(format);
    if (!readDivision(division, out.division, error))
        return false;

    std::size_t eventCount = 0;
    while (out.tracks.size() < trackCount) {
        const std::string which =
            "track " + std::to_string(out.tracks.size() + 1) + " of " + std::to_string(trackCount);
        std::uint32_t length = 0;
        if (!chunkId(in, id) || !in.bigEndian(4, length)) {
            error = "file ends before " + which;
            return false;
        }
        if (in.remaining() < length) {
            error = which + " is longer than the file";
            return false;
        }
        const ByteCursor body(in.position(), in.position() + length);
        in.skip(length);
        if (std::memcmp(id, "MTrk", 4) != 0)
            continue; // unknown chunks are skipped, as the file format asks
        SmfTrack &track = out.tracks.emplace_back();
        TrackParser parser(body, track, eventCount, limits, error);
        if (!parser.parse()) {
            error = which + ": " + error;
            return false;
        }
    }
    return true;
}

} // namespace mid2snr
