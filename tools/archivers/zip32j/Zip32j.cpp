// Entry points of libzip32j.so, the ZIP packer: the "Zip" command (pack, delete, freshen,
// self-extractor adjustment) and the ZIP listing, check and extract-to-memory entries.
#include "tools/archivers/common/EntryPoints.h"

using archivers::Library;
namespace entry = archivers::entry;

extern "C" {
ARC_DECLARE_ZIP_COMMAND();
ARC_EXPORT ArcHandle UnZipOpenArchive(ArcWindow window, const char *path, uint32_t mode);
ARC_EXPORT int32_t UnZipCloseArchive(ArcHandle archive);
ARC_EXPORT int32_t UnZipFindFirst(ArcHandle archive, const char *wildName, ArcEntryInfo *info);
ARC_EXPORT int32_t UnZipFindNext(ArcHandle archive, ArcEntryInfo *info);
ARC_EXPORT int32_t UnZipCheckArchive(const char *path, int32_t mode);
ARC_EXPORT int32_t UnZipExtractMem(ArcWindow window, const char *cmdLine, unsigned char *buffer,
                                   uint32_t bufferSize, int64_t *timeStamp, uint16_t *attributes,
                                   uint32_t *written);
ARC_EXPORT uint16_t ZipGetVersion(void);
ARC_EXPORT int32_t ZipGetRunning(void);

int32_t Zip(ArcWindow window, const char *cmdLine, char *output, uint32_t outputSize)
{
    return entry::command(Library::Zip, window, cmdLine, output, outputSize);
}

ArcHandle UnZipOpenArchive(ArcWindow, const char *path, uint32_t)
{
    return entry::openArchive(Library::UnZip, path);
}

int32_t UnZipCloseArchive(ArcHandle archive)
{
    return entry::closeArchive(archive);
}

int32_t UnZipFindFirst(ArcHandle archive, const char *wildName, ArcEntryInfo *info)
{
    return entry::findFirst(archive, wildName, info);
}

int32_t UnZipFindNext(ArcHandle archive, ArcEntryInfo *info)
{
    return entry::findNext(archive, info);
}

int32_t UnZipCheckArchive(const char *path, int32_t mode)
{
    return entry::checkArchive(Library::UnZip, path, mode);
}

int32_t UnZipExtractMem(ArcWindow, const char *cmdLine, unsigned char *buffer, uint32_t bufferSize,
                        int64_t *timeStamp, uint16_t *attributes, uint32_t *written)
{
    return entry::extractMem(Library::UnZip, cmdLine, buffer, bufferSize, timeStamp, attributes,
                             written);
}

uint16_t ZipGetVersion(void)
{
    return entry::kVersion;
}

int32_t ZipGetRunning(void)
{
    return entry::running();
}
}
