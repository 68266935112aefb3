#include "archive/LibraryUnit.h"

#include "archive/Archiver.h"
#include "archive/ArchiverTypes.h"
#include "platform/dynlib/DynamicLibrary.h"

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
