#include "tools/sonaro/Transport.h"

#include "platform/windowlink/Win32.h"
#include "tools/sonaro/Player.h"

#include <algorithm>

namespace sonaro
{

Transport::Transport(Player &player, QObject *parent) : QObject(parent), m_player(player) {}

double Transport::stepFor(Hold &hold)
{
    double step = kStepSeconds;
    if (hold.held && hold.since.isValid())
        step = std::min(kStepSeconds, kHeldSpeed * double(hold.since.nsecsElapsed()) / 1e9);
    hold.held = true;
    hold.since.restart();
    return step;
}

void Transport::keyDown(int virtualKey)
{
    switch (virtualKey) {
    case windowlink::VK_SPACE:
        if (!m_player.isStarted())
            m_player.play();
        else
            m_player.togglePause();
        break;
    case windowlink::VK_LEFT:
        m_player.seekBy(-stepFor(m_left));
        break;
    case windowlink::VK_RIGHT:
        m_player.seekBy(stepFor(m_right));
        break;
    case windowlink::VK_UP:
        if (m_player.isEnded())
            m_player.restart();
        break;
    default:
        return;
    }
    emit acted();
}

void Transport::keyUp(int virtualKey)
{
    if (virtualKey == windowlink::VK_LEFT)
        m_left.held = false;
    else if (virtualKey == windowlink::VK_RIGHT)
        m_right.held = false;
}

} // namespace sonaro
