#include "platform/process/UnixSignalNotifier.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tunelet
{

namespace
{

int g_pipe[2] = {-1, -1};
QList<int> g_caught;                             // signals whose handler is installed
const UnixSignalNotifier *g_deliverer = nullptr; // the one notifier

extern "C" void writeSignalToPipe(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

bool catchSignals(const QList<int> &signalNumbers)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return false;
    }
    bool all = true;
    for (int number : signalNumbers) {
        if (g_caught.contains(number))
            continue;
        struct sigaction action = {};
        action.sa_handler = writeSignalToPipe;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(number, &action, nullptr) == 0)
            g_caught << number;
        else
            all = false;
    }
    return all;
}

} // namespace

bool UnixSignalNotifier::catchEarly(const QList<int> &signalNumbers)
{
    return catchSignals(signalNumbers);
}

UnixSignalNotifier::UnixSignalNotifier(const QList<int> &signalNumbers, QObject *parent)
    : QObject(parent)
{
    if (g_deliverer)
        return; // one instance per process
    g_deliverer = this;
    m_active = catchSignals(signalNumbers);
    if (g_pipe[0] < 0)
        return;
    // Bytes already in the pipe (signals caught early) make it readable at
    // once, so they are delivered when the event loop next runs.
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalNotifier::readPipe);
}

UnixSignalNotifier::~UnixSignalNotifier()
{
    if (g_deliverer != this)
        return;
    for (int number : std::as_const(g_caught))
        ::signal(number, SIG_DFL);
    g_caught.clear();
    delete m_notifier;
    if (g_pipe[0] >= 0) {
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
        g_pipe[0] = g_pipe[1] = -1;
    }
    g_deliverer = nullptr;
}

void UnixSignalNotifier::readPipe()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        emit signalReceived(byte);
}

} // namespace tunelet
