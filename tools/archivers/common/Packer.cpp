#include "tools/archivers/common/Packer.h"

#include "tools/archivers/common/ArchiveReader.h"
#include "tools/archivers/common/BgaWriter.h"
#include "tools/archivers/common/CabWriter.h"
#include "tools/archivers/common/LibarchiveSink.h"
#include "tools/archivers/common/Log.h"
#include "tools/archivers/common/LzhWriter.h"
#include "tools/archivers/common/PackSources.h"
#include "tools/archivers/common/PathSafety.h"
#include "tools/archivers/common/RegularFile.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace archivers
{
namespace
{

struct EntryDeleter {
    void operator()(archive_entry *e) const { archive_entry_free(e); }
};

class ArchiveRewrite final
{
public:
    ArchiveRewrite(const PackJob &job, std::string &log) : m_job(job), m_log(log) {}
    // The new archive is never left half-written, also when an exception passes.
    ~ArchiveRewrite() { m_writer.reset(); }
    ArchiveRewrite(const ArchiveRewrite &) = delete;
    ArchiveRewrite &operator=(const ArchiveRewrite &) = delete;

    int run()
    {
        SourceCollector collector(m_job);
        if (m_job.kind != PackJob::Kind::Delete)
            collector.collect();
        struct stat st = {};
        bool exists = false;
        if (const int rc = checkPackStart(m_job, collector, m_log, st, exists); rc != ARC_OK)
            return rc;
        m_temp.emplace(m_job.archive);
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
        if (rc == ARC_OK && !m_temp->commit())
            rc = ARC_ERROR_WRITE;
        return rc;
    }

private:
    int openWriter()
    {
        if (m_job.container == Container::Cab)
            m_writer = std::make_unique<CabWriter>(m_job.level);
        else if (m_job.container == Container::Bga)
            m_writer =
                std::make_unique<BgaWriter>(bga::methodForArchive(m_job.archive), m_job.level);
        else
            m_writer =
                std::make_unique<LibarchiveSink>(m_job.container, m_job.compression, m_job.level);
        if (!m_writer->open(m_temp->path())) {
            appendLine(m_log, "error: cannot create " + m_temp->path() + ": " + m_writer->error());
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

    Format readFormat() const
    {
        switch (m_job.container) {
        case Container::Zip:
            return Format::Zip;
        case Container::Tar:
            return Format::Tar;
        case Container::Cab:
            return Format::Cab;
        case Container::Bga:
            return Format::Bga;
        case Container::Lzh:
            return Format::Lha;
        }
        return Format::Zip;
    }

    int copyOld(SourceCollector &collector)
    {
        ArchiveReader reader(readFormat(), m_job.archive);
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
        const Source *s = collector.replacementFor(m.path, m.rawPath, m.mtime);
        // A file the format cannot hold never drops the member it would replace.
        if (s != nullptr && !takes(entryOf(*s).get(), s->memberName))
            return nullptr;
        return s;
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

    bool count(std::uint64_t size) { return m_total.add(size); }
    int tooMuch() { return PackedTotal::refuse(m_log); }

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
    std::optional<PendingArchive> m_temp; // declared before the writer: closed first
    std::unique_ptr<MemberSink> m_writer;
    PackedTotal m_total; // member data copied and added
};

} // namespace

bool PackedTotal::add(std::uint64_t size)
{
    m_total += size;
    return m_total <= ARC_MAX_TOTAL_BYTES;
}

int PackedTotal::refuse(std::string &log)
{
    appendLine(log, "error: more than " + std::to_string(ARC_MAX_TOTAL_BYTES) +
                        " bytes of member data in one command");
    return ARC_ERROR_TOTAL_TOO_LARGE;
}

int pack(const PackJob &job, std::string &log)
{
    if (job.container == Container::Lzh)
        return packLzh(job, log);
    return ArchiveRewrite(job, log).run();
}

} // namespace archivers
