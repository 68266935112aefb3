#pragma once

#include "tools/archivers/common/BgaCodec.h"
#include "tools/archivers/common/BgaHeader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace archivers
{

// Reads a GZA or BZA archive member by member. A header whose checksum, mark or fields are
// wrong, data that runs past the file, and data whose length or CRC-32 differs from its header
// are damage: the member's last block is never handed out before its data has been checked.
// Skipping a member costs no decompression.
class BgaReader final
{
public:
    explicit BgaReader(std::string path);
    ~BgaReader();
    BgaReader(const BgaReader &) = delete;
    BgaReader &operator=(const BgaReader &) = delete;

    // ARC_OK, or ARC_ERROR_ARCHIVE_OPEN when the file is no regular file or does not begin
    // with a sound member header (an empty file included).
    int open();
    // ARC_OK with the header, ARC_NO_MORE_MEMBERS at the end, or ARC_ERROR_ARCHIVE_DAMAGED.
    int next(bga::Header &header);
    // One block of the current member's data; ARC_OK with size 0 once it is complete and sound.
    int readBlock(const void *&data, size_t &size, int64_t &offset);
    const std::string &errorText() const { return m_error; }

private:
    int damaged(const char *why);
    bool readAt(uint64_t at, void *buffer, size_t size);
    int readHeaderAt(uint64_t at, bga::Header &header, uint64_t &headerSize);
    int finishMember();

    std::string m_path;
    std::string m_error;
    int m_fd = -1;
    uint64_t m_fileSize = 0;
    uint64_t m_nextHeader = 0;
    bga::Header m_current;
    uint64_t m_dataPos = 0; // next compressed byte of the current member
    uint64_t m_dataEnd = 0;
    std::unique_ptr<bga::Codec> m_codec;
    std::vector<char> m_in;
    size_t m_inAt = 0;
    size_t m_inSize = 0;
    std::vector<char> m_out;
    uint64_t m_produced = 0;
    uint32_t m_crc = 0;
    bool m_complete = true;
    bool m_failed = false;
};

} // namespace archivers
