#include "BGA32.h"

#include "LibraryUnit.h"

namespace
{
LibraryUnit bga("BGA32.DLL");
constexpr const char *prefix = "Bga";
} // namespace

LibraryUnit &TBGA32::Library()
{
    return bga;
}

void TBGA32::LoadDLL()
{
    if (!bga.Load())
        throw EArchiver("Bga 形式書庫を扱うには BGA32.DLL が 必要です。");
}

void TBGA32::FreeDLL()
{
    bga.Free();
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
    cmd.Add(o.UserOptions);
    AddArchiveAndDir(cmd, archive, destDir);
    AddFileList(cmd, o, useResFile, files);
    return command + cmd.CmdLine;
}

int TBGA32::Run(WindowHandle window, QByteArray &output)
{
    LoadDLL();
    return Execute(bga.Proc<ArcCommandFn>(prefix), window, CommandLine, output);
}

int TBGA32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool useResFile,
                   QByteArray &output)
{
    CommandLine = BuildCommandLine("x", archive, options, destDir, files, useResFile);
    return Run(window, output);
}

int TBGA32::Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                 const QByteArray &destDir, const FileItems &files, bool useResFile,
                 QByteArray &output)
{
    CommandLine = BuildCommandLine("a", archive, options, destDir, files, useResFile);
    return Run(window, output);
}

int TBGA32::RemoveItems(WindowHandle window, const QByteArray &archive,
                        const TArchiverOptions &options, const QByteArray &, const FileItems &files,
                        bool, QByteArray &output)
{
    CommandLine = BuildCommandLine("d", archive, options, QByteArray(), files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnRemoveItem));
    return Run(window, output);
}

int TBGA32::MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                    const QByteArray &destDir, QByteArray &output)
{
    CommandLine = BuildCommandLine("s", archive, options, destDir, FileItems(), false);
    return Run(window, output);
}

ArchiveHandle TBGA32::OpenArchive(WindowHandle window, const QByteArray &archive, int mode)
{
    LoadDLL();
    return libcall::Open(bga, prefix, window, archive, mode);
}

int TBGA32::FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info, const QByteArray &wildName)
{
    LoadDLL();
    return libcall::FindFirst(bga, prefix, handle, wildName, &info);
}

int TBGA32::FindNext(ArchiveHandle handle, TArchiveEntryInfo &info)
{
    return libcall::FindNext(bga, prefix, handle, &info);
}

int TBGA32::CloseArchive(ArchiveHandle handle)
{
    LoadDLL();
    return libcall::Close(bga, prefix, handle);
}

int TBGA32::CheckArchive(const QByteArray &archive, int mode, int extra)
{
    LoadDLL();
    return libcall::Check(bga, prefix, archive, mode + extra);
}

int TBGA32::SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback)
{
    TArchiver::SetOwnerWindowEx(window, callback);
    return libcall::SetOwner(bga, prefix, window, reinterpret_cast<void *>(callback)) != 0;
}

int TBGA32::KillOwnerWindowEx(WindowHandle window)
{
    const int answer = libcall::KillOwner(bga, prefix, window);
    TArchiver::KillOwnerWindowEx(window);
    return answer != 0;
}

bool TBGA32::IsArchive(const QByteArray &path)
{
    return FileExists(path) && libcall::Probe(bga, prefix, path);
}
