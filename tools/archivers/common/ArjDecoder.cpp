#include "tools/archivers/common/ArjDecoder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <unistd.h>

namespace archivers::arj
{
namespace
{

constexpr size_t kInputChunk = 16 * 1024;
// Bytes the bit reader may take beyond the data (it looks 16 bits ahead); more means the
// data was cut short.
constexpr int kMaxOverrun = 4;

// The compressed bits, most significant first.
class BitReader final
{
public:
    explicit BitReader(ArjInput input) : m_input(std::move(input)) {}

    // The next 16 bits without taking them.
    unsigned peek16()
    {
        fill(16);
        return unsigned(m_bits >> (m_count - 16)) & 0xFFFFu;
    }
    void skip(int n)
    {
        fill(n);
        m_count -= n;
    }
    unsigned take(int n)
    {
        if (n == 0)
            return 0;
        fill(n);
        m_count -= n;
        return unsigned(m_bits >> m_count) & ((1u << n) - 1);
    }
    bool overrun() const { return m_overrun > kMaxOverrun; }

private:
    void fill(int n)
    {
        while (m_count < n) {
            int byte = m_input.next();
            if (byte < 0) {
                byte = 0;
                ++m_overrun;
            }
            m_bits = (m_bits << 8) | uint64_t(byte);
            m_count += 8;
        }
    }

    ArjInput m_input;
    uint64_t m_bits = 0;
    int m_count = 0;
    int m_overrun = 0;
};

class StoredDecoder final : public Decoder
{
public:
    StoredDecoder(ArjInput input, uint64_t size) : m_input(std::move(input)), m_left(size) {}

    bool read(unsigned char *out, size_t room, size_t &produced) override
    {
        const size_t want = size_t(std::min<uint64_t>(room, m_left));
        produced = m_input.read(out, want);
        m_left -= produced;
        return produced == want;
    }

private:
    ArjInput m_input;
    uint64_t m_left;
};

// What the LZ77 schemes make of their codes: a literal byte or a copy from earlier output.
struct Token {
    unsigned length = 0; // 0: a literal
    unsigned value = 0;  // the literal, or how far back the copy starts less one
};

// The sliding window shared by methods 1 to 4. The formats look back at most 26624 bytes;
// a window of 64 KiB takes every distance their codes can express without a range check.
class LzDecoder : public Decoder
{
public:
    explicit LzDecoder(uint64_t size) : m_left(size) {}

    bool read(unsigned char *out, size_t room, size_t &produced) override
    {
        produced = 0;
        while (produced < room && m_left > 0) {
            if (m_copyLeft == 0) {
                Token t;
                if (!nextToken(t))
                    return false;
                if (t.length == 0) {
                    put(uint8_t(t.value), out, produced);
                    continue;
                }
                m_copyLeft = t.length;
                m_from = (m_at - t.value - 1) & kWindowMask;
            }
            --m_copyLeft;
            put(m_window[m_from], out, produced);
            m_from = (m_from + 1) & kWindowMask;
        }
        return true;
    }

protected:
    virtual bool nextToken(Token &token) = 0;

private:
    static constexpr unsigned kWindowMask = 0xFFFF;

    void put(uint8_t byte, unsigned char *out, size_t &produced)
    {
        m_window[m_at] = byte;
        m_at = (m_at + 1) & kWindowMask;
        out[produced++] = byte;
        --m_left;
    }

    std::array<uint8_t, kWindowMask + 1> m_window{};
    unsigned m_at = 0;
    unsigned m_from = 0;
    unsigned m_copyLeft = 0;
    uint64_t m_left;
};

// Methods 1 to 3: blocks of literal/length and position codes, each block with its own
// canonical Huffman tables (the scheme of LHA's -lh6- and -lh7-).
class HuffmanDecoder final : public LzDecoder
{
public:
    HuffmanDecoder(ArjInput input, uint64_t size) : LzDecoder(size), m_bits(std::move(input)) {}

private:
    static constexpr int kThreshold = 3;
    static constexpr int kNc = 255 + 256 + 2 - kThreshold; // literals and lengths
    static constexpr int kNp = 17;                         // position bit counts
    static constexpr int kNt = 19;                         // code-length codes
    static constexpr int kNpt = kNt;
    static constexpr int kCBit = 9;
    static constexpr int kPBit = 5;
    static constexpr int kTBit = 5;
    static constexpr int kMaxCodeLength = 16;

