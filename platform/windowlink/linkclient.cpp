// The client side of the window link: the real WindowSystem.

#include "windowlink/runtimedir.h"
#include "windowlink/socketio.h"
#include "windowlink/windowsystem.h"
#include "windowlink/wire.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unistd.h>
#include <unordered_map>

namespace windowlink
{
namespace
{

wire::Request request(wire::Op op, std::uint32_t child = 0)
{
    wire::Request r;
    r.op = op;
    r.child = child;
    return r;
}

struct Target {
    std::string path;
    std::uint32_t child = 0;
};

class LinkWindowSystem final : public WindowSystem
{
public:
    explicit LinkWindowSystem(const LinkOptions &options)
        : m_options(options), m_dir(runtimeDirPath(options)), m_uid(trustedUid(options))
    {
    }
    ~LinkWindowSystem() override
    {
        for (auto &[path, fd] : m_connections)
            io::closeFd(fd);
    }
    LinkWindowSystem(const LinkWindowSystem &) = delete;
    LinkWindowSystem &operator=(const LinkWindowSystem &) = delete;

    HWND FindWindowA(const char *className, const char *windowName) override
    {
        return findTopLevel(0, className, windowName);
    }

    HWND FindWindowExA(HWND parent, HWND childAfter, const char *className,
                       const char *windowName) override
    {
        if (parent == 0)
            return findTopLevel(childAfter, className, windowName);
        const Target *p = target(parent);
        if (!p || p->child != 0)
            return 0;
        const Target parentTarget = *p;
        std::uint32_t after = 0;
        if (const Target *a = target(childAfter); a && a->path == parentTarget.path)
            after = a->child;
        wire::Request req = request(wire::Op::FindChild);
        req.after = after;
        if (className)
            req.className = className;
        if (windowName)
            req.title = windowName;
        const auto reply = call(parentTarget.path, req);
        return reply && reply->child != 0 ? handleFor(parentTarget.path, reply->child) : 0;
    }

    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const Target *t = target(window);
        if (!t)
            return 0;
        wire::Request req = request(wire::Op::Send, t->child);
        req.message = message;
        req.wParam = wParam;
        req.lParam = lParam;
        const auto reply = call(t->path, req);
        return reply && reply->ok ? static_cast<LRESULT>(reply->result) : 0;
    }

    int GetScrollPos(HWND window, int bar) override
    {
        const auto reply = scroll(window, bar);
        return reply ? reply->pos : 0;
    }

    BOOL GetScrollRange(HWND window, int bar, int *minPos, int *maxPos) override
    {
        const auto reply = scroll(window, bar);
        if (minPos)
            *minPos = reply ? reply->minPos : 0;
        if (maxPos)
            *maxPos = reply ? reply->maxPos : 0;
        return reply ? TRUE : FALSE;
    }

    int GetWindowTextA(HWND window, char *buffer, int maxCount) override
    {
        if (!buffer || maxCount <= 0)
            return 0;
        buffer[0] = '\0';
        const Target *t = target(window);
        if (!t)
            return 0;
        const auto reply = call(t->path, request(wire::Op::GetText, t->child));
        if (!reply || !reply->ok)
            return 0;
        const std::size_t n = windowTextCut(reply->text, maxCount);
        std::memcpy(buffer, reply->text.data(), n);
        buffer[n] = '\0';
        return static_cast<int>(n);
    }

    BOOL SetForegroundWindow(HWND window) override
    {
        const Target *t = target(window);
        if (!t)
            return FALSE;
        const auto reply = call(t->path, request(wire::Op::Foreground));
        return reply && reply->ok ? TRUE : FALSE;
    }

private:
    HWND findTopLevel(HWND after, const char *className, const char *windowName)
    {
        if (!checkPrivateDir(m_dir).empty())
            return 0;
        bool skipping = after != 0;
        for (const PublishedEntry &entry : listPublished(m_dir, className, m_uid)) {
            if (skipping) {
                const Target *a = target(after);
                if (a && a->path == entry.path)
                    skipping = false;
                continue;
            }
            const auto reply = call(entry.path, request(wire::Op::Describe));
            if (!reply)
                continue;
            if (windowName && !equalsIgnoreCase(reply->text, windowName))
                continue;
            return handleFor(entry.path, 0);
        }
        return 0;
    }

    std::optional<wire::Reply> scroll(HWND window, int bar)
    {
        const Target *t = target(window);
        if (!t)
            return std::nullopt;
        wire::Request req = request(wire::Op::GetScroll, t->child);
        req.bar = bar;
        auto reply = call(t->path, req);
        if (!reply || !reply->ok)
            return std::nullopt;
        return reply;
    }

    const Target *target(HWND window) const
    {
        const auto it = m_handles.find(window);
        return it == m_handles.end() ? nullptr : &it->second;
    }

    HWND handleFor(const std::string &path, std::uint32_t child)
    {
        const auto key = std::make_pair(path, child);
        if (const auto it = m_ids.find(key); it != m_ids.end())
            return it->second;
        const HWND id = m_nextHandle;
        m_nextHandle += 4;
        m_ids.emplace(key, id);
        m_handles.emplace(id, Target{path, child});
        return id;
    }

