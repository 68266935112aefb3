#pragma once

#include "archive/Archiver.h"
#include "archive/LibraryUnit.h"

#include <cstdint>

// A back-end that reaches its archiver through a library of the family. It holds what names
// the library (its process-wide LibraryUnit, the entry prefix such as "Unlha" or "Cab", the
// message raised when the library cannot be loaded) and makes the calls every such back-end
// makes alike: loading, the listing and check functions, the owner-window functions, the
// command function and extraction to memory. A back-end adds its command-line builder, its
// command operations and whatever truly differs.
class TLibraryArchiver : public TArchiver
{
public:
    // Loads the library when none is held; raises the load message when that fails.
    void LoadDLL() override;
    // Forgets the bound entry points and frees the library.
    void FreeDLL() override;
    // The full path goes to the library (a path it would read as another one raises).
    ArchiveHandle OpenArchive(WindowHandle window, const QByteArray &archive, int mode) override;
    int FindFirst(ArchiveHandle handle, TArchiveEntryInfo &info,
                  const QByteArray &wildName) override;
    int FindNext(ArchiveHandle handle, TArchiveEntryInfo &info) override;
    int CloseArchive(ArchiveHandle handle) override;
    // The library receives mode + extra.
    int CheckArchive(const QByteArray &archive, int mode, int extra) override;
    // OwnerWindow is set before the library's call and cleared after it.
    int SetOwnerWindowEx(WindowHandle window, ArcProgressCallback callback) override;
    int KillOwnerWindowEx(WindowHandle window) override;

protected:
    // How the owner-window functions answer: 1 or 0 by the library's answer, or its answer.
    enum class OwnerAnswer { OneOrZero, AsTheLibrary };

    struct Binding {
        LibraryUnit &unit;
        const char *prefix;
        const char *loadMessage;
        OwnerAnswer ownerAnswer = OwnerAnswer::OneOrZero;
    };

    explicit TLibraryArchiver(const Binding &binding) : m_binding(binding) {}

    LibraryUnit &Unit() const { return m_binding.unit; }

    // The entry "<prefix><suffix>" (Entry("") is the command function), bound on first use;
    // a missing one raises "<library path> に <name> のエントリが見つかりません。". A back-end
    // whose entries come from several libraries looks them up its own way.
    virtual void *Entry(const char *suffix);
    template <typename Fn> Fn EntryAs(const char *suffix)
    {
        return reinterpret_cast<Fn>(Entry(suffix));
    }

    // Loads the library and sends CommandLine to its command function.
    int RunCommandLine(WindowHandle window, QByteArray &output);
    // Sends CommandLine to "<prefix>ExtractMem" (no time stamp, no attributes asked for).
    int ExtractToMemory(WindowHandle window, void *buffer, std::uint32_t size,
                        std::uint32_t *written);
    // The content probe most back-ends make: load the library, open the archive with no
    // window and the probe mode, close it at once; true when the handle was not 0. Any
    // failure answers false.
    bool OpensAsArchive(const QByteArray &path);

private:
    int OwnerAnswerOf(int libraryAnswer) const;

    Binding m_binding;
};
