#include "playback/PlaybackClock.h"

namespace tunelet
{

PlaybackClock::PlaybackClock(QObject *parent) : QObject(parent)
{
    connect(&m_clock, &QTimer::timeout, this, &PlaybackClock::tick);
}

PlaybackClock::~PlaybackClock()
{
    for (PacedTimer *timer : std::as_const(m_timers))
        timer->m_clock = nullptr;
}

void PlaybackClock::setFollowing(bool following)
{
    m_following = following;
    update();
}

void PlaybackClock::setMayWait(bool mayWait)
{
    m_mayWait = mayWait;
    update();
}

void PlaybackClock::wake()
{
    m_following = true;
    if (!ticking() || isRunning())
        return;
    update();
    // At once, but from the event loop: the waker may be in the middle of
    // something.
    QTimer::singleShot(0, this, &PlaybackClock::tick);
}

void PlaybackClock::add(PacedTimer *timer)
{
    m_timers.append(timer);
}

void PlaybackClock::remove(PacedTimer *timer)
{
    m_timers.removeOne(timer);
    update();
}

PacedTimer *PlaybackClock::ticking() const
{
    for (PacedTimer *timer : m_timers)
        if (timer->isActive())
            return timer;
    return nullptr;
}

void PlaybackClock::update()
{
    const PacedTimer *timer = ticking();
    if (!timer || (m_mayWait && !m_following)) {
        m_clock.stop();
        return;
    }
    if (!m_clock.isActive() || m_clock.interval() != timer->interval())
        m_clock.start(timer->interval());
}

void PlaybackClock::tick()
{
    if (PacedTimer *timer = ticking())
        emit timer->timeout();
}

PacedTimer::PacedTimer(PlaybackClock &clock, QObject *parent) : QObject(parent), m_clock(&clock)
{
    m_clock->add(this);
}

PacedTimer::~PacedTimer()
{
    if (m_clock)
        m_clock->remove(this);
}

void PacedTimer::start()
{
    m_active = true;
    if (m_clock)
        m_clock->update();
}

void PacedTimer::stop()
{
    m_active = false;
    if (m_clock)
        m_clock->update();
}

void PacedTimer::setInterval(int milliseconds)
{
    m_interval = milliseconds;
    if (m_clock)
        m_clock->update();
}

} // namespace tunelet
