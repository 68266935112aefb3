#include "archive/TAR32.h"

#include "archive/FILTERS.h"

#include "platform/dynlib/DynamicLibrary.h"

namespace
{
LibraryUnit tar("tar32.dll");
constexpr const char *loadMessage = "tar/tgz/taz/bz2 形式書庫を扱うには tar32.dll が 必要です。";
} // namespace

TTar32::TTar32() : TLibraryArchiver({tar, "Tar", loadMessage, OwnerAnswer::AsTheLibrary}) {}

TTar32::TTar32(Compression compression) : TTar32()
{
    m_compression = compression;
}

LibraryUnit &TTar32::Library()
{
    return tar;
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
    if (m_compression == Compression::Gzip) {
        if (o.jm < 1)
            cmd.Add("-z");
        else
            cmd.AddInt("z", o.jm);
    } else if (m_compression == Compression::Bzip2) {
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
    const int result = RunCommandLine(window, output);
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
    if (m_compression == Compression::Bzip2)
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
    return ExtractToMemory(window, buffer, size, written);
}

TArchiverType TTar32::ArchiveType(const QByteArray &path)
{
    try {
        TTar32 tar;
        tar.LoadDLL();
        const int type = tar.EntryAs<ArcGetArchiveTypeFn>("GetArchiveType")(path.constData());
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
