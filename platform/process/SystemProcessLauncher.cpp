#include "platform/process/SystemProcessLauncher.h"

#include "platform/process/ArgumentText.h"
#include "platform/process/ByteSpawn.h"
#include "platform/process/SystemProcessHandle.h"

#include "platform/core/TextCodec.h"

#include <QElapsedTimer>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace tunelet
{

namespace
{

RunOutcome outcomeOf(int status)
{
    if (WIFEXITED(status))
        return {RunOutcome::Status::Finished, WEXITSTATUS(status)};
    return {RunOutcome::Status::Crashed, -1};
}

// QProcess says why a start failed only in words, which end in the system's
// reason; the shortages are told apart by it.
int reasonOf(const QString &errorString)
{
    for (const int code : {EMFILE, ENFILE, EAGAIN, ENOMEM})
        if (errorString.endsWith(QString::fromLocal8Bit(std::strerror(code))))
            return code;
    return 0;
}

} // namespace

bool SystemProcessLauncher::startDetached(const QByteArray &program, const QString &parameters,
                                          const QByteArray &folder)
{
    QByteArrayList arguments;
    for (const QString &argument : QProcess::splitCommand(parameters))
        arguments.append(argumentBytes(argument));
    qint64 pid = 0;
    int descriptor = -1;
    const bool started =
        spawnDetached(program, arguments, folder, &pid, &m_lastStartError, &descriptor);
    if (started && m_recordStarted)
        m_started << pid;
    // A handle not taken by now belongs to an earlier start: let go of it.
    m_lastStarted = started ? SystemProcessHandle::adopt(descriptor, pid) : nullptr;
    return started;
}

RunOutcome SystemProcessLauncher::runAndWait(const QByteArray &program, const QByteArray &argument,
                                             const QByteArray &folder,
                                             std::chrono::milliseconds bound,
                                             const std::function<void()> &whileRunning)
{
    // QProcess passes arguments as UTF-8 text: a MIDI file whose name is no
    // UTF-8 is handed over by a start of our own.
    if (!isValidUtf8(program) || !isValidUtf8(argument) || !isValidUtf8(folder))
        return runAndWaitBytes(program, argument, folder, bound, whileRunning);
    QProcess process;
    process.setProgram(pathToQString(program));
    process.setArguments({pathToQString(argument)});
    process.setWorkingDirectory(pathToQString(folder));
    // The converter's messages go where Tunelet's own go.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(-1)) {
        m_lastStartError = reasonOf(process.errorString());
        return {RunOutcome::Status::FailedToStart, -1};
    }

    // waitForFinished blocks in the system's wait without running the event
    // loop: no timer or input is handled until the program has ended.
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning) {
        if (whileRunning)
            whileRunning();
        if (process.waitForFinished(WaitSliceMs))
            break;
        if (clock.elapsed() >= bound.count()) {
            process.kill();
            process.waitForFinished(-1);
            return {RunOutcome::Status::TimedOut, -1};
        }
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {RunOutcome::Status::Crashed, -1};
    return {RunOutcome::Status::Finished, process.exitCode()};
}

// runAndWait for a program whose argument, path or folder holds bytes that
// are no UTF-8: started by a fork and exec of its own, waited for in the
// same slices.
RunOutcome SystemProcessLauncher::runAndWaitBytes(const QByteArray &program,
                                                  const QByteArray &argument,
                                                  const QByteArray &folder,
                                                  std::chrono::milliseconds bound,
                                                  const std::function<void()> &whileRunning)
{
    const pid_t child = spawnChild(program, argument, folder, &m_lastStartError);
    if (child < 0)
        return {RunOutcome::Status::FailedToStart, -1};
    QElapsedTimer clock;
    clock.start();
    constexpr int LookMs = 10;
    for (;;) {
        if (whileRunning)
            whileRunning();
        for (int waited = 0; waited < WaitSliceMs; waited += LookMs) {
            int status = 0;
            const pid_t ended = ::waitpid(child, &status, WNOHANG);
            if (ended == child)
                return outcomeOf(status);
            if (ended < 0 && errno != EINTR)
                return {RunOutcome::Status::Crashed, -1};
            ::usleep(LookMs * 1000);
        }
        if (clock.elapsed() >= bound.count()) {
            ::kill(child, SIGKILL);
            reapChild(child);
            return {RunOutcome::Status::TimedOut, -1};
        }
    }
}

} // namespace tunelet
