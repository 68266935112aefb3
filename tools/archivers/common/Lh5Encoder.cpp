#include "tools/archivers/common/Lh5Encoder.h"

#include <algorithm>
#include <array>
#include <functional>
#include <queue>

namespace archivers
{
namespace
{

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kLiteralsAndLengths = 256 + kMaxMatch - kMinMatch + 1; // 510
constexpr int kLengthCodes = 19; // the code lengths of the literal tree: 0-2 runs, 3-18 = 1-16
constexpr int kLengthCodeBits = 5;
constexpr int kLiteralCountBits = 9;
constexpr int kMaxCodeBits = 16;
constexpr size_t kTokensPerBlock = 32768;
constexpr int kHashBits = 15;
constexpr int kMaxChain = 96;

// Bits go out most significant first.
class BitWriter final
{
public:
    explicit BitWriter(std::vector<std::uint8_t> &out) : m_out(out) {}

    void put(int bits, unsigned value)
    {
        for (int i = bits - 1; i >= 0; --i) {
            m_acc = std::uint8_t((m_acc << 1) | ((value >> i) & 1));
            if (++m_count == 8) {
                m_out.push_back(m_acc);
                m_acc = 0;
                m_count = 0;
            }
        }
    }

    void flush()
    {
        if (m_count > 0)
            m_out.push_back(std::uint8_t(m_acc << (8 - m_count)));
        m_acc = 0;
        m_count = 0;
    }

private:
    std::vector<std::uint8_t> &m_out;
    std::uint8_t m_acc = 0;
    int m_count = 0;
};

// Code lengths and canonical codes of one Huffman tree.
struct Tree {
    std::vector<std::uint8_t> lengths;
    std::vector<std::uint16_t> codes;
    int used = 0;   // symbols of non-zero frequency
    int single = 0; // the symbol when `used` is at most 1

    void put(BitWriter &w, int symbol) const
    {
        w.put(lengths[size_t(symbol)], codes[size_t(symbol)]);
    }
};

// Depths of a Huffman tree over the used symbols, longest at most kMaxCodeBits: lengths that
// are too long are cut and the code is made complete again by lengthening shorter ones.
void assignLengths(const std::vector<std::uint32_t> &freq, Tree &tree)
{
    struct Node {
        std::uint64_t weight;
        int index;
    };
    const auto heavier = [](const Node &a, const Node &b) {
        return a.weight != b.weight ? a.weight > b.weight : a.index > b.index;
    };
    std::priority_queue<Node, std::vector<Node>, decltype(heavier)> heap(heavier);
    std::vector<int> parent;
    std::vector<int> symbols;
    for (size_t s = 0; s < freq.size(); ++s) {
        if (freq[s] == 0)
            continue;
        heap.push({freq[s], int(parent.size())});
        parent.push_back(-1);
        symbols.push_back(int(s));
    }
    while (heap.size() > 1) {
        const Node a = heap.top();
        heap.pop();
        const Node b = heap.top();
        heap.pop();
        const int joined = int(parent.size());
        parent.push_back(-1);
        parent[size_t(a.index)] = joined;
        parent[size_t(b.index)] = joined;
        heap.push({a.weight + b.weight, joined});
    }
    std::array<int, kMaxCodeBits + 1> count{};
    for (size_t leaf = 0; leaf < symbols.size(); ++leaf) {
        int depth = 0;
        for (int n = int(leaf); parent[size_t(n)] >= 0; n = parent[size_t(n)])
            ++depth;
        ++count[size_t(std::min(depth, kMaxCodeBits))];
    }
    std::uint32_t kraft = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len)
        kraft += std::uint32_t(count[size_t(len)]) << (kMaxCodeBits - len);
    while (kraft > (1u << kMaxCodeBits)) {
        --count[kMaxCodeBits];
        for (int len = kMaxCodeBits - 1; len > 0; --len) {
            if (count[size_t(len)] != 0) {
                --count[size_t(len)];
                count[size_t(len + 1)] += 2;
                break;
            }
        }
        --kraft;
    }
    // The most frequent symbols get the shortest codes.
    std::stable_sort(symbols.begin(), symbols.end(),
                     [&](int a, int b) { return freq[size_t(a)] > freq[size_t(b)]; });
    size_t next = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        for (int k = 0; k < count[size_t(len)]; ++k)
            tree.lengths[size_t(symbols[next++])] = std::uint8_t(len);
    }
}

