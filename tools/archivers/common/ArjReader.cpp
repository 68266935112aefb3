#include "tools/archivers/common/ArjReader.h"

#include "tools/archivers/common/LittleEndian.h"
#include "tools/archivers/common/PathSafety.h"
#include "tools/archivers/common/RegularFile.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace archivers
{
namespace
{

constexpr size_t kBlockSize = 64 * 1024;
// How far into a file the main header is looked for (a self-extractor's program before it).
constexpr uint64_t kMainHeaderSearch = 256 * 1024;

uint32_t crcOf(const uint8_t *data, size_t size, uint32_t crc = 0)
{
    return uint32_t(::crc32(crc, data, uInt(size)));
}

// A basic header's bytes and CRC are sound and it is a main header.
bool isMainHeader(const uint8_t *at, size_t available)
{
    if (available < 4 || at[0] != arj::kHeaderId0 || at[1] != arj::kHeaderId1)
        return false;
    const size_t size = loadLE(at + 2, 2);
    if (size < arj::kFixedHeaderSize || size > arj::kMaxBasicHeader || available < 8 + size)
        return false;
    if (crcOf(at + 4, size) != loadLE(at + 4 + size, 4))
        return false;
    const std::optional<arj::Header> h = arj::parseBasicHeader({at + 4, size});
    return h && h->fileType == arj::kCommentHeader;
}

} // namespace

ArjReader::ArjReader(std::string path) : m_path(std::move(path)) {}

ArjReader::~ArjReader()
{
    close();
}

void ArjReader::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_decoder.reset();
    m_inMember = false;
}

bool ArjReader::readAt(uint64_t offset, void *buffer, size_t size) const
{
    auto *out = static_cast<uint8_t *>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(m_fd, out, size, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        offset += uint64_t(n);
        size -= size_t(n);
    }
    return true;
}

int ArjReader::fail(int code, std::string why)
{
    m_error = std::move(why);
    return code;
}

