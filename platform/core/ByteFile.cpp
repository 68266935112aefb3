#include "platform/core/ByteFile.h"

#include "platform/core/FileStamp.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunelet
{

PathKind pathKind(const QByteArray &path)
{
    // The system reads a name up to its first NUL: one holding a NUL would
    // name another file.
    if (path.isEmpty() || path.contains('\0'))
        return PathKind::Missing;
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return PathKind::Missing;
    if (S_ISREG(st.st_mode))
        return PathKind::RegularFile;
    if (S_ISDIR(st.st_mode))
        return PathKind::Directory;
    return PathKind::Other;
}

bool isExistingFile(const QByteArray &path)
{
    return pathKind(path) == PathKind::RegularFile;
}

QByteArray realPath(const QByteArray &path)
{
    char resolved[PATH_MAX];
    if (path.isEmpty() || ::realpath(path.constData(), resolved) == nullptr)
        return path;
    return QByteArray(resolved);
}

bool removeFile(const QByteArray &path)
{
    return ::unlink(path.constData()) == 0 || errno == ENOENT;
}

bool removeEmptyFolder(const QByteArray &path)
{
    return !path.isEmpty() && ::rmdir(path.constData()) == 0;
}

QByteArray currentFolder()
{
    QByteArray buffer(4096, '\0');
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1 << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
    buffer.truncate(qsizetype(std::strlen(buffer.constData())));
    return buffer;
}

SequentialFile::~SequentialFile()
{
    close();
}

bool SequentialFile::open(const QByteArray &path)
{
    close();
    if (path.isEmpty() || path.contains('\0')) {
        errno = ENOENT;
        return false;
    }
    // Non-blocking so that a FIFO or device never stalls the open; only
    // regular files are read (a device could never end, a FIFO block).
    do {
        m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0)
        return false;
    struct stat st {
    };
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int code = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close();
        errno = code;
        return false;
    }
    m_stamp = settledFileStamp(st);
    return true;
}

qint64 SequentialFile::read(char *buffer, qint64 size)
{
    if (m_fd < 0)
        return -1;
    ssize_t n;
    do {
        n = ::read(m_fd, buffer, size_t(size));
    } while (n < 0 && errno == EINTR);
    return n;
}

void SequentialFile::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_stamp = 0;
}

std::optional<QByteArray> readWholeFile(const QByteArray &path, QString *error)
{
    SequentialFile file;
    if (!file.open(path)) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    // Read through a buffer on the stack: a small file (a settings file, a list)
    // costs one allocation of its own size, a large one grows the array as it comes.
    QByteArray data;
    char buffer[16 * 1024];
    for (;;) {
        const qint64 n = file.read(buffer, sizeof buffer);
        if (n < 0) {
            if (error)
                *error = QString::fromLocal8Bit(std::strerror(errno));
            return std::nullopt;
        }
        if (n == 0)
            break;
        data.append(buffer, qsizetype(n));
    }
    return data;
}

std::optional<QByteArray> readFileStart(const QByteArray &path, qint64 maxBytes)
{
    SequentialFile file;
    if (!file.open(path))
        return std::nullopt;
    QByteArray data;
    constexpr qint64 chunk = 64 * 1024;
    while (data.size() < maxBytes) {
        const qsizetype used = data.size();
        const qint64 want = std::min(chunk, maxBytes - used);
        data.resize(used + want);
        const qint64 n = file.read(data.data() + used, want);
        if (n < 0)
            return std::nullopt;
        data.resize(used + n);
        if (n == 0)
            break;
    }
    return data;
}

} // namespace tunelet
