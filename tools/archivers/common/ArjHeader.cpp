#include "tools/archivers/common/ArjHeader.h"

#include "tools/archivers/common/LittleEndian.h"

#include <algorithm>
#include <ctime>

namespace archivers::arj
{
namespace
{

int64_t dosTime(uint32_t stamp)
{
    struct tm tm = {};
    tm.tm_year = int((stamp >> 25) & 0x7F) + 80;
    tm.tm_mon = int((stamp >> 21) & 0x0F) - 1;
    tm.tm_mday = int((stamp >> 16) & 0x1F);
    tm.tm_hour = int((stamp >> 11) & 0x1F);
    tm.tm_min = int((stamp >> 5) & 0x3F);
    tm.tm_sec = int(stamp & 0x1F) * 2;
    tm.tm_isdst = -1;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday == 0 || tm.tm_hour > 23 || tm.tm_min > 59 ||
        tm.tm_sec > 59)
        return 0;
    const std::time_t t = std::mktime(&tm);
    return t < 0 ? 0 : int64_t(t);
}

} // namespace

std::optional<Header> parseBasicHeader(std::span<const uint8_t> b)
{
    if (b.size() < kFixedHeaderSize)
        return std::nullopt;
    const size_t firstPart = b[0];
    if (firstPart < kFixedHeaderSize || firstPart > b.size())
        return std::nullopt;
    const auto end = std::find(b.begin() + firstPart, b.end(), uint8_t(0));
    if (end == b.end())
        return std::nullopt;
    Header h;
    h.hostOs = b[3];
    h.flags = b[4];
    h.method = b[5];
    h.fileType = b[6];
    h.timeStamp = loadLE(b.data() + 8, 4);
    h.compressedSize = loadLE(b.data() + 12, 4);
    h.originalSize = loadLE(b.data() + 16, 4);
    h.crc = loadLE(b.data() + 20, 4);
    h.name.assign(b.begin() + firstPart, end);
    return h;
}

int64_t modificationTime(const Header &header)
{
    if (header.hostOs == kUnix || header.hostOs == kNext)
        return header.timeStamp;
    return dosTime(header.timeStamp);
}

std::string methodName(uint8_t method)
{
    return "-arj" + std::to_string(method) + "-";
}

} // namespace archivers::arj
