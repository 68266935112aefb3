#include "playback/PlayerWindow.h"

#include "platform/windowlink/WindowSystem.h"

namespace tunelet
{

using namespace windowlink;

PlayerWindow::PlayerWindow(WindowSystem &windows) : m_windows(windows) {}

HWND PlayerWindow::find()
{
    return m_windows.FindWindowA(PlayerClassName, nullptr);
}

void PlayerWindow::send(UINT message, WPARAM wParam)
{
    if (const HWND window = find())
        m_windows.SendMessageA(window, message, wParam, 0);
}

HWND PlayerWindow::findShownBy(qint64 processId)
{
    if (processId <= 0)
        return 0;
    HWND window = 0;
    while ((window = m_windows.FindWindowExA(0, window, PlayerClassName, nullptr)) != 0)
        if (processOf(window) == processId)
            return window;
    return 0;
}

qint64 PlayerWindow::processOf(HWND window)
{
    DWORD processId = 0;
    m_windows.GetWindowThreadProcessId(window, &processId);
    return processId;
}

void PlayerWindow::close()
{
    close(find());
}

void PlayerWindow::close(HWND window)
{
    if (window == 0)
        return;
    m_closed = window;
    m_windows.SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool PlayerWindow::lingersAfterClose()
{
    return m_closed != 0 && find() == m_closed;
}

void PlayerWindow::pause()
{
    keyDown(VK_SPACE);
    keyUp(VK_SPACE);
}

void PlayerWindow::playAgain()
{
    keyDown(VK_UP);
    keyUp(VK_UP);
}

bool PlayerWindow::bringToFront()
{
    const HWND window = find();
    return window != 0 && m_windows.SetForegroundWindow(window) != FALSE;
}

void PlayerWindow::keyDown(WPARAM virtualKey)
{
    send(WM_KEYDOWN, virtualKey);
}

void PlayerWindow::keyUp(WPARAM virtualKey)
{
    send(WM_KEYUP, virtualKey);
}

ProgressReading PlayerWindow::readProgress()
{
    ProgressReading reading;
    const HWND window = find();
    if (window == 0)
        return reading;
    reading.windowFound = true;
    // Title, status and seek bar in one look.
    const std::optional<WindowReading> look =
        m_windows.readWindow(window, {StatusClassName, SeekBarClassName});
    if (!look)
        return reading;
    const ChildReading &status = look->children.at(0);
    const ChildReading &seek = look->children.at(1);
    reading.title = QString::fromStdString(look->title);
    reading.status = QString::fromStdString(status.text);
    reading.hasSeekBar = seek.found && seek.isScrollBar;
    reading.position = reading.hasSeekBar ? seek.pos : 0;
    reading.maximum = reading.hasSeekBar ? seek.maxPos : 0;
    return reading;
}

} // namespace tunelet
