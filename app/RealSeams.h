#pragma once

#include "app/Unit1.h"

#include <memory>

class TQtNotifyArea;

namespace tunelet
{
class SystemDesktopShell;
class SystemProcessLauncher;

// The one place where the real seams of the main window are built: the
// window links to the player, the system's processes, the desktop's
// notification area and the desktop shell. The program's entry fills the
// window's environment with them; a test that gives its own seams keeps
// those, and gets the real ones for the rest. The window itself builds none.
// Must outlive the window it serves.
class RealSeams final
{
public:
    RealSeams();
    ~RealSeams();
    Q_DISABLE_COPY_MOVE(RealSeams)

    // Gives every seam the environment leaves null its real one, built on
    // first need and the same one on later calls. A given window link serves
    // both the commands and the poll.
    void fill(TForm1::Environment &environment);

private:
    std::unique_ptr<windowlink::WindowSystem> m_commandLink;
    std::unique_ptr<windowlink::WindowSystem> m_pollLink;
    std::unique_ptr<SystemProcessLauncher> m_processes;
    std::unique_ptr<TQtNotifyArea> m_notifyArea;
    std::unique_ptr<SystemDesktopShell> m_shell;
};

} // namespace tunelet
