#include "UnixSignalNotifier.h"

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

extern "C" void writeSignalToPipe(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

bool makePipe()
{
    if (g_pipe[0] >= 0)
        return false; // one instance per process
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return false;
    }
    return true;
}

} // namespace

UnixSignalNotifier::UnixSignalNotifier(const QList<int> &signalNumbers, QObject *parent)
    : QObject(parent)
{
    if (!makePipe())
        return;
    m_ownsPipe = true;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalNotifier::readPipe);
    m_active = true;
    for (int number : signalNumbers) {
        struct sigaction action = {};
        action.sa_handler = writeSignalToPipe;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(number, &action, nullptr) == 0)
            m_signals << number;
        else
            m_active = false;
    }
}

UnixSignalNotifier::~UnixSignalNotifier()
{
    for (int number : std::as_const(m_signals))
        ::signal(number, SIG_DFL);
    delete m_notifier;
    if (m_ownsPipe) {
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
        g_pipe[0] = g_pipe[1] = -1;
    }
}

void UnixSignalNotifier::readPipe()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        emit signalReceived(byte);
}

} // namespace tunelet
