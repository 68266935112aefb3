// Playing songs through the player: play modes, starting and stopping, the
// play commands, transport and the progress timers. The rules live in the
// playback library; this file binds them to the window's menus, buttons,
// caption, status bar and time display.
#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/core/FileErrors.h"
#include "platform/input/KeySynth.h"

#include "platform/core/ByteFile.h"
#include "platform/core/ProgramFolder.h"
#include "platform/core/TextCodec.h"
#include "platform/windowlink/WindowSystem.h"
#include "playback/PlaySequencer.h"
#include "playback/PlayerProcess.h"
#include "playback/PlayerWindow.h"
#include "playback/ProgressPoll.h"
#include "playback/SilentPassWatch.h"
#include "playback/SongStarter.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QLabel>
#include <QScopedValueRollback>
#include <QTimer>

using tunelet::PlayMode;
using tunelet::SequenceStep;

// What StartSong needs from the window.
class TForm1::SongStartAdapter final : public tunelet::SongStartHost
{
public:
    explicit SongStartAdapter(TForm1 &form) : m_form(form) {}
    Q_DISABLE_COPY_MOVE(SongStartAdapter)

    std::optional<QByteArray> extractLzhData(const QByteArray &archivePath) override
    {
        // The archive's data file is played from the work file.
        if (!m_form.ExtractLzhData(archivePath))
            return std::nullopt;
        return m_form.ProgramFolder() + tunelet::WorkFileName;
    }

    void showConverterRunning() override
    {
        m_form.StatusBar1->setPanelText(2, QStringLiteral(" mid2snr実行中..."));
        m_form.SetCaption(tunelet::converterCaption());
        // Nothing is handled while the converter runs: paint now.
        m_form.repaint();
    }

    void loadDataView(const QByteArray &path) override
    {
        // The viewer shows no more than its limit: no more is read.
        const std::optional<QByteArray> data = tunelet::readFileStart(path, TForm2::MaxShownBytes);
        if (!data)
            throw tunelet::EFOpenError(path);
        if (m_form.m_form2)
            m_form.m_form2->setData(*data);
    }

    void beep() override { m_form.Dlg().beep(); }

    void message(const QString &text) override
    {
        m_form.Dlg().message(m_form.isVisible() ? &m_form : nullptr, text);
    }

private:
    TForm1 &m_form;
};

struct TForm1::PlaybackParts {
    explicit PlaybackParts(TForm1 &form, const Environment &env)
        : commands(*env.windows), polled(env.pollWindows ? *env.pollWindows : *env.windows),
          processes(*env.processes), player(commands), playerProcess(player), polledPlayer(polled),
          progress(polledPlayer), sequencer(form.Random()), host(form),
          starter(processes, commands, host)
    {
    }

    windowlink::WindowSystem &commands;
    windowlink::WindowSystem &polled;
    tunelet::ProcessLauncher &processes;
    tunelet::PlayerWindow player;         // commands: close, keys, foreground
    tunelet::PlayerProcess playerProcess; // the player started last, closed through it
    tunelet::PlayerWindow polledPlayer;   // the poll's reads
    tunelet::ProgressPoll progress;
    tunelet::PlaySequencer sequencer;
    tunelet::SilentPassWatch silentPass;
    SongStartAdapter host;
    tunelet::SongStarter starter;
};

void TForm1::CreatePlayback()
{
    m_playback = std::make_shared<PlaybackParts>(*this, m_env);
    // The timers' 1 ms becomes a tick that follows the player closely enough
    // (the end of a song is seen within one tick) at little cost.
    Timer1->setInterval(PlaybackTickMs);
    Timer2->setInterval(PlaybackTickMs);
    // Without a player window to follow the timers need not tick: the poll
    // would find the same nothing each time. The poll's link watches for
    // windows to appear, and one that does is followed at once; a followed
    // player reports its changes, and each report is a tick.
    PlaybackClock1->listenTo(Playback().polled);
    Timer2->start();
}

// ---- Play modes ----

void TForm1::MMListPlayClick()
{
    SelectPlayMode(PlayMode::List);
}

void TForm1::MMSinglePlayClick()
{
    SelectPlayMode(PlayMode::Single);
}

void TForm1::MMRandomPlayClick()
{
    SelectPlayMode(PlayMode::Random);
}

QAction *TForm1::PlayModeItem(PlayMode mode) const
{
    switch (mode) {
    case PlayMode::Single:
        return MMSinglePlay;
    case PlayMode::Random:
        return MMRandomPlay;
    case PlayMode::List:
        break;
    }
    return MMListPlay;
}

