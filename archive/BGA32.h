#pragma once

#include "archive/LibraryArchiver.h"

// GZA and BZA archives through "BGA32.DLL" (entry prefix "Bga").
class TBGA32 : public TLibraryArchiver
{
public:
    TBGA32();

    int Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
               const QByteArray &destDir, const FileItems &files, bool useResFile,
               QByteArray &output) override;
    int Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
             const QByteArray &destDir, const FileItems &files, bool useResFile,
             QByteArray &output) override;
    int RemoveItems(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                    const QByteArray &destDir, const FileItems &files, bool useResFile,
                    QByteArray &output) override;
    int MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                const QByteArray &destDir, QByteArray &output) override;

    static LibraryUnit &Library();
    // The file has to exist, then the library has to open it.
    static bool IsArchive(const QByteArray &path);

private:
    QByteArray BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                const TArchiverOptions &options, const QByteArray &destDir,
                                const FileItems &files, bool useResFile);
};
