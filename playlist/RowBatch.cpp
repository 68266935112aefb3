#include "playlist/RowBatch.h"

#include "playlist/EntryBuilder.h"
#include "playlist/EntryKind.h"
#include "playlist/ListableName.h"

#include "platform/core/ByteFile.h"

#include <QtConcurrent/QtConcurrentMap>

#include <numeric>
#include <optional>
#include <vector>

namespace tunelet
{

namespace
{
// Below this many waiting rows, handing them to threads costs more than it saves.
constexpr qsizetype kParallelFrom = 64;
} // namespace

RowBatch::RowBatch(const EntryBuilder &builder, Paths paths)
    : m_builder(builder), m_paths(paths), m_extracts(builder.extractsArchives())
{
}

void RowBatch::add(const QByteArray &path)
{
    addAgain({{}, 0, path, 0});
}

void RowBatch::addAgain(const PlaylistEntry &previous)
{
    const QByteArray &path = previous.path;
    if (!isListableName(path)) {
        // The rows before it are built, so that they stay when the error ends
        // the command.
        buildWaiting();
        requireListableName(path);
    }
    if (!m_extracts || entryKindOf(path) != EntryKind::Lzh) {
        m_waiting.append(previous);
        return;
    }
    buildWaiting();
    if (m_paths == Paths::ExistingOnly && !isExistingFile(path))
        return;
    m_built.append(m_builder.buildEntry(path));
}

void RowBatch::finish()
{
    buildWaiting();
}

QList<PlaylistEntry> RowBatch::takeBuilt()
{
    return std::exchange(m_built, {});
}

void RowBatch::buildWaiting()
{
    const qsizetype count = m_waiting.size();
    if (count == 0)
        return;
    std::vector<std::optional<PlaylistEntry>> rows(static_cast<size_t>(count));
    auto build = [this, &rows](qsizetype &i) {
        const PlaylistEntry &waiting = m_waiting[i];
        if (m_paths == Paths::All)
            rows[size_t(i)] = EntryBuilder::rebuildPlainEntry(waiting);
        else
            rows[size_t(i)] = EntryBuilder::buildPlainEntryIfExisting(waiting.path);
    };
    std::vector<qsizetype> indexes(static_cast<size_t>(count));
    std::iota(indexes.begin(), indexes.end(), 0);
    if (count < kParallelFrom)
        std::for_each(indexes.begin(), indexes.end(), build);
    else
        QtConcurrent::blockingMap(indexes, build);
    m_built.reserve(m_built.size() + count);
    for (std::optional<PlaylistEntry> &row : rows)
        if (row)
            m_built.append(std::move(*row));
    m_waiting.clear();
}

} // namespace tunelet
