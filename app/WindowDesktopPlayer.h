#pragma once

#include "desktop/DesktopPlayer.h"

#include <memory>

class TForm1;

namespace tunelet
{
class FileHandOver;
class MprisService;
} // namespace tunelet

namespace tunelet
{

// What media keys, panel applets and the hand-over of files reach: the
// window's own commands and the playback session's state, with the desktop's
// play orders as the window's play modes.
std::shared_ptr<DesktopPlayer> makeWindowDesktopPlayer(TForm1 &form);

// Puts the window on the session bus: the player's properties follow the
// poll, and files handed over by later starts are opened in the window.
void connectDesktop(TForm1 &form, MprisService &mpris, FileHandOver &handOver);

} // namespace tunelet
