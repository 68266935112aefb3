#include "LHA32.h"

#include "LibraryUnit.h"

namespace
{
LibraryUnit unlha("UNLHA32.DLL");
}

LibraryUnit &TLha32::Library()
{
    return unlha;
}

void TLha32::LoadDLL()
{
    if (!unlha.Load())
        throw EArchiver("Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。");
}

void TLha32::FreeDLL()
{
    unlha.Free();
}

QByteArray TLha32::BuildCommandLine(const QByteArray &command, const QByteArray &archive,
                                    const TArchiverOptions &o, const QByteArray &destDir,
                                    const FileItems &files, bool useResFile)
{
    TCmdOpt cmd;
    cmd.Add("-+");
    const std::pair<const char *, TSmallOption> first[] = {
        {"a", o.a}, {"c", o.c}, {"e", o.e},
        {"f", o.f}, {"h", o.h}, {"i", o.i},
        {"l", o.l}, {"m", o.m}, {"n", HasOwnerWindow() ? TSmallOption(1) : o.n},
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
    cmd.Add(o.UserOptions);
    AddArchiveAndDir(cmd, archive, destDir);
    AddFileList(cmd, o, useResFile, files);
    return command + cmd.CmdLine;
}

int TLha32::RunCommand(WindowHandle window, const QByteArray &command, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &destDir,
                       const FileItems &files, bool useResFile, QByteArray &output)
{
    CommandLine = BuildCommandLine(command, archive, options, destDir, files, useResFile);
    LoadDLL();
    return Execute(unlha.Proc<ArcCommandFn>("Unlha"), window, CommandLine, output);
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
    return RunCommand(window, "s", archive, options, destDir, FileItems(), false, output);
}

int TLha32::ExtractMem(WindowHandle window, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &name, void *buffer,
                       std::uint32_t size, std::uint32_t *written)
{
    CommandLine = BuildCommandLine(QByteArray(), archive, options, QByteArray(),
                                   FileItems{FileItem(name)}, false);
    auto extract = unlha.Proc<ArcExtractMemFn>("UnlhaExtractMem");
    return extract(window, CommandLine.constData(), static_cast<unsigned char *>(buffer), size,
                   nullptr, nullptr, written);
}

ArchiveHandle TLha32::OpenArchive(WindowHandle window, const QByteArray &archive, int mode)
{
    LoadDLL();
    RequireUnambiguousPath(archive);
    const QByteArray full = ExpandFileName(archive);
    return unlha.Proc<ArcOpenArchiveFn>("UnlhaOpenArchive")(window, full.constData(),
                                                            static_cast<std::uint32_t>(mode));
}

int TLha32::FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info, const QByteArray &wildName)
{
    LoadDLL();
    return unlha.Proc<ArcFindFirstFn>("UnlhaFindFirst")(handle, wildName.constData(), &info);
}

int TLha32::FindNext(ArchiveHandle handle, TArchiveEntryInfo &info)
{
    return unlha.Proc<ArcFindNextFn>("UnlhaFindNext")(handle, &info);
}

int TLha32::CloseArchive(ArchiveHandle handle)
{
    LoadDLL();
    return unlha.Proc<ArcCloseArchiveFn>("UnlhaCloseArchive")(handle);
}

int TLha32::CheckArchive(const QByteArray &archive, int mode, int extra)
{
    LoadDLL();
    return unlha.Proc<ArcCheckArchiveFn>("UnlhaCheckArchive")(archive.constData(), mode + extra);
}

int TLha32::SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback)
{
    TArchiver::SetOwnerWindowEx(window, callback);
    return unlha.Proc<ArcSetOwnerWindowExFn>("UnlhaSetOwnerWindowEx")(window, callback) != 0;
}

int TLha32::KillOwnerWindowEx(WindowHandle window)
{
    const int answer = unlha.Proc<ArcKillOwnerWindowExFn>("UnlhaKillOwnerWindowEx")(window);
    TArchiver::KillOwnerWindowEx(window);
    return answer != 0;
}

bool TLha32::IsArchive(const QByteArray &path)
{
    try {
        if (!unlha.Load())
            return false;
        const QByteArray full = ExpandFileName(path);
        auto check = unlha.Proc<ArcCheckArchiveFn>("UnlhaCheckArchive");
        if (check(full.constData(), ARC_CHECK_MODE_PROBE) == 0)
            return false;
        return libcall::Probe(unlha, "Unlha", full);
    } catch (...) {
        return false;
    }
}
