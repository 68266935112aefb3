#include "archive/ZIP32.h"

#include "archive/DoubleByteText.h"
#include "archive/FILTERS.h"

#include "platform/dynlib/DynamicLibrary.h"

#include "platform/core/ByteFile.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace
{

LibraryUnit unzip("UNZIP32.DLL");
LibraryUnit zip32j("ZIP32J.DLL");
LibraryUnit lmzip("LMZIP32.DLL");

const char *const packLibraryMissing =
    "ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。";

// The first loaded library of the order that has the entry. LMZIP32 spells a third
// character "Z" as "z" ("UnzipOpenArchive").
void *findEntry(const char *name, std::initializer_list<LibraryUnit *> order)
{
    for (LibraryUnit *unit : order) {
        if (!unit->IsLoaded())
            continue;
        std::string spelled = name;
        if (unit == &lmzip && spelled.size() >= 3 && spelled[2] == 'Z')
            spelled[2] = 'z';
        if (void *address = unit->Lookup(spelled.c_str()))
            return address;
    }
    throw EArchiver(QByteArray(name) + " のエントリが見つかりません。");
}

const char *const loadMessage =
    "ZIP 形式書庫を解凍するには UNZIP32.DLL が、作成するには ZIP32J.DLL が必要です。";

} // namespace

TZip32::TZip32() : TLibraryArchiver({unzip, "UnZip", loadMessage}) {}

LibraryUnit &TZip32::UnzipLibrary()
{
    return unzip;
}
LibraryUnit &TZip32::Zip32jLibrary()
{
    return zip32j;
}
LibraryUnit &TZip32::LmzipLibrary()
{
    return lmzip;
}

QByteArray ZipFileNameConverter(const QByteArray &name)
{
    const bool shiftJis = doublebyte::readsAsShiftJis(name);
    QByteArray result;
    result.reserve(name.size());
    for (qsizetype i = 0; i < name.size();) {
        const qsizetype length = doublebyte::charLength(name, i, shiftJis);
        if (length == 1 && name.at(i) == '\\')
            result += '/';
        else if (length == 1 && name.at(i) == '[')
            result += "[[]";
        else
            result += name.mid(i, length);
        i += length;
    }
    return result;
}

void TZip32::LoadDLL()
{
    for (LibraryUnit *unit : {&unzip, &zip32j, &lmzip})
        unit->Load();
    if (!unzip.IsLoaded() && !zip32j.IsLoaded() && !lmzip.IsLoaded())
        throw EArchiver(loadMessage);
}

void *TZip32::Entry(const char *suffix)
{
    const std::string name = std::string("UnZip") + suffix;
    const std::string_view which(suffix);
    if (which == "OpenArchive" || which == "CloseArchive" || which == "FindFirst" ||
        which == "FindNext")
        return findEntry(name.c_str(), {&lmzip, &zip32j, &unzip});
    if (which == "CheckArchive" || which == "ExtractMem")
        return findEntry(name.c_str(), {&unzip, &lmzip, &zip32j});
    if (which == "SetOwnerWindowEx" || which == "KillOwnerWindowEx")
        return unzip.Require(name.c_str());
    if (!unzip.IsLoaded() && !lmzip.IsLoaded())
        throw EArchiver("ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。");
    return findEntry(name.c_str(), {&unzip, &lmzip});
}

void TZip32::FreeDLL()
{
    for (LibraryUnit *unit : {&unzip, &zip32j, &lmzip})
        unit->Free();
}

void TZip32::LoadPackDLL()
{
    try {
        LoadDLL();
    } catch (const EArchiver &) {
    }
    if (!zip32j.IsLoaded() && !lmzip.IsLoaded())
        throw EArchiver(packLibraryMissing);
}

QByteArray TZip32::BuildUnpackCommandLine(const QByteArray &command, const QByteArray &archive,
                                          const TArchiverOptions &o, const QByteArray &destDir,
                                          const FileItems &files, bool useResFile)
{
    TCmdOpt cmd;
    cmd.Converter = ZipFileNameConverter;
    if (o.c == 1)
        cmd.Add("-o");
    if (o.n > 0 || HasOwnerWindow())
        cmd.Add("--i");
    if (o.x == 0)
        cmd.Add("-j");
    return FinishCommandLine(cmd, command, archive, o, destDir, files, useResFile);
}

QByteArray TZip32::BuildPackCommandLine(const QByteArray &command, const QByteArray &archive,
                                        const TArchiverOptions &o, const QByteArray &destDir,
                                        const FileItems &files, bool useResFile)
{
    TCmdOpt cmd;
    cmd.Converter = ZipFileNameConverter;
    const std::pair<bool, const char *> switches[] = {
        {o.a > 0, "-S"}, {o.a < 2, "-D"}, {o.l > 0, "-v"},  {o.n > 0, "-q"},   {o.r > 0, "-r"},
        {o.n > 0, "-o"}, {o.u > 0, "-u"}, {o.x == 0, "-j"}, {o.jc > 0, "-FF"}, {o.ji > 0, "-k"}};
    for (const auto &[on, text] : switches) {
        if (on)
            cmd.Add(text);
    }
    cmd.AddInt(QByteArray(), o.jm);
    if (o.gd > 0)
        cmd.Add("-J");
    return FinishCommandLine(cmd, command, archive, o, destDir, files, useResFile);
}

