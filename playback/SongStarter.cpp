#include "playback/SongStarter.h"

#include "playback/PlaybackError.h"

#include "playback/ProgramPath.h"

#include "platform/core/ByteFile.h"
#include "platform/core/BytePath.h"
#include "platform/core/ResourceShortage.h"
#include "platform/process/ProcessLauncher.h"
#include "platform/windowlink/WindowSystem.h"

#include <cstdio>

namespace tunelet
{

using namespace windowlink;

SongStarter::SongStarter(ProcessLauncher &processes, WindowSystem &windows, SongStartHost &host)
    : m_processes(processes), m_windows(windows), m_host(host)
{
}

SongStartResult SongStarter::start(const QByteArray &songPath, const SongStartSettings &settings)
{
    QByteArray path = songPath;
    // The kind comes from the extension alone, whatever the row's icon says.
    const QByteArray extension = lowerExtension(path);
    if (extension == ".lzh") {
        const std::optional<QByteArray> workFile = m_host.extractLzhData(path);
        if (!workFile)
            return {};
        path = *workFile;
    }
    // Tested on the path as it now stands: never true for an archive's work file.
    if (lowerExtension(path) == ".mid")
        path = convertMidi(path, settings);

    if (settings.dataView)
        m_host.loadDataView(path);

    // The file checked for is the file started.
    const QByteArray player = programPath(settings.sonaroPath, PlayerProgramName,
                                          settings.programFolder, settings.shippedFolder);
    if (!isExistingFile(player)) {
        m_host.beep();
        m_host.message(QStringLiteral("Sonaroのパスを正しく設定してください。"));
        return {};
    }
    if (!startPlayer(player, path, settings)) {
        m_host.beep();
        // When the system ran out of something, the message says what.
        m_host.message(
            withShortage(QStringLiteral("Sonaro起動エラー。"), m_processes.lastStartError()));
        return {};
    }
    return {true, path, m_processes.takeStarted()};
}

QByteArray SongStarter::convertMidi(const QByteArray &path, const SongStartSettings &settings)
{
    bool shown = false;
    const QByteArray converter = programPath(settings.mid2snrPath, ConverterProgramName,
                                             settings.programFolder, settings.shippedFolder);
    const RunOutcome outcome =
        m_processes.runAndWait(converter, path, settings.programFolder, m_converterBound, [&] {
            if (!shown) {
                m_host.showConverterRunning();
                shown = true;
            }
            minimizeConverterWindow();
        });
    if (outcome.status == RunOutcome::Status::FailedToStart)
        throw EPlaybackError(
            withShortage(QStringLiteral("mid2snrを起動できません"), m_processes.lastStartError()));

    // The converter writes "<input base>.snr" into its current folder, the
    // program folder; that file becomes the work file.
    const QByteArray workFile = settings.programFolder + WorkFileName;
    const QByteArray output = settings.programFolder + replaceExtension(fileNamePart(path), ".snr");
    // A converter that crashed or was stopped may have written part of its
    // output: it is removed rather than played or left behind.
    if (outcome.status == RunOutcome::Status::TimedOut) {
        removeFile(output);
        throw EPlaybackError(QStringLiteral("mid2snrが%1秒たっても終了しないため、中止しました")
                                 .arg(m_converterBound.count() / 1000));
    }
    if (outcome.status == RunOutcome::Status::Crashed) {
        removeFile(output);
        throw EPlaybackError(QStringLiteral("mid2snrが異常終了しました"));
    }
    // An input named like the work file converts straight into it: deleting
    // the work file first would throw the new data away.
    if (output != workFile) {
        removeFile(workFile);
        std::rename(output.constData(), workFile.constData());
    }
    return workFile;
}

bool SongStarter::startPlayer(const QByteArray &player, const QByteArray &path,
                              const SongStartSettings &settings)
{
    return m_processes.startDetached(player, playerParameters(path, settings.switches),
                                     folderPart(player));
}

void SongStarter::minimizeConverterWindow()
{
    if (const HWND window = m_windows.FindWindowA(nullptr, "mid2snr"))
        m_windows.SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

} // namespace tunelet
