#pragma once

class TForm1;
class TNotifyArea;
class TTrayIcon;

namespace tunelet
{

// The main window's tray icon with its image, tip, menu and double click,
// its tip following playback; owned by the window, hidden until shown.
TTrayIcon *makeTrayIcon(TForm1 &form, TNotifyArea *area);

} // namespace tunelet
