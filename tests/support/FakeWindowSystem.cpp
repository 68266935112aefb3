#include "tests/support/FakeWindowSystem.h"

#include "platform/windowlink/RuntimeDir.h"

#include <algorithm>
#include <cstring>

namespace tunelet::testkit
{

using namespace windowlink;

HWND FakeWindowSystem::addWindow(const std::string &className, const std::string &title)
{
    const HWND h = m_next += 4;
    m_windows[h] = Window{0, className, title, false, 0, 0, 0, {}, 0};
    m_topLevel.push_back(h);
    return h;
}

HWND FakeWindowSystem::addChild(HWND parent, const std::string &className, const std::string &text)
{
    Window *p = find(parent);
    if (!p)
        return 0;
    const HWND h = m_next += 4;
    p->children.push_back(h);
    m_windows[h] = Window{parent, className, text, false, 0, 0, 0, {}, 0};
    return h;
}

void FakeWindowSystem::setText(HWND window, const std::string &text)
{
    if (Window *w = find(window))
        w->text = text;
}

void FakeWindowSystem::setScroll(HWND window, int pos, int minPos, int maxPos)
{
    if (Window *w = find(window)) {
        w->isScrollBar = true;
        w->pos = pos;
        w->minPos = minPos;
        w->maxPos = maxPos;
    }
}

void FakeWindowSystem::setProcessId(HWND window, DWORD processId)
{
    if (Window *w = find(window))
        w->processId = processId;
}

void FakeWindowSystem::removeWindow(HWND window)
{
    Window *w = find(window);
    if (!w)
        return;
    for (HWND c : std::vector<HWND>(w->children))
        removeWindow(c);
    if (Window *parent = find(w->parent))
        std::erase(parent->children, window);
    std::erase(m_topLevel, window);
    m_windows.erase(window);
}

bool FakeWindowSystem::exists(HWND window) const
{
    return m_windows.count(window) != 0;
}

FakeWindowSystem::Window *FakeWindowSystem::find(HWND window)
{
    const auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : &it->second;
}

bool FakeWindowSystem::matches(const Window &w, const char *className, const char *windowName) const
{
    return (!className || equalsIgnoreCase(w.className, className)) &&
           (!windowName || equalsIgnoreCase(w.text, windowName));
}

HWND FakeWindowSystem::FindWindowA(const char *className, const char *windowName)
{
    return FindWindowExA(0, 0, className, windowName);
}

HWND FakeWindowSystem::FindWindowExA(HWND parent, HWND childAfter, const char *className,
                                     const char *windowName)
{
    std::vector<HWND> order;
    if (parent == 0) {
        order.assign(m_topLevel.rbegin(), m_topLevel.rend());
    } else if (Window *p = find(parent); p && p->parent == 0) {
        order = p->children;
    } else {
        return 0;
    }
    auto it = order.begin();
    if (childAfter != 0) {
        it = std::find(order.begin(), order.end(), childAfter);
        if (it != order.end())
            ++it;
        else
            it = order.begin();
    }
    for (; it != order.end(); ++it)
        if (matches(m_windows.at(*it), className, windowName))
            return *it;
    return 0;
}

LRESULT FakeWindowSystem::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!find(window))
        return 0;
    const Sent s{window, message, wParam, lParam};
    m_sent.append(s);
    return m_onMessage ? m_onMessage(s) : 0;
}

int FakeWindowSystem::GetScrollPos(HWND window, int bar)
{
    const Window *w = find(window);
    return w && w->isScrollBar && bar == SB_CTL ? w->pos : 0;
}

BOOL FakeWindowSystem::GetScrollRange(HWND window, int bar, int *minPos, int *maxPos)
{
    const Window *w = find(window);
    const bool ok = w && w->isScrollBar && bar == SB_CTL;
    if (minPos)
        *minPos = ok ? w->minPos : 0;
    if (maxPos)
        *maxPos = ok ? w->maxPos : 0;
    return ok ? TRUE : FALSE;
}

int FakeWindowSystem::GetWindowTextA(HWND window, char *buffer, int maxCount)
{
    if (!buffer || maxCount <= 0)
        return 0;
    buffer[0] = '\0';
    const Window *w = find(window);
    if (!w)
        return 0;
    const std::size_t n = windowTextCut(w->text, maxCount);
    std::memcpy(buffer, w->text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

BOOL FakeWindowSystem::SetForegroundWindow(HWND window)
{
    if (!find(window))
        return FALSE;
    m_broughtToFront.append(window);
    return TRUE;
}

DWORD FakeWindowSystem::GetWindowThreadProcessId(HWND window, DWORD *processId)
{
    // A child belongs to the process of its top-level window.
    const Window *w = find(window);
    while (w && w->parent != 0)
        w = find(w->parent);
    const DWORD process = w ? w->processId : 0;
    if (processId)
        *processId = process;
    return process;
}

} // namespace tunelet::testkit
