// Tunelet's entry: the application title, the three windows in their order,
// and the one close path for every way the program is asked to end.
#include "app/About.h"
#include "app/Dialogs.h"
#include "app/FirstFrame.h"
#include "app/LastListPrefetch.h"
#include "app/RealSeams.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/WindowDesktopPlayer.h"
#include "platform/input/KeySynth.h"
#include "platform/process/UnixSignalNotifier.h"

#include "desktop/CommandLine.h"
#include "desktop/FileHandOver.h"
#include "desktop/MprisService.h"
#include "platform/core/ByteFile.h"
#include "platform/core/ProgramFolder.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    // First of all: a termination signal that arrives during start-up (a long
    // list can take a while) is kept, and honoured once start-up is done.
    const QList<int> endSignals{SIGTERM, SIGINT, SIGHUP};
    tunelet::UnixSignalNotifier::catchEarly(endSignals);
    // The list opened at start is read while the toolkit and the window are built.
    // Not for a start with arguments: files from the desktop may end it at once.
    const std::unique_ptr<tunelet::ListPrefetch> lastList =
        argc == 1 ? tunelet::prefetchLastList(tunelet::settingsFilePath()) : nullptr;

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
    environment.lastList = lastList.get();

    // Files from the desktop go to the Tunelet already running for this
    // program folder, if there is one; this start then ends before it has
    // touched the settings file. Qt has taken its own options out of argv.
    // Without files nothing can end the start, and the bus waits until the
    // window is up.
    const QByteArrayList files =
        tunelet::filesFromArguments(tunelet::argumentsOf(argc, argv), tunelet::currentFolder());
    tunelet::FileHandOver handOver(environment.programFolder);
    if (!files.isEmpty()) {
        QString refusal;
        const auto claim = handOver.claim(QDBusConnection::sessionBus(), files, &refusal);
        if (claim == tunelet::FileHandOver::Outcome::HandedOver)
            return 0;
        if (claim == tunelet::FileHandOver::Outcome::Refused) {
            std::fprintf(stderr,
                         "tunelet: the Tunelet running for %s did not take the files (%s)\n",
                         environment.programFolder.constData(), qPrintable(refusal));
            return 1;
        }
    }

    // Every real seam of the window is built here, and outlives it.
    tunelet::RealSeams realSeams;
    realSeams.fill(environment);
    TForm1 form1(environment);
    // The about box is made once the window is up (below); the data viewer
    // now, since showing the main window places it.
    std::unique_ptr<TAboutBox> aboutBox;
    TForm2 form2;
    form1.SetSiblings(nullptr, &form2);

    QObject::connect(&form1, &TForm1::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &form1, [&form1] { form1.CloseOnce(); },
        Qt::DirectConnection);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form1, [&form1] { form1.CloseOnce(); });

    // Media keys, panel applets and later starts reach the window, once it
    // has shown its first frame.
    tunelet::MprisService mpris(form1.Desktop());
    tunelet::connectDesktop(form1, mpris, handOver);

    form1.show();
    const tunelet::FirstFrame firstFrame(form1, [&] {
        aboutBox = std::make_unique<TAboutBox>(&form1);
        form1.SetSiblings(aboutBox.get(), &form2);
        if (form1.IsClosed())
            return;
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (files.isEmpty())
            handOver.claim(bus, files, nullptr);
        mpris.start(bus);
    });
    if (!files.isEmpty())
        QTimer::singleShot(0, &form1, [&form1, files] { form1.Desktop().openFiles(files); });
    // A termination signal or the end of the desktop session runs the same
    // close as the close box, once; signals kept since start-up began arrive
    // now that it is done.
    tunelet::UnixSignalNotifier signalNotifier(endSignals);
    QObject::connect(&signalNotifier, &tunelet::UnixSignalNotifier::signalReceived, &form1,
                     [&form1] { form1.MMExitClick(); });
    return app.exec();
}
