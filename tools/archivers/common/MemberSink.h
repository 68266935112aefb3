#pragma once

#include <cstddef>
#include <string>

struct archive_entry;

namespace archivers
{

// Where the packer writes the members of a new archive, one header followed by its data.
class MemberSink
{
public:
    virtual ~MemberSink() = default;

    // Creates the file the archive is written to.
    virtual bool open(const std::string &path) = 0;
    // Why the format cannot hold this member (a folder or link where it has none, a name it
    // cannot store); empty when it can. The packer passes by such members and says why.
    virtual std::string refusal(archive_entry *entry) const = 0;
    virtual bool header(archive_entry *entry) = 0;
    virtual bool data(const void *bytes, size_t size) = 0;
    // Completes the archive; false when it could not be written in full.
    virtual bool close() = 0;
    // Why the last call failed.
    virtual std::string error() const = 0;
};

} // namespace archivers
