#include "archive/LibraryArchiver.h"

#include <string>

void TLibraryArchiver::LoadDLL()
{
    if (!Unit().Load())
        throw EArchiver(m_binding.loadMessage);
}

void TLibraryArchiver::FreeDLL()
{
    Unit().Free();
}

void *TLibraryArchiver::Entry(const char *suffix)
{
    return Unit().Require((std::string(m_binding.prefix) + suffix).c_str());
}

ArchiveHandle TLibraryArchiver::OpenArchive(WindowHandle window, const QByteArray &archive,
                                            int mode)
{
    LoadDLL();
    RequireUnambiguousPath(archive);
    const QByteArray full = ExpandFileName(archive);
    return EntryAs<ArcOpenArchiveFn>("OpenArchive")(window, full.constData(),
                                                    static_cast<std::uint32_t>(mode));
}

int TLibraryArchiver::FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info,
                                const QByteArray &wildName)
{
    LoadDLL();
    return EntryAs<ArcFindFirstFn>("FindFirst")(handle, wildName.constData(), &info);
}

int TLibraryArchiver::FindNext(ArchiveHandle handle, TArchiveEntryInfo &info)
{
    return EntryAs<ArcFindNextFn>("FindNext")(handle, &info);
}

int TLibraryArchiver::CloseArchive(ArchiveHandle handle)
{
    LoadDLL();
    return EntryAs<ArcCloseArchiveFn>("CloseArchive")(handle);
}

int TLibraryArchiver::CheckArchive(const QByteArray &archive, int mode, int extra)
{
    LoadDLL();
    return EntryAs<ArcCheckArchiveFn>("CheckArchive")(archive.constData(), mode + extra);
}

int TLibraryArchiver::OwnerAnswerOf(int libraryAnswer) const
{
    if (m_binding.ownerAnswer == OwnerAnswer::AsTheLibrary)
        return libraryAnswer;
    return libraryAnswer != 0 ? 1 : 0;
}

int TLibraryArchiver::SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback)
{
    TArchiver::SetOwnerWindowEx(window, callback);
    return OwnerAnswerOf(EntryAs<ArcSetOwnerWindowExFn>("SetOwnerWindowEx")(window, callback));
}

int TLibraryArchiver::KillOwnerWindowEx(WindowHandle window)
{
    const int answer = EntryAs<ArcKillOwnerWindowExFn>("KillOwnerWindowEx")(window);
    TArchiver::KillOwnerWindowEx(window);
    return OwnerAnswerOf(answer);
}

int TLibraryArchiver::RunCommandLine(WindowHandle window, QByteArray &output)
{
    LoadDLL();
    return Execute(EntryAs<ArcCommandFn>(""), window, CommandLine, output);
}

int TLibraryArchiver::ExtractToMemory(WindowHandle window, void *buffer, std::uint32_t size,
                                      std::uint32_t *written)
{
    return EntryAs<ArcExtractMemFn>("ExtractMem")(window, CommandLine.constData(),
                                                  static_cast<unsigned char *>(buffer), size,
                                                  nullptr, nullptr, written);
}

bool TLibraryArchiver::OpensAsArchive(const QByteArray &path)
{
    try {
        LoadDLL();
        const ArchiveHandle handle = OpenArchive(0, path, ARC_OPEN_MODE_PROBE);
        EntryAs<ArcCloseArchiveFn>("CloseArchive")(handle);
        return handle != 0;
    } catch (...) {
        return false;
    }
}
