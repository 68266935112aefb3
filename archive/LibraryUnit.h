#pragma once

#include <QByteArray>
#include <map>
#include <string>

// The process-wide state of one archiver library: its handle (none until loaded) and the
// entry points bound so far. Every instance of a back-end class shares its unit's state.
class LibraryUnit final
{
public:
    explicit LibraryUnit(const char *fileName) : m_fileName(fileName) {}
    LibraryUnit(const LibraryUnit &) = delete;
    LibraryUnit &operator=(const LibraryUnit &) = delete;

    const char *FileName() const { return m_fileName; }
    bool IsLoaded() const { return m_handle != nullptr; }
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
    const char *m_fileName;
    void *m_handle = nullptr;
    std::map<std::string, void *> m_entries;
};
