#pragma once

#include "archive/ArchiverTypes.h"
#include "archive/LibraryArchiver.h"

// TAR, TGZ and BZ2 archives through "tar32.dll" (entry prefix "Tar"). The owner-window
// functions hand the library's answers back unchanged.
class TTar32 : public TLibraryArchiver
{
public:
    TTar32();

    int Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
               const QByteArray &destDir, const FileItems &files, bool useResFile,
               QByteArray &output) override;
    int Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
             const QByteArray &destDir, const FileItems &files, bool useResFile,
             QByteArray &output) override;
    // The stub "kmtarsef.exe" and the archive joined; no library command follows.
    int MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                const QByteArray &destDir, QByteArray &output) override;
    int ExtractMem(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &name, void *buffer, std::uint32_t size,
                   std::uint32_t *written) override;

    static LibraryUnit &Library();
    // The content probe: atTar, atTgz or atBZ2 by the library's type query, else atNone.
    static TArchiverType ArchiveType(const QByteArray &path);

protected:
    enum class Compression { None, Gzip, Bzip2 };
    explicit TTar32(Compression compression);

    // The TAR command line: switches, the user options, -f and the archive, -o and the target
    // folder (each value quoted after its switch), the file list and the user file list.
    QByteArray BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                const TArchiverOptions &options, const QByteArray &destDir,
                                const FileItems &files, bool useResFile);

private:
    int Run(WindowHandle window, QByteArray &output);
    Compression m_compression = Compression::None;
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
