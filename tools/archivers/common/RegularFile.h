#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace archivers
{

// Whether a symbolic link as the path's last component is followed or fails the open.
enum class LastLink { Follow, Refuse };

// Opens a regular file for reading: a FIFO, device or folder fails at once (the open never
// waits for a writer). The descriptor blocks as usual afterwards; -1 on failure.
int openRegularFile(const std::string &path, LastLink lastLink = LastLink::Follow);

// The whole file when it is a regular file of at most maxBytes bytes.
std::optional<std::string> readRegularFile(const std::string &path, size_t maxBytes);

} // namespace archivers
