#pragma once

#include "archive/LibraryArchiver.h"

// CAB archives through "CAB32.DLL" (entry prefix "Cab"). The owner-window functions hand the
// library's answers back unchanged.
class TCab32 : public TLibraryArchiver
{
public:
    TCab32();

    // The archive path goes in as a full path.
    int Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
               const QByteArray &destDir, const FileItems &files, bool useResFile,
               QByteArray &output) override;
    int Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
             const QByteArray &destDir, const FileItems &files, bool useResFile,
             QByteArray &output) override;
    // Raises when the library answers that it cannot make one (no Windows stub here).
    int MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                const QByteArray &destDir, QByteArray &output) override;
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
