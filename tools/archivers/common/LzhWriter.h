#pragma once

#include "tools/archivers/common/Packer.h"

#include <string>

namespace archivers
{

// Creates or rewrites an LZH archive: adds or replaces members from files (Add, with
// `updateOnly` replacing a member only with a newer file), freshens members from newer files,
// or deletes members. New members are compressed with the job's method, or stored when that
// is not smaller; members left as they were are copied as their stored bytes. The new archive
// is written beside the old one and renamed over it only when complete; an archive left
// without members is removed.
int packLzh(const PackJob &job, std::string &log);

} // namespace archivers
