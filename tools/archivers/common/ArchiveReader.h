#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

struct archive;
struct archive_entry;

namespace archivers
{

// The archive formats of the stand-in libraries; each library reads its own only.
enum class Format { Lha, Zip, Tar, Cab, Rar, Arj, Bga };

class FormatReader;

enum class MemberKind { File, Directory, Symlink, Hardlink, Other };

// One member header as the libraries see it.
struct Member {
    std::string rawPath; // as stored (backslashes kept)
    std::string path;    // '/' separators, no trailing '/'
    MemberKind kind = MemberKind::Other;
    std::string linkTarget; // symlink or hardlink target as stored
    int64_t size = 0;
    bool sizeKnown = false;
    std::time_t mtime = 0;
    unsigned mode = 0;
    archive_entry *entry = nullptr; // valid until the next header is read
};

// The reader of this project's own for a format libarchive does not read, or nothing.
std::unique_ptr<FormatReader> ownReaderFor(Format format, const std::string &path);

// A libarchive read handle set up for one format. Streams: members are read one after the
// other and data is read in blocks, never whole. A compressed archive (tgz, bz2, Z) is never
// decompressed beyond ARC_MAX_TOTAL_BYTES, not even to skip a member: next() and readBlock()
// answer ARC_ERROR_TOTAL_TOO_LARGE there.
class ArchiveReader final
{
public:
    ArchiveReader(Format format, std::string path);
    ~ArchiveReader();
    ArchiveReader(const ArchiveReader &) = delete;
    ArchiveReader &operator=(const ArchiveReader &) = delete;

    // ARC_OK, or ARC_ERROR_ARCHIVE_OPEN when the file is missing or not of the format.
    int open();
    // ARC_OK with `member` filled, ARC_NO_MORE_MEMBERS at the end, or an error code.
    int next(Member &member);
    // One block of the current member's data: ARC_OK with size 0 at its end, or an error.
    int readBlock(const void *&data, size_t &size, int64_t &offset);
    // The format's short name for the current member ("-lh5-", "deflate", "tar"...).
    std::string methodName() const;
    std::string errorText() const;
    // ARC_ERROR_TOTAL_TOO_LARGE once a compressed archive was decompressed beyond the bound
    // (also through handle()), else ARC_OK.
    int withinBound() const;

private:
    bool nameNotConvertible() const;
    int reopenWithoutLegacyNames();
    void release();
    bool decompresses() const;
    int skipData();

    Format m_format;
    std::string m_path;
    bool m_legacyNames;
    long long m_headersRead = 0;
    archive *m_reader = nullptr;
    int m_fd = -1;
    bool m_first = true;
    bool m_dataLeft = false; // the current member's data is not read to its end
    bool m_probed = false;
    std::unique_ptr<FormatReader> m_own; // formats libarchive does not read
};

} // namespace archivers
