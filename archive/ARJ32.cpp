#include "archive/ARJ32.h"

namespace
{
LibraryUnit unarj("UNARJ32J.DLL");
}

TArj32::TArj32() : TLha32({unarj, "Unarj", "ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。"}) {}

LibraryUnit &TArj32::Library()
{
    return unarj;
}

int TArj32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool useResFile,
                   QByteArray &output)
{
    CommandLine = BuildCommandLine("x", archive, options, destDir, files, useResFile);
    return RunCommandLine(window, output);
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

bool TArj32::IsArchive(const QByteArray &path)
{
    return TArj32().OpensAsArchive(path);
}
