// Feeds arbitrary bytes to the pure readers of the archiver libraries: the command lines of
// every library, response files, wildcard masks and member paths.
#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/Commands.h"
#include "tools/archivers/common/Mask.h"
#include "tools/archivers/common/PathSafety.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace archivers;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const auto library = static_cast<Library>(data[0] % 6);
    const bool memory = (data[0] & 0x80) != 0;
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);

    const Request r = interpret(library, text, memory);
    // A request always names its archive when it is one to carry out.
    if ((r.action == Request::Action::Extract || r.action == Request::Action::List) &&
        r.extract.archive.empty())
        __builtin_trap();
    for (const std::string &mask : r.extract.filter.masks)
        memberMatches(mask, r.extract.archive, r.extract.filter.brackets);
    parseResponseFile(text);

    // "mask\nmember\nlink target"
    const size_t first = text.find('\n');
    const std::string_view mask = text.substr(0, first);
    const std::string_view rest =
        first == std::string_view::npos ? std::string_view() : text.substr(first + 1);
    const size_t second = rest.find('\n');
    const std::string_view member = rest.substr(0, second);
    const std::string_view link =
        second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);
    memberMatches(mask, member, true);
    memberMatches(mask, member, false);
    if (const auto rel = safeRelativePath(member)) {
        // A safe path never climbs or starts at the root.
        const std::string wrapped = "/" + *rel + "/";
        if (rel->empty() || rel->front() == '/' || wrapped.find("/../") != std::string::npos)
            __builtin_trap();
        linkStaysInside(*rel, link);
    }
    normalizeMemberPath(member);
    return 0;
}
