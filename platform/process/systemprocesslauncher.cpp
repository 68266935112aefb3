#include "process/systemprocesslauncher.h"

#include "process/argumenttext.h"

#include "core/textcodec.h"

#include <QElapsedTimer>
#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tunelet
{

namespace
{

// What the started processes report through the pipe.
struct SpawnReport {
    int kind; // 1: the program's process id; 2: it could not be started (errno)
    int value;
};

void report(int fd, int kind, int value)
{
    const SpawnReport message{kind, value};
    [[maybe_unused]] const ssize_t n = ::write(fd, &message, sizeof message);
}

// Starts program with byte-exact arguments as a grandchild of this process
// in a session of its own, so it outlives Tunelet and never waits to be
// reaped by it. Between fork and exec only async-signal-safe calls are made.
bool spawnDetached(const QByteArray &program, const QByteArrayList &arguments,
                   const QByteArray &folder, qint64 *pid)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.constData()));
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            report(fds[1], grandchild > 0 ? 1 : 2, grandchild > 0 ? grandchild : errno);
            ::_exit(0);
        }
        ::setsid();
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        if (!folder.isEmpty() && ::chdir(folder.constData()) != 0) {
            report(fds[1], 2, errno);
            ::_exit(127);
        }
        ::execv(argv[0], argv.data());
        report(fds[1], 2, errno);
        ::_exit(127);
    }
    ::close(fds[1]);
    // The pipe closes when the program has been executed (close-on-exec) or
    // has given up.
    bool started = false;
    SpawnReport message{};
    while (::read(fds[0], &message, sizeof message) == ssize_t(sizeof message)) {
        if (message.kind == 1) {
            *pid = message.value;
            started = true;
        } else {
            started = false;
            break;
        }
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return started;
}

// Starts program as a child of this process with byte-exact arguments; its
// process id, or -1 when it could not be started.
pid_t spawnChild(const QByteArray &program, const QByteArray &argument, const QByteArray &folder)
{
    char *argv[] = {const_cast<char *>(program.constData()),
                    const_cast<char *>(argument.constData()), nullptr};
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        if (folder.isEmpty() || ::chdir(folder.constData()) == 0)
            ::execv(argv[0], argv);
        report(fds[1], 2, errno);
        ::_exit(127);
    }
    ::close(fds[1]);
    SpawnReport message{};
    const bool failed =
        child > 0 && ::read(fds[0], &message, sizeof message) == ssize_t(sizeof message);
    ::close(fds[0]);
    if (failed) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return -1;
    }
    return child;
}

RunOutcome outcomeOf(int status)
{
    if (WIFEXITED(status))
        return {RunOutcome::Status::Finished, WEXITSTATUS(status)};
    return {RunOutcome::Status::Crashed, -1};
}

// runAndWait for a program whose argument, path or folder holds bytes that
// are no UTF-8: started by a fork and exec of its own, waited for in the
// same slices.
RunOutcome runAndWaitBytes(const QByteArray &program, const QByteArray &argument,
                           const QByteArray &folder, std::chrono::milliseconds bound,
                           const std::function<void()> &whileRunning, int sliceMs)
{
    const pid_t child = spawnChild(program, argument, folder);
    if (child < 0)
        return {RunOutcome::Status::FailedToStart, -1};
    QElapsedTimer clock;
    clock.start();
    constexpr int LookMs = 10;
    for (;;) {
        if (whileRunning)
            whileRunning();
        for (int waited = 0; waited < sliceMs; waited += LookMs) {
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
            int status = 0;
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return {RunOutcome::Status::TimedOut, -1};
        }
    }
}

} // namespace

bool SystemProcessLauncher::startDetached(const QByteArray &program, const QString &parameters,
                                          const QByteArray &folder)
{
    const QStringList arguments = QProcess::splitCommand(parameters);
    QByteArrayList argumentBytesList;
    bool plainText = isValidUtf8(program) && isValidUtf8(folder);
    for (const QString &argument : arguments) {
        argumentBytesList.append(argumentBytes(argument));
        plainText = plainText && argumentBytesList.last() == argument.toUtf8();
    }
    qint64 pid = 0;
    // QProcess passes arguments as UTF-8 text; bytes that are no UTF-8 (a
    // Shift-JIS file name) are handed over by a start of our own.
    const bool started = plainText ? QProcess::startDetached(pathToQString(program), arguments,
                                                             pathToQString(folder), &pid)
                                   : spawnDetached(program, argumentBytesList, folder, &pid);
    if (started)
        m_started << pid;
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
        return runAndWaitBytes(program, argument, folder, bound, whileRunning, WaitSliceMs);
    QProcess process;
    process.setProgram(pathToQString(program));
    process.setArguments({pathToQString(argument)});
    process.setWorkingDirectory(pathToQString(folder));
    // The converter's messages go where Tunelet's own go.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(-1))
        return {RunOutcome::Status::FailedToStart, -1};

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

} // namespace tunelet
