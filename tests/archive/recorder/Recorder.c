/*
 * A recording archiver library for tests: exports the entry points of one prefix (REC_PREFIX)
 * and appends one line per call to the file named by TUNELET_RECORDER_LOG:
 *   <library>\t<entry>\t<argument>\t<argument>...
 * Answers come from the environment:
 *   TUNELET_RECORDER_RESULT    command and ExtractMem result (default 0)
 *   TUNELET_RECORDER_OPEN      OpenArchive handle (default 4660; 0 = failure)
 *   TUNELET_RECORDER_CHECK     CheckArchive answer (default 1)
 *   TUNELET_RECORDER_OWNER     SetOwnerWindowEx/KillOwnerWindowEx answer (default 1)
 *   TUNELET_RECORDER_TYPE      TarGetArchiveType answer (default 1)
 *   TUNELET_RECORDER_MEMBERS   ';'-separated member paths listed by FindFirst/FindNext
 *   TUNELET_RECORDER_PROGRESS  when set, the command reports progress to the owner window
 */
#include "archive/ArchiverApi.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define REC_STR2(x) #x
#define REC_STR(x) REC_STR2(x)
#define REC_CAT2(a, b) a##b
#define REC_CAT(a, b) REC_CAT2(a, b)
#define REC_ENTRY(suffix) REC_CAT(REC_PREFIX, suffix)
#define REC_ENTRY_NAME(suffix) REC_STR(REC_PREFIX) #suffix

static void record(const char *entry, const char *format, ...)
{
    const char *path = getenv("TUNELET_RECORDER_LOG");
    if (path == NULL || *path == '\0')
        return;
    FILE *file = fopen(path, "a");
    if (file == NULL)
        return;
    fprintf(file, "%s\t%s", REC_NAME, entry);
    if (format != NULL) {
        va_list args;
        va_start(args, format);
        fputc('\t', file);
        vfprintf(file, format, args);
        va_end(args);
    }
    fputc('\n', file);
    fclose(file);
}

static long answer(const char *name, long fallback)
{
    const char *text = getenv(name);
    return text != NULL && *text != '\0' ? strtol(text, NULL, 0) : fallback;
}

static ArcWindow owner;
static int nextMember;

static int member(int index, ArcEntryInfo *info)
{
    const char *list = getenv("TUNELET_RECORDER_MEMBERS");
    if (list == NULL)
        return -1;
    for (int i = 0; i < index; ++i) {
        list = strchr(list, ';');
        if (list == NULL)
            return -1;
        ++list;
    }
    if (*list == '\0')
        return -1;
    size_t length = strcspn(list, ";");
    if (length >= ARC_ENTRY_NAME_SIZE)
        length = ARC_ENTRY_NAME_SIZE - 1;
    memset(info, 0, sizeof *info);
    memcpy(info->fileName, list, length);
    return 0;
}

static int32_t command(const char *entry, ArcWindow window, const char *cmdLine, char *output,
                       uint32_t outputSize)
{
    record(entry, "%lu\t%s\t%s\t%u", (unsigned long)window, cmdLine,
           output != NULL ? "output" : "null", (unsigned)outputSize);
    if (getenv("TUNELET_RECORDER_PROGRESS") != NULL && owner != 0) {
        ArcMessageWindow *target = (ArcMessageWindow *)owner;
        if (target->signature == ARC_MESSAGE_WINDOW_SIGNATURE) {
            ArcExtractingInfo info;
            memset(&info, 0, sizeof info);
            strcpy(info.sourceFileName, "member.snr");
            intptr_t result =
                target->send(target, target->progressMessage, ARC_EXTRACT_BEGIN, (intptr_t)&info);
            record("progress", "%ld", (long)result);
            if (result == 1)
                return 0x8020;
        }
    }
    if (output != NULL && outputSize > 0)
        snprintf(output, outputSize, "%s", REC_NAME);
    return (int32_t)answer("TUNELET_RECORDER_RESULT", 0);
}

#define REC_DECLARE(p) ARC_DECLARE_ENTRY_POINTS(p)
REC_DECLARE(REC_PREFIX);

