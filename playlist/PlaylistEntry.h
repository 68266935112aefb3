#pragma once

#include <QByteArray>

namespace tunelet
{

// One row of the playlist. All three fields are fixed when the row is built.
struct PlaylistEntry {
    QByteArray caption; // display title (bytes as read, e.g. Shift-JIS)
    int imageIndex = 0; // the row's EntryKind as a number: its icon
    QByteArray path;    // the path exactly as the adding command gave it

    friend bool operator==(const PlaylistEntry &, const PlaylistEntry &) = default;
};

} // namespace tunelet
