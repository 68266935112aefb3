#include "PlaybackFakes.h"

#include "playback/playbackerror.h"

#include <cstring>

using namespace windowlink;

QList<QPair<UINT, WPARAM>> FakeWindows::playerMessages() const
{
    QList<QPair<UINT, WPARAM>> messages;
    for (const Sent &s : sent)
        if (s.window >= 100)
            messages.append({s.message, s.wParam});
    return messages;
}

HWND FakeWindows::FindWindowA(const char *className, const char *windowName)
{
    if (className && std::strcmp(className, "CN_sonaro") == 0 && !windowName)
        return playerPresent ? player : 0;
    if (!className && windowName && std::strcmp(windowName, "mid2snr") == 0)
        return converterPresent ? Converter : 0;
    return 0;
}

HWND FakeWindows::FindWindowExA(HWND parent, HWND childAfter, const char *className,
                                const char *windowName)
{
    if (parent != player || !playerPresent || childAfter != 0 || windowName || !className)
        return 0;
    if (std::strcmp(className, "CN_seek") == 0)
        return seekPresent ? Seek : 0;
    if (std::strcmp(className, "Static") == 0)
        return statusPresent ? Status : 0;
    return 0;
}

LRESULT FakeWindows::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (window >= 100 && (window != player || !playerPresent))
        return 0;
    sent.append({window, message, wParam});
    // The player's window is gone when the close returns.
    if (window == player && message == WM_SYSCOMMAND && wParam == SC_CLOSE && !closeLingers)
        playerPresent = false;
    return 0;
}

int FakeWindows::GetScrollPos(HWND window, int bar)
{
    return window == Seek && playerPresent && seekPresent && bar == SB_CTL ? position : 0;
}

BOOL FakeWindows::GetScrollRange(HWND window, int bar, int *minPos, int *maxPos)
{
    const bool ok = window == Seek && playerPresent && seekPresent && bar == SB_CTL;
    *minPos = ok ? minimum : 0;
    *maxPos = ok ? maximum : 0;
    return ok ? TRUE : FALSE;
}

int FakeWindows::GetWindowTextA(HWND window, char *buffer, int maxCount)
{
    QByteArray text;
    if (window == player && playerPresent)
        text = title.toUtf8();
    else if (window == Status && playerPresent && statusPresent)
        text = status.toUtf8();
    const int n =
        int(windowTextCut(std::string_view(text.constData(), size_t(text.size())), maxCount));
    std::memcpy(buffer, text.constData(), size_t(n));
    buffer[n] = '\0';
    return n;
}

BOOL FakeWindows::SetForegroundWindow(HWND window)
{
    if (window != player || !playerPresent)
        return FALSE;
    ++foregroundCalls;
    return TRUE;
}

bool RecordingLauncher::startDetached(const QByteArray &program, const QString &parameters,
                                      const QByteArray &folder)
{
    started.append({program, parameters, folder});
    return startSucceeds;
}

tunelet::RunOutcome RecordingLauncher::runAndWait(const QByteArray &program,
                                                  const QByteArray &argument,
                                                  const QByteArray &folder,
                                                  std::chrono::milliseconds,
                                                  const std::function<void()> &whileRunning)
{
    const Run run{program, argument, folder};
    runs.append(run);
    if (runStatus == tunelet::RunOutcome::Status::FailedToStart)
        return {runStatus, -1};
    // Two slices of waiting.
    whileRunning();
    whileRunning();
    if (onRun)
        onRun(run);
    return {runStatus, runStatus == tunelet::RunOutcome::Status::Finished ? 0 : -1};
}

std::optional<QByteArray> RecordingHost::extractLzhData(const QByteArray &archivePath)
{
    calls << QStringLiteral("lzh ") + QString::fromUtf8(archivePath);
    return extractor ? extractor(archivePath) : std::nullopt;
}

void RecordingHost::loadDataView(const QByteArray &path)
{
    calls << QStringLiteral("view ") + QString::fromUtf8(path);
    if (failDataView)
        throw tunelet::EPlaybackError(
            QStringLiteral("ﾌｧｲﾙ %1 は開けません").arg(QString::fromUtf8(path)));
}
