#include "fuzz/checks/BgaDataCheck.h"

#include "fuzz/checks/ArchiveDataCheck.h"

#include "tools/archivers/common/ArchiveReader.h"

namespace fuzzcheck
{

std::string checkBgaData(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return {};
    const bool bza = (data[0] & 1) != 0;
    return checkArchiveBytes(archivers::Format::Bga, bza ? "in.bza" : "in.gza",
                             std::uint8_t(data[0] & ~1u), data.subspan(1));
}

} // namespace fuzzcheck
