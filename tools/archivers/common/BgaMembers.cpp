#include "tools/archivers/common/BgaMembers.h"

#include "tools/archivers/common/ArchiveReader.h"
#include "tools/archivers/common/PathSafety.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <archive_entry.h>
#include <ctime>

namespace archivers
{

BgaMembers::BgaMembers(std::string path) : m_path(std::move(path)) {}

BgaMembers::~BgaMembers()
{
    if (m_entry != nullptr)
        archive_entry_free(m_entry);
}

int BgaMembers::open()
{
    m_reader = std::make_unique<BgaReader>(m_path);
    return m_reader->open();
}

int BgaMembers::next(Member &member)
{
    if (!m_reader)
        return ARC_ERROR_ARCHIVE_OPEN;
    bga::Header h;
    if (const int rc = m_reader->next(h); rc != ARC_OK)
        return rc;
    const bool folder = h.attributes == bga::kAttributeFolder;
    if (m_entry == nullptr)
        m_entry = archive_entry_new();
    archive_entry_clear(m_entry);
    archive_entry_copy_pathname(m_entry, h.name.c_str());
    archive_entry_set_filetype(m_entry, folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(m_entry, folder ? 0755 : 0644);
    archive_entry_set_size(m_entry, h.size);
    archive_entry_set_mtime(m_entry, std::time_t(h.mtime), 0);
    member.entry = m_entry;
    member.rawPath = h.name;
    member.path = normalizeMemberPath(h.name);
    member.kind = folder ? MemberKind::Directory : MemberKind::File;
    member.linkTarget.clear();
    member.sizeKnown = true;
    member.size = h.size;
    member.mtime = std::time_t(h.mtime);
    member.mode = folder ? 0755 : 0644;
    m_method = h.method;
    return ARC_OK;
}

int BgaMembers::readBlock(const void *&data, size_t &size, int64_t &offset)
{
    if (!m_reader)
        return ARC_ERROR_ARCHIVE_OPEN;
    return m_reader->readBlock(data, size, offset);
}

std::string BgaMembers::methodName() const
{
    return m_method == bga::Method::Bzip2 ? "bzip2" : "deflate";
}

std::string BgaMembers::errorText() const
{
    return m_reader ? m_reader->errorText() : std::string("cannot open the archive");
}

} // namespace archivers
