// Playing songs through the player: play modes, the play commands, transport
// and the timers. The play-mode selection is complete; the rest are the
// hooks that the playback code fills.
#include "StatusBar.h"
#include "Unit1.h"

#include <QAction>

// ---- Play modes ----

void TForm1::MMListPlayClick()
{
    MMListPlay->setChecked(true);
    StatusBar1->setPanelText(1, QStringLiteral("List"));
}

void TForm1::MMSinglePlayClick()
{
    MMSinglePlay->setChecked(true);
    StatusBar1->setPanelText(1, QStringLiteral("Single"));
}

void TForm1::MMRandomPlayClick()
{
    MMRandomPlay->setChecked(true);
    StatusBar1->setPanelText(1, QStringLiteral("Random"));
}

void TForm1::Panel1DblClick()
{
    if (MMListPlay->isChecked())
        MMSinglePlayClick();
    else if (MMSinglePlay->isChecked())
        MMRandomPlayClick();
    else if (MMRandomPlay->isChecked())
        MMListPlayClick();
}

// ---- Starting and stopping ----

bool TForm1::StartSong(const QByteArray &path)
{
    Q_UNUSED(path);
    return false;
}

bool TForm1::StopPlayer()
{
    return true;
}

// ---- Play commands ----

void TForm1::SBPlayClick() {}
void TForm1::SBPauseClick() {}
void TForm1::SBStopClick() {}
void TForm1::SBBackClick() {}
void TForm1::SBNextClick() {}
void TForm1::ListView1DblClick() {}
void TForm1::N2Click() {}

// ---- Rewind and fast-forward while held ----

void TForm1::SBReturnMouseDown(Qt::MouseButton button)
{
    Q_UNUSED(button);
}

void TForm1::SBReturnMouseUp(Qt::MouseButton button)
{
    Q_UNUSED(button);
}

void TForm1::SBSkipMouseDown(Qt::MouseButton button)
{
    Q_UNUSED(button);
}

void TForm1::SBSkipMouseUp(Qt::MouseButton button)
{
    Q_UNUSED(button);
}

// ---- Progress poll, activation and close ----

void TForm1::Timer1Timer() {}
void TForm1::Timer2Timer() {}
void TForm1::FormActivate() {}
void TForm1::FormClose() {}

// ---- Switches read when a song starts or the window closes ----
// Each flips its own check mark.

void TForm1::MMRepeatClick() {}
void TForm1::MMCloseSonaroClick() {}
void TForm1::MMSWMemberClick() {}
void TForm1::MMSWFingerClick() {}
void TForm1::MMSWScoreClick() {}
void TForm1::MMPlayMinimizeClick() {}
