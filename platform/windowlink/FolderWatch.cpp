#include "platform/windowlink/FolderWatch.h"

#include "platform/windowlink/RuntimeDir.h"

#include <cstdint>
#include <sys/inotify.h>
#include <unistd.h>

namespace windowlink
{

namespace
{

// What may change which windows a look at the folder finds: entries coming and
// going (sockets are renamed into place), and the folder's own owner and mode,
// or the folder itself going.
constexpr std::uint32_t kWatched = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                                   IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;

} // namespace

FolderWatch::FolderWatch(std::string dir)
    : m_dir(std::move(dir)), m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
}

FolderWatch::~FolderWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderWatch::arm()
{
    if (m_fd < 0)
        return false;
    if (m_watch < 0) {
        if (m_makeFolder)
            ensurePrivateDir(m_dir);
        m_watch = ::inotify_add_watch(m_fd, m_dir.c_str(), kWatched);
    }
    return m_watch >= 0;
}

bool FolderWatch::changed()
{
    bool any = false;
    if (m_fd >= 0) {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            any = true;
            for (ssize_t at = 0; at < n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                // The folder went (or the watch was dropped): watch it again anew. A
                // folder moved away keeps its watch, which is let go here.
                if ((event->mask & IN_MOVE_SELF) && m_watch >= 0)
                    ::inotify_rm_watch(m_fd, m_watch);
                if (event->mask & (IN_IGNORED | IN_MOVE_SELF))
                    m_watch = -1;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }
    // A folder not watched until now may have changed in any way meanwhile.
    if (m_watch < 0) {
        arm();
        return true;
    }
    return any;
}

} // namespace windowlink
