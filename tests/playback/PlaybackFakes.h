#pragma once

#include "playback/songstarter.h"
#include "process/processlauncher.h"
#include "windowlink/windowsystem.h"

#include <QList>
#include <QString>

#include <functional>

// An in-process player window: the main window of class "CN_sonaro" with a
// "CN_seek" bar and a "Static" status child, and optionally a window titled
// "mid2snr". Records every message sent.
class FakeWindows final : public windowlink::WindowSystem
{
public:
    static constexpr windowlink::HWND Seek = 2;
    static constexpr windowlink::HWND Status = 3;
    static constexpr windowlink::HWND Converter = 10;

    struct Sent {
        windowlink::HWND window;
        windowlink::UINT message;
        windowlink::WPARAM wParam;
        bool operator==(const Sent &) const = default;
    };

    // The player's window; a new player gets a new handle (newPlayer).
    windowlink::HWND player = 100;
    bool playerPresent = true;
    bool seekPresent = true;
    bool statusPresent = true;
    bool converterPresent = false;
    bool closeLingers = false; // SC_CLOSE leaves the window there (a slow player)
    QString title;
    QString status;
    int position = 0;
    int minimum = 0;
    int maximum = 100;
    QList<Sent> sent;
    int foregroundCalls = 0;

    // The messages sent to the player, without the window.
    QList<QPair<windowlink::UINT, windowlink::WPARAM>> playerMessages() const;
    void clear() { sent.clear(); }
    // Another player's window appears (handles are never reused).
    void newPlayer()
    {
        ++player;
        playerPresent = true;
    }

    windowlink::HWND FindWindowA(const char *className, const char *windowName) override;
    windowlink::HWND FindWindowExA(windowlink::HWND parent, windowlink::HWND childAfter,
                                   const char *className, const char *windowName) override;
    windowlink::LRESULT SendMessageA(windowlink::HWND window, windowlink::UINT message,
                                     windowlink::WPARAM wParam, windowlink::LPARAM lParam) override;
    int GetScrollPos(windowlink::HWND window, int bar) override;
    windowlink::BOOL GetScrollRange(windowlink::HWND window, int bar, int *minPos,
                                    int *maxPos) override;
    int GetWindowTextA(windowlink::HWND window, char *buffer, int maxCount) override;
    windowlink::BOOL SetForegroundWindow(windowlink::HWND window) override;
};

// Records the programs that would be started.
class RecordingLauncher final : public tunelet::ProcessLauncher
{
public:
    struct Started {
        QByteArray program;
        QString parameters;
        QByteArray folder;
    };
    struct Run {
        QByteArray program;
        QByteArray argument;
        QByteArray folder;
    };

    bool startSucceeds = true;
    tunelet::RunOutcome::Status runStatus = tunelet::RunOutcome::Status::Finished;
    // Called while a run "runs", e.g. to write the converter's output.
    std::function<void(const Run &)> onRun;
    QList<Started> started;
    QList<Run> runs;

    bool startDetached(const QByteArray &program, const QString &parameters,
                       const QByteArray &folder) override;
    tunelet::RunOutcome runAndWait(const QByteArray &program, const QByteArray &argument,
                                   const QByteArray &folder, std::chrono::milliseconds bound,
                                   const std::function<void()> &whileRunning) override;
};

// A start's window side, recording what it was asked to do.
class RecordingHost final : public tunelet::SongStartHost
{
public:
    std::function<std::optional<QByteArray>(const QByteArray &)> extractor;
    bool failDataView = false;
    QStringList calls; // "lzh <path>", "converter", "view <path>", "beep", "message <text>"

    std::optional<QByteArray> extractLzhData(const QByteArray &archivePath) override;
    void showConverterRunning() override { calls << QStringLiteral("converter"); }
    void loadDataView(const QByteArray &path) override;
    void beep() override { calls << QStringLiteral("beep"); }
    void message(const QString &text) override { calls << QStringLiteral("message ") + text; }
};
