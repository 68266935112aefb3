#include "ARJ32.h"

#include "LibraryUnit.h"

namespace
{
LibraryUnit unarj("UNARJ32J.DLL");
}

LibraryUnit &TArj32::Library()
{
    return unarj;
}

void TArj32::LoadDLL()
{
    if (!unarj.Load())
        throw EArchiver("ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。");
}

void TArj32::FreeDLL()
{
    unarj.Free();
}

int TArj32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool useResFile,
                   QByteArray &output)
{
    CommandLine = BuildCommandLine("x", archive, options, destDir, files, useResFile);
    LoadDLL();
    return Execute(unarj.Proc<ArcCommandFn>("Unarj"), window, CommandLine, output);
}

int TArj32::Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                 const QByteArray &destDir, const FileItems &files, bool useResFile,
                 QByteArray &output)
{
    return TArchiver::Pack(window, archive, options, destDir, files, useResFile, output);
}

int TArj32::RemoveItems(WindowHandle window, const QByteArray &archive,
                        const TArchiverOptions &options, const QByteArray &destDir,
                        const FileItems &files, bool useResFile, QByteArray &output)
{
    return TArchiver::RemoveItems(window, archive, options, destDir, files, useResFile, output);
}

int TArj32::Update(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool useResFile,
                   QByteArray &output)
{
    return TArchiver::Update(window, archive, options, destDir, files, useResFile, output);
}

int TArj32::MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                    const QByteArray &destDir, QByteArray &output)
{
    return TArchiver::MakeSFX(window, archive, options, destDir, output);
}

int TArj32::ExtractMem(WindowHandle window, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &name, void *buffer,
                       std::uint32_t size, std::uint32_t *written)
{
    return TArchiver::ExtractMem(window, archive, options, name, buffer, size, written);
}

ArchiveHandle TArj32::OpenArchive(WindowHandle window, const QByteArray &archive, int mode)
{
    LoadDLL();
    RequireUnambiguousPath(archive);
    const QByteArray full = ExpandFileName(archive);
    return unarj.Proc<ArcOpenArchiveFn>("UnarjOpenArchive")(window, full.constData(),
                                                            static_cast<std::uint32_t>(mode));
}

int TArj32::FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info, const QByteArray &wildName)
{
    LoadDLL();
    return unarj.Proc<ArcFindFirstFn>("UnarjFindFirst")(handle, wildName.constData(), &info);
}

int TArj32::FindNext(ArchiveHandle handle, TArchiveEntryInfo &info)
{
    return unarj.Proc<ArcFindNextFn>("UnarjFindNext")(handle, &info);
}

int TArj32::CloseArchive(ArchiveHandle handle)
{
    LoadDLL();
    return unarj.Proc<ArcCloseArchiveFn>("UnarjCloseArchive")(handle);
}

int TArj32::CheckArchive(const QByteArray &archive, int mode, int extra)
{
    LoadDLL();
    return unarj.Proc<ArcCheckArchiveFn>("UnarjCheckArchive")(archive.constData(), mode + extra);
}

int TArj32::SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback)
{
    TArchiver::SetOwnerWindowEx(window, callback);
    return unarj.Proc<ArcSetOwnerWindowExFn>("UnarjSetOwnerWindowEx")(window, callback) != 0;
}

int TArj32::KillOwnerWindowEx(WindowHandle window)
{
    const int answer = unarj.Proc<ArcKillOwnerWindowExFn>("UnarjKillOwnerWindowEx")(window);
    TArchiver::KillOwnerWindowEx(window);
    return answer != 0;
}

bool TArj32::IsArchive(const QByteArray &path)
{
    return libcall::Probe(unarj, "Unarj", path);
}
