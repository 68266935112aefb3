#include "bench/sonaro/SynthCost.h"

#include "tools/sonaro/songdata/Song.h"
#include "tools/sonaro/songdata/Synth.h"

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

namespace sonaro::bench
{
namespace
{

constexpr int kRate = 44100;
constexpr int kAudioSeconds = 10;
constexpr int kRuns = 3;

// One track per voice, each holding one note of ten seconds (four whole notes at
// 96 bpm), the waveforms taking turns and the keys spread over four octaves.
std::string chordSong(int voices)
{
    std::string text = "*TEMPO 96\n";
    for (int v = 0; v < voices; ++v) {
        const std::string name = std::string(1, char('A' + v / 10)) + std::to_string(v % 10);
        text += name + ": q8 v100 @" + std::to_string(v % 6) + " n" +
                std::to_string(40 + (v * 7) % 48) + ",1^1^1^1\n";
    }
    return text;
}

double threadCpuMillis()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

} // namespace

double synthMillisPerAudioSecond(int voices)
{
    const songdata::Song song = songdata::parseSong(chordSong(voices));
    std::vector<double> runs;
    std::vector<std::int16_t> block(2 * 4096);
    for (int run = 0; run < kRuns; ++run) {
        songdata::Synth synth(song, kRate);
        const double before = threadCpuMillis();
        for (int frames = 0; frames < kAudioSeconds * kRate; frames += 4096)
            synth.render(block.data(), 4096);
        runs.push_back((threadCpuMillis() - before) / kAudioSeconds);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace sonaro::bench
