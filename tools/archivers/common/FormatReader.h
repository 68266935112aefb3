#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace archivers
{

struct Member;

// A reader of this project's own for a format libarchive does not read. ArchiveReader hands
// every call to it, so listing, testing and extraction treat its members as any other.
class FormatReader
{
public:
    virtual ~FormatReader() = default;

    // As ArchiveReader: open() may be called again to start over from the first member.
    virtual int open() = 0;
    virtual int next(Member &member) = 0;
    virtual int readBlock(const void *&data, size_t &size, int64_t &offset) = 0;
    virtual std::string methodName() const = 0;
    virtual std::string errorText() const = 0;
};

} // namespace archivers
