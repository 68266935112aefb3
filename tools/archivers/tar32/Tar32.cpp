// Entry points of libtar32.so, the "Tar" archiver library on libarchive: tar, tgz/taz and
// bz2 archives, also single compressed files.
#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/EntryPoints.h"
#include "tools/archivers/common/RegularFile.h"

#include <archive.h>
#include <memory>
#include <unistd.h>

ARCHIVERS_DEFINE_ENTRY_POINTS(Tar, archivers::Library::Tar)

namespace
{

struct ReadDeleter {
    void operator()(archive *a) const { archive_read_free(a); }
};

struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

int32_t archiveType(const char *path)
{
    // Regular files only: content detection reaches files of any extension, FIFOs included.
    const Descriptor file{archivers::openRegularFile(archivers::toSlashes(path))};
    if (file.fd < 0)
        return ARC_TYPE_UNKNOWN;
    std::unique_ptr<archive, ReadDeleter> a(archive_read_new());
    archive_read_support_format_tar(a.get());
    archive_read_support_format_gnutar(a.get());
    archive_read_support_format_raw(a.get());
    archive_read_support_filter_gzip(a.get());
    archive_read_support_filter_bzip2(a.get());
    archive_read_support_filter_compress(a.get());
    if (archive_read_open_fd(a.get(), file.fd, 64 * 1024) != ARCHIVE_OK)
        return ARC_TYPE_UNKNOWN;
    archive_entry *entry = nullptr;
    if (archive_read_next_header(a.get(), &entry) < ARCHIVE_WARN)
        return ARC_TYPE_UNKNOWN;
    const bool isTar = (archive_format(a.get()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_TAR;
    switch (archive_filter_code(a.get(), 0)) {
    case ARCHIVE_FILTER_NONE:
        return isTar ? ARC_TYPE_TAR : ARC_TYPE_UNKNOWN;
    case ARCHIVE_FILTER_GZIP:
        return isTar ? ARC_TYPE_TAR_GZ : ARC_TYPE_GZ;
    case ARCHIVE_FILTER_COMPRESS:
        return isTar ? ARC_TYPE_TAR_Z : ARC_TYPE_Z;
    case ARCHIVE_FILTER_BZIP2:
        return isTar ? ARC_TYPE_TAR_BZ2 : ARC_TYPE_BZ2;
    default:
        return ARC_TYPE_UNKNOWN;
    }
}

} // namespace

extern "C" {
ARC_DECLARE_TAR_TYPE_QUERY();

int32_t TarGetArchiveType(const char *path)
{
    if (path == nullptr)
        return ARC_TYPE_UNKNOWN;
    try {
        return archiveType(path);
    } catch (...) {
        return ARC_TYPE_UNKNOWN;
    }
}
}
