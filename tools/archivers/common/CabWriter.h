#pragma once

#include "tools/archivers/common/MemberSink.h"

#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

namespace archivers
{

// Writes a Microsoft cabinet: one folder whose data is cut into blocks of 32 KiB, each
// compressed on its own with MSZIP ("CK" and a raw deflate stream) and guarded by the
// format's checksum. A cabinet lists its files before their data, so the whole archive is
// gathered in memory (a command packs at most ARC_MAX_TOTAL_BYTES) and written by close().
// Only regular files go in: a cabinet has no folders or links of its own.
class CabWriter final : public MemberSink
{
public:
    explicit CabWriter(int level);
    ~CabWriter() override;
    CabWriter(const CabWriter &) = delete;
    CabWriter &operator=(const CabWriter &) = delete;

    bool open(const std::string &path) override;
    std::string refusal(archive_entry *entry) const override;
    bool header(archive_entry *entry) override;
    bool data(const void *bytes, size_t size) override;
    bool close() override;
    std::string error() const override { return m_error; }

private:
    struct File {
        std::string name; // backslash separators, as the format has them
        uint32_t size = 0;
        uint32_t folderOffset = 0;
        uint16_t date = 0;
        uint16_t time = 0;
        uint16_t attributes = 0;
    };

    bool fail(std::string why);
    bool compressBlock();
    std::string headers() const;
    bool writeAll(const std::string &bytes);

    int m_fd = -1;
    z_stream m_deflate = {};
    bool m_deflateReady = false;
    std::vector<File> m_files;
    uint64_t m_folderSize = 0; // uncompressed bytes of the folder so far
    std::string m_block;       // uncompressed bytes of the block being filled
    std::string m_blocks;      // the finished CFDATA records
    uint32_t m_blockCount = 0;
    std::string m_error;
};

// The cabinet block checksum: the 32-bit words of `bytes` XORed onto `seed`, a tail of one
// to three bytes read in reverse order.
uint32_t cabChecksum(const unsigned char *bytes, size_t size, uint32_t seed);

} // namespace archivers
