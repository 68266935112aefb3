#pragma once

#include "tools/archivers/common/Mask.h"

#include <cstdint>
#include <string>
#include <vector>

namespace archivers
{

enum class Container { Zip, Tar, Cab, Bga, Lzh };
// LZH: None stores (-lh0-); Lh5, Lh6, Lh7 are the LZSS methods of 8, 32 and 64 KiB windows.
enum class Compression { None, Gzip, Bzip2, Lh5, Lh6, Lh7 };

struct PackJob {
    enum class Kind { Add, Freshen, Delete } kind = Kind::Add;
    Container container = Container::Zip;
    Compression compression = Compression::None;
    int level = -1; // 0-9, -1: the writer's default
    std::string archive;
    std::string baseDir;               // names are taken relative to it; empty: current folder
    std::vector<std::string> files;    // names or masks (Add, Freshen); masks (Delete)
    std::vector<std::string> excludes; // LZH: masks of files never taken in (-jx)
    bool brackets = false;             // masks use [] classes
    bool recurse = false;
    bool junkPaths = false;
    bool folderEntries = true;   // store folders as members of their own
    bool hidden = false;         // take dot files found by masks and recursion
    bool updateOnly = false;     // Add: replace a member only with a newer file
    bool replaceArchive = false; // Add: start a new archive instead of adding to the old one
};

// The member data one packing command has taken in; more than ARC_MAX_TOTAL_BYTES refuses
// the command.
class PackedTotal final
{
public:
    // Adds member data; false once the total is beyond the bound.
    bool add(std::uint64_t size);
    // Logs the refusal; ARC_ERROR_TOTAL_TOO_LARGE.
    static int refuse(std::string &log);

private:
    std::uint64_t m_total = 0;
};

// Creates or rewrites an archive. The new archive is written beside the old one and renamed
// over it only when complete, so a failure leaves the old archive as it was.
int pack(const PackJob &job, std::string &log);

} // namespace archivers
