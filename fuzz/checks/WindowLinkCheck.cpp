#include "fuzz/checks/WindowLinkCheck.h"

#include "platform/windowlink/SocketIo.h"
#include "platform/windowlink/Wire.h"

#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace fuzzcheck
{

namespace wire = windowlink::wire;

namespace
{

std::string payloadProblem(std::span<const std::uint8_t> payload)
{
    const std::vector<std::uint8_t> bytes(payload.begin(), payload.end());
    if (const auto request = wire::decodeRequest(payload)) {
        if (wire::encodeRequest(*request) != bytes)
            return "a decoded request does not encode to the same bytes";
        if (wire::decodeRequest(wire::encodeRequest(*request)) != request)
            return "a request does not survive encoding";
    }
    if (const auto reply = wire::decodeReply(payload)) {
        if (wire::encodeReply(*reply) != bytes)
            return "a decoded reply does not encode to the same bytes";
        if (wire::decodeReply(wire::encodeReply(*reply)) != reply)
            return "a reply does not survive encoding";
    }
    if (payload.size() > wire::kMaxPayload &&
        (wire::decodeRequest(payload) || wire::decodeReply(payload)))
        return "an oversized payload was decoded";
    return {};
}

// The frames a byte stream holds, up to the first incomplete or oversized one.
std::vector<std::vector<std::uint8_t>> referenceFrames(std::span<const std::uint8_t> stream)
{
    std::vector<std::vector<std::uint8_t>> frames;
    std::size_t pos = 0;
    while (stream.size() - pos >= 4) {
        const std::uint32_t n = std::uint32_t(stream[pos]) | std::uint32_t(stream[pos + 1]) << 8 |
                                std::uint32_t(stream[pos + 2]) << 16 |
                                std::uint32_t(stream[pos + 3]) << 24;
        if (n > wire::kMaxPayload || stream.size() - pos - 4 < n)
            break;
        frames.emplace_back(stream.begin() + std::ptrdiff_t(pos + 4),
                            stream.begin() + std::ptrdiff_t(pos + 4 + n));
        pos += 4 + n;
    }
    return frames;
}

std::string streamProblem(std::span<const std::uint8_t> stream)
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return "no socket pair";
    // Small inputs fit the socket buffer, so the whole stream is written before reading.
    std::size_t sent = 0;
    while (sent < stream.size()) {
        const ssize_t n = ::send(fds[1], stream.data() + sent, stream.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += std::size_t(n);
    }
    ::shutdown(fds[1], SHUT_WR);
    const auto expected = referenceFrames(stream.first(sent));
    std::string problem;
    const auto deadline = windowlink::io::Clock::now() + std::chrono::seconds(5);
    for (std::size_t i = 0;; ++i) {
        const auto frame = windowlink::io::recvFrame(fds[0], deadline);
        if (!frame) {
            if (i != expected.size())
                problem = "the frame reader stopped after " + std::to_string(i) +
                          " frames, expected " + std::to_string(expected.size());
            break;
        }
        if (i >= expected.size() || *frame != expected[i]) {
            problem = "frame " + std::to_string(i) + " read wrongly";
            break;
        }
        if (std::string p = payloadProblem(*frame); !p.empty()) {
            problem = p;
            break;
        }
    }
    ::close(fds[0]);
    ::close(fds[1]);
    return problem;
}

} // namespace

std::string checkWindowLink(std::span<const std::uint8_t> data)
{
    if (std::string p = payloadProblem(data); !p.empty())
        return p;
    if (data.size() >= 4) {
        const auto n = wire::announcedLength(data);
        if (!n || *n != (std::size_t(data[0]) | std::size_t(data[1]) << 8 |
                         std::size_t(data[2]) << 16 | std::size_t(data[3]) << 24))
            return "announced length read wrongly";
    } else if (wire::announcedLength(data)) {
        return "a length announced by fewer than 4 bytes";
    }
    return streamProblem(data);
}

} // namespace fuzzcheck
