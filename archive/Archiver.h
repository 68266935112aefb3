#pragma once

#include "archive/ArchiverOptions.h"
#include "archive/ArchiverPaths.h"
#include "archive/ArchiverTypes.h"
#include "archive/CmdOpt.h"
#include "archive/FileItems.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <memory>

class LibraryUnit;

// The abstract back-end: one archive format driven through one or more archiver libraries.
// The virtual operations keep their slot order. Back-ends are made with Create<T>(), which
// loads the class's library (LoadDLL through the virtual slot) and raises when it is missing.
class TArchiver
{
public:
    TArchiver() = default;
    virtual ~TArchiver() = default;
    TArchiver(const TArchiver &) = delete;
    TArchiver &operator=(const TArchiver &) = delete;

    template <typename T> static std::unique_ptr<T> Create()
    {
        auto archiver = std::make_unique<T>();
        archiver->LoadDLL();
        return archiver;
    }

    /* 0 */ virtual void LoadDLL();
    /* 1 */ virtual void FreeDLL();
    /* 2 */ virtual ArchiveHandle OpenArchive(WindowHandle window, const QByteArray &archive,
                                              int mode);
    /* 3 */ virtual int FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info,
                                  const QByteArray &wildName);
    /* 4 */ virtual int FindNext(ArchiveHandle handle, TArchiveEntryInfo &info);
    /* 5 */ virtual int CloseArchive(ArchiveHandle handle);
    /* 6 */ virtual int Unpack(WindowHandle window, const QByteArray &archive,
                               const TArchiverOptions &options, const QByteArray &destDir,
                               const FileItems &files, bool useResFile, QByteArray &output) = 0;
    /* 7 */ virtual int Pack(WindowHandle window, const QByteArray &archive,
                             const TArchiverOptions &options, const QByteArray &destDir,
                             const FileItems &files, bool useResFile, QByteArray &output);
    /* 8 */ virtual int RemoveItems(WindowHandle window, const QByteArray &archive,
                                    const TArchiverOptions &options, const QByteArray &destDir,
                                    const FileItems &files, bool useResFile, QByteArray &output);
    /* 9 */ virtual int Update(WindowHandle window, const QByteArray &archive,
                               const TArchiverOptions &options, const QByteArray &destDir,
                               const FileItems &files, bool useResFile, QByteArray &output);
    /* 10 */ virtual int MakeSFX(WindowHandle window, const QByteArray &archive,
                                 const TArchiverOptions &options, const QByteArray &destDir,
                                 QByteArray &output);
    /* 11 */ virtual int ExtractMem(WindowHandle window, const QByteArray &archive,
                                    const TArchiverOptions &options, const QByteArray &name,
                                    void *buffer, std::uint32_t size, std::uint32_t *written);
    /* 12 */ virtual int CheckArchive(const QByteArray &archive, int mode, int extra);
    /* 13 */ virtual int SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback);
    /* 14 */ virtual int KillOwnerWindowEx(WindowHandle window);
    /* 15 */ virtual void LoadPackDLL();

    WindowHandle OwnerWindow = 0;
    QByteArray CommandLine;

    bool HasOwnerWindow() const { return OwnerWindow != 0; }
    // The archive path quoted, then the target folder quoted with a trailing backslash. A path
    // the library would read as another one raises EArchiver (RequireUnambiguousPath).
    void AddArchiveAndDir(TCmdOpt &cmd, const QByteArray &archive, const QByteArray &destDir);
    // The file items (or a response file for them), then the option set's UserFileList.
    void AddFileList(TCmdOpt &cmd, const TArchiverOptions &options, bool useResFile,
                     const FileItems &files);
    // How every builder but TAR's ends: the user options, AddArchiveAndDir, AddFileList; the
    // command text goes first.
    QByteArray FinishCommandLine(TCmdOpt &cmd, const QByteArray &command, const QByteArray &archive,
                                 const TArchiverOptions &options, const QByteArray &destDir,
                                 const FileItems &files, bool useResFile);

protected:
    // Calls a command function, lending the output buffer when it is not empty.
    static int Execute(ArcCommandFn command, WindowHandle window, const QByteArray &cmdLine,
                       QByteArray &output);
};

// Brings an owner window back to the front after a library call (the TAR back-end). The
// application installs the real action; the default does nothing.
void SetForegroundWindow(WindowHandle window);
void SetForegroundWindowHandler(std::function<void(WindowHandle)> handler);
