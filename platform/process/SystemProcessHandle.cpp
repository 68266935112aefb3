#include "platform/process/SystemProcessHandle.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tunelet
{

std::unique_ptr<SystemProcessHandle> SystemProcessHandle::adopt(int processDescriptor,
                                                                qint64 processId)
{
    if (processDescriptor < 0)
        return nullptr;
    return std::unique_ptr<SystemProcessHandle>(
        new SystemProcessHandle(processDescriptor, processId));
}

SystemProcessHandle::~SystemProcessHandle()
{
    ::close(m_descriptor);
}

bool SystemProcessHandle::waitForEnd(std::chrono::milliseconds wait)
{
    // The descriptor becomes readable when the process has ended.
    const QDeadlineTimer deadline(wait);
    for (;;) {
        pollfd watched{m_descriptor, POLLIN, 0};
        const int ready = ::poll(&watched, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}

bool SystemProcessHandle::signal(int number)
{
    // (Debian 12's C library declares no wrapper usable from C++.) ESRCH: it
    // ended meanwhile, which is what was asked for.
    return ::syscall(SYS_pidfd_send_signal, m_descriptor, number, nullptr, 0) == 0 ||
           errno == ESRCH;
}

bool SystemProcessHandle::end(std::chrono::milliseconds grace)
{
    if (waitForEnd(std::chrono::milliseconds(0)))
        return true;
    if (signal(SIGTERM) && waitForEnd(grace))
        return true;
    signal(SIGKILL);
    return waitForEnd(KillWait);
}

} // namespace tunelet
