#pragma once

#include "app/CompactMode.h"
#include "app/Dialogs.h"
#include "app/Form1Environment.h"
#include "app/Form1Widgets.h"
#include "app/SettingsTable.h"
#include "archive/ARCHIVES.h"

#include "playback/Options.h"
#include "playback/PlaybackClock.h"
#include "playback/PlaybackSession.h"

#include "desktop/DesktopPlayer.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class TAboutBox;
class TForm1;
class TForm2;
class TTrayIcon;

namespace tunelet
{
class OuterFrame;
class DesktopShell;
class EntryBuilder;
class KeySynth;
class LzhDataExtraction;
class PlaylistModel;
class PlaylistSorter;
struct ProgramPathSetting;
enum class PlayMode : int;
class RandomGenerator;
class SpareDescriptors;
// The window's components, for the settings bindings alone: they read and set
// the options' check marks and the list's column widths.
const Form1Widgets &widgetsOf(const TForm1 &form);
} // namespace tunelet

// The main window: its layout, menus and buttons, and the wiring of every
// command to the code that carries it out. The class is split over several
// files by subsystem:
//   Unit1.cpp          construction, event plumbing, the error box, closing
//   Unit1Layout.cpp    each component wired to its handler (Form1Widgets builds them)
//   Unit1Settings.cpp  FormCreate, FormShow, FormCloseQuery and the settings file
//   Unit1Lists.cpp     list files and their commands
//   Unit1Playback.cpp  playing songs, play modes, transport, timers
//   Unit1Editing.cpp   adding, deleting, moving, sorting rows; dropped files
//   Unit1Modes.cpp     compact mode, stay on top, tray, data viewer
//   Unit1Tools.cpp     editor, program paths, volume, help, about, option switches, exit
//   Unit1Archive.cpp   the archive component and the LZH data extraction it lends
//   Unit1Desktop.cpp   the desktop: media keys and applets (MPRIS), files opened from it
//
// Playing is the playback session's (tunelet::PlaybackSession); the window
// binds its handlers and widgets to it. Menu items are QActions. The options
// are one value (tunelet::Options) that the session and the window read; an
// option's check mark shows it, and a click on it updates the value. A
// checkable action flips its own check before its Click handler runs, so the
// handlers of the plain switches have nothing more to do and a handler that
// acts on a switch sees its new state.
class TForm1 final : public QMainWindow, private Form1Widgets
{
    Q_OBJECT

public:
    using Environment = tunelet::Form1Environment;

    // Builds the window and runs FormCreate.
    explicit TForm1(const Environment &environment, QWidget *parent = nullptr);
    ~TForm1() override;
    Q_DISABLE_COPY_MOVE(TForm1)

    // The about box and the data viewer are created after the main window.
    void SetSiblings(TAboutBox *aboutBox, TForm2 *dataViewer);

    // Runs the close query once, whatever asked for it (close box, exit
    // command, a termination signal, the end of the session); later calls do
    // nothing. Emits Closed when done.
    void CloseOnce();
    bool IsClosed() const { return m_closed; }

    // The archive component, used for LZH archives only.
    TArchiveFile ArchiveFile1;

    // The notification-area icon; null only when it could not be created.
    TTrayIcon *TrayIcon1 = nullptr;

    // The scratch list: an ordered list of strings, empty between uses.
    QByteArrayList ListBox1;

    // Dialog components: their starting folders and file names persist.
    tunelet::FileDialogState OpenDialog1; // open a list
    tunelet::FileDialogState SaveDialog1; // save a list
    tunelet::FileDialogState OpenDialog2; // add or insert files

    // ---- State held for the whole run ----
    QByteArray FileName; // the current list file

private:
    // The options, reached through Opts().
    tunelet::Options m_options;

public:
    // The program paths under their own names.
    QByteArray &SonaroPath = m_options.sonaroPath;
    QByteArray &EditorPath = m_options.editorPath;
    QByteArray &mid2snrPath = m_options.mid2snrPath;
    QByteArray HelpFile; // registered at start
    int SortKey = 0;

