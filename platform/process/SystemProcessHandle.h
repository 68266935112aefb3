#pragma once

#include "platform/process/ProcessHandle.h"

#include <memory>

namespace tunelet
{

// The real handle: a process file descriptor (pidfd), which refers to one
// process for as long as it is open, so that a signal sent through it can
// never reach another process that got the same number later. The process
// need not be a child: the detached programs are grandchildren, reaped by
// the system once they end.
class SystemProcessHandle final : public ProcessHandle
{
public:
    // How long end() waits for a killed process to go.
    static constexpr std::chrono::milliseconds KillWait{2000};

    // Takes the descriptor over; nothing when it is not one (-1).
    static std::unique_ptr<SystemProcessHandle> adopt(int processDescriptor, qint64 processId);
    ~SystemProcessHandle() override;
    Q_DISABLE_COPY_MOVE(SystemProcessHandle)

    qint64 processId() const override { return m_processId; }
    bool waitForEnd(std::chrono::milliseconds wait) override;
    bool end(std::chrono::milliseconds grace) override;

private:
    SystemProcessHandle(int processDescriptor, qint64 processId)
        : m_descriptor(processDescriptor), m_processId(processId)
    {
    }
    bool signal(int number);

    int m_descriptor;
    qint64 m_processId;
};

} // namespace tunelet
