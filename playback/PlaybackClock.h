#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

namespace tunelet
{

class PacedTimer;

// The one clock behind the main window's playback timers. Each timer keeps the
// state the window gives it (started or stopped, its interval); the ticks come
// from this clock, which runs only while they can matter: while a player
// window is being followed. Without one the poll's outcome cannot change until
// a window appears, so the clock stops and waits to be woken by whoever sees
// windows appear. Until it is told such a waker exists it never stops.
class PlaybackClock final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaybackClock)

public:
    explicit PlaybackClock(QObject *parent = nullptr);
    // Timers that outlive the clock tick no more.
    ~PlaybackClock() override;

    // Whether the last tick found a window to follow; without one the clock
    // stops after it (when it may wait).
    void setFollowing(bool following);
    // Something tells the clock when windows appear: it may stop while there
    // is nothing to follow.
    void setMayWait(bool mayWait);
    // A window may have appeared: the clock ticks at once and runs again.
    void wake();

    // The clock runs: its timers tick.
    bool isRunning() const { return m_clock.isActive(); }

private:
    friend class PacedTimer;
    void add(PacedTimer *timer);
    void remove(PacedTimer *timer);
    // A timer was started or stopped, or its interval changed.
    void update();
    void tick();
    PacedTimer *ticking() const;

    QTimer m_clock;
    QList<PacedTimer *> m_timers; // the first started one ticks
    bool m_following = true;
    bool m_mayWait = false;
};

// A timer of the main window on the playback clock, with QTimer's calls. Of
// the timers started, the one created first gets the clock's ticks: its work
// takes in that of the later ones (the poll with the held keys takes in the
// poll alone), so a tick never runs the same poll twice.
class PacedTimer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PacedTimer)

public:
    explicit PacedTimer(PlaybackClock &clock, QObject *parent = nullptr);
    ~PacedTimer() override;

    void start();
    void stop();
    bool isActive() const { return m_active; }
    void setInterval(int milliseconds);
    int interval() const { return m_interval; }

signals:
    void timeout();

private:
    friend class PlaybackClock;
    PlaybackClock *m_clock; // null once the clock has gone
    bool m_active = false;
    int m_interval = 0;
};

} // namespace tunelet
