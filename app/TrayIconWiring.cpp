#include "app/TrayIconWiring.h"

#include "app/Unit1.h"
#include "resources/TuneletIcons.h"
#include "tray/TrayIcon.h"

namespace tunelet
{

TTrayIcon *makeTrayIcon(TForm1 &form, TNotifyArea *area)
{
    auto *tray = new TTrayIcon(&form, area);
    tray->SetIcon(tunelet::programIcon());
    tray->SetTipHelp("Tunelet");
    tray->SetRBPopupMenu(widgetsOf(form).PopupTray);
    // A single left click does nothing.
    tray->SetOnDblClick([&form](TTrayIcon *) { form.Run([&form] { form.PMWindowClick(); }); });
    // Playback sets the tip as songs start and stop. A tray that refuses the
    // new tip is reported; the song plays on.
    QObject::connect(&form, &TForm1::TrayTipChanged, tray, [&form, tray](const QByteArray &tip) {
        form.Run([tray, tip] { tray->SetTipHelp(tip); });
    });
    return tray;
}

} // namespace tunelet
