// The client side of the window link: the real WindowSystem.

#include "platform/windowlink/FolderWatch.h"
#include "platform/windowlink/PeerConnection.h"
#include "platform/windowlink/RuntimeDir.h"
#include "platform/windowlink/SocketIo.h"
#include "platform/windowlink/WindowSystem.h"
#include "platform/windowlink/Wire.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <sys/stat.h>
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

// Over all link window systems of the process, for linkUsage().
std::atomic<std::size_t> g_windows{0};
std::atomic<std::size_t> g_questions{0};
std::atomic<std::size_t> g_unanswered{0};

// One published window this link has met, by its socket path: the kept
// connection, the handles given out for it and its children, and how long it
// counts as absent after it failed to answer in time.
struct Peer {
    PeerConnection connection;
    std::map<std::uint32_t, HWND> handles; // child (0: the window) → handle
    io::Clock::time_point stalledUntil{};  // nothing is asked until then
    io::Clock::time_point sendsStalledUntil{};
    bool knowsWatch = true; // a receiver of an older kind is read piece by piece
};

// A window's text as GetWindowTextA gives it whole: at most kMaxWindowText characters.
std::string wholeText(const std::string &text)
{
    return text.substr(0, windowTextCut(text, kMaxWindowTextBytes + 1));
}

