#include "tools/archivers/common/BgaHeader.h"

#include <zlib.h>

namespace archivers::bga
{
namespace
{

constexpr std::string_view kDeflateMark("GZIP", 4);
constexpr std::string_view kBzip2Mark("BZ2\0", 4);

void put32(std::string &out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = char((value >> (8 * i)) & 0xff);
}

void put16(std::string &out, size_t at, uint16_t value)
{
    out[at] = char(value & 0xff);
    out[at + 1] = char(value >> 8);
}

uint32_t get32(std::string_view in, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | uint8_t(in[at + size_t(i)]);
    return value;
}

uint16_t get16(std::string_view in, size_t at)
{
    return uint16_t(uint8_t(in[at]) | (uint8_t(in[at + 1]) << 8));
}

// CRC-32 of everything after the checksum field.
uint32_t checksum(std::string_view header)
{
    const std::string_view covered = header.substr(4);
    return uint32_t(
        crc32(0, reinterpret_cast<const Bytef *>(covered.data()), uInt(covered.size())));
}

} // namespace

std::string encode(const Header &header)
{
    std::string out(kFixedSize, '\0');
    out.replace(4, 4, header.method == Method::Bzip2 ? kBzip2Mark : kDeflateMark);
    put32(out, 8, header.packedSize);
    put32(out, 12, header.size);
    put32(out, 16, header.crc);
    put32(out, 20, header.mtime);
    put16(out, 24, header.attributes);
    put16(out, 26, uint16_t(header.name.size()));
    out += header.name;
    put32(out, 0, checksum(out));
    return out;
}

std::optional<size_t> headerSize(std::string_view fixed)
{
    if (fixed.size() < kFixedSize)
        return std::nullopt;
    const std::string_view mark = fixed.substr(4, 4);
    if (mark != kDeflateMark && mark != kBzip2Mark)
        return std::nullopt;
    const size_t nameSize = get16(fixed, 26);
    if (nameSize == 0 || nameSize > kMaxNameSize)
        return std::nullopt;
    return kFixedSize + nameSize;
}

std::optional<Header> decode(std::string_view bytes)
{
    const std::optional<size_t> size = headerSize(bytes);
    if (!size || bytes.size() != *size || get32(bytes, 0) != checksum(bytes))
        return std::nullopt;
    Header h;
    h.method = bytes.substr(4, 4) == kBzip2Mark ? Method::Bzip2 : Method::Deflate;
    h.packedSize = get32(bytes, 8);
    h.size = get32(bytes, 12);
    h.crc = get32(bytes, 16);
    h.mtime = get32(bytes, 20);
    h.attributes = get16(bytes, 24);
    h.name = std::string(bytes.substr(kFixedSize));
    if (h.attributes != kAttributeFile && h.attributes != kAttributeFolder)
        return std::nullopt;
    if (h.attributes == kAttributeFolder && (h.packedSize != 0 || h.size != 0))
        return std::nullopt;
    if (h.name.find('\0') != std::string::npos)
        return std::nullopt;
    return h;
}

Method methodForArchive(std::string_view archivePath)
{
    const size_t dot = archivePath.rfind('.');
    const size_t slash = archivePath.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return Method::Deflate;
    std::string ext(archivePath.substr(dot));
    for (char &c : ext) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return ext == ".bza" ? Method::Bzip2 : Method::Deflate;
}

} // namespace archivers::bga
