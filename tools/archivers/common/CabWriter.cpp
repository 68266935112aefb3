#include "tools/archivers/common/CabWriter.h"

#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/LittleEndian.h"

#include <algorithm>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace archivers
{
namespace
{

constexpr size_t kBlockSize = 32 * 1024;
constexpr size_t kHeaderSize = 36;
constexpr size_t kFolderSize = 8;
constexpr size_t kFileSize = 16;
constexpr size_t kMaxName = 255;
constexpr size_t kMaxFiles = 0xFFFF;
constexpr uint64_t kMaxFolder = 0x7FFF8000; // the format's bound on one folder's data
constexpr uint16_t kMsZip = 1;
constexpr uint16_t kReadOnly = 0x01;
constexpr uint16_t kArchived = 0x20;
constexpr uint16_t kNameIsUtf8 = 0x80;

// Backslashes separate folders in a cabinet; a member path here has '/'.
std::string cabinetName(std::string name)
{
    for (char &c : name) {
        if (c == '/')
            c = '\\';
    }
    return name;
}

bool isAscii(const std::string &s)
{
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Local time in the DOS form; times outside 1980..2107 are held at its ends.
void dosDateTime(time_t when, uint16_t &date, uint16_t &time)
{
    struct tm t = {};
    if (::localtime_r(&when, &t) == nullptr || t.tm_year < 80) {
        date = (1 << 5) | 1;
        time = 0;
        return;
    }
    if (t.tm_year > 207) {
        date = uint16_t((127 << 9) | (12 << 5) | 31);
        time = uint16_t((23 << 11) | (59 << 5) | 29);
        return;
    }
    date = uint16_t(((t.tm_year - 80) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
    time = uint16_t((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2));
}

} // namespace

uint32_t cabChecksum(const unsigned char *bytes, size_t size, uint32_t seed)
{
    uint32_t sum = seed;
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        sum ^= uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 | uint32_t(bytes[i + 2]) << 16 |
               uint32_t(bytes[i + 3]) << 24;
    }
    uint32_t tail = 0;
    switch (size - i) {
    case 3:
        tail |= uint32_t(bytes[i++]) << 16;
        [[fallthrough]];
    case 2:
        tail |= uint32_t(bytes[i++]) << 8;
        [[fallthrough]];
    case 1:
        tail |= uint32_t(bytes[i]);
        break;
    default:
        break;
    }
    return sum ^ tail;
}

CabWriter::CabWriter(int level)
{
    const int zlevel = level >= 0 && level <= 9 ? level : Z_DEFAULT_COMPRESSION;
    m_deflateReady =
        deflateInit2(&m_deflate, zlevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

CabWriter::~CabWriter()
{
    if (m_deflateReady)
        deflateEnd(&m_deflate);
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CabWriter::fail(std::string why)
{
    m_error = std::move(why);
    return false;
}

bool CabWriter::open(const std::string &path)
{
    if (!m_deflateReady)
        return fail("no compressor");
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return m_fd >= 0 || fail(std::strerror(errno));
}

std::string CabWriter::refusal(archive_entry *entry) const
{
    if (archive_entry_filetype(entry) == AE_IFDIR)
        return "a folder; a cabinet holds the files in it";
    if (archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry) != nullptr)
        return "not a regular file; a cabinet holds files only";
    const char *path = archive_entry_pathname(entry);
    const std::string name = path != nullptr ? path : "";
    if (name.empty() || name.size() > kMaxName)
        return "a cabinet holds names of 1 to 255 bytes";
    if (toSlashes(name) != name)
        return "a backslash in a cabinet name separates folders";
    return {};
}

bool CabWriter::header(archive_entry *entry)
{
    if (m_files.size() >= kMaxFiles)
        return fail("a cabinet holds at most 65535 files");
    File f;
    const char *path = archive_entry_pathname(entry);
    f.name = cabinetName(path != nullptr ? path : "");
    f.folderOffset = uint32_t(m_folderSize);
    dosDateTime(archive_entry_mtime(entry), f.date, f.time);
    f.attributes = kArchived;
    if ((archive_entry_perm(entry) & 0200) == 0)
        f.attributes |= kReadOnly;
    if (!isAscii(f.name) && isValidUtf8(f.name))
        f.attributes |= kNameIsUtf8;
    m_files.push_back(std::move(f));
    return true;
}

bool CabWriter::data(const void *bytes, size_t size)
{
    if (m_files.empty())
        return fail("data before a header");
    if (m_folderSize + size > kMaxFolder)
        return fail("a cabinet folder holds less than 2 GiB");
    m_folderSize += size;
    m_files.back().size += uint32_t(size);
    const char *p = static_cast<const char *>(bytes);
    while (size > 0) {
        const size_t n = std::min(size, kBlockSize - m_block.size());
        m_block.append(p, n);
        p += n;
        size -= n;
        if (m_block.size() == kBlockSize && !compressBlock())
            return false;
    }
    return true;
}

// One CFDATA record: checksum, sizes, then "CK" and the block as a raw deflate stream of its
// own (no history from the blocks before, which every reader accepts).
bool CabWriter::compressBlock()
{
    if (m_blockCount == 0xFFFF)
        return fail("a cabinet folder holds at most 65535 blocks");
    std::string out(2 + deflateBound(&m_deflate, uLong(m_block.size())), '\0');
    out[0] = 'C';
    out[1] = 'K';
    deflateReset(&m_deflate);
    m_deflate.next_in = reinterpret_cast<Bytef *>(m_block.data());
    m_deflate.avail_in = uInt(m_block.size());
    m_deflate.next_out = reinterpret_cast<Bytef *>(out.data() + 2);
    m_deflate.avail_out = uInt(out.size() - 2);
    if (deflate(&m_deflate, Z_FINISH) != Z_STREAM_END)
        return fail("cannot compress a block");
    out.resize(out.size() - m_deflate.avail_out);
    std::string sizes;
    appendLE(sizes, uint32_t(out.size()), 2);
    appendLE(sizes, uint32_t(m_block.size()), 2);
    const uint32_t sum = cabChecksum(
        reinterpret_cast<const unsigned char *>(sizes.data()), 4,
        cabChecksum(reinterpret_cast<const unsigned char *>(out.data()), out.size(), 0));
    appendLE(m_blocks, sum, 4);
    m_blocks += sizes;
    m_blocks += out;
    ++m_blockCount;
    m_block.clear();
    return true;
}

// Everything before the data blocks: the cabinet header, its one folder and the file table.
std::string CabWriter::headers() const
{
    size_t fileTable = 0;
    for (const File &f : m_files)
        fileTable += kFileSize + f.name.size() + 1;
    const size_t filesAt = kHeaderSize + kFolderSize;
    const size_t dataAt = filesAt + fileTable;
    std::string out;
    out.reserve(dataAt);
    out += "MSCF";
    appendLE(out, 0, 4);
    appendLE(out, uint32_t(dataAt + m_blocks.size()), 4); // cbCabinet
    appendLE(out, 0, 4);
    appendLE(out, uint32_t(filesAt), 4); // coffFiles
    appendLE(out, 0, 4);
    out.push_back(3); // version 1.3
    out.push_back(1);
    appendLE(out, 1, 2); // folders
    appendLE(out, uint32_t(m_files.size()), 2);
    appendLE(out, 0, 2); // flags: no reserve, no previous or next cabinet
    appendLE(out, 0, 2); // set id
    appendLE(out, 0, 2); // number in the set
    appendLE(out, uint32_t(dataAt), 4);
    appendLE(out, m_blockCount, 2);
    appendLE(out, kMsZip, 2);
    for (const File &f : m_files) {
        appendLE(out, f.size, 4);
        appendLE(out, f.folderOffset, 4);
        appendLE(out, 0, 2); // folder
        appendLE(out, f.date, 2);
        appendLE(out, f.time, 2);
        appendLE(out, f.attributes, 2);
        out += f.name;
        out.push_back('\0');
    }
    return out;
}

bool CabWriter::writeAll(const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(std::strerror(n < 0 ? errno : ENOSPC));
        done += size_t(n);
    }
    return true;
}

bool CabWriter::close()
{
    if (m_fd < 0)
        return fail("not open");
    if (m_files.empty())
        return fail("no file a cabinet can hold");
    if (!m_block.empty() && !compressBlock())
        return false;
    const bool written = writeAll(headers()) && writeAll(m_blocks);
    const int rc = ::close(m_fd);
    m_fd = -1;
    if (written && rc != 0)
        return fail(std::strerror(errno));
    return written;
}

} // namespace archivers
