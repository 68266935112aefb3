#pragma once

#include "tools/archivers/common/BgaReader.h"
#include "tools/archivers/common/FormatReader.h"

#include <memory>
#include <string>

struct archive_entry;

namespace archivers
{

// A GZA or BZA archive as the common code reads any archive: each header becomes a member
// whose entry carries what unpacking and packing take from it.
class BgaMembers final : public FormatReader
{
public:
    explicit BgaMembers(std::string path);
    ~BgaMembers() override;
    BgaMembers(const BgaMembers &) = delete;
    BgaMembers &operator=(const BgaMembers &) = delete;

    int open() override;
    int next(Member &member) override;
    int readBlock(const void *&data, size_t &size, int64_t &offset) override;
    std::string methodName() const override;
    std::string errorText() const override;

private:
    std::string m_path;
    std::unique_ptr<BgaReader> m_reader;
    archive_entry *m_entry = nullptr;
    bga::Method m_method = bga::Method::Deflate;
};

} // namespace archivers
