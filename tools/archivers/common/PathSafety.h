#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace archivers
{

// A member path as this platform writes it: backslashes read as '/', leading "./" and
// repeated or trailing separators dropped. Pure.
std::string normalizeMemberPath(std::string_view member);

// The member path as a path relative to the target folder, or nothing when writing it could
// leave the folder or names no file: absolute paths, drive letters, ".." components, an
// empty name.
std::optional<std::string> safeRelativePath(std::string_view member);

// Does a link stored at `relMember` (already safe) with the given target stay inside the
// target folder? Absolute targets never do; ".." may only lead the target and climb no
// higher than the link's folder.
bool linkStaysInside(std::string_view relMember, std::string_view linkTarget);

} // namespace archivers
