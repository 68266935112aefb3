#pragma once

#include "archive/LibraryArchiver.h"

// LHA archives through "UNLHA32.DLL" (entry prefix "Unlha").
class TLha32 : public TLibraryArchiver
{
public:
    TLha32();

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

    // The content probe: the library checks the file, then it has to open.
    static bool IsArchive(const QByteArray &path);
    static LibraryUnit &Library();

protected:
    // The LHA command line: the command text, then every switch under its own name
    // (AddLhaSwitches), the user options, the archive and target folder, the file list
    // and the user file list.
    QByteArray BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                const TArchiverOptions &options, const QByteArray &destDir,
                                const FileItems &files, bool useResFile);

private:
    int RunCommand(WindowHandle window, const QByteArray &command, const QByteArray &archive,
                   const TArchiverOptions &options, const QByteArray &destDir,
                   const FileItems &files, bool useResFile, QByteArray &output);
};

// The switches of LHA's command lines, every one under its own name; "n" (no progress
// window) is 1 while an owner window is registered. ARJ's back-end uses them too.
void AddLhaSwitches(TCmdOpt &cmd, const TArchiverOptions &options, bool hasOwnerWindow);