    bool nextToken(Token &token) override
    {
        if (m_blockLeft == 0 && !readBlockHeader())
            return false;
        --m_blockLeft;
        const int c = decodeC();
        if (c < 256) {
            token = {0, unsigned(c)};
        } else {
            token.length = unsigned(c - (256 - kThreshold));
            token.value = decodeP();
        }
        return !m_bits.overrun();
    }

    bool readBlockHeader()
    {
        m_blockLeft = m_bits.take(16);
        return m_blockLeft > 0 && readPtLen(kNt, kTBit, 3) && readCLen() &&
               readPtLen(kNp, kPBit, -1) && !m_bits.overrun();
    }

    bool readPtLen(int nn, int nbit, int special)
    {
        const int n = int(m_bits.take(nbit));
        if (n == 0) {
            const unsigned c = m_bits.take(nbit);
            if (c >= unsigned(nn))
                return false;
            m_ptLen.fill(0);
            m_ptTable.fill(uint16_t(c));
            return true;
        }
        if (n > nn)
            return false;
        int i = 0;
        while (i < n) {
            int c = int(m_bits.peek16() >> 13);
            if (c == 7) {
                unsigned mask = 1u << 12;
                while ((mask & m_bits.peek16()) != 0) {
                    mask >>= 1;
                    ++c;
                }
                if (c > kMaxCodeLength)
                    return false;
            }
            m_bits.skip(c < 7 ? 3 : c - 3);
            m_ptLen[size_t(i++)] = uint8_t(c);
            if (i == special) {
                for (int zeros = int(m_bits.take(2)); zeros > 0 && i < nn; --zeros)
                    m_ptLen[size_t(i++)] = 0;
            }
        }
        std::fill(m_ptLen.begin() + i, m_ptLen.end(), 0);
        return makeTable(nn, m_ptLen.data(), 8, m_ptTable.data(), m_ptTable.size());
    }

    bool readCLen()
    {
        const int n = int(m_bits.take(kCBit));
        if (n == 0) {
            const unsigned c = m_bits.take(kCBit);
            if (c >= unsigned(kNc))
                return false;
            m_cLen.fill(0);
            m_cTable.fill(uint16_t(c));
            return true;
        }
        if (n > kNc)
            return false;
        int i = 0;
        while (i < n) {
            int c = walk(m_ptTable[m_bits.peek16() >> 8], kNt, 1u << 7);
            m_bits.skip(m_ptLen[size_t(c)]);
            if (c > 2) {
                m_cLen[size_t(i++)] = uint8_t(c - 2);
                continue;
            }
            int zeros = 1;
            if (c == 1)
                zeros = int(m_bits.take(4)) + 3;
            else if (c == 2)
                zeros = int(m_bits.take(kCBit)) + 20;
            if (i + zeros > kNc)
                return false;
            while (zeros-- > 0)
                m_cLen[size_t(i++)] = 0;
        }
        std::fill(m_cLen.begin() + i, m_cLen.end(), 0);
        return makeTable(kNc, m_cLen.data(), 12, m_cTable.data(), m_cTable.size());
    }

    int decodeC()
    {
        const int c = walk(m_cTable[m_bits.peek16() >> 4], kNc, 1u << 3);
        m_bits.skip(m_cLen[size_t(c)]);
        return c;
    }

    unsigned decodeP()
    {
        const int j = walk(m_ptTable[m_bits.peek16() >> 8], kNp, 1u << 7);
        m_bits.skip(m_ptLen[size_t(j)]);
        if (j == 0)
            return 0;
        return (1u << (j - 1)) + m_bits.take(j - 1);
    }

    // Follows the tree below a table entry for codes longer than the table's bits. Nodes are
    // numbered from `leaves` up and a child is always a leaf or a later node, so the walk ends.
    int walk(int j, int leaves, unsigned mask)
    {
        const unsigned bits = m_bits.peek16();
        while (j >= leaves) {
            j = (bits & mask) != 0 ? m_right[size_t(j)] : m_left[size_t(j)];
            mask >>= 1;
        }
        return j;
    }

