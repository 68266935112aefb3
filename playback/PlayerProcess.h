#pragma once

#include "platform/process/ProcessHandle.h"

#include <QElapsedTimer>
#include <QtGlobal>

#include <chrono>
#include <memory>

namespace tunelet
{

class PlayerWindow;

// The player Tunelet started last, and how it is closed so that it never
// plays on beside the next one. Tunelet steers the player through its window
// only, and a player that has only just been started shows none yet. A close
// - closes the player's window when one is there, as it always has (the
//   player then saves and cleans up itself);
// - when the player Tunelet started still runs without a window of its own,
//   waits a short while for one and closes it once it is there;
// - when none comes within the wait, ends the process (asked to end, then
//   killed);
// - when that player has ended by itself, only lets go of it.
// Only the process Tunelet started is ever ended, through its handle.
class PlayerProcess final
{
public:
    // How long a close waits for the window of a player that is starting,
    // how often it looks meanwhile, and how long a player asked to end may
    // take before it is killed. Together they bound how long a close can
    // hold up the window.
    static constexpr std::chrono::milliseconds WindowWait{1500};
    static constexpr std::chrono::milliseconds LookEvery{10};
    static constexpr std::chrono::milliseconds EndGrace{500};

    // What a close did about the player Tunelet started.
    enum class Closing {
        NoneStarted,     // none is held (a window that was there was closed)
        ClosedByWindow,  // its window was there and was closed
        ClosedOnceShown, // its window was found within the wait and closed
        Ended,           // it showed no window within the wait and was ended
        HadEnded,        // it had ended by itself
    };

    explicit PlayerProcess(PlayerWindow &window);
    Q_DISABLE_COPY_MOVE(PlayerProcess)

    // A player was started (null: its process is not known). An earlier one
    // is let go of.
    void started(std::unique_ptr<ProcessHandle> process);
    // Closes the player; returns once it is closed or ended.
    Closing close();
    // Leaves the player playing and lets go of it (Tunelet ends without it).
    void letGo() { m_process.reset(); }
    // True while the player started last runs without having shown its
    // window yet, within the wait a close would give it: what is sent to the
    // player's window now would reach no window, or the previous player's.
    bool starting();

private:
    Closing closeOnceShown(ProcessHandle &process);

    PlayerWindow &m_window;
    std::unique_ptr<ProcessHandle> m_process;
    bool m_shown = false;      // the held player's window has been seen
    QElapsedTimer m_startedAt; // when the held player was started
};

} // namespace tunelet
