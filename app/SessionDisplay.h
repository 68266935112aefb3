#pragma once

#include "app/Form1Widgets.h"
#include "playback/Options.h"

class QAction;
class TForm1;

namespace tunelet
{

class PlaybackSession;

// The menu item of a play mode.
QAction *playModeItem(const Form1Widgets &widgets, PlayMode mode);

// What the playback session shows, bound to the main window: the caption,
// the time label, the status bar's panels, the tray tip, the play mode's item
// and the error box. The timers' ticks run the window's handlers.
void showSessionIn(TForm1 &form, PlaybackSession &session);

} // namespace tunelet
