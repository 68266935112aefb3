#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace archivers
{

// The names between the '/' of a path, empty ones and "." left out. Pure.
std::vector<std::string_view> pathComponents(std::string_view path);

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

// True when an existing component of root/rel (the last one included when `includeLast`)
// is anything but a real folder (the last: anything but a non-link). Components that do not
// exist yet end the look: they will be made as folders. Looks at the disk, root itself not.
bool pathHasLink(const std::string &root, const std::string &rel, bool includeLast);

} // namespace archivers
