#pragma once
// One kept connection to a published window: asks and waits for the answer, and takes
// in what the window reports unasked (each change of its title or children) once it is
// watched, so that a read can be answered from the last report without asking.

#include "platform/windowlink/SocketIo.h"
#include "platform/windowlink/Wire.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

class QSocketNotifier;

namespace windowlink
{

class PeerConnection final
{
public:
    PeerConnection();
    ~PeerConnection();
    PeerConnection(const PeerConnection &) = delete;
    PeerConnection &operator=(const PeerConnection &) = delete;

    // Connects to the socket at path; a peer of another user than trustedUid is refused
    // (Failed). Any connection open before is closed first.
    io::ConnectResult open(const std::string &path, uid_t trustedUid);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // Open, and fit for the next question: the window has not closed it and no stray
    // answer waits. What the window reported meanwhile is taken in.
    bool usable();

    // Sends the request and waits until the deadline for its answer, taking in reports
    // on the way. Nothing when no answer came in time (*timedOut then true), the window
    // closed the connection or the answer was garbled; the connection is closed then.
    std::optional<wire::Reply> ask(const wire::Request &request, io::Clock::time_point deadline,
                                   bool *timedOut);

    // The window reports its changes from now on (after a Watch answer).
    void watchFrom(const wire::Reply &snapshot);
    bool isWatched() const { return m_report.has_value(); }
    // While watched, calls onReports from this thread's event loop as soon as reports
    // have come (they are taken in first), or the window has closed the connection.
    // Only for a thread with an event loop; empty: nobody is told.
    void setOnReports(std::function<void()> onReports);
    // The window's state as last reported or answered, and when that came.
    const wire::Reply &lastReport() const { return *m_report; }
    io::Clock::time_point reportedAt() const { return m_reportedAt; }

    // Connections open in this process, over all instances.
    static std::size_t openCount();

private:
    void readAvailable();
    std::optional<std::vector<std::uint8_t>> nextFrame();
    // Takes in the reports that have come; false when something else came.
    bool takeReports();
    // The window's state is now the one reported, as of now.
    void noteReport(wire::Reply report);
    // Reports wait on the socket: taken in, and whoever listens is told.
    void reportsArrived();
    void listenForReports();

    int m_fd = -1;
    std::vector<std::uint8_t> m_inbox;
    bool m_ended = false; // closed by the window, or broken
    std::optional<wire::Reply> m_report;
    io::Clock::time_point m_reportedAt{};
    std::function<void()> m_onReports;
    std::unique_ptr<QSocketNotifier> m_notifier; // while watched and listened to
};

} // namespace windowlink
