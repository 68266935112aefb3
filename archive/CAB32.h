#pragma once

#include "Archiver.h"

class LibraryUnit;

// CAB archives through "CAB32.DLL" (entry prefix "Cab").
class TCab32 : public TArchiver
{
public:
    void LoadDLL() override;
    void FreeDLL() override;
    ArchiveHandle OpenArchive(WindowHandle window, const QByteArray &archive, int mode) override;
    int FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info,
                  const QByteArray &wildName) override;
    int FindNext(ArchiveHandle handle, TArchiveEntryInfo &info) override;
    int CloseArchive(ArchiveHandle handle) override;
    int Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
               const QByteArray &destDir, const FileItems &files, bool useResFile,
               QByteArray &output) override;
    int Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
             const QByteArray &destDir, const FileItems &files, bool useResFile,
             QByteArray &output) override;
    int MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                const QByteArray &destDir, QByteArray &output) override;
    int ExtractMem(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &name, void *buffer, std::uint32_t size,
                   std::uint32_t *written) override;
    int CheckArchive(const QByteArray &archive, int mode, int extra) override;
    int SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback) override;
    int KillOwnerWindowEx(WindowHandle window) override;

    static LibraryUnit &Library();
    static bool IsArchive(const QByteArray &path);

private:
    QByteArray BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                const TArchiverOptions &options, const QByteArray &destDir,
                                const FileItems &files, bool useResFile);
    int Run(WindowHandle window, QByteArray &output);
};
