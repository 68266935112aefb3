#include "platform/windowlink/LinkServer.h"

#include "platform/windowlink/RuntimeDir.h"
#include "platform/windowlink/SocketIo.h"
#include "platform/windowlink/Wire.h"

#include <atomic>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace windowlink
{
namespace
{

struct Child {
    std::string className;
    std::string text;
    bool isScrollBar = false;
    int pos = 0;
    int minPos = 0;
    int maxPos = 0;
};

struct Connection {
    std::uint64_t id = 0;
    int fd = -1;
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
    bool awaitingOwner = false; // a message is with the owner's thread
    bool broken = false;
    bool watching = false;         // told of every change (Watch)
    std::uint64_t seenVersion = 0; // the state it was last told of
};

std::atomic<std::uint64_t> g_serial{0};

} // namespace

struct LinkServer::Impl : std::enable_shared_from_this<LinkServer::Impl> {
    std::string className;
    Dispatcher dispatch;
    LinkOptions options;
    MessageHandler onMessage;
    ForegroundHandler onForeground;

    std::mutex mutex; // guards everything below up to the thread
    std::string title;
    std::vector<Child> children;
    std::string path;
    bool published = false;
    int newListenFd = -1;
    bool closeListener = false;
    bool stop = false;
    std::vector<std::pair<std::uint64_t, wire::Reply>> finished;
    std::uint64_t version = 1; // counts changes of the title and the children
    int watchers = 0;          // connections told of every change

    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;

    // Owned by the link thread.
    int listenFd = -1;
    std::vector<Connection> connections;
    std::uint64_t nextConnection = 1;

    ~Impl()
    {
        io::closeFd(wakeRead);
        io::closeFd(wakeWrite);
        io::closeFd(newListenFd);
    }

    void wake()
    {
        const char b = 1;
        [[maybe_unused]] const auto n = ::write(wakeWrite, &b, 1);
    }

    void run();
    bool takeControl(bool &closing);
    void acceptAll();
    void readFrom(Connection &c);
    void handleBuffered(Connection &c);
    void answer(Connection &c, const wire::Request &request);
    // The title and children as a reply of this kind; the mutex is held.
    wire::Reply snapshot(wire::Op op) const;
    // Tells the watching connections of a change they have not heard of; one
    // whose earlier news is still unsent hears later, so nothing piles up.
    void pushUpdates();
    // After a change of the state (the mutex held): the watchers hear of it. True
    // when there are any, so the link thread is to be woken to tell them; without
    // them a change costs no wake-up (a reader asks and gets the state of then).
    bool changed();
    // A watching connection is gone.
    void dropWatcher();
    void handOver(Connection &c, const wire::Request &request);
    void writeTo(Connection &c);
};

void LinkServer::Impl::run()
{
    bool closing = false;
    for (;;) {
        if (!takeControl(closing))
            break;
        std::vector<pollfd> fds;
        fds.push_back({wakeRead, POLLIN, 0});
        if (listenFd >= 0)
            fds.push_back({listenFd, POLLIN, 0});
        for (const Connection &c : connections) {
            short events = c.awaitingOwner ? 0 : POLLIN;
            if (!c.out.empty())
                events |= POLLOUT;
            fds.push_back({c.fd, events, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0)
            continue;
        char drain[64];
        if (fds[0].revents & POLLIN)
            while (::read(wakeRead, drain, sizeof drain) > 0) {
            }
        std::size_t i = 1;
        if (listenFd >= 0 && (fds[i++].revents & POLLIN))
            acceptAll();
        for (std::size_t k = 0; i < fds.size(); ++i, ++k) {
            Connection &c = connections[k];
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                readFrom(c);
            if (!c.out.empty() && !c.broken)
                writeTo(c);
        }
        pushUpdates();
        std::erase_if(connections, [&](Connection &c) {
            const bool done = c.broken || (closing && !c.awaitingOwner && c.out.empty());
            if (done) {
                io::closeFd(c.fd);
                if (c.watching)
                    dropWatcher();
            }
            return done;
        });
    }
    // Stopping: what is owed goes out briefly, then everything closes.
    const auto deadline = io::Clock::now() + std::chrono::milliseconds(200);
    for (Connection &c : connections) {
        if (!c.out.empty())
            io::sendAll(c.fd, c.out, deadline);
        io::closeFd(c.fd);
        if (c.watching)
            dropWatcher();
    }
    connections.clear();
    io::closeFd(listenFd);
    listenFd = -1;
}

// Takes in what the owner's thread has handed over: finished replies, a new or closed
// listener, a stop. False when the thread is to end.
bool LinkServer::Impl::takeControl(bool &closing)
{
    std::vector<std::pair<std::uint64_t, wire::Reply>> replies;
    bool stopNow;
    {
        std::lock_guard lock(mutex);
        replies.swap(finished);
        if (closeListener) {
            io::closeFd(listenFd);
            listenFd = -1;
            closeListener = false;
            closing = true;
        }
        if (newListenFd >= 0) {
            io::closeFd(listenFd);
            listenFd = newListenFd;
            newListenFd = -1;
            closing = false;
        }
        stopNow = stop;
    }
    // What a message's handler changed goes out before the message's reply.
    pushUpdates();
    for (auto &[id, reply] : replies) {
        for (Connection &c : connections) {
            if (c.id != id)
                continue;
            const auto bytes = wire::frame(wire::encodeReply(reply));
            c.out.insert(c.out.end(), bytes.begin(), bytes.end());
            c.awaitingOwner = false;
            writeTo(c);
            handleBuffered(c);
        }
    }
    return !stopNow;
}

void LinkServer::Impl::acceptAll()
{
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        if (io::peerUid(fd) != trustedUid(options)) {
            ::close(fd);
            continue;
        }
        Connection c;
        c.id = nextConnection++;
        c.fd = fd;
        connections.push_back(std::move(c));
    }
}

void LinkServer::Impl::readFrom(Connection &c)
{
    std::uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
        if (n > 0) {
            c.in.insert(c.in.end(), buf, buf + n);
            if (c.in.size() > wire::kMaxBuffered) {
                c.broken = true;
                return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            c.broken = true;
        break;
    }
    handleBuffered(c);
}

// Answers complete requests in order; stops at one that waits for the owner's thread.
void LinkServer::Impl::handleBuffered(Connection &c)
{
    while (!c.awaitingOwner && !c.broken) {
        const auto payload = wire::takeFrame(c.in, &c.broken);
        if (!payload)
            return;
        const auto request = wire::decodeRequest(*payload);
        if (!request) {
            c.broken = true;
            return;
        }
        if (request->op == wire::Op::Send || request->op == wire::Op::Foreground)
            handOver(c, *request);
        else
            answer(c, *request);
    }
}

void LinkServer::Impl::answer(Connection &c, const wire::Request &request)
{
    wire::Reply reply;
    reply.op = request.op;
    {
        std::lock_guard lock(mutex);
        const Child *child = request.child >= 1 && request.child <= children.size()
                                 ? &children[request.child - 1]
                                 : nullptr;
        switch (request.op) {
        case wire::Op::Describe:
            reply.ok = true;
            reply.className = className;
            reply.text = title;
            reply.pid = static_cast<std::uint32_t>(::getpid());
            break;
        case wire::Op::FindChild:
            for (std::size_t i = request.after; i < children.size(); ++i) {
                const Child &ch = children[i];
                if (request.className &&
                    !equalsIgnoreCase(ch.className, request.className->c_str()))
                    continue;
                if (request.title && !equalsIgnoreCase(ch.text, request.title->c_str()))
                    continue;
                reply.child = static_cast<std::uint32_t>(i + 1);
                break;
            }
            break;
        case wire::Op::GetText:
            reply.ok = request.child == 0 || child;
            reply.text = request.child == 0 ? title : child ? child->text : std::string();
            break;
        case wire::Op::GetScroll:
            if (child && child->isScrollBar && request.bar == SB_CTL) {
                reply.ok = true;
                reply.pos = child->pos;
                reply.minPos = child->minPos;
                reply.maxPos = child->maxPos;
            }
            break;
        case wire::Op::Watch:
            // Everything a poll reads, in one answer, and from now on every change
            // unasked.
            reply = snapshot(request.op);
            if (!c.watching)
                ++watchers;
            c.watching = true;
            c.seenVersion = version;
            break;
        case wire::Op::Update:
        case wire::Op::Send:
        case wire::Op::Foreground:
            break;
        }
    }
    const auto bytes = wire::frame(wire::encodeReply(reply));
    c.out.insert(c.out.end(), bytes.begin(), bytes.end());
}

// Messages run on the owner's thread; the reply follows once the handler has returned.
void LinkServer::Impl::handOver(Connection &c, const wire::Request &request)
{
    c.awaitingOwner = true;
    std::weak_ptr<Impl> weak = weak_from_this();
    const std::uint64_t id = c.id;
    dispatch([weak, id, request] {
        const auto self = weak.lock();
        if (!self)
            return;
        wire::Reply reply;
        reply.op = request.op;
        if (request.op == wire::Op::Foreground) {
            reply.ok = self->onForeground ? self->onForeground() : true;
        } else {
            reply.ok = true;
            if (self->onMessage)
                reply.result = self->onMessage({request.child, request.message,
                                                static_cast<WPARAM>(request.wParam),
                                                static_cast<LPARAM>(request.lParam)});
        }
        {
            std::lock_guard lock(self->mutex);
            self->finished.emplace_back(id, reply);
        }
        self->wake();
    });
}

wire::Reply LinkServer::Impl::snapshot(wire::Op op) const
{
    wire::Reply reply;
    reply.op = op;
    reply.ok = true;
    reply.text = title;
    for (const Child &ch : children)
        reply.children.push_back(
            {ch.className, ch.text, ch.isScrollBar, ch.pos, ch.minPos, ch.maxPos});
    return reply;
}

void LinkServer::Impl::pushUpdates()
{
    std::vector<std::uint8_t> update;
    std::uint64_t current = 0;
    for (Connection &c : connections) {
        if (!c.watching || c.broken || !c.out.empty())
            continue;
        if (update.empty()) {
            std::lock_guard lock(mutex);
            current = version;
            if (c.seenVersion == current)
                continue;
            update = wire::frame(wire::encodeReply(snapshot(wire::Op::Update)));
        }
        if (c.seenVersion == current)
            continue;
        c.out = update;
        c.seenVersion = current;
        writeTo(c);
    }
}

bool LinkServer::Impl::changed()
{
    ++version;
    return watchers > 0;
}

void LinkServer::Impl::dropWatcher()
{
    std::lock_guard lock(mutex);
    --watchers;
}

void LinkServer::Impl::writeTo(Connection &c)
{
    while (!c.out.empty()) {
        const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n > 0) {
            c.out.erase(c.out.begin(), c.out.begin() + n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        c.broken = true;
        return;
    }
}

LinkServer::LinkServer(std::string className, Dispatcher dispatcher, LinkOptions options)
    : d(std::make_shared<Impl>())
{
    d->className = std::move(className);
    d->dispatch = std::move(dispatcher);
    d->options = std::move(options);
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        d->wakeRead = fds[0];
        d->wakeWrite = fds[1];
    }
}

LinkServer::~LinkServer()
{
    unpublish();
    if (d->thread.joinable()) {
        {
            std::lock_guard lock(d->mutex);
            d->stop = true;
        }
        d->wake();
        d->thread.join();
    }
}

bool LinkServer::publish(std::string *error)
{
    std::string why;
    auto fail = [&](std::string reason) {
        if (error)
            *error = std::move(reason);
        return false;
    };
    if (isPublished())
        return true;
    if (d->wakeRead < 0)
        return fail("cannot make a wake-up pipe");
    const std::string dir = runtimeDirPath(d->options);
    if (const std::string unsafe = ensurePrivateDir(dir); !unsafe.empty())
        return fail(unsafe);
    const std::string path = dir + "/" + socketFileName(d->className, ++g_serial);
    const int fd = io::listenAt(path, &why);
    if (fd < 0)
        return fail(why);
    {
        std::lock_guard lock(d->mutex);
        d->path = path;
        d->published = true;
        io::closeFd(d->newListenFd);
        d->newListenFd = fd;
        d->closeListener = false;
    }
    if (!d->thread.joinable())
        d->thread = std::thread([impl = d.get()] { impl->run(); });
    d->wake();
    return true;
}

void LinkServer::unpublish()
{
    {
        std::lock_guard lock(d->mutex);
        if (!d->published)
            return;
        // Unlinking first makes the window unfindable before any reply goes back.
        ::unlink(d->path.c_str());
        d->published = false;
        io::closeFd(d->newListenFd);
        d->newListenFd = -1;
        d->closeListener = true;
    }
    d->wake();
}

bool LinkServer::isPublished() const
{
    std::lock_guard lock(d->mutex);
    return d->published;
}

std::string LinkServer::socketPath() const
{
    std::lock_guard lock(d->mutex);
    return d->published ? d->path : std::string();
}

void LinkServer::setTitle(const std::string &title)
{
    bool tell = false;
    {
        std::lock_guard lock(d->mutex);
        if (d->title == title)
            return;
        d->title = title;
        tell = d->changed();
    }
    if (tell)
        d->wake();
}

std::uint32_t LinkServer::addChild(const std::string &className, const std::string &text)
{
    std::uint32_t number;
    {
        std::lock_guard lock(d->mutex);
        Child c;
        c.className = className;
        c.text = text;
        d->children.push_back(std::move(c));
        d->changed();
        number = static_cast<std::uint32_t>(d->children.size());
    }
    d->wake();
    return number;
}

void LinkServer::setChildText(std::uint32_t child, const std::string &text)
{
    bool tell = false;
    {
        std::lock_guard lock(d->mutex);
        if (child < 1 || child > d->children.size() || d->children[child - 1].text == text)
            return;
        d->children[child - 1].text = text;
        tell = d->changed();
    }
    if (tell)
        d->wake();
}

void LinkServer::setChildScroll(std::uint32_t child, int pos, int minPos, int maxPos)
{
    bool tell = false;
    {
        std::lock_guard lock(d->mutex);
        if (child < 1 || child > d->children.size())
            return;
        Child &c = d->children[child - 1];
        if (c.isScrollBar && c.pos == pos && c.minPos == minPos && c.maxPos == maxPos)
            return;
        c.isScrollBar = true;
        c.minPos = minPos;
        c.maxPos = maxPos;
        c.pos = pos;
        tell = d->changed();
    }
    if (tell)
        d->wake();
}

void LinkServer::setMessageHandler(MessageHandler handler)
{
    d->onMessage = std::move(handler);
}

void LinkServer::setForegroundHandler(ForegroundHandler handler)
{
    d->onForeground = std::move(handler);
}

} // namespace windowlink
