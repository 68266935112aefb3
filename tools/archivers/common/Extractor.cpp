#include "tools/archivers/common/Extractor.h"

#include "tools/archivers/common/Log.h"
#include "tools/archivers/common/OwnerWindow.h"
#include "tools/archivers/common/PathSafety.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace archivers
{
namespace
{

struct WriterDeleter {
    void operator()(archive *a) const { archive_write_free(a); }
};
using DiskWriter = std::unique_ptr<archive, WriterDeleter>;

struct EntryDeleter {
    void operator()(archive_entry *e) const { archive_entry_free(e); }
};
using EntryPtr = std::unique_ptr<archive_entry, EntryDeleter>;

// Where a selected member goes, relative to the target folder.
struct Plan {
    enum class Action { Skip, Write, Refuse, TooLarge } action = Action::Skip;
    std::string rel;
    std::string linkRel; // hardlink: the linked member, relative
};

std::string baseName(const std::string &path)
{
    return path.substr(path.rfind('/') + 1);
}

Plan planMember(const Member &m, const ExtractJob &job)
{
    Plan plan;
    if (m.kind == MemberKind::Other)
        return plan;
    const std::optional<std::string> rel = safeRelativePath(m.rawPath);
    if (!rel) {
        // A member that only names the archive root ("./") is no file; anything else is hostile.
        plan.action =
            normalizeMemberPath(m.rawPath).empty() ? Plan::Action::Skip : Plan::Action::Refuse;
        return plan;
    }
    if (m.kind == MemberKind::Directory && job.junkPaths)
        return plan;
    if (m.sizeKnown && (m.size < 0 || m.size >= kMaxMemberSize)) {
        plan.action = Plan::Action::TooLarge;
        return plan;
    }
    plan.rel = job.junkPaths ? baseName(*rel) : *rel;
    plan.action = Plan::Action::Write;
    if (m.kind == MemberKind::Symlink) {
        if (!linkStaysInside(plan.rel, m.linkTarget))
            plan.action = Plan::Action::Refuse;
    } else if (m.kind == MemberKind::Hardlink) {
        const std::optional<std::string> target = safeRelativePath(m.linkTarget);
        if (!target)
            plan.action = Plan::Action::Refuse;
        else
            plan.linkRel = job.junkPaths ? baseName(*target) : *target;
    }
    return plan;
}

// Opens the archive for reading; a failure is logged as the commands report it.
int openLogged(ArchiveReader &reader, const std::string &archive, std::string &log)
{
    const int rc = reader.open();
    if (rc != ARC_OK)
        appendLine(log, "error: cannot open the archive " + archive + ": " + reader.errorText());
    return rc;
}

int makeFolders(const std::string &dir)
{
    std::string path;
    size_t start = 0;
    while (start <= dir.size()) {
        size_t end = dir.find('/', start);
        if (end == std::string::npos)
            end = dir.size();
        path = dir.substr(0, end);
        if (!path.empty() && ::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
            return ARC_ERROR_WRITE;
        start = end + 1;
    }
    struct stat st = {};
    return (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? ARC_OK : ARC_ERROR_WRITE;
}

// The target folder, created when missing, with every link in it resolved.
std::optional<std::string> canonicalRoot(const std::string &targetDir)
{
    std::string dir = targetDir.empty() ? std::string(".") : targetDir;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    if (makeFolders(dir) != ARC_OK)
        return std::nullopt;
    char resolved[PATH_MAX];
    if (::realpath(dir.c_str(), resolved) == nullptr)
        return std::nullopt;
    std::string root = resolved;
    if (root == "/")
        root.clear(); // joined as root + "/" + rel
    return root;
}

std::string temporaryName(const std::string &finalPath)
{
    static std::atomic<unsigned> counter{0};
    const size_t slash = finalPath.rfind('/');
    return finalPath.substr(0, slash + 1) + ".tunelet-part-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + "-" + finalPath.substr(slash + 1);
}

// A member's temporary file: removed unless it was renamed into place, also when an
// exception (of a progress receiver, say) passes.
class TemporaryFile final
{
public:
    explicit TemporaryFile(std::string path) : m_path(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    const std::string &path() const { return m_path; }
    void keep() { m_path.clear(); }

private:
    std::string m_path;
};

class DiskExtraction final
{
public:
    DiskExtraction(const ExtractJob &job, std::string &log) : m_job(job), m_log(log) {}

    int run()
    {
        if (const int rc = checkAll(); rc != ARC_OK)
            return rc;
        const std::optional<std::string> root = canonicalRoot(m_job.targetDir);
        if (!root) {
            appendLine(m_log, "error: cannot create the folder " + m_job.targetDir);
            return ARC_ERROR_WRITE;
        }
        m_root = *root;
        m_writer.reset(archive_write_disk_new());
        archive_write_disk_set_options(m_writer.get(), ARCHIVE_EXTRACT_TIME |
                                                           ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                                           ARCHIVE_EXTRACT_SECURE_SYMLINKS);
        return writeAll();
    }

private:
    // Reads the headers in order and hands each member the filter selects, with its plan, to
    // `visit`; stops at the first answer of it that is not ARC_OK.
    template <typename Visit> int eachSelected(Visit visit)
    {
        ArchiveReader reader(m_job.format, m_job.archive);
        if (const int rc = openLogged(reader, m_job.archive, m_log); rc != ARC_OK)
            return rc;
        Member m;
        for (;;) {
            const int rc = reader.next(m);
            if (rc == ARC_NO_MORE_MEMBERS)
                return ARC_OK;
            if (rc == ARC_ERROR_TOTAL_TOO_LARGE)
                return tooMuch(0);
            if (rc != ARC_OK)
                return fail(rc, "damaged archive: " + reader.errorText());
            if (!m_job.filter.selects(m.path))
                continue;
            if (const int answer = visit(reader, m, planMember(m, m_job)); answer != ARC_OK)
                return answer;
        }
    }

    // Pass one: headers only. A hostile or oversized member refuses the whole command.
    int checkAll()
    {
        uint64_t declared = 0;
        const int rc = eachSelected([&](ArchiveReader &, const Member &m, const Plan &plan) {
            if (plan.action == Plan::Action::Refuse)
                return fail(ARC_ERROR_UNSAFE_MEMBER,
                            "member leaves the target folder: " + m.rawPath);
            if (plan.action == Plan::Action::TooLarge)
                return fail(ARC_ERROR_MEMBER_TOO_LARGE, "member too large: " + m.rawPath);
            if (plan.action == Plan::Action::Write && m.kind == MemberKind::File && m.sizeKnown)
                declared += uint64_t(m.size);
            return int(ARC_OK);
        });
        if (rc != ARC_OK)
            return rc;
        return declared > ARC_MAX_TOTAL_BYTES ? tooMuch(declared) : ARC_OK;
    }

    int tooMuch(uint64_t declared)
    {
        return fail(ARC_ERROR_TOTAL_TOO_LARGE,
                    "archive too large: " +
                        (declared > 0 ? "its members declare " + std::to_string(declared) + " bytes"
                                      : std::string("it unpacks beyond the bound")) +
                        ", at most " + std::to_string(ARC_MAX_TOTAL_BYTES) +
                        " are taken out in one command");
    }

    int writeAll()
    {
        return eachSelected([&](ArchiveReader &reader, const Member &m, const Plan &plan) {
            if (plan.action == Plan::Action::Skip)
                return int(ARC_OK);
            if (plan.action != Plan::Action::Write)
                return fail(ARC_ERROR_UNSAFE_MEMBER, "member changed between passes: " + m.rawPath);
            return writeMember(reader, m, plan);
        });
    }

    int writeMember(ArchiveReader &reader, const Member &m, const Plan &plan)
    {
        const std::string full = m_root + "/" + plan.rel;
        if (pathHasLink(m_root, plan.rel,
                        m.kind != MemberKind::Symlink && m.kind != MemberKind::File))
            return fail(ARC_ERROR_UNSAFE_MEMBER, "a link is in the way of " + plan.rel);
        if (m.kind == MemberKind::Hardlink && pathHasLink(m_root, plan.linkRel, true))
            return fail(ARC_ERROR_UNSAFE_MEMBER, "a link is in the way of " + plan.linkRel);
        if (m.kind != MemberKind::Directory && !mayReplace(full, m)) {
            appendLine(m_log, "skipped: " + plan.rel);
            return ARC_OK;
        }
        if (m.kind == MemberKind::File)
            return writeFile(reader, m, plan, full);
        EntryPtr entry(archive_entry_clone(m.entry));
        archive_entry_set_pathname(entry.get(), full.c_str());
        if (m.kind == MemberKind::Directory)
            archive_entry_set_perm(entry.get(), 0755); // stays usable for the members inside
        if (m.kind == MemberKind::Hardlink) {
            archive_entry_set_hardlink(entry.get(), (m_root + "/" + plan.linkRel).c_str());
            archive_entry_set_size(entry.get(), 0);
        }
        if (archive_write_header(m_writer.get(), entry.get()) != ARCHIVE_OK ||
            archive_write_finish_entry(m_writer.get()) != ARCHIVE_OK)
            return fail(ARC_ERROR_WRITE, "cannot create " + plan.rel + ": " + writerError());
        appendLine(m_log, "extracted: " + plan.rel);
        return ARC_OK;
    }

    bool mayReplace(const std::string &full, const Member &m) const
    {
        struct stat st = {};
        if (::lstat(full.c_str(), &st) != 0)
            return true;
        if (m_job.overwrite == Overwrite::Never)
            return false;
        if (m_job.overwrite == Overwrite::IfNewer)
            return m.mtime > st.st_mtime;
        return true;
    }

    int writeFile(ArchiveReader &reader, const Member &m, const Plan &plan, const std::string &full)
    {
        struct stat st = {};
        if (::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return fail(ARC_ERROR_WRITE, "a folder is in the way of " + plan.rel);
        TemporaryFile temp(temporaryName(full));
        EntryPtr entry(archive_entry_clone(m.entry));
        archive_entry_set_pathname(entry.get(), temp.path().c_str());
        archive_entry_set_perm(entry.get(), 0644);
        if (archive_write_header(m_writer.get(), entry.get()) != ARCHIVE_OK)
            return fail(ARC_ERROR_WRITE, "cannot create " + plan.rel + ": " + writerError());
        if (owner::report(ARC_EXTRACT_BEGIN, m.path, full, uint64_t(m.size), 0)) {
            abandon();
            return fail(ARC_ERROR_CANCELLED, "cancelled");
        }
        uint64_t written = 0;
        for (;;) {
            const void *data = nullptr;
            size_t size = 0;
            int64_t offset = 0;
            if (const int rc = reader.readBlock(data, size, offset); rc != ARC_OK) {
                const std::string why = reader.errorText();
                abandon();
                if (rc == ARC_ERROR_TOTAL_TOO_LARGE)
                    return tooMuch(0);
                return fail(ARC_ERROR_ARCHIVE_DAMAGED, "damaged member " + m.rawPath + ": " + why);
            }
            if (size == 0)
                break;
            written += size;
            m_total += size;
            if ((m.sizeKnown && written > uint64_t(m.size)) ||
                written >= uint64_t(kMaxMemberSize)) {
                abandon();
                return fail(ARC_ERROR_ARCHIVE_DAMAGED, "member longer than declared: " + m.rawPath);
            }
            if (m_total > ARC_MAX_TOTAL_BYTES) {
                abandon();
                return tooMuch(0);
            }
            if (archive_write_data_block(m_writer.get(), data, size, offset) < ARCHIVE_OK) {
                const std::string why = writerError();
                abandon();
                return fail(ARC_ERROR_WRITE, "cannot write " + plan.rel + ": " + why);
            }
            if (owner::report(ARC_EXTRACT_UPDATE, m.path, full, uint64_t(m.size), written)) {
                abandon();
                return fail(ARC_ERROR_CANCELLED, "cancelled");
            }
        }
        if (archive_write_finish_entry(m_writer.get()) != ARCHIVE_OK)
            return fail(ARC_ERROR_WRITE, "cannot write " + plan.rel + ": " + writerError());
        if (::rename(temp.path().c_str(), full.c_str()) != 0)
            return fail(ARC_ERROR_WRITE, "cannot replace " + plan.rel);
        temp.keep();
        owner::report(ARC_EXTRACT_END, m.path, full, uint64_t(m.size), written);
        appendLine(m_log, "extracted: " + plan.rel);
        return ARC_OK;
    }

    // Ends the entry being written; its temporary file goes with the TemporaryFile.
    void abandon() { archive_write_finish_entry(m_writer.get()); }

    std::string writerError() const
    {
        const char *s = archive_error_string(m_writer.get());
        return s != nullptr ? s : "unknown error";
    }

    int fail(int code, const std::string &message)
    {
        appendLine(m_log, "error: " + message);
        return code;
    }

    const ExtractJob &m_job;
    std::string &m_log;
    std::string m_root;
    DiskWriter m_writer;
    uint64_t m_total = 0; // member data written by this command
};

uint16_t dosAttributes(const Member &m)
{
    uint16_t attr = 0x20; // archive
    if ((m.mode & 0222) == 0)
        attr |= 0x01; // read-only
    if (m.kind == MemberKind::Directory)
        attr = 0x10;
    return attr;
}

// Reads the current member block by block into the caller's buffer (gaps of a sparse member
// as zeros), never more than ARC_MAX_TOTAL_BYTES; the member's checksum is checked at its end.
int copyIntoBuffer(ArchiveReader &reader, unsigned char *buffer, uint32_t bufferSize,
                   uint32_t *written)
{
    const uint32_t room = std::min<uint32_t>(bufferSize, ARC_MAX_TOTAL_BYTES);
    uint64_t filled = 0;
    for (;;) {
        const void *data = nullptr;
        size_t size = 0;
        int64_t offset = 0;
        if (const int rc = reader.readBlock(data, size, offset); rc != ARC_OK)
            return rc == ARC_ERROR_TOTAL_TOO_LARGE ? rc : ARC_ERROR_ARCHIVE_DAMAGED;
        if (size == 0)
            return ARC_OK;
        // Whatever fits goes in, so a too small buffer still holds the member's first bytes.
        const uint64_t at = std::min<uint64_t>(
            room, std::max<uint64_t>(filled, uint64_t(std::max<int64_t>(offset, 0))));
        const size_t fits = size_t(std::min<uint64_t>(size, room - at));
        if (at > filled)
            std::memset(buffer + filled, 0, size_t(at - filled));
        if (fits > 0)
            std::memcpy(buffer + at, data, fits);
        filled = at + fits;
        if (written != nullptr)
            *written = static_cast<uint32_t>(filled);
        if (fits < size) {
            if (room == ARC_MAX_TOTAL_BYTES && bufferSize > ARC_MAX_TOTAL_BYTES)
                return ARC_ERROR_TOTAL_TOO_LARGE;
            return ARC_ERROR_BUFFER_TOO_SMALL;
        }
    }
}

} // namespace

int extractToDisk(const ExtractJob &job, std::string &log)
{
    return DiskExtraction(job, log).run();
}

int extractToMemory(Format format, const std::string &archive, const MemberFilter &filter,
                    unsigned char *buffer, uint32_t bufferSize, uint32_t *written,
                    int64_t *timeStamp, uint16_t *attributes)
{
    if (written != nullptr)
        *written = 0;
    if (buffer == nullptr && bufferSize > 0)
        return ARC_ERROR_COMMAND_LINE;
    if (format == Format::Bga)
        return ARC_ERROR_NOT_SUPPORTED; // no extract-to-memory for GZA and BZA
    ArchiveReader reader(format, archive);
    if (const int rc = reader.open(); rc != ARC_OK)
        return rc;
    Member m;
    for (;;) {
        const int rc = reader.next(m);
        if (rc == ARC_NO_MORE_MEMBERS)
            return ARC_ERROR_NOT_FOUND;
        if (rc != ARC_OK)
            return rc;
        if (m.kind == MemberKind::File && filter.selects(m.path))
            break;
    }
    if (m.sizeKnown && m.size > int64_t(ARC_MAX_TOTAL_BYTES))
        return ARC_ERROR_TOTAL_TOO_LARGE;
    if (timeStamp != nullptr)
        *timeStamp = m.mtime;
    if (attributes != nullptr)
        *attributes = dosAttributes(m);
    return copyIntoBuffer(reader, buffer, bufferSize, written);
}

int testArchive(Format format, const std::string &archive, std::string &log)
{
    ArchiveReader reader(format, archive);
    if (const int rc = openLogged(reader, archive, log); rc != ARC_OK)
        return rc;
    Member m;
    uint64_t checked = 0; // member data read through so far
    for (;;) {
        const int rc = reader.next(m);
        if (rc == ARC_NO_MORE_MEMBERS)
            return ARC_OK;
        if (rc != ARC_OK) {
            appendLine(log, "error: " + reader.errorText());
            return rc;
        }
        // A member that declares more than the rest of the bound is not read at all.
        if (m.sizeKnown && uint64_t(std::max<int64_t>(m.size, 0)) > ARC_MAX_TOTAL_BYTES - checked) {
            appendLine(log, "error: " + m.rawPath + ": beyond what one test reads");
            return ARC_ERROR_TOTAL_TOO_LARGE;
        }
        uint64_t total = 0;
        for (;;) {
            const void *data = nullptr;
            size_t size = 0;
            int64_t offset = 0;
            if (const int read = reader.readBlock(data, size, offset); read != ARC_OK) {
                appendLine(log, "error: " + m.rawPath + ": " + reader.errorText());
                return read == ARC_ERROR_TOTAL_TOO_LARGE ? read : ARC_ERROR_ARCHIVE_DAMAGED;
            }
            if (size == 0)
                break;
            total += size;
            checked += size;
            if ((m.sizeKnown && total > uint64_t(m.size)) || total >= uint64_t(kMaxMemberSize)) {
                appendLine(log, "error: " + m.rawPath + ": longer than declared");
                return ARC_ERROR_ARCHIVE_DAMAGED;
            }
            if (checked > ARC_MAX_TOTAL_BYTES) {
                appendLine(log, "error: " + m.rawPath + ": beyond what one test reads");
                return ARC_ERROR_TOTAL_TOO_LARGE;
            }
        }
        appendLine(log, "ok: " + m.path);
    }
}

int listArchive(Format format, const std::string &archive, const MemberFilter &filter,
                std::string &log)
{
    ArchiveReader reader(format, archive);
    if (const int rc = openLogged(reader, archive, log); rc != ARC_OK)
        return rc;
    Member m;
    for (;;) {
        const int rc = reader.next(m);
        if (rc == ARC_NO_MORE_MEMBERS)
            return ARC_OK;
        if (rc != ARC_OK)
            return rc;
        if (!filter.selects(m.path))
            continue;
        char stamp[32] = "";
        struct tm tm = {};
        if (::localtime_r(&m.mtime, &tm) != nullptr)
            std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
        appendLine(log, std::to_string(m.size) + "\t" + stamp + "\t" + m.path);
    }
}

} // namespace archivers