Tree makeTree(const std::vector<std::uint32_t> &freq)
{
    Tree tree;
    tree.lengths.assign(freq.size(), 0);
    tree.codes.assign(freq.size(), 0);
    for (size_t s = 0; s < freq.size(); ++s) {
        if (freq[s] != 0) {
            ++tree.used;
            tree.single = int(s);
        }
    }
    if (tree.used < 2)
        return tree;
    assignLengths(freq, tree);
    std::array<unsigned, kMaxCodeBits + 2> start{};
    std::array<unsigned, kMaxCodeBits + 1> count{};
    for (const std::uint8_t len : tree.lengths)
        ++count[len];
    count[0] = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len)
        start[size_t(len + 1)] = (start[size_t(len)] + count[size_t(len)]) << 1;
    for (size_t s = 0; s < freq.size(); ++s) {
        if (tree.lengths[s] != 0)
            tree.codes[s] = std::uint16_t(start[tree.lengths[s]]++);
    }
    return tree;
}

struct Token {
    std::uint16_t code;     // literal byte, or 256 + length - 3
    std::uint16_t distance; // a match's distance - 1
};

int bitLength(unsigned value)
{
    int bits = 0;
    while (value != 0) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

class BlockWriter final
{
public:
    BlockWriter(BitWriter &w, int positionCodes)
        : m_w(w), m_positionCodes(positionCodes),
          m_positionBits(positionCodes > 14 ? 5 : 4) // 14 codes for lh5, 16 and 17 beyond
    {
    }

    void write(const std::vector<Token> &tokens)
    {
        std::vector<std::uint32_t> literalFreq(kLiteralsAndLengths, 0);
        std::vector<std::uint32_t> positionFreq(size_t(m_positionCodes), 0);
        for (const Token &t : tokens) {
            ++literalFreq[t.code];
            if (t.code >= 256)
                ++positionFreq[size_t(bitLength(t.distance))];
        }
        const Tree literals = makeTree(literalFreq);
        const Tree positions = makeTree(positionFreq);
        m_w.put(16, unsigned(tokens.size()));
        writeLiteralTree(literals);
        writeSmallTree(positions, m_positionBits, -1);
        for (const Token &t : tokens) {
            literals.put(m_w, t.code);
            if (t.code < 256)
                continue;
            const int bits = bitLength(t.distance);
            positions.put(m_w, bits);
            if (bits > 1)
                m_w.put(bits - 1, t.distance & ((1u << (bits - 1)) - 1));
        }
    }

private:
    // A tree of at most 19 symbols: the count, then each length in 3 bits, 7 and more as
    // 7 plus a unary rest; after the third, with `special`, a 2-bit run of zero lengths.
    void writeSmallTree(const Tree &tree, int countBits, int special)
    {
        if (tree.used < 2) {
            m_w.put(countBits, 0);
            m_w.put(countBits, unsigned(tree.single));
            return;
        }
        int n = int(tree.lengths.size());
        while (n > 0 && tree.lengths[size_t(n - 1)] == 0)
            --n;
        m_w.put(countBits, unsigned(n));
        int i = 0;
        while (i < n) {
            const int len = tree.lengths[size_t(i++)];
            if (len <= 6)
                m_w.put(3, unsigned(len));
            else
                m_w.put(len - 3, (1u << (len - 3)) - 2);
            if (i == special) {
                while (i < 6 && tree.lengths[size_t(i)] == 0)
                    ++i;
                m_w.put(2, unsigned(i - 3) & 3);
            }
        }
    }

    // The literal tree's lengths, coded with a tree of their own (runs of zeros shortened).
    void writeLiteralTree(const Tree &literals)
    {
        if (literals.used < 2) {
            m_w.put(kLengthCodeBits, 0);
            m_w.put(kLengthCodeBits, 0);
            m_w.put(kLiteralCountBits, 0);
            m_w.put(kLiteralCountBits, unsigned(literals.single));
            return;
        }
        int n = kLiteralsAndLengths;
        while (n > 0 && literals.lengths[size_t(n - 1)] == 0)
            --n;
        std::vector<std::pair<int, int>> items; // length code, extra value
        for (int i = 0; i < n;) {
            const int len = literals.lengths[size_t(i++)];
            if (len != 0) {
                items.push_back({len + 2, -1});
                continue;
            }
            int run = 1;
            while (i < n && literals.lengths[size_t(i)] == 0) {
                ++i;
                ++run;
            }
            if (run <= 2) {
                for (int k = 0; k < run; ++k)
                    items.push_back({0, -1});
            } else if (run <= 18) {
                items.push_back({1, run - 3});
            } else if (run == 19) {
                items.push_back({0, -1});
                items.push_back({1, 15});
            } else {
                items.push_back({2, run - 20});
            }
        }
        std::vector<std::uint32_t> freq(kLengthCodes, 0);
        for (const auto &item : items)
            ++freq[size_t(item.first)];
        const Tree lengthTree = makeTree(freq);
        writeSmallTree(lengthTree, kLengthCodeBits, 3);
        m_w.put(kLiteralCountBits, unsigned(n));
        for (const auto &[code, extra] : items) {
            lengthTree.put(m_w, code);
            if (code == 1)
                m_w.put(4, unsigned(extra));
            else if (code == 2)
                m_w.put(kLiteralCountBits, unsigned(extra));
        }
    }

    BitWriter &m_w;
    int m_positionCodes;
    int m_positionBits;
};

// Longest earlier match through hash chains over the window.
class Matcher final
{
public:
    Matcher(std::span<const std::uint8_t> data, int dictionaryBits)
        : m_data(data), m_window(1u << dictionaryBits), m_head(1u << kHashBits, -1),
          m_prev(m_window, -1)
    {
    }

    void insert(size_t pos)
    {
        if (pos + kMinMatch > m_data.size())
            return;
        const unsigned h = hash(pos);
        m_prev[pos & (m_window - 1)] = m_head[h];
        m_head[h] = int32_t(pos);
    }

    // Length and distance - 1 of the longest match at `pos` (length 0 when none).
    std::pair<int, unsigned> longest(size_t pos) const
    {
        const size_t limit = std::min<size_t>(kMaxMatch, m_data.size() - pos);
        if (limit < size_t(kMinMatch))
            return {0, 0};
        int best = 0;
        unsigned bestDistance = 0;
        int32_t candidate = m_head[hash(pos)];
        for (int chain = 0; candidate >= 0 && chain < kMaxChain; ++chain) {
            const size_t c = size_t(candidate);
            // Distances up to the window less one: a reader's ring of the window's size
            // still holds that byte.
            if (c >= pos || pos - c >= m_window)
                break;
            if (m_data[c + size_t(best)] == m_data[pos + size_t(best)]) {
                size_t len = 0;
                while (len < limit && m_data[c + len] == m_data[pos + len])
                    ++len;
                if (int(len) > best) {
                    best = int(len);
                    bestDistance = unsigned(pos - c - 1);
                    if (len == limit)
                        break;
                }
            }
            const int32_t next = m_prev[c & (m_window - 1)];
            if (next >= candidate)
                break;
            candidate = next;
        }
        return best >= kMinMatch ? std::pair{best, bestDistance} : std::pair{0, 0u};
    }

private:
    unsigned hash(size_t pos) const
    {
        return ((unsigned(m_data[pos]) << 10) ^ (unsigned(m_data[pos + 1]) << 5) ^
                m_data[pos + 2]) &
               ((1u << kHashBits) - 1);
    }

    std::span<const std::uint8_t> m_data;
    size_t m_window;
    std::vector<int32_t> m_head;
    std::vector<int32_t> m_prev;
};

} // namespace

