#pragma once

#include "archive/ArchiverApi.h"
#include "tools/archivers/common/ArchiveReader.h"

#include <string>

namespace archivers::listing
{

// Listing handles of one library: OpenArchive / FindFirst / FindNext / CloseArchive.
// Handles are small numbers looked up in a table, so a stale or made-up handle is an
// error code and never a wild pointer.
ArcHandle open(Format format, const std::string &path);
int32_t close(ArcHandle handle);
int32_t findFirst(ArcHandle handle, const char *wildName, ArcEntryInfo *info);
int32_t findNext(ArcHandle handle, ArcEntryInfo *info);

// Fills the record for one member (exposed for tests of the layout).
void fillRecord(const Member &member, const std::string &method, ArcEntryInfo &info);

} // namespace archivers::listing
