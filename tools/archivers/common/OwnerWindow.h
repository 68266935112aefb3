#pragma once

#include "archive/ArchiverApi.h"

#include <string_view>

namespace archivers
{

// The owner window (and optional callback) registered with one library, and the progress
// reports sent to it while a command runs. One per library, process-wide.
namespace owner
{

int32_t set(ArcWindow window, ArcProgressCallback callback);
int32_t kill(ArcWindow window);
// Sends one progress report; true when the receiver asked to stop.
bool report(uint32_t state, std::string_view source, std::string_view dest, uint64_t total,
            uint64_t written);

} // namespace owner

// Marks a library command as running for GetRunning; a second, nested command (from a
// progress receiver) is refused.
class RunningScope final
{
public:
    RunningScope();
    ~RunningScope();
    RunningScope(const RunningScope &) = delete;
    RunningScope &operator=(const RunningScope &) = delete;
    bool refused() const { return m_refused; }
    static bool running();

private:
    bool m_refused = false;
};

} // namespace archivers