int ArjReader::open()
{
    close();
    m_error.clear();
    m_fd = openRegularFile(m_path);
    struct stat st = {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return fail(ARC_ERROR_ARCHIVE_OPEN, "cannot open the archive");
    m_fileSize = uint64_t(st.st_size);
    const std::optional<uint64_t> main = findMainHeader();
    if (!main)
        return fail(ARC_ERROR_ARCHIVE_OPEN, "not an ARJ archive (no main header)");
    arj::Header header;
    uint64_t firstMember = 0;
    if (const int rc = readHeader(*main, header, firstMember); rc != ARC_OK)
        return rc == ARC_NO_MORE_MEMBERS ? fail(ARC_ERROR_ARCHIVE_OPEN, "no main header") : rc;
    m_nextHeader = firstMember;
    return ARC_OK;
}

std::optional<uint64_t> ArjReader::findMainHeader()
{
    const size_t span =
        size_t(std::min<uint64_t>(m_fileSize, kMainHeaderSearch + 8 + arj::kMaxBasicHeader));
    std::vector<uint8_t> head(span);
    if (!readAt(0, head.data(), span))
        return std::nullopt;
    const size_t last = std::min<size_t>(span, kMainHeaderSearch);
    for (size_t at = 0; at < last; ++at) {
        if (head[at] == arj::kHeaderId0 && isMainHeader(head.data() + at, span - at))
            return at;
    }
    return std::nullopt;
}

int ArjReader::readHeader(uint64_t offset, arj::Header &header, uint64_t &dataOffset)
{
    std::array<uint8_t, 4 + arj::kMaxBasicHeader + 4> bytes{};
    if (!readAt(offset, bytes.data(), 4))
        return fail(ARC_ERROR_ARCHIVE_DAMAGED, "the archive ends without its end mark");
    if (bytes[0] != arj::kHeaderId0 || bytes[1] != arj::kHeaderId1)
        return fail(ARC_ERROR_ARCHIVE_DAMAGED, "no header where one should start");
    const size_t size = loadLE(bytes.data() + 2, 2);
    if (size == 0)
        return ARC_NO_MORE_MEMBERS;
    if (size < arj::kFixedHeaderSize || size > arj::kMaxBasicHeader)
        return fail(ARC_ERROR_ARCHIVE_DAMAGED, "a header of impossible size");
    if (!readAt(offset + 4, bytes.data() + 4, size + 4))
        return fail(ARC_ERROR_ARCHIVE_DAMAGED, "a header is cut short");
    if (crcOf(bytes.data() + 4, size) != loadLE(bytes.data() + 4 + size, 4))
        return fail(ARC_ERROR_ARCHIVE_DAMAGED, "header CRC wrong");
    const std::optional<arj::Header> parsed = arj::parseBasicHeader({bytes.data() + 4, size});
    if (!parsed)
        return fail(ARC_ERROR_ARCHIVE_DAMAGED, "a header's fields do not fit in it");
    header = *parsed;
    dataOffset = offset + 4 + size + 4;
    return skipExtendedHeaders(dataOffset);
}

int ArjReader::skipExtendedHeaders(uint64_t &offset)
{
    std::vector<uint8_t> bytes;
    for (;;) {
        uint8_t sizeBytes[2];
        if (!readAt(offset, sizeBytes, 2))
            return fail(ARC_ERROR_ARCHIVE_DAMAGED, "an extended header is cut short");
        const size_t size = loadLE(sizeBytes, 2);
        offset += 2;
        if (size == 0)
            return ARC_OK;
        bytes.resize(size + 4);
        if (!readAt(offset, bytes.data(), bytes.size()))
            return fail(ARC_ERROR_ARCHIVE_DAMAGED, "an extended header is cut short");
        if (crcOf(bytes.data(), size) != loadLE(bytes.data() + size, 4))
            return fail(ARC_ERROR_ARCHIVE_DAMAGED, "extended header CRC wrong");
        offset += size + 4;
    }
}

int ArjReader::next(Member &member)
{
    if (m_fd < 0)
        return ARC_ERROR_ARCHIVE_OPEN;
    m_inMember = false;
    m_decoder.reset();
    if (const int rc = readHeader(m_nextHeader, m_header, m_dataOffset); rc != ARC_OK)
        return rc;
    if (m_header.compressedSize > m_fileSize - std::min(m_fileSize, m_dataOffset))
        return fail(ARC_ERROR_ARCHIVE_DAMAGED, "member data cut short: " + m_header.name);
    m_nextHeader = m_dataOffset + m_header.compressedSize;
    m_inMember = true;
    m_produced = 0;
    m_crc = 0;
    m_dataDone = false;
    fillMember(member);
    return ARC_OK;
}

void ArjReader::fillMember(Member &member)
{
    member.rawPath = m_header.name;
    member.path = normalizeMemberPath(m_header.name);
    switch (m_header.fileType) {
    case arj::kBinary:
    case arj::kText:
        member.kind = MemberKind::File;
        break;
    case arj::kDirectory:
        member.kind = MemberKind::Directory;
        break;
    default:
        member.kind = MemberKind::Other; // labels and comments hold no file
        break;
    }
    member.linkTarget.clear();
    member.size = member.kind == MemberKind::File ? m_header.originalSize : 0;
    member.sizeKnown = true;
    member.mtime = std::time_t(arj::modificationTime(m_header));
    member.mode = member.kind == MemberKind::Directory ? 0755 : 0644;
    if (!m_entry)
        m_entry.reset(archive_entry_new());
    else
        archive_entry_clear(m_entry.get());
    archive_entry_set_pathname(m_entry.get(), member.path.c_str());
    archive_entry_set_filetype(m_entry.get(),
                               member.kind == MemberKind::Directory ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(m_entry.get(), member.mode);
    archive_entry_set_size(m_entry.get(), member.size);
    archive_entry_set_mtime(m_entry.get(), member.mtime, 0);
    member.entry = m_entry.get();
}

int ArjReader::startData()
{
    if ((m_header.flags & arj::kGarbled) != 0)
        return fail(ARC_ERROR_NOT_SUPPORTED, "encrypted member: " + m_header.name);
    if ((m_header.flags & (arj::kVolume | arj::kContinuedFromPrev)) != 0)
        return fail(ARC_ERROR_NOT_SUPPORTED,
                    "member continues in another volume: " + m_header.name);
    m_decoder = arj::makeDecoder(m_header.method,
                                 arj::ArjInput(m_fd, m_dataOffset, m_header.compressedSize),
                                 m_header.originalSize);
    if (!m_decoder)
        return fail(ARC_ERROR_NOT_SUPPORTED,
                    "unknown method " + std::to_string(m_header.method) + ": " + m_header.name);
    return ARC_OK;
}

int ArjReader::readBlock(const void *&data, size_t &size, int64_t &offset)
{
    data = nullptr;
    size = 0;
    offset = int64_t(m_produced);
    if (!m_inMember)
        return fail(ARC_ERROR_ARCHIVE_DAMAGED, "no member to read");
    if (m_dataDone || (m_header.fileType != arj::kBinary && m_header.fileType != arj::kText))
        return ARC_OK;
    if (!m_decoder) {
        if (const int rc = startData(); rc != ARC_OK)
            return rc;
    }
    const size_t room = size_t(std::min<uint64_t>(kBlockSize, m_header.originalSize - m_produced));
    if (room == 0) {
        if (m_crc != m_header.crc)
            return fail(ARC_ERROR_ARCHIVE_DAMAGED, "data CRC wrong: " + m_header.name);
        m_dataDone = true;
        return ARC_OK;
    }
    m_block.resize(kBlockSize);
    size_t produced = 0;
    if (!m_decoder->read(m_block.data(), room, produced) || produced == 0)
        return fail(ARC_ERROR_ARCHIVE_DAMAGED, "data cannot be decoded: " + m_header.name);
    m_crc = crcOf(m_block.data(), produced, m_crc);
    m_produced += produced;
    data = m_block.data();
    size = produced;
    return ARC_OK;
}

std::string ArjReader::methodName() const
{
    return arj::methodName(m_header.method);
}

} // namespace archivers
