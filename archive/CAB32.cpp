#include "archive/CAB32.h"

#include "archive/ArchiverApi.h"

namespace
{
LibraryUnit cab("CAB32.DLL");
const char *const noSelfExtractor =
    "CAB 形式書庫からの自己解凍書庫の作成には Windows 用の自己解凍部が"
    "必要ですが、この環境にはありません。";
} // namespace

TCab32::TCab32()
    : TLibraryArchiver(
          {cab, "Cab", "CAB 形式書庫を扱うには CAB32.DLL が 必要です。", OwnerAnswer::AsTheLibrary})
{
}

LibraryUnit &TCab32::Library()
{
    return cab;
}

QByteArray TCab32::BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                    const TArchiverOptions &o, const QByteArray &destDir,
                                    const FileItems &files, bool useResFile)
{
    TCmdOpt cmd;
    if (o.c == 1)
        cmd.Add("-o");
    if (o.n > 0 || HasOwnerWindow())
        cmd.Add("-i");
    if (o.r > 0)
        cmd.Add("-r");
    if (o.x == 0)
        cmd.Add("-j");
    if (o.ji > 0)
        cmd.Add("-q");
    return FinishCommandLine(cmd, command, archive, o, destDir, files, useResFile);
}

int TCab32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    CommandLine = BuildCommandLine("-x", ExpandArchivePath(archive), options, destDir, files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnUnpack));
    return RunCommandLine(window, output);
}

int TCab32::Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                 const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    CommandLine = BuildCommandLine("-a", archive, options, destDir, files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnPack));
    return RunCommandLine(window, output);
}

int TCab32::MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                    const QByteArray &destDir, QByteArray &output)
{
    CommandLine = BuildCommandLine("-f", archive, options, destDir, FileItems(), false);
    const int result = RunCommandLine(window, output);
    // The library has no Windows program stub to put before the cabinet on this platform.
    if (result == ARC_ERROR_NOT_SUPPORTED)
        throw EArchiver(noSelfExtractor);
    return result;
}

int TCab32::ExtractMem(WindowHandle window, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &name, void *buffer,
                       std::uint32_t size, std::uint32_t *written)
{
    CommandLine = BuildCommandLine(QByteArray(), archive, options, QByteArray(),
                                   FileItems{FileItem(name)}, false);
    return ExtractToMemory(window, buffer, size, written);
}

bool TCab32::IsArchive(const QByteArray &path)
{
    return TCab32().OpensAsArchive(path);
}
