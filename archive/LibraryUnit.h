#pragma once

#include <QByteArray>
#include <cstdint>
#include <map>
#include <string>

// The process-wide state of one archiver library: its handle (none until loaded) and the
// entry points bound so far. Every instance of a back-end class shares its unit's state.
class LibraryUnit final
{
public:
    explicit LibraryUnit(const char *fileName) : fileName_(fileName) {}
    LibraryUnit(const LibraryUnit &) = delete;
    LibraryUnit &operator=(const LibraryUnit &) = delete;

    const char *FileName() const { return fileName_; }
    bool IsLoaded() const { return handle_ != nullptr; }
    // Loads the library when no handle is held; true when one is held afterwards.
    bool Load();
    // Forgets every bound entry point and frees the library.
    void Free();
    // The entry's address, bound on first use; nullptr when the library lacks it.
    void *Lookup(const char *name);
    // As Lookup, raising EArchiver "<library path> に <name> のエントリが見つかりません。".
    void *Require(const char *name);
    template <typename Fn> Fn Proc(const char *name) { return reinterpret_cast<Fn>(Require(name)); }
    // The loaded file's path (the executable's while not loaded), at most 256 bytes.
    QByteArray ModulePath() const;

private:
    const char *fileName_;
    void *handle_ = nullptr;
    std::map<std::string, void *> entries_;
};

// Calls of the listing and owner-window entry points "<prefix>OpenArchive" and so on.
namespace libcall
{
using Window = std::uintptr_t;
using Handle = std::uintptr_t;
// Expands the archive path to a full path first.
Handle Open(LibraryUnit &unit, const char *prefix, Window window, const QByteArray &archive,
            int mode);
int FindFirst(LibraryUnit &unit, const char *prefix, Handle handle, const QByteArray &wildName,
              void *info);
int FindNext(LibraryUnit &unit, const char *prefix, Handle handle, void *info);
int Close(LibraryUnit &unit, const char *prefix, Handle handle);
int Check(LibraryUnit &unit, const char *prefix, const QByteArray &archive, int mode);
int SetOwner(LibraryUnit &unit, const char *prefix, Window window, void *callback);
int KillOwner(LibraryUnit &unit, const char *prefix, Window window);
// Open with no window and the probe mode, close at once: true when the handle was not 0.
// Loads the library first; any failure answers false.
bool Probe(LibraryUnit &unit, const char *prefix, const QByteArray &archive);
} // namespace libcall
