#include "tools/mid2snr/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mid2snr
{

namespace
{

std::string systemError()
{
    return std::strerror(errno);
}

// Closes a descriptor when the scope ends, whatever path leaves it.
class Descriptor final
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const std::string &data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool readWholeFile(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &bytes,
                   std::string &error)
{
    // Opened without waiting, so a FIFO or a device is refused at once instead of
    // holding the converter (and the jukebox waiting for it) up.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {
    };
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0) {
        error = "cannot open: " + systemError();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    if (::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK) != 0) {
        error = "cannot read: " + systemError();
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        error = "file too large for a MIDI file";
        return false;
    }
    bytes.assign(static_cast<std::size_t>(info.st_size), 0);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read: " + systemError();
            return false;
        }
        if (n == 0)
            break; // the file shrank while being read
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return true;
}

bool writeFileAtomically(const std::string &path, const std::string &data, std::string &error)
{
    std::string temporary = path + ".XXXXXX";
    Descriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0) {
        error = "cannot create " + path + ": " + systemError();
        return false;
    }
    // mkstemp creates the file private; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(file.get(), 0666 & ~mask);
    const bool written = writeAll(file.get(), data);
    const int writeErrno = errno;
    if (!file.close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        if (written)
            error = "cannot write " + path + ": " + systemError();
        else
            error = "cannot write " + path + ": " + std::strerror(writeErrno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace mid2snr
