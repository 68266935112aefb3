#include "playback/PlayerProcess.h"

#include "playback/PlayerWindow.h"

#include <QDeadlineTimer>

namespace tunelet
{

using namespace std::chrono_literals;

PlayerProcess::PlayerProcess(PlayerWindow &window) : m_window(window) {}

void PlayerProcess::started(std::unique_ptr<ProcessHandle> process)
{
    m_process = std::move(process);
    m_shown = false;
    m_startedAt.start();
}

bool PlayerProcess::starting()
{
    if (!m_process || m_shown)
        return false;
    if (m_window.findShownBy(m_process->processId()) != 0) {
        m_shown = true;
        return false;
    }
    return !m_startedAt.hasExpired(WindowWait.count()) && !m_process->waitForEnd(0ms);
}

PlayerProcess::Closing PlayerProcess::close()
{
    // Whichever player's window is there is closed, as it always was. Its
    // process is noted first: a closed window is forgotten.
    const windowlink::HWND shown = m_window.find();
    const qint64 shownBy = shown != 0 ? m_window.processOf(shown) : 0;
    m_window.close(shown);

    const std::unique_ptr<ProcessHandle> process = std::move(m_process);
    if (!process)
        return Closing::NoneStarted;
    if (shown != 0 && shownBy == process->processId())
        return Closing::ClosedByWindow;
    if (process->waitForEnd(0ms))
        return Closing::HadEnded;
    return closeOnceShown(*process);
}

PlayerProcess::Closing PlayerProcess::closeOnceShown(ProcessHandle &process)
{
    // It runs without a window of its own: it is starting. Waiting for its
    // end paces the looks for its window. The wait counts the time it asked
    // for and never runs past the real deadline either.
    const QDeadlineTimer deadline(WindowWait);
    for (auto waited = 0ms; waited < WindowWait && !deadline.hasExpired(); waited += LookEvery) {
        if (const windowlink::HWND own = m_window.findShownBy(process.processId())) {
            m_window.close(own);
            return Closing::ClosedOnceShown;
        }
        if (process.waitForEnd(LookEvery))
            return Closing::HadEnded;
    }
    process.end(EndGrace);
    return Closing::Ended;
}

} // namespace tunelet
