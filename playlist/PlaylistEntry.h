#pragma once

#include <QByteArray>

namespace tunelet
{

// One row of the playlist. Caption, icon and path are fixed when the row is
// built.
struct PlaylistEntry {
    QByteArray caption; // display title (bytes as read, e.g. Shift-JIS)
    int imageIndex = 0; // the row's EntryKind as a number: its icon
    QByteArray path;    // the path exactly as the adding command gave it
    // The data file as it was when the caption was read from it
    // (settledFileStamp), 0 when unknown. Rebuilding the row reads the title
    // again only when the file's stamp differs. Not part of what the row shows.
    quint64 titleStamp = 0;

    friend bool operator==(const PlaylistEntry &a, const PlaylistEntry &b)
    {
        return a.caption == b.caption && a.imageIndex == b.imageIndex && a.path == b.path;
    }
};

} // namespace tunelet
