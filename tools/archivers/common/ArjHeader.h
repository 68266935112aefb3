#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace archivers::arj
{

// The header id that starts every ARJ header, and the largest basic header.
constexpr uint8_t kHeaderId0 = 0x60;
constexpr uint8_t kHeaderId1 = 0xEA;
constexpr size_t kMaxBasicHeader = 2600;

// The fixed part of a basic header, before its extra data, name and comment.
constexpr size_t kFixedHeaderSize = 30;

enum Flags : uint8_t {
    kGarbled = 0x01,           // encrypted
    kVolume = 0x04,            // continues in the next volume
    kContinuedFromPrev = 0x08, // begins in the previous volume
};

enum FileType : uint8_t {
    kBinary = 0,
    kText = 1,
    kCommentHeader = 2, // the main header
    kDirectory = 3,
    kVolumeLabel = 4,
    kChapterLabel = 5,
};

enum HostOs : uint8_t { kUnix = 2, kNext = 8 };

// One basic header (the main header or a member's local header).
struct Header {
    uint8_t hostOs = 0;
    uint8_t flags = 0;
    uint8_t method = 0;
    uint8_t fileType = 0;
    uint32_t timeStamp = 0; // MS-DOS date and time, or seconds since 1970 on Unix hosts
    uint32_t compressedSize = 0;
    uint32_t originalSize = 0;
    uint32_t crc = 0; // CRC-32 of the member's data
    std::string name; // as stored
};

// Reads a basic header's fields (its CRC already checked). Nothing when they do not fit in
// it: a first part shorter than the fixed fields or longer than the header, or a name
// without its terminator.
std::optional<Header> parseBasicHeader(std::span<const uint8_t> bytes);

// The member's time stamp as local time since 1970; 0 when it names no valid time.
int64_t modificationTime(const Header &header);

// The method's short name for listings ("-arj1-").
std::string methodName(uint8_t method);

} // namespace archivers::arj
