#pragma once

#include "tools/archivers/common/MemberSink.h"
#include "tools/archivers/common/Packer.h"

struct archive;

namespace archivers
{

// ZIP and TAR (plain, gzip, bzip2) archives written by libarchive.
class LibarchiveSink final : public MemberSink
{
public:
    LibarchiveSink(Container container, Compression compression, int level);
    ~LibarchiveSink() override;
    LibarchiveSink(const LibarchiveSink &) = delete;
    LibarchiveSink &operator=(const LibarchiveSink &) = delete;

    bool open(const std::string &path) override;
    std::string refusal(archive_entry *) const override { return {}; }
    bool header(archive_entry *entry) override;
    bool data(const void *bytes, size_t size) override;
    bool close() override;
    std::string error() const override;

private:
    archive *m_writer = nullptr;
};

} // namespace archivers
