#pragma once

#include "tests/support/RecordingNotifyArea.h"

#include "tray/TrayIcon.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QStringList>

#include <memory>

using tunelet::testkit::RecordingNotifyArea;

inline QIcon MakeIcon(const QColor &colour = Qt::red)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// A tray icon on a fake notification area.
struct TrayFixture {
    RecordingNotifyArea area;
    std::unique_ptr<TTrayIcon> icon = std::make_unique<TTrayIcon>(nullptr, &area);

    // Sends one callback message for this icon, as the notification area would.
    void Send(int mouseMessage) const
    {
        TCallbackWindow::Instance()->TrayMessage(icon->Number(), mouseMessage);
    }
};

// The test groups, each a Qt Test object run by main.
int RunRegistryTests(int argc, char **argv);
int RunPropertyTests(int argc, char **argv);
int RunTipTests(int argc, char **argv);
int RunMessageTests(int argc, char **argv);
int RunClickTests(int argc, char **argv);
int RunQtNotifyAreaTests(int argc, char **argv);
