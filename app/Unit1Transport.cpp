// Transport commands that wait for a starting player. A player that has only
// just been started shows no window yet, so what would be sent to it reaches
// nothing, and closing it means waiting for its window. Commands that come
// meanwhile wait here, in order, and are carried out once its window is there;
// the window goes on handling events in the meantime.
#include "app/Unit1.h"

#include "playback/PlaySequencer.h"
#include "playback/PlayerProcess.h"

#include <QScopedValueRollback>
#include <QTimer>

void TForm1::QueueTransport(Transport command)
{
    m_transports.push_back(command);
    RunTransports();
}

void TForm1::RunTransportsSoon()
{
    if (m_transportsSoon)
        return;
    m_transportsSoon = true;
    QTimer::singleShot(tunelet::PlayerProcess::LookEvery, this, [this] {
        m_transportsSoon = false;
        Run([this] { RunTransports(); });
    });
}

void TForm1::RunTransports()
{
    if (IsClosed()) {
        m_transports.clear();
        return;
    }
    // A message box of a start below runs its own event loop; a command that
    // comes meanwhile joins the queue this call is working through.
    if (m_runningTransports)
        return;
    const QScopedValueRollback<bool> running(m_runningTransports, true);
    bool startDue = false; // PlayIndex names a row to be started
    while (!m_transports.empty()) {
        if (!startDue && PlayerStarting())
            break;
        const Transport command = m_transports.front();
        if (command == Transport::Pause && startDue)
            break; // the pause is for the player about to start
        m_transports.pop_front();
        if (command == Transport::Pause) {
            SendPause();
            continue;
        }
        if (command == Transport::Stop) {
            startDue = false;
            SBStopClick();
            continue;
        }
        const tunelet::SequenceStep step = TransportStep(command);
        if (step.action == tunelet::SequenceStep::Action::Start) {
            PlayIndex = step.playIndex;
            startDue = true;
        } else {
            startDue = false;
            ApplyStep(step);
        }
    }
    if (startDue)
        ApplyStep({tunelet::SequenceStep::Action::Start, PlayIndex});
    if (!m_transports.empty())
        RunTransportsSoon();
}

void TForm1::PlayerClosed()
{
    // A command that did not wait (a button, a key, the end of a song) has
    // closed the player that waiting pauses were for: they are for nobody now,
    // and must not pause a player started after it. A start from the queue
    // keeps them: they are for the player it starts.
    if (m_runningTransports)
        return;
    std::erase(m_transports, Transport::Pause);
}
