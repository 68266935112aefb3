#pragma once
// The synthesiser's own cost: CPU time spent rendering one second of audio with a
// given number of voices sounding at once.

namespace sonaro::bench
{

// Milliseconds of this thread's CPU time per second of 44.1 kHz stereo audio, for
// `voices` notes of all waveforms sounding together (median of a few renderings).
double synthMillisPerAudioSecond(int voices);

} // namespace sonaro::bench
