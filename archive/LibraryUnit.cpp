#include "LibraryUnit.h"

#include "Archiver.h"
#include "ArchiverTypes.h"
#include "DynamicLibrary.h"

bool LibraryUnit::Load()
{
    if (handle_ == nullptr)
        handle_ = tunelet::dynlib::loadLibrary(fileName_);
    return handle_ != nullptr;
}

void LibraryUnit::Free()
{
    entries_.clear();
    if (handle_ != nullptr)
        tunelet::dynlib::freeLibrary(handle_);
    handle_ = nullptr;
}

void *LibraryUnit::Lookup(const char *name)
{
    auto it = entries_.find(name);
    if (it != entries_.end())
        return it->second;
    void *address = tunelet::dynlib::procAddress(handle_, name);
    if (address != nullptr)
        entries_.emplace(name, address);
    return address;
}

void *LibraryUnit::Require(const char *name)
{
    void *address = Lookup(name);
    if (address == nullptr)
        throw EArchiver(ModulePath() + " に " + name + " のエントリが見つかりません。");
    return address;
}

QByteArray LibraryUnit::ModulePath() const
{
    return QByteArray::fromStdString(tunelet::dynlib::moduleFileName(handle_, 257));
}

namespace libcall
{
namespace
{
std::string entry(const char *prefix, const char *name)
{
    return std::string(prefix) + name;
}
} // namespace

Handle Open(LibraryUnit &unit, const char *prefix, Window window, const QByteArray &archive,
            int mode)
{
    RequireUnambiguousPath(archive);
    const QByteArray full = ExpandFileName(archive);
    auto open = unit.Proc<ArcOpenArchiveFn>(entry(prefix, "OpenArchive").c_str());
    return open(window, full.constData(), static_cast<std::uint32_t>(mode));
}

int FindFirst(LibraryUnit &unit, const char *prefix, Handle handle, const QByteArray &wildName,
              void *info)
{
    auto find = unit.Proc<ArcFindFirstFn>(entry(prefix, "FindFirst").c_str());
    return find(handle, wildName.constData(), static_cast<ArcEntryInfo *>(info));
}

int FindNext(LibraryUnit &unit, const char *prefix, Handle handle, void *info)
{
    auto find = unit.Proc<ArcFindNextFn>(entry(prefix, "FindNext").c_str());
    return find(handle, static_cast<ArcEntryInfo *>(info));
}

int Close(LibraryUnit &unit, const char *prefix, Handle handle)
{
    return unit.Proc<ArcCloseArchiveFn>(entry(prefix, "CloseArchive").c_str())(handle);
}

int Check(LibraryUnit &unit, const char *prefix, const QByteArray &archive, int mode)
{
    auto check = unit.Proc<ArcCheckArchiveFn>(entry(prefix, "CheckArchive").c_str());
    return check(archive.constData(), mode);
}

int SetOwner(LibraryUnit &unit, const char *prefix, Window window, void *callback)
{
    auto set = unit.Proc<ArcSetOwnerWindowExFn>(entry(prefix, "SetOwnerWindowEx").c_str());
    return set(window, reinterpret_cast<ArcProgressCallback>(callback));
}

int KillOwner(LibraryUnit &unit, const char *prefix, Window window)
{
    auto kill = unit.Proc<ArcKillOwnerWindowExFn>(entry(prefix, "KillOwnerWindowEx").c_str());
    return kill(window);
}

bool Probe(LibraryUnit &unit, const char *prefix, const QByteArray &archive)
{
    try {
        if (!unit.Load())
            return false;
        const Handle handle = Open(unit, prefix, 0, archive, ARC_OPEN_MODE_PROBE);
        Close(unit, prefix, handle);
        return handle != 0;
    } catch (...) {
        return false;
    }
}
} // namespace libcall
