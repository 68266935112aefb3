#include "tools/archivers/common/Packer.h"

#include "tools/archivers/common/ArchiveReader.h"
#include "tools/archivers/common/CabWriter.h"
#include "tools/archivers/common/LibarchiveSink.h"
#include "tools/archivers/common/Log.h"
#include "tools/archivers/common/PathSafety.h"
#include "tools/archivers/common/RegularFile.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <dirent.h>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace archivers
{
namespace
{

struct Source {
    std::string diskPath;
    std::string memberName;
    struct stat st = {};
};

struct EntryDeleter {
    void operator()(archive_entry *e) const { archive_entry_free(e); }
};

bool hasWildcard(const std::string &s)
{
    return s.find_first_of("*?[") != std::string::npos;
}

std::string joinPath(const std::string &dir, const std::string &name)
{
    if (dir.empty() || dir == ".")
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

class SourceCollector final
{
public:
    SourceCollector(const PackJob &job) : m_job(job) {}

    // Expands the file items into sources, keyed by member name (first one wins).
    void collect()
    {
        for (const std::string &item : m_job.files)
            collectItem(item);
    }

    std::map<std::string, Source> &sources() { return m_sources; }
    std::vector<std::string> &order() { return m_order; }

private:
    std::string diskPathOf(const std::string &item) const
    {
        if (!item.empty() && item.front() == '/')
            return item;
        return joinPath(m_job.baseDir, item);
    }

    std::string memberNameOf(const std::string &diskPath) const
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

    void collectItem(const std::string &item)
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

    void scan(const std::string &dir, const std::string &pattern, bool recurse)
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

    void add(const std::string &path, const struct stat &st)
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

    void addOne(const std::string &path, const struct stat &st)
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

    const PackJob &m_job;
    std::map<std::string, Source> m_sources;
    std::vector<std::string> m_order;
};

class ArchiveRewrite final
{
public:
    ArchiveRewrite(const PackJob &job, std::string &log) : m_job(job), m_log(log) {}
    // The new archive is never left half-written, also when an exception passes.
    ~ArchiveRewrite()
    {
        m_writer.reset();
        if (!m_temp.empty())
            ::unlink(m_temp.c_str());
    }
    ArchiveRewrite(const ArchiveRewrite &) = delete;
    ArchiveRewrite &operator=(const ArchiveRewrite &) = delete;

    int run()
    {
        SourceCollector collector(m_job);
        if (m_job.kind != PackJob::Kind::Delete)
            collector.collect();
        if (m_job.kind == PackJob::Kind::Add && collector.order().empty()) {
            appendLine(m_log, "error: no file to add");
            return ARC_ERROR_SOURCE;
        }
        struct stat st = {};
        const bool exists = ::stat(m_job.archive.c_str(), &st) == 0;
        if (!exists && m_job.kind != PackJob::Kind::Add) {
            appendLine(m_log, "error: no archive " + m_job.archive);
            return ARC_ERROR_ARCHIVE_OPEN;
        }
        m_temp = m_job.archive + ".tunelet-new-" + std::to_string(::getpid());
        int rc = openWriter();
        if (rc == ARC_OK && exists && !(m_job.kind == PackJob::Kind::Add && m_job.replaceArchive))
            rc = copyOld(collector);
        if (rc == ARC_OK && m_job.kind == PackJob::Kind::Add) {
            for (const std::string &name : collector.order()) {
                const auto it = collector.sources().find(name);
                if (it != collector.sources().end() && (rc = writeSource(it->second)) != ARC_OK)
                    break;
            }
        }
        if (rc == ARC_OK && !m_writer->close())
            rc = writeError(m_job.archive);
        m_writer.reset();
        if (rc == ARC_OK && ::rename(m_temp.c_str(), m_job.archive.c_str()) != 0)
            rc = ARC_ERROR_WRITE;
        if (rc == ARC_OK)
            m_temp.clear();
        return rc;
    }

private:
    int openWriter()
    {
        if (m_job.container == Container::Cab)
            m_writer = std::make_unique<CabWriter>(m_job.level);
        else
            m_writer =
                std::make_unique<LibarchiveSink>(m_job.container, m_job.compression, m_job.level);
        if (!m_writer->open(m_temp)) {
            appendLine(m_log, "error: cannot create " + m_temp + ": " + m_writer->error());
            return ARC_ERROR_WRITE;
        }
        return ARC_OK;
    }

    // False, with the reason in the log, when the format cannot hold the member.
    bool takes(archive_entry *entry, const std::string &name)
    {
        const std::string why = m_writer->refusal(entry);
        if (!why.empty())
            appendLine(m_log, "skipped: " + name + " (" + why + ")");
        return why.empty();
    }

    int copyOld(SourceCollector &collector)
    {
        const Format format = m_job.container == Container::Zip   ? Format::Zip
                              : m_job.container == Container::Cab ? Format::Cab
                                                                  : Format::Tar;
        ArchiveReader reader(format, m_job.archive);
        if (reader.open() != ARC_OK) {
            appendLine(m_log, "error: cannot read " + m_job.archive);
            return ARC_ERROR_ARCHIVE_OPEN;
        }
        MemberFilter filter{m_job.files, {}, m_job.brackets};
        Member m;
        for (;;) {
            int rc = reader.next(m);
            if (rc == ARC_NO_MORE_MEMBERS)
                return ARC_OK;
            if (rc == ARC_ERROR_TOTAL_TOO_LARGE)
                return tooMuch();
            if (rc != ARC_OK)
                return rc;
            if (m_job.kind == PackJob::Kind::Delete) {
                if (filter.selects(m.path)) {
                    appendLine(m_log, "deleted: " + m.path);
                    continue;
                }
            } else if (const Source *replacement = replacementFor(m, collector)) {
                rc = writeSource(*replacement);
                collector.sources().erase(m.path);
                if (rc != ARC_OK)
                    return rc;
                continue;
            } else if (m_job.kind == PackJob::Kind::Add) {
                collector.sources().erase(m.path); // -u: the member is not older; keep it
            }
            if ((rc = copyMember(reader, m)) != ARC_OK)
                return rc;
        }
    }

    // The file that replaces an old member, if any.
    const Source *replacementFor(const Member &m, SourceCollector &collector)
    {
        auto &sources = collector.sources();
        auto it = sources.find(m.path);
        if (m_job.kind == PackJob::Kind::Freshen && m_job.files.empty() && it == sources.end()) {
            // Freshen without names: every member against the file of its name below the
            // base folder, under the checks of unpacking: no absolute path, no "..", no link
            // on the way, a regular file only.
            const std::optional<std::string> rel = safeRelativePath(m.rawPath);
            if (!rel || *rel != m.path)
                return nullptr;
            const std::string base = m_job.baseDir.empty() ? std::string(".") : m_job.baseDir;
            if (pathHasLink(base, *rel, true))
                return nullptr;
            Source s{joinPath(m_job.baseDir, *rel), m.path, {}};
            if (::lstat(s.diskPath.c_str(), &s.st) != 0 || !S_ISREG(s.st.st_mode))
                return nullptr;
            it = sources.emplace(m.path, s).first;
        }
        if (it == sources.end())
            return nullptr;
        // A file the format cannot hold never drops the member it would replace.
        if (!takes(entryOf(it->second).get(), it->second.memberName))
            return nullptr;
        const bool newer = it->second.st.st_mtime > m.mtime;
        if (m_job.kind == PackJob::Kind::Freshen || m_job.updateOnly)
            return newer ? &it->second : nullptr;
        return &it->second;
    }

    int copyMember(ArchiveReader &reader, const Member &m)
    {
        if (!takes(m.entry, m.path))
            return ARC_OK;
        if (!m_writer->header(m.entry))
            return writeError(m.path);
        for (;;) {
            const void *data = nullptr;
            size_t size = 0;
            int64_t offset = 0;
            if (const int rc = reader.readBlock(data, size, offset); rc != ARC_OK) {
                if (rc == ARC_ERROR_TOTAL_TOO_LARGE)
                    return tooMuch();
                appendLine(m_log, "error: damaged member " + m.path);
                return ARC_ERROR_ARCHIVE_DAMAGED;
            }
            if (size == 0)
                break;
            if (!count(size))
                return tooMuch();
            if (!m_writer->data(data, size))
                return writeError(m.path);
        }
        return ARC_OK;
    }

    static std::unique_ptr<archive_entry, EntryDeleter> entryOf(const Source &s)
    {
        std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
        archive_entry_copy_stat(entry.get(), &s.st);
        archive_entry_set_pathname(entry.get(), s.memberName.c_str());
        return entry;
    }

    int writeSource(const Source &s)
    {
        const std::unique_ptr<archive_entry, EntryDeleter> entry = entryOf(s);
        if (!takes(entry.get(), s.memberName))
            return ARC_OK;
        int fd = -1;
        if (S_ISLNK(s.st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(s.diskPath.c_str(), target, sizeof target - 1);
            if (n < 0)
                return sourceError(s.diskPath);
            target[n] = '\0';
            archive_entry_set_symlink(entry.get(), target);
            archive_entry_set_size(entry.get(), 0);
        } else if (S_ISREG(s.st.st_mode)) {
            // A file replaced by a FIFO or a link meanwhile never holds the command up.
            fd = openRegularFile(s.diskPath, LastLink::Refuse);
            if (fd < 0)
                return sourceError(s.diskPath);
        } else {
            archive_entry_set_size(entry.get(), 0);
        }
        int rc = ARC_OK;
        if (!m_writer->header(entry.get()))
            rc = writeError(s.memberName);
        char buffer[64 * 1024];
        while (rc == ARC_OK && fd >= 0) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0)
                rc = sourceError(s.diskPath);
            if (n <= 0)
                break;
            if (!count(size_t(n)))
                rc = tooMuch();
            else if (!m_writer->data(buffer, size_t(n)))
                rc = writeError(s.memberName);
        }
        if (fd >= 0)
            ::close(fd);
        if (rc == ARC_OK)
            appendLine(m_log, "added: " + s.memberName);
        return rc;
    }

    // Adds member data to what this command has packed; false beyond the bound.
    bool count(size_t size)
    {
        m_total += size;
        return m_total <= ARC_MAX_TOTAL_BYTES;
    }

    int tooMuch()
    {
        appendLine(m_log, "error: more than " + std::to_string(ARC_MAX_TOTAL_BYTES) +
                              " bytes of member data in one command");
        return ARC_ERROR_TOTAL_TOO_LARGE;
    }

    int writeError(const std::string &name)
    {
        appendLine(m_log, "error: cannot write " + name + ": " + m_writer->error());
        return ARC_ERROR_WRITE;
    }

    int sourceError(const std::string &path)
    {
        appendLine(m_log, "error: cannot read " + path);
        return ARC_ERROR_SOURCE;
    }

    const PackJob &m_job;
    std::string &m_log;
    std::string m_temp;
    std::unique_ptr<MemberSink> m_writer;
    uint64_t m_total = 0; // member data copied and added
};

} // namespace

int pack(const PackJob &job, std::string &log)
{
    return ArchiveRewrite(job, log).run();
}

} // namespace archivers
