#pragma once
// Small POSIX helpers for Unix-domain stream sockets with deadlines.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace windowlink::io
{

using Clock = std::chrono::steady_clock;

enum class ConnectResult { Connected, Refused, Failed };

// Non-blocking, close-on-exec socket connected to path; -1 on failure. *result says
// whether nobody listens there (a stale socket) or something else went wrong.
int connectTo(const std::string &path, ConnectResult *result);
// Listening socket bound to path; -1 with *error set on failure. The file appears at
// path only once the socket listens.
int listenAt(const std::string &path, std::string *error);
// The name a socket for path is bound under until it listens ("….sock" → "….new").
std::string stagingName(const std::string &path);

std::optional<uid_t> peerUid(int fd);

// Writes all bytes before the deadline; false on error or time-out.
bool sendAll(int fd, const std::vector<std::uint8_t> &bytes, Clock::time_point deadline);
// Reads one frame's payload before the deadline; nothing on error, end or time-out.
std::optional<std::vector<std::uint8_t>> recvFrame(int fd, Clock::time_point deadline);

// Waits until fd has bytes to read (or is closed) before the deadline; false on
// time-out or error.
bool waitReadable(int fd, Clock::time_point deadline);

// True when the peer has closed or unread bytes wait: a pooled connection that must not
// carry the next request.
bool unusable(int fd);

void closeFd(int fd);

} // namespace windowlink::io
