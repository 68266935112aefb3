// The window on the desktop: what media keys, panel applets and playerctl
// reach through MPRIS, and files opened from the desktop. The D-Bus side is
// the desktop library's; this file binds it to the window's own commands.
#include "app/Unit1.h"

#include "app/WindowDesktopPlayer.h"

#include "playback/PlaybackSession.h"
#include "playlist/Editing.h"
#include "playlist/PlaylistModel.h"

#include <QAction>

#include <exception>

tunelet::DesktopPlayer &TForm1::Desktop()
{
    if (!m_desktop)
        m_desktop = tunelet::makeWindowDesktopPlayer(*this);
    return *m_desktop;
}

void TForm1::OpenFiles(const QByteArrayList &paths)
{
    // A file that could not be added ends the adding, as in a drop; what was
    // added before it still plays, then the error is shown.
    const tunelet::OpenedFiles opened = tunelet::openFiles(
        Builder(), paths, [this](const QByteArray &list) { LoadListFile(list); });
    // Played as a double click on it plays it, so the list shows which.
    if (opened.firstAdded >= 0 && opened.firstAdded < Playlist().count()) {
        SelectRow(opened.firstAdded);
        ListView1DblClick();
    }
    if (opened.failure)
        std::rethrow_exception(opened.failure);
}
