#include "tools/archivers/common/BgaWriter.h"

#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

namespace archivers
{
namespace
{
constexpr size_t kBlockSize = 64 * 1024;
}

BgaWriter::BgaWriter(bga::Method method, int level) : m_method(method), m_level(level) {}

BgaWriter::~BgaWriter()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool BgaWriter::fail(const std::string &why)
{
    m_error = why;
    return false;
}

bool BgaWriter::open(const std::string &path)
{
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return fail(std::strerror(errno));
    return true;
}

std::string BgaWriter::refusal(archive_entry *entry) const
{
    const auto type = archive_entry_filetype(entry);
    return type == AE_IFREG || type == AE_IFDIR ? std::string()
                                                : "GZA and BZA hold files and folders only";
}

bool BgaWriter::header(archive_entry *entry)
{
    const char *path = archive_entry_pathname(entry);
    return begin(path != nullptr ? path : "", uint32_t(archive_entry_mtime(entry)),
                 archive_entry_filetype(entry) == AE_IFDIR);
}

bool BgaWriter::writeOut(const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, data, size, off_t(m_pos));
        if (n <= 0)
            return fail(std::strerror(errno));
        data += n;
        size -= size_t(n);
        m_pos += uint64_t(n);
    }
    return true;
}

bool BgaWriter::begin(const std::string &name, uint32_t mtime, bool folder)
{
    if (m_open && !finishMember())
        return false;
    if (name.empty() || name.size() > bga::kMaxNameSize || name.find('\0') != std::string::npos)
        return fail("a member name must have 1 to 1024 bytes: " + name);
    m_header = bga::Header{};
    m_header.method = m_method;
    m_header.mtime = mtime;
    m_header.attributes = folder ? bga::kAttributeFolder : bga::kAttributeFile;
    m_header.name = name;
    m_header.crc = uint32_t(crc32(0, nullptr, 0));
    m_headerAt = m_pos;
    m_size = m_packed = 0;
    m_codec = folder ? nullptr : bga::makeCompressor(m_method, m_level);
    m_open = true;
    const std::string placeholder = bga::encode(m_header);
    return writeOut(placeholder.data(), placeholder.size());
}

bool BgaWriter::compress(const char *data, size_t size, bool finish)
{
    // Without `finish`, output the codecs hold back comes out with a later call.
    char out[kBlockSize];
    while (finish || size > 0) {
        bga::Buffers b{data, size, out, sizeof out, 0, 0};
        const bga::Step step = m_codec->step(b, finish);
        if (step == bga::Step::Error)
            return fail("compression failed");
        data += b.consumed;
        size -= b.consumed;
        m_packed += b.produced;
        if (!writeOut(out, b.produced))
            return false;
        if (step == bga::Step::End)
            return true;
    }
    return true;
}

bool BgaWriter::write(const void *data, size_t size)
{
    if (!m_open || !m_codec)
        return size == 0 || fail("no file member to write to");
    m_size += size;
    if (m_size > UINT32_MAX)
        return fail("a member of 4 GiB or more");
    m_header.crc = uint32_t(crc32(m_header.crc, static_cast<const Bytef *>(data), uInt(size)));
    return compress(static_cast<const char *>(data), size, false);
}

bool BgaWriter::finishMember()
{
    m_open = false;
    if (m_codec && !compress(nullptr, 0, true))
        return false;
    m_codec.reset();
    if (m_packed > UINT32_MAX)
        return fail("a member of 4 GiB or more");
    m_header.size = uint32_t(m_size);
    m_header.packedSize = uint32_t(m_packed);
    const std::string header = bga::encode(m_header);
    const uint64_t end = m_pos;
    m_pos = m_headerAt;
    const bool written = writeOut(header.data(), header.size());
    m_pos = end;
    return written;
}

bool BgaWriter::close()
{
    if (m_open && !finishMember())
        return false;
    const int fd = m_fd;
    m_fd = -1;
    if (::fsync(fd) != 0 || ::close(fd) != 0)
        return fail(std::strerror(errno));
    return true;
}

} // namespace archivers
