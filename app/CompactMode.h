#pragma once

#include <optional>

namespace tunelet
{

// The main window's heights that compact mode works with, read from the
// window each time they are needed.
struct WindowHeights {
    int client = 0; // below the menu bar: the button bar, the list and the status bar
    int bars = 0;   // the button bar and the status bar together
    int outer = 0;  // the outer frame, title bar and borders included

    int listArea() const { return client - bars; }
};

// Compact mode: the window keeps only its button bar and status bar below
// the menu bar, and the list area has no height. The check mark of the menu
// item is the mode's record; this holds what leaving it needs.
class CompactMode final
{
public:
    // The design height of the window, frame included; a window started in
    // compact mode with no height of its own gets it when it leaves.
    static constexpr int DesignHeight = 290;

    // Entering: the client height the window gets. The outer height is kept
    // while the list still has a height, so that leaving gives it back. It is
    // the outer height because at start-up the window manager has not framed
    // the window yet, and the frame's height is still unknown.
    int enter(const WindowHeights &now);

    // Leaving (through the menu, or at exit before the geometry is stored):
    // the outer height the window gets back, the one it had before it became
    // compact or else the design height; nothing when the list has a height.
    std::optional<int> leave(const WindowHeights &now) const;

    // After a resize while the mode is on: a window enlarged by hand leaves it.
    static bool enlarged(const WindowHeights &now) { return now.listArea() > 0; }

    // Resizes are watched until the exit detaches them, before its own change
    // of height, which must leave the check mark alone.
    bool resizeAttached() const { return m_resizeAttached; }
    void detachResize() { m_resizeAttached = false; }

private:
    int m_heightBeforeCompact = 0; // outer height before compact mode
    bool m_resizeAttached = true;
};

} // namespace tunelet
