#include "tools/sonaro/songdata/Synth.h"

#include "tools/sonaro/songdata/Lanes.h"
#include "tools/sonaro/songdata/Loudness.h"

#include <algorithm>
#include <cmath>

namespace songdata
{
namespace
{

constexpr double kPhaseUnit = 4294967296.0; // one period of the 32-bit phase
constexpr int kFractionBits = 32 - WaveTables::kSizeBits;
constexpr std::uint32_t kFractionMask = (1u << kFractionBits) - 1;
constexpr float kFractionScale = 1.0f / float(1u << kFractionBits);
// A cross-fade lasts 5 ms: short enough to feel instant, long enough not to click.
constexpr double kRampSeconds = 0.005;
// Voices of earlier places kept fading at most; more seeks in a row drop the oldest.
constexpr std::size_t kMaxFading = 256;

std::uint32_t phaseStep(double freq, int rate)
{
    return static_cast<std::uint32_t>(std::min(freq / rate, 0.999) * kPhaseUnit);
}

float interpolate(const float *table, std::uint32_t phase)
{
    const std::uint32_t i = phase >> kFractionBits;
    const float a = table[i];
    return a + (table[i + 1] - a) * float(phase & kFractionMask) * kFractionScale;
}

// The same for four phases.
Lanes interpolate(const float *table, PhaseLanes phase)
{
    const PhaseLanes i = phase >> kFractionBits;
    const Lanes a = {table[i[0]], table[i[1]], table[i[2]], table[i[3]]};
    const Lanes b = {table[i[0] + 1], table[i[1] + 1], table[i[2] + 1], table[i[3] + 1]};
    const Lanes fraction =
        __builtin_convertvector(IntLanes(phase & kFractionMask), Lanes) * kFractionScale;
    return a + (b - a) * fraction;
}

// A new random value each period keeps the noise pitched by the key.
float nextNoise(std::uint32_t &state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state & 0xFFFF) / 32768.0f - 1.0f;
}

} // namespace

Synth::Synth(const Song &song, int sampleRate)
    : m_song(song), m_rate(std::max(sampleRate, 1000)), m_tables(m_rate), m_output(m_rate),
      m_rampFrames(std::max(1, static_cast<int>(kRampSeconds * m_rate)))
{
    m_endFrame = static_cast<std::int64_t>(std::llround(song.totalSeconds * m_rate));
    m_events.reserve(song.notes.size());
    for (std::size_t i = 0; i < song.notes.size(); ++i) {
        const Note &n = song.notes[i];
        const auto start = static_cast<std::int64_t>(std::llround(n.startSeconds * m_rate));
        const auto end = static_cast<std::int64_t>(std::llround(n.endSeconds * m_rate));
        if (end <= start)
            continue;
        if (n.waveform != Waveform::Noise)
            m_tables.table(n.waveform, n.key); // built now, not in the audio thread
        // The release fades out before the song ends, so the song never ends in a click.
        const std::int64_t release = std::min(
            EnvelopeRun::releaseFramesOf(n.envelope.value_or(defaultEnvelope(n.waveform)), m_rate),
            std::max<std::int64_t>(m_endFrame - start, 1));
        const std::int64_t letGo = std::max(start, std::min(end, m_endFrame - release));
        m_events.push_back({start, letGo, letGo + release, i});
        m_longest = std::max(m_longest, letGo + release - start);
    }
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const Event &a, const Event &b) { return a.start < b.start; });
    m_songGain = songdata::songGain(song, m_tables, m_rate);
}

void Synth::seek(std::int64_t frame)
{
    m_position = std::clamp<std::int64_t>(frame, 0, m_endFrame);
    // What sounded before fades out while the new place fades in.
    if (m_transport > 0) {
        for (Voice &v : m_voices) {
            if (!v.sounded)
                continue;
            v.rampStep = -1.0f / static_cast<float>(m_rampFrames);
            m_fading.push_back(v);
        }
        if (m_fading.size() > kMaxFading)
            m_fading.erase(m_fading.begin(),
                           m_fading.begin() + std::ptrdiff_t(m_fading.size() - kMaxFading));
    } else {
        m_fading.clear();
    }
    m_voices.clear();
    // Notes that began up to the longest note's length ago may still sound.
    const std::int64_t from = m_position - m_longest;
    auto it = std::lower_bound(m_events.begin(), m_events.end(), from,
                               [](const Event &e, std::int64_t f) { return e.start < f; });
    for (; it != m_events.end() && it->start <= m_position; ++it)
        if (it->end > m_position)
            startVoice(*it, m_position);
    m_next = static_cast<std::size_t>(it - m_events.begin());
}

void Synth::setPaused(bool paused)
{
    m_paused = paused;
}

void Synth::startVoice(const Event &e, std::int64_t at)
{
    const Note &n = m_song.notes[e.note];
    const Envelope envelope = n.envelope.value_or(defaultEnvelope(n.waveform));
    const auto gain =
        static_cast<float>(WaveTables::scale(n.waveform) * n.volume / 127.0 * m_songGain);
    Voice v{};
    v.end = e.end;
    v.table =
        n.waveform == Waveform::Noise ? nullptr : m_tables.table(n.waveform, n.key).samples.data();
    v.step = phaseStep(WaveTables::keyFrequency(n.key), m_rate);
    v.left = gain * panLeft(n.pan);
    v.right = gain * panRight(n.pan);
    v.envelope = EnvelopeRun(envelope, m_rate, e.release - e.start, e.end - e.release);
    v.ramp = 1;
    if (at > e.start) {
        // Joined in the middle: fade in from the envelope's level there.
        v.envelope.skip(at - e.start);
        v.ramp = 0;
        v.rampStep = 1.0f / static_cast<float>(m_rampFrames);
    }
    v.noise = 0x1234567u ^ static_cast<std::uint32_t>(e.note * 2654435761u);
    v.noiseValue = nextNoise(v.noise);
    m_voices.push_back(v);
}

