#pragma once

#include "tests/support/ArchiveWriters.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/FormComponents.h"
#include "tests/support/RecordingKeySynth.h"
#include "tests/support/RecordingLauncher.h"
#include "tests/support/RecordingNotifyArea.h"
#include "tests/support/RecordingShell.h"
#include "tests/support/ScriptedDialogs.h"

#include "app/About.h"
#include "app/RealSeams.h"
#include "app/Unit1.h"
#include "app/Unit2.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QTemporaryDir>

#include <memory>

namespace tunelet::testkit
{

// A program folder in a temporary directory (TUNELET_HOME) and the three windows
// built on it the way the entry builds them, with scripted dialogs and recorded
// keys. The other seams are the real ones unless the test gives its own. The
// fixture has a window-link folder of its own, so the players a test starts are
// seen by that test alone; files "outside" go beside the program folder.
class WindowFixture final
{
public:
    // Seams the window is built with; null: the real one.
    struct Seams {
        windowlink::WindowSystem *windows = nullptr;
        tunelet::ProcessLauncher *processes = nullptr;
        TNotifyArea *notifyArea = nullptr;
        tunelet::DesktopShell *shell = nullptr;
        // Null: the fixture's recorded keys.
        tunelet::KeySynth *keys = nullptr;
    };

    // A recording fake for every seam: no program starts, no window is steered,
    // nothing reaches the desktop.
    struct RecordingSeams {
        FakeWindowSystem windows;
        RecordingLauncher launcher;
        RecordingNotifyArea notifyArea;
        RecordingShell shell;
    };

    WindowFixture();
    ~WindowFixture();
    Q_DISABLE_COPY_MOVE(WindowFixture)

    bool isValid() const { return m_dir.isValid(); }

    // ---- Files ----
    // The program folder, with its trailing '/'.
    QByteArray home() const { return m_home; }
    QByteArray path(const QByteArray &name) const { return m_home + name; }
    // Moves the program folder (before start), e.g. to one that cannot be made;
    // the settings file moves with it.
    void setHome(const QByteArray &folder);
    // Writes a file in the program folder and returns its path.
    QByteArray write(const QByteArray &name, const QByteArray &content) const;
    // Writes a file outside the program folder; returns its path, empty on failure.
    QByteArray writeOutside(const QByteArray &name, const QByteArray &content) const;
    // The folder beside the program folder, with its trailing '/'.
    QByteArray outsideRoot() const;
    QByteArray settingsPath() const { return m_settingsPath; }
    void setSettingsPath(const QByteArray &path) { m_settingsPath = path; }
    // The settings file as it is now, "(missing)" when there is none.
    QByteArray settings() const;
    // The entries the program folder holds, recursively ("sub/", "sub/a.snr"),
    // sorted, without the settings file.
    QByteArrayList leftInHome() const;
    // An archive named name outside the program folder, made by lha from the
    // members in this order; empty when lha failed or is missing.
    QByteArray makeLzh(const QByteArray &name, const QList<archives::Member> &members) const;

    // ---- Windows ----
    // The window is started on these seams from now on.
    void useSeams(const Seams &seams) { m_seams = seams; }
    // The window is started on recording fakes of the fixture's own from now on,
    // with a player program file in the program folder so that songs start.
    RecordingSeams &useRecordingSeams();
    RecordingSeams &recorded() { return *m_recorded; }
    // Builds the windows (FormCreate runs); the form is not shown.
    TForm1 &start();
    TForm1 &start(const Seams &seams);
    // Runs the close query and destroys the windows.
    void stop();
    TForm1 &restart();
    // Shows the form as the entry does and waits until it is exposed.
    bool show();
    // Shows the form at 500×400 and lays the list out, so that row positions are real.
    bool showLaidOut();

    TForm1 &form() const { return *m_form; }
    TForm2 &viewer() const { return *m_viewer; }
    TAboutBox &about() const { return *m_about; }
    ScriptedDialogs &dialogs() { return m_dialogs; }
    RecordingKeySynth &keys() { return m_keys; }

    // ---- Rows ----
    // Writes song data files "song1.snr" ... in the program folder, titled
    // "Song 1" ..., and appends them.
    QByteArrayList addSongs(int count);
    // The playlist's rows for these paths, replacing any others.
    void setRows(const QByteArrayList &paths);
    QByteArrayList captions() const;
    QByteArrayList paths() const;
    // The time label and a panel of the status bar (0 position, 1 mode, 2 status).
    QString label() const;
    QString panel(int index) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_home;
    QByteArray m_settingsPath;
    QByteArray m_savedRuntimeDir;
    Seams m_seams;
    std::unique_ptr<RecordingSeams> m_recorded;
    // The real seams, for those the test does not give; built as the entry
    // builds them, and kept over restarts.
    tunelet::RealSeams m_realSeams;
    ScriptedDialogs m_dialogs;
    RecordingKeySynth m_keys;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<TAboutBox> m_about;
    std::unique_ptr<TForm2> m_viewer;
};

} // namespace tunelet::testkit
