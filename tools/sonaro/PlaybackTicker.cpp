#include "tools/sonaro/PlaybackTicker.h"

#include "tools/sonaro/Player.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace sonaro
{

bool isOnScreen(const QWidget *window)
{
    return window->isVisible() && !window->isMinimized();
}

PlaybackTicker::PlaybackTicker(Player &player, std::function<void()> onTick, QObject *parent,
                               QWidget *watched, int stepMs)
    : QObject(parent), m_player(player), m_onTick(std::move(onTick)), m_watched(watched),
      m_stepMs(stepMs)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PlaybackTicker::tick);
    connect(&m_player, &Player::stateChanged, this, &PlaybackTicker::tick);
    if (m_watched)
        m_watched->installEventFilter(this);
    schedule();
}

void PlaybackTicker::setWanted(std::function<bool()> wanted)
{
    m_wanted = std::move(wanted);
    schedule();
}

bool PlaybackTicker::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
        // Handled after the change has taken effect, so isOnScreen() tells the new state.
        QTimer::singleShot(0, this, &PlaybackTicker::tick);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void PlaybackTicker::tick()
{
    if (!m_watched || isOnScreen(m_watched))
        m_onTick();
    schedule();
}

void PlaybackTicker::schedule()
{
    if (!m_player.isRunning() || (m_watched && !isOnScreen(m_watched)) ||
        (m_wanted && !m_wanted())) {
        m_timer.stop();
        return;
    }
    m_timer.start(msToNextStep());
}

int PlaybackTicker::msToNextStep() const
{
    const double now = m_player.positionSeconds();
    const double step = m_stepMs / 1000.0;
    const double next =
        std::min((std::floor(now / step + 1e-9) + 1) * step, m_player.totalSeconds());
    return m_player.msUntil(next);
}

} // namespace sonaro
