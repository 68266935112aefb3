#pragma once

#include <QtGlobal>

#include <chrono>

namespace tunelet
{

// A program that was started detached and that its starter may have to end
// itself. The handle holds the process itself, not its number: whatever it
// does reaches that process and no other, also when the number has been
// given to another process after it ended. Letting go of the handle
// (destroying it) leaves the process running.
class ProcessHandle
{
public:
    virtual ~ProcessHandle() = default;

    // The process's number, only to tell which of the windows other
    // programs show belongs to it; never used to reach the process.
    virtual qint64 processId() const = 0;

    // Waits up to `wait` for the process to end; true once it has ended (at
    // once when it already had).
    virtual bool waitForEnd(std::chrono::milliseconds wait) = 0;

    // Ends the process: asks it to end (SIGTERM), gives it `grace` to do so,
    // then kills it (SIGKILL) and waits, bounded, until it has gone. Nothing
    // is sent once it has ended. True when it has ended.
    virtual bool end(std::chrono::milliseconds grace) = 0;
};

} // namespace tunelet
