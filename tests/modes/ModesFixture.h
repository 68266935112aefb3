#pragma once

#include "About.h"
#include "KeySynth.h"
#include "NotifyArea.h"
#include "ScriptedDialogs.h"
#include "Unit1.h"
#include "Unit2.h"

#include "process/processlauncher.h"
#include "shell/desktopshell.h"
#include "windowlink/fakewindowsystem.h"

#include <QByteArray>
#include <QList>
#include <QTemporaryDir>

#include <memory>

// Records what the window asks the desktop to open or start. Programs
// "installed" on its PATH are found under /usr/bin.
class RecordingShell final : public tunelet::DesktopShell
{
public:
    struct Start {
        QByteArray program;
        QByteArrayList arguments;
    };

    bool openFile(const QByteArray &path) override;
    bool startProgram(const QByteArray &program, const QByteArrayList &arguments) override;
    QByteArray findProgram(const QByteArrayList &names) const override;

    QByteArrayList opened;
    QList<Start> started;
    QByteArrayList onPath;
};

// A notification area that records every operation and can refuse them.
class RecordingNotifyArea final : public TNotifyArea
{
public:
    struct Call {
        TNotifyMessage message;
        QByteArray tip;
        bool hasIcon;
    };

    bool Notify(TNotifyMessage message, const TNotifyIconData &data) override;
    int countOf(TNotifyMessage message) const;
    // The tip of the latest add or modify, or "<none>".
    QByteArray lastTip() const;

    QList<Call> calls;
    bool refuseAdd = false;
    bool refuseModify = false;
};

// Starts nothing: every detached start "succeeds" and is recorded.
class RecordingLauncher final : public tunelet::ProcessLauncher
{
public:
    bool startDetached(const QByteArray &program, const QString &parameters,
                       const QByteArray &folder) override;
    tunelet::RunOutcome runAndWait(const QByteArray &program, const QByteArray &argument,
                                   const QByteArray &folder, std::chrono::milliseconds bound,
                                   const std::function<void()> &whileRunning) override;

    QStringList parameters;
};

// A program folder in a temporary directory (TUNELET_HOME) and the three
// windows built on it the way the entry builds them, with scripted dialogs,
// recorded keys, a recording tray, shell and launcher and an in-process
// window system (no player window unless a test adds one).
class ModesFixture final
{
public:
    ModesFixture();
    ~ModesFixture();
    Q_DISABLE_COPY_MOVE(ModesFixture)

    bool isValid() const { return m_dir.isValid(); }
    QByteArray home() const { return m_home; }
    QByteArray path(const QByteArray &name) const { return m_home + name; }
    // Writes a file in the program folder and returns its path.
    QByteArray write(const QByteArray &name, const QByteArray &content);
    QByteArray settings() const;

    // Builds the windows (FormCreate runs); the form is not shown.
    TForm1 &start();
    // Shows the form as the entry does and waits until it is exposed.
    bool show();
    // Runs the close query and destroys the windows.
    void stop();

    TForm1 &form() const { return *m_form; }
    TForm2 &viewer() const { return *m_viewer; }
    TAboutBox &about() const { return *m_about; }

    // Rows of song data files in the program folder, titled "Song 1" ...
    QByteArrayList addSongs(int count);

    tunelet::ScriptedDialogs dialogs;
    tunelet::RecordingKeySynth keys;
    RecordingShell shell;
    RecordingNotifyArea tray;
    RecordingLauncher launcher;
    windowlink::FakeWindowSystem windows;

private:
    QTemporaryDir m_dir;
    QByteArray m_home;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TAboutBox> m_about;
    std::unique_ptr<TForm2> m_viewer;
};

// The data file text of a song titled title.
QByteArray songData(const QByteArray &title);
