#include "entrybuilder.h"

#include "entrykind.h"
#include "playlistmodel.h"
#include "readtitle.h"

#include "core/bytepath.h"

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
    const EntryKind kind = entryKindOf(path);
    PlaylistEntry entry{QByteArray(), imageIndexOf(kind), path};
    switch (kind) {
    case EntryKind::Midi:
        entry.caption = "[MIDI] " + fileNamePart(path);
        break;
    case EntryKind::Data:
        entry.caption = ReadTitle(path);
        if (entry.caption.isEmpty())
            entry.caption = fileNamePart(path);
        break;
    case EntryKind::Lzh: {
        QByteArray title;
        if (m_lzhHead && m_lzhHead() && m_extractor) {
            if (const std::optional<QByteArray> dataFile = m_extractor(path))
                title = ReadTitle(*dataFile);
        }
        if (title.isEmpty())
            title = fileNamePart(path);
        entry.caption = "[LZH] " + title;
        break;
    }
    }
    return entry;
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
    QList<PlaylistEntry> built;
    built.reserve(paths.size());
    try {
        for (const QByteArray &path : paths)
            built.append(builder.buildEntry(path));
    } catch (...) {
        builder.model().appendEntries(std::move(built));
        throw;
    }
    builder.model().appendEntries(std::move(built));
}

} // namespace tunelet
