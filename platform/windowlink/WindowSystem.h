#pragma once
// The calls Tunelet makes on another program's window, as an interface so that
// tests can put an in-process fake window in place of a real player.

#include "platform/windowlink/Win32.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace windowlink
{

// A child control as one look at its window shows it.
struct ChildReading {
    bool found = false;
    std::string text;         // UTF-8, at most kMaxWindowText characters
    bool isScrollBar = false; // with the position and range below (SB_CTL)
    int pos = 0;
    int minPos = 0;
    int maxPos = 0;
};

// One look at a window: its title, and for each class asked for the first child
// of that class (ASCII case ignored), in the order asked.
struct WindowReading {
    std::string title; // UTF-8, at most kMaxWindowText characters
    std::vector<ChildReading> children;
};

class WindowSystem
{
public:
    virtual ~WindowSystem() = default;

    // The newest published top-level window whose class and title match; a null
    // className or windowName matches any. Comparisons ignore ASCII case. 0 if none.
    virtual HWND FindWindowA(const char *className, const char *windowName) = 0;
    // The first child of parent after childAfter (0: from the first child) whose class
    // and title match. parent 0 searches the top-level windows. 0 if none.
    virtual HWND FindWindowExA(HWND parent, HWND childAfter, const char *className,
                               const char *windowName) = 0;
    // Delivers the message and returns once the receiver has handled it, with the
    // receiver's result. 0 when there is no such window or it did not answer in time.
    virtual LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Scroll-bar position of a scroll-bar control (bar == SB_CTL); 0 when unavailable.
    virtual int GetScrollPos(HWND window, int bar) = 0;
    // Range of a scroll-bar control (bar == SB_CTL). On failure both are set to 0 and
    // FALSE is returned.
    virtual BOOL GetScrollRange(HWND window, int bar, int *minPos, int *maxPos) = 0;
    // Copies the window's UTF-8 text, at most kMaxWindowText characters and maxCount - 1
    // bytes (windowTextCut), NUL-terminated. Returns the bytes copied; 0 (and an empty
    // string) when there is no such window.
    virtual int GetWindowTextA(HWND window, char *buffer, int maxCount) = 0;
    // Asks the window to come to the front. FALSE when there is no such window.
    virtual BOOL SetForegroundWindow(HWND window) = 0;
    // The process that shows the window, in *processId (when not null), told without
    // asking the window, so a window that hangs costs no wait. Returns that number too
    // (the link knows processes, not threads); 0, and 0 in *processId, when there is no
    // such window or its process is not known.
    virtual DWORD GetWindowThreadProcessId(HWND window, DWORD *processId);

    // The same as GetWindowTextA of the window and FindWindowExA, GetWindowTextA,
    // GetScrollPos and GetScrollRange of the first child of each class, read at one
    // moment; the real link asks once for all of it. Nothing when there is no such
    // window or it did not answer in time.
    virtual std::optional<WindowReading> readWindow(HWND window,
                                                    const std::vector<std::string> &childClasses);

    // Calls onChange from this thread's event loop whenever top-level windows may have
    // appeared or gone, so that a caller with no window to follow need not look
    // periodically. False when that cannot be watched: the caller then has to look.
    // A later call replaces the earlier one.
    virtual bool watchTopLevel(std::function<void()> onChange);

    // Calls onReport from this thread's event loop whenever a window that readWindow
    // has read reports a change of its title or children unasked, or closes its side,
    // so that a caller following a window need not look periodically: a look made then
    // is answered from the report. False when windows cannot report: the caller then
    // has to look. A later call replaces the earlier one.
    virtual bool watchReports(std::function<void()> onReport);
};

// Where windows are published and whom to trust; the defaults suit real use.
struct LinkOptions {
    // Runtime folder; empty: $XDG_RUNTIME_DIR/tunelet-windows/, else
    // ${XDG_CACHE_HOME:-$HOME/.cache}/tunelet-windows/ (a folder in the user's home,
    // which no other user can make first), /tmp/tunelet-windows-<uid>/ only without
    // a home.
    std::string runtimeDir;
    // Owner every published socket and every answering peer must have; -1: the
    // effective user of this process.
    uid_t trustedUid = static_cast<uid_t>(-1);
    // How long one call may wait for the receiver, in milliseconds.
    int timeoutMs = 2000;
    // How long what a window reported unasked (each change of its title or children)
    // stands for an answer to readWindow, in milliseconds: within that time nothing is
    // asked. A window that reported nothing for longer is asked, so one that hangs is
    // found out. 0: every read asks.
    int reportsStandMs = 1000;
};

// The real window link (client side). Not thread-safe: use one per thread.
std::unique_ptr<WindowSystem> makeLinkWindowSystem(const LinkOptions &options = {});

// This thread's real window link with default options, created on first use.
WindowSystem &linkWindows();

// The Win32-like calls on linkWindows().
HWND FindWindowA(const char *className, const char *windowName);
HWND FindWindowExA(HWND parent, HWND childAfter, const char *className, const char *windowName);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int GetScrollPos(HWND window, int bar);
BOOL GetScrollRange(HWND window, int bar, int *minPos, int *maxPos);
int GetWindowTextA(HWND window, char *buffer, int maxCount);
BOOL SetForegroundWindow(HWND window);

// What the real link holds in this process, over all its window systems: open
// connections, and windows it keeps handles or connections for. A window that is
// gone is let go once that is known, so these stay as small as the number of
// windows in use, however many came and went. It also counts the questions put to
// windows since the process started, and those that got no answer in time: each
// such wait holds up its caller, so a window that stopped answering costs one.
struct LinkUsage {
    std::size_t connections = 0;
    std::size_t windows = 0;
    std::size_t questions = 0;
    std::size_t unanswered = 0;
};
LinkUsage linkUsage();

// Convenience: the whole text (at most kMaxWindowText characters) as a std::string.
std::string windowText(WindowSystem &windows, HWND window);

// How many bytes of a UTF-8 text GetWindowTextA copies into a buffer of maxCount bytes:
// at most kMaxWindowText characters and maxCount - 1 bytes, never ending inside a
// character. Counting characters keeps a long Japanese title (three bytes a character)
// as long as the same title in one byte a character.
std::size_t windowTextCut(std::string_view text, int maxCount);

} // namespace windowlink
