// Transport commands that wait for a starting player. A player that has only
// just been started shows no window yet, so what would be sent to it reaches
// nothing, and closing it means waiting for its window. Commands that come
// meanwhile wait here, in order, and are carried out once its window is there;
// the window goes on handling events in the meantime.
#include "playback/PlaybackSession.h"

#include "playback/PlayerProcess.h"

#include <QScopedValueRollback>
#include <QTimer>

#include <exception>

namespace tunelet
{

void PlaybackSession::queue(Transport command)
{
    m_transports.push_back(command);
    runTransports();
}

void PlaybackSession::runTransportsSoon()
{
    if (m_transportsSoon)
        return;
    m_transportsSoon = true;
    QTimer::singleShot(PlayerProcess::LookEvery, this, [this] {
        m_transportsSoon = false;
        try {
            runTransports();
        } catch (const std::exception &e) {
            emit failed(QString::fromUtf8(e.what()));
        }
    });
}

void PlaybackSession::runTransports()
{
    if (m_host.closed()) {
        m_transports.clear();
        return;
    }
    // A message box of a start below runs its own event loop; a command that
    // comes meanwhile joins the queue this call is working through.
    if (m_runningTransports)
        return;
    const QScopedValueRollback<bool> running(m_runningTransports, true);
    bool startDue = false; // m_playIndex names a row to be started
    while (!m_transports.empty()) {
        if (!startDue && playerStarting())
            break;
        const Transport command = m_transports.front();
        if (command == Transport::Pause && startDue)
            break; // the pause is for the player about to start
        m_transports.pop_front();
        if (command == Transport::Pause) {
            sendPause();
            continue;
        }
        if (command == Transport::Stop) {
            startDue = false;
            stop();
            continue;
        }
        const SequenceStep step = transportStep(command);
        if (step.action == SequenceStep::Action::Start) {
            m_playIndex = step.playIndex;
            startDue = true;
        } else {
            startDue = false;
            applyStep(step);
        }
    }
    if (startDue)
        applyStep({SequenceStep::Action::Start, m_playIndex});
    if (!m_transports.empty())
        runTransportsSoon();
}

void PlaybackSession::playerClosed()
{
    // A command that did not wait (a button, a key, the end of a song) has
    // closed the player that waiting pauses were for: they are for nobody now,
    // and must not pause a player started after it. A start from the queue
    // keeps them: they are for the player it starts.
    if (m_runningTransports)
        return;
    std::erase(m_transports, Transport::Pause);
}

} // namespace tunelet
