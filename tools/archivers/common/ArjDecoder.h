#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace archivers::arj
{

// The compressed bytes of one member, read from the archive's file a piece at a time.
class ArjInput final
{
public:
    ArjInput(int fd, uint64_t offset, uint64_t size) : m_fd(fd), m_offset(offset), m_left(size) {}

    // The next byte, or -1 past the member's data (or when the file cannot be read).
    int next()
    {
        if (m_at == m_buffer.size() && !refill())
            return -1;
        return m_buffer[m_at++];
    }
    // Up to `room` bytes as they stand; fewer only at the end.
    size_t read(unsigned char *out, size_t room);

private:
    bool refill();

    int m_fd;
    uint64_t m_offset;
    uint64_t m_left;
    std::vector<unsigned char> m_buffer;
    size_t m_at = 0;
};

// Turns one member's compressed data back into its bytes.
class Decoder
{
public:
    virtual ~Decoder() = default;
    // Fills up to `room` bytes; fewer only at the member's end (the original size). False
    // when the data cannot be decoded (a code table that is no table, data cut short).
    virtual bool read(unsigned char *out, size_t room, size_t &produced) = 0;
};

// The decoder of methods 0 (stored), 1 to 3 (LZ77 with static Huffman blocks) and 4 (LZ77
// with unary-coded lengths and positions); nothing for any other method.
std::unique_ptr<Decoder> makeDecoder(uint8_t method, ArjInput input, uint64_t originalSize);

} // namespace archivers::arj
