#include "platform/process/ByteSpawn.h"

#include <csignal>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tunelet
{

namespace
{

// What the started processes report through the pipe. Between fork and exec
// only async-signal-safe calls are made.
struct SpawnReport {
    int kind; // 1: the program's process id; 2: it could not be started (errno)
    int value;
};

void report(int fd, int kind, int value)
{
    const SpawnReport message{kind, value};
    [[maybe_unused]] const ssize_t n = ::write(fd, &message, sizeof message);
}

bool failWith(int *error, int code)
{
    if (error)
        *error = code;
    return false;
}

void closeIfOpen(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// In a started process before exec: signals blocked or made to be ignored
// here (SIGPIPE) must reach the program as they would from a shell.
void restoreSignalsForProgram()
{
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
}

// In the middle process: starts the program in a session of its own and
// reports its process id (or why it could not). With holdFd open, stays
// until the starter closes it. Never returns.
[[noreturn]] void runMiddleProcess(char *const argv[], const QByteArray &folder, int reportFd,
                                   int holdFd)
{
    const pid_t grandchild = ::fork();
    if (grandchild != 0) {
        report(reportFd, grandchild > 0 ? 1 : 2, grandchild > 0 ? grandchild : errno);
        char byte = 0;
        while (grandchild > 0 && holdFd >= 0 && ::read(holdFd, &byte, 1) < 0 && errno == EINTR) {
        }
        ::_exit(0);
    }
    ::setsid();
    restoreSignalsForProgram();
    if (!folder.isEmpty() && ::chdir(folder.constData()) != 0) {
        report(reportFd, 2, errno);
        ::_exit(127);
    }
    ::execv(argv[0], argv);
    report(reportFd, 2, errno);
    ::_exit(127);
}

// In the starter: reads the reports until the pipe closes, which it does when
// the program has been executed (close-on-exec) or has given up. With holdFd
// open, opens the program's descriptor (*descriptor) as soon as its id is
// known and then lets the middle process go.
bool awaitStart(int reportFd, int &holdFd, qint64 *pid, int *code, int *descriptor)
{
    const bool wantDescriptor = holdFd >= 0;
    bool started = false;
    SpawnReport message{};
    while (::read(reportFd, &message, sizeof message) == ssize_t(sizeof message)) {
        if (message.kind != 1) {
            *code = message.value;
            started = false;
            break;
        }
        *pid = message.value;
        started = true;
        // (Debian 12's C library declares no pidfd_open usable from C++.)
        if (wantDescriptor)
            *descriptor = int(::syscall(SYS_pidfd_open, pid_t(message.value), 0));
        closeIfOpen(holdFd);
    }
    closeIfOpen(holdFd);
    if (!started)
        closeIfOpen(*descriptor);
    return started;
}

} // namespace

bool spawnDetached(const QByteArray &program, const QByteArrayList &arguments,
                   const QByteArray &folder, qint64 *pid, int *error, int *processDescriptor)
{
    if (processDescriptor)
        *processDescriptor = -1;
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.constData()));
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return failWith(error, errno);
    // With a descriptor asked for, the middle process stays until this pipe
    // closes: while it lives, the program it started cannot be reaped, so the
    // program's number still names the program when the descriptor is opened.
    int hold[2] = {-1, -1};
    if (processDescriptor && ::pipe2(hold, O_CLOEXEC) != 0) {
        const int code = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return failWith(error, code);
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int code = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        closeIfOpen(hold[0]);
        closeIfOpen(hold[1]);
        return failWith(error, code);
    }
    if (child == 0) {
        ::close(fds[0]);
        closeIfOpen(hold[1]);
        runMiddleProcess(argv.data(), folder, fds[1], hold[0]);
    }
    ::close(fds[1]);
    closeIfOpen(hold[0]);
    int code = 0;
    int descriptor = -1;
    const bool started = awaitStart(fds[0], hold[1], pid, &code, &descriptor);
    ::close(fds[0]);
    reapChild(child);
    if (processDescriptor)
        *processDescriptor = descriptor;
    return started || failWith(error, code);
}

pid_t spawnChild(const QByteArray &program, const QByteArray &argument, const QByteArray &folder,
                 int *error)
{
    char *argv[] = {const_cast<char *>(program.constData()),
                    const_cast<char *>(argument.constData()), nullptr};
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        failWith(error, errno);
        return -1;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        failWith(error, errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return -1;
    }
    if (child == 0) {
        ::close(fds[0]);
        restoreSignalsForProgram();
        if (folder.isEmpty() || ::chdir(folder.constData()) == 0)
            ::execv(argv[0], argv);
        report(fds[1], 2, errno);
        ::_exit(127);
    }
    ::close(fds[1]);
    SpawnReport message{};
    const bool failed = ::read(fds[0], &message, sizeof message) == ssize_t(sizeof message);
    ::close(fds[0]);
    if (failed) {
        failWith(error, message.value);
        reapChild(child);
        return -1;
    }
    return child;
}

void reapChild(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace tunelet
