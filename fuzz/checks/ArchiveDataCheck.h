#pragma once

#include "tools/archivers/common/ArchiveReader.h"

#include <cstdint>
#include <span>
#include <string>

namespace fuzzcheck
{

// The first byte chooses how, the rest is an archive (bit 0: ZIP, else LZH; bit 1:
// junk paths; bits 2-3: overwrite mode; bit 4: files already in the target folder;
// bit 5: only "*.snr" members; bit 6: bracket masks). The archive is listed,
// tested, read into memory, walked through the listing handles and extracted into
// a fresh target folder inside a sandbox. Checks: known result codes, names that
// fit their record fields, nothing written outside the target folder, no link in
// it leading out, no half-written temporary file left, nothing written at all when
// the first pass refused a member, and the archive itself untouched. Returns what
// went wrong, or nothing.
std::string checkArchiveData(std::span<const std::uint8_t> data);

// The same checks on an archive of the given format, saved under `name` ("in.gza"); `how`
// as above without bit 0.
std::string checkArchiveBytes(archivers::Format format, const std::string &name, std::uint8_t how,
                              std::span<const std::uint8_t> bytes);

// The same checks on an ARJ archive (the first byte as above, bit 0 unused), read by the ARJ
// library's own reader.
std::string checkArjData(std::span<const std::uint8_t> data);

} // namespace fuzzcheck
