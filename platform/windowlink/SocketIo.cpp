#include "platform/windowlink/SocketIo.h"

#include "platform/windowlink/Wire.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace windowlink::io
{
namespace
{

bool fillAddress(const std::string &path, sockaddr_un &addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Waits for events on fd until the deadline; false on time-out or error.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int ms = left.count() <= 0 ? 0 : static_cast<int>(left.count()) + 1;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, ms);
        if (n > 0)
            return true;
        if (n == 0 && Clock::now() >= deadline)
            return false;
        if (n < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

int connectTo(const std::string &path, ConnectResult *result)
{
    *result = ConnectResult::Failed;
    sockaddr_un addr;
    if (!fillAddress(path, addr))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0) {
        // A Unix socket connects at once or not at all; EAGAIN means a full backlog.
        if (errno == ECONNREFUSED)
            *result = ConnectResult::Refused;
        ::close(fd);
        return -1;
    }
    *result = ConnectResult::Connected;
    return fd;
}

int listenAt(const std::string &path, std::string *error)
{
    // The socket is bound under a name finders ignore and renamed into place
    // once it listens: a finder that met the file between bind and listen
    // would be refused and remove it as stale, and the window would never be
    // found.
    const std::string staging = stagingName(path);
    sockaddr_un finalAddr;
    sockaddr_un addr;
    if (!fillAddress(path, finalAddr) || !fillAddress(staging, addr)) {
        *error = "socket path too long: " + path;
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    ::unlink(staging.c_str()); // left by a process of the same id that died here
    const mode_t old = ::umask(0077);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr);
    const int bindErrno = errno;
    ::umask(old);
    if (bound != 0) {
        *error = "cannot listen at " + path + ": " + std::strerror(bindErrno);
        ::close(fd);
        return -1;
    }
    if (::listen(fd, 64) != 0 || ::rename(staging.c_str(), path.c_str()) != 0) {
        *error = "cannot listen at " + path + ": " + std::strerror(errno);
        ::unlink(staging.c_str());
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string stagingName(const std::string &path)
{
    // One byte shorter than the path, so it fits wherever the path does.
    const std::string suffix = ".sock";
    const bool hasSuffix = path.size() > suffix.size() &&
                           path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
    return (hasSuffix ? path.substr(0, path.size() - suffix.size()) : path) + ".new";
}

std::optional<uid_t> peerUid(int fd)
{
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return std::nullopt;
    return cred.uid;
}

bool sendAll(int fd, const std::vector<std::uint8_t> &bytes, Clock::time_point deadline)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> recvFrame(int fd, Clock::time_point deadline)
{
    std::vector<std::uint8_t> buf;
    std::size_t want = 4;
    bool haveLength = false;
    buf.resize(want);
    std::size_t got = 0;
    for (;;) {
        while (got < want) {
            const ssize_t n = ::recv(fd, buf.data() + got, want - got, 0);
            if (n > 0) {
                got += static_cast<std::size_t>(n);
                continue;
            }
            if (n == 0)
                return std::nullopt;
            if (errno == EINTR)
                continue;
            if ((errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLIN, deadline))
                continue;
            return std::nullopt;
        }
        if (haveLength)
            return std::vector<std::uint8_t>(buf.begin() + 4, buf.end());
        const auto len = wire::announcedLength(buf);
        if (!len || *len > wire::kMaxPayload)
            return std::nullopt;
        haveLength = true;
        want = 4 + *len;
        buf.resize(want);
    }
}

bool waitReadable(int fd, Clock::time_point deadline)
{
    return waitFor(fd, POLLIN, deadline);
}

bool unusable(int fd)
{
    pollfd p{fd, POLLIN | POLLRDHUP, 0};
    return ::poll(&p, 1, 0) != 0;
}

void closeFd(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

} // namespace windowlink::io
