/*
 * The call contract of the archiver libraries (libunlha32.so, libunzip32.so, libzip32j.so,
 * liblmzip32.so, libcab32.so, libunarj32j.so, libtar32.so, libunrar32.so, libbga32.so).
 *
 * Every library exports the same set of entry points under its own prefix ("Unlha", "UnZip",
 * "Cab", "Unarj", "Tar", "Unrar", "Bga"; the ZIP packers also export "Zip", and the LMZIP
 * library spells the unpacking prefix "Unzip"). ARC_DECLARE_ENTRY_POINTS(prefix) declares them.
 *
 * Results: command functions return 0 on success and a library error code otherwise;
 * FindFirst/FindNext return 0 when a member was found and the record filled, -1 when there
 * is no (more) member, another value on error; OpenArchive returns 0 on failure.
 * Strings are NUL-terminated byte strings, passed and kept as bytes (never decoded).
 *
 * Command lines (one rule for the builder in archive/CmdOpt.cpp and every library; see
 * docs/archivers.md for examples):
 * - A line is split into tokens at blanks (space, tab, CR, LF) outside double quotes.
 * - Inside a token, a run of n double quotes stands for n / 3 literal quotes and switches
 *   quoting on or off n % 3 times. So a '"' inside a quoted value is written as three:
 *   the name  a"b  is the token "a"""b".
 * - A token is a switch only when its '-' stands first on the line or right after one
 *   opening quote (-n1, "-jox y"); an '@' starts a response file only there ("@list").
 *   A value that begins with '-' or '@' is written with an empty pair of quotes before its
 *   first character and the rest quoted (""-"x.lzh", ""@"x"): it is read as a name.
 * - Paths: '\' reads as '/'. In text that is not valid UTF-8, a '\' that is the second
 *   byte of a Shift-JIS double-byte character (0x81-0x9F or 0xE0-0xFC, then 0x40-0x7E or
 *   0x80-0xFC) is part of that character and no separator. A Linux name holding a literal
 *   '\' cannot be told from a separator; the component refuses such names.
 * - The target folder operand ends in a separator ('\' or '/'); that last character marks
 *   it as a folder and the library reads the rest as a folder ending in one '/'.
 * - A line whose values hold no '"' and begin with neither '-' nor '@' is the plain form,
 *   byte for byte ("C:\App\" "*.snr").
 * - A response file holds names one a line: a line without '"' is one name, blanks at its
 *   ends dropped; a line with '"' holds names quoted as above (a quoted name may go on over
 *   the line's end). Every name in it is a name, whatever it begins with.
 * The same paths reach OpenArchive, CheckArchive and TarGetArchiveType, which read '\' the
 * same way but take the path as it is otherwise (no quotes).
 */
#ifndef TUNELET_ARCHIVER_API_H
#define TUNELET_ARCHIVER_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* An owner window: 0 means none. Only the window given to SetOwnerWindowEx is ever
 * dereferenced by a library, and then only when it is not 0: it points to an
 * ArcMessageWindow. Windows passed to the other entry points are opaque ids. */
typedef uintptr_t ArcWindow;

/* An open archive; 0 means failure. */
typedef uintptr_t ArcHandle;

#define ARC_ENTRY_INFO_SIZE 560
#define ARC_ENTRY_NAME_OFFSET 26
#define ARC_ENTRY_NAME_SIZE 513 /* terminator included */

/* The member record filled by FindFirst/FindNext. */
typedef struct __attribute__((packed)) ArcEntryInfo {
    uint32_t originalSize;              /* 0: size after extraction */
    uint32_t compressedSize;            /* 4 */
    uint32_t crc;                       /* 8 */
    uint32_t flag;                      /* 12 */
    uint32_t osType;                    /* 16 */
    uint16_t ratio;                     /* 20: per mille */
    uint16_t date;                      /* 22: MS-DOS date */
    uint16_t time;                      /* 24: MS-DOS time */
    char fileName[ARC_ENTRY_NAME_SIZE]; /* 26: member path, '/'-separated, NUL-terminated */
    char reserved1[3];                  /* 539 */
    char attribute[8];                  /* 542: e.g. "-a--" */
    char method[8];                     /* 550: e.g. "-lh5-" */
    char reserved2[2];                  /* 558 */
} ArcEntryInfo;

#ifdef __cplusplus
static_assert(sizeof(ArcEntryInfo) == ARC_ENTRY_INFO_SIZE, "entry record size");
static_assert(offsetof(ArcEntryInfo, fileName) == ARC_ENTRY_NAME_OFFSET, "member path offset");
#else
_Static_assert(sizeof(ArcEntryInfo) == ARC_ENTRY_INFO_SIZE, "entry record size");
_Static_assert(offsetof(ArcEntryInfo, fileName) == ARC_ENTRY_NAME_OFFSET, "member path offset");
#endif

/* Progress record passed (by address) as the lParam of the progress message. */
typedef struct ArcExtractingInfo {
    uint32_t totalFileSize;
    uint32_t writeSize;
    char sourceFileName[ARC_ENTRY_NAME_SIZE];
    char destFileName[ARC_ENTRY_NAME_SIZE];
} ArcExtractingInfo;

/* Progress states sent as the wParam of the progress message. */
#define ARC_EXTRACT_BEGIN 0
#define ARC_EXTRACT_UPDATE 1
#define ARC_EXTRACT_END 2

/* The progress message window. A library that has an owner window registered through
 * SetOwnerWindowEx (and no callback) reports progress while a command runs by calling
 * window->send(window, window->progressMessage, state, (intptr_t)&info); a result of 1
 * asks it to abort the command. */
