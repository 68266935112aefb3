#include "RAR32.h"

#include "LibraryUnit.h"

namespace
{
LibraryUnit unrar("UNRAR32.DLL");
constexpr const char *prefix = "Unrar";
} // namespace

LibraryUnit &TRar32::Library()
{
    return unrar;
}

void TRar32::LoadDLL()
{
    if (!unrar.Load())
        throw EArchiver("この機能の使用には UNRAR32.DLL が 必要です。");
}

void TRar32::FreeDLL()
{
    unrar.Free();
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
    cmd.Add(o.UserOptions);
    AddArchiveAndDir(cmd, archive, destDir);
    AddFileList(cmd, o, useResFile, files);
    return command + cmd.CmdLine;
}

int TRar32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    CommandLine = BuildCommandLine(options.x == 0 ? "-e" : "-x", archive, options, destDir, files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnUnpack));
    LoadDLL();
    return Execute(unrar.Proc<ArcCommandFn>(prefix), window, CommandLine, output);
}

int TRar32::ExtractMem(WindowHandle window, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &name, void *buffer,
                       std::uint32_t size, std::uint32_t *written)
{
    CommandLine = BuildCommandLine(QByteArray(), archive, options, QByteArray(),
                                   FileItems{FileItem(name)}, false);
    auto extract = unrar.Proc<ArcExtractMemFn>("UnrarExtractMem");
    return extract(window, CommandLine.constData(), static_cast<unsigned char *>(buffer), size,
                   nullptr, nullptr, written);
}

ArchiveHandle TRar32::OpenArchive(WindowHandle window, const QByteArray &archive, int mode)
{
    LoadDLL();
    return libcall::Open(unrar, prefix, window, archive, mode);
}

int TRar32::FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info, const QByteArray &wildName)
{
    LoadDLL();
    return libcall::FindFirst(unrar, prefix, handle, wildName, &info);
}

int TRar32::FindNext(ArchiveHandle handle, TArchiveEntryInfo &info)
{
    return libcall::FindNext(unrar, prefix, handle, &info);
}

int TRar32::CloseArchive(ArchiveHandle handle)
{
    LoadDLL();
    return libcall::Close(unrar, prefix, handle);
}

int TRar32::CheckArchive(const QByteArray &archive, int mode, int extra)
{
    LoadDLL();
    return libcall::Check(unrar, prefix, archive, mode + extra);
}

int TRar32::SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback)
{
    TArchiver::SetOwnerWindowEx(window, callback);
    return libcall::SetOwner(unrar, prefix, window, reinterpret_cast<void *>(callback)) != 0;
}

int TRar32::KillOwnerWindowEx(WindowHandle window)
{
    const int answer = libcall::KillOwner(unrar, prefix, window);
    TArchiver::KillOwnerWindowEx(window);
    return answer != 0;
}

bool TRar32::IsArchive(const QByteArray &path)
{
    return libcall::Probe(unrar, prefix, path);
}