std::vector<std::uint8_t> lhEncode(std::span<const std::uint8_t> data, int dictionaryBits)
{
    std::vector<std::uint8_t> out;
    BitWriter bits(out);
    BlockWriter blocks(bits, dictionaryBits + 1);
    Matcher matcher(data, dictionaryBits);
    std::vector<Token> tokens;
    tokens.reserve(kTokensPerBlock);
    size_t pos = 0;
    std::pair<int, unsigned> match = matcher.longest(0);
    while (pos < data.size()) {
        matcher.insert(pos);
        std::pair<int, unsigned> next{0, 0};
        if (match.first > 0 && match.first < kMaxMatch && pos + 1 < data.size())
            next = matcher.longest(pos + 1);
        if (match.first == 0 || next.first > match.first) {
            // A literal, also when the next byte starts a longer match (lazy matching).
            tokens.push_back({data[pos], 0});
            ++pos;
            match = next.first > 0 ? next : matcher.longest(pos);
        } else {
            tokens.push_back(
                {std::uint16_t(256 + match.first - kMinMatch), std::uint16_t(match.second)});
            for (size_t k = 1; k < size_t(match.first); ++k)
                matcher.insert(pos + k);
            pos += size_t(match.first);
            match = pos < data.size() ? matcher.longest(pos) : std::pair{0, 0u};
        }
        if (tokens.size() == kTokensPerBlock) {
            blocks.write(tokens);
            tokens.clear();
        }
    }
    if (!tokens.empty())
        blocks.write(tokens);
    bits.flush();
    return out;
}

} // namespace archivers
