#include "playlist/ListPrefetch.h"

#include "playlist/EntryBuilder.h"
#include "playlist/EntryKind.h"
#include "playlist/ListFile.h"
#include "playlist/PlaylistModel.h"

#include <algorithm>

namespace tunelet
{

ListPrefetch::ListPrefetch(QByteArray listPath) : m_path(std::move(listPath))
{
    m_thread = std::thread([this] { read(); });
}

ListPrefetch::~ListPrefetch()
{
    if (m_thread.joinable())
        m_thread.join();
}

void ListPrefetch::read()
{
    try {
        PlaylistModel model;
        EntryBuilder builder(model);
        if (!LoadListFile(builder, m_path).ok())
            return;
        m_rows = model.entries();
        m_hasArchives = std::any_of(m_rows.cbegin(), m_rows.cend(), [](const PlaylistEntry &row) {
            return entryKindOf(row.path) == EntryKind::Lzh;
        });
        m_read = true;
    } catch (...) {
        // Left to the caller's own load, which meets the same error and reports it.
    }
}

bool ListPrefetch::loadInto(EntryBuilder &builder, const QByteArray &listPath)
{
    if (listPath != m_path)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    if (!std::exchange(m_read, false) || (m_hasArchives && builder.extractsArchives()))
        return false;
    builder.model().clear();
    builder.model().appendEntries(std::exchange(m_rows, {}));
    return true;
}

} // namespace tunelet
