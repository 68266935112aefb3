#include "archive/ARJ32.h"

namespace
{
LibraryUnit unarj("UNARJ32J.DLL");
}

TArj32::TArj32()
    : TLibraryArchiver({unarj, "Unarj", "ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。"})
{
}

LibraryUnit &TArj32::Library()
{
    return unarj;
}

int TArj32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool useResFile,
                   QByteArray &output)
{
    TCmdOpt cmd;
    AddLhaSwitches(cmd, options, HasOwnerWindow());
    CommandLine = FinishCommandLine(cmd, "x", archive, options, destDir, files, useResFile);
    return RunCommandLine(window, output);
}

bool TArj32::IsArchive(const QByteArray &path)
{
    return TArj32().OpensAsArchive(path);
}
