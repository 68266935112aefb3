#include "platform/windowlink/Wire.h"

namespace windowlink::wire
{
namespace
{

class Writer
{
public:
    void u8(std::uint8_t v) { m_bytes.push_back(v); }
    void u16(std::uint16_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void str(const std::string &s)
    {
        const std::size_t n = std::min(s.size(), kMaxString);
        u16(static_cast<std::uint16_t>(n));
        m_bytes.insert(m_bytes.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    void optStr(const std::optional<std::string> &s)
    {
        u8(s ? 1 : 0);
        if (s)
            str(*s);
    }
    std::size_t size() const { return m_bytes.size(); }
    void truncate(std::size_t n) { m_bytes.resize(n); }
    void patch16(std::size_t at, std::uint16_t v)
    {
        m_bytes[at] = static_cast<std::uint8_t>(v);
        m_bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }

private:
    void put(std::uint64_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> m_bytes;
};

// Reads fields in order; once a read runs past the end every later read fails too.
class Reader
{
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    bool u8(std::uint8_t &v) { return integer(v); }
    bool u16(std::uint16_t &v) { return integer(v); }
    bool u32(std::uint32_t &v) { return integer(v); }
    bool i32(std::int32_t &v) { return integer(v); }
    bool u64(std::uint64_t &v) { return integer(v); }
    bool i64(std::int64_t &v) { return integer(v); }
    bool flag(bool &v)
    {
        std::uint8_t x;
        if (!u8(x) || x > 1)
            return false;
        v = x == 1;
        return true;
    }
    bool str(std::string &s)
    {
        std::uint64_t n;
        if (!get(n, 2) || n > kMaxString || n > m_bytes.size() - m_pos)
            return false;
        s.assign(reinterpret_cast<const char *>(m_bytes.data() + m_pos), n);
        m_pos += n;
        return true;
    }
    bool optStr(std::optional<std::string> &s)
    {
        bool present;
        if (!flag(present))
            return false;
        if (!present) {
            s.reset();
            return true;
        }
        std::string v;
        if (!str(v))
            return false;
        s = std::move(v);
        return true;
    }
    bool atEnd() const { return m_pos == m_bytes.size(); }

private:
    // A little-endian integer of T's size; a signed one travels as its two's
    // complement.
    template <typename T> bool integer(T &v)
    {
        std::uint64_t x;
        if (!get(x, sizeof(T)))
            return false;
        v = static_cast<T>(x);
        return true;
    }
    bool get(std::uint64_t &v, std::size_t n)
    {
        if (n > m_bytes.size() - m_pos)
            return false;
        v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v |= std::uint64_t(m_bytes[m_pos + i]) << (8 * i);
        m_pos += n;
        return true;
    }
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

bool validOp(std::uint8_t op)
{
    return op >= static_cast<std::uint8_t>(Op::Describe) &&
           op <= static_cast<std::uint8_t>(Op::Update);
}

void writeChild(Writer &w, const Child &c)
{
    w.str(c.className);
    w.str(c.text);
    w.u8(c.isScrollBar);
    w.u32(static_cast<std::uint32_t>(c.pos));
    w.u32(static_cast<std::uint32_t>(c.minPos));
    w.u32(static_cast<std::uint32_t>(c.maxPos));
}

bool readChild(Reader &rd, Child &c)
{
    return rd.str(c.className) && rd.str(c.text) && rd.flag(c.isScrollBar) && rd.i32(c.pos) &&
           rd.i32(c.minPos) && rd.i32(c.maxPos);
}

// The title and as many children as fit within kMaxPayload, in order.
void writeSnapshot(Writer &w, const Reply &r)
{
    w.str(r.text);
    const std::size_t countAt = w.size();
    w.u16(0);
    std::uint16_t count = 0;
    for (const Child &c : r.children) {
        if (count == 0xFFFF)
            break;
        const std::size_t before = w.size();
        writeChild(w, c);
        if (w.size() > kMaxPayload) {
            w.truncate(before);
            break;
        }
        ++count;
    }
    w.patch16(countAt, count);
}

bool readSnapshot(Reader &rd, Reply &r)
{
    std::uint16_t count;
    if (!rd.str(r.text) || !rd.u16(count))
        return false;
    for (std::uint16_t i = 0; i < count; ++i) {
        Child c;
        if (!readChild(rd, c))
            return false;
        r.children.push_back(std::move(c));
    }
    return true;
}

// The fields of a request after its operation.
bool readRequestFields(Reader &rd, Request &r)
{
    bool ok = true;
    switch (r.op) {
    case Op::Describe:
    case Op::Foreground:
    case Op::Watch:
    case Op::Update:
        break;
    case Op::FindChild:
        ok = rd.u32(r.after) && rd.optStr(r.className) && rd.optStr(r.title);
        break;
    case Op::GetText:
        ok = rd.u32(r.child);
        break;
    case Op::GetScroll:
        ok = rd.u32(r.child) && rd.i32(r.bar);
        break;
    case Op::Send:
        ok = rd.u32(r.child) && rd.u32(r.message) && rd.u64(r.wParam) && rd.i64(r.lParam);
        break;
    }
    return ok;
}

// The fields of a reply after its operation.
bool readReplyFields(Reader &rd, Reply &r)
{
    bool ok = true;
    switch (r.op) {
    case Op::Describe:
        ok = rd.str(r.className) && rd.str(r.text) && rd.u32(r.pid);
        r.ok = ok;
        break;
    case Op::FindChild:
        ok = rd.u32(r.child);
        r.ok = r.child != 0;
        break;
    case Op::GetText:
        ok = rd.flag(r.ok) && rd.str(r.text);
        break;
    case Op::GetScroll:
        ok = rd.flag(r.ok) && rd.i32(r.pos) && rd.i32(r.minPos) && rd.i32(r.maxPos);
        break;
    case Op::Send:
        ok = rd.flag(r.ok) && rd.i64(r.result);
        break;
    case Op::Foreground:
        ok = rd.flag(r.ok);
        break;
    case Op::Watch:
    case Op::Update:
        ok = readSnapshot(rd, r);
        r.ok = ok;
        break;
    }
    return ok;
}

// A request or reply: a known operation (an update only where updateAllowed),
// its fields as readFields reads them, and nothing after them.
template <typename Message>
std::optional<Message> decodeMessage(std::span<const std::uint8_t> payload, bool updateAllowed,
                                     bool (*readFields)(Reader &, Message &))
{
    if (payload.size() > kMaxPayload)
        return std::nullopt;
    Reader rd(payload);
    std::uint8_t op;
    if (!rd.u8(op) || !validOp(op) ||
        (!updateAllowed && op == static_cast<std::uint8_t>(Op::Update)))
        return std::nullopt;
    Message m;
    m.op = static_cast<Op>(op);
    if (!readFields(rd, m) || !rd.atEnd())
        return std::nullopt;
    return m;
}

} // namespace

std::vector<std::uint8_t> encodeRequest(const Request &r)
{
    Writer w;
    w.u8(static_cast<std::uint8_t>(r.op));
    switch (r.op) {
    case Op::Describe:
    case Op::Foreground:
    case Op::Watch:
    case Op::Update:
        break;
    case Op::FindChild:
        w.u32(r.after);
        w.optStr(r.className);
        w.optStr(r.title);
        break;
    case Op::GetText:
        w.u32(r.child);
        break;
    case Op::GetScroll:
        w.u32(r.child);
        w.u32(static_cast<std::uint32_t>(r.bar));
        break;
    case Op::Send:
        w.u32(r.child);
        w.u32(r.message);
        w.u64(r.wParam);
        w.u64(static_cast<std::uint64_t>(r.lParam));
        break;
    }
    return w.take();
}

std::optional<Request> decodeRequest(std::span<const std::uint8_t> payload)
{
    // Updates only ever go from the window to its watcher.
    return decodeMessage<Request>(payload, false, readRequestFields);
}

std::vector<std::uint8_t> encodeReply(const Reply &r)
{
    Writer w;
    w.u8(static_cast<std::uint8_t>(r.op));
    switch (r.op) {
    case Op::Describe:
        w.str(r.className);
        w.str(r.text);
        w.u32(r.pid);
        break;
    case Op::FindChild:
        w.u32(r.child);
        break;
    case Op::GetText:
        w.u8(r.ok);
        w.str(r.text);
        break;
    case Op::GetScroll:
        w.u8(r.ok);
        w.u32(static_cast<std::uint32_t>(r.pos));
        w.u32(static_cast<std::uint32_t>(r.minPos));
        w.u32(static_cast<std::uint32_t>(r.maxPos));
        break;
    case Op::Send:
        w.u8(r.ok);
        w.u64(static_cast<std::uint64_t>(r.result));
        break;
    case Op::Foreground:
        w.u8(r.ok);
        break;
    case Op::Watch:
    case Op::Update:
        writeSnapshot(w, r);
        break;
    }
    return w.take();
}

std::optional<Reply> decodeReply(std::span<const std::uint8_t> payload)
{
    return decodeMessage<Reply>(payload, true, readReplyFields);
}

std::vector<std::uint8_t> frame(const std::vector<std::uint8_t> &payload)
{
    std::vector<std::uint8_t> out;
    out.reserve(payload.size() + 4);
    const auto n = static_cast<std::uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::optional<std::size_t> announcedLength(std::span<const std::uint8_t> buffered)
{
    if (buffered.size() < 4)
        return std::nullopt;
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= std::uint32_t(buffered[i]) << (8 * i);
    return n;
}

std::optional<std::vector<std::uint8_t>> takeFrame(std::vector<std::uint8_t> &buffered,
                                                   bool *broken)
{
    const auto length = announcedLength(buffered);
    if (!length)
        return std::nullopt;
    if (*length > kMaxPayload) {
        *broken = true;
        return std::nullopt;
    }
    if (buffered.size() < 4 + *length)
        return std::nullopt;
    const auto end = buffered.begin() + 4 + static_cast<std::ptrdiff_t>(*length);
    std::vector<std::uint8_t> payload(buffered.begin() + 4, end);
    buffered.erase(buffered.begin(), end);
    return payload;
}

} // namespace windowlink::wire
