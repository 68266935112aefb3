#include "playback/PlaybackSession.h"

#include "platform/core/ProgramFolder.h"
#include "platform/core/TextCodec.h"
#include "platform/windowlink/WindowSystem.h"
#include "playback/Options.h"
#include "playback/PlaybackClock.h"
#include "playback/PlayerParameters.h"
#include "playback/PlayerProcess.h"
#include "playback/PlayerWindow.h"
#include "playback/ProgressPoll.h"
#include "playback/SilentPassWatch.h"
#include "playlist/PlaylistModel.h"

#include <QScopedValueRollback>

namespace tunelet
{

struct PlaybackSession::Parts {
    Parts(const Links &links, RandomGenerator &random, PlaybackHost &host)
        : polled(links.polled), player(links.commands), playerProcess(player),
          polledPlayer(links.polled), progress(polledPlayer), sequencer(random),
          starter(links.processes, links.commands, host)
    {
    }

    windowlink::WindowSystem &polled;
    PlayerWindow player;         // commands: close, keys, foreground
    PlayerProcess playerProcess; // the player started last, closed through it
    PlayerWindow polledPlayer;   // the poll's reads
    ProgressPoll progress;
    PlaySequencer sequencer;
    SilentPassWatch silentPass;
    SongStarter starter;
};

PlaybackSession::PlaybackSession(const Links &links, PlaylistModel &playlist,
                                 RandomGenerator &random, Options &options, PlaybackHost &host,
                                 const QByteArray &programFolder, QObject *parent)
    : QObject(parent), m_playlist(playlist), m_options(options), m_host(host),
      m_programFolder(programFolder), m_clock(new PlaybackClock(this)),
      m_timer2(new PacedTimer(*m_clock, this)), m_timer1(new PacedTimer(*m_clock, this)),
      m_parts(std::make_unique<Parts>(links, random, host))
{
    // A tick that follows the player closely enough (the end of a song is
    // seen within one tick) at little cost.
    m_timer1->setInterval(TickMs);
    m_timer2->setInterval(TickMs);
    // Without a player window the timers need not tick: the poll would find
    // the same nothing each time. The poll's link watches for windows to
    // appear, and one that does is followed at once; a followed player
    // reports its changes, and each report is a tick.
    m_clock->listenTo(m_parts->polled);
    m_timer2->start();
}

PlaybackSession::~PlaybackSession() = default;

// ---- Starting and stopping ----

bool PlaybackSession::startSong(const QByteArray &path)
{
    SongStartSettings settings;
    settings.sonaroPath = m_options.sonaroPath;
    settings.mid2snrPath = m_options.mid2snrPath;
    settings.programFolder = m_programFolder;
    settings.shippedFolder = executableFolder();
    settings.switches.minimized = m_options.playMinimize;
    settings.switches.members = m_options.playMember;
    settings.switches.finger = m_options.playFinger;
    settings.switches.score = m_options.playScore;
    settings.dataView = m_options.dataView;

    SongStartResult result = m_parts->starter.start(path, settings);
    if (!result.started)
        return false;
    m_parts->playerProcess.started(std::move(result.player));
    m_timer1->start();
    m_parts->silentPass.songStarted(m_playIndex);
    m_playingPath = result.playedPath;
    emit captionChanged(playingCaption(m_playIndex, result.playedPath));
    const bool rowExists = m_playIndex >= 0 && m_playIndex < m_playlist.count();
    setTrayTip(rowExists ? m_playlist.caption(m_playIndex) : QByteArray());
    noteSongStarted();
    tickSoon();
    return true;
}

bool PlaybackSession::stopPlayer()
{
    m_parts->playerProcess.close();
    playerClosed();
    // The poll's link looks too, so that it lets go of the closed player now
    // rather than at its next tick.
    m_parts->polledPlayer.find();
    m_playingPath.clear();
    emit captionChanged(idleCaption());
    setTrayTip("Tunelet");
    tickSoon();
    return true;
}

void PlaybackSession::setTrayTip(const QByteArray &tip)
{
    m_trayTip = tip;
    emit trayTipChanged(tip);
}

void PlaybackSession::noteSongStarted()
{
    // The song is what the row was when it started, as the tray tip is.
    const bool rowExists = m_playIndex >= 0 && m_playIndex < m_playlist.count();
    m_started.serial += 1;
    m_started.title = rowExists ? decodeText(m_playlist.caption(m_playIndex)) : QString();
    m_started.path = rowExists ? m_playlist.path(m_playIndex) : m_playingPath;
    // The new player's times are read by the next poll.
    m_reading = {};
}

// ---- Play commands ----

SequenceState PlaybackSession::sequenceNow() const
{
    SequenceState state;
    state.count = m_playlist.count();
    state.playIndex = m_playIndex;
    state.mode = m_options.playMode;
    state.repeat = m_options.repeatPlay;
    return state;
}

void PlaybackSession::applyStep(const SequenceStep &step)
{
    switch (step.action) {
    case SequenceStep::Action::Nothing:
        break;
    case SequenceStep::Action::ClosePlayer:
        stopPlayer();
        break;
    case SequenceStep::Action::Stop:
        stop();
        break;
    case SequenceStep::Action::Start:
        stopPlayer();
        m_playIndex = step.playIndex;
        startSong(m_playlist.path(m_playIndex));
        break;
    case SequenceStep::Action::PlayAgain:
        m_playIndex = step.playIndex;
        m_parts->player.playAgain();
        break;
    }
}

void PlaybackSession::play()
{
    applyStep(m_parts->sequencer.play(sequenceNow()));
}

void PlaybackSession::next()
{
    applyStep(m_parts->sequencer.next(sequenceNow()));
}

void PlaybackSession::back()
{
    applyStep(m_parts->sequencer.back(sequenceNow()));
}

void PlaybackSession::playSelected(int selectedRow)
{
    applyStep(m_parts->sequencer.playSelected(sequenceNow(), selectedRow));
}

void PlaybackSession::space(bool idle)
{
    applyStep(m_parts->sequencer.space(sequenceNow(), idle));
}

void PlaybackSession::stop()
{
    stopPlayer();
    m_timer1->stop();
    m_parts->silentPass.reset();
}

SequenceStep PlaybackSession::transportStep(Transport command)
{
    switch (command) {
    case Transport::Play:
        return m_parts->sequencer.play(sequenceNow());
    case Transport::Next:
        return m_parts->sequencer.next(sequenceNow());
    case Transport::Back:
        return m_parts->sequencer.back(sequenceNow());
    case Transport::Pause:
    case Transport::Stop:
        break;
    }
    return {};
}

bool PlaybackSession::playerStarting()
{
    return m_parts->playerProcess.starting();
}

void PlaybackSession::sendPause()
{
    m_parts->player.pause();
}

// ---- Rewind and fast-forward while held ----

void PlaybackSession::holdRewind(bool held)
{
    holdKey(m_rewindHeld, windowlink::VK_LEFT, held);
}

void PlaybackSession::holdForward(bool held)
{
    holdKey(m_forwardHeld, windowlink::VK_RIGHT, held);
}

void PlaybackSession::holdKey(bool &heldFlag, int key, bool held)
{
    if (held)
        m_parts->player.bringToFront();
    heldFlag = held;
    // While a key is held the clock ticks at the timers' interval, one
    // key-down a tick.
    m_clock->setHurried(m_rewindHeld || m_forwardHeld);
    if (!held)
        m_parts->player.keyUp(key);
}

// ---- Progress poll ----

void PlaybackSession::pollTick()
{
    // A message box shown by a start from the end-of-song rule runs its own
    // event loop; ticks inside it must not apply the rule a second time.
    if (m_polling)
        return;
    const QScopedValueRollback<bool> polling(m_polling, true);
    const ProgressView view = m_parts->progress.poll();

    // Without a player window the clock may wait for one to appear.
    m_clock->setFollowing(view.windowFound);
    m_reading = {view.totalUs, view.elapsedUs, view.paused};
    if (view.label)
        emit timeTextChanged(*view.label);
    emit statusTextChanged(view.status);
    if (view.played)
        m_parts->silentPass.songPlayed();
    // A player that was closed but is slow to go is not a song that ended.
    if (view.ended && !m_parts->player.lingersAfterClose())
        applyEndOfSong(m_parts->sequencer.songEnded(sequenceNow()));
}

void PlaybackSession::applyEndOfSong(const SequenceStep &step)
{
    // A whole pass over the list in which no song played: every row is
    // unplayable, and going on would start players without end.
    if (step.action == SequenceStep::Action::Start &&
        m_parts->silentPass.silentPassEnded(m_playlist.count())) {
        stop();
        m_host.beep();
        m_host.message(noPlayableSongMessage());
        return;
    }
    applyStep(step);
}

void PlaybackSession::keyTick()
{
    if (m_rewindHeld)
        m_parts->player.keyDown(windowlink::VK_LEFT);
    if (m_forwardHeld)
        m_parts->player.keyDown(windowlink::VK_RIGHT);
    pollTick();
}

// ---- Play mode, options and closing ----

void PlaybackSession::selectPlayMode(PlayMode mode)
{
    m_options.playMode = mode;
    emit playModeChanged(mode);
    tickSoon();
}

void PlaybackSession::cyclePlayMode()
{
    selectPlayMode(nextPlayMode(m_options.playMode));
}

void PlaybackSession::tickSoon()
{
    // What follows each tick (the desktop's view of the player) sees the
    // change even while the clock waits for a player window.
    m_clock->wake();
}

void PlaybackSession::close(bool closePlayer)
{
    if (closePlayer)
        m_parts->playerProcess.close();
    else
        m_parts->playerProcess.letGo();
    m_timer1->stop();
    // The program ends now; a tick before it has gone must not start a song.
    m_timer2->stop();
}

} // namespace tunelet
