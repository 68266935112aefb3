#include "app/StayOnTop.h"

#include <QWidget>
#include <QWindow>

namespace tunelet
{

void setStaysOnTop(QWidget &window, bool onTop)
{
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (!window.windowHandle()) {
        // Not on the screen yet: the window is made with the flag.
        window.setWindowFlags(flags);
        return;
    }
    // A widget given new flags hides and re-creates its window. The window
    // system is told directly instead, which changes only the stacking: the
    // window stays where and as it is, the list keeps its scroll position.
    window.overrideWindowFlags(flags);
    window.windowHandle()->setFlags(flags);
}

} // namespace tunelet
