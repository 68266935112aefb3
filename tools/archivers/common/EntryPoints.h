#pragma once

#include "archive/ArchiverApi.h"
#include "tools/archivers/common/Commands.h"

// The exported entry points of one stand-in library, defined once here for every prefix.
namespace archivers::entry
{

int32_t command(Library library, ArcWindow window, const char *cmdLine, char *output,
                uint32_t outputSize);
ArcHandle openArchive(Library library, const char *path);
int32_t closeArchive(ArcHandle archive);
int32_t findFirst(ArcHandle archive, const char *wildName, ArcEntryInfo *info);
int32_t findNext(ArcHandle archive, ArcEntryInfo *info);
int32_t checkArchive(Library library, const char *path, int32_t mode);
int32_t setOwnerWindow(ArcWindow window, ArcProgressCallback callback);
int32_t killOwnerWindow(ArcWindow window);
int32_t extractMem(Library library, const char *cmdLine, unsigned char *buffer, uint32_t bufferSize,
                   int64_t *timeStamp, uint16_t *attributes, uint32_t *written);
int32_t running();

// Version of the stand-in libraries, as GetVersion reports it (1.00).
constexpr uint16_t kVersion = 100;

} // namespace archivers::entry

// Defines the nine entry points plus GetVersion and GetRunning of prefix P for library L.
#define ARCHIVERS_DEFINE_ENTRY_POINTS(P, L)                                                        \
    extern "C" {                                                                                   \
    ARC_DECLARE_ENTRY_POINTS(P);                                                                   \
    ARC_EXPORT uint16_t P##GetVersion(void);                                                       \
    ARC_EXPORT int32_t P##GetRunning(void);                                                        \
    int32_t P(ArcWindow window, const char *cmdLine, char *output, uint32_t outputSize)            \
    {                                                                                              \
        return archivers::entry::command(L, window, cmdLine, output, outputSize);                  \
    }                                                                                              \
    ArcHandle P##OpenArchive(ArcWindow, const char *path, uint32_t)                                \
    {                                                                                              \
        return archivers::entry::openArchive(L, path);                                             \
    }                                                                                              \
    int32_t P##CloseArchive(ArcHandle archive)                                                     \
    {                                                                                              \
        return archivers::entry::closeArchive(archive);                                            \
    }                                                                                              \
    int32_t P##FindFirst(ArcHandle archive, const char *wildName, ArcEntryInfo *info)              \
    {                                                                                              \
        return archivers::entry::findFirst(archive, wildName, info);                               \
    }                                                                                              \
    int32_t P##FindNext(ArcHandle archive, ArcEntryInfo *info)                                     \
    {                                                                                              \
        return archivers::entry::findNext(archive, info);                                          \
    }                                                                                              \
    int32_t P##CheckArchive(const char *path, int32_t mode)                                        \
    {                                                                                              \
        return archivers::entry::checkArchive(L, path, mode);                                      \
    }                                                                                              \
    int32_t P##SetOwnerWindowEx(ArcWindow window, ArcProgressCallback callback)                    \
    {                                                                                              \
        return archivers::entry::setOwnerWindow(window, callback);                                 \
    }                                                                                              \
    int32_t P##KillOwnerWindowEx(ArcWindow window)                                                 \
    {                                                                                              \
        return archivers::entry::killOwnerWindow(window);                                          \
    }                                                                                              \
    int32_t P##ExtractMem(ArcWindow, const char *cmdLine, unsigned char *buffer,                   \
                          uint32_t bufferSize, int64_t *timeStamp, uint16_t *attributes,           \
                          uint32_t *written)                                                       \
    {                                                                                              \
        return archivers::entry::extractMem(L, cmdLine, buffer, bufferSize, timeStamp, attributes, \
                                            written);                                              \
    }                                                                                              \
    uint16_t P##GetVersion(void)                                                                   \
    {                                                                                              \
        return archivers::entry::kVersion;                                                         \
    }                                                                                              \
    int32_t P##GetRunning(void)                                                                    \
    {                                                                                              \
        return archivers::entry::running();                                                        \
    }                                                                                              \
    }