    void forgetPath(const std::string &path)
    {
        std::erase_if(m_handles, [&](const auto &kv) { return kv.second.path == path; });
        std::erase_if(m_ids, [&](const auto &kv) { return kv.first.first == path; });
        dropConnection(path);
    }

    void dropConnection(const std::string &path)
    {
        if (const auto it = m_connections.find(path); it != m_connections.end()) {
            io::closeFd(it->second);
            m_connections.erase(it);
        }
    }

    // A pooled connection to path, or a new one. A socket nobody listens on is removed.
    int connection(const std::string &path)
    {
        if (const auto it = m_connections.find(path); it != m_connections.end()) {
            if (!io::unusable(it->second))
                return it->second;
            dropConnection(path);
        }
        io::ConnectResult result;
        const int fd = io::connectTo(path, &result);
        if (fd < 0) {
            if (result == io::ConnectResult::Refused) {
                ::unlink(path.c_str());
                forgetPath(path);
            }
            return -1;
        }
        if (io::peerUid(fd) != m_uid) {
            io::closeFd(fd);
            return -1;
        }
        m_connections.emplace(path, fd);
        return fd;
    }

    // path is a copy: a refused connection drops the handle tables it may come from.
    std::optional<wire::Reply> call(const std::string path, const wire::Request &req)
    {
        const bool isSend = req.op == wire::Op::Send || req.op == wire::Op::Foreground;
        const auto now = io::Clock::now();
        if (stalled(m_stalled, path, now) || (isSend && stalled(m_stalledSends, path, now)))
            return std::nullopt;
        const auto deadline = now + std::chrono::milliseconds(m_options.timeoutMs);
        const int fd = connection(path);
        if (fd < 0)
            return std::nullopt;
        std::optional<wire::Reply> reply;
        if (io::sendAll(fd, wire::frame(wire::encodeRequest(req)), deadline))
            if (const auto payload = io::recvFrame(fd, deadline))
                reply = wire::decodeReply(*payload);
        if (!reply || reply->op != req.op) {
            // A late or garbled answer would be taken for the next call's: start afresh.
            dropConnection(path);
            if (io::Clock::now() >= deadline) {
                // No answer in time: the window counts as absent for a while, so that
                // a hung receiver costs one wait, not one per call. A busy receiver
                // still answers reads from its link thread; only its sends pause.
                const auto until =
                    io::Clock::now() + 5 * std::chrono::milliseconds(m_options.timeoutMs);
                (isSend ? m_stalledSends : m_stalled)[path] = until;
            }
            return std::nullopt;
        }
        return reply;
    }

    static bool stalled(std::unordered_map<std::string, io::Clock::time_point> &table,
                        const std::string &path, io::Clock::time_point now)
    {
        const auto it = table.find(path);
        if (it == table.end())
            return false;
        if (now < it->second)
            return true;
        table.erase(it);
        return false;
    }

    LinkOptions m_options;
    std::string m_dir;
    uid_t m_uid;
    std::unordered_map<HWND, Target> m_handles;
    std::map<std::pair<std::string, std::uint32_t>, HWND> m_ids;
    HWND m_nextHandle = 0x10004;
    std::unordered_map<std::string, int> m_connections;
    // Windows that did not answer in time, and until when they count as absent.
    std::unordered_map<std::string, io::Clock::time_point> m_stalled;
    std::unordered_map<std::string, io::Clock::time_point> m_stalledSends;
};

} // namespace

std::unique_ptr<WindowSystem> makeLinkWindowSystem(const LinkOptions &options)
{
    return std::make_unique<LinkWindowSystem>(options);
}

WindowSystem &linkWindows()
{
    thread_local const std::unique_ptr<WindowSystem> windows = makeLinkWindowSystem();
    return *windows;
}

HWND FindWindowA(const char *className, const char *windowName)
{
    return linkWindows().FindWindowA(className, windowName);
}

HWND FindWindowExA(HWND parent, HWND childAfter, const char *className, const char *windowName)
{
    return linkWindows().FindWindowExA(parent, childAfter, className, windowName);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return linkWindows().SendMessageA(window, message, wParam, lParam);
}

int GetScrollPos(HWND window, int bar)
{
    return linkWindows().GetScrollPos(window, bar);
}

BOOL GetScrollRange(HWND window, int bar, int *minPos, int *maxPos)
{
    return linkWindows().GetScrollRange(window, bar, minPos, maxPos);
}

int GetWindowTextA(HWND window, char *buffer, int maxCount)
{
    return linkWindows().GetWindowTextA(window, buffer, maxCount);
}

BOOL SetForegroundWindow(HWND window)
{
    return linkWindows().SetForegroundWindow(window);
}

std::size_t windowTextCut(std::string_view text, int maxCount)
{
    const std::size_t maxBytes = maxCount > 0 ? static_cast<std::size_t>(maxCount - 1) : 0;
    const auto continuation = [&text](std::size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    std::size_t n = 0;
    for (int characters = 0; n < text.size() && characters < kMaxWindowText; ++characters) {
        std::size_t end = n + 1;
        while (end < text.size() && continuation(end))
            ++end;
        if (end > maxBytes)
            break; // never half a character
        n = end;
    }
    return n;
}

std::string windowText(WindowSystem &windows, HWND window)
{
    char buffer[kMaxWindowTextBytes + 1];
    const int n = windows.GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, static_cast<std::size_t>(n));
}

} // namespace windowlink