#define ARC_MESSAGE_WINDOW_SIGNATURE 0x444E5741u /* "AWND" */

typedef struct ArcMessageWindow ArcMessageWindow;
struct ArcMessageWindow {
    uint32_t signature;       /* ARC_MESSAGE_WINDOW_SIGNATURE */
    uint32_t progressMessage; /* the number registered for "wm_arcextract" */
    intptr_t (*send)(ArcMessageWindow *window, uint32_t message, uintptr_t wParam, intptr_t lParam);
};

/* Optional progress callback for SetOwnerWindowEx; returns 1 to abort. */
typedef int32_t (*ArcProgressCallback)(ArcWindow window, uint32_t message, uint32_t state,
                                       ArcExtractingInfo *info);

/* Mode the content probes open archives with. */
#define ARC_OPEN_MODE_PROBE 0x800002u
/* CheckArchive mode used by the LHA content probe. */
#define ARC_CHECK_MODE_PROBE 16

/* The most member data one call of a library reads out of archives: what it extracts to disk
 * or to memory, what it decompresses to test, probe, list or rewrite one, and what it packs.
 * 64 MiB, four times the largest song file the player plays (16 MiB). A command whose
 * selected members declare more is refused before anything is written; data that turns out
 * longer stops the command there, and no half-written file is left. */
#define ARC_MAX_TOTAL_BYTES (64u * 1024u * 1024u)
/* The result of a command, test or listing that would go beyond ARC_MAX_TOTAL_BYTES. */
#define ARC_ERROR_TOTAL_TOO_LARGE 0x8016
/* The result of a command the library cannot carry out here (a self-extractor: it needs a Windows
 * program stub this platform does not have); the back-end raises its message. Also in
 * tools/archivers/include/ArchiverErrors.h, the same definition. */
#define ARC_ERROR_NOT_SUPPORTED 0x8002

/* Results of TarGetArchiveType. */
#define ARC_TYPE_UNKNOWN 0
#define ARC_TYPE_TAR 1
#define ARC_TYPE_TAR_GZ 2
#define ARC_TYPE_TAR_Z 3
#define ARC_TYPE_GZ 4
#define ARC_TYPE_Z 5
#define ARC_TYPE_TAR_BZ2 6
#define ARC_TYPE_BZ2 7

/* Entry point types, shared by every prefix. */
typedef int32_t (*ArcCommandFn)(ArcWindow window, const char *cmdLine, char *output,
                                uint32_t outputSize);
typedef ArcHandle (*ArcOpenArchiveFn)(ArcWindow window, const char *path, uint32_t mode);
typedef int32_t (*ArcCloseArchiveFn)(ArcHandle archive);
typedef int32_t (*ArcFindFirstFn)(ArcHandle archive, const char *wildName, ArcEntryInfo *info);
typedef int32_t (*ArcFindNextFn)(ArcHandle archive, ArcEntryInfo *info);
typedef int32_t (*ArcCheckArchiveFn)(const char *path, int32_t mode);
typedef int32_t (*ArcSetOwnerWindowExFn)(ArcWindow window, ArcProgressCallback callback);
typedef int32_t (*ArcKillOwnerWindowExFn)(ArcWindow window);
typedef int32_t (*ArcExtractMemFn)(ArcWindow window, const char *cmdLine, unsigned char *buffer,
                                   uint32_t bufferSize, int64_t *timeStamp, uint16_t *attributes,
                                   uint32_t *written);
typedef int32_t (*ArcGetArchiveTypeFn)(const char *path);

#define ARC_EXPORT __attribute__((visibility("default")))

/* Declares the nine entry points of one prefix, e.g. ARC_DECLARE_ENTRY_POINTS(Unlha). */
#define ARC_DECLARE_ENTRY_POINTS(P)                                                                \
    ARC_EXPORT int32_t P(ArcWindow window, const char *cmdLine, char *output,                      \
                         uint32_t outputSize);                                                     \
    ARC_EXPORT ArcHandle P##OpenArchive(ArcWindow window, const char *path, uint32_t mode);        \
    ARC_EXPORT int32_t P##CloseArchive(ArcHandle archive);                                         \
    ARC_EXPORT int32_t P##FindFirst(ArcHandle archive, const char *wildName, ArcEntryInfo *info);  \
    ARC_EXPORT int32_t P##FindNext(ArcHandle archive, ArcEntryInfo *info);                         \
    ARC_EXPORT int32_t P##CheckArchive(const char *path, int32_t mode);                            \
    ARC_EXPORT int32_t P##SetOwnerWindowEx(ArcWindow window, ArcProgressCallback callback);        \
    ARC_EXPORT int32_t P##KillOwnerWindowEx(ArcWindow window);                                     \
    ARC_EXPORT int32_t P##ExtractMem(ArcWindow window, const char *cmdLine, unsigned char *buffer, \
                                     uint32_t bufferSize, int64_t *timeStamp,                      \
                                     uint16_t *attributes, uint32_t *written)

/* The packing command of the ZIP packers ("Zip"). */
#define ARC_DECLARE_ZIP_COMMAND()                                                                  \
    ARC_EXPORT int32_t Zip(ArcWindow window, const char *cmdLine, char *output, uint32_t outputSize)

/* The archive type query of the TAR library. */
#define ARC_DECLARE_TAR_TYPE_QUERY() ARC_EXPORT int32_t TarGetArchiveType(const char *path)

#ifdef __cplusplus
}
#endif

#endif
