#include "tools/archivers/common/ArchiveReader.h"
#include "tools/archivers/common/ArjReader.h"
#include "tools/archivers/common/BgaMembers.h"

namespace archivers
{

std::unique_ptr<FormatReader> ownReaderFor(Format format, const std::string &path)
{
    switch (format) {
    case Format::Arj:
        return std::make_unique<ArjReader>(path);
    case Format::Bga:
        return std::make_unique<BgaMembers>(path);
    default:
        return nullptr;
    }
}

} // namespace archivers
