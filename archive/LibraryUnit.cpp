#include "archive/LibraryUnit.h"

#include "archive/Archiver.h"
#include "archive/ArchiverTypes.h"
#include "platform/dynlib/DynamicLibrary.h"

bool LibraryUnit::Load()
{
    if (m_handle == nullptr)
        m_handle = tunelet::dynlib::loadLibrary(m_fileName);
    return m_handle != nullptr;
}

void LibraryUnit::Free()
{
    m_entries.clear();
    if (m_handle != nullptr)
        tunelet::dynlib::freeLibrary(m_handle);
    m_handle = nullptr;
}

void *LibraryUnit::Lookup(const char *name)
{
    auto it = m_entries.find(name);
    if (it != m_entries.end())
        return it->second;
    void *address = tunelet::dynlib::procAddress(m_handle, name);
    if (address != nullptr)
        m_entries.emplace(name, address);
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
    return QByteArray::fromStdString(tunelet::dynlib::moduleFileName(m_handle, 257));
}