bool socketFileExists(const std::string &path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

class LinkWindowSystem final : public WindowSystem
{
public:
    explicit LinkWindowSystem(const LinkOptions &options)
        : m_options(options), m_dir(runtimeDirPath(options)), m_uid(trustedUid(options)),
          m_folder(m_dir)
    {
    }
    ~LinkWindowSystem() override
    {
        while (!m_peers.empty())
            forget(m_peers.begin()->first);
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
        const std::string path = t->path;
        wire::Request req = request(wire::Op::Send, t->child);
        req.message = message;
        req.wParam = wParam;
        req.lParam = lParam;
        const auto reply = call(path, req);
        // A window that closed on this message took its socket away before it
        // answered: its connection and handles go now, not at the next look.
        if (reply && message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE &&
            !socketFileExists(path))
            forget(path);
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

    DWORD GetWindowThreadProcessId(HWND window, DWORD *processId) override
    {
        const Target *t = target(window);
        // The publisher's number is part of its socket's name.
        const DWORD process = t ? static_cast<DWORD>(processFromSocketPath(t->path)) : 0;
        if (processId)
            *processId = process;
        return process;
    }

    std::optional<WindowReading> readWindow(HWND window,
                                            const std::vector<std::string> &childClasses) override
    {
        const Target *t = target(window);
        if (!t || t->child != 0)
            return std::nullopt;
        const std::string path = t->path;
        Peer &p = peer(path);
        if (!p.knowsWatch)
            return WindowSystem::readWindow(window, childClasses);
        // A watched window reports each change itself: while its reports are recent
        // (a playing player's seek bar moves ten times a second), nothing is asked.
        const auto now = io::Clock::now();
        if (p.connection.isWatched() && now >= p.stalledUntil && p.connection.usable() &&
            now - p.connection.reportedAt() < std::chrono::milliseconds(m_options.reportsStandMs))
            return readingOf(p.connection.lastReport(), childClasses);
        const auto reply = call(path, request(wire::Op::Watch));
        if (!reply) {
            // A receiver of an older kind drops the connection at once on a question it
            // does not know, and is still there: it is read piece by piece from now on.
            if (m_lastCallDropped && socketFileExists(path) && m_peers.count(path)) {
                peer(path).knowsWatch = false;
                return WindowSystem::readWindow(window, childClasses);
            }
            return std::nullopt;
        }
        PeerConnection &watched = peer(path).connection;
        watched.watchFrom(*reply);
        if (m_onReport)
            watched.setOnReports([this] { reportSoon(); });
        return readingOf(*reply, childClasses);
    }

    bool watchTopLevel(std::function<void()> onChange) override
    {
        m_onChange = std::move(onChange);
        // Something to watch: the folder is made when missing, as a player would.
        m_folder.makeFolderWhenMissing();
        if (!m_folder.arm())
            return false;
        if (!m_notifier) {
            m_notifier =
                std::make_unique<QSocketNotifier>(m_folder.descriptor(), QSocketNotifier::Read);
            QObject::connect(m_notifier.get(), &QSocketNotifier::activated,
                             [this] { takeFolderNotices(); });
        }
        return true;
    }

    bool watchReports(std::function<void()> onReport) override
    {
        m_onReport = std::move(onReport);
        if (!m_reportContext)
            m_reportContext = std::make_unique<QObject>();
        return true;
    }

private:
    // A watched window reported: the listener hears of it from the event loop, once
    // for all the reports that came together, and never while the link is in the
    // middle of a call (its handler may well read the window).
    void reportSoon()
    {
        if (m_reportPending)
            return;
        m_reportPending = true;
        QMetaObject::invokeMethod(
            m_reportContext.get(),
            [this] {
                m_reportPending = false;
                if (m_onReport)
                    m_onReport();
            },
            Qt::QueuedConnection);
    }

    // The title, and the first child of each class asked for, as the window showed them.
    static WindowReading readingOf(const wire::Reply &shown,
                                   const std::vector<std::string> &childClasses)
    {
        WindowReading reading;
        reading.title = wholeText(shown.text);
        for (const std::string &className : childClasses) {
            ChildReading child;
            const auto it = std::find_if(
                shown.children.begin(), shown.children.end(), [&](const wire::Child &c) {
                    return equalsIgnoreCase(c.className, className.c_str());
                });
            if (it != shown.children.end()) {
                child.found = true;
                child.text = wholeText(it->text);
                child.isScrollBar = it->isScrollBar;
                if (child.isScrollBar) {
                    child.pos = it->pos;
                    child.minPos = it->minPos;
                    child.maxPos = it->maxPos;
                }
            }
            reading.children.push_back(std::move(child));
        }
        return reading;
    }

    void takeFolderNotices()
    {
        if (!m_folder.changed())
            return;
        m_listingStale = true;
        if (m_onChange)
            m_onChange();
    }

    // The published windows, listed again only when the folder may have changed since
    // the last look; windows no longer listed are forgotten.
    const std::vector<PublishedEntry> &published()
    {
        // Both: the watch's notices must be taken in whatever the flag says.
        if (m_folder.changed() | m_listingStale) {
            m_listingStale = false;
            m_published = checkPrivateDir(m_dir).empty() ? listPublished(m_dir, nullptr, m_uid)
                                                         : std::vector<PublishedEntry>();
            forgetAllBut(m_published);
        }
        return m_published;
    }

    // The window's kept connection is open and it is not known to hang: it is still
    // published (a window that goes closes its connections, and the folder says so).
    bool stillThere(const std::string &path)
    {
        const auto it = m_peers.find(path);
        return it != m_peers.end() && io::Clock::now() >= it->second.stalledUntil &&
               it->second.connection.usable();
    }

    HWND findTopLevel(HWND after, const char *className, const char *windowName)
    {
        const std::vector<PublishedEntry> entries = published();
        bool skipping = after != 0;
        for (const PublishedEntry &entry : entries) {
            if (className && !equalsIgnoreCase(entry.className, className))
                continue;
            if (skipping) {
                const Target *a = target(after);
                if (a && a->path == entry.path)
                    skipping = false;
                continue;
            }
            // Only a title has to be asked for again; nothing else of a window that
            // is still there can have changed.
            if (!windowName && stillThere(entry.path))
                return handleFor(entry.path, 0);
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

    Peer &peer(const std::string &path)
    {
        const auto [it, added] = m_peers.try_emplace(path);
        if (added)
            ++g_windows;
        return it->second;
    }

    HWND handleFor(const std::string &path, std::uint32_t child)
    {
        Peer &p = peer(path);
        if (const auto it = p.handles.find(child); it != p.handles.end())
            return it->second;
        const HWND id = m_nextHandle;
        m_nextHandle += 4;
        p.handles.emplace(child, id);
        m_handles.emplace(id, Target{path, child});
        return id;
    }

    // The window at path is gone: its connection closes and its handles find
    // nothing from now on (handles are never reused).
    void forget(const std::string &path)
    {
        const auto it = m_peers.find(path);
        if (it == m_peers.end())
            return;
        for (const auto &[child, id] : it->second.handles)
            m_handles.erase(id);
        m_peers.erase(it);
        --g_windows;
    }

    // Forgets every window whose socket is no longer among those published.
    void forgetAllBut(const std::vector<PublishedEntry> &published)
    {
        std::vector<std::string> gone;
        for (const auto &peer : m_peers)
            if (std::none_of(published.begin(), published.end(),
                             [&](const PublishedEntry &e) { return e.path == peer.first; }))
                gone.push_back(peer.first);
        for (const std::string &path : gone)
            forget(path);
    }

    // The kept connection to path, or a new one; -1 when the window cannot be
    // reached. A socket nobody listens on is removed.
    bool connection(const std::string &path)
    {
        Peer &p = peer(path);
        if (p.connection.isOpen()) {
            if (p.connection.usable())
                return true;
            // Closed by the receiver: unpublished, or gone with its process.
            p.connection.close();
            if (!socketFileExists(path)) {
                forget(path);
                return false;
            }
        }
        const io::ConnectResult result = p.connection.open(path, m_uid);
        if (result == io::ConnectResult::Refused) {
            ::unlink(path.c_str());
            forget(path);
        }
        return result == io::ConnectResult::Connected;
    }

    // path is a copy: a refused connection drops the peer it may come from.
    std::optional<wire::Reply> call(const std::string path, const wire::Request &req)
    {
        m_lastCallDropped = false;
        const bool isSend = req.op == wire::Op::Send || req.op == wire::Op::Foreground;
        const auto now = io::Clock::now();
        if (const auto it = m_peers.find(path); it != m_peers.end())
            if (now < it->second.stalledUntil || (isSend && now < it->second.sendsStalledUntil))
                return std::nullopt;
        const auto deadline = now + std::chrono::milliseconds(m_options.timeoutMs);
        if (!connection(path))
            return std::nullopt;
        Peer &p = peer(path);
        bool timedOut = false;
        ++g_questions;
        const std::optional<wire::Reply> reply = p.connection.ask(req, deadline, &timedOut);
        if (!reply) {
            m_lastCallDropped = !timedOut;
            if (timedOut) {
                ++g_unanswered;
                // No answer in time: the window counts as absent for a while, so that
                // a hung receiver costs one wait, not one per call. A busy receiver
                // still answers reads from its link thread; only its sends pause.
                const auto absent = 5 * std::chrono::milliseconds(m_options.timeoutMs);
                (isSend ? p.sendsStalledUntil : p.stalledUntil) = io::Clock::now() + absent;
                // A watching caller hears when the window may be asked again.
                if (!isSend && m_notifier)
                    QTimer::singleShot(absent, m_notifier.get(), [this] {
                        if (m_onChange)
                            m_onChange();
                    });
            }
            return std::nullopt;
        }
        return reply;
    }

    LinkOptions m_options;
    std::string m_dir;
    uid_t m_uid;
    std::unordered_map<std::string, Peer> m_peers;
    std::unordered_map<HWND, Target> m_handles;
    HWND m_nextHandle = 0x10004;
    // The last call's answer did not come because the window closed the connection.
    bool m_lastCallDropped = false;
    // The folder as last listed, and whether it has changed since.
    FolderWatch m_folder;
    std::vector<PublishedEntry> m_published;
    bool m_listingStale = true;
    // The watch of an idle caller (watchTopLevel).
    std::function<void()> m_onChange;
    std::unique_ptr<QSocketNotifier> m_notifier;
    // The listener to the reports of watched windows (watchReports).
    std::function<void()> m_onReport;
    std::unique_ptr<QObject> m_reportContext;
    bool m_reportPending = false;
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

std::optional<WindowReading> WindowSystem::readWindow(HWND window,
                                                      const std::vector<std::string> &childClasses)
{
    if (window == 0)
        return std::nullopt;
    WindowReading reading;
    reading.title = windowText(*this, window);
    for (const std::string &className : childClasses) {
        ChildReading child;
        if (const HWND h = FindWindowExA(window, 0, className.c_str(), nullptr)) {
            child.found = true;
            child.text = windowText(*this, h);
            child.isScrollBar = GetScrollRange(h, SB_CTL, &child.minPos, &child.maxPos) != FALSE;
            child.pos = child.isScrollBar ? GetScrollPos(h, SB_CTL) : 0;
        }
        reading.children.push_back(std::move(child));
    }
    return reading;
}

bool WindowSystem::watchTopLevel(std::function<void()>)
{
    return false;
}

bool WindowSystem::watchReports(std::function<void()>)
{
    return false;
}

DWORD WindowSystem::GetWindowThreadProcessId(HWND, DWORD *processId)
{
    if (processId)
        *processId = 0;
    return 0;
}

LinkUsage linkUsage()
{
    return {PeerConnection::openCount(), g_windows.load(), g_questions.load(), g_unanswered.load()};
}

std::string windowText(WindowSystem &windows, HWND window)
{
    char buffer[kMaxWindowTextBytes + 1];
    const int n = windows.GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, static_cast<std::size_t>(n));
}

} // namespace windowlink
