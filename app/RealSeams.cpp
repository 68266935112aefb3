#include "app/RealSeams.h"

#include "platform/process/SystemProcessLauncher.h"
#include "platform/shell/SystemDesktopShell.h"
#include "platform/windowlink/WindowSystem.h"
#include "tray/QtNotifyArea.h"

namespace tunelet
{

RealSeams::RealSeams() = default;
RealSeams::~RealSeams() = default;

void RealSeams::fill(TForm1::Environment &environment)
{
    if (!environment.windows) {
        // The commands and the poll each have a link of their own. The poll
        // only reads the player's window, which the player answers from its
        // link thread at once even while busy; a reply that takes longer means
        // a hung player. A short limit keeps such a player from holding up the
        // window for the link's full 2 s (the link then counts it as absent for
        // a while), and lets the poll follow it again soon once it runs again.
        if (!m_commandLink) {
            m_commandLink = windowlink::makeLinkWindowSystem();
            windowlink::LinkOptions pollOptions;
            pollOptions.timeoutMs = 250;
            m_pollLink = windowlink::makeLinkWindowSystem(pollOptions);
        }
        environment.windows = m_commandLink.get();
        environment.pollWindows = m_pollLink.get();
    }
    if (!environment.processes) {
        if (!m_processes)
            m_processes = std::make_unique<SystemProcessLauncher>(false);
        environment.processes = m_processes.get();
    }
    if (!environment.notifyArea) {
        if (!m_notifyArea)
            m_notifyArea = std::make_unique<TQtNotifyArea>();
        environment.notifyArea = m_notifyArea.get();
    }
    if (!environment.shell) {
        if (!m_shell)
            m_shell = std::make_unique<SystemDesktopShell>();
        environment.shell = m_shell.get();
    }
}

} // namespace tunelet
