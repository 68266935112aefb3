#include "CAB32.h"

#include "LibraryUnit.h"

namespace
{
LibraryUnit cab("CAB32.DLL");
constexpr const char *prefix = "Cab";
} // namespace

LibraryUnit &TCab32::Library()
{
    return cab;
}

void TCab32::LoadDLL()
{
    if (!cab.Load())
        throw EArchiver("CAB 形式書庫を扱うには CAB32.DLL が 必要です。");
}

void TCab32::FreeDLL()
{
    cab.Free();
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
    cmd.Add(o.UserOptions);
    AddArchiveAndDir(cmd, archive, destDir);
    AddFileList(cmd, o, useResFile, files);
    return command + cmd.CmdLine;
}

int TCab32::Run(WindowHandle window, QByteArray &output)
{
    LoadDLL();
    return Execute(cab.Proc<ArcCommandFn>(prefix), window, CommandLine, output);
}

int TCab32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    CommandLine = BuildCommandLine("-x", ExpandFileName(archive), options, destDir, files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnUnpack));
    return Run(window, output);
}

int TCab32::Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                 const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    CommandLine = BuildCommandLine("-a", archive, options, destDir, files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnPack));
    return Run(window, output);
}

int TCab32::MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                    const QByteArray &destDir, QByteArray &output)
{
    CommandLine = BuildCommandLine("-f", archive, options, destDir, FileItems(), false);
    return Run(window, output);
}

int TCab32::ExtractMem(WindowHandle window, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &name, void *buffer,
                       std::uint32_t size, std::uint32_t *written)
{
    CommandLine = BuildCommandLine(QByteArray(), archive, options, QByteArray(),
                                   FileItems{FileItem(name)}, false);
    auto extract = cab.Proc<ArcExtractMemFn>("CabExtractMem");
    return extract(window, CommandLine.constData(), static_cast<unsigned char *>(buffer), size,
                   nullptr, nullptr, written);
}

ArchiveHandle TCab32::OpenArchive(WindowHandle window, const QByteArray &archive, int mode)
{
    LoadDLL();
    return libcall::Open(cab, prefix, window, archive, mode);
}

int TCab32::FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info, const QByteArray &wildName)
{
    LoadDLL();
    return libcall::FindFirst(cab, prefix, handle, wildName, &info);
}

int TCab32::FindNext(ArchiveHandle handle, TArchiveEntryInfo &info)
{
    return libcall::FindNext(cab, prefix, handle, &info);
}

int TCab32::CloseArchive(ArchiveHandle handle)
{
    LoadDLL();
    return libcall::Close(cab, prefix, handle);
}

int TCab32::CheckArchive(const QByteArray &archive, int mode, int extra)
{
    LoadDLL();
    return libcall::Check(cab, prefix, archive, mode + extra);
}

// CAB hands the library's answers back unchanged.
int TCab32::SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback)
{
    TArchiver::SetOwnerWindowEx(window, callback);
    return libcall::SetOwner(cab, prefix, window, reinterpret_cast<void *>(callback));
}

int TCab32::KillOwnerWindowEx(WindowHandle window)
{
    const int answer = libcall::KillOwner(cab, prefix, window);
    TArchiver::KillOwnerWindowEx(window);
    return answer;
}

bool TCab32::IsArchive(const QByteArray &path)
{
    return libcall::Probe(cab, prefix, path);
}
