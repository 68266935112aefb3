#pragma once

#include "Archiver.h"

class LibraryUnit;

// ZIP archives through up to three libraries: "UNZIP32.DLL" unpacks, "ZIP32J.DLL" packs,
// "LMZIP32.DLL" does either. Each entry point comes from the first loaded library that has it.
class TZip32 : public TArchiver
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
    int RemoveItems(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                    const QByteArray &destDir, const FileItems &files, bool useResFile,
                    QByteArray &output) override;
    int Update(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
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
    void LoadPackDLL() override;

    static bool IsArchive(const QByteArray &path);
    static LibraryUnit &UnzipLibrary();
    static LibraryUnit &Zip32jLibrary();
    static LibraryUnit &LmzipLibrary();

private:
    QByteArray BuildUnpackCommandLine(const QByteArray &command, const QByteArray &archive,
                                      const TArchiverOptions &options, const QByteArray &destDir,
                                      const FileItems &files, bool useResFile);
    QByteArray BuildPackCommandLine(const QByteArray &command, const QByteArray &archive,
                                    const TArchiverOptions &options, const QByteArray &destDir,
                                    const FileItems &files, bool useResFile);
    QByteArray BuildLmzipCommandLine(const QByteArray &command, const QByteArray &archive,
                                     const TArchiverOptions &options, const QByteArray &destDir,
                                     const FileItems &files, bool useResFile);
    int RunZip(WindowHandle window, QByteArray &output);
    int RunUnZip(WindowHandle window, QByteArray &output);
};

// Names as the ZIP libraries take them: every '\' becomes '/' and every '[' becomes "[[]",
// double-byte characters kept whole.
QByteArray ZipFileNameConverter(const QByteArray &name);
