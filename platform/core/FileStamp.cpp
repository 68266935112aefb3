#include "platform/core/FileStamp.h"

#include <QHashFunctions>

#include <ctime>
#include <sys/stat.h>

namespace tunelet
{

namespace
{
// Longer than the coarsest modification-time tick of a common file system
// (2 s on FAT), so a change after a settled stamp always moves the time.
constexpr qint64 kSettleNanoseconds = 3'000'000'000;

qint64 nanoseconds(const timespec &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + qint64(t.tv_nsec);
}
} // namespace

quint64 settledFileStamp(const struct ::stat &st)
{
    if (!S_ISREG(st.st_mode))
        return 0;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now); // a tick is plenty here, and cheap
    const qint64 modified = nanoseconds(st.st_mtim);
    if (modified > nanoseconds(now) - kSettleNanoseconds)
        return 0;
    const quint64 stamp =
        qHashMulti(0, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), modified);
    return stamp == 0 ? 1 : stamp;
}

quint64 settledFileStamp(const QByteArray &path)
{
    struct stat st {
    };
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0)
        return 0;
    return settledFileStamp(st);
}

} // namespace tunelet
