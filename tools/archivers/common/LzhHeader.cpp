#include "tools/archivers/common/LzhHeader.h"

#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/LittleEndian.h"
#include "tools/archivers/common/LzhCrc16.h"
#include "tools/archivers/common/PathSafety.h"

#include <cstring>

namespace archivers
{
namespace
{

constexpr char kFolderSeparator = '\xFF';
constexpr std::uint8_t kOsUnix = 'U';
constexpr size_t kLevel2BaseSize = 26;

void putExtension(std::string &out, std::uint8_t type, std::string_view data)
{
    appendLE(out, data.size() + 3, 2); // type, data and the next size field
    out.push_back(char(type));
    out.append(data);
}

// Folders of a member path joined with '/', empty parts dropped.
std::string cleanPath(std::string_view path)
{
    std::string out;
    for (const std::string_view part : pathComponents(path)) {
        if (!out.empty())
            out.push_back('/');
        out.append(part);
    }
    return out;
}

std::string withSlashes(std::string_view stored)
{
    std::string s(stored);
    for (char &c : s) {
        if (c == kFolderSeparator)
            c = '/';
    }
    return s;
}

std::time_t fromDosTime(std::uint32_t stamp)
{
    std::tm tm = {};
    tm.tm_year = int(stamp >> 25) + 80;
    tm.tm_mon = int((stamp >> 21) & 15) - 1;
    tm.tm_mday = int((stamp >> 16) & 31);
    tm.tm_hour = int((stamp >> 11) & 31);
    tm.tm_min = int((stamp >> 5) & 63);
    tm.tm_sec = int(stamp & 31) * 2;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

struct Extensions {
    std::string name;
    std::string folder;
    bool hasName = false;
    bool hasTime = false;
    std::time_t time = 0;
};

// Reads the chain of extended headers that starts with the size field at `sizeAt`; false when
// it runs past `end`. `consumed` gets the bytes of the headers after that field.
bool readExtensions(std::string_view s, size_t sizeAt, size_t end, Extensions &ext,
                    size_t &consumed)
{
    if (sizeAt + 2 > end)
        return false;
    size_t size = loadLE(s, sizeAt, 2);
    size_t at = sizeAt + 2;
    while (size != 0) {
        if (size < 3 || at + size > end)
            return false;
        const std::string_view data = s.substr(at + 1, size - 3);
        switch (std::uint8_t(s[at])) {
        case 0x01:
            ext.name.assign(data);
            ext.hasName = true;
            break;
        case 0x02:
            ext.folder.assign(data);
            break;
        case 0x54:
            if (data.size() >= 4) {
                ext.time = std::time_t(loadLE(data, 0, 4));
                ext.hasTime = true;
            }
            break;
        default:
            break;
        }
        at += size;
        size = loadLE(s, at - 2, 2);
    }
    consumed = at - (sizeAt + 2);
    return true;
}

bool fail(std::string &why, const std::string &text)
{
    why = text;
    return false;
}

} // namespace

std::string lzhHeader(const LzhEntry &e)
{
    const size_t slash = e.path.rfind('/');
    const std::string name = slash == std::string::npos ? e.path : e.path.substr(slash + 1);
    std::string folder;
    if (slash != std::string::npos) {
        folder = e.path.substr(0, slash + 1);
        for (char &c : folder) {
            if (c == '/')
                c = kFolderSeparator;
        }
    }
    std::string h;
    appendLE(h, 0, 2); // the header's size, filled in below
    h.append(e.method);
    appendLE(h, e.packedSize, 4);
    appendLE(h, e.originalSize, 4);
    appendLE(h, std::uint32_t(e.mtime), 4);
    h.push_back(0x20);
    h.push_back(2); // level
    appendLE(h, e.crc, 2);
    h.push_back(char(kOsUnix));
    const size_t crcAt = h.size() + 3;
    putExtension(h, 0x00, std::string(2, '\0'));
    if (e.method != "-lhd-" || name.empty())
        putExtension(h, 0x01, name);
    if (!folder.empty())
        putExtension(h, 0x02, folder);
    if (e.mode != 0) {
        std::string mode;
        appendLE(mode, e.mode, 2);
        putExtension(h, 0x50, mode);
    }
    appendLE(h, 0, 2); // no further extended header
    // A size whose low byte is 0 would read as the archive's end mark.
    if ((h.size() & 0xFF) == 0)
        h.push_back('\0');
    const size_t size = h.size();
    h[0] = char(size & 0xFF);
    h[1] = char((size >> 8) & 0xFF);
    const std::uint16_t crc = lzhCrc16(reinterpret_cast<const std::uint8_t *>(h.data()), h.size());
    h[crcAt] = char(crc & 0xFF);
    h[crcAt + 1] = char(crc >> 8);
    return h;
}

bool scanLzhMembers(std::string_view s, std::vector<LzhStoredMember> &members, std::string &why)
{
    size_t at = 0;
    while (at < s.size() && s[at] != '\0') {
        if (at + 22 > s.size())
            return fail(why, "a member header is cut short");
        const std::string_view method = s.substr(at + 2, 5);
        if (method.size() != 5 || method[0] != '-' || method[1] != 'l' || method[4] != '-')
            return fail(why, "not an LZH archive");
        const int level = std::uint8_t(s[at + 20]);
        LzhStoredMember m;
        m.offset = at;
        m.originalSize = loadLE(s, at + 11, 4);
        std::uint64_t packed = loadLE(s, at + 7, 4);
        Extensions ext;
        std::string baseName;
        size_t headerSize = 0;
        if (level == 0 || level == 1) {
            headerSize = size_t(std::uint8_t(s[at])) + 2;
            const size_t nameLength = std::uint8_t(s[at + 21]);
            if (headerSize < 22 + nameLength || at + headerSize > s.size())
                return fail(why, "a member header is damaged");
            baseName = toSlashes(withSlashes(s.substr(at + 22, nameLength)));
            m.mtime = fromDosTime(loadLE(s, at + 15, 4));
            if (level == 1) {
                size_t consumed = 0;
                if (!readExtensions(s, at + headerSize - 2, s.size(), ext, consumed) ||
                    consumed > packed)
                    return fail(why, "an extended header is damaged");
                headerSize += consumed;
                packed -= consumed;
            }
        } else if (level == 2) {
            headerSize = loadLE(s, at, 2);
            size_t consumed = 0;
            if (headerSize < kLevel2BaseSize || at + headerSize > s.size() ||
                !readExtensions(s, at + 24, at + headerSize, ext, consumed))
                return fail(why, "a member header is damaged");
            m.mtime = std::time_t(loadLE(s, at + 15, 4));
        } else {
            return fail(why, "header level " + std::to_string(level) + " is not read");
        }
        if (ext.hasTime)
            m.mtime = ext.time;
        const std::string name = ext.hasName ? withSlashes(ext.name) : baseName;
        m.rawPath = withSlashes(ext.folder);
        if (!m.rawPath.empty() && m.rawPath.back() != '/')
            m.rawPath.push_back('/');
        m.rawPath += name;
        m.path = cleanPath(m.rawPath);
        if (at + headerSize + packed > s.size())
            return fail(why, "member data runs past the archive's end: " + m.path);
        m.length = headerSize + size_t(packed);
        members.push_back(std::move(m));
        at += members.back().length;
    }
    return true;
}

} // namespace archivers
