#pragma once

#include "platform/windowlink/Win32.h"

#include <QString>

namespace windowlink
{
class WindowSystem;
}

namespace tunelet
{

// The player's main window class and the classes of the two children that
// Tunelet reads.
inline constexpr char PlayerClassName[] = "CN_sonaro";
inline constexpr char SeekBarClassName[] = "CN_seek";
inline constexpr char StatusClassName[] = "Static";

// What one look at the player's window shows. Without the window there is no
// seek bar and both texts are empty.
struct ProgressReading {
    bool windowFound = false; // the player's window is there (it may not answer)
    bool hasSeekBar = false;
    int position = 0;
    int maximum = 0; // the range maximum; the minimum plays no part
    QString title;
    QString status;
};

// The operations on the player's window. The window is looked up afresh for
// every operation; without it, sends go nowhere.
class PlayerWindow final
{
public:
    explicit PlayerWindow(windowlink::WindowSystem &windows);
    Q_DISABLE_COPY_MOVE(PlayerWindow)

    // The player's main window, 0 when there is none.
    windowlink::HWND find();
    bool exists() { return find() != 0; }

    // The player's main window shown by the process with that number, 0 when
    // it shows none (yet).
    windowlink::HWND findShownBy(qint64 processId);
    // The number of the process that shows the window; 0 when not known.
    qint64 processOf(windowlink::HWND window);

    // SC_CLOSE; the window is gone when this returns.
    void close();
    void close(windowlink::HWND window);
    // The player's window is the one last closed, still there: its close
    // took longer than the link waits. Such a window is on its way out and
    // its end must not be acted on a second time.
    bool lingersAfterClose();
    // Space down and up: toggles pause.
    void pause();
    // Up down and up: an ended song plays again from its start.
    void playAgain();
    // Makes the player the foreground window; false without one.
    bool bringToFront();
    void keyDown(windowlink::WPARAM virtualKey);
    void keyUp(windowlink::WPARAM virtualKey);

    ProgressReading readProgress();

    windowlink::WindowSystem &windows() const { return m_windows; }

private:
    void send(windowlink::UINT message, windowlink::WPARAM wParam);

    windowlink::WindowSystem &m_windows;
    windowlink::HWND m_closed = 0; // handles are never reused
};

} // namespace tunelet
