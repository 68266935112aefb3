#include "archive/BGA32.h"

namespace
{
LibraryUnit bga("BGA32.DLL");
}

TBGA32::TBGA32() : TLibraryArchiver({bga, "Bga", "Bga 形式書庫を扱うには BGA32.DLL が 必要です。"})
{
}

LibraryUnit &TBGA32::Library()
{
    return bga;
}

QByteArray TBGA32::BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                    const TArchiverOptions &o, const QByteArray &destDir,
                                    const FileItems &files, bool useResFile)
{
    TCmdOpt cmd;
    cmd.AddBool("a", o.a > 0);
    cmd.Add(o.c > 0 ? "-o" : "-n");
    cmd.AddBool("i", o.n > 0 || HasOwnerWindow());
    cmd.AddBool("r", o.r > 0);
    cmd.AddBool("j", o.x < 1);
    cmd.AddInt("l", o.jm);
    return FinishCommandLine(cmd, command, archive, o, destDir, files, useResFile);
}

int TBGA32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool useResFile,
                   QByteArray &output)
{
    CommandLine = BuildCommandLine("x", archive, options, destDir, files, useResFile);
    return RunCommandLine(window, output);
}

int TBGA32::Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                 const QByteArray &destDir, const FileItems &files, bool useResFile,
                 QByteArray &output)
{
    CommandLine = BuildCommandLine("a", archive, options, destDir, files, useResFile);
    return RunCommandLine(window, output);
}

int TBGA32::RemoveItems(WindowHandle window, const QByteArray &archive,
                        const TArchiverOptions &options, const QByteArray &, const FileItems &files,
                        bool, QByteArray &output)
{
    CommandLine = BuildCommandLine("d", archive, options, QByteArray(), files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnRemoveItem));
    return RunCommandLine(window, output);
}

int TBGA32::MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                    const QByteArray &destDir, QByteArray &output)
{
    CommandLine = BuildCommandLine("s", archive, options, destDir, FileItems(), false);
    return RunCommandLine(window, output);
}

bool TBGA32::IsArchive(const QByteArray &path)
{
    return FileExists(path) && TBGA32().OpensAsArchive(path);
}
