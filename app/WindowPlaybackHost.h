#pragma once

#include "playback/PlaybackSession.h"

#include <memory>

class TForm1;

namespace tunelet
{

// What the playback session needs from the window while it plays: taking
// an archive's data file out, showing that the converter runs, loading the
// data viewer, the beep and the message box, and whether the window closes.
std::shared_ptr<PlaybackHost> makeWindowPlaybackHost(TForm1 &form);

} // namespace tunelet
