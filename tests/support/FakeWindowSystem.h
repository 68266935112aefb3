#pragma once
// An in-process WindowSystem for unit tests: windows are plain records the test sets
// up and changes, and every message sent is recorded. Lookups follow the same rules
// as the real link (newest top-level window first, children in order, ASCII case
// ignored, texts cut at 255 characters, SB_CTL only).

#include "platform/windowlink/WindowSystem.h"

#include <QList>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tunelet::testkit
{

class FakeWindowSystem : public windowlink::WindowSystem
{
public:
    struct Sent {
        windowlink::HWND window;
        windowlink::UINT message;
        windowlink::WPARAM wParam;
        windowlink::LPARAM lParam;
        bool operator==(const Sent &) const = default;
    };
    using MessageHandler = std::function<windowlink::LRESULT(const Sent &)>;

    // A published top-level window; later ones are found first.
    windowlink::HWND addWindow(const std::string &className, const std::string &title);
    windowlink::HWND addChild(windowlink::HWND parent, const std::string &className,
                              const std::string &text = {});
    void setText(windowlink::HWND window, const std::string &text);
    void setScroll(windowlink::HWND window, int pos, int minPos, int maxPos);
    // The process that shows the window (0: not known).
    void setProcessId(windowlink::HWND window, windowlink::DWORD processId);
    // The window and its children are gone (as after SC_CLOSE).
    void removeWindow(windowlink::HWND window);
    bool exists(windowlink::HWND window) const;

    // Runs for every message to a live window; its result is SendMessageA's.
    void setOnMessage(MessageHandler handler) { m_onMessage = std::move(handler); }
    const QList<Sent> &sent() const { return m_sent; }
    void clearSent() { m_sent.clear(); }
    // The windows SetForegroundWindow brought to the front, in order.
    const QList<windowlink::HWND> &broughtToFront() const { return m_broughtToFront; }

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
    windowlink::DWORD GetWindowThreadProcessId(windowlink::HWND window,
                                               windowlink::DWORD *processId) override;

private:
    struct Window {
        windowlink::HWND parent = 0;
        std::string className;
        std::string text;
        bool isScrollBar = false;
        int pos = 0;
        int minPos = 0;
        int maxPos = 0;
        std::vector<windowlink::HWND> children;
        windowlink::DWORD processId = 0;
    };
    Window *find(windowlink::HWND window);
    bool matches(const Window &w, const char *className, const char *windowName) const;

    std::map<windowlink::HWND, Window> m_windows;
    std::vector<windowlink::HWND> m_topLevel; // oldest first
    windowlink::HWND m_next = 0x20000;
    MessageHandler m_onMessage;
    QList<Sent> m_sent;
    QList<windowlink::HWND> m_broughtToFront;
};

} // namespace tunelet::testkit
