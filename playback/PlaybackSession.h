#pragma once

#include "playback/PlaySequencer.h"
#include "playback/SongStarter.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

namespace windowlink
{
class WindowSystem;
}

namespace tunelet
{

struct Options;
class PacedTimer;
class PlaybackClock;
class PlaylistModel;
class ProcessLauncher;
class RandomGenerator;

// What the session needs from the window beyond a song's start.
class PlaybackHost : public SongStartHost
{
public:
    // The window has begun to close: waiting commands are dropped.
    virtual bool closed() const = 0;
};

// The song the last successful start began, as the row was then.
struct StartedSong {
    quint64 serial = 0; // counts the starts
    QString title;      // the row's title, decoded
    QByteArray path;    // the row's file (the played file when no row)
};

// What the last poll read of the player.
struct PlayerReading {
    qint64 totalUs = 0;
    qint64 elapsedUs = 0;
    bool paused = false;
};

// Plays the list through the player: which row plays (PlayIndex), starting
// and stopping the player, the play commands, transport commands that wait
// for a starting player, rewind and fast-forward while held, and the progress
// poll with the end-of-song rule. It reads the options (play mode, repeat, the
// player's switches and paths) from the value it is given, and tells the
// window what to show by its signals.
class PlaybackSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaybackSession)

public:
    // How often the progress and key timers tick, in milliseconds.
    static constexpr int TickMs = 50;

    // The window links: commands go through commands, the progress poll
    // reads through polled (which may be the same link).
    struct Links {
        windowlink::WindowSystem &commands;
        windowlink::WindowSystem &polled;
        ProcessLauncher &processes;
    };

    enum class Transport { Play, Pause, Stop, Next, Back };

    PlaybackSession(const Links &links, PlaylistModel &playlist, RandomGenerator &random,
                    Options &options, PlaybackHost &host, const QByteArray &programFolder,
                    QObject *parent = nullptr);
    ~PlaybackSession() override;

    int playIndex() const { return m_playIndex; }
    void setPlayIndex(int index) { m_playIndex = index; }
    bool rewindHeld() const { return m_rewindHeld; }
    bool forwardHeld() const { return m_forwardHeld; }
    // The tray icon's tip as the session last set it.
    const QByteArray &trayTip() const { return m_trayTip; }
    // The file handed to the player by the last successful start; empty
    // after stopPlayer.
    const QByteArray &playingPath() const { return m_playingPath; }
    const StartedSong &startedSong() const { return m_started; }
    const PlayerReading &reading() const { return m_reading; }

    // Timer1 (the poll while a song plays), Timer2 (held keys and the poll,
    // always) and the clock they tick from. The window connects their ticks
    // to its handlers.
    PacedTimer &progressTimer() const { return *m_timer1; }
    PacedTimer &keyTimer() const { return *m_timer2; }
    PlaybackClock &clock() const { return *m_clock; }

    // Starts the player on path for the row playIndex; false when it did not
    // start. Throws what a start throws.
    bool startSong(const QByteArray &path);
    bool stopPlayer();

    // The play commands.
    void play();
    void next();
    void back();
    void playSelected(int selectedRow);
    // Space: play while idle, else stop.
    void space(bool idle);
    void stop();
    // Carries a command out now, or, while the player started last has not
    // shown its window yet, once it has: a pause then reaches that player,
    // not none. Play, Next and Back that wait together are drawn one after
    // another as each would be, and only the last row they come to is
    // started, so a burst of them starts one player, not one each.
    void queue(Transport command);
    int queuedTransports() const { return int(m_transports.size()); }

    // Rewind and fast-forward: a press hands the keyboard to the player and
    // marks the key held; each key tick sends a key-down; the release sends
    // the key-up.
    void holdRewind(bool held);
    void holdForward(bool held);

    // Timer1's and Timer2's work.
    void pollTick();
    void keyTick();

    // The play mode: selecting one stores it and tells the window.
    void selectPlayMode(PlayMode mode);
    void cyclePlayMode();
    // An option changed: the next tick comes soon even while the clock waits.
    void tickSoon();

    // The window closes: the player is closed or left playing, and no tick
    // starts a song any more.
    void close(bool closePlayer);

signals:
    void captionChanged(const QString &caption);
    // Label1's time text and status panel 2's text, read by each poll.
    void timeTextChanged(const QString &text);
    void statusTextChanged(const QString &text);
    void trayTipChanged(const QByteArray &tip);
    void playModeChanged(PlayMode mode);
    // A command run later (a waiting transport) failed with this text.
    void failed(const QString &text);

private:
    struct Parts;
    SequenceState sequenceNow() const;
    void applyStep(const SequenceStep &step);
    void applyEndOfSong(const SequenceStep &step);
    SequenceStep transportStep(Transport command);
    bool playerStarting();
    void sendPause();
    void setTrayTip(const QByteArray &tip);
    void noteSongStarted();
    void runTransports();
    void runTransportsSoon();
    void playerClosed();
    // A rewind or fast-forward key (its flag and key code) pressed or let go.
    void holdKey(bool &heldFlag, int key, bool held);

    PlaylistModel &m_playlist;
    Options &m_options;
    PlaybackHost &m_host;
    QByteArray m_programFolder;
    PlaybackClock *m_clock;
    PacedTimer *m_timer2; // made first: while both run it takes the clock's ticks
    PacedTimer *m_timer1;
    std::unique_ptr<Parts> m_parts;

    int m_playIndex = 0;
    bool m_rewindHeld = false;
    bool m_forwardHeld = false;
    bool m_polling = false; // a poll is running (a nested one is skipped)
    QByteArray m_trayTip = "Tunelet";
    QByteArray m_playingPath;
    StartedSong m_started;
    PlayerReading m_reading;
    std::deque<Transport> m_transports; // waiting for a starting player
    bool m_runningTransports = false;   // runTransports is under way
    bool m_transportsSoon = false;      // a later look is due
};

} // namespace tunelet
