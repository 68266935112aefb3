#include "app/SessionDisplay.h"

#include "app/StatusBar.h"
#include "app/Unit1.h"
#include "playback/PlayerParameters.h"

#include <QLabel>

namespace tunelet
{

QAction *playModeItem(const Form1Widgets &widgets, PlayMode mode)
{
    switch (mode) {
    case PlayMode::Single:
        return widgets.MMSinglePlay;
    case PlayMode::Random:
        return widgets.MMRandomPlay;
    case PlayMode::List:
        break;
    }
    return widgets.MMListPlay;
}

void showSessionIn(TForm1 &form, PlaybackSession &session)
{
    QObject::connect(&session, &PlaybackSession::captionChanged, &form, &TForm1::SetCaption);
    QObject::connect(&session, &PlaybackSession::timeTextChanged, &form,
                     [&form](const QString &text) {
                         if (widgetsOf(form).Label1->text() != text)
                             widgetsOf(form).Label1->setText(text);
                     });
    QObject::connect(&session, &PlaybackSession::statusTextChanged, &form,
                     &TForm1::SetPlaybackStatus);
    QObject::connect(&session, &PlaybackSession::trayTipChanged, &form, &TForm1::TrayTipChanged);
    QObject::connect(&session, &PlaybackSession::playModeChanged, &form, [&form](PlayMode mode) {
        playModeItem(widgetsOf(form), mode)->setChecked(true);
        widgetsOf(form).StatusBar1->setPanelText(1, playModeText(mode));
    });
    QObject::connect(&session, &PlaybackSession::failed, &form, &TForm1::ShowError);
    // The timers' ticks go through the error box, as every handler's do.
    QObject::connect(&session.keyTimer(), &PacedTimer::timeout, &form,
                     [&form] { form.Run([&form] { form.Timer2Timer(); }); });
    QObject::connect(&session.progressTimer(), &PacedTimer::timeout, &form,
                     [&form] { form.Run([&form] { form.Timer1Timer(); }); });
}

} // namespace tunelet
