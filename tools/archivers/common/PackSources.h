#pragma once

#include "tools/archivers/common/Packer.h"

#include <ctime>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace archivers
{

// One file or folder on disk that a packing command takes into the archive.
struct Source {
    std::string diskPath;
    std::string memberName;
    struct stat st = {};
};

// "dir/name", or `name` alone when there is no folder.
std::string joinPath(const std::string &dir, const std::string &name);

// Expands a packing command's file items (names, masks, folders with recursion) into the
// sources of the archive, keyed by member name; the first of a name wins. Member names are
// relative to the base folder and safe to unpack; the archive itself is never a source.
class SourceCollector final
{
public:
    explicit SourceCollector(const PackJob &job) : m_job(job) {}

    void collect();

    std::map<std::string, Source> &sources() { return m_sources; }
    std::vector<std::string> &order() { return m_order; }

    // The file that replaces the old member `path` (stored as `rawPath`, dated `mtime`), or
    // nothing. Freshening takes a newer file only; so does adding with `updateOnly`. Freshening
    // without names looks for the member's file below the base folder under the checks of
    // unpacking: no absolute path, no "..", no link on the way, a regular file only.
    const Source *replacementFor(const std::string &path, const std::string &rawPath,
                                 std::time_t mtime);

private:
    std::string diskPathOf(const std::string &item) const;
    std::string memberNameOf(const std::string &diskPath) const;
    void collectItem(const std::string &item);
    void scan(const std::string &dir, const std::string &pattern, bool recurse);
    void add(const std::string &path, const struct stat &st);
    void addOne(const std::string &path, const struct stat &st);

    const PackJob &m_job;
    std::map<std::string, Source> m_sources;
    std::vector<std::string> m_order;
};

// Whether a packing command can start from its sources: it adds something, or the archive it
// changes is there. ARC_OK with `archiveStat` and `archiveExists` filled, or the error, logged.
int checkPackStart(const PackJob &job, SourceCollector &collector, std::string &log,
                   struct stat &archiveStat, bool &archiveExists);

// The new archive of a packing command: a file beside the old archive that is renamed over
// it once complete, and removed when the command ends without that.
class PendingArchive final
{
public:
    explicit PendingArchive(const std::string &archive);
    ~PendingArchive();
    PendingArchive(const PendingArchive &) = delete;
    PendingArchive &operator=(const PendingArchive &) = delete;

    const std::string &path() const { return m_temp; }
    // Puts the new archive in the old one's place; false when the rename fails.
    bool commit();

private:
    std::string m_archive;
    std::string m_temp;
};

} // namespace archivers
