#include "platform/core/AtomicFile.h"

#include "platform/core/BytePath.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tunelet
{

namespace
{
bool fail(QString *error, int code)
{
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(code));
    return false;
}

// The file a write should replace: the target of a symbolic link, else path.
QByteArray resolvedTarget(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buffer[PATH_MAX];
        if (::realpath(path.constData(), buffer))
            return QByteArray(buffer);
    }
    return path;
}

bool writeAll(int fd, QByteArrayView data)
{
    const char *p = data.data();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

int openTemporary(const QByteArray &target, QByteArray *tempPath)
{
    const QByteArray base = folderPart(target) + '.' + fileNamePart(target) + ".tmp-";
    for (int attempt = 0; attempt < 16; ++attempt) {
        *tempPath = base + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        // 0666 so the umask decides, as for any newly created file.
        const int fd = ::open(tempPath->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}
} // namespace

AtomicFileWriter::AtomicFileWriter(const QByteArray &path) : m_target(resolvedTarget(path)) {}

AtomicFileWriter::~AtomicFileWriter()
{
    abandon();
}

bool AtomicFileWriter::open(QString *error)
{
    abandon();
    if (m_target.isEmpty())
        return fail(error, ENOENT);
    m_fd = openTemporary(m_target, &m_tempPath);
    if (m_fd < 0)
        return fail(error, errno);
    struct stat old;
    if (::stat(m_target.constData(), &old) == 0 && ::fchmod(m_fd, old.st_mode & 07777) != 0) {
        const int code = errno;
        abandon();
        return fail(error, code);
    }
    return true;
}

bool AtomicFileWriter::write(QByteArrayView data, QString *error)
{
    if (m_fd < 0)
        return fail(error, EBADF);
    return writeAll(m_fd, data) || fail(error, errno);
}

bool AtomicFileWriter::commit(QString *error)
{
    if (m_fd < 0)
        return fail(error, EBADF);
    bool ok = ::fsync(m_fd) == 0;
    int code = errno;
    if (::close(m_fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    m_fd = -1;
    if (ok && ::rename(m_tempPath.constData(), m_target.constData()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        abandon();
        return fail(error, code);
    }
    m_tempPath.clear();
    return true;
}

void AtomicFileWriter::abandon()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.isEmpty())
        ::unlink(m_tempPath.constData());
    m_tempPath.clear();
}

bool writeFileAtomically(const QByteArray &path, QByteArrayView data, QString *error)
{
    AtomicFileWriter file(path);
    return file.open(error) && file.write(data, error) && file.commit(error);
}

} // namespace tunelet
