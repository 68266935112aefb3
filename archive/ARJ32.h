#pragma once

#include "archive/LHA32.h"

// ARJ archives through "UNARJ32J.DLL" (entry prefix "Unarj"), with LHA's command-line
// builder. Only unpacking and listing are offered: packing, removing, updating, making a
// self-extractor and extracting to memory answer with the base class's messages (the LHA
// variants would send ARJ archives to the LHA library), and the owner window is registered
// with the ARJ library alone.
class TArj32 : public TLha32
{
public:
    TArj32();

    // LHA's command line with "x", sent to "Unarj"; the caller's response-file flag holds.
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

    static bool IsArchive(const QByteArray &path);
    static LibraryUnit &Library();
};
