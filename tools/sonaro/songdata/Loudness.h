#pragma once
// The gain that brings a song to one loudness, found from its notes before it plays:
// every note's energy after the loudness meter's weighting, over the time anything
// sounds. Songs of one quiet voice and songs of many loud ones then play about
// equally loud.

#include "tools/sonaro/songdata/Song.h"
#include "tools/sonaro/songdata/WaveTables.h"

namespace songdata
{

// Integrated loudness the songs are brought to, in LUFS.
inline constexpr double kTargetLoudness = -18.0;
// No single voice is made louder than this peak, so one voice is never limited.
inline constexpr double kSingleVoicePeak = 0.6;

// The gain for the song; tables are built for its notes on the way.
double songGain(const Song &song, WaveTables &tables, int sampleRate);

// Integral of the envelope's level squared over a note that is released after
// `heldSeconds`, release included, in seconds.
double envelopeSquareSeconds(const Envelope &e, double heldSeconds);

// Left and right gains of a pan position 0 … 127 (equal power).
float panLeft(int pan);
float panRight(int pan);

} // namespace songdata
