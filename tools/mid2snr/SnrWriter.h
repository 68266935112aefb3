#pragma once

#include "tools/mid2snr/Song.h"

#include <cstddef>
#include <string>

namespace mid2snr
{

// Writes a song as song data text with CR LF line ends: the header lines, the
// tempo map as track "A" (tempo changes and rests up to the song's end), and one
// track per voice, named by channel ("B" for channel 1 … "Q" for channel 16)
// and voice ("B", "B1", "B2", …). Lengths are written in ticks, so times stay
// exact. Fails when the text would grow beyond `maxBytes`.
bool writeSongText(const Song &song, std::string &text, std::string &error,
                   std::size_t maxBytes = 64u << 20);

// The longest single length written; longer rests and notes are split (notes
// tied with `^`), so no number in the file gets large.
inline constexpr std::uint64_t kMaxLengthTicks = 1'000'000;

} // namespace mid2snr
