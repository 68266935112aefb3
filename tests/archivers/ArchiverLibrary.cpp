#include "tests/archivers/ArchiverLibrary.h"

#include <QStringList>
#include <dlfcn.h>

ArchiverLibrary::ArchiverLibrary(const QString &fileName, const QByteArray &prefix)
    : m_prefix(prefix)
{
    const QString path = qEnvironmentVariable("TUNELET_BIN_DIR") + "/" + fileName;
    m_handle = ::dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr)
        m_error = QString::fromLocal8Bit(::dlerror());
}

ArchiverLibrary::~ArchiverLibrary()
{
    if (m_handle != nullptr)
        ::dlclose(m_handle);
}

void *ArchiverLibrary::entry(const QByteArray &name) const
{
    return m_handle != nullptr ? ::dlsym(m_handle, name.constData()) : nullptr;
}

int ArchiverLibrary::command(const QByteArray &line, QByteArray *output, int outputSize) const
{
    auto fn = reinterpret_cast<ArcCommandFn>(entry(m_prefix));
    if (output != nullptr) {
        output->fill('\x7f', outputSize);
        return fn(0, line.constData(), output->data(), uint32_t(outputSize));
    }
    return fn(0, line.constData(), nullptr, 0);
}

ArcHandle ArchiverLibrary::open(const QString &path, uint32_t mode) const
{
    auto fn = reinterpret_cast<ArcOpenArchiveFn>(prefixed("OpenArchive"));
    return fn(0, path.toLocal8Bit().constData(), mode);
}

int ArchiverLibrary::close(ArcHandle h) const
{
    return reinterpret_cast<ArcCloseArchiveFn>(prefixed("CloseArchive"))(h);
}

int ArchiverLibrary::findFirst(ArcHandle h, const char *wild, ArcEntryInfo *info) const
{
    return reinterpret_cast<ArcFindFirstFn>(prefixed("FindFirst"))(h, wild, info);
}

int ArchiverLibrary::findNext(ArcHandle h, ArcEntryInfo *info) const
{
    return reinterpret_cast<ArcFindNextFn>(prefixed("FindNext"))(h, info);
}

int ArchiverLibrary::check(const QString &path, int mode) const
{
    return reinterpret_cast<ArcCheckArchiveFn>(prefixed("CheckArchive"))(
        path.toLocal8Bit().constData(), mode);
}

int ArchiverLibrary::extractMem(const QByteArray &line, QByteArray &buffer, uint32_t *written,
                                int64_t *time, uint16_t *attr) const
{
    auto fn = reinterpret_cast<ArcExtractMemFn>(prefixed("ExtractMem"));
    return fn(0, line.constData(), reinterpret_cast<unsigned char *>(buffer.data()),
              uint32_t(buffer.size()), time, attr, written);
}

QStringList ArchiverLibrary::list(const QString &archive, const char *mask, int *result) const
{
    QStringList names;
    const ArcHandle h = open(archive);
    if (h == 0) {
        if (result != nullptr)
            *result = 0;
        return names;
    }
    ArcEntryInfo info{};
    int rc = findFirst(h, mask, &info);
    while (rc == 0) {
        names << QString::fromLocal8Bit(info.fileName);
        rc = findNext(h, &info);
    }
    close(h);
    if (result != nullptr)
        *result = rc;
    return names;
}

QByteArray backendLine(const QByteArray &head, const QByteArray &archive, const QByteArray &folder,
                       const QByteArrayList &names)
{
    QByteArray line = head + "  \"" + archive + "\"";
    if (!folder.isEmpty())
        line += " \"" + folder + "\\\"";
    for (const QByteArray &name : names)
        line += " \"" + name + "\"";
    return line + ' ';
}
