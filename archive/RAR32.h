#pragma once

#include "archive/LibraryArchiver.h"

// RAR archives through "UNRAR32.DLL" (entry prefix "Unrar"); unpacking only.
class TRar32 : public TLibraryArchiver
{
public:
    TRar32();

    // "-e" when option x is 0, else "-x".
    int Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
               const QByteArray &destDir, const FileItems &files, bool useResFile,
               QByteArray &output) override;
    int ExtractMem(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &name, void *buffer, std::uint32_t size,
                   std::uint32_t *written) override;

    static LibraryUnit &Library();
    static bool IsArchive(const QByteArray &path);

private:
    QByteArray BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                const TArchiverOptions &options, const QByteArray &destDir,
                                const FileItems &files, bool useResFile);
};
