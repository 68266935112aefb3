// Playing songs: the window's handlers of the play commands, modes, transport
// and timers, each a call into the playback session, and what the session
// shows bound to the caption, status bar, time label and tray tip.
#include "app/SessionDisplay.h"
#include "app/SettingBindings.h"
#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "app/WindowPlaybackHost.h"
#include "platform/input/KeySynth.h"
#include "playback/PlayerParameters.h"

#include <QAction>

using tunelet::PlayMode;

void TForm1::CreatePlayback()
{
    // The environment brings every seam; the window builds none.
    Q_ASSERT(m_env.windows && m_env.processes);
    m_songHost = tunelet::makeWindowPlaybackHost(*this);
    const tunelet::PlaybackSession::Links links{
        *m_env.windows, m_env.pollWindows ? *m_env.pollWindows : *m_env.windows, *m_env.processes};
    m_session = std::make_unique<tunelet::PlaybackSession>(links, Playlist(), Random(), m_options,
                                                           *m_songHost, ProgramFolder());
    tunelet::showSessionIn(*this, *m_session);
    // The options the session reads follow the menu's check marks.
    tunelet::bindOptionItems(*this);
}

QByteArray TForm1::TrayTip() const
{
    return Session().trayTip();
}

QByteArray TForm1::PlayingPath() const
{
    return Session().playingPath();
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

void TForm1::SelectPlayMode(PlayMode mode)
{
    Session().selectPlayMode(mode);
}

void TForm1::Panel1DblClick()
{
    Session().cyclePlayMode();
}

// ---- Play commands ----

bool TForm1::StartSong(const QByteArray &path)
{
    return Session().startSong(path);
}

bool TForm1::StopPlayer()
{
    return Session().stopPlayer();
}

void TForm1::SBPlayClick()
{
    Session().play();
}

void TForm1::SBNextClick()
{
    Session().next();
}

void TForm1::SBBackClick()
{
    Session().back();
}

void TForm1::ListView1DblClick()
{
    Session().playSelected(SelectedRow());
}

void TForm1::N2Click()
{
    Session().space(Caption() == tunelet::idleCaption());
}

void TForm1::SBStopClick()
{
    Session().stop();
}

void TForm1::SBPauseClick()
{
    // Sent now, or once a starting player has shown its window.
    Session().queue(tunelet::PlaybackSession::Transport::Pause);
}

// ---- Rewind and fast-forward while held ----
// The release takes the window back, whichever button it was.

void TForm1::SBReturnMouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        Session().holdRewind(true);
}

void TForm1::SBReturnMouseUp(Qt::MouseButton button)
{
    raise();
    activateWindow();
    if (button == Qt::LeftButton)
        Session().holdRewind(false);
}

void TForm1::SBSkipMouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        Session().holdForward(true);
}

void TForm1::SBSkipMouseUp(Qt::MouseButton button)
{
    raise();
    activateWindow();
    if (button == Qt::LeftButton)
        Session().holdForward(false);
}

// ---- Timers, activation and close ----

void TForm1::Timer1Timer()
{
    Session().pollTick();
}

void TForm1::Timer2Timer()
{
    Session().keyTick();
}

void TForm1::FormActivate()
{
    Keys().pressAndRelease(Qt::Key_Down);
}

void TForm1::FormClose()
{
    Session().close(m_options.closeSonaro);
}

// ---- Switches read when a song starts or the window closes ----
// Each flips its own check mark, which the options follow.

void TForm1::MMRepeatClick()
{
    Session().tickSoon();
}
void TForm1::MMCloseSonaroClick() {}
void TForm1::MMSWMemberClick() {}
void TForm1::MMSWFingerClick() {}
void TForm1::MMSWScoreClick() {}
void TForm1::MMPlayMinimizeClick() {}

void TForm1::CheckRepeat(bool repeat)
{
    MMRepeat->setChecked(repeat);
}

void TForm1::SetPlaybackStatus(const QString &text)
{
    if (StatusBar1->panelText(2) != text)
        StatusBar1->setPanelText(2, text);
}
