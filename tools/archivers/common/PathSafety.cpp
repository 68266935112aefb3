#include "tools/archivers/common/PathSafety.h"

#include "tools/archivers/common/CommandLine.h"

#include <sys/stat.h>

namespace archivers
{
namespace
{

bool isAbsolute(std::string_view path)
{
    if (!path.empty() && path.front() == '/')
        return true;
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return path.size() >= 2 && isLetter(path[0]) && path[1] == ':';
}

// Backslashes as separators, except the second byte of a Shift-JIS character in a name that
// is not UTF-8 (names an archive keeps as bytes).
std::string slashes(std::string_view s)
{
    return toSlashes(s);
}

} // namespace

std::vector<std::string_view> pathComponents(std::string_view path)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

std::string normalizeMemberPath(std::string_view member)
{
    const std::string path = slashes(member);
    std::string out;
    if (!path.empty() && path.front() == '/')
        out.push_back('/');
    for (std::string_view part : pathComponents(path)) {
        if (!out.empty() && out.back() != '/')
            out.push_back('/');
        out.append(part);
    }
    return out;
}

std::optional<std::string> safeRelativePath(std::string_view member)
{
    const std::string path = slashes(member);
    if (isAbsolute(path))
        return std::nullopt;
    std::string out;
    for (std::string_view part : pathComponents(path)) {
        if (part == "..")
            return std::nullopt;
        if (!out.empty())
            out.push_back('/');
        out.append(part);
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

bool linkStaysInside(std::string_view relMember, std::string_view linkTarget)
{
    const std::string target = slashes(linkTarget);
    if (target.empty() || isAbsolute(target))
        return false;
    // ".." is allowed only as leading components, climbing no higher than the link's own
    // folder: after a descent through another link ("y/..") the kernel resolves ".."
    // physically, which a lexical check cannot follow.
    size_t depth = pathComponents(relMember).size();
    if (depth > 0)
        --depth; // the link's own name; its target is read from its folder
    bool descended = false;
    for (std::string_view part : pathComponents(target)) {
        if (part == "..") {
            if (descended || depth == 0)
                return false;
            --depth;
        } else {
            descended = true;
        }
    }
    return true;
}

bool pathHasLink(const std::string &root, const std::string &rel, bool includeLast)
{
    std::string path = root;
    size_t start = 0;
    while (start < rel.size()) {
        size_t end = rel.find('/', start);
        const bool last = end == std::string::npos;
        if (last)
            end = rel.size();
        path += '/';
        path.append(rel, start, end - start);
        struct stat st = {};
        if (::lstat(path.c_str(), &st) != 0)
            return false; // the rest does not exist yet and will be created as folders
        if (S_ISLNK(st.st_mode) && (!last || includeLast))
            return true;
        if (!last && !S_ISDIR(st.st_mode))
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace archivers
