#include "archive/Archiver.h"

void TArchiver::LoadDLL()
{
    throw EArchiver("Abstract method 'TArchiver.LoadDLL' was called");
}

void TArchiver::FreeDLL()
{
    throw EArchiver("Abstract method 'TArchiver.FreeDLL' was called");
}

ArchiveHandle TArchiver::OpenArchive(WindowHandle, const QByteArray &, int)
{
    return 0;
}

int TArchiver::FindFirst(ArchiveHandle, TArchiveEntryInfo &, const QByteArray &)
{
    return -1;
}

int TArchiver::FindNext(ArchiveHandle, TArchiveEntryInfo &)
{
    return -1;
}

int TArchiver::CloseArchive(ArchiveHandle)
{
    return 0;
}

int TArchiver::Pack(WindowHandle, const QByteArray &, const TArchiverOptions &, const QByteArray &,
                    const FileItems &, bool, QByteArray &)
{
    throw EArchiver("この形式では書庫ファイルの作成をサポートしておりません。");
}

int TArchiver::RemoveItems(WindowHandle, const QByteArray &, const TArchiverOptions &,
                           const QByteArray &, const FileItems &, bool, QByteArray &)
{
    throw EArchiver("この形式の書庫ではファイルの削除をサポートしておりません。");
}

int TArchiver::Update(WindowHandle, const QByteArray &, const TArchiverOptions &,
                      const QByteArray &, const FileItems &, bool, QByteArray &)
{
    throw EArchiver("この形式の書庫では書庫の更新をサポートしておりません。");
}

int TArchiver::MakeSFX(WindowHandle, const QByteArray &, const TArchiverOptions &,
                       const QByteArray &, QByteArray &)
{
    throw EArchiver("この形式では自己解凍書庫の作成をサポートしておりません。");
}

int TArchiver::ExtractMem(WindowHandle, const QByteArray &, const TArchiverOptions &,
                          const QByteArray &, void *, std::uint32_t, std::uint32_t *)
{
    throw EArchiver("この形式ではメモリへの展開をサポートしておりません。");
}

int TArchiver::CheckArchive(const QByteArray &, int, int)
{
    throw EArchiver("この形式では書庫チェック機能をサポートしておりません。");
}

int TArchiver::SetOwnerWindowEx(WindowHandle window, ArcProgressCallback)
{
    OwnerWindow = window;
    return 0;
}

int TArchiver::KillOwnerWindowEx(WindowHandle)
{
    OwnerWindow = 0;
    return 0;
}

void TArchiver::LoadPackDLL()
{
    LoadDLL();
}

void TArchiver::AddArchiveAndDir(TCmdOpt &cmd, const QByteArray &archive, const QByteArray &destDir)
{
    RequireUnambiguousPath(archive);
    if (!isNulString(destDir))
        RequireUnambiguousPath(destDir, PathRole::TargetFolder);
    cmd.AddStr(QByteArray(), archive);
    cmd.AddDir(QByteArray(), destDir);
}

void TArchiver::AddFileList(TCmdOpt &cmd, const TArchiverOptions &options, bool useResFile,
                            const FileItems &files)
{
    if (useResFile && !options.ResFileName.isEmpty() && !isNulString(options.ResFileName))
        cmd.AddResponseFile(files, options.ResFileName);
    else
        cmd.AddFiles(QByteArray(), files);
    cmd.Add(options.UserFileList);
}

QByteArray TArchiver::FinishCommandLine(TCmdOpt &cmd, const QByteArray &command,
                                        const QByteArray &archive, const TArchiverOptions &options,
                                        const QByteArray &destDir, const FileItems &files,
                                        bool useResFile)
{
    cmd.Add(options.UserOptions);
    AddArchiveAndDir(cmd, archive, destDir);
    AddFileList(cmd, options, useResFile, files);
    return command + cmd.CmdLine;
}

int TArchiver::Execute(ArcCommandFn command, WindowHandle window, const QByteArray &cmdLine,
                       QByteArray &output)
{
    if (output.isEmpty())
        return command(window, cmdLine.constData(), nullptr, 0);
    return command(window, cmdLine.constData(), output.data(),
                   static_cast<std::uint32_t>(output.size()));
}

namespace
{
std::function<void(WindowHandle)> &foregroundHandler()
{
    static std::function<void(WindowHandle)> handler;
    return handler;
}
} // namespace

void SetForegroundWindow(WindowHandle window)
{
    if (foregroundHandler())
        foregroundHandler()(window);
}

void SetForegroundWindowHandler(std::function<void(WindowHandle)> handler)
{
    foregroundHandler() = std::move(handler);
}
