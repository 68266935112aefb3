#include "tools/archivers/common/LzhWriter.h"

#include "tools/archivers/common/Lh5Encoder.h"
#include "tools/archivers/common/Log.h"
#include "tools/archivers/common/LzhCrc16.h"
#include "tools/archivers/common/LzhHeader.h"
#include "tools/archivers/common/Mask.h"
#include "tools/archivers/common/PackSources.h"
#include "tools/archivers/common/RegularFile.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

namespace archivers
{
namespace
{

// An old archive is read whole; beyond the bound of member data it could hold no more.
constexpr size_t kMaxOldArchive = ARC_MAX_TOTAL_BYTES + 1024 * 1024;

int dictionaryBits(Compression c)
{
    switch (c) {
    case Compression::Lh6:
        return 15;
    case Compression::Lh7:
        return 16;
    default:
        return 13;
    }
}

const char *methodName(Compression c)
{
    switch (c) {
    case Compression::Lh6:
        return "-lh6-";
    case Compression::Lh7:
        return "-lh7-";
    default:
        return "-lh5-";
    }
}

class LzhRewrite final
{
public:
    LzhRewrite(const PackJob &job, std::string &log) : m_job(job), m_log(log), m_collector(job) {}

    int run()
    {
        if (m_job.kind != PackJob::Kind::Delete) {
            m_collector.collect();
            leaveOutExcluded();
        }
        struct stat st = {};
        bool exists = false;
        if (const int rc = checkPackStart(m_job, m_collector, m_log, st, exists); rc != ARC_OK)
            return rc;
        std::string old;
        std::vector<LzhStoredMember> members;
        if (exists) {
            if (const int rc = readOld(st, old, members); rc != ARC_OK)
                return rc;
        }
        int rc = ARC_OK;
        for (const LzhStoredMember &m : members) {
            if ((rc = keepOrReplace(old, m)) != ARC_OK)
                return rc;
        }
        if (m_job.kind == PackJob::Kind::Add) {
            for (const std::string &name : m_collector.order()) {
                const auto it = m_collector.sources().find(name);
                if (it != m_collector.sources().end() && (rc = writeSource(it->second)) != ARC_OK)
                    return rc;
            }
        }
        return finish(exists ? st.st_mode & 07777 : 0);
    }

private:
    void leaveOutExcluded()
    {
        auto &sources = m_collector.sources();
        for (auto it = sources.begin(); it != sources.end();) {
            const bool excluded = std::any_of(
                m_job.excludes.begin(), m_job.excludes.end(), [&](const std::string &mask) {
                    return memberMatches(mask, it->first, m_job.brackets);
                });
            it = excluded ? sources.erase(it) : std::next(it);
        }
    }

    int readOld(const struct stat &st, std::string &old, std::vector<LzhStoredMember> &members)
    {
        if (S_ISREG(st.st_mode) && size_t(st.st_size) > kMaxOldArchive)
            return tooMuch();
        std::optional<std::string> content = readRegularFile(m_job.archive, kMaxOldArchive);
        if (!content) {
            appendLine(m_log, "error: cannot read " + m_job.archive);
            return ARC_ERROR_ARCHIVE_OPEN;
        }
        old = std::move(*content);
        std::string why;
        if (!scanLzhMembers(old, members, why)) {
            // Never replaced by an archive of what could be read: that would lose the rest.
            appendLine(m_log, "error: " + m_job.archive + ": " + why);
            return members.empty() ? ARC_ERROR_ARCHIVE_OPEN : ARC_ERROR_ARCHIVE_DAMAGED;
        }
        return ARC_OK;
    }

    int keepOrReplace(const std::string &old, const LzhStoredMember &m)
    {
        if (m_job.kind == PackJob::Kind::Delete) {
            if (MemberFilter{m_job.files, {}, m_job.brackets}.selects(m.path)) {
                appendLine(m_log, "deleted: " + m.path);
                return ARC_OK;
            }
        } else if (const Source *replacement =
                       m_collector.replacementFor(m.path, m.rawPath, m.mtime)) {
            const int rc = writeSource(*replacement);
            m_collector.sources().erase(m.path);
            return rc;
        } else if (m_job.kind == PackJob::Kind::Add) {
            m_collector.sources().erase(m.path); // not older than the file: kept
        }
        if (!count(m.originalSize))
            return tooMuch();
        m_out.append(old, m.offset, m.length);
        ++m_members;
        return ARC_OK;
    }

