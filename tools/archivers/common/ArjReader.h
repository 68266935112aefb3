#pragma once

#include "tools/archivers/common/ArchiveReader.h"
#include "tools/archivers/common/ArjDecoder.h"
#include "tools/archivers/common/ArjHeader.h"
#include "tools/archivers/common/FormatReader.h"

#include <archive_entry.h>
#include <memory>
#include <vector>

namespace archivers
{

// Reads ARJ archives: the main header (found at the start, or after a self-extractor's
// program), then one local header and the data of each member. Every header's CRC-32 is
// checked, and each member's data CRC-32 when its last block is read. Members are skipped by
// their compressed size, never decompressed to reach a later one. Encrypted and multi-volume
// members are listed but their data is refused.
class ArjReader final : public FormatReader
{
public:
    explicit ArjReader(std::string path);
    ~ArjReader() override;
    ArjReader(const ArjReader &) = delete;
    ArjReader &operator=(const ArjReader &) = delete;

    int open() override;
    int next(Member &member) override;
    int readBlock(const void *&data, size_t &size, int64_t &offset) override;
    std::string methodName() const override;
    std::string errorText() const override { return m_error; }

private:
    struct EntryDeleter {
        void operator()(archive_entry *e) const { archive_entry_free(e); }
    };

    void close();
    bool readAt(uint64_t offset, void *buffer, size_t size) const;
    int fail(int code, std::string why);
    std::optional<uint64_t> findMainHeader();
    // Reads the header at `offset`: ARC_OK with the header and where its data begins,
    // ARC_NO_MORE_MEMBERS at the end mark, or ARC_ERROR_ARCHIVE_DAMAGED.
    int readHeader(uint64_t offset, arj::Header &header, uint64_t &dataOffset);
    int skipExtendedHeaders(uint64_t &offset);
    void fillMember(Member &member);
    int startData();

    std::string m_path;
    int m_fd = -1;
    uint64_t m_fileSize = 0;
    uint64_t m_nextHeader = 0; // where the next local header starts
    arj::Header m_header;      // the current member's
    uint64_t m_dataOffset = 0;
    bool m_inMember = false;
    std::unique_ptr<arj::Decoder> m_decoder;
    std::vector<unsigned char> m_block;
    uint64_t m_produced = 0;
    uint32_t m_crc = 0;
    bool m_dataDone = false;
    std::unique_ptr<archive_entry, EntryDeleter> m_entry;
    std::string m_error;
};

} // namespace archivers
