#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The member header of GZA and BZA archives (docs/archivers.md has the layout). An archive is
// a sequence of members, each a header followed by its compressed data.
namespace archivers::bga
{

enum class Method { Deflate, Bzip2 };

constexpr size_t kFixedSize = 28;     // header bytes before the name
constexpr size_t kMaxNameSize = 1024; // longer names are refused
constexpr uint16_t kAttributeFile = 0x20;
constexpr uint16_t kAttributeFolder = 0x10;

struct Header {
    Method method = Method::Deflate;
    uint32_t packedSize = 0; // compressed data following the header
    uint32_t size = 0;       // original size
    uint32_t crc = 0;        // CRC-32 of the original data
    uint32_t mtime = 0;      // seconds since 1970, UTC
    uint16_t attributes = kAttributeFile;
    std::string name; // '/'-separated, bytes as given
};

// The header's bytes, checksum included.
std::string encode(const Header &header);

// How many bytes the header that starts with these fixed bytes takes, name included; nothing
// when they carry no known mark or a name length out of range.
std::optional<size_t> headerSize(std::string_view fixed);

// Reads a whole header (headerSize bytes); nothing when its checksum or a field is wrong.
std::optional<Header> decode(std::string_view bytes);

// The method an archive of this name is packed with: ".bza" bzip2, anything else deflate.
Method methodForArchive(std::string_view archivePath);

} // namespace archivers::bga
