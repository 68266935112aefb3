#pragma once

#include "playback/PlayerParameters.h"

#include "platform/process/ProcessHandle.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

namespace windowlink
{
class WindowSystem;
}

namespace tunelet
{

class ProcessLauncher;

// The work file in the program folder: converted MIDI data and data taken out
// of an archive are played from it.
inline constexpr char WorkFileName[] = "tunelet.snr";

// What a start reads from the main window's settings and menus.
struct SongStartSettings {
    QByteArray sonaroPath;    // the player program setting (see programPath)
    QByteArray mid2snrPath;   // the converter program setting (see programPath)
    QByteArray programFolder; // with its trailing '/'
    QByteArray shippedFolder; // where the shipped player and converter lie, with its '/'
    SongSwitches switches;
    bool dataView = false; // load the played file into the data viewer
};

// What a start needs from the main window.
class SongStartHost
{
public:
    virtual ~SongStartHost() = default;
    // ExtractLzhData: the work file's path, or nothing when the archive gave
    // no file to play (the host has said why).
    virtual std::optional<QByteArray> extractLzhData(const QByteArray &archivePath) = 0;
    // The converter runs: status panel 2 and the caption say so, and the
    // window is painted once, as no events are handled until it ends.
    virtual void showConverterRunning() = 0;
    // Loads the file into the data viewer; throws the file error
    // "ﾌｧｲﾙ %s は開けません" when it cannot be opened.
    virtual void loadDataView(const QByteArray &path) = 0;
    virtual void beep() = 0;
    virtual void message(const QString &text) = 0;
};

struct SongStartResult {
    bool started = false;
    QByteArray playedPath;                 // the file handed to the player
    std::unique_ptr<ProcessHandle> player; // its process, when the launcher gives it
};

// StartSong: prepares a file the player can read (taking it out of an
// archive, or converting a MIDI file) and starts the player on it. Never
// closes a running player. Throws EPlaybackError when the converter cannot
// be run, crashes or runs past its bound (its output, whole or not, is then
// removed), and what the host throws.
class SongStarter final
{
public:
    // A converter still running after this long is ended, so that Tunelet,
    // which handles nothing while it waits, never hangs for good.
    static constexpr std::chrono::milliseconds ConverterBound{60000};

    SongStarter(ProcessLauncher &processes, windowlink::WindowSystem &windows, SongStartHost &host);
    Q_DISABLE_COPY_MOVE(SongStarter)

    SongStartResult start(const QByteArray &path, const SongStartSettings &settings);

    void setConverterBound(std::chrono::milliseconds bound) { m_converterBound = bound; }

private:
    QByteArray convertMidi(const QByteArray &path, const SongStartSettings &settings);
    bool startPlayer(const QByteArray &player, const QByteArray &path,
                     const SongStartSettings &settings);
    void minimizeConverterWindow();

    ProcessLauncher &m_processes;
    windowlink::WindowSystem &m_windows;
    SongStartHost &m_host;
    std::chrono::milliseconds m_converterBound = ConverterBound;
};

} // namespace tunelet
