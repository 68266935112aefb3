#pragma once

#include <string>
#include <string_view>

namespace archivers
{

// Appends one line to a command's messages. A line break inside it (a member name may hold
// one) becomes '?', so that every line of the log is one message and a name can never pose
// as a line of its own; the log stops growing at 1 MiB.
inline void appendLine(std::string &log, std::string_view line)
{
    if (log.size() >= 1024 * 1024)
        return;
    for (const char c : line)
        log.push_back(c == '\n' || c == '\r' ? '?' : c);
    log.push_back('\n');
}

} // namespace archivers