PlayMode TForm1::CurrentPlayMode() const
{
    // The first checked item, walking them in order; the items are exclusive.
    for (PlayMode mode : {PlayMode::List, PlayMode::Single, PlayMode::Random})
        if (PlayModeItem(mode)->isChecked())
            return mode;
    return PlayMode::List;
}

void TForm1::SelectPlayMode(PlayMode mode)
{
    PlayModeItem(mode)->setChecked(true);
    StatusBar1->setPanelText(1, tunelet::playModeText(mode));
    TickSoon();
}

void TForm1::TickSoon()
{
    // What follows each tick (the desktop's view of the player) sees the
    // change even while the clock waits for a player window.
    PlaybackClock1->wake();
}

void TForm1::Panel1DblClick()
{
    SelectPlayMode(tunelet::nextPlayMode(CurrentPlayMode()));
}

// ---- Starting and stopping ----

bool TForm1::StartSong(const QByteArray &path)
{
    tunelet::SongStartSettings settings;
    settings.sonaroPath = SonaroPath;
    settings.mid2snrPath = mid2snrPath;
    settings.programFolder = ProgramFolder();
    settings.shippedFolder = tunelet::executableFolder();
    settings.switches.minimized = MMPlayMinimize->isChecked();
    settings.switches.members = MMSWMember->isChecked();
    settings.switches.finger = MMSWFinger->isChecked();
    settings.switches.score = MMSWScore->isChecked();
    settings.dataView = MMDataView->isChecked();

    tunelet::SongStartResult result = Playback().starter.start(path, settings);
    if (!result.started)
        return false;
    Playback().playerProcess.started(std::move(result.player));
    Timer1->start();
    Playback().silentPass.songStarted(PlayIndex);
    m_playingPath = result.playedPath;
    SetCaption(tunelet::playingCaption(PlayIndex, result.playedPath));
    const bool rowExists = PlayIndex >= 0 && PlayIndex < Playlist().count();
    SetTrayTip(rowExists ? Playlist().caption(PlayIndex) : QByteArray());
    NoteSongStarted();
    TickSoon();
    return true;
}

bool TForm1::StopPlayer()
{
    Playback().playerProcess.close();
    PlayerClosed();
    // The poll's link looks too, so that it lets go of the closed player now
    // rather than at its next tick.
    Playback().polledPlayer.find();
    m_playingPath.clear();
    SetCaption(tunelet::idleCaption());
    SetTrayTip("Tunelet");
    TickSoon();
    return true;
}

void TForm1::SetTrayTip(const QByteArray &tip)
{
    // TrayIcon1->SetTipHelp(tip), through the tray icon's wiring.
    m_trayTip = tip;
    emit TrayTipChanged(tip);
}

// ---- Play commands ----

tunelet::SequenceState TForm1::SequenceNow() const
{
    tunelet::SequenceState state;
    state.count = Playlist().count();
    state.playIndex = PlayIndex;
    state.mode = CurrentPlayMode();
    state.repeat = MMRepeat->isChecked();
    return state;
}

void TForm1::ApplyStep(const SequenceStep &step)
{
    switch (step.action) {
    case SequenceStep::Action::Nothing:
        break;
    case SequenceStep::Action::ClosePlayer:
        StopPlayer();
        break;
    case SequenceStep::Action::Stop:
        SBStopClick();
        break;
    case SequenceStep::Action::Start:
        StopPlayer();
        PlayIndex = step.playIndex;
        StartSong(Playlist().path(PlayIndex));
        break;
    case SequenceStep::Action::PlayAgain:
        PlayIndex = step.playIndex;
        Playback().player.playAgain();
        break;
    }
}

void TForm1::SBPlayClick()
{
    ApplyStep(Playback().sequencer.play(SequenceNow()));
}

void TForm1::SBNextClick()
{
    ApplyStep(Playback().sequencer.next(SequenceNow()));
}

void TForm1::SBBackClick()
{
    ApplyStep(Playback().sequencer.back(SequenceNow()));
}

void TForm1::ListView1DblClick()
{
    ApplyStep(Playback().sequencer.playSelected(SequenceNow(), SelectedRow()));
}

void TForm1::N2Click()
{
    const bool idle = Caption() == tunelet::idleCaption();
    ApplyStep(Playback().sequencer.space(SequenceNow(), idle));
}

void TForm1::SBStopClick()
{
    StopPlayer();
    Timer1->stop();
    Playback().silentPass.reset();
}

bool TForm1::PlayerStarting() const
{
    return Playback().playerProcess.starting();
}

void TForm1::SendPause()
{
    Playback().player.pause();
}

