#include "archive/RAR32.h"

namespace
{
LibraryUnit unrar("UNRAR32.DLL");
}

TRar32::TRar32()
    : TLibraryArchiver({unrar, "Unrar", "この機能の使用には UNRAR32.DLL が 必要です。"})
{
}

LibraryUnit &TRar32::Library()
{
    return unrar;
}

QByteArray TRar32::BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                    const TArchiverOptions &o, const QByteArray &destDir,
                                    const FileItems &files, bool useResFile)
{
    TCmdOpt cmd;
    if (o.c < 1)
        cmd.Add("-u");
    if (o.m > 0)
        cmd.Add("-y");
    if (o.p > 0)
        cmd.Add("-s");
    return FinishCommandLine(cmd, command, archive, o, destDir, files, useResFile);
}

int TRar32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    CommandLine = BuildCommandLine(options.x == 0 ? "-e" : "-x", archive, options, destDir, files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnUnpack));
    return RunCommandLine(window, output);
}

int TRar32::ExtractMem(WindowHandle window, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &name, void *buffer,
                       std::uint32_t size, std::uint32_t *written)
{
    CommandLine = BuildCommandLine(QByteArray(), archive, options, QByteArray(),
                                   FileItems{FileItem(name)}, false);
    return ExtractToMemory(window, buffer, size, written);
}

bool TRar32::IsArchive(const QByteArray &path)
{
    return TRar32().OpensAsArchive(path);
}
