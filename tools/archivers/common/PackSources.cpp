#include "tools/archivers/common/PackSources.h"

#include "tools/archivers/common/Log.h"
#include "tools/archivers/common/Mask.h"
#include "tools/archivers/common/PathSafety.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <algorithm>
#include <dirent.h>
#include <optional>
#include <unistd.h>

namespace archivers
{
namespace
{

bool hasWildcard(const std::string &s)
{
    return s.find_first_of("*?[") != std::string::npos;
}

} // namespace

std::string joinPath(const std::string &dir, const std::string &name)
{
    if (dir.empty() || dir == ".")
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

void SourceCollector::collect()
{
    for (const std::string &item : m_job.files)
        collectItem(item);
}

std::string SourceCollector::diskPathOf(const std::string &item) const
{
    if (!item.empty() && item.front() == '/')
        return item;
    return joinPath(m_job.baseDir, item);
}

std::string SourceCollector::memberNameOf(const std::string &diskPath) const
{
    // Both sides normalized, so "base//" and "base/" name the same folder.
    std::string name = normalizeMemberPath(diskPath);
    const std::string base = normalizeMemberPath(m_job.baseDir);
    if (!base.empty() && base != "/" && name.compare(0, base.size() + 1, base + "/") == 0)
        name.erase(0, base.size() + 1);
    while (!name.empty() && name.front() == '/')
        name.erase(0, 1);
    if (m_job.junkPaths)
        name = name.substr(name.rfind('/') + 1);
    return name;
}

void SourceCollector::collectItem(const std::string &item)
{
    const std::string disk = diskPathOf(item);
    const size_t slash = disk.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : disk.substr(0, slash);
    const std::string pattern = disk.substr(slash == std::string::npos ? 0 : slash + 1);
    if (!hasWildcard(pattern)) {
        struct stat st = {};
        if (::lstat(disk.c_str(), &st) != 0)
            return;
        add(disk, st);
        return;
    }
    scan(dir, pattern, m_job.recurse);
}

void SourceCollector::scan(const std::string &dir, const std::string &pattern, bool recurse)
{
    DIR *d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr)
        return;
    std::vector<std::string> names;
    while (const dirent *e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != ".." && (m_job.hidden || name.front() != '.'))
            names.push_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        const std::string path = dir.empty() ? name : joinPath(dir, name);
        struct stat st = {};
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        if (wildcardMatch(pattern, name, m_job.brackets))
            add(path, st);
        else if (recurse && S_ISDIR(st.st_mode))
            scan(path, pattern, true);
    }
}

void SourceCollector::add(const std::string &path, const struct stat &st)
{
    if (S_ISDIR(st.st_mode)) {
        if (m_job.folderEntries && !m_job.junkPaths)
            addOne(path, st);
        if (m_job.recurse)
            scan(path, "*", true);
        return;
    }
    if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
        addOne(path, st);
}

void SourceCollector::addOne(const std::string &path, const struct stat &st)
{
    struct stat self = {};
    if (::stat(m_job.archive.c_str(), &self) == 0 && self.st_dev == st.st_dev &&
        self.st_ino == st.st_ino)
        return; // never pack the archive into itself
    const std::string name = memberNameOf(path);
    if (name.empty() || !safeRelativePath(name))
        return;
    if (m_sources.emplace(name, Source{path, name, st}).second)
        m_order.push_back(name);
}

const Source *SourceCollector::replacementFor(const std::string &path, const std::string &rawPath,
                                              std::time_t mtime)
{
    auto it = m_sources.find(path);
    if (m_job.kind == PackJob::Kind::Freshen && m_job.files.empty() && it == m_sources.end()) {
        const std::optional<std::string> rel = safeRelativePath(rawPath);
        if (!rel || *rel != path)
            return nullptr;
        const std::string base = m_job.baseDir.empty() ? std::string(".") : m_job.baseDir;
        if (pathHasLink(base, *rel, true))
            return nullptr;
        Source s{joinPath(m_job.baseDir, *rel), path, {}};
        if (::lstat(s.diskPath.c_str(), &s.st) != 0 || !S_ISREG(s.st.st_mode))
            return nullptr;
        it = m_sources.emplace(path, s).first;
    }
    if (it == m_sources.end())
        return nullptr;
    const bool newer = it->second.st.st_mtime > mtime;
    if (m_job.kind == PackJob::Kind::Freshen || m_job.updateOnly)
        return newer ? &it->second : nullptr;
    return &it->second;
}

PendingArchive::PendingArchive(const std::string &archive)
    : m_archive(archive), m_temp(archive + ".tunelet-new-" + std::to_string(::getpid()))
{
}

PendingArchive::~PendingArchive()
{
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
}

bool PendingArchive::commit()
{
    if (::rename(m_temp.c_str(), m_archive.c_str()) != 0)
        return false;
    m_temp.clear();
    return true;
}

int checkPackStart(const PackJob &job, SourceCollector &collector, std::string &log,
                   struct stat &archiveStat, bool &archiveExists)
{
    if (job.kind == PackJob::Kind::Add && collector.order().empty()) {
        appendLine(log, "error: no file to add");
        return ARC_ERROR_SOURCE;
    }
    archiveExists = ::stat(job.archive.c_str(), &archiveStat) == 0;
    if (!archiveExists && job.kind != PackJob::Kind::Add) {
        appendLine(log, "error: no archive " + job.archive);
        return ARC_ERROR_ARCHIVE_OPEN;
    }
    return ARC_OK;
}

} // namespace archivers
