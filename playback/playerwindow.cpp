#include "playerwindow.h"

#include "windowlink/windowsystem.h"

namespace tunelet
{

using namespace windowlink;

namespace
{

QString textOf(WindowSystem &windows, HWND window)
{
    if (window == 0)
        return {};
    return QString::fromStdString(windowText(windows, window));
}

} // namespace

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

void PlayerWindow::close()
{
    if (const HWND window = find()) {
        m_closed = window;
        m_windows.SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
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
    const HWND status = m_windows.FindWindowExA(window, 0, StatusClassName, nullptr);
    const HWND seek = m_windows.FindWindowExA(window, 0, SeekBarClassName, nullptr);
    if (seek != 0) {
        reading.position = m_windows.GetScrollPos(seek, SB_CTL);
        int minPos = 0;
        int maxPos = 0;
        reading.hasSeekBar = m_windows.GetScrollRange(seek, SB_CTL, &minPos, &maxPos) != FALSE;
        reading.maximum = maxPos;
    }
    reading.title = textOf(m_windows, window);
    reading.status = textOf(m_windows, status);
    return reading;
}

} // namespace tunelet