ARC_EXPORT int32_t REC_PREFIX(ArcWindow window, const char *cmdLine, char *output,
                              uint32_t outputSize)
{
    return command(REC_STR(REC_PREFIX), window, cmdLine, output, outputSize);
}

ARC_EXPORT ArcHandle REC_ENTRY(OpenArchive)(ArcWindow window, const char *path, uint32_t mode)
{
    record(REC_ENTRY_NAME(OpenArchive), "%lu\t%s\t0x%x", (unsigned long)window, path, mode);
    return (ArcHandle)answer("TUNELET_RECORDER_OPEN", 4660);
}

ARC_EXPORT int32_t REC_ENTRY(CloseArchive)(ArcHandle archive)
{
    record(REC_ENTRY_NAME(CloseArchive), "%lu", (unsigned long)archive);
    return 0;
}

ARC_EXPORT int32_t REC_ENTRY(FindFirst)(ArcHandle archive, const char *wildName, ArcEntryInfo *info)
{
    record(REC_ENTRY_NAME(FindFirst), "%lu\t%s", (unsigned long)archive, wildName);
    nextMember = 1;
    return member(0, info);
}

#ifndef REC_NO_FINDNEXT
ARC_EXPORT int32_t REC_ENTRY(FindNext)(ArcHandle archive, ArcEntryInfo *info)
{
    record(REC_ENTRY_NAME(FindNext), "%lu", (unsigned long)archive);
    return member(nextMember++, info);
}
#endif

ARC_EXPORT int32_t REC_ENTRY(CheckArchive)(const char *path, int32_t mode)
{
    record(REC_ENTRY_NAME(CheckArchive), "%s\t%d", path, (int)mode);
    return (int32_t)answer("TUNELET_RECORDER_CHECK", 1);
}

ARC_EXPORT int32_t REC_ENTRY(SetOwnerWindowEx)(ArcWindow window, ArcProgressCallback callback)
{
    record(REC_ENTRY_NAME(SetOwnerWindowEx), "%s\t%s", window != 0 ? "window" : "0",
           callback != NULL ? "callback" : "null");
    owner = window;
    return (int32_t)answer("TUNELET_RECORDER_OWNER", 1);
}

ARC_EXPORT int32_t REC_ENTRY(KillOwnerWindowEx)(ArcWindow window)
{
    record(REC_ENTRY_NAME(KillOwnerWindowEx), "%s", window != 0 ? "window" : "0");
    owner = 0;
    return (int32_t)answer("TUNELET_RECORDER_OWNER", 1);
}

#ifndef REC_NO_EXTRACTMEM
ARC_EXPORT int32_t REC_ENTRY(ExtractMem)(ArcWindow window, const char *cmdLine,
                                         unsigned char *buffer, uint32_t bufferSize,
                                         int64_t *timeStamp, uint16_t *attributes,
                                         uint32_t *written)
{
    record(REC_ENTRY_NAME(ExtractMem), "%lu\t%s\t%u\t%s\t%s\t%s", (unsigned long)window, cmdLine,
           (unsigned)bufferSize, timeStamp != NULL ? "time" : "null",
           attributes != NULL ? "attributes" : "null", written != NULL ? "written" : "null");
    if (buffer != NULL && bufferSize >= 2) {
        memcpy(buffer, "ok", 2);
        if (written != NULL)
            *written = 2;
    }
    return (int32_t)answer("TUNELET_RECORDER_RESULT", 0);
}
#endif

#ifdef REC_ZIP_COMMAND
ARC_DECLARE_ZIP_COMMAND();
ARC_EXPORT int32_t Zip(ArcWindow window, const char *cmdLine, char *output, uint32_t outputSize)
{
    return command("Zip", window, cmdLine, output, outputSize);
}
#endif

#ifdef REC_TAR_TYPE
ARC_DECLARE_TAR_TYPE_QUERY();
ARC_EXPORT int32_t TarGetArchiveType(const char *path)
{
    record("TarGetArchiveType", "%s", path);
    return (int32_t)answer("TUNELET_RECORDER_TYPE", 1);
}
#endif
