#include "playlist/EntryBuilder.h"

#include "playlist/EntryKind.h"
#include "playlist/ListableName.h"
#include "playlist/PlaylistModel.h"
#include "playlist/ReadTitle.h"

#include "playlist/RowBatch.h"

#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"
#include "platform/core/FileStamp.h"

#include <cerrno>

namespace tunelet
{

EntryBuilder::EntryBuilder(PlaylistModel &model) : m_model(model) {}

void EntryBuilder::setLzhExtractor(LzhDataExtractor extractor)
{
    m_extractor = std::move(extractor);
}

void EntryBuilder::setLzhHeadOption(std::function<bool()> isOn)
{
    m_lzhHead = std::move(isOn);
}

PlaylistEntry EntryBuilder::buildEntry(const QByteArray &path) const
{
    requireListableName(path);
    if (entryKindOf(path) != EntryKind::Lzh || !extractsArchives())
        return buildPlainEntry(path);
    QByteArray title;
    if (const std::optional<QByteArray> dataFile = m_extractor(path))
        title = ReadTitle(*dataFile);
    if (title.isEmpty())
        title = fileNamePart(path);
    return {"[LZH] " + title, imageIndexOf(EntryKind::Lzh), path};
}

bool EntryBuilder::extractsArchives() const
{
    return m_extractor && m_lzhHead && m_lzhHead();
}

namespace
{
PlaylistEntry dataEntry(const QByteArray &path, QByteArray title, quint64 stamp = 0)
{
    if (title.isEmpty())
        title = fileNamePart(path);
    return {std::move(title), imageIndexOf(EntryKind::Data), path, stamp};
}

// The row of an open data file. The stamp is taken before the title is read:
// a change in between makes the stamp stale, so the title is read again next
// time rather than never.
PlaylistEntry readDataEntry(SequentialFile &file, const QByteArray &path)
{
    const quint64 stamp = file.stamp();
    return dataEntry(path, ReadTitle(file, path), stamp);
}
} // namespace

PlaylistEntry EntryBuilder::buildPlainEntry(const QByteArray &path)
{
    const EntryKind kind = entryKindOf(path);
    switch (kind) {
    case EntryKind::Midi:
        return {"[MIDI] " + fileNamePart(path), imageIndexOf(kind), path};
    case EntryKind::Lzh:
        return {"[LZH] " + fileNamePart(path), imageIndexOf(kind), path};
    case EntryKind::Data:
        break;
    }
    SequentialFile file;
    if (!file.open(path))
        return dataEntry(path, fileNamePart(path));
    return readDataEntry(file, path);
}

PlaylistEntry EntryBuilder::rebuildPlainEntry(const PlaylistEntry &previous)
{
    // Only a data file's row has a stamp.
    if (previous.titleStamp != 0 && settledFileStamp(previous.path) == previous.titleStamp)
        return previous;
    return buildPlainEntry(previous.path);
}

std::optional<PlaylistEntry> EntryBuilder::buildPlainEntryIfExisting(const QByteArray &path)
{
    if (entryKindOf(path) != EntryKind::Data) {
        if (!isExistingFile(path))
            return std::nullopt;
        return buildPlainEntry(path);
    }
    SequentialFile file;
    if (file.open(path))
        return readDataEntry(file, path);
    // Missing, a folder or not a regular file: no row. A file that is there but
    // cannot be opened (no permission) still gives one, named by its file name.
    if (errno == ENOENT || errno == ENOTDIR || errno == EISDIR || errno == EINVAL ||
        !isExistingFile(path))
        return std::nullopt;
    return dataEntry(path, fileNamePart(path));
}

void EntryBuilder::AppendEntry(const QByteArray &path)
{
    PlaylistEntry entry = buildEntry(path);
    m_model.appendEntry(std::move(entry));
}

void EntryBuilder::InsertEntry(int index, const QByteArray &path)
{
    PlaylistEntry entry = buildEntry(path);
    // Building an archive's row lets queued events run, which may have
    // changed the row count meanwhile.
    m_model.insertEntry(std::clamp(index, 0, m_model.count()), std::move(entry));
}

void appendEntries(EntryBuilder &builder, const QList<QByteArray> &paths)
{
    RowBatch batch(builder, RowBatch::Paths::All);
    try {
        for (const QByteArray &path : paths)
            batch.add(path);
        batch.finish();
    } catch (...) {
        builder.model().appendEntries(batch.takeBuilt());
        throw;
    }
    builder.model().appendEntries(batch.takeBuilt());
}

} // namespace tunelet
