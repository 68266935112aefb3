#include "tools/archivers/common/Mask.h"

#include <algorithm>

namespace archivers
{
namespace
{

unsigned char fold(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Matches one bracket class at pattern[p] (which is '['). Returns the index after the class,
// or 0 when the class is unterminated (the '[' is then an ordinary character).
size_t matchClass(std::string_view pattern, size_t p, char c, bool &matched)
{
    size_t i = p + 1;
    bool negate = false;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        negate = true;
        ++i;
    }
    const size_t first = i;
    bool hit = false;
    const unsigned char fc = fold(c);
    while (i < pattern.size() && (pattern[i] != ']' || i == first)) {
        unsigned char lo = fold(pattern[i]);
        unsigned char hi = lo;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            hi = fold(pattern[i + 2]);
            i += 2;
        }
        if (fc >= lo && fc <= hi)
            hit = true;
        ++i;
    }
    if (i >= pattern.size())
        return 0;
    matched = hit != negate;
    return i + 1;
}

std::string_view baseName(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), s.begin(),
                      [](char a, char b) { return fold(a) == fold(b); });
}

} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view text, bool brackets)
{
    // Greedy match with one back-tracking point: the last '*' seen.
    size_t p = 0, t = 0;
    size_t starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            const char pc = pattern[p];
            if (pc == '*') {
                starP = p++;
                starT = t;
                continue;
            }
            if (pc == '?') {
                ++p;
                ++t;
                continue;
            }
            if (pc == '[' && brackets) {
                bool matched = false;
                if (const size_t after = matchClass(pattern, p, text[t], matched); after != 0) {
                    if (matched) {
                        p = after;
                        ++t;
                        continue;
                    }
                } else if (text[t] == '[') {
                    ++p;
                    ++t;
                    continue;
                }
            } else if (fold(pc) == fold(text[t])) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        p = starP + 1;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool memberMatches(std::string_view mask, std::string_view memberPath, bool brackets)
{
    while (mask.size() >= 2 && mask.substr(0, 2) == "./")
        mask.remove_prefix(2);
    if (mask.empty())
        return false;
    if (mask == "*" || mask == "*.*")
        return true;
    if (mask.back() == '/') {
        const std::string_view folder = mask.substr(0, mask.size() - 1);
        return startsWithIgnoringCase(memberPath, mask) ||
               (memberPath.size() == folder.size() && startsWithIgnoringCase(memberPath, folder));
    }
    if (mask.find('/') != std::string_view::npos)
        return wildcardMatch(mask, memberPath, brackets);
    return wildcardMatch(mask, baseName(memberPath), brackets) ||
           wildcardMatch(mask, memberPath, brackets);
}

bool MemberFilter::selects(std::string_view memberPath) const
{
    const auto matches = [&](const std::string &m) {
        return memberMatches(m, memberPath, brackets);
    };
    if (!masks.empty() && std::none_of(masks.begin(), masks.end(), matches))
        return false;
    return std::none_of(excludes.begin(), excludes.end(), matches);
}

} // namespace archivers
