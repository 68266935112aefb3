#pragma once

#include "tests/support/FakeWindowSystem.h"

#include <QList>
#include <QPair>
#include <QString>

namespace tunelet::testkit
{

// A fake window system holding a player's windows as the player shows them: its main
// window of class "CN_sonaro" with the seek bar "CN_seek" and the status line
// "Static", and the converter's window titled "mid2snr" once shown. A close
// (SC_CLOSE) takes the player's window away unless it is set to linger. The player's
// title, status and seek bar survive a new player's window.
class FakePlayerWindows final : public FakeWindowSystem
{
public:
    using Message = QPair<windowlink::UINT, windowlink::WPARAM>;

    FakePlayerWindows();

    // The current player's main window; gone once closed.
    windowlink::HWND player() const { return m_player; }
    windowlink::HWND converter() const { return m_converter; }

    void setTitle(const QString &title);
    void setStatus(const QString &status);
    void setPosition(int position);
    void setRange(int minimum, int maximum);
    // Without the window, or with it again (a new player's window).
    void setPlayerPresent(bool present);
    void setSeekBarPresent(bool present);
    void setStatusPresent(bool present);
    // The process that shows this and every later player's window.
    void setPlayerProcessId(windowlink::DWORD processId);
    // A close leaves the window there (a slow player).
    void setCloseLingers(bool lingers) { m_closeLingers = lingers; }
    void showConverter();
    // Another player's window appears in place of this one (handles are never reused).
    void newPlayer();

    // The messages sent to any player's main window, without the window.
    QList<Message> playerMessages() const;
    // How often a player's window was brought to the front.
    int foregroundCalls() const;

    windowlink::LRESULT SendMessageA(windowlink::HWND window, windowlink::UINT message,
                                     windowlink::WPARAM wParam, windowlink::LPARAM lParam) override;

private:
    void addSeekBar();
    void addStatusLine();

    QString m_title;
    QString m_status;
    int m_position = 0;
    int m_minimum = 0;
    int m_maximum = 100;
    bool m_seekBarPresent = true;
    bool m_statusPresent = true;
    bool m_closeLingers = false;
    windowlink::DWORD m_processId = 0;
    windowlink::HWND m_player = 0;
    windowlink::HWND m_seekBar = 0;
    windowlink::HWND m_statusLine = 0;
    windowlink::HWND m_converter = 0;
    QList<windowlink::HWND> m_players; // every player's window so far
};

} // namespace tunelet::testkit