    int writeSource(const Source &s)
    {
        if (S_ISLNK(s.st.st_mode)) {
            appendLine(m_log, "skipped: " + s.memberName + " (a link, not a file)");
            return ARC_OK;
        }
        LzhEntry entry;
        entry.path = s.memberName;
        entry.mtime = s.st.st_mtime;
        entry.mode = std::uint16_t(s.st.st_mode & 0xFFFF);
        if (S_ISDIR(s.st.st_mode)) {
            entry.method = "-lhd-";
            m_out += lzhHeader(entry);
            ++m_members;
            return ARC_OK;
        }
        std::string data;
        if (const int rc = readSource(s, data); rc != ARC_OK)
            return rc;
        const std::span<const std::uint8_t> bytes(
            reinterpret_cast<const std::uint8_t *>(data.data()), data.size());
        entry.originalSize = std::uint32_t(data.size());
        entry.crc = lzhCrc16(bytes.data(), bytes.size());
        std::vector<std::uint8_t> packed;
        if (m_job.compression != Compression::None && !data.empty())
            packed = lhEncode(bytes, dictionaryBits(m_job.compression));
        if (m_job.compression != Compression::None &&
            lhPackedIsUsable(packed.size(), data.size())) {
            entry.method = methodName(m_job.compression);
            entry.packedSize = std::uint32_t(packed.size());
            m_out += lzhHeader(entry);
            m_out.append(reinterpret_cast<const char *>(packed.data()), packed.size());
        } else {
            entry.method = "-lh0-";
            entry.packedSize = entry.originalSize;
            m_out += lzhHeader(entry);
            m_out += data;
        }
        ++m_members;
        appendLine(m_log, "added: " + s.memberName + " " + entry.method);
        return ARC_OK;
    }

    int readSource(const Source &s, std::string &data)
    {
        // A file replaced by a FIFO or a link meanwhile never holds the command up.
        const int fd = openRegularFile(s.diskPath, LastLink::Refuse);
        if (fd < 0) {
            appendLine(m_log, "error: cannot read " + s.diskPath);
            return ARC_ERROR_SOURCE;
        }
        int rc = ARC_OK;
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0) {
                appendLine(m_log, "error: cannot read " + s.diskPath);
                rc = ARC_ERROR_SOURCE;
            }
            if (n <= 0)
                break;
            if (!count(size_t(n))) {
                rc = tooMuch();
                break;
            }
            data.append(buffer, size_t(n));
        }
        ::close(fd);
        return rc;
    }

    int finish(mode_t oldMode)
    {
        if (m_members == 0) {
            // Nothing left to hold: the archive goes, as an empty one is no archive.
            if (::unlink(m_job.archive.c_str()) != 0 && errno != ENOENT)
                return writeError();
            appendLine(m_log, "removed: " + m_job.archive + " (no member left)");
            return ARC_OK;
        }
        m_out.push_back('\0'); // the end mark
        PendingArchive pending(m_job.archive);
        const int fd = ::open(pending.path().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW,
                              oldMode != 0 ? oldMode : 0666);
        if (fd < 0)
            return writeError();
        bool ok = oldMode == 0 || ::fchmod(fd, oldMode) == 0;
        for (size_t done = 0; ok && done < m_out.size();) {
            const ssize_t n = ::write(fd, m_out.data() + done, m_out.size() - done);
            ok = n > 0;
            done += ok ? size_t(n) : 0;
        }
        ok = ::close(fd) == 0 && ok;
        if (!ok || !pending.commit())
            return writeError();
        return ARC_OK;
    }

    bool count(std::uint64_t size) { return m_total.add(size); }
    int tooMuch() { return PackedTotal::refuse(m_log); }

    int writeError()
    {
        appendLine(m_log, "error: cannot write " + m_job.archive);
        return ARC_ERROR_WRITE;
    }

    const PackJob &m_job;
    std::string &m_log;
    SourceCollector m_collector;
    std::string m_out;
    size_t m_members = 0;
    PackedTotal m_total; // member data copied and added
};

} // namespace

int packLzh(const PackJob &job, std::string &log)
{
    return LzhRewrite(job, log).run();
}

} // namespace archivers