    // Builds the lookup table (and the tree for longer codes) of canonical codes with the
    // given lengths; false when the lengths make no complete code.
    bool makeTable(int nchar, const uint8_t *bitLen, int tableBits, uint16_t *table,
                   size_t tableSize)
    {
        std::array<uint32_t, 17> count{};
        std::array<uint32_t, 18> start{};
        std::array<uint32_t, 17> weight{};
        for (int i = 0; i < nchar; ++i)
            ++count[bitLen[i]];
        for (int i = 1; i <= 16; ++i)
            start[size_t(i + 1)] = start[size_t(i)] + (count[size_t(i)] << (16 - i));
        if (start[17] != (1u << 16))
            return false;
        const int jutBits = 16 - tableBits;
        for (int i = 1; i <= tableBits; ++i) {
            start[size_t(i)] >>= jutBits;
            weight[size_t(i)] = 1u << (tableBits - i);
        }
        for (int i = tableBits + 1; i <= 16; ++i)
            weight[size_t(i)] = 1u << (16 - i);
        for (size_t i = start[size_t(tableBits + 1)] >> jutBits; i < tableSize; ++i)
            table[i] = 0;
        unsigned avail = unsigned(nchar);
        const unsigned mask = 1u << (15 - tableBits);
        for (int ch = 0; ch < nchar; ++ch) {
            const int len = bitLen[ch];
            if (len == 0)
                continue;
            const uint32_t nextCode = start[size_t(len)] + weight[size_t(len)];
            if (len <= tableBits) {
                for (uint32_t i = start[size_t(len)]; i < nextCode; ++i)
                    table[i] = uint16_t(ch);
            } else {
                uint32_t k = start[size_t(len)];
                uint16_t *p = &table[k >> jutBits];
                for (int i = len - tableBits; i > 0; --i) {
                    if (*p == 0) {
                        if (avail >= m_left.size())
                            return false;
                        m_left[avail] = m_right[avail] = 0;
                        *p = uint16_t(avail++);
                    }
                    p = (k & mask) != 0 ? &m_right[*p] : &m_left[*p];
                    k <<= 1;
                }
                *p = uint16_t(ch);
            }
            start[size_t(len)] = nextCode;
        }
        return true;
    }

    BitReader m_bits;
    unsigned m_blockLeft = 0;
    std::array<uint8_t, kNc> m_cLen{};
    std::array<uint8_t, kNpt> m_ptLen{};
    std::array<uint16_t, 4096> m_cTable{};
    std::array<uint16_t, 256> m_ptTable{};
    std::array<uint16_t, 2 * kNc - 1> m_left{};
    std::array<uint16_t, 2 * kNc - 1> m_right{};
};

// Method 4: a literal is a 0 bit and eight bits; a copy's length and position are each a run
// of 1 bits (ended by a 0 or by its longest form) that chooses how many bits follow.
class FastestDecoder final : public LzDecoder
{
public:
    FastestDecoder(ArjInput input, uint64_t size) : LzDecoder(size), m_bits(std::move(input)) {}

private:
    bool nextToken(Token &token) override
    {
        const unsigned c = unary(0, 7);
        if (c == 0)
            token = {0, m_bits.take(8)};
        else
            token = {c - 1 + 3, unary(9, 13)};
        return !m_bits.overrun();
    }

    unsigned unary(int first, int last)
    {
        unsigned plus = 0;
        unsigned power = 1u << first;
        int width = first;
        for (; width < last; ++width) {
            if (m_bits.take(1) == 0)
                break;
            plus += power;
            power <<= 1;
        }
        return plus + m_bits.take(width);
    }

    BitReader m_bits;
};

} // namespace

size_t ArjInput::read(unsigned char *out, size_t room)
{
    size_t done = 0;
    while (done < room) {
        if (m_at == m_buffer.size() && !refill())
            break;
        const size_t n = std::min(room - done, m_buffer.size() - m_at);
        std::copy_n(m_buffer.begin() + ptrdiff_t(m_at), n, out + done);
        m_at += n;
        done += n;
    }
    return done;
}

bool ArjInput::refill()
{
    if (m_left == 0)
        return false;
    m_buffer.resize(size_t(std::min<uint64_t>(m_left, kInputChunk)));
    ssize_t n = 0;
    do {
        n = ::pread(m_fd, m_buffer.data(), m_buffer.size(), off_t(m_offset));
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        m_buffer.clear();
        m_left = 0;
        m_at = 0;
        return false;
    }
    m_buffer.resize(size_t(n));
    m_offset += uint64_t(n);
    m_left -= uint64_t(n);
    m_at = 0;
    return true;
}

std::unique_ptr<Decoder> makeDecoder(uint8_t method, ArjInput input, uint64_t originalSize)
{
    switch (method) {
    case 0:
        return std::make_unique<StoredDecoder>(std::move(input), originalSize);
    case 1:
    case 2:
    case 3:
        return std::make_unique<HuffmanDecoder>(std::move(input), originalSize);
    case 4:
        return std::make_unique<FastestDecoder>(std::move(input), originalSize);
    default:
        return nullptr;
    }
}

} // namespace archivers::arj
