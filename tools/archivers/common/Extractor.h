#pragma once

#include "tools/archivers/common/ArchiveReader.h"
#include "tools/archivers/common/Mask.h"

#include <cstdint>
#include <string>

namespace archivers
{

enum class Overwrite { Always, Never, IfNewer };

struct ExtractJob {
    Format format = Format::Lha;
    std::string archive;
    std::string targetDir; // '/'-separated; empty: the current folder
    MemberFilter filter;
    bool junkPaths = false; // write every file under its file name alone
    Overwrite overwrite = Overwrite::Always;
};

// Members declaring this size or more are refused (the record and progress fields are
// 32-bit, and no song file comes near it).
constexpr int64_t kMaxMemberSize = int64_t(1) << 32;

// Extracts the selected members below the target folder. First every selected member is
// checked; when one would leave the folder, or all together declare more than
// ARC_MAX_TOTAL_BYTES, nothing is written. Files are streamed into a temporary file beside
// their final name and renamed when complete, so a damaged member, data beyond the bound or
// an exception leaves no partial file and no half-replaced old one. Messages go to `log`.
int extractToDisk(const ExtractJob &job, std::string &log);

// Extracts the first selected regular member into the caller's buffer; a member over
// ARC_MAX_TOTAL_BYTES is refused.
int extractToMemory(Format format, const std::string &archive, const MemberFilter &filter,
                    unsigned char *buffer, uint32_t bufferSize, uint32_t *written,
                    int64_t *timeStamp, uint16_t *attributes);

// Reads every member's data through (checksums included): ARC_OK when all is sound. Stops
// with ARC_ERROR_TOTAL_TOO_LARGE before the data read would pass ARC_MAX_TOTAL_BYTES.
int testArchive(Format format, const std::string &archive, std::string &log);

// One line per selected member: size, date and path.
int listArchive(Format format, const std::string &archive, const MemberFilter &filter,
                std::string &log);

} // namespace archivers
