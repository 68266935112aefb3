#pragma once

#include "platform/process/ProcessHandle.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace tunelet
{

// How a program that was run and waited for came to an end.
struct RunOutcome {
    enum class Status {
        Finished,      // it ended by itself (exitCode holds its code)
        FailedToStart, // it could not be started at all
        TimedOut,      // it ran past the bound and was killed
        Crashed,       // it was ended by a signal (a crash, or killed from outside)
    };
    Status status = Status::FailedToStart;
    int exitCode = -1;
};

// Starting other programs: the player (detached, it outlives the command
// that started it) and the converter (run and waited for). An interface so
// that tests can record what would be started.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;

    // Starts program detached, in folder, with the arguments that the
    // parameter string splits into by the usual double-quote rules. True when
    // the program was started.
    virtual bool startDetached(const QByteArray &program, const QString &parameters,
                               const QByteArray &folder) = 0;

    // Runs program with one argument in folder and blocks until it ends. No
    // events of this program are handled meanwhile, and the wait sleeps
    // rather than spins. whileRunning is called before each slice of the
    // wait. A program still running after bound is killed.
    virtual RunOutcome runAndWait(const QByteArray &program, const QByteArray &argument,
                                  const QByteArray &folder, std::chrono::milliseconds bound,
                                  const std::function<void()> &whileRunning) = 0;

    // The program the last successful startDetached started, as a handle
    // through which it can be ended; handed out once. Null when the launcher
    // keeps none, or the system gave none.
    virtual std::unique_ptr<ProcessHandle> takeStarted() { return nullptr; }

    // Why the last start that failed did so: the system's error number
    // (EMFILE when descriptors ran out, EAGAIN for processes…); 0 unknown.
    virtual int lastStartError() const { return 0; }
};

} // namespace tunelet
