#include "tools/archivers/common/ArchiveReader.h"

#include "tools/archivers/common/FormatReader.h"
#include "tools/archivers/common/PathSafety.h"
#include "tools/archivers/common/RegularFile.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <archive.h>
#include <archive_entry.h>
#include <cstring>
#include <unistd.h>

namespace archivers
{
namespace
{

constexpr size_t kBlockSize = 64 * 1024;

void enableFormat(archive *a, Format format)
{
    switch (format) {
    case Format::Lha:
        archive_read_support_format_lha(a);
        break;
    case Format::Zip:
        archive_read_support_format_zip(a);
        break;
    case Format::Tar:
        archive_read_support_format_tar(a);
        archive_read_support_format_gnutar(a);
        // A compressed single file (".gz", ".Z", ".bz2" without tar inside) reads as raw.
        archive_read_support_format_raw(a);
        archive_read_support_filter_gzip(a);
        archive_read_support_filter_bzip2(a);
        archive_read_support_filter_compress(a);
        break;
    case Format::Cab:
        archive_read_support_format_cab(a);
        break;
    case Format::Rar:
        archive_read_support_format_rar(a);
        archive_read_support_format_rar5(a);
        break;
    case Format::Arj:
    case Format::Bga:
        break; // read by a FormatReader of its own
    }
}

MemberKind kindOf(archive_entry *e)
{
    if (archive_entry_hardlink(e) != nullptr)
        return MemberKind::Hardlink;
    switch (archive_entry_filetype(e)) {
    case AE_IFREG:
        return MemberKind::File;
    case AE_IFDIR:
        return MemberKind::Directory;
    case AE_IFLNK:
        return MemberKind::Symlink;
    default:
        return MemberKind::Other;
    }
}

std::string entryPath(archive_entry *e)
{
    if (const char *p = archive_entry_pathname(e))
        return p;
    if (const char *u = archive_entry_pathname_utf8(e))
        return u;
    return {};
}

// The name of a compressed single file: the archive's own name without its compression
// suffix ("song.snr.gz" holds "song.snr").
std::string rawMemberName(const std::string &archivePath)
{
    std::string name = archivePath.substr(archivePath.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name.empty() ? std::string("data") : name;
}

} // namespace

// Archives made on Japanese Windows store names in code page 932 (Shift-JIS) without saying
// so; formats that flag UTF-8 names keep them.
ArchiveReader::ArchiveReader(Format format, std::string path)
    : m_format(format), m_path(std::move(path)), m_legacyNames(format != Format::Tar),
      m_own(ownReaderFor(format, m_path))
{
}

bool ArchiveReader::nameNotConvertible() const
{
    const char *s = archive_error_string(m_reader);
    return s != nullptr && std::strstr(s, "cannot be converted") != nullptr;
}

int ArchiveReader::reopenWithoutLegacyNames()
{
    const long long skip = m_headersRead;
    m_legacyNames = false;
    if (const int rc = open(); rc != ARC_OK)
        return rc;
    archive_entry *e = nullptr;
    for (long long i = 0; i < skip; ++i) {
        if (archive_read_next_header(m_reader, &e) < ARCHIVE_WARN)
            return ARC_ERROR_ARCHIVE_DAMAGED;
    }
    m_headersRead = skip;
    m_first = skip == 0;
    return ARC_OK;
}

ArchiveReader::~ArchiveReader()
{
    release();
}

void ArchiveReader::release()
{
    if (m_reader != nullptr)
        archive_read_free(m_reader);
    m_reader = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int ArchiveReader::open()
{
    if (m_own)
        return m_own->open();
    release();
    m_first = true;
    m_dataLeft = false;
    m_headersRead = 0;
    m_reader = archive_read_new();
    if (m_reader == nullptr)
        return ARC_ERROR_ARCHIVE_OPEN;
    enableFormat(m_reader, m_format);
    if (m_legacyNames)
        archive_read_set_options(m_reader, "hdrcharset=CP932");
    // Regular files only: a FIFO named like an archive would block the caller for good.
    m_fd = openRegularFile(m_path);
    if (m_fd < 0 || archive_read_open_fd(m_reader, m_fd, kBlockSize) != ARCHIVE_OK)
        return ARC_ERROR_ARCHIVE_OPEN;
    if (m_format == Format::Tar && !m_probed) {
        // The raw reader takes any file; only a compressed one is an archive. Look at the
        // first header once, then start again from the beginning.
        m_probed = true;
        Member first;
        const int rc = next(first);
        const int reopened = open();
        m_probed = false;
        return rc == ARC_ERROR_ARCHIVE_OPEN ? rc : reopened;
    }
    return ARC_OK;
}

bool ArchiveReader::decompresses() const
{
    return m_reader != nullptr && archive_filter_code(m_reader, 0) != ARCHIVE_FILTER_NONE;
}

// How far a compressed stream has been decompressed, against the bound.
int ArchiveReader::withinBound() const
{
    return decompresses() && archive_filter_bytes(m_reader, 0) > la_int64_t(ARC_MAX_TOTAL_BYTES)
               ? ARC_ERROR_TOTAL_TOO_LARGE
               : ARC_OK;
}

// libarchive would skip a compressed member by decompressing it whole: read it through here,
// a block at a time, so that the bound holds.
int ArchiveReader::skipData()
{
    const void *data = nullptr;
    size_t size = 0;
    int64_t offset = 0;
    do {
        if (const int rc = readBlock(data, size, offset); rc != ARC_OK)
            return rc;
    } while (size > 0);
    return ARC_OK;
}

int ArchiveReader::next(Member &member)
{
    if (m_own)
        return m_own->next(member);
    if (m_reader == nullptr)
        return ARC_ERROR_ARCHIVE_OPEN;
    if (m_dataLeft && decompresses()) {
        if (const int rc = skipData(); rc != ARC_OK)
            return rc;
    }
    archive_entry *e = nullptr;
    int rc = archive_read_next_header(m_reader, &e);
    if (rc < ARCHIVE_WARN && m_legacyNames && nameNotConvertible()) {
        // Not a Japanese Windows name after all: read the names as the format says.
        if (const int reopened = reopenWithoutLegacyNames(); reopened != ARC_OK)
            return reopened;
        rc = archive_read_next_header(m_reader, &e);
    }
    const bool wasFirst = m_first;
    m_first = false;
    if (const int bound = withinBound(); bound != ARC_OK)
        return bound;
    if (rc == ARCHIVE_EOF)
        return ARC_NO_MORE_MEMBERS;
    if (rc < ARCHIVE_WARN || e == nullptr)
        return wasFirst ? ARC_ERROR_ARCHIVE_OPEN : ARC_ERROR_ARCHIVE_DAMAGED;
    ++m_headersRead;
    m_dataLeft = true;
    if (archive_format(m_reader) == ARCHIVE_FORMAT_RAW) {
        // Raw data is an archive only when a compression filter found it.
        if (archive_filter_code(m_reader, 0) == ARCHIVE_FILTER_NONE)
            return ARC_ERROR_ARCHIVE_OPEN;
        archive_entry_set_pathname(e, rawMemberName(m_path).c_str());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
    }
    member.entry = e;
    member.rawPath = entryPath(e);
    member.path = normalizeMemberPath(member.rawPath);
    member.kind = kindOf(e);
    member.linkTarget.clear();
    if (member.kind == MemberKind::Hardlink)
        member.linkTarget = archive_entry_hardlink(e);
    else if (member.kind == MemberKind::Symlink && archive_entry_symlink(e) != nullptr)
        member.linkTarget = archive_entry_symlink(e);
    member.sizeKnown = archive_entry_size_is_set(e) != 0;
    member.size = member.sizeKnown ? archive_entry_size(e) : 0;
    member.mtime = archive_entry_mtime_is_set(e) ? archive_entry_mtime(e) : 0;
    member.mode = archive_entry_perm(e);
    return ARC_OK;
}

int ArchiveReader::readBlock(const void *&data, size_t &size, int64_t &offset)
{
    if (m_own)
        return m_own->readBlock(data, size, offset);
    la_int64_t off = 0;
    const int rc = archive_read_data_block(m_reader, &data, &size, &off);
    offset = off;
    if (const int bound = withinBound(); bound != ARC_OK)
        return bound;
    if (rc == ARCHIVE_EOF) {
        size = 0;
        m_dataLeft = false;
        return ARC_OK;
    }
    // Checksum mismatches come back as warnings: damaged data all the same.
    if (rc != ARCHIVE_OK)
        return ARC_ERROR_ARCHIVE_DAMAGED;
    return ARC_OK;
}

std::string ArchiveReader::methodName() const
{
    if (m_own)
        return m_own->methodName();
    const char *name = m_reader != nullptr ? archive_format_name(m_reader) : nullptr;
    const std::string text = name != nullptr ? name : "";
    if (m_format == Format::Lha) {
        const size_t at = text.find("-lh");
        if (at != std::string::npos && at + 5 <= text.size())
            return text.substr(at, 5);
        return "-lh?-";
    }
    if (m_format == Format::Zip)
        return text.find("deflat") != std::string::npos ? "deflate" : "store";
    switch (m_format) {
    case Format::Tar:
        return "tar";
    case Format::Cab:
        return "cab";
    case Format::Rar:
        return "rar";
    default:
        return "";
    }
}

std::string ArchiveReader::errorText() const
{
    if (m_own)
        return m_own->errorText();
    const char *s = m_reader != nullptr ? archive_error_string(m_reader) : nullptr;
    return s != nullptr ? s : "unknown error";
}

} // namespace archivers
