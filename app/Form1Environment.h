#pragma once

#include <QByteArray>

class TNotifyArea;

namespace windowlink
{
class WindowSystem;
}

namespace tunelet
{

class DesktopShell;
class Dialogs;
class KeySynth;
class ListPrefetch;
class ProcessLauncher;

// What the window needs from outside, every seam given: the program's
// entry fills them with the real ones (RealSeams), tests with their own.
// The window builds none itself.
struct Form1Environment {
    Dialogs *dialogs = nullptr;
    KeySynth *keys = nullptr;
    QByteArray programFolder; // with its trailing '/'
    QByteArray settingsPath;  // the settings file
    // The player's window: commands go through windows, the progress
    // poll reads through pollWindows (null: through windows as well).
    windowlink::WindowSystem *windows = nullptr;
    windowlink::WindowSystem *pollWindows = nullptr;
    ProcessLauncher *processes = nullptr;
    ::TNotifyArea *notifyArea = nullptr;
    // Opening files and starting the editor and the volume control.
    DesktopShell *shell = nullptr;
    // The list opened at start-up, read ahead (null: read when it is opened).
    ListPrefetch *lastList = nullptr;
};

} // namespace tunelet
