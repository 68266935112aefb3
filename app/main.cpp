// Tunelet's entry: the application title, the three windows in their order,
// and the one close path for every way the program is asked to end.
#include "About.h"
#include "Dialogs.h"
#include "KeySynth.h"
#include "Unit1.h"
#include "Unit2.h"
#include "UnixSignalNotifier.h"

#include "core/programfolder.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The title of message boxes and the desktop entry. No display name: on
    // X11 it would be appended to every window title.
    QApplication::setApplicationName(QStringLiteral("Tunelet"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tunelet"));
    // The main window ends the program, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);

    tunelet::QtDialogs dialogs;
    tunelet::QueuedKeySynth keys;
    TForm1::Environment environment;
    environment.dialogs = &dialogs;
    environment.keys = &keys;
    environment.programFolder = tunelet::programFolder();
    environment.settingsPath = tunelet::settingsFilePath();

    TForm1 form1(environment);
    TAboutBox aboutBox(&form1);
    TForm2 form2;
    form1.SetSiblings(&aboutBox, &form2);

    QObject::connect(&form1, &TForm1::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // A termination signal or the end of the desktop session runs the same
    // close as the close box, once.
    tunelet::UnixSignalNotifier signalNotifier({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&signalNotifier, &tunelet::UnixSignalNotifier::signalReceived, &form1,
                     [&form1] { form1.MMExitClick(); });
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &form1, [&form1] { form1.CloseOnce(); },
        Qt::DirectConnection);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form1, [&form1] { form1.CloseOnce(); });

    form1.show();
    return app.exec();
}
