#include "tools/archivers/common/OwnerWindow.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

namespace archivers
{
namespace
{

struct OwnerState {
    std::mutex mutex;
    ArcWindow window = 0;
    ArcProgressCallback callback = nullptr;
};

OwnerState &state()
{
    static OwnerState s;
    return s;
}

std::atomic<int> runningCount{0};

void copyName(char (&field)[ARC_ENTRY_NAME_SIZE], std::string_view text)
{
    const size_t n = std::min(text.size(), sizeof field - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

uint32_t clamp32(uint64_t v)
{
    return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

} // namespace

namespace owner
{

int32_t set(ArcWindow window, ArcProgressCallback callback)
{
    OwnerState &s = state();
    std::lock_guard lock(s.mutex);
    s.window = window;
    s.callback = callback;
    return 1;
}

int32_t kill(ArcWindow window)
{
    OwnerState &s = state();
    std::lock_guard lock(s.mutex);
    if (s.window != window || window == 0)
        return 0;
    s.window = 0;
    s.callback = nullptr;
    return 1;
}

bool report(uint32_t stateCode, std::string_view source, std::string_view dest, uint64_t total,
            uint64_t written)
{
    ArcWindow window = 0;
    ArcProgressCallback callback = nullptr;
    {
        OwnerState &s = state();
        std::lock_guard lock(s.mutex);
        window = s.window;
        callback = s.callback;
    }
    if (window == 0 && callback == nullptr)
        return false;
    ArcExtractingInfo info{};
    info.totalFileSize = clamp32(total);
    info.writeSize = clamp32(written);
    copyName(info.sourceFileName, source);
    copyName(info.destFileName, dest);
    if (callback != nullptr)
        return callback(window, 0, stateCode, &info) == 1;
    auto *target = reinterpret_cast<ArcMessageWindow *>(window);
    if (target->signature != ARC_MESSAGE_WINDOW_SIGNATURE || target->send == nullptr)
        return false;
    return target->send(target, target->progressMessage, stateCode,
                        reinterpret_cast<intptr_t>(&info)) == 1;
}

} // namespace owner

RunningScope::RunningScope() : m_refused(runningCount.fetch_add(1) > 0) {}

RunningScope::~RunningScope()
{
    runningCount.fetch_sub(1);
}

bool RunningScope::running()
{
    return runningCount.load() > 0;
}

} // namespace archivers
