#pragma once

#include "archive/LHA32.h"

// ARJ archives through "UNARJ32J.DLL" (entry prefix "Unarj"), with LHA's switches. Only
// unpacking and listing are offered: packing, removing, updating, making a self-extractor
// and extracting to memory answer with the base class's messages, and the owner window is
// registered with the ARJ library alone.
class TArj32 : public TLibraryArchiver
{
public:
    TArj32();

    // LHA's command line with "x", sent to "Unarj"; the caller's response-file flag holds.
    int Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
               const QByteArray &destDir, const FileItems &files, bool useResFile,
               QByteArray &output) override;

    static bool IsArchive(const QByteArray &path);
    static LibraryUnit &Library();
};