SequenceStep TForm1::TransportStep(Transport command) const
{
    tunelet::PlaySequencer &sequencer = Playback().sequencer;
    switch (command) {
    case Transport::Play:
        return sequencer.play(SequenceNow());
    case Transport::Next:
        return sequencer.next(SequenceNow());
    case Transport::Back:
        return sequencer.back(SequenceNow());
    case Transport::Pause:
    case Transport::Stop:
        break;
    }
    return {};
}

void TForm1::SBPauseClick()
{
    // Sent now, or once a starting player has shown its window.
    QueueTransport(Transport::Pause);
}

// ---- Rewind and fast-forward while held ----
// A press hands the keyboard to the player and marks the key held; Timer2
// sends one key-down per tick, and the clock ticks at the timers' interval
// while a key is held; the release sends the key-up and takes the window back.

void TForm1::SBReturnMouseDown(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    Playback().player.bringToFront();
    RewindHeld = true;
    PlaybackClock1->setHurried(RewindHeld || ForwardHeld);
}

void TForm1::SBReturnMouseUp(Qt::MouseButton button)
{
    raise();
    activateWindow();
    if (button != Qt::LeftButton)
        return;
    RewindHeld = false;
    PlaybackClock1->setHurried(RewindHeld || ForwardHeld);
    Playback().player.keyUp(windowlink::VK_LEFT);
}

void TForm1::SBSkipMouseDown(Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    Playback().player.bringToFront();
    ForwardHeld = true;
    PlaybackClock1->setHurried(RewindHeld || ForwardHeld);
}

void TForm1::SBSkipMouseUp(Qt::MouseButton button)
{
    raise();
    activateWindow();
    if (button != Qt::LeftButton)
        return;
    ForwardHeld = false;
    PlaybackClock1->setHurried(RewindHeld || ForwardHeld);
    Playback().player.keyUp(windowlink::VK_RIGHT);
}

// ---- Progress poll, activation and close ----

void TForm1::Timer1Timer()
{
    // A message box shown by a start from the end-of-song rule runs its own
    // event loop; ticks inside it must not apply the rule a second time.
    if (m_polling)
        return;
    const QScopedValueRollback<bool> polling(m_polling, true);
    PlaybackParts &parts = Playback();
    const tunelet::ProgressView view = parts.progress.poll();

    // Without a player window the clock may wait for one to appear.
    PlaybackClock1->setFollowing(view.windowFound);
    m_playerTotalUs = view.totalUs;
    m_playerElapsedUs = view.elapsedUs;
    m_playerPaused = view.paused;
    if (view.label && Label1->text() != *view.label)
        Label1->setText(*view.label);
    if (StatusBar1->panelText(2) != view.status)
        StatusBar1->setPanelText(2, view.status);
    if (view.running)
        parts.silentPass.songRunning();
    // A player that was closed but is slow to go is not a song that ended.
    if (view.ended && !parts.player.lingersAfterClose())
        ApplyEndOfSong(parts.sequencer.songEnded(SequenceNow()));
}

void TForm1::ApplyEndOfSong(const SequenceStep &step)
{
    // A whole pass over the list in which no song played: every row is
    // unplayable, and going on would start players without end.
    if (step.action == SequenceStep::Action::Start &&
        Playback().silentPass.silentPassEnded(Playlist().count())) {
        SBStopClick();
        Dlg().beep();
        Dlg().message(isVisible() ? this : nullptr, tunelet::noPlayableSongMessage());
        return;
    }
    ApplyStep(step);
}

void TForm1::Timer2Timer()
{
    if (RewindHeld)
        Playback().player.keyDown(windowlink::VK_LEFT);
    if (ForwardHeld)
        Playback().player.keyDown(windowlink::VK_RIGHT);
    Timer1Timer();
}

void TForm1::FormActivate()
{
    Keys().pressAndRelease(Qt::Key_Down);
}

void TForm1::FormClose()
{
    if (MMCloseSonaro->isChecked())
        Playback().playerProcess.close();
    else
        Playback().playerProcess.letGo();
    Timer1->stop();
    // The program ends now; a tick before it has gone must not start a song.
    Timer2->stop();
}

// ---- Switches read when a song starts or the window closes ----
// Each flips its own check mark.

void TForm1::MMRepeatClick()
{
    TickSoon();
}
void TForm1::MMCloseSonaroClick() {}
void TForm1::MMSWMemberClick() {}
void TForm1::MMSWFingerClick() {}
void TForm1::MMSWScoreClick() {}
void TForm1::MMPlayMinimizeClick() {}
