#include "tools/archivers/common/BgaHeader.h"

#include "tools/archivers/common/LittleEndian.h"

#include <zlib.h>

namespace archivers::bga
{
namespace
{

constexpr std::string_view kDeflateMark("GZIP", 4);
constexpr std::string_view kBzip2Mark("BZ2\0", 4);

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
    storeLE(out, 8, header.packedSize, 4);
    storeLE(out, 12, header.size, 4);
    storeLE(out, 16, header.crc, 4);
    storeLE(out, 20, header.mtime, 4);
    storeLE(out, 24, header.attributes, 2);
    storeLE(out, 26, uint16_t(header.name.size()), 2);
    out += header.name;
    storeLE(out, 0, checksum(out), 4);
    return out;
}

std::optional<size_t> headerSize(std::string_view fixed)
{
    if (fixed.size() < kFixedSize)
        return std::nullopt;
    const std::string_view mark = fixed.substr(4, 4);
    if (mark != kDeflateMark && mark != kBzip2Mark)
        return std::nullopt;
    const size_t nameSize = uint16_t(loadLE(fixed, 26, 2));
    if (nameSize == 0 || nameSize > kMaxNameSize)
        return std::nullopt;
    return kFixedSize + nameSize;
}

std::optional<Header> decode(std::string_view bytes)
{
    const std::optional<size_t> size = headerSize(bytes);
    if (!size || bytes.size() != *size || loadLE(bytes, 0, 4) != checksum(bytes))
        return std::nullopt;
    Header h;
    h.method = bytes.substr(4, 4) == kBzip2Mark ? Method::Bzip2 : Method::Deflate;
    h.packedSize = loadLE(bytes, 8, 4);
    h.size = loadLE(bytes, 12, 4);
    h.crc = loadLE(bytes, 16, 4);
    h.mtime = loadLE(bytes, 20, 4);
    h.attributes = uint16_t(loadLE(bytes, 24, 2));
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
