#include "TAR32.h"

#include "DynamicLibrary.h"
#include "FILTERS.h"
#include "LibraryUnit.h"

namespace
{
LibraryUnit tar("tar32.dll");
constexpr const char *prefix = "Tar";
} // namespace

LibraryUnit &TTar32::Library()
{
    return tar;
}

void TTar32::LoadDLL()
{
    if (!tar.Load())
        throw EArchiver("tar/tgz/taz/bz2 形式書庫を扱うには tar32.dll が 必要です。");
}

void TTar32::FreeDLL()
{
    tar.Free();
}

QByteArray TTar32::BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                    const TArchiverOptions &o, const QByteArray &destDir,
                                    const FileItems &files, bool useResFile)
{
    TCmdOpt cmd;
    cmd.Separate = true;
    if (o.a > 0)
        cmd.Add("-AH");
    if (o.a == 0)
        cmd.Add("-I");
    if (!HasOwnerWindow() && o.n > 0)
        cmd.Add("--display-dialog=0");
    if (o.o > 0)
        cmd.Add("-g");
    cmd.AddInt("-check-all-path=", o.p);
    cmd.AddInt("-use-directory=", o.x);
    if (compression_ == Compression::Gzip) {
        if (o.jm < 1)
            cmd.Add("-z");
        else
            cmd.AddInt("z", o.jm);
    } else if (compression_ == Compression::Bzip2) {
        if (o.jm < 1)
            cmd.Add("-B");
        else
            cmd.AddInt("B", o.jm);
    }
    cmd.Add(o.UserOptions);
    if (!archive.isEmpty()) {
        RequireUnambiguousPath(archive);
        cmd.AddStr("f", archive);
    }
    if (!destDir.isEmpty()) {
        RequireUnambiguousPath(destDir, PathRole::TargetFolder);
        cmd.AddDir("o", destDir);
    }
    AddFileList(cmd, o, useResFile, files);
    return command + cmd.CmdLine;
}

// The library may leave another window in front; the owner is brought back afterwards.
int TTar32::Run(WindowHandle window, QByteArray &output)
{
    LoadDLL();
    const int result = Execute(tar.Proc<ArcCommandFn>(prefix), window, CommandLine, output);
    if (window != 0)
        SetForegroundWindow(window);
    return result;
}

int TTar32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    CommandLine = BuildCommandLine("x", archive, options, destDir, files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnUnpack));
    return Run(window, output);
}

int TTar32::Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                 const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    CommandLine = BuildCommandLine("c", archive, options, destDir, files,
                                   options.ResFileUsage.contains(TResFileUse::ruOnPack));
    return Run(window, output);
}

int TTar32::MakeSFX(WindowHandle, const QByteArray &archive, const TArchiverOptions &,
                    const QByteArray &destDir, QByteArray &)
{
    if (compression_ == Compression::Bzip2)
        throw EArchiver("BZ2 形式書庫は自己解凍形式にできません。");
    const QByteArray stub = QByteArray::fromStdString(tunelet::dynlib::searchPath("kmtarsef.exe"));
    if (stub.isEmpty())
        throw EArchiver("tar/tgz 書庫からの自己解凍書庫の作成には kmtarsef.exe が必要です。");
    RequireUnambiguousPath(archive);
    RequireUnambiguousPath(destDir);
    filters::WriteSelfExtractor(stub.left(511), archive,
                                filters::SelfExtractorName(archive, destDir));
    return 0;
}

int TTar32::ExtractMem(WindowHandle window, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &name, void *buffer,
                       std::uint32_t size, std::uint32_t *written)
{
    CommandLine = BuildCommandLine(QByteArray(), archive, options, QByteArray(),
                                   FileItems{FileItem(name)}, false);
    auto extract = tar.Proc<ArcExtractMemFn>("TarExtractMem");
    return extract(window, CommandLine.constData(), static_cast<unsigned char *>(buffer), size,
                   nullptr, nullptr, written);
}

ArchiveHandle TTar32::OpenArchive(WindowHandle window, const QByteArray &archive, int mode)
{
    LoadDLL();
    return libcall::Open(tar, prefix, window, archive, mode);
}

int TTar32::FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info, const QByteArray &wildName)
{
    LoadDLL();
    return libcall::FindFirst(tar, prefix, handle, wildName, &info);
}

int TTar32::FindNext(ArchiveHandle handle, TArchiveEntryInfo &info)
{
    return libcall::FindNext(tar, prefix, handle, &info);
}

int TTar32::CloseArchive(ArchiveHandle handle)
{
    LoadDLL();
    return libcall::Close(tar, prefix, handle);
}

int TTar32::CheckArchive(const QByteArray &archive, int mode, int extra)
{
    LoadDLL();
    return libcall::Check(tar, prefix, archive, mode + extra);
}

// TAR hands the library's answers back unchanged.
int TTar32::SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback)
{
    TArchiver::SetOwnerWindowEx(window, callback);
    return libcall::SetOwner(tar, prefix, window, reinterpret_cast<void *>(callback));
}

int TTar32::KillOwnerWindowEx(WindowHandle window)
{
    const int answer = libcall::KillOwner(tar, prefix, window);
    TArchiver::KillOwnerWindowEx(window);
    return answer;
}

TArchiverType TTar32::ArchiveType(const QByteArray &path)
{
    try {
        if (!tar.Load())
            return TArchiverType::atNone;
        const int type = tar.Proc<ArcGetArchiveTypeFn>("TarGetArchiveType")(path.constData());
        if (type == ARC_TYPE_TAR)
            return TArchiverType::atTar;
        if (type >= ARC_TYPE_TAR_GZ && type <= ARC_TYPE_Z)
            return TArchiverType::atTgz;
        if (type == ARC_TYPE_TAR_BZ2 || type == ARC_TYPE_BZ2)
            return TArchiverType::atBZ2;
    } catch (...) {
    }
    return TArchiverType::atNone;
}
