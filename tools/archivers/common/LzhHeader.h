#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace archivers
{

// What a member header written by this library holds. The header is of level 2: sizes,
// Unix time, the data's CRC-16, the folder and the file name as bytes (any length, Shift-JIS
// kept), the permission bits, and a CRC-16 of the header itself.
struct LzhEntry {
    std::string method; // "-lh0-", "-lh5-", "-lh6-", "-lh7-", "-lhd-" (a folder)
    std::uint32_t packedSize = 0;
    std::uint32_t originalSize = 0;
    std::int64_t mtime = 0;
    std::uint16_t crc = 0;  // of the original data
    std::uint16_t mode = 0; // st_mode bits, 0: none stored
    std::string path;       // '/'-separated member path
};

std::string lzhHeader(const LzhEntry &entry);

// One member of an existing archive: where its header and data lie, to be copied as they are.
struct LzhStoredMember {
    std::string path;    // '/'-separated, as the archive's readers show it
    std::string rawPath; // folder and name as stored, folders joined with '/'
    std::time_t mtime = 0;
    std::uint64_t originalSize = 0;
    size_t offset = 0; // of the header
    size_t length = 0; // header and data
};

// Walks the member headers of an archive held in memory (levels 0, 1 and 2). False, with the
// reason, when the bytes are no LZH archive, a header is damaged or data runs past the end.
bool scanLzhMembers(std::string_view archive, std::vector<LzhStoredMember> &members,
                    std::string &why);

} // namespace archivers
