#pragma once

#include "archive/LibraryArchiver.h"

// ZIP archives through up to three libraries: "UNZIP32.DLL" unpacks, "ZIP32J.DLL" packs,
// "LMZIP32.DLL" does either. Each entry point comes from the first loaded library of its
// search order that has it; the owner window is registered with "UNZIP32.DLL" only.
class TZip32 : public TLibraryArchiver
{
public:
    TZip32();

    // Loads every one of the three that is not loaded yet; raises only when none is.
    void LoadDLL() override;
    void FreeDLL() override;
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
    // The library receives the mode alone.
    int CheckArchive(const QByteArray &archive, int mode, int extra) override;
    // OwnerWindow is kept only once the library has the window.
    int SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback) override;
    void LoadPackDLL() override;

    // The file has to exist, then a library has to open it.
    static bool IsArchive(const QByteArray &path);
    static LibraryUnit &UnzipLibrary();
    static LibraryUnit &Zip32jLibrary();
    static LibraryUnit &LmzipLibrary();

protected:
    // "UnZip<suffix>" from the libraries in its search order; "UnZip" itself is the
    // unpacking command.
    void *Entry(const char *suffix) override;

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
};

// Names as the ZIP libraries take them: every '\' becomes '/' and every '[' becomes "[[]",
// double-byte characters kept whole.
QByteArray ZipFileNameConverter(const QByteArray &name);
