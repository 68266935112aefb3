#include "tools/archivers/common/BgaCodec.h"

#include <bzlib.h>
#include <climits>
#include <stdexcept>
#include <zlib.h>

namespace archivers::bga
{
namespace
{

unsigned clampUnsigned(size_t n)
{
    return n > UINT_MAX ? UINT_MAX : unsigned(n);
}

class ZlibCodec final : public Codec
{
public:
    ZlibCodec(bool compress, int level) : m_compress(compress)
    {
        // Raw deflate (negative window bits): the member header carries size and CRC.
        const int rc = compress ? deflateInit2(&m_z, level < 1 ? Z_DEFAULT_COMPRESSION : level,
                                               Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY)
                                : inflateInit2(&m_z, -MAX_WBITS);
        if (rc != Z_OK)
            throw std::runtime_error("zlib cannot start");
    }
    ~ZlibCodec() override
    {
        if (m_compress)
            deflateEnd(&m_z);
        else
            inflateEnd(&m_z);
    }

    Step step(Buffers &b, bool finish) override
    {
        m_z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(b.in));
        m_z.avail_in = clampUnsigned(b.inSize);
        m_z.next_out = reinterpret_cast<Bytef *>(b.out);
        m_z.avail_out = clampUnsigned(b.outSize);
        const int rc =
            m_compress ? deflate(&m_z, finish ? Z_FINISH : Z_NO_FLUSH) : inflate(&m_z, Z_NO_FLUSH);
        b.consumed = clampUnsigned(b.inSize) - m_z.avail_in;
        b.produced = clampUnsigned(b.outSize) - m_z.avail_out;
        if (rc == Z_STREAM_END)
            return Step::End;
        if (rc == Z_OK || rc == Z_BUF_ERROR)
            return Step::More;
        return Step::Error;
    }

private:
    z_stream m_z{};
    bool m_compress;
};

class Bzip2Codec final : public Codec
{
public:
    Bzip2Codec(bool compress, int level) : m_compress(compress)
    {
        const int rc = compress ? BZ2_bzCompressInit(&m_bz, level < 1 ? 9 : level, 0, 0)
                                : BZ2_bzDecompressInit(&m_bz, 0, 0);
        if (rc != BZ_OK)
            throw std::runtime_error("libbz2 cannot start");
    }
    ~Bzip2Codec() override
    {
        if (m_compress)
            BZ2_bzCompressEnd(&m_bz);
        else
            BZ2_bzDecompressEnd(&m_bz);
    }

    Step step(Buffers &b, bool finish) override
    {
        m_bz.next_in = const_cast<char *>(b.in);
        m_bz.avail_in = clampUnsigned(b.inSize);
        m_bz.next_out = b.out;
        m_bz.avail_out = clampUnsigned(b.outSize);
        const int rc = m_compress ? BZ2_bzCompress(&m_bz, finish ? BZ_FINISH : BZ_RUN)
                                  : BZ2_bzDecompress(&m_bz);
        b.consumed = clampUnsigned(b.inSize) - m_bz.avail_in;
        b.produced = clampUnsigned(b.outSize) - m_bz.avail_out;
        if (rc == BZ_STREAM_END)
            return Step::End;
        if (rc == BZ_OK || rc == BZ_RUN_OK || rc == BZ_FINISH_OK)
            return Step::More;
        return Step::Error;
    }

private:
    bz_stream m_bz{};
    bool m_compress;
};

} // namespace

std::unique_ptr<Codec> makeDecompressor(Method method)
{
    if (method == Method::Bzip2)
        return std::make_unique<Bzip2Codec>(false, 0);
    return std::make_unique<ZlibCodec>(false, 0);
}

std::unique_ptr<Codec> makeCompressor(Method method, int level)
{
    if (method == Method::Bzip2)
        return std::make_unique<Bzip2Codec>(true, level);
    return std::make_unique<ZlibCodec>(true, level);
}

} // namespace archivers::bga