    tunelet::PlaylistModel &Playlist() const { return *m_playlist; }
    tunelet::Options &Opts() { return m_options; }
    const tunelet::Options &Opts() const { return m_options; }
    // What plays: PlayIndex, the player, the timers.
    tunelet::PlaybackSession &Session() const { return *m_session; }
    tunelet::EntryBuilder &Builder() const { return *m_builder; }
    tunelet::RandomGenerator &Random() const { return *m_random; }
    tunelet::Dialogs &Dlg() const { return *m_env.dialogs; }
    tunelet::KeySynth &Keys() const { return *m_env.keys; }
    const QByteArray &ProgramFolder() const { return m_env.programFolder; }
    const QByteArray &SettingsPath() const { return m_env.settingsPath; }
    TForm2 *DataViewer() const { return m_form2; }
    // The window's outer frame, in which its position and size are stored.
    tunelet::OuterFrame &Frame() const { return *m_frame; }
    TAboutBox *AboutBox() const { return m_aboutBox; }

    // The window's caption, exactly as it is shown. Playback keeps its state
    // in it: exactly "Tunelet" while idle.
    QString Caption() const;
    void SetCaption(const QString &caption);

    // The selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);

    // The error box: runs a command and shows what it throws (a
    // std::exception whose what() is UTF-8 text) in the application's error
    // box; the program goes on.
    void Run(const std::function<void()> &command);
    void ShowError(const QString &text);
    // True when every name a file dialog handed back is the file the user
    // chose. A name the dialog altered gets a beep and a message instead, and
    // the command that asked does nothing more.
    bool ChosenNamesUsable(const QByteArrayList &names, bool dropHint);

    // ---- Playlist rows (Unit1Lists.cpp) ----
    void AppendEntry(const QByteArray &path);
    void InsertEntry(int index, const QByteArray &path);
    // Throw the framework's file errors ("ﾌｧｲﾙ %s は開けません", "ﾌｧｲﾙ %s を作成できません").
    void LoadListFile(const QByteArray &path);
    void SaveListFile(const QByteArray &path);
    void MMOpenClick();
    void MMReloadClick();
    void MMSaveClick();
    void StatusBar1DblClick();
    void MMSaveListClick();

    // ---- Start-up and shut-down (Unit1Settings.cpp) ----
    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool &CanClose);

    // ---- Playback (Unit1Playback.cpp) ----
    bool StartSong(const QByteArray &path);
    bool StopPlayer();
    void MMListPlayClick();
    void MMSinglePlayClick();
    void MMRandomPlayClick();
    // Selecting a play mode checks its item and shows its name in the status
    // bar (what each item's click does).
    void SelectPlayMode(tunelet::PlayMode mode);
    // Double click on the button bar: the next mode in the cycle.
    void Panel1DblClick();
    void SBPlayClick();
    void SBPauseClick();
    void SBStopClick();
    void SBBackClick();
    void SBNextClick();
    void SBReturnMouseDown(Qt::MouseButton button);
    void SBReturnMouseUp(Qt::MouseButton button);
    void SBSkipMouseDown(Qt::MouseButton button);
    void SBSkipMouseUp(Qt::MouseButton button);
    void ListView1DblClick();
    void N2Click();
    void Timer1Timer();
    void Timer2Timer();
    void FormActivate();
    void FormClose();
    void MMRepeatClick();
    // The repeat item's check mark, as the desktop sets it before its click.
    void CheckRepeat(bool repeat);
    // The status bar's playback panel.
    void SetPlaybackStatus(const QString &text);
    void MMCloseSonaroClick();
    void MMSWMemberClick();
    void MMSWFingerClick();
    void MMSWScoreClick();
    void MMPlayMinimizeClick();
    // Builds the playback session and binds it to the window; the
    // constructor calls it.
    void CreatePlayback();
    // Descriptors kept for the close's saves (the list, the settings).
    static constexpr int SpareDescriptorCount = 4;
    // The tray icon's tip as playback last set it (TipHelp).
    QByteArray TrayTip() const;
    // The file handed to the player by the last successful start, as bytes
    // (the caption shows it decoded); empty after StopPlayer.
    QByteArray PlayingPath() const;

    // ---- Editing (Unit1Editing.cpp) ----
    void MMAddClick();
    void PMInsertClick();
    void MMDeleteClick();
    void MMClearClick();
    void MMUpClick();
    void MMDownClick();
    void MMHEADSortClick();
    void MMFileNameSortClick();
    void MMRandomSortClick();
    void MMExistsDeleteClick();
    void MMWFileDeleteClick();
    void ListView1Change();
    // Files dropped onto the window, with the drop position in ListView1's
    // viewport coordinates.
    void FilesDropped(const QByteArrayList &paths, const QPoint &viewportPos);
    void MMLzhHEADClick();
    // The sort comparison of two rows under the current SortKey.
    int ListView1Compare(int rowA, int rowB) const;

    // ---- Archives (Unit1Archive.cpp) ----
    // Takes the first data file out of an LZH archive into the work file
    // "tunelet.snr" in the program folder; true on success. An archive without
    // one gets the message "snrファイルが存在しません。" and false. Archive
    // errors (EArchiver) are thrown. The work is tunelet::LzhDataExtraction's.
    bool ExtractLzhData(const QByteArray &archivePath);
    // Gives ArchiveFile1 its stored options and lets archive rows take their
    // titles through ExtractLzhData; the constructor calls it.
    void CreateArchiveFile();

    // ---- Window modes (Unit1Modes.cpp) ----
    void MMCompactModeClick();
    void FormResize();
    void MMStayOnTopClick();
    void MMTaskTrayClick();
    void PMWindowClick();
    void MMDataViewClick();
    void Form2CloseQuery(); // the data viewer's close box

    // ---- The desktop (Unit1Desktop.cpp) ----
    // Files from the desktop ("Open with", the command line, a later start):
    // added as a drop onto no row adds them, then the first one added plays.
    void OpenFiles(const QByteArrayList &paths);
    // What media keys, panel applets and the hand-over of files reach.
    tunelet::DesktopPlayer &Desktop();

    // ---- Tools (Unit1Tools.cpp) ----
    void MMDataEditClick();
    void PMDataEditClick();
    void MMSonaroPathClick();
    void MMEditorPathClick();
    void MMmid2snrPathClick();
    void MMVolumeClick();
    void Contents1Click();
    void About1Click();
    void MMExitClick();
    void MMListOpenClick();

