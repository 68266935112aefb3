#pragma once

#include "Archiver.h"
#include "ArchiverTypes.h"

class LibraryUnit;

// TAR, TGZ and BZ2 archives through "tar32.dll" (entry prefix "Tar").
class TTar32 : public TArchiver
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
    // The content probe: atTar, atTgz or atBZ2 by the library's type query, else atNone.
    static TArchiverType ArchiveType(const QByteArray &path);

    TTar32() = default;

protected:
    enum class Compression { None, Gzip, Bzip2 };
    explicit TTar32(Compression compression) : compression_(compression) {}

    // The TAR command line: switches, the user options, -f and the archive, -o and the target
    // folder (each value quoted after its switch), the file list and the user file list.
    QByteArray BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                const TArchiverOptions &options, const QByteArray &destDir,
                                const FileItems &files, bool useResFile);

private:
    int Run(WindowHandle window, QByteArray &output);
    Compression compression_ = Compression::None;
};

// TAR archives compressed with gzip or compress; "-z" or "-z<level>".
class TTgz32 final : public TTar32
{
public:
    TTgz32() : TTar32(Compression::Gzip) {}
};

// TAR archives compressed with bzip2; "-B" or "-B<level>"; never self-extracting.
class TBZ232 final : public TTar32
{
public:
    TBZ232() : TTar32(Compression::Bzip2) {}
};
