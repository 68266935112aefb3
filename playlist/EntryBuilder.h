#pragma once

#include "playlist/PlaylistEntry.h"

#include <QByteArray>

#include <functional>
#include <optional>

namespace tunelet
{

class PlaylistModel;

// Takes the data file out of an LZH archive into the work file and returns
// the path of the file to read the title from (the work file), or nothing when
// the archive holds no data file (the extractor reports that itself). Archive
// errors are thrown and end the command that was adding rows.
using LzhDataExtractor = std::function<std::optional<QByteArray>(const QByteArray &archivePath)>;

// The one rule by which a path becomes a playlist row (AppendEntry and
// InsertEntry). The file need not exist: a row is always added, except for a
// name that a list file cannot hold (see ListableName.h), which throws.
class EntryBuilder final
{
public:
    explicit EntryBuilder(PlaylistModel &model);
    Q_DISABLE_COPY_MOVE(EntryBuilder)

    // ExtractLzhData, set by the archive integration. Without one, archives
    // show their file name.
    void setLzhExtractor(LzhDataExtractor extractor);
    // Reads the LzhHEAD option (the menu item's check mark); off when unset.
    void setLzhHeadOption(std::function<bool()> isOn);

    // The row for a path:
    //   ".mid": icon 1, "[MIDI] " + file name; the file is not opened.
    //   ".lzh": icon 2, "[LZH] " + the title of the archive's data file when
    //           LzhHEAD is on and extraction gives a title, else the file name.
    //   other:  icon 0, ReadTitle of the path, or the file name when empty.
    // May throw what the extractor throws, and EUnlistableName.
    PlaylistEntry buildEntry(const QByteArray &path) const;

    // True when an archive's row takes its data file out (LzhHEAD on and an
    // extractor set): such a row has side effects and is built on its own.
    bool extractsArchives() const;
    // The row by the same rules, but an archive never has its data file taken
    // out. Has no side effect and may run on any thread.
    static PlaylistEntry buildPlainEntry(const QByteArray &path);
    // The row built again from a row's path by the same rules, except that a
    // data file whose stamp still matches the row's titleStamp keeps the row:
    // its title is read again only when the file changed since.
    static PlaylistEntry rebuildPlainEntry(const PlaylistEntry &previous);
    // The same for a path that must name an existing regular file: nothing when
    // it does not. A data file is opened once, both to learn that it exists and
    // to read its title.
    static std::optional<PlaylistEntry> buildPlainEntryIfExisting(const QByteArray &path);

    // Builds the row and adds it after the last row.
    void AppendEntry(const QByteArray &path);
    // Builds the row and inserts it at index (clamped to 0..row count). The
    // row is built first and inserted only when complete, so an archive error
    // leaves no half-built row.
    void InsertEntry(int index, const QByteArray &path);

    PlaylistModel &model() const { return m_model; }

private:
    PlaylistModel &m_model;
    LzhDataExtractor m_extractor;
    std::function<bool()> m_lzhHead;
};

// Builds the rows for many paths (titles read on all cores, archives taken out
// one at a time in order) and appends them as one batch. When building a row
// throws, the rows built before it are appended and the error goes on.
void appendEntries(EntryBuilder &builder, const QList<QByteArray> &paths);

} // namespace tunelet