signals:
    // The close query has run; the program ends.
    void Closed();
    // Playback sets the tray icon's tip (TipHelp): the playing row's title, or
    // "Tunelet". The tray icon's wiring connects this to TrayIcon1.
    void TrayTipChanged(const QByteArray &tip);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    friend const Form1Widgets &tunelet::widgetsOf(const TForm1 &form);

    // Unit1Layout.cpp
    void CreateWidgets();
    void WatchWidgetEvents();
    void ShowKindIcons();

    // Unit1Settings.cpp
    void ReportWriteFailure(const QString &reason);

    // Unit1.cpp
    void KeepListWithoutFocusedRow();

    // Unit1Editing.cpp
    // Connects row insertions and removals to ListView1Change; the
    // constructor calls it.
    void WatchRowsForPositionDisplay();
    bool ChooseFilesToAdd();
    void SelectMovedRow(int row);
    void FocusListWithLeftKey();
    void SortRows(void (tunelet::PlaylistSorter::*sortBy)(tunelet::PlaylistModel &));

    // Unit1Lists.cpp
    // A list file has replaced the rows: it is the current list now.
    void ListFileLoaded(const QByteArray &path);

    // Unit1Modes.cpp
    // Run by the start-up; ShowTrayIconAtStart throws when the tray refuses.
    void ShowTrayIconAtStart();
    void EnterCompactHeight();
    // Gives the list area its height back (compact mode left, or at exit).
    void RestoreFullHeight();
    // The file handed to the player, as the caption names it.
    std::optional<QByteArray> PlayingDataFile() const;

    // Unit1Tools.cpp
    tunelet::DesktopShell &Shell();
    // The editor setting can start an editor; if not, the user is told so.
    bool EditorReady();
    void ChooseProgramPath(QByteArray &value, const tunelet::ProgramPathSetting &setting);

    Environment m_env;
    std::unique_ptr<tunelet::PlaylistModel> m_playlist;
    std::unique_ptr<tunelet::EntryBuilder> m_builder;
    std::unique_ptr<tunelet::RandomGenerator> m_random;
    TAboutBox *m_aboutBox = nullptr;
    TForm2 *m_form2 = nullptr;
    tunelet::OuterFrame *m_frame = nullptr; // owned by the window
    bool m_closed = false;
    // Released right before the close saves, which then find descriptors
    // even when the process has run out of them.
    std::unique_ptr<tunelet::SpareDescriptors> m_spareDescriptors;
    tunelet::CompactMode m_compact;
    // The session's window side.
    std::shared_ptr<tunelet::PlaybackHost> m_songHost;
    std::unique_ptr<tunelet::PlaybackSession> m_session;
    std::unique_ptr<tunelet::LzhDataExtraction> m_lzhExtraction; // ExtractLzhData's work
    // The desktop's view of playback: the song the last start began and what
    // the last poll read of the player.
    std::shared_ptr<tunelet::DesktopPlayer> m_desktop;
};
