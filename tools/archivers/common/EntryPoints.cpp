#include "tools/archivers/common/EntryPoints.h"

#include "tools/archivers/common/CommandLine.h"
#include "tools/archivers/common/Listing.h"
#include "tools/archivers/common/LocaleScope.h"
#include "tools/archivers/common/OwnerWindow.h"
#include "tools/archivers/include/ArchiverErrors.h"

#include <exception>
#include <utility>

namespace archivers::entry
{
namespace
{

// No C++ exception may cross the C boundary; std::bad_alloc, one thrown by a progress
// receiver and the like become an error.
template <typename F> int32_t guarded(F &&f, int32_t onError)
{
    LocaleScope utf8;
    try {
        return f();
    } catch (...) {
        return onError;
    }
}

// A command-line function: refused without a line and while another command runs; a failure
// to carry it out answers ARC_ERROR_WRITE.
template <typename F> int32_t runLine(const char *cmdLine, F &&f)
{
    if (cmdLine == nullptr)
        return ARC_ERROR_COMMAND_LINE;
    RunningScope scope;
    if (scope.refused())
        return ARC_ERROR_BUSY;
    return guarded(std::forward<F>(f), ARC_ERROR_WRITE);
}

} // namespace

int32_t command(Library library, ArcWindow, const char *cmdLine, char *output, uint32_t outputSize)
{
    copyOutput({}, output, outputSize);
    return runLine(cmdLine, [&] {
        std::string log;
        const int32_t rc = runCommand(library, cmdLine, log);
        copyOutput(log, output, outputSize);
        return rc;
    });
}

ArcHandle openArchive(Library library, const char *path)
{
    if (path == nullptr)
        return 0;
    LocaleScope utf8;
    try {
        return listing::open(formatOf(library), toSlashes(path));
    } catch (const std::exception &) {
        return 0;
    }
}

int32_t closeArchive(ArcHandle archive)
{
    return guarded([&] { return listing::close(archive); }, ARC_ERROR_HANDLE);
}

int32_t findFirst(ArcHandle archive, const char *wildName, ArcEntryInfo *info)
{
    return guarded([&] { return listing::findFirst(archive, wildName, info); },
                   ARC_ERROR_ARCHIVE_DAMAGED);
}

int32_t findNext(ArcHandle archive, ArcEntryInfo *info)
{
    return guarded([&] { return listing::findNext(archive, info); }, ARC_ERROR_ARCHIVE_DAMAGED);
}

int32_t checkArchive(Library library, const char *path, int32_t)
{
    if (path == nullptr)
        return 0;
    // Every mode reads the whole archive through, checksums included.
    return guarded(
        [&] {
            std::string log;
            return testArchive(formatOf(library), toSlashes(path), log) == ARC_OK ? 1 : 0;
        },
        0);
}

int32_t setOwnerWindow(ArcWindow window, ArcProgressCallback callback)
{
    return owner::set(window, callback);
}

int32_t killOwnerWindow(ArcWindow window)
{
    return owner::kill(window);
}

int32_t extractMem(Library library, const char *cmdLine, unsigned char *buffer, uint32_t bufferSize,
                   int64_t *timeStamp, uint16_t *attributes, uint32_t *written)
{
    if (written != nullptr)
        *written = 0;
    return runLine(cmdLine, [&] {
        return runExtractMem(library, cmdLine, buffer, bufferSize, timeStamp, attributes, written);
    });
}

int32_t running()
{
    return RunningScope::running() ? 1 : 0;
}

} // namespace archivers::entry
