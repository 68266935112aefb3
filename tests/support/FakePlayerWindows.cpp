#include "tests/support/FakePlayerWindows.h"

#include "platform/windowlink/Win32.h"

namespace tunelet::testkit
{

using namespace windowlink;

FakePlayerWindows::FakePlayerWindows()
{
    newPlayer();
}

void FakePlayerWindows::setTitle(const QString &title)
{
    m_title = title;
    setText(m_player, title.toStdString());
}

void FakePlayerWindows::setStatus(const QString &status)
{
    m_status = status;
    setText(m_statusLine, status.toStdString());
}

void FakePlayerWindows::setPosition(int position)
{
    m_position = position;
    setScroll(m_seekBar, m_position, m_minimum, m_maximum);
}

void FakePlayerWindows::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
    setScroll(m_seekBar, m_position, m_minimum, m_maximum);
}

void FakePlayerWindows::setPlayerPresent(bool present)
{
    if (!present)
        removeWindow(m_player);
    else if (!exists(m_player))
        newPlayer();
}

void FakePlayerWindows::setSeekBarPresent(bool present)
{
    m_seekBarPresent = present;
    if (!present)
        removeWindow(m_seekBar);
    else if (!exists(m_seekBar))
        addSeekBar();
}

void FakePlayerWindows::setStatusPresent(bool present)
{
    m_statusPresent = present;
    if (!present)
        removeWindow(m_statusLine);
    else if (!exists(m_statusLine))
        addStatusLine();
}

void FakePlayerWindows::setPlayerProcessId(DWORD processId)
{
    m_processId = processId;
    setProcessId(m_player, processId);
}

void FakePlayerWindows::showConverter()
{
    if (!exists(m_converter))
        m_converter = addWindow("CN_mid2snr", "mid2snr");
}

void FakePlayerWindows::newPlayer()
{
    removeWindow(m_player);
    m_player = addWindow("CN_sonaro", m_title.toStdString());
    setProcessId(m_player, m_processId);
    m_players.append(m_player);
    m_seekBar = m_statusLine = 0;
    if (m_seekBarPresent)
        addSeekBar();
    if (m_statusPresent)
        addStatusLine();
}

void FakePlayerWindows::addSeekBar()
{
    m_seekBar = addChild(m_player, "CN_seek");
    setScroll(m_seekBar, m_position, m_minimum, m_maximum);
}

void FakePlayerWindows::addStatusLine()
{
    m_statusLine = addChild(m_player, "Static", m_status.toStdString());
}

QList<FakePlayerWindows::Message> FakePlayerWindows::playerMessages() const
{
    QList<Message> messages;
    for (const Sent &s : sent())
        if (m_players.contains(s.window))
            messages.append({s.message, s.wParam});
    return messages;
}

int FakePlayerWindows::foregroundCalls() const
{
    int count = 0;
    for (const HWND window : broughtToFront())
        count += m_players.contains(window) ? 1 : 0;
    return count;
}

LRESULT FakePlayerWindows::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = FakeWindowSystem::SendMessageA(window, message, wParam, lParam);
    // The player's window is gone when the close returns.
    if (window == m_player && message == WM_SYSCOMMAND && wParam == SC_CLOSE && !m_closeLingers)
        removeWindow(m_player);
    return result;
}

} // namespace tunelet::testkit
