#pragma once
// An in-process WindowSystem for unit tests: windows are plain records the test sets
// up and changes, and every message sent is recorded. Lookups follow the same rules
// as the real link (newest top-level window first, children in order, ASCII case
// ignored, texts cut at 255 characters, SB_CTL only).

#include "windowlink/windowsystem.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace windowlink
{

class FakeWindowSystem final : public WindowSystem
{
public:
    struct Sent {
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool operator==(const Sent &) const = default;
    };

    // A published top-level window; later ones are found first.
    HWND addWindow(const std::string &className, const std::string &title);
    HWND addChild(HWND parent, const std::string &className, const std::string &text = {});
    void setText(HWND window, const std::string &text);
    void setScroll(HWND window, int pos, int minPos, int maxPos);
    // The window and its children are gone (as after SC_CLOSE).
    void removeWindow(HWND window);
    bool exists(HWND window) const;

    // Runs for every message to a live window; its result is SendMessageA's.
    std::function<LRESULT(const Sent &)> onMessage;
    std::vector<Sent> sent;
    std::vector<HWND> broughtToFront;

    HWND FindWindowA(const char *className, const char *windowName) override;
    HWND FindWindowExA(HWND parent, HWND childAfter, const char *className,
                       const char *windowName) override;
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    int GetScrollPos(HWND window, int bar) override;
    BOOL GetScrollRange(HWND window, int bar, int *minPos, int *maxPos) override;
    int GetWindowTextA(HWND window, char *buffer, int maxCount) override;
    BOOL SetForegroundWindow(HWND window) override;

private:
    struct Window {
        HWND parent = 0;
        std::string className;
        std::string text;
        bool isScrollBar = false;
        int pos = 0;
        int minPos = 0;
        int maxPos = 0;
        std::vector<HWND> children;
    };
    Window *find(HWND window);
    bool matches(const Window &w, const char *className, const char *windowName) const;

    std::map<HWND, Window> m_windows;
    std::vector<HWND> m_topLevel; // oldest first
    HWND m_next = 0x20000;
};

} // namespace windowlink