// The common case of renderVoice, the same sums four frames at a time: a tone (not
// noise) whose pause ramp stands still.
void Synth::renderSteadyTone(Voice &v, const float *levels, float *left, float *right, int frames)
{
    const float *table = v.table;
    const std::uint32_t step = v.step;
    const float toLeft = v.left * v.ramp;
    const float toRight = v.right * v.ramp;
    const PhaseLanes steps = PhaseLanes{0, 1, 2, 3} * step;
    std::uint32_t phase = v.phase;
    int i = 0;
    for (; i + kLanes <= frames; i += kLanes, phase += kLanes * step) {
        const Lanes s = interpolate(table, phase + steps) * loadLanes(levels + i);
        storeLanes(left + i, loadLanes(left + i) + s * toLeft);
        storeLanes(right + i, loadLanes(right + i) + s * toRight);
    }
    for (; i < frames; ++i, phase += step) {
        const float s = interpolate(table, phase) * levels[i];
        left[i] += s * toLeft;
        right[i] += s * toRight;
    }
    v.phase = phase;
}

void Synth::renderVoice(Voice &v, float *left, float *right, int frames)
{
    if (frames <= 0)
        return;
    v.sounded = true;
    alignas(16) float levels[kSegment];
    v.envelope.fill(levels, frames);
    if (v.table && v.rampStep == 0) {
        renderSteadyTone(v, levels, left, right, frames);
        return;
    }
    const bool everyFrame = v.step > (1u << 30); // noise above a quarter of the rate
    for (int i = 0; i < frames; ++i) {
        const float level = levels[i] * v.ramp;
        if (v.rampStep != 0) {
            v.ramp = std::clamp(v.ramp + v.rampStep, 0.0f, 1.0f);
            if (v.ramp == 0.0f || v.ramp == 1.0f)
                v.rampStep = 0;
        }
        float s;
        if (v.table) {
            s = interpolate(v.table, v.phase);
        } else {
            if (everyFrame || v.phase + v.step < v.phase)
                v.noiseValue = nextNoise(v.noise);
            s = v.noiseValue;
        }
        v.phase += v.step;
        s *= level;
        left[i] += s * v.left;
        right[i] += s * v.right;
    }
}

int Synth::segmentLength(int wanted) const
{
    int n = std::min(wanted, kSegment);
    if (m_position < m_endFrame) {
        n = static_cast<int>(std::min<std::int64_t>(n, m_endFrame - m_position));
        if (m_next < m_events.size())
            n = static_cast<int>(std::min<std::int64_t>(
                n, std::max<std::int64_t>(m_events[m_next].start - m_position, 1)));
    }
    if (m_paused) // the fade-out ends with the segment
        n = std::min(n, static_cast<int>(std::ceil(m_transport * float(m_rampFrames))));
    return std::max(n, 1);
}

void Synth::mixSegment(std::int16_t *stereo, int frames)
{
    const std::int64_t f = m_position;
    const bool playing = f < m_endFrame;
    if (playing) {
        while (m_next < m_events.size() && m_events[m_next].start <= f)
            startVoice(m_events[m_next++], f);
    }
    alignas(16) float left[kSegment] = {};
    alignas(16) float right[kSegment] = {};
    for (Voice &v : m_voices)
        renderVoice(v, left, right,
                    playing ? static_cast<int>(std::min<std::int64_t>(frames, v.end - f)) : 0);
    for (Voice &v : m_fading)
        renderVoice(v, left, right, frames);
    std::erase_if(m_voices, [end = f + frames](const Voice &v) { return v.end <= end; });
    std::erase_if(m_fading, [](const Voice &v) { return v.ramp == 0.0f; });

    if (m_paused || m_transport != 1.0f)
        applyTransport(left, right, frames);
    m_output.process(left, right, stereo, frames);
    if (playing)
        m_position += frames;
    if (m_transport == 0.0f)
        m_fading.clear();
}

// Pausing and resuming fade the whole mix out and in.
void Synth::applyTransport(float *left, float *right, int frames)
{
    const float step = (m_paused ? -1.0f : 1.0f) / static_cast<float>(m_rampFrames);
    for (int i = 0; i < frames; ++i) {
        left[i] *= m_transport;
        right[i] *= m_transport;
        m_transport = std::clamp(m_transport + step, 0.0f, 1.0f);
    }
}

void Synth::render(std::int16_t *stereo, int frames)
{
    int done = 0;
    while (done < frames) {
        if (m_paused && m_transport == 0.0f) {
            std::fill(stereo + 2 * done, stereo + 2 * frames, std::int16_t(0));
            return;
        }
        const int n = segmentLength(frames - done);
        mixSegment(stereo + 2 * done, n);
        done += n;
    }
}

} // namespace songdata
