#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

namespace windowlink
{
class WindowSystem;
}

namespace tunelet
{

class PacedTimer;

// The one clock behind the main window's playback timers. Each timer keeps the
// state the window gives it (started or stopped, its interval); the ticks come
// from this clock, which runs only while they can matter: while a player
// window is being followed. Without one the poll's outcome cannot change until
// a window appears, so the clock stops and waits to be woken by whoever sees
// windows appear. Until it is told such a waker exists it never stops.
//
// A followed window that reports its changes itself (a new second, a pause,
// the end) makes a tick of each report; between them nothing can have
// changed, so the clock only looks once in a while (slowLookMs) for a window
// that stopped reporting because it hangs. While a rewind or fast-forward key
// is held the clock ticks at its timer's interval, since each tick sends the
// held key.
class PlaybackClock final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaybackClock)

public:
    // How often the clock looks at a window that reports its changes.
    static constexpr int slowLookMs = 1000;

    explicit PlaybackClock(QObject *parent = nullptr);
    // Timers that outlive the clock tick no more.
    ~PlaybackClock() override;

    // Whether the last tick found a window to follow; without one the clock
    // stops after it (when it may wait).
    void setFollowing(bool following);
    // Something tells the clock when windows appear: it may stop while there
    // is nothing to follow.
    void setMayWait(bool mayWait);
    // A window may have appeared, or what a tick shows changed: the clock
    // ticks at once and runs again.
    void wake();

    // Windows report their changes: the clock ticks on reported() and only
    // looks slowly otherwise.
    void setReported(bool reported);
    // The followed window reported a change: a tick at once.
    void reported();
    // A key is held: the clock ticks at its timer's interval whatever reports.
    void setHurried(bool hurried);

    // Listens to the windows of a link: woken when windows appear, and ticked
    // by their reports, as far as the link can tell of either.
    void listenTo(windowlink::WindowSystem &windows);

    // The clock runs: its timers tick.
    bool isRunning() const { return m_clock.isActive(); }
    // How often it ticks while it runs, in milliseconds.
    int tickInterval() const { return m_clock.interval(); }

private:
    friend class PacedTimer;
    void add(PacedTimer *timer);
    void remove(PacedTimer *timer);
    // A timer was started or stopped, or its interval changed.
    void update();
    void tick();
    PacedTimer *ticking() const;

    // The interval the clock runs at for that timer.
    int intervalFor(const PacedTimer &timer) const;

    QTimer m_clock;
    QList<PacedTimer *> m_timers; // the first started one ticks
    bool m_following = true;
    bool m_mayWait = false;
    bool m_reported = false;
    bool m_hurried = false;
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
