#pragma once
// The window link's wire format. Every message is a frame: a 4-byte little-endian
// payload length, then the payload, whose first byte is the operation. Strings are a
// 2-byte little-endian length and UTF-8 bytes. Decoding is pure and total: any byte
// sequence gives either a message or nothing.

#include "platform/windowlink/Win32.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace windowlink::wire
{

inline constexpr std::size_t kMaxPayload = 16 * 1024;
inline constexpr std::size_t kMaxString = 4096;

enum class Op : std::uint8_t {
    Describe = 1,   // -> class, title, pid
    FindChild = 2,  // after, class?, title? -> child
    GetText = 3,    // child -> ok, text
    GetScroll = 4,  // child, bar -> ok, pos, min, max
    Send = 5,       // child, message, wParam, lParam -> ok, result
    Foreground = 6, // -> ok
    Watch = 7,      // -> title, children (class, text, scroll bar); then Update frames
    Update = 8,     // (from the window only, unasked) title, children, after each change
};

// A child control as a Watch answer or an Update carries it.
struct Child {
    std::string className;
    std::string text;
    bool isScrollBar = false;
    std::int32_t pos = 0;
    std::int32_t minPos = 0;
    std::int32_t maxPos = 0;

    bool operator==(const Child &) const = default;
};

struct Request {
    Op op = Op::Describe;
    std::uint32_t child = 0;
    std::uint32_t after = 0;
    std::optional<std::string> className;
    std::optional<std::string> title;
    std::int32_t bar = 0;
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;

    bool operator==(const Request &) const = default;
};

struct Reply {
    Op op = Op::Describe;
    bool ok = false;
    std::string className;
    std::string text; // title for Describe
    std::uint32_t pid = 0;
    std::uint32_t child = 0;
    std::int32_t pos = 0;
    std::int32_t minPos = 0;
    std::int32_t maxPos = 0;
    std::int64_t result = 0;
    std::vector<Child> children; // Watch, Update: in order

    bool operator==(const Reply &) const = default;
};

// Payloads (without the length prefix). A Watch answer or an Update carries the
// children that fit within kMaxPayload, in order. Update is no request.
std::vector<std::uint8_t> encodeRequest(const Request &request);
std::vector<std::uint8_t> encodeReply(const Reply &reply);
std::optional<Request> decodeRequest(std::span<const std::uint8_t> payload);
std::optional<Reply> decodeReply(std::span<const std::uint8_t> payload);

// A payload with its length prefix.
std::vector<std::uint8_t> frame(const std::vector<std::uint8_t> &payload);

// Length of the payload announced by a frame's first 4 bytes, once they have arrived;
// nothing when fewer bytes are there. A length over kMaxPayload is a protocol error the
// caller must treat as a broken connection.
std::optional<std::size_t> announcedLength(std::span<const std::uint8_t> buffered);

// How many received bytes a peer may leave unread at once: more than a frame and a
// report are never owed. More is a broken connection.
inline constexpr std::size_t kMaxBuffered = 4 * (kMaxPayload + 4);

// Takes the first whole frame out of the received bytes and gives its payload; nothing
// while it has not all arrived, and nothing with *broken set when it announces more
// than kMaxPayload.
std::optional<std::vector<std::uint8_t>> takeFrame(std::vector<std::uint8_t> &buffered,
                                                   bool *broken);

} // namespace windowlink::wire
