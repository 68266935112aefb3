#pragma once

#include "tools/archivers/common/BgaHeader.h"

#include <cstddef>
#include <memory>

// The two compressions of GZA and BZA members, zlib's raw deflate and libbz2, behind one
// streaming interface.
namespace archivers::bga
{

enum class Step { More, End, Error };

// One step moves what it can from `in` to `out` and says how much it took and gave.
struct Buffers {
    const char *in = nullptr;
    size_t inSize = 0;
    char *out = nullptr;
    size_t outSize = 0;
    size_t consumed = 0;
    size_t produced = 0;
};

class Codec
{
public:
    virtual ~Codec() = default;
    // Decompressing: End once the compressed stream is complete. Compressing: with `finish`,
    // End once everything is flushed out.
    virtual Step step(Buffers &b, bool finish) = 0;
};

std::unique_ptr<Codec> makeDecompressor(Method method);
// level 1-9, or -1 for the library's default.
std::unique_ptr<Codec> makeCompressor(Method method, int level);

} // namespace archivers::bga
