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
        // The poll waits for the player as long as any call does: a player
        // that answers late is slow, not gone. One that hangs costs one
        // wait; the link then counts it as absent for a while. The commands
        // and the poll each have a link of their own.
        if (!m_commandLink) {
            m_commandLink = windowlink::makeLinkWindowSystem();
            m_pollLink = windowlink::makeLinkWindowSystem();
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
