#include "platform/windowlink/PeerConnection.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <sys/socket.h>

namespace windowlink
{

namespace
{

std::atomic<std::size_t> g_open{0};

} // namespace

PeerConnection::PeerConnection() = default;

PeerConnection::~PeerConnection()
{
    close();
}

io::ConnectResult PeerConnection::open(const std::string &path, uid_t trustedUid)
{
    close();
    io::ConnectResult result;
    const int fd = io::connectTo(path, &result);
    if (fd < 0)
        return result;
    if (io::peerUid(fd) != trustedUid) {
        io::closeFd(fd);
        return io::ConnectResult::Failed;
    }
    m_fd = fd;
    ++g_open;
    return io::ConnectResult::Connected;
}

void PeerConnection::close()
{
    if (m_fd < 0)
        return;
    // The notifier goes before its descriptor does.
    m_notifier.reset();
    io::closeFd(m_fd);
    m_fd = -1;
    --g_open;
    m_inbox.clear();
    m_ended = false;
    m_report.reset();
}

std::size_t PeerConnection::openCount()
{
    return g_open.load();
}

void PeerConnection::readAvailable()
{
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            m_inbox.insert(m_inbox.end(), buffer, buffer + n);
            if (m_inbox.size() > wire::kMaxBuffered)
                m_ended = true;
            if (m_ended)
                return;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            m_ended = true;
        return;
    }
}

std::optional<std::vector<std::uint8_t>> PeerConnection::nextFrame()
{
    return wire::takeFrame(m_inbox, &m_ended);
}

bool PeerConnection::takeReports()
{
    while (const auto payload = nextFrame()) {
        auto report = wire::decodeReply(*payload);
        // Only reports come unasked, and only to a watcher.
        if (!report || report->op != wire::Op::Update || !m_report)
            return false;
        noteReport(std::move(*report));
    }
    return true;
}

bool PeerConnection::usable()
{
    if (m_fd < 0)
        return false;
    if (!m_report)
        return !io::unusable(m_fd);
    readAvailable();
    return takeReports() && !m_ended;
}

std::optional<wire::Reply> PeerConnection::ask(const wire::Request &request,
                                               io::Clock::time_point deadline, bool *timedOut)
{
    *timedOut = false;
    std::optional<wire::Reply> answer;
    if (io::sendAll(m_fd, wire::frame(wire::encodeRequest(request)), deadline)) {
        for (;;) {
            if (const auto payload = nextFrame()) {
                answer = wire::decodeReply(*payload);
                if (answer && answer->op == wire::Op::Update && m_report) {
                    noteReport(std::move(*answer));
                    answer.reset();
                    continue;
                }
                break;
            }
            if (m_ended)
                break;
            if (!io::waitReadable(m_fd, deadline)) {
                *timedOut = true;
                break;
            }
            readAvailable();
        }
    } else {
        *timedOut = io::Clock::now() >= deadline;
    }
    // A late or garbled answer would be taken for the next question's: start afresh.
    if (!answer || answer->op != request.op) {
        close();
        return std::nullopt;
    }
    return answer;
}

void PeerConnection::watchFrom(const wire::Reply &snapshot)
{
    noteReport(snapshot);
    m_report->op = wire::Op::Update;
    listenForReports();
}

void PeerConnection::setOnReports(std::function<void()> onReports)
{
    m_onReports = std::move(onReports);
    listenForReports();
}

void PeerConnection::listenForReports()
{
    if (!m_onReports || !m_report || m_fd < 0) {
        m_notifier.reset();
        return;
    }
    if (m_notifier)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { reportsArrived(); });
}

void PeerConnection::reportsArrived()
{
    // Whatever came is read now, so the notifier does not fire again for it; a
    // connection that has ended (or holds something other than reports) is told
    // once and heard no more.
    if (!usable())
        m_notifier->setEnabled(false);
    if (m_onReports)
        m_onReports();
}

void PeerConnection::noteReport(wire::Reply report)
{
    m_report = std::move(report);
    m_reportedAt = io::Clock::now();
}

} // namespace windowlink