QByteArray TZip32::BuildLmzipCommandLine(const QByteArray &command, const QByteArray &archive,
                                         const TArchiverOptions &o, const QByteArray &destDir,
                                         const FileItems &files, bool useResFile)
{
    TCmdOpt cmd;
    if (o.c == 1)
        cmd.Add("-o");
    if (o.x == 0)
        cmd.Add("-j");
    return FinishCommandLine(cmd, command, archive, o, destDir, files, useResFile);
}

int TZip32::RunZip(WindowHandle window, QByteArray &output)
{
    LoadDLL();
    if (!zip32j.IsLoaded() && !lmzip.IsLoaded())
        throw EArchiver(packLibraryMissing);
    auto zip = reinterpret_cast<ArcCommandFn>(findEntry("Zip", {&zip32j, &lmzip}));
    return Execute(zip, window, CommandLine, output);
}

int TZip32::Unpack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool useResFile,
                   QByteArray &output)
{
    CommandLine = BuildUnpackCommandLine("-x", archive, options, destDir, files, useResFile);
    return RunCommandLine(window, output);
}

int TZip32::Pack(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                 const QByteArray &destDir, const FileItems &files, bool useResFile,
                 QByteArray &output)
{
    if (zip32j.IsLoaded()) {
        CommandLine =
            BuildPackCommandLine(QByteArray(), archive, options, destDir, files, useResFile);
    } else if (lmzip.IsLoaded()) {
        CommandLine =
            BuildLmzipCommandLine("-ru", archive, options, QByteArray(), files, useResFile);
        // The LMZIP packer would add to an old archive; the new one replaces it.
        RequireUnambiguousPath(archive);
        tunelet::removeFile(SeparatorsAsSlashes(archive));
    } else {
        throw EArchiver(packLibraryMissing);
    }
    return RunZip(window, output);
}

int TZip32::RemoveItems(WindowHandle window, const QByteArray &archive,
                        const TArchiverOptions &options, const QByteArray &, const FileItems &files,
                        bool useResFile, QByteArray &output)
{
    CommandLine = BuildPackCommandLine("-d", archive, options, QByteArray(), files, useResFile);
    return RunZip(window, output);
}

int TZip32::Update(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                   const QByteArray &destDir, const FileItems &files, bool useResFile,
                   QByteArray &output)
{
    CommandLine = BuildPackCommandLine("-f", archive, options, destDir, files, useResFile);
    return RunZip(window, output);
}

int TZip32::MakeSFX(WindowHandle window, const QByteArray &archive, const TArchiverOptions &options,
                    const QByteArray &destDir, QByteArray &output)
{
    if (!zip32j.IsLoaded())
        throw EArchiver("ZIP 形式書庫からの自己解凍書庫作成には ZIP32J.DLL が必要です。");
    const bool win32 = options.gw > 0;
    const QByteArray stub = QByteArray::fromStdString(
        tunelet::dynlib::searchPath(win32 ? "sfx32gui.dat" : "sfx16.dat"));
    if (stub.isEmpty()) {
        throw EArchiver(win32
                            ? "zip 書庫からのWin32自己解凍書庫の作成には sfx32gui.dat が必要です。"
                            : "zip 書庫からのDOS自己解凍書庫の作成には sfx16.dat が必要です。");
    }
    RequireUnambiguousPath(archive);
    RequireUnambiguousPath(destDir);
    const QByteArray target = filters::SelfExtractorName(archive, destDir);
    filters::WriteSelfExtractor(stub.left(511), archive, target);
    CommandLine = "-A " + target;
    return RunZip(window, output);
}

int TZip32::ExtractMem(WindowHandle window, const QByteArray &archive,
                       const TArchiverOptions &options, const QByteArray &name, void *buffer,
                       std::uint32_t size, std::uint32_t *written)
{
    CommandLine = BuildUnpackCommandLine(QByteArray(), archive, options, QByteArray(),
                                         FileItems{FileItem(TStringList{name})}, false);
    return ExtractToMemory(window, buffer, size, written);
}

// ZIP passes the mode alone.
int TZip32::CheckArchive(const QByteArray &archive, int mode, int)
{
    LoadDLL();
    return EntryAs<ArcCheckArchiveFn>("CheckArchive")(archive.constData(), mode);
}

// The window is kept only once the library has it.
int TZip32::SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback)
{
    const int answer = EntryAs<ArcSetOwnerWindowExFn>("SetOwnerWindowEx")(window, callback);
    TArchiver::SetOwnerWindowEx(window, callback);
    return answer != 0;
}

bool TZip32::IsArchive(const QByteArray &path)
{
    return FileExists(path) && TZip32().OpensAsArchive(path);
}
