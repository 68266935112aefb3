#include "playback/PlaybackClock.h"

#include "platform/windowlink/WindowSystem.h"

#include <QPointer>

#include <algorithm>

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
    if (!ticking())
        return;
    update();
    // At once, whether the clock waited or runs slowly between reports; but
    // from the event loop: the waker may be in the middle of something.
    QTimer::singleShot(0, this, &PlaybackClock::tick);
}

void PlaybackClock::setReported(bool reported)
{
    m_reported = reported;
    update();
}

void PlaybackClock::reported()
{
    PacedTimer *timer = ticking();
    // A hurried clock sees the change at its next tick anyway; a tick more
    // would send a held key more.
    if (!timer || m_hurried || !m_reported)
        return;
    m_following = true;
    // The slow look counts from the last report: while reports come, it never
    // runs.
    m_clock.start(intervalFor(*timer));
    emit timer->timeout();
}

void PlaybackClock::setHurried(bool hurried)
{
    m_hurried = hurried;
    update();
}

void PlaybackClock::listenTo(windowlink::WindowSystem &windows)
{
    // The link may outlive the clock: a change it reports later wakes no
    // clock that has gone.
    const QPointer<PlaybackClock> self(this);
    setMayWait(windows.watchTopLevel([self] {
        if (self)
            self->wake();
    }));
    setReported(windows.watchReports([self] {
        if (self)
            self->reported();
    }));
}

int PlaybackClock::intervalFor(const PacedTimer &timer) const
{
    if (m_reported && !m_hurried)
        return std::max(timer.interval(), slowLookMs);
    return timer.interval();
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
    const int interval = intervalFor(*timer);
    if (!m_clock.isActive() || m_clock.interval() != interval)
        m_clock.start(interval);
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
