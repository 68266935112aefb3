#include "tools/archivers/common/BgaReader.h"

#include "tools/archivers/common/RegularFile.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace archivers
{
namespace
{
constexpr size_t kBlockSize = 64 * 1024;
}

BgaReader::BgaReader(std::string path)
    : m_path(std::move(path)), m_in(kBlockSize), m_out(kBlockSize)
{
}

BgaReader::~BgaReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int BgaReader::damaged(const char *why)
{
    m_error = why;
    m_codec.reset();
    m_failed = true;
    return ARC_ERROR_ARCHIVE_DAMAGED;
}

bool BgaReader::readAt(uint64_t at, void *buffer, size_t size)
{
    char *p = static_cast<char *>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(m_fd, p, size, off_t(at));
        if (n <= 0)
            return false;
        p += n;
        at += uint64_t(n);
        size -= size_t(n);
    }
    return true;
}

int BgaReader::readHeaderAt(uint64_t at, bga::Header &header, uint64_t &headerSize)
{
    std::string bytes(bga::kFixedSize, '\0');
    if (m_fileSize - at < bytes.size() || !readAt(at, bytes.data(), bytes.size()))
        return damaged("truncated member header");
    const std::optional<size_t> size = bga::headerSize(bytes);
    if (!size)
        return damaged("no member header mark");
    bytes.resize(*size);
    if (m_fileSize - at < *size ||
        !readAt(at + bga::kFixedSize, bytes.data() + bga::kFixedSize, *size - bga::kFixedSize))
        return damaged("truncated member header");
    std::optional<bga::Header> decoded = bga::decode(bytes);
    if (!decoded)
        return damaged("member header checksum or fields do not match");
    if (m_fileSize - at - *size < decoded->packedSize)
        return damaged("member data runs past the end of the archive");
    header = std::move(*decoded);
    headerSize = *size;
    return ARC_OK;
}

int BgaReader::open()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = openRegularFile(m_path);
    struct stat st = {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || st.st_size <= 0) {
        m_error = "cannot open the archive";
        return ARC_ERROR_ARCHIVE_OPEN;
    }
    m_fileSize = uint64_t(st.st_size);
    m_nextHeader = 0;
    m_codec.reset();
    m_complete = true;
    bga::Header first;
    uint64_t size = 0;
    if (readHeaderAt(0, first, size) != ARC_OK)
        return ARC_ERROR_ARCHIVE_OPEN;
    return ARC_OK;
}

int BgaReader::next(bga::Header &header)
{
    if (m_fd < 0)
        return ARC_ERROR_ARCHIVE_OPEN;
    if (m_nextHeader == m_fileSize)
        return ARC_NO_MORE_MEMBERS;
    uint64_t headerSize = 0;
    if (const int rc = readHeaderAt(m_nextHeader, m_current, headerSize); rc != ARC_OK) {
        m_nextHeader = m_fileSize;
        return rc;
    }
    m_dataPos = m_nextHeader + headerSize;
    m_dataEnd = m_dataPos + m_current.packedSize;
    m_nextHeader = m_dataEnd;
    m_inAt = m_inSize = 0;
    m_produced = 0;
    m_crc = uint32_t(crc32(0, nullptr, 0));
    m_failed = false;
    m_complete = m_current.attributes == bga::kAttributeFolder;
    m_codec = m_complete ? nullptr : bga::makeDecompressor(m_current.method);
    header = m_current;
    return ARC_OK;
}

int BgaReader::finishMember()
{
    if (m_inAt != m_inSize || m_dataPos != m_dataEnd)
        return damaged("data after the end of the compressed stream");
    if (m_produced != m_current.size || m_crc != m_current.crc)
        return damaged("member data does not match its header (size or CRC-32)");
    m_codec.reset();
    m_complete = true;
    return ARC_OK;
}

int BgaReader::readBlock(const void *&data, size_t &size, int64_t &offset)
{
    data = nullptr;
    size = 0;
    offset = int64_t(m_produced);
    if (m_failed)
        return ARC_ERROR_ARCHIVE_DAMAGED;
    if (m_complete)
        return ARC_OK;
    for (;;) {
        if (m_inAt == m_inSize && m_dataPos < m_dataEnd) {
            const size_t want = size_t(std::min<uint64_t>(m_in.size(), m_dataEnd - m_dataPos));
            if (!readAt(m_dataPos, m_in.data(), want))
                return damaged("cannot read member data");
            m_dataPos += want;
            m_inAt = 0;
            m_inSize = want;
        }
        bga::Buffers b{m_in.data() + m_inAt, m_inSize - m_inAt, m_out.data(), m_out.size(), 0, 0};
        const bga::Step step = m_codec->step(b, false);
        m_inAt += b.consumed;
        m_produced += b.produced;
        if (step == bga::Step::Error)
            return damaged("compressed data is damaged");
        if (m_produced > m_current.size)
            return damaged("member data longer than its header says");
        m_crc =
            uint32_t(crc32(m_crc, reinterpret_cast<const Bytef *>(m_out.data()), uInt(b.produced)));
        if (step == bga::Step::End) {
            if (const int rc = finishMember(); rc != ARC_OK)
                return rc;
        } else if (b.produced == 0 && b.consumed == 0 && m_dataPos == m_dataEnd) {
            return damaged("compressed data ends too early");
        }
        if (b.produced > 0 || m_complete) {
            data = m_out.data();
            size = b.produced;
            return ARC_OK;
        }
    }
}

} // namespace archivers
