#pragma once

#include "tools/archivers/common/BgaCodec.h"
#include "tools/archivers/common/BgaHeader.h"
#include "tools/archivers/common/MemberSink.h"

#include <cstdint>
#include <memory>
#include <string>

namespace archivers
{

// Writes a GZA or BZA archive member by member: a header with blank sizes goes first, the
// compressed data follows, and the header is written again with sizes and CRC-32 once the
// member is complete.
class BgaWriter final : public MemberSink
{
public:
    BgaWriter(bga::Method method, int level);
    ~BgaWriter();
    BgaWriter(const BgaWriter &) = delete;
    BgaWriter &operator=(const BgaWriter &) = delete;

    // All return false on failure, with errorText() saying why.
    bool open(const std::string &path) override;
    bool begin(const std::string &name, uint32_t mtime, bool folder);
    bool write(const void *data, size_t size);
    bool close() override;
    const std::string &errorText() const { return m_error; }

    // The packer's view: GZA and BZA hold files and folders only.
    std::string refusal(archive_entry *entry) const override;
    bool header(archive_entry *entry) override;
    bool data(const void *bytes, size_t size) override { return write(bytes, size); }
    std::string error() const override { return m_error; }

private:
    bool fail(const std::string &why);
    bool writeOut(const char *data, size_t size);
    bool compress(const char *data, size_t size, bool finish);
    bool finishMember();

    bga::Method m_method;
    int m_level;
    int m_fd = -1;
    std::string m_error;
    uint64_t m_pos = 0;
    bool m_open = false; // a member is being written
    uint64_t m_headerAt = 0;
    bga::Header m_header;
    std::unique_ptr<bga::Codec> m_codec;
    uint64_t m_size = 0;
    uint64_t m_packed = 0;
};

} // namespace archivers
