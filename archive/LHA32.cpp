#include "archive/LHA32.h"

#include "archive/ArchiverApi.h"

namespace
{
LibraryUnit unlha("UNLHA32.DLL");
}

TLha32::TLha32()
    : TLibraryArchiver({unlha, "Unlha", "Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。"})
{
}

LibraryUnit &TLha32::Library()
{
    return unlha;
}

void AddLhaSwitches(TCmdOpt &cmd, const TArchiverOptions &o, bool hasOwnerWindow)
{
    cmd.Add("-+");
    const std::pair<const char *, TSmallOption> first[] = {
        {"a", o.a}, {"c", o.c}, {"e", o.e},
        {"f", o.f}, {"h", o.h}, {"i", o.i},
        {"l", o.l}, {"m", o.m}, {"n", hasOwnerWindow ? TSmallOption(1) : o.n},
        {"o", o.o}, {"p", o.p}, {"r", o.r},
        {"s", o.s}, {"t", o.t}, {"u", o.u}};
    for (const auto &[name, value] : first)
        cmd.AddInt(name, value);
    cmd.AddDir("w", o.w);
    const std::pair<const char *, TSmallOption> second[] = {
        {"x", o.x},   {"y", o.y},   {"z", o.z},   {"jc", o.jc}, {"jd", o.jd}, {"je", o.je},
        {"jf", o.jf}, {"jh", o.jh}, {"ji", o.ji}, {"jm", o.jm}, {"jn", o.jn}};
    for (const auto &[name, value] : second)
        cmd.AddInt(name, value);
    cmd.AddStr("jo", o.jo);
    cmd.AddStr("job", o.job);
    for (const auto &[name, value] : {std::pair{"jp", o.jp}, std::pair{"jr", o.jr},
                                      std::pair{"jss", o.jss}, std::pair{"jw", o.jw}})
        cmd.AddInt(name, value);
    cmd.AddFiles("jx", FileItems{FileItem(o.jx)});
    for (const auto &[name, value] :
         {std::pair{"jyc", o.jyc}, std::pair{"jyd", o.jyd}, std::pair{"jyk", o.jyk},
          std::pair{"jyn", o.jyn}, std::pair{"jyo", o.jyo}})
        cmd.AddInt(name, value);
    cmd.AddStr("jz", o.jz);
    const std::pair<const char *, TSmallOption> third[] = {
        {"ga", o.ga}, {"gd", o.gd}, {"ge", o.ge}, {"gf", o.gf}, {"gj", o.gj},
        {"gm", o.gm}, {"gn", o.gn}, {"go", o.go}, {"gp", o.gp}};
    for (const auto &[name, value] : third)
        cmd.AddInt(name, value);
    cmd.AddStr("gr", o.gr);
    for (const auto &[name, value] :
         {std::pair{"gs", o.gs}, std::pair{"gu", o.gu}, std::pair{"gw", o.gw}})
        cmd.AddInt(name, value);
}

QByteArray TLha32::BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                    const TArchiverOptions &options, const QByteArray &destDir,
                                    const FileItems &files, bool useResFile)
{
    TCmdOpt cmd;
    AddLhaSwitches(cmd, options, HasOwnerWindow());
    return FinishCommandLine(cmd, command, archive, options, destDir, files, useResFile);
}

int TLha32::RunCommand(WindowHandle window, const QByteArray &command, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &destDir,
                       const FileItems &files, bool useResFile, QByteArray &output)
{
    CommandLine = BuildCommandLine(command, archive, options, destDir, files, useResFile);
    return RunCommandLine(window, output);
}

int TLha32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    return RunCommand(window, "x", archive, options, destDir, files,
                      options.ResFileUsage.contains(TResFileUse::ruOnUnpack), output);
}

int TLha32::Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                 const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    return RunCommand(window, "u", archive, options, destDir, files,
                      options.ResFileUsage.contains(TResFileUse::ruOnPack), output);
}

int TLha32::RemoveItems(WindowHandle window, const QByteArray &archive,
                        const TArchiverOptions &options, const QByteArray &, const FileItems &files,
                        bool, QByteArray &output)
{
    return RunCommand(window, "d", archive, options, QByteArray(), files,
                      options.ResFileUsage.contains(TResFileUse::ruOnRemoveItem), output);
}

int TLha32::Update(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool, QByteArray &output)
{
    return RunCommand(window, "f", archive, options, destDir, files,
                      options.ResFileUsage.contains(TResFileUse::ruOnUpdate), output);
}

int TLha32::MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                    const QByteArray &destDir, QByteArray &output)
{
    const int result =
        RunCommand(window, "s", archive, options, destDir, FileItems(), false, output);
    // A library without a self-extractor stub refuses; the caller gets the message for that,
    // not a bare code.
    if (result == ARC_ERROR_NOT_SUPPORTED)
        TArchiver::MakeSFX(window, archive, options, destDir, output);
    return result;
}

int TLha32::ExtractMem(WindowHandle window, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &name, void *buffer,
                       std::uint32_t size, std::uint32_t *written)
{
    CommandLine = BuildCommandLine(QByteArray(), archive, options, QByteArray(),
                                   FileItems{FileItem(name)}, false);
    return ExtractToMemory(window, buffer, size, written);
}

bool TLha32::IsArchive(const QByteArray &path)
{
    TLha32 lha;
    try {
        lha.LoadDLL();
        const QByteArray full = ExpandArchivePath(path);
        auto check = lha.EntryAs<ArcCheckArchiveFn>("CheckArchive");
        return check(full.constData(), ARC_CHECK_MODE_PROBE) != 0 && lha.OpensAsArchive(full);
    } catch (...) {
        return false;
    }
}
