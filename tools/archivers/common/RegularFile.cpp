#include "tools/archivers/common/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace archivers
{

int openRegularFile(const std::string &path, LastLink lastLink)
{
    const int noFollow = lastLink == LastLink::Refuse ? O_NOFOLLOW : 0;
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | noFollow);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st = {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

std::optional<std::string> readRegularFile(const std::string &path, size_t maxBytes)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return std::nullopt;
    std::string content;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || content.size() + size_t(n) > maxBytes) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        content.append(buffer, size_t(n));
    }
    ::close(fd);
    return content;
}

} // namespace archivers
