#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace archivers
{

// Wildcard masks as the archiver tools read them: '*' any run of characters, '?' one
// character, letters compared without case (ASCII). With `brackets`, "[abc]", "[a-z]" and
// "[!a]" are character classes (the ZIP tools' syntax, where "[[]" is a literal '[').
bool wildcardMatch(std::string_view pattern, std::string_view text, bool brackets);

// Does the member path ('/'-separated) match the mask? A mask without a folder part matches
// the member's file name in any folder (or the whole path); a mask with one matches the whole
// path; a mask ending in '/' takes everything below that folder; "*" and "*.*" take all.
bool memberMatches(std::string_view mask, std::string_view memberPath, bool brackets);

// The members a command works on: those matching any mask (all when there is none) and no
// exclusion mask.
struct MemberFilter {
    std::vector<std::string> masks;
    std::vector<std::string> excludes;
    bool brackets = false;

    bool selects(std::string_view memberPath) const;
};

} // namespace archivers
